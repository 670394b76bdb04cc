// The second back end (see DirectShowPlayer.h). Every operation acts on the current slot
// and does nothing (0, false) while that slot is empty.
#include "playback/DirectShowPlayer.h"

#include "platform/gst/GstGraph.h"
#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "support/MsgBox.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vistrel {

namespace {

constexpr int32_t kSilentDb100 = -10000;
constexpr int32_t kCloseLastSlackMs = 500;

}  // namespace

int32_t VolumeToDb100(int32_t volume0To100)
{
    const double db100 = std::lround(1447.86 * std::log(std::max(volume0To100, 0) + 0.1) - 6666.6);
    return static_cast<int32_t>(std::clamp(db100, double(kSilentDb100), 0.0));
}

double Db100ToLinear(int32_t db100)
{
    return db100 <= kSilentDb100 ? 0.0 : std::pow(10.0, std::min(db100, 0) / 2000.0);
}

DirectShowPlayer::DirectShowPlayer() = default;

// The graphs go before anything they draw into or report to.
DirectShowPlayer::~DirectShowPlayer()
{
    CloseSlot(current_);
    CloseSlot(1 - current_);
}

gst::GstGraph* DirectShowPlayer::Current() const
{
    return slots_[size_t(current_)].get();
}

// The title before the previous one goes; the previous one keeps playing in the other slot
// until the close-last-media timer fires (the overlap plus a margin).
bool DirectShowPlayer::Open(const std::string& fileName, WindowHandle parent, int32_t volume, bool multiAudio,
                            bool multiVideo)
{
    CloseSlot(1 - current_);
    current_ = 1 - current_;
    const int32_t overlap = Hooks.OverlappedPlayTimeMS ? Hooks.OverlappedPlayTimeMS() : 100;
    if (Hooks.StartCloseLastTimer)
        Hooks.StartCloseLastTimer(overlap + kCloseLastSlackMs);
    const std::string ext = UpperExtension(fileName);
    gst::GraphOptions options;
    options.videoParent = parent;
    options.midi = ext == "MID" || ext == "RMI";
    options.audioOnlyName = ext == "WAV" || ext == "MP3";
    gst::OpenResult result;
    slots_[size_t(current_)] = gst::GstGraph::Open(fileName, options, result);
    fileNames_[size_t(current_)] = slots_[size_t(current_)] ? fileName : std::string{};
    missingPlugins_ = result.missingPlugins;
    lastError_ = result.error;
    gst::GstGraph* graph = Current();
    if (!graph) {
        std::fprintf(stderr, "GStreamer cannot play %s: %s\n", fileName.c_str(), lastError_.c_str());
        return false;
    }
    if (!options.midi)
        SetVolume(static_cast<int32_t>(std::lround(volume / 10.0)));
    hasAudio_ = graph->AudioStreamCount() > 0;
    hasVideo_ = !options.audioOnlyName && graph->VideoStreamCount() > 0;
    FindStreams(multiAudio && hasAudio_, multiVideo && hasVideo_);
    return true;
}

// The streams are counted only when the front asks: otherwise a title counts one stream of
// each kind it has. Several streams start with the first.
void DirectShowPlayer::FindStreams(bool multiAudio, bool multiVideo)
{
    gst::GstGraph* graph = Current();
    audioStreams_ = multiAudio ? graph->AudioStreamCount() : 0;
    videoStreams_ = multiVideo ? graph->VideoStreamCount() : 0;
    if (audioStreams_ > 1)
        graph->SelectAudioStream(0);
    if (videoStreams_ > 1)
        graph->SelectVideoStream(0);
}

void DirectShowPlayer::CloseSlot(int slot)
{
    slots_[size_t(slot)].reset();
    fileNames_[size_t(slot)].clear();
    if (slot != current_)
        return;
    hasAudio_ = hasVideo_ = false;
    audioStreams_ = videoStreams_ = 0;
}

void DirectShowPlayer::Close(bool keepLast)
{
    if (!keepLast)
        CloseSlot(current_);
    CloseSlot(1 - current_);
}

void DirectShowPlayer::CloseLast()
{
    CloseSlot(1 - current_);
}

std::vector<std::string> DirectShowPlayer::OpenFileNames() const
{
    std::vector<std::string> names;
    for (const std::string& name : fileNames_)
        if (!name.empty())
            names.push_back(name);
    return names;
}

