// Region data blocks from anywhere: a block is refused or loads as a region
// whose own block loads back as the same region; combining it with a
// rectangle stays within both.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "region.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const gdi::Handle region = gdi::ExtCreateRegion(nullptr, static_cast<std::uint32_t>(size), data);
    if (!region) return 0;
    std::vector<std::uint8_t> saved(gdi::GetRegionData(region, 0, nullptr));
    if (saved.size() < 32 || gdi::GetRegionData(region, static_cast<std::uint32_t>(saved.size()), saved.data()) != saved.size())
        std::abort();
    const gdi::Handle again = gdi::ExtCreateRegion(nullptr, static_cast<std::uint32_t>(saved.size()), saved.data());
    if (!again || !(*gdi::regionFromHandle(again) == *gdi::regionFromHandle(region))) std::abort();

    const gdi::Handle box = gdi::CreateRectRgn(-5, -5, 40, 40);
    for (int mode : {gdi::RGN_AND, gdi::RGN_OR, gdi::RGN_XOR, gdi::RGN_DIFF}) {
        const gdi::Handle result = gdi::CreateRectRgn(0, 0, 0, 0);
        if (gdi::CombineRgn(result, region, box, mode) == gdi::RGN_ERROR) std::abort();
        const gdi::Rect bounds = gdi::regionFromHandle(result)->bounds();
        const gdi::Rect outer = gdi::regionFromHandle(region)->bounds();
        if (mode == gdi::RGN_AND && !gdi::regionFromHandle(result)->empty() &&
            (bounds.left < -5 || bounds.top < -5 || bounds.right > 40 || bounds.bottom > 40))
            std::abort();
        if (mode == gdi::RGN_DIFF && !gdi::regionFromHandle(result)->empty() &&
            (bounds.left < outer.left || bounds.right > outer.right || bounds.top < outer.top ||
             bounds.bottom > outer.bottom))
            std::abort();
        gdi::DeleteObject(result);
    }
    for (gdi::Handle h : {region, again, box}) gdi::DeleteObject(h);
    return 0;
}
