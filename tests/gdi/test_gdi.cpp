#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <random>

#include "RecordingHost.h"
#include "bitblt.h"
#include "child_process.h"
#include "picture.h"
#include "region.h"
#include "temp_dir.h"
#include "window_services.h"

namespace {

using gdi::Rect;
using Rects = std::vector<Rect>;
using Bytes = std::vector<std::uint8_t>;

// A memory device context with a 24-bit DIB section selected, released at the end.
struct Surface {
    Surface(std::int32_t width, std::int32_t height)
        : dc(gdi::CreateCompatibleDC(0)),
          dib(gdi::CreateDIBSection(dc, {40, width, height, 1, 24, 0, 0, 0, 0, 0, 0}, gdi::DIB_RGB_COLORS, &bits, 0, 0)),
          previous(gdi::SelectObject(dc, dib)) {}
    ~Surface() { gdi::SelectObject(dc, previous), gdi::DeleteObject(dib), gdi::DeleteDC(dc); }
    Bytes& bytes() const { return gdi::bitmapFromHandle(dib)->bits; }
    // The blue byte of pixel (x, y) from the top-left corner; set() sets all three bytes alike.
    std::uint8_t& at(int x, int y) const { return bytes()[(gdi::bitmapFromHandle(dib)->height - 1 - y) * gdi::bitmapFromHandle(dib)->stride + x * 3]; }
    void set(int x, int y, std::uint8_t value) const { std::fill_n(&at(x, y), 3, value); }
    std::uint8_t* bits = nullptr;
    gdi::Handle dc, dib, previous;
};

// A 24-bit bitmap file of the size, with `pixelBytes` bytes counting up from 1.
Bytes bitmapFile(std::int32_t width, std::int32_t height, std::size_t pixelBytes, std::size_t length = 0) {
    Bytes file(54 + pixelBytes, 0);
    for (auto [at, v] : {std::pair{2, static_cast<std::int32_t>(file.size())}, {10, 54}, {14, 40}, {18, width}, {22, height}})
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
    file[0] = 'B', file[1] = 'M', file[26] = 1, file[28] = 24;
    for (std::size_t i = 0; i < pixelBytes; ++i) file[54 + i] = static_cast<std::uint8_t>(i + 1);
    if (length) file.resize(length);
    return file;
}

Rects rectsOf(gdi::Handle region) { return gdi::regionFromHandle(region) ? gdi::regionFromHandle(region)->rects() : Rects{}; }

Bytes dataOf(gdi::Handle region) {
    Bytes data(gdi::GetRegionData(region, 0, nullptr));
    EXPECT_EQ(gdi::GetRegionData(region, static_cast<std::uint32_t>(data.size()), data.data()), data.size());
    return data;
}

Bytes block(std::vector<std::int32_t> words) {
    Bytes bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());  // the test machine is little-endian
    return bytes;
}

gdi::Handle fromBlock(const Bytes& bytes) { return gdi::ExtCreateRegion(nullptr, static_cast<std::uint32_t>(bytes.size()), bytes.data()); }

// Pixel sets on a small grid: the reference for the region algebra.
constexpr int kGrid = 24;
using Grid = std::vector<std::vector<bool>>;

Grid paint(const Rects& rects) {
    Grid grid(kGrid, std::vector<bool>(kGrid, false));
    for (const Rect& r : rects)
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, kGrid); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, kGrid); ++x) grid[y][x] = true;
    return grid;
}

// Banded form: the spans of a band share top and bottom, are sorted and never touch; bands never overlap,
// and touching bands differ.
void expectBanded(const Rects& rects) {
    std::vector<std::pair<Rect, std::vector<std::pair<int, int>>>> bands;
    for (const Rect& r : rects) {
        ASSERT_TRUE(r.left < r.right && r.top < r.bottom);
        if (bands.empty() || bands.back().first.top != r.top) {
            if (!bands.empty()) {
                ASSERT_LE(bands.back().first.bottom, r.top) << "bands overlap";
            }
            bands.push_back({r, {}});
        } else {
            ASSERT_EQ(bands.back().first.bottom, r.bottom);
            ASSERT_LT(bands.back().second.back().second, r.left) << "spans in a band touch or overlap";
        }
        bands.back().second.emplace_back(r.left, r.right);
    }
    for (std::size_t i = 1; i < bands.size(); ++i) {
        if (bands[i - 1].first.bottom == bands[i].first.top) {
            ASSERT_NE(bands[i - 1].second, bands[i].second) << "touching bands alike are one band";
        }
    }
}

}  // namespace

