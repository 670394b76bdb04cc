// The MPEG playing-time estimates (presentation time stamps, group-of-pictures time
// codes) and the bit-rate rules that use them.
#include "mediainfo/MediaType.h"
#include "mediainfo/MpegStreamInfo.h"
#include "support/File64.h"

#include <algorithm>
#include <cmath>

namespace vistrel {

namespace {

constexpr size_t kPtsBlockBytes = 1024000;
constexpr size_t kGopBlockBytes = 262144;
constexpr size_t kPackToVideoPacket = 14;
constexpr size_t kGopHeaderLookBack = 256;
constexpr double kMinLastPtsMs = 1000;
constexpr double kVobTsStep = 100;

// A video packet that starts exactly 14 bytes after a pack header, whose PTS/DTS flags are
// 01 or 11 (bit 6 of byte 7) and whose time stamp lies inside the block.
bool IsTimedVideoPacket(const ByteBuffer& block, size_t e)
{
    return e >= kPackToVideoPacket && StartsAt(block.Bytes(), e - kPackToVideoPacket, MpegSync().PackHeader) &&
           (block.U8(e + 7) & 0x40) != 0 && block.Has(e + 9, 5);
}

// The 33-bit time stamp of bytes 9 to 13 (ISO/IEC 13818-1) in milliseconds.
double PtsMsAt(const ByteBuffer& block, size_t e)
{
    const uint64_t pts = (uint64_t{block.U8(e + 9)} >> 1 & 7) << 30 | uint64_t{block.U8(e + 10)} << 22 |
                         (uint64_t{block.U8(e + 11)} >> 1) << 15 | uint64_t{block.U8(e + 12)} << 7 |
                         (uint64_t{block.U8(e + 13)} >> 1);
    return static_cast<double>(pts) / 90.0;
}

// The time stamps of the timed video packets, the first or the last one.
std::optional<double> PtsMs(const ByteBuffer& block, bool last)
{
    const auto& code = MpegSync().VideoStreams[0];
    std::optional<double> found;
    for (size_t e = FindBytes(block.Bytes(), code, 0); e != kNotFound; e = FindBytes(block.Bytes(), code, e + 1)) {
        if (!IsTimedVideoPacket(block, e))
            continue;
        found = PtsMsAt(block, e);
        if (!last)
            break;
    }
    return found;
}

int32_t DecodeGopTimeCode(const ByteBuffer& block, size_t g, float frameRate)
{
    const auto b = [&](size_t i) { return static_cast<int32_t>(block.U8(g + i)); };
    const int32_t hours = (b(4) >> 2) & 31;
    const int32_t minutes = (b(4) & 3) * 16 + (b(5) >> 4);
    int32_t seconds = (b(5) & 7) * 8 + (b(6) >> 5);
    const int32_t pictures = (b(6) & 31) * 2 + (b(7) >> 7);
    if (pictures >= frameRate / 2)
        ++seconds;
    return hours * 3600 + minutes * 60 + seconds;
}

bool HoldsSequenceOrPack(ByteSpan block, size_t from)
{
    const auto& codes = MpegSync();
    return FindBytes(block, codes.SequenceHeader, from) != kNotFound || FindBytes(block, codes.PackHeader, from) != kNotFound;
}

int64_t BlockStart(int64_t fileSize, int64_t index, size_t blockBytes)
{
    return std::max<int64_t>(fileSize - index * static_cast<int64_t>(blockBytes), 0);
}

int32_t ReadPtsDuration(const std::string& fileName)
{
    File64 file;
    if (!file.OpenFile(fileName, true))
        return 0;
    const int64_t size = GetFileSize64(fileName);
    const std::optional<double> first = FirstPtsMs(ByteBuffer(ReadFileBlock(file, size, 0, kPtsBlockBytes)));
    if (!first || *first <= 0)
        return 0;
    double last = 0;
    for (int64_t i = 1;; ++i) {
        const int64_t start = BlockStart(size, i, kPtsBlockBytes);
        last = LastPtsMs(ByteBuffer(ReadFileBlock(file, size, start, kPtsBlockBytes))).value_or(0);
        if (last >= kMinLastPtsMs || start == 0)
            break;
    }
    return last > *first ? static_cast<int32_t>((last - *first) / 1000) : 0;
}

int32_t ReadGopDuration(const std::string& fileName, float frameRate)
{
    File64 file;
    if (!file.OpenFile(fileName, true))
        return 0;
    const int64_t size = GetFileSize64(fileName);
    std::vector<uint8_t> block;
    for (int64_t i = 1;; ++i) {
        const int64_t start = BlockStart(size, i, kGopBlockBytes);
        block = ReadFileBlock(file, size, start, kGopBlockBytes);
        if (HoldsSequenceOrPack(block, 0) || start == 0)
            break;
    }
    return GopDurationInBlock(ByteBuffer(std::move(block)), frameRate);
}

// size / 1000 x 0.03 / 800000 + 0.95, limited to low..high.
double SizeFactor(int64_t fileSize, double low, double high)
{
    return std::clamp(static_cast<double>(fileSize) / 1000 * 0.03 / 800000 + 0.95, low, high);
}

double AverageKbps(int64_t fileSize, double factor, const MpegInfo& info)
{
    return std::floor(static_cast<double>(fileSize) * factor / info.Duration * 8 / 1000 - info.AudioKbpsSum);
}

// Rounded to the nearest multiple of the step (halves up), kept within the 32-bit range
// whatever the file says.
int32_t RoundToStep(double kbps)
{
    const double rounded = std::floor((kbps + kVobTsStep / 2) / kVobTsStep) * kVobTsStep;
    return static_cast<int32_t>(std::clamp(rounded, -2147483600.0, 2147483600.0));
}

void ApplyVariableBitRate(int64_t fileSize, bool vobOrTs, MpegInfo& info)
{
    info.NominalKbps = -1;
    info.BitRateText = "VBR";
    if (!vobOrTs || info.Duration <= 0)
        return;
    info.AverageKbps = RoundToStep(AverageKbps(fileSize, SizeFactor(fileSize, 0.925, 0.98), info));
    info.BitRateText = "~" + FormatWhole(info.AverageKbps) + "kbps VBR";
}

// A VOB or TS file with a nominal rate: smaller than a constant rate would make it means
// a variable rate below the nominal one.
void ApplyVobTsNominalBitRate(int64_t fileSize, MpegInfo& info)
{
    const std::string nominal = FormatWhole(info.NominalKbps);
    const double factor = SizeFactor(fileSize, 0.95, 0.98);
    const double constantRateBytes = (info.NominalKbps + info.AudioKbpsSum) / 8.0 * info.Duration * 1000;
    if (info.Duration <= 0 || !(static_cast<double>(fileSize) * (2 - factor) < constantRateBytes)) {
        info.BitRateText = nominal + "kbps CBR";
        return;
    }
    const double average = AverageKbps(fileSize, factor, info);
    if (average >= 50) {
        info.AverageKbps = RoundToStep(average);
        info.BitRateText = "~" + FormatWhole(info.AverageKbps) + "kbps VBR  " + nominal + "kbps nom";
    } else {
        info.AverageKbps = 0;
        info.BitRateText = nominal + "kbps nom";
    }
}

template <typename Read>
int32_t NoThrow(Read read)
{
    try {
        return read();
    } catch (...) {  // a reader never throws
        return 0;
    }
}

}  // namespace

std::optional<double> FirstPtsMs(const ByteBuffer& block)
{
    return PtsMs(block, false);
}

std::optional<double> LastPtsMs(const ByteBuffer& block)
{
    return PtsMs(block, true);
}

int32_t GopDurationInBlock(const ByteBuffer& block, float frameRate)
{
    const size_t g = FindLastBytes(block.Bytes(), MpegSync().GroupOfPictures);
    if (g == kNotFound || !HoldsSequenceOrPack(block.Bytes(), g >= kGopHeaderLookBack ? g - kGopHeaderLookBack : 0))
        return 0;
    return DecodeGopTimeCode(block, g, frameRate);
}

int32_t GetPtsDuration(const std::string& fileName)
{
    return NoThrow([&] { return ReadPtsDuration(fileName); });
}

int32_t GetGopDuration(const std::string& fileName, float frameRate)
{
    return NoThrow([&] { return ReadGopDuration(fileName, frameRate); });
}

void ApplyBitRate(uint32_t bitRateValue, int64_t fileSize, bool vobOrTs, MpegInfo& info)
{
    if (bitRateValue == kVariableBitRateValue) {
        ApplyVariableBitRate(fileSize, vobOrTs, info);
        return;
    }
    info.NominalKbps = static_cast<int32_t>(uint64_t{bitRateValue} * 400 / 1000);
    if (vobOrTs)
        ApplyVobTsNominalBitRate(fileSize, info);
    else
        info.BitRateText = FormatWhole(info.NominalKbps) + "kbps nominal";
}

}  // namespace vistrel
