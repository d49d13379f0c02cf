// Sound files made on the spot for the tests and benchmarks.
#pragma once

#include <gst/gst.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

#include "temp_dir.h"

namespace testing_support {

inline std::string littleEndian(std::uint32_t value, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
    return out;
}

// Every body here has an even size, so no chunk needs a pad byte.
inline std::string riffChunk(std::string_view id, const std::string& body) {
    return std::string(id) + littleEndian(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// 16-bit mono PCM, a square wave of 100 frames a period peaking at `level` of full scale (to read gains off).
inline void writeWav(const std::filesystem::path& to, double seconds, double level = 0.5, std::uint32_t rate = 44100) {
    const auto frames = static_cast<std::uint32_t>(std::lround(seconds * rate));
    const auto amplitude = static_cast<std::int16_t>(std::lround(level * 32767));
    std::string samples(2 * std::size_t{frames}, '\0');
    for (std::uint32_t i = 0; amplitude && i < frames; ++i)
        samples.replace(2 * i, 2, littleEndian(static_cast<std::uint16_t>((i / 50) % 2 ? -amplitude : amplitude), 2));
    // PCM, mono, the rate, bytes per second, bytes per frame, bits per sample.
    const std::string format = littleEndian(1, 2) + littleEndian(1, 2) + littleEndian(rate, 4) +
                               littleEndian(2 * rate, 4) + littleEndian(2, 2) + littleEndian(16, 2);
    writeFile(to, riffChunk("RIFF", "WAVE" + riffChunk("fmt ", format) + riffChunk("data", samples)));
}

inline void writeSilentWav(const std::filesystem::path& file, int milliseconds) {
    writeWav(file, milliseconds / 1000.0, 0, 8000);
}

// One piano note of that length (a quarter at the tempo); in a RIFF "RMID" file when the name ends in ".rmi".
inline void writeMidi(const std::string& file, double seconds) {
    using namespace std::string_literals;
    const auto tempo = static_cast<std::uint32_t>(std::lround(seconds * 1e6));
    const std::string tempoBytes = {char(tempo >> 16), char(tempo >> 8), char(tempo)};
    const std::string midi = "MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x16\0\xFF\x51\3"s + tempoBytes +
                             "\0\xC0\0\0\x90\x3C\x64\x60\x80\x3C\0\0\xFF\x2F\0"s;
    writeFile(file, file.ends_with(".rmi") ? riffChunk("RIFF", "RMID" + riffChunk("data", midi)) : midi);
}

// MPEG layer III of a 440 Hz tone with an ID3v2 tag naming `title`, encoded by GStreamer's own elements.
// Throws when the encoder or the tagger is missing or the file cannot be written.
inline void writeMp3(const std::filesystem::path& to, double seconds, const std::string& title) {
    gst_init(nullptr, nullptr);
    const auto unref = [](gpointer object) { gst_object_unref(object); };
    using Owned = std::unique_ptr<GstElement, decltype(unref)>;
    const std::string description = "audiotestsrc num-buffers=" + std::to_string(std::lround(seconds * 100)) +
                                    " samplesperbuffer=441 ! audio/x-raw,rate=44100,channels=1 ! lamemp3enc"
                                    " ! id3v2mux name=tagger ! filesink name=file";
    GError* error = nullptr;
    GstElement* made = gst_parse_launch(description.c_str(), &error);
    const Owned pipeline(made ? GST_ELEMENT(gst_object_ref_sink(made)) : nullptr, unref);
    if (error) {
        const std::string why = error->message;
        g_error_free(error);
        throw std::runtime_error("cannot encode MP3: " + why);
    }
    const Owned tagger(gst_bin_get_by_name(GST_BIN(pipeline.get()), "tagger"), unref);
    const Owned file(gst_bin_get_by_name(GST_BIN(pipeline.get()), "file"), unref);
    gst_tag_setter_add_tags(GST_TAG_SETTER(tagger.get()), GST_TAG_MERGE_REPLACE, GST_TAG_TITLE, title.c_str(), nullptr);
    g_object_set(file.get(), "location", to.c_str(), nullptr);
    gst_element_set_state(pipeline.get(), GST_STATE_PLAYING);
    const std::unique_ptr<GstBus, decltype(unref)> bus(gst_element_get_bus(pipeline.get()), unref);
    // The bound only keeps a broken encoder from hanging the test.
    GstMessage* end = gst_bus_timed_pop_filtered(bus.get(), 30 * GST_SECOND,
                                                 GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool written = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end) gst_message_unref(end);
    gst_element_set_state(pipeline.get(), GST_STATE_NULL);
    if (!written) throw std::runtime_error("cannot encode MP3 to " + to.string());
}

}  // namespace testing_support
