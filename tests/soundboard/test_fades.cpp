// The presses that mix, fade and step, on the real main window with both
// real players: jingles, talk-over mode and its ramp, one-shots, playlist
// steps, the fade-out and the fade over, also with presses that run inside
// their waits.
#include <cmath>
#include <functional>
#include <map>

#include "media_player_inspection.h"
#include "sink_probe.h"
#include "sound_files.h"
#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
const Qt::KeyboardModifiers alt = Qt::AltModifier;

// The level of the main player's gain, as a fraction of full scale, at
// which the test tone (half of full scale) reaches the sink.
double tonePeakAt(long hundredthsOfDb) { return 0.5 * std::pow(10.0, static_cast<double>(hundredthsOfDb) / 2000.0); }

class FadesTest : public MainWindowTest {
protected:
    std::string one, jingle, jingle2, tone, two;
    fs::path listFolder = sounds / "list";
    // The main player's level after each ramp step.
    std::vector<long> rampLevels;
    // What runs as an event inside the wait or ramp that starts n-th.
    std::map<int, std::function<void()>> insideWait;
    int waitsStarted = 0;

    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        one = sound("one.wav");
        jingle = sound("jingle.wav", 300);
        jingle2 = sound("jingle_two.wav", 300);
        two = sound("two.wav");
        tone = (sounds / "tone.wav").string();
        media_testing::writeWav(tone, 30);
        for (const char* entry : {"a.wav", "b.wav", "c.wav"}) sound(std::string("list/") + entry);
        // 1 and 6 long silent sounds, 2 and 3 short jingles, 4 a long tone,
        // 5 a playlist of three entries.
        start("[snds]\r\ns1=" + one + "\r\ns2=" + jingle + "\r\ns3=" + jingle2 + "\r\ns4=" + tone +
              "\r\ns5=PlayList_5\r\ns6=" + two + "\r\n[lsts]\r\ns5=" + listFolder.string() + "/,a.wav,b.wav,c.wav\r\n");
        forms::setWaitHooks({[this] { onWaitStarted(); }, [this](int) { rampLevels.push_back(player().Volume()); }});
    }

    void TearDown() override {
        forms::setWaitHooks({});
        MainWindowTest::TearDown();
    }

    void onWaitStarted() {
        const auto found = insideWait.find(++waitsStarted);
        if (found == insideWait.end()) return;
        QMetaObject::invokeMethod(QCoreApplication::instance(), found->second, Qt::QueuedConnection);
    }

    media::MediaPlayer& second() { return form->wmp(1); }
    bool fading() { return form->Timer2.Enabled(); }
    void endFade() {
        for (int ticks = 0; fading() && ticks < 1000; ++ticks) form->Timer2.onTimer();
    }

    // The main player's level from `from` in `count` steps of `step`.
    static std::vector<long> levels(long from, int count, long step) {
        std::vector<long> result;
        for (int i = 1; i <= count; ++i) result.push_back(from + i * step);
        return result;
    }

    // Lets the main player's tone reach the sink at a steady level; true
    // when it arrives at the gain of that level.
    bool toneReachesSinkAt(media_testing::SinkProbe& probe, long level) {
        const double expected = tonePeakAt(level);
        for (int looks = 0; looks < 2000; ++looks) {
            forms::DoEvents();
            if (probe.buffers() > 0 && std::abs(probe.latestPeak() - expected) < 5e-4) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return false;
    }
};

