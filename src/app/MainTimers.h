#pragma once
// Part 1.3: the timers of the main window, one QTimer per row of the spec's inventory,
// named as the spec names them, with the interval the window is created with, all
// stopped. The Parts that own a timer's logic connect its timeout and start it.
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

namespace vistrel {

class MainTimers : public QObject {
    Q_OBJECT

public:
    explicit MainTimers(QObject* parent = nullptr);

    // Called by timPlayByCmdln's only tick (Part 3.3 plays the file list's selection).
    std::function<void()> PlayTitleFromFile1;

    std::vector<QTimer*> All() const;

    QTimer* const Timer1 = MakeTimer("Timer1", 10);
    QTimer* const timMouse = MakeTimer("timMouse", 50);
    QTimer* const timSeeking = MakeTimer("timSeeking", 100);
    QTimer* const timPlaySpeed = MakeTimer("timPlaySpeed", 300);
    QTimer* const timPlayByCmdln = MakeTimer("timPlayByCmdln", 10);
    QTimer* const timFileChangeNotify = MakeTimer("timFileChangeNotify", 500);
    QTimer* const timFileListSetFocus = MakeTimer("timFileListSetFocus", 30);
    QTimer* const timDeleteFilesToDelete = MakeTimer("timDeleteFilesToDelete", 2000);
    QTimer* const CloseLastMediaTimer = MakeTimer("CloseLastMediaTimer", 600);
    QTimer* const ShowVidRail = MakeTimer("ShowVidRail", 100);
    QTimer* const RailPosChangedTimer = MakeTimer("RailPosChangedTimer", 10);
    QTimer* const SetVidPosTimer = MakeTimer("SetVidPosTimer", 10);
    QTimer* const ShowSeekPreviewTimer = MakeTimer("ShowSeekPreviewTimer", 500);
    QTimer* const UpdateSeekPreviewTimer = MakeTimer("UpdateSeekPreviewTimer", 10);
    QTimer* const FilesListBoxTooltipTimer = MakeTimer("FilesListBoxTooltipTimer", 100);
    QTimer* const HideIfVisibleOnFullscreenTimer = MakeTimer("HideIfVisibleOnFullscreenTimer", 1000);
    QTimer* const HidePicTipCreateTempCopyTimer = MakeTimer("HidePicTipCreateTempCopyTimer", 2000);

private:
    QTimer* MakeTimer(const char* name, int intervalMs);
    void timPlayByCmdln_Timer();
};

}  // namespace vistrel
