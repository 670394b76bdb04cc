// Part 2.8: ASF, FLV and RealMedia info, and their lines of Part 2.5 (type codes 7, 8, 9,
// 15, 18), with the decisions of issues 3 and 4. Every edge case of Part 2.8 is built here
// byte by byte; the golden tests read the fixtures of tests/fixtures/media.
#include "mediainfo/AsfInfo.h"
#include "mediainfo/ChannelsText.h"
#include "mediainfo/FlvInfo.h"
#include "mediainfo/MediaType.h"
#include "mediainfo/RealMediaInfo.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <random>
#include <string_view>

using namespace vistrel;
using Bytes = std::vector<uint8_t>;

namespace {

const std::string kFixtures = VISTREL_FIXTURES_DIR "/media/";

// Appends numbers and texts to a byte string.
class ByteWriter {
public:
    ByteWriter& Raw(const Bytes& bytes)
    {
        bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    ByteWriter& Text(std::string_view text)
    {
        bytes_.insert(bytes_.end(), text.begin(), text.end());
        return *this;
    }
    ByteWriter& Utf16(std::string_view text)  // UTF-16LE with its terminating NUL
    {
        for (const char c : text)
            LE16(static_cast<uint8_t>(c));
        return LE16(0);
    }
    ByteWriter& Zeros(size_t count)
    {
        bytes_.insert(bytes_.end(), count, 0);
        return *this;
    }
    ByteWriter& U8(uint8_t v) { return LE(v, 1); }
    ByteWriter& LE16(uint16_t v) { return LE(v, 2); }
    ByteWriter& LE32(uint32_t v) { return LE(v, 4); }
    ByteWriter& LE64(uint64_t v) { return LE(v, 8); }
    ByteWriter& BE16(uint16_t v) { return BE(v, 2); }
    ByteWriter& BE24(uint32_t v) { return BE(v, 3); }
    ByteWriter& BE32(uint32_t v) { return BE(v, 4); }
    const Bytes& Get() const { return bytes_; }
    size_t Size() const { return bytes_.size(); }

private:
    ByteWriter& LE(uint64_t v, int count)
    {
        for (int i = 0; i < count; ++i)
            bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    ByteWriter& BE(uint64_t v, int count)
    {
        for (int i = count; i-- > 0;)
            bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    Bytes bytes_;
};

QStringList ToList(const InfoLines& lines)
{
    QStringList list;
    for (const auto& line : lines)
        list << QString::fromStdString(line);
    return list;
}

QStringList Expected(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* t : texts)
        list << QString::fromUtf8(t);
    while (list.size() < 8)
        list << QString();
    return list;
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

// ---- ASF ----------------------------------------------------------------------------------

const char* const kAsfHeaderGuid = "3026B2758E66CF11A6D900AA0062CE6C";
const char* const kStreamPropertiesGuid = "9107DCB7B7A9CF118EE600C00C205365";
const char* const kAudioStreamGuid = "409E69F84D5BCF11A8FD00805F5C442B";
const char* const kVideoStreamGuid = "C0EF19BC4D5BCF11A8FD00805F5C442B";
const char* const kMetadataObjectGuid = "EACBF8C5AF5B77488467AA8C44FA4CCA";
const char* const kExtendedContentGuid = "40A4D0D207E3D21197F000A0C95EA850";

Bytes AsfObject(const char* guid, const Bytes& body)
{
    return ByteWriter().Raw(HexToBytes(guid)).LE64(24 + body.size()).Raw(body).Get();
}

Bytes StreamProperties(const char* typeGuid, const Bytes& typeSpecific)
{
    ByteWriter body;
    body.Raw(HexToBytes(typeGuid)).Zeros(16).LE64(0);                // type, error correction, time offset
    body.LE32(static_cast<uint32_t>(typeSpecific.size())).LE32(0);   // data lengths
    body.LE16(1).LE32(0).Raw(typeSpecific);                          // flags, reserved: data at offset 78
    return AsfObject(kStreamPropertiesGuid, body.Get());
}

Bytes AudioStream(uint16_t tag, uint16_t channels, uint32_t sampleRate, uint32_t avgBytesPerSec)
{
    ByteWriter wave;
    wave.LE16(tag).LE16(channels).LE32(sampleRate).LE32(avgBytesPerSec).LE16(0).LE16(16).LE16(0);
    return StreamProperties(kAudioStreamGuid, wave.Get());
}

Bytes VideoStream(uint32_t width, uint32_t height, uint32_t compression)
{
    ByteWriter video;
    video.LE32(width).LE32(height).U8(2).LE16(40);                              // bitmap header at 89
    video.LE32(40).LE32(width).LE32(height).LE16(1).LE16(24).LE32(compression).Zeros(20);
    return StreamProperties(kVideoStreamGuid, video.Get());
}

uint32_t FourCC(const char (&code)[5])
{
    return static_cast<uint8_t>(code[0]) | static_cast<uint8_t>(code[1]) << 8 | static_cast<uint8_t>(code[2]) << 16
        | static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

// A Metadata Object record, as ffmpeg writes AspectRatioX/Y: the name follows the 32-bit
// value length, so the 16-bit value before the name is 0.
Bytes MetadataObject(uint32_t x, uint32_t y)
{
    ByteWriter body;
    body.LE16(2);
    for (const auto& [name, value] : {std::pair{"AspectRatioX", x}, std::pair{"AspectRatioY", y}})
        body.LE16(0).LE16(1).LE16(26).LE16(3).LE32(4).Utf16(name).LE32(value);
    return AsfObject(kMetadataObjectGuid, body.Get());
}

// An Extended Content Description Object: name length, name, value type, value length, value.
Bytes ExtendedContent(uint64_t x, uint64_t y, uint16_t valueBytes = 4)
{
    ByteWriter body;
    body.LE16(2);
    for (const auto& [name, value] : {std::pair{"AspectRatioX", x}, std::pair{"AspectRatioY", y}}) {
        body.LE16(26).Utf16(name).LE16(valueBytes == 8 ? 4 : 3).LE16(valueBytes);
        valueBytes == 8 ? body.LE64(value) : body.LE32(static_cast<uint32_t>(value));
    }
    return AsfObject(kExtendedContentGuid, body.Get());
}

Bytes AsfFile(const std::vector<Bytes>& objects)
{
    ByteWriter body;
    body.LE32(static_cast<uint32_t>(objects.size())).U8(1).U8(2);
    for (const auto& object : objects)
        body.Raw(object);
    return AsfObject(kAsfHeaderGuid, body.Get());
}

// ---- FLV ----------------------------------------------------------------------------------

struct FlvTag {
    uint8_t Type;
    Bytes Body;
};

Bytes FlvFile(const std::vector<FlvTag>& tags, uint32_t dataOffset = 9, uint8_t version = 1)
{
    ByteWriter file;
    file.Text("FLV").U8(version).U8(5).BE32(dataOffset);
    file.Zeros(dataOffset > 9 ? dataOffset - 9 : 0);
    uint32_t previousSize = 0;
    for (const auto& tag : tags) {
        file.BE32(previousSize).U8(tag.Type).BE24(static_cast<uint32_t>(tag.Body.size()));
        file.BE24(0).U8(0).BE24(0).Raw(tag.Body);
        previousSize = static_cast<uint32_t>(11 + tag.Body.size());
    }
    return file.BE32(previousSize).Get();
}

const FlvTag kScriptTag{18, Bytes{2, 0, 10, 'o', 'n', 'M', 'e', 't', 'a', 'D', 'a', 't', 'a'}};

FlvTag AudioTag(uint8_t first)
{
    return {8, Bytes{first, 0xFF, 0xFB, 0x90, 0x44}};
}

FlvTag VideoTag(uint8_t first)
{
    return {9, Bytes{first, 0, 0, 0x84, 0x00}};
}

// ---- RealMedia ----------------------------------------------------------------------------

Bytes RmChunk(std::string_view id, const Bytes& body)
{
    return ByteWriter().Text(id).BE32(static_cast<uint32_t>(8 + body.size())).Raw(body).Get();
}

Bytes RmFileHeader()
{
    return RmChunk(".RMF", ByteWriter().BE16(0).BE32(0).BE32(4).Get());
}

Bytes PropChunk(uint32_t maxBitRate)
{
    return RmChunk("PROP", ByteWriter().BE16(0).BE32(maxBitRate).BE32(maxBitRate).Zeros(32).Get());
}

Bytes MdprChunk(std::string_view name, std::string_view mime, uint32_t avgBitRate, const Bytes& typeSpecific,
                std::optional<uint32_t> typeSpecificLength = std::nullopt)
{
    ByteWriter body;
    body.BE16(0).BE16(0).BE32(avgBitRate).BE32(avgBitRate).Zeros(20);  // up to the duration
    body.U8(static_cast<uint8_t>(name.size())).Text(name).U8(static_cast<uint8_t>(mime.size())).Text(mime);
    body.BE32(typeSpecificLength.value_or(static_cast<uint32_t>(typeSpecific.size()))).Raw(typeSpecific);
    return RmChunk("MDPR", body.Get());
}

// A RealAudio stream header (".ra" 0xFD) with the fields at the offsets Part 2.8 reads.
Bytes RealAudioHeader(uint32_t rate32, uint16_t rate16, uint16_t sampleSize, uint16_t channels)
{
    ByteWriter ra;
    ra.Text(".ra").U8(0xFD).BE16(5).Zeros(42);  // up to offset 48
    ra.BE32(rate32).BE16(rate16).Zeros(4).BE16(sampleSize).BE16(channels).Zeros(12);
    return ra.Get();
}

Bytes VidoHeader(std::string_view codec, uint16_t width, uint16_t height, uint16_t depth, uint16_t fps)
{
    ByteWriter v;
    v.BE32(34).Text("VIDO").Text(codec).BE16(width).BE16(height).BE16(depth).Zeros(4);
    v.BE16(fps).BE16(0x8000).Zeros(8);  // 16.16 frame rate at 22, then to 34 bytes
    return v.Get();
}

Bytes RmFile(const std::vector<Bytes>& chunks)
{
    ByteWriter file;
    file.Raw(RmFileHeader());
    for (const auto& chunk : chunks)
        file.Raw(chunk);
    return file.Raw(RmChunk("DATA", Bytes(10, 0))).Get();
}

Bytes Join(std::initializer_list<Bytes> parts)
{
    ByteWriter all;
    for (const auto& part : parts)
        all.Raw(part);
    return all.Get();
}

}  // namespace

class TestAsfFlvReal : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    std::string Write(const char* name, const Bytes& bytes) { return test::WriteIn(dir_, name, bytes); }

    // The record of a file that holds the header identifier (GetAsfInfo's result is IsAsf).
    AsfInfo ReadAsf(const Bytes& bytes)
    {
        AsfInfo info;
        GetAsfInfo(Write("t.asf", bytes), info);
        return info;
    }

    static InfoLines AsfLines(const AsfInfo& info, bool ok = true, MediaType type = mt::Wmv)
    {
        InfoLines lines;
        StreamFlags flags;
        PutAsfInfoLines(info, ok, type, lines, flags);
        return lines;
    }

    FlvInfo ReadFlv(const Bytes& bytes, bool* ok = nullptr)
    {
        FlvInfo info;
        const bool result = GetFlvInfo(Write("t.flv", bytes), info);
        if (ok)
            *ok = result;
        return info;
    }

    static InfoLines FlvLines(const FlvInfo& info, bool ok = true)
    {
        InfoLines lines;
        StreamFlags flags;
        PutFlvInfoLines(info, ok, lines, flags);
        return lines;
    }

    RealMediaInfo ReadReal(const Bytes& bytes, bool* ok = nullptr)
    {
        RealMediaInfo info;
        const bool result = GetRealMediaInfo(Write("t.rm", bytes), info);
        if (ok)
            *ok = result;
        return info;
    }

    static InfoLines RealLines(const RealMediaInfo& info, bool ok = true)
    {
        InfoLines lines;
        StreamFlags flags;
        PutRealMediaInfoLines(info, ok, lines, flags);
        return lines;
    }

    void ReadWithEveryReader(const Bytes& bytes)
    {
        const std::string path = Write("any", bytes);
        InfoLines lines;
        StreamFlags flags;
        AsfInfo asf;
        PutAsfInfoLines(asf, GetAsfInfo(path, asf), mt::Asf, lines, flags);
        FlvInfo flv;
        PutFlvInfoLines(flv, GetFlvInfo(path, flv), lines, flags);
        RealMediaInfo real;
        PutRealMediaInfoLines(real, GetRealMediaInfo(path, real), lines, flags);
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    // ==== ChannelsText ==========================================================================

    void channelsText_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << qint64(0) << "";
        QTest::newRow("1") << qint64(1) << "Mono";
        QTest::newRow("2") << qint64(2) << "Stereo";
        QTest::newRow("3 is the MPEG mode name") << qint64(3) << "Joint Stereo";
        QTest::newRow("4") << qint64(4) << "Quad";
        QTest::newRow("5") << qint64(5) << "5ch.";
        QTest::newRow("6") << qint64(6) << "6ch.";
        QTest::newRow("65535") << qint64(65535) << "65535ch.";
        QTest::newRow("negative") << qint64(-2) << "";
    }
    void channelsText()
    {
        QFETCH(qint64, count);
        QFETCH(QString, text);
        QCOMPARE(Q(ChannelsText(count)), text);
    }

    // ==== ASF ===================================================================================

    // Edge case: AspectRatioX = 10, Y = 11 gives pixel aspect 1.1 and "NTSC 4:3"; 1440 and 1080
    // give 1440/1080 = 1.33 and "PAR 4:3". Both layouts of the attribute are covered.
    void asfMetadataAspect_data()
    {
        QTest::addColumn<QByteArray>("object");
        QTest::addColumn<float>("pixelAspect");
        QTest::addColumn<QString>("name");
        auto add = [](const char* row, const Bytes& object, float pixel, const char* name) {
            QTest::newRow(row) << QByteArray(reinterpret_cast<const char*>(object.data()), qsizetype(object.size()))
                               << pixel << name;
        };
        add("metadata object 10/11", MetadataObject(10, 11), 1.1F, "NTSC 4:3");
        add("extended content 10/11", ExtendedContent(10, 11), 1.1F, "NTSC 4:3");
        add("metadata object 1440/1080", MetadataObject(1440, 1080), 0.75F, "PAR 4:3");
        add("extended content 1440/1080", ExtendedContent(1440, 1080), 0.75F, "PAR 4:3");
        // X of 1080 or 720: the larger by the smaller, whatever the order
        add("1080/1440 larger by smaller", MetadataObject(1080, 1440), 0.75F, "PAR 4:3");
        add("720/576", MetadataObject(720, 576), 0.8F, "PAR 1.25");
        add("40/33", MetadataObject(40, 33), 33.0F / 40, "NTSC 16:9");
        add("12/11", MetadataObject(12, 11), 11.0F / 12, "PAL 4:3");
        add("16/11", MetadataObject(16, 11), 11.0F / 16, "PAL 16:9");
        add("2/1", MetadataObject(2, 1), 0.5F, "ana 2:1");
        add("16/9", MetadataObject(16, 9), 9.0F / 16, "PAR 16:9");
        add("3/2 unnamed", MetadataObject(3, 2), 2.0F / 3, "PAR 1.5");
        add("64-bit values", ExtendedContent(10, 11, 8), 1.1F, "NTSC 4:3");
        // aspects of 1 and 0 (and a Y of 0, which has no quotient) leave the fields
        add("1/1 square pixels", MetadataObject(1, 1), 0.0F, "");
        add("X of 0", MetadataObject(0, 11), 0.0F, "");
        add("Y of 0", MetadataObject(10, 0), 0.0F, "");
    }
    void asfMetadataAspect()
    {
        QFETCH(QByteArray, object);
        QFETCH(float, pixelAspect);
        QFETCH(QString, name);
        const AsfInfo info = ReadAsf(AsfFile({Bytes(object.begin(), object.end()), VideoStream(64, 48, FourCC("WMV2"))}));
        QVERIFY(info.IsAsf);
        QCOMPARE(info.PixelAspect, pixelAspect);
        QCOMPARE(Q(info.AspectName), name);
        // the aspect is not part of the video line (Part 2.5)
        QCOMPARE(Q(AsfLines(info)[1]), QString("WMV2  64x48"));
    }

    void asfAspectRatioYIsSearchedAfterTheXValue()
    {
        // A Y before X is not seen: no aspect.
        ByteWriter body;
        body.LE16(2).LE16(0).LE16(1).LE16(26).LE16(3).LE32(4).Utf16("AspectRatioY").LE32(11);
        body.LE16(0).LE16(1).LE16(26).LE16(3).LE32(4).Utf16("AspectRatioX").LE32(10);
        const AsfInfo info = ReadAsf(AsfFile({AsfObject(kMetadataObjectGuid, body.Get())}));
        QCOMPARE(info.PixelAspect, 0.0F);
        QCOMPARE(Q(info.AspectName), QString());
    }

    void asfAspectName_data()
    {
        QTest::addColumn<double>("aspect");
        QTest::addColumn<QString>("name");
        QTest::newRow("10/11") << 10.0 / 11 << "NTSC 4:3";
        QTest::newRow("0.91") << 0.91 << "NTSC 4:3";
        QTest::newRow("40/33") << 40.0 / 33 << "NTSC 16:9";
        QTest::newRow("12/11") << 12.0 / 11 << "PAL 4:3";
        QTest::newRow("16/11") << 16.0 / 11 << "PAL 16:9";
        QTest::newRow("2") << 2.0 << "ana 2:1";
        QTest::newRow("1.996 rounds to 2") << 1.996 << "ana 2:1";
        QTest::newRow("4/3") << 4.0 / 3 << "PAR 4:3";
        QTest::newRow("16/9") << 16.0 / 9 << "PAR 16:9";
        QTest::newRow("2.21") << 2.21 << "PAR 2.21";
        QTest::newRow("half rounds away from zero") << 1.125 << "PAR 1.13";
        QTest::newRow("whole") << 3.0 << "PAR 3";
        QTest::newRow("0.5") << 0.5 << "PAR 0.5";
    }
    void asfAspectName()
    {
        QFETCH(double, aspect);
        QFETCH(QString, name);
        QCOMPARE(Q(AsfAspectName(aspect)), name);
    }

    // Edge case: a 32-bit compression code of 0 (uncompressed bitmap) leaves the FourCC empty.
    void asfVideoFourCC_data()
    {
        QTest::addColumn<uint>("compression");
        QTest::addColumn<QString>("fourCC");
        QTest::newRow("0: uncompressed bitmap") << uint(0) << "";
        QTest::newRow("first byte a blank") << FourCC(" XYZ") << "";
        QTest::newRow("first byte 32") << uint(0x20202020) << "";
        QTest::newRow("first byte 33") << FourCC("!abc") << "!abc";
        QTest::newRow("WMV3") << FourCC("WMV3") << "WMV3";
        QTest::newRow("Latin-1 byte") << uint(0x333231E9) << QString::fromUtf8("\u00e9123");
    }
    void asfVideoFourCC()
    {
        QFETCH(uint, compression);
        QFETCH(QString, fourCC);
        const AsfInfo info = ReadAsf(AsfFile({VideoStream(320, 240, compression)}));
        QVERIFY(info.HasVideo);
        QCOMPARE(Q(info.VideoFourCC), fourCC);
        // a video line without a code keeps its two blanks (as AVI's)
        QCOMPARE(ToList(AsfLines(info)), Expected({"Microsoft WMV", (fourCC + "  320x240").toUtf8().constData()}));
    }

    void asfPictureSides_data()
    {
        QTest::addColumn<uint>("side");
        QTest::addColumn<int>("kept");
        QTest::newRow("0") << uint(0) << 0;
        QTest::newRow("4096") << uint(4096) << 4096;
        QTest::newRow("4097") << uint(4097) << 0;
        QTest::newRow("negative (top-down)") << uint(-48) << 0;
    }
    void asfPictureSides()
    {
        QFETCH(uint, side);
        QFETCH(int, kept);
        const AsfInfo info = ReadAsf(AsfFile({VideoStream(side, side, FourCC("WMV2"))}));
        QCOMPARE(info.Width, kept);
        QCOMPARE(info.Height, kept);
    }

    // Edge case: an audio stream with 6 channels leaves the channels text as it was.
    void asfSixChannelsLeaveTheChannelsText()
    {
        AsfInfo info;
        info.Channels = "as before";
        QVERIFY(GetAsfInfo(Write("six.wma", AsfFile({AudioStream(0x0162, 6, 48000, 48000)})), info));
        QCOMPARE(Q(info.Channels), QString("as before"));
        QCOMPARE(Q(info.AudioCodec), QString("WMA3"));
        QCOMPARE(info.AudioKbps, 384u);

        const AsfInfo fresh = ReadAsf(AsfFile({AudioStream(0x0162, 6, 48000, 48000)}));
        QCOMPARE(ToList(AsfLines(fresh, true, mt::Wma)), Expected({"Microsoft WMA", "", "WMA3   48000Hz", "384kbps  "}));
    }

    void asfAudioStream_data()
    {
        QTest::addColumn<uint>("tag");
        QTest::addColumn<uint>("channels");
        QTest::addColumn<uint>("rate");
        QTest::addColumn<uint>("avgBytes");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<QString>("line3");
        QTest::newRow("WMA2 mono") << 0x161u << 1u << 22050u << 4000u << "WMA2   22050Hz" << "32kbps  Mono";
        QTest::newRow("MP3 stereo") << 0x55u << 2u << 44100u << 16000u << "MPEG-1 Layer-3   44100Hz" << "128kbps  Stereo";
        // Int(4999 / 1000) x 8
        QTest::newRow("kbps cut before x 8") << 0x161u << 2u << 44100u << 4999u << "WMA2   44100Hz" << "32kbps  Stereo";
        // a bit rate of 0 is left out with its unit and blanks
        QTest::newRow("kbps 0") << 0x1u << 1u << 8000u << 999u << "PCM   8000Hz" << "Mono";
        QTest::newRow("unlisted tag") << 0x1234u << 2u << 32000u << 8000u << "0x1234   32000Hz" << "64kbps  Stereo";
        QTest::newRow("sample rate 0 stays") << 0x7u << 1u << 0u << 8000u << QString::fromUtf8("\u00b5-law   0Hz")
                                             << "64kbps  Mono";
    }
    void asfAudioStream()
    {
        QFETCH(uint, tag);
        QFETCH(uint, channels);
        QFETCH(uint, rate);
        QFETCH(uint, avgBytes);
        QFETCH(QString, line2);
        QFETCH(QString, line3);
        const AsfInfo info = ReadAsf(AsfFile({AudioStream(uint16_t(tag), uint16_t(channels), rate, avgBytes)}));
        QVERIFY(info.HasAudio);
        QVERIFY(!info.HasVideo);
        const InfoLines lines = AsfLines(info, true, mt::Asf);
        QCOMPARE(ToList(lines), Expected({"Microsoft ASF", "", line2.toUtf8().constData(), line3.toUtf8().constData()}));
    }

    void asfLaterStreamOverwritesEarlierOne()
    {
        const AsfInfo info = ReadAsf(AsfFile({VideoStream(64, 48, FourCC("WMV1")), AudioStream(0x161, 2, 44100, 8000),
                                              VideoStream(320, 240, FourCC("WMV3")), AudioStream(0x160, 1, 22050, 2000)}));
        QCOMPARE(ToList(AsfLines(info)), Expected({"Microsoft WMV", "WMV3  320x240", "WMA1   22050Hz", "16kbps  Mono"}));
    }

    void asfOtherStreamTypesAreIgnored()
    {
        const Bytes command = StreamProperties("C0CFDA59E659D011A3AC00A0C90348F6", Bytes(40, 0x41));
        const AsfInfo info = ReadAsf(AsfFile({command}));
        QVERIFY(info.IsAsf);
        QVERIFY(!info.HasAudio);
        QVERIFY(!info.HasVideo);
        QCOMPARE(ToList(AsfLines(info, true, mt::Asf)), Expected({"Microsoft ASF"}));
    }

    void asfLineZeroNamesTheDetectedType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("line0");
        QTest::newRow("7") << int(mt::Wma) << "Microsoft WMA";
        QTest::newRow("8") << int(mt::Wmv) << "Microsoft WMV";
        QTest::newRow("9") << int(mt::Asf) << "Microsoft ASF";
    }
    void asfLineZeroNamesTheDetectedType()
    {
        QFETCH(int, type);
        QFETCH(QString, line0);
        AsfInfo info;
        info.HasAudio = true;
        info.AudioCodec = "WMA2";
        // the branch names the type even when the reader fails; the details need success
        QCOMPARE(ToList(AsfLines(info, false, type)), Expected({line0.toUtf8().constData()}));
        QCOMPARE(AsfLines(info, true, type)[0], line0.toStdString());
    }

    void asfWithoutHeaderIdentifierLeavesTheRecord()
    {
        Bytes bytes = AsfFile({AudioStream(0x161, 1, 22050, 4000)});
        bytes[0] ^= 0xFF;  // the header identifier is gone; the stream object stays
        AsfInfo info;
        info.SampleRate = 12345;
        QVERIFY(!GetAsfInfo(Write("no-header.asf", bytes), info));
        QVERIFY(!info.IsAsf);
        QVERIFY(!info.HasAudio);
        QCOMPARE(info.SampleRate, 12345u);
    }

    void asfHeaderIdentifierIsSearchedAnywhereInThePrefix()
    {
        const Bytes bytes = Join({Bytes(5000, 0x55), AsfFile({AudioStream(0x161, 1, 22050, 4000)})});
        const AsfInfo info = ReadAsf(bytes);
        QVERIFY(info.IsAsf);
        QCOMPARE(info.SampleRate, 22050u);
    }

    // Short reads: the prefix is padded with zeros (decision of issue 4).
    void asfShortFileIsPaddedWithZeros()
    {
        Bytes bytes = AsfFile({AudioStream(0x161, 1, 22050, 4000)});
        const size_t objectAt = bytes.size() - (78 + 18);
        bytes.resize(objectAt + 82);  // cut after the channel count
        const AsfInfo info = ReadAsf(bytes);
        QVERIFY(info.HasAudio);
        QCOMPARE(info.SampleRate, 0u);
        QCOMPARE(ToList(AsfLines(info, true, mt::Wma)), Expected({"Microsoft WMA", "", "WMA2   0Hz", "Mono"}));
    }

    void asfStreamsBeyondThePrefixAreNotSeen()
    {
        Bytes bytes = AsfFile({VideoStream(64, 48, FourCC("WMV2"))});
        bytes.resize(kAsfPrefixBytes + 100, 0);
        const Bytes audio = AudioStream(0x161, 1, 22050, 4000);
        bytes.insert(bytes.end(), audio.begin(), audio.end());
        const AsfInfo info = ReadAsf(bytes);
        QVERIFY(info.HasVideo);
        QVERIFY(!info.HasAudio);
    }

    // A stream object whose fields would lie beyond the prefix ends the walk.
    void asfObjectCutByThePrefixEndsTheWalk()
    {
        Bytes prefix = AsfFile({AudioStream(0x161, 1, 22050, 4000)});
        prefix.resize(kAsfPrefixBytes - 100, 0);
        const Bytes video = VideoStream(64, 48, FourCC("WMV2"));
        prefix.insert(prefix.end(), video.begin(), video.begin() + 100);  // its FourCC at 105 is cut off
        AsfInfo info;
        QVERIFY(ReadAsfInfo(ByteBuffer(prefix), info));
        QVERIFY(info.HasAudio);
        QVERIFY(!info.HasVideo);
        QCOMPARE(info.Width, 0);
    }

    void asfUnreadableFileLeavesTheRecord()
    {
        AsfInfo info;
        info.Channels = "kept";
        QVERIFY(!GetAsfInfo(dir_.filePath("missing.wmv").toStdString(), info));
        QVERIFY(!info.IsAsf);
        QCOMPARE(Q(info.Channels), QString("kept"));
    }

    void asfAspectHelperValues()
    {
        QCOMPARE(AsfAspect(10, 11), 10.0 / 11);
        QCOMPARE(AsfAspect(1440, 1080), 1440.0 / 1080);
        QCOMPARE(AsfAspect(720, 1080), 1.5);
        QCOMPARE(AsfAspect(0, 5), 0.0);
        QCOMPARE(AsfAspect(5, 0), 0.0);
    }

    // ==== FLV ===================================================================================

    // Edge case: a first audio tag byte of 0x2F gives "MP3", 44 kHz, 16 bits, "Stereo"; a
    // first video tag with codec 7 gives "H.264".
    void flvEdgeCasesFromThePart()
    {
        bool ok = false;
        const FlvInfo info = ReadFlv(FlvFile({kScriptTag, VideoTag(0x17), AudioTag(0x2F)}), &ok);
        QVERIFY(ok);
        QCOMPARE(info.Version, 1);
        QCOMPARE(Q(info.AudioCodec), QString("MP3"));
        QCOMPARE(info.SampleRate, 44.0F);
        QCOMPARE(info.SampleSize, 16);
        QCOMPARE(Q(info.Channels), QString("Stereo"));
        QCOMPARE(Q(info.VideoCodec), QString("H.264"));
        QCOMPARE(ToList(FlvLines(info)), Expected({"Flash Video V1", "H.264", "MP3  44kHz 16bit Stereo"}));
    }

    void flvAudioByte_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("line2");
        QTest::newRow("0x2F MP3") << 0x2F << "MP3  44kHz 16bit Stereo";
        QTest::newRow("0x2A MP3 22 kHz mono") << 0x2A << "MP3  22kHz 16bit Mono";
        QTest::newRow("0x00 uncompressed 5.5 kHz") << 0x00 << "uncompressed  5.5kHz 8bit Mono";
        QTest::newRow("0x16 ADPCM 11 kHz") << 0x16 << "ADPCM  11kHz 16bit Mono";
        QTest::newRow("0x5F Nellymoser 8 kHz, mono") << 0x5F << "Nellymoser  8kHz 16bit Mono";
        QTest::newRow("0x6D Nellymoser") << 0x6D << "Nellymoser  44kHz 8bit Stereo";
        // formats without a name (here 10, AAC) leave the codec as it was: empty
        QTest::newRow("0xAF AAC") << 0xAF << "  44kHz 16bit Stereo";
        QTest::newRow("0x3E linear PCM LE") << 0x3E << "  44kHz 16bit Mono";
    }
    void flvAudioByte()
    {
        QFETCH(int, byte);
        QFETCH(QString, line2);
        FlvInfo info;
        DecodeFlvAudioByte(uint8_t(byte), info);
        QVERIFY(info.HasAudio);
        QCOMPARE(Q(FlvLines(info)[2]), line2);
        // the same through a file
        QCOMPARE(Q(FlvLines(ReadFlv(FlvFile({AudioTag(uint8_t(byte))})))[2]), line2);
    }

