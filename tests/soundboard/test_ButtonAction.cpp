// Presses on the real sound buttons: the plain click (start, stop, resume),
// pause, clear, the rule that twins are one button, and the presses that
// have no binding.
#include <regex>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

class ButtonActionTest : public MainWindowTest {
protected:
    std::string one, two, three;
    fs::path listFolder = sounds / "list";
    std::string entryA;

    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        one = sound("One_Sound.wav");
        two = sound("two.mp3.wav");
        three = sound("three.wav");
        entryA = sound("list/Entry_A.wav");
        sound("list/entry b.wav");
    }

    // Button 1, 2 and 3 hold sounds; 5 a playlist of two entries; 6 a
    // playlist whose folder is missing; 7 a playlist without any list.
    frmTest& startWithButtons() {
        return start("[snds]\r\ns1=" + one + "\r\ns2=" + two + "\r\ns3=" + three +
                     "\r\ns5=PlayList_5\r\ns6=PlayList_6\r\ns7=PlayList_7\r\n[lsts]\r\ns5=" + listFolder.string() +
                     "/,Entry_A.wav,entry b.wav\r\ns6=" + (temp.path() / "gone").string() + "/,x.wav\r\n");
    }

    // Everything a press could change, to compare before and after.
    struct Snapshot {
        long state;
        std::string file;
        long volume;
        std::int16_t current;
        bool playlistOn, talkOver;
        std::string settings;
        std::string title;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() {
        return {player().PlayState(), player().FileName(), player().Volume(), Zpm.iCurBtn,
                Zpm.bPlaylistOn,          Zpm.bTalkOver,           settingsText(),    Zpm.sNowTitle};
    }
};

TEST_F(ButtonActionTest, PlainClickStartsStopsAndStartsAgain) {
    frmTest& window = startWithButtons();
    press(button(1));
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(player().FileName(), one);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_EQ(Zpm.sNowTitle, "One Sound");
    EXPECT_EQ(window.lblTitel.Caption(), "Loading...");
    EXPECT_EQ(Zpm.iCurBtn, 1);
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_TRUE(showsState(1, window.ImgOnAir));
    release(button(1));
    EXPECT_TRUE(showsState(1, window.ImgOnAir));

    // A click on the playing button stops it and ends talk-over mode.
    Zpm.bTalkOver = true;
    press(button(1));
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_FALSE(Zpm.bTalkOver);
    EXPECT_TRUE(showsState(1, window.ImgOnAir));  // until the release
    release(button(1));
    EXPECT_TRUE(showsState(1, window.ImgReady));

    // The next click starts it again from its beginning.
    click(button(1));
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_LT(player().CurrentPosition(), 5.0);

    // Another button: the previous one shows ready, the new one plays.
    click(button(2), Qt::MiddleButton);
    EXPECT_EQ(player().FileName(), two);
    EXPECT_EQ(Zpm.sNowTitle, "two");
    EXPECT_TRUE(showsState(1, window.ImgReady));
    EXPECT_TRUE(showsState(2, window.ImgOnAir));
    EXPECT_EQ(Zpm.iCurBtn, 2);

    // The middle button stops just as the left one.
    click(button(2), Qt::MiddleButton);
    EXPECT_EQ(player().PlayState(), media::kStopped);
}

TEST_F(ButtonActionTest, TwinsAreOneButtonOnBothPanels) {
    frmTest& window = startWithButtons();
    click(button(103));
    EXPECT_EQ(player().FileName(), three);
    EXPECT_EQ(Zpm.iCurBtn, 103);
    EXPECT_TRUE(showsState(103, window.ImgOnAir));
    click(button(3));  // its twin on the large panel stops it
    EXPECT_EQ(player().PlayState(), media::kStopped);

    click(button(3));
    EXPECT_EQ(Zpm.iCurBtn, 3);
    click(button(103));
    EXPECT_EQ(player().PlayState(), media::kStopped);

    // Button 16 has no twin; a click on 101 while 3 plays starts button 1.
    click(button(3));
    click(button(101));
    EXPECT_EQ(player().FileName(), one);
    EXPECT_EQ(Zpm.iCurBtn, 101);
    EXPECT_TRUE(showsState(3, window.ImgReady));
}

TEST_F(ButtonActionTest, PauseAndResumeWithAnyButton) {
    frmTest& window = startWithButtons();
    click(button(1));
    click(button(1), Qt::RightButton, pauseKeys);
    EXPECT_EQ(player().PlayState(), media::kPlaying);  // not with the right button

    click(button(1), Qt::LeftButton, pauseKeys);
    EXPECT_EQ(player().PlayState(), media::kPaused);
    EXPECT_EQ(Zpm.iCurBtn, 1);

    // A click on another button resumes the paused sound and starts
    // nothing: the title and the pictures stay with what plays.
    press(button(2));
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(player().FileName(), one);
    EXPECT_EQ(Zpm.sNowTitle, "One Sound");
    EXPECT_TRUE(showsState(1, window.ImgOnAir));
    EXPECT_EQ(Zpm.iCurBtn, 1);
    release(button(2));
    EXPECT_TRUE(showsState(2, window.ImgReady));
    EXPECT_TRUE(showsState(1, window.ImgOnAir));

    click(button(5), Qt::MiddleButton, pauseKeys);
    EXPECT_EQ(player().PlayState(), media::kPaused);
    click(button(1), Qt::MiddleButton);
    EXPECT_EQ(player().PlayState(), media::kPlaying);

    // With the player stopped a pause does nothing.
    click(button(1));
    click(button(1), Qt::LeftButton, pauseKeys);
    EXPECT_EQ(player().PlayState(), media::kStopped);
}