TEST_F(FadesTest, JinglesPlayOnTheSecondPlayerWhileTalkOverIsOn) {
    click(button(1));
    Zpm.bTalkOver = true;
    player().setVolume(-2100);
    const std::string settings = settingsText();

    // Inside the jingle's wait, another press of any kind on another
    // button is a jingle of its own.
    std::string fileInWait;
    long levelInWait = 1;
    bool readyInWait = false;
    insideWait[1] = [&] {
        fileInWait = second().FileName();
        levelInWait = second().Volume();
        readyInWait = showsState(2, form->ImgReady);
        press(button(3), Qt::RightButton, shift);
    };
    press(button(102));  // the small panel's twin paints the large panel's button
    EXPECT_EQ(waitsStarted, 2);
    EXPECT_EQ(fileInWait, jingle);
    EXPECT_EQ(levelInWait, 0);
    EXPECT_TRUE(readyInWait);
    EXPECT_EQ(second().FileName(), jingle2);
    EXPECT_EQ(second().PlayState(), media::kStopped);
    EXPECT_EQ(second().Volume(), -10000);
    EXPECT_TRUE(showsState(2, form->ImgReady));
    EXPECT_TRUE(showsState(3, form->ImgReady));

    // The main player, the current button, the mode and the settings stay.
    EXPECT_EQ(player().FileName(), one);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(player().Volume(), -2100);
    EXPECT_EQ(Zpm.iCurBtn, 1);
    EXPECT_TRUE(Zpm.bTalkOver);
    EXPECT_EQ(settingsText(), settings);

    // A playlist button's jingle names no file: it ends at once.
    press(button(5), Qt::MiddleButton);
    EXPECT_EQ(second().FileName(), "PlayList_5");
    EXPECT_EQ(second().PlayState(), media::kClosed);
    EXPECT_TRUE(showsState(5, form->ImgReady));
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(settingsText(), settings);

    // The current button's plain click still stops and ends the mode.
    press(button(101));
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_FALSE(Zpm.bTalkOver);
}

TEST_F(FadesTest, TalkOverToggleRampsTheMainPlayerByItsLevel) {
    click(button(4));
    media_testing::SinkProbe probe(media::MediaPlayerInspection::audioSink(player()));

    click(button(4), Qt::RightButton, shift);
    EXPECT_TRUE(Zpm.bTalkOver);
    EXPECT_EQ(rampLevels, levels(-600, 15, -100));
    EXPECT_TRUE(toneReachesSinkAt(probe, -2100));

    // Only the current button (or its twin) reaches the toggle now.
    rampLevels.clear();
    click(button(104), Qt::RightButton, shift);
    EXPECT_FALSE(Zpm.bTalkOver);
    EXPECT_EQ(rampLevels, levels(-2100, 15, 100));
    EXPECT_TRUE(toneReachesSinkAt(probe, -600));

    // Stopped: only the mode changes. A start keeps the mode on at -600,
    // and the next toggle ends the mode and lowers the sound.
    click(button(4));
    ASSERT_EQ(player().PlayState(), media::kStopped);
    rampLevels.clear();
    click(button(4), Qt::RightButton, shift);
    EXPECT_TRUE(Zpm.bTalkOver);
    EXPECT_TRUE(rampLevels.empty());
    click(button(4));
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_TRUE(Zpm.bTalkOver);
    click(button(4), Qt::RightButton, shift);
    EXPECT_FALSE(Zpm.bTalkOver);
    EXPECT_EQ(rampLevels, levels(-600, 15, -100));
}

TEST_F(FadesTest, OneShotLowersTheMainPlayerWhileItPlays) {
    click(button(4));
    bool talkOverPictureInWait = false;
    long secondLevelInWait = 1;
    insideWait[2] = [&] {
        talkOverPictureInWait = showsState(2, form->ImgTalkOver);
        secondLevelInWait = second().Volume();
    };
    press(button(2), Qt::LeftButton, shift);
    EXPECT_EQ(waitsStarted, 3);  // the ramp down, the wait, the ramp up
    std::vector<long> expected = levels(-600, 10, -150);
    const std::vector<long> up = levels(-2100, 10, 150);
    expected.insert(expected.end(), up.begin(), up.end());
    EXPECT_EQ(rampLevels, expected);
    EXPECT_TRUE(talkOverPictureInWait);
    EXPECT_EQ(secondLevelInWait, 0);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(second().FileName(), jingle);
    EXPECT_EQ(second().PlayState(), media::kStopped);
    EXPECT_EQ(second().Volume(), -10000);
    EXPECT_TRUE(showsState(2, form->ImgReady));
    EXPECT_EQ(Zpm.iCurBtn, 4);
    EXPECT_FALSE(Zpm.bTalkOver);
}

