// Part 3.3: the title play control (Algorithms A to G).
#include "playback/TitlePlayControl.h"

#include "app/MainControls.h"
#include "app/MainMenus.h"
#include "app/MainTimers.h"
#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "browser/FileBrowser.h"
#include "controls/PositionRail.h"
#include "controls/PositionRailWidget.h"
#include "support/TickCount.h"
#include "controls/RailControl.h"
#include "mediainfo/FormatInfoDisplay.h"
#include "mediainfo/MediaFileTest.h"
#include "platform/mci/MciService.h"
#include "playback/AccessLevel.h"
#include "playback/PlayerFront.h"
#include "support/MsgBox.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vistrel {

namespace {

constexpr int32_t kCssScrambled = static_cast<int32_t>(0x80030309);
constexpr int kMinPollMs = 100;
constexpr int64_t kVideoStartWaitMs = 4000;
constexpr int32_t kStepMs = 10;

// A.8: audio files open quickly; others show the hourglass.
bool IsQuickAudioExtension(const std::string& ext)
{
    for (const char* audio : {"WAV", "MP3", "OGG", "SND", "MP2", "MPA"})
        if (ext == audio)
            return true;
    return false;
}

// The frame size the info lines name ("640x480"); empty when they name none.
QSize FrameSizeFromLines(const InfoLines& lines)
{
    static const QRegularExpression size(R"((\d{2,5})x(\d{2,5}))");
    for (size_t i = 1; i < lines.size(); ++i) {
        const QRegularExpressionMatch m = size.match(QString::fromStdString(lines[i]));
        if (m.hasMatch())
            return {m.captured(1).toInt(), m.captured(2).toInt()};
    }
    return {};
}

// The largest rectangle of the frame's aspect ratio centred in `area`.
QRect LetterboxRect(QSize area, QSize frame)
{
    if (frame.isEmpty())
        return {QPoint(0, 0), area};
    const QSize fitted = frame.scaled(area, Qt::KeepAspectRatio);
    return {QPoint((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2), fitted};
}

class PressFilter : public QObject {
public:
    PressFilter(QWidget* widget, std::function<void()> onPress) : QObject(widget), onPress_(std::move(onPress))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonPress)
            return false;
        onPress_();
        return true;
    }

private:
    std::function<void()> onPress_;
};

}  // namespace

// A.2.2.
std::string UnreadableFileTipText(int32_t code)
{
    if (code == kCssScrambled)
        return "CSS scrambled file";
    switch (code) {
    case 2: return "file not found";
    case 3: return "path not found";
    case 5: return "access denied";
    case 21: return "drive not ready";
    case 123: return "invalid file name";
    default: break;
    }
    if (code < 0) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<uint32_t>(code));
        return std::string("error 0x") + hex;
    }
    if (code == 32)
        return "error sharing violation";
    return "error " + std::to_string(code);
}

void TitlePlayControl::OnMousePress(QWidget* widget, std::function<void()> onPress)
{
    new PressFilter(widget, std::move(onPress));
}

TitlePlayControl::TitlePlayControl(TitlePlayParts parts, QObject* parent) : QObject(parent), p_(parts)
{
    setObjectName("TitlePlayControl");
    ConnectControls();
    ConnectTimers();
}

// The device must not outlive the video area it draws into (DESIGN.md, libmpv).
TitlePlayControl::~TitlePlayControl()
{
    p_.timers.positionTimer->stop();
    if (p_.title.playState != MMSTATE_CLOSED && p_.title.playState != MMSTATE_NONE)
        p_.front.MPlayClose(false);
}

