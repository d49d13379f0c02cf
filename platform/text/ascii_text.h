// Comparisons of text that ignore the case of the letters A to Z only: names
// of files, keys and sections compare this way whatever the locale, and
// bytes outside ASCII (parts of UTF-8 characters) always stand for themselves.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

namespace platform::text {

constexpr char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

constexpr bool isAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

constexpr bool sameLetterNoCase(char a, char b) { return lowerAscii(a) == lowerAscii(b); }

inline std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), [](char c) { return lowerAscii(c); });
    return lower;
}

constexpr bool equalNoCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, sameLetterNoCase);
}

constexpr bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalNoCase(text.substr(0, prefix.size()), prefix);
}

constexpr bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && equalNoCase(text.substr(text.size() - suffix.size()), suffix);
}

// The first place at or after `from` where `part` stands, or npos; an empty
// part stands at `from` itself while that lies within the text.
constexpr std::size_t findNoCase(std::string_view text, std::string_view part, std::size_t from = 0) {
    for (std::size_t i = from; i + part.size() <= text.size(); ++i)
        if (equalNoCase(text.substr(i, part.size()), part)) return i;
    return std::string_view::npos;
}

// Every occurrence of `part` replaced, in one pass from left to right:
// inserted text is not searched again.
inline std::string replaceAll(std::string_view text, std::string_view part, std::string_view with, bool ignoreCase) {
    if (part.empty()) return std::string(text);
    std::string result;
    std::size_t start = 0;
    for (;;) {
        const std::size_t found = ignoreCase ? findNoCase(text, part, start) : text.find(part, start);
        if (found == std::string_view::npos) break;
        result.append(text.substr(start, found - start)).append(with);
        start = found + part.size();
    }
    return result.append(text.substr(start));
}

}  // namespace platform::text
