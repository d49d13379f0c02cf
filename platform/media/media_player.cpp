#include "media_player.h"

#include <gst/gst.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <string_view>
#include <system_error>
#include <utility>

#include "media_player_inspection.h"

namespace media {

namespace {

// How long setting a file may hold the caller while the sound starts.
constexpr auto kOpenBound = std::chrono::seconds(3);

// playbin's flags: audio only (no windows for cover art or video), with a
// volume element of its own so the gain does not depend on the sound server.
constexpr guint kPlayFlagAudio = 0x2;
constexpr guint kPlayFlagSoftVolume = 0x10;

enum class Mode { Closed, Stopped, Paused, Playing };

// The sink named by ZPM_AUDIO_SINK (headless runs use fakeaudiosink), else
// whatever the desktop offers.
const char* audioSinkName() {
    const char* name = std::getenv("ZPM_AUDIO_SINK");
    return name && *name ? name : "autoaudiosink";
}

// Loads the plugin that makes an element, so that making the first one
// costs nothing more.
void preload(const char* element) {
    GstElementFactory* factory = gst_element_factory_find(element);
    if (!factory) return;
    if (GstPluginFeature* loaded = gst_plugin_feature_load(GST_PLUGIN_FEATURE(factory))) gst_object_unref(loaded);
    gst_object_unref(factory);
}

// GStreamer's streaming threads each get an allocator arena of their own,
// and a program that plays sound after sound keeps growing by the memory
// left free in them. They share the main arena instead (playing sound asks
// little of the allocator, so they hardly ever wait for it).
void shareOneAllocatorArena() {
    static const bool limited = mallopt(M_ARENA_MAX, 1) == 1;
    (void)limited;
}

// The MIDI decoder loads its sound font anew for each sound, unless another
// decoder holds it already. One decoder, made when the first MIDI sound
// plays and kept ready for the rest of the run, holds it.
void keepSoundFontLoaded(GstBin*, GstBin*, GstElement* element, gpointer) {
    GstElementFactory* factory = gst_element_get_factory(element);
    if (!factory || std::string_view(GST_OBJECT_NAME(factory)) != "fluiddec") return;
    static GstElement* const keeper = [] {
        GstElement* decoder = gst_element_factory_make("fluiddec", "sound-font-keeper");
        if (decoder) gst_element_set_state(decoder, GST_STATE_READY);
        return decoder;
    }();
    (void)keeper;
}

bool initialise() {
    GError* error = nullptr;
    const bool ok = gst_init_check(nullptr, nullptr, &error);
    if (error) g_error_free(error);
    if (!ok) return false;
    for (const char* element : {"playbin", audioSinkName()}) preload(element);
    return true;
}

std::future<bool>& initialisationUnderWay() {
    static std::future<bool> started;
    return started;
}

bool gstreamerReady() {
    static const bool ready = [] {
        shareOneAllocatorArena();
        std::future<bool>& started = initialisationUnderWay();
        return started.valid() ? started.get() : initialise();
    }();
    return ready;
}

struct GstObjectUnref {
    void operator()(gpointer object) const { gst_object_unref(object); }
};
template <typename T>
using GstOwned = std::unique_ptr<T, GstObjectUnref>;

double gainOf(long hundredthsOfDb) { return std::pow(10.0, static_cast<double>(hundredthsOfDb) / 2000.0); }

double seconds(gint64 nanoseconds) { return static_cast<double>(nanoseconds) / GST_SECOND; }

// The sink audioSinkName() names, else autoaudiosink. It always keeps to
// the clock, so a sound lasts as long without a sound card as with one.
GstElement* makeAudioSink() {
    GstElement* sink = gst_element_factory_make(audioSinkName(), nullptr);
    if (!sink) sink = gst_element_factory_make("autoaudiosink", nullptr);
    if (sink && g_object_class_find_property(G_OBJECT_GET_CLASS(sink), "sync")) g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

// Only a non-empty regular file can be a sound; anything else (nothing, a
// folder, a pipe that would block the reader) closes the player at once.
bool couldBeSound(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return false;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status)) return false;
    const auto size = std::filesystem::file_size(path, error);
    return !error && size > 0;
}

}  // namespace

void initialiseInBackground() {
    shareOneAllocatorArena();
    std::future<bool>& started = initialisationUnderWay();
    if (!started.valid()) started = std::async(std::launch::async, initialise);
}

