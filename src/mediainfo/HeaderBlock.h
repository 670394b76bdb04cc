#pragma once
// What the small format readers share: one block read from the start of the file, clipped
// byte access, `ReadBigEndianN` and the Mono/Stereo names. Offsets are 0-based.
#include "mediainfo/MpegSearch.h"
#include "support/File64.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// Bytes that pad the block of a file shorter than the block.
constexpr uint8_t kPadBlank = 0x20;
constexpr uint8_t kPadZero = 0x00;

// The first `count` bytes of the file, read through File64. With `pad`, a shorter file's
// block is filled up to `count` bytes with it; without, the block holds only the bytes read.
// Nothing when the file cannot be opened.
inline std::optional<std::vector<uint8_t>> ReadHeaderBlock(const std::string& fileName, int32_t count,
                                                           std::optional<uint8_t> pad)
{
    File64 file;
    if (!file.OpenFile(fileName, true))
        return std::nullopt;
    std::vector<uint8_t> block(static_cast<size_t>(count));
    const auto read = static_cast<size_t>(std::clamp(file.ReadBytes(count, block), 0, count));
    file.CloseFile();
    block.resize(read);
    if (pad)
        block.resize(static_cast<size_t>(count), *pad);
    return block;
}

// Up to `count` bytes from `offset`: fewer near the block's end, none past it.
inline ByteSpan BytesAt(ByteSpan block, size_t offset, size_t count)
{
    if (offset >= block.size())
        return {};
    return block.subspan(offset, std::min(count, block.size() - offset));
}

// The byte at `offset`, 0 past the block.
inline uint8_t ByteAt(ByteSpan block, size_t offset)
{
    return offset < block.size() ? block[offset] : 0;
}

// The number held by 1 to 4 bytes, most significant first; 0 for no bytes, more than 4
// bytes, or a value that does not fit a signed 32-bit number.
inline int32_t ReadBigEndianN(ByteSpan bytes)
{
    if (bytes.empty() || bytes.size() > 4)
        return 0;
    uint32_t value = 0;
    for (const uint8_t b : bytes)
        value = (value << 8) | b;
    return value > 0x7FFFFFFFu ? 0 : static_cast<int32_t>(value);
}

// The number held by up to 4 bytes from `offset`, least significant first; bytes past the
// block count as 0.
inline uint32_t LittleEndianAt(ByteSpan block, size_t offset, size_t count)
{
    uint32_t value = 0;
    for (size_t i = std::min<size_t>(count, 4); i-- > 0;)
        value = (value << 8) | ByteAt(block, offset + i);
    return value;
}

// `count` bytes from `offset` as text, one character per byte (clipped as BytesAt).
inline std::string TextAt(ByteSpan block, size_t offset, size_t count)
{
    const ByteSpan bytes = BytesAt(block, offset, count);
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The offset of the first occurrence of `text` in the block; kNotFound when there is none.
inline size_t FindText(ByteSpan block, std::string_view text)
{
    return FindBytes(block, AsBytes(text), 0);
}

inline bool StartsWith(ByteSpan block, std::string_view text)
{
    return TextAt(block, 0, text.size()) == text;
}

// The channel names of the Sun AU and Ogg readers: 1 "Mono", 2 "Stereo", others empty.
inline std::string MonoOrStereo(int64_t channels)
{
    return channels == 1 ? "Mono" : channels == 2 ? "Stereo" : "";
}

}  // namespace vistrel
