#pragma once
// Part 3.3: the title play control. It decides what plays and when: a request to play a
// file becomes a closed previous title, a tested and identified file (Parts 2.2, 2.5),
// an open and started media (through the player front, Part 3.2), a window caption,
// stream menus, a position poll (positionTimer) and, at the end of a title, the next title, a
// loop or a stop. It writes the main window's TitleState (playState, CurrentTitle, ...),
// which the main window owns and other Parts read. TitlePlayControl.cpp opens and closes
// titles (A, G); TitlePlayEvents.cpp decides what plays when (B to F).
#include "mediainfo/InfoLines.h"
#include "mediainfo/MediaType.h"
#include "platform/desktop/ScreenSaver.h"
#include "support/TitleState.h"

#include <QObject>
#include <QSize>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QWidget;

namespace vistrel {

class FileBrowser;
class MainMenus;
class MainTimers;
class PlayerFront;
class PositionRail;
class PositionRailWidget;
struct MainControls;

// A.2.2: the tip box's text for a code of TestReadFromFile (Part 2.2).
std::string UnreadableFileTipText(int32_t code);

// The other Parts' objects this Part works with; the main window owns them all.
struct TitlePlayParts {
    const MainControls& controls;
    MainMenus& menus;
    MainTimers& timers;
    FileBrowser& browser;
    PositionRail& rail;
    PositionRailWidget& railRow;
    PlayerFront& front;
    TitleState& title;
};

// Steps of Parts that come later, and test seams. An unset hook does nothing: no copy,
// no repair, no prefetch (the file itself plays).
struct TitlePlayHooks {
    // Part 3.5: a temporary copy of a file in use (DirectShow only); "" when none was made.
    std::function<std::string(const std::string& fullName)> CreateTempCopy;
    // Parts 2.4 and 3.5 (A.10): a repaired copy of an AVI that failed to open; "" for none.
    std::function<std::string(const std::string& fullName)> RepairAvi;
    std::function<void(const std::string& fullName)> PrefetchFile;   // Part 3.5
    std::function<void(const std::string& fullName)> PreRenderFile;  // Part 3.5
    std::function<void()> AddFolderToHistory;                        // Part 4.3
    std::function<bool()> IsSeparateVideoWindowVisible;              // Part 5.1; unset: false
    std::function<void()> DisableFullscreen;                         // Part 5.1
    std::function<void()> ResetPlaySpeed;                            // Part 6.3
    std::function<void()> ForceForeground;                           // Part 3.1 B.8's forced switch
    // Test seams: unset gives the real thing.
    std::function<int(const std::string& fullName)> FileAccessLevel;  // AccessLevel.h
    std::function<int64_t()> TickCountMs;                              // Part 6.1's clock
    std::function<void(int32_t ms)> Sleep;                             // a blocking wait
};

class TitlePlayControl : public QObject {
    Q_OBJECT

public:
    // Connects the play controls, check boxes, stream menus, the list's mouse presses, the
    // folder change and the timers positionTimer, closeLastMediaTimer, hideTipTimer.
    TitlePlayControl(TitlePlayParts parts, QObject* parent = nullptr);
    ~TitlePlayControl() override;

    TitlePlayHooks Hooks;

    // Set by the main window: the settings' overlapped play time (Part 1.2) and the
    // current volume 0..1000 (the "Local" volume, Part 6.4).
    int32_t OverlappedPlayTimeMS = 100;
    int32_t CurrentVolume = 1000;

    // Part 3.3's Data model (CurrentIndex and the rest of the title live in TitleState).
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
    // Kept for the title (Part 2.2): the detected type and the two stream flags.
    MediaType DetectedType = 0;
    StreamFlags Flags;
    double FrameRate = 0;
    // A.2: the name of the last file that was not found or access was denied to.
    std::string LastFailedFile;
    // A.12.8: a position to resume at after the next open (Part 4.2's rename); -1 = none.
    int32_t PendingResumePositionMS = -1;
    // The caller text of the last EnablePositionPoll (tracing only).
    std::string LastPollCaller;

