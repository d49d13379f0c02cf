#include "ImagingTestSupport.h"

#include <set>

#include "asset_dir.h"
#include "picture.h"
#include "window_services.h"

TEST(cDIBSection, RowsAndImageSizes) {
    cDIBSection dib;
    for (auto [width, row] : {std::pair{1, 4}, {2, 8}, {3, 12}, {4, 12}, {5, 16}, {123, 372}, {306, 920}}) {
        ASSERT_TRUE(dib.Create(width, 2));
        EXPECT_EQ(dib.BytesPerScanLine(), row) << width;
    }
    ASSERT_TRUE(dib.Create(306, 151));
    EXPECT_EQ(gdi::bitmapFromHandle(dib.hDib())->bits.size(), 138920u);
    ASSERT_TRUE(dib.Create(123, 109));
    EXPECT_EQ(gdi::bitmapFromHandle(dib.hDib())->bits.size(), 40548u);
    // Fresh memory is zero, padding included (123 pixels leave 3 bytes a row).
    const auto& bits = gdi::bitmapFromHandle(dib.hDib())->bits;
    EXPECT_TRUE(std::all_of(bits.begin(), bits.end(), [](auto b) { return b == 0; }));
}

TEST(cDIBSection, FailedAndOverflowingSizesMakeNoBitmap) {
    const std::size_t before = gdi::liveObjectCount();
    cDIBSection dib;
    EXPECT_FALSE(dib.Create(0, 10));
    EXPECT_FALSE(dib.Create(10, 0));
    EXPECT_EQ(dib.hdc(), 0u);
    EXPECT_EQ(dib.hDib(), 0u);
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);

    EXPECT_FALSE(dib.Create(100000, 100000)) << "the image size overflows";
    EXPECT_EQ(dib.Width(), 100000);
    EXPECT_EQ(dib.BytesPerScanLine(), 300000);
    EXPECT_FALSE(dib.Create(800000000, 1)) << "the row size overflows";
    EXPECT_EQ(dib.hDib(), 0u);
    expectError([&] { dib.BytesPerScanLine(); }, 6, "Overflow", "zirpomat.cDIBSection");
    // Nothing to read for the operations that use the pixels.
    dib.RandomiseBits(true);
    EXPECT_EQ(dib.Resample(2, 2)->Width(), 2);
    EXPECT_EQ(gdi::liveObjectCount(), before + 1) << "only the stock bitmap of device contexts stays";
}

TEST(cDIBSection, ClearUpKeepsTheSizeAndLeavesNothingToDrawOn) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(7, 3));
    const gdi::Handle bitmap = dib.hDib();
    dib.ClearUp();
    EXPECT_EQ(dib.DIBSectionBitsPtr(), nullptr);
    EXPECT_EQ(dib.Height(), 3);
    EXPECT_EQ(gdi::bitmapFromHandle(bitmap), nullptr) << "the DIB was deleted";
    dib.RandomiseBits();
    dib.LoadPictureBlt(0);
    const auto copy = dib.Resample(3, 7);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(*copy->DIBSectionBitsPtr(), 0) << "nothing was copied from an instance without pixels";
    const auto resampled = dib.Resample(6, 14);
    ASSERT_NE(resampled, nullptr);
    EXPECT_EQ(*resampled->DIBSectionBitsPtr(), 0);
}

TEST(cDIBSection, TransfersInAndOutWithSizeRules) {
    cDIBSection a;
    cDIBSection b;
    ASSERT_TRUE(a.Create(4, 3));
    ASSERT_TRUE(b.Create(4, 3));
    fillDib(a, {10, 20, 30});
    b.LoadPictureBlt(a.hdc(), 0, 0, 0, -1);
    EXPECT_EQ(pixelAt(b, 0, 0)[0], 0) << "a width of 0 transfers nothing";
    b.LoadPictureBlt(a.hdc(), 0, 0, -1, 1);
    EXPECT_EQ(pixelAt(b, 3, 0)[2], 10) << "-1 is the whole width";
    EXPECT_EQ(pixelAt(b, 0, 1)[2], 0) << "only the top line";

    cDIBSection c;
    ASSERT_TRUE(c.Create(4, 3));
    a.PaintPicture(c.hdc(), 1, 1, -1, -1, 0, 0, gdi::NOTSRCCOPY);
    EXPECT_EQ(pixelAt(c, 0, 0)[0], 0);
    EXPECT_EQ(pixelAt(c, 1, 1)[0], 255 - 30);
    EXPECT_EQ(pixelAt(c, 3, 2)[2], 255 - 10);

    cDIBSection empty;
    empty.PaintPicture(c.hdc());
    empty.LoadPictureBlt(a.hdc());
    EXPECT_EQ(pixelAt(c, 0, 0)[0], 0);
}

