#include "platform/gst/GstGraph.h"

#include "platform/gst/GstShared.h"
#include "platform/gst/SpeedFilter.h"
#include "platform/mci/VideoChildWindow.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>
#include <gst/video/video.h>
#include <gst/video/videooverlay.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>

namespace vistrel::gst {

namespace {

constexpr int kOpenTimeoutMs = 5000;
constexpr int kStateTimeoutMs = 2000;
constexpr int kStateQueryMs = 100;
constexpr int kPauseTimeoutMs = 300;

std::atomic<bool> g_fakeSinks{false};

GstElement* MakeFakeSink(const char* factory, bool sync)
{
    GstElement* sink = gst_element_factory_make(factory, nullptr);
    if (sink) {
        gst_object_ref_sink(sink);
        g_object_set(sink, "sync", sync ? TRUE : FALSE, nullptr);
    }
    return sink;
}

// Our sound stream carries the program's name, so the volume mixer can find it; without a
// sound server the title plays silent rather than not at all.
GstElement* MakeAudioSink(bool midi)
{
    if (g_fakeSinks)
        return MakeFakeSink("fakesink", false);
    GstElement* sink = gst_element_factory_make("pulsesink", nullptr);
    if (!sink)
        return MakeFakeSink("fakesink", true);
    g_object_set(sink, "client-name", midi ? "Vistrel MIDI" : "Vistrel", nullptr);
    gst_object_ref_sink(sink);
    const bool reachable = gst_element_set_state(sink, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE;
    gst_element_set_state(sink, GST_STATE_NULL);
    if (reachable)
        return sink;
    gst_object_unref(sink);
    return MakeFakeSink("fakesink", true);
}

// Where the X server renders directly there is a GPU for GL; under software GL several
// players at once have been seen to bring the server down, so plain X11 output serves there.
// The picture fills its window: the video layout decides the shape.
GstElement* MakeOverlaySink(WindowHandle window)
{
    GstElement* sink =
        gst_element_factory_make(mci::XServerHasDirectRendering() ? "glimagesink" : "ximagesink", nullptr);
    if (!sink)
        return nullptr;
    gst_object_ref_sink(sink);
    g_object_set(sink, "force-aspect-ratio", FALSE, nullptr);
    gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(sink), static_cast<guintptr>(window));
    return sink;
}

// A sink that asks for its window only now gets ours too; without a handle it would open a
// top-level window of its own. Runs on a streaming thread: it only reads the stored id.
GstBusSyncReply GiveWindowHandle(GstBus*, GstMessage* message, gpointer window)
{
    if (gst_is_video_overlay_prepare_window_handle_message(message))
        gst_video_overlay_set_window_handle(GST_VIDEO_OVERLAY(GST_MESSAGE_SRC(message)),
                                            reinterpret_cast<guintptr>(window));
    return GST_BUS_PASS;
}

void NoteMissingPlugin(GstMessage* message, std::vector<std::string>& missing)
{
    if (!gst_is_missing_plugin_message(message))
        return;
    gchar* description = gst_missing_plugin_message_get_description(message);
    if (description && std::find(missing.begin(), missing.end(), description) == missing.end())
        missing.emplace_back(description);
    g_free(description);
}

// The sink makers hand over a reference of their own; playbin keeps one of its own.
void SetSink(GstElement* playbin, const char* property, GstElement* sink)
{
    if (!sink)
        return;
    g_object_set(playbin, property, sink, nullptr);
    gst_object_unref(sink);
}

GstVideoInfo* NewVideoInfo(GstElement* playbin)
{
    gint current = 0;
    g_object_get(playbin, "current-video", &current, nullptr);
    GstPad* pad = nullptr;
    g_signal_emit_by_name(playbin, "get-video-pad", std::max(current, 0), &pad);
    if (!pad)
        return nullptr;
    GstCaps* caps = gst_pad_get_current_caps(pad);
    gst_object_unref(pad);
    if (!caps)
        return nullptr;
    GstVideoInfo* info = gst_video_info_new();
    const bool parsed = gst_video_info_from_caps(info, caps);
    gst_caps_unref(caps);
    if (parsed && info->width > 0 && info->height > 0)
        return info;
    gst_video_info_free(info);
    return nullptr;
}

}  // namespace

void SetFakeSinksForTests(bool fake)
{
    g_fakeSinks = fake;
}

std::unique_ptr<GstGraph> GstGraph::Open(const std::string& file, const GraphOptions& options, OpenResult& result)
{
    result = {};
    if (!StartGstreamer()) {
        result.error = "GStreamer cannot be started";
        return nullptr;
    }
    std::unique_ptr<GstGraph> graph(new GstGraph());
    if (!graph->Build(file, options, result) || !graph->Preroll(result))
        return nullptr;
    if (graph->VideoStreamCount() == 0)
        graph->HideVideoWindow();
    return graph;
}

GstGraph::~GstGraph()
{
    if (playbin_) {
        gst_element_set_state(playbin_, GST_STATE_NULL);
        gst_object_unref(playbin_);
    }
    window_.reset();
}

bool GstGraph::Build(const std::string& file, const GraphOptions& options, OpenResult& result)
{
    playbin_ = NewPlaybinForFile(file, result.error);
    if (!playbin_)
        return false;
    if (GstElement* tempo = MakeSpeedFilter(options.midi))
        g_object_set(playbin_, "audio-filter", tempo, nullptr);  // other speeds keep the pitch
    SetSink(playbin_, "audio-sink", MakeAudioSink(options.midi));
    GstElement* video = nullptr;
    if (!options.audioOnlyName && !g_fakeSinks && options.videoParent != 0)
        window_ = mci::VideoChildWindow::Create(options.videoParent);
    if (window_)
        video = MakeOverlaySink(window_->engineWindowId());
    if (!video)
        video = MakeFakeSink("fakevideosink", !g_fakeSinks);
    SetSink(playbin_, "video-sink", video);
    if (window_) {
        GstBus* bus = gst_element_get_bus(playbin_);
        gst_bus_set_sync_handler(bus, GiveWindowHandle, reinterpret_cast<gpointer>(window_->engineWindowId()), nullptr);
        gst_object_unref(bus);
    }
    return true;
}

// Waits on the bus for the preroll's end, noting every missing decoder on the way. A failed
// graph goes to NULL at once.
bool GstGraph::Preroll(OpenResult& result)
{
    GstBus* bus = gst_element_get_bus(playbin_);
    const GstStateChangeReturn change = gst_element_set_state(playbin_, GST_STATE_PAUSED);
    const auto types = static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ELEMENT);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kOpenTimeoutMs);
    bool done = change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL;
    while (!done && result.error.empty()) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            result.error = "The file did not load within 5 seconds";
            break;
        }
        GstMessage* message = gst_bus_timed_pop_filtered(bus, GstClockTime(left.count()), types);
        if (!message)
            continue;
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR)
            result.error = ErrorText(message);
        else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ASYNC_DONE)
            done = true;
        else
            NoteMissingPlugin(message, result.missingPlugins);
        gst_message_unref(message);
    }
    // A decoder found missing is announced next to the error; take those still queued.
    while (GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ELEMENT)) {
        NoteMissingPlugin(message, result.missingPlugins);
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    // The streams' threads announce them in any order; one title always reads the same.
    std::sort(result.missingPlugins.begin(), result.missingPlugins.end());
    if (done)
        DurationSeconds();
    else
        gst_element_set_state(playbin_, GST_STATE_NULL);
    return done;
}

