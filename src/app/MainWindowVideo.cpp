// The video presentation's wiring: the separate video window and its layout get the video
// menu, the settings, the engine's window and the main window's keys.
#include "app/MainMenus.h"
#include "app/MainTimers.h"
#include "app/MainWindow.h"
#include "controls/FullscreenRailWidget.h"
#include "controls/PositionRail.h"
#include "playback/PlayerFront.h"
#include "playback/TitlePlayControl.h"
#include "support/TickCount.h"
#include "video/VideoPresenter.h"

#include <QCheckBox>

namespace vistrel {

void MainWindow::BuildVideo()
{
    video::VideoMenu menu;
    menu.menu = menus_->videoMenu;
    menu.fullscreen = menus_->fullscreenAction;
    menu.zoomMenu = menus_->zoomMenu;
    menu.zoom = menus_->zoomActions;
    menu.aspectMenu = menus_->aspectMenu;
    menu.aspect = menus_->aspectActions;
    video::VideoHooks hooks;
    hooks.Options = [this] {
        video::VideoOptions options;
        std::copy(settings_.AutoZoomRes.begin(), settings_.AutoZoomRes.end(), options.autoZoomRes.begin());
        options.overscanPercent = settings_.OverScanPercent;
        options.sideBySide = controls_.videoSideBySideCheck->isChecked();
        return options;
    };
    hooks.SetOverscanPercent = [this](double percent) { settings_.OverScanPercent = percent; };
    hooks.PlaceEngineWindow = [this](WindowHandle engine, WindowHandle parent, QRect r) {
        PlaceEngineWindow(engine, parent, r);
    };
    hooks.HandleKey = [this](QKeyEvent* event) { return HandleKey(event); };
    hooks.TickCountMs = [this] { return titlePlay_->Hooks.TickCountMs ? titlePlay_->Hooks.TickCountMs() : TickCountMs(); };
    hooks.MsSinceTitleStart = [this] { return video_ ? TitleClock() - titlePlay_->PlayStartTick : 0; };
    video::VideoTimers timers{timers_->mouseTimer, timers_->videoPositionTimer};
    video_ = new video::VideoPresenter(*this, *controls_.videoArea, menu, timers, std::move(hooks));
    Keys.ChangeOverscan = [this](int step) { video_->ChangeOverscan(step); };
    BuildFullscreenRail();
    WireVideoTitleHooks();
}

// The strip over the fullscreen video: a second face of the position rail and the play
// buttons, placed and shown by the video presenter.
void MainWindow::BuildFullscreenRail()
{
    auto* strip = new FullscreenRailWidget(screenDpi_);
    rail_->AttachFullscreenRail(*strip);
    video_->AttachFullscreenRail(strip, [strip](int width) { return strip->PreferredSizeFor(width); });
    TitlePlayControl* play = titlePlay_.get();
    connect(strip, &FullscreenRailWidget::PlayControlClicked, play, [play](int i) { play->PlayControlClicked(i); });
}

int64_t MainWindow::TitleClock() const
{
    const auto& clock = titlePlay_->Hooks.TickCountMs;
    return clock ? clock() : TickCountMs();
}

// A title's video: laid out by the frame size and pixel shape the engine reports, else by
// the size the file's header gives.
void MainWindow::WireVideoTitleHooks()
{
    TitlePlayHooks& hooks = titlePlay_->Hooks;
    hooks.FullscreenMenuItemEnable = [this](bool enable) { video_->FullscreenMenuItemEnable(enable); };
    hooks.LayOutVideo = [this](QSize headerFrame) {
        int32_t width = 0;
        int32_t height = 0;
        double pixelShape = 0;
        QSize frame = headerFrame;
        if (front_->MPlayGetVideoSize(width, height, pixelShape))
            frame = {width, height};
        video_->SetVideoParameters(title_.videoWindow, frame, pixelShape);
    };
    hooks.HideVideo = [this] { video_->HideVideo(); };
    hooks.VideoTitleClosed = [this] { video_->TitleClosed(); };
    hooks.DisableFullscreen = [this] { video_->DisableFullscreen(); };
    hooks.IsSeparateVideoWindowVisible = [this] { return video_->SeparateWindowVisible(); };
}

}  // namespace vistrel