TEST(BitBlt, RasterOperationsClippingAndSurfaces) {
    // Source 0xCA on destination 0xA6, with the default white brush.
    const std::pair<std::uint32_t, std::uint8_t> rows[] = {
        {gdi::SRCCOPY, 0xCA}, {gdi::SRCPAINT, 0xEE}, {gdi::SRCAND, 0x82}, {gdi::SRCINVERT, 0x6C}, {gdi::SRCERASE, 0x48},
        {gdi::NOTSRCCOPY, 0x35}, {gdi::NOTSRCERASE, 0x11}, {gdi::MERGECOPY, 0xCA}, {gdi::MERGEPAINT, 0xB7},
        {gdi::PATCOPY, 0xFF}, {gdi::PATPAINT, 0xFF}, {gdi::PATINVERT, 0x59}, {gdi::DSTINVERT, 0x59},
        {gdi::BLACKNESS, 0x00}, {gdi::WHITENESS, 0xFF}};
    for (const auto& [rop, result] : rows) {
        Surface source(2, 1), dest(2, 1);
        for (int x : {0, 1}) source.set(x, 0, 0xCA), dest.set(x, 0, 0xA6);
        EXPECT_TRUE(gdi::BitBlt(dest.dc, 0, 0, 2, 1, source.dc, 0, 0, rop)) << std::hex << rop;
        EXPECT_EQ(dest.bytes(), (Bytes{result, result, result, result, result, result, 0, 0})) << std::hex << rop;
    }
    // Operations without a source need no source device context; other codes fail and draw nothing.
    Surface pixel(1, 1), other(1, 1);
    pixel.set(0, 0, 0x0F);
    EXPECT_TRUE(gdi::BitBlt(pixel.dc, 0, 0, 1, 1, 0, 0, 0, gdi::DSTINVERT));
    EXPECT_FALSE(gdi::BitBlt(pixel.dc, 0, 0, 1, 1, other.dc, 0, 0, 0x00CC0021) ||
                 gdi::BitBlt(pixel.dc, 0, 0, 1, 1, other.dc, 0, 0, 0x00990066));  // a valid code, not offered
    EXPECT_EQ(pixel.at(0, 0), 0xF0);
    // Blocks are clipped to both surfaces, overlapping ones move whole, and both ends must be surfaces.
    Surface source(4, 3), dest(3, 3), dest2(3, 3), dest3(2, 2), column(1, 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) source.set(x, y, static_cast<std::uint8_t>(10 * y + x + 1));
    EXPECT_TRUE(gdi::BitBlt(dest.dc, -1, 0, 5, 5, source.dc, 2, 1, gdi::SRCCOPY));     // 2 x 2 exist, one column goes
    EXPECT_TRUE(gdi::BitBlt(dest2.dc, 0, 0, 3, 3, source.dc, -1, -2, gdi::SRCCOPY));  // the destination moves along
    const struct { const Surface& s; int x, y; std::uint8_t value; } pixels[] = {
        {dest, 0, 0, 14}, {dest, 1, 0, 0}, {dest, 0, 1, 24}, {dest, 0, 2, 0},
        {dest2, 0, 2, 0}, {dest2, 1, 2, 1}, {dest2, 2, 2, 2}, {dest2, 1, 1, 0}};
    for (const auto& p : pixels) EXPECT_EQ(p.s.at(p.x, p.y), p.value) << p.x << "," << p.y;
    // A block of no area or outside the surface transfers nothing and succeeds.
    for (auto [x, w, h] : {std::tuple{0, 0, 2}, {0, 2, -1}, {5, 2, 2}}) EXPECT_TRUE(gdi::BitBlt(dest3.dc, x, x, w, h, source.dc, 0, 0, gdi::SRCCOPY));
    EXPECT_EQ(dest3.bytes(), Bytes(dest3.bytes().size(), 0));
    for (int y = 0; y < 4; ++y) column.set(0, y, static_cast<std::uint8_t>(y + 1));
    EXPECT_TRUE(gdi::BitBlt(column.dc, 0, 1, 1, 3, column.dc, 0, 0, gdi::SRCCOPY));  // moved down onto itself
    for (int y = 0; y < 4; ++y) EXPECT_EQ(column.at(0, y), std::max(y, 1));
    const gdi::Handle screen = gdi::GetDC(gdi::GetDesktopWindow());
    ASSERT_TRUE(screen != 0 && gdi::GetDC(0xBEEF) == 0) << "only the desktop has a device context here";
    const gdi::Handle bare = gdi::CreateCompatibleDC(screen);  // the stock bitmap is no surface
    for (auto [to, from] : {std::pair{screen, dest.dc}, {dest.dc, screen}, {bare, dest.dc}, {dest.dc, 0}, {0xDEAD, dest.dc}})
        EXPECT_FALSE(gdi::BitBlt(to, 0, 0, 1, 1, from, 0, 0, gdi::SRCCOPY)) << to << " " << from;
    EXPECT_EQ(gdi::ReleaseDC(gdi::GetDesktopWindow(), screen), 1);
    EXPECT_TRUE(gdi::DeleteDC(bare));
}

