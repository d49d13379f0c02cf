#include "sink_probe.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

namespace media_testing {

namespace {

// The largest magnitude of the interleaved samples, for the two formats the
// test sounds reach the sink in.
double peakOf(std::string_view format, std::span<const std::byte> data) {
    double peak = 0;
    if (format == "S16LE") {
        for (std::size_t i = 0; i + 2 <= data.size(); i += 2) {
            std::int16_t sample;
            std::memcpy(&sample, data.data() + i, 2);
            peak = std::max(peak, std::abs(static_cast<double>(sample)) / 32768.0);
        }
    } else if (format == "F32LE") {
        for (std::size_t i = 0; i + 4 <= data.size(); i += 4) {
            float sample;
            std::memcpy(&sample, data.data() + i, 4);
            peak = std::max(peak, std::abs(static_cast<double>(sample)));
        }
    }
    return peak;
}

std::string formatOf(GstPad* pad) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) return {};
    const char* format = gst_structure_get_string(gst_caps_get_structure(caps, 0), "format");
    std::string result = format ? format : "";
    gst_caps_unref(caps);
    return result;
}

}  // namespace

SinkProbe::SinkProbe(GstElement* sink) : m_pad(gst_element_get_static_pad(sink, "sink")) {
    if (!m_pad) return;
    auto keep = std::make_unique<std::shared_ptr<Seen>>(m_seen);
    const auto release = [](gpointer data) { std::unique_ptr<std::shared_ptr<Seen>>(static_cast<std::shared_ptr<Seen>*>(data)); };
    m_probe = gst_pad_add_probe(m_pad, GST_PAD_PROBE_TYPE_BUFFER, &SinkProbe::onBuffer, keep.release(), release);
}

SinkProbe::~SinkProbe() {
    if (!m_pad) return;
    gst_pad_remove_probe(m_pad, m_probe);
    gst_object_unref(m_pad);
}

void SinkProbe::reset() {
    m_seen->buffers = 0;
    m_seen->peak = 0;
    m_seen->latestPeak = 0;
    m_seen->firstBufferTicks = 0;
}

std::chrono::steady_clock::time_point SinkProbe::firstBuffer() const {
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(m_seen->firstBufferTicks.load()));
}

GstPadProbeReturn SinkProbe::onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer seen) {
    (*static_cast<std::shared_ptr<Seen>*>(seen))->take(pad, GST_PAD_PROBE_INFO_BUFFER(info));
    return GST_PAD_PROBE_OK;
}

void SinkProbe::Seen::take(GstPad* pad, GstBuffer* buffer) {
    if (buffers == 0) firstBufferTicks = std::chrono::steady_clock::now().time_since_epoch().count();
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        const double bufferPeak = peakOf(formatOf(pad), std::as_bytes(std::span(map.data, map.size)));
        gst_buffer_unmap(buffer, &map);
        latestPeak = bufferPeak;
        if (bufferPeak > peak) peak = bufferPeak;
    }
    ++buffers;
}

}  // namespace media_testing
