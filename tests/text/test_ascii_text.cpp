#include "ascii_text.h"

#include <gtest/gtest.h>

#include <string_view>

namespace text = platform::text;
using namespace std::string_view_literals;
using std::string_view;

// Only A to Z fold; the bytes next to them, UTF-8 and Latin-1 letters and NUL
// stand for themselves.
TEST(AsciiText, OnlyTheLettersAToZFold) {
    EXPECT_EQ(text::lowerAscii("AZaz@[`{09 _\xC3\x84\xC4"), "azaz@[`{09 _\xC3\x84\xC4");
    EXPECT_TRUE(text::isAsciiLetter('z') && text::isAsciiLetter('A') && text::isAsciiLetter('a'));
    EXPECT_FALSE(text::isAsciiLetter('@') || text::isAsciiLetter('[') || text::isAsciiLetter('`') ||
                 text::isAsciiLetter('{') || text::isAsciiLetter('\xC4'));
    const struct { string_view a, b; bool equal; } rows[] = {
        {"PlayList_3", "playlist_3", true}, {"abc", "ab", false}, {"", "", true}, {"@", "`", false},
        {"[", "{", false}, {"\xC3\x84", "\xC3\xA4", false}, {"a\0b"sv, "a\0c"sv, false}, {"A\0B"sv, "a\0b"sv, true}};
    for (const auto& r : rows) EXPECT_EQ(text::equalNoCase(r.a, r.b), r.equal) << r.a << " / " << r.b;
}

TEST(AsciiText, StartEndAndFindNeedTheWholePartWithinTheText) {
    EXPECT_TRUE(text::startsWithNoCase("Key=Value", "KEY="));
    EXPECT_FALSE(text::startsWithNoCase("Ke", "KEY="));
    EXPECT_TRUE(text::startsWithNoCase("x", ""));
    EXPECT_TRUE(text::endsWithNoCase("List.TXT", ".txt"));
    EXPECT_FALSE(text::endsWithNoCase("txt", ".txt"));
    EXPECT_FALSE(text::endsWithNoCase("list.txt ", ".txt"));

    constexpr auto none = string_view::npos;
    const struct { string_view text, part; std::size_t from, found; } rows[] = {
        {"a PLAYLIST_1 and playlist_2", "playlist_", 0, 2},  {"a PLAYLIST_1 and playlist_2", "playlist_", 3, 17},
        {"a PLAYLIST_1 and playlist_2", "playlist_", 18, none}, {"a playlist_2", "playlist_2x", 0, none},
        {"ab", "abc", 0, none}, {"ab", "ab", 0, 0}, {"ab", "", 2, 2}, {"ab", "", 3, none}, {"", "", 0, 0}};
    for (const auto& r : rows) EXPECT_EQ(text::findNoCase(r.text, r.part, r.from), r.found) << r.text << " " << r.from;

    EXPECT_EQ(text::replaceAll("a.WAV b.wav", ".wav", ".wave", true), "a.wave b.wave");
    EXPECT_EQ(text::replaceAll("aa.WAV", "a", "aa", false), "aaaa.WAV") << "inserted text is not searched again";
    EXPECT_EQ(text::replaceAll("ab", "", "x", true), "ab");
}
