// Lengths and pieces of UTF-8 text counted in characters, for text shown to
// the user. A character is a byte with the continuation bytes that follow
// it, so a damaged sequence still counts and no byte is ever lost.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::text {

constexpr bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The length of the well-formed UTF-8 character the text starts with; 0 when
// it starts with none (a byte of another encoding, a cut or overlong
// sequence, a surrogate).
constexpr std::size_t utf8CharacterLength(std::string_view text) {
    if (text.empty()) return 0;
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80) return 1;
    std::size_t length = 4;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    const auto second = static_cast<unsigned char>(text[1]);
    if (second < low || second > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!isUtf8Continuation(text[i])) return 0;
    return length;
}

// The byte where character `characters` begins (the text's size past its end).
constexpr std::size_t utf8Offset(std::string_view text, std::size_t characters) {
    std::size_t at = 0;
    for (; characters > 0 && at < text.size(); --characters) {
        ++at;
        while (at < text.size() && isUtf8Continuation(text[at])) ++at;
    }
    return at;
}

constexpr std::size_t utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); ++count) at += utf8Offset(text.substr(at), 1);
    return count;
}

// Up to `count` characters from character `start` on.
inline std::string utf8Slice(std::string_view text, std::size_t start, std::size_t count) {
    const std::string_view rest = text.substr(utf8Offset(text, start));
    return std::string(rest.substr(0, utf8Offset(rest, count)));
}

}  // namespace platform::text