TEST(cDIBSection, CreateFromPictureCopiesASkin) {
    const gdi::Picture skin = gdi::loadPicture(platform::assetPath("skins/small_open.bmp"));
    ASSERT_FALSE(skin.empty());
    cDIBSection dib;
    dib.CreateFromPicture(skin);
    EXPECT_EQ(dib.Width(), 123);
    EXPECT_EQ(dib.Height(), 109);
    const auto& source = skin.bitmap()->bits;
    EXPECT_TRUE(std::equal(source.begin(), source.end(), dib.DIBSectionBitsPtr()));
    EXPECT_FALSE(skin.empty()) << "the picture stays the caller's";

    cDIBSection none;
    none.CreateFromPicture(gdi::Picture{});
    EXPECT_EQ(none.hDib(), 0u);
    EXPECT_EQ(none.Width(), 0);
}

TEST(cDIBSection, CopyToClipboardRefusesDibsAndPlacesABitmap) {
    RecordingHost host;
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(3, 2));
    setPixel(dib, 2, 0, {1, 2, 3});

    EXPECT_FALSE(dib.CopyToClipboard());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
    EXPECT_FALSE(host.clipboard.has_value());

    const std::size_t before = gdi::liveObjectCount();
    EXPECT_TRUE(dib.CopyToClipboard(false));
    ASSERT_TRUE(host.clipboard.has_value());
    EXPECT_EQ(host.clipboard->width, 3);
    EXPECT_EQ(host.clipboard->bits, gdi::bitmapFromHandle(dib.hDib())->bits);
    EXPECT_EQ(gdi::liveObjectCount(), before + 1) << "the copy now belongs to the clipboard";

    host.refuseClipboard = true;
    EXPECT_FALSE(dib.CopyToClipboard(false));
    gdi::OpenClipboard(0);
    EXPECT_FALSE(dib.CopyToClipboard(false)) << "the clipboard is held elsewhere";
    gdi::EmptyClipboard();
    gdi::CloseClipboard();
    EXPECT_EQ(gdi::liveObjectCount(), before) << "copies not taken are freed";
}

namespace {

// A w x h picture whose pixel in column x of every row has red, green and
// blue all equal to values[x], or, with byRow, values[memory row].
std::unique_ptr<cDIBSection> ramp(int w, int h, const std::vector<std::uint8_t>& values, bool byRow = false) {
    auto dib = std::make_unique<cDIBSection>();
    EXPECT_TRUE(dib->Create(w, h));
    for (int row = 0; row < h; ++row)
        for (int x = 0; x < w; ++x) {
            const std::uint8_t v = values[byRow ? row : x];
            std::fill_n(dib->DIBSectionBitsPtr() + row * dib->BytesPerScanLine() + 3 * x, 3, v);
        }
    return dib;
}

std::uint8_t memoryByte(const cDIBSection& dib, int x, int row, int channel = 0) {
    return dib.DIBSectionBitsPtr()[row * dib.BytesPerScanLine() + 3 * x + channel];
}

}  // namespace

