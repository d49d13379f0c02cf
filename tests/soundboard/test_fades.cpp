// The presses that mix, fade and step, on the real main window with both
// real players: jingles, talk-over mode and its ramp, one-shots, playlist
// steps, the fade-out tick by tick and the fade over, also with presses inside their waits.
#include <functional>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;
using std::tuple;
const Qt::KeyboardModifiers shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;

class Fades : public MainWindowTest {
protected:
    std::string one, jingle, jingle2, two;
    fs::path listFolder = sounds / "list";
    std::vector<long> rampLevels;  // the main player's level after each ramp step
    std::map<int, std::function<void()>> insideWait;  // what runs as an event inside the wait or ramp that starts n-th
    int waitsStarted = 0;
    // 1, 4 and 6 long sounds, 2 and 3 short jingles, 5 and 8 playlists of three, 7 a short sound.
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        one = sound("one.wav"), jingle = sound("jingle.wav", 300), jingle2 = sound("jingle_two.wav", 300);
        two = sound("two.wav");
        for (const char* entry : {"list/a.wav", "list/b.wav", "list/c.wav", "four.wav"}) sound(entry);
        sound("short.wav", 300);
        start("[snds]\ns1=$/one.wav\ns2=$/jingle.wav\ns3=$/jingle_two.wav\ns4=$/four.wav\ns5=PlayList_5\n"
              "s6=$/two.wav\ns7=$/short.wav\ns8=PlayList_8\n[lsts]\ns5=$/list/,a.wav,b.wav,c.wav\ns8=$/list/,c.wav,b.wav,a.wav\n");
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
    int endFade() {
        int ticks = 0;
        for (; fading() && ticks < 1000; ++ticks) form->Timer2.onTimer();
        return ticks;
    }
    // A fade-out of the main player from this button, as Alt with the right button starts it.
    void startFade(int index) { click(button(index), Qt::RightButton, alt); }
    bool showsReady(int index) { return showsState(index, form->ImgReady); }
    // The main player's level from `from` in `count` steps of `step`.
    static std::vector<long> levels(long from, int count, long step, std::vector<long> before = {}) {
        for (int i = 1; i <= count; ++i) before.push_back(from + i * step);
        return before;
    }
};

TEST_F(Fades, JinglesPlayOnTheSecondPlayerWhileTalkOverIsOn) {
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
    EXPECT_EQ(tuple(waitsStarted, inWait, heard(1), showsReady(2), heard(), Zpm.iCurBtn),
              tuple(2, tuple(jingle, Playing, 0L), tuple(jingle2, Stopped, -10000L), true, tuple(one, Playing, -2100L), 1));
    // A playlist button's jingle plays its list's first entry once; the list does not start.
    insideWait[3] = [&] {
        inWait = heard(1);
        form->wmp(1).Stop();
    };
    press(button(5), Qt::MiddleButton);
    EXPECT_EQ(tuple(inWait, Zpm.bPlaylistOn, Zpm.iCurBtn), tuple(tuple((listFolder / "a.wav").string(), Playing, 0L), false, 1));
    EXPECT_EQ(settingsText(), settings);
    press(button(101));  // the current button's plain click still stops and ends the mode
    EXPECT_EQ(std::pair(player().PlayState(), Zpm.bTalkOver), std::pair(Stopped, false));
}

// Only the current button or its twin toggles; stopped, only the mode changes.
TEST_F(Fades, TalkOverToggleRampsTheMainPlayerByItsLevel) {
    click(button(4));
    const std::tuple<int, bool, bool, std::vector<long>> rows[] = {
        {4, false, true, levels(-600, 15, -100)}, {104, false, false, levels(-2100, 15, 100)},
        {4, true, true, {}}, {4, true, false, levels(-600, 15, -100)}};  // a start keeps the mode
    for (const auto& [index, clickFirst, mode, ramp] : rows) {
        if (clickFirst) click(button(4));
        rampLevels.clear();
        click(button(index), Qt::RightButton, shift);
        EXPECT_EQ(std::pair(Zpm.bTalkOver, rampLevels), std::pair(mode, ramp)) << index;
    }
}