// Popping with a filter discards every other message, so the bus never grows. An error
// while playing ends the title as its end would.
void GstGraph::PollBus()
{
    GstBus* bus = gst_element_get_bus(playbin_);
    const auto endTypes = static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR);
    while (GstMessage* message = gst_bus_pop_filtered(bus, endTypes)) {
        const bool eos = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
        if (!eos || gst_message_get_seqnum(message) != staleEosSeqnum_)
            atEnd_ = true;
        if (eos)
            lastEosSeqnum_ = gst_message_get_seqnum(message);
        gst_message_unref(message);
    }
    gst_object_unref(bus);
}

bool GstGraph::WaitForState(int timeoutMs)
{
    const GstStateChangeReturn result =
        gst_element_get_state(playbin_, nullptr, nullptr, GstClockTime(timeoutMs) * GST_MSECOND);
    return result != GST_STATE_CHANGE_FAILURE && result != GST_STATE_CHANGE_ASYNC;
}

int GstGraph::State()
{
    PollBus();
    if (stopped_)
        return 0;
    GstState current = GST_STATE_NULL;
    GstState pending = GST_STATE_VOID_PENDING;
    gst_element_get_state(playbin_, &current, &pending, GstClockTime(kStateQueryMs) * GST_MSECOND);
    const GstState target = pending != GST_STATE_VOID_PENDING ? pending : current;
    return target == GST_STATE_PLAYING ? 2 : target == GST_STATE_PAUSED ? 1 : 0;
}

