// Region data blocks from anywhere: a block is refused or loads as a region
// whose own block loads back as the same region; combining it with a
// rectangle stays within both.
#include <vector>

#include "fuzz_input.h"
#include "region.h"

using fuzzing::require;

ZPM_FUZZ(input) {
    const gdi::Handle region = gdi::ExtCreateRegion(nullptr, std::uint32_t(input.bytes.size()), input.bytes.data());
    if (!region) return;
    std::vector<std::uint8_t> saved(gdi::GetRegionData(region, 0, nullptr));
    require(saved.size() >= 32 && gdi::GetRegionData(region, std::uint32_t(saved.size()), saved.data()) == saved.size());
    const gdi::Handle again = gdi::ExtCreateRegion(nullptr, std::uint32_t(saved.size()), saved.data());
    require(again && *gdi::regionFromHandle(again) == *gdi::regionFromHandle(region));
    const gdi::Handle box = gdi::CreateRectRgn(-5, -5, 40, 40);
    const auto within = [](const gdi::Rect& inner, const gdi::Rect& outer) {
        return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
    };
    for (int mode : {gdi::RGN_AND, gdi::RGN_OR, gdi::RGN_XOR, gdi::RGN_DIFF}) {
        const gdi::Handle result = gdi::CreateRectRgn(0, 0, 0, 0);
        require(gdi::CombineRgn(result, region, box, mode) != gdi::RGN_ERROR);
        const gdi::Region& combined = *gdi::regionFromHandle(result);
        if (mode == gdi::RGN_AND && !combined.empty()) require(within(combined.bounds(), {-5, -5, 40, 40}));
        if (mode == gdi::RGN_DIFF && !combined.empty()) require(within(combined.bounds(), gdi::regionFromHandle(region)->bounds()));
        gdi::DeleteObject(result);
    }
    for (gdi::Handle h : {region, again, box}) gdi::DeleteObject(h);
}
