#include "mediainfo/WaveFormatNames.h"

#include <array>
#include <cstdio>

namespace vistrel {

namespace {

struct WaveFormatName {
    uint16_t tag;
    const char* name;
};

// 141 tags in ascending order (the LH CODEC range 0x1100 to 0x1104 as five rows). The names
// are the texts users see, spellings such as "DSPGroup TrueSpeach" and "WMA lossles" included.
constexpr std::array<WaveFormatName, 141> kWaveFormatNames = {{
    {0x0000, "UNKNOWN"},
    {0x0001, "PCM"},
    {0x0002, "Microsoft ADPCM"},
    {0x0003, "IEEE Float"},
    {0x0004, "VSELP"},
    {0x0005, "IBM CVSD"},
    {0x0006, "A-law"},
    {0x0007, "µ-law"},
    {0x0008, "DTS"},
    {0x000A, "WMA voice"},
    {0x0010, "OKI ADPCM"},
    {0x0011, "IMA ADPCM"},
    {0x0012, "MEDIASPC ADPCM"},
    {0x0013, "SIERRA ADPCM"},
    {0x0014, "G723 ADPCM"},
    {0x0015, "DIGISTD"},
    {0x0016, "DIGIFIX"},
    {0x0017, "OKI ADPCM"},
    {0x0018, "MediaVision ADPCM"},
    {0x0019, "CU CODEC"},
    {0x0020, "Yamaha ADPCM"},
    {0x0021, "SONARC"},
    {0x0022, "DSPGroup TrueSpeach"},
    {0x0023, "ECHOSC1"},
    {0x0024, "Audiofile AF36"},
    {0x0025, "APTX"},
    {0x0026, "Audiofile AF10"},
    {0x0027, "PROSODY 1612"},
    {0x0028, "LRC"},
    {0x0030, "DOLBY AC2"},
    {0x0031, "GSM610"},
    {0x0032, "MSN-Audio"},
    {0x0033, "ANTEX ADPCME"},
    {0x0034, "CTRL RES VQLPC"},
    {0x0035, "DIGIREAL"},
    {0x0036, "DIGIADPCM"},
    {0x0037, "CONTROL RES CR10"},
    {0x0038, "NMS VBXADPCM"},
    {0x0039, "CS IMAADPCM"},
    {0x003A, "ECHOSC3"},
    {0x003B, "RockWl ADPCM"},
    {0x003C, "RockWl DigiTalk"},
    {0x003D, "XEBEC"},
    {0x0040, "G721 ADPCM"},
    {0x0041, "G728 CELP"},
    {0x0042, "MSG723"},
    {0x0050, "MPEG"},
    {0x0052, "RT24"},
    {0x0053, "PAC"},
    {0x0055, "MPEG-1 Layer-3"},
    {0x0059, "Lucent G723"},
    {0x0060, "CIRRUS"},
    {0x0061, "ESPCM"},
    {0x0062, "VoxWare"},
    {0x0063, "Canopus ATRAC"},
    {0x0064, "G726 ADPCM"},
    {0x0065, "G722 ADPCM"},
    {0x0067, "DSAT DISPLAY"},
    {0x0069, "VoxWare BT ALGND"},
    {0x0070, "VoxWare AC8"},
    {0x0071, "VoxWare AC10"},
    {0x0072, "VoxWare AC16"},
    {0x0073, "VoxWare AC20"},
    {0x0074, "VoxWare RT24"},
    {0x0075, "VoxWare RT29"},
    {0x0076, "VoxWare RT29HW"},
    {0x0077, "VoxWare VR12"},
    {0x0078, "VoxWare VR18"},
    {0x0079, "VoxWare TQ40"},
    {0x0080, "SOFTSOUND"},
    {0x0081, "VoxWare TQ60"},
    {0x0082, "MSRT24"},
    {0x0083, "G729A"},
    {0x0084, "MVI MVI2"},
    {0x0085, "DF G726"},
    {0x0086, "DF GSM610"},
    {0x0088, "ISIAUDIO"},
    {0x0089, "ONLIVE"},
    {0x0091, "SBC24"},
    {0x0092, "DOLBY AC3 SPDIF"},
    {0x0093, "MediaSonic G723"},
    {0x0094, "PROSODY 8KBPS"},
    {0x0097, "Zyxel ADPCM"},
    {0x0098, "Philips LPCBB"},
    {0x0099, "PACKED"},
    {0x00A0, "Malden PhonyTalk"},
    {0x0100, "RHETOREX ADPCM"},
    {0x0101, "IRAT"},
    {0x0111, "VIVO G723"},
    {0x0112, "VIVO SIREN"},
    {0x0123, "DIGITAL G723"},
    {0x0125, "SANYO LD ADPCM"},
    {0x0130, "SIPRO ACEPLNET"},
    {0x0131, "SIPRO ACELP4800"},
    {0x0132, "SIPRO ACELP8V3"},
    {0x0133, "SIPRO G729"},
    {0x0134, "SIPRO G729A"},
    {0x0135, "SIPRO KELVIN"},
    {0x0140, "G726ADPCM"},
    {0x0150, "Qualcom PureVoice"},
    {0x0151, "Qualcom Halfrate"},
    {0x0155, "TUBGSM"},
    {0x0160, "WMA1"},
    {0x0161, "WMA2"},
    {0x0162, "WMA3"},
    {0x0163, "WMA lossles"},
    {0x0200, "Creative ADPCM"},
    {0x0202, "Creative FastSp8"},
    {0x0203, "Creative FastSp10"},
    {0x0210, "UHER ADPCM"},
    {0x0220, "Quarterdeck"},
    {0x0230, "ILINK VC"},
    {0x0240, "RAW SPORT"},
    {0x0250, "IPI HSX"},
    {0x0251, "IPI RPELP"},
    {0x0260, "CS2"},
    {0x0270, "Sony Atrac3"},
    {0x0300, "FM TOWNS SND"},
    {0x0400, "BTV DIGITAL"},
    {0x0401, "Intel Music Coder"},
    {0x0450, "QDESIGN MUSIC"},
    {0x0680, "VME VMPCM"},
    {0x0681, "TPC"},
    {0x1000, "OLIGSM"},
    {0x1001, "OLIADPCM"},
    {0x1002, "OLICELP"},
    {0x1003, "OLISBC"},
    {0x1004, "OLIOPR"},
    {0x1100, "LH CODEC"},
    {0x1101, "LH CODEC"},
    {0x1102, "LH CODEC"},
    {0x1103, "LH CODEC"},
    {0x1104, "LH CODEC"},
    {0x1400, "NORRIS"},
    {0x1500, "SS MUSICOMPRESS"},
    {0x181C, "VoxWare RT24"},
    {0x1FC4, "ALF2"},
    {0x2000, "AC3 DVM"},
    {0x2001, "Dolby DTS"},
    {0xFFFE, "Extensible WAV"},
    {0xFFFF, "In Development"},
}};

std::string HexWithoutLeadingZeros(uint16_t value)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%X", static_cast<unsigned>(value));
    return buffer;
}

}  // namespace

std::string GetWaveFormatName(uint16_t formatTag)
{
    for (const WaveFormatName& row : kWaveFormatNames) {
        if (row.tag == formatTag)
            return row.name;
    }
    return "0x" + HexWithoutLeadingZeros(formatTag);
}

}  // namespace vistrel
