#include "mediainfo/WaveInfo.h"

#include "mediainfo/MediaType.h"
#include "mediainfo/RiffText.h"
#include "mediainfo/WaveFormatNames.h"
#include "support/File64.h"

#include <algorithm>
#include <optional>

namespace vistrel {

namespace {

struct FoundChunk {
    uint64_t Position = 0;
    RiffChunkHeader Header;
};

// From `start`, the chunks that follow one another (padded to even sizes) are read until one
// matches; a chunk header needs its 8 bytes before `end`. Every move is at least 8 bytes, so
// zero-size chunks cannot hold the search in place.
std::optional<FoundChunk> FindChunk(File64& file, uint64_t start, uint64_t end,
                                    const std::string& id, const std::string& formType = {})
{
    for (uint64_t position = start; position + kRiffChunkHeaderBytes <= end;) {
        const RiffChunkHeader header = ReadChunkHeader(file, position);
        if (header.Id == id
            && (formType.empty() || ReadFormType(file, position) == formType))
            return FoundChunk{position, header};
        position += kRiffChunkHeaderBytes + header.PaddedSize();
    }
    return std::nullopt;
}

// The RIFF chunk of form WAVE from offset 0, then its "fmt " chunk from the byte after the
// form type, within the RIFF chunk's declared size and the file.
std::optional<FoundChunk> FindFormatChunk(File64& file, uint64_t fileSize)
{
    const auto riff = FindChunk(file, 0, fileSize, "RIFF", "WAVE");
    if (!riff)
        return std::nullopt;
    const uint64_t riffEnd = riff->Position + kRiffChunkHeaderBytes + riff->Header.Size;
    return FindChunk(file, riff->Position + 12, std::min(riffEnd, fileSize), "fmt ");
}

std::string BitsText(const WaveFormat& format)
{
    if (format.FormatTag != kWaveFormatExtensible)
        return format.BitsPerSample > 0 ? FormatWhole(format.BitsPerSample) + "bit  " : "";
    // Extensible: the valid bits are the sample size shown; 0 is left out as everywhere.
    if (format.ValidBitsPerSample == 0)
        return {};
    if (format.BitsPerSample < 1 || format.BitsPerSample <= format.ValidBitsPerSample)
        return FormatWhole(format.ValidBitsPerSample) + "bit  ";
    return FormatWhole(format.ValidBitsPerSample) + "of" + FormatWhole(format.BitsPerSample) + "bit  ";
}

}  // namespace

WaveFormat ParseWaveFormat(const ByteBuffer& chunkData)
{
    WaveFormat format;
    format.FormatTag = chunkData.LE16(0);
    format.Channels = chunkData.LE16(2);
    format.SamplesPerSec = chunkData.LE32(4);
    format.AvgBytesPerSec = chunkData.LE32(8);
    format.BlockAlign = chunkData.LE16(12);
    format.BitsPerSample = chunkData.LE16(14);
    format.ExtraSize = chunkData.LE16(16);
    format.ValidBitsPerSample = chunkData.LE16(18);
    format.ChannelMask = chunkData.LE32(20);
    for (size_t i = 0; i < format.SubFormat.size(); ++i)
        format.SubFormat[i] = chunkData.U8(24 + i);
    return format;
}

WaveInfo DescribeWaveFormat(const WaveFormat& format)
{
    WaveInfo info;
    info.SampleRate = format.SamplesPerSec;
    info.BitRate = static_cast<float>(format.AvgBytesPerSec) * 8.0f;
    info.Channels = GetChannelsText(static_cast<int16_t>(format.Channels));
    info.Extensible = format.FormatTag == kWaveFormatExtensible;
    info.Codec = GetWaveFormatName(info.Extensible ? format.SubFormatTag() : format.FormatTag);
    info.Bits = BitsText(format);
    return info;
}

bool GetWaveInfo(const std::string& fileName, WaveInfo& info)
{
    info = WaveInfo{};
    if (fileName.empty())
        return false;
    File64 file;
    if (!file.OpenFile(fileName, true))
        return false;
    const uint64_t fileSize = static_cast<uint64_t>(std::max<int64_t>(GetFileSize64(fileName), 0));
    const auto fmt = FindFormatChunk(file, fileSize);
    if (fmt) {
        const ByteBuffer data = ReadRecord(file, fmt->Position + kRiffChunkHeaderBytes,
                                           fmt->Header.Size, kWaveFormatReadBytes);
        info = DescribeWaveFormat(ParseWaveFormat(data));
    }
    file.CloseFile();
    return fmt.has_value();
}

std::string WaveBitRateText(float bitRate)
{
    const auto whole = static_cast<int64_t>(bitRate);
    if (whole % 1024 == 0)
        return FormatWhole(whole / 1024) + "Kbps   ";
    return FormatDouble(static_cast<double>(whole / 100) / 10.0) + "kbps   ";
}

void PutWaveInfoLines(const WaveInfo& info, bool ok, InfoLines& lines, StreamFlags& flags)
{
    if (!ok) {
        lines[1] = "no valid WAV file";
        return;
    }
    lines[0] = info.Extensible ? "RIFF WAVE (extensible)" : "RIFF WAVE";
    lines[1] = info.Codec;
    lines[2] = FormatWhole(info.SampleRate) + "Hz  " + info.Bits
               + (info.BitRate != 0 ? WaveBitRateText(info.BitRate) : "") + info.Channels;
}

}  // namespace vistrel