struct MediaPlayer::Impl {
    GstOwned<GstElement> playbin;
    GstOwned<GstBus> bus;
    GstElement* sink = nullptr;  // owned by playbin
    Mode mode = Mode::Closed;
    long volume = kFullLevel;
    std::string fileName;
    double knownDuration = 0;
    bool made = false;

    // The pipeline is made at the first call that needs it, so that a
    // program may make its players while GStreamer still starts.
    void make() {
        if (std::exchange(made, true) || !gstreamerReady()) return;
        GstElement* player = gst_element_factory_make("playbin", nullptr);
        if (!player) return;
        playbin.reset(GST_ELEMENT(gst_object_ref_sink(player)));
        sink = makeAudioSink();
        if (!sink) {
            playbin.reset();
            return;
        }
        g_object_set(player, "audio-sink", sink, "flags", kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);
        g_signal_connect(player, "deep-element-added", G_CALLBACK(keepSoundFontLoaded), nullptr);
        bus.reset(gst_element_get_bus(player));
        // The pipeline's news (a sound's end, an error) also arrives through
        // the main loop, so that a waiting program wakes for it instead of
        // asking again and again.
        gst_bus_add_watch(bus.get(), onBusMessage, this);
        applyVolume();
    }

    Impl() = default;
    ~Impl() {
        if (!playbin) return;
        gst_bus_remove_watch(bus.get());
        gst_element_set_state(playbin.get(), GST_STATE_NULL);
    }

    static gboolean onBusMessage(GstBus*, GstMessage* message, gpointer self) {
        static_cast<Impl*>(self)->take(message);
        return G_SOURCE_CONTINUE;
    }

    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    bool available() {
        make();
        return playbin != nullptr;
    }

    void applyVolume() {
        if (playbin) g_object_set(playbin.get(), "volume", gainOf(volume), nullptr);
    }

    void open(std::string_view path) {
        fileName.assign(path);
        knownDuration = 0;
        mode = Mode::Closed;
        if (!available()) return;
        halt(GST_STATE_READY);
        if (!couldBeSound(fileName)) return;
        gchar* uri = gst_filename_to_uri(fileName.c_str(), nullptr);
        if (!uri) return;
        g_object_set(playbin.get(), "uri", uri, nullptr);
        g_free(uri);
        start();
        waitUntilStarted();
    }

    void start() {
        mode = Mode::Playing;
        if (gst_element_set_state(playbin.get(), GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE) return;
        drainBus();
        // A failure that named no culprit leaves nothing to play.
        if (mode == Mode::Playing) close();
    }

    void waitUntilStarted() {
        const auto deadline = std::chrono::steady_clock::now() + kOpenBound;
        while (mode == Mode::Playing) {
            const auto left = deadline - std::chrono::steady_clock::now();
            if (left <= left.zero()) return;
            GstMessage* message = gst_bus_timed_pop(bus.get(), std::chrono::nanoseconds(left).count());
            if (!message) return;
            const bool started = reachedPlaying(message);
            handle(message);
            if (started) return;
        }
    }

    bool reachedPlaying(GstMessage* message) const {
        if (GST_MESSAGE_TYPE(message) != GST_MESSAGE_STATE_CHANGED) return false;
        if (GST_MESSAGE_SRC(message) != GST_OBJECT(playbin.get())) return false;
        GstState newState = GST_STATE_VOID_PENDING;
        gst_message_parse_state_changed(message, nullptr, &newState, nullptr);
        return newState == GST_STATE_PLAYING;
    }

    // Takes in what the pipeline reported since the last look: the end of
    // the sound, errors, a length that became known.
    void drainBus() {
        if (!available()) return;
        while (GstMessage* message = gst_bus_pop(bus.get())) handle(message);
    }

    void handle(GstMessage* message) {
        take(message);
        gst_message_unref(message);
    }

    void take(GstMessage* message) {
        switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_ERROR:
            onError(GST_MESSAGE_SRC(message));
            break;
        case GST_MESSAGE_EOS:
            if (mode != Mode::Closed) stopAt(GST_STATE_READY);
            break;
        case GST_MESSAGE_ASYNC_DONE:
        case GST_MESSAGE_DURATION_CHANGED:
            refreshDuration();
            break;
        default:
            break;
        }
    }