TEST_F(Fades, OneShotLowersTheMainPlayerWhileItPlays) {
    click(button(4));
    bool talkOverPictureInWait = false;
    insideWait[2] = [&] { talkOverPictureInWait = showsState(2, form->ImgTalkOver); };
    press(button(2), Qt::LeftButton, shift);
    EXPECT_EQ(waitsStarted, 3);  // the ramp down, the wait, the ramp up
    EXPECT_EQ(rampLevels, levels(-2100, 10, 150, levels(-600, 10, -150)));
    EXPECT_EQ(tuple(talkOverPictureInWait, player().PlayState(), heard(1), showsReady(2), Zpm.iCurBtn),
              tuple(true, Playing, tuple(jingle, Stopped, -10000L), true, 4));
    click(button(4));  // stopped: no ramp, the level ends at -600
    rampLevels.clear();
    player().setVolume(-1234);
    press(button(3), Qt::MiddleButton, shift);
    EXPECT_EQ(tuple(rampLevels.size(), heard(1), player().Volume()), tuple(0u, tuple(jingle2, Stopped, -10000L), -600L));
    click(button(1));  // on the current button or on a marked button: nothing at all
    waitsStarted = 0;
    press(button(101), Qt::LeftButton, shift);
    button(2).setTag("Lerror");
    press(button(2), Qt::LeftButton, shift);
    EXPECT_EQ(std::pair(waitsStarted, form->wmp(1).FileName()), std::pair(0, jingle2));
    // On a playlist button: its list's first entry once, over the current sound; no list starts.
    tuple<std::string, long, long> inWait;
    insideWait[2] = [&] {
        inWait = heard(1);
        form->wmp(1).Stop();
    };
    press(button(5), Qt::LeftButton, shift);
    EXPECT_EQ(tuple(inWait, Zpm.bPlaylistOn, Zpm.iCurBtn, heard()),
              tuple(tuple((listFolder / "a.wav").string(), Playing, 0L), false, 1, tuple(one, Playing, -600L)));
}

// A jingle or a one-shot of another list's button leaves the running list as it is: its entry plays on
// and the next step goes on from it.
TEST_F(Fades, JinglesAndOneShotsLeaveTheRunningListAlone) {
    const std::pair<std::function<void()>, int> rows[] = {  // the press, the wait in which the second player plays
        {[this] { Zpm.bTalkOver = true, press(button(8)); }, 1}, {[this] { press(button(8), Qt::LeftButton, shift); }, 2}};
    const auto entry = [&](const char* name) { return tuple((listFolder / name).string(), Playing, -600L); };
    for (const auto& [pressOther, secondPlays] : rows) {
        click(button(1)), click(button(5)), click(button(5), Qt::RightButton, ctrl);
        const std::vector<std::string> running = Zpm.aPlaylist;
        tuple<std::string, long, long> second;
        waitsStarted = 0;
        insideWait = {{secondPlays, [&] { second = heard(1), form->wmp(1).Stop(); }}};
        pressOther();
        EXPECT_EQ(tuple(second, heard(), Zpm.iPlIdx, Zpm.aPlaylist == running, Zpm.bPlaylistOn, Zpm.iCurBtn),
                  tuple(tuple((listFolder / "c.wav").string(), Playing, 0L), entry("b.wav"), 2, true, true, 5)) << secondPlays;
        Zpm.bTalkOver = false;
        click(button(5), Qt::RightButton, ctrl);
        EXPECT_EQ(heard(), entry("c.wav")) << secondPlays;
    }
}

