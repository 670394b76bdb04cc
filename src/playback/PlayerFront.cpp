// The player front (see PlayerFront.h).
//
// MediaInterface other than 0 or 1: every operation does nothing and gives its neutral
// result. With 0 or 1 the front's own work (the LastSeekTarget rule and positionTimer of
// MPlaySeek, LastSeekTick of MPlayResume, the clean-up after MPlayClose) always runs; only
// the back-end call is skipped while the second back end (GStreamer) is not installed.
#include "playback/PlayerFront.h"

#include "platform/mci/MciService.h"
#include "playback/MciVoice.h"
#include "support/Hooks.h"
#include "support/TickCount.h"

#include <cmath>

namespace vistrel {

namespace mci = MciVoice;

bool PlayerFront::HasFrontEnd() const
{
    return TitleInterface() == kMediaInterfaceDirectShow || TitleInterface() == kMediaInterfaceMCI;
}

DirectShowBackend* PlayerFront::DirectShowOrNull() const
{
    return TitleInterface() == kMediaInterfaceDirectShow ? DirectShow : nullptr;
}

const char* PlayerFront::InterfaceName(int16_t mediaInterface)
{
    return mediaInterface == kMediaInterfaceDirectShow ? "DirectShow" : "MCI";
}

int64_t PlayerFront::Now() const
{
    return Hooks.TickCountMs ? Hooks.TickCountMs() : TickCountMs();
}

bool PlayerFront::MPlayOpen(const std::string& fileName, WindowHandle parent, int32_t volume, bool multiAudio,
                            bool multiVideo, bool reportFailure)
{
    return OpenOn(MediaInterface, fileName, parent, volume, multiAudio, multiVideo, reportFailure);
}

bool PlayerFront::MPlayOpenOnOtherInterface(const std::string& fileName, WindowHandle parent, int32_t volume,
                                            bool multiAudio, bool multiVideo)
{
    if (MediaInterface == kMediaInterfaceMCI && !CallOr(Hooks.IsDirectShowAvailable, false))
        return false;
    const auto other = static_cast<int16_t>(1 - MediaInterface);
    return OpenOn(other, fileName, parent, volume, multiAudio, multiVideo, false);
}

bool PlayerFront::OpenOn(int16_t mediaInterface, const std::string& fileName, WindowHandle parent, int32_t volume,
                         bool multiAudio, bool multiVideo, bool reportFailure)
{
    titleInterface_ = mediaInterface;
    if (UsesMCI()) {  // the stream flags are not used
        const bool opened = mci::OpenVoice1(fileName, parent, volume, reportFailure);
        mciOpenError_ = opened ? 0 : mci::MCILastError;
        return opened;
    }
    if (DirectShowBackend* ds = DirectShowOrNull())
        return ds->Open(fileName, parent, volume, multiAudio, multiVideo);
    return false;
}

void PlayerFront::ReportOpenFailure()
{
    if (MediaInterface == kMediaInterfaceMCI && mciOpenError_ != 0)
        mci::ShowExclamation(mci::GetMCIErrorText(mciOpenError_));
}

// A title that fell back to MCI may leave the previous DirectShow title fading out in its
// kept graph: a full close ends that one too.
void PlayerFront::MPlayClose(bool keepLast)
{
    if (!HasFrontEnd())
        return;
    if (UsesMCI()) {
        mci::CloseVoice1();
        if (!keepLast && DirectShow)
            DirectShow->CloseLast();
    } else if (DirectShowBackend* ds = DirectShowOrNull()) {
        ds->Close(keepLast);
    }
    titleInterface_ = -1;
    CloseSideEffects();
}

void PlayerFront::CloseSideEffects()
{
    if (Hooks.UnloadSeekPreviewIfLoaded)
        Hooks.UnloadSeekPreviewIfLoaded();
    if (Hooks.HideFullscreenRailIfVisible)
        Hooks.HideFullscreenRailIfVisible();
    if (Hooks.WipeNewestTempCopy)
        Hooks.WipeNewestTempCopy();
}

// Only DirectShow keeps the previous title; it may be fading out under an MCI title.
void PlayerFront::MPlayCloseLast()
{
    if (DirectShow)
        DirectShow->CloseLast();
    if (Hooks.WipeNewestTempCopy)
        Hooks.WipeNewestTempCopy();  // the kept title may have played from a copy
}

bool PlayerFront::MPlayStart()
{
    if (UsesMCI())
        return mci::GetVoice1Mode() != "playing" && mci::PlayVoice1();
    if (DirectShowBackend* ds = DirectShowOrNull()) {
        if (ds->GetState() == 2)
            return false;
        ds->Run();
        return true;
    }
    return false;
}

void PlayerFront::MPlayPause()
{
    if (UsesMCI())
        mci::PauseVoice1();
    else if (DirectShowBackend* ds = DirectShowOrNull())
        ds->Pause();
}

int32_t PlayerFront::MPlayResume()
{
    if (!HasFrontEnd())
        return 0;
    LastSeekTick = Now();
    if (UsesMCI())
        return static_cast<int32_t>(mci::ResumeVoice1());
    if (DirectShowBackend* ds = DirectShowOrNull())
        return ds->Run();
    return 0;
}

// With no device open nothing plays: there is nothing to stop and no error to show.
int32_t PlayerFront::MPlayStop()
{
    if (UsesMCI())
        return mci::GetVoice1Mode().empty() ? 0 : static_cast<int32_t>(mci::StopVoice1());
    if (DirectShowBackend* ds = DirectShowOrNull())
        return ds->Stop();
    return 0;
}

// The same positive target as last time is not passed on again (LastSeekTarget lives for
// the process, across titles); seeks to 0 always pass. A paused title stays paused at its
// new position, and the poll runs once to show it; a closed title has no position to poll.
void PlayerFront::MPlaySeek(int32_t targetMs, bool showFrame)
{
    if (!HasFrontEnd())
        return;
    if (targetMs != LastSeekTarget || targetMs < 1) {
        LastSeekTarget = targetMs;
        if (UsesMCI())
            mci::SeekVoice1(targetMs, showFrame, title_.playState != MMSTATE_PAUSE);
        else if (DirectShowBackend* ds = DirectShowOrNull())
            ds->Seek(targetMs, showFrame);
    }
    const bool titleOpen = title_.playState != MMSTATE_NONE && title_.playState != MMSTATE_CLOSED;
    if (Hooks.EnablePositionPoll && titleOpen)
        Hooks.EnablePositionPoll();
}

int32_t PlayerFront::MPlayGetPosition()
{
    if (UsesMCI())
        return mci::GetVoice1Position();
    if (DirectShowBackend* ds = DirectShowOrNull())
        return static_cast<int32_t>(std::lround(ds->GetPositionSeconds() * 1000.0));
    return 0;
}

int32_t PlayerFront::MPlayGetLength()
{
    if (UsesMCI())
        return mci::GetVoice1Length();
    if (DirectShowBackend* ds = DirectShowOrNull())
        return ds->GetLengthMs();
    return 0;
}

// Three decimals: whole part of (rate times 1000 plus 0.5), divided by 1000.
double PlayerFront::MPlayGetFrameRate()
{
    double rate = 0;
    if (UsesMCI())
        rate = mci::GetVoice1FrameRate();
    else if (DirectShowBackend* ds = DirectShowOrNull())
        rate = ds->GetFrameRate();
    return std::floor(rate * 1000.0 + 0.5) / 1000.0;
}

void PlayerFront::MPlaySetVolume(int32_t volume)
{
    if (UsesMCI())
        mci::SetVoice1Volume(volume);
    else if (DirectShowBackend* ds = DirectShowOrNull())
        ds->SetVolume(static_cast<int32_t>(std::lround(volume / 10.0)));
}

bool PlayerFront::MPlaySetSpeed(int32_t speed)
{
    if (UsesMCI()) {
        std::string reply;
        MCISpeedError = static_cast<int32_t>(mci::SendMCICommand("set voice1 speed " + std::to_string(speed), reply));
        return MCISpeedError == 0;
    }
    if (DirectShowBackend* ds = DirectShowOrNull())
        return ds->SetSpeed(speed);
    return false;
}

void PlayerFront::MPlayGetVideoWindows(WindowHandle& videoWindow, WindowHandle& innerWindow)
{
    videoWindow = innerWindow = 0;
    if (UsesMCI()) {
        videoWindow = mci::GetVoice1Window();
        const WindowHandle child =
            videoWindow != 0 && Hooks.FirstChildWindow ? Hooks.FirstChildWindow(videoWindow) : 0;
        innerWindow = child != 0 ? child : videoWindow;
    } else if (DirectShowBackend* ds = DirectShowOrNull()) {
        videoWindow = innerWindow = ds->GetVideoWindow();
    }
}

bool PlayerFront::MPlayGetVideoSize(int32_t& width, int32_t& height, double& pixelShape)
{
    width = height = 0;
    pixelShape = 0;
    if (UsesMCI())
        return mci::GetVoice1VideoSize(width, height, pixelShape);
    if (DirectShowBackend* ds = DirectShowOrNull())
        return ds->GetVideoSize(width, height, pixelShape);
    return false;
}

int32_t PlayerFront::MPlayGetAudioStreamCount()
{
    DirectShowBackend* ds = DirectShowOrNull();
    return ds ? ds->GetAudioStreamCount() : 0;
}

int32_t PlayerFront::MPlayGetVideoStreamCount()
{
    DirectShowBackend* ds = DirectShowOrNull();
    return ds ? ds->GetVideoStreamCount() : 0;
}

void PlayerFront::MPlaySelectAudioStream(int32_t index)
{
    if (DirectShowBackend* ds = DirectShowOrNull())
        ds->SelectAudioStream(index);
}

void PlayerFront::MPlaySelectVideoStream(int32_t index)
{
    if (DirectShowBackend* ds = DirectShowOrNull())
        ds->SelectVideoStream(index);
}

std::string PlayerFront::MPlayMissingDecoders()
{
    DirectShowBackend* ds = DirectShowOrNull();
    std::string joined;
    for (const std::string& description : ds ? ds->MissingDecoders() : std::vector<std::string>{})
        joined += (joined.empty() ? "" : ", ") + description;
    return joined;
}

void PlayerFront::ToggleMediaInterface()
{
    if (title_.playState != MMSTATE_NONE && title_.playState != MMSTATE_CLOSED) {
        mci::ShowExclamation("Stop before switching the interface!");
        return;
    }
    MediaInterface = static_cast<int16_t>(1 - MediaInterface);
    if (MediaInterface == kMediaInterfaceDirectShow && !(Hooks.IsDirectShowAvailable && Hooks.IsDirectShowAvailable())) {
        MediaInterface = kMediaInterfaceMCI;
        mci::ShowExclamation("DirectShow is not availlable! Still using MCI");
    }
    if (Hooks.SetMediaInterfaceCaption && HasFrontEnd())
        Hooks.SetMediaInterfaceCaption(MediaInterface == kMediaInterfaceDirectShow ? "DirectShow" : "MCI");
    if (MediaInterface == kMediaInterfaceMCI)
        mciPrepareEngine();
}

}  // namespace vistrel
