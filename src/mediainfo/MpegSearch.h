#pragma once
// Byte-pattern search shared by the MPEG audio and stream readers. Positions are 0-based
// offsets into the buffer; kNotFound marks a pattern that does not occur.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace vistrel {

constexpr size_t kNotFound = static_cast<size_t>(-1);

using ByteSpan = std::span<const uint8_t>;

// The first occurrence of `pattern` that starts at or after `from` and before `startBefore`
// and lies wholly inside the buffer; kNotFound when there is none or the pattern is empty.
inline size_t FindBytes(ByteSpan buffer, ByteSpan pattern, size_t from, size_t startBefore = kNotFound)
{
    const size_t end = startBefore >= buffer.size() ? buffer.size()
                                                    : std::min(buffer.size(), startBefore + pattern.size() - 1);
    if (pattern.empty() || from >= end || end - from < pattern.size())
        return kNotFound;
    const void* hit = ::memmem(buffer.data() + from, end - from, pattern.data(), pattern.size());
    return hit ? static_cast<size_t>(static_cast<const uint8_t*>(hit) - buffer.data()) : kNotFound;
}

inline bool StartsAt(ByteSpan buffer, size_t pos, ByteSpan pattern)
{
    return pos <= buffer.size() && buffer.size() - pos >= pattern.size() &&
           std::equal(pattern.begin(), pattern.end(), buffer.begin() + static_cast<std::ptrdiff_t>(pos));
}

// The last occurrence of `pattern` inside the buffer; kNotFound when there is none.
inline size_t FindLastBytes(ByteSpan buffer, ByteSpan pattern)
{
    const auto hit = std::search(buffer.rbegin(), buffer.rend(), pattern.rbegin(), pattern.rend());
    if (pattern.empty() || hit == buffer.rend())
        return kNotFound;
    return static_cast<size_t>(buffer.rend() - hit) - pattern.size();
}

inline ByteSpan AsBytes(std::string_view text)
{
    return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

}  // namespace vistrel
