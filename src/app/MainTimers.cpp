#include "app/MainTimers.h"

namespace vistrel {

MainTimers::MainTimers(QObject* parent) : QObject(parent)
{
    setObjectName("MainTimers");
    timPlayByCmdln->setSingleShot(true);
    connect(timPlayByCmdln, &QTimer::timeout, this, &MainTimers::timPlayByCmdln_Timer);
}

std::vector<QTimer*> MainTimers::All() const
{
    return {Timer1, timMouse, timSeeking, timPlaySpeed, timPlayByCmdln, timFileChangeNotify,
            timFileListSetFocus, timDeleteFilesToDelete, CloseLastMediaTimer, ShowVidRail,
            RailPosChangedTimer, SetVidPosTimer, ShowSeekPreviewTimer, UpdateSeekPreviewTimer,
            FilesListBoxTooltipTimer, HideIfVisibleOnFullscreenTimer, HidePicTipCreateTempCopyTimer};
}

// Runs during member initialisation, after the QObject base is complete.
QTimer* MainTimers::MakeTimer(const char* name, int intervalMs)
{
    auto* timer = new QTimer(this);
    timer->setObjectName(name);
    timer->setInterval(intervalMs);
    return timer;
}

void MainTimers::timPlayByCmdln_Timer()
{
    timPlayByCmdln->stop();
    if (PlayTitleFromFile1)
        PlayTitleFromFile1();
}

}  // namespace vistrel
