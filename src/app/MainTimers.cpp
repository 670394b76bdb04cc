#include "app/MainTimers.h"

namespace vistrel {

MainTimers::MainTimers(QObject* parent) : QObject(parent)
{
    setObjectName("MainTimers");
    commandLinePlayTimer->setSingleShot(true);
    connect(commandLinePlayTimer, &QTimer::timeout, this, &MainTimers::OnCommandLinePlayTimer);
}

std::vector<QTimer*> MainTimers::All() const
{
    return {positionTimer, mouseTimer, seekRepeatTimer, playSpeedTimer, commandLinePlayTimer, folderChangeTimer,
            fileListFocusTimer, deferredDeletionTimer, closeLastMediaTimer, showVideoRailTimer,
            railMoveTimer, videoPositionTimer, showSeekPreviewTimer, updateSeekPreviewTimer,
            fileToolTipTimer, hideOnFullscreenTimer, hideTipTimer};
}

// Runs during member initialisation, after the QObject base is complete.
QTimer* MainTimers::MakeTimer(const char* name, int intervalMs)
{
    auto* timer = new QTimer(this);
    timer->setObjectName(name);
    timer->setInterval(intervalMs);
    return timer;
}

void MainTimers::OnCommandLinePlayTimer()
{
    commandLinePlayTimer->stop();
    if (PlaySelectedTitle)
        PlaySelectedTitle();
}

RailTimers MainTimers::ForRail() const
{
    return {positionTimer, railMoveTimer, seekRepeatTimer, showSeekPreviewTimer, updateSeekPreviewTimer};
}

TitleTimers MainTimers::ForTitle() const
{
    return {positionTimer, closeLastMediaTimer, hideTipTimer, mouseTimer, playSpeedTimer};
}

}  // namespace vistrel
