// A look at the pipeline behind a player, for tests and benchmarks that check
// what reaches the audio sink. The program itself never needs it.
#pragma once

#include <gst/gst.h>

#include "media_player.h"

namespace media {

struct MediaPlayerInspection {
    // Both borrowed: valid while the player lives; null when it has none.
    static GstElement* pipeline(const MediaPlayer& player);
    static GstElement* audioSink(const MediaPlayer& player);
};

}  // namespace media
