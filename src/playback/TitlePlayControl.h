#pragma once
// The title play control decides what plays and when: a request to play a file becomes a
// closed previous title, a tested and identified file, an opened and started media (through
// the player front), a window caption, stream menus, a position poll and, at the end of a
// title, the next title, a loop or a stop. It writes the title state, which the main window
// owns and the rail reads. TitlePlayControl.cpp opens and closes titles; TitlePlayEvents.cpp
// decides what plays when.
#include "mediainfo/InfoLines.h"
#include "mediainfo/MediaType.h"
#include "platform/desktop/KeepAwake.h"
#include "playback/TitleHost.h"
#include "support/TitleState.h"

#include <QObject>
#include <QSize>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vistrel {

class PlayerFront;

// The tip box's text for an error code of TestReadFromFile.
std::string UnreadableFileTipText(int32_t code);

// The main window's timers the control drives.
struct TitleTimers {
    QTimer* positionTimer = nullptr;        // the position poll
    QTimer* closeLastMediaTimer = nullptr;  // releases the title kept for overlapped play
    QTimer* hideTipTimer = nullptr;         // hides the tip box
    QTimer* mouseTimer = nullptr;           // the pointer over the video
    QTimer* playSpeedTimer = nullptr;       // a pending play-speed change
};

// Features that plug in from elsewhere, and test seams. An unset hook does nothing: no
// copy, no repair, no prefetch (the file itself plays).
struct TitlePlayHooks {
    // A temporary copy of a file another program writes to (second back end only); "" when
    // none was made.
    std::function<std::string(const std::string& fullName)> CreateTempCopy;
    // A repaired copy of a file with an AVI header that failed to open; "" for none.
    std::function<std::string(const std::string& fullName)> RepairAvi;
    // Reading the next title ahead, so that overlapped play starts it without a gap.
    std::function<void(const std::string& fullName)> PrefetchFile;
    std::function<void(const std::string& fullName)> PreRenderFile;
    std::function<void()> AddFolderToHistory;
    std::function<bool()> IsSeparateVideoWindowVisible;  // unset: false
    std::function<void()> DisableFullscreen;
    // The video layout: the fullscreen entry follows whether the title shows video; a title
    // with video is laid out once its first frame stands (`headerFrame`: the frame size the
    // file's header gives, empty when none); HideVideo ends fullscreen, hides the video
    // window and shows the pointer (a title without video, Stop); TitleClosed forgets the
    // engine's window.
    std::function<void(bool enable)> FullscreenMenuItemEnable;
    std::function<void(QSize headerFrame)> LayOutVideo;
    std::function<void()> HideVideo;
    std::function<void()> VideoTitleClosed;
    std::function<void()> ResetPlaySpeed;
    // A title started: the volume knobs show the mixer's and the title's volumes.
    std::function<void()> ShowVolumes;
    // Brings the window back to the front when opening a title took the focus away;
    // unset: the host's BringToForeground.
    std::function<void()> ForceForeground;
    // Test seams: unset gives the real thing.
    std::function<int(const std::string& fullName)> FileAccessLevel;  // AccessLevel.h
    std::function<int64_t()> TickCountMs;
    std::function<void(int32_t ms)> Sleep;  // a blocking wait
};

class TitlePlayControl : public QObject {
    Q_OBJECT

public:
    // Connects the timers' ticks; the main window wires its buttons, menus and the file
    // list to the handlers below.
    TitlePlayControl(TitleHost& host, PlayerFront& front, TitleState& title, TitleTimers timers,
                     QObject* parent = nullptr);
    ~TitlePlayControl() override;

    TitlePlayHooks Hooks;

    // Set by the main window: the settings' overlapped play time and the current ("Local")
    // volume 0..1000.
    int32_t OverlappedPlayTimeMS = 100;
    int32_t CurrentVolume = 1000;
    // A file the chosen back end cannot open is tried on the other one before the error.
    bool TryOtherInterface = true;

