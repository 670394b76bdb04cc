#pragma once
// ASF info (WMA, WMV and other ASF files, type codes 7, 8, 9) and its info lines. The
// reader searches the object identifiers in a fixed prefix of the file.
#include "mediainfo/ByteBuffer.h"
#include "mediainfo/InfoLines.h"
#include "mediainfo/MediaType.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vistrel {

// Fields the reader cannot find keep the values they had. Texts are UTF-8 (file bytes read
// as Latin-1), ready for the info lines.
struct AsfInfo {
    bool IsAsf = false;          // the header object's identifier was found
    bool HasVideo = false;       // a video stream properties object was found
    int32_t Width = 0;           // 0 when outside 0 to 4096
    int32_t Height = 0;
    std::string VideoFourCC;     // the compression code; empty when its first byte is below 33
    float PixelAspect = 0;       // 1 / the metadata aspect, when that is neither 0 nor 1
    std::string AspectName;      // AsfAspectName of that aspect
    bool HasAudio = false;       // an audio stream properties object was found
    std::string AudioCodec;      // GetWaveFormatName of the format tag
    uint32_t AudioKbps = 0;      // whole thousands of average bytes per second, x 8
    std::string Channels;        // "Mono" or "Stereo"; other counts leave it as it was
    uint32_t SampleRate = 0;     // Hz
};

constexpr size_t kAsfPrefixBytes = 163840;  // 0x28000; a shorter file is padded with zeros

// Reads the prefix and decodes it; False when the file cannot be opened or the prefix holds
// no ASF header object identifier.
bool GetAsfInfo(const std::string& fileName, AsfInfo& info);
// The decoding of a prefix, for tests and fuzz targets.
bool ReadAsfInfo(const ByteBuffer& prefix, AsfInfo& info);

// The name of an aspect rounded to 2 decimals: "NTSC 4:3", "NTSC 16:9", "PAL 4:3",
// "PAL 16:9", "ana 2:1", "PAR 4:3", "PAR 16:9", otherwise "PAR " and the rounded value.
std::string AsfAspectName(double aspect);
// X / Y, or the larger by the smaller when X is 1440, 1080 or 720; 0 when either is 0.
double AsfAspect(uint64_t x, uint64_t y);

// Line 0 "Microsoft " + the type name of `detected` (always); line 1 the video:
// "WMV2  64x48"; line 2 the audio: "WMA2   22050Hz"; line 3 "32kbps  Mono" (a bit rate
// of 0 is left out with its unit and blanks). Lines 1 to 3 stay empty without their stream.
void PutAsfInfoLines(const AsfInfo& info, bool ok, MediaType detected, InfoLines& lines, StreamFlags& flags);

}  // namespace vistrel