// A new start inside the ramp down sets -600; the ramp goes on from there.
TEST_F(Fades, OneShotRampGoesOnFromALevelSetInsideIt) {
    click(button(1));
    insideWait[1] = [&] { click(button(6)); };
    press(button(2), Qt::LeftButton, shift);
    ASSERT_EQ(rampLevels.size(), 20u);
    EXPECT_EQ(std::pair(rampLevels[1], rampLevels[9]), std::pair(-750L, -1950L));
    EXPECT_EQ(heard(), tuple(two, Playing, -600L));
}

TEST_F(Fades, PlaylistStepsWrapBothWaysFromTheListsButton) {
    click(button(5));
    const tuple<Qt::MouseButton, int, int, std::string> steps[] = {
        {Qt::RightButton, 105, 2, "b"}, {Qt::RightButton, 5, 3, "c"},    {Qt::RightButton, 5, 1, "a"},
        {Qt::LeftButton, 5, 3, "c"},    {Qt::MiddleButton, 105, 2, "b"}, {Qt::LeftButton, 5, 1, "a"},
    };
    for (const auto& [which, index, entry, name] : steps) {
        click(button(index), which, ctrl);
        EXPECT_EQ(tuple(Zpm.iPlIdx, heard(), Zpm.sNowTitle),
                  tuple(entry, tuple((listFolder / (name + ".wav")).string(), Playing, -600L), name));
    }
    click(button(1), Qt::RightButton, ctrl);  // another button, or no running list: nothing
    click(button(6), Qt::LeftButton, ctrl);
    EXPECT_EQ(Zpm.iPlIdx, 1);
    click(button(5));
    click(button(5), Qt::RightButton, ctrl);
    EXPECT_EQ(player().PlayState(), Stopped);
}

// From the normal level, 10 a tick down to -2490, then 100; the picture flips every ten ticks.
TEST_F(Fades, FadeOutTakes210TicksFromTheNormalLevelAndEndsStopped) {
    startFade(1);
    EXPECT_FALSE(fading());  // nothing sounds
    click(button(1));
    startFade(1);
    EXPECT_EQ(form->Timer2.Tag(), "1");
    const std::map<int, long> levels{{1, -610}, {189, -2490}, {190, -2590}, {209, -4490}};
    form->Timer2.onTimer();
    const bool startsReady = showsReady(1);
    for (int tick = 2; tick <= 209; ++tick) {
        form->Timer2.onTimer();
        EXPECT_TRUE(!levels.contains(tick) || player().Volume() == levels.at(tick)) << tick;
        EXPECT_EQ(showsReady(1), startsReady == (tick / 10 % 2 == 0)) << tick;
        ASSERT_TRUE(fading()) << tick;
    }
    EXPECT_EQ(endFade(), 1);
    EXPECT_EQ(std::tuple(player().PlayState(), player().Volume(), form->Timer2.Tag(), showsReady(1)),
              std::tuple(Stopped, -600L, std::string("9999"), true));
    // The ticks follow the starting level; a paused sound fades as well, from any button.
    for (const auto& [level, ticks, from, paused] : {tuple{-2100L, 60, 103, false}, {0L, 270, 1, false},
                                                    {-4500L, 1, 1, false}, {-9990L, 1, 1, false}, {-600L, 210, 40, true}}) {
        click(button(1));
        if (paused) click(button(1), Qt::LeftButton, pauseKeys);
        player().setVolume(level);
        startFade(from);
        EXPECT_EQ((tuple{form->Timer2.Tag(), endFade(), player().PlayState(), player().Volume()}),
                  tuple(std::to_string(from), ticks, Stopped, -600L)) << level;
        EXPECT_TRUE(paused || showsReady(from)) << level;  // whichever picture the blinking had reached
    }
}

