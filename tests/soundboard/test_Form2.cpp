// The sound-list window on the real main window: where it opens, its rows,
// what a double-click on a row starts, and its stop and fade spots.
#include <QTimer>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

class SoundList : public SoundListTest {
protected:
    std::string drum, bell, horn;
    int fadeTicks = 0;

    // Buttons 1 and 2 hold sounds, 3 is a playlist of two entries, the rest are empty.
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
        list().Timer1.onTimer = [this, tick = list().Timer1.onTimer] {
            ++fadeTicks;
            tick();
        };
    }
    void play(const std::string& path, long volume = -600) {
        player().setFileName(path);
        player().setVolume(volume);
        ASSERT_EQ(player().PlayState(), media::kPlaying);
    }
    std::vector<std::string> rows() {
        std::vector<std::string> shown;
        for (int i = 0; i < list().LstSounds.ListCount(); ++i) shown.push_back(row(i));
        return shown;
    }
};

TEST_F(SoundList, PlacesItselfUnderTheOpenMachineInTwips) {
    start();
    const float width = static_cast<float>(forms::ScreenWidth()), height = static_cast<float>(forms::ScreenHeight());
    ASSERT_GT(width, 9000);
    ASSERT_GT(height, 8100);
    struct Case {
        std::int16_t mode;
        float mainLeft, mainTop, left, top;
    };
    const Case cases[] = {
        {1, 1500, 300, 1597.5f, 2565},       {3, 3000, 300, 1725, 1935},
        {1, width - 3000, 300, width - 2900, 2565}, {3, width - 2000, 300, width - 4600, 1935},
        {1, 1500, height - 3000, 1597.5f, height - 8025}, {3, 1275, 300, 10, 1935},
        {3, 600, 300, 10, 1935},             {7, width - 3000, 300, width - 4495, 2565},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.mainLeft << " " << c.mainTop);
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
    std::vector<std::string> expected(75);
    expected[0] = "Drum Roll", expected[1] = "bell", expected[2] = "PlayList 3";
    EXPECT_EQ(rows(), expected);
    list().Close();

    Zpm.bPlaylistOn = true;
    for (const auto& [entries, shown] : std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>{
             {{"/base/", "Opening_Theme.mp3", "sub/Closing.WAV"}, {"Opening Theme", "Closing"}}, {{"/base/"}, {}}}) {
        Zpm.aPlaylist = entries;
        open();
        EXPECT_EQ(rows(), shown);
        list().Close();
    }

    // Without a player the list stays empty and a double-click does nothing.
    Zpm.bPlaylistOn = Zpm.bPlayerOk = false;
    open();
    EXPECT_EQ(list().LstSounds.ListCount(), 0);
    play(bell);
    list().LstSounds.AddItem("row");
    doubleClickRow(0);
    EXPECT_EQ(player().FileName(), bell);
}

// Only the large open machine makes the row's button current; a paused
// player is not stopped; no row starts nothing new.
TEST_F(SoundList, DoubleClickStartsTheRowsSound) {
    startWithSounds();
    click(button(2));
    open();
    doubleClickRow(0);
    EXPECT_EQ(Zpm.iCurBtn, 1);
    EXPECT_TRUE(showsState(2, form->ImgReady));
    EXPECT_TRUE(showsState(1, form->ImgOnAir));
    EXPECT_EQ(heard(), std::tuple(drum, media::kPlaying, -600L));
    EXPECT_EQ(fadeTicks, 0);

    play(horn, -2100);
    player().Pause();
    doubleClickRow(1);
    EXPECT_EQ(heard(), std::tuple(bell, media::kPlaying, -2100L));
    list().LstSounds.setListIndex(-1);
    list().LstSounds.onDblClick();
    EXPECT_EQ(player().FileName(), bell);

    Zpm.iMaschineMode = 3;
    form->set_maschine();
    click(button(101));
    open();
    doubleClickRow(1);
    EXPECT_EQ(Zpm.iCurBtn, 101);
    EXPECT_TRUE(showsState(102, form->ImgReady));
    EXPECT_EQ(player().FileName(), bell);
}

// The small machine before any press: the row's own sound, no button.
TEST_F(SoundList, DoubleClickWithoutACurrentButtonInTheSmallMachine) {
    startWithSounds();
    open();
    Zpm.iMaschineMode = 3;
    doubleClickRow(2);
    EXPECT_EQ(player().FileName(), "PlayList_3");
    doubleClickRow(0);
    EXPECT_EQ(Zpm.iCurBtn, 0);
    EXPECT_EQ(player().FileName(), drum);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    for (int index : {1, 2, 101}) EXPECT_TRUE(showsState(index, form->ImgReady)) << index;
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
        EXPECT_EQ(fadeTicks, ticks);
        EXPECT_FALSE(list().Timer1.Enabled());
        EXPECT_EQ(heard(), std::tuple(bell, media::kPlaying, -600L));
    }
}

