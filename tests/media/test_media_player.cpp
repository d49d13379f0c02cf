#include "media_player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "media_player_inspection.h"
#include "sink_probe.h"
#include "sound_files.h"
#include "temp_dir.h"

using media::MediaPlayer;
using media_testing::SinkProbe;
using testing_support::TempDir;
using namespace std::chrono_literals;

namespace {

constexpr double kSoundSeconds = 0.8;

// One sound of each kind, shared by all tests and made once.
struct Sounds {
    TempDir dir;
    Sounds() {
        media_testing::writeWav(dir.file("sound.wav"), kSoundSeconds);
        media_testing::writeMidi(dir.file("sound.mid"), kSoundSeconds);
        media_testing::writeMidi(dir.file("sound.rmi"), kSoundSeconds);
    }
};

std::string sound(std::string_view extension) {
    static const Sounds made;
    return made.dir.file("sound." + std::string(extension));
}

// Reads the player until the condition holds; every read takes in what the
// player reported. The bound only keeps a broken player from hanging the run.
bool eventually(MediaPlayer& player, const std::function<bool()>& condition) {
    for (int reads = 0; reads < 3000; ++reads, std::this_thread::sleep_for(5ms)) {
        player.PlayState();
        if (condition()) return true;
    }
    return false;
}

long stateAfterEnd(MediaPlayer& player) {
    eventually(player, [&] { return player.PlayState() != media::kPlaying; });
    return player.PlayState();
}

SinkProbe probeOf(const MediaPlayer& player) { return SinkProbe(media::MediaPlayerInspection::audioSink(player)); }

// Runs the state probe program on one file behind a command prefix (another
// environment, another user) and returns what it printed.
std::string probeElsewhere(const std::string& prefix, const std::string& path) {
    const std::string command = prefix + " " ZPM_MEDIA_STATE_PROBE " '" + path + "'";
    const std::unique_ptr<FILE, int (*)(FILE*)> out(::popen(command.c_str(), "r"), ::pclose);
    std::string printed;
    char buffer[256];
    while (out && std::fgets(buffer, sizeof buffer, out.get())) printed += buffer;
    return printed;
}

}  // namespace

// The states are numbers callers compare with: 2 playing, 1 paused, 0 stopped
// (also after the end), 6 closed.
TEST(MediaPlayer, FollowsPausePlayAndStop) {
    MediaPlayer player;
    ASSERT_TRUE(player.Available());
    // Nothing open: closed, and the calls that need a file change nothing.
    player.Play();
    player.Pause();
    player.Stop();
    EXPECT_EQ(player.PlayState(), 6);
    EXPECT_EQ(player.Duration(), 0);

    player.setFileName(sound("wav"));
    EXPECT_EQ(player.FileName(), sound("wav"));
    EXPECT_EQ(player.PlayState(), 2);
    player.Pause();
    player.Pause();
    EXPECT_EQ(player.PlayState(), 1);
    const double pausedAt = player.CurrentPosition();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(player.CurrentPosition(), pausedAt) << "a paused sound does not move on";
    player.Play();
    EXPECT_EQ(player.PlayState(), 2);
    EXPECT_TRUE(eventually(player, [&] { return player.CurrentPosition() > pausedAt; }));

    player.Stop();
    player.Pause();
    EXPECT_EQ(player.PlayState(), 0) << "only a playing sound pauses";
    EXPECT_EQ(player.CurrentPosition(), 0);
    // Play after Stop plays the open file again, from its start, to its end.
    player.Play();
    EXPECT_EQ(player.PlayState(), 2);
    EXPECT_EQ(stateAfterEnd(player), 0);
    EXPECT_EQ(player.CurrentPosition(), 0);
    EXPECT_NEAR(player.Duration(), kSoundSeconds, 0.02) << "the open file keeps its length after its end";
}

class EachFormat : public ::testing::TestWithParam<const char*> {};

TEST_P(EachFormat, PlaysToItsEndWithLengthAndPosition) {
    MediaPlayer player;
    SinkProbe probe = probeOf(player);
    player.setFileName(sound(GetParam()));
    ASSERT_EQ(player.PlayState(), media::kPlaying);
    EXPECT_TRUE(eventually(player, [&] { return std::abs(player.Duration() - kSoundSeconds) < 0.1; })) << player.Duration();
    EXPECT_TRUE(eventually(player, [&] { return player.CurrentPosition() >= kSoundSeconds / 2; }));
    EXPECT_LE(player.CurrentPosition(), player.Duration() + 0.05);
    EXPECT_GT(probe.peak(), 0.01) << "sound, not silence, reaches the sink";
    // The sound's end also reaches the main loop, so that a waiting program wakes for it.
    bool woke = false;
    for (int tries = 0; tries < 400 && !woke; ++tries, std::this_thread::sleep_for(5ms)) woke = g_main_context_iteration(nullptr, FALSE);
    EXPECT_TRUE(woke);
    EXPECT_EQ(stateAfterEnd(player), media::kStopped);
    EXPECT_EQ(player.CurrentPosition(), 0);
}

