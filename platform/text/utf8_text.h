// Lengths and pieces of UTF-8 text counted in characters, for text shown to
// the user. A character is a byte with the continuation bytes that follow
// it, so a damaged sequence still counts and no byte is ever lost.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::text {

constexpr bool isUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

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
