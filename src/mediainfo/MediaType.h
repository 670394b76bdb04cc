#pragma once
// Media type detection from the first 2048 bytes of a file: enough for every signature we
// test, and for an MPEG audio stream that starts after some junk.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

using MediaType = int32_t;

namespace mt {
constexpr MediaType NoMM = 0, Wave = 1, Mpeg = 2, Avi = 3, Ogg = 4, Midi = 5, Riff = 6, Wma = 7,
                    Wmv = 8, Asf = 9, SunAu = 10, Aiff = 11, Mov = 12, Ac3 = 13, Dts = 14,
                    Real = 15, Matroska = 16, Ebml = 17, Flv = 18, Flac = 19, MpegTs = 20,
                    WebP = 21, ZeroSize = 100, TooSmall = 101, Html = 102, AllFF = 104, Pdf = 105,
                    Rar = 106, Zip = 107, SevenZip = 108, Exe = 109, AllZero = 110,
                    Unreadable = 200;
}

constexpr size_t kHeaderWindowBytes = 2048;

MediaType GetMediaType(const std::string& fileName);
// The type decided by the signature tests over a header window (all but the size tests),
// for callers that already hold the bytes. `window` is padded with zeros to 2049 bytes.
MediaType GetMediaTypeFromWindow(std::vector<uint8_t> window);
std::string GetMediaTypeName(MediaType code);
// The 64-bit size, or -1 when it cannot be read. Needs no read permission.
int64_t GetFileSize64(const std::string& fileName);
std::vector<uint8_t> HexToBytes(std::string_view hex);
bool IsAllZero(const std::vector<uint8_t>& bytes);

// MPEG start codes: 00 00 01 followed by one byte.
struct MpegSyncCodes {
    std::vector<uint8_t> Prefix, PackHeader, SequenceHeader, GroupOfPictures, Extension,
        PrivateStream1;
    std::vector<std::vector<uint8_t>> VideoStreams;  // E0..E7
    std::vector<std::vector<uint8_t>> AudioStreams;  // C0..C7
};
void InitMpegSyncCodes();
const MpegSyncCodes& MpegSync();

}  // namespace vistrel
