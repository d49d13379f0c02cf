// How long the window outline takes to build: of the skins, and of a ragged
// 800 x 800 picture (1 % see-through pixels, scattered) and a smooth
// 2000 x 2000 one (a disc), each beside a bare row scan of the same picture
// that only finds the runs of kept pixels. Their ratio is the outline's
// cost over reading the pixels. And a bilinear enlargement of the largest
// skin.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "asset_dir.h"
#include "cDIBSectionRegion.h"
#include "picture.h"
#include "region.h"

namespace {

void outlineOf(benchmark::State& state, const cDIBSection& dib) {
    cDIBSectionRegion region;
    for (auto _ : state) region.Create(dib);
    state.SetItemsProcessed(state.iterations() * dib.Width() * dib.Height());
    state.SetLabel(std::to_string(dib.Width()) + " x " + std::to_string(dib.Height()));
}

void loadSkin(cDIBSection& dib, const char* skinFile) {
    dib.CreateFromPicture(gdi::loadPicture(platform::assetPath(skinFile)));
}

void BM_OutlineSkin(benchmark::State& state, const char* skinFile) {
    cDIBSection dib;
    loadSkin(dib, skinFile);
    if (dib.Width() == 0) {
        state.SkipWithError("skin missing");
        return;
    }
    outlineOf(state, dib);
}

// A square picture, made once, with magenta (see-through) pixels where
// `seeThrough` says.
template <typename SeeThrough>
const cDIBSection& square(cDIBSection& dib, int size, SeeThrough seeThrough) {
    if (dib.Width() > 0) return dib;
    dib.Create(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            if (!seeThrough(x, y)) continue;
            std::uint8_t* pixel = dib.DIBSectionBitsPtr() + y * dib.BytesPerScanLine() + 3 * x;
            pixel[0] = 255;
            pixel[1] = 0;
            pixel[2] = 255;
        }
    return dib;
}

const cDIBSection& raggedPicture() {
    static cDIBSection dib;
    std::mt19937 random(1);
    return square(dib, 800, [&](int, int) { return random() % 100 == 0; });
}

const cDIBSection& smoothPicture() {
    static cDIBSection dib;
    return square(dib, 2000, [](int x, int y) { return (x - 1000) * (x - 1000) + (y - 1000) * (y - 1000) > 1000 * 1000; });
}

// The reference: one pass over the rows that collects each row's runs of
// pixels that are not magenta, and nothing more.
void rowScan(benchmark::State& state, const cDIBSection& dib) {
    std::vector<std::pair<int, int>> runs;
    for (auto _ : state) {
        std::size_t count = 0;
        for (int y = dib.Height() - 1; y >= 0; --y) {
            const std::uint8_t* row = dib.DIBSectionBitsPtr() + y * dib.BytesPerScanLine();
            runs.clear();
            for (int x = 0; x < dib.Width(); ++x) {
                const std::uint8_t* p = row + 3 * x;
                if (p[0] == 255 && p[1] == 0 && p[2] == 255) continue;
                if (!runs.empty() && runs.back().second == x)
                    ++runs.back().second;
                else
                    runs.emplace_back(x, x + 1);
            }
            count += runs.size();
        }
        benchmark::DoNotOptimize(count);
    }
    state.SetItemsProcessed(state.iterations() * dib.Width() * dib.Height());
}

void BM_OutlineRagged800(benchmark::State& state) { outlineOf(state, raggedPicture()); }
void BM_RowScanRagged800(benchmark::State& state) { rowScan(state, raggedPicture()); }
void BM_OutlineSmooth2000(benchmark::State& state) { outlineOf(state, smoothPicture()); }
void BM_RowScanSmooth2000(benchmark::State& state) { rowScan(state, smoothPicture()); }

void BM_ResampleLargeSkinToDouble(benchmark::State& state) {
    cDIBSection dib;
    loadSkin(dib, "skins/large_open.bmp");
    for (auto _ : state) {
        auto doubled = dib.Resample(2 * dib.Height(), 2 * dib.Width());
        benchmark::DoNotOptimize(doubled->DIBSectionBitsPtr());
    }
    state.SetItemsProcessed(state.iterations() * 4 * dib.Width() * dib.Height());
}

}  // namespace

BENCHMARK_CAPTURE(BM_OutlineSkin, LargeOpen, "skins/large_open.bmp")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_OutlineSkin, SmallOpen, "skins/small_open.bmp")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OutlineRagged800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowScanRagged800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutlineSmooth2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowScanSmooth2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleLargeSkinToDouble)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
