#include "region.h"

#include <algorithm>
#include <cstring>

#include "handle_table.h"

namespace gdi {
namespace {

using Span = Region::Span;
using Band = Region::Band;

bool keeps(int mode, bool inA, bool inB) {
    switch (mode) {
        case RGN_AND: return inA && inB;
        case RGN_OR: return inA || inB;
        case RGN_XOR: return inA != inB;
        case RGN_DIFF: return inA && !inB;
        default: return false;
    }
}

// Appends [left, right) to sorted spans, joining it to a span it touches.
void appendSpan(std::vector<Span>& spans, std::int32_t left, std::int32_t right) {
    if (!spans.empty() && spans.back().right == left) {
        spans.back().right = right;
        return;
    }
    spans.push_back({left, right});
}

std::vector<Span> combineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int mode) {
    std::vector<std::int32_t> edges;
    edges.reserve(2 * (a.size() + b.size()));
    for (const auto* spans : {&a, &b})
        for (const Span& s : *spans) {
            edges.push_back(s.left);
            edges.push_back(s.right);
        }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<Span> result;
    std::size_t ia = 0;
    std::size_t ib = 0;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const std::int32_t x0 = edges[i];
        while (ia < a.size() && a[ia].right <= x0) ++ia;
        while (ib < b.size() && b[ib].right <= x0) ++ib;
        const bool inA = ia < a.size() && a[ia].left <= x0;
        const bool inB = ib < b.size() && b[ib].left <= x0;
        if (keeps(mode, inA, inB)) appendSpan(result, x0, edges[i + 1]);
    }
    return result;
}

// Adds rows [top, bottom) with these spans below the bands, merging them
// into the last band when it touches and has equal spans.
void appendBand(std::vector<Band>& bands, std::int32_t top, std::int32_t bottom, std::vector<Span> spans) {
    if (spans.empty()) return;
    if (!bands.empty() && bands.back().bottom == top && bands.back().spans == spans) {
        bands.back().bottom = bottom;
        return;
    }
    bands.push_back({top, bottom, std::move(spans)});
}

const std::vector<Span>& spansAt(const std::vector<Band>& bands, std::size_t& index, std::int32_t y) {
    static const std::vector<Span> none;
    while (index < bands.size() && bands[index].bottom <= y) ++index;
    return index < bands.size() && bands[index].top <= y ? bands[index].spans : none;
}

void putLE32(std::uint8_t* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getLE32(const std::uint8_t* in) {
    return std::uint32_t{in[0]} | std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]} << 16 | std::uint32_t{in[3]} << 24;
}

void putRect(std::uint8_t* out, const Rect& r) {
    putLE32(out, static_cast<std::uint32_t>(r.left));
    putLE32(out + 4, static_cast<std::uint32_t>(r.top));
    putLE32(out + 8, static_cast<std::uint32_t>(r.right));
    putLE32(out + 12, static_cast<std::uint32_t>(r.bottom));
}

Rect getRect(const std::uint8_t* in) {
    return {static_cast<std::int32_t>(getLE32(in)), static_cast<std::int32_t>(getLE32(in + 4)),
            static_cast<std::int32_t>(getLE32(in + 8)), static_cast<std::int32_t>(getLE32(in + 12))};
}

}  // namespace

Region Region::rectangle(Rect rect) {
    Region region;
    const auto [left, right] = std::minmax(rect.left, rect.right);
    const auto [top, bottom] = std::minmax(rect.top, rect.bottom);
    if (left < right && top < bottom) region.m_bands.push_back({top, bottom, {{left, right}}});
    return region;
}

Region Region::unionOf(std::span<const Rect> rects) {
    // Halving keeps the work near n log n for the many small rectangles of
    // a region data block.
    if (rects.size() <= 1) {
        if (rects.empty() || rects[0].left >= rects[0].right || rects[0].top >= rects[0].bottom) return {};
        return rectangle(rects[0]);
    }
    const std::size_t half = rects.size() / 2;
    return combine(unionOf(rects.first(half)), unionOf(rects.subspan(half)), RGN_OR);
}

