#include "ascii_text.h"

#include <gtest/gtest.h>

#include <string_view>

namespace text = platform::text;
using namespace std::string_literals;

TEST(AsciiText, OnlyTheLettersAToZFoldAndEveryOtherByteStandsForItself) {
    EXPECT_EQ(text::lowerAscii("AZaz@[`{09 _"), "azaz@[`{09 _");
    // "Ä" in UTF-8 and in Latin-1: never folded, never equal to "ä".
    EXPECT_EQ(text::lowerAscii("\xC3\x84\xC4"), "\xC3\x84\xC4");
    EXPECT_FALSE(text::equalNoCase("\xC3\x84", "\xC3\xA4"));
    EXPECT_FALSE(text::sameLetterNoCase('@', '`'));
    EXPECT_FALSE(text::sameLetterNoCase('[', '{'));
    EXPECT_TRUE(text::sameLetterNoCase('q', 'Q'));
    EXPECT_TRUE(text::isAsciiLetter('z') && text::isAsciiLetter('A'));
    EXPECT_FALSE(text::isAsciiLetter('@') || text::isAsciiLetter('[') || text::isAsciiLetter('\xC4'));
    // A NUL inside the text is compared like any other byte.
    EXPECT_FALSE(text::equalNoCase("a\0b"s, "a\0c"s));
    EXPECT_TRUE(text::equalNoCase("A\0B"s, "a\0b"s));
}

TEST(AsciiText, EqualStartAndEndNeedTheWholePartWithinTheText) {
    EXPECT_TRUE(text::equalNoCase("PlayList_3", "playlist_3"));
    EXPECT_FALSE(text::equalNoCase("abc", "ab"));
    EXPECT_TRUE(text::equalNoCase("", ""));

    EXPECT_TRUE(text::startsWithNoCase("Key=Value", "KEY="));
    EXPECT_FALSE(text::startsWithNoCase("Ke", "KEY="));
    EXPECT_TRUE(text::startsWithNoCase("x", ""));

    EXPECT_TRUE(text::endsWithNoCase("List.TXT", ".txt"));
    EXPECT_FALSE(text::endsWithNoCase("txt", ".txt"));
    EXPECT_FALSE(text::endsWithNoCase("list.txt ", ".txt"));
    EXPECT_TRUE(text::endsWithNoCase("", ""));
}

TEST(AsciiText, FindGivesTheFirstPlaceAtOrAfterTheStart) {
    constexpr std::string_view line = "a PLAYLIST_1 and playlist_2";
    EXPECT_EQ(text::findNoCase(line, "playlist_"), 2u);
    EXPECT_EQ(text::findNoCase(line, "playlist_", 3), 17u);
    EXPECT_EQ(text::findNoCase(line, "playlist_", 18), std::string_view::npos);
    EXPECT_EQ(text::findNoCase(line, "playlist_2x"), std::string_view::npos);
    EXPECT_EQ(text::findNoCase("ab", "abc"), std::string_view::npos);
    // An empty part stands where the search starts, up to the end itself.
    EXPECT_EQ(text::findNoCase("ab", "", 1), 1u);
    EXPECT_EQ(text::findNoCase("ab", "", 2), 2u);
    EXPECT_EQ(text::findNoCase("ab", "", 3), std::string_view::npos);
    EXPECT_EQ(text::findNoCase("", ""), 0u);
}
