// A two-dimensional byte view over a bitmap's pixel memory, laid over it in
// place: element (x, y) is byte x of memory row y. Every access is checked
// against the view's bounds; the view never owns the memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "RuntimeError.h"

class ByteView {
public:
    ByteView(std::uint8_t* bits, std::int32_t rowBytes, std::int32_t rows, std::string_view owner)
        : m_bits(bits), m_rowBytes(bits ? rowBytes : 0), m_rows(bits ? rows : 0), m_owner(owner) {}

    std::int32_t rowBytes() const { return m_rowBytes; }

    // Row y whole, checked once for the loops that walk along it.
    std::span<std::uint8_t> row(std::int32_t y) const {
        if (y < 0 || y >= m_rows) throw runtimeError(kErrSubscriptOutOfRange, m_owner);
        return {m_bits + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_rowBytes),
                static_cast<std::size_t>(m_rowBytes)};
    }

    std::uint8_t& operator()(std::int32_t x, std::int32_t y) const {
        if (x < 0 || x >= m_rowBytes || y < 0 || y >= m_rows) throw runtimeError(kErrSubscriptOutOfRange, m_owner);
        return m_bits[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_rowBytes) + static_cast<std::size_t>(x)];
    }

private:
    std::uint8_t* m_bits;
    std::int32_t m_rowBytes;
    std::int32_t m_rows;
    std::string_view m_owner;
};
