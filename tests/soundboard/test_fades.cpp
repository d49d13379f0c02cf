// The presses that mix, fade and step, on the real main window with both
// real players: jingles, talk-over mode and its ramp, one-shots, playlist
// steps, the fade-out and the fade over, also with presses inside their waits.
#include <algorithm>
#include <functional>
#include <iterator>
#include <map>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
using std::tuple;

const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
constexpr long Playing = media::kPlaying, Stopped = media::kStopped, Closed = media::kClosed;

class FadesTest : public MainWindowTest {
protected:
    std::string one, jingle, jingle2, two;
    fs::path listFolder = sounds / "list";
    std::vector<long> rampLevels;  // the main player's level after each ramp step
    // What runs as an event inside the wait or ramp that starts n-th.
    std::map<int, std::function<void()>> insideWait;
    int waitsStarted = 0;

    // 1, 4 and 6 long sounds, 2 and 3 short jingles, 5 a playlist of three.
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        one = sound("one.wav");
        jingle = sound("jingle.wav", 300);
        jingle2 = sound("jingle_two.wav", 300);
        two = sound("two.wav");
        for (const char* entry : {"a.wav", "b.wav", "c.wav"}) sound(std::string("list/") + entry);
        start("[snds]\r\ns1=" + one + "\r\ns2=" + jingle + "\r\ns3=" + jingle2 + "\r\ns4=" + sound("four.wav") +
              "\r\ns5=PlayList_5\r\ns6=" + two + "\r\n[lsts]\r\ns5=" + listFolder.string() + "/,a.wav,b.wav,c.wav\r\n");
        forms::setWaitHooks({[this] {
                                 const auto found = insideWait.find(++waitsStarted);
                                 if (found != insideWait.end())
                                     QMetaObject::invokeMethod(QCoreApplication::instance(), found->second,
                                                               Qt::QueuedConnection);
                             },
                             [this](int) { rampLevels.push_back(player().Volume()); }});
    }
    void TearDown() override {
        forms::setWaitHooks({});
        MainWindowTest::TearDown();
    }

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
};

TEST_F(FadesTest, JinglesPlayOnTheSecondPlayerWhileTalkOverIsOn) {
    click(button(1));
    Zpm.bTalkOver = true;
    player().setVolume(-2100);
    const std::string settings = settingsText();
    // Inside the jingle's wait, another press of any kind is a jingle of its own.
    tuple<std::string, long, long> inWait;
    insideWait[1] = [&] {
        inWait = heard(1);
        press(button(3), Qt::RightButton, shift);
    };
    press(button(102));
    EXPECT_EQ(waitsStarted, 2);
    EXPECT_EQ(inWait, tuple(jingle, Playing, 0L));
    EXPECT_EQ(heard(1), tuple(jingle2, Stopped, -10000L));
    EXPECT_TRUE(showsState(2, form->ImgReady));
    EXPECT_EQ(heard(), tuple(one, Playing, -2100L));
    EXPECT_EQ(Zpm.iCurBtn, 1);

    press(button(5), Qt::MiddleButton);  // a playlist button's jingle names no file
    EXPECT_EQ(form->wmp(1).FileName(), "PlayList_5");
    EXPECT_EQ(form->wmp(1).PlayState(), Closed);
    EXPECT_FALSE(Zpm.bPlaylistOn);
    EXPECT_EQ(settingsText(), settings);

    press(button(101));  // the current button's plain click still stops and ends the mode
    EXPECT_EQ(player().PlayState(), Stopped);
    EXPECT_FALSE(Zpm.bTalkOver);
}

