// Sound files made on the spot for the player's tests and benchmarks.
#pragma once

#include <string>

namespace media_testing {

// 16-bit mono PCM at 44100 Hz: a 441 Hz square wave whose peak is `level` of
// full scale, so the gain applied on the way to the sink can be read off it.
void writeWav(const std::string& path, double seconds, double level = 0.5);

// One piano note of that length as a standard MIDI file, inside a RIFF
// "RMID" file when the name ends in ".rmi".
void writeMidi(const std::string& path, double seconds);

}  // namespace media_testing