TEST(Handles, SelectionOwnershipRecordsAndDibSections) {
    gdi::DeleteDC(gdi::CreateCompatibleDC(0));  // makes the shared stock bitmap
    const std::size_t before = gdi::liveObjectCount();
    const gdi::Handle dc = gdi::CreateCompatibleDC(0), other = gdi::CreateCompatibleDC(0), bitmap = gdi::CreateCompatibleBitmap(dc, 5, 2);
    ASSERT_TRUE(dc && other && bitmap);
    const gdi::Handle stock = gdi::SelectObject(dc, bitmap);
    EXPECT_EQ(gdi::SelectObject(other, bitmap), 0u) << "a bitmap sits in one device context at a time";
    const gdi::Handle screen = gdi::GetDC(gdi::GetDesktopWindow());
    for (auto [into, object] : {std::pair{other, dc}, {0xDEAD, bitmap}, {screen, bitmap}})
        EXPECT_EQ(gdi::SelectObject(into, object), 0u) << "only bitmaps, only into memory device contexts";
    gdi::ReleaseDC(gdi::GetDesktopWindow(), screen);
    EXPECT_FALSE(gdi::DeleteObject(bitmap)) << "a selected bitmap cannot be deleted";
    EXPECT_EQ(gdi::SelectObject(dc, stock), bitmap);
    EXPECT_FALSE(gdi::DeleteObject(stock) || gdi::DeleteObject(dc)) << "device contexts go with DeleteDC";
    gdi::BITMAP record{};
    EXPECT_EQ(gdi::GetObjectA(bitmap, sizeof(record), &record), static_cast<int>(sizeof(record)));
    EXPECT_EQ(std::tie(record.bmWidth, record.bmHeight, record.bmWidthBytes, record.bmBitsPixel, record.bmPlanes, record.bmBits),
              std::make_tuple(5, 2, 16, 24, 1, nullptr));
    EXPECT_EQ(gdi::GetObjectA(bitmap, sizeof(record) - 1, &record) + gdi::GetObjectA(dc, sizeof(record), &record), 0);
    EXPECT_TRUE(gdi::DeleteDC(dc) && gdi::DeleteDC(other) && gdi::DeleteObject(bitmap) && !gdi::DeleteObject(bitmap));
    EXPECT_EQ(gdi::liveObjectCount(), before);
    // DIB sections are zeroed 24-bit memory; other depths, top-down rows, no width and overflow are refused.
    const gdi::BITMAPINFOHEADER headers[] = {{40, 3, 2, 1, 24}, {40, 3, 2, 1, 32}, {40, 3, -2, 1, 24},
        {40, 0, 2, 1, 24}, {40, 0x30000000, 2, 1, 24}, {40, 100000, 100000, 1, 24}};
    for (const gdi::BITMAPINFOHEADER& h : headers) {
        auto* bits = reinterpret_cast<std::uint8_t*>(1);
        const gdi::Handle dib = gdi::CreateDIBSection(0, h, gdi::DIB_RGB_COLORS, &bits, 0, 0);
        ASSERT_EQ(dib != 0, &h == headers) << h.biWidth << " x " << h.biHeight;
        EXPECT_EQ(bits, dib ? gdi::bitmapFromHandle(dib)->bits.data() : nullptr);
        if (!dib) continue;
        EXPECT_EQ(gdi::bitmapFromHandle(dib)->bits, Bytes(24, 0));
        EXPECT_EQ((gdi::GetObjectA(dib, sizeof(record), &record), record.bmBits), bits);
        gdi::DeleteObject(dib);
    }
}

