// The sound-list window on the real main window: where it opens, its rows,
// what a double-click on a row starts, and its stop and fade spots.
#include <QFontMetricsF>
#include <QTimer>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
using std::tuple;

class SoundList : public MainWindowTest {
protected:
    std::string drum, bell, horn;
    int fadeTicks = 0;
    // Buttons 1 and 2 hold sounds, 3 is a playlist of two entries, the rest are empty.
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        drum = sound("Drum_Roll.wav"), bell = sound("bell.wav"), horn = sound("horn.wav");
        start("[snds]\ns1=$/Drum_Roll.wav\ns2=$/bell.wav\ns3=PlayList_3\n[lsts]\ns3=$/,bell.wav,horn.wav\n");
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
        ASSERT_EQ(player().PlayState(), Playing);
    }
    std::vector<std::string> rows() {
        std::vector<std::string> shown;
        for (int i = 0; i < list().LstSounds.ListCount(); ++i) shown.push_back(list().LstSounds.List(i));
        return shown;
    }
    // A double-click on a row as the window system sends it: press, release, the second press as a
    // double-click, and its release.
    static void doubleClickRow(int row, Qt::KeyboardModifiers keys = {}) {
        auto* rows = static_cast<QListWidget*>(forms::widgetOf(list().LstSounds));
        const QPoint at = rows->visualItemRect(rows->item(row)).center();
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                        QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
            const bool down = type != QEvent::MouseButtonRelease;
            sendMouseTo(rows->viewport(), type, at, Qt::LeftButton, down ? Qt::LeftButton : Qt::NoButton, keys);
        }
    }
};

// Where it would reach past the screen, it is moved the least distance into it.
TEST_F(SoundList, PlacesItselfUnderTheOpenMachineInTwips) {
    const float width = static_cast<float>(forms::ScreenWidth()), height = static_cast<float>(forms::ScreenHeight());
    ASSERT_GT(width, 9000);
    ASSERT_GT(height, 8100);
    // A list that fits neither under nor above a machine this far from the screen's bottom: at 100 pixels on a
    // screen of 600.
    const float nearBottom = height - 7500;
    ASSERT_LT(nearBottom, 5025);
    const tuple<std::int16_t, float, float, float, float> cases[] = {
        {1, 1500, 300, 1597.5f, 2565},       {3, 3000, 300, 1725, 1935},
        {1, width - 3000, 300, width - 4395, 2565}, {3, width - 2000, 300, width - 4600, 1935},
        {1, 1500, height - 3000, 1597.5f, height - 8025}, {3, 1275, 300, 10, 1935},
        {3, 600, 300, 10, 1935},             {7, width - 3000, 300, width - 4495, 2565},
        {1, 1500, nearBottom, 1597.5f, 0},   {1, width - 3750, nearBottom, width - 4395, 0},
        {3, width - 1500, 1500, width - 4395, 3135},
        {1, 1500, height - 7790, 1597.5f, height - 5525},  // its foot 500 twips above the screen's: it stays under
    };
    for (const auto& [mode, mainLeft, mainTop, left, top] : cases) {
        Zpm.iMaschineMode = mode == 3 ? 3 : 1;
        form->set_maschine();
        Zpm.iMaschineMode = mode;
        form->Move(mainLeft, mainTop);
        openList();
        EXPECT_EQ(tuple(list().Left(), list().Top(), list().Width(), list().Height()), tuple(left, top, 4395.f, 5025.f))
            << mode << " " << mainLeft << " " << mainTop;
        list().Close();
    }
}

TEST_F(SoundList, RowsAreTheButtonsOrTheRunningPlaylistsEntries) {
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
    play(bell);
    EXPECT_EQ(rows(), std::vector<std::string>{});
    list().LstSounds.AddItem("row");
    doubleClickRow(0);
    EXPECT_EQ(player().FileName(), bell);
}

// Only the large open machine makes the row's button current; a paused
// player is not stopped; no row starts nothing new; the small machine
// before any press plays the row's own sound, with no button.
TEST_F(SoundList, DoubleClickStartsTheRowsSound) {
    open();
    Zpm.iMaschineMode = 3;
    doubleClickRow(2);
    EXPECT_EQ(player().FileName(), "PlayList_3");
    doubleClickRow(0);  // the first sound comes at the normal level, as every later one
    EXPECT_EQ(tuple(Zpm.iCurBtn, heard(), showsState(1, form->ImgReady), showsState(101, form->ImgReady)),
              tuple(0, tuple(drum, Playing, -600L), true, true));
    Zpm.iMaschineMode = 1;
    click(button(2));
    open();  // the start rebuilt the list
    doubleClickRow(0);
    EXPECT_EQ(tuple(Zpm.iCurBtn, showsState(2, form->ImgReady), showsState(1, form->ImgOnAir), heard(), fadeTicks),
              tuple(1, true, true, tuple(drum, Playing, -600L), 0));
    play(horn, -2100);
    player().Pause();
    doubleClickRow(1);
    EXPECT_EQ(heard(), std::tuple(bell, Playing, -2100L));
    list().LstSounds.setListIndex(-1);
    list().LstSounds.onDblClick();
    EXPECT_EQ(player().FileName(), bell);
    Zpm.iMaschineMode = 3;
    form->set_maschine();
    click(button(101));
    open();
    doubleClickRow(1);
    EXPECT_EQ(tuple(Zpm.iCurBtn, showsState(102, form->ImgReady), player().FileName()), tuple(101, true, bell));
}

