#include "media_player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "media_player_inspection.h"
#include "sink_probe.h"
#include "sound_files.h"
#include "temp_dir.h"

using media::MediaPlayer;
using media_testing::SinkProbe;
using testing_support::TempDir;
using testing_support::writeFile;
using namespace std::chrono_literals;

namespace {

constexpr double kSoundSeconds = 0.8;

// Sounds shared by all tests, made once.
struct Sounds {
    TempDir dir;
    std::string wav = dir.file("tone.wav");
    std::string mp3 = dir.file("tone.mp3");
    std::string mid = dir.file("note.mid");
    std::string rmi = dir.file("note.rmi");
    bool haveMp3 = false;

    Sounds() {
        media_testing::writeWav(wav, kSoundSeconds);
        media_testing::writeMidi(mid, kSoundSeconds);
        media_testing::writeRmi(rmi, kSoundSeconds);
        haveMp3 = media_testing::encodeMp3(wav, mp3);
    }
};

const Sounds& sounds() {
    static const Sounds made;
    return made;
}

// Reads the player until the condition holds; every read takes in what the
// player reported. The bound only keeps a broken player from hanging the run.
bool eventually(MediaPlayer& player, const std::function<bool()>& condition) {
    for (int reads = 0; reads < 3000; ++reads) {
        player.PlayState();
        if (condition()) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

long stateAfterEnd(MediaPlayer& player) {
    eventually(player, [&] { return player.PlayState() != media::kPlaying; });
    return player.PlayState();
}

SinkProbe probeOf(const MediaPlayer& player) { return SinkProbe(media::MediaPlayerInspection::audioSink(player)); }

}  // namespace

TEST(MediaPlayer, FollowsPausePlayAndStop) {
    MediaPlayer player;
    ASSERT_TRUE(player.Available());
    // Nothing open: closed, and the calls that need a file change nothing.
    EXPECT_EQ(player.PlayState(), media::kClosed);
    player.Play();
    player.Pause();
    player.Stop();
    EXPECT_EQ(player.PlayState(), media::kClosed);
    EXPECT_EQ(player.Duration(), 0);
    EXPECT_EQ(player.CurrentPosition(), 0);

    player.setFileName(sounds().wav);
    EXPECT_EQ(player.FileName(), sounds().wav);
    EXPECT_EQ(player.PlayState(), media::kPlaying);

    player.Pause();
    EXPECT_EQ(player.PlayState(), media::kPaused);
    const double pausedAt = player.CurrentPosition();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(player.CurrentPosition(), pausedAt) << "a paused sound does not move on";
    player.Pause();
    EXPECT_EQ(player.PlayState(), media::kPaused);

    player.Play();
    EXPECT_EQ(player.PlayState(), media::kPlaying);
    EXPECT_TRUE(eventually(player, [&] { return player.CurrentPosition() > pausedAt; }));

    player.Stop();
    EXPECT_EQ(player.PlayState(), media::kStopped);
    EXPECT_EQ(player.CurrentPosition(), 0);
    player.Pause();
    EXPECT_EQ(player.PlayState(), media::kStopped) << "only a playing sound pauses";

    // Play after Stop plays the open file again, from its start, to its end.
    player.Play();
    EXPECT_EQ(player.PlayState(), media::kPlaying);
    EXPECT_EQ(stateAfterEnd(player), media::kStopped);
    EXPECT_EQ(player.CurrentPosition(), 0);
    EXPECT_NEAR(player.Duration(), kSoundSeconds, 0.02) << "the open file keeps its length after its end";
}

class EachFormat : public ::testing::TestWithParam<const char*> {
protected:
    static std::string soundFor(std::string_view extension) {
        if (extension == "wav") return sounds().wav;
        if (extension == "mp3") return sounds().haveMp3 ? sounds().mp3 : std::string();
        if (extension == "mid") return sounds().mid;
        return sounds().rmi;
    }
};

TEST_P(EachFormat, PlaysToItsEndWithLengthAndPosition) {
    const std::string path = soundFor(GetParam());
    if (path.empty()) GTEST_SKIP() << "no MP3 encoder installed";
    MediaPlayer player;
    SinkProbe probe = probeOf(player);

    player.setFileName(path);
    ASSERT_EQ(player.PlayState(), media::kPlaying);
    EXPECT_TRUE(eventually(player, [&] { return probe.buffers() > 0; })) << "sound reaches the sink";
    // Some formats know their length only after the first frames.
    EXPECT_TRUE(eventually(player, [&] { return std::abs(player.Duration() - kSoundSeconds) < 0.1; }))
        << player.Duration();
    EXPECT_TRUE(eventually(player, [&] { return player.CurrentPosition() >= kSoundSeconds / 2; }));
    EXPECT_LE(player.CurrentPosition(), player.Duration() + 0.05);
    EXPECT_GT(probe.peak(), 0.01) << "not silence";

    EXPECT_EQ(stateAfterEnd(player), media::kStopped);
    EXPECT_EQ(player.CurrentPosition(), 0);
}

INSTANTIATE_TEST_SUITE_P(MediaPlayer, EachFormat, ::testing::Values("wav", "mp3", "mid", "rmi"),
                         [](const auto& info) { return std::string(info.param); });

TEST(MediaPlayer, VolumeReadsBackWhatWasWrittenWithinItsRange) {
    MediaPlayer player;
    EXPECT_EQ(player.Volume(), 0);
    const std::pair<long, long> writtenAndRead[] = {{-600, -600},     {-601, -601}, {-2100, -2100},  {-10000, -10000},
                                                    {0, 0},           {5, 0},       {-10001, -10000}, {LONG_MIN, -10000},
                                                    {LONG_MAX, 0}};
    for (const auto& [written, read] : writtenAndRead) {
        player.setVolume(written);
        EXPECT_EQ(player.Volume(), read) << written;
    }
}

// The test tone peaks at half of full scale; at the sink it peaks at half of
// the gain the volume stands for.
TEST(MediaPlayer, VolumeReachesTheSinkAsGain) {
    MediaPlayer player;
    SinkProbe probe = probeOf(player);
    const std::pair<long, double> volumeAndGain[] = {{0, 1.0}, {-600, 0.501187}, {-2100, 0.089125}, {-10000, 0.00001}};
    for (const auto& [volume, gain] : volumeAndGain) {
        SCOPED_TRACE(volume);
        // Set before the file, as the program does for the second player.
        player.setVolume(volume);
        probe.reset();
        player.setFileName(sounds().wav);
        ASSERT_TRUE(eventually(player, [&] { return probe.buffers() >= 3; }));
        EXPECT_NEAR(probe.peak(), 0.5 * gain, 5e-4);
        player.Stop();
    }

    // A change while the sound plays takes effect at once.
    player.setVolume(0);
    player.setFileName(sounds().wav);
    ASSERT_TRUE(eventually(player, [&] { return probe.latestPeak() > 0.49; }));
    player.setVolume(-10000);
    EXPECT_TRUE(eventually(player, [&] { return probe.latestPeak() < 1e-4; }));
    EXPECT_EQ(player.PlayState(), media::kPlaying);
}

TEST(MediaPlayer, BadFilesCloseThePlayer) {
    TempDir dir;
    const auto file = [&](const std::string& name, std::string_view bytes) {
        writeFile(dir.file(name), bytes);
        return dir.file(name);
    };
    const std::string truncatedWav = dir.file("cut.wav");
    media_testing::writePrefix(sounds().wav, truncatedWav, 30);
    const std::string truncatedMid = dir.file("cut.mid");
    media_testing::writePrefix(sounds().mid, truncatedMid, 20);
    std::filesystem::create_directory(dir.file("folder.wav"));
    ::mkfifo(dir.file("pipe.wav").c_str(), 0600);

    const std::vector<std::string> bad = {
        dir.file("missing.wav"), "", "NIL", dir.file("folder.wav"), dir.file("pipe.wav"), file("empty.wav", ""),
        file("words.mp3", "This is a list of things to buy, not a sound.\r\n"),
        file("noise.wav", std::string(4096, '\x5a')), truncatedWav, truncatedMid,
        dir.file("folder.wav") + std::string("\0x", 2),
    };
    MediaPlayer player;
    SinkProbe probe = probeOf(player);
    for (const std::string& path : bad) {
        player.setFileName(sounds().wav);
        ASSERT_EQ(player.PlayState(), media::kPlaying);
        player.setFileName(path);
        EXPECT_EQ(player.PlayState(), media::kClosed) << path;
        EXPECT_EQ(player.Duration(), 0) << path;
        EXPECT_EQ(player.CurrentPosition(), 0) << path;
        player.Play();
        EXPECT_EQ(player.PlayState(), media::kClosed) << "nothing to play: " << path;
    }
    // The bad file also ended the sound before it.
    probe.reset();
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(probe.buffers(), 0);

    player.setFileName(sounds().wav);
    EXPECT_EQ(player.PlayState(), media::kPlaying) << "a good file plays again";
}

TEST(MediaPlayer, TwoPlayersPlayAtOnce) {
    MediaPlayer main;
    MediaPlayer second;
    SinkProbe mainProbe = probeOf(main);
    SinkProbe secondProbe = probeOf(second);
    main.setVolume(-600);
    second.setVolume(0);
    main.setFileName(sounds().wav);
    second.setFileName(sounds().mid);
    EXPECT_EQ(main.PlayState(), media::kPlaying);
    EXPECT_EQ(second.PlayState(), media::kPlaying);
    EXPECT_TRUE(eventually(main, [&] { return mainProbe.buffers() > 2 && secondProbe.buffers() > 2; }));
    EXPECT_EQ(main.PlayState(), media::kPlaying);
    EXPECT_EQ(second.PlayState(), media::kPlaying);

    second.Stop();
    EXPECT_EQ(second.PlayState(), media::kStopped);
    EXPECT_EQ(main.PlayState(), media::kPlaying) << "stopping one leaves the other";
    EXPECT_EQ(stateAfterEnd(main), media::kStopped);
}

namespace {

// Runs the state probe program on one file and returns what it printed.
std::string probeInChild(const std::string& path, const std::vector<std::string>& environment, bool asNobody) {
    int out[2];
    if (::pipe(out) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::close(out[0]);
        if (asNobody && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
        std::vector<std::string> env = environment;
        for (char** e = environ; *e; ++e) env.emplace_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env) envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string program = ZPM_MEDIA_STATE_PROBE;
        std::string argument = path;
        char* argv[] = {program.data(), argument.data(), nullptr};
        ::execve(program.c_str(), argv, envp.data());
        ::_exit(4);
    }
    ::close(out[1]);
    std::string printed;
    char buffer[256];
    for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) printed.append(buffer, static_cast<std::size_t>(n));
    ::close(out[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return printed;
}

}  // namespace

// Root reads every file, so the reader becomes another user for this one.
TEST(MediaPlayer, UnreadableFileClosesThePlayer) {
    TempDir dir;
    std::filesystem::permissions(dir.path(), std::filesystem::perms::all);
    const std::string locked = dir.file("locked.wav");
    media_testing::writeWav(locked, 0.2);
    std::filesystem::permissions(locked, std::filesystem::perms::owner_write);
    const bool root = ::geteuid() == 0;
    const std::vector<std::string> env = {"HOME=" + dir.path().string()};
    EXPECT_EQ(probeInChild(locked, env, root), "available=1 state=6 volume=-600\n");
}

// A missing or failing audio device is no fault of the file: the sound stops
// instead of being marked unplayable.
TEST(MediaPlayer, LostAudioDeviceIsNotABadFile) {
    TempDir dir;
    const std::string tone = dir.file("tone.wav");
    media_testing::writeWav(tone, 0.2);
    const std::vector<std::string> env = {"ZPM_AUDIO_SINK=pulsesink", "PULSE_SERVER=unix:" + dir.file("no-server"),
                                          "HOME=" + dir.path().string()};
    EXPECT_EQ(probeInChild(tone, env, false), "available=1 state=0 volume=-600\n");
}

// Without the player elements nothing can be created; every member still
// answers, and the volume keeps what was written.
TEST(MediaPlayer, WithoutGStreamerPluginsThePlayerIsUnavailable) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("plugins"));
    const std::vector<std::string> env = {"GST_PLUGIN_SYSTEM_PATH_1_0=" + dir.file("plugins"),
                                          "GST_PLUGIN_PATH_1_0=" + dir.file("plugins"),
                                          "GST_REGISTRY_1_0=" + dir.file("registry.bin")};
    EXPECT_EQ(probeInChild(sounds().wav, env, false), "available=0 state=6 volume=-600\n");
}
