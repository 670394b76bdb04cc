#pragma once
// RealMedia info (type code 15) and its info lines. The reader walks the chunks of the
// file's first bytes.
#include "mediainfo/ByteBuffer.h"
#include "mediainfo/InfoLines.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vistrel {

// Fields the reader cannot find keep the values they had. Texts are UTF-8 (file bytes read
// as Latin-1).
struct RealMediaInfo {
    int32_t TotalKbps = 0;          // the "PROP" maximum bit rate
    bool HasRealAudio = false;      // a ".ra" + 0xFD stream header was decoded
    int32_t RealAudioVersion = 0;
    int32_t AudioKbps = 0;          // the average bit rate of an "AUD" stream
    int32_t SampleSize = 0;         // bits
    int32_t SampleRate = 0;         // Hz
    std::string Channels;           // ChannelsText of a count from 1 to 6
    bool HasVideo = false;          // a "VIDO" stream header was decoded
    int32_t VideoKbps = 0;          // the average bit rate of a "VID" stream
    std::string VideoCodec;         // four characters
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t BitDepth = 0;
    float FrameRate = 0;            // the integer part of the header's frame rate
};

constexpr int32_t kRealMediaReadBytes = 10000000;

// True when the file starts with ".RMF"; then its chunks are walked.
bool GetRealMediaInfo(const std::string& fileName, RealMediaInfo& info);
// The chunk walk over the bytes read, for tests and fuzz targets.
void ReadRealMediaChunks(const ByteBuffer& data, RealMediaInfo& info);
// Bits per second in whole kilobits, rounded half up; 0 when outside the accepted 1 to 20000.
int32_t RealMediaKbps(uint32_t bitsPerSecond);

// Line 0 "RealMedia" (+ two blanks, the total kilobit value and "bps" when `ok` and known);
// then, in consecutive lines, the video ("176x144  15fps  24bit") when a "VIDO" header was
// decoded and the RealAudio line ("RealAudio  44100Hz  16bit") when its header was.
void PutRealMediaInfoLines(const RealMediaInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
