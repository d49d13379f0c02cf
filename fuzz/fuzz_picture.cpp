// The picture loader on arbitrary bytes: it refuses them or makes a bitmap
// whose pixels the bytes hold, never taking memory the bytes do not back.
#include "fuzz_input.h"
#include "picture.h"

ZPM_FUZZ(input) {
    const gdi::Picture picture = gdi::pictureFromBytes(input.bytes);
    if (picture.empty()) return;
    const gdi::Bitmap& bitmap = *picture.bitmap();
    fuzzing::require(bitmap.width > 0 && bitmap.height > 0 && bitmap.bits.size() <= input.bytes.size() &&
                     bitmap.bits.size() == std::size_t(bitmap.stride) * std::size_t(bitmap.height));
}
