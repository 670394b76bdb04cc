#include "mediainfo/MediaFileTest.h"

#include "mediainfo/Ac3Info.h"
#include "mediainfo/AiffInfo.h"
#include "mediainfo/AsfInfo.h"
#include "mediainfo/AuInfo.h"
#include "mediainfo/AviInfo.h"
#include "mediainfo/FlacInfo.h"
#include "mediainfo/FlvInfo.h"
#include "mediainfo/MidiInfo.h"
#include "mediainfo/MpegStreamInfo.h"
#include "mediainfo/OggInfo.h"
#include "mediainfo/QuicktimeInfo.h"
#include "mediainfo/RealMediaInfo.h"
#include "mediainfo/WaveInfo.h"
#include "mediainfo/WebpInfo.h"
#include "support/File64.h"
#include "support/FilePaths.h"
#include "support/Win32Error.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vistrel {

namespace {

struct ExtensionRow {
    std::vector<const char*> Extensions;
    MediaType Expected;
};

const std::vector<ExtensionRow>& ExtensionTable()
{
    static const std::vector<ExtensionRow> table{
        {{"RA", "RPM", "RM", "RAM", "RMVB", "RPX", "SMI", "SMIL", "RT", "RP"}, mt::Real},
        {{"MKV", "MKA", "MKS"}, mt::Matroska},
        {{"WEBP"}, mt::WebP},
        {{"WEBM", "WEB"}, mt::Ebml},
        {{"AVI", "IVF"}, mt::Avi},
        {{"WAV"}, mt::Wave},
        {{"OGG", "OGM"}, mt::Ogg},
        {{"MOV", "MP4", "MPEG4", "3GP", "3G2", "F4V", "F4P", "F4A", "F4B"}, mt::Mov},
        {{"MPE", "MPA", "MPG", "MPM", "MPV", "M15", "M75", "M1V", "M2V", "M1A", "M2A", "MP1", "MP2",
          "MP3", "VOB", "DAT", "TS"},
         mt::Mpeg},
        {{"WMV"}, mt::Wmv},
        {{"WMA"}, mt::Wma},
        {{"ASF"}, mt::Asf},
        {{"MID", "RMI"}, mt::Midi},
        {{"AU", "SND"}, mt::SunAu},
        {{"AIF"}, mt::Aiff},
        {{"AC3"}, mt::Ac3},
        {{"DTS"}, mt::Dts},
        {{"MTS"}, mt::MpegTs},
        {{"FLV"}, mt::Flv},
        {{"FLAC"}, mt::Flac},
    };
    return table;
}

bool IsRefused(MediaType code)
{
    return code >= mt::ZeroSize && code <= mt::AllZero;
}

// The name without its folder, as the refusal box shows it.
std::string BareFileName(const std::string& fullName)
{
    const auto slash = fullName.rfind('/');
    return slash == std::string::npos ? fullName : fullName.substr(slash + 1);
}

template <typename Info, typename Get, typename Put>
void RunReader(const std::string& workingName, Get get, Put put, MediaFileTestResult& r)
{
    Info info;
    const bool ok = get(workingName, info);
    put(info, ok, r.Lines, r.Flags);
}

// The format branch: the reader of the detected type gets the working name.
void RunFormatBranch(const std::string& workingName, MediaFileTestResult& r)
{
    switch (r.Detected) {
    case mt::Wave: RunReader<WaveInfo>(workingName, GetWaveInfo, PutWaveInfoLines, r); break;
    case mt::Mpeg: RunReader<MpegInfo>(workingName, GetMpegInfo, PutMpegInfoLines, r); break;
    case mt::Avi: RunReader<AviInfo>(workingName, GetAviInfo, PutAviInfoLines, r); break;
    case mt::Ogg: RunReader<OggInfo>(workingName, GetOggInfo, PutOggInfoLines, r); break;
    case mt::Midi: RunReader<MidiInfo>(workingName, GetMidiInfo, PutMidiInfoLines, r); break;
    case mt::Wma:
    case mt::Wmv:
    case mt::Asf: {
        const MediaType detected = r.Detected;
        RunReader<AsfInfo>(workingName, GetAsfInfo,
                           [detected](const AsfInfo& info, bool ok, InfoLines& lines, StreamFlags& flags) {
                               PutAsfInfoLines(info, ok, detected, lines, flags);
                           },
                           r);
        break;
    }
    case mt::SunAu: RunReader<AuInfo>(workingName, GetAuInfo, PutAuInfoLines, r); break;
    case mt::Aiff: RunReader<AiffInfo>(workingName, GetAiffInfo, PutAiffInfoLines, r); break;
    case mt::Mov: RunReader<QuicktimeInfo>(workingName, GetQuicktimeInfo, PutQuicktimeInfoLines, r); break;
    case mt::Ac3: RunReader<Ac3Info>(workingName, GetAc3Info, PutAc3InfoLines, r); break;
    case mt::Dts: r.Lines[0] = "DTS Audio Stream"; break;
    case mt::Real: RunReader<RealMediaInfo>(workingName, GetRealMediaInfo, PutRealMediaInfoLines, r); break;
    case mt::Matroska: r.Lines[0] = "matroska"; break;
    case mt::Ebml: r.Lines[0] = "webm"; break;
    case mt::Flv: RunReader<FlvInfo>(workingName, GetFlvInfo, PutFlvInfoLines, r); break;
    case mt::Flac: RunReader<FlacInfo>(workingName, GetFlacInfo, PutFlacInfoLines, r); break;
    case mt::WebP: RunReader<WebpInfo>(workingName, GetWebpInfo, PutWebpInfoLines, r); break;
    default: break;  // 0, 6, 20: no reader
    }
}

}  // namespace

