// The ASF (WMA, WMV), Flash Video and RealMedia readers: headers built byte by byte for the
// hostile, cut and boundary cases, then a few files written by other tools.
#include "mediainfo/AsfInfo.h"
#include "mediainfo/FlvInfo.h"
#include "mediainfo/MediaType.h"
#include "mediainfo/RealMediaInfo.h"
#include "support/TestSupport.h"

#include <optional>

using namespace vistrel;
using test::ByteWriter, test::Cat, test::Lines;
using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(vistrel::InfoLines)

namespace {

Bytes AsfObject(const char* id, const Bytes& body) { return ByteWriter().Raw(HexToBytes(id)).LE64(24 + body.size()).Raw(body); }
// A stream properties object; its type-specific data starts at offset 78.
Bytes Stream(const char* typeGuid, const Bytes& data)
{
    const Bytes body = ByteWriter().Raw(HexToBytes(typeGuid)).Fill(24).LE32(data.size()).LE32(0).LE16(1).LE32(0).Raw(data);
    return AsfObject("9107DCB7B7A9CF118EE600C00C205365", body);
}
Bytes Audio(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t avgBytesPerSec)
{
    const Bytes wave = ByteWriter().LE16(tag).LE16(channels).LE32(rate).LE32(avgBytesPerSec).LE16(0).LE16(16).LE16(0);
    return Stream("409E69F84D5BCF11A8FD00805F5C442B", wave);
}
Bytes Video(uint32_t width, uint32_t height, const char* fourCC)  // the bitmap header at 89
{
    return Stream("C0EF19BC4D5BCF11A8FD00805F5C442B", ByteWriter().LE32(width).LE32(height).U8(2).LE16(40).LE32(40)
                      .LE32(width).LE32(height).LE16(1).LE16(24).Text(fourCC).Fill(20));
}
Bytes Asf(std::initializer_list<Bytes> objects)
{
    return AsfObject("3026B2758E66CF11A6D900AA0062CE6C", ByteWriter().LE32(objects.size()).U8(1).U8(2).Raw(Cat(objects)));
}

using Tag = std::pair<uint8_t, Bytes>;  // type, body
Tag AudioTag(uint8_t first) { return {8, {first, 0xFF, 0xFB, 0x90, 0x44}}; }
Tag VideoTag(uint8_t first) { return {9, {first, 0, 0, 0x84, 0}}; }
const Tag kScriptTag{18, test::Bytes(std::string("\x02\x00\x0A" "onMetaData", 13))};
Bytes Flv(const std::vector<Tag>& tags, uint32_t dataOffset = 9)
{
    ByteWriter file;
    file.Text("FLV").U8(1).U8(5).BE32(dataOffset).Fill(dataOffset - 9);
    size_t previous = 0;
    for (const Tag& tag : tags) {
        file.BE32(previous).U8(tag.first).BE24(tag.second.size()).BE24(0).U8(0).BE24(0).Raw(tag.second);
        previous = 11 + tag.second.size();
    }
    return file.BE32(previous);
}

Bytes Chunk(std::string_view id, const Bytes& body) { return ByteWriter().Text(id).BE32(8 + body.size()).Raw(body); }
const Bytes kRmf = Chunk(".RMF", ByteWriter().BE16(0).BE32(0).BE32(4));
Bytes Prop(uint32_t maxBitRate) { return Chunk("PROP", ByteWriter().BE16(0).BE32(maxBitRate).BE32(maxBitRate).Fill(32)); }
// A media properties chunk: the stream name at 41, the MIME type, then the type-specific data.
Bytes Mdpr(std::string_view name, std::string_view mime, uint32_t avgBitRate, const Bytes& data = {},
           std::optional<uint32_t> dataLength = std::nullopt)
{
    ByteWriter b;
    b.BE16(0).BE16(0).BE32(avgBitRate).BE32(avgBitRate).Fill(20).U8(name.size()).Text(name).U8(mime.size()).Text(mime);
    return Chunk("MDPR", b.BE32(dataLength.value_or(data.size())).Raw(data));
}
// A RealAudio stream header, version 5, up to its channel count.
Bytes Ra(uint32_t rate32, uint16_t rate16, uint16_t bits, uint16_t channels)
{
    return ByteWriter().Text(".ra").U8(0xFD).BE16(5).Fill(42).BE32(rate32).BE16(rate16).Fill(4).BE16(bits).BE16(channels);
}
Bytes Vido(uint16_t width, uint16_t height, uint16_t depth, uint16_t fps)  // 34 bytes, frame rate 16.16 at 22
{
    return ByteWriter().BE32(34).Text("VIDOrv40").BE16(width).BE16(height).BE16(depth).Fill(4).BE16(fps).BE16(0x8000).Fill(8);
}
Bytes Rm(std::initializer_list<Bytes> chunks) { return Cat({kRmf, Cat(chunks), Chunk("DATA", Bytes(10))}); }

Bytes Set(Bytes bytes, size_t at, uint8_t value) { return bytes[at] = value, bytes; }
Bytes Cut(Bytes bytes, size_t size) { return bytes.resize(size), bytes; }

InfoLines Read(MediaType type, const std::string& path)
{
    InfoLines lines;
    StreamFlags flags;
    if (type == mt::Flv) {
        FlvInfo info;
        PutFlvInfoLines(info, GetFlvInfo(path, info), lines, flags);
    } else if (type == mt::Real) {
        RealMediaInfo info;
        PutRealMediaInfoLines(info, GetRealMediaInfo(path, info), lines, flags);
    } else {
        AsfInfo info;
        PutAsfInfoLines(info, GetAsfInfo(path, info), type, lines, flags);
    }
    return lines;
}
void Row(const char* name, MediaType type, const Bytes& b, const InfoLines& l) { QTest::newRow(name) << int(type) << b << l; }

}  // namespace