    void flvUnnamedAudioFormatKeepsTheEarlierCodec()
    {
        const FlvInfo info = ReadFlv(FlvFile({AudioTag(0x2F), AudioTag(0xAA)}));
        QCOMPARE(ToList(FlvLines(info)), Expected({"Flash Video V1", "", "MP3  22kHz 16bit Mono"}));
    }

    void flvVideoCodec_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("codec");
        QTest::newRow("2") << 0x22 << "Sorensen H.263";
        QTest::newRow("3") << 0x13 << "Screen Video";
        QTest::newRow("4") << 0x14 << "ON2 VP6";
        QTest::newRow("5") << 0x15 << "ON2 VP6 alpha";
        QTest::newRow("6") << 0x16 << "Screen Video";
        QTest::newRow("7") << 0x17 << "H.264";
        QTest::newRow("1 unnamed") << 0x11 << "";
        QTest::newRow("12 unnamed") << 0x1C << "";
    }
    void flvVideoCodec()
    {
        QFETCH(int, byte);
        QFETCH(QString, codec);
        const FlvInfo info = ReadFlv(FlvFile({VideoTag(uint8_t(byte))}));
        QCOMPARE(Q(info.VideoCodec), codec);
        QVERIFY(!info.HasAudio);
        // line 2 only after an audio tag
        QCOMPARE(ToList(FlvLines(info)), Expected({"Flash Video V1", codec.toUtf8().constData()}));
    }