MediaType ExpectedTypeForExtension(const std::string& extensionUpper)
{
    for (const auto& row : ExtensionTable()) {
        for (const char* ext : row.Extensions) {
            if (extensionUpper == ext)
                return row.Expected;
        }
    }
    return mt::NoMM;
}

std::string RefusalMessage(MediaType code)
{
    switch (code) {
    case mt::ZeroSize: return "Size is 0 Bytes";
    case mt::TooSmall:
    case mt::AllFF: return "isn't a valid media file";
    case mt::Html: return "appears to be a HTML file";
    case mt::Pdf: return "appears to be a PDF file";
    case mt::Rar: return "appears to be a RAR file";
    case mt::Zip: return "appears to be a ZIP file";
    case mt::SevenZip: return "appears to be a 7-Zip file";
    case mt::Exe: return "appears to be an EXE file";
    case mt::AllZero: return "is all zero";
    default: return {};
    }
}

MediaFileTestResult TestMediaFile(const std::string& fullName, const std::string& extensionUpper)
{
    MediaFileTestResult r;
    r.Detected = GetMediaType(fullName);
    if (r.Detected == mt::Unreadable)
        return r;
    if (IsRefused(r.Detected)) {
        r.Refusal = BareFileName(fullName) + "\r\n" + RefusalMessage(r.Detected);
        return r;
    }
    if (r.Detected == mt::NoMM)
        r.Lines[1] = "unknown";
    r.Play = true;
    const bool extensionFits = extensionUpper == "TMP" || extensionUpper == "SND"
        || ExpectedTypeForExtension(extensionUpper) == r.Detected;
    r.Label0Mismatch = !extensionFits;
    RunFormatBranch(GetAnsiSafeFileName(fullName), r);
    return r;
}

int32_t TestReadFromFile(const std::string& fullName)
{
    const int fd = OpenUserFile(fullName, O_RDONLY);
    if (fd < 0)
        return Win32ErrorFromErrno(errno, fullName);
    std::vector<char> buffer(4096);
    ssize_t n;
    do {
        n = ::read(fd, buffer.data(), buffer.size());
    } while (n < 0 && errno == EINTR);
    const int readError = n < 0 ? errno : 0;
    ::close(fd);
    return Win32ErrorFromErrno(readError, fullName);
}

std::string GetAnsiSafeFileName(const std::string& fullName)
{
    return FileExists(fullName) ? fullName : std::string{};
}

}  // namespace vistrel
