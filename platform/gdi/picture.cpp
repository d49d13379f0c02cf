#include "picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "files.h"

namespace gdi {
namespace {

// Picture files larger than this are refused unread.
constexpr std::size_t kMaxPictureFileSize = platform::files::maxReadSize;

std::uint32_t readLE(std::span<const std::uint8_t> data, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | data[at + i];
    return value;
}

}  // namespace

Picture& Picture::operator=(Picture&& other) noexcept {
    if (this != &other) {
        deleteObject(m_handle);
        m_handle = std::exchange(other.m_handle, 0);
    }
    return *this;
}

Picture::~Picture() { deleteObject(m_handle); }

Picture Picture::clone() const {
    const Bitmap* source = bitmap();
    if (!source) return {};
    Picture copy(createBitmap(source->width, source->height));
    if (Bitmap* target = bitmapFromHandle(copy.handle())) target->bits = source->bits;
    return copy;
}

Picture loadPicture(const std::filesystem::path& file) {
    std::error_code error;
    const auto bytes = platform::files::readRegularFile(file.native(), kMaxPictureFileSize, error);
    if (!bytes) return {};
    return pictureFromBytes({reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()});
}

Picture pictureFromBytes(std::span<const std::uint8_t> data) {
    constexpr std::size_t headerEnd = 14 + 40;
    if (data.size() < headerEnd || data[0] != 'B' || data[1] != 'M') return {};
    const std::uint32_t pixelsAt = readLE(data, 10, 4);
    const auto width = static_cast<std::int32_t>(readLE(data, 18, 4));
    const auto height = static_cast<std::int32_t>(readLE(data, 22, 4));
    const std::uint32_t bitCount = readLE(data, 28, 2);
    const std::uint32_t compression = readLE(data, 30, 4);
    if (bitCount != 24 || compression != 0 || width <= 0 || height == 0 || height == INT32_MIN) return {};
    // The pixels the header claims must be in the file before memory for
    // them is taken: a small file must not make a huge bitmap.
    const auto stride = rowBytes24(width);
    const std::uint64_t size = stride ? std::uint64_t(*stride) * std::uint64_t(std::abs(height)) : UINT64_MAX;
    if (pixelsAt > data.size() || data.size() - pixelsAt < size) return {};

    Picture picture(createBitmap(width, std::abs(height)));
    Bitmap* bitmap = bitmapFromHandle(picture.handle());
    if (!bitmap || bitmap->bits.size() != size) return {};
    if (height > 0) {
        std::memcpy(bitmap->bits.data(), data.data() + pixelsAt, size);
        return picture;
    }
    // A negative height is a top-down file: turn it into our bottom-up rows.
    for (int row = 0; row < bitmap->height; ++row) {
        const auto* source = data.data() + pixelsAt + static_cast<std::size_t>(row) * bitmap->stride;
        std::copy_n(source, bitmap->stride,
                    bitmap->bits.data() + static_cast<std::size_t>(bitmap->height - 1 - row) * bitmap->stride);
    }
    return picture;
}

}  // namespace gdi
