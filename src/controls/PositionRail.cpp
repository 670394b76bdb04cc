#include "controls/PositionRail.h"

#include "app/MainTimers.h"
#include "controls/PositionRailWidget.h"
#include "controls/TickCount.h"
#include "playback/TitleState.h"

#include <QApplication>
#include <QLabel>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <type_traits>

namespace vistrel {

namespace {
constexpr int kDragSeekDelayMs = 120;
constexpr int kClickSeekDelayMs = 10;
constexpr int64_t kRelativeSeekSpacingMs = 100;
constexpr int32_t kSeekButtonStepMs = 10000;
constexpr int32_t kHourglassAboveMs = 300;
constexpr int32_t kDeferDragSeeksFromMs = 100;

// Host hooks may be left empty: then nothing happens (or the fallback is the result).
template <typename R, typename... Args>
R CallOr(const std::function<R(Args...)>& f, std::type_identity_t<R> fallback, std::type_identity_t<Args>... args)
{
    return f ? f(args...) : fallback;
}

template <typename... Args>
void CallIfSet(const std::function<void(Args...)>& f, std::type_identity_t<Args>... args)
{
    if (f)
        f(args...);
}
}  // namespace

std::string FormatRailTime(int64_t ms)
{
    if (ms < 0)
        return "0:00";
    const int64_t minutes = ms / 60 / 1000;
    const int64_t seconds = ms / 1000 - minutes * 60;
    return std::to_string(minutes) + (seconds < 10 ? ":0" : ":") + std::to_string(seconds);
}

PositionRail::PositionRail(PositionRailWidget& row, MainTimers& timers, const TitleState& title, RailHost host,
                           QObject* parent)
    : QObject(parent),
      TickCountMs([] { return vistrel::TickCountMs(); }),
      SleepMs([](int64_t ms) { QThread::msleep(static_cast<unsigned long>(std::max<int64_t>(ms, 0))); }),
      row_(row),
      timers_(timers),
      title_(title),
      host_(std::move(host)),
      mmRails_(MmRailsHost{
          [this](bool enable, const std::string& caller) { CallTimer1Enable(enable, caller); },
          [this] { timers_.RailPosChangedTimer->start(); },
          [this] { RailPosChanged(); },
          [this] { return CallOr(host_.Closing, false); },
      })
{
    setObjectName("PositionRail");
    ConnectWidgets();
    ConnectTimers();
    mmRails_.SetPictureBoxes(0, row_.picMCIRail, row_.picMCISlider);
}

PositionRail::~PositionRail() = default;

void PositionRail::ConnectWidgets()
{
    connect(row_.picMCIRail, &RailPicture::MouseDown, this, &PositionRail::picMCIRail_MouseDown);
    connect(row_.picMCIRail, &RailPicture::MouseMove, this, &PositionRail::picMCIRail_MouseMove);
    connect(row_.picMCIRail, &RailPicture::MouseUp, this, &PositionRail::picMCIRail_MouseUp);
    for (SeekButton* button : row_.picSeekButton) {
        const int index = button->Index();
        connect(button, &SeekButton::MouseDown, this, [this, index](int b) { picSeekButton_MouseDown(index, b); });
        connect(button, &SeekButton::MouseUp, this, [this, index](int b) { picSeekButton_MouseUp(index, b); });
    }
}

void PositionRail::ConnectTimers()
{
    connect(timers_.RailPosChangedTimer, &QTimer::timeout, this, &PositionRail::RailPosChangedTimer_Timer);
    connect(timers_.timSeeking, &QTimer::timeout, this, &PositionRail::timSeeking_Timer);
}

void PositionRail::CallTimer1Enable(bool enable, const std::string& caller)
{
    CallIfSet(host_.Timer1Enable, enable, caller);
}

bool PositionRail::Closed() const
{
    return title_.mciStatus == MMSTATE_CLOSED;
}

// ---- Position and label ------------------------------------------------------------

float PositionRail::GetMCISliderValue() const
{
    return mmRails_.Position();
}

void PositionRail::SetMCISliderValue(float Pos)
{
    Pos = std::clamp(Pos, 0.0f, 1.0f);
    mmRails_.SetPosition(Pos);
    SetPosLabelCaption(Pos, false);
}

void PositionRail::WriteLblAkt(const QString& text)
{
    // Linux counts as "Windows 6.0 or later" (OSVersion from uname, DESIGN.md section 3).
    row_.lblVistaFlicker->setText(text + "-");
    row_.lblAkt->setText(text);
}

void PositionRail::SetPosLabelCaption(float RelPos, bool Refresh)
{
    const int64_t ms = std::llrint(static_cast<double>(title_.CurrentTitleLengthMS) * RelPos);
    const QString text = QString::fromStdString(FormatRailTime(ms));
    if (ms >= 0) {
        if (row_.lblAkt->text() != text)
            WriteLblAkt(text);
    } else {
        row_.lblAkt->setText("0:00");
    }
    if (Refresh)
        row_.lblAkt->repaint();
    CallIfSet(host_.SetFullscreenLblAkt, row_.lblAkt->text().toStdString());
}

// ---- Seeking to the rail's position ------------------------------------------------

void PositionRail::SeekNow(int32_t targetMs)
{
    CallIfSet(host_.MPlaySeek, targetMs, CallOr(host_.ShowFrameAfterSeek, false));
}

void PositionRail::RailPosChanged()
{
    if (RailReopening)
        return;
    const bool pollWasRunning = timers_.Timer1->isActive();
    if (pollWasRunning) {
        CallTimer1Enable(false, "RailPosChanged  mciStatus <> MMSTATE_CLOSED");
        CallTimer1Enable(true, "RailPosChanged  mciStatus <> MMSTATE_CLOSED");
    }
    const float pos = mmRails_.Position();
    LastRailPos = pos;
    const auto target = static_cast<int32_t>(std::lrint(static_cast<double>(title_.CurrentTitleLengthMS) * pos));
    if (Closed())
        CallIfSet(host_.PlayTitleFromFile1, false, std::string("RailPosChanged"));

    const int64_t t0 = TickCountMs();
    const bool hourglass = LastSeekDurationMS > kHourglassAboveMs;
    if (hourglass)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    LastSeekTick = TickCountMs();
    SeekNow(target);
    if (hourglass)
        QApplication::restoreOverrideCursor();
    if (LastSeekDurationMS == -1)
        LastSeekDurationMS = static_cast<int32_t>(TickCountMs() - t0);

    SetPosLabelCaption(pos, pollWasRunning);
}

void PositionRail::RailPosChangedTimer_Timer()
{
    timers_.RailPosChangedTimer->stop();
    RailPosChanged();
}

// ---- Main rail pointer handling ----------------------------------------------------

void PositionRail::picMCIRail_MouseDown(int Button, int X)
{
    if (Button != vbLeftButton)
        return;
    timers_.RailPosChangedTimer->stop();
    // A press seeks after the short interval; only a drag defers by 120 ms (decision).
    timers_.RailPosChangedTimer->setInterval(kClickSeekDelayMs);
    CallIfSet(host_.FilesListBox_SetFocus);
    RailDragging = true;
    CallTimer1Enable(false, "picMCIRail_MouseDown");
    if (Closed()) {
        RailReopening = true;
        CallIfSet(host_.PlayTitleFromFile1, false, std::string("picMCIRail_MouseDown"));
        CallIfSet(host_.MPlayPause);
        RailReopening = false;
    }
    mmRails_.MouseDown(0, X);
    timers_.RailPosChangedTimer->start();
    CallIfSet(host_.FilesListBox_SetFocus);
    CallTimer1Enable(true, "picMCIRail_MouseDown");
}

void PositionRail::picMCIRail_MouseMove(int Button, int X)
{
    if (X != LastRailX)
        MCIRail_MouseMove(0, Button, X);
    LastRailX = X;
}

void PositionRail::MCIRail_MouseMove(int Index, int Button, int X)
{
    if (IgnoreNextRailMove) {
        IgnoreNextRailMove = false;
        LastRailX = X;
        return;
    }
    const float fraction = mmRails_.MouseMove(Index, Button, X);
    if (title_.hVidMain != 0)
        DriveSeekPreview(Index, X);
    if (X == RailExpectedX) {
        LastRailX = RailExpectedX;
        RailExpectedX = -1;
        return;
    }
    if (Button != vbLeftButton) {
        LastRailX = X;
        return;
    }
    SetPosLabelCaption(fraction, true);
    if (!RailReopening && !Closed()) {
        // Slow media (video, or a first seek of 100 ms or more): seek when the drag rests.
        if (title_.hVidVid != 0 || LastSeekDurationMS >= kDeferDragSeeksFromMs) {
            timers_.RailPosChangedTimer->setInterval(kDragSeekDelayMs);
            timers_.RailPosChangedTimer->start();
        } else {
            RailPosChangedTimer_Timer();
        }
    }
    LastRailX = X;
}

void PositionRail::DriveSeekPreview(int Index, int X)
{
    if (CallOr(host_.SeekPreviewHaveVid, false)) {
        RailPicture* rail = mmRails_.Rail(Index);
        const int screenX = rail ? rail->mapToGlobal(QPoint(X, 0)).x() : X;
        if (screenX != lastPreviewScreenX_) {
            lastPreviewScreenX_ = screenX;
            const int railTop = rail ? rail->mapToGlobal(QPoint(0, 0)).y() : 0;
            CallIfSet(host_.MoveSeekPreview, screenX, railTop - 4);
            timers_.UpdateSeekPreviewTimer->start();
        }
        timers_.ShowSeekPreviewTimer->stop();
    } else if (CallOr(host_.IsDirectShow, false)) {
        timers_.ShowSeekPreviewTimer->start();
    }
}

void PositionRail::picMCIRail_MouseUp(int, int)
{
    if (title_.hVidVid > 0) {
        if (title_.mciStatus == MMSTATE_PLAY) {
            CallIfSet(host_.MPlayResume);
            timers_.Timer1->stop();
            CallIfSet(host_.Timer1_Timer);
            CallTimer1Enable(true, "picMCIRail_MouseUp");
        } else {
            CallTimer1Enable(false, "picMCIRail_MouseUp");
        }
    }
    RailDragging = false;
}

// ---- Seek buttons and relative seeks -----------------------------------------------

void PositionRail::picSeekButton_MouseDown(int Index, int Button)
{
    if (Index >= 0 && Index < 2)
        row_.picSeekButton[Index]->DrawPressed();
    SeekButtonIndex = static_cast<int16_t>(Index);
    if (Button == vbLeftButton)
        timers_.timSeeking->setInterval(100);
    else if (Button == vbRightButton)
        timers_.timSeeking->setInterval(50);
    else if (Button == (vbLeftButton | vbRightButton))
        timers_.timSeeking->setInterval(10);
    timSeeking_Timer();
    timers_.timSeeking->start();
}

void PositionRail::picSeekButton_MouseUp(int Index, int)
{
    if (Index >= 0 && Index < 2)
        row_.picSeekButton[Index]->DrawReleased();
    SeekButtonIndex = -1;
    timers_.timSeeking->stop();
    if (title_.mciStatus == MMSTATE_PLAY)
        CallIfSet(host_.MPlayResume);
}

void PositionRail::timSeeking_Timer()
{
    if (SeekButtonIndex == 0)
        SeekRelative(-kSeekButtonStepMs);
    else if (SeekButtonIndex == 1)
        SeekRelative(kSeekButtonStepMs);
    else
        timers_.timSeeking->stop();
}

void PositionRail::ThrottleRelativeSeek()
{
    const int64_t since = TickCountMs() - LastSeekTick;
    if (since < kRelativeSeekSpacingMs)
        SleepMs(std::min(kRelativeSeekSpacingMs - since, kRelativeSeekSpacingMs));
    // Read after the sleep, so that the next seek is spaced from this one's start.
    LastSeekTick = TickCountMs();
}

void PositionRail::SeekRelative(int32_t StepMS)
{
    const int32_t cur = CallOr(host_.MPlayGetPosition, int32_t{0});
    const int32_t len = title_.CurrentTitleLengthMS;
    if (len == 0)
        return;
    // VB rounding (half to even) makes the halving end at 0 (1 / 2 = 0.5 -> 0).
    while (StepMS > 0 && int64_t{cur} + StepMS > len)
        StepMS = static_cast<int32_t>(std::lrint(StepMS / 2.0));
    ThrottleRelativeSeek();
    const int64_t target = int64_t{CallOr(host_.MPlayGetPosition, int32_t{0})} + StepMS;
    SeekNow(static_cast<int32_t>(std::clamp<int64_t>(target, INT32_MIN, INT32_MAX)));
    const float rel = static_cast<float>(static_cast<double>(cur) / len);
    SetPosLabelCaption(rel, true);
    SetMCISliderValue(rel);
}

}  // namespace vistrel
