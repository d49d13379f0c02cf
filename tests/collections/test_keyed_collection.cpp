#include "keyed_collection.h"

#include <gtest/gtest.h>

#include <stdexcept>

using platform::Collection;

TEST(KeyedCollection, KeysAreUniqueIgnoringLetterCaseAndItemsAreCopies) {
    Collection sounds;
    sounds.Add("/a.wav", "s1");
    sounds.Add("/b.wav", "s2");
    EXPECT_THROW(sounds.Add("/c.wav", "S1"), std::invalid_argument);
    EXPECT_EQ(sounds.Count(), 2);
    EXPECT_EQ(sounds.Item("S1"), "/a.wav");

    std::string held = sounds.Item("s2");
    sounds = Collection{};
    EXPECT_EQ(held, "/b.wav");
    EXPECT_EQ(sounds.Count(), 0);
}

TEST(KeyedCollection, ReplacingAnEntryIsRemoveThenAdd) {
    Collection sounds;
    sounds.Add("/a.wav", "s1");
    sounds.Add("/b.wav", "s2");
    sounds.Remove("s1");
    EXPECT_FALSE(sounds.Contains("s1"));
    EXPECT_THROW(sounds.Item("s1"), std::out_of_range);
    EXPECT_THROW(sounds.Remove("s1"), std::out_of_range);
    sounds.Add("/new.wav", "s1");
    EXPECT_EQ(sounds.Item("s1"), "/new.wav");
    EXPECT_EQ(sounds.Item("s2"), "/b.wav");
    EXPECT_EQ(sounds.Count(), 2);
}
