#pragma once
// MPEG stream info (program, video, transport and audio streams) and its info lines.
// Offsets are 0-based and counted from the first byte of a start code.
#include "mediainfo/ByteBuffer.h"
#include "mediainfo/InfoLines.h"
#include "mediainfo/MpegAudioInfo.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

class File64;

struct MpegAudioSlot {
    MpegAudioInfo Audio;
    std::string Name;  // "C0" to "C7" once decoded
};

// DVD private audio substreams of one kind (AC-3, DTS or LPCM).
struct PrivateAudioStreams {
    bool Present = false;
    int32_t Count = 0;
    std::string List;  // identifiers in hexadecimal with "h", joined by ",": "80h,81h"
};

struct MpegInfo {
    bool Found = false;
    bool VideoCD = false;        // RIFF "CDXA"
    bool Transport = false;      // first byte 0x47
    bool ProgramStream = false;  // a valid pack header was found
    float SystemVersion = 0;     // 1 or 2
    std::string DiscKind;        // "(VCD)", "(SVCD)" or empty
    bool HasVideo = false;       // a sequence header was accepted
    float VideoVersion = 0;      // 2 with any MPEG-2 extension, else 1 with video, else 0
    int32_t Duration = 0;        // seconds, for the bit-rate estimate only
    int32_t Width = 0;
    int32_t Height = 0;
    float PixelAspect = 0;
    std::string AspectText;
    float DisplayAspect = 0;
    float FrameRate = 0;
    int32_t AverageKbps = 0;
    int32_t NominalKbps = 0;     // -1 when the header says variable
    std::string BitRateText;
    std::string VbvText;
    std::string ProfileAndLevel;
    std::string Chroma;
    std::string VideoFormat;
    std::string Scan;
    std::string DcPrecision;
    std::array<MpegAudioSlot, 8> AudioStreams;
    bool HasAudio = false;
    int32_t AudioStreamCount = 0;
    int32_t AudioKbpsSum = 0;
    PrivateAudioStreams Ac3, Dts, Lpcm;
};

// The fields of a video sequence header.
struct SequenceHeader {
    int32_t Width = 0;
    int32_t Height = 0;
    int AspectCode = 0;
    int FrameRateCode = 0;
    uint32_t BitRateValue = 0;  // units of 400 bit/s; 0x3FFFF means variable
    int32_t VbvSize = 0;
};

constexpr uint32_t kVariableBitRateValue = 0x3FFFF;

// The whole reader: fills `info` (emptied first) from the file; result the found flag.
// VOB and TS files are told by the name's extension (after the last ".", any case).
bool GetMpegInfo(const std::string& fileName, MpegInfo& info);
// The info lines of an MPEG file (type 2) and the two stream flags.
void PutMpegInfoLines(const MpegInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

// The first pack header at or after `start` whose next start code begins 12 to 20 bytes
// after it; kNotFound when there is none.
size_t FindPackHeader(ByteSpan buffer, size_t start);
// Playing time in whole seconds from video presentation time stamps; 0 when not found.
int32_t GetPtsDuration(const std::string& fileName);
// Playing time in whole seconds from the last group-of-pictures time code; 0 when not found.
int32_t GetGopDuration(const std::string& fileName, float frameRate);

// The parts of GetMpegInfo that work on a buffer, for tests ----------------------------

// Everything the read buffer alone tells (no audio-file path, no duration, no bit rate);
// result the accepted sequence header.
std::optional<SequenceHeader> AnalyzeMpegBuffer(const ByteBuffer& buffer, MpegInfo& info);
// The position of the sequence header that belongs to the system layer.
size_t FindSystemSequenceHeader(const ByteBuffer& buffer);
SequenceHeader ReadSequenceHeader(const ByteBuffer& buffer, size_t pos);
// Size, frame rate and VBV text.
void ApplySequenceHeader(const SequenceHeader& header, MpegInfo& info);
// The first extension of each kind in the buffer; sets the video version to 2.
void ApplyExtensions(const ByteBuffer& buffer, MpegInfo& info);
// The MPEG-1 or MPEG-2 aspect table, by info.VideoVersion.
void ApplyAspectRatio(int aspectCode, MpegInfo& info);
// "(VCD)" or "(SVCD)" from the length of the first video packet.
std::string GetDiscKind(const ByteBuffer& buffer, float systemVersion);
// The MPEG audio streams C0 to C3 of a program stream.
void ScanProgramAudioStreams(const ByteBuffer& buffer, MpegInfo& info);
// DVD AC-3, DTS and LPCM substreams.
void ScanPrivateStreams(const ByteBuffer& buffer, MpegInfo& info);
// The bit-rate rules, from info.Duration and info.AudioKbpsSum.
void ApplyBitRate(uint32_t bitRateValue, int64_t fileSize, bool vobOrTs, MpegInfo& info);
bool IsVobOrTsName(const std::string& fileName);

// Duration helpers over one block: the first and the last qualifying video time stamp in
// milliseconds, and the time code of the last group of pictures.
std::optional<double> FirstPtsMs(const ByteBuffer& block);
std::optional<double> LastPtsMs(const ByteBuffer& block);
int32_t GopDurationInBlock(const ByteBuffer& block, float frameRate);

// Up to `count` bytes from `offset`, fewer at the end of the file; the buffer is never
// larger than what `fileSize` leaves (a negative size is taken as unknown).
std::vector<uint8_t> ReadFileBlock(File64& file, int64_t fileSize, int64_t offset, size_t count);

}  // namespace vistrel
