#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <thread>

#include "media_player.h"
#include "media_player_inspection.h"
#include "sink_probe.h"
#include "sound_files.h"

using media::MediaPlayer;
using namespace testing_support;
using namespace std::chrono_literals;

namespace {

constexpr double kSoundSeconds = 0.8;

// One sound of each kind, made once.
std::string sound(const std::string& extension) {
    static const TempDir made;
    const std::string file = made.file("sound." + extension);
    if (std::filesystem::exists(file)) return file;
    if (extension == "wav") writeWav(file, kSoundSeconds);
    else if (extension == "mp3") writeMp3(file, kSoundSeconds, "A title of its own");
    else writeMidi(file, kSoundSeconds);
    return file;
}

// Reads the player (which takes in its reports) until the condition holds; the bound only stops a hang.
bool eventually(MediaPlayer& player, const std::function<bool()>& condition) {
    for (int reads = 0; reads < 3000; ++reads, std::this_thread::sleep_for(5ms))
        if (player.PlayState(), condition()) return true;
    return false;
}

struct Probed : MediaPlayer {
    media_testing::SinkProbe probe{media::MediaPlayerInspection::audioSink(*this)};
};

}  // namespace

// First, so that GStreamer has not started before it in a run of the whole program.
TEST(MediaPlayer, PlayersMadeAfterAStartInTheBackgroundPlay) {
    media::initialiseInBackground();
    media::initialiseInBackground();  // started once only
    for (int made = 0; made < 2; ++made, media::initialiseInBackground()) {  // after the start, harmless
        MediaPlayer player;
        player.setFileName(sound("wav"));
        EXPECT_EQ(player.PlayState(), media::kPlaying);
    }
}

// States: 2 playing, 1 paused, 0 stopped (also after the end), 6 closed.
TEST(MediaPlayer, FollowsPausePlayAndStop) {
    MediaPlayer player;
    ASSERT_TRUE(player.Available());
    player.Play(), player.Pause(), player.Stop();
    EXPECT_EQ(std::pair(player.PlayState(), player.Duration()), std::pair(6L, 0.0)) << "nothing open";
    player.setFileName(sound("wav"));
    EXPECT_EQ(player.PlayState(), 2);
    player.Pause(), player.Pause();
    EXPECT_EQ(player.PlayState(), 1);
    const double pausedAt = player.CurrentPosition();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(player.CurrentPosition(), pausedAt) << "a paused sound does not move on";
    player.Play();
    EXPECT_EQ(player.PlayState(), 2);
    EXPECT_TRUE(eventually(player, [&] { return player.CurrentPosition() > pausedAt; }));
    player.Stop(), player.Pause();
    EXPECT_EQ(std::pair(player.PlayState(), player.CurrentPosition()), std::pair(0L, 0.0)) << "only playing pauses";
    player.Play();  // the open file again
    EXPECT_EQ(player.PlayState(), 2);
}

class EachFormat : public ::testing::TestWithParam<const char*> {};

TEST_P(EachFormat, PlaysToItsEndWithLengthAndPosition) {
    Probed player;
    player.setFileName(sound(GetParam()));
    ASSERT_EQ(player.PlayState(), media::kPlaying);
    EXPECT_TRUE(eventually(player, [&] { return player.CurrentPosition() >= kSoundSeconds / 2; }));
    EXPECT_LE(player.CurrentPosition(), player.Duration() + 0.05);
    EXPECT_GT(player.probe.peak(), 0.01) << "sound, not silence, reaches the sink";
    // The end also reaches the main loop, so that a waiting program wakes for it.
    bool woke = false;
    for (int tries = 0; tries < 400 && !woke; ++tries, std::this_thread::sleep_for(5ms))
        woke = g_main_context_iteration(nullptr, FALSE);
    EXPECT_TRUE(woke);
    EXPECT_TRUE(eventually(player, [&] { return player.PlayState() == media::kStopped; }));
    EXPECT_EQ(player.CurrentPosition(), 0);
    EXPECT_NEAR(player.Duration(), kSoundSeconds, 0.1) << "the open file keeps its length after its end";
}

INSTANTIATE_TEST_SUITE_P(MediaPlayer, EachFormat, ::testing::Values("wav", "mid", "rmi", "mp3"),
                         [](const auto& info) { return std::string(info.param); });