TEST_F(Fades, FadeOutEndsWithASoundThatEndsAndGoesOnFromASecondStart) {
    click(button(7));
    startFade(7);
    form->Timer2.onTimer();
    ASSERT_TRUE(waitForEnd(player()));
    EXPECT_EQ((tuple{endFade(), player().Volume(), showsReady(7)}), tuple(1, -600L, true));  // braces: in order
    click(button(1));
    startFade(1);
    for (int tick = 0; tick < 15; ++tick) form->Timer2.onTimer();
    const gdi::Picture firstLast = button(1).Picture().clone();
    startFade(40);
    EXPECT_EQ(form->Timer2.Tag(), "40");
    form->Timer2.onTimer();
    // The first button keeps its last picture.
    EXPECT_EQ(tuple(player().Volume(), samePicture(button(1).Picture(), firstLast)), tuple(-760L, true));
    EXPECT_EQ((std::pair{endFade(), showsReady(40)}), std::pair(194, true));
    click(button(5));  // a running playlist ends with the fade and does not advance
    const std::string entry = player().FileName();
    startFade(5);
    endFade();
    EXPECT_FALSE(Zpm.bPlaylistOn);
    tick();
    EXPECT_EQ(std::pair(player().PlayState(), player().FileName()), std::pair(Stopped, entry));
}

// The fade's real ticks run inside the wait; a level near its end keeps them few.
TEST_F(Fades, FadeOverFadesTheCurrentSoundThenStartsThePressedButton) {
    click(button(1));
    player().setVolume(-4400);
    Zpm.bSndListOpen = true;
    press(button(6), Qt::LeftButton, alt);
    EXPECT_EQ(tuple(heard(), Zpm.iCurBtn, showsReady(1), showsState(6, form->ImgOnAir), fading(), soundListUnloads),
              tuple(tuple(two, Playing, -600L), 6, true, true, false, 0));
    Zpm.bSndListOpen = false;
    player().setVolume(-4400);  // to the current button: faded out, not started again
    press(button(6), Qt::MiddleButton, alt);
    EXPECT_EQ(player().PlayState(), Stopped);
    click(button(1));  // to a playlist button: its list starts as by a plain click, and the sound list follows
    player().setVolume(-4400);
    Zpm.bSndListOpen = true;
    press(button(105), Qt::LeftButton, alt);
    EXPECT_EQ(tuple(heard(), Zpm.bPlaylistOn, Zpm.iCurBtn, showsState(105, form->ImgListOnAir), soundListUnloads),
              tuple(tuple((listFolder / "a.wav").string(), Playing, -600L), true, 105, true, 1));
    EXPECT_EQ(list().LstSounds.List(2), "c");
    list().Close();
    Zpm.bSndListOpen = false;
    // A plain click inside the wait starts its sound; the fade takes it out.
    click(button(1));
    player().setVolume(-4400);
    insideWait[waitsStarted + 1] = [&] {
        click(button(6));
        player().setVolume(-4400);
    };
    press(button(4), Qt::LeftButton, alt);
    EXPECT_EQ(tuple(Zpm.iCurBtn, showsReady(6), showsState(4, form->ImgOnAir)), tuple(4, true, true));
}

// Stopped, talk-over mode ends; paused, the fade runs without a wait and
// starts nothing; a marked button takes no fade over.
TEST_F(Fades, FadeOverWithNothingOrAPausedSoundStartsNothing) {
    click(button(1));
    click(button(1));
    Zpm.bTalkOver = true;
    player().setVolume(-1234);
    click(button(101), Qt::LeftButton, alt);
    EXPECT_EQ(tuple(Zpm.bTalkOver, player().Volume(), fading()), tuple(false, -600L, false));
    click(button(1));
    click(button(1), Qt::LeftButton, pauseKeys);
    click(button(6), Qt::LeftButton, alt);
    EXPECT_EQ(form->Timer2.Tag(), "6");
    endFade();
    EXPECT_EQ(tuple(heard(), Zpm.iCurBtn), tuple(tuple(one, Stopped, -600L), 1));
    click(button(1));
    button(6).setTag("Lerror");
    click(button(6), Qt::LeftButton, alt);
    EXPECT_FALSE(fading());
}