TEST_F(SoundList, DoubleClickOnPlaylistRows) {
    startWithSounds();
    open();
    // The playlist button's row starts its list and rebuilds this very list.
    doubleClickRow(2);
    EXPECT_EQ(Zpm.iCurBtn, 3);
    EXPECT_TRUE(Zpm.bPlaylistOn);
    ASSERT_TRUE(list().Loaded());
    EXPECT_EQ(rows(), (std::vector<std::string>{"bell", "horn"}));
    EXPECT_EQ(player().FileName(), sounds.string() + "/bell.wav");
    EXPECT_EQ(player().PlayState(), media::kPlaying);

    // An entry's row sets the title and the index.
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
    click(list().lblStop);
    EXPECT_EQ(player().PlayState(), media::kPaused);
    EXPECT_TRUE(Zpm.bPlaylistOn);
    player().Play();
    click(list().lblStop);
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_FALSE(Zpm.bPlaylistOn);
}

// 190 steps of 10 reach -2500, which that tick lowers to -2590; steps of
// 100 follow, and tick 210 stops the player. A running playlist stays on.
TEST_F(SoundList, FadeSpotFadesOutTickByTick) {
    startWithSounds();
    open();
    Zpm.bPlaylistOn = true;
    play(drum);
    click(list().lblFade);
    std::vector<long> volumes;
    while (list().Timer1.Enabled() && volumes.size() < 300) {
        list().Timer1.onTimer();
        volumes.push_back(player().Volume());
    }
    ASSERT_EQ(volumes.size(), 210u);
    EXPECT_EQ(volumes[0], -610);
    EXPECT_EQ(volumes[188], -2490);
    EXPECT_EQ(volumes[189], -2590);
    EXPECT_EQ(volumes[208], -4490);
    EXPECT_EQ(volumes[209], -600);
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_TRUE(Zpm.bPlaylistOn);

    player().setVolume(-1234);  // nothing playing: the first tick only ends the fade
    click(list().lblFade);
    list().Timer1.onTimer();
    EXPECT_FALSE(list().Timer1.Enabled());
    EXPECT_EQ(player().Volume(), -1234);
}

TEST_F(SoundList, EscAndCloseSpotCloseAndRefreshRebuildsOnlyAnOpenList) {
    startWithSounds();
    form->ShowButton(1, ButtonPicture::OnAir);
    RefreshSoundList();
    EXPECT_TRUE(showsState(1, form->ImgOnAir)) << "a closed list loads no settings";
    EXPECT_FALSE(list().Loaded());

    open();
    const float left = list().Left(), top = list().Top();
    list().Move(150, 150);
    RefreshSoundList();
    EXPECT_TRUE(showsState(1, form->ImgReady));
    EXPECT_TRUE(list().Visible());
    EXPECT_FLOAT_EQ(list().Left(), left);
    list().Move(150, 150);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
    QCoreApplication::sendEvent(forms::widgetOf(list().LstSounds), &escape);
    EXPECT_FALSE(list().Loaded());
    EXPECT_FALSE(Zpm.bSndListOpen);

    open();  // placed afresh
    EXPECT_FLOAT_EQ(list().Top(), top);
    click(list().LblClose);
    EXPECT_FALSE(list().Loaded());
    EXPECT_FALSE(Zpm.bSndListOpen);
}

// Closing the list ends the fade's wait; the double-click then stops what
// plays and starts its row. With the main window closed nothing starts.
TEST_F(SoundList, ClosingTheListDuringTheFadeEndsTheWait) {
    startWithSounds();
    open();
    play(horn);
    QTimer::singleShot(0, [] { click(Form2::instance().LblClose); });
    doubleClickRow(0, Qt::AltModifier);
    EXPECT_FALSE(list().Loaded());
    EXPECT_LT(fadeTicks, 210);
    EXPECT_EQ(heard(), std::tuple(drum, media::kPlaying, -600L));

    open();
    QTimer::singleShot(0, [this] { click(form->LblClose); });
    doubleClickRow(1, Qt::AltModifier);
    EXPECT_FALSE(form->Loaded());
    EXPECT_EQ(player().FileName(), drum);
    EXPECT_NE(player().PlayState(), media::kPlaying);
}

// Esc on the main window ends the fade's wait too; then the row does not start.
TEST_F(SoundList, EscDuringTheFadeStartsNothing) {
    startWithSounds();
    open();
    play(horn);
    QTimer::singleShot(0, [] { pressEscape(); });
    doubleClickRow(0, Qt::AltModifier);
    EXPECT_EQ(heard(), std::tuple(horn, media::kStopped, -600L));
}

}  // namespace
