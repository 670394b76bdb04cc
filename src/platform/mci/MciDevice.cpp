#include "platform/mci/MciDevice.h"

#include <algorithm>
#include <cmath>

namespace vistrel::mci {

namespace {

// mpv's speed range is 0.01 to 100 times normal.
constexpr uint32_t kMinSpeed = 10;
constexpr uint32_t kMaxSpeed = 100000;
constexpr uint32_t kMaxVolume = 1000;
// How often the "to" limit of "play from to" is checked while the event loop runs.
constexpr int kLimitCheckMs = 5;

}  // namespace

MciDevice::MciDevice()
{
    limitTimer_.setInterval(kLimitCheckMs);
    QObject::connect(&limitTimer_, &QTimer::timeout, &limitTimer_, [this] { poll(); });
}

MciDevice::~MciDevice() = default;

MciError MciDevice::play(std::optional<uint32_t> from, std::optional<uint32_t> to)
{
    poll();
    const int64_t length = lengthMs();
    const bool lengthKnown = length > 0;
    if (lengthKnown && ((from && *from > length) || (to && *to > length)))
        return MCIERR_OUTOFRANGE;
    const int64_t start = from ? int64_t{*from} : positionMs();
    if (to && *to < start)
        return MCIERR_OUTOFRANGE;
    if (from) {
        setEnginePaused(true);
        state_ = State::Stopped;
        limitTimer_.stop();
        if (!seekEngine(*from))
            return MCIERR_HARDWARE;
        heldPosition_ = *from;
    }
    playTo_.reset();
    if (to && (!lengthKnown || *to < length))
        playTo_ = *to;
    // At the end (or at the "to" already) there is nothing to play: MCI returns at once.
    if ((lengthKnown && start >= length) || (to && *to == start)) {
        state_ = State::Stopped;
        return 0;
    }
    startPlaying();
    return 0;
}

MciError MciDevice::pause()
{
    poll();
    if (state_ == State::Playing) {
        pauseEngineHolding(positionMs());
        state_ = State::Paused;
        limitTimer_.stop();
        drain_.reset();
    }
    return 0;
}

MciError MciDevice::resume()
{
    poll();
    if (state_ == State::Playing)
        return 0;
    const int64_t length = lengthMs();
    if (length > 0 && positionMs() >= length)
        return 0;
    startPlaying();
    return 0;
}

MciError MciDevice::stop()
{
    poll();
    pauseEngineHolding(positionMs());
    state_ = State::Stopped;
    playTo_.reset();
    limitTimer_.stop();
    drain_.reset();
    return 0;
}

MciError MciDevice::seek(SeekTarget target, uint32_t position)
{
    poll();
    const int64_t length = lengthMs();
    int64_t ms = position;
    if (target == SeekTarget::Start)
        ms = 0;
    else if (target == SeekTarget::End)
        ms = length;
    if (length > 0 && ms > length)
        return MCIERR_OUTOFRANGE;
    setEnginePaused(true);
    state_ = State::Stopped;
    playTo_.reset();
    limitTimer_.stop();
    drain_.reset();
    if (!seekEngine(ms))
        return MCIERR_HARDWARE;
    heldPosition_ = ms;
    return 0;
}

MciError MciDevice::status(StatusItem item, std::string& reply)
{
    poll();
    switch (item) {
    case StatusItem::Mode: reply = modeWord(); return 0;
    case StatusItem::Length: reply = std::to_string(lengthMs()); return 0;
    case StatusItem::Position: reply = std::to_string(positionMs()); return 0;
    case StatusItem::Speed: reply = std::to_string(speed_); return 0;
    case StatusItem::Volume: reply = std::to_string(volume_); return 0;
    case StatusItem::TimeFormat: reply = "milliseconds"; return 0;
    case StatusItem::Ready: reply = "true"; return 0;
    default: return engineStatus(item, reply);
    }
}

MciError MciDevice::where(VideoRect rect, std::string& reply)
{
    poll();
    return engineVideoRect(rect, reply);
}

MciError MciDevice::setSpeed(uint32_t speed)
{
    if (speed < kMinSpeed || speed > kMaxSpeed)
        return MCIERR_OUTOFRANGE;
    if (const MciError error = setEngineSpeed(speed))
        return error;
    speed_ = speed;
    return 0;
}

MciError MciDevice::setVolume(uint32_t volume)
{
    if (volume > kMaxVolume)
        return MCIERR_OUTOFRANGE;
    if (engineVolume_ == volume)
        return 0;
    if (const MciError error = setEngineVolume(volume))
        return error;
    volume_ = volume;
    engineVolume_ = volume;
    return 0;
}

void MciDevice::poll()
{
    pollEngine();
    if (state_ != State::Playing)
        return;
    // An engine whose clock jumps (audio buffered ahead) may even pass the end before the
    // limit is seen: the device still ends at the "to" position.
    if (playTo_ && (engineAtEnd() || std::llround(enginePositionMs()) >= *playTo_)) {
        stopAt(*playTo_);
    } else if (engineAtEnd()) {
        followDrain();
    } else {
        lastPlaying_ = ClockedPosition{positionMs(), std::chrono::steady_clock::now()};
    }
}

void MciDevice::followDrain()
{
    if (!drain_) {
        const bool clocked = engineEndsEarly_ && lastPlaying_;
        const int64_t from = clocked ? lastPlaying_->ms + PlayedSince(*lastPlaying_) : lengthMs();
        lastPlaying_.reset();
        drain_ = ClockedPosition{std::min(from, lengthMs()), std::chrono::steady_clock::now()};
    }
    if (positionMs() < lengthMs())
        return;
    drain_.reset();
    state_ = State::Stopped;
    limitTimer_.stop();
}

int64_t MciDevice::lengthMs()
{
    return std::max<int64_t>(0, std::llround(engineDurationMs()));
}

int64_t MciDevice::positionMs()
{
    if (heldPosition_)
        return *heldPosition_;
    const int64_t length = lengthMs();
    if (drain_ && state_ == State::Playing)
        return std::min(length, drain_->ms + PlayedSince(*drain_));
    if (engineAtEnd() && length > 0)
        return length;
    const int64_t position = std::max<int64_t>(0, std::llround(enginePositionMs()));
    return length > 0 ? std::min(position, length) : position;
}

int64_t MciDevice::PlayedSince(const ClockedPosition& from) const
{
    const auto elapsed = std::chrono::steady_clock::now() - from.at;
    return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() * speed_ / 1000;
}

void MciDevice::startPlaying()
{
    lastPlaying_ = ClockedPosition{engineAtEnd() ? lengthMs() : positionMs(), std::chrono::steady_clock::now()};
    heldPosition_.reset();
    drain_.reset();
    setEnginePaused(false);
    state_ = State::Playing;
    if (playTo_)
        limitTimer_.start();
    else
        limitTimer_.stop();
}

// A paused engine's clock may still settle by a few ms after the pause; the device reports
// where it stood when told to halt, until it plays or seeks again.
void MciDevice::pauseEngineHolding(int64_t ms)
{
    setEnginePaused(true);
    heldPosition_ = ms;
}

// The limit was passed (by a check interval, or more when the clock jumped): go back to it
// exactly, as MCI stands at the "to" position afterwards.
void MciDevice::stopAt(int64_t ms)
{
    setEnginePaused(true);
    limitTimer_.stop();
    playTo_.reset();
    state_ = State::Stopped;
    seekEngine(ms);
    heldPosition_ = ms;
}

std::string MciDevice::modeWord() const
{
    switch (state_) {
    case State::Playing: return "playing";
    case State::Paused: return "paused";
    case State::Stopped: break;
    }
    return "stopped";
}

}  // namespace vistrel::mci
