#include "sink_probe.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <string_view>

namespace media_testing {

namespace {

template <typename Sample>
double peakOf(std::span<const std::uint8_t> data, double fullScale) {
    double peak = 0;
    for (std::size_t i = 0; i + sizeof(Sample) <= data.size(); i += sizeof(Sample)) {
        Sample sample;
        std::memcpy(&sample, data.data() + i, sizeof(Sample));
        peak = std::max(peak, std::abs(static_cast<double>(sample)) / fullScale);
    }
    return peak;
}

// The test sounds reach the sink as 16-bit integers or as floats.
double peakOf(GstPad* pad, std::span<const std::uint8_t> data) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (!caps) return 0;
    const char* format = gst_structure_get_string(gst_caps_get_structure(caps, 0), "format");
    const std::string_view name = format ? format : "";
    const double peak = name == "S16LE" ? peakOf<std::int16_t>(data, 32768) : name == "F32LE" ? peakOf<float>(data, 1) : 0;
    gst_caps_unref(caps);
    return peak;
}

}  // namespace

SinkProbe::SinkProbe(GstElement* sink) : m_pad(gst_element_get_static_pad(sink, "sink")) {
    if (!m_pad) return;
    using Shared = std::shared_ptr<Seen>;
    const auto release = [](gpointer shared) { std::unique_ptr<Shared>(static_cast<Shared*>(shared)); };
    m_probe = gst_pad_add_probe(m_pad, GST_PAD_PROBE_TYPE_BUFFER, &SinkProbe::onBuffer,
                                std::make_unique<Shared>(m_seen).release(), release);
}

SinkProbe::~SinkProbe() {
    if (!m_pad) return;
    gst_pad_remove_probe(m_pad, m_probe);
    gst_object_unref(m_pad);
}

GstPadProbeReturn SinkProbe::onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer shared) {
    Seen& seen = **static_cast<std::shared_ptr<Seen>*>(shared);
    if (seen.buffers == 0) seen.firstBufferTicks = std::chrono::steady_clock::now().time_since_epoch().count();
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    GstMapInfo map;
    if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        seen.latestPeak = peakOf(pad, std::span(map.data, map.size));
        seen.peak = std::max(seen.peak.load(), seen.latestPeak.load());
        gst_buffer_unmap(buffer, &map);
    }
    ++seen.buffers;
    return GST_PAD_PROBE_OK;
}

}  // namespace media_testing
