// Watches the buffers that reach a player's audio sink: how many, how loud,
// and when the first one came.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <chrono>
#include <memory>

namespace media_testing {

class SinkProbe {
public:
    explicit SinkProbe(GstElement* sink);
    ~SinkProbe();
    SinkProbe(const SinkProbe&) = delete;
    SinkProbe& operator=(const SinkProbe&) = delete;

    void reset() { m_seen->buffers = 0; m_seen->peak = 0; m_seen->latestPeak = 0; m_seen->firstBufferTicks = 0; }
    int buffers() const { return m_seen->buffers; }
    // Largest sample magnitude, as a fraction of full scale: over all
    // buffers since reset(), and in the latest buffer alone.
    double peak() const { return m_seen->peak; }
    double latestPeak() const { return m_seen->latestPeak; }
    std::chrono::steady_clock::time_point firstBuffer() const {
        return std::chrono::steady_clock::time_point(std::chrono::steady_clock::duration(m_seen->firstBufferTicks));
    }

private:
    // Written by the streaming thread, which may still run the probe after
    // it is removed: freed when both are done with it.
    struct Seen {
        std::atomic<int> buffers{0};
        std::atomic<double> peak{0}, latestPeak{0};
        std::atomic<std::chrono::steady_clock::rep> firstBufferTicks{0};
    };
    static GstPadProbeReturn onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer seen);

    std::shared_ptr<Seen> m_seen = std::make_shared<Seen>();
    GstPad* m_pad = nullptr;
    gulong m_probe = 0;
};

}  // namespace media_testing
