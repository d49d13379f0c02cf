// Waits and ramps on real Qt events: they sleep until the next event instead
// of polling, pace their steps by the clock while events run, and all end
// when the program's last window unloads. A real player's sound end wakes a
// waiting program on its own.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <vector>

#include "forms.h"
#include "media_player.h"
#include "silent_wav.h"
#include "temp_dir.h"

namespace {

using namespace std::chrono_literals;

template <class F>
void post(F&& action) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<F>(action), Qt::QueuedConnection);
}

class Waits : public ::testing::Test {
protected:
    void SetUp() override {
        forms::startRuntime();
        forms::AllowWaits();
    }
    void TearDown() override {
        forms::setWaitHooks({});
        forms::AllowWaits();
    }
};

class Window : public forms::Form {};

// A polling wait would look at its condition many thousand times while it
// waits for a timer; a sleeping one looks once per event.
TEST_F(Waits, WaitLooksOnlyWhenAnEventHasRun) {
    bool posted = false;
    post([&] { posted = true; });
    int looks = 0;
    EXPECT_TRUE(forms::WaitUntil([&] { return ++looks, posted; }));
    EXPECT_EQ(looks, 1) << "the pending event runs before the first look";

    bool due = false;
    QTimer::singleShot(150, [&] { due = true; });
    looks = 0;
    EXPECT_TRUE(forms::WaitUntil([&] { return ++looks, due; }));
    EXPECT_LE(looks, 10) << "a timer's wait looks a few times, not thousands";
}

TEST_F(Waits, PlayersEndOfSoundWakesTheWait) {
    testing_support::TempDir temp;
    const auto sound = temp.path() / "short.wav";
    testing_support::writeSilentWav(sound, 300);
    media::MediaPlayer player;
    player.setFileName(sound.string());
    ASSERT_EQ(player.PlayState(), media::kPlaying);

    // A stuck player ends the test instead of hanging it.
    bool gaveUp = false;
    QTimer::singleShot(20000, [&] { gaveUp = true; });
    int looks = 0;
    EXPECT_TRUE(forms::WaitUntil([&] { return ++looks, gaveUp || player.PlayState() != media::kPlaying; }));
    EXPECT_FALSE(gaveUp);
    EXPECT_EQ(player.PlayState(), media::kStopped);
    EXPECT_LE(looks, 10) << "woken by the player's news, not by polling";
}

TEST_F(Waits, RampStepsAreSpreadOverTimeWithEventsBetween) {
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(1);
    std::vector<int> steps, ticksAtStep, hooked;
    forms::setWaitHooks({{}, [&](int step) { hooked.push_back(step); }});
    EXPECT_TRUE(forms::Ramp(5, 100ms, [&](int step) {
        steps.push_back(step);
        ticksAtStep.push_back(ticks);
    }));
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(hooked, steps);
    // Timers run between the steps, and after the last one for its share of time.
    ticksAtStep.push_back(ticks);
    for (std::size_t i = 1; i < ticksAtStep.size(); ++i) EXPECT_GT(ticksAtStep[i], ticksAtStep[i - 1]) << i;
}

TEST_F(Waits, EndingEndsNestedWaitsAndEveryLaterOne) {
    int rampSteps = 0;
    bool innerEnded = false;
    post([&] {
        innerEnded = !forms::Ramp(10, 1000ms, [&](int step) {
            rampSteps = step;
            if (step == 3) forms::EndWaits();
        });
    });
    EXPECT_FALSE(forms::WaitUntil([] { return false; }));
    EXPECT_TRUE(innerEnded);
    EXPECT_EQ(rampSteps, 3);

    // Later waits end at once, before their hooks, looks or steps.
    int calls = 0;
    forms::setWaitHooks({[&] { ++calls; }, [&](int) { ++calls; }});
    EXPECT_FALSE(forms::WaitUntil([&] { return ++calls, true; }));
    EXPECT_FALSE(forms::Ramp(3, 10ms, [&](int) { ++calls; }));
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(forms::WaitsEnded());

    forms::AllowWaits();
    EXPECT_TRUE(forms::WaitUntil([] { return true; }));
    EXPECT_TRUE(forms::Ramp(2, 10ms, [](int) {}));
    EXPECT_EQ(calls, 4) << "two hooked starts and two hooked steps";
}

// The program ends when its last window unloads; a window loading again
// starts it afresh.
TEST_F(Waits, UnloadingTheLastWindowEndsTheWaits) {
    Window first, second;
    first.Load();
    second.Load();
    post([&] { first.Unload(); });
    EXPECT_TRUE(forms::WaitUntil([&] { return !first.Loaded(); }));

    post([&] { second.Unload(); });
    EXPECT_FALSE(forms::WaitUntil([] { return false; }));
    EXPECT_TRUE(forms::WaitsEnded());

    first.Load();
    EXPECT_FALSE(forms::WaitsEnded());
    first.Unload();
}

}  // namespace
