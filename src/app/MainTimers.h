#pragma once
// The timers of the main window, one QTimer each, with the interval the window is created
// with, all stopped: none fires before the window has loaded. The subsystem that owns a
// timer's logic connects its timeout and starts it.
#include "controls/PositionRail.h"
#include "playback/TitlePlayControl.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

namespace vistrel {

class MainTimers : public QObject {
    Q_OBJECT

public:
    explicit MainTimers(QObject* parent = nullptr);

    // Called by commandLinePlayTimer's only tick: plays the file list's selection.
    std::function<void()> PlaySelectedTitle;

    std::vector<QTimer*> All() const;
    // The timers the position rail and the title play control drive.
    RailTimers ForRail() const;
    TitleTimers ForTitle() const;

    QTimer* const positionTimer = MakeTimer("positionTimer", 10);
    QTimer* const mouseTimer = MakeTimer("mouseTimer", 50);
    QTimer* const seekRepeatTimer = MakeTimer("seekRepeatTimer", 100);
    QTimer* const playSpeedTimer = MakeTimer("playSpeedTimer", 300);
    QTimer* const commandLinePlayTimer = MakeTimer("commandLinePlayTimer", 10);
    QTimer* const folderChangeTimer = MakeTimer("folderChangeTimer", 500);
    QTimer* const fileListFocusTimer = MakeTimer("fileListFocusTimer", 30);
    QTimer* const deferredDeletionTimer = MakeTimer("deferredDeletionTimer", 2000);
    QTimer* const closeLastMediaTimer = MakeTimer("closeLastMediaTimer", 600);
    QTimer* const showVideoRailTimer = MakeTimer("showVideoRailTimer", 100);
    QTimer* const railMoveTimer = MakeTimer("railMoveTimer", 10);
    QTimer* const videoPositionTimer = MakeTimer("videoPositionTimer", 10);
    QTimer* const showSeekPreviewTimer = MakeTimer("showSeekPreviewTimer", 500);
    QTimer* const updateSeekPreviewTimer = MakeTimer("updateSeekPreviewTimer", 10);
    QTimer* const fileToolTipTimer = MakeTimer("fileToolTipTimer", 100);
    QTimer* const hideOnFullscreenTimer = MakeTimer("hideOnFullscreenTimer", 1000);
    QTimer* const hideTipTimer = MakeTimer("hideTipTimer", 2000);

private:
    QTimer* MakeTimer(const char* name, int intervalMs);
    void OnCommandLinePlayTimer();
};

}  // namespace vistrel
