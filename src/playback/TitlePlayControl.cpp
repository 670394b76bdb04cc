#include "playback/TitlePlayControl.h"

#include "mediainfo/AviInfo.h"
#include "mediainfo/MediaFileTest.h"
#include "platform/mci/MciService.h"
#include "playback/AccessLevel.h"
#include "playback/PlayerFront.h"
#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "support/MsgBox.h"
#include "support/TickCount.h"

#include <QApplication>
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

// Audio files open quickly; others show the busy pointer while they open.
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

constexpr const char* kMissingPluginText = "Missing GStreamer plugin: ";

// A file no decoder could take names what is missing, so that it does not look broken.
std::string CannotPlayText(const std::string& missingDecoders)
{
    const std::string text = "Cannot play this file";
    return missingDecoders.empty() ? text : text + "\r\n\r\n" + kMissingPluginText + missingDecoders;
}

// An AVI by its header, whatever its name: the repair tool can rebuild it.
bool HasAviHeader(const std::string& fileName)
{
    AviInfo info;
    return GetAviInfo(fileName, info);
}

}  // namespace

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

TitlePlayControl::TitlePlayControl(TitleHost& host, PlayerFront& front, TitleState& title, TitleTimers timers,
                                   QObject* parent)
    : QObject(parent), host_(host), front_(front), title_(title), timers_(timers)
{
    setObjectName("TitlePlayControl");
    connect(timers_.positionTimer, &QTimer::timeout, this, &TitlePlayControl::PollPosition);
    connect(timers_.closeLastMediaTimer, &QTimer::timeout, this, &TitlePlayControl::OnCloseLastMediaTimer);
    connect(timers_.hideTipTimer, &QTimer::timeout, this, &TitlePlayControl::OnHideTipTimer);
}

