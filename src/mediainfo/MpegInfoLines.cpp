// The info lines of the MPEG stream reader's result (type 2) and the two stream flags.
#include "mediainfo/MpegStreamInfo.h"

#include <vector>

namespace vistrel {

namespace {

// width "x" height, two blanks, the aspect text, then two blanks, the frame rate and "fps"
// when there is one (an empty aspect text keeps its separators).
std::string VideoLine(const MpegInfo& info)
{
    std::string line = FormatWhole(info.Width) + "x" + FormatWhole(info.Height) + "  " + info.AspectText;
    if (info.FrameRate != 0)
        line += "  " + FormatSingle(info.FrameRate) + "fps";
    return line;
}

std::string ProgramStreamTitle(const MpegInfo& info)
{
    std::string title;
    if (info.VideoCD)
        title += "RIFF CDXA  ";
    if (info.Transport)
        title += "TS  ";
    return title + "MPEG-" + FormatSingle(info.SystemVersion) + " System";
}

void AddPrivateStreamLine(std::vector<std::string>& lines, const PrivateAudioStreams& kind, const std::string& text)
{
    if (kind.Count > 0)
        lines.push_back(FormatWhole(kind.Count) + text);
}

// Consecutive lines from line 0; lines past 7 are dropped.
void PutConsecutive(const std::vector<std::string>& texts, InfoLines& lines)
{
    for (size_t i = 0; i < texts.size() && i < lines.size(); ++i)
        lines[i] = texts[i];
}

void PutProgramStreamLines(const MpegInfo& info, InfoLines& lines)
{
    std::vector<std::string> texts{ProgramStreamTitle(info)};
    if (info.HasVideo)
        texts.push_back(VideoLine(info));
    for (size_t slot = 0; slot < 4; ++slot) {
        if (info.AudioStreams[slot].Audio.Valid)
            texts.push_back(MpegAudioStreamLine(info.AudioStreams[slot].Audio));
    }
    AddPrivateStreamLine(texts, info.Ac3, "x AC3 Audio (" + info.Ac3.List + ")");
    AddPrivateStreamLine(texts, info.Dts, "x DTS");
    AddPrivateStreamLine(texts, info.Lpcm, "x PCM");
    PutConsecutive(texts, lines);
}

void PutVideoStreamLines(const MpegInfo& info, InfoLines& lines)
{
    lines[0] = "MPEG-" + FormatSingle(info.VideoVersion) + " Video Stream";
    lines[1] = VideoLine(info);
    lines[2] = info.ProfileAndLevel;
    if (info.VideoVersion == 2 && info.DisplayAspect != 0)
        lines[3] = "DAR=" + FormatSingle(info.DisplayAspect);
}

void PutAudioFileLines(const MpegInfo& info, InfoLines& lines)
{
    const auto audio = MpegAudioLines(info.AudioStreams[0].Audio);
    PutConsecutive({audio.begin(), audio.end()}, lines);
}

void PutNothingFoundLines(const MpegInfo& info, InfoLines& lines)
{
    if (info.Transport)
        lines[0] = "Transport Stream";
    else
        lines[1] = "unknown";
}

int32_t AllAudioStreams(const MpegInfo& info)
{
    return info.AudioStreamCount + info.Ac3.Count + info.Dts.Count + info.Lpcm.Count;
}

}  // namespace

void PutMpegInfoLines(const MpegInfo& info, bool ok, InfoLines& lines, StreamFlags& flags)
{
    lines = InfoLines{};
    flags = StreamFlags{};
    if (!ok)
        PutNothingFoundLines(info, lines);
    else if (info.ProgramStream)
        PutProgramStreamLines(info, lines);
    else if (info.HasVideo)
        PutVideoStreamLines(info, lines);
    else if (info.HasAudio)
        PutAudioFileLines(info, lines);
    else
        PutNothingFoundLines(info, lines);

    const bool programStream = ok && info.ProgramStream;
    flags.SeveralAudioStreams = programStream && AllAudioStreams(info) > 1;
    flags.MpegProgramWithVideo = programStream && info.HasVideo;
}

}  // namespace vistrel