// Alt with the left button fades out first; Alt with Shift does not.
TEST_F(SoundList, AltDoubleClickFadesOutBeforeTheRowStarts) {
    open();
    for (const auto& [keys, ticks] : {std::pair{Qt::KeyboardModifiers(Qt::AltModifier), 5},
                                      {Qt::AltModifier | Qt::ShiftModifier, 0}, {Qt::KeyboardModifiers(), 0}}) {
        fadeTicks = 0;
        play(horn, -4000);  // five steps from the end
        doubleClickRow(1, keys);
        EXPECT_EQ(std::tuple(fadeTicks, list().Timer1.Enabled(), heard()), std::tuple(ticks, false, std::tuple(bell, Playing, -600L)))
            << keys.toInt();
    }
}

// The playlist button's row starts its list and rebuilds this very list; an entry's row sets the title and the index.
TEST_F(SoundList, DoubleClickOnPlaylistRows) {
    open();
    doubleClickRow(2);
    ASSERT_TRUE(list().Loaded());
    EXPECT_EQ(tuple(Zpm.iCurBtn, Zpm.bPlaylistOn, rows(), player().FileName(), player().PlayState(),
                    showsState(3, form->ImgListOnAir)),
              tuple(3, true, std::vector<std::string>{"bell", "horn"}, bell, Playing, true));
    doubleClickRow(1);
    EXPECT_EQ(tuple(Zpm.iPlIdx, Zpm.sNowTitle, player().FileName(), Zpm.iCurBtn), tuple(2, "horn", horn, 3));
}

// Capital umlauts keep their dots: the font holds its accents within its ascent, and each row its font's height.
TEST_F(SoundList, RowsKeepTheAccentsOfCapitals) {
    open();
    auto* rows = static_cast<QListWidget*>(forms::widgetOf(list().LstSounds));
    const QFontMetricsF metrics(rows->font());
    EXPECT_LE(-metrics.tightBoundingRect(QStringLiteral("ÄÖÜÉ")).top(), metrics.ascent()) << rows->font().family().toStdString();
    EXPECT_LE(QFontMetrics(rows->font()).height(), rows->visualItemRect(rows->item(0)).height());
}

// The stop spot stops only a playing player.
TEST_F(SoundList, StopAndFadeSpots) {
    open();
    Zpm.bPlaylistOn = true;
    play(drum, -2100);
    player().Pause();
    click(list().lblStop);
    EXPECT_EQ(std::pair(player().PlayState(), Zpm.bPlaylistOn), std::pair(Paused, true));
    player().Play();
    click(list().lblStop);
    EXPECT_EQ(std::tuple(player().PlayState(), player().Volume(), Zpm.bPlaylistOn), std::tuple(Stopped, -600L, false));
    // The fade spot: tick 210 stops the player; a running playlist stays on.
    Zpm.bPlaylistOn = true;
    play(drum);
    click(list().lblFade);
    std::vector<long> volumes;
    while (list().Timer1.Enabled() && volumes.size() < 300) {
        list().Timer1.onTimer();
        volumes.push_back(player().Volume());
    }
    ASSERT_EQ(volumes.size(), 210u);  // the levels are the main window's fade's: steps of 100 from -2500 on
    EXPECT_EQ(std::tuple(volumes[0], volumes[188], volumes[189], volumes[208], volumes[209]),
              std::tuple(-610L, -2490L, -2590L, -4490L, -600L));
    EXPECT_EQ(std::pair(player().PlayState(), Zpm.bPlaylistOn), std::pair(Stopped, true));
    player().setVolume(-1234);  // nothing playing: the first tick only ends the fade
    click(list().lblFade);
    list().Timer1.onTimer();
    EXPECT_EQ(tuple(list().Timer1.Enabled(), player().Volume()), tuple(false, -1234L));
}

TEST_F(SoundList, EscAndCloseSpotCloseAndRefreshRebuildsOnlyAnOpenList) {
    form->ShowButton(1, ButtonPicture::OnAir);
    RefreshSoundList();  // a closed list loads no settings
    EXPECT_EQ(std::pair(showsState(1, form->ImgOnAir), list().Loaded()), std::pair(true, false));
    open();
    const float left = list().Left(), top = list().Top();
    list().Move(150, 150);
    RefreshSoundList();
    EXPECT_EQ(tuple(showsState(1, form->ImgReady), list().Visible(), list().Left()), tuple(true, true, left));
    list().Move(150, 150);
    pressKey(Qt::Key_Escape, "\x1b", forms::widgetOf(list().LstSounds));
    EXPECT_EQ(std::pair(list().Loaded(), Zpm.bSndListOpen), std::pair(false, false));
    open();
    EXPECT_EQ(list().Top(), top);  // placed afresh
    click(list().LblClose);
    EXPECT_EQ(std::pair(list().Loaded(), Zpm.bSndListOpen), std::pair(false, false));
}

// Closing the list ends the fade's wait; the double-click then stops what
// plays and starts its row. With the main window closed, or after Esc on it,
// nothing starts.
TEST_F(SoundList, ClosingTheListDuringTheFadeEndsTheWait) {
    open();
    play(horn);
    QTimer::singleShot(0, [] { click(Form2::instance().LblClose); });
    doubleClickRow(0, Qt::AltModifier);
    EXPECT_EQ(tuple(list().Loaded(), fadeTicks < 210, heard()), tuple(false, true, tuple(drum, Playing, -600L)));
    open();
    QTimer::singleShot(0, [this] { click(form->LblClose); });
    doubleClickRow(1, Qt::AltModifier);
    EXPECT_EQ(tuple(form->Loaded(), player().FileName(), player().PlayState() == Playing), tuple(false, drum, false));
    start();
    open();
    play(horn);
    QTimer::singleShot(0, [] { pressEscape(); });
    doubleClickRow(0, Qt::AltModifier);
    EXPECT_EQ(heard(), std::tuple(horn, Stopped, -600L));
}

}  // namespace