    void flvLaterTagOverwrites()
    {
        const FlvInfo info = ReadFlv(FlvFile({VideoTag(0x12), AudioTag(0x2F), VideoTag(0x14), AudioTag(0x16)}));
        QCOMPARE(ToList(FlvLines(info)), Expected({"Flash Video V1", "ON2 VP6", "ADPCM  11kHz 16bit Mono"}));
    }

    void flvReadsTenTagsAtMost_data()
    {
        QTest::addColumn<int>("scriptTags");
        QTest::addColumn<bool>("audioSeen");
        QTest::newRow("audio is the tenth tag") << 9 << true;
        QTest::newRow("audio is the eleventh tag") << 10 << false;
    }
    void flvReadsTenTagsAtMost()
    {
        QFETCH(int, scriptTags);
        QFETCH(bool, audioSeen);
        std::vector<FlvTag> tags(size_t(scriptTags), kScriptTag);
        tags.push_back(AudioTag(0x2F));
        const FlvInfo info = ReadFlv(FlvFile(tags));
        QCOMPARE(info.HasAudio, audioSeen);
        QCOMPARE(FlvLines(info)[2].empty(), !audioSeen);
    }

    void flvTagsStartAtTheDataOffset()
    {
        Bytes bytes = FlvFile({VideoTag(0x17)}, 40);
        // a fake tag in the skipped bytes would be a Sorensen video tag
        const Bytes fake = ByteWriter().BE32(0).U8(9).BE24(1).Zeros(7).U8(0x12).Get();
        std::copy(fake.begin(), fake.end(), bytes.begin() + 9);
        QCOMPARE(Q(ReadFlv(bytes).VideoCodec), QString("H.264"));
    }

