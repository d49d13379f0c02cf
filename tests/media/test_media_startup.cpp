#include <gtest/gtest.h>

#include "media_player.h"
#include "sound_files.h"
#include "temp_dir.h"

namespace {

// Its own test program, so that GStreamer has not started before the test.
TEST(MediaStartup, PlayersMadeAfterAStartInTheBackgroundPlay) {
    testing_support::TempDir dir;
    const std::string wav = dir.file("tone.wav");
    media_testing::writeWav(wav, 0.5);

    media::initialiseInBackground();
    media::initialiseInBackground();  // started once only
    media::MediaPlayer first;
    ASSERT_TRUE(first.Available());
    first.setFileName(wav);
    EXPECT_EQ(first.PlayState(), media::kPlaying);
    media::initialiseInBackground();  // after the start, harmless
    media::MediaPlayer second;
    second.setFileName(wav);
    EXPECT_EQ(second.PlayState(), media::kPlaying);
}

}  // namespace
