#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "region.h"

using gdi::Rect;
using Rects = std::vector<Rect>;
using Bytes = std::vector<std::uint8_t>;

namespace {

Rects rectsOf(gdi::Handle region) {
    const gdi::Region* r = gdi::regionFromHandle(region);
    return r ? r->rects() : Rects{};
}

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

gdi::Handle fromBlock(const Bytes& bytes) {
    return gdi::ExtCreateRegion(nullptr, static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

// Pixel sets on a small grid, the reference for the region algebra.
constexpr int kGrid = 24;
using Grid = std::vector<std::vector<bool>>;

Grid paint(const Rects& rects) {
    Grid grid(kGrid, std::vector<bool>(kGrid, false));
    for (const Rect& r : rects)
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, kGrid); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, kGrid); ++x) grid[y][x] = true;
    return grid;
}

// Banded form: spans of a band share top and bottom, are sorted and never
// touch; bands never overlap, and touching bands differ.
void expectCanonical(const Rects& rects) {
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
    for (std::size_t i = 1; i < bands.size(); ++i)
        if (bands[i - 1].first.bottom == bands[i].first.top) {
            ASSERT_NE(bands[i - 1].second, bands[i].second);
        }
}

}  // namespace

TEST(Regions, RandomCombinationsMatchPixelSetsAndStayBanded) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> coord(0, kGrid);
    const auto randomRects = [&] {
        Rects rects(1 + random() % 6);
        for (Rect& r : rects) r = {coord(random), coord(random), coord(random), coord(random)};
        return rects;
    };
    for (int round = 0; round < 300; ++round) {
        Rects ra = randomRects(), rb = randomRects();
        const gdi::Region a = gdi::Region::unionOf(ra), b = gdi::Region::unionOf(rb);
        // Inverted rectangles add nothing to a union.
        for (Rects* rs : {&ra, &rb}) std::erase_if(*rs, [](const Rect& r) { return r.left >= r.right || r.top >= r.bottom; });
        const Grid ga = paint(ra), gb = paint(rb);
        ASSERT_EQ(paint(a.rects()), ga);
        for (int mode : {gdi::RGN_AND, gdi::RGN_OR, gdi::RGN_XOR, gdi::RGN_DIFF}) {
            const Rects rects = gdi::Region::combine(a, b, mode).rects();
            expectCanonical(rects);
            const Grid got = paint(rects);
            for (int y = 0; y < kGrid; ++y)
                for (int x = 0; x < kGrid; ++x) {
                    const bool inA = ga[y][x], inB = gb[y][x];
                    const bool want = mode == gdi::RGN_AND ? inA && inB
                                      : mode == gdi::RGN_OR ? inA || inB
                                      : mode == gdi::RGN_XOR ? inA != inB
                                                             : inA && !inB;
                    ASSERT_EQ(got[y][x], want) << "mode " << mode << " at " << x << "," << y;
                }
        }
    }
}

TEST(Regions, CombineRgnReportsTheShapeOrAnError) {
    const gdi::Handle a = gdi::CreateRectRgn(10, 10, 0, 0);  // corners are put in order
    const gdi::Handle b = gdi::CreateRectRgn(5, 0, 15, 10);
    const gdi::Handle d = gdi::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(rectsOf(a), (Rects{{0, 0, 10, 10}}));
    EXPECT_TRUE(rectsOf(d).empty());
    const struct { gdi::Handle a, b; int mode, result; Rects rects; } rows[] = {
        {a, b, gdi::RGN_AND, gdi::SIMPLEREGION, {{5, 0, 10, 10}}},
        {a, b, gdi::RGN_OR, gdi::SIMPLEREGION, {{0, 0, 15, 10}}},
        {a, b, gdi::RGN_DIFF, gdi::SIMPLEREGION, {{0, 0, 5, 10}}},
        {a, b, gdi::RGN_XOR, gdi::COMPLEXREGION, {{0, 0, 5, 10}, {10, 0, 15, 10}}},
        {a, a, gdi::RGN_XOR, gdi::NULLREGION, {}},
        {b, 0, gdi::RGN_COPY, gdi::SIMPLEREGION, {{5, 0, 15, 10}}},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(gdi::CombineRgn(d, r.a, r.b, r.mode), r.result) << r.mode;
        EXPECT_EQ(rectsOf(d), r.rects) << r.mode;
    }
    EXPECT_EQ(gdi::CombineRgn(a, a, b, gdi::RGN_DIFF), gdi::SIMPLEREGION) << "the result may be a source";
    EXPECT_EQ(rectsOf(a), (Rects{{0, 0, 5, 10}}));
    EXPECT_EQ(gdi::CombineRgn(d, a, b, 6), gdi::RGN_ERROR);
    EXPECT_EQ(gdi::CombineRgn(d, a, 0, gdi::RGN_OR), gdi::RGN_ERROR);
    EXPECT_EQ(gdi::CombineRgn(0, a, b, gdi::RGN_OR), gdi::RGN_ERROR);
    EXPECT_EQ(rectsOf(d), (Rects{{5, 0, 15, 10}})) << "a failed call changes nothing";
    for (gdi::Handle h : {a, b, d}) EXPECT_TRUE(gdi::DeleteObject(h));
}