    void flvEmptyBodyIsSkipped()
    {
        const FlvInfo info = ReadFlv(FlvFile({{8, {}}, {9, {}}, VideoTag(0x14)}));
        QVERIFY(!info.HasAudio);
        QCOMPARE(Q(info.VideoCodec), QString("ON2 VP6"));
    }

    void flvTruncatedTagEndsTheWalk()
    {
        Bytes bytes = FlvFile({VideoTag(0x12), AudioTag(0x2F)});
        bytes.resize(bytes.size() - 4 - 5 - 1);  // the audio tag's header without its last byte and body
        const FlvInfo info = ReadFlv(bytes);
        QCOMPARE(Q(info.VideoCodec), QString("Sorensen H.263"));
        QVERIFY(!info.HasAudio);

        // a tag whose declared size runs past the end: its body byte is read, the walk then ends
        Bytes longTag = FlvFile({AudioTag(0x2A)});
        longTag[13 + 3] = 0x7F;  // data size low byte
        QCOMPARE(Q(FlvLines(ReadFlv(longTag))[2]), QString("MP3  22kHz 16bit Mono"));

        // a header that names an audio tag at the very end of the file: no body byte
        const Bytes headerOnly = ByteWriter().Text("FLV").U8(1).U8(4).BE32(9).BE32(0).U8(8).BE24(5).Zeros(7).Get();
        QVERIFY(!ReadFlv(headerOnly).HasAudio);
    }

