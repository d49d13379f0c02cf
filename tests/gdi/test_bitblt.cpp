#include <gtest/gtest.h>

#include <functional>

#include "bitblt.h"
#include "gdi_objects.h"

namespace {

// A memory device context with a 24-bit DIB section selected, released at the end.
struct Surface {
    Surface(std::int32_t width, std::int32_t height)
        : dc(gdi::CreateCompatibleDC(0)),
          dib(gdi::CreateDIBSection(dc, {40, width, height, 1, 24, 0, 0, 0, 0, 0, 0}, gdi::DIB_RGB_COLORS, &bits, 0, 0)),
          previous(gdi::SelectObject(dc, dib)) {}
    ~Surface() {
        gdi::SelectObject(dc, previous);
        gdi::DeleteObject(dib);
        gdi::DeleteDC(dc);
    }
    gdi::Bitmap& bitmap() const { return *gdi::bitmapFromHandle(dib); }
    // The blue byte of pixel (x, y) from the top-left corner; all three bytes are set alike.
    std::uint8_t& at(int x, int y) const { return bitmap().bits[(bitmap().height - 1 - y) * bitmap().stride + x * 3]; }
    void set(int x, int y, std::uint8_t value) const { std::fill_n(&at(x, y), 3, value); }
    std::uint8_t* bits = nullptr;
    gdi::Handle dc, dib, previous;
};

}  // namespace

TEST(BitBlt, EveryNamedRasterOperationCombinesSourceAndDestination) {
    using Op = std::function<std::uint8_t(std::uint8_t s, std::uint8_t d)>;
    const std::uint8_t p = 0xFF;  // the default white brush
    const std::pair<std::uint32_t, Op> cases[] = {
        {gdi::SRCCOPY, [](auto s, auto) { return s; }},        {gdi::SRCPAINT, [](auto s, auto d) { return s | d; }},
        {gdi::SRCAND, [](auto s, auto d) { return s & d; }},   {gdi::SRCINVERT, [](auto s, auto d) { return s ^ d; }},
        {gdi::SRCERASE, [](auto s, auto d) { return s & ~d; }}, {gdi::NOTSRCCOPY, [](auto s, auto) { return ~s; }},
        {gdi::NOTSRCERASE, [](auto s, auto d) { return ~(s | d); }}, {gdi::MERGECOPY, [&](auto s, auto) { return p & s; }},
        {gdi::MERGEPAINT, [](auto s, auto d) { return ~s | d; }}, {gdi::PATCOPY, [&](auto, auto) { return p; }},
        {gdi::PATPAINT, [&](auto s, auto d) { return p | ~s | d; }}, {gdi::PATINVERT, [&](auto, auto d) { return p ^ d; }},
        {gdi::DSTINVERT, [](auto, auto d) { return ~d; }},      {gdi::BLACKNESS, [](auto, auto) { return 0; }},
        {gdi::WHITENESS, [](auto, auto) { return 0xFF; }},
    };
    const std::uint8_t s = 0b1100'1010, d = 0b1010'0110;
    for (const auto& [rop, op] : cases) {
        Surface source(2, 1), dest(2, 1);
        for (int x : {0, 1}) source.set(x, 0, s), dest.set(x, 0, d);
        ASSERT_TRUE(gdi::BitBlt(dest.dc, 0, 0, 2, 1, source.dc, 0, 0, rop)) << std::hex << rop;
        for (int i = 0; i < 6; ++i) EXPECT_EQ(dest.bitmap().bits[i], static_cast<std::uint8_t>(op(s, d))) << std::hex << rop;
        EXPECT_EQ(dest.bitmap().bits[6], 0) << "row padding is never drawn on";
    }
    // Operations without a source need no source device context; other codes fail and draw nothing.
    Surface dest(1, 1), source(1, 1);
    dest.set(0, 0, 0x0F);
    EXPECT_TRUE(gdi::BitBlt(dest.dc, 0, 0, 1, 1, 0, 0, 0, gdi::DSTINVERT));
    EXPECT_FALSE(gdi::BitBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 0x00CC0021));
    EXPECT_FALSE(gdi::BitBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, 0x00990066));  // a valid code, not offered
    EXPECT_EQ(dest.at(0, 0), 0xF0);
}

