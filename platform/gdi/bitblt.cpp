#include "bitblt.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "handle_table.h"

namespace gdi {
namespace {

constexpr std::array kKnownOperations{SRCCOPY,   SRCPAINT, SRCAND,   SRCINVERT, SRCERASE,
                                      NOTSRCCOPY, NOTSRCERASE, MERGECOPY, MERGEPAINT, PATCOPY,
                                      PATPAINT,  PATINVERT, DSTINVERT, BLACKNESS, WHITENESS};
constexpr std::uint8_t kWhiteBrush = 0xFF;

std::uint8_t truthTable(std::uint32_t rop) {
    return static_cast<std::uint8_t>(rop >> 16);
}

bool usesSource(std::uint8_t table) {
    // The result depends on the source when swapping the source's bit
    // (table bits 1 apart in pairs) changes it.
    return ((table >> 2) ^ table) & 0x33;
}

// Each result bit is looked up in the truth table at (pattern, source, dest).
std::uint8_t applyTable(std::uint8_t table, std::uint8_t pattern, std::uint8_t source, std::uint8_t dest) {
    std::uint8_t result = 0;
    for (int term = 0; term < 8; ++term) {
        if (!(table & (1 << term))) continue;
        const std::uint8_t p = (term & 4) ? pattern : static_cast<std::uint8_t>(~pattern);
        const std::uint8_t s = (term & 2) ? source : static_cast<std::uint8_t>(~source);
        const std::uint8_t d = (term & 1) ? dest : static_cast<std::uint8_t>(~dest);
        result |= p & s & d;
    }
    return result;
}

// Shrinks a block so it starts inside [0, limit) and ends inside it too,
// moving the partner coordinate by the same amount.
void clipAxis(std::int64_t& at, std::int64_t& partner, std::int64_t& length, std::int64_t limit) {
    if (at < 0) {
        partner -= at;
        length += at;
        at = 0;
    }
    length = std::min(length, limit - at);
}

struct Block {
    std::int64_t x, y, srcX, srcY, width, height;
};

// Offset of a pixel given from the top-left corner in bottom-up memory.
std::size_t offsetOf(const Bitmap& bitmap, std::int64_t topDownRow, std::int64_t column) {
    const std::int64_t memoryRow = bitmap.height - 1 - topDownRow;
    return static_cast<std::size_t>(memoryRow * bitmap.stride + column * 3);
}

void transfer(Bitmap& dest, const Bitmap* source, const Block& block, std::uint32_t rop) {
    const std::uint8_t table = truthTable(rop);
    const auto rowBytes = static_cast<std::size_t>(block.width * 3);
    std::vector<std::uint8_t> sourceRow(rowBytes, 0);
    for (std::int64_t row = 0; row < block.height; ++row) {
        if (source)
            std::memcpy(sourceRow.data(), source->bits.data() + offsetOf(*source, block.srcY + row, block.srcX),
                        rowBytes);
        std::uint8_t* to = dest.bits.data() + offsetOf(dest, block.y + row, block.x);
        if (rop == SRCCOPY) {
            std::memcpy(to, sourceRow.data(), rowBytes);
            continue;
        }
        for (std::size_t i = 0; i < rowBytes; ++i) to[i] = applyTable(table, kWhiteBrush, sourceRow[i], to[i]);
    }
}

}  // namespace

bool BitBlt(Handle destDC, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, Handle srcDC,
            std::int32_t srcX, std::int32_t srcY, std::uint32_t rop) {
    if (std::find(kKnownOperations.begin(), kKnownOperations.end(), rop) == kKnownOperations.end()) return false;
    Bitmap* dest = detail::surfaceOf(destDC);
    if (!dest) return false;
    const bool needsSource = usesSource(truthTable(rop));
    const Bitmap* source = needsSource ? detail::surfaceOf(srcDC) : nullptr;
    if (needsSource && !source) return false;

    Block block{x, y, srcX, srcY, width, height};
    if (block.width <= 0 || block.height <= 0) return true;
    clipAxis(block.x, block.srcX, block.width, dest->width);
    clipAxis(block.y, block.srcY, block.height, dest->height);
    if (source) {
        clipAxis(block.srcX, block.x, block.width, source->width);
        clipAxis(block.srcY, block.y, block.height, source->height);
    }
    if (block.width <= 0 || block.height <= 0) return true;
    if (source == dest) {
        // A block moved within one surface must read its pixels before any
        // of them are overwritten.
        const Bitmap before = *source;
        transfer(*dest, &before, block, rop);
        return true;
    }
    transfer(*dest, source, block, rop);
    return true;
}

}  // namespace gdi