// The device must not outlive the video area it draws into: libmpv has to go before the
// window that holds its video.
TitlePlayControl::~TitlePlayControl()
{
    timers_.positionTimer->stop();
    if (title_.playState != MMSTATE_CLOSED && title_.playState != MMSTATE_NONE)
        front_.MPlayClose(false);
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

// ---- PlayTitle --------------------------------------------------------------------

void TitlePlayControl::PlayTitle(const std::string& fileName, bool keepLast)
{
    PlayStartTick = Now();
    StallCount = 0;  // the last title's stall must not count for this one
    const bool wasForeground = host_.IsForeground();
    if (ReportUnreadable(fileName, keepLast))
        return;
    if (!keepLast)
        CloseMedia(false, false, false);
    host_.SetCaption(GetFileNamePart(fileName) + " - " + kAppTitle);
    std::string playName = fileName;
    if (PassAccessTest(playName) && !OpenTitle(playName, UpperExtension(fileName), wasForeground))
        return;  // the media file test refused it: nothing more
    OverlappedClicked();
    RestoreDefaultPointer();
}

// True when the file cannot be read (the tip box says why).
bool TitlePlayControl::ReportUnreadable(const std::string& fileName, bool keepLast)
{
    const int32_t code = TestReadFromFile(fileName);
    if (code == 0)
        return false;
    CloseMedia(false, keepLast, false);
    if (code == 3 || code == 21)
        host_.RefreshFolders();
    if (code == 2 || code == 5)
        LastFailedFile = fileName;
    ShowTip(UnreadableFileTipText(code));
    host_.SetCaption(kAppTitle);
    return true;
}

void TitlePlayControl::ShowTip(const std::string& text)
{
    host_.ShowTip(text);
    timers_.hideTipTimer->start();
}

// False when the file is locked (level 0); `fileName` becomes a temporary copy when
// CreateTempCopy makes one.
bool TitlePlayControl::PassAccessTest(std::string& fileName)
{
    const int level = Hooks.FileAccessLevel ? Hooks.FileAccessLevel(fileName) : FileAccessLevel(fileName);
    if (level == kAccessLocked) {
        CloseMedia(false, false, false);
        MsgBox("This file is locked by another application", kMsgExclamation, kAppTitle);
        return false;
    }
    const bool playedBefore = std::find(PlayedFiles.begin(), PlayedFiles.end(), fileName) != PlayedFiles.end();
    if (level == kAccessFull) {
        if (!playedBefore)
            PlayedFiles.push_back(fileName);
    } else if (!playedBefore && front_.MediaInterface == kMediaInterfaceDirectShow && Hooks.CreateTempCopy) {
        const std::string copy = Hooks.CreateTempCopy(fileName);
        if (!copy.empty())
            fileName = copy;
    }
    return true;
}

// Identifies, opens and starts the title; false when the media file test refused the file.
// `ext` is the listed file's extension, also when a temporary copy plays.
bool TitlePlayControl::OpenTitle(const std::string& fileName, const std::string& ext, bool wasForeground)
{
    title_.CurrentTitle = fileName;
    if (!PutFileInfosToLabels(fileName, ext)) {
        RestoreDefaultPointer();
        return false;
    }
    if (!IsQuickAudioExtension(ext))
        SetHourglass();
    host_.ResetTimes();
    bool opened = OpenThroughFront(fileName, !TryOtherInterface);
    if (wasForeground && !host_.IsForeground())
        ForceForeground();
    if (!opened && Hooks.RepairAvi && HasAviHeader(fileName))
        opened = OpenRepairedCopy(Hooks.RepairAvi(fileName));
    std::string missing = front_.MPlayMissingDecoders();
    if (!opened && TryOtherInterface && OpenOnOtherInterface(fileName)) {
        opened = true;
        missing.clear();
    }
    if (!opened) {
        CloseMedia(false, false, false);
        if (front_.MediaInterface == kMediaInterfaceDirectShow)
            MsgBox(CannotPlayText(missing), kMsgExclamation, kAppTitle);
        else if (TryOtherInterface)
            front_.ReportOpenFailure();
        return true;
    }
    if (!missing.empty())
        ShowTip(kMissingPluginText + missing);
    StartOpenedTitle();
    return true;
}

bool TitlePlayControl::OpenThroughFront(const std::string& fileName, bool reportFailure)
{
    return front_.MPlayOpen(fileName, host_.VideoAreaWindow(), CurrentVolume, Flags.SeveralAudioStreams,
                            Flags.MpegProgramWithVideo, reportFailure);
}

// The tip names the back end that took the title over.
bool TitlePlayControl::OpenOnOtherInterface(const std::string& fileName)
{
    if (!front_.MPlayOpenOnOtherInterface(fileName, host_.VideoAreaWindow(), CurrentVolume,
                                          Flags.SeveralAudioStreams, Flags.MpegProgramWithVideo))
        return false;
    ShowTip(std::string("Playing with ") + PlayerFront::InterfaceName(front_.TitleInterface()) + ": " +
            PlayerFront::InterfaceName(front_.MediaInterface) + " cannot open this file");
    return true;
}

// The repaired copy plays; label 0 says so in dark red.
bool TitlePlayControl::OpenRepairedCopy(const std::string& repaired)
{
    if (repaired.empty() || !OpenThroughFront(repaired, !TryOtherInterface))
        return false;
    host_.MarkRepairedCopy();
    return true;
}

void TitlePlayControl::ForceForeground()
{
    if (Hooks.ForceForeground) {
        Hooks.ForceForeground();
        return;
    }
    host_.BringToForeground();
}

void TitlePlayControl::StartOpenedTitle()
{
    ShowStreamMenus();
    TakeVideoWindows();
    ShowLength();
    const bool video = title_.videoWindow != 0;
    if (video)
        FrameRate = front_.MPlayGetFrameRate();
    SetPollInterval();
    EnablePositionPoll(true, "PlayTitle");
    if (video) {
        StartVideoMoving();
        if (Hooks.LayOutVideo)
            Hooks.LayOutVideo(frameSize_);
        timers_.mouseTimer->start();
    } else {
        title_.innerVideoWindow = 0;
    }
    if (DetectedType != mt::Midi)
        front_.MPlaySetVolume(CurrentVolume);
    SeekToPendingResumePosition();
    const bool started = front_.MPlayStart();
    title_.playState = started ? MMSTATE_PLAY : MMSTATE_CLOSED;
    if (started) {
        EnablePositionPoll(true, "PlayTitle  playState = MMSTATE_PLAY");
        FolderChanged = false;
    }
    KeepAwake(started);
    if (Hooks.ShowVolumes)
        Hooks.ShowVolumes();
}

// As many stream entries as the title has; entry 1 stays (disabled at 0).
void TitlePlayControl::ShowStreamMenus()
{
    host_.ShowStreamMenus(front_.MPlayGetAudioStreamCount(), front_.MPlayGetVideoStreamCount());
}

void TitlePlayControl::TakeVideoWindows()
{
    TitleState& t = title_;
    front_.MPlayGetVideoWindows(t.videoWindow, t.innerVideoWindow);
    if (front_.TitleInterface() == kMediaInterfaceDirectShow)
        t.innerVideoWindow = t.videoWindow;
    if (Hooks.FullscreenMenuItemEnable)
        Hooks.FullscreenMenuItemEnable(t.videoWindow != 0);
    if (t.videoWindow != 0)
        return;
    host_.ShowVideoArea(false);
    if (Hooks.HideVideo)
        Hooks.HideVideo();
}

void TitlePlayControl::ShowLength()
{
    title_.CurrentTitleLengthMS = front_.MPlayGetLength();
    host_.ShowLength(title_.CurrentTitleLengthMS);
}

// About one poll per rail step (the rail's travel in pixels), at most ten a second.
void TitlePlayControl::SetPollInterval()
{
    const int travel = std::max(1, host_.RailTravel());
    const auto perStep = static_cast<int>(std::floor(title_.CurrentTitleLengthMS / double(travel) + 0.5));
    timers_.positionTimer->setInterval(std::max(kMinPollMs, perStep));
}

// A video is started until its position moves (at most 4 s), then stopped.
void TitlePlayControl::StartVideoMoving()
{
    front_.MPlayStart();
    const int64_t start = Now();
    while (front_.MPlayGetPosition() == 0 && Now() - start < kVideoStartWaitMs)
        Wait(kStepMs);
    front_.MPlayPause();
    front_.MPlayStop();
}

void TitlePlayControl::SeekToPendingResumePosition()
{
    if (PendingResumePositionMS < 0)
        return;
    front_.LastSeekTick = Now();
    host_.SetLastSeekTick(front_.LastSeekTick);
    front_.MPlaySeek(PendingResumePositionMS, false);
    PendingResumePositionMS = -1;
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

// ---- Media file test and format lines, window side --------------------------------

bool TitlePlayControl::PutFileInfosToLabels(const std::string& fullName, const std::string& extUpper)
{
    Flags = {};
    const MediaFileTestResult r = TestMediaFile(fullName, extUpper);
    if (r.Detected == mt::Unreadable) {
        host_.ClearInfoLines();
        return false;
    }
    if (!r.Refusal.empty()) {
        if (Hooks.DisableFullscreen)
            Hooks.DisableFullscreen();
        PlayControlClicked(2);
        MsgBox(r.Refusal, kMsgExclamation, kAppTitle);
        host_.ClearInfoLines();
        host_.BringToForeground();
        return false;
    }
    DetectedType = r.Detected;
    Flags = r.Flags;
    frameSize_ = FrameSizeFromLines(r.Lines);
    host_.ShowInfoLines(r.Lines, r.Label0Mismatch);
    return true;
}

// ---- CloseMedia -------------------------------------------------------------------

void TitlePlayControl::CloseMedia(bool hideVideo, bool keepLast, bool keepLabels)
{
    TitleState& t = title_;
    KeepAwake(false);
    EnablePositionPoll(false, "CloseVoice1");
    timers_.mouseTimer->stop();
    timers_.playSpeedTimer->stop();
    if (Hooks.ResetPlaySpeed)
        Hooks.ResetPlaySpeed();
    if (!keepLabels)
        host_.ClearInfoLines();
    t.CurrentTitle.clear();
    host_.ForgetRailSeekDuration();
    const bool resumePending = PendingResumePositionMS >= 0;
    if (!resumePending)
        host_.ResetTimes();
    host_.ShowStreamMenus(0, 0);
    if (t.videoWindow != 0 && hideVideo && host_.VideoAreaShown())
        host_.ShowVideoArea(false);
    t.playState = MMSTATE_NONE;
    front_.MPlayClose(keepLast);
    t.playState = MMSTATE_CLOSED;
    // The closed device took its video window with it.
    t.videoWindow = t.innerVideoWindow = 0;
    if (Hooks.VideoTitleClosed)
        Hooks.VideoTitleClosed();
    if (!resumePending)
        host_.SetRailValue(0);
}

// ---- Small handlers ---------------------------------------------------------------

void TitlePlayControl::KeepAwake(bool playing)
{
    inhibitor_.KeepAwake(playing, title_.videoWindow != 0);
}

void TitlePlayControl::OverlappedClicked()
{
    OverlappedActive = host_.OverlappedChecked() && title_.videoWindow == 0;
}

void TitlePlayControl::OnCloseLastMediaTimer()
{
    timers_.closeLastMediaTimer->stop();
    front_.MPlayCloseLast();
}

// Once the file operations exist, hiding the tip also deselects the file they name.
void TitlePlayControl::OnHideTipTimer()
{
    timers_.hideTipTimer->stop();
    host_.HideTip();
    RestoreDefaultPointer();
}

void TitlePlayControl::AudioStreamChosen(int number)
{
    front_.MPlaySelectAudioStream(number);
    host_.CheckStream(true, number);
}

void TitlePlayControl::VideoStreamChosen(int number)
{
    front_.MPlaySelectVideoStream(number);
    host_.CheckStream(false, number);
}

}  // namespace vistrel
