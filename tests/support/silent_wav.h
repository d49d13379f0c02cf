// A silent WAV file of a given length, for tests that need a real sound to
// play without caring what it sounds like.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace testing_support {

// 16-bit mono PCM at 8000 Hz, all zero.
inline void writeSilentWav(const std::filesystem::path& file, int milliseconds) {
    const std::uint32_t rate = 8000;
    const std::uint32_t dataSize = rate * 2 * static_cast<std::uint32_t>(milliseconds) / 1000;
    std::ofstream out(file, std::ios::binary);
    const auto put32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out.put(static_cast<char>(v >> (8 * i)));
    };
    const auto put16 = [&](std::uint16_t v) { out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>(v >> 8)); };
    out << "RIFF";
    put32(36 + dataSize);
    out << "WAVEfmt ";
    put32(16);
    put16(1);  // PCM
    put16(1);  // one channel
    put32(rate);
    put32(rate * 2);
    put16(2);  // bytes a frame
    put16(16);
    out << "data";
    put32(dataSize);
    out << std::string(dataSize, '\0');
}

}  // namespace testing_support
