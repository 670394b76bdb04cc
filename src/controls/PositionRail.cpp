#include "controls/PositionRail.h"

#include "controls/FullscreenRailWidget.h"
#include "controls/PositionRailWidget.h"
#include "support/Hooks.h"
#include "support/TickCount.h"
#include "support/TimeText.h"
#include "support/TitleState.h"

#include <QApplication>
#include <QLabel>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

namespace vistrel {

namespace {
constexpr int kDragSeekDelayMs = 120;
constexpr int kClickSeekDelayMs = 10;
constexpr int64_t kRelativeSeekSpacingMs = 100;
constexpr int32_t kSeekButtonStepMs = 10000;
constexpr int32_t kHourglassAboveMs = 300;
constexpr int32_t kDeferDragSeeksFromMs = 100;

}  // namespace

PositionRail::PositionRail(PositionRailWidget& row, RailTimers timers, const TitleState& title, RailHost host,
                           QObject* parent)
    : QObject(parent),
      TickCountMs([] { return vistrel::TickCountMs(); }),
      SleepMs([](int64_t ms) { QThread::msleep(static_cast<unsigned long>(std::max<int64_t>(ms, 0))); }),
      row_(row),
      timers_(timers),
      title_(title),
      host_(std::move(host)),
      railControl_(RailControlHost{
          [this](bool enable, const std::string& caller) { CallEnablePositionPoll(enable, caller); },
          [this] { timers_.railMoveTimer->start(); },
          [this] { RailPosChanged(); },
          [this] { return CallOr(host_.Closing, false); },
      })
{
    setObjectName("PositionRail");
    ConnectWidgets();
    ConnectTimers();
    railControl_.Attach(0, row_.railPicture, row_.railKnob);
}

PositionRail::~PositionRail() = default;

void PositionRail::ConnectWidgets()
{
    connect(row_.railPicture, &RailPicture::MouseDown, this, &PositionRail::RailMouseDown);
    connect(row_.railPicture, &RailPicture::MouseMove, this, &PositionRail::RailMouseMove);
    connect(row_.railPicture, &RailPicture::MouseUp, this, &PositionRail::RailMouseUp);
    for (SeekButton* button : row_.seekButtons) {
        const int index = button->Index();
        connect(button, &SeekButton::MouseDown, this, [this, index](int b) { SeekButtonDown(index, b); });
        connect(button, &SeekButton::MouseUp, this, [this, index](int b) { SeekButtonUp(index, b); });
    }
}

void PositionRail::AttachFullscreenRail(FullscreenRailWidget& strip)
{
    if (strip_)
        disconnect(strip_->railPicture, nullptr, this, nullptr);
    strip_ = &strip;
    connect(strip.railPicture, &RailPicture::MouseDown, this, &PositionRail::FullscreenRailMouseDown);
    connect(strip.railPicture, &RailPicture::MouseMove, this, &PositionRail::FullscreenRailMouseMove);
    connect(strip.railPicture, &RailPicture::MouseUp, this, &PositionRail::FullscreenRailMouseUp);
    railControl_.Attach(1, strip.railPicture, strip.railKnob);
    CopyTimesToFullscreenRail();
}

void PositionRail::ConnectTimers()
{
    connect(timers_.railMoveTimer, &QTimer::timeout, this, &PositionRail::OnRailMoveTimer);
    connect(timers_.seekRepeatTimer, &QTimer::timeout, this, &PositionRail::OnSeekRepeatTimer);
}

void PositionRail::CallEnablePositionPoll(bool enable, const std::string& caller)
{
    CallIfSet(host_.EnablePositionPoll, enable, caller);
}

bool PositionRail::Closed() const
{
    return title_.playState == MMSTATE_CLOSED;
}

// ---- Position and label ------------------------------------------------------------

float PositionRail::RailValue() const
{
    return railControl_.Position();
}

void PositionRail::SetRailValue(float Pos)
{
    Pos = std::clamp(Pos, 0.0f, 1.0f);
    railControl_.SetPosition(Pos);
    SetPosLabelCaption(Pos, false);
}

void PositionRail::SetPosLabelCaption(float RelPos, bool Refresh)
{
    const int64_t ms = std::llrint(static_cast<double>(title_.CurrentTitleLengthMS) * RelPos);
    const QString text = QString::fromStdString(MinutesSecondsText(ms));
    if (ms >= 0) {
        if (row_.elapsedLabel->text() != text)
            row_.elapsedLabel->setText(text);
    } else {
        row_.elapsedLabel->setText("0:00");
    }
    if (Refresh)
        row_.elapsedLabel->repaint();
    CopyTimesToFullscreenRail();
}

void PositionRail::ShowLength(int32_t ms)
{
    row_.lengthLabel->setText(QString::fromStdString(MinutesSecondsText(ms)));
    CopyTimesToFullscreenRail();
}

void PositionRail::ResetTimes()
{
    row_.elapsedLabel->setText("0:00");
    row_.lengthLabel->setText("0:00");
    CopyTimesToFullscreenRail();
}

// The strip shows the row's texts; a label is written only when its text changes.
void PositionRail::CopyTimesToFullscreenRail()
{
    if (!strip_)
        return;
    const std::pair<QLabel*, QLabel*> copies[] = {{row_.elapsedLabel, strip_->elapsedLabel},
                                                   {row_.lengthLabel, strip_->lengthLabel}};
    for (auto [from, to] : copies) {
        if (to->text() != from->text())
            to->setText(from->text());
    }
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
    const bool pollWasRunning = timers_.positionTimer->isActive();
    if (pollWasRunning) {
        CallEnablePositionPoll(false, "RailPosChanged  playState <> MMSTATE_CLOSED");
        CallEnablePositionPoll(true, "RailPosChanged  playState <> MMSTATE_CLOSED");
    }
    const float pos = railControl_.Position();
    LastRailPos = pos;
    const auto target = static_cast<int32_t>(std::lrint(static_cast<double>(title_.CurrentTitleLengthMS) * pos));
    if (Closed())
        CallIfSet(host_.PlaySelectedTitle, false, std::string("RailPosChanged"));

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

void PositionRail::OnRailMoveTimer()
{
    timers_.railMoveTimer->stop();
    RailPosChanged();
}

// ---- Main rail pointer handling ----------------------------------------------------

void PositionRail::RailMouseDown(int Button, int X)
{
    if (Button != kLeftButton)
        return;
    timers_.railMoveTimer->stop();
    // A press seeks after the short interval, even when a drag left 120 ms set; only a
    // drag waits for the pointer to rest.
    timers_.railMoveTimer->setInterval(kClickSeekDelayMs);
    CallIfSet(host_.FocusFileList);
    RailDragging = true;
    CallEnablePositionPoll(false, "RailMouseDown");
    if (Closed()) {
        RailReopening = true;
        CallIfSet(host_.PlaySelectedTitle, false, std::string("RailMouseDown"));
        CallIfSet(host_.MPlayPause);
        RailReopening = false;
    }
    railControl_.MouseDown(0, X);
    timers_.railMoveTimer->start();
    CallIfSet(host_.FocusFileList);
    CallEnablePositionPoll(true, "RailMouseDown");
}

void PositionRail::RailMouseMove(int Button, int X)
{
    if (X != LastRailX)
        AnyRailMouseMove(0, Button, X);
    LastRailX = X;
}

void PositionRail::AnyRailMouseMove(int Index, int Button, int X)
{
    if (IgnoreNextRailMove) {
        IgnoreNextRailMove = false;
        LastRailX = X;
        return;
    }
    const float fraction = railControl_.MouseMove(Index, Button, X);
    if (title_.videoWindow != 0)
        DriveSeekPreview(Index, X);
    if (X == RailExpectedX) {
        LastRailX = RailExpectedX;
        RailExpectedX = -1;
        return;
    }
    if (Button != kLeftButton) {
        LastRailX = X;
        return;
    }
    SetPosLabelCaption(fraction, true);
    if (!RailReopening && !Closed()) {
        // Slow media (video, or a first seek of 100 ms or more): seek when the drag rests.
        if (title_.innerVideoWindow != 0 || LastSeekDurationMS >= kDeferDragSeeksFromMs) {
            timers_.railMoveTimer->setInterval(kDragSeekDelayMs);
            timers_.railMoveTimer->start();
        } else {
            OnRailMoveTimer();
        }
    }
    LastRailX = X;
}

void PositionRail::DriveSeekPreview(int Index, int X)
{
    if (CallOr(host_.SeekPreviewHaveVid, false)) {
        RailPicture* rail = railControl_.Rail(Index);
        const int screenX = rail ? rail->mapToGlobal(QPoint(X, 0)).x() : X;
        if (screenX != lastPreviewScreenX_) {
            lastPreviewScreenX_ = screenX;
            const int railTop = rail ? rail->mapToGlobal(QPoint(0, 0)).y() : 0;
            CallIfSet(host_.MoveSeekPreview, screenX, railTop - 4);
            timers_.updateSeekPreviewTimer->start();
        }
        timers_.showSeekPreviewTimer->stop();
        return;
    }
    lastPreviewScreenX_ = INT32_MIN;  // the preview shown next follows its first move, wherever
    if (CallOr(host_.SeekPreviewAvailable, false))
        timers_.showSeekPreviewTimer->start();
}

void PositionRail::RailMouseUp(int, int)
{
    if (title_.innerVideoWindow > 0) {
        if (title_.playState == MMSTATE_PLAY) {
            CallIfSet(host_.MPlayResume);
            timers_.positionTimer->stop();
            CallIfSet(host_.PollPosition);
            CallEnablePositionPoll(true, "RailMouseUp");
        } else {
            CallEnablePositionPoll(false, "RailMouseUp");
        }
    }
    RailDragging = false;
}

// ---- Fullscreen rail pointer handling -----------------------------------------------

void PositionRail::FullscreenRailMouseDown(int Button, int X)
{
    if (Button != kLeftButton)
        return;
    timers_.railMoveTimer->stop();
    RailDragging = true;
    lastFullscreenRailX_ = X;
    railControl_.MouseDown(1, X);
    // A click on this rail seeks once and at once: the deferred seek MouseDown started
    // would repeat it.
    timers_.railMoveTimer->stop();
    RailPosChanged();
    CallEnablePositionPoll(true, "FullscreenRailMouseDown");
}

void PositionRail::FullscreenRailMouseMove(int Button, int X)
{
    if (X != lastFullscreenRailX_)
        AnyRailMouseMove(1, Button, X);
    lastFullscreenRailX_ = X;
}

void PositionRail::FullscreenRailMouseUp(int, int)
{
    CallEnablePositionPoll(title_.playState == MMSTATE_PLAY, "FullscreenRailMouseUp");
    RailDragging = false;
}

// ---- Seek buttons and relative seeks -----------------------------------------------

void PositionRail::SeekButtonDown(int Index, int Button)
{
    if (Index >= 0 && Index < 2)
        row_.seekButtons[Index]->DrawPressed();
    SeekButtonIndex = static_cast<int16_t>(Index);
    if (Button == kLeftButton)
        timers_.seekRepeatTimer->setInterval(100);
    else if (Button == kRightButton)
        timers_.seekRepeatTimer->setInterval(50);
    else if (Button == (kLeftButton | kRightButton))
        timers_.seekRepeatTimer->setInterval(10);
    OnSeekRepeatTimer();
    timers_.seekRepeatTimer->start();
}

void PositionRail::SeekButtonUp(int Index, int)
{
    if (Index >= 0 && Index < 2)
        row_.seekButtons[Index]->DrawReleased();
    SeekButtonIndex = -1;
    timers_.seekRepeatTimer->stop();
    if (title_.playState == MMSTATE_PLAY)
        CallIfSet(host_.MPlayResume);
}

void PositionRail::OnSeekRepeatTimer()
{
    if (SeekButtonIndex == 0)
        SeekRelative(-kSeekButtonStepMs);
    else if (SeekButtonIndex == 1)
        SeekRelative(kSeekButtonStepMs);
    else
        timers_.seekRepeatTimer->stop();
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
    // Rounding half to even makes the halving end at 0 (1 / 2 = 0.5 -> 0).
    while (StepMS > 0 && int64_t{cur} + StepMS > len)
        StepMS = static_cast<int32_t>(std::lrint(StepMS / 2.0));
    ThrottleRelativeSeek();
    const int64_t target = int64_t{CallOr(host_.MPlayGetPosition, int32_t{0})} + StepMS;
    SeekNow(static_cast<int32_t>(std::clamp<int64_t>(target, 0, INT32_MAX)));  // back steps stop at 0
    const float rel = static_cast<float>(static_cast<double>(cur) / len);
    SetPosLabelCaption(rel, true);
    SetRailValue(rel);
}

void PositionRail::SeekToPosition(int32_t targetMs)
{
    const int32_t len = title_.CurrentTitleLengthMS;
    if (len == 0)
        return;
    const int32_t target = std::clamp(targetMs, 0, len);
    ThrottleRelativeSeek();
    SeekNow(target);
    const float rel = static_cast<float>(static_cast<double>(target) / len);
    SetPosLabelCaption(rel, true);
    SetRailValue(rel);
}

}  // namespace vistrel
