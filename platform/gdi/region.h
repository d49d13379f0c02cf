// Regions in banded form: horizontal bands sorted from top to bottom, each
// a run of rows with the same spans; spans in a band are sorted, never touch
// or overlap; two bands that touch never have equal spans. This form is
// unique for a set of pixels, so equal regions have equal rectangle lists.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "gdi_objects.h"

namespace gdi {

inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;

// Results of CombineRgn.
inline constexpr int RGN_ERROR = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

inline constexpr std::uint32_t RDH_RECTANGLES = 1;
inline constexpr std::uint32_t kRegionHeaderSize = 32;  // RGNDATAHEADER
inline constexpr std::uint32_t kRegionRectSize = 16;    // RECT

class Region {
public:
    struct Span {
        std::int32_t left;
        std::int32_t right;
        friend bool operator==(const Span&, const Span&) = default;
    };
    struct Band {
        std::int32_t top;
        std::int32_t bottom;
        std::vector<Span> spans;
        friend bool operator==(const Band&, const Band&) = default;
    };

    Region() = default;
    // The rectangle with its corners put in order; empty when it has no area.
    static Region rectangle(Rect rect);
    // The union of any rectangles; those without area add nothing.
    static Region unionOf(std::span<const Rect> rects);
    // mode is one of RGN_AND, RGN_OR, RGN_XOR, RGN_DIFF.
    static Region combine(const Region& a, const Region& b, int mode);

    // Adds row y below the region, which must end at or above it; spans
    // sorted, neither touching nor overlapping. A row equal to the one
    // above joins its band, so a picture scanned from the top down gives
    // the banded form directly.
    void appendRow(std::int32_t y, std::span<const Span> spans);

    bool empty() const { return m_bands.empty(); }
    std::vector<Rect> rects() const;  // sorted by top, then left
    std::size_t rectCount() const;
    Rect bounds() const;  // all zero for an empty region
    // NULLREGION, SIMPLEREGION or COMPLEXREGION.
    int complexity() const;

    friend bool operator==(const Region&, const Region&) = default;

private:
    std::vector<Band> m_bands;
};

// --- Region handles under the names the region classes use ---

Handle CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
// A new region object holding this region.
Handle createRegion(Region region);
// dest = a <mode> b (b is unused for RGN_COPY). The complexity of the result,
// or RGN_ERROR when a handle is not a region or the mode is unknown.
int CombineRgn(Handle dest, Handle a, Handle b, int mode);
// The region as a raw region data block (32-byte header, then the
// rectangles). With no buffer: the size the block needs. With a buffer of
// `size` bytes: `size` when the block fits, else 0.
std::uint32_t GetRegionData(Handle region, std::uint32_t size, std::uint8_t* buffer);
// A region from a raw region data block of `size` bytes; 0 when a transform
// is given or the block is short, has a wrong header or a rectangle count
// that does not fit its length.
Handle ExtCreateRegion(const void* transform, std::uint32_t size, const std::uint8_t* data);

// The region behind a handle, or nullptr.
const Region* regionFromHandle(Handle handle);

}  // namespace gdi