INSTANTIATE_TEST_SUITE_P(MediaPlayer, EachFormat, ::testing::Values("wav", "mid", "rmi"),
                         [](const auto& info) { return std::string(info.param); });

// The test tone peaks at half of full scale; at the sink it peaks at half of
// the gain the volume stands for. A volume out of range is held to it.
TEST(MediaPlayer, VolumeReachesTheSinkAsGain) {
    MediaPlayer player;
    EXPECT_EQ(player.Volume(), 0);
    SinkProbe probe = probeOf(player);
    const struct { long written, read; double gain; } rows[] = {
        {0, 0, 1.0},           {5, 0, 1.0},         {-600, -600, 0.501187}, {-2100, -2100, 0.089125},
        {-10000, -10000, 0.0}, {-10001, -10000, 0}, {LONG_MIN, -10000, 0},
    };
    for (const auto& row : rows) {
        // Set before the file, as the program does for the second player.
        player.setVolume(row.written);
        EXPECT_EQ(player.Volume(), row.read) << row.written;
        probe.reset();
        player.setFileName(sound("wav"));
        ASSERT_TRUE(eventually(player, [&] { return probe.buffers() >= 3; }));
        EXPECT_NEAR(probe.peak(), 0.5 * row.gain, 5e-4) << row.written;
    }
    // A change while the sound plays takes effect at once.
    player.setVolume(0);
    EXPECT_TRUE(eventually(player, [&] { return probe.latestPeak() > 0.49; }));
    EXPECT_EQ(player.PlayState(), media::kPlaying);
}

TEST(MediaPlayer, UnplayableFilesCloseThePlayer) {
    TempDir dir;
    const auto file = [&](const std::string& name, std::string_view bytes) {
        testing_support::writeFile(dir.file(name), bytes);
        return dir.file(name);
    };
    std::filesystem::create_directory(dir.file("folder.wav"));
    ::mkfifo(dir.file("pipe.wav").c_str(), 0600);
    const std::string bad[] = {
        dir.file("missing.wav"), "", "NIL", dir.file("folder.wav"), dir.file("pipe.wav"), file("empty.wav", ""),
        file("words.mp3", "This is a list of things to buy, not a sound.\r\n"), file("noise.wav", std::string(4096, 'Z')),
        file("cut.wav", testing_support::readFile(sound("wav")).substr(0, 30)),
        file("cut.mid", testing_support::readFile(sound("mid")).substr(0, 20)), sound("wav") + std::string("\0x", 2),
    };
    MediaPlayer player;
    SinkProbe probe = probeOf(player);
    for (const std::string& path : bad) {
        player.setFileName(sound("mid"));
        ASSERT_EQ(player.PlayState(), media::kPlaying);
        player.setFileName(path);
        player.Play();
        EXPECT_EQ(player.PlayState(), media::kClosed) << path;
        EXPECT_EQ(player.Duration(), 0) << path;
        EXPECT_EQ(player.CurrentPosition(), 0) << path;
    }
    // The bad file also ended the sound before it.
    probe.reset();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(probe.buffers(), 0);
}

// A file its reader may not read closes the player (root reads every file,
// so the reader becomes another user). Without a sink named, the desktop's
// plays (or the fake one it falls back to). A missing or failing audio
// device is no fault of the file: the sound stops. Without GStreamer's
// plugins there is no player, yet every member answers.
TEST(MediaPlayer, ReportsTheFileReaderAndDeviceItPlaysWith) {
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const std::string locked = dir.file("locked.wav"), tone = dir.file("tone.wav"), plugins = dir.file("plugins");
    media_testing::writeWav(locked, 0.2);
    media_testing::writeWav(tone, 0.2);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_write);
    std::filesystem::create_directory(plugins);
    const std::string env = "env HOME=" + dir.path().string();
    const std::string otherUser = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const struct { std::string prefix, file, printed; } rows[] = {
        {otherUser + env, locked, "available=1 state=6 volume=-600\n"},
        {"env -u ZPM_AUDIO_SINK HOME=" + dir.path().string(), tone, "available=1 state=2 volume=-600\n"},
        {env + " ZPM_AUDIO_SINK=pulsesink PULSE_SERVER=unix:" + dir.file("no-server"), tone, "available=1 state=0 volume=-600\n"},
        {env + " GST_PLUGIN_SYSTEM_PATH_1_0=" + plugins + " GST_PLUGIN_PATH_1_0=" + plugins + " GST_REGISTRY_1_0=" +
             dir.file("registry.bin"), tone, "available=0 state=6 volume=-600\n"},
    };
    for (const auto& row : rows) EXPECT_EQ(probeElsewhere(row.prefix, row.file), row.printed) << row.prefix;
}
