// Faults a new user ran into: lists that cannot play at all, names a list
// file cannot hold, titles in other scripts.
#include "core_test_support.h"

namespace {

using namespace sbtest;

TEST_F(CoreTest, PlaylistWhoseEntriesAllFailEndsAfterOneRoundWithTheErrorMark) {
    const fs::path folder = sounds / "broken";
    fs::create_directories(folder);
    for (const char* name : {"a.wav", "b.wav", "c.wav"}) writeFile(folder / name, "no sound");
    sound("mixed/good.wav");
    writeFile(sounds / "mixed" / "bad.wav", "no sound");
    load("[snds]\r\ns5=PlayList_5\r\ns6=PlayList_6\r\n[lsts]\r\ns5=" + folder.string() + "/,a.wav,b.wav,c.wav\r\ns6=" +
         (sounds / "mixed").string() + "/,bad.wav,good.wav\r\n");
    Zpm.iMaschineMode = 1;

    click(5);
    EXPECT_TRUE(Zpm.bPlaylistOn);
    StatusTick();
    EXPECT_EQ(Zpm.iPlIdx, 2);
    EXPECT_TRUE(Zpm.bPlaylistOn);
    StatusTick();
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.iPlIdx, 3);
    EXPECT_EQ(picture(5), ButtonPicture::Error);
    EXPECT_EQ(window->ButtonTag(5), ErrorMark);
    StatusTick();  // the error mark stays on the stopped button
    EXPECT_EQ(picture(5), ButtonPicture::Error);
    EXPECT_EQ(Zpm.iPlIdx, 3);

    // One playable entry keeps a list going.
    click(6);
    StatusTick();
    EXPECT_TRUE(Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.iPlIdx, 2);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
}

TEST_F(CoreTest, DroppedNamesWithCommasOrLineBreaksStayOutOfANewList) {
    load();
    const std::string a = sound("a.wav"), comma = sound("b,c.wav"), d = sound("d.wav");
    const std::string files[] = {a, comma, d};
    DropFiles(3, files);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].prompt.find(comma), std::string::npos);
    EXPECT_EQ(window->ButtonToolTip(3), "PlayList 3");
    LoadPlaylist("s3");
    EXPECT_EQ(Zpm.aPlaylist, (std::vector<std::string>{sounds.string() + "/", "a.wav", "d.wav"}));

    // Nothing left to list: nothing changes.
    const std::string before = settingsText();
    const std::string unlisted[] = {comma, sound("e\nf.wav")};
    DropFiles(4, unlisted);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(window->ButtonToolTip(4), EmptyName);
    EXPECT_EQ(settingsText(), before);
}

TEST_F(CoreTest, TitleLengthsCountCharactersNotBytes) {
    std::string umlauts;
    for (int i = 0; i < 40; ++i) umlauts += "\xC3\xA4";
    load("[snds]\r\ns1=" + sound(umlauts + ".wav") + "\r\n");
    Zpm.iMaschineMode = 1;
    click(1);
    for (int tick = 0; tick < 2; ++tick) {
        StatusTick();
        EXPECT_TRUE(window->titleCentred);
        EXPECT_EQ(window->title, umlauts);
    }
}

TEST_F(CoreTest, AFailedSaveIsToldOnceAndALineBreakIsNeverStored) {
    load("[snds]\r\n");
    const std::string before = settingsText();
    const std::string broken[] = {sound("a\nb.wav")};
    DropFiles(2, broken);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].prompt.find("a\nb.wav"), std::string::npos);
    EXPECT_EQ(window->ButtonToolTip(2), EmptyName);
    EXPECT_EQ(settingsText(), before);

    fs::permissions(ini, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string one[] = {sound("one.wav")}, two[] = {sound("two.wav")};
    DropFiles(3, one);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[1].prompt.find(ini.string()), std::string::npos);
    EXPECT_NE(messages[1].prompt.find("ermission"), std::string::npos);
    DropFiles(4, two);
    EXPECT_EQ(messages.size(), 2u);  // told once
    EXPECT_EQ(window->ButtonToolTip(3), "one");
    EXPECT_EQ(settingsText(), before);
}

}  // namespace