TEST_F(FadesTest, OneShotInCasesThatRampNothingOrPlayNothing) {
    // With the main player stopped: no ramp, the level ends at -600.
    click(button(1));
    click(button(1));
    player().setVolume(-1234);
    press(button(3), Qt::MiddleButton, shift);
    EXPECT_TRUE(rampLevels.empty());
    EXPECT_EQ(second().FileName(), jingle2);
    EXPECT_EQ(player().Volume(), -600);

    // On the current button or on a marked button: nothing at all. (With
    // talk-over on, a press on another button is a jingle.)
    click(button(1));
    const std::string secondFile = second().FileName();
    waitsStarted = 0;
    press(button(101), Qt::LeftButton, shift);
    button(2).setTag("Lerror");
    press(button(2), Qt::LeftButton, shift);
    EXPECT_EQ(waitsStarted, 0);
    EXPECT_EQ(second().FileName(), secondFile);

    // A playlist button's one-shot names no file: its wait ends at once.
    const std::string settings = settingsText();
    press(button(5), Qt::LeftButton, shift);
    EXPECT_EQ(second().PlayState(), media::kClosed);
    EXPECT_TRUE(showsState(5, form->ImgReady));
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_EQ(settingsText(), settings);
}

// A new start inside the ramp down sets -600; the ramp goes on from there.
TEST_F(FadesTest, OneShotRampGoesOnFromALevelSetInsideIt) {
    click(button(1));
    insideWait[1] = [&] { click(button(6)); };
    press(button(2), Qt::LeftButton, shift);
    ASSERT_EQ(rampLevels.size(), 20u);
    EXPECT_EQ(rampLevels[0], -750);
    EXPECT_EQ(rampLevels[1], -750);
    EXPECT_EQ(rampLevels[9], -1950);
    EXPECT_EQ(player().FileName(), two);
    EXPECT_EQ(player().Volume(), -600);
}

TEST_F(FadesTest, PlaylistStepsWrapBothWaysFromTheListsButton) {
    click(button(5));
    ASSERT_TRUE(Zpm.bPlaylistOn);
    const struct {
        Qt::MouseButton which;
        int index;
        int entry;
        const char* name;
    } steps[] = {
        {Qt::RightButton, 105, 2, "b"}, {Qt::RightButton, 5, 3, "c"},   {Qt::RightButton, 5, 1, "a"},
        {Qt::LeftButton, 5, 3, "c"},    {Qt::MiddleButton, 105, 2, "b"}, {Qt::LeftButton, 5, 1, "a"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.entry);
        click(button(step.index), step.which, ctrl);
        EXPECT_EQ(Zpm.iPlIdx, step.entry);
        EXPECT_EQ(player().FileName(), (listFolder / (std::string(step.name) + ".wav")).string());
        EXPECT_EQ(player().PlayState(), media::kPlaying);
        EXPECT_EQ(Zpm.sNowTitle, step.name);
        EXPECT_EQ(player().Volume(), -600);
    }

    // Another button, or no running list: nothing.
    click(button(1), Qt::RightButton, ctrl);
    click(button(6), Qt::LeftButton, ctrl);
    EXPECT_EQ(Zpm.iPlIdx, 1);
    click(button(5));  // stops the list
    ASSERT_FALSE(Zpm.bPlaylistOn);
    click(button(5), Qt::RightButton, ctrl);
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(Zpm.iPlIdx, 1);
}

