// The click dispatcher on the recording window: rows of presses, each from a
// fresh start, and what they leave behind.
#include <functional>

#include "core_test_support.h"
#include "waits.h"

namespace {

using namespace sbtest;
using P = ButtonPicture;

constexpr int Left = 1, Right = 2, Middle = 4;
constexpr int PauseKeys = 6, ClearKeys = 3, AltKey = 4;
constexpr long Stopped = media::kStopped, Paused = media::kPaused, Playing = media::kPlaying;

struct Press {
    int index, button = Left, shift = 0;
};

class ClickTest : public CoreTest {
protected:
    std::string settings;
    std::optional<ScopedCurrentFolder> here;

    // 1 to 4 hold sounds (4 with "playlist" in small letters); 5 a list of
    // two entries; 6 a list whose folder is missing; 7 to 10 lists that
    // cannot be read: none, an empty file, a missing file, an empty value.
    void SetUp() override {
        CoreTest::SetUp();
        if (IsSkipped()) return;
        const fs::path list = sounds / "list";
        for (const char* entry : {"list/Entry_A.wav", "list/entry b.wav"}) sound(entry);
        writeFile(temp.path() / "empty.txt", "");
        settings = "[snds]\r\ns1=" + sound("One_Sound.wav") + "\r\ns2=" + sound("two.mp3.wav") +
                   "\r\ns3=" + sound("three.wav") + "\r\ns4=" + sound("playlist_of_mine.wav") + "\r\n";
        for (int n = 5; n <= 10; ++n) settings += "s" + std::to_string(n) + "=PlayList_" + std::to_string(n) + "\r\n";
        settings += "[lsts]\r\ns5=" + list.string() + "/,Entry_A.wav,entry b.wav\r\ns6=" + temp.file("gone") +
                    "/,x.wav\r\ns8=" + temp.file("empty.txt") + "\r\ns9=" + temp.file("missing.txt") + "\r\ns10=\r\n";
        fs::create_directory(temp.path() / "NIL");  // never taken for a base folder
        here.emplace(temp.path());
        restart(settings);
    }