    void PlayTitle(const std::string& fileName, bool keepLast);
    void PlaySelectedTitle(bool keepLast, const std::string& caller);
    void PlayNextTitle(float rel, bool keepLast);
    void PlayPrevTitle(float rel);
    void CloseMedia(bool hideVideo, bool keepLast, bool keepLabels);
    void EnablePositionPoll(bool enable, const std::string& caller);
    void PollPosition();
    void KeepAwake(bool playing);
    const ScreenSaverInhibitor& Inhibitor() const { return inhibitor_; }

    // Part 2.2's gate and Part 2.5's label column, window side.
    bool PutFileInfosToLabels(const std::string& fullName, const std::string& extUpper);
    void ClearFileInfoLabels();

    // C: the file list's click (the browser calls it with its caller tag).
    void FileListClicked(const std::string& caller = "fileList_click");
    void PlayControlClicked(int index);
    void SkipClicked(int index);
    void OnPlayAction() { PlayControlClicked(0); }
    void OnPauseAction() { PlayControlClicked(1); }
    void OnStopAction() { PlayControlClicked(2); }
    void LoopClicked();
    void PlayAllClicked();
    void LoopIconClicked();
    void OverlappedLabelClicked();
    void OverlappedClicked();
    void OnCloseLastMediaTimer();
    void OnHideTipTimer();
    // The stream menus: `number` is the 1-based entry (and stream) number.
    void AudioStreamChosen(int number);
    void VideoStreamChosen(int number);

    // The video child window is fitted into videoArea keeping the frame's aspect ratio
    // (a letterbox fit until Part 5.1 lays video out).
    void FitVideoWindow();

    // Calls `onPress` on every mouse press on `widget` (labels that act as buttons).
    static void OnMousePress(QWidget* widget, std::function<void()> onPress);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ConnectControls();
    void ConnectTimers();
    int64_t Now() const;
    void Wait(int32_t ms) const;
    bool Checked(const QCheckBox* box) const;
    QWidget* MainWindow() const;
    void SetCaption(const std::string& text);
    void ForceForeground();
    void SetHourglass();
    void RestoreDefaultPointer();

    // PlayTitle's steps.
    bool ReportUnreadable(const std::string& fileName, bool keepLast);
    void ShowTip(const std::string& text);
    bool PassAccessTest(std::string& fileName);
    bool OpenTitle(const std::string& fileName, bool wasForeground);
    bool OpenThroughFront(const std::string& fileName);
    bool OpenRepairedCopy(const std::string& repaired);
    void StartOpenedTitle();
    void ShowStreamMenus();
    static void ShowStreamEntries(QAction* const* entries, int last, int32_t count);
    void ResetStreamMenus();
    void TakeVideoWindows();
    void ShowLength();
    void SetPollInterval();
    void StartVideoMoving();
    void ShowVideo();
    void SeekToPendingResumePosition();
    void ResetPositionLabels();
    void SetLabel0Colour(bool darkRed);
    void PlaceInfoLines(InfoLines lines);

    // The buttons' actions (D).
    void PlayPressed();
    void PausePressed();
    void StopPressed();

    // PollPosition's steps.
    bool StallEndFound(int32_t pos, float rel, float maxRel);
    void PrefetchNext(float rel);
    bool TitleEnded(float rel, float maxRel, int32_t remaining, bool stallEnd) const;
    void HandleEnd(float rel);
    void StopAfterLastTitle(float rel);

    // The file list through its widget and Part 4.1's selection rules.
    std::vector<bool> SelectedFlags() const;
    int SelCount() const;
    int CurrentRow() const;
    int RowCount() const;
    void MoveCaret(int row);
    void SelectOnly(int row);

    TitlePlayParts p_;
    ScreenSaverInhibitor inhibitor_;
    int32_t lastPollIndex_ = -1;
    QWidget* filesViewport_ = nullptr;
    QSize frameSize_;
    bool hourglass_ = false;
};

}  // namespace vistrel
