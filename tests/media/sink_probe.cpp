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
    if (m_pad) m_probe = gst_pad_add_probe(m_pad, GST_PAD_PROBE_TYPE_BUFFER, &SinkProbe::onBuffer, this, nullptr);
}

SinkProbe::~SinkProbe() {
    if (!m_pad) return;
    gst_pad_remove_probe(m_pad, m_probe);
    gst_object_unref(m_pad);
}

void SinkProbe::reset() {
    m_buffers = 0;
    m_peak = 0;
    m_latestPeak = 0;
    m_firstBufferTicks = 0;
}

std::chrono::steady_clock::time_point SinkProbe::firstBuffer() const {
    return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(m_firstBufferTicks.load()));
}

GstPadProbeReturn SinkProbe::onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
    static_cast<SinkProbe*>(self)->take(pad, GST_PAD_PROBE_INFO_BUFFER(info));
    return GST_PAD_PROBE_OK;
}

void SinkProbe::take(GstPad* pad, GstBuffer* buffer) {
    if (m_buffers == 0) m_firstBufferTicks = std::chrono::steady_clock::now().time_since_epoch().count();
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        const double peak = peakOf(formatOf(pad), std::as_bytes(std::span(map.data, map.size)));
        gst_buffer_unmap(buffer, &map);
        m_latestPeak = peak;
        if (peak > m_peak) m_peak = peak;
    }
    ++m_buffers;
}

}  // namespace media_testing
