#pragma once
// The second back end ("DirectShow") on GStreamer: two graph slots, so that a new title
// can start while the previous one is still heard (overlapped play). The current slot
// holds the title the front speaks of; the other slot the title before it, released by
// the main window's close-last-media timer or by the next open.
#include "playback/PlayerFront.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vistrel {

namespace gst {
class GstGraph;
}

struct DirectShowHooks {
    // Starts the close-last-media timer with the given interval.
    std::function<void(int32_t ms)> StartCloseLastTimer;
    std::function<int32_t()> OverlappedPlayTimeMS;  // unset: 100
};

class DirectShowPlayer : public DirectShowBackend {
public:
    DirectShowPlayer();
    ~DirectShowPlayer() override;

    DirectShowHooks Hooks;

    bool Open(const std::string& fileName, WindowHandle parent, int32_t volume, bool multiAudio,
              bool multiVideo) override;
    void Close(bool keepLast) override;
    void CloseLast() override;
    int32_t GetState() override;
    int32_t Run() override;
    void Pause() override;
    int32_t Stop() override;
    void Seek(int32_t targetMs, bool showFrame) override;
    double GetPositionSeconds() override;
    int32_t GetLengthMs() override;
    double GetFrameRate() override;
    void SetVolume(int32_t volume0To100) override;
    bool SetSpeed(int32_t speed) override;
    WindowHandle GetVideoWindow() override;
    bool GetVideoSize(int32_t& width, int32_t& height, double& pixelShape) override;
    int32_t GetAudioStreamCount() override;
    int32_t GetVideoStreamCount() override;
    void SelectAudioStream(int32_t index) override;
    void SelectVideoStream(int32_t index) override;
    std::vector<std::string> MissingDecoders() override { return missingPlugins_; }
    std::vector<std::string> OpenFileNames() const override;

    // Moves the video window `window` of either slot into `parent`; nothing for a window of
    // no slot.
    void SetVideoWindowParent(WindowHandle window, WindowHandle parent, int x, int y, int w, int h);
    // The first error's text of the last open that failed.
    const std::string& LastError() const { return lastError_; }
    int32_t VolumeDb100() const { return volumeDb100_; }
    // The current slot's linear volume as the graph has it (1 without a graph).
    double GraphVolume() const;
    int CurrentAudioStream() const;  // 0-based; -1 without a graph

private:
    gst::GstGraph* Current() const;
    void CloseSlot(int slot);
    void FindStreams(bool multiAudio, bool multiVideo);

    std::array<std::unique_ptr<gst::GstGraph>, 2> slots_;
    std::array<std::string, 2> fileNames_;  // what each slot's graph plays
    int current_ = 0;
    bool hasAudio_ = false;
    bool hasVideo_ = false;
    int32_t audioStreams_ = 0;
    int32_t videoStreams_ = 0;
    int32_t volumeDb100_ = 0;
    std::string lastError_;
    std::vector<std::string> missingPlugins_;
};

// Hundredths of a decibel for a volume of 0..100: 0 gives -10000 (silent), 50 about -1000,
// 100 gives 0.
int32_t VolumeToDb100(int32_t volume0To100);
// The linear factor of a level in hundredths of a decibel; -10000 is silence.
double Db100ToLinear(int32_t db100);

}  // namespace vistrel
