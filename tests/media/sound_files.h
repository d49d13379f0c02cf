// Sound files made on the spot for the player's tests and benchmarks.
#pragma once

#include <string>

namespace media_testing {

// 16-bit mono PCM at 44100 Hz: a square wave whose peak is `level` of full
// scale, so the gain applied on the way to the sink can be read off it.
void writeWav(const std::string& path, double seconds, double level = 0.5);

// A type 0 standard MIDI file holding one piano note of that length.
std::string midiBytes(double seconds);
void writeMidi(const std::string& path, double seconds);

// The same music inside a RIFF "RMID" file.
void writeRmi(const std::string& path, double seconds);

// Encodes a WAV file as constant-bit-rate MP3 through GStreamer's LAME
// encoder. False when the encoder is missing or fails.
bool encodeMp3(const std::string& wavPath, const std::string& mp3Path);

// The first `bytes` bytes of a file, as a truncated copy.
void writePrefix(const std::string& from, const std::string& to, std::size_t bytes);

}  // namespace media_testing
