#include "mediainfo/RiffText.h"

#include "mediainfo/InfoLines.h"
#include "support/File64.h"

#include <algorithm>
#include <vector>

namespace vistrel {

namespace {

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string GetChannelsText(int16_t channels)
{
    switch (channels) {
    case 1: return "Mono";
    case 2: return "Stereo";
    case 3: return "Joint Stereo";
    case 4: return "Quad";
    default: return channels > 4 ? FormatWhole(channels) + "ch." : std::string();
    }
}

std::string FourCCChars(uint32_t fourCC)
{
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<char>((fourCC >> shift) & 0xFF));
    return Latin1ToUtf8(bytes);
}

std::string FourCCToText(uint32_t fourCC)
{
    if ((fourCC & 0xFF) < '0')
        return {};
    return FourCCChars(fourCC);
}

std::string CleanText(const std::string& text)
{
    const std::string trimmed = TrimBlanks(text);
    return TrimBlanks(trimmed.substr(0, trimmed.find('\0')));
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

RiffChunkHeader ReadChunkHeader(File64& file, uint64_t position)
{
    const ByteBuffer bytes = ReadRecord(file, position, kRiffChunkHeaderBytes, kRiffChunkHeaderBytes);
    return {bytes.Text(0, 4), bytes.LE32(4)};
}

std::string ReadFormType(File64& file, uint64_t position)
{
    return ReadRecord(file, position + kRiffChunkHeaderBytes, 4, 4).Text(0, 4);
}

ByteBuffer ReadRecord(File64& file, uint64_t position, uint64_t available, size_t recordSize)
{
    std::vector<uint8_t> bytes(recordSize, 0);
    const auto count = static_cast<int32_t>(std::min<uint64_t>(available, recordSize));
    file.SeekToAbsolute64(static_cast<uint32_t>(position >> 32), static_cast<uint32_t>(position));
    file.ReadBytes(count, bytes);  // bytes past those read keep their zero
    return ByteBuffer(std::move(bytes));
}

}  // namespace vistrel
