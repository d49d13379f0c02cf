// A look behind a player, for tests and benchmarks that check what reaches
// its audio sink. The program itself never needs it.
#pragma once

#include <gst/gst.h>

#include "media_player.h"

namespace media {

struct MediaPlayerInspection {
    // Borrowed: valid while the player lives; null when it has none.
    static GstElement* audioSink(const MediaPlayer& player);
};

}  // namespace media