    // A failing audio device is no fault of the file: the player stops and
    // the next start tries the device again. Any other failure means the
    // file cannot be played.
    void onError(GstObject* source) {
        const bool fromDevice = source == GST_OBJECT(sink) || gst_object_has_as_ancestor(source, GST_OBJECT(sink));
        if (fromDevice)
            stopAt(GST_STATE_NULL);
        else
            close();
    }

    void close() {
        halt(GST_STATE_NULL);
        mode = Mode::Closed;
        knownDuration = 0;
    }

    void stopAt(GstState state) {
        halt(state);
        mode = Mode::Stopped;
    }

    // Brings the pipeline down and forgets what it reported before, so that
    // old news cannot touch the next sound. The memory the sound's decoders
    // left free goes back to the system.
    void halt(GstState state) {
        gst_element_set_state(playbin.get(), state);
        gst_bus_set_flushing(bus.get(), TRUE);
        gst_bus_set_flushing(bus.get(), FALSE);
        malloc_trim(0);
    }

    bool isOpenAndRunning() const { return mode == Mode::Playing || mode == Mode::Paused; }

    void refreshDuration() {
        gint64 length = 0;
        if (isOpenAndRunning() && gst_element_query_duration(playbin.get(), GST_FORMAT_TIME, &length) && length > 0)
            knownDuration = seconds(length);
    }

    double position() const {
        gint64 at = 0;
        if (!isOpenAndRunning() || !gst_element_query_position(playbin.get(), GST_FORMAT_TIME, &at) || at < 0) return 0;
        return seconds(at);
    }

    void play() {
        if (mode != Mode::Paused && mode != Mode::Stopped) return;
        start();
    }

    void pause() {
        if (mode != Mode::Playing) return;
        gst_element_set_state(playbin.get(), GST_STATE_PAUSED);
        mode = Mode::Paused;
    }

    void stop() {
        if (mode == Mode::Closed) return;
        stopAt(GST_STATE_READY);
    }
};

MediaPlayer::MediaPlayer() : m_impl(std::make_unique<Impl>()) {}
MediaPlayer::~MediaPlayer() = default;

long MediaPlayer::Volume() const noexcept { return m_impl->volume; }

void MediaPlayer::setVolume(long hundredthsOfDb) noexcept {
    m_impl->volume = std::clamp(hundredthsOfDb, kSilence, kFullLevel);
    m_impl->applyVolume();
}

const std::string& MediaPlayer::FileName() const noexcept { return m_impl->fileName; }

void MediaPlayer::setFileName(std::string_view path) noexcept { m_impl->open(path); }

long MediaPlayer::PlayState() noexcept {
    m_impl->drainBus();
    switch (m_impl->mode) {
    case Mode::Playing:
        return kPlaying;
    case Mode::Paused:
        return kPaused;
    case Mode::Stopped:
        return kStopped;
    case Mode::Closed:
        break;
    }
    return kClosed;
}

double MediaPlayer::Duration() noexcept {
    m_impl->drainBus();
    m_impl->refreshDuration();
    return m_impl->knownDuration;
}

double MediaPlayer::CurrentPosition() noexcept {
    m_impl->drainBus();
    return m_impl->position();
}

void MediaPlayer::Play() noexcept {
    m_impl->drainBus();
    m_impl->play();
}

void MediaPlayer::Pause() noexcept {
    m_impl->drainBus();
    m_impl->pause();
}

void MediaPlayer::Stop() noexcept {
    m_impl->drainBus();
    m_impl->stop();
}

bool MediaPlayer::Available() const noexcept { return m_impl->available(); }

GstElement* MediaPlayerInspection::audioSink(const MediaPlayer& player) {
    player.m_impl->make();
    return player.m_impl->sink;
}

}  // namespace media

#if defined(__SANITIZE_ADDRESS__)
#define ZPM_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZPM_LEAK_CHECKED 1
#endif
#endif

#ifdef ZPM_LEAK_CHECKED
// GLib drops its old quark table on purpose when the table grows, which the
// thousands of names GStreamer registers make it do; the leak checker would
// report that in every program that plays sound.
extern "C" __attribute__((weak)) const char* __lsan_default_suppressions() { return "leak:libglib-2.0.so\n"; }
#endif
