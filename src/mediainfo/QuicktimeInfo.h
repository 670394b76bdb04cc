#pragma once
// QuickTime and MP4 info. Walks the atom tree of a QuickTime/MP4/3GP file in windows of at
// most 1,000,000 bytes and fills the record, then words its info lines.
#include "mediainfo/InfoLines.h"

#include <cstdint>
#include <string>

namespace vistrel {

// The result record. Texts hold file bytes as Latin-1 (one character per byte, as the window
// gives them); the codec names of the table are Latin-1 too ("\xB5-law").
// A field the walk does not find keeps the value it had.
struct QuicktimeInfo {
    std::string Brand;            // major brand: the first 4 body bytes of "ftyp"
    std::string AudioCodec;       // name of the sound sample-entry code (last sound track wins)
    std::string Channels;         // "Mono", "Stereo", "3ch" or "4ch"
    float SampleRate = 0;         // Hz, only 1000 to 99999
    int32_t SampleSize = 0;       // bits, when above 0
    bool CompressedMovie = false; // a "cmov" atom was met
    std::string VideoCodec;       // name of the first video track's sample-entry code
    std::string VideoCodec2;      // name of the 4 bytes after it (kept, never shown)
    int32_t Width = 0;
    int32_t Height = 0;
    float FrameRate = 0;          // whole frames per second; 0 when not found
    int32_t ColourDepth = 0;      // bits
};

// Walks the file and fills `info`. False only when the file cannot be opened (the record is
// then untouched); a file whose atoms make no sense still gives True with what was found.
bool GetQuicktimeInfo(const std::string& fileName, QuicktimeInfo& info);

// Line 0 "Quicktime"; line 1 the video ("AVC1  64x48 25fps 24bit") when a width was found,
// else empty; line 2 "compressed video" for a compressed movie, replaced by the audio
// ("MPEG4audio  44100Hz 16bit Stereo") when an audio codec was found. A reader that failed
// (`ok` False) leaves all lines empty. The stream flags are not touched.
void PutQuicktimeInfoLines(const QuicktimeInfo& info, bool ok, InfoLines& lines, StreamFlags& flags);

// The name of a four-character sample-entry code (exact, case-sensitive, blanks included);
// a code that is not in the table comes back unchanged.
std::string QuicktimeCodecName(const std::string& code);

// True for the container atom types whose children the walk enters.
bool IsQuicktimeContainer(const std::string& type);

// The frame-rate rule of an "mdhd" atom met while the media kind is video: the sample
// duration is duration / sampleCount rounded half up (0 while the count is 0); the rate
// timeScale / that duration counts, rounded half up, when 0 < rate <= 100; otherwise the
// result is 0 ("not found").
float QuicktimeFrameRate(uint32_t timeScale, uint32_t duration, uint32_t sampleCount);

}  // namespace vistrel
