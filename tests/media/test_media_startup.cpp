#include <gtest/gtest.h>

#include "media_player.h"
#include "sound_files.h"

// Its own test program, so that GStreamer has not started before the test.
TEST(MediaStartup, PlayersMadeAfterAStartInTheBackgroundPlay) {
    testing_support::TempDir dir;
    testing_support::writeWav(dir.file("tone.wav"), 0.5);
    media::initialiseInBackground();
    media::initialiseInBackground();  // started once only
    for (int made = 0; made < 2; ++made, media::initialiseInBackground()) {  // after the start, harmless
        media::MediaPlayer player;
        player.setFileName(dir.file("tone.wav"));
        EXPECT_EQ(player.PlayState(), media::kPlaying);
    }
}
