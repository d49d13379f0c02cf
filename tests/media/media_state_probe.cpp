// Opens one file in a fresh player and prints what the player says, so that
// tests can check it under another user or another environment.
#include <cstdio>

#include "media_player.h"

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    media::MediaPlayer player;
    player.setVolume(-600);
    player.setFileName(argv[1]);
    std::printf("available=%d state=%ld volume=%ld\n", player.Available() ? 1 : 0, player.PlayState(), player.Volume());
    return 0;
}
