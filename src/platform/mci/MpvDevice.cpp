#include "platform/mci/MpvDevice.h"

#include "platform/mci/SpareEngine.h"

#include <QMetaObject>
#include <mpv/client.h>

#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vistrel::mci {

namespace {

using Clock = std::chrono::steady_clock;

// MCI's open is synchronous; a file that mpv has not loaded within this time fails.
constexpr auto kOpenTimeout = std::chrono::seconds(5);
constexpr auto kSeekTimeout = std::chrono::seconds(2);
constexpr auto kVideoSizeTimeout = std::chrono::seconds(2);
// Slice of the bounded waits, so that the end of the media is noticed between events.
constexpr double kWaitSliceSeconds = 0.05;
// The reply ids of the observed properties.
constexpr uint64_t kObserveDuration = 1;
constexpr uint64_t kObserveAtEnd = 2;

}  // namespace

std::vector<std::pair<const char*, const char*>> MpvEngineOptions(bool video, bool untimed)
{
    std::vector<std::pair<const char*, const char*>> list = {
        {"vo", !video ? "null" : XServerHasDirectRendering() ? "gpu,x11" : "x11"},
        {"hwdec", "auto-safe"},
        {"keep-open", "yes"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"input-cursor", "no"},
        // The program hides the pointer over its own video window itself.
        {"cursor-autohide", "no"},
        {"osc", "no"},
        {"terminal", "no"},
        {"idle", "yes"},
        {"audio-display", "no"},
        {"audio-client-name", "Vistrel"},
        // Another speed stretches the sound in time (scaletempo2) rather than raising or
        // lowering its pitch.
        {"audio-pitch-correction", "yes"},
        {"resume-playback", "no"},
        // Built-in scripts start a Lua thread each; the device needs none of them.
        {"ytdl", "no"},
        {"load-scripts", "no"},
        {"load-stats-overlay", "no"},
        {"load-osd-console", "no"},
        {"load-auto-profiles", "no"},
    };
    if (video && !XServerHasDirectRendering())
        list.emplace_back("override-display-fps", "60");  // Xvfb reports no refresh rate
    if (untimed) {
        list.emplace_back("untimed", "yes");
        list.emplace_back("ao", "null");
        list.emplace_back("ao-null-untimed", "yes");
    }
    return list;
}

MciError MpvDevice::Open(const std::string& file, const EngineOptions& options, std::unique_ptr<MciDevice>& device)
{
    std::unique_ptr<MpvDevice> opened(new MpvDevice());
    if (const MciError error = opened->create(options))
        return error;
    if (const MciError error = opened->load(file))
        return error;
    opened->hideWindowWithoutVideo();
    PrepareSpareEngine(EngineKind{opened->window_ != nullptr, options.untimed});
    device = std::move(opened);
    return 0;
}

MpvDevice::~MpvDevice()
{
    if (mpv_) {
        mpv_set_wakeup_callback(mpv_, nullptr, nullptr);
        // Before the window goes: mpv's video output draws into it until this returns.
        mpv_terminate_destroy(mpv_);
    }
    eventReceiver_.reset();
    window_.reset();
}

MciError MpvDevice::create(const EngineOptions& options)
{
    if (options.parent) {
        window_ = VideoChildWindow::Create(options.parent);
        if (!window_)
            return MCIERR_CREATEWINDOW;
    }
    // mpv refuses to start under a locale whose decimal separator is not ".".
    std::setlocale(LC_NUMERIC, "C");
    mpv_ = TakeEngine(EngineKind{window_ != nullptr, options.untimed});
    if (!mpv_)
        return MCIERR_CANNOT_LOAD_DRIVER;
    // The video output is made at the load and draws into the window given by then.
    if (window_ && mpv_set_option_string(mpv_, "wid", std::to_string(window_->engineWindowId()).c_str()) < 0)
        return MCIERR_CREATEWINDOW;
    engineEndsEarly_ = !options.untimed;
    mpv_observe_property(mpv_, kObserveDuration, "duration", MPV_FORMAT_DOUBLE);
    mpv_observe_property(mpv_, kObserveAtEnd, "eof-reached", MPV_FORMAT_FLAG);
    eventReceiver_ = std::make_unique<QObject>();
    mpv_set_wakeup_callback(mpv_, &MpvDevice::onWakeup, this);
    return 0;
}

