// Click-to-sound latency: from handing a player a short WAV file to the first
// buffer reaching the audio sink. The program's player (one pipeline kept for
// all sounds) against a bare playbin started the plain way (a new playbin per
// sound), and a bare playbin that is kept and given a new file each time.
#include <benchmark/benchmark.h>
#include <gst/gst.h>
#include <unistd.h>

#include <chrono>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "media_player.h"
#include "media_player_inspection.h"
#include "sink_probe.h"
#include "sound_files.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRuns = 60;

const std::string& shortWav() {
    static const std::string path = [] {
        std::string folder = "/tmp/zpm-bench-XXXXXX";
        if (!::mkdtemp(folder.data())) std::abort();
        const std::string file = folder + "/click.wav";
        testing_support::writeWav(file, 0.3);
        return file;
    }();
    return path;
}

std::string uriOf(const std::string& path) {
    gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
    std::string result = uri;
    g_free(uri);
    return result;
}

bool waitForFirstBuffer(const media_testing::SinkProbe& probe) {
    const auto bound = Clock::now() + std::chrono::seconds(10);
    while (probe.buffers() == 0) {
        if (Clock::now() > bound) return false;
        std::this_thread::yield();
    }
    return true;
}

// The time from `begin` to the first buffer the probe saw.
void recordStart(benchmark::State& state, Clock::time_point begin, const media_testing::SinkProbe& probe) {
    if (waitForFirstBuffer(probe))
        state.SetIterationTime(std::chrono::duration<double>(probe.firstBuffer() - begin).count());
    else
        state.SkipWithError("no sound reached the sink");
}

GstElement* makeBarePlaybin() {
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    GstElement* sink = gst_element_factory_make("fakeaudiosink", nullptr);
    g_object_set(sink, "sync", TRUE, nullptr);
    g_object_set(playbin, "audio-sink", sink, nullptr);
    return playbin;
}

GstElement* sinkOf(GstElement* playbin) {
    GstElement* sink = nullptr;
    g_object_get(playbin, "audio-sink", &sink, nullptr);
    gst_object_unref(sink);  // playbin keeps it alive
    return sink;
}

void BM_ZirpomatPlayer(benchmark::State& state) {
    static media::MediaPlayer player;
    media_testing::SinkProbe probe(media::MediaPlayerInspection::audioSink(player));
    for (auto _ : state) {
        probe.reset();
        const auto begin = Clock::now();
        player.setFileName(shortWav());
        recordStart(state, begin, probe);
        player.Stop();
    }
}

void BM_BarePlaybinNewPerSound(benchmark::State& state) {
    const std::string uri = uriOf(shortWav());
    for (auto _ : state) {
        const auto begin = Clock::now();
        GstElement* playbin = makeBarePlaybin();
        media_testing::SinkProbe probe(sinkOf(playbin));
        g_object_set(playbin, "uri", uri.c_str(), nullptr);
        gst_element_set_state(playbin, GST_STATE_PLAYING);
        recordStart(state, begin, probe);
        gst_element_set_state(playbin, GST_STATE_NULL);
        gst_object_unref(playbin);
    }
}

void BM_BarePlaybinKept(benchmark::State& state) {
    const std::string uri = uriOf(shortWav());
    GstElement* playbin = makeBarePlaybin();
    gst_object_ref_sink(playbin);
    {
        media_testing::SinkProbe probe(sinkOf(playbin));
        for (auto _ : state) {
            probe.reset();
            const auto begin = Clock::now();
            gst_element_set_state(playbin, GST_STATE_NULL);
            g_object_set(playbin, "uri", uri.c_str(), nullptr);
            gst_element_set_state(playbin, GST_STATE_PLAYING);
            recordStart(state, begin, probe);
        }
    }
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(playbin);
}

double minimum(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }
double maximum(const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); }

void configure(benchmark::internal::Benchmark* b) {
    b->UseManualTime()
        ->Iterations(1)
        ->Repetitions(kRuns)
        ->ReportAggregatesOnly(true)
        ->ComputeStatistics("min", minimum)
        ->ComputeStatistics("max", maximum)
        ->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_ZirpomatPlayer)->Apply(configure);
BENCHMARK(BM_BarePlaybinNewPerSound)->Apply(configure);
BENCHMARK(BM_BarePlaybinKept)->Apply(configure);

}  // namespace

int main(int argc, char** argv) {
    // No sound card needed: the fake sink keeps real time like a real one.
    ::setenv("ZPM_AUDIO_SINK", "fakeaudiosink", 0);
    gst_init(nullptr, nullptr);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