    // The playing title's state beyond TitleState.
    bool OverlappedActive = false;
    int64_t PlayStartTick = 0;
    float LastRel = 0;
    int32_t StallCount = 0;
    int32_t StallPos = 0;
    std::string LastPrefetched;
    std::vector<std::string> PlayedFiles;
    bool SelectionPlayBusy = false;
    bool NextTitleBusy = false;
    int64_t ListPressTick = 0;
    bool FolderChanged = false;
    // Kept for the title from the media file test: the detected type and the stream flags.
    MediaType DetectedType = 0;
    StreamFlags Flags;
    double FrameRate = 0;
    // The last file that was not found or could not be read.
    std::string LastFailedFile;
    // A position to resume at after the next open (a renamed playing file); -1 = none.
    int32_t PendingResumePositionMS = -1;
    // Who last started or stopped the position poll (for tracing).
    std::string LastPollCaller;

    void PlayTitle(const std::string& fileName, bool keepLast);
    void PlaySelectedTitle(bool keepLast, const std::string& caller);
    void PlayNextTitle(float rel, bool keepLast);
    void PlayPrevTitle(float rel);
    void CloseMedia(bool hideVideo, bool keepLast, bool keepLabels);
    void EnablePositionPoll(bool enable, const std::string& caller);
    void PollPosition();
    void KeepAwake(bool playing);
    const KeepAwakeInhibitor& Inhibitor() const { return inhibitor_; }

    // The media file test's gate and the info lines; false when the file is refused.
    bool PutFileInfosToLabels(const std::string& fullName, const std::string& extUpper);

    // A click on the file list (the browser calls it with its caller tag), and a press of
    // its left mouse button (a click right after a press never plays overlapped).
    void FileListClicked(const std::string& caller = "fileList_click");
    void FileListPressed() { ListPressTick = Now(); }
    // 0 play, 1 pause, 2 stop; 0 previous, 1 next.
    void PlayControlClicked(int index);
    void SkipClicked(int index);
    void OverlappedClicked();
    void OnCloseLastMediaTimer();
    void OnHideTipTimer();
    // The stream menus: `number` is the 1-based entry (and stream) number.
    void AudioStreamChosen(int number);
    void VideoStreamChosen(int number);

private:
    int64_t Now() const;
    void Wait(int32_t ms) const;
    void SetHourglass();
    void RestoreDefaultPointer();

    // Opening a title.
    bool ReportUnreadable(const std::string& fileName, bool keepLast);
    void ShowTip(const std::string& text);
    bool PassAccessTest(std::string& fileName);
    bool OpenTitle(const std::string& fileName, const std::string& ext, bool wasForeground);
    bool OpenThroughFront(const std::string& fileName, bool reportFailure = true);
    bool OpenOnOtherInterface(const std::string& fileName);
    bool OpenRepairedCopy(const std::string& repaired);
    void ForceForeground();
    void StartOpenedTitle();
    void ShowStreamMenus();
    void TakeVideoWindows();
    void ShowLength();
    void SetPollInterval();
    void StartVideoMoving();
    void SeekToPendingResumePosition();

    // The buttons' actions.
    void PlayPressed();
    void PausePressed();
    void StopPressed();

    // The position poll's steps.
    bool StallEndFound(int32_t pos, float rel, float maxRel);
    void PrefetchNext(float rel);
    bool TitleEnded(float rel, float maxRel, int32_t remaining, bool stallEnd) const;
    void HandleEnd(float rel);
    void StopAfterLastTitle(float rel);

    // The file list through the host.
    int SelCount() const;
    int RowCount() const;
    void SelectOnly(int row);

    TitleHost& host_;
    PlayerFront& front_;
    TitleState& title_;
    TitleTimers timers_;
    KeepAwakeInhibitor inhibitor_;
    int32_t lastPollIndex_ = -1;
    QSize frameSize_;
    bool hourglass_ = false;
};

}  // namespace vistrel