    void flvHugeDataOffsetFindsNothing()
    {
        Bytes bytes = FlvFile({AudioTag(0x2F)});
        bytes[5] = 0xFF;
        bool ok = false;
        const FlvInfo info = ReadFlv(bytes, &ok);
        QVERIFY(ok);
        QVERIFY(!info.HasAudio);
        QCOMPARE(ToList(FlvLines(info)), Expected({"Flash Video V1"}));
    }

    void flvVersionByteAndLineZero()
    {
        // " V1" marks the reader's success whatever the version byte (decision of issue 4)
        const FlvInfo info = ReadFlv(FlvFile({}, 9, 2));
        QCOMPARE(info.Version, 2);
        QCOMPARE(Q(FlvLines(info)[0]), QString("Flash Video V1"));
    }

    void flvWithoutSignatureFails()
    {
        Bytes bytes = FlvFile({AudioTag(0x2F)});
        bytes[2] = 'X';
        FlvInfo info;
        info.VideoCodec = "kept";
        QVERIFY(!GetFlvInfo(Write("nosig.flv", bytes), info));
        QCOMPARE(info.Version, 0);
        QVERIFY(!info.HasAudio);
        QCOMPARE(Q(info.VideoCodec), QString("kept"));
        QCOMPARE(ToList(FlvLines(info, false)), Expected({"Flash Video"}));
        QVERIFY(!GetFlvInfo(dir_.filePath("missing.flv").toStdString(), info));
    }

    // ==== RealMedia =============================================================================