bool GstGraph::Play(std::string& error)
{
    stopped_ = false;
    PollBus();
    if (gst_element_set_state(playbin_, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE)
        return true;
    GstBus* bus = gst_element_get_bus(playbin_);
    GstMessage* message = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
    gst_object_unref(bus);
    error = message ? ErrorText(message) : "The pipeline cannot play";
    if (message)
        gst_message_unref(message);
    return false;
}

void GstGraph::Pause()
{
    stopped_ = false;
    gst_element_set_state(playbin_, GST_STATE_PAUSED);
    WaitForState(kPauseTimeoutMs);
}

void GstGraph::Stop()
{
    gst_element_set_state(playbin_, GST_STATE_PAUSED);
    WaitForState(kStateTimeoutMs);
    SeekTo(0);
    stopped_ = true;
}

void GstGraph::Seek(double seconds)
{
    const double duration = DurationSeconds();
    SeekTo(std::clamp(seconds, 0.0, duration > 0 ? duration : seconds));
}

// The flush takes back an end posted before the seek; a paused graph prerolls the frame
// at the target, which the bounded wait lets arrive.
bool GstGraph::SeekTo(double seconds)
{
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    const auto position = static_cast<gint64>(std::max(0.0, seconds) * GST_SECOND);
    const bool sent = gst_element_seek(playbin_, rate_, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET, position,
                                       GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
    WaitForState(kStateTimeoutMs);
    PollBus();
    atEnd_ = false;
    // The pipeline may announce the end it reached before the seek once more when it next
    // goes to PLAYING; that announcement carries the old end's number.
    staleEosSeqnum_ = lastEosSeqnum_;
    return sent;
}

bool GstGraph::SetRate(double rate)
{
    if (rate <= 0)
        return false;
    const double previous = rate_;
    rate_ = rate;
    if (SeekTo(PositionSeconds()))
        return true;
    rate_ = previous;
    return false;
}

double GstGraph::PositionSeconds()
{
    PollBus();
    const double duration = DurationSeconds();
    if (atEnd_)
        return duration;
    gint64 position = 0;
    if (!gst_element_query_position(playbin_, GST_FORMAT_TIME, &position) || position < 0)
        return 0;
    const double seconds = double(position) / GST_SECOND;
    return duration > 0 ? std::min(seconds, duration) : seconds;
}

double GstGraph::DurationSeconds()
{
    gint64 duration = 0;
    if (duration_ <= 0 && gst_element_query_duration(playbin_, GST_FORMAT_TIME, &duration) && duration > 0)
        duration_ = double(duration) / GST_SECOND;
    return duration_;
}

void GstGraph::SetVolume(double linear)
{
    g_object_set(playbin_, "volume", std::clamp(linear, 0.0, 1.0), nullptr);
}

double GstGraph::Volume() const
{
    gdouble volume = 0;
    g_object_get(playbin_, "volume", &volume, nullptr);
    return volume;
}

int GstGraph::AudioStreamCount() const
{
    return IntProperty("n-audio");
}

int GstGraph::VideoStreamCount() const
{
    return IntProperty("n-video");
}

int GstGraph::CurrentAudioStream() const
{
    return IntProperty("current-audio");
}

int GstGraph::IntProperty(const char* name) const
{
    gint value = 0;
    g_object_get(playbin_, name, &value, nullptr);
    return value;
}

void GstGraph::SelectAudioStream(int index)
{
    g_object_set(playbin_, "current-audio", index, nullptr);
}

void GstGraph::SelectVideoStream(int index)
{
    g_object_set(playbin_, "current-video", index, nullptr);
}

bool GstGraph::VideoSize(int& width, int& height, double& pixelShape) const
{
    GstVideoInfo* info = NewVideoInfo(playbin_);
    if (!info)
        return false;
    width = info->width;
    height = info->height;
    const int n = info->par_n;
    const int d = info->par_d;
    pixelShape = n <= 0 || d <= 0 || n == d ? 0 : double(d) / double(n);
    gst_video_info_free(info);
    return true;
}

double GstGraph::FrameRate() const
{
    GstVideoInfo* info = NewVideoInfo(playbin_);
    if (!info)
        return 0;
    const double rate = info->fps_n > 0 && info->fps_d > 0 ? double(info->fps_n) / info->fps_d : 0;
    gst_video_info_free(info);
    return rate;
}

WindowHandle GstGraph::VideoWindow() const
{
    return window_ && VideoStreamCount() > 0 ? window_->id() : 0;
}

void GstGraph::PlaceVideoWindow(WindowHandle parent, int x, int y, int width, int height)
{
    if (window_)
        window_->reparent(parent, x, y, width, height);
}

void GstGraph::HideVideoWindow()
{
    if (window_)
        window_->hide();
}

}  // namespace vistrel::gst
