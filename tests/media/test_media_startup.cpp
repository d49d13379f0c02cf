#include <gtest/gtest.h>

#include "media_player.h"
#include "sound_files.h"
#include "temp_dir.h"

// Its own test program, so that GStreamer has not started before the test.
TEST(MediaStartup, PlayersMadeAfterAStartInTheBackgroundPlay) {
    testing_support::TempDir dir;
    media_testing::writeWav(dir.file("tone.wav"), 0.5);
    media::initialiseInBackground();
    media::initialiseInBackground();  // started once only
    media::MediaPlayer first;
    first.setFileName(dir.file("tone.wav"));
    EXPECT_EQ(first.PlayState(), media::kPlaying);
    media::initialiseInBackground();  // after the start, harmless
    media::MediaPlayer second;
    second.setFileName(dir.file("tone.wav"));
    EXPECT_EQ(second.PlayState(), media::kPlaying);
}