    // Edge cases: 2 channels give "Stereo", 6 give "6ch."; an average bit rate of 44,100 bits
    // per second gives 44 kbps.
    void realChannels_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("text");
        QTest::newRow("1") << 1 << "Mono";
        QTest::newRow("2") << 2 << "Stereo";
        QTest::newRow("3") << 3 << "Joint Stereo";
        QTest::newRow("4") << 4 << "Quad";
        QTest::newRow("6") << 6 << "6ch.";
        QTest::newRow("0 leaves it") << 0 << "before";
        QTest::newRow("7 leaves it") << 7 << "before";
    }
    void realChannels()
    {
        QFETCH(int, channels);
        QFETCH(QString, text);
        RealMediaInfo info;
        info.Channels = "before";
        const Bytes file = RmFile({MdprChunk("Audio Stream", "audio/x-pn-realaudio", 44100,
                                             RealAudioHeader(44100, 0, 16, uint16_t(channels)))});
        QVERIFY(GetRealMediaInfo(Write("ch.ra", file), info));
        QCOMPARE(Q(info.Channels), text);
        QCOMPARE(info.AudioKbps, 44);
        QCOMPARE(info.SampleRate, 44100);
        QCOMPARE(info.SampleSize, 16);
        QCOMPARE(info.RealAudioVersion, 5);
    }

    void realKbps_data()
    {
        QTest::addColumn<uint>("bitsPerSecond");
        QTest::addColumn<int>("kbps");
        QTest::newRow("44100") << 44100u << 44;
        QTest::newRow("44500 rounds up") << 44500u << 45;
        QTest::newRow("499 is 0: ignored") << 499u << 0;
        QTest::newRow("500 is 1") << 500u << 1;
        QTest::newRow("20000499 is 20000") << 20000499u << 20000;
        QTest::newRow("20000500 is above") << 20000500u << 0;
        QTest::newRow("4294967295") << 4294967295u << 0;
    }
    void realKbps()
    {
        QFETCH(uint, bitsPerSecond);
        QFETCH(int, kbps);
        QCOMPARE(RealMediaKbps(bitsPerSecond), kbps);
    }

    void realKbpsOutsideTheRangeAreIgnored()
    {
        RealMediaInfo info;
        info.TotalKbps = 7;
        info.AudioKbps = 8;
        const Bytes file = RmFile({PropChunk(20000500), MdprChunk("Audio", "", 300, {})});
        QVERIFY(GetRealMediaInfo(Write("range.rm", file), info));
        QCOMPARE(info.TotalKbps, 7);
        QCOMPARE(info.AudioKbps, 8);
    }

    void realStreamKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("audioKbps");
        QTest::addColumn<int>("videoKbps");
        QTest::newRow("Audio Stream") << "Audio Stream" << 64 << 0;
        QTest::newRow("Video Stream") << "Video Stream" << 0 << 64;
        QTest::newRow("small letters") << "video" << 0 << 64;
        // ffmpeg's names: their first three characters are "The"
        QTest::newRow("The Audio Stream") << "The Audio Stream" << 0 << 0;
        // read whatever the name's length: "AU" plus the MIME type's length byte
        QTest::newRow("short name") << "AU" << 0 << 0;
        QTest::newRow("VID with the length byte") << "VI" << 0 << 0;
    }
    void realStreamKind()
    {
        QFETCH(QString, name);
        QFETCH(int, audioKbps);
        QFETCH(int, videoKbps);
        const RealMediaInfo info = ReadReal(RmFile({MdprChunk(name.toStdString(), "x", 64000, {})}));
        QCOMPARE(info.AudioKbps, audioKbps);
        QCOMPARE(info.VideoKbps, videoKbps);
    }

    void realKindIsReadAcrossAShortName()
    {
        // name "V" (length 1), MIME length byte 'I' (73) ... the kind reads "VI" + 'D' only
        // when the byte after the name is 'I' and the next 'D'.
        const Bytes file = RmFile({MdprChunk("V", "D" + std::string(72, 'x'), 64000,
                                             VidoHeader("RV40", 320, 240, 24, 25))});
        const RealMediaInfo info = ReadReal(file);
        QCOMPARE(info.VideoKbps, 64);
        QVERIFY(info.HasVideo);
        QCOMPARE(Q(info.VideoCodec), QString("RV40"));
    }

    void realVideoHeader()
    {
        const Bytes file = RmFile({PropChunk(364000), MdprChunk("Video Stream", "video/x-pn-realvideo", 300000,
                                                                VidoHeader("RV40", 320, 240, 24, 25))});
        bool ok = false;
        const RealMediaInfo info = ReadReal(file, &ok);
        QVERIFY(ok);
        QVERIFY(info.HasVideo);
        QCOMPARE(Q(info.VideoCodec), QString("RV40"));
        QCOMPARE(info.Width, 320);
        QCOMPARE(info.Height, 240);
        QCOMPARE(info.BitDepth, 24);
        QCOMPARE(info.FrameRate, 25.0F);  // the integer part of 25.5
        QCOMPARE(info.VideoKbps, 300);
        QCOMPARE(info.TotalKbps, 364);
        QCOMPARE(ToList(RealLines(info)), Expected({"RealMedia  364bps", "320x240  25fps  24bit"}));
    }

    void realVideoNeedsVidStreamAndLength_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<uint>("length");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("34") << "Video" << 34u << true;
        QTest::newRow("38") << "Video" << 38u << true;
        QTest::newRow("33") << "Video" << 33u << false;
        QTest::newRow("39") << "Video" << 39u << false;
        QTest::newRow("audio stream") << "Audio" << 34u << false;
        QTest::newRow("The Video Stream") << "The Video Stream" << 34u << false;
    }
    void realVideoNeedsVidStreamAndLength()
    {
        QFETCH(QString, name);
        QFETCH(uint, length);
        QFETCH(bool, decoded);
        const RealMediaInfo info =
            ReadReal(RmFile({MdprChunk(name.toStdString(), "video/x-pn-realvideo", 0, VidoHeader("RV30", 64, 48, 12, 10), length)}));
        QCOMPARE(info.HasVideo, decoded);
        QCOMPARE(Q(RealLines(info)[1]), decoded ? QString("64x48  10fps  12bit") : QString());
    }

    void realVideoLineLeavesOutZeroRateAndDepth()
    {
        const RealMediaInfo info = ReadReal(RmFile({MdprChunk("Video", "", 0, VidoHeader("RV10", 176, 144, 0, 0))}));
        QCOMPARE(ToList(RealLines(info)), Expected({"RealMedia", "176x144"}));
    }

    void realAudioSampleRate_data()
    {
        QTest::addColumn<uint>("rate32");
        QTest::addColumn<uint>("rate16");
        QTest::addColumn<int>("rate");
        QTest::newRow("32-bit at 48") << 44100u << 22050u << 44100;
        QTest::newRow("32-bit 1000") << 1000u << 0u << 1000;
        QTest::newRow("32-bit 100000") << 100000u << 0u << 100000;
        // version 4 headers hold the 16-bit rate at 48: the 32-bit value is out of range
        QTest::newRow("16-bit at 52") << 0x1F400000u << 22050u << 22050;
        QTest::newRow("32-bit 999, 16-bit 8000") << 999u << 8000u << 8000;
        QTest::newRow("32-bit 100001, 16-bit 65535") << 100001u << 65535u << 65535;
        QTest::newRow("both out of range: kept") << 0u << 999u << 11025;
    }
    void realAudioSampleRate()
    {
        QFETCH(uint, rate32);
        QFETCH(uint, rate16);
        QFETCH(int, rate);
        RealMediaInfo info;
        info.SampleRate = 11025;
        const Bytes file = RmFile({MdprChunk("Audio", "", 0, RealAudioHeader(rate32, uint16_t(rate16), 16, 2))});
        QVERIFY(GetRealMediaInfo(Write("rate.ra", file), info));
        QCOMPARE(info.SampleRate, rate);
    }

    void realAudioHeaderInAnyStream()
    {
        // the ".ra" + 0xFD test comes before the stream kind's
        const RealMediaInfo info = ReadReal(RmFile({MdprChunk("Video", "", 0, RealAudioHeader(22050, 0, 8, 1))}));
        QVERIFY(info.HasRealAudio);
        QVERIFY(!info.HasVideo);
        QCOMPARE(ToList(RealLines(info)), Expected({"RealMedia", "RealAudio  22050Hz  8bit"}));
    }

    void realLinesAreConsecutive()
    {
        const Bytes file = RmFile({PropChunk(96000), MdprChunk("Video", "", 64000, VidoHeader("RV20", 64, 48, 24, 10)),
                                   MdprChunk("Audio", "", 32000, RealAudioHeader(44100, 0, 16, 2))});
        const RealMediaInfo info = ReadReal(file);
        QCOMPARE(ToList(RealLines(info)), Expected({"RealMedia  96bps", "64x48  10fps  24bit", "RealAudio  44100Hz  16bit"}));
        // the channels, codec and stream rates are in the record only (Part 2.5 shows none)
        QCOMPARE(Q(info.Channels), QString("Stereo"));
        QCOMPARE(info.AudioKbps, 32);
        QCOMPARE(info.VideoKbps, 64);

        const RealMediaInfo audioOnly = ReadReal(RmFile({MdprChunk("Audio", "", 0, RealAudioHeader(8000, 0, 0, 1))}));
        QCOMPARE(ToList(RealLines(audioOnly)), Expected({"RealMedia", "RealAudio  8000Hz"}));
        QCOMPARE(ToList(RealLines(RealMediaInfo{}, false)), Expected({"RealMedia"}));
    }

    void realChunkSizeBelowEightEndsTheWalk()
    {
        Bytes file = RmFile({PropChunk(96000)});
        file[7] = 7;  // the ".RMF" chunk's size
        const RealMediaInfo info = ReadReal(file);
        QCOMPARE(info.TotalKbps, 0);

        Bytes zero = RmFile({PropChunk(96000)});
        zero[7] = 0;
        QCOMPARE(ReadReal(zero).TotalKbps, 0);
    }

    void realChunksSkipOtherIds()
    {
        const Bytes file = RmFile({RmChunk("CONT", Bytes(30, 'c')), PropChunk(56000)});
        QCOMPARE(ReadReal(file).TotalKbps, 56);
    }

    void realWalkStopsAtTheEndOfTheData()
    {
        // the PROP chunk's size points exactly to the end: the walk ends after it
        const Bytes file = Join({RmFileHeader(), PropChunk(128000)});
        QCOMPARE(ReadReal(file).TotalKbps, 128);
        // a huge size does not wrap around
        Bytes huge = RmFile({PropChunk(128000)});
        huge[4] = 0xFF;
        QCOMPARE(ReadReal(huge).TotalKbps, 0);
    }

    void realStructureBeyondTheDataEndsTheWalk()
    {
        Bytes file = Join({RmFileHeader(), PropChunk(96000),
                           MdprChunk("Audio", "audio/x-pn-realaudio", 32000, RealAudioHeader(44100, 0, 16, 2))});
        file.resize(file.size() - 14);  // the RealAudio header (74 bytes) loses its channel count at 60
        const RealMediaInfo info = ReadReal(file);
        QCOMPARE(info.TotalKbps, 96);
        QCOMPARE(info.AudioKbps, 32);  // read before the cut structure
        QVERIFY(!info.HasRealAudio);
        QCOMPARE(info.SampleRate, 0);
        QCOMPARE(ToList(RealLines(info)), Expected({"RealMedia  96bps"}));

        // cut inside the stream name, the MIME type and the PROP chunk
        for (size_t cut : {size_t(18 + 50 + 30), size_t(18 + 50 + 47), size_t(18 + 12)}) {
            Bytes shorter = file;
            shorter.resize(cut);
            const RealMediaInfo partial = ReadReal(shorter);
            QVERIFY(!partial.HasRealAudio);
        }
    }

    void realWithoutSignatureFails()
    {
        Bytes file = RmFile({PropChunk(96000)});
        file[1] = 'X';
        RealMediaInfo info;
        info.TotalKbps = 3;
        QVERIFY(!GetRealMediaInfo(Write("nosig.rm", file), info));
        QCOMPARE(info.TotalKbps, 3);
        QVERIFY(!GetRealMediaInfo(dir_.filePath("missing.rm").toStdString(), info));
    }

    void realChunkWalkOverBytes()
    {
        RealMediaInfo info;
        ReadRealMediaChunks(ByteBuffer(RmFile({PropChunk(1500)})), info);
        QCOMPARE(info.TotalKbps, 2);
        RealMediaInfo empty;
        ReadRealMediaChunks(ByteBuffer(), empty);
        QCOMPARE(empty.TotalKbps, 0);
    }

    // ==== Golden fixtures =======================================================================

    // Each value checked once by hand against `ffprobe -show_format -show_streams` and
    // `mediainfo` (ffmpeg 5.1, MediaInfo 23.x of Debian 12). Where the spec's rule gives another
    // value than those tools, the row says so.
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("lines");

        // ASF: ffprobe/mediainfo: WMV2 64x48, WMA v2 (tag 0x161) mono 22050 Hz 32000 b/s, and
        // MPEG-4 part 2 (M4S2) + MP3 (tag 0x55). ffmpeg writes AspectRatioX = Y = 1 into a
        // Metadata Object: an aspect of 1 is not used.
        QTest::newRow("wma_wmav2.wma") << "wma_wmav2.wma" << int(mt::Asf)
                                       << Expected({"Microsoft ASF", "", "WMA2   22050Hz", "32kbps  Mono"});
        QTest::newRow("wma_wmav2_header_text_wma.wma") << "wma_wmav2_header_text_wma.wma" << int(mt::Wma)
                                                       << Expected({"Microsoft WMA", "", "WMA2   22050Hz", "32kbps  Mono"});
        QTest::newRow("wmv_wmv2_wmav2.wmv") << "wmv_wmv2_wmav2.wmv" << int(mt::Wmv)
                                            << Expected({"Microsoft WMV", "WMV2  64x48", "WMA2   22050Hz", "32kbps  Mono"});
        QTest::newRow("wmv_wmv2_header_text_wma.wmv")
            << "wmv_wmv2_header_text_wma.wmv" << int(mt::Wmv)
            << Expected({"Microsoft WMV", "WMV2  64x48", "WMA2   22050Hz", "32kbps  Mono"});
        // ffprobe: SAR 10:11, DAR 40:33; mediainfo: DAR 1.212. The pixel aspect (1.1, "NTSC 4:3")
        // is in the record only: Part 2.5's video line has no aspect.
        QTest::newRow("wmv_wmv2_sar_10_11.wmv") << "wmv_wmv2_sar_10_11.wmv" << int(mt::Wmv)
                                                << Expected({"Microsoft WMV", "WMV2  64x48", "WMA2   22050Hz", "32kbps  Mono"});
        QTest::newRow("wmv_wmv2_aspect_ecd_1440_1080.wmv")
            << "wmv_wmv2_aspect_ecd_1440_1080.wmv" << int(mt::Wmv)
            << Expected({"Microsoft WMV", "WMV2  64x48", "WMA2   22050Hz", "32kbps  Mono"});
        QTest::newRow("asf_mpeg4_mp3.asf") << "asf_mpeg4_mp3.asf" << int(mt::Asf)
                                           << Expected({"Microsoft ASF", "M4S2  64x48", "MPEG-1 Layer-3   22050Hz", "32kbps  Mono"});

        // FLV: ffprobe flv1 64x48 + mp3 22050 Hz mono. The FLV sound-rate code says 22 kHz
        // (mediainfo 22.05 kHz), and the sound-size bit says 16 bit for the MP3 stream (ffprobe
        // gives no bit depth for MP3).
        QTest::newRow("flv_flv1_mp3.flv") << "flv_flv1_mp3.flv" << int(mt::Flv)
                                          << Expected({"Flash Video V1", "Sorensen H.263", "MP3  22kHz 16bit Mono"});
        // ffprobe adpcm_swf 11025 Hz stereo with 4 bits per sample; mediainfo ADPCM 11.025 kHz
        // 16 bit. The FLV header codes give 11 kHz and (sound-size bit) 16 bit.
        QTest::newRow("flv_flv1_adpcm_stereo_11k.flv")
            << "flv_flv1_adpcm_stereo_11k.flv" << int(mt::Flv)
            << Expected({"Flash Video V1", "Sorensen H.263", "ADPCM  11kHz 16bit Stereo"});
        // ffprobe h264 64x48 + nellymoser 8000 Hz mono (sound format 5: 8 kHz mono whatever the
        // rate bits say)
        QTest::newRow("flv_h264_nellymoser_8k.flv") << "flv_h264_nellymoser_8k.flv" << int(mt::Flv)
                                                    << Expected({"Flash Video V1", "H.264", "Nellymoser  8kHz 16bit Mono"});
        // no video tag: line 1 stays empty (fixed line positions); ffprobe 44100 Hz, the code says 44
        QTest::newRow("flv_nellymoser_44k_audio_only.flv")
            << "flv_nellymoser_44k_audio_only.flv" << int(mt::Flv)
            << Expected({"Flash Video V1", "", "Nellymoser  44kHz 16bit Mono"});

        // RealMedia: the PROP maximum bit rate is 114000 (mediainfo: 114 kb/s). ffmpeg names its
        // streams "The Video Stream" and "The Audio Stream", so the stream kind read at offset 41
        // is "THE": no video line (ffprobe: RV10/RV20 64x48 10 fps) and no stream bit rates. ffmpeg
        // writes version-4 RealAudio headers (sample rate 16-bit at 48, sample size at 52, channels
        // at 54), but the spec's offsets are those of version 5: the 32-bit value at 48 and the
        // 16-bit value at 52 are out of range, so the rate stays 0 (ffprobe 44100 Hz, 8000 Hz for
        // 14.4), the sample size at 58 reads the bytes "nt" of the codec text "Int0" (28276) and
        // the channel count at 60 (0x3004) is out of range (ffprobe: mono).
        QTest::newRow("real_rv10_ac3.rm") << "real_rv10_ac3.rm" << int(mt::Real)
                                          << Expected({"RealMedia  114bps", "RealAudio  0Hz  28276bit"});
        QTest::newRow("real_rv20_ac3.rmvb") << "real_rv20_ac3.rmvb" << int(mt::Real)
                                            << Expected({"RealMedia  114bps", "RealAudio  0Hz  28276bit"});
        // Crafted RealProducer-style file: streams named "Video Stream" and "Audio Stream" and a
        // version-5 RealAudio header. ffprobe: RV10 64x48 10 fps 50000 b/s + AC-3 (dnet) 44100 Hz
        // 6 channels 192000 b/s; mediainfo: 242 kb/s overall, 16 bit. The bit depth 12 is what the
        // crafted header holds at offset 16 (ffprobe and mediainfo show none for the video).
        QTest::newRow("real_rv10_ac3_6ch_ra5.rm")
            << "real_rv10_ac3_6ch_ra5.rm" << int(mt::Real)
            << Expected({"RealMedia  242bps", "64x48  10fps  12bit", "RealAudio  44100Hz  16bit"});
        QTest::newRow("real_ra144.ra") << "real_ra144.ra" << int(mt::Real)
                                       << Expected({"RealMedia  8bps", "RealAudio  0Hz  28276bit"});
    }
    void fixtures()
    {
        QFETCH(QString, file);
        QFETCH(int, type);
        QFETCH(QStringList, lines);
        const std::string path = kFixtures + file.toStdString();
        QCOMPARE(GetMediaType(path), type);
        InfoLines actual;
        StreamFlags flags;
        switch (type) {
        case mt::Wma:
        case mt::Wmv:
        case mt::Asf: {
            AsfInfo info;
            const bool ok = GetAsfInfo(path, info);
            QVERIFY(ok);
            PutAsfInfoLines(info, ok, type, actual, flags);
            break;
        }
        case mt::Flv: {
            FlvInfo info;
            const bool ok = GetFlvInfo(path, info);
            QVERIFY(ok);
            PutFlvInfoLines(info, ok, actual, flags);
            break;
        }
        case mt::Real: {
            RealMediaInfo info;
            const bool ok = GetRealMediaInfo(path, info);
            QVERIFY(ok);
            PutRealMediaInfoLines(info, ok, actual, flags);
            break;
        }
        default:
            QFAIL("not a type of Part 2.8");
        }
        QCOMPARE(ToList(actual), lines);
        QVERIFY(!flags.SeveralAudioStreams);
        QVERIFY(!flags.MpegProgramWithVideo);
    }

    // Cut and overwritten copies of every fixture of this Part go through the readers and the
    // line composition without a crash or a read outside a buffer (the test build uses ASan).
    void truncatedAndCorruptedFixturesAreHandled()
    {
        const char* const files[] = {"wma_wmav2.wma", "wmv_wmv2_wmav2.wmv", "asf_mpeg4_mp3.asf", "wmv_wmv2_sar_10_11.wmv",
                                     "wmv_wmv2_aspect_ecd_1440_1080.wmv", "flv_flv1_mp3.flv", "flv_h264_nellymoser_8k.flv", "flv_nellymoser_44k_audio_only.flv",
                                     "real_rv10_ac3.rm", "real_rv10_ac3_6ch_ra5.rm", "real_ra144.ra"};
        std::mt19937 random(2008);
        for (const char* name : files) {
            const Bytes original = test::ReadFile(kFixtures + name);
            QVERIFY2(!original.empty(), name);
            for (size_t cut = 0; cut < original.size(); cut += 1 + cut / 8)
                ReadWithEveryReader(Bytes(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(cut)));
            for (int round = 0; round < 40; ++round) {
                Bytes corrupted = original;
                const size_t limit = std::min<size_t>(corrupted.size(), 1024);
                for (int i = 0; i < 16; ++i)
                    corrupted[random() % limit] = static_cast<uint8_t>(random());
                ReadWithEveryReader(corrupted);
            }
        }
    }

    void fixtureRecordsHoldWhatTheLinesDoNotShow()
    {
        AsfInfo asf;
        QVERIFY(GetAsfInfo(kFixtures + "wmv_wmv2_wmav2.wmv", asf));
        QCOMPARE(asf.PixelAspect, 0.0F);  // AspectRatioX = Y = 1
        QCOMPARE(Q(asf.AspectName), QString());
        QCOMPARE(asf.AudioKbps, 32u);

        AsfInfo sar;
        QVERIFY(GetAsfInfo(kFixtures + "wmv_wmv2_sar_10_11.wmv", sar));
        QCOMPARE(sar.PixelAspect, 1.1F);
        QCOMPARE(Q(sar.AspectName), QString("NTSC 4:3"));
        // ffprobe reads the Extended Content Description's 1440:1080 as the sample aspect 4:3;
        // the spec's pixel aspect is its inverse, 1 / (1440 / 1080) = 0.75
        AsfInfo ecd;
        QVERIFY(GetAsfInfo(kFixtures + "wmv_wmv2_aspect_ecd_1440_1080.wmv", ecd));
        QCOMPARE(ecd.PixelAspect, 0.75F);
        QCOMPARE(Q(ecd.AspectName), QString("PAR 4:3"));

        RealMediaInfo ra5;
        QVERIFY(GetRealMediaInfo(kFixtures + "real_rv10_ac3_6ch_ra5.rm", ra5));
        QVERIFY(ra5.HasVideo);
        QCOMPARE(Q(ra5.VideoCodec), QString("RV10"));
        QCOMPARE(ra5.VideoKbps, 50);   // ffprobe 50000
        QCOMPARE(ra5.AudioKbps, 192);  // ffprobe 192000
        QCOMPARE(ra5.RealAudioVersion, 5);
        QCOMPARE(Q(ra5.Channels), QString("6ch."));  // ffprobe 6 channels

        RealMediaInfo real;
        QVERIFY(GetRealMediaInfo(kFixtures + "real_rv10_ac3.rm", real));
        QVERIFY(real.HasRealAudio);
        QCOMPARE(real.RealAudioVersion, 4);
        QCOMPARE(real.AudioKbps, 0);
        QCOMPARE(real.VideoKbps, 0);
        QVERIFY(!real.HasVideo);
    }
};

QTEST_APPLESS_MAIN(TestAsfFlvReal)
#include "tst_part_2_8_asf_flv_real.moc"