// Only the current button or its twin toggles; stopped, only the mode changes.
TEST_F(FadesTest, TalkOverToggleRampsTheMainPlayerByItsLevel) {
    click(button(4));
    click(button(4), Qt::RightButton, shift);
    EXPECT_TRUE(Zpm.bTalkOver);
    EXPECT_EQ(rampLevels, levels(-600, 15, -100));
    rampLevels.clear();
    click(button(104), Qt::RightButton, shift);
    EXPECT_FALSE(Zpm.bTalkOver);
    EXPECT_EQ(rampLevels, levels(-2100, 15, 100));

    click(button(4));
    rampLevels.clear();
    click(button(4), Qt::RightButton, shift);
    EXPECT_TRUE(Zpm.bTalkOver);
    EXPECT_TRUE(rampLevels.empty());
    click(button(4));  // a start keeps the mode; the next toggle lowers the sound
    click(button(4), Qt::RightButton, shift);
    EXPECT_FALSE(Zpm.bTalkOver);
    EXPECT_EQ(rampLevels, levels(-600, 15, -100));
}

TEST_F(FadesTest, OneShotLowersTheMainPlayerWhileItPlays) {
    click(button(4));
    bool talkOverPictureInWait = false;
    insideWait[2] = [&] { talkOverPictureInWait = showsState(2, form->ImgTalkOver); };
    press(button(2), Qt::LeftButton, shift);
    EXPECT_EQ(waitsStarted, 3);  // the ramp down, the wait, the ramp up
    std::vector<long> expected = levels(-600, 10, -150);
    std::ranges::copy(levels(-2100, 10, 150), std::back_inserter(expected));
    EXPECT_EQ(rampLevels, expected);
    EXPECT_TRUE(talkOverPictureInWait);
    EXPECT_EQ(player().PlayState(), Playing);
    EXPECT_EQ(heard(1), tuple(jingle, Stopped, -10000L));
    EXPECT_TRUE(showsState(2, form->ImgReady));
    EXPECT_EQ(Zpm.iCurBtn, 4);

    click(button(4));  // stopped: no ramp, the level ends at -600
    rampLevels.clear();
    player().setVolume(-1234);
    press(button(3), Qt::MiddleButton, shift);
    EXPECT_TRUE(rampLevels.empty());
    EXPECT_EQ(heard(1), tuple(jingle2, Stopped, -10000L));
    EXPECT_EQ(player().Volume(), -600);

    click(button(1));  // on the current button or on a marked button: nothing at all
    waitsStarted = 0;
    press(button(101), Qt::LeftButton, shift);
    button(2).setTag("Lerror");
    press(button(2), Qt::LeftButton, shift);
    EXPECT_EQ(waitsStarted, 0);
    EXPECT_EQ(form->wmp(1).FileName(), jingle2);
}

// A new start inside the ramp down sets -600; the ramp goes on from there.
TEST_F(FadesTest, OneShotRampGoesOnFromALevelSetInsideIt) {
    click(button(1));
    insideWait[1] = [&] { click(button(6)); };
    press(button(2), Qt::LeftButton, shift);
    ASSERT_EQ(rampLevels.size(), 20u);
    EXPECT_EQ(rampLevels[1], -750);
    EXPECT_EQ(rampLevels[9], -1950);
    EXPECT_EQ(heard(), tuple(two, Playing, -600L));
}

TEST_F(FadesTest, PlaylistStepsWrapBothWaysFromTheListsButton) {
    click(button(5));
    const tuple<Qt::MouseButton, int, int, std::string> steps[] = {
        {Qt::RightButton, 105, 2, "b"}, {Qt::RightButton, 5, 3, "c"},    {Qt::RightButton, 5, 1, "a"},
        {Qt::LeftButton, 5, 3, "c"},    {Qt::MiddleButton, 105, 2, "b"}, {Qt::LeftButton, 5, 1, "a"},
    };
    for (const auto& [which, index, entry, name] : steps) {
        click(button(index), which, ctrl);
        EXPECT_EQ(Zpm.iPlIdx, entry);
        EXPECT_EQ(heard(), tuple((listFolder / (name + ".wav")).string(), Playing, -600L));
        EXPECT_EQ(Zpm.sNowTitle, name);
    }
    click(button(1), Qt::RightButton, ctrl);  // another button, or no running list: nothing
    click(button(6), Qt::LeftButton, ctrl);
    EXPECT_EQ(Zpm.iPlIdx, 1);
    click(button(5));
    click(button(5), Qt::RightButton, ctrl);
    EXPECT_EQ(player().PlayState(), Stopped);
}