void TitlePlayControl::ConnectControls()
{
    const MainControls& c = p_.controls;
    for (int i = 0; i < 3; ++i)
        connect(c.playButtons[i], &QPushButton::clicked, this, [this, i] { PlayControlClicked(i); });
    for (int i = 0; i < 2; ++i)
        connect(c.skipButtons[i], &QPushButton::clicked, this, [this, i] { SkipClicked(i); });
    connect(c.loopCheck, &QCheckBox::clicked, this, &TitlePlayControl::LoopClicked);
    connect(c.playAllCheck, &QCheckBox::clicked, this, &TitlePlayControl::PlayAllClicked);
    connect(c.overlappedCheck, &QCheckBox::toggled, this, &TitlePlayControl::OverlappedClicked);
    QPointer<TitlePlayControl> self(this);
    OnMousePress(c.loopIcon, [self] { if (self) self->LoopIconClicked(); });
    OnMousePress(c.overlappedLabel, [self] { if (self) self->OverlappedLabelClicked(); });
    MainMenus& m = p_.menus;
    connect(m.playAction, &QAction::triggered, this, &TitlePlayControl::OnPlayAction);
    connect(m.pauseAction, &QAction::triggered, this, &TitlePlayControl::OnPauseAction);
    connect(m.stopAction, &QAction::triggered, this, &TitlePlayControl::OnStopAction);
    for (int i = 1; i <= kAudioStreamEntries; ++i)
        connect(m.audioStreamActions[i], &QAction::triggered, this, [this, i] { AudioStreamChosen(i); });
    for (int i = 1; i <= kVideoStreamEntries; ++i)
        connect(m.videoStreamActions[i], &QAction::triggered, this, [this, i] { VideoStreamChosen(i); });
    connect(&p_.browser, &FileBrowser::FolderOpened, this, [this] { FolderChanged = true; });
    filesViewport_ = c.fileList->viewport();
    filesViewport_->installEventFilter(this);
    c.videoArea->installEventFilter(this);
}

void TitlePlayControl::ConnectTimers()
{
    connect(p_.timers.positionTimer, &QTimer::timeout, this, &TitlePlayControl::PollPosition);
    connect(p_.timers.closeLastMediaTimer, &QTimer::timeout, this, &TitlePlayControl::OnCloseLastMediaTimer);
    connect(p_.timers.hideTipTimer, &QTimer::timeout, this,
            &TitlePlayControl::OnHideTipTimer);
}

// ListPressTick is Part 4.1's; the browser does not keep it, so the press is noted here.
bool TitlePlayControl::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == filesViewport_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        ListPressTick = Now();
    else if (watched == p_.controls.videoArea && event->type() == QEvent::Resize)
        FitVideoWindow();
    return false;
}

int64_t TitlePlayControl::Now() const
{
    return Hooks.TickCountMs ? Hooks.TickCountMs() : TickCountMs();
}

void TitlePlayControl::Wait(int32_t ms) const
{
    if (Hooks.Sleep)
        Hooks.Sleep(ms);
    else
        QThread::msleep(static_cast<unsigned long>(ms));
}

bool TitlePlayControl::Checked(const QCheckBox* box) const
{
    return box->isChecked();
}

QWidget* TitlePlayControl::MainWindow() const
{
    return p_.controls.fileList->window();
}

// A.4: the caption is a UTF-8 title; Qt repaints the frame itself.
void TitlePlayControl::SetCaption(const std::string& text)
{
    MainWindow()->setWindowTitle(QString::fromStdString(text));
}

// ---- A. PlayTitle -----------------------------------------------------------------

void TitlePlayControl::PlayTitle(const std::string& fileName, bool keepLast)
{
    PlayStartTick = Now();
    const bool wasForeground = MainWindow()->isActiveWindow();
    if (ReportUnreadable(fileName, keepLast))
        return;
    if (!keepLast)
        CloseMedia(false, false, false);
    SetCaption(GetFileNamePart(fileName) + " - " + kAppTitle);
    std::string playName = fileName;
    if (PassAccessTest(playName) && !OpenTitle(playName, wasForeground))
        return;  // A.7: refused, nothing more
    OverlappedClicked();
    RestoreDefaultPointer();
}

// A.2: true when the file cannot be read (the tip box says why).
bool TitlePlayControl::ReportUnreadable(const std::string& fileName, bool keepLast)
{
    const int32_t code = TestReadFromFile(fileName);
    if (code == 0)
        return false;
    CloseMedia(false, keepLast, false);
    if (code == 3 || code == 21)
        p_.browser.RefreshDirAndFileList();  // folder list and drive box
    if (code == 2 || code == 5)
        LastFailedFile = fileName;
    ShowTip(UnreadableFileTipText(code));
    SetCaption(kAppTitle);
    return true;
}

void TitlePlayControl::ShowTip(const std::string& text)
{
    p_.controls.tipLabel->setText(QString::fromStdString(text));
    p_.controls.tipBox->show();
    p_.timers.hideTipTimer->start();
}