TEST(BitBlt, ClipsToBothSurfacesAndMovesOverlappingBlocks) {
    Surface source(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) source.set(x, y, static_cast<std::uint8_t>(10 * y + x + 1));
    // From (2, 1) sized 5 x 5 only 2 x 2 exist; placed at (-1, 0) one more column goes.
    Surface dest(3, 3);
    EXPECT_TRUE(gdi::BitBlt(dest.dc, -1, 0, 5, 5, source.dc, 2, 1, gdi::SRCCOPY));
    // A negative source origin moves the destination along.
    Surface dest2(3, 3);
    EXPECT_TRUE(gdi::BitBlt(dest2.dc, 0, 0, 3, 3, source.dc, -1, -2, gdi::SRCCOPY));
    const struct { const Surface& s; int x, y; std::uint8_t value; } pixels[] = {
        {dest, 0, 0, 14}, {dest, 1, 0, 0}, {dest, 0, 1, 24}, {dest, 0, 2, 0},
        {dest2, 0, 2, 0}, {dest2, 1, 2, 1}, {dest2, 2, 2, 2}, {dest2, 1, 1, 0}};
    for (const auto& p : pixels) EXPECT_EQ(p.s.at(p.x, p.y), p.value) << p.x << "," << p.y;

    // A block of no area or outside the surface transfers nothing and succeeds.
    Surface dest3(2, 2);
    EXPECT_TRUE(gdi::BitBlt(dest3.dc, 0, 0, 0, 2, source.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_TRUE(gdi::BitBlt(dest3.dc, 0, 0, 2, -1, source.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_TRUE(gdi::BitBlt(dest3.dc, 5, 5, 2, 2, source.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_EQ(dest3.bitmap().bits, std::vector<std::uint8_t>(dest3.bitmap().bits.size(), 0));

    // Within one surface a block moved down onto itself is copied as it was.
    Surface column(1, 4);
    for (int y = 0; y < 4; ++y) column.set(0, y, static_cast<std::uint8_t>(y + 1));
    EXPECT_TRUE(gdi::BitBlt(column.dc, 0, 1, 1, 3, column.dc, 0, 0, gdi::SRCCOPY));
    for (int y = 0; y < 4; ++y) EXPECT_EQ(column.at(0, y), std::max(y, 1));
}

TEST(BitBlt, NeedsSurfacesOnBothSides) {
    Surface surface(2, 2);
    const gdi::Handle screen = gdi::GetDC(gdi::GetDesktopWindow());
    ASSERT_NE(screen, 0u);
    const gdi::Handle bare = gdi::CreateCompatibleDC(screen);
    EXPECT_FALSE(gdi::BitBlt(screen, 0, 0, 1, 1, surface.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_FALSE(gdi::BitBlt(surface.dc, 0, 0, 1, 1, screen, 0, 0, gdi::SRCCOPY));
    EXPECT_FALSE(gdi::BitBlt(bare, 0, 0, 1, 1, surface.dc, 0, 0, gdi::SRCCOPY)) << "the stock bitmap is no surface";
    EXPECT_FALSE(gdi::BitBlt(surface.dc, 0, 0, 1, 1, 0, 0, 0, gdi::SRCCOPY));
    EXPECT_FALSE(gdi::BitBlt(0xDEAD, 0, 0, 1, 1, surface.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_EQ(gdi::ReleaseDC(gdi::GetDesktopWindow(), screen), 1);
    EXPECT_TRUE(gdi::DeleteDC(bare));
}

TEST(Handles, SelectionOwnershipAndRecords) {
    gdi::DeleteDC(gdi::CreateCompatibleDC(0));  // makes the shared stock bitmap
    const std::size_t before = gdi::liveObjectCount();
    const gdi::Handle dc = gdi::CreateCompatibleDC(0), other = gdi::CreateCompatibleDC(0);
    const gdi::Handle bitmap = gdi::CreateCompatibleBitmap(dc, 5, 2);
    ASSERT_TRUE(dc && other && bitmap);
    const gdi::Handle stock = gdi::SelectObject(dc, bitmap);
    EXPECT_NE(stock, 0u);
    EXPECT_EQ(gdi::SelectObject(other, bitmap), 0u) << "a bitmap sits in one device context at a time";
    EXPECT_FALSE(gdi::DeleteObject(bitmap)) << "a selected bitmap cannot be deleted";
    EXPECT_EQ(gdi::SelectObject(dc, stock), bitmap);
    EXPECT_FALSE(gdi::DeleteObject(stock));

    gdi::BITMAP record{};
    EXPECT_EQ(gdi::GetObjectA(bitmap, sizeof(record), &record), static_cast<int>(sizeof(record)));
    EXPECT_EQ(std::tie(record.bmWidth, record.bmHeight, record.bmWidthBytes, record.bmBitsPixel, record.bmPlanes),
              std::make_tuple(5, 2, 16, 24, 1));
    EXPECT_EQ(record.bmBits, nullptr) << "a device-dependent bitmap shows no memory";
    EXPECT_EQ(gdi::GetObjectA(bitmap, sizeof(record) - 1, &record), 0);
    EXPECT_EQ(gdi::GetObjectA(dc, sizeof(record), &record), 0);

    EXPECT_FALSE(gdi::DeleteObject(dc)) << "device contexts go with DeleteDC";
    EXPECT_TRUE(gdi::DeleteDC(dc) && gdi::DeleteDC(other) && gdi::DeleteObject(bitmap));
    EXPECT_FALSE(gdi::DeleteObject(bitmap));
    EXPECT_EQ(gdi::liveObjectCount(), before);
}

TEST(Handles, DibSectionsAreZeroed24BitAndRefuseOtherFormatsAndOverflow) {
    const gdi::BITMAPINFOHEADER header{40, 3, 2, 1, 24, 0, 0, 0, 0, 0, 0};
    auto* bits = reinterpret_cast<std::uint8_t*>(1);
    const gdi::Handle dib = gdi::CreateDIBSection(0, header, gdi::DIB_RGB_COLORS, &bits, 0, 0);
    ASSERT_NE(dib, 0u);
    EXPECT_EQ(bits, gdi::bitmapFromHandle(dib)->bits.data());
    EXPECT_EQ(gdi::bitmapFromHandle(dib)->bits, std::vector<std::uint8_t>(24, 0));
    gdi::BITMAP record{};
    gdi::GetObjectA(dib, sizeof(record), &record);
    EXPECT_EQ(record.bmBits, bits);
    gdi::DeleteObject(dib);

    // Other depths, top-down rows, no width, overflowing row and image sizes.
    const std::function<void(gdi::BITMAPINFOHEADER&)> changes[] = {
        [](auto& h) { h.biBitCount = 32; }, [](auto& h) { h.biHeight = -2; }, [](auto& h) { h.biWidth = 0; },
        [](auto& h) { h.biWidth = 0x30000000; }, [](auto& h) { h.biWidth = h.biHeight = 100000; }};
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        auto h = header;
        changes[i](h);
        bits = reinterpret_cast<std::uint8_t*>(1);
        EXPECT_EQ(gdi::CreateDIBSection(0, h, gdi::DIB_RGB_COLORS, &bits, 0, 0), 0u) << i;
        EXPECT_EQ(bits, nullptr) << i;
    }
}
