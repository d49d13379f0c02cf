// Watches the buffers that reach a player's audio sink: how many, how loud,
// and when the first one came.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <cstdint>

namespace media_testing {

class SinkProbe {
public:
    explicit SinkProbe(GstElement* sink);
    ~SinkProbe();
    SinkProbe(const SinkProbe&) = delete;
    SinkProbe& operator=(const SinkProbe&) = delete;

    void reset();
    int buffers() const { return m_buffers.load(); }
    // Largest sample magnitude, as a fraction of full scale: over all
    // buffers since reset(), and in the latest buffer alone.
    double peak() const { return m_peak.load(); }
    double latestPeak() const { return m_latestPeak.load(); }
    // When the first buffer since reset() arrived (steady clock).
    std::chrono::steady_clock::time_point firstBuffer() const;

private:
    static GstPadProbeReturn onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void take(GstPad* pad, GstBuffer* buffer);

    GstPad* m_pad = nullptr;
    gulong m_probe = 0;
    std::atomic<int> m_buffers{0};
    std::atomic<double> m_peak{0};
    std::atomic<double> m_latestPeak{0};
    std::atomic<std::int64_t> m_firstBufferTicks{0};
};

}  // namespace media_testing
