#include <gtest/gtest.h>

#include "RecordingHost.h"
#include "region.h"
#include "window_services.h"

TEST(WindowServices, SetWindowRgnHandsTheRectanglesAndTheRegionToTheWindow) {
    RecordingHost host;
    const gdi::Handle region = gdi::CreateRectRgn(0, 0, 10, 10);
    const gdi::Handle hole = gdi::CreateRectRgn(2, 2, 4, 4);
    gdi::CombineRgn(region, region, hole, gdi::RGN_XOR);
    gdi::DeleteObject(hole);

    EXPECT_EQ(gdi::SetWindowRgn(7, region, true), 1);
    ASSERT_TRUE(host.shapes.at(7).has_value());
    EXPECT_EQ(host.shapes.at(7)->size(), 4u);
    EXPECT_EQ(gdi::regionFromHandle(region), nullptr) << "the region now belongs to the window";
    EXPECT_TRUE(host.redraws.back());
    EXPECT_EQ(gdi::SetWindowRgn(7, 0, false), 1);
    EXPECT_FALSE(host.shapes.at(7).has_value());
    EXPECT_FALSE(host.redraws.back());

    // A failed call leaves the region with its caller.
    const gdi::Handle kept = gdi::CreateRectRgn(0, 0, 1, 1);
    host.missingWindows.insert(9);
    EXPECT_EQ(gdi::SetWindowRgn(9, kept, true), 0);
    EXPECT_NE(gdi::regionFromHandle(kept), nullptr);
    EXPECT_EQ(gdi::SetWindowRgn(7, 0xBAD, true), 0);
    gdi::setWindowHost(nullptr);
    EXPECT_EQ(gdi::SetWindowRgn(7, kept, true), 0);
    gdi::setWindowHost(&host);
    EXPECT_TRUE(gdi::DeleteObject(kept));
}

TEST(WindowServices, ClipboardTakesABitmapOnlyWhileOpenAndOwnsWhatItTook) {
    RecordingHost host;
    const std::size_t before = gdi::liveObjectCount();
    const gdi::Handle first = gdi::createBitmap(2, 2);
    gdi::bitmapFromHandle(first)->bits[0] = 42;

    EXPECT_EQ(gdi::SetClipboardData(gdi::CF_BITMAP, first), 0u) << "the clipboard is closed";
    EXPECT_FALSE(gdi::EmptyClipboard());
    ASSERT_TRUE(gdi::OpenClipboard(0));
    EXPECT_FALSE(gdi::OpenClipboard(0)) << "already open";
    EXPECT_TRUE(gdi::EmptyClipboard());
    EXPECT_EQ(gdi::SetClipboardData(1, first), 0u) << "only bitmaps are offered";
    EXPECT_EQ(gdi::SetClipboardData(gdi::CF_BITMAP, 0xBAD), 0u);
    EXPECT_EQ(gdi::SetClipboardData(gdi::CF_BITMAP, first), first);
    ASSERT_TRUE(host.clipboard.has_value());
    EXPECT_EQ(host.clipboard->bits[0], 42);
    EXPECT_TRUE(gdi::CloseClipboard());
    EXPECT_FALSE(gdi::CloseClipboard());

    ASSERT_TRUE(gdi::OpenClipboard(0));
    EXPECT_TRUE(gdi::EmptyClipboard());
    EXPECT_EQ(gdi::bitmapFromHandle(first), nullptr) << "emptying frees what the clipboard took";
    host.refuseClipboard = true;
    const gdi::Handle second = gdi::createBitmap(1, 1);
    EXPECT_EQ(gdi::SetClipboardData(gdi::CF_BITMAP, second), 0u);
    EXPECT_TRUE(gdi::CloseClipboard());
    EXPECT_TRUE(gdi::DeleteObject(second)) << "a bitmap not taken stays the caller's";
    EXPECT_EQ(gdi::liveObjectCount(), before);
}