MciError MpvDevice::load(const std::string& file)
{
    const char* command[] = {"loadfile", file.c_str(), nullptr};
    if (mpv_command(mpv_, command) < 0)
        return MCIERR_INVALID_FILE;
    if (const MciError error = waitUntilLoaded())
        return error;
    const TrackCounts tracks = countTracks();
    if (tracks.audio == 0 && tracks.video == 0)
        return MCIERR_INVALID_FILE;
    hasVideo_ = tracks.video > 0;
    return 0;
}

MciError MpvDevice::waitUntilLoaded()
{
    const auto deadline = Clock::now() + kOpenTimeout;
    while (Clock::now() < deadline) {
        const double left = std::chrono::duration<double>(deadline - Clock::now()).count();
        const mpv_event* event = nextEvent(std::max(0.0, left));
        switch (event->event_id) {
        case MPV_EVENT_FILE_LOADED: return 0;
        // Whatever the reason (an error, or a playlist redirected to its entries), the file
        // itself is no media that this device can play.
        case MPV_EVENT_END_FILE: return MCIERR_INVALID_FILE;
        case MPV_EVENT_SHUTDOWN: return MCIERR_HARDWARE;
        default: break;
        }
    }
    return MCIERR_DEVICE_NOT_READY;
}

// The window stays until close (mpv holds its id until mpv_terminate_destroy), unseen.
void MpvDevice::hideWindowWithoutVideo()
{
    if (window_ && !hasVideo_)
        window_->hide();
}

// Called on one of mpv's threads: only posts the drain to the GUI thread, once at a time.
void MpvDevice::onWakeup(void* self)
{
    auto* device = static_cast<MpvDevice*>(self);
    device->eventsQueued_ = true;
    if (device->drainPosted_.exchange(true))
        return;
    QMetaObject::invokeMethod(
        device->eventReceiver_.get(),
        [device] {
            device->drainPosted_ = false;
            device->pollEngine();
        },
        Qt::QueuedConnection);
}

void MpvDevice::pollEngine()
{
    // The state the device reports is read from properties; events are only drained so
    // that mpv's queue never fills.
    reads_ = {};
    if (!eventsQueued_.exchange(false))
        return;
    while (nextEvent(0)->event_id != MPV_EVENT_NONE) {
    }
}

namespace {

// An observed time in ms; 0 when mpv has none (no file, or an unknown length).
double ChangedMs(const mpv_event_property& change)
{
    const double seconds =
        change.data && change.format == MPV_FORMAT_DOUBLE ? *static_cast<const double*>(change.data) : 0;
    return std::isfinite(seconds) ? seconds * 1000.0 : 0.0;
}

}  // namespace

const mpv_event* MpvDevice::nextEvent(double timeoutSeconds)
{
    const mpv_event* event = mpv_wait_event(mpv_, timeoutSeconds);
    if (event->event_id == MPV_EVENT_START_FILE || event->event_id == MPV_EVENT_FILE_LOADED) {
        observed_ = {};  // the values announced before belong to no file or another one
        return event;
    }
    if (event->event_id != MPV_EVENT_PROPERTY_CHANGE)
        return event;
    const auto& change = *static_cast<const mpv_event_property*>(event->data);
    if (event->reply_userdata == kObserveDuration)
        observed_.durationMs = ChangedMs(change);
    else if (event->reply_userdata == kObserveAtEnd)
        observed_.atEnd = change.data && change.format == MPV_FORMAT_FLAG && *static_cast<const int*>(change.data) != 0;
    return event;
}