TEST(Picture, LoadsWholeBottomUpAndTopDownFilesOnly) {
    testing_support::TempDir folder;
    const Bytes up = bitmapFile(2, 2, 16);  // rows of 6 bytes and 2 of padding
    testing_support::writeFile(folder.file("up.bmp"), std::string(up.begin(), up.end()));
    EXPECT_EQ(gdi::loadPicture(folder.file("up.bmp")).bitmap()->bits, (Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(gdi::pictureFromBytes(bitmapFile(2, -2, 16)).bitmap()->bits, (Bytes{9, 10, 11, 12, 13, 14, 15, 16, 1, 2, 3, 4, 5, 6, 7, 8}));
    for (const Bytes& bad : {bitmapFile(2, 2, 15), bitmapFile(2, -2, 15), bitmapFile(0, 2, 16), bitmapFile(-2, 2, 16),
                             bitmapFile(2, 0, 16), bitmapFile(2, 2, 16, 53)})
        EXPECT_TRUE(gdi::pictureFromBytes(bad).empty());
    ASSERT_EQ(::mkfifo(folder.file("pipe.bmp").c_str(), 0600), 0);  // refused without waiting for a writer
    EXPECT_TRUE(gdi::loadPicture(folder.file("pipe.bmp")).empty() && gdi::loadPicture(folder.file("missing.bmp")).empty());
    // 23000 x 31000 pixels would be 2 GB of pixel memory: a file without them takes none.
    const Bytes huge = bitmapFile(23000, 31000, 0);
    testing_support::writeFile(folder.file("huge.bmp"), std::string(huge.begin(), huge.end()));
    EXPECT_TRUE(testing_support::childSucceeds([&] {
        rusage before{}, after{};
        ::getrusage(RUSAGE_SELF, &before);
        const bool refused = gdi::loadPicture(folder.file("huge.bmp")).empty();
        ::getrusage(RUSAGE_SELF, &after);
        return refused && after.ru_maxrss - before.ru_maxrss < 100 * 1024;
    }));
}

TEST(Regions, CombineRgnReportsTheShapeAndDataBlocksSaveAndLoad) {
    const gdi::Handle a = gdi::CreateRectRgn(10, 10, 0, 0);  // corners are put in order
    const gdi::Handle b = gdi::CreateRectRgn(5, 0, 15, 10), d = gdi::CreateRectRgn(0, 0, 0, 0);
    EXPECT_TRUE((rectsOf(a) == Rects{{0, 0, 10, 10}}) && rectsOf(d).empty());
    const struct { gdi::Handle a, b; int mode, result; Rects rects; } rows[] = {
        {a, b, gdi::RGN_AND, gdi::SIMPLEREGION, {{5, 0, 10, 10}}}, {a, b, gdi::RGN_OR, gdi::SIMPLEREGION, {{0, 0, 15, 10}}},
        {a, b, gdi::RGN_DIFF, gdi::SIMPLEREGION, {{0, 0, 5, 10}}}, {a, a, gdi::RGN_XOR, gdi::NULLREGION, {}},
        {a, b, gdi::RGN_XOR, gdi::COMPLEXREGION, {{0, 0, 5, 10}, {10, 0, 15, 10}}},
        {b, 0, gdi::RGN_COPY, gdi::SIMPLEREGION, {{5, 0, 15, 10}}}};
    for (const auto& r : rows) {
        EXPECT_EQ(gdi::CombineRgn(d, r.a, r.b, r.mode), r.result) << r.mode;
        EXPECT_EQ(rectsOf(d), r.rects) << r.mode;
    }
    EXPECT_EQ(gdi::CombineRgn(a, a, b, gdi::RGN_DIFF), gdi::SIMPLEREGION) << "the result may be a source";
    EXPECT_EQ(rectsOf(a), (Rects{{0, 0, 5, 10}}));
    for (auto [to, from, with, mode] : {std::tuple{d, a, b, 6}, {d, a, 0, gdi::RGN_OR}, {0, a, b, gdi::RGN_OR}})
        EXPECT_EQ(gdi::CombineRgn(to, from, with, mode), gdi::RGN_ERROR);
    EXPECT_EQ(rectsOf(d), (Rects{{5, 0, 15, 10}})) << "a failed call changes nothing";
    for (gdi::Handle h : {a, b, d}) EXPECT_TRUE(gdi::DeleteObject(h));
    // Unsorted, overlapping and empty rectangles load as their banded union; header bounds and sizes are not trusted.
    const gdi::Handle loaded = fromBlock(block({32, 1, 4, 0, 99, 99, 99, 99, 5, 5, 15, 15, 0, 0, 10, 10, 7, 7, 7, 20, 30, 30, 20, 40}));
    ASSERT_NE(loaded, 0u);
    const Bytes saved = dataOf(loaded);
    EXPECT_EQ(saved, block({32, 1, 3, 48, 0, 0, 15, 15, 0, 0, 10, 5, 0, 5, 15, 10, 5, 10, 15, 15}));
    const gdi::Handle again = fromBlock(saved);
    EXPECT_EQ(dataOf(again), saved);
    Bytes space(100);
    EXPECT_EQ(gdi::GetRegionData(loaded, 79, space.data()) + gdi::GetRegionData(0, 0, nullptr), 0u);
    EXPECT_EQ(gdi::GetRegionData(loaded, 100, space.data()), 100u);
    const gdi::Handle negative = gdi::CreateRectRgn(-2, -1, 1, 1);  // every byte of a coordinate is written
    EXPECT_EQ(dataOf(negative), block({32, 1, 1, 16, -2, -1, 1, 1, -2, -1, 1, 1}));
    const gdi::Handle back = fromBlock(dataOf(negative));  // ... and read
    EXPECT_EQ(rectsOf(back), (Rects{{-2, -1, 1, 1}}));
    const gdi::Handle empty = gdi::CreateRectRgn(3, 3, 3, 9);
    EXPECT_EQ(dataOf(empty), block({32, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(dataOf(gdi::CreateRectRgn(3, 3, 9, 3)), dataOf(empty));  // no height holds nothing either
    const gdi::Handle none = fromBlock(dataOf(empty));
    EXPECT_TRUE(none && rectsOf(none).empty());
    const Bytes good = block({32, 1, 1, 16, 0, 0, 1, 1, 0, 0, 1, 1});
    // A short header, a count beyond the length, a transform, no data.
    EXPECT_EQ(gdi::ExtCreateRegion(nullptr, 31, good.data()) + gdi::ExtCreateRegion(nullptr, 47, good.data()) +
                  gdi::ExtCreateRegion(good.data(), 48, good.data()) + gdi::ExtCreateRegion(nullptr, 48, nullptr), 0u);
    for (auto [word, value] : {std::pair{0, 40}, {1, 2}, {2, 0x10000001}}) {  // header size, type, count overflow
        Bytes bad = good;
        std::memcpy(bad.data() + 4 * word, &value, 4);
        EXPECT_EQ(fromBlock(bad), 0u) << word;
    }
    for (gdi::Handle h : {loaded, again, negative, back, empty, none}) EXPECT_TRUE(gdi::DeleteObject(h));
}

// Up to six random rectangles on each side, inverted ones included, make regions of many bands.
TEST(Regions, RandomCombinationsMatchPixelSetsAndStayBanded) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> coord(0, kGrid);
    const auto randomRects = [&] {
        Rects rects(1 + random() % 6);
        for (Rect& r : rects) r = {coord(random), coord(random), coord(random), coord(random)};
        return rects;
    };
    const auto inverted = [](const Rect& r) { return r.left >= r.right || r.top >= r.bottom; };
    for (int round = 0; round < 300; ++round) {
        Rects ra = randomRects(), rb = randomRects();
        const gdi::Region a = gdi::Region::unionOf(ra), b = gdi::Region::unionOf(rb);
        std::erase_if(ra, inverted), std::erase_if(rb, inverted);  // they add nothing to a union
        const Grid ga = paint(ra), gb = paint(rb);
        ASSERT_EQ(paint(a.rects()), ga) << "round " << round;
        for (int mode : {gdi::RGN_AND, gdi::RGN_OR, gdi::RGN_XOR, gdi::RGN_DIFF}) {
            SCOPED_TRACE("round " + std::to_string(round) + ", mode " + std::to_string(mode));
            const Rects rects = gdi::Region::combine(a, b, mode).rects();
            expectBanded(rects);
            const Grid got = paint(rects);
            for (int y = 0; y < kGrid; ++y)
                for (int x = 0; x < kGrid; ++x) {
                    const bool inA = ga[y][x], inB = gb[y][x];
                    const bool want = mode == gdi::RGN_AND ? inA && inB
                                      : mode == gdi::RGN_OR ? inA || inB
                                      : mode == gdi::RGN_XOR ? inA != inB
                                                             : inA && !inB;
                    ASSERT_EQ(got[y][x], want) << "at " << x << "," << y;
                }
        }
    }
}

TEST(WindowServices, WindowRegionsAndTheClipboardTakeWhatTheyAreGivenOnlyOnSuccess) {
    RecordingHost host;
    const gdi::Handle region = gdi::CreateRectRgn(0, 0, 10, 10), hole = gdi::CreateRectRgn(2, 2, 4, 4);
    gdi::CombineRgn(region, region, hole, gdi::RGN_XOR);
    gdi::DeleteObject(hole);
    EXPECT_EQ(gdi::SetWindowRgn(7, region, true), 1);
    EXPECT_EQ(host.shapes.at(7).value_or(Rects{}).size(), 4u);
    EXPECT_EQ(gdi::regionFromHandle(region), nullptr) << "the region now belongs to the window";
    EXPECT_EQ(gdi::SetWindowRgn(7, 0, false), 1);
    EXPECT_FALSE(host.shapes.at(7).has_value());
    EXPECT_EQ(host.redraws, (std::vector<bool>{true, false}));
    const gdi::Handle kept = gdi::CreateRectRgn(0, 0, 1, 1);
    host.missingWindows.insert(9);
    EXPECT_EQ(gdi::SetWindowRgn(9, kept, true) + gdi::SetWindowRgn(7, 0xBAD, true), 0);
    EXPECT_NE(gdi::regionFromHandle(kept), nullptr);
    gdi::setWindowHost(nullptr);
    EXPECT_EQ(gdi::SetWindowRgn(7, kept, true), 0);
    gdi::setWindowHost(&host);
    EXPECT_TRUE(gdi::DeleteObject(kept));
    // The clipboard takes a bitmap only while open and owns what it took.
    const std::size_t before = gdi::liveObjectCount();
    const gdi::Handle first = gdi::createBitmap(2, 2), second = gdi::createBitmap(1, 1);
    gdi::bitmapFromHandle(first)->bits[0] = 42;
    EXPECT_EQ(gdi::SetClipboardData(gdi::CF_BITMAP, first), 0u) << "the clipboard is closed";
    EXPECT_FALSE(gdi::EmptyClipboard());
    ASSERT_TRUE(gdi::OpenClipboard(0));
    EXPECT_FALSE(gdi::OpenClipboard(0)) << "already open";
    EXPECT_TRUE(gdi::EmptyClipboard());
    EXPECT_EQ(gdi::SetClipboardData(1, first) + gdi::SetClipboardData(gdi::CF_BITMAP, 0xBAD), 0u) << "only bitmaps";
    EXPECT_EQ(gdi::SetClipboardData(gdi::CF_BITMAP, first), first);
    EXPECT_EQ(host.clipboard.value_or(gdi::Bitmap{}).bits.at(0), 42);
    EXPECT_TRUE(gdi::CloseClipboard() && !gdi::CloseClipboard());
    ASSERT_TRUE(gdi::OpenClipboard(0) && gdi::EmptyClipboard());
    EXPECT_EQ(gdi::bitmapFromHandle(first), nullptr) << "emptying frees what the clipboard took";
    host.refuseClipboard = true;
    EXPECT_EQ(gdi::SetClipboardData(gdi::CF_BITMAP, second), 0u);
    EXPECT_TRUE(gdi::CloseClipboard());
    EXPECT_TRUE(gdi::DeleteObject(second)) << "a bitmap not taken stays the caller's";
    EXPECT_EQ(gdi::liveObjectCount(), before);
}

