#include "ascii_text.h"

#include <gtest/gtest.h>

namespace text = platform::text;
using namespace std::string_view_literals;
using std::string_view;

// Only A to Z fold; the bytes next to them, UTF-8 and Latin-1 letters and NUL stand for themselves.
TEST(AsciiText, OnlyTheLettersAToZFoldAndPartsMustLieWhollyWithinTheText) {
    EXPECT_EQ(text::lowerAscii("AZaz@[`{09 _\xC3\x84\xC4"), "azaz@[`{09 _\xC3\x84\xC4");
    for (char c : "zZAa"sv) EXPECT_TRUE(text::isAsciiLetter(c)) << c;
    for (char c : "@[`{\xC4"sv) EXPECT_FALSE(text::isAsciiLetter(c)) << c;
    const struct { string_view a, b; bool equal; } rows[] = {
        {"PlayList_3", "playlist_3", true}, {"abc", "ab", false}, {"", "", true}, {"@", "`", false},
        {"[", "{", false}, {"\xC3\x84", "\xC3\xA4", false}, {"a\0b"sv, "a\0c"sv, false}, {"A\0B"sv, "a\0b"sv, true}};
    for (const auto& r : rows) EXPECT_EQ(text::equalNoCase(r.a, r.b), r.equal) << r.a << " / " << r.b;
    // Starting, ending and finding need the whole part within the text.
    constexpr auto starts = text::startsWithNoCase, ends = text::endsWithNoCase;
    const struct { bool (*test)(string_view, string_view); string_view text, part; bool found; } edges[] = {
        {starts, "Key=Value", "KEY=", true}, {starts, "Ke", "KEY=", false}, {starts, "x", "", true},
        {ends, "List.TXT", ".txt", true}, {ends, "txt", ".txt", false}, {ends, "list.txt ", ".txt", false}};
    for (const auto& r : edges) EXPECT_EQ(r.test(r.text, r.part), r.found) << r.text << " " << r.part;
    constexpr auto none = string_view::npos;
    const struct { string_view text, part; std::size_t from, found; } finds[] = {
        {"a PLAYLIST_1 and playlist_2", "playlist_", 0, 2},  {"a PLAYLIST_1 and playlist_2", "playlist_", 3, 17},
        {"a PLAYLIST_1 and playlist_2", "playlist_", 18, none}, {"a playlist_2", "playlist_2x", 0, none},
        {"ab", "abc", 0, none}, {"ab", "ab", 0, 0}, {"ab", "", 2, 2}, {"ab", "", 3, none}, {"", "", 0, 0}};
    for (const auto& r : finds) EXPECT_EQ(text::findNoCase(r.text, r.part, r.from), r.found) << r.text << " " << r.from;
    EXPECT_EQ(text::replaceAll("a.WAV b.wav", ".wav", ".wave", true), "a.wave b.wave");
    EXPECT_EQ(text::replaceAll("aa.WAV", "a", "aa", false), "aaaa.WAV") << "inserted text is not searched again";
    EXPECT_EQ(text::replaceAll("ab", "", "x", true), "ab");
}

