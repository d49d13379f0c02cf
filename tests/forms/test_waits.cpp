// Waits and ramps on real Qt events: they sleep until the next event instead of polling, and all end when the
// program's last window unloads.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "forms.h"
#include "media_player.h"
#include "sound_files.h"
#include "temp_dir.h"

namespace {

using namespace std::chrono_literals;

void post(std::function<void()> action) { QMetaObject::invokeMethod(QCoreApplication::instance(), action, Qt::QueuedConnection); }

class Waits : public ::testing::Test {
protected:
    void SetUp() override { forms::startRuntime(), forms::AllowWaits(); }
    void TearDown() override { forms::setWaitHooks({}), forms::AllowWaits(); }
    // How often the wait looked at its condition: a polling wait would look many thousand times.
    static int looksUntil(const std::function<bool()>& done, bool ends = true) {
        int looks = 0;
        EXPECT_EQ(forms::WaitUntil([&] { return ++looks, done(); }), ends);
        return looks;
    }
};

class Window : public forms::Form {};

TEST_F(Waits, WaitsLookOnlyAfterEventsAndEnd) {
    bool posted = false, due = false, gaveUp = false;
    post([&] { posted = true; });
    EXPECT_EQ(looksUntil([&] { return posted; }), 1) << "the pending event runs before the first look";
    QTimer::singleShot(150, [&] { due = true; });
    EXPECT_LE(looksUntil([&] { return due; }), 10);
    testing_support::TempDir temp;
    testing_support::writeSilentWav(temp.path() / "short.wav", 300);
    media::MediaPlayer player;
    player.setFileName(temp.file("short.wav"));
    ASSERT_EQ(player.PlayState(), media::kPlaying);
    QTimer::singleShot(20000, [&] { gaveUp = true; });  // a stuck player ends the test instead of hanging it
    EXPECT_LE(looksUntil([&] { return gaveUp || player.PlayState() != media::kPlaying; }), 10) << "woken by the player's news";
    EXPECT_EQ(std::pair(gaveUp, player.PlayState()), std::pair(false, media::kStopped));
    // Ending ends nested waits and every later one, and so does unloading the last window.
    int rampSteps = 0, calls = 0;
    bool innerEnded = false;
    post([&] { innerEnded = !forms::Ramp(10, 1000ms, [&](int step) { if ((rampSteps = step) == 3) forms::EndWaits(); }); });
    looksUntil([] { return false; }, false);
    EXPECT_EQ(std::pair(innerEnded, rampSteps), std::pair(true, 3));
    // Later waits end at once, before their hooks, looks or steps.
    forms::setWaitHooks({[&] { ++calls; }, [&](int) { ++calls; }});
    EXPECT_FALSE(forms::WaitUntil([&] { return ++calls, true; }) || forms::Ramp(3, 10ms, [&](int) { ++calls; }));
    EXPECT_TRUE(calls == 0 && forms::WaitsEnded());
    forms::AllowWaits();
    EXPECT_TRUE(forms::WaitUntil([] { return true; }) && forms::Ramp(2, 10ms, [](int) {}));
    EXPECT_EQ(calls, 4) << "two hooked starts and two hooked steps";
    Window first, second;
    first.Load();
    second.Load();
    post([&] { first.Unload(); });
    looksUntil([&] { return !first.Loaded(); });
    post([&] { second.Unload(); });
    looksUntil([] { return false; }, false);
    EXPECT_TRUE(forms::WaitsEnded());
    first.Load();
    EXPECT_FALSE(forms::WaitsEnded());
    first.Unload();
}

}  // namespace
