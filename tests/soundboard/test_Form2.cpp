#include <QTimer>

#include "sound_list_test_support.h"

namespace {

using namespace sbtest;

class SoundList : public SoundListTest {
protected:
    std::string drum, bell, horn;
    int fadeTicks = 0;

    // Buttons 1 and 2 hold sounds, 3 is a playlist of two entries, the rest
    // are empty.
    void startWithSounds() {
        drum = sound("Drum_Roll.wav");
        bell = sound("bell.wav");
        horn = sound("horn.wav");
        start("[snds]\r\ns1=" + drum + "\r\ns2=" + bell + "\r\ns3=PlayList_3\r\n[lsts]\r\ns3=" + sounds.string() +
              "/,bell.wav,horn.wav\r\n");
    }

    // The list, opened, with its fade ticks counted.
    void open() {
        openList();
        ASSERT_TRUE(list().Loaded());
        auto tick = list().Timer1.onTimer;
        list().Timer1.onTimer = [this, tick] {
            ++fadeTicks;
            tick();
        };
    }

    void play(const std::string& path, long volume = -600) {
        player().setFileName(path);
        player().setVolume(volume);
        ASSERT_EQ(player().PlayState(), media::kPlaying);
    }
};

TEST_F(SoundList, PlacesItselfUnderTheOpenMachineInTwips) {
    start();
    const float screenWidth = static_cast<float>(forms::ScreenWidth());
    const float screenHeight = static_cast<float>(forms::ScreenHeight());
    ASSERT_GT(screenWidth, 9000);
    ASSERT_GT(screenHeight, 8100);
    struct Case {
        const char* name;
        std::int16_t mode;
        float mainLeft, mainTop, left, top;
    };
    const Case cases[] = {
        {"large", 1, 1500, 300, 1597.5f, 2565},
        {"small", 3, 3000, 300, 1725, 1935},
        {"large at the right edge", 1, screenWidth - 3000, 300, screenWidth - 2900, 2565},
        {"small at the right edge", 3, screenWidth - 2000, 300, screenWidth - 4600, 1935},
        {"at the bottom edge", 1, 1500, screenHeight - 3000, 1597.5f, screenHeight - 8025},
        {"left at 0", 3, 1275, 300, 10, 1935},
        {"left below 0", 3, 600, 300, 10, 1935},
        {"another mode at the right edge", 7, screenWidth - 3000, 300, screenWidth - 4495, 2565},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Zpm.iMaschineMode = c.mode == 3 ? 3 : 1;
        form->set_maschine();
        Zpm.iMaschineMode = c.mode;
        form->Move(c.mainLeft, c.mainTop);
        openList();
        EXPECT_FLOAT_EQ(list().Left(), c.left);
        EXPECT_FLOAT_EQ(list().Top(), c.top);
        EXPECT_FLOAT_EQ(list().Width(), 4395);
        EXPECT_FLOAT_EQ(list().Height(), 5025);
        list().Close();
    }
}

TEST_F(SoundList, RowsAreTheButtonsOrTheRunningPlaylistsEntries) {
    startWithSounds();
    open();
    EXPECT_EQ(list().LstSounds.ListCount(), 75);
    EXPECT_EQ(row(0), "Drum Roll");
    EXPECT_EQ(row(1), "bell");
    EXPECT_EQ(row(2), "PlayList 3");
    EXPECT_EQ(row(3), "");
    EXPECT_EQ(row(74), "");
    list().Close();

    Zpm.bPlaylistOn = true;
    for (const auto& [entries, rows] : std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>{
             {{"/base/", "Opening_Theme.mp3", "sub/Closing.WAV"}, {"Opening Theme", "Closing"}},
             {{"/base/"}, {}}}) {
        Zpm.aPlaylist = entries;
        open();
        std::vector<std::string> shown;
        for (int i = 0; i < list().LstSounds.ListCount(); ++i) shown.push_back(row(i));
        EXPECT_EQ(shown, rows);
        list().Close();
    }

    // Without a player the list stays empty and a double-click does nothing.
    Zpm.bPlaylistOn = false;
    Zpm.bPlayerOk = false;
    open();
    EXPECT_EQ(list().LstSounds.ListCount(), 0);
    play(bell);
    list().LstSounds.AddItem("row");
    doubleClickRow(0);
    EXPECT_EQ(player().FileName(), bell);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
}

TEST_F(SoundList, DoubleClickInTheLargeMachineMakesTheRowsButtonCurrent) {
    startWithSounds();
    click(button(2));
    ASSERT_EQ(Zpm.iCurBtn, 2);
    open();
    doubleClickRow(0);
    EXPECT_EQ(Zpm.iCurBtn, 1);
    EXPECT_TRUE(showsState(2, form->ImgReady));
    EXPECT_TRUE(showsState(1, form->ImgOnAir));
    EXPECT_EQ(player().FileName(), drum);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_EQ(fadeTicks, 0);
}

TEST_F(SoundList, DoubleClickInTheSmallMachineLeavesTheButtonsAlone) {
    startWithSounds();
    Zpm.iMaschineMode = 3;
    form->set_maschine();
    click(button(102));
    ASSERT_EQ(Zpm.iCurBtn, 102);
    open();
    doubleClickRow(0);
    EXPECT_EQ(Zpm.iCurBtn, 102);
    EXPECT_TRUE(showsState(101, form->ImgReady));
    EXPECT_EQ(player().FileName(), drum);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
}

// Alt with the left button fades out first; Alt with Shift does not.
TEST_F(SoundList, AltDoubleClickFadesOutBeforeTheRowStarts) {
    startWithSounds();
    open();
    for (const auto& [keys, ticks] : {std::pair{Qt::KeyboardModifiers(Qt::AltModifier), 5},
                                      std::pair{Qt::AltModifier | Qt::ShiftModifier, 0},
                                      std::pair{Qt::KeyboardModifiers(), 0}}) {
        SCOPED_TRACE(keys.toInt());
        fadeTicks = 0;
        play(horn, -4000);  // five steps from the end
        doubleClickRow(1, keys);
        EXPECT_EQ(list().iMouseCode, 10 + (keys & Qt::AltModifier ? 4 : 0) + (keys & Qt::ShiftModifier ? 1 : 0));
        EXPECT_EQ(fadeTicks, ticks);
        EXPECT_FALSE(list().Timer1.Enabled());
        EXPECT_EQ(player().FileName(), bell);
        EXPECT_EQ(player().PlayState(), media::kPlaying);
        EXPECT_EQ(player().Volume(), -600);
    }
}

TEST_F(SoundList, DoubleClickOnAPausedPlayerStartsTheRowWithoutStopping) {
    startWithSounds();
    open();
    play(horn, -2100);
    player().Pause();
    doubleClickRow(0);
    EXPECT_EQ(player().FileName(), drum);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(player().Volume(), -2100);
}

TEST_F(SoundList, DoubleClickOnAPlaylistEntrySetsTheTitleAndTheIndex) {
    startWithSounds();
    click(button(3));
    ASSERT_TRUE(Zpm.bPlaylistOn);
    open();
    ASSERT_EQ(list().LstSounds.ListCount(), 2);
    Zpm.sNowTitle = "before";
    doubleClickRow(1);
    EXPECT_EQ(Zpm.iPlIdx, 2);
    EXPECT_EQ(Zpm.sNowTitle, "horn");
    EXPECT_EQ(player().FileName(), sounds.string() + "/horn.wav");
    EXPECT_EQ(Zpm.iCurBtn, 3);
}

TEST_F(SoundList, StopSpotStopsOnlyAPlayingPlayer) {
    startWithSounds();
    open();
    Zpm.bPlaylistOn = true;
    play(drum, -2100);
    player().Pause();
    clickOn(list().lblStop);
    EXPECT_EQ(player().PlayState(), media::kPaused);
    EXPECT_TRUE(Zpm.bPlaylistOn);
    EXPECT_EQ(player().Volume(), -2100);

    player().Play();
    clickOn(list().lblStop);
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_FALSE(Zpm.bPlaylistOn);
}

// Tick by tick: 190 steps of 10 reach -2500, which that tick lowers to
// -2590; steps of 100 follow, and tick 210 stops the player at -4590.
TEST_F(SoundList, FadeSpotFadesOutTickByTickAndLeavesThePlaylistOn) {
    startWithSounds();
    open();
    Zpm.bPlaylistOn = true;
    play(drum);
    clickOn(list().lblFade);
    ASSERT_TRUE(list().Timer1.Enabled());
    std::vector<long> volumes;
    while (list().Timer1.Enabled() && volumes.size() < 300) {
        list().Timer1.onTimer();
        volumes.push_back(player().Volume());
    }
    ASSERT_EQ(volumes.size(), 210u);
    EXPECT_EQ(volumes[0], -610);
    EXPECT_EQ(volumes[188], -2490);
    EXPECT_EQ(volumes[189], -2590);
    EXPECT_EQ(volumes[190], -2690);
    EXPECT_EQ(volumes[208], -4490);
    EXPECT_EQ(volumes[209], -600);
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_TRUE(Zpm.bPlaylistOn);

    // Nothing playing: the first tick only switches the fade off.
    player().setVolume(-1234);
    clickOn(list().lblFade);
    list().Timer1.onTimer();
    EXPECT_FALSE(list().Timer1.Enabled());
    EXPECT_EQ(player().Volume(), -1234);
}

TEST_F(SoundList, EscClosesAndTheNextOpeningPlacesItAfresh) {
    startWithSounds();
    open();
    const float left = list().Left();
    const float top = list().Top();
    list().Move(150, 150);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    QCoreApplication::sendEvent(listWidget(), &escape);
    EXPECT_FALSE(list().Loaded());
    EXPECT_FALSE(list().Visible());
    EXPECT_FALSE(Zpm.bSndListOpen);

    open();
    EXPECT_FLOAT_EQ(list().Left(), left);
    EXPECT_FLOAT_EQ(list().Top(), top);
    clickOn(list().LblClose);
    EXPECT_FALSE(list().Loaded());
    EXPECT_FALSE(Zpm.bSndListOpen);
}

TEST_F(SoundList, RefreshRebuildsOnlyAnOpenList) {
    startWithSounds();
    form->ShowButton(1, ButtonPicture::OnAir);
    RefreshSoundList();
    EXPECT_TRUE(showsState(1, form->ImgOnAir)) << "a closed list loads no settings";
    EXPECT_FALSE(list().Loaded());

    open();
    const float left = list().Left();
    list().Move(150, 150);
    RefreshSoundList();
    EXPECT_TRUE(showsState(1, form->ImgReady));
    EXPECT_TRUE(list().Visible());
    EXPECT_TRUE(Zpm.bSndListOpen);
    EXPECT_FLOAT_EQ(list().Left(), left);
    EXPECT_EQ(list().LstSounds.ListCount(), 75);
}

TEST_F(SoundList, DoubleClickWithoutARowOrWithoutACurrentButton) {
    startWithSounds();
    open();
    play(horn);
    list().LstSounds.setListIndex(-1);
    list().LstSounds.onDblClick();
    EXPECT_EQ(player().FileName(), horn);
    EXPECT_EQ(player().PlayState(), media::kPlaying);

    // The small machine before any press: the row's own sound, no button.
    Zpm.iMaschineMode = 3;
    ASSERT_EQ(Zpm.iCurBtn, 0);
    doubleClickRow(2);
    EXPECT_EQ(Zpm.iCurBtn, 0);
    EXPECT_EQ(player().FileName(), "PlayList_3");
    doubleClickRow(0);
    EXPECT_EQ(Zpm.iCurBtn, 0);
    EXPECT_EQ(player().FileName(), drum);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    for (int index : {1, 2, 101}) EXPECT_TRUE(showsState(index, form->ImgReady)) << index;
}

// Closing the list ends the fade's wait; the double-click then stops what
// plays and starts its row.
TEST_F(SoundList, ClosingTheListDuringTheFadeEndsTheWait) {
    startWithSounds();
    open();
    play(horn);
    QTimer::singleShot(0, [] { clickOn(Form2::instance().LblClose); });
    doubleClickRow(0, Qt::AltModifier);
    EXPECT_FALSE(list().Loaded());
    EXPECT_FALSE(Zpm.bSndListOpen);
    EXPECT_LT(fadeTicks, 210);
    EXPECT_EQ(player().FileName(), drum);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(player().Volume(), -600);

    // The main window closed meanwhile: nothing starts any more.
    open();
    QTimer::singleShot(0, [this] { clickOn(form->LblClose); });
    doubleClickRow(1, Qt::AltModifier);
    EXPECT_FALSE(form->Loaded());
    EXPECT_FALSE(list().Loaded());
    EXPECT_EQ(player().FileName(), drum);
    EXPECT_NE(player().PlayState(), media::kPlaying);
}

// The playlist button's row hands the button to the click dispatcher,
// which rebuilds this very list from inside its double-click.
TEST_F(SoundList, DoubleClickOnAPlaylistButtonStartsItsPlaylistAndRebuildsTheList) {
    startWithSounds();
    open();
    doubleClickRow(2);
    EXPECT_EQ(Zpm.iCurBtn, 3);
    EXPECT_TRUE(Zpm.bPlaylistOn);
    EXPECT_TRUE(Zpm.bSndListOpen);
    ASSERT_TRUE(list().Loaded());
    EXPECT_EQ(list().LstSounds.ListCount(), 2);
    EXPECT_EQ(row(0), "bell");
    EXPECT_EQ(player().FileName(), sounds.string() + "/bell.wav");
}

}  // namespace
