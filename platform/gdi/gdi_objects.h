// The graphics objects behind the program's handles: bitmaps with their own
// pixel memory, device contexts and regions, kept in one table and addressed
// by opaque integer handles so that the bitmap classes can keep handles as
// the program stores them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gdi {

using Handle = std::uintptr_t;  // 0 is "no object"
using WindowHandle = std::uintptr_t;

// A rectangle in pixels; right and bottom are exclusive.
struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

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

// A new zeroed bitmap in the handle table; 0 when the size is not positive,
// its memory size overflows 32-bit arithmetic or the memory is not there.
Handle createBitmap(std::int32_t width, std::int32_t height);

// The bitmap behind a handle, or nullptr when the handle names none.
Bitmap* bitmapFromHandle(Handle handle);

// Frees any object of the table (bitmap, device context, region); false when
// the handle names none, or names a bitmap that is still selected into a
// device context or a stock object.
bool deleteObject(Handle handle);

// How many objects the table holds (stock objects included); lets a caller
// check that every handle it made was released.
std::size_t liveObjectCount();

// --- Device contexts and bitmaps under the names the bitmap classes use ---

// The header a DIB section is described by (40 bytes, no colour table).
struct BITMAPINFOHEADER {
    std::uint32_t biSize = 0;
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;
    std::uint16_t biPlanes = 0;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;
    std::uint32_t biSizeImage = 0;
    std::int32_t biXPelsPerMeter = 0;
    std::int32_t biYPelsPerMeter = 0;
    std::uint32_t biClrUsed = 0;
    std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40);

// The record GetObjectA gives for a bitmap.
struct BITMAP {
    std::int32_t bmType = 0;
    std::int32_t bmWidth = 0;
    std::int32_t bmHeight = 0;
    std::int32_t bmWidthBytes = 0;
    std::uint16_t bmPlanes = 0;
    std::uint16_t bmBitsPixel = 0;
    std::uint8_t* bmBits = nullptr;  // the pixel memory of a DIB section, else null
};

inline constexpr std::uint32_t DIB_RGB_COLORS = 0;
inline constexpr std::uint32_t BI_RGB = 0;

// A memory device context; `compatibleWith` is ignored (every surface here
// is 24-bit). It starts with a stock 1 x 1 bitmap selected, which no
// transfer can draw on.
Handle CreateCompatibleDC(Handle compatibleWith);
bool DeleteDC(Handle dc);
// Selects a bitmap into a memory device context and returns the previous
// selection; 0 when the device context or the bitmap is not valid, or the
// bitmap is already selected into another device context.
Handle SelectObject(Handle dc, Handle object);
bool DeleteObject(Handle object);
// A 24-bit bottom-up bitmap whose zeroed pixel memory the caller addresses
// through *bits; 0 (and *bits null) for any other format or a size whose
// memory overflows 32-bit arithmetic.
Handle CreateDIBSection(Handle dc, const BITMAPINFOHEADER& header, std::uint32_t usage, std::uint8_t** bits,
                        Handle section, std::uint32_t offset);
Handle CreateCompatibleBitmap(Handle dc, std::int32_t width, std::int32_t height);
// Fills the bitmap record when `size` can hold it; the bytes written, else 0.
int GetObjectA(Handle object, int size, BITMAP* record);

// The desktop window and its device context. The screen's pixels are not
// reachable here: a transfer to or from the screen's device context fails.
WindowHandle GetDesktopWindow();
Handle GetDC(WindowHandle window);
int ReleaseDC(WindowHandle window, Handle dc);

}  // namespace gdi