// A.5: false when the file is locked (level 0); `fileName` becomes a temporary copy
// when Part 3.5 makes one.
bool TitlePlayControl::PassAccessTest(std::string& fileName)
{
    const int level = Hooks.FileAccessLevel ? Hooks.FileAccessLevel(fileName) : FileAccessLevel(fileName);
    if (level == kAccessLocked) {
        CloseMedia(false, false, false);
        MsgBox("This file is locked by another application", vbExclamation, kAppTitle);
        return false;
    }
    const bool playedBefore = std::find(PlayedFiles.begin(), PlayedFiles.end(), fileName) != PlayedFiles.end();
    if (level == kAccessFull) {
        if (!playedBefore)
            PlayedFiles.push_back(fileName);
    } else if (!playedBefore && p_.front.MediaInterface == kMediaInterfaceDirectShow && Hooks.CreateTempCopy) {
        const std::string copy = Hooks.CreateTempCopy(fileName);
        if (!copy.empty())
            fileName = copy;
    }
    return true;
}

// A.6 to A.12; false when the media file test refused the file.
bool TitlePlayControl::OpenTitle(const std::string& fileName, bool wasForeground)
{
    p_.title.CurrentTitle = fileName;
    const std::string ext = UpperExtension(fileName);
    if (!PutFileInfosToLabels(fileName, ext)) {
        RestoreDefaultPointer();
        return false;
    }
    if (!IsQuickAudioExtension(ext))
        SetHourglass();
    ResetPositionLabels();
    bool opened = OpenThroughFront(fileName);
    if (wasForeground && !MainWindow()->isActiveWindow())
        ForceForeground();
    if (!opened && ext == "AVI" && Hooks.RepairAvi)
        opened = OpenRepairedCopy(Hooks.RepairAvi(fileName));
    if (!opened) {
        CloseMedia(false, false, false);
        if (p_.front.MediaInterface == kMediaInterfaceDirectShow)
            MsgBox("Cannot play this file", vbExclamation, kAppTitle);
        return true;
    }
    StartOpenedTitle();
    return true;
}

bool TitlePlayControl::OpenThroughFront(const std::string& fileName)
{
    const auto parent = static_cast<WindowHandle>(p_.controls.videoArea->winId());
    return p_.front.MPlayOpen(fileName, parent, CurrentVolume, Flags.SeveralAudioStreams,
                              Flags.MpegProgramWithVideo);
}

// A.10: the repaired copy plays; label 0 says so in dark red.
bool TitlePlayControl::OpenRepairedCopy(const std::string& repaired)
{
    if (repaired.empty() || !OpenThroughFront(repaired))
        return false;
    QLabel* label0 = p_.controls.formatInfoLabels[0];
    label0->setText(label0->text() + " (corrupt)");
    SetLabel0Colour(true);
    return true;
}

void TitlePlayControl::ForceForeground()
{
    if (Hooks.ForceForeground) {
        Hooks.ForceForeground();
        return;
    }
    MainWindow()->raise();
    MainWindow()->activateWindow();
}

// A.12.
void TitlePlayControl::StartOpenedTitle()
{
    ShowStreamMenus();
    TakeVideoWindows();
    ShowLength();
    const bool video = p_.title.videoWindow != 0;
    if (video)
        FrameRate = p_.front.MPlayGetFrameRate();
    SetPollInterval();
    EnablePositionPoll(true, "PlayTitle");
    if (video) {
        StartVideoMoving();
        ShowVideo();
        p_.timers.mouseTimer->start();
    } else {
        p_.title.innerVideoWindow = 0;
    }
    if (DetectedType != mt::Midi)
        p_.front.MPlaySetVolume(CurrentVolume);
    SeekToPendingResumePosition();
    const bool started = p_.front.MPlayStart();
    p_.title.playState = started ? MMSTATE_PLAY : MMSTATE_CLOSED;
    if (started) {
        EnablePositionPoll(true, "PlayTitle  playState = MMSTATE_PLAY");
        FolderChanged = false;
    }
    KeepAwake(started);
}

// A.12.1: as many stream entries as the title has; entry 1 stays (disabled at 0).
void TitlePlayControl::ShowStreamMenus()
{
    const int32_t audio = p_.front.MPlayGetAudioStreamCount();
    const int32_t video = p_.front.MPlayGetVideoStreamCount();
    ShowStreamEntries(p_.menus.audioStreamActions.data(), kAudioStreamEntries, audio);
    ShowStreamEntries(p_.menus.videoStreamActions.data(), kVideoStreamEntries, video);
    p_.menus.streamsMenu->setEnabled(audio >= 2 || video >= 2);
}

void TitlePlayControl::ShowStreamEntries(QAction* const* entries, int last, int32_t count)
{
    for (int i = 1; i <= last; ++i) {
        entries[i]->setVisible(i <= std::max(count, 1));
        entries[i]->setEnabled(count > 0);
        entries[i]->setChecked(i == 1 && count > 0);
    }
}

