// The volume knobs: "Master", "Wave" and "MIDI" on the desktop's mixer, "Local" as the
// title's own volume through the player front; the wheel anywhere over the window.
#include "app/MainWindow.h"
#include "controls/VolumeFrameWidget.h"
#include "mediainfo/MediaType.h"
#include "platform/mixer/PulseMixer.h"
#include "playback/PlayerFront.h"
#include "playback/TitlePlayControl.h"

#include <QWheelEvent>

namespace vistrel {

namespace {

// How long the start waits for the sound server.
constexpr int kMixerWaitMs = 1000;

mixer::MixerLine LineOf(int knob)
{
    return static_cast<mixer::MixerLine>(knob);
}

}  // namespace

void MainWindow::WireVolume()
{
    VolumeKnobHooks& hooks = controls_.volumeFrame->Knobs().Hooks;
    hooks.MixerMax = [this] { return mixer_ && mixer_->Connected() ? mixer::PulseMixer::kMaxVolume : 0U; };
    hooks.MixerVolume = [this](int knob) { return mixer_ ? mixer_->Volume(LineOf(knob)) : 0U; };
    hooks.SetMixerVolume = [this](int knob, uint32_t volume) {
        if (mixer_)
            mixer_->SetVolume(LineOf(knob), volume);
    };
    hooks.SetLocalVolume = [this](int32_t volume) { SetLocalVolume(volume); };
    titlePlay_->Hooks.ShowVolumes = [this] { SetVolumeSliderPos(); };
}

// "Local" starts at the setting. Without a sound server answering within a second the
// mixer's knobs stay disabled; so they do when the server goes away later.
void MainWindow::LoadVolumes()
{
    VolumeKnobs& knobs = controls_.volumeFrame->Knobs();
    knobs.SetLocal(store_.ReadCurrentFileDefaultVolume());
    titlePlay_->CurrentVolume = knobs.Local();
    mixer_ = mixer::PulseMixer::Connect(kMixerWaitMs);
    if (mixer_) {
        connect(mixer_.get(), &mixer::PulseMixer::VolumesChanged, this, [this] { SetVolumeSliderPos(); });
        connect(mixer_.get(), &mixer::PulseMixer::ServerLost, this,
                [this] { controls_.volumeFrame->SetMixerEnabled(false); });
    }
    controls_.volumeFrame->SetMixerEnabled(mixer_ != nullptr);
}

void MainWindow::ReleaseMixer()
{
    mixer_.reset();
    controls_.volumeFrame->SetMixerEnabled(false);
}

void MainWindow::SetVolumeSliderPos()
{
    controls_.volumeFrame->Knobs().SetVolumeSliderPos();
}

// Every title opens with "Local"; the open one takes a change at once, except a MIDI title,
// whose loudness is the "MIDI" knob's.
void MainWindow::SetLocalVolume(int32_t volume)
{
    titlePlay_->CurrentVolume = volume;
    if (TitleOpen() && titlePlay_->DetectedType != mt::Midi)
        front_->MPlaySetVolume(volume);
}

void MainWindow::ChangeVolume(int delta, int screenX)
{
    VolumeFrameWidget* frame = controls_.volumeFrame;
    frame->Knobs().Wheel(delta, frame->mapFromGlobal(QPoint(screenX, 0)).x(), screenDpi_);
}

// Wheel turns the controls under the pointer did not take (labels, frames, buttons).
void MainWindow::wheelEvent(QWheelEvent* event)
{
    ChangeVolume(event->angleDelta().y(), qRound(event->globalPosition().x()));
    event->accept();
}

}  // namespace vistrel
