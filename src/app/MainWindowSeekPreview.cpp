// The seek preview's wiring: the rails' places, the pointer, the title and the video's
// shape, its settings and colours, its timers, and its end with the title.
#include "app/MainTimers.h"
#include "app/MainWindow.h"
#include "controls/PositionRail.h"
#include "playback/PlayerFront.h"
#include "video/SeekPreview.h"
#include "video/VideoPresenter.h"
#include "video/VideoWindow.h"

#include <QCursor>

namespace vistrel {

namespace {

// Colours in the settings are 0x00BBGGRR.
QColor FromBgr(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

QRect GlobalRect(const QWidget* widget)
{
    return widget && widget->isVisible() ? QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()) : QRect();
}

}  // namespace

void MainWindow::BuildSeekPreview()
{
    video::SeekPreviewHooks hooks;
    hooks.PointerPos = [] { return QCursor::pos(); };
    hooks.MainRailRect = [this] { return GlobalRect(rail_->Control().Rail(0)); };
    hooks.FullscreenRailRect = [this] { return GlobalRect(rail_->Control().Rail(1)); };
    hooks.TitleOpen = [this] { return TitleOpen(); };
    hooks.CurrentFile = [this] { return title_.CurrentTitle; };
    hooks.TitleLengthMs = [this] { return int64_t(title_.CurrentTitleLengthMS); };
    hooks.MouseMovePosition = [this] { return rail_->Control().MouseMovePosition(); };
    hooks.VideoWindowWidth = [this] { return video_->Window().width(); };
    hooks.VideoAspectRatio = [this] { return video_->VideoAspectRatio(); };
    hooks.Options = [this] {
        video::SeekPreviewOptions options;
        options.widthMain = settings_.SeekPreviewWidthMain;
        options.fullscreenDivisor = settings_.SeekPreviewWidthFullscreenDivisor;
        options.back = FromBgr(store_.ReadSeekPreviewBackColor());
        options.text = FromBgr(store_.ReadSeekPreviewTextColor());
        return options;
    };
    const video::SeekPreviewTimers timers{timers_->showSeekPreviewTimer, timers_->updateSeekPreviewTimer,
                                          timers_->mouseTimer};
    seekPreview_ = new video::SeekPreview(timers, std::move(hooks), this);
    front_->Hooks.UnloadSeekPreviewIfLoaded = [this] { seekPreview_->Unload(); };
}

// The preview is GStreamer's: it serves titles on the second back end, and MCI titles too
// when the settings ask for it.
bool MainWindow::SeekPreviewServesTitle() const
{
    return front_->TitleInterface() == kMediaInterfaceDirectShow || settings_.SeekPreviewWithMCI;
}

}  // namespace vistrel
