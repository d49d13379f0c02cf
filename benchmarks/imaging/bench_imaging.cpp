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

void outlineOfSkin(benchmark::State& state, const char* skinFile) {
    cDIBSection dib;
    dib.CreateFromPicture(gdi::loadPicture(platform::assetPath(skinFile)));
    if (dib.Width() == 0) {
        state.SkipWithError("skin missing");
        return;
    }
    outlineOf(state, dib);
}

void BM_OutlineLargeOpenSkin(benchmark::State& state) {
    outlineOfSkin(state, "skins/large_open.bmp");
}
void BM_OutlineSmallOpenSkin(benchmark::State& state) {
    outlineOfSkin(state, "skins/small_open.bmp");
}

void setMagenta(const cDIBSection& dib, int x, int memoryRow) {
    std::uint8_t* pixel = dib.DIBSectionBitsPtr() + memoryRow * dib.BytesPerScanLine() + 3 * x;
    pixel[0] = 255;
    pixel[1] = 0;
    pixel[2] = 255;
}

const cDIBSection& raggedPicture() {
    static cDIBSection dib;
    if (dib.Width() > 0) return dib;
    dib.Create(800, 800);
    std::mt19937 random(1);
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 800; ++x)
            if (random() % 100 == 0) setMagenta(dib, x, y);
    return dib;
}

const cDIBSection& smoothPicture() {
    static cDIBSection dib;
    if (dib.Width() > 0) return dib;
    dib.Create(2000, 2000);
    for (int y = 0; y < 2000; ++y)
        for (int x = 0; x < 2000; ++x)
            if ((x - 1000) * (x - 1000) + (y - 1000) * (y - 1000) > 1000 * 1000) setMagenta(dib, x, y);
    return dib;
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
    dib.CreateFromPicture(gdi::loadPicture(platform::assetPath("skins/large_open.bmp")));
    for (auto _ : state) {
        auto doubled = dib.Resample(2 * dib.Height(), 2 * dib.Width());
        benchmark::DoNotOptimize(doubled->DIBSectionBitsPtr());
    }
    state.SetItemsProcessed(state.iterations() * 4 * dib.Width() * dib.Height());
}

}  // namespace

BENCHMARK(BM_OutlineLargeOpenSkin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OutlineSmallOpenSkin)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OutlineRagged800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowScanRagged800)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutlineSmooth2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RowScanSmooth2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleLargeSkinToDouble)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
