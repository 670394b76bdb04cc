#pragma once
// Bounds-checked reads from a byte buffer for the format readers: a value that does not
// lie wholly inside the buffer reads as 0 and `Has` says whether it would.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vistrel {

class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    bool Has(size_t offset, size_t count) const { return offset <= bytes_.size() && count <= bytes_.size() - offset; }

    uint8_t U8(size_t offset) const { return Has(offset, 1) ? bytes_[offset] : 0; }
    uint16_t LE16(size_t offset) const { return static_cast<uint16_t>(LittleEndian(offset, 2)); }
    uint32_t LE32(size_t offset) const { return static_cast<uint32_t>(LittleEndian(offset, 4)); }
    uint64_t LE64(size_t offset) const { return LittleEndian(offset, 8); }
    uint16_t BE16(size_t offset) const { return static_cast<uint16_t>(BigEndian(offset, 2)); }
    uint32_t BE32(size_t offset) const { return static_cast<uint32_t>(BigEndian(offset, 4)); }
    uint64_t BE64(size_t offset) const { return BigEndian(offset, 8); }
    // `count` bytes as text (one character per byte); empty when they are not all inside.
    std::string Text(size_t offset, size_t count) const
    {
        if (!Has(offset, count))
            return {};
        return {reinterpret_cast<const char*>(bytes_.data() + offset), count};
    }
    bool Matches(size_t offset, const std::string& text) const { return Text(offset, text.size()) == text && !text.empty(); }

private:
    uint64_t LittleEndian(size_t offset, size_t count) const
    {
        if (!Has(offset, count))
            return 0;
        uint64_t v = 0;
        for (size_t i = count; i-- > 0;)
            v = (v << 8) | bytes_[offset + i];
        return v;
    }
    uint64_t BigEndian(size_t offset, size_t count) const
    {
        if (!Has(offset, count))
            return 0;
        uint64_t v = 0;
        for (size_t i = 0; i < count; ++i)
            v = (v << 8) | bytes_[offset + i];
        return v;
    }

    std::vector<uint8_t> bytes_;
};

}  // namespace vistrel