TEST_F(ButtonActionTest, PlaylistStartsAtItsFirstEntryAndASingleSoundEndsIt) {
    frmTest& window = startWithButtons();
    button(5).setTag("Lerror");  // a plain click is not held back by the mark
    press(button(105));
    EXPECT_TRUE(Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.iPlIdx, 1);
    EXPECT_EQ(player().FileName(), entryA);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(Zpm.sNowTitle, "Entry A");
    EXPECT_EQ(button(5).Tag(), "");
    EXPECT_TRUE(showsState(5, window.ImgListOnAir));
    EXPECT_EQ(Zpm.iCurBtn, 105);
    release(button(105));
    EXPECT_TRUE(showsState(105, window.ImgListOnAir));

    // A single sound ends the playlist; the title stays that of the entry
    // until the tick writes it.
    press(button(2));
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(player().FileName(), two);
    EXPECT_EQ(Zpm.sNowTitle, "Entry A");
    EXPECT_TRUE(showsState(105, window.ImgReady));
    release(button(2));
}

TEST_F(ButtonActionTest, MissingPlaylistFolderEndsTheOldPlaylistAndMarksTheButton) {
    frmTest& window = startWithButtons();
    click(button(5));
    ASSERT_TRUE(Zpm.bPlaylistOn);
    const std::string before = settingsText();

    press(button(106));
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.iCurBtn, 6);  // the button number
    EXPECT_EQ(button(6).Tag(), "Lerror");
    EXPECT_TRUE(showsState(6, window.ImgError));
    EXPECT_TRUE(showsState(5, window.ImgReady));
    release(button(106));

    // The tick finds no playlist to go on with.
    tick();
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(settingsText(), before);

    // Presses with keys on the marked button do nothing; the next start
    // shows the mark on it as the previous button.
    click(button(1));
    EXPECT_TRUE(showsState(6, window.ImgError));
    click(button(6), Qt::LeftButton, pauseKeys);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    click(button(106), Qt::MiddleButton, pauseKeys);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
}

TEST_F(ButtonActionTest, PlaylistThatCannotBeReadShowsTheErrorAndStoresNothing) {
    const fs::path emptyList = temp.path() / "empty.txt";
    writeFile(emptyList, "");
    ScopedCurrentFolder here(temp.path());
    fs::create_directory(temp.path() / "NIL");  // never taken for a base folder
    start("[snds]\r\ns1=" + one + "\r\ns7=PlayList_7\r\ns8=PlayList_8\r\ns9=PlayList_9\r\ns10=PlayList_10\r\n" +
          "[lsts]\r\ns8=" + emptyList.string() + "\r\ns9=" + (temp.path() / "missing.txt").string() + "\r\ns10=\r\n");
    const std::string settings = settingsText();
    for (int index : {7, 8, 9, 10}) {
        SCOPED_TRACE(index);
        click(button(1));
        ASSERT_EQ(player().PlayState(), media::kPlaying);
        click(button(index));
        EXPECT_TRUE(showsState(index, form->ImgError));
        EXPECT_EQ(player().PlayState(), media::kStopped);
        EXPECT_FALSE(Zpm.bPlaylistOn);
        EXPECT_EQ(Zpm.colSnds.Item("s" + std::to_string(index)), "PlayList_" + std::to_string(index));
        EXPECT_EQ(button(index).ToolTipText(), "PlayList " + std::to_string(index));
        tick();
    }
    EXPECT_EQ(settingsText(), settings);
    EXPECT_FALSE(fs::exists(temp.path() / "missing.txt"));
    EXPECT_EQ(readFile(emptyList), "");
}

