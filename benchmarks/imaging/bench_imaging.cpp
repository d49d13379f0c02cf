// How long the window outline of a skin takes to build, and a bilinear
// enlargement of the largest skin.
#include <benchmark/benchmark.h>

#include "asset_dir.h"
#include "cDIBSectionRegion.h"
#include "picture.h"
#include "region.h"

namespace {

void outlineOfSkin(benchmark::State& state, const char* skinFile) {
    const gdi::Picture skin = gdi::loadPicture(platform::assetPath(skinFile));
    cDIBSection dib;
    dib.CreateFromPicture(skin);
    if (dib.Width() == 0) {
        state.SkipWithError("skin missing");
        return;
    }
    cDIBSectionRegion region;
    for (auto _ : state) region.Create(dib);
    region.Save("/dev/null");
    state.SetLabel(std::to_string(dib.Width()) + " x " + std::to_string(dib.Height()));
}

void BM_OutlineLargeOpenSkin(benchmark::State& state) {
    outlineOfSkin(state, "skins/large_open.bmp");
}
void BM_OutlineSmallOpenSkin(benchmark::State& state) {
    outlineOfSkin(state, "skins/small_open.bmp");
}

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
BENCHMARK(BM_ResampleLargeSkinToDouble)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
