// The fade-out timer called tick by tick on the real main window and main
// player: the volume curve, the blinking button, the end of a fade, and a
// fade that a sound's own end or a second start changes.
#include <map>

#include "soundboard_test_support.h"

namespace {

using namespace sbtest;

class Timer2Test : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (IsSkipped()) return;
        sound("list/a.wav");
        sound("list/b.wav");
        start("[snds]\r\ns1=" + sound("one.wav") + "\r\ns2=" + sound("short.wav", 300) +
              "\r\ns5=PlayList_5\r\n[lsts]\r\ns5=" + (sounds / "list").string() + "/,a.wav,b.wav\r\n");
    }
    void fadeTick() { form->Timer2.onTimer(); }
    bool fading() { return form->Timer2.Enabled(); }
    int fadeToEnd() {
        int ticks = 0;
        for (; fading() && ticks < 1000; ++ticks) fadeTick();
        return ticks;
    }
    // A fade of the playing main player from this button, as Alt with the right button starts it.
    void startFade(int index) { click(button(index), Qt::RightButton, Qt::AltModifier); }
    bool showsReady(int index) { return showsState(index, form->ImgReady); }
};

TEST_F(Timer2Test, FadeFromTheNormalLevelTakes210TicksAndEndsStopped) {
    click(button(1));
    startFade(1);
    EXPECT_EQ(form->Timer2.Tag(), "1");
    // 10 a tick down to -2490, then 100; the picture flips every ten ticks.
    const std::map<int, long> levels{{1, -610}, {189, -2490}, {190, -2590}, {209, -4490}};
    fadeTick();
    const bool startsReady = showsReady(1);
    for (int tick = 2; tick <= 209; ++tick) {
        fadeTick();
        SCOPED_TRACE(tick);
        if (levels.contains(tick)) {
            EXPECT_EQ(player().Volume(), levels.at(tick));
        }
        EXPECT_EQ(showsReady(1), startsReady == (tick / 10 % 2 == 0));
        ASSERT_TRUE(fading());
    }
    fadeTick();
    EXPECT_FALSE(fading());
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_EQ(form->Timer2.Tag(), "9999");
    EXPECT_TRUE(showsReady(1));

    // The ticks follow the starting level.
    for (const auto& [level, ticks] : {std::pair{-2100L, 60}, {0L, 270}, {-4500L, 1}, {-9990L, 1}}) {
        SCOPED_TRACE(level);
        click(button(1));
        player().setVolume(level);
        startFade(1);
        EXPECT_EQ(fadeToEnd(), ticks);
        EXPECT_EQ(player().PlayState(), media::kStopped);
        EXPECT_EQ(player().Volume(), -600);
        EXPECT_TRUE(showsReady(1));  // whichever picture the blinking had reached
    }
}

TEST_F(Timer2Test, SoundThatEndsDuringAFadeEndsItAtTheNextTick) {
    click(button(2));
    startFade(2);
    fadeTick();
    ASSERT_TRUE(waitForEnd(player()));
    fadeTick();
    EXPECT_FALSE(fading());
    EXPECT_EQ(player().Volume(), -600);
    EXPECT_TRUE(showsReady(2));
}

TEST_F(Timer2Test, SecondStartMovesTheBlinkingAndTheLevelGoesOn) {
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
    EXPECT_TRUE(showsReady(40));
}

TEST_F(Timer2Test, RunningPlaylistEndsWithTheFadeAndDoesNotAdvance) {
    click(button(5));
    const std::string entry = player().FileName();
    startFade(5);
    fadeToEnd();
    EXPECT_FALSE(Zpm.bPlaylistOn);
    tick();
    EXPECT_EQ(player().PlayState(), media::kStopped);
    EXPECT_EQ(player().FileName(), entry);
}

}  // namespace
