#include "mediainfo/OggInfo.h"

#include "mediainfo/HeaderBlock.h"
#include "mediainfo/WaveFormatNames.h"

#include <cmath>
#include <string_view>

namespace vistrel {

namespace {

// Offsets from the packet type byte 0x01 of an OGM stream header (the DirectShow layout:
// stream type, subtype, size, time unit, samples per unit, default length, buffer size,
// bits per sample, padding, then width and height or channels, block align, byte rate).
constexpr size_t kSubtype = 9;
constexpr size_t kFrameTimeGuess = 12;  // tried first, across subtype and size; then kTimeUnit
constexpr size_t kTimeUnit = 17;
constexpr size_t kSamplesPerUnit = 25;
constexpr size_t kBitsPerSample = 41;
constexpr size_t kWidth = 45;
constexpr size_t kHeight = 49;
constexpr size_t kAudioChannels = 45;
// Offsets from the packet type byte 0x01 of a Vorbis identification header.
constexpr size_t kVorbisChannels = 11;
constexpr size_t kVorbisSampleRate = 12;

constexpr double kMaxFrameRate = 60;
constexpr uint32_t kMaxSampleRate = 100000;
constexpr uint32_t kMaxDimension = 65535;
constexpr uint32_t kMaxBitsPerPixel = 64;

size_t FindHeader(ByteSpan block, std::string_view streamType)
{
    return FindText(block, std::string("\x01", 1) + std::string(streamType));
}

uint32_t LE32(ByteSpan block, size_t offset)
{
    return LittleEndianAt(block, offset, 4);
}

// Trimmed of blanks, then cut at the first NUL; blanks before the NUL stay (no second trim).
std::string VideoCodecText(const std::string& bytes)
{
    const size_t first = bytes.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const std::string trimmed = bytes.substr(first, bytes.find_last_not_of(' ') - first + 1);
    return Latin1ToUtf8(trimmed.substr(0, trimmed.find('\0')));
}

double FrameRateFrom(ByteSpan block, size_t header)
{
    for (const size_t offset : {kFrameTimeGuess, kTimeUnit}) {
        const double rate = OggFrameRate(LE32(block, header + offset));
        if (rate > 0 && rate <= kMaxFrameRate)
            return rate;
    }
    return 0;
}

std::string DimensionText(uint32_t value)
{
    return value >= 1 && value <= kMaxDimension ? FormatWhole(value) : "";
}

void ReadVideoHeader(ByteSpan block, size_t header, OggInfo& info)
{
    info.HasVideo = true;
    info.VideoCodec = VideoCodecText(TextAt(block, header + kSubtype, 4));
    info.FrameRate = FrameRateFrom(block, header);
    const uint32_t bits = LE32(block, header + kBitsPerSample);
    info.BitsPerPixel = bits >= 1 && bits <= kMaxBitsPerPixel ? static_cast<int32_t>(bits) : 0;
    info.Width = DimensionText(LE32(block, header + kWidth));
    info.Height = DimensionText(LE32(block, header + kHeight));
}

// Channels other than 1 and 2 leave the text as it was.
void SetChannels(int64_t channels, OggInfo& info)
{
    if (const std::string text = MonoOrStereo(channels); !text.empty())
        info.Channels = text;
}

void SetSampleRate(uint32_t rate, OggInfo& info)
{
    if (rate >= 1 && rate <= kMaxSampleRate)
        info.SampleRate = static_cast<int32_t>(rate);
}

void ReadVorbisHeader(ByteSpan block, size_t header, OggInfo& info)
{
    info.HasAudio = true;
    SetChannels(ByteAt(block, header + kVorbisChannels), info);
    SetSampleRate(LittleEndianAt(block, header + kVorbisSampleRate, 2), info);
    info.AudioCodec = "vorbis";
}

void ReadAudioHeader(ByteSpan block, size_t header, OggInfo& info)
{
    info.HasAudio = true;
    info.AudioCodec = GetWaveFormatName(OggAudioFormatTag(TextAt(block, header + kSubtype, 4)));
    SetChannels(LittleEndianAt(block, header + kAudioChannels, 2), info);
    SetSampleRate(LE32(block, header + kSamplesPerUnit), info);
}

}  // namespace

double OggFrameRate(uint32_t timeValue)
{
    if (timeValue == 0)
        return 0;
    return std::floor(10000000.0 / timeValue * 1000) * 0.001;
}

uint16_t OggAudioFormatTag(const std::string& subtype)
{
    if (subtype.size() != 4 || subtype.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return 0;
    return static_cast<uint16_t>(std::stoul(subtype, nullptr, 16));
}

bool ParseOggBlock(ByteSpan block, OggInfo& info)
{
    info = {};
    if (!StartsWith(block, "OggS"))
        return false;
    info.Valid = true;
    info.StreamStructureVersion = ByteAt(block, 4);
    if (const size_t video = FindHeader(block, "video"); video != kNotFound)
        ReadVideoHeader(block, video, info);
    if (const size_t vorbis = FindHeader(block, "vorbis"); vorbis != kNotFound)
        ReadVorbisHeader(block, vorbis, info);
    // After the Vorbis header, so that its values win.
    if (const size_t audio = FindHeader(block, "audio"); audio != kNotFound)
        ReadAudioHeader(block, audio, info);
    return true;
}

bool GetOggInfo(const std::string& fileName, OggInfo& info)
{
    info = {};
    const auto block = ReadHeaderBlock(fileName, kOggBlockBytes, std::nullopt);
    return block && ParseOggBlock(*block, info);
}

void PutOggInfoLines(const OggInfo& info, bool ok, InfoLines& lines, StreamFlags&)
{
    if (!ok)
        return;
    lines[0] = "OGG media";
    if (info.HasVideo) {
        lines[1] = info.VideoCodec + "  " + info.Width + "x" + info.Height;
        if (info.FrameRate > 0)
            lines[1] += "  " + FormatDouble(info.FrameRate) + "fps";
        if (info.BitsPerPixel > 0)
            lines[1] += "  " + FormatWhole(info.BitsPerPixel) + "bit";
    }
    if (info.HasAudio)
        lines[2] = info.AudioCodec + "  " + FormatWhole(info.SampleRate) + "Hz  " + info.Channels;
}

}  // namespace vistrel
