// The picture loader on arbitrary bytes: it refuses them or makes a bitmap
// whose pixels the bytes hold, never taking memory the bytes do not back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const gdi::Picture picture = gdi::pictureFromBytes(std::span(data, size));
    if (picture.empty()) return 0;
    const gdi::Bitmap& bitmap = *picture.bitmap();
    if (bitmap.width <= 0 || bitmap.height <= 0 || bitmap.bits.size() > size) std::abort();
    if (bitmap.bits.size() != static_cast<std::size_t>(bitmap.stride) * static_cast<std::size_t>(bitmap.height))
        std::abort();
    return 0;
}
