// The player on the session bus: its state read from the title, its calls going through
// the same handlers as the buttons and keys.
#include "app/MainWindow.h"
#include "controls/PositionRail.h"
#include "controls/SpeedRail.h"
#include "platform/desktop/Mpris.h"
#include "playback/PlayerFront.h"
#include "playback/TitlePlayControl.h"

#include <QListView>

#include <cmath>

namespace vistrel {

namespace {

QString PlaybackStatus(int32_t playState)
{
    switch (playState) {
    case MMSTATE_PLAY: return "Playing";
    case MMSTATE_PAUSE: return "Paused";
    default: return "Stopped";
    }
}

}  // namespace

void MainWindow::StartMpris(const QDBusConnection& bus)
{
    if (mpris_)
        return;
    MprisHooks hooks;
    hooks.State = [this] { return MprisStateNow(); };
    hooks.PositionUs = [this] { return TitleOpen() ? qint64{front_->MPlayGetPosition()} * 1000 : 0; };
    hooks.Raise = [this] {
        showNormal();
        raise();
        activateWindow();
    };
    hooks.Quit = [this] { close(); };
    TitlePlayControl* play = titlePlay_.get();
    hooks.Play = [play] { play->PlayControlClicked(0); };
    hooks.Pause = [this, play] {
        if (title_.playState == MMSTATE_PLAY)
            play->PlayControlClicked(1);
    };
    hooks.PlayPause = [this, play] { play->PlayControlClicked(title_.playState == MMSTATE_PLAY ? 1 : 0); };
    hooks.Stop = [play] { play->PlayControlClicked(2); };
    hooks.Next = [play] { play->SkipClicked(1); };
    hooks.Previous = [play] { play->SkipClicked(0); };
    hooks.Seek = [this](qint64 offsetUs) { rail_->SeekRelative(static_cast<int32_t>(offsetUs / 1000)); };
    hooks.SetPosition = [this](qint64 positionUs) { rail_->SeekToPosition(static_cast<int32_t>(positionUs / 1000)); };
    hooks.SetVolume = [this](double volume) {
        SetLocalVolume(static_cast<int32_t>(std::lround(volume * 1000)));
        SetVolumeSliderPos();
    };
    hooks.SetRate = [this](double rate) { ApplyPlaySpeed(static_cast<int32_t>(std::lround(rate * kNormalSpeed))); };
    mpris_ = new MprisService(std::move(hooks), this);
    mpris_->Start(bus);
}

MprisState MainWindow::MprisStateNow() const
{
    MprisState state;
    state.playbackStatus = PlaybackStatus(title_.playState);
    const int files = controls_.fileList->model()->rowCount();
    state.canGoNext = state.canGoPrevious = files > 1;
    state.canPlay = files > 0 || TitleOpen();
    state.canPause = TitleOpen();
    state.volume = titlePlay_->CurrentVolume / 1000.0;
    state.rate = double(playSpeed_) / kNormalSpeed;
    if (!TitleOpen())
        return state;
    state.fileName = QString::fromStdString(title_.CurrentTitle);
    state.lengthUs = qint64{title_.CurrentTitleLengthMS} * 1000;
    state.canSeek = title_.CurrentTitleLengthMS > 0;
    return state;
}

// Every seek, whoever asked for it, is told to the bus once it was made.
void MainWindow::AnnounceSeek()
{
    if (mpris_ && TitleOpen())
        mpris_->Seeked(qint64{front_->LastSeekTarget} * 1000);
}

}  // namespace vistrel
