// Block transfer between the surfaces of two device contexts.
#pragma once

#include <cstdint>

#include "gdi_objects.h"

namespace gdi {

// Raster operations: the bits 16 to 23 are the truth table of the result
// over pattern (0xF0), source (0xCC) and destination (0xAA).
inline constexpr std::uint32_t SRCCOPY = 0x00CC0020;
inline constexpr std::uint32_t SRCPAINT = 0x00EE0086;
inline constexpr std::uint32_t SRCAND = 0x008800C6;
inline constexpr std::uint32_t SRCINVERT = 0x00660046;
inline constexpr std::uint32_t SRCERASE = 0x00440328;
inline constexpr std::uint32_t NOTSRCCOPY = 0x00330008;
inline constexpr std::uint32_t NOTSRCERASE = 0x001100A6;
inline constexpr std::uint32_t MERGECOPY = 0x00C000CA;
inline constexpr std::uint32_t MERGEPAINT = 0x00BB0226;
inline constexpr std::uint32_t PATCOPY = 0x00F00021;
inline constexpr std::uint32_t PATPAINT = 0x00FB0A09;
inline constexpr std::uint32_t PATINVERT = 0x005A0049;
inline constexpr std::uint32_t DSTINVERT = 0x00550009;
inline constexpr std::uint32_t BLACKNESS = 0x00000042;
inline constexpr std::uint32_t WHITENESS = 0x00FF0062;

// Transfers a width x height block from (srcX, srcY) of the source to
// (x, y) of the destination, coordinates from the top-left corner, clipped to
// both surfaces. The pattern is the device context's brush, always the
// default white brush here. False for an unknown raster operation, an invalid
// device context or one without a surface (the screen); a block of no area
// transfers nothing and succeeds.
bool BitBlt(Handle destDC, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height, Handle srcDC,
            std::int32_t srcX, std::int32_t srcY, std::uint32_t rop);

}  // namespace gdi