double MpvDevice::engineDurationMs()
{
    if (observed_.durationMs)
        return *observed_.durationMs;
    if (!reads_.durationMs)
        reads_.durationMs = doubleProperty("duration").value_or(0.0) * 1000.0;
    return *reads_.durationMs;
}

double MpvDevice::enginePositionMs()
{
    if (!reads_.positionMs)
        reads_.positionMs = doubleProperty("time-pos").value_or(0.0) * 1000.0;
    return *reads_.positionMs;
}

bool MpvDevice::engineAtEnd()
{
    if (observed_.atEnd)
        return *observed_.atEnd;
    if (!reads_.atEnd)
        reads_.atEnd = flagProperty("eof-reached");
    return *reads_.atEnd;
}

void MpvDevice::setEnginePaused(bool paused)
{
    reads_ = {};
    int flag = paused ? 1 : 0;
    mpv_set_property(mpv_, "pause", MPV_FORMAT_FLAG, &flag);
}

bool MpvDevice::seekEngine(int64_t ms)
{
    pollEngine();  // an earlier PLAYBACK_RESTART must not end this wait; forgets the reads
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f", double(ms) / 1000.0);
    const char* command[] = {"seek", seconds, "absolute+exact", nullptr};
    if (mpv_command(mpv_, command) < 0)
        return false;
    const auto deadline = Clock::now() + kSeekTimeout;
    while (Clock::now() < deadline) {
        const mpv_event* event = nextEvent(kWaitSliceSeconds);
        if (event->event_id == MPV_EVENT_PLAYBACK_RESTART) {
            observed_.atEnd.reset();  // read until mpv announces it after the seek
            return true;
        }
        // A seek to the very end ends in eof-reached rather than a restart.
        if (event->event_id == MPV_EVENT_NONE && flagProperty("eof-reached"))
            return true;
    }
    return false;
}

MciError MpvDevice::setEngineSpeed(uint32_t speed)
{
    reads_ = {};
    double factor = speed / 1000.0;
    return mpv_set_property(mpv_, "speed", MPV_FORMAT_DOUBLE, &factor) < 0 ? MCIERR_OUTOFRANGE : 0;
}

MciError MpvDevice::setEngineVolume(uint32_t volume)
{
    double percent = volume / 10.0;
    return mpv_set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &percent) < 0 ? MCIERR_HARDWARE : 0;
}

MciError MpvDevice::setMute(bool mute)
{
    int flag = mute ? 1 : 0;
    return mpv_set_property(mpv_, "mute", MPV_FORMAT_FLAG, &flag) < 0 ? MCIERR_HARDWARE : 0;
}

MciError MpvDevice::setAudioStream(uint32_t stream)
{
    if (stream < 1 || int64_t{stream} > countTracks().audio)
        return MCIERR_OUTOFRANGE;
    int64_t id = stream;  // mpv numbers the audio tracks from 1, as MCI's streams
    return mpv_set_property(mpv_, "aid", MPV_FORMAT_INT64, &id) < 0 ? MCIERR_HARDWARE : 0;
}

WindowHandle MpvDevice::videoWindow() const
{
    return window_ ? window_->id() : 0;
}

void MpvDevice::setVideoRect(int x, int y, int width, int height)
{
    if (window_)
        window_->setRect(x, y, width, height);
}

void MpvDevice::setVideoParent(WindowHandle parent, int x, int y, int width, int height)
{
    if (window_)
        window_->reparent(parent, x, y, width, height);
}

// The frame size as decoded, and mpv's display size: the frame stretched in one direction
// by the shape of its pixels.
MciError MpvDevice::engineVideoRect(VideoRect rect, std::string& reply)
{
    if (!hasVideo_)
        return MCIERR_NO_WINDOW;
    const bool source = rect == VideoRect::Source;
    const auto size = awaitVideoSize(source ? "video-params/w" : "video-params/dw",
                                     source ? "video-params/h" : "video-params/dh");
    if (!size)
        return MCIERR_DEVICE_NOT_READY;
    reply = "0 0 " + std::to_string(size->first) + " " + std::to_string(size->second);
    return 0;
}

