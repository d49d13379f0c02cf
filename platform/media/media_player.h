// A sound player for one sound at a time: give it a file and it plays it.
// The program holds two of them (the main player and the one for jingles and
// talk-over). Every member is safe to call in any state and never throws; a
// file that cannot be played leaves the player closed.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace media {

// Values of PlayState().
inline constexpr long kStopped = 0;
inline constexpr long kPaused = 1;
inline constexpr long kPlaying = 2;
inline constexpr long kClosed = 6;

// Volume range in hundredths of a decibel.
inline constexpr long kSilence = -10000;
inline constexpr long kFullLevel = 0;

// GStreamer takes a while to start (its plugin registry, the plugins a
// player needs). A program calls this first thing: GStreamer then starts on
// a thread of its own while the windows come up, and the first player made
// waits for it. Without the call the first player starts it.
void initialiseInBackground();

class MediaPlayer {
public:
    MediaPlayer();
    ~MediaPlayer();
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;

    // Hundredths of a decibel, kSilence .. kFullLevel; takes effect at once,
    // also for the next file. A read returns the (clamped) value last written.
    long Volume() const noexcept;
    void setVolume(long hundredthsOfDb) noexcept;

    // Opens the file and starts it before returning (waits a bounded time for
    // the sound to start). A file that cannot be played closes the player.
    const std::string& FileName() const noexcept;
    void setFileName(std::string_view path) noexcept;

    // kPlaying, kPaused, kStopped (also after the sound's end) or kClosed.
    long PlayState() noexcept;
    // Seconds; 0 while the length is unknown or no file is open.
    double Duration() noexcept;
    double CurrentPosition() noexcept;

    void Play() noexcept;   // resumes a paused sound or plays the open file again
    void Pause() noexcept;  // only a playing sound
    void Stop() noexcept;

    // True when the player could be created (sound output available to it).
    bool Available() const noexcept;

private:
    struct Impl;
    friend struct MediaPlayerInspection;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace media