// G.4.
void TitlePlayControl::ResetStreamMenus()
{
    p_.menus.streamsMenu->setEnabled(false);
    for (int i = 1; i <= kAudioStreamEntries; ++i) {
        p_.menus.audioStreamActions[i]->setChecked(false);
        p_.menus.audioStreamActions[i]->setVisible(i == 1);
    }
    for (int i = 1; i <= kVideoStreamEntries; ++i) {
        p_.menus.videoStreamActions[i]->setChecked(false);
        p_.menus.videoStreamActions[i]->setVisible(i == 1);
    }
}

// A.12.2. Fullscreen (Part 5.1) is not built: its menu entry stays as it is.
void TitlePlayControl::TakeVideoWindows()
{
    TitleState& t = p_.title;
    p_.front.MPlayGetVideoWindows(t.videoWindow, t.innerVideoWindow);
    if (p_.front.MediaInterface == kMediaInterfaceDirectShow)
        t.innerVideoWindow = t.videoWindow;
    if (t.videoWindow == 0)
        p_.controls.videoArea->hide();
}

void TitlePlayControl::ShowLength()
{
    p_.title.CurrentTitleLengthMS = p_.front.MPlayGetLength();
    p_.railRow.lengthLabel->setText(QString::fromStdString(FormatRailTime(p_.title.CurrentTitleLengthMS)));
}

// A.12.5: about one poll per rail step; MCISliderMax is the rail's travel in pixels.
void TitlePlayControl::SetPollInterval()
{
    const int travel = std::max(1, p_.railRow.railPicture->width() - p_.railRow.railKnob->width());
    const auto perStep = static_cast<int>(std::floor(p_.title.CurrentTitleLengthMS / double(travel) + 0.5));
    p_.timers.positionTimer->setInterval(std::max(kMinPollMs, perStep));
}

// A.12.6: a video is started until its position moves (at most 4 s), then stopped.
void TitlePlayControl::StartVideoMoving()
{
    p_.front.MPlayStart();
    const int64_t start = Now();
    while (p_.front.MPlayGetPosition() == 0 && Now() - start < kVideoStartWaitMs)
        Wait(kStepMs);
    p_.front.MPlayPause();
    p_.front.MPlayStop();
}

void TitlePlayControl::ShowVideo()
{
    p_.controls.videoArea->show();
    FitVideoWindow();
}

void TitlePlayControl::FitVideoWindow()
{
    const QWidget* area = p_.controls.videoArea;
    if (p_.title.videoWindow == 0 || p_.front.MediaInterface != kMediaInterfaceMCI)
        return;
    const qreal ratio = area->devicePixelRatioF();
    const QRect r = LetterboxRect(area->size() * ratio, frameSize_);
    mciSetVideoWindowRect(p_.title.videoWindow, r.x(), r.y(), r.width(), r.height());
}

// A.12.8.
void TitlePlayControl::SeekToPendingResumePosition()
{
    if (PendingResumePositionMS < 0)
        return;
    p_.rail.LastSeekTick = p_.front.LastSeekTick = Now();
    p_.front.MPlaySeek(PendingResumePositionMS, false);
    PendingResumePositionMS = -1;
}

void TitlePlayControl::ResetPositionLabels()
{
    p_.railRow.elapsedLabel->setText("0:00");
    p_.railRow.lengthLabel->setText("0:00");
}

void TitlePlayControl::SetHourglass()
{
    if (!hourglass_)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    hourglass_ = true;
}

void TitlePlayControl::RestoreDefaultPointer()
{
    if (hourglass_)
        QApplication::restoreOverrideCursor();
    hourglass_ = false;
}

// ---- Parts 2.2 and 2.5, window side -----------------------------------------------

bool TitlePlayControl::PutFileInfosToLabels(const std::string& fullName, const std::string& extUpper)
{
    Flags = {};
    const MediaFileTestResult r = TestMediaFile(fullName, extUpper);
    if (r.Detected == mt::Unreadable) {
        ClearFileInfoLabels();
        return false;
    }
    if (!r.Refusal.empty()) {
        if (Hooks.DisableFullscreen)
            Hooks.DisableFullscreen();
        PlayControlClicked(2);
        MsgBox(r.Refusal, vbExclamation, kAppTitle);
        ClearFileInfoLabels();
        MainWindow()->activateWindow();
        return false;
    }
    SetLabel0Colour(r.Label0Mismatch);
    DetectedType = r.Detected;
    Flags = r.Flags;
    frameSize_ = FrameSizeFromLines(r.Lines);
    PlaceInfoLines(r.Lines);
    return true;
}