TEST_F(FadesTest, FadeOutStartsFromAnyButtonWhileSomethingSounds) {
    click(button(1), Qt::RightButton, alt);
    EXPECT_FALSE(fading());
    click(button(1));
    click(button(103), Qt::RightButton, alt);
    EXPECT_EQ(form->Timer2.Tag(), "103");
    endFade();
    EXPECT_EQ(player().PlayState(), Stopped);
    click(button(1));  // a paused sound fades as well
    click(button(1), Qt::LeftButton, pauseKeys);
    click(button(40), Qt::RightButton, alt);
    EXPECT_EQ(form->Timer2.Tag(), "40");
    endFade();
    EXPECT_EQ(player().PlayState(), Stopped);
}

// The fade's real ticks run inside the wait; a level near its end keeps them few.
TEST_F(FadesTest, FadeOverFadesTheCurrentSoundThenStartsThePressedButton) {
    click(button(1));
    player().setVolume(-4400);
    Zpm.bSndListOpen = true;
    press(button(6), Qt::LeftButton, alt);
    EXPECT_EQ(heard(), tuple(two, Playing, -600L));
    EXPECT_EQ(Zpm.iCurBtn, 6);
    EXPECT_TRUE(showsState(1, form->ImgReady));
    EXPECT_TRUE(showsState(6, form->ImgOnAir));
    EXPECT_FALSE(fading());
    EXPECT_EQ(soundListUnloads, 0);
    Zpm.bSndListOpen = false;

    player().setVolume(-4400);  // to the current button: faded out, not started again
    press(button(6), Qt::MiddleButton, alt);
    EXPECT_EQ(player().PlayState(), Stopped);

    click(button(1));  // to a playlist button: its name plays nothing
    player().setVolume(-4400);
    press(button(5), Qt::LeftButton, alt);
    EXPECT_EQ(player().PlayState(), Closed);
    EXPECT_FALSE(Zpm.bPlaylistOn);

    // A plain click inside the wait starts its sound; the fade takes it out.
    click(button(1));
    player().setVolume(-4400);
    insideWait[waitsStarted + 1] = [&] {
        click(button(6));
        player().setVolume(-4400);
    };
    press(button(4), Qt::LeftButton, alt);
    EXPECT_EQ(Zpm.iCurBtn, 4);
    EXPECT_TRUE(showsState(6, form->ImgReady));
    EXPECT_TRUE(showsState(4, form->ImgOnAir));
}

// Stopped, talk-over mode ends; paused, the fade runs without a wait and
// starts nothing; a marked button takes no fade over.
TEST_F(FadesTest, FadeOverWithNothingOrAPausedSoundStartsNothing) {
    click(button(1));
    click(button(1));
    Zpm.bTalkOver = true;
    player().setVolume(-1234);
    click(button(101), Qt::LeftButton, alt);
    EXPECT_FALSE(Zpm.bTalkOver);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_FALSE(fading());

    click(button(1));
    click(button(1), Qt::LeftButton, pauseKeys);
    click(button(6), Qt::LeftButton, alt);
    EXPECT_EQ(form->Timer2.Tag(), "6");
    endFade();
    EXPECT_EQ(heard(), tuple(one, Stopped, -600L));
    EXPECT_EQ(Zpm.iCurBtn, 1);

    click(button(1));
    button(6).setTag("Lerror");
    click(button(6), Qt::LeftButton, alt);
    EXPECT_FALSE(fading());
}

}  // namespace
