// The play speed's wiring: the speed rail and the list of fixed speeds tell the player
// front, and a closed title puts them back to normal speed.
#include "app/MainTimers.h"
#include "app/MainWindow.h"
#include "browser/FileBrowser.h"
#include "controls/SpeedRailControl.h"
#include "playback/PlayerFront.h"
#include "playback/TitlePlayControl.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>

namespace vistrel {

void MainWindow::BuildSpeed()
{
    SpeedWidgets widgets;
    widgets.rail = controls_.speedRail;
    widgets.knob = controls_.speedKnob;
    widgets.floatingLabel = controls_.speedRailLabel;
    widgets.speedLabel = controls_.playSpeedLabel;
    widgets.speedList = controls_.speedList;
    widgets.restTimer = timers_->playSpeedTimer;
    SpeedHooks hooks;
    hooks.FocusFileList = [this] { browser_->FocusFileList(); };
    hooks.SetSpeed = [this](int32_t speed) { return ApplyPlaySpeed(speed); };
    speedControl_ = new SpeedRailControl(widgets, std::move(hooks), this);
    titlePlay_->Hooks.ResetPlaySpeed = [this] {
        speedControl_->TitleClosed();
        playSpeed_ = kNormalSpeed;
    };
}

bool MainWindow::ApplyPlaySpeed(int32_t speed)
{
    const bool accepted = front_->MPlaySetSpeed(speed);
    if (accepted)
        playSpeed_ = speed;
    return accepted;
}

}  // namespace vistrel
