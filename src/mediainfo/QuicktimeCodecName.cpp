// The sample-entry code names of QuickTime and MP4 files.
#include "mediainfo/QuicktimeInfo.h"

#include <string_view>

namespace vistrel {

namespace {

struct CodecName {
    std::string_view code;
    std::string_view name;  // Latin-1
};

constexpr CodecName kCodecNames[] = {
    {"alac", "Apple lossless"},  {"avc1", "AVC1"},
    {"avcp", "AVCP"},            {"enca", "Encrypted"},
    {"encv", "Encrypted"},       {"g762", "G.762"},
    {"mjp2", "MJPG2000"},        {"mp4a", "MPEG4audio"},
    {"mp4s", "MPEG4system"},     {"mp4v", "MPEG4video"},
    {"raw ", "RAW"},             {"rtp ", "RTP Hints"},
    {"srtp", "SRTP Hints"},      {"s263", "H.263"},
    {"samr", "AMR-narrow"},      {"sawb", "AMR-wide"},
    {"sevc", "EVRC Voice"},      {"sqcp", "13K Voice"},
    {"ssmv", "SMV Voice"},       {"twos", "PCM"},
    {"sowt", "PCM"},             {"in24", "PCM24"},
    {"in32", "PCM32"},           {"fl32", "PCM32float"},
    {"fl64", "PCM64float"},      {"alaw", "a-law"},
    {"ulaw", "\xB5-law"},        {"DV10", "DV10 4:2:2"},
    {"DVOO", "DV8 4:2:2"},       {"DVOR", "DV raw"},
    {"DVTV", "DV 2vuy"},         {"DVVT", "DV v210"},
    {"HD10", "DV10 4:2:2 HD"},   {"SVQ1", "Sorenson Vid1"},
    {"SVQ3", "Sorenson Vid3"},   {"WRLE", "Windows RLE"},
    {"agsm", "GSM"},             {"cvid", "Cinepak"},
    {"dvh5", "DVCPRO-HD50i"},    {"dvh6", "DVCPRO-HD60i"},
    {"dvhp", "DVCPRO-HD60p"},    {"dvi ", "DVI 4:1"},
    {"flic", "FLIC"},            {"gif ", "GIF"},
    {"h261", "H.261"},           {"h263", "H.263"},
    {"ima4", "IMA 4:1"},         {"lpcm", "PCM"},
    {"mjpa", "MJPEG-A"},         {"mjpb", "MJPEG-B"},
    {"png ", "PNG"},             {"rle ", "RLE"},
    {"rpza", "road pizza"},      {"tga ", "TGA"},
    {"tiff", "TIFF"},            {"vdva", "DV audio"},
};

}  // namespace

std::string QuicktimeCodecName(const std::string& code)
{
    for (const auto& entry : kCodecNames) {
        if (entry.code == code)
            return std::string(entry.name);
    }
    return code;
}

}  // namespace vistrel
