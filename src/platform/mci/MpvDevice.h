#pragma once
// An MCI device backed by one libmpv handle: every file that
// is not MIDI. Its video, when it has any and the open named a parent window under xcb,
// goes into a native child window of that parent.
#include "platform/mci/MciDevice.h"
#include "platform/mci/VideoChildWindow.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct mpv_handle;
struct mpv_event;

namespace vistrel::mci {

// The options of every libmpv handle that plays for us, apart from the state a device
// opens in and the id of its video window (`video`: it has one). bench/click_to_sound starts
// its bare engine with the same ones.
std::vector<std::pair<const char*, const char*>> MpvEngineOptions(bool video, bool untimed);

class MpvDevice final : public MciDevice {
public:
    // Opens `file` (an existing file) and waits until it is loaded, paused at its start.
    static MciError Open(const std::string& file, const EngineOptions& options, std::unique_ptr<MciDevice>& device);
    ~MpvDevice() override;

    MciError setMute(bool mute) override;
    MciError setAudioStream(uint32_t stream) override;
    WindowHandle videoWindow() const override;
    void setVideoRect(int x, int y, int width, int height) override;
    void setVideoParent(WindowHandle parent, int x, int y, int width, int height) override;

protected:
    void pollEngine() override;
    double engineDurationMs() override;
    double enginePositionMs() override;
    bool engineAtEnd() override;
    void setEnginePaused(bool paused) override;
    bool seekEngine(int64_t ms) override;
    MciError setEngineSpeed(uint32_t speed) override;
    MciError setEngineVolume(uint32_t volume) override;
    MciError engineStatus(StatusItem item, std::string& reply) override;
    MciError engineVideoRect(VideoRect rect, std::string& reply) override;

private:
    MpvDevice() = default;
    MciError create(const EngineOptions& options);
    MciError load(const std::string& file);
    MciError waitUntilLoaded();
    void hideWindowWithoutVideo();
    static void onWakeup(void* self);
    // Every event taken from mpv's queue passes here: it keeps the observed values.
    const mpv_event* nextEvent(double timeoutSeconds);
    std::optional<double> doubleProperty(const char* name);
    std::optional<int64_t> intProperty(const char* name);
    bool flagProperty(const char* name);
    struct TrackCounts {
        int audio = 0;
        int video = 0;
    };
    TrackCounts countTracks();
    std::string frameRateReply(const char* property);
    std::optional<std::pair<int64_t, int64_t>> awaitVideoSize(const char* widthProperty, const char* heightProperty);

    mpv_handle* mpv_ = nullptr;
    std::unique_ptr<VideoChildWindow> window_;
    // Lives on the GUI thread: mpv's wakeup callback posts the event drain to it.
    std::unique_ptr<QObject> eventReceiver_;
    std::atomic<bool> drainPosted_{false};
    // Set by mpv's wakeup callback, which runs whenever an event is queued: pollEngine
    // asks mpv for events only when there are some, as even an empty mpv_wait_event
    // costs more than the rest of a status command.
    std::atomic<bool> eventsQueued_{true};
    bool hasVideo_ = false;
    // The values one command reads, each read from mpv once: a command reads the length
    // and the position several times, and every read stops mpv's core thread. Forgotten
    // when the next command starts (pollEngine) and whenever the engine is told to act.
    struct CommandReads {
        std::optional<double> durationMs;
        std::optional<double> positionMs;
        std::optional<bool> atEnd;
    };
    CommandReads reads_;
    // The length and the end flag as mpv announces them when they change (observed
    // properties), so that the position poll reads only the position from mpv (each read
    // stops mpv's core thread). Unknown from the load until mpv has announced the loaded
    // file's values, and the end flag after a seek until mpv has announced it again: read
    // from mpv then instead. The position is not observed: it changes many times a second,
    // and each change would cost the GUI thread a wake-up or an empty wait for events.
    struct ObservedValues {
        std::optional<double> durationMs;
        std::optional<bool> atEnd;
    };
    ObservedValues observed_;
};

}  // namespace vistrel::mci
