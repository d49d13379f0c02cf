// Watches the buffers that reach a player's audio sink: how many, how loud,
// and when the first one came.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

namespace media_testing {

class SinkProbe {
public:
    explicit SinkProbe(GstElement* sink);
    ~SinkProbe();
    SinkProbe(const SinkProbe&) = delete;
    SinkProbe& operator=(const SinkProbe&) = delete;

    void reset();
    int buffers() const { return m_seen->buffers.load(); }
    // Largest sample magnitude, as a fraction of full scale: over all
    // buffers since reset(), and in the latest buffer alone.
    double peak() const { return m_seen->peak.load(); }
    double latestPeak() const { return m_seen->latestPeak.load(); }
    // When the first buffer since reset() arrived (steady clock).
    std::chrono::steady_clock::time_point firstBuffer() const;

private:
    // What the streaming thread writes. It is shared with the probe, which
    // GStreamer may still be running when the probe is removed, and is freed
    // only when both are done with it.
    struct Seen {
        std::atomic<int> buffers{0};
        std::atomic<double> peak{0};
        std::atomic<double> latestPeak{0};
        std::atomic<std::int64_t> firstBufferTicks{0};
        void take(GstPad* pad, GstBuffer* buffer);
    };
    static GstPadProbeReturn onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer seen);

    std::shared_ptr<Seen> m_seen = std::make_shared<Seen>();
    GstPad* m_pad = nullptr;
    gulong m_probe = 0;
};

}  // namespace media_testing