TEST(cDIBSection, ResampleSamplesTheSpecifiedPositions) {
    // 3 columns to 2: the scale is exactly 1, so columns 0 and 1 come through.
    const auto three = ramp(3, 2, {17, 99, 250});
    const auto two = three->Resample(2, 2);
    EXPECT_EQ(memoryByte(*two, 0, 0), 17);
    EXPECT_EQ(memoryByte(*two, 1, 1), 99);
    // 2 columns to 4: positions 0, 0.25, 0.5, 0.75 between 0 and 200.
    const auto wide = ramp(2, 2, {0, 200})->Resample(2, 4);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->Width(), 4);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(memoryByte(*wide, x, 0), 50 * x) << x;
    // Halves go to even: 0 and 255 at 0.5 give 128, 2 and 3 give 2.
    const auto rowsA = ramp(1, 2, {0, 255}, true)->Resample(4, 1);
    EXPECT_EQ(memoryByte(*rowsA, 0, 2), 128);
    const auto rowsB = ramp(1, 2, {2, 3}, true)->Resample(4, 1);
    EXPECT_EQ(memoryByte(*rowsB, 0, 2), 2);
    // Two roundings: at (0.5, 0.5) the columns blend 1 and 2 (1.5 -> 2) and
    // 3 and 4 (3.5 -> 4), then 2 and 4 give 3; one rounding of the mean 2.5
    // would give 2.
    auto grid = std::make_unique<cDIBSection>();
    ASSERT_TRUE(grid->Create(2, 2));
    const std::uint8_t values[2][2] = {{1, 3}, {2, 4}};  // [memory row][column]
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 2; ++x)
            std::fill_n(grid->DIBSectionBitsPtr() + row * grid->BytesPerScanLine() + 3 * x, 3, values[row][x]);
    const auto blended = grid->Resample(4, 4);
    EXPECT_EQ(memoryByte(*blended, 2, 2), 3);
    EXPECT_EQ(memoryByte(*blended, 0, 0), 1);
    EXPECT_EQ(memoryByte(*blended, 3, 3), 4) << "(0.75, 0.75): 1.75 -> 2 and 3.75 -> 4, then 3.5 -> 4";
}

TEST(cDIBSection, ResampleSizesAndNarrowSources) {
    const auto source = ramp(3, 3, {5, 6, 7});
    const auto same = source->Resample(3, 3);
    ASSERT_NE(same, nullptr);
    EXPECT_TRUE(std::equal(source->DIBSectionBitsPtr(), source->DIBSectionBitsPtr() + 3 * 12, same->DIBSectionBitsPtr()));
    const auto sized = source->Resample(10, 20);
    EXPECT_EQ(sized->Width(), 20);
    EXPECT_EQ(sized->Height(), 10);
    EXPECT_EQ(source->Resample(0, 5), nullptr);
    EXPECT_EQ(source->Resample(5, -1), nullptr);
    // One pixel wide or high: the missing neighbour is the pixel itself.
    const auto dot = ramp(1, 1, {77})->Resample(5, 6);
    for (int row = 0; row < 5; ++row)
        for (int x = 0; x < 6; ++x) ASSERT_EQ(memoryByte(*dot, x, row, 2), 77);
    const auto line = ramp(4, 1, {0, 40, 80, 120})->Resample(3, 8);
    EXPECT_EQ(memoryByte(*line, 1, 2), 15);  // position 0.375 of 0 and 40
}

TEST(cDIBSection, RandomiseBitsFillsPixelsOnly) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(5, 4));  // one padding byte a row
    auto& bits = gdi::bitmapFromHandle(dib.hDib())->bits;
    const int padding = dib.BytesPerScanLine() - 15;
    ASSERT_EQ(padding, 1);
    for (int row = 0; row < 4; ++row) bits[row * 16 + 15] = 0xAB;

    dib.RandomiseBits();
    std::set<int> seen;
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(memoryByte(dib, x, row, 0), 0) << "colour noise has no blue";
            seen.insert(memoryByte(dib, x, row, 1));
            seen.insert(memoryByte(dib, x, row, 2));
        }
        EXPECT_EQ(bits[row * 16 + 15], 0xAB);
    }
    EXPECT_GT(seen.size(), 5u) << "forty draws give more than a handful of values";

    dib.RandomiseBits(true);
    seen.clear();
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(memoryByte(dib, x, row, 0), memoryByte(dib, x, row, 1));
            EXPECT_EQ(memoryByte(dib, x, row, 1), memoryByte(dib, x, row, 2));
            seen.insert(memoryByte(dib, x, row, 0));
        }
        EXPECT_EQ(bits[row * 16 + 15], 0xAB);
    }
    EXPECT_GT(seen.size(), 3u);
}

TEST(cDIBSection, CreateDIBForAnotherHandleLeavesTheInstanceAlone) {
    cDIBSection dib;
    ASSERT_TRUE(dib.Create(2, 2));
    std::uint8_t* bits = dib.DIBSectionBitsPtr();
    gdi::Handle callers = 0;
    ASSERT_TRUE(dib.CreateDIB(dib.hdc(), 50, 40, callers));
    EXPECT_NE(callers, 0u);
    EXPECT_EQ(gdi::bitmapFromHandle(callers)->width, 50);
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_EQ(dib.DIBSectionBitsPtr(), bits);
    EXPECT_TRUE(gdi::DeleteObject(callers));
    dib.RandomiseBits();  // still writes only its own 2 x 2 pixels
}
