// The fade-out timer called tick by tick on the real main window and main
// player: the volume curve, the blinking button, the end of a fade, and a
// fade that a sound's own end or a second start changes.
#include <map>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

class Timer2Test : public MainWindowTest {
protected:
    std::string one, shortSound;
    fs::path listFolder = sounds / "list";

    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        one = sound("one.wav");
        shortSound = sound("short.wav", 300);
        sound("list/a.wav");
        sound("list/b.wav");
        start("[snds]\r\ns1=" + one + "\r\ns2=" + shortSound + "\r\ns5=PlayList_5\r\n[lsts]\r\ns5=" +
              listFolder.string() + "/,a.wav,b.wav\r\n");
    }

    void fadeTick() { form->Timer2.onTimer(); }
    bool fading() { return form->Timer2.Enabled(); }

    // Ticks until the fade ends; the count of ticks it took.
    int fadeToEnd() {
        int ticks = 0;
        while (fading() && ticks < 1000) {
            fadeTick();
            ++ticks;
        }
        return ticks;
    }

    // Starts a fade of the playing main player from this button, as the
    // right button with Alt does.
    void startFade(int index) { click(button(index), Qt::RightButton, Qt::AltModifier); }

    bool showsReady(int index) { return showsState(index, form->ImgReady); }
};

TEST_F(Timer2Test, FadeFromTheNormalLevelTakes210TicksAndEndsStopped) {
    click(button(1));
    startFade(1);
    EXPECT_EQ(form->Timer2.Tag(), "1");
    EXPECT_TRUE(fading());

    // The level after chosen ticks: 10 a tick down to -2490, then 100.
    const std::map<int, long> levels{{1, -610}, {9, -690}, {189, -2490}, {190, -2590}, {209, -4490}};
    // The first nine ticks show one picture, then it flips every ten ticks.
    const bool startsReady = [&] {
        fadeTick();
        return showsReady(1);
    }();
    for (int tick = 2; tick <= 209; ++tick) {
        fadeTick();
        SCOPED_TRACE(tick);
        if (levels.contains(tick)) {
            EXPECT_EQ(player().Volume(), levels.at(tick));
        }
        EXPECT_EQ(showsReady(1), startsReady == (tick / 10 % 2 == 0));
        ASSERT_TRUE(fading());
    }
    EXPECT_EQ(player().PlayState(), media::kPlaying);
    fadeTick();  // the 210th sets -4590 and ends the fade
    EXPECT_FALSE(fading());
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_EQ(form->Timer2.Tag(), "9999");
    EXPECT_TRUE(showsReady(1));
    EXPECT_FALSE(Zpm.bPlaylistOn);

    // 21 flips: the next fade begins in the other phase.
    click(button(1));
    startFade(1);
    fadeTick();
    EXPECT_EQ(showsReady(1), !startsReady);
    fadeToEnd();
}

TEST_F(Timer2Test, TicksOfAFadeFollowTheStartingLevel) {
    const std::pair<long, int> levelAndTicks[] = {{-600, 210}, {-2100, 60}, {0, 270}, {-4500, 1}, {-9990, 1}};
    for (const auto& [level, ticks] : levelAndTicks) {
        SCOPED_TRACE(level);
        click(button(1));
        player().setVolume(level);
        startFade(1);
        EXPECT_EQ(fadeToEnd(), ticks);
        EXPECT_EQ(player().PlayState(), media::kStopped);
        EXPECT_EQ(player().Volume(), -600);
    }
}

TEST_F(Timer2Test, SoundThatEndsDuringAFadeEndsItAtTheNextTick) {
    click(button(2));
    startFade(2);
    fadeTick();
    ASSERT_TRUE(waitForEnd(player()));
    ASSERT_TRUE(fading());
    fadeTick();
    EXPECT_FALSE(fading());
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_EQ(form->Timer2.Tag(), "9999");
    EXPECT_TRUE(showsReady(2));
}

TEST_F(Timer2Test, SecondStartMovesTheBlinkingAndTheLevelGoesOn) {
    ASSERT_EQ(button(40).ToolTipText(), "eep");
    click(button(1));
    startFade(1);
    for (int tick = 0; tick < 15; ++tick) fadeTick();
    const gdi::Picture firstLast = button(1).Picture().clone();
    startFade(40);
    EXPECT_EQ(form->Timer2.Tag(), "40");
    fadeTick();
    EXPECT_EQ(player().Volume(), -760);
    EXPECT_TRUE(samePicture(button(1).Picture(), firstLast)) << "the first button keeps its last picture";
    EXPECT_EQ(fadeToEnd(), 194);
    // An empty button named in the tag ends ready too.
    EXPECT_TRUE(showsReady(40));
}

TEST_F(Timer2Test, RunningPlaylistEndsWithTheFadeAndDoesNotAdvance) {
    click(button(5));
    ASSERT_TRUE(Zpm.bPlaylistOn);
    const std::string entry = player().FileName();
    startFade(5);
    fadeToEnd();
    EXPECT_FALSE(Zpm.bPlaylistOn);
    tick();
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().FileName(), entry);
    EXPECT_EQ(Zpm.iPlIdx, 1);
}

}  // namespace
