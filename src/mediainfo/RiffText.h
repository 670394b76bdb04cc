#pragma once
// The small naming routines that the RIFF readers share with the other readers
// (channel texts, FourCC texts, text cleaning), and the RIFF chunk reading that the WAVE and
// AVI readers share. Texts returned here are UTF-8, ready for the info lines; bytes taken from
// a file are read as Latin-1, one character per byte.
#include "mediainfo/ByteBuffer.h"

#include <cstdint>
#include <string>

namespace vistrel {

class File64;

// 0 and negative counts: empty; 1 "Mono"; 2 "Stereo"; 3 "Joint Stereo" (the MPEG mode name);
// 4 "Quad"; above 4 the count and "ch." (6 gives "6ch."). The argument is signed 16-bit, so a
// file field of 0x8000 or more arrives here negative and gives an empty text.
std::string GetChannelsText(int16_t channels);
// The four characters of the FourCC in file order (its low byte first), or an empty text
// when the first byte is below 48 (the digit 0), as for uncompressed video (code 0).
std::string FourCCToText(uint32_t fourCC);
// The four characters of the FourCC in file order, whatever they are.
std::string FourCCChars(uint32_t fourCC);
// Trimmed of blanks, cut before the first NUL character, trimmed again (blanks only: tabs
// and other control characters stay).
std::string CleanText(const std::string& text);
// ASCII letters compared regardless of case; every other character byte for byte.
bool EqualsIgnoringCase(const std::string& a, const std::string& b);

// ---- RIFF chunks read through File64 (the file must be open) ----

constexpr uint64_t kRiffChunkHeaderBytes = 8;

struct RiffChunkHeader {
    std::string Id;     // four characters as stored (NUL bytes when the file ends)
    uint32_t Size = 0;  // as stored
    // Chunks are padded to even lengths.
    uint64_t PaddedSize() const { return static_cast<uint64_t>(Size) + (Size & 1); }
};

// The chunk header at `position`; past the end of the file its bytes read as zero.
RiffChunkHeader ReadChunkHeader(File64& file, uint64_t position);
// The form or list type of the RIFF or LIST chunk at `position`: the four characters after its
// header.
std::string ReadFormType(File64& file, uint64_t position);
// A record of `recordSize` bytes at `position`, of which at most `available` bytes are read
// from the file (the rest of a chunk's body); bytes not read, also past the end of the file,
// are zero. `recordSize` is small (a header structure or a capped text).
ByteBuffer ReadRecord(File64& file, uint64_t position, uint64_t available, size_t recordSize);

}  // namespace vistrel
