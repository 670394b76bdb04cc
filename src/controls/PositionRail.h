#pragma once
// Part 6.1: the main window's rail procedures: clicks and drags on the rail become seeks
// through the player front, the elapsed-time label follows, the position poll (Timer1)
// is paused and restarted around a seek, and the seek buttons repeat 10-second steps.
// The player front, the title play control and the seek preview are reached only through
// RailHost, which the main window wires; the timers are the main window's (MainTimers).
#include "controls/clsMmRails.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <string>

class QLabel;

namespace vistrel {

class MainTimers;
class PositionRailWidget;
struct TitleState;

// What the rail needs from other Parts. An empty function is skipped (a getter then
// gives 0 / false). Names are the spec's.
struct RailHost {
    // Player front (Part 3.2).
    std::function<int32_t()> MPlayGetPosition;
    std::function<void(int32_t targetMs, bool showFrame)> MPlaySeek;
    std::function<void()> MPlayResume;
    std::function<void()> MPlayPause;
    // The main window's show-frame flag for seeks (Part 5.1).
    std::function<bool()> ShowFrameAfterSeek;
    // Title play control (Part 3.3): Timer1Enable stops Timer1, then sets it to `enable`.
    std::function<void(bool enable, const std::string& caller)> Timer1Enable;
    std::function<void()> Timer1_Timer;
    std::function<void(bool keepLast, const std::string& caller)> PlayTitleFromFile1;
    // File list (Part 4.1).
    std::function<void()> FilesListBox_SetFocus;
    // Main window (Part 1.3): its close request has begun.
    std::function<bool()> Closing;
    // The fullscreen strip's lblAkt (Part 5.3) gets the main lblAkt's text.
    std::function<void(const std::string& text)> SetFullscreenLblAkt;
    // Seek preview (Part 5.2). HaveVid: the preview window holds a video. Move: centre it
    // horizontally on screen X `centreX` with its bottom edge at screen Y `bottomY`.
    std::function<bool()> SeekPreviewHaveVid;
    std::function<void(int centreX, int bottomY)> MoveSeekPreview;
    // The player is on the DirectShow interface (MediaInterface = 0).
    std::function<bool()> IsDirectShow;
};

class PositionRail : public QObject {
    Q_OBJECT

public:
    // Registers the row's rail as rail 0 and connects the row's widgets and the timers
    // RailPosChangedTimer and timSeeking. `title` is Part 3.3's state, read only.
    PositionRail(PositionRailWidget& row, MainTimers& timers, const TitleState& title, RailHost host,
                 QObject* parent = nullptr);
    ~PositionRail() override;

    clsMmRails& MmRails() { return mmRails_; }

    float GetMCISliderValue() const;
    void SetMCISliderValue(float Pos);
    void SetPosLabelCaption(float RelPos, bool Refresh);
    void RailPosChanged();

    void picMCIRail_MouseDown(int Button, int X);
    void picMCIRail_MouseMove(int Button, int X);
    void picMCIRail_MouseUp(int Button, int X);
    void MCIRail_MouseMove(int Index, int Button, int X);
    void RailPosChangedTimer_Timer();

    void picSeekButton_MouseDown(int Index, int Button);
    void picSeekButton_MouseUp(int Index, int Button);
    void timSeeking_Timer();
    void SeekRelative(int32_t StepMS);

    // Main-window state of Part 6.1 (names are the spec's).
    bool RailDragging = false;
    bool RailReopening = false;
    // -1 until the first rail seek of a title is measured; Part 3.3's CloseMedia sets -1.
    int32_t LastSeekDurationMS = -1;
    // Shared with Part 3.2: MPlayResume sets it to TickCountMs.
    int64_t LastSeekTick = 0;
    double LastRailPos = 0.0;
    int16_t SeekButtonIndex = -1;
    // One-shot suppressions of a single rail move (Algorithms 4), for whoever moves the
    // pointer or the rail under a resting pointer (Parts 5.3, 6.2).
    bool IgnoreNextRailMove = false;
    int RailExpectedX = -1;
    int LastRailX = -1;

    // Injectable for tests: the monotonic clock (TickCountMs) and the blocking sleep.
    std::function<int64_t()> TickCountMs;
    std::function<void(int64_t ms)> SleepMs;

private:
    void ConnectWidgets();
    void ConnectTimers();
    void DriveSeekPreview(int Index, int X);
    void SeekNow(int32_t targetMs);
    void ThrottleRelativeSeek();
    void WriteLblAkt(const QString& text);
    void CallTimer1Enable(bool enable, const std::string& caller);
    bool Closed() const;

    PositionRailWidget& row_;
    MainTimers& timers_;
    const TitleState& title_;
    RailHost host_;
    clsMmRails mmRails_;
    int lastPreviewScreenX_ = INT32_MIN;
};

// Elapsed-time text "m:ss" for `ms` (unbounded minutes); "0:00" below 0.
std::string FormatRailTime(int64_t ms);

}  // namespace vistrel