TEST_F(FadesTest, FadeOutStartsFromAnyButtonWhileSomethingSounds) {
    click(button(1), Qt::RightButton, alt);
    EXPECT_FALSE(fading());
    EXPECT_EQ(form->Timer2.Tag(), "9999");

    click(button(1));
    click(button(103), Qt::RightButton, alt);
    EXPECT_TRUE(fading());
    EXPECT_EQ(form->Timer2.Tag(), "103");
    endFade();
    EXPECT_EQ(player().PlayState(), media::kStopped);

    // A paused sound fades as well.
    click(button(1));
    click(button(1), Qt::LeftButton, pauseKeys);
    click(button(40), Qt::RightButton, alt);
    EXPECT_EQ(form->Timer2.Tag(), "40");
    endFade();
    EXPECT_EQ(player().PlayState(), media::kStopped);
}

TEST_F(FadesTest, FadeOverWithNothingOrAPausedSoundStartsNothing) {
    // Stopped: talk-over mode ends; on any other button it would be a jingle.
    click(button(1));
    click(button(1));
    Zpm.bTalkOver = true;
    player().setVolume(-1234);
    click(button(101), Qt::LeftButton, alt);
    EXPECT_FALSE(Zpm.bTalkOver);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_NE(player().PlayState(), media::kPlaying);
    EXPECT_FALSE(fading());

    click(button(1));
    click(button(1), Qt::LeftButton, pauseKeys);
    click(button(6), Qt::LeftButton, alt);
    EXPECT_EQ(form->Timer2.Tag(), "6");
    EXPECT_EQ(waitsStarted, 0);
    endFade();
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().FileName(), one);
    EXPECT_EQ(Zpm.iCurBtn, 1);

    // A marked button takes no fade over.
    click(button(1));
    button(6).setTag("Lerror");
    click(button(6), Qt::LeftButton, alt);
    EXPECT_FALSE(fading());
}

// The fade's real ticks run inside the wait; a level near the fade's end
// keeps them few.
TEST_F(FadesTest, FadeOverFadesTheCurrentSoundThenStartsThePressedButton) {
    click(button(1));
    player().setVolume(-4400);
    Zpm.bSndListOpen = true;
    press(button(6), Qt::LeftButton, alt);
    EXPECT_EQ(player().FileName(), two);
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_EQ(Zpm.iCurBtn, 6);
    EXPECT_TRUE(showsState(1, form->ImgReady));
    EXPECT_TRUE(showsState(6, form->ImgOnAir));
    EXPECT_EQ(Zpm.sNowTitle, "one");
    EXPECT_FALSE(fading());
    EXPECT_EQ(form->Timer2.Tag(), "9999");
    EXPECT_EQ(soundListUnloads, 0) << "no rebuild of the sound list";
    Zpm.bSndListOpen = false;

    // To the current button: faded out, not started again.
    player().setVolume(-4400);
    press(button(6), Qt::MiddleButton, alt);
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().FileName(), two);
    EXPECT_EQ(Zpm.iCurBtn, 6);

    // To a playlist button: its name plays nothing and nothing is stored.
    click(button(1));
    player().setVolume(-4400);
    const std::string settings = settingsText();
    press(button(5), Qt::LeftButton, alt);
    EXPECT_EQ(player().FileName(), "PlayList_5");
    EXPECT_EQ(player().PlayState(), media::kClosed);
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(settingsText(), settings);
    release(button(5), Qt::LeftButton, alt);
    EXPECT_TRUE(showsState(5, form->ImgReady));
}

// A plain click inside the wait starts its sound; the running fade takes
// it out, and the fade over then leaves that button for its own.
TEST_F(FadesTest, PlainClickInsideAFadeOversWait) {
    click(button(1));
    player().setVolume(-4400);
    insideWait[1] = [&] {
        click(button(6));
        player().setVolume(-4400);
    };
    press(button(4), Qt::LeftButton, alt);
    EXPECT_EQ(player().FileName(), tone);
    EXPECT_EQ(Zpm.iCurBtn, 4);
    EXPECT_TRUE(showsState(6, form->ImgReady));
    EXPECT_TRUE(showsState(4, form->ImgOnAir));
}

}  // namespace
