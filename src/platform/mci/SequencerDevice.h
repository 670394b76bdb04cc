#pragma once
// The "sequencer" MCI device: a GStreamer pipeline
// filesrc ! midiparse ! fluiddec ! audioconvert ! audioresample ! speed filter ! volume ! pulsesink.
// Bus messages are read on the GUI thread whenever the device is asked anything.
#include "platform/mci/MciDevice.h"

#include <memory>
#include <string>

typedef struct _GstElement GstElement;

namespace vistrel::mci {

class SequencerDevice final : public MciDevice {
public:
    // Opens `file` (an existing file) and waits until it is prerolled, paused at its start.
    static MciError Open(const std::string& file, const EngineOptions& options, std::unique_ptr<MciDevice>& device);
    ~SequencerDevice() override;

    MciError setMute(bool mute) override;
    MciError setAudioStream(uint32_t stream) override;

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

private:
    SequencerDevice() = default;
    MciError build(const std::string& file, bool untimed);
    MciError preroll();
    MciError failureFromBus();
    bool waitForStateChange();
    // A flushing exact seek at `rate` (1 = normal); returns when the pipeline stands there.
    bool seekAt(double ms, double rate);

    GstElement* pipeline_ = nullptr;
    GstElement* volume_ = nullptr;  // owned by the pipeline
    GstElement* sink_ = nullptr;    // owned by the pipeline
    double durationMs_ = 0;
    double rate_ = 1.0;
    bool atEnd_ = false;
};

}  // namespace vistrel::mci