// The tone peaks at half of full scale; a volume out of range is held to it.
TEST(MediaPlayer, VolumeReachesTheSinkAsGain) {
    Probed player;
    EXPECT_EQ(player.Volume(), 0) << "full by default";
    const struct { long written, read; double gain; } rows[] = {
        {5, 0, 1.0}, {-600, -600, 0.501187}, {-2100, -2100, 0.089125}, {-10000, -10000, 0}, {LONG_MIN, -10000, 0},
    };
    for (const auto& row : rows) {
        player.Stop();  // the last row's sound must not reach the probe after its reset
        player.setVolume(row.written);  // before the file, as the program does for the second player
        EXPECT_EQ(player.Volume(), row.read) << row.written;
        player.probe.reset();
        player.setFileName(sound("wav"));
        ASSERT_TRUE(eventually(player, [&] { return player.probe.buffers() >= 3; }));
        EXPECT_NEAR(player.probe.peak(), 0.5 * row.gain, 5e-4) << row.written;
    }
    player.probe.reset(), player.setVolume(0);  // while the sound plays: at once
    EXPECT_TRUE(eventually(player, [&] { return player.probe.peak() > 0.49; }));
    EXPECT_EQ(player.PlayState(), media::kPlaying);
    // A level set before the player made its pipeline is the one its first file plays at.
    MediaPlayer fresh;
    fresh.setVolume(-2100);
    fresh.setFileName(sound("wav"));
    const media_testing::SinkProbe probe(media::MediaPlayerInspection::audioSink(fresh));
    ASSERT_TRUE(eventually(fresh, [&] { return probe.buffers() >= 3; }));
    EXPECT_NEAR(probe.peak(), 0.5 * 0.089125, 5e-4);
}

TEST(MediaPlayer, UnplayableFilesCloseThePlayer) {
    TempDir dir;
    const auto file = [&](const std::string& name, const std::string& bytes) {
        writeFile(dir.file(name), bytes);
        return dir.file(name);
    };
    ::mkfifo(dir.file("pipe.wav").c_str(), 0600);  // would hold a reader until a writer comes
    Probed player;
    for (const std::string& path :
         {dir.file("missing.wav"), dir.file("pipe.wav"), file("empty.wav", ""),
          file("words.mp3", "Things to buy, not a sound.\r\n"), file("cut.wav", readFile(sound("wav")).substr(0, 30)),
          file("cut.mid", readFile(sound("mid")).substr(0, 20)), sound("wav") + std::string("\0x", 2)}) {
        player.setFileName(sound("mid"));
        ASSERT_EQ(player.PlayState(), media::kPlaying);
        ASSERT_TRUE(eventually(player, [&] { return player.Duration() > 0; }));  // the old length is not kept
        player.setFileName(path);
        player.Play();
        EXPECT_EQ(std::tuple(player.PlayState(), player.Duration(), player.CurrentPosition()), std::tuple(6L, 0., 0.))
            << path;
    }
    player.probe.reset();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(player.probe.buffers(), 0) << "the bad file also ended the sound before it";
}

// Rows: a file the reader (not root) may not read, the desktop's sink, a missing device (the sound stops, the
// file is fine), no GStreamer plugins (no player, yet every member answers).
TEST(MediaPlayer, ReportsTheFileReaderAndDeviceItPlaysWith) {
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const std::string locked = dir.file("locked.wav"), tone = dir.file("tone.wav"), plugins = dir.file("plugins");
    writeWav(locked, 0.2), writeWav(tone, 0.2);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_write);
    // Sound servers keep their runtime folder in TMPDIR unless told another.
    const std::string home = " HOME=" + dir.path().string() + " XDG_RUNTIME_DIR=" + dir.path().string();
    const std::string env = "env" + home;
    const std::string otherUser = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const struct { std::string prefix, file, printed; } rows[] = {
        {otherUser + env, locked, "available=1 state=6 volume=-600\n"},
        {"env -u ZPM_AUDIO_SINK" + home, tone, "available=1 state=2 volume=-600\n"},
        {env + " ZPM_AUDIO_SINK=pulsesink PULSE_SERVER=unix:/none", tone, "available=1 state=0 volume=-600\n"},
        {env + " GST_PLUGIN_SYSTEM_PATH_1_0=" + plugins + " GST_PLUGIN_PATH_1_0=" + plugins + " GST_REGISTRY_1_0=" +
             dir.file("registry.bin"), tone, "available=0 state=6 volume=-600\n"},
    };
    for (const auto& row : rows) {  // what the probe program prints behind the prefix
        const std::string command = row.prefix + " " ZPM_MEDIA_STATE_PROBE " '" + row.file + "'";
        const std::unique_ptr<FILE, int (*)(FILE*)> out(::popen(command.c_str(), "r"), ::pclose);
        char line[256] = "";
        EXPECT_EQ(out && std::fgets(line, sizeof line, out.get()) ? line : "", row.printed) << row.prefix;
    }
}
