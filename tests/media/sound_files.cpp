#include "sound_files.h"

#include <gst/gst.h>

#include <cmath>
#include <cstdint>
#include <memory>

#include "temp_dir.h"

namespace media_testing {

namespace {

constexpr std::uint32_t kRate = 44100;
constexpr int kSquarePeriod = 100;  // samples: 441 Hz

void putLittle(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putBig(std::string& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void putVariableLength(std::string& out, std::uint32_t value) {
    std::string bytes(1, static_cast<char>(value & 0x7F));
    while (value >>= 7) bytes.insert(bytes.begin(), static_cast<char>((value & 0x7F) | 0x80));
    out += bytes;
}

std::string riffChunk(std::string_view id, const std::string& body) {
    std::string chunk(id);
    putLittle(chunk, static_cast<std::uint32_t>(body.size()), 4);
    chunk += body;
    if (body.size() % 2) chunk.push_back('\0');
    return chunk;
}

}  // namespace

void writeWav(const std::string& path, double seconds, double level) {
    const auto frames = static_cast<std::uint32_t>(std::lround(seconds * kRate));
    const auto amplitude = static_cast<std::int16_t>(std::lround(level * 32767));
    std::string format;
    putLittle(format, 1, 2);          // PCM
    putLittle(format, 1, 2);          // mono
    putLittle(format, kRate, 4);
    putLittle(format, kRate * 2, 4);  // bytes per second
    putLittle(format, 2, 2);          // bytes per frame
    putLittle(format, 16, 2);
    std::string samples;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const std::int16_t value = (i / (kSquarePeriod / 2)) % 2 ? -amplitude : amplitude;
        putLittle(samples, static_cast<std::uint16_t>(value), 2);
    }
    testing_support::writeFile(path, riffChunk("RIFF", "WAVE" + riffChunk("fmt ", format) + riffChunk("data", samples)));
}

std::string midiBytes(double seconds) {
    constexpr std::uint32_t kTicksPerQuarter = 96;
    constexpr std::uint32_t kMicrosecondsPerQuarter = 500000;
    const auto ticks = static_cast<std::uint32_t>(std::lround(seconds * 1e6 / kMicrosecondsPerQuarter * kTicksPerQuarter));
    std::string track;
    putVariableLength(track, 0);
    track += "\xFF\x51\x03";
    putBig(track, kMicrosecondsPerQuarter, 3);
    putVariableLength(track, 0);
    track += std::string("\xC0\x00", 2);       // piano
    putVariableLength(track, 0);
    track += "\x90\x3C\x64";                   // middle C on
    putVariableLength(track, ticks);
    track += std::string("\x80\x3C\x00", 3);   // and off
    putVariableLength(track, 0);
    track += std::string("\xFF\x2F\x00", 3);   // end of track
    std::string file = "MThd";
    putBig(file, 6, 4);
    putBig(file, 0, 2);
    putBig(file, 1, 2);
    putBig(file, kTicksPerQuarter, 2);
    file += "MTrk";
    putBig(file, static_cast<std::uint32_t>(track.size()), 4);
    return file + track;
}

void writeMidi(const std::string& path, double seconds) { testing_support::writeFile(path, midiBytes(seconds)); }

void writeRmi(const std::string& path, double seconds) {
    testing_support::writeFile(path, riffChunk("RIFF", "RMID" + riffChunk("data", midiBytes(seconds))));
}

bool encodeMp3(const std::string& wavPath, const std::string& mp3Path) {
    if (!gst_init_check(nullptr, nullptr, nullptr)) return false;
    GstElement* pipeline = gst_parse_launch(
        "filesrc name=in ! wavparse ! audioconvert ! lamemp3enc target=bitrate bitrate=128 cbr=true ! filesink name=out",
        nullptr);
    if (!pipeline) return false;
    const std::unique_ptr<GstElement, void (*)(GstElement*)> owner(pipeline, [](GstElement* p) {
        gst_element_set_state(p, GST_STATE_NULL);
        gst_object_unref(p);
    });
    for (const auto& [name, path] : {std::pair{"in", &wavPath}, std::pair{"out", &mp3Path}}) {
        GstElement* element = gst_bin_get_by_name(GST_BIN(pipeline), name);
        g_object_set(element, "location", path->c_str(), nullptr);
        gst_object_unref(element);
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, 30 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool done = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message) gst_message_unref(message);
    gst_object_unref(bus);
    return done;
}

void writePrefix(const std::string& from, const std::string& to, std::size_t bytes) {
    std::string content = testing_support::readFile(from);
    content.resize(std::min(bytes, content.size()));
    testing_support::writeFile(to, content);
}

}  // namespace media_testing
