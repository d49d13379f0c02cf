// The program's picture object: it holds a bitmap handle, as the window
// elements and the bitmap surface expect, and owns that bitmap.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <utility>

#include "gdi_objects.h"

namespace gdi {

class Picture {
public:
    Picture() = default;
    explicit Picture(Handle bitmap) : m_handle(bitmap) {}
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    Picture(Picture&& other) noexcept : m_handle(std::exchange(other.m_handle, 0)) {}
    Picture& operator=(Picture&& other) noexcept;
    ~Picture();

    Handle handle() const { return m_handle; }
    const Bitmap* bitmap() const { return bitmapFromHandle(m_handle); }
    bool empty() const { return bitmap() == nullptr; }

    // A copy with a bitmap of its own.
    Picture clone() const;

private:
    Handle m_handle = 0;
};

// Loads an uncompressed 24-bit Windows bitmap file; an empty picture when the
// file is missing, unreadable, no regular file or not such a bitmap.
Picture loadPicture(const std::filesystem::path& file);

// The same from the bytes of such a file. The header is checked against the
// bytes there are before any pixel memory is taken.
Picture pictureFromBytes(std::span<const std::uint8_t> data);

}  // namespace gdi
