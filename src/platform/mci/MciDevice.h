#pragma once
// One open MCI device: the behaviour MCI's MPEGVideo and sequencer drivers share (modes,
// "play from to", "stop" keeping the position, the position standing at the length at the
// end). The engines (libmpv, GStreamer) implement the hooks.
#include "platform/mci/MciCommand.h"

#include <QTimer>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace vistrel::mci {

struct EngineOptions {
    WindowHandle parent = 0;  // 0: no video window
    bool untimed = false;     // test hook: faster than real time, no sound
};

class MciDevice {
public:
    MciDevice();
    virtual ~MciDevice();
    MciDevice(const MciDevice&) = delete;
    MciDevice& operator=(const MciDevice&) = delete;

    MciError play(std::optional<uint32_t> from, std::optional<uint32_t> to);
    MciError pause();
    MciError resume();
    MciError stop();
    MciError seek(SeekTarget target, uint32_t position);
    MciError status(StatusItem item, std::string& reply);
    // "0 0 W H"; a device without video answers MCIERR_NO_WINDOW, as for its window handle.
    MciError where(VideoRect rect, std::string& reply);
    MciError setSpeed(uint32_t speed);
    MciError setVolume(uint32_t volume);
    virtual MciError setMute(bool mute) = 0;
    virtual MciError setAudioStream(uint32_t stream) = 0;

    // The child window that shows the video (0 for none), and its place in its parent.
    virtual WindowHandle videoWindow() const { return 0; }
    virtual void setVideoRect(int x, int y, int width, int height) {}
    // Moves the video window into another window, where it shows the picture at once.
    virtual void setVideoParent(WindowHandle parent, int x, int y, int width, int height) {}

protected:
    // Drains the engine's pending events and notes the end of the media.
    virtual void pollEngine() = 0;
    // Duration and position in ms (fractional); 0 when unknown.
    virtual double engineDurationMs() = 0;
    virtual double enginePositionMs() = 0;
    // True once the engine has played to the end and stands there.
    virtual bool engineAtEnd() = 0;
    virtual void setEnginePaused(bool paused) = 0;
    // Exact seek; returns when the engine stands at the target (bounded wait).
    virtual bool seekEngine(int64_t ms) = 0;
    // Speed in thousandths of normal, volume 0..1000 (both checked for range already).
    virtual MciError setEngineSpeed(uint32_t speed) = 0;
    virtual MciError setEngineVolume(uint32_t volume) = 0;
    // The status items that depend on the engine (window, frame rates, tracks, skipped frames).
    virtual MciError engineStatus(StatusItem item, std::string& reply) = 0;
    virtual MciError engineVideoRect(VideoRect rect, std::string& reply) { return MCIERR_NO_WINDOW; }

    // True for an engine that reports its end while its sound output still holds sound
    // (mpv with a real audio output): the device then plays on by the clock (followDrain).
    bool engineEndsEarly_ = false;

private:
    enum class State { Stopped, Playing, Paused };

    void poll();
    int64_t lengthMs();
    int64_t positionMs();
    void startPlaying();
    void stopAt(int64_t ms);
    void pauseEngineHolding(int64_t ms);
    void followDrain();
    std::string modeWord() const;

    State state_ = State::Stopped;
    std::optional<int64_t> playTo_;
    // Where a seek, a "play from" or a reached "to" left the device, answered exactly as
    // MCI does until playing starts again (engines land on frame or packet boundaries).
    // An opened device stands at its start.
    std::optional<int64_t> heldPosition_ = 0;
    // mpv reports its end (eof-reached) while the sound output still holds about 0.4 s:
    // from there the device plays on by the clock, so the title's last sound is heard
    // before the position reaches the length and the mode turns "stopped".
    // At that moment mpv's own position has jumped to the end already, so the drain
    // continues from the last position read while it was playing.
    struct ClockedPosition {
        int64_t ms = 0;
        std::chrono::steady_clock::time_point at;
    };
    int64_t PlayedSince(const ClockedPosition& from) const;
    std::optional<ClockedPosition> drain_;
    std::optional<ClockedPosition> lastPlaying_;
    uint32_t speed_ = 1000;
    uint32_t volume_ = 1000;
    // The volume the engine was last given: the same again is not sent (the title's start
    // sets the volume twice, and each setting waits for the engine).
    std::optional<uint32_t> engineVolume_;
    // Checks the "to" limit while the GUI thread runs its event loop.
    QTimer limitTimer_;
};

}  // namespace vistrel::mci
