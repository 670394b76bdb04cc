#include "mediainfo/MediaMimeTypes.h"

namespace vistrel {

std::vector<std::string> MimeTypesOfMediaType(MediaType code)
{
    switch (code) {
    case mt::Wave: return {"audio/x-wav", "audio/wav", "audio/vnd.wave"};
    // An MPEG audio stream or an MPEG-1/2 program stream (also on video CDs and DVDs).
    case mt::Mpeg: return {"audio/mpeg", "audio/mp2", "video/mpeg"};
    case mt::Avi: return {"video/x-msvideo", "video/avi", "video/vnd.avi", "video/divx"};
    case mt::Ogg:
        return {"audio/ogg", "video/ogg", "application/ogg", "audio/x-vorbis+ogg", "audio/x-opus+ogg",
                "audio/x-flac+ogg", "audio/x-speex+ogg", "video/x-theora+ogg", "video/x-ogm+ogg"};
    case mt::Midi: return {"audio/midi", "audio/x-midi"};
    case mt::Wma: return {"audio/x-ms-wma"};
    case mt::Wmv: return {"video/x-ms-wmv"};
    case mt::Asf: return {"application/vnd.ms-asf", "video/x-ms-asf"};
    case mt::SunAu: return {"audio/basic"};
    case mt::Aiff: return {"audio/x-aiff", "audio/aiff", "audio/x-aifc"};
    // The ISO base media family: QuickTime, MP4, M4A/M4V and 3GPP.
    case mt::Mov:
        return {"video/quicktime", "video/mp4", "audio/mp4", "audio/x-m4a", "video/x-m4v", "video/3gpp",
                "video/3gpp2", "audio/3gpp", "audio/3gpp2"};
    case mt::Ac3: return {"audio/ac3"};
    case mt::Dts: return {"audio/vnd.dts", "audio/x-dts"};
    case mt::Real:
        return {"application/vnd.rn-realmedia", "audio/vnd.rn-realaudio", "audio/x-pn-realaudio",
                "video/vnd.rn-realvideo"};
    case mt::Matroska: return {"video/x-matroska", "audio/x-matroska"};
    case mt::Ebml: return {"video/webm", "audio/webm"};
    case mt::Flv: return {"video/x-flv"};
    case mt::Flac: return {"audio/flac", "audio/x-flac"};
    case mt::MpegTs: return {"video/mp2t"};
    case mt::WebP: return {"image/webp"};
    default: return {};
    }
}

}  // namespace vistrel