    // Clicks (press and release) that set the scene, after a new start.
    void scene(const std::vector<Press>& clicks, int marked = 0) {
        restart(settings);
        for (const Press& p : clicks) click(p.index, p.button, p.shift);
        if (marked) window->SetButtonTag(marked, ErrorMark);
    }
};

struct ClickRow {
    const char* what;
    std::vector<Press> before;
    Press press;  // pressed, not yet released
    long state;   // the main player's afterwards
    const char* file;
    int current;
    std::string title;
    std::vector<std::pair<int, P>> pictures;
    bool playlistOn = false;
    int marked = 0;  // tagged for a missing folder before the press
};

TEST_F(ClickTest, PlainClicksPausesAndPlaylistStarts) {
    const ClickRow rows[] = {
        {"start", {}, {1}, Playing, "One_Sound.wav", 1, "One Sound", {{1, P::OnAir}, {101, P::Ready}}},
        {"stop the playing button", {{1}}, {1}, Stopped, "One_Sound.wav", 1, "One Sound", {{1, P::OnAir}}},
        {"start it again", {{1}, {1}}, {1}, Playing, "One_Sound.wav", 1, "One Sound", {{1, P::OnAir}}},
        {"another button", {{1}}, {2, Middle}, Playing, "two.mp3.wav", 2, "two", {{1, P::Ready}, {2, P::OnAir}}},
        {"the middle button stops", {{2, Middle}}, {2, Middle}, Stopped, "two.mp3.wav", 2, "two", {}},
        {"the large twin stops", {{103}}, {3}, Stopped, "three.wav", 103, "three", {{103, P::OnAir}}},
        {"the small twin stops", {{3}}, {103}, Stopped, "three.wav", 3, "three", {{3, P::OnAir}}},
        {"101 is button 1", {{3}}, {101}, Playing, "One_Sound.wav", 101, "One Sound", {{3, P::Ready}, {101, P::OnAir}}},
        {"pause", {{1}}, {1, Left, PauseKeys}, Paused, "One_Sound.wav", 1, "One Sound", {}},
        {"no pause with the right button", {{1}}, {1, Right, PauseKeys}, Playing, "One_Sound.wav", 1, "One Sound", {}},
        {"pause from any button", {{1}}, {5, Middle, PauseKeys}, Paused, "One_Sound.wav", 1, "One Sound", {}},
        {"nothing to pause", {{1}, {1}}, {1, Left, PauseKeys}, Stopped, "One_Sound.wav", 1, "One Sound", {}},
        // The title and the pictures stay with what plays.
        {"resume from another button", {{1}, {1, Left, PauseKeys}}, {2}, Playing, "One_Sound.wav", 1, "One Sound",
         {{1, P::OnAir}, {2, P::Ready}}},
        {"resume after the button was cleared", {{1}, {1, Left, PauseKeys}, {1, Right, ClearKeys}}, {1, Middle},
         Playing, "One_Sound.wav", 1, "", {{1, P::Empty}}},
        {"an empty button plays the default sound", {}, {40}, Playing, "eep.wav", 40, "", {{40, P::OnAir}}},
        {"leaving an empty button", {{40}}, {1}, Playing, "One_Sound.wav", 1, "One Sound", {{40, P::Empty}}},
        {"a playlist, its mark taken away", {}, {105}, Playing, "Entry_A.wav", 105, "Entry A", {{5, P::ListOnAir}},
         true, 5},
        {"a sound ends the playlist, not its title", {{105}}, {2}, Playing, "two.mp3.wav", 2, "Entry A",
         {{105, P::Ready}, {2, P::OnAir}}},
        {"a missing folder", {{5}}, {106}, Stopped, "Entry_A.wav", 6, "Entry A", {{6, P::Error}, {5, P::Ready}}},
        {"the mark shows when left", {{6}}, {1}, Playing, "One_Sound.wav", 1, "One Sound", {{6, P::Error}}},
        {"keys on a marked button", {{6}, {1}}, {6, Left, PauseKeys}, Playing, "One_Sound.wav", 1, "One Sound", {}},
        {"keys on its twin", {{6}, {1}}, {106, Middle, PauseKeys}, Playing, "One_Sound.wav", 1, "One Sound", {}},
        {"no list", {{1}}, {7}, Stopped, "One_Sound.wav", 7, "PlayList 7", {{7, P::Error}, {1, P::Ready}}},
        {"an empty list file", {{1}}, {8}, Stopped, "One_Sound.wav", 8, "PlayList 8", {{8, P::Error}}},
        {"a missing list file", {{1}}, {9}, Stopped, "One_Sound.wav", 9, "PlayList 9", {{9, P::Error}}},
        {"an empty list", {{1}}, {10}, Stopped, "One_Sound.wav", 10, "PlayList 10", {{10, P::Error}}},
        {"the mark counts letter case", {}, {4}, Playing, "playlist_of_mine.wav", 4, "playlist of mine", {{4, P::OnAir}}},
    };
    const std::string before = settingsText();
    for (const ClickRow& row : rows) {
        SCOPED_TRACE(row.what);
        scene(row.before, row.marked);
        press(row.press.index, row.press.button, row.press.shift);
        EXPECT_EQ(player().PlayState(), row.state);
        EXPECT_EQ(playing(), row.file);
        EXPECT_EQ(player().Volume(), NormalLevel);
        EXPECT_EQ(Zpm.iCurBtn, row.current);
        EXPECT_EQ(Zpm.sNowTitle, row.title);
        EXPECT_EQ(Zpm.bPlaylistOn, row.playlistOn);
        if (row.playlistOn) {
            EXPECT_EQ(Zpm.iPlIdx, 1);
        }
        for (const auto& [index, shown] : row.pictures) {
            EXPECT_EQ(picture(index), shown) << index;
            // The error picture comes with the mark, a playlist's start takes it away.
            if (shown == P::Error || shown == P::ListOnAir) {
                EXPECT_EQ(window->ButtonTag(index), shown == P::Error ? "Lerror" : "") << index;
            }
        }
    }
    EXPECT_EQ(settingsText(), before);
    EXPECT_FALSE(fs::exists(temp.path() / "missing.txt"));
}

TEST_F(ClickTest, TheTwinOfTheCurrentButtonStopsItInTalkOverMode) {
    scene({{1}});
    Zpm.bTalkOver = true;
    press(101);
    EXPECT_EQ(player().PlayState(), Stopped);
    EXPECT_FALSE(Zpm.bTalkOver);
}

// Shift+Ctrl with the right button: the default sound on both twins, and no
// list, unless anything plays; the mark of another button stays.
TEST_F(ClickTest, ClearOnlyWhileNothingPlays) {
    const std::tuple<std::vector<Press>, int, bool, const char*, long> rows[] = {
        {{{1}}, 2, false, "NIL", Playing},
        {{{1}, {1, Left, PauseKeys}}, 101, true, "NIL", Paused},
        {{{1}, {1}}, 1, true, "NIL", Stopped},
        {{}, 5, true, "", media::kClosed},
        {{}, 4, true, "", media::kClosed},
    };
    for (const auto& [before, index, cleared, list, state] : rows) {
        SCOPED_TRACE(index);
        scene(before, 1);
        const std::string settings = settingsText(), tip = window->ButtonToolTip(index);
        const int n = ButtonNumber(index);
        press(index, Right, ClearKeys);
        EXPECT_EQ(player().PlayState(), state);
        EXPECT_EQ(onDisk("lsts", ButtonKey(n)), list);
        EXPECT_EQ(Zpm.iCurBtn, before.empty() ? n : 1);
        EXPECT_EQ(window->ButtonTag(1), "Lerror");
        if (!cleared) {
            EXPECT_EQ(settingsText(), settings);
            EXPECT_EQ(window->ButtonToolTip(index), tip);
            continue;
        }
        EXPECT_EQ(onDisk("snds", ButtonKey(n)), Zpm.SystemSound);
        for (int twin : {n, n + 100}) {
            EXPECT_EQ(window->ButtonToolTip(twin), "eep") << twin;
            EXPECT_EQ(picture(twin), P::Empty) << twin;
        }
    }
}

// The bindings that are not built yet change nothing.
TEST_F(ClickTest, PressesWithoutABindingChangeNothing) {
    scene({{1}});
    const auto snapshot = [&] {
        return std::tuple(player().PlayState(), player().FileName(), player().Volume(), Zpm.iCurBtn,
                          Zpm.bPlaylistOn, Zpm.bTalkOver, settingsText(), Zpm.sNowTitle, picture(1), picture(2));
    };
    const auto playing = snapshot();
    for (int index : {1, 2, 40, 102})
        for (const auto& [button, shift] : {std::pair{Right, 0}, {Right, 5}, {Right, 7}, {Right, 6}, {Middle, 3},
                                            {Left, 5}, {Left, 7}, {Left, 3}}) {
            press(index, button, shift);
            EXPECT_EQ(snapshot(), playing) << index << " " << button << " " << shift;
        }
}

// The sound list hands over iCurBtn itself: nothing without one, else a
// stopped button starts, a playing one stops, a paused one resumes.
TEST_F(ClickTest, TheSoundListPassesTheCurrentButtonItself) {
    std::int16_t none = 0;
    ButtonAction(Zpm.iCurBtn, none, none);
    EXPECT_EQ(Zpm.iCurBtn, 0);
    EXPECT_NE(player().PlayState(), Playing);
    scene({{105}, {105}});
    ButtonAction(Zpm.iCurBtn, none, none);
    EXPECT_EQ(player().PlayState(), Playing);
    EXPECT_TRUE(Zpm.bPlaylistOn);
    EXPECT_EQ(Zpm.iCurBtn, 5);
    ButtonAction(Zpm.iCurBtn, none, none);
    EXPECT_EQ(player().PlayState(), Stopped);
    scene({{2}, {2, Left, PauseKeys}});
    ButtonAction(Zpm.iCurBtn, none, none);
    EXPECT_EQ(player().PlayState(), Playing);
    EXPECT_EQ(playing(), "two.mp3.wav");
}

// Alt and the left button on button 3 while `old` plays: inside the wait 15
// fade ticks run, then the old sound ends by itself, a plain click stops it,
// or Esc is pressed. Afterwards the fade is over, whatever else happens.
TEST_F(ClickTest, FadeOverWaitEndsItsFadeAndEscInsideItStartsNothing) {
    const std::string shortSound = sound("Short.wav", 300);
    struct Row {
        const char* what;
        int old;
        std::function<void()> inWait;
        long state;
        const char* file;
        int current;
        P shown;  // button 3's picture
    };
    const Row rows[] = {
        {"the old sound ends by itself", 11, [] {}, Playing, "three.wav", 3, P::OnAir},
        {"a plain click stops it", 1, [this] { click(1); }, Playing, "three.wav", 3, P::OnAir},
        {"Esc", 1, [] { PanicStop(); }, Stopped, "One_Sound.wav", 1, P::Ready},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        scene({});
        AssignButton(11, shortSound, false);
        click(row.old);
        const auto ticksThenEnd = [&] {
            for (int tick = 0; tick < 15; ++tick) FadeTimerTick();
            row.inWait();
        };
        forms::setWaitHooks({[&] {
            QMetaObject::invokeMethod(QCoreApplication::instance(), ticksThenEnd, Qt::QueuedConnection);
        }, {}});
        press(3, Left, AltKey);
        forms::setWaitHooks({});
        EXPECT_EQ(std::tuple(player().PlayState(), playing(), player().Volume(), Zpm.iCurBtn),
                  std::tuple(row.state, row.file, NormalLevel, row.current));
        EXPECT_EQ(std::tuple(window->fadeEnabled, window->fadeTag, Zpm.iFadeTick, Zpm.iFadeNextToggle),
                  std::tuple(false, std::string(FadeIdleTag), 0, 0));
        EXPECT_EQ(picture(row.old), P::Ready);
        EXPECT_EQ(picture(3), row.shown);
    }
}

// An open sound list is rebuilt from the settings file after every start,
// never after one that failed.
TEST_F(ClickTest, AnOpenSoundListIsRebuiltAfterAStart) {
    click(1);
    EXPECT_EQ(window->soundListUnloads + window->soundListShows, 0);
    Zpm.bSndListOpen = true;
    mdINIBas::SetIniValue("snds", "s9", Zpm.SystemSound, Zpm.INI_Name);
    press(2);
    EXPECT_EQ(window->soundListUnloads, 1);
    EXPECT_EQ(window->soundListShows, 1);
    EXPECT_EQ(window->ButtonToolTip(9), "eep");
    EXPECT_EQ(picture(2), P::Ready);  // the reload shows every button at rest
    press(6);
    press(2, Left, PauseKeys);
    EXPECT_EQ(window->soundListUnloads, 1);
}

}  // namespace
