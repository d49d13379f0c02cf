#include "sound_files.h"

#include <cmath>
#include <cstdint>

#include "temp_dir.h"

namespace media_testing {

namespace {

using namespace std::string_literals;

constexpr std::uint32_t kRate = 44100;

std::string little(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return out;
}

// Every body here has an even size, so no chunk needs a pad byte.
std::string riffChunk(std::string_view id, const std::string& body) {
    return std::string(id) + little(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// Type 0, 96 ticks per quarter note; one track: the tempo that makes a
// quarter last `seconds`, a piano, middle C on, a quarter later off, the end.
std::string midiBytes(double seconds) {
    const auto tempo = static_cast<std::uint32_t>(std::lround(seconds * 1e6));  // microseconds per quarter
    const std::string tempoBytes = {static_cast<char>(tempo >> 16), static_cast<char>(tempo >> 8), static_cast<char>(tempo)};
    return "MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x16\0\xFF\x51\3"s + tempoBytes +
           "\0\xC0\0\0\x90\x3C\x64\x60\x80\x3C\0\0\xFF\x2F\0"s;
}

}  // namespace

void writeWav(const std::string& path, double seconds, double level) {
    const auto frames = static_cast<std::uint32_t>(std::lround(seconds * kRate));
    const auto amplitude = static_cast<std::int16_t>(std::lround(level * 32767));
    std::string samples;
    for (std::uint32_t i = 0; i < frames; ++i)
        samples += little(static_cast<std::uint16_t>((i / 50) % 2 ? -amplitude : amplitude), 2);
    // PCM, mono, the rate, bytes per second, bytes per frame, bits per sample.
    const std::string format = little(1, 2) + little(1, 2) + little(kRate, 4) + little(2 * kRate, 4) + little(2, 2) + little(16, 2);
    testing_support::writeFile(path, riffChunk("RIFF", "WAVE" + riffChunk("fmt ", format) + riffChunk("data", samples)));
}

void writeMidi(const std::string& path, double seconds) {
    const std::string midi = midiBytes(seconds);
    testing_support::writeFile(path, path.ends_with(".rmi") ? riffChunk("RIFF", "RMID" + riffChunk("data", midi)) : midi);
}

}  // namespace media_testing
