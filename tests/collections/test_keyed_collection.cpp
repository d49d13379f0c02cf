#include "keyed_collection.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(KeyedCollection, KeysIgnoreLetterCaseAndARemovedKeyCanBeAddedAgain) {
    platform::Collection sounds;
    sounds.Add("/a.wav", "s1");
    sounds.Add("/b.wav", "s2");
    EXPECT_THROW(sounds.Add("/c.wav", "S1"), std::invalid_argument);
    EXPECT_EQ(sounds.Item("S1"), "/a.wav");
    sounds.Remove("s1");
    EXPECT_TRUE(!sounds.Contains("s1") && sounds.Contains("S2"));
    EXPECT_THROW(sounds.Item("s1"), std::out_of_range);
    EXPECT_THROW(sounds.Remove("s1"), std::out_of_range);
    sounds.Add("/new.wav", "s1");
    EXPECT_EQ(sounds.Item("s1") + sounds.Item("s2") + std::to_string(sounds.Count()), "/new.wav/b.wav2");
}
