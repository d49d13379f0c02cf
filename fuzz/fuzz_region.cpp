// Any block is refused or loads as a region that saves and loads back as itself and combines within bounds.
#include <vector>

#include "fuzz_input.h"
#include "region.h"

using fuzzing::require;

ZPM_FUZZ(input) {
    const gdi::Handle region = gdi::ExtCreateRegion(nullptr, std::uint32_t(input.bytes.size()), input.bytes.data());
    if (!region) return;
    std::vector<std::uint8_t> saved(gdi::GetRegionData(region, 0, nullptr));
    const auto size = static_cast<std::uint32_t>(saved.size());
    require(size >= 32 && gdi::GetRegionData(region, size, saved.data()) == size);
    const gdi::Handle again = gdi::ExtCreateRegion(nullptr, size, saved.data());
    require(again && *gdi::regionFromHandle(again) == *gdi::regionFromHandle(region));
    const gdi::Rect box{-5, -5, 40, 40};
    const gdi::Handle boxRegion = gdi::CreateRectRgn(box.left, box.top, box.right, box.bottom);
    const auto within = [](const gdi::Rect& inner, const gdi::Rect& outer) {
        return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
               inner.bottom <= outer.bottom;
    };
    for (int mode : {gdi::RGN_AND, gdi::RGN_OR, gdi::RGN_XOR, gdi::RGN_DIFF}) {
        const gdi::Handle result = gdi::CreateRectRgn(0, 0, 0, 0);
        require(gdi::CombineRgn(result, region, boxRegion, mode) != gdi::RGN_ERROR);
        const gdi::Region& combined = *gdi::regionFromHandle(result);
        const gdi::Rect outer = mode == gdi::RGN_AND ? box : gdi::regionFromHandle(region)->bounds();
        if ((mode == gdi::RGN_AND || mode == gdi::RGN_DIFF) && !combined.empty())
            require(within(combined.bounds(), outer));
        gdi::DeleteObject(result);
    }
    for (gdi::Handle h : {region, again, boxRegion}) gdi::DeleteObject(h);
}