int32_t DirectShowPlayer::GetState()
{
    gst::GstGraph* graph = Current();
    return graph ? graph->State() : 0;
}

// A title standing at its end starts again from 0.
int32_t DirectShowPlayer::Run()
{
    gst::GstGraph* graph = Current();
    if (!graph)
        return 0;
    const double duration = graph->DurationSeconds();
    if (duration > 0 && std::lround(graph->PositionSeconds()) == std::lround(duration))
        graph->Seek(0);
    std::string error;
    if (graph->Play(error))
        return 0;
    MsgBox("Play: " + error, kMsgExclamation, kAppTitle);
    return 1;
}

void DirectShowPlayer::Pause()
{
    if (gst::GstGraph* graph = Current())
        graph->Pause();
}

int32_t DirectShowPlayer::Stop()
{
    if (gst::GstGraph* graph = Current())
        graph->Stop();
    return 0;
}

// A paused graph prerolls the target frame: it shows without sound and stays paused.
void DirectShowPlayer::Seek(int32_t targetMs, bool)
{
    if (gst::GstGraph* graph = Current())
        graph->Seek(targetMs / 1000.0);
}

double DirectShowPlayer::GetPositionSeconds()
{
    gst::GstGraph* graph = Current();
    return graph ? graph->PositionSeconds() : 0;
}

int32_t DirectShowPlayer::GetLengthMs()
{
    gst::GstGraph* graph = Current();
    return graph ? static_cast<int32_t>(std::lround(graph->DurationSeconds() * 1000.0)) : 0;
}

double DirectShowPlayer::GetFrameRate()
{
    gst::GstGraph* graph = Current();
    return graph && hasVideo_ ? graph->FrameRate() : 0;
}

// playbin's own software volume: the sound server's stream volume stays the mixer's.
void DirectShowPlayer::SetVolume(int32_t volume0To100)
{
    gst::GstGraph* graph = Current();
    if (!graph)
        return;
    volumeDb100_ = VolumeToDb100(volume0To100);
    graph->SetVolume(Db100ToLinear(volumeDb100_));
}

bool DirectShowPlayer::SetSpeed(int32_t speed)
{
    gst::GstGraph* graph = Current();
    return graph && graph->SetRate(speed / 1000.0);
}

WindowHandle DirectShowPlayer::GetVideoWindow()
{
    gst::GstGraph* graph = Current();
    return graph && hasVideo_ ? graph->VideoWindow() : 0;
}

bool DirectShowPlayer::GetVideoSize(int32_t& width, int32_t& height, double& pixelShape)
{
    gst::GstGraph* graph = Current();
    int w = 0;
    int h = 0;
    if (!graph || !hasVideo_ || !graph->VideoSize(w, h, pixelShape))
        return false;
    width = w;
    height = h;
    return true;
}

int32_t DirectShowPlayer::GetAudioStreamCount()
{
    return audioStreams_ > 0 ? audioStreams_ : int32_t(hasAudio_);
}

int32_t DirectShowPlayer::GetVideoStreamCount()
{
    return videoStreams_ > 0 ? videoStreams_ : int32_t(hasVideo_);
}

// The play state is kept: playbin switches streams while it plays.
void DirectShowPlayer::SelectAudioStream(int32_t index)
{
    const int32_t count = GetAudioStreamCount();
    if (index >= 1 && index <= count && count > 1)
        Current()->SelectAudioStream(index - 1);
}

void DirectShowPlayer::SelectVideoStream(int32_t index)
{
    const int32_t count = GetVideoStreamCount();
    if (index >= 1 && index <= count && count > 1)
        Current()->SelectVideoStream(index - 1);
}

void DirectShowPlayer::SetVideoWindowParent(WindowHandle window, WindowHandle parent, int x, int y, int w, int h)
{
    if (window == 0 || parent == 0)
        return;
    for (const auto& graph : slots_) {
        if (graph && graph->VideoWindow() == window)
            graph->PlaceVideoWindow(parent, x, y, w, h);
    }
}

double DirectShowPlayer::GraphVolume() const
{
    gst::GstGraph* graph = Current();
    return graph ? graph->Volume() : 1.0;
}

int DirectShowPlayer::CurrentAudioStream() const
{
    gst::GstGraph* graph = Current();
    return graph ? graph->CurrentAudioStream() : -1;
}

}  // namespace vistrel
