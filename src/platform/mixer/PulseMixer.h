#pragma once
// The desktop's volume mixer through the sound server (PulseAudio, or PipeWire's pulse
// server): three lines the volume knobs drive.
//   Master  the default sink; follows a change of the default sink. A write keeps the
//           channel balance the sink had when we first saw it (40000/20000 set to 60000
//           becomes 60000/30000).
//   Wave    this process's playback streams that are not the synthesizer's.
//   Midi    this process's streams named "Vistrel MIDI" (the synthesizer).
// Wave and Midi keep the last value written or seen, and every new stream of their kind
// gets it. Volumes are in the server's units, 0..kMaxVolume (100 %).
//
// libpulse runs on a thread of its own; its callbacks never touch our state, they post to
// the thread that connected (the GUI thread). Reads come from that thread's copy, writes
// are sent without waiting, so nothing here ever waits on the server after Connect.
#include <QObject>

#include <cstdint>
#include <memory>

namespace vistrel::mixer {

enum class MixerLine { Master = 0, Wave = 1, Midi = 2 };

// The application name the synthesizer's streams carry (SequencerDevice's client name).
inline constexpr const char* kMidiStreamName = "Vistrel MIDI";

class PulseMixer : public QObject {
    Q_OBJECT

public:
    static constexpr uint32_t kMaxVolume = 0x10000;  // the server's 100 %

    // Connects and reads the default sink and our streams, waiting in steps of 10 ms for
    // at most `timeoutMs`. nullptr when no server with a default sink answered in time.
    static std::unique_ptr<PulseMixer> Connect(int timeoutMs = 1000);
    ~PulseMixer() override;

    // False once the server went away; then reads give 0 and writes do nothing.
    bool Connected() const;
    // The louder channel: of the default sink, or of the loudest stream of the kind (the
    // kept value while none plays).
    uint32_t Volume(MixerLine line) const;
    void SetVolume(MixerLine line, uint32_t volume);

signals:
    // Something changed on the server (another program, or the echo of our own write);
    // several changes in one turn of the event loop give one signal.
    void VolumesChanged();
    void ServerLost();

private:
    PulseMixer();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace vistrel::mixer