void TitlePlayControl::SetLabel0Colour(bool darkRed)
{
    QLabel* label0 = p_.controls.formatInfoLabels[0];
    QPalette palette = label0->palette();
    const QColor normal = QApplication::palette(label0).color(QPalette::WindowText);
    palette.setColor(QPalette::WindowText, darkRed ? QColor(128, 0, 0) : normal);
    label0->setPalette(palette);
}

// Part 2.5: the fitting passes measure in the labels' own font and width.
void TitlePlayControl::PlaceInfoLines(InfoLines lines)
{
    const QLabel* sample = p_.controls.formatInfoLabels[kFirstFittedLabel];
    const QFontMetrics metrics(sample->font());
    FitInfoLines(
        lines, [&metrics](const std::string& text) { return metrics.horizontalAdvance(QString::fromStdString(text)); },
        sample->contentsRect().width());
    for (int i = 0; i <= kLastShownLabel; ++i) {
        p_.controls.formatInfoLabels[i]->setText(QString::fromStdString(lines[size_t(i)]));
        p_.controls.formatInfoLabels[i]->repaint();
    }
}

void TitlePlayControl::ClearFileInfoLabels()
{
    for (QLabel* label : p_.controls.formatInfoLabels)
        label->clear();
}

// ---- G. CloseMedia ----------------------------------------------------------------

void TitlePlayControl::CloseMedia(bool hideVideo, bool keepLast, bool keepLabels)
{
    TitleState& t = p_.title;
    KeepAwake(false);
    EnablePositionPoll(false, "CloseVoice1");
    p_.timers.mouseTimer->stop();
    p_.timers.playSpeedTimer->stop();
    if (Hooks.ResetPlaySpeed)
        Hooks.ResetPlaySpeed();
    if (!keepLabels)
        ClearFileInfoLabels();
    t.CurrentTitle.clear();
    p_.rail.LastSeekDurationMS = -1;
    const bool resumePending = PendingResumePositionMS >= 0;
    if (!resumePending)
        ResetPositionLabels();
    ResetStreamMenus();
    if (t.videoWindow != 0 && hideVideo && !p_.controls.videoArea->isHidden())
        p_.controls.videoArea->hide();
    t.playState = MMSTATE_NONE;
    p_.front.MPlayClose(keepLast);
    t.playState = MMSTATE_CLOSED;
    // The closed device took its video window with it.
    t.videoWindow = t.innerVideoWindow = 0;
    if (!resumePending)
        p_.rail.SetRailValue(0);
}

// ---- Small handlers ---------------------------------------------------------------

void TitlePlayControl::KeepAwake(bool playing)
{
    inhibitor_.KeepAwake(playing, p_.title.videoWindow != 0 ? "Playing video" : "Playing media");
}

void TitlePlayControl::LoopClicked()
{
    p_.browser.FocusFileList();
}

void TitlePlayControl::PlayAllClicked()
{
    p_.browser.FocusFileList();
}

void TitlePlayControl::LoopIconClicked()
{
    p_.controls.loopCheck->setChecked(!p_.controls.loopCheck->isChecked());
    LoopClicked();
}

void TitlePlayControl::OverlappedLabelClicked()
{
    p_.controls.overlappedCheck->setChecked(!p_.controls.overlappedCheck->isChecked());
    OverlappedClicked();
}

void TitlePlayControl::OverlappedClicked()
{
    OverlappedActive = Checked(p_.controls.overlappedCheck) && p_.title.videoWindow == 0;
}

void TitlePlayControl::OnCloseLastMediaTimer()
{
    p_.timers.closeLastMediaTimer->stop();
    p_.front.MPlayCloseLast();
}

// Part 3.5's pending deselection joins here when that Part exists.
void TitlePlayControl::OnHideTipTimer()
{
    p_.timers.hideTipTimer->stop();
    p_.controls.tipBox->hide();
    RestoreDefaultPointer();
}

void TitlePlayControl::AudioStreamChosen(int number)
{
    p_.front.MPlaySelectAudioStream(number);
    for (int i = 1; i <= kAudioStreamEntries; ++i)
        p_.menus.audioStreamActions[i]->setChecked(i == number);
}

void TitlePlayControl::VideoStreamChosen(int number)
{
    p_.front.MPlaySelectVideoStream(number);
    for (int i = 1; i <= kVideoStreamEntries; ++i)
        p_.menus.videoStreamActions[i]->setChecked(i == number);
}

}  // namespace vistrel