// Closing the main window inside each kind of wait of a press, in a process of its own: the event loop ends,
// every waiting press returns without starting anything, and so does a press after the close. The unload
// silences both players (-10000); a press that went on after it would have set a level of its own.
using CloseInWait = DataFolderTest;

void post(std::function<void()> action) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(action), Qt::QueuedConnection);
}
void pressButton(std::int16_t index, std::int16_t button = forms::vbLeftButton, std::int16_t shift = 0) {
    ButtonAction(index, button, shift);
}

TEST_F(CloseInWait, EveryWaitEndsAndNothingStarts) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Each row's child runs this test again from its start and ends without destructors: its folder is
    // made inside this one's, which goes with this test however the child ended.
    const ScopedEnv childrenInside("TMPDIR", temp.path().string());
    writeSettings("[snds]\ns1=" + sound("one.wav") + "\ns2=" + sound("long_jingle.wav") + "\ns3=" + sound("short.wav", 300) +
                  "\ns4=" + sound("four.wav") + "\n");
    const std::function<void()> close = [] { window()->close(); }, talkOver = [] { pressButton(1, forms::vbRightButton, forms::vbShiftMask); };
    using Waits = std::map<int, std::function<void()>>;  // by the wait's number
    const std::tuple<std::function<void()>, Waits, const char*> rows[] = {
        {[] { Zpm.bTalkOver = true, pressButton(2); }, {{1, close}}, "0 long_jingle.wav -10000 steps=0"},
        {talkOver, {{1, close}}, "6  -10000 steps=1"},
        {[] { pressButton(3, forms::vbLeftButton, forms::vbShiftMask); }, {{1, close}}, "0 short.wav -10000 steps=1"},
        {[] { pressButton(2, forms::vbLeftButton, forms::vbShiftMask); }, {{2, close}}, "0 long_jingle.wav -10000 steps=10"},
        {[] { pressButton(3, forms::vbLeftButton, forms::vbShiftMask); }, {{3, close}}, "0 short.wav -10000 steps=11"},
        {[] { pressButton(4, forms::vbLeftButton, forms::vbAltMask); }, {{1, close}}, "6  -10000 steps=0"},
        // A fade over of the current button in talk-over mode, a jingle inside its wait, the talk-over ramp inside the jingle's.
        {[] { Zpm.bTalkOver = true, pressButton(1, forms::vbLeftButton, forms::vbAltMask); },
         {{1, [] { pressButton(2); }}, {2, talkOver}, {3, close}}, "0 long_jingle.wav -10000 steps=1"},
    };
    const auto run = [](const std::function<void()>& presses, const Waits& insideWait) {
        mdINIBas::SetEventPump(forms::DoEvents);
        frmTest& form = frmTest::instance();
        form.Show();
        int waits = 0, steps = 0;
        forms::setWaitHooks({[&] {
                                 if (const auto found = insideWait.find(++waits); found != insideWait.end()) post(found->second);
                             },
                             [&](int) { ++steps; }});
        post([&] { pressButton(1), presses(); });
        const int result = forms::Run();
        pressButton(4);
        const auto name = [](media::MediaPlayer& player) { return fs::path(player.FileName()).filename().string(); };
        std::fprintf(stderr, "run=%d main=%ld %s %ld second=%ld %s %ld steps=%d current=%d\n", result, form.wmp(0).PlayState(),
                     name(form.wmp(0)).c_str(), form.wmp(0).Volume(), form.wmp(1).PlayState(), name(form.wmp(1)).c_str(),
                     form.wmp(1).Volume(), steps, Zpm.iCurBtn);
        std::_Exit(0);
    };
    for (const auto& [presses, insideWait, second] : rows)
        EXPECT_EXIT(run(presses, insideWait), testing::ExitedWithCode(0),
                    std::string("run=0 main=0 one.wav -10000 second=") + second + " current=1\n");
}

}  // namespace
