#include <set>

#include "ImagingTestSupport.h"
#include "asset_dir.h"
#include "window_services.h"

namespace {

const std::vector<std::uint8_t>& bitsOf(gdi::Handle dib) { return gdi::bitmapFromHandle(dib)->bits; }

// Byte `channel` of pixel x in memory row `row` (row 0 is the bottom line).
int memoryByte(const cDIBSection& dib, int x, int row, int channel = 0) {
    return dib.DIBSectionBitsPtr()[row * dib.BytesPerScanLine() + 3 * x + channel];
}

}  // namespace

TEST(cDIBSection, SizesFailedCreationsAndClearUp) {
    picture(1, 1);  // makes the stock bitmap of device contexts, which stays
    const std::size_t before = gdi::liveObjectCount();
    cDIBSection dib;
    for (auto [width, row] : {std::pair{1, 4}, {3, 12}, {4, 12}, {5, 16}, {306, 920}}) {
        ASSERT_TRUE(dib.Create(width, 2));
        EXPECT_EQ(dib.BytesPerScanLine(), row) << width;
    }
    ASSERT_TRUE(dib.Create(123, 109));
    EXPECT_EQ(bitsOf(dib.hDib()), std::vector<std::uint8_t>(40548)) << "zeroed, padding included";
    EXPECT_FALSE(dib.Create(0, 10) || dib.Create(10, 0));
    EXPECT_EQ(dib.hdc(), 0u);
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
    EXPECT_FALSE(dib.Create(100000, 100000)) << "the image size overflows";
    EXPECT_EQ(dib.BytesPerScanLine(), 300000);
    EXPECT_FALSE(dib.Create(800000000, 1)) << "the row size overflows";
    EXPECT_EQ(dib.hDib(), 0u);
    expectError([&] { dib.BytesPerScanLine(); }, 6, "Overflow", "zirpomat.cDIBSection");
    dib.RandomiseBits(true);  // nothing to write to
    EXPECT_EQ(dib.Resample(2, 2)->Width(), 2);
    EXPECT_EQ(gdi::liveObjectCount(), before) << "nothing remains";
    // Cleared up: the size stays, there is nothing to draw on or copy from.
    const auto cleared = picture(7, 3);
    const gdi::Handle bitmap = cleared->hDib();
    cleared->ClearUp();
    EXPECT_EQ(cleared->DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(cleared->Height(), 3);
    EXPECT_EQ(gdi::bitmapFromHandle(bitmap), nullptr);
    cleared->RandomiseBits(), cleared->LoadPictureBlt(0);
    for (auto [height, width] : {std::pair{3, 7}, {6, 14}})
        EXPECT_EQ(*cleared->Resample(height, width)->DIBSectionBitsPtr(), 0) << "nothing copied from no pixels";
}

TEST(cDIBSection, TransfersInAndOutWithSizeRules) {
    const auto a = picture(4, 3, {10, 20, 30}), b = picture(4, 3, {0, 0, 0}), c = picture(4, 3, {0, 0, 0});
    b->LoadPictureBlt(a->hdc(), 0, 0, 0, -1);
    EXPECT_EQ(pixelAt(*b, 0, 0)[0], 0) << "a width of 0 transfers nothing";
    b->LoadPictureBlt(a->hdc(), 0, 0, -1, 1);
    EXPECT_EQ(pixelAt(*b, 3, 0)[2], 10) << "-1 is the whole width";
    EXPECT_EQ(pixelAt(*b, 0, 1)[2], 0) << "only the top line";
    a->PaintPicture(c->hdc(), 0, 0, -1, 0);
    EXPECT_EQ(pixelAt(*c, 0, 0)[0], 0) << "a height of 0 paints nothing";
    a->PaintPicture(c->hdc(), 1, 1, -1, -1, 0, 0, gdi::NOTSRCCOPY);
    EXPECT_EQ(pixelAt(*c, 0, 0)[0], 0);
    EXPECT_EQ(pixelAt(*c, 1, 1)[0], 255 - 30);
    EXPECT_EQ(pixelAt(*c, 3, 2)[2], 255 - 10);
    cDIBSection empty;
    empty.PaintPicture(c->hdc()), empty.LoadPictureBlt(a->hdc());
    EXPECT_EQ(pixelAt(*c, 0, 0)[0], 0);

    const gdi::Picture skin = gdi::loadPicture(platform::assetPath("skins/small_open.bmp"));
    cDIBSection copy;
    copy.CreateFromPicture(skin);
    EXPECT_EQ(copy.Height(), 109);
    EXPECT_EQ(bitsOf(copy.hDib()), skin.bitmap()->bits);
    EXPECT_FALSE(skin.empty()) << "the picture stays the caller's";
    copy.CreateFromPicture(gdi::Picture{});
    EXPECT_EQ(copy.hDib(), 0u);
}

TEST(cDIBSection, CopyToClipboardRefusesDibsAndPlacesABitmap) {
    RecordingHost host;
    const auto dib = picture(3, 2, {1, 2, 3});
    EXPECT_FALSE(dib->CopyToClipboard());
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!"});
    EXPECT_FALSE(host.clipboard.has_value());
    const std::size_t before = gdi::liveObjectCount();
    EXPECT_TRUE(dib->CopyToClipboard(false));
    ASSERT_TRUE(host.clipboard.has_value());
    EXPECT_EQ(host.clipboard->width, 3);
    EXPECT_EQ(host.clipboard->bits, bitsOf(dib->hDib()));
    EXPECT_EQ(gdi::liveObjectCount(), before + 1) << "the copy now belongs to the clipboard";
    host.refuseClipboard = true;
    EXPECT_FALSE(dib->CopyToClipboard(false));
    gdi::OpenClipboard(0);
    EXPECT_FALSE(dib->CopyToClipboard(false)) << "the clipboard is held elsewhere";
    gdi::EmptyClipboard(), gdi::CloseClipboard();
    EXPECT_EQ(gdi::liveObjectCount(), before) << "copies not taken are freed";
}

// Grey pictures, one text row a memory row (bottom line first); the byte
// read at column x, memory row `row` of the new size. Blends round half to
// even twice: first down the columns, then across.
TEST(cDIBSection, ResampleSamplesTheRightPositionsAndRoundsTwice) {
    const struct { std::vector<std::vector<std::uint8_t>> source; int height, width, x, row, expected; } rows[] = {
        {{{17, 99, 250}, {17, 99, 250}}, 2, 2, 1, 1, 99},  // a scale of exactly 1
        {{{0, 200}, {0, 200}}, 2, 4, 1, 0, 50},            // positions 0, 0.25, 0.5, 0.75
        {{{0, 200}, {0, 200}}, 2, 4, 3, 0, 150},
        {{{0}, {255}}, 4, 1, 0, 2, 128},
        {{{2}, {3}}, 4, 1, 0, 2, 2},
        {{{1, 3}, {2, 4}}, 4, 4, 2, 2, 3},  // 1.5 -> 2 and 3.5 -> 4, then 3; the mean 2.5 would give 2
        {{{1, 3}, {2, 4}}, 4, 4, 3, 3, 4},  // 1.75 -> 2 and 3.75 -> 4, then 3.5 -> 4
        {{{77}}, 5, 6, 5, 4, 77},           // the missing neighbour is the pixel itself
        {{{0, 40, 80, 120}}, 3, 8, 1, 2, 15},
        {{{5, 6, 7}, {5, 6, 7}, {5, 6, 7}}, 3, 3, 2, 2, 7},
    };
    for (const auto& row : rows) {
        cDIBSection grey;
        ASSERT_TRUE(grey.Create(static_cast<int>(row.source[0].size()), static_cast<int>(row.source.size())));
        for (std::size_t r = 0; r < row.source.size(); ++r)
            for (std::size_t x = 0; x < row.source[0].size(); ++x)
                std::fill_n(grey.DIBSectionBitsPtr() + r * grey.BytesPerScanLine() + 3 * x, 3, row.source[r][x]);
        const auto resampled = grey.Resample(row.height, row.width);
        ASSERT_NE(resampled, nullptr);
        EXPECT_EQ(resampled->Width(), row.width);
        EXPECT_EQ(resampled->Height(), row.height);
        for (int channel : {0, 2}) EXPECT_EQ(memoryByte(*resampled, row.x, row.row, channel), row.expected) << row.x;
        EXPECT_EQ(grey.Resample(0, 5), nullptr);
    }
}

TEST(cDIBSection, RandomiseBitsFillsPixelsOnly) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(5, 4));  // one padding byte a row
    auto& bits = gdi::bitmapFromHandle(dib.hDib())->bits;
    for (int row = 0; row < 4; ++row) bits[row * 16 + 15] = 0xAB;
    for (const bool gray : {false, true}) {
        dib.RandomiseBits(gray);
        std::set<int> seen;
        for (int row = 0; row < 4; ++row) {
            for (int x = 0; x < 5; ++x) {
                const int b = memoryByte(dib, x, row), g = memoryByte(dib, x, row, 1), r = memoryByte(dib, x, row, 2);
                EXPECT_TRUE(gray ? b == g && g == r : b == 0) << "grey, or colour noise without blue";
                seen.insert({g, r});
            }
            EXPECT_EQ(bits[row * 16 + 15], 0xAB);
        }
        EXPECT_GT(seen.size(), 5u) << "twenty draws give more than a handful of values";
    }
}

TEST(cDIBSection, CreateDIBForAnotherHandleLeavesTheInstanceAlone) {
    const auto dib = picture(2, 2);
    std::uint8_t* bits = dib->DIBSectionBitsPtr();
    gdi::Handle callers = 0;
    ASSERT_TRUE(dib->CreateDIB(dib->hdc(), 50, 40, callers));
    EXPECT_EQ(gdi::bitmapFromHandle(callers)->width, 50);
    EXPECT_EQ(dib->Width(), 2);
    EXPECT_EQ(dib->DIBSectionBitsPtr(), bits);
    EXPECT_TRUE(gdi::DeleteObject(callers));
}
