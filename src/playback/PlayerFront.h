#pragma once
// The player front. The one place where the rest of the program meets the current media;
// it forwards each operation to the MCI back end (MciVoice) or the second back end
// (GStreamer, labelled "DirectShow") according to MediaInterface. GUI thread only.
#include "support/TitleState.h"
#include "support/WindowHandle.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vistrel {

inline constexpr int16_t kMediaInterfaceDirectShow = 0;
inline constexpr int16_t kMediaInterfaceMCI = 1;

// What the player front requires of the second back end (GStreamer).
class DirectShowBackend {
public:
    virtual ~DirectShowBackend() = default;
    // The flags ask it to enumerate and choose audio and video streams.
    virtual bool Open(const std::string& fileName, WindowHandle parent, int32_t volume, bool multiAudio,
                      bool multiVideo) = 0;
    // keepLast True: release only the graph kept from the previous title; False: both.
    virtual void Close(bool keepLast) = 0;
    virtual void CloseLast() = 0;
    virtual int32_t GetState() = 0;  // 2 = running
    virtual int32_t Run() = 0;       // the code of the run (resume)
    virtual void Pause() = 0;
    virtual int32_t Stop() = 0;
    virtual void Seek(int32_t targetMs, bool showFrame) = 0;
    virtual double GetPositionSeconds() = 0;
    virtual int32_t GetLengthMs() = 0;
    virtual double GetFrameRate() = 0;
    virtual void SetVolume(int32_t volume0To100) = 0;
    virtual bool SetSpeed(int32_t speed) = 0;  // 1000 = normal
    virtual WindowHandle GetVideoWindow() = 0;
    // As PlayerFront::MPlayGetVideoSize.
    virtual bool GetVideoSize(int32_t& width, int32_t& height, double& pixelShape) = 0;
    virtual int32_t GetAudioStreamCount() = 0;
    virtual int32_t GetVideoStreamCount() = 0;
    virtual void SelectAudioStream(int32_t index) = 0;
    virtual void SelectVideoStream(int32_t index) = 0;
    // The decoders found missing by the last open, whether it failed or not.
    virtual std::vector<std::string> MissingDecoders() { return {}; }
    // The files its graphs hold open (a temporary copy among them must not be wiped).
    virtual std::vector<std::string> OpenFileNames() const { return {}; }
};

// What the front asks of the main window and of features not built yet; each unset hook
// does nothing (or answers as named).
struct PlayerFrontHooks {
    std::function<void()> EnablePositionPoll;                                // after every seek
    std::function<void()> UnloadSeekPreviewIfLoaded;                   // after MPlayClose
    std::function<void()> HideFullscreenRailIfVisible;                 // after MPlayClose
    std::function<void()> WipeNewestTempCopy;                          // after MPlayClose(Last)
    std::function<bool()> IsDirectShowAvailable;                       // unset: false
    std::function<void(const std::string&)> SetMediaInterfaceCaption;  // mediaInterfaceLabel
    std::function<WindowHandle(WindowHandle)> FirstChildWindow;        // unset: 0
    std::function<int64_t()> TickCountMs;                              // unset: the process clock
};

class PlayerFront {
public:
    // `title` is the title play control's state (playState for ToggleMediaInterface).
    explicit PlayerFront(const TitleState& title) : title_(title) {}

    // The back end the user chose (the "MCI"/"DirectShow" switch, saved as UseMCI).
    int16_t MediaInterface = kMediaInterfaceMCI;
    int32_t LastSeekTarget = 0;
    int32_t MCISpeedError = 0;
    int64_t LastSeekTick = 0;

    PlayerFrontHooks Hooks;
    // The second back end; null until it exists: then its operations do nothing.
    DirectShowBackend* DirectShow = nullptr;

    // `reportFailure` false keeps MCI's error box back, for ReportOpenFailure to show later.
    bool MPlayOpen(const std::string& fileName, WindowHandle parent, int32_t volume, bool multiAudio,
                   bool multiVideo, bool reportFailure = true);
    // Opens on the back end the user did not choose; the title then plays there until it
    // closes. False when that back end is not available or cannot open the file either.
    bool MPlayOpenOnOtherInterface(const std::string& fileName, WindowHandle parent, int32_t volume,
                                   bool multiAudio, bool multiVideo);
    // MCI's error box for the last open that failed quietly; nothing on the other back end.
    void ReportOpenFailure();
    // The back end of the open title; the chosen one while no title is open.
    int16_t TitleInterface() const { return titleInterface_ >= 0 ? titleInterface_ : MediaInterface; }
    static const char* InterfaceName(int16_t mediaInterface);
    void MPlayClose(bool keepLast);
    void MPlayCloseLast();
    bool MPlayStart();
    void MPlayPause();
    int32_t MPlayResume();
    int32_t MPlayStop();
    void MPlaySeek(int32_t targetMs, bool showFrame);
    int32_t MPlayGetPosition();
    int32_t MPlayGetLength();
    double MPlayGetFrameRate();
    void MPlaySetVolume(int32_t volume);
    bool MPlaySetSpeed(int32_t speed);
    void MPlayGetVideoWindows(WindowHandle& videoWindow, WindowHandle& innerWindow);
    // The frame's size in pixels and the height/width of one pixel (0: square or unknown);
    // false, with zeros, when there is no video or the back end cannot say.
    bool MPlayGetVideoSize(int32_t& width, int32_t& height, double& pixelShape);
    int32_t MPlayGetAudioStreamCount();
    int32_t MPlayGetVideoStreamCount();
    void MPlaySelectAudioStream(int32_t index);
    void MPlaySelectVideoStream(int32_t index);
    // The descriptions of the decoders the last open missed, joined by ", "; "" on MCI.
    std::string MPlayMissingDecoders();

    void ToggleMediaInterface();
    // A mouse press with any button on mediaInterfaceLabel.
    void MediaInterfaceLabelPressed() { ToggleMediaInterface(); }

private:
    bool UsesMCI() const { return TitleInterface() == kMediaInterfaceMCI; }
    bool HasFrontEnd() const;               // TitleInterface() is 0 or 1
    DirectShowBackend* DirectShowOrNull() const;  // the back end when the title is on DirectShow
    bool OpenOn(int16_t mediaInterface, const std::string& fileName, WindowHandle parent, int32_t volume,
                bool multiAudio, bool multiVideo, bool reportFailure);
    int64_t Now() const;
    void CloseSideEffects();

    const TitleState& title_;
    int16_t titleInterface_ = -1;  // -1: no title open
    uint32_t mciOpenError_ = 0;    // of the last MCI open, kept for ReportOpenFailure
};

}  // namespace vistrel
