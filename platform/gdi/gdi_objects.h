// The graphics objects behind the program's handles: bitmaps with their own
// pixel memory, kept in one table and addressed by opaque integer handles so
// that the bitmap classes can keep handles as the program stores them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gdi {

using Handle = std::uintptr_t;  // 0 is "no object"

// A 24-bit bottom-up bitmap: rows of `stride` bytes (a multiple of 4),
// row 0 is the bottom line, pixels are blue, green, red.
struct Bitmap {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint8_t> bits;  // zeroed on creation, padding included
};

// Bytes per row of a 24-bit bitmap, or nothing when it overflows 32 bits.
std::optional<std::int32_t> rowBytes24(std::int32_t width);

// A new zeroed bitmap in the handle table; 0 when the size is not positive
// or its memory size overflows 32-bit arithmetic.
Handle createBitmap(std::int32_t width, std::int32_t height);

// The bitmap behind a handle, or nullptr when the handle names none.
Bitmap* bitmapFromHandle(Handle handle);

// Frees any object of the table; false when the handle names none.
bool deleteObject(Handle handle);

}  // namespace gdi