TEST(Regions, DataBlocksSaveAndLoadAndBadOnesAreRefused) {
    // Unsorted, overlapping and empty rectangles load as their banded union;
    // header bounds and size fields are not trusted.
    const gdi::Handle loaded =
        fromBlock(block({32, 1, 4, 0, 99, 99, 99, 99, 5, 5, 15, 15, 0, 0, 10, 10, 7, 7, 7, 20, 30, 30, 20, 40}));
    ASSERT_NE(loaded, 0u);
    EXPECT_EQ(gdi::GetRegionData(loaded, 0, nullptr), 32u + 3 * 16);
    const Bytes saved = dataOf(loaded);
    EXPECT_EQ(saved, block({32, 1, 3, 48, 0, 0, 15, 15, 0, 0, 10, 5, 0, 5, 15, 10, 5, 10, 15, 15}));
    const gdi::Handle again = fromBlock(saved);
    EXPECT_EQ(dataOf(again), saved);
    Bytes small(79), large(100);
    EXPECT_EQ(gdi::GetRegionData(loaded, 79, small.data()), 0u);
    EXPECT_EQ(gdi::GetRegionData(loaded, 100, large.data()), 100u);
    EXPECT_EQ(gdi::GetRegionData(0, 0, nullptr), 0u);

    const gdi::Handle negative = gdi::CreateRectRgn(-2, -1, 1, 1);  // every byte of a coordinate is written
    EXPECT_EQ(dataOf(negative), block({32, 1, 1, 16, -2, -1, 1, 1, -2, -1, 1, 1}));
    const gdi::Handle empty = gdi::CreateRectRgn(3, 3, 3, 9);
    EXPECT_EQ(dataOf(empty), block({32, 1, 0, 0, 0, 0, 0, 0}));
    const gdi::Handle none = fromBlock(dataOf(empty));
    ASSERT_NE(none, 0u);
    EXPECT_TRUE(rectsOf(none).empty());

    const Bytes good = block({32, 1, 1, 16, 0, 0, 1, 1, 0, 0, 1, 1});
    EXPECT_EQ(gdi::ExtCreateRegion(nullptr, 31, good.data()), 0u);                     // short header
    EXPECT_EQ(gdi::ExtCreateRegion(nullptr, 47, good.data()), 0u);                     // count beyond length
    EXPECT_EQ(gdi::ExtCreateRegion(good.data(), 48, good.data()), 0u);                 // a transform
    EXPECT_EQ(fromBlock(block({40, 1, 1, 16, 0, 0, 1, 1, 0, 0, 1, 1})), 0u);           // header size
    EXPECT_EQ(fromBlock(block({32, 2, 1, 16, 0, 0, 1, 1, 0, 0, 1, 1})), 0u);           // type
    EXPECT_EQ(fromBlock(block({32, 1, 0x10000001, 16, 0, 0, 1, 1, 0, 0, 1, 1})), 0u);  // count overflow
    EXPECT_EQ(gdi::ExtCreateRegion(nullptr, 48, nullptr), 0u);
    for (gdi::Handle h : {loaded, again, negative, empty, none}) EXPECT_TRUE(gdi::DeleteObject(h));
}
