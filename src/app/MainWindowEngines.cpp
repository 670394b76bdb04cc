// The second back end ("DirectShow", GStreamer's playbin) behind the player front: its
// close-last-media timer, its video window in the video presentation, and its end before
// the widgets it draws into.
#include "app/MainTimers.h"
#include "app/MainWindow.h"
#include "platform/mci/MciService.h"
#include "playback/DirectShowPlayer.h"
#include "playback/PlayerFront.h"
#include "playback/TitlePlayControl.h"

#include <QTimer>

namespace vistrel {

void MainWindow::BuildDirectShow()
{
    directShow_ = std::make_unique<DirectShowPlayer>();
    directShow_->Hooks.StartCloseLastTimer = [this](int32_t ms) { timers_->closeLastMediaTimer->start(ms); };
    directShow_->Hooks.OverlappedPlayTimeMS = [this] { return titlePlay_ ? titlePlay_->OverlappedPlayTimeMS : 100; };
    front_->DirectShow = directShow_.get();
}

void MainWindow::CloseDirectShow()
{
    front_->DirectShow = nullptr;
    directShow_.reset();
}

// Each back end moves only the video windows it made.
void MainWindow::PlaceEngineWindow(WindowHandle engine, WindowHandle parent, QRect rect)
{
    mciSetVideoWindowParent(engine, parent, rect.x(), rect.y(), rect.width(), rect.height());
    if (directShow_)
        directShow_->SetVideoWindowParent(engine, parent, rect.x(), rect.y(), rect.width(), rect.height());
}

}  // namespace vistrel
