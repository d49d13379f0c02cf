#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "region.h"

using gdi::Rect;

namespace {

std::vector<Rect> rectsOf(gdi::Handle region) {
    const gdi::Region* r = gdi::regionFromHandle(region);
    return r ? r->rects() : std::vector<Rect>{};
}

std::vector<std::uint8_t> dataOf(gdi::Handle region) {
    std::vector<std::uint8_t> data(gdi::GetRegionData(region, 0, nullptr));
    EXPECT_EQ(gdi::GetRegionData(region, static_cast<std::uint32_t>(data.size()), data.data()), data.size());
    return data;
}

std::vector<std::uint8_t> block(std::vector<std::int32_t> words) {
    std::vector<std::uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());  // the test machine is little-endian
    return bytes;
}

gdi::Handle fromBlock(const std::vector<std::uint8_t>& bytes) {
    return gdi::ExtCreateRegion(nullptr, static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

gdi::Handle combined(Rect a, Rect b, int mode) {
    const gdi::Handle ra = gdi::CreateRectRgn(a.left, a.top, a.right, a.bottom);
    const gdi::Handle rb = gdi::CreateRectRgn(b.left, b.top, b.right, b.bottom);
    EXPECT_NE(gdi::CombineRgn(ra, ra, rb, mode), gdi::RGN_ERROR);
    gdi::DeleteObject(rb);
    return ra;
}

}  // namespace

TEST(Regions, KeepTheBandedFormOfTheirRectangles) {
    // Overlapping squares: three bands, the middle one a single merged span.
    const gdi::Handle u = combined({0, 0, 10, 10}, {5, 5, 15, 15}, gdi::RGN_OR);
    EXPECT_EQ(rectsOf(u), (std::vector<Rect>{{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}}));
    // Touching rectangles merge sideways and downwards.
    const gdi::Handle side = combined({0, 0, 5, 10}, {5, 0, 10, 10}, gdi::RGN_OR);
    EXPECT_EQ(rectsOf(side), (std::vector<Rect>{{0, 0, 10, 10}}));
    const gdi::Handle down = combined({0, 0, 10, 5}, {0, 5, 10, 10}, gdi::RGN_OR);
    EXPECT_EQ(rectsOf(down), (std::vector<Rect>{{0, 0, 10, 10}}));
    // A hole cut by exclusive-or: the band beside it has two spans.
    const gdi::Handle hole = combined({0, 0, 10, 10}, {2, 2, 4, 4}, gdi::RGN_XOR);
    EXPECT_EQ(rectsOf(hole), (std::vector<Rect>{{0, 0, 10, 2}, {0, 2, 2, 4}, {4, 2, 10, 4}, {0, 4, 10, 10}}));
    // Cutting the same column twice from adjacent rows leaves equal bands merged.
    const gdi::Handle cut = combined({0, 0, 4, 4}, {1, 0, 2, 2}, gdi::RGN_XOR);
    const gdi::Handle piece = gdi::CreateRectRgn(1, 2, 2, 4);
    gdi::CombineRgn(cut, cut, piece, gdi::RGN_XOR);
    EXPECT_EQ(rectsOf(cut), (std::vector<Rect>{{0, 0, 1, 4}, {2, 0, 4, 4}}));
    for (gdi::Handle h : {u, side, down, hole, cut, piece}) EXPECT_TRUE(gdi::DeleteObject(h));
}

TEST(Regions, CombineModesAndResults) {
    const gdi::Handle a = gdi::CreateRectRgn(10, 10, 0, 0);  // corners are put in order
    EXPECT_EQ(rectsOf(a), (std::vector<Rect>{{0, 0, 10, 10}}));
    const gdi::Handle b = gdi::CreateRectRgn(5, 0, 15, 10);
    const gdi::Handle d = gdi::CreateRectRgn(0, 0, 0, 0);
    EXPECT_TRUE(rectsOf(d).empty());

    EXPECT_EQ(gdi::CombineRgn(d, a, b, gdi::RGN_AND), gdi::SIMPLEREGION);
    EXPECT_EQ(rectsOf(d), (std::vector<Rect>{{5, 0, 10, 10}}));
    EXPECT_EQ(gdi::CombineRgn(d, a, b, gdi::RGN_DIFF), gdi::SIMPLEREGION);
    EXPECT_EQ(rectsOf(d), (std::vector<Rect>{{0, 0, 5, 10}}));
    EXPECT_EQ(gdi::CombineRgn(d, a, b, gdi::RGN_XOR), gdi::COMPLEXREGION);
    EXPECT_EQ(rectsOf(d), (std::vector<Rect>{{0, 0, 5, 10}, {10, 0, 15, 10}}));
    EXPECT_EQ(gdi::CombineRgn(d, a, a, gdi::RGN_XOR), gdi::NULLREGION);
    EXPECT_EQ(gdi::CombineRgn(d, b, 0, gdi::RGN_COPY), gdi::SIMPLEREGION);
    EXPECT_EQ(rectsOf(d), rectsOf(b));

    EXPECT_EQ(gdi::CombineRgn(d, a, b, 6), gdi::RGN_ERROR);
    EXPECT_EQ(gdi::CombineRgn(d, a, 0, gdi::RGN_OR), gdi::RGN_ERROR);
    EXPECT_EQ(gdi::CombineRgn(0, a, b, gdi::RGN_OR), gdi::RGN_ERROR);
    for (gdi::Handle h : {a, b, d}) EXPECT_TRUE(gdi::DeleteObject(h));
}

TEST(Regions, RegionDataBlockHasHeaderBoundsAndRectangles) {
    const gdi::Handle u = combined({0, 0, 10, 10}, {5, 5, 15, 15}, gdi::RGN_OR);
    EXPECT_EQ(gdi::GetRegionData(u, 0, nullptr), 32u + 3 * 16);
    EXPECT_EQ(dataOf(u), block({32, 1, 3, 48, 0, 0, 15, 15, 0, 0, 10, 5, 0, 5, 15, 10, 5, 10, 15, 15}));
    std::vector<std::uint8_t> small(79);
    EXPECT_EQ(gdi::GetRegionData(u, 79, small.data()), 0u);
    std::vector<std::uint8_t> large(100);
    EXPECT_EQ(gdi::GetRegionData(u, 100, large.data()), 100u);

    const gdi::Handle empty = gdi::CreateRectRgn(3, 3, 3, 9);
    EXPECT_EQ(dataOf(empty), block({32, 1, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(gdi::GetRegionData(0, 0, nullptr), 0u);
    gdi::DeleteObject(u);
    gdi::DeleteObject(empty);
}

TEST(Regions, ExtCreateRegionLoadsBlocksAndRefusesBadOnes) {
    // Unsorted, overlapping and empty rectangles load as their banded union;
    // header bounds and size fields are not trusted.
    const gdi::Handle loaded =
        fromBlock(block({32, 1, 4, 0, 99, 99, 99, 99, 5, 5, 15, 15, 0, 0, 10, 10, 7, 7, 7, 20, 30, 30, 20, 40}));
    ASSERT_NE(loaded, 0u);
    EXPECT_EQ(rectsOf(loaded), (std::vector<Rect>{{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}}));
    // Saving and loading gives the same bytes.
    const auto saved = dataOf(loaded);
    const gdi::Handle again = fromBlock(saved);
    EXPECT_EQ(dataOf(again), saved);

    const gdi::Handle none = fromBlock(block({32, 1, 0, 0, 0, 0, 0, 0}));
    ASSERT_NE(none, 0u);
    EXPECT_TRUE(rectsOf(none).empty());

    const auto good = block({32, 1, 1, 16, 0, 0, 1, 1, 0, 0, 1, 1});
    EXPECT_EQ(gdi::ExtCreateRegion(nullptr, 31, good.data()), 0u);                     // short header
    EXPECT_EQ(gdi::ExtCreateRegion(nullptr, 47, good.data()), 0u);                     // count beyond length
    EXPECT_EQ(gdi::ExtCreateRegion(good.data(), 48, good.data()), 0u);                 // a transform
    EXPECT_EQ(fromBlock(block({40, 1, 1, 16, 0, 0, 1, 1, 0, 0, 1, 1})), 0u);           // header size
    EXPECT_EQ(fromBlock(block({32, 2, 1, 16, 0, 0, 1, 1, 0, 0, 1, 1})), 0u);           // type
    EXPECT_EQ(fromBlock(block({32, 1, 0x10000001, 16, 0, 0, 1, 1, 0, 0, 1, 1})), 0u);  // count overflow
    EXPECT_EQ(gdi::ExtCreateRegion(nullptr, 48, nullptr), 0u);
    for (gdi::Handle h : {loaded, again, none}) gdi::DeleteObject(h);
}

namespace {

// Pixel sets on a small grid, as the reference for the region algebra.
using Grid = std::vector<std::vector<bool>>;
constexpr int kGrid = 24;

Grid paint(const std::vector<Rect>& rects) {
    Grid grid(kGrid, std::vector<bool>(kGrid, false));
    for (const Rect& r : rects)
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, kGrid); ++y)
            for (int x = std::max(r.left, 0); x < std::min(r.right, kGrid); ++x) grid[y][x] = true;
    return grid;
}

void expectCanonical(const std::vector<Rect>& rects) {
    for (std::size_t i = 0; i < rects.size(); ++i) {
        ASSERT_LT(rects[i].left, rects[i].right);
        ASSERT_LT(rects[i].top, rects[i].bottom);
        if (i == 0) continue;
        const Rect& p = rects[i - 1];
        const Rect& r = rects[i];
        const bool sameBand = p.top == r.top;
        if (sameBand) {
            ASSERT_EQ(p.bottom, r.bottom);
            ASSERT_LT(p.right, r.left) << "spans in a band touch or overlap";
        } else {
            ASSERT_LE(p.bottom, r.top) << "bands overlap";
        }
    }
    // Touching bands never have equal spans.
    std::vector<std::pair<Rect, std::vector<std::pair<int, int>>>> bands;
    for (const Rect& r : rects) {
        if (bands.empty() || bands.back().first.top != r.top) bands.push_back({r, {}});
        bands.back().second.emplace_back(r.left, r.right);
    }
    for (std::size_t i = 1; i < bands.size(); ++i) {
        if (bands[i - 1].first.bottom != bands[i].first.top) continue;
        ASSERT_NE(bands[i - 1].second, bands[i].second);
    }
}

}  // namespace

TEST(Regions, RandomCombinationsMatchPixelSetsAndStayCanonical) {
    std::mt19937 random(20240607);
    std::uniform_int_distribution<int> coord(0, kGrid);
    const auto randomRegion = [&] {
        std::vector<Rect> rects(1 + random() % 6);
        for (Rect& r : rects) r = {coord(random), coord(random), coord(random), coord(random)};
        return rects;
    };
    for (int round = 0; round < 300; ++round) {
        auto ra = randomRegion();
        auto rb = randomRegion();
        // Inverted rectangles add nothing to a union; normalise the reference.
        const auto valid = [](std::vector<Rect> rs) {
            std::erase_if(rs, [](const Rect& r) { return r.left >= r.right || r.top >= r.bottom; });
            return rs;
        };
        const gdi::Region a = gdi::Region::unionOf(ra);
        const gdi::Region b = gdi::Region::unionOf(rb);
        const Grid ga = paint(valid(ra));
        const Grid gb = paint(valid(rb));
        ASSERT_EQ(paint(a.rects()), ga);
        for (int mode : {gdi::RGN_AND, gdi::RGN_OR, gdi::RGN_XOR, gdi::RGN_DIFF}) {
            const auto rects = gdi::Region::combine(a, b, mode).rects();
            expectCanonical(rects);
            const Grid got = paint(rects);
            for (int y = 0; y < kGrid; ++y)
                for (int x = 0; x < kGrid; ++x) {
                    const bool inA = ga[y][x];
                    const bool inB = gb[y][x];
                    const bool want = mode == gdi::RGN_AND   ? inA && inB
                                      : mode == gdi::RGN_OR  ? inA || inB
                                      : mode == gdi::RGN_XOR ? inA != inB
                                                             : inA && !inB;
                    ASSERT_EQ(got[y][x], want) << "mode " << mode << " at " << x << "," << y;
                }
        }
    }
}
