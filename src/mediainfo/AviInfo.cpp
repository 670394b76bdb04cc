#include "mediainfo/AviInfo.h"
#include "mediainfo/WaveInfo.h"

#include "mediainfo/MediaType.h"
#include "mediainfo/RiffText.h"
#include "mediainfo/WaveFormatNames.h"
#include "support/File64.h"

#include <algorithm>
#include <limits>

namespace vistrel {

namespace {

// "RIFF" header, "LIST" header with its type and the "avih" chunk header (32 bytes), then the
// 56-byte main header; the walk starts after it.
constexpr size_t kMainHeaderOffset = 32;
constexpr size_t kMainHeaderBytes = 56;
constexpr size_t kHeaderChainBytes = kMainHeaderOffset + kMainHeaderBytes;
constexpr size_t kStreamHeaderBytes = 56;
constexpr size_t kBitmapInfoHeaderBytes = 40;
constexpr size_t kWaveFormatBytes = 16;  // 14 bytes and the bits per sample
constexpr size_t kSoftwareTextMaxBytes = 65536;
// The walk keeps its positions in signed 32-bit numbers.
constexpr uint64_t kMaxWalkPosition = std::numeric_limits<int32_t>::max();

struct AviWalk {
    File64& File;
    uint64_t FileSize = 0;
    AviMainHeader Main;
    AviInfo& Info;
    AviStreamHeader Stream;  // the last "strh" read
    uint64_t Position = kHeaderChainBytes;
};

bool ReadHeaderChain(File64& file, AviMainHeader& main)
{
    const ByteBuffer chain = ReadRecord(file, 0, kMainHeaderOffset, kMainHeaderOffset);
    main = ParseAviMainHeader(ReadRecord(file, kMainHeaderOffset, kMainHeaderBytes, kMainHeaderBytes));
    return chain.Matches(0, "RIFF") && chain.Matches(8, "AVI ") && chain.Matches(12, "LIST")
           && chain.Matches(20, "hdrl") && chain.Matches(24, "avih");
}

ByteBuffer ReadBody(const AviWalk& walk, const RiffChunkHeader& chunk, size_t recordSize)
{
    return ReadRecord(walk.File, walk.Position + kRiffChunkHeaderBytes, chunk.PaddedSize(), recordSize);
}

bool StreamTypeIs(const AviWalk& walk, const char* type)
{
    return EqualsIgnoringCase(FourCCChars(walk.Stream.Type), type);
}

// "movi": width, height and (when no stream gave one) the frame rate of the main header.
void TakeMainHeaderValues(AviWalk& walk)
{
    walk.Info.Width = walk.Main.Width;
    walk.Info.Height = walk.Main.Height;
    if (walk.Info.FrameRate == 0 && walk.Main.MicroSecPerFrame != 0)
        walk.Info.FrameRate = AviFrameRate(1000000, walk.Main.MicroSecPerFrame);
}

// "movi" is passed over whole; every other list (INFO included) is entered.
uint64_t NextAfterList(AviWalk& walk, const RiffChunkHeader& chunk)
{
    if (ReadFormType(walk.File, walk.Position) != "movi")
        return walk.Position + 12;
    TakeMainHeaderValues(walk);
    return walk.Position + kRiffChunkHeaderBytes + chunk.PaddedSize();
}

void ReadStreamHeader(AviWalk& walk, const RiffChunkHeader& chunk)
{
    walk.Stream = ParseAviStreamHeader(ReadBody(walk, chunk, kStreamHeaderBytes));
    if (StreamTypeIs(walk, "vids") && walk.Stream.Scale != 0)
        walk.Info.FrameRate = AviFrameRate(walk.Stream.Rate, walk.Stream.Scale);
}

void AddVideoStream(AviWalk& walk, const RiffChunkHeader& chunk)
{
    const AviBitmapInfoHeader bitmap = ParseAviBitmapInfoHeader(ReadBody(walk, chunk, kBitmapInfoHeaderBytes));
    walk.Info.VideoStreams.push_back(
        {CleanText(FourCCToText(bitmap.Compression)), CleanText(FourCCChars(walk.Stream.Handler))});
}

void AddAudioStream(AviWalk& walk, const RiffChunkHeader& chunk)
{
    // Padded sizes are even: the bits per sample are read exactly when the padded size is >= 16.
    // The body holds at most kWaveFormatBytes, so the WAVE reader's later fields read 0.
    const WaveFormat format = ParseWaveFormat(ReadBody(walk, chunk, kWaveFormatBytes));
    walk.Info.AudioStreams.push_back({GetWaveFormatName(format.FormatTag), format.SamplesPerSec,
                                      format.BitsPerSample,
                                      GetChannelsText(static_cast<int16_t>(format.Channels))});
}

void AddStream(AviWalk& walk, const RiffChunkHeader& chunk)
{
    if (StreamTypeIs(walk, "vids") && walk.Info.VideoStreams.size() < kMaxAviStreams)
        AddVideoStream(walk, chunk);
    else if (StreamTypeIs(walk, "auds") && walk.Info.AudioStreams.size() < kMaxAviStreams)
        AddAudioStream(walk, chunk);
}

void ReadSoftware(AviWalk& walk, const RiffChunkHeader& chunk)
{
    const size_t count = static_cast<size_t>(std::min<uint64_t>(chunk.PaddedSize(), kSoftwareTextMaxBytes));
    walk.Info.Software = CleanText(Latin1ToUtf8(ReadBody(walk, chunk, count).Text(0, count)));
}

// "idx1", "JUNK", "JUNQ", "IDIT", the other INFO chunks and anything else are passed over.
uint64_t NextAfterChunk(AviWalk& walk, const RiffChunkHeader& chunk)
{
    if (chunk.Id == "strh")
        ReadStreamHeader(walk, chunk);
    else if (chunk.Id == "strf")
        AddStream(walk, chunk);
    else if (chunk.Id == "ISFT")
        ReadSoftware(walk, chunk);
    return walk.Position + kRiffChunkHeaderBytes + chunk.PaddedSize();
}

// Ends at the end of the file, at an identifier whose first character is below 33 (also what
// a header past the end of the file reads as) and at a position beyond 2^31 - 1. Every move is
// at least 8 bytes, so the walk cannot stay in place.
void WalkChunks(AviWalk& walk)
{
    while (walk.Position < walk.FileSize) {
        const RiffChunkHeader chunk = ReadChunkHeader(walk.File, walk.Position);
        if (static_cast<uint8_t>(chunk.Id[0]) < 33)
            return;
        const uint64_t next = chunk.Id == "LIST" ? NextAfterList(walk, chunk) : NextAfterChunk(walk, chunk);
        if (next > kMaxWalkPosition)
            return;
        walk.Position = next;
    }
}

std::string JoinCodes(const std::vector<std::string>& codes)
{
    std::string text;
    for (const std::string& code : codes)
        text += (text.empty() ? "" : "/") + code;
    return text;
}

// The compression codes of all video streams, then each handler code that differs from its
// stream's compression code (at most four characters: the first four of it) and from the
// previous stream's handler code; empty codes are left out.
std::string VideoCodes(const std::vector<AviVideoStream>& streams)
{
    std::vector<std::string> codes;
    for (const AviVideoStream& stream : streams) {
        if (!stream.CompressionCode.empty())
            codes.push_back(stream.CompressionCode);
    }
    for (size_t i = 0; i < streams.size(); ++i) {
        const std::string& handler = streams[i].HandlerCode;
        if (handler.empty() || EqualsIgnoringCase(handler, streams[i].CompressionCode)
            || (i > 0 && EqualsIgnoringCase(handler, streams[i - 1].HandlerCode)))
            continue;
        codes.push_back(handler);
    }
    return JoinCodes(codes);
}

}  // namespace

AviMainHeader ParseAviMainHeader(const ByteBuffer& body)
{
    AviMainHeader h;
    h.MicroSecPerFrame = body.LE32(0);
    h.MaxBytesPerSec = body.LE32(4);
    h.PaddingGranularity = body.LE32(8);
    h.Flags = body.LE32(12);
    h.TotalFrames = body.LE32(16);
    h.InitialFrames = body.LE32(20);
    h.Streams = body.LE32(24);
    h.SuggestedBufferSize = body.LE32(28);
    h.Width = body.LE32(32);
    h.Height = body.LE32(36);
    for (size_t i = 0; i < h.Reserved.size(); ++i)
        h.Reserved[i] = body.LE32(40 + 4 * i);
    return h;
}

AviStreamHeader ParseAviStreamHeader(const ByteBuffer& body)
{
    AviStreamHeader h;
    h.Type = body.LE32(0);
    h.Handler = body.LE32(4);
    h.Flags = body.LE32(8);
    h.Priority = body.LE16(12);
    h.Language = body.LE16(14);
    h.InitialFrames = body.LE32(16);
    h.Scale = body.LE32(20);
    h.Rate = body.LE32(24);
    h.Start = body.LE32(28);
    h.Length = body.LE32(32);
    h.SuggestedBufferSize = body.LE32(36);
    h.Quality = body.LE32(40);
    h.SampleSize = body.LE32(44);
    h.FrameLeft = static_cast<int16_t>(body.LE16(48));
    h.FrameTop = static_cast<int16_t>(body.LE16(50));
    h.FrameRight = static_cast<int16_t>(body.LE16(52));
    h.FrameBottom = static_cast<int16_t>(body.LE16(54));
    return h;
}

AviBitmapInfoHeader ParseAviBitmapInfoHeader(const ByteBuffer& body)
{
    AviBitmapInfoHeader h;
    h.Size = body.LE32(0);
    h.Width = static_cast<int32_t>(body.LE32(4));
    h.Height = static_cast<int32_t>(body.LE32(8));
    h.Planes = body.LE16(12);
    h.BitCount = body.LE16(14);
    h.Compression = body.LE32(16);
    h.SizeImage = body.LE32(20);
    h.XPelsPerMeter = static_cast<int32_t>(body.LE32(24));
    h.YPelsPerMeter = static_cast<int32_t>(body.LE32(28));
    h.ClrUsed = body.LE32(32);
    h.ClrImportant = body.LE32(36);
    return h;
}

float AviFrameRate(uint64_t rate, uint64_t scale)
{
    if (scale == 0)
        return 0;
    // Whole hundredths, halves up, in integers: floor(rate / scale * 100 + 0.5).
    const uint64_t hundredths = (rate * 200 + scale) / (2 * scale);
    return static_cast<float>(static_cast<double>(hundredths) / 100.0);
}

bool GetAviInfo(const std::string& fileName, AviInfo& info)
{
    info = AviInfo{};
    File64 file;
    if (fileName.empty() || !file.OpenFile(fileName, true))
        return false;
    AviWalk walk{file, 0, {}, info, {}, kHeaderChainBytes};
    const bool ok = ReadHeaderChain(file, walk.Main);
    if (ok) {
        walk.FileSize = static_cast<uint64_t>(std::max<int64_t>(GetFileSize64(fileName), 0));
        WalkChunks(walk);
    }
    file.CloseFile();
    return ok;
}

std::string AviVideoLine(const AviInfo& info)
{
    std::string line = VideoCodes(info.VideoStreams) + "  " + FormatWhole(info.Width) + "x"
                       + FormatWhole(info.Height);
    if (info.FrameRate != 0)
        line += "  " + FormatSingle(info.FrameRate) + "fps";
    return line;
}

std::string AviAudioLine(const AviAudioStream& stream)
{
    std::string line = stream.Codec + "  " + FormatWhole(stream.SampleRate) + "Hz  ";
    if (stream.BitsPerSample > 0)
        line += FormatWhole(stream.BitsPerSample) + "bit  ";
    return line + stream.Channels;
}

void PutAviInfoLines(const AviInfo& info, bool ok, InfoLines& lines, StreamFlags& flags)
{
    if (!ok) {
        lines[1] = "no valid AVI file";
        return;
    }
    lines[0] = "RIFF AVI";
    std::vector<std::string> details;
    if (!info.VideoStreams.empty())
        details.push_back(AviVideoLine(info));
    for (const AviAudioStream& stream : info.AudioStreams)
        details.push_back(AviAudioLine(stream));
    for (size_t i = 0; i < details.size() && i + 1 < lines.size(); ++i)
        lines[i + 1] = details[i];
    if (info.AudioStreamCount() > 1)
        flags.SeveralAudioStreams = true;
}

}  // namespace vistrel
