#pragma once
// The main window's rail procedures: clicks and drags on the rail become seeks
// through the player front, the elapsed-time label follows, the position poll (positionTimer)
// is paused and restarted around a seek, and the seek buttons repeat 10-second steps.
// The player front, the title play control and the seek preview are reached only through
// RailHost, which the main window wires; the timers are the main window's (MainTimers).
#include "controls/RailControl.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;
class QTimer;

namespace vistrel {

class FullscreenRailWidget;
class PositionRailWidget;
struct TitleState;

// What the rail needs from other subsystems. An empty function is skipped (a getter then
// gives 0 / false).
struct RailHost {
    // Player front.
    std::function<int32_t()> MPlayGetPosition;
    std::function<void(int32_t targetMs, bool showFrame)> MPlaySeek;
    std::function<void()> MPlayResume;
    std::function<void()> MPlayPause;
    // The main window's show-frame flag for seeks.
    std::function<bool()> ShowFrameAfterSeek;
    // Title play control: EnablePositionPoll stops positionTimer, then sets it to `enable`.
    std::function<void(bool enable, const std::string& caller)> EnablePositionPoll;
    std::function<void()> PollPosition;
    std::function<void(bool keepLast, const std::string& caller)> PlaySelectedTitle;
    // File list.
    std::function<void()> FocusFileList;
    // Main window: its close request has begun.
    std::function<bool()> Closing;
    // Seek preview. HaveVid: the preview window holds a video. Move: centre it
    // horizontally on screen X `centreX` with its bottom edge at screen Y `bottomY`.
    std::function<bool()> SeekPreviewHaveVid;
    std::function<void(int centreX, int bottomY)> MoveSeekPreview;
    // The preview can serve the title's back end (GStreamer; MCI only when asked for).
    std::function<bool()> SeekPreviewAvailable;
};

// The main window's timers the rail drives (the window owns them).
struct RailTimers {
    QTimer* positionTimer = nullptr;  // the title's position poll, paused around a seek
    QTimer* railMoveTimer = nullptr;  // a rail move waiting to become a seek
    QTimer* seekRepeatTimer = nullptr;
    QTimer* showSeekPreviewTimer = nullptr;
    QTimer* updateSeekPreviewTimer = nullptr;
};

class PositionRail : public QObject {
    Q_OBJECT

public:
    // Registers the row's rail as rail 0 and connects the row's widgets and the timers
    // railMoveTimer and seekRepeatTimer. `title` is the title play control's state, read only.
    PositionRail(PositionRailWidget& row, RailTimers timers, const TitleState& title, RailHost host,
                 QObject* parent = nullptr);
    ~PositionRail() override;

    RailControl& Control() { return railControl_; }
    // Registers the strip's rail as rail 1 and connects it; its time labels follow the
    // row's from now on.
    void AttachFullscreenRail(FullscreenRailWidget& strip);

    float RailValue() const;
    void SetRailValue(float Pos);
    void SetPosLabelCaption(float RelPos, bool Refresh);
    // The title's length in lengthLabel, and both times back to "0:00", on both rails.
    void ShowLength(int32_t ms);
    void ResetTimes();
    void RailPosChanged();

    void RailMouseDown(int Button, int X);
    void RailMouseMove(int Button, int X);
    void RailMouseUp(int Button, int X);
    void AnyRailMouseMove(int Index, int Button, int X);
    void OnRailMoveTimer();

    // The fullscreen rail: a press seeks at once, a drag moves like one on the main rail.
    void FullscreenRailMouseDown(int Button, int X);
    void FullscreenRailMouseMove(int Button, int X);
    void FullscreenRailMouseUp(int Button, int X);

    void SeekButtonDown(int Index, int Button);
    void SeekButtonUp(int Index, int Button);
    void OnSeekRepeatTimer();
    void SeekRelative(int32_t StepMS);
    // A seek to an exact position within the title (the desktop's media controls).
    void SeekToPosition(int32_t targetMs);

    // The rail's main-window state.
    bool RailDragging = false;
    bool RailReopening = false;
    // -1 until the first rail seek of a title is measured; CloseMedia sets it back to -1.
    int32_t LastSeekDurationMS = -1;
    // Shared with the player front: MPlayResume sets it to TickCountMs.
    int64_t LastSeekTick = 0;
    double LastRailPos = 0.0;
    int16_t SeekButtonIndex = -1;
    // One-shot suppressions of a single rail move, for whoever moves the pointer or the
    // rail under a resting pointer (the fullscreen rail, the keyboard handling).
    bool IgnoreNextRailMove = false;
    int RailExpectedX = -1;
    int LastRailX = -1;

    // Injectable for tests: the monotonic clock (TickCountMs) and the blocking sleep.
    std::function<int64_t()> TickCountMs;
    std::function<void(int64_t ms)> SleepMs;

private:
    void ConnectWidgets();
    void ConnectTimers();
    void CopyTimesToFullscreenRail();
    void DriveSeekPreview(int Index, int X);
    void SeekNow(int32_t targetMs);
    void ThrottleRelativeSeek();
    void CallEnablePositionPoll(bool enable, const std::string& caller);
    bool Closed() const;

    PositionRailWidget& row_;
    RailTimers timers_;
    const TitleState& title_;
    RailHost host_;
    RailControl railControl_;
    QPointer<FullscreenRailWidget> strip_;
    int lastFullscreenRailX_ = -1;
    int lastPreviewScreenX_ = INT32_MIN;
};

}  // namespace vistrel