class TestAsfFlvRealMediaInfo : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private slots:
    void readerLines_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<InfoLines>("lines");
        const auto asf = [](const char* v, const char* a = "", const char* k = "") { return Lines({"Microsoft ASF", v, a, k}); };
        const Bytes wma = Asf({Audio(0x161, 1, 22050, 4000)});
        Row("ASF code below 33: no FourCC", mt::Asf, Asf({Video(320, 240, " XYZ")}), asf("  320x240"));
        Row("ASF code of 33", mt::Asf, Asf({Video(320, 240, "!abc")}), asf("!abc  320x240"));
        Row("ASF sides 4096 and 4097", mt::Asf, Asf({Video(4096, 4097, "WMV2")}), asf("WMV2  4096x0"));
        Row("ASF negative side", mt::Asf, Asf({Video(uint32_t(-48), 48, "WMV2")}), asf("WMV2  0x48"));
        Row("ASF kbps cut before x 8", mt::Asf, Asf({Audio(0x161, 2, 44100, 4999)}), asf("", "WMA2   44100Hz", "32kbps  Stereo"));
        Row("ASF kbps 0 left out", mt::Asf, Asf({Audio(1, 1, 8000, 999)}), asf("", "PCM   8000Hz", "Mono"));
        Row("ASF later streams overwrite, 6 channels keep the text", mt::Wmv,
            Asf({Video(64, 48, "WMV1"), Audio(0x161, 2, 44100, 8000), Video(320, 240, "WMV3"), Audio(0x162, 6, 48000, 48000)}),
            Lines({"Microsoft WMV", "WMV3  320x240", "WMA3   48000Hz", "384kbps  Stereo"}));
        Row("ASF command stream ignored", mt::Asf, Asf({Stream("C0CFDA59E659D011A3AC00A0C90348F6", Bytes(40, 0x41))}), asf(""));
        Row("ASF short file padded with zeros", mt::Asf, Cut(wma, wma.size() - 14), asf("", "WMA2   0Hz", "Mono"));
        Row("ASF stream beyond the prefix", mt::Asf, Cat({Cut(Asf({Video(64, 48, "WMV2")}), kAsfPrefixBytes + 100), wma}),
            asf("WMV2  64x48"));
        Row("ASF object cut by the prefix end", mt::Asf, Cat({Cut(wma, kAsfPrefixBytes - 100), Cut(Video(64, 48, "WMV2"), 100)}),
            asf("", "WMA2   22050Hz", "32kbps  Mono"));

        const auto flv = [](const char* video, const char* audio = "") { return Lines({"Flash Video V1", video, audio}); };
        Row("FLV uncompressed 5.5 kHz", mt::Flv, Flv({AudioTag(0x00)}), flv("", "uncompressed  5.5kHz 8bit Mono"));
        Row("FLV unnamed audio format", mt::Flv, Flv({AudioTag(0xAF)}), flv("", "  44kHz 16bit Stereo"));
        Row("FLV later tags overwrite, unnamed codecs do not", mt::Flv,
            Flv({VideoTag(0x12), AudioTag(0x2F), VideoTag(0x14), AudioTag(0xAA), VideoTag(0x11)}),
            flv("ON2 VP6", "MP3  22kHz 16bit Mono"));
        std::vector<Tag> tags(9, kScriptTag);
        tags.push_back(AudioTag(0x2F));
        Row("FLV audio as the tenth tag", mt::Flv, Flv(tags), flv("", "MP3  44kHz 16bit Stereo"));
        tags.insert(tags.begin(), kScriptTag);
        Row("FLV audio as the eleventh tag", mt::Flv, Flv(tags), flv(""));
        Row("FLV tags start at the data offset", mt::Flv,
            ByteWriter().Raw(Flv({VideoTag(0x17)}, 40)).PlaceAt(9, ByteWriter().BE32(0).U8(9).BE24(1).Fill(7).U8(0x12)),
            flv("H.264"));
        Row("FLV empty bodies skipped", mt::Flv, Flv({{8, {}}, {9, {}}, VideoTag(0x14)}), flv("ON2 VP6"));
        Row("FLV tag header cut", mt::Flv, Cut(Flv({VideoTag(0x12), AudioTag(0x2F)}), 43), flv("Sorensen H.263"));
        Row("FLV tag size past the end", mt::Flv, Set(Flv({AudioTag(0x2A)}), 16, 0x7F), flv("", "MP3  22kHz 16bit Mono"));
        Row("FLV tag header at the very end", mt::Flv, Cut(Flv({AudioTag(0x2F)}), 24), flv(""));
        Row("FLV version 2, data offset past the end", mt::Flv, Set(Set(Flv({AudioTag(0x2F)}), 3, 2), 5, 0xFF), flv(""));

        const auto rm = [](const char* first = "", const char* second = "") { return Lines({"RealMedia", first, second}); };
        const auto stream = [](const char* name, const Bytes& data, std::optional<uint32_t> length = {}) {
            return Rm({Mdpr(name, "", 0, data, length)});
        };
        const Bytes vido = Vido(64, 48, 12, 10);
        Row("RM kind in small letters", mt::Real, stream("video stream", vido), rm("64x48  10fps  12bit"));
        Row("RM VID across name, MIME", mt::Real, Rm({Mdpr("V", "D" + std::string(72, 0), 0, vido)}), rm("64x48  10fps  12bit"));
        Row("RM video header", mt::Real, Rm({Prop(364000), Mdpr("Video Stream", "video/x-pn", 300000, Vido(320, 240, 24, 25))}),
            Lines({"RealMedia  364bps", "320x240  25fps  24bit"}));
        Row("RM VIDO length 38", mt::Real, stream("Video", vido, 38), rm("64x48  10fps  12bit"));
        Row("RM VIDO length 33", mt::Real, stream("Video", vido, 33), rm());
        Row("RM VIDO length 39", mt::Real, stream("Video", vido, 39), rm());
        Row("RM VIDO in an audio stream", mt::Real, stream("Audio", vido), rm());
        Row("RM video rate and depth 0 left out", mt::Real, stream("Video", Vido(176, 144, 0, 0)), rm("176x144"));
        Row("RM rate 1000", mt::Real, stream("Audio", Ra(1000, 0, 16, 2)), rm("RealAudio  1000Hz  16bit"));
        Row("RM 16-bit rate", mt::Real, stream("Audio", Ra(100001, 65535, 16, 6)), rm("RealAudio  65535Hz  16bit"));
        Row("RM rates out of range", mt::Real, stream("Audio", Ra(999, 999, 16, 7)), rm("RealAudio  0Hz  16bit"));
        Row("RM audio in a video stream", mt::Real, stream("Video", Ra(22050, 0, 0, 1)), rm("RealAudio  22050Hz"));
        Row("RM lines consecutive", mt::Real,
            Rm({Prop(96000), Mdpr("Video", "", 64000, Vido(64, 48, 24, 10)), Mdpr("Audio", "", 32000, Ra(44100, 0, 16, 2))}),
            Lines({"RealMedia  96bps", "64x48  10fps  24bit", "RealAudio  44100Hz  16bit"}));
        Row("RM other chunk skipped, 500 bps", mt::Real, Rm({Chunk("CONT", Bytes(30)), Prop(500)}), Lines({"RealMedia  1bps"}));
        Row("RM 20000499 bps", mt::Real, Rm({Prop(20000499)}), Lines({"RealMedia  20000bps"}));
        Row("RM 20000500 bps ignored", mt::Real, Rm({Prop(20000500)}), rm());
        Row("RM chunk size 7 ends the walk", mt::Real, Set(Rm({Prop(96000)}), 7, 7), rm());
        Row("RM last chunk ends at the end", mt::Real, Cat({kRmf, Prop(128000)}), Lines({"RealMedia  128bps"}));
        Row("RM huge chunk size", mt::Real, Set(Rm({Prop(128000)}), 4, 0xFF), rm());
        const Bytes cut = Cat({kRmf, Prop(96000), Mdpr("Audio", "audio/x-pn-realaudio", 32000, Ra(44100, 0, 16, 2))});
        Row("RM audio header cut", mt::Real, Cut(cut, cut.size() - 1), Lines({"RealMedia  96bps"}));

        // Files that ffmpeg wrote; each value was checked once against ffprobe and mediainfo.
        const auto file = [](const char* name) { return test::ReadFile(test::Fixture(name)); };
        Row("ffmpeg WMV", mt::Wmv, file("wmv_wmv2_wmav2.wmv"),
            Lines({"Microsoft WMV", "WMV2  64x48", "WMA2   22050Hz", "32kbps  Mono"}));
        Row("ffmpeg ASF", mt::Asf, file("asf_mpeg4_mp3.asf"), asf("M4S2  64x48", "MPEG-1 Layer-3   22050Hz", "32kbps  Mono"));
        Row("ffmpeg FLV, 8 kHz", mt::Flv, file("flv_h264_nellymoser_8k.flv"), flv("H.264", "Nellymoser  8kHz 16bit Mono"));
        // ffmpeg names its streams "The ... Stream" and writes version-4 audio headers, whose
        // fields lie elsewhere: no video line, no stream rates, the sample size reads "nt".
        Row("ffmpeg RealMedia", mt::Real, file("real_rv10_ac3.rm"), Lines({"RealMedia  114bps", "RealAudio  0Hz  28276bit"}));
    }
    void readerLines()
    {
        QFETCH(int, type);
        QFETCH(Bytes, bytes);
        QTEST(Read(type, test::WriteIn(dir_, "built", bytes)), "lines");
    }
};

QTEST_APPLESS_MAIN(TestAsfFlvRealMediaInfo)
#include "tst_asf_flv_realmedia_info.moc"
