// Watches the buffers that reach a player's audio sink: how many, how loud, when the first came.
#pragma once

#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>

namespace media_testing {

class SinkProbe {
public:
    explicit SinkProbe(GstElement* sink) : m_pad(gst_element_get_static_pad(sink, "sink")) {
        using Shared = std::shared_ptr<Seen>;
        const auto release = [](gpointer shared) { std::unique_ptr<Shared>(static_cast<Shared*>(shared)); };
        auto shared = std::make_unique<Shared>(m_seen);
        if (m_pad) m_probe = gst_pad_add_probe(m_pad, GST_PAD_PROBE_TYPE_BUFFER, &onBuffer, shared.release(), release);
    }
    ~SinkProbe() {
        if (m_pad) gst_pad_remove_probe(m_pad, m_probe), gst_object_unref(m_pad);
    }
    SinkProbe(const SinkProbe&) = delete;
    SinkProbe& operator=(const SinkProbe&) = delete;

    void reset() { m_seen->buffers = 0, m_seen->peak = 0, m_seen->firstBufferTicks = 0; }
    int buffers() const { return m_seen->buffers; }
    // The largest 16-bit sample since reset(), of full scale; MIDI sounds' floats only tell sound from silence.
    double peak() const { return m_seen->peak; }
    std::chrono::steady_clock::time_point firstBuffer() const {
        return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(m_seen->firstBufferTicks));
    }

private:
    // Shared with the streaming thread, which may still run the probe after its removal.
    struct Seen {
        std::atomic<int> buffers{0};
        std::atomic<double> peak{0};
        std::atomic<std::chrono::steady_clock::rep> firstBufferTicks{0};
    };

    static GstPadProbeReturn onBuffer(GstPad*, GstPadProbeInfo* info, gpointer shared) {
        Seen& seen = **static_cast<std::shared_ptr<Seen>*>(shared);
        if (seen.buffers == 0) seen.firstBufferTicks = std::chrono::steady_clock::now().time_since_epoch().count();
        GstMapInfo map;
        if (gst_buffer_map(GST_PAD_PROBE_INFO_BUFFER(info), &map, GST_MAP_READ)) {
            for (std::size_t i = 0; i + 2 <= map.size; i += 2) {
                std::int16_t sample;
                std::memcpy(&sample, map.data + i, 2);
                seen.peak = std::max(seen.peak.load(), std::abs(sample) / 32768.0);
            }
            gst_buffer_unmap(GST_PAD_PROBE_INFO_BUFFER(info), &map);
        }
        ++seen.buffers;
        return GST_PAD_PROBE_OK;
    }

    std::shared_ptr<Seen> m_seen = std::make_shared<Seen>();
    GstPad* m_pad = nullptr;
    gulong m_probe = 0;
};

}  // namespace media_testing
