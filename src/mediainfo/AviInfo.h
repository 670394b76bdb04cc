#pragma once
// RIFF AVI info (GetAviInfo) and its info lines.
#include "mediainfo/ByteBuffer.h"
#include "mediainfo/InfoLines.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vistrel {

// The "avih" chunk body: fourteen 32-bit fields.
struct AviMainHeader {
    uint32_t MicroSecPerFrame = 0;
    uint32_t MaxBytesPerSec = 0;
    uint32_t PaddingGranularity = 0;
    uint32_t Flags = 0;
    uint32_t TotalFrames = 0;
    uint32_t InitialFrames = 0;
    uint32_t Streams = 0;
    uint32_t SuggestedBufferSize = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
    std::array<uint32_t, 4> Reserved{};
};

// The "strh" chunk body.
struct AviStreamHeader {
    uint32_t Type = 0;     // FourCC: "vids", "auds", ...
    uint32_t Handler = 0;  // FourCC
    uint32_t Flags = 0;
    uint16_t Priority = 0;
    uint16_t Language = 0;
    uint32_t InitialFrames = 0;
    uint32_t Scale = 0;
    uint32_t Rate = 0;
    uint32_t Start = 0;
    uint32_t Length = 0;
    uint32_t SuggestedBufferSize = 0;
    uint32_t Quality = 0;
    uint32_t SampleSize = 0;
    int16_t FrameLeft = 0, FrameTop = 0, FrameRight = 0, FrameBottom = 0;
};

// A video "strf" body (BITMAPINFOHEADER).
struct AviBitmapInfoHeader {
    uint32_t Size = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    uint16_t Planes = 0;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;  // FourCC, 0 for uncompressed video
    uint32_t SizeImage = 0;
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;
    uint32_t ClrUsed = 0;
    uint32_t ClrImportant = 0;
};

struct AviAudioStream {
    std::string Codec;           // GetWaveFormatName of the format tag
    uint32_t SampleRate = 0;     // Hz
    uint32_t BitsPerSample = 0;  // 0 when absent
    std::string Channels;        // GetChannelsText
};

struct AviVideoStream {
    std::string CompressionCode;  // FourCCToText of biCompression, cleaned (empty for code 0)
    std::string HandlerCode;      // fccHandler of the stream header, cleaned
};

// Streams beyond this many of each kind are ignored; the info lines show at most seven.
constexpr size_t kMaxAviStreams = 8;

struct AviInfo {
    std::vector<AviAudioStream> AudioStreams;  // in file order, at most kMaxAviStreams
    std::vector<AviVideoStream> VideoStreams;  // in file order, at most kMaxAviStreams
    uint32_t Width = 0;                        // from the main header, when "movi" was reached
    uint32_t Height = 0;
    float FrameRate = 0;  // frames per second, rounded to two decimals; also for the main window
    std::string Software;  // an "ISFT" chunk, cleaned

    size_t AudioStreamCount() const { return AudioStreams.size(); }
    size_t VideoStreamCount() const { return VideoStreams.size(); }
};

// True when the file starts with the chain "RIFF" .. "AVI " "LIST" .. "hdrl" "avih"; the chunk
// walk that follows fills `info` as far as it gets and never makes the result False.
bool GetAviInfo(const std::string& fileName, AviInfo& info);
// Success: line 0 "RIFF AVI", then the video line when there is video, then one line per audio
// stream, on consecutive lines (those past 7 are dropped); sets flags.SeveralAudioStreams when
// there is more than one audio stream. Failure: line 1 "no valid AVI file".
void PutAviInfoLines(const AviInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

// The parts that work without a file, for tests and fuzz targets.
AviMainHeader ParseAviMainHeader(const ByteBuffer& body);
AviStreamHeader ParseAviStreamHeader(const ByteBuffer& body);
AviBitmapInfoHeader ParseAviBitmapInfoHeader(const ByteBuffer& body);
// rate / scale rounded to the nearest hundredth, halves up; scale 0 gives 0.
float AviFrameRate(uint64_t rate, uint64_t scale);
// The video line: codes, two blanks, width "x" height, and two blanks, frame rate "fps" when
// the frame rate is not 0.
std::string AviVideoLine(const AviInfo& info);
std::string AviAudioLine(const AviAudioStream& stream);

}  // namespace vistrel
