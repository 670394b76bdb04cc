#pragma once
// One GStreamer playbin that plays one file: the graph behind a slot of the "DirectShow"
// back end. It prerolls at open, answers position, length, state and the stream and video
// queries, and shows its video through GstVideoOverlay in a native X11 child window of the
// window given at open. GUI thread only; every wait is bounded.
#include "support/WindowHandle.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

typedef struct _GstElement GstElement;

namespace vistrel::mci {
class VideoChildWindow;
}

namespace vistrel::gst {

struct GraphOptions {
    WindowHandle videoParent = 0;  // the window the video shows in; 0: no video output
    bool audioOnlyName = false;    // a WAV or MP3 by its name: no video output at all
    bool midi = false;             // the sound stream is named for the synthesizer
};

// How an open ended: the first error's text when it failed, and the descriptions of the
// decoders that were missing (GStreamer's missing-plugin messages), whether it failed or not.
struct OpenResult {
    std::string error;
    std::vector<std::string> missingPlugins;
};

class GstGraph {
public:
    // The playbin for `file`, prerolled to PAUSED within 5 s; null when that failed.
    static std::unique_ptr<GstGraph> Open(const std::string& file, const GraphOptions& options, OpenResult& result);
    // The pipeline goes to NULL before the video window goes, so no sink draws into a
    // window that no longer exists.
    ~GstGraph();
    GstGraph(const GstGraph&) = delete;
    GstGraph& operator=(const GstGraph&) = delete;

    // 0 stopped, 1 paused, 2 running; a pending change answers with its target.
    int State();
    // PLAYING; false with the error's text when the pipeline refused.
    bool Play(std::string& error);
    void Pause();
    // Paused at 0 with the frame kept: a new preroll is not needed to play again.
    void Stop();
    // A flushing accurate seek; a paused graph shows the frame at the target.
    void Seek(double seconds);
    bool SetRate(double rate);
    double PositionSeconds();  // the duration once the title ended
    double DurationSeconds();  // 0 when unknown

    void SetVolume(double linear);
    double Volume() const;

    int AudioStreamCount() const;
    int VideoStreamCount() const;
    int CurrentAudioStream() const;  // 0-based
    void SelectAudioStream(int index);
    void SelectVideoStream(int index);

    // The video frame's size and a pixel's height/width (0: square); false without video.
    bool VideoSize(int& width, int& height, double& pixelShape) const;
    double FrameRate() const;
    // The window that holds the video (to place and re-parent); 0 without video.
    WindowHandle VideoWindow() const;
    void PlaceVideoWindow(WindowHandle parent, int x, int y, int width, int height);
    void HideVideoWindow();

private:
    GstGraph() = default;
    bool Build(const std::string& file, const GraphOptions& options, OpenResult& result);
    bool Preroll(OpenResult& result);
    void PollBus();
    bool WaitForState(int timeoutMs);
    bool SeekTo(double seconds);
    int IntProperty(const char* name) const;

    GstElement* playbin_ = nullptr;
    std::unique_ptr<mci::VideoChildWindow> window_;
    bool stopped_ = false;
    bool atEnd_ = false;
    uint32_t lastEosSeqnum_ = 0;   // GST_SEQNUM_INVALID: none yet
    uint32_t staleEosSeqnum_ = 0;  // an end from before the last seek
    double rate_ = 1.0;
    double duration_ = 0;
};

// Test hook: graphs opened afterwards play into fake sinks without waiting for the clock.
void SetFakeSinksForTests(bool fake);

}  // namespace vistrel::gst