Region Region::combine(const Region& a, const Region& b, int mode) {
    std::vector<std::int32_t> edges;
    edges.reserve(2 * (a.m_bands.size() + b.m_bands.size()));
    for (const auto* region : {&a, &b})
        for (const Band& band : region->m_bands) {
            edges.push_back(band.top);
            edges.push_back(band.bottom);
        }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    Region result;
    std::size_t ia = 0;
    std::size_t ib = 0;
    for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
        const std::int32_t y0 = edges[i];
        const auto& spansA = spansAt(a.m_bands, ia, y0);
        const auto& spansB = spansAt(b.m_bands, ib, y0);
        if (spansA.empty() && spansB.empty()) continue;
        appendBand(result.m_bands, y0, edges[i + 1], combineSpans(spansA, spansB, mode));
    }
    return result;
}

void Region::appendRow(std::int32_t y, std::span<const Span> spans) {
    if (spans.empty()) return;
    if (!m_bands.empty() && m_bands.back().bottom == y && std::ranges::equal(m_bands.back().spans, spans)) {
        ++m_bands.back().bottom;
        return;
    }
    m_bands.push_back({y, y + 1, {spans.begin(), spans.end()}});
}

std::vector<Rect> Region::rects() const {
    std::vector<Rect> out;
    out.reserve(rectCount());
    for (const Band& band : m_bands)
        for (const Span& span : band.spans) out.push_back({span.left, band.top, span.right, band.bottom});
    return out;
}

std::size_t Region::rectCount() const {
    std::size_t count = 0;
    for (const Band& band : m_bands) count += band.spans.size();
    return count;
}

Rect Region::bounds() const {
    if (m_bands.empty()) return {};
    Rect box{m_bands.front().spans.front().left, m_bands.front().top, m_bands.front().spans.back().right,
             m_bands.back().bottom};
    for (const Band& band : m_bands) {
        box.left = std::min(box.left, band.spans.front().left);
        box.right = std::max(box.right, band.spans.back().right);
    }
    return box;
}

int Region::complexity() const {
    if (m_bands.empty()) return NULLREGION;
    return m_bands.size() == 1 && m_bands.front().spans.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

Handle CreateRectRgn(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    return detail::addObject(Region::rectangle({left, top, right, bottom}));
}

Handle createRegion(Region region) {
    return detail::addObject(std::move(region));
}

int CombineRgn(Handle dest, Handle a, Handle b, int mode) {
    Region* target = detail::objectAs<Region>(dest);
    const Region* first = detail::objectAs<Region>(a);
    if (!target || !first || mode < RGN_AND || mode > RGN_COPY) return RGN_ERROR;
    if (mode == RGN_COPY) {
        *target = *first;
        return target->complexity();
    }
    const Region* second = detail::objectAs<Region>(b);
    if (!second) return RGN_ERROR;
    *target = Region::combine(*first, *second, mode);
    return target->complexity();
}

std::uint32_t GetRegionData(Handle region, std::uint32_t size, std::uint8_t* buffer) {
    const Region* source = detail::objectAs<Region>(region);
    if (!source) return 0;
    const std::vector<Rect> rects = source->rects();
    const std::uint64_t rectBytes = std::uint64_t{rects.size()} * kRegionRectSize;
    const std::uint64_t needed = kRegionHeaderSize + rectBytes;
    if (needed > UINT32_MAX) return 0;
    if (!buffer) return static_cast<std::uint32_t>(needed);
    if (size < needed) return 0;
    putLE32(buffer, kRegionHeaderSize);
    putLE32(buffer + 4, RDH_RECTANGLES);
    putLE32(buffer + 8, static_cast<std::uint32_t>(rects.size()));
    putLE32(buffer + 12, static_cast<std::uint32_t>(rectBytes));
    putRect(buffer + 16, source->bounds());
    for (std::size_t i = 0; i < rects.size(); ++i) putRect(buffer + kRegionHeaderSize + i * kRegionRectSize, rects[i]);
    return size;
}

Handle ExtCreateRegion(const void* transform, std::uint32_t size, const std::uint8_t* data) {
    if (transform || !data || size < kRegionHeaderSize) return 0;
    if (getLE32(data) != kRegionHeaderSize || getLE32(data + 4) != RDH_RECTANGLES) return 0;
    const std::uint32_t count = getLE32(data + 8);
    if (count > (size - kRegionHeaderSize) / kRegionRectSize) return 0;
    std::vector<Rect> rects(count);
    for (std::uint32_t i = 0; i < count; ++i) rects[i] = getRect(data + kRegionHeaderSize + i * kRegionRectSize);
    return detail::addObject(Region::unionOf(rects));
}

const Region* regionFromHandle(Handle handle) {
    return detail::objectAs<Region>(handle);
}

}  // namespace gdi