TEST_F(ButtonActionTest, ClearOnlyWhileNothingPlays) {
    const std::string lowerList = sound("playlist_of_mine.wav");
    frmTest& window = startWithButtons();
    mdINIBas::SetIniValue("snds", "s4", lowerList, Zpm.INI_Name);
    LoadSettings();
    const Qt::KeyboardModifiers clear = Qt::ShiftModifier | Qt::ControlModifier;

    click(button(1));
    const std::string before = settingsText();
    click(button(2), Qt::RightButton, clear);
    EXPECT_EQ(settingsText(), before);
    EXPECT_EQ(button(2).ToolTipText(), "two");

    // Paused: the button is cleared and the sound stays paused.
    click(button(1), Qt::LeftButton, pauseKeys);
    button(1).setTag("Lerror");
    click(button(101), Qt::RightButton, clear);
    EXPECT_EQ(saved("s1"), Zpm.SystemSound);
    EXPECT_EQ(Zpm.colSnds.Item("s1"), Zpm.SystemSound);
    EXPECT_EQ(button(1).ToolTipText(), "eep");
    EXPECT_EQ(button(101).ToolTipText(), "eep");
    EXPECT_TRUE(showsState(1, window.ImgEmpty));
    EXPECT_TRUE(showsState(101, window.ImgEmpty));
    EXPECT_EQ(button(1).Tag(), "Lerror");  // the mark stays
    EXPECT_EQ(player().PlayState(), media::kPaused);
    EXPECT_EQ(Zpm.iCurBtn, 1);
    click(button(2));
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(player().FileName(), one);
    click(button(1));  // stops: the current button
    ASSERT_EQ(player().PlayState(), media::kStopped);

    // A playlist button also loses its list; so does a sound whose name
    // holds the mark in small letters, which a plain click plays as a sound.
    click(button(5), Qt::RightButton, clear);
    EXPECT_EQ(saved("s5"), Zpm.SystemSound);
    EXPECT_NE(settingsText().find("s5=\r\n"), std::string::npos);
    EXPECT_EQ(button(105).ToolTipText(), "eep");
    ASSERT_EQ(button(4).ToolTipText(), "playlist of mine");
    click(button(4));
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(player().FileName(), lowerList);
    click(button(4));
    click(button(4), Qt::RightButton, clear);
    EXPECT_NE(settingsText().find("s4=\r\n"), std::string::npos);
    EXPECT_EQ(settingsText().find("s2=\r\n"), std::string::npos);

    // Settings survive a restart.
    form->Unload();
    start(settingsText());
    EXPECT_EQ(button(5).ToolTipText(), "eep");
    EXPECT_EQ(button(2).ToolTipText(), "two");
}

TEST_F(ButtonActionTest, PressesWithoutABindingChangeNothing) {
    startWithButtons();
    click(button(1));
    const Snapshot playing = snapshot();
    const std::pair<Qt::MouseButton, Qt::KeyboardModifiers> presses[] = {
        {Qt::RightButton, {}},
        {Qt::RightButton, Qt::ShiftModifier | Qt::AltModifier},
        {Qt::RightButton, Qt::ShiftModifier | pauseKeys},
        {Qt::MiddleButton, Qt::ShiftModifier | Qt::ControlModifier},
        {Qt::LeftButton, Qt::ShiftModifier | Qt::AltModifier},
        {Qt::LeftButton, Qt::ShiftModifier | pauseKeys},
    };
    for (int index : {1, 2, 40}) {
        for (const auto& [which, keys] : presses) {
            SCOPED_TRACE(std::to_string(index) + " " + std::to_string(which) + " " + std::to_string(keys));
            click(button(index), which, keys);
            EXPECT_TRUE(snapshot() == playing);
        }
    }
}

}  // namespace

TEST_F(ButtonActionTest, EmptyButtonPlaysTheDefaultSoundWithoutTitle) {
    frmTest& window = startWithButtons();
    ASSERT_EQ(button(40).ToolTipText(), "eep");
    Zpm.sNowTitle = "old";
    press(button(40));
    EXPECT_EQ(Zpm.sNowTitle, "");
    EXPECT_EQ(player().FileName(), Zpm.SystemSound);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_TRUE(showsState(40, window.ImgOnAir));
    release(button(40));
    EXPECT_TRUE(showsState(40, window.ImgEmpty));

    // Leaving it for another button shows it empty again.
    click(button(1));
    EXPECT_TRUE(showsState(40, window.ImgEmpty));
}

TEST_F(ButtonActionTest, TheSoundListPassesTheCurrentButtonItself) {
    startWithButtons();
    std::int16_t none = 0;
    // Before any press there is no current button to hand over.
    ButtonAction(Zpm.iCurBtn, none, none);
    EXPECT_EQ(Zpm.iCurBtn, 0);
    EXPECT_NE(player().PlayState(), media::kPlaying);

    click(button(105));
    click(button(105));
    ASSERT_EQ(player().PlayState(), media::kStopped);
    // Stopped: the current button starts, and its playlist start leaves the
    // button number behind, since the index is Zpm.iCurBtn itself.
    ButtonAction(Zpm.iCurBtn, none, none);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_TRUE(Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.iCurBtn, 5);

    // Playing: it stops and starts nothing; paused: it resumes.
    ButtonAction(Zpm.iCurBtn, none, none);
    EXPECT_EQ(player().PlayState(), media::kStopped);
    click(button(2));
    click(button(2), Qt::LeftButton, pauseKeys);
    ButtonAction(Zpm.iCurBtn, none, none);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(player().FileName(), two);
}