// mpv knows the sizes once the first frame is decoded, shortly after the load: a query
// right after the open waits for them (bounded).
std::optional<std::pair<int64_t, int64_t>> MpvDevice::awaitVideoSize(const char* widthProperty,
                                                                     const char* heightProperty)
{
    const auto deadline = Clock::now() + kVideoSizeTimeout;
    for (;;) {
        const std::optional<int64_t> width = intProperty(widthProperty), height = intProperty(heightProperty);
        if (width > 0 && height > 0)
            return std::pair(*width, *height);
        if (Clock::now() >= deadline)
            return std::nullopt;
        nextEvent(kWaitSliceSeconds);
    }
}

MciError MpvDevice::engineStatus(StatusItem item, std::string& reply)
{
    switch (item) {
    case StatusItem::WindowHandle:
        if (!window_ || !hasVideo_)
            return MCIERR_NO_WINDOW;
        reply = std::to_string(window_->id());
        return 0;
    case StatusItem::NominalFrameRate: reply = frameRateReply("container-fps"); return 0;
    case StatusItem::FrameRate: reply = frameRateReply("estimated-vf-fps"); return 0;
    case StatusItem::NumberOfAudioTracks: reply = std::to_string(countTracks().audio); return 0;
    case StatusItem::AudioStream: reply = std::to_string(intProperty("aid").value_or(0)); return 0;
    case StatusItem::FramesSkipped:
        reply = std::to_string(intProperty("frame-drop-count").value_or(0) +
                               intProperty("decoder-frame-drop-count").value_or(0));
        return 0;
    default: return MCIERR_UNSUPPORTED_FUNCTION;
    }
}

// MCI's unit is frames per 1000 s; a file without video has the rate 0. The measured rate
// exists only while frames flow: the container's rate stands in for it.
std::string MpvDevice::frameRateReply(const char* property)
{
    if (!hasVideo_)
        return "0";
    const std::optional<double> fps = doubleProperty(property);
    const double rate = fps.value_or(doubleProperty("container-fps").value_or(0.0));
    return std::to_string(std::llround(rate * 1000.0));
}

std::optional<double> MpvDevice::doubleProperty(const char* name)
{
    double value = 0;
    if (mpv_get_property(mpv_, name, MPV_FORMAT_DOUBLE, &value) < 0 || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int64_t> MpvDevice::intProperty(const char* name)
{
    int64_t value = 0;
    if (mpv_get_property(mpv_, name, MPV_FORMAT_INT64, &value) < 0)
        return std::nullopt;
    return value;
}

bool MpvDevice::flagProperty(const char* name)
{
    int value = 0;
    return mpv_get_property(mpv_, name, MPV_FORMAT_FLAG, &value) >= 0 && value != 0;
}

MpvDevice::TrackCounts MpvDevice::countTracks()
{
    TrackCounts counts;
    mpv_node list;
    if (mpv_get_property(mpv_, "track-list", MPV_FORMAT_NODE, &list) < 0)
        return counts;
    for (int i = 0; list.format == MPV_FORMAT_NODE_ARRAY && i < list.u.list->num; ++i) {
        const mpv_node& track = list.u.list->values[i];
        if (track.format != MPV_FORMAT_NODE_MAP)
            continue;
        std::string type;
        bool albumArt = false;
        for (int k = 0; k < track.u.list->num; ++k) {
            const mpv_node& value = track.u.list->values[k];
            const char* key = track.u.list->keys[k];
            if (std::strcmp(key, "type") == 0 && value.format == MPV_FORMAT_STRING)
                type = value.u.string;
            else if (std::strcmp(key, "albumart") == 0 && value.format == MPV_FORMAT_FLAG)
                albumArt = value.u.flag != 0;
        }
        counts.audio += type == "audio";
        counts.video += type == "video" && !albumArt;  // cover art is no video
    }
    mpv_free_node_contents(&list);
    return counts;
}

}  // namespace vistrel::mci
