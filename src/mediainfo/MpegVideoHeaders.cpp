// The video sequence header, its MPEG-2 extensions and the aspect ratio tables.
#include "mediainfo/MediaType.h"
#include "mediainfo/MpegStreamInfo.h"

namespace vistrel {

namespace {

// A name by code from a table that starts at code `first`; empty for codes outside it.
template <size_t N>
std::string NameByCode(const char* const (&names)[N], int code, int first = 1)
{
    const int index = code - first;
    return index >= 0 && index < static_cast<int>(N) ? names[index] : "";
}

template <size_t N>
float ValueByCode(const float (&values)[N], int code, int first = 1)
{
    const int index = code - first;
    return index >= 0 && index < static_cast<int>(N) ? values[index] : 0.0f;
}

void ApplySequenceExtension(uint8_t byte4, uint8_t byte5, MpegInfo& info)
{
    constexpr const char* kProfiles[] = {"HP", "SSP", "SNRSP", "MP", "SP"};
    constexpr const char* kLevels[] = {"2?", "HL", "HL1440", "ML", "LL"};
    const int levelTimesTwo = byte5 >> 4;  // the level is this / 2 as a real number
    const std::string level = levelTimesTwo % 2 == 0 ? NameByCode(kLevels, levelTimesTwo / 2) : "";
    info.ProfileAndLevel = NameByCode(kProfiles, byte4 & 15) + "@" + level;

    constexpr const char* kChroma[] = {"4:2:0", "4:2:2", "4:4:4"};
    info.Chroma = NameByCode(kChroma, (byte5 & 6) >> 1);
    info.Scan = (byte5 & 0x08) ? "progr" : "interl";
}

void ApplySequenceDisplayExtension(uint8_t byte4, MpegInfo& info)
{
    constexpr const char* kFormats[] = {"comp", "PAL", "NTSC", "SECAM", "MAC", "???"};
    info.VideoFormat = NameByCode(kFormats, (byte4 & 14) >> 1, 0);
}

// Returns the field order ("-A" or "-B") for the scan text.
std::string ApplyPictureCodingExtension(uint8_t byte6, uint8_t byte7, MpegInfo& info)
{
    info.DcPrecision = "DC=" + FormatWhole(((byte6 & 12) >> 2) + 8) + "bit";
    return (byte7 & 0x80) ? "-A" : "-B";
}

void ApplyMpeg1Aspect(int code, MpegInfo& info)
{
    constexpr float kPixelAspects[] = {1.0f,    0.6735f, 0.7031f, 0.7615f, 0.8055f, 0.8437f, 0.8935f,
                                       0.9157f, 0.9815f, 1.0255f, 1.0695f, 1.0950f, 1.1575f, 1.2015f};
    constexpr const char* kTexts[] = {"1:1",    "0.6735", "16:9 PAL", "0.7615",    "0.8055",
                                      "16:9 NTSC", "0.8935", "4:3 PAL", "0.9815",  "1.0255",
                                      "1.0695", "4:3 NTSC", "1.1575",  "1.2015",   "Reserved"};
    info.PixelAspect = ValueByCode(kPixelAspects, code);
    info.AspectText = NameByCode(kTexts, code);
    if (info.AspectText.find('.') != std::string::npos)
        info.AspectText = "PAR=" + info.AspectText;
    info.DisplayAspect = (code == 3 || code == 6) ? 1.7778f : (code == 8 || code == 12) ? 1.3333f : 0.0f;
}

void ApplyMpeg2Aspect(int code, MpegInfo& info)
{
    constexpr const char* kTexts[] = {"1:1", "4:3", "16:9", "2.21:1"};
    constexpr float kDisplayAspects[] = {0.0f, 1.3333f, 1.7778f, 2.21f};
    info.PixelAspect = 0;
    info.AspectText = NameByCode(kTexts, code);
    info.DisplayAspect = ValueByCode(kDisplayAspects, code);
}

}  // namespace

SequenceHeader ReadSequenceHeader(const ByteBuffer& buffer, size_t pos)
{
    const auto b = [&](size_t i) { return static_cast<int32_t>(buffer.U8(pos + i)); };
    SequenceHeader h;
    h.Width = b(4) * 16 + (b(5) >> 4);
    h.Height = (b(5) & 15) * 256 + b(6);
    h.AspectCode = b(7) >> 4;
    h.FrameRateCode = b(7) & 15;
    h.BitRateValue = static_cast<uint32_t>(b(8) * 1024 + b(9) * 4 + (b(10) >> 6));
    h.VbvSize = (b(10) & 31) * 32 + (b(11) >> 3);
    return h;
}

void ApplySequenceHeader(const SequenceHeader& header, MpegInfo& info)
{
    constexpr float kFrameRates[] = {23.976f, 24, 25, 29.97f, 30, 50, 59.94f, 60};
    info.Width = header.Width;
    info.Height = header.Height;
    info.FrameRate = ValueByCode(kFrameRates, header.FrameRateCode);
    info.VbvText = "VBV=" + FormatWhole(int64_t{header.VbvSize} * 2) + "KB";
}

void ApplyExtensions(const ByteBuffer& buffer, MpegInfo& info)
{
    const auto& code = MpegSync().Extension;
    bool sequence = false, display = false, picture = false;
    std::string fieldOrder;
    for (size_t x = FindBytes(buffer.Bytes(), code, 0); x != kNotFound && !(sequence && display && picture);
         x = FindBytes(buffer.Bytes(), code, x + 1)) {
        const int identifier = buffer.U8(x + 4) >> 4;
        if (identifier == 1 && !sequence) {
            sequence = true;
            ApplySequenceExtension(buffer.U8(x + 4), buffer.U8(x + 5), info);
        } else if (identifier == 2 && !display) {
            display = true;
            ApplySequenceDisplayExtension(buffer.U8(x + 4), info);
        } else if (identifier == 8 && !picture) {
            picture = true;
            fieldOrder = ApplyPictureCodingExtension(buffer.U8(x + 6), buffer.U8(x + 7), info);
        }
    }
    if (info.Scan == "interl")
        info.Scan += fieldOrder;
    if (sequence || display || picture)
        info.VideoVersion = 2;
}

void ApplyAspectRatio(int aspectCode, MpegInfo& info)
{
    if (info.VideoVersion == 1)
        ApplyMpeg1Aspect(aspectCode, info);
    else if (info.VideoVersion == 2)
        ApplyMpeg2Aspect(aspectCode, info);
}

}  // namespace vistrel
