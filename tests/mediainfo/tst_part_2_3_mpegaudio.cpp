// Part 2.3: MPEG audio info. Header decoding, Xing/VBRI averages, the frame search with its
// ID3v2 rule and the three display lines, over bytes built here and over the MPEG audio
// fixtures of tests/fixtures/media.
#include "mediainfo/MediaType.h"
#include "mediainfo/MpegAudioInfo.h"
#include "mediainfo/MpegStreamInfo.h"
#include "support/TestSupport.h"
#include "support/File64.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace vistrel;
using Bytes = std::vector<uint8_t>;

namespace {

const std::string kMediaDir = VISTREL_FIXTURES_DIR "/media/";

MpegAudioHeader Header(const char* hex)
{
    const Bytes b = HexToBytes(hex);
    return {b.at(0), b.at(1), b.at(2), b.at(3)};
}

Bytes BigEndian32(uint32_t v)
{
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

using test::Cat;

using test::Zeros;

// A Xing header: "Xing", flags, frames at +8, bytes at +12.
Bytes Xing(uint32_t frames, uint32_t bytes)
{
    return Cat({test::Bytes("Xing"), HexToBytes("0000000F"), BigEndian32(frames), BigEndian32(bytes)});
}

// A VBRI header: "VBRI", version, delay, quality, bytes at +10, frames at +14.
Bytes Vbri(uint32_t bytes, uint32_t frames)
{
    return Cat({test::Bytes("VBRI"), HexToBytes("000104B20050"), BigEndian32(bytes), BigEndian32(frames)});
}

// An ID3v2 header whose size field holds `size` in 7-bit groups.
Bytes Id3Header(uint32_t size)
{
    return Cat({test::Bytes("ID3"), HexToBytes("030000"),
                {uint8_t(size >> 21 & 127), uint8_t(size >> 14 & 127), uint8_t(size >> 7 & 127), uint8_t(size & 127)}});
}

// Part 2.3's frame search over a file, as the stream reader runs it.
std::optional<MpegAudioInfo> ReadAudioFile(const std::string& path)
{
    File64 file;
    if (!file.OpenFile(path, true))
        return std::nullopt;
    MpegAudioInfo info;
    const bool ok = ReadMpegAudioFile(file, ReadFileBlock(file, GetFileSize64(path), 0, kMpegReadBufferBytes), info);
    file.CloseFile();
    return ok ? std::optional(info) : std::nullopt;
}

QStringList ToList(const std::array<std::string, 3>& lines)
{
    QStringList list;
    for (const std::string& line : lines)
        list << QString::fromStdString(line);
    return list;
}

}  // namespace

class TestMpegAudio : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::string Write(const char* name, const Bytes& bytes) { return test::WriteIn(dir_, name, bytes); }

private slots:
    void initTestCase() { InitMpegSyncCodes(); }

    // ---- ReadBigEndian32 ----
    void readBigEndian32()
    {
        QCOMPARE(ReadBigEndian32(HexToBytes("000003E8")), 1000u);
        QCOMPARE(ReadBigEndian32(HexToBytes("FFFFFFFE")), 0xFFFFFFFEu);
        QCOMPARE(ReadBigEndian32(HexToBytes("0003E8")), 0u);      // 3 bytes
        QCOMPARE(ReadBigEndian32(HexToBytes("000003E800")), 0u);  // 5 bytes
        QCOMPARE(ReadBigEndian32({}), 0u);
    }

    // ---- Edge case: FF FB 90 64 ----
    void headerFFFB9064()
    {
        MpegAudioInfo info;
        QVERIFY(ParseMpegAudioHeader(info, {}, Header("FFFB9064")));
        QVERIFY(info.Valid);
        QCOMPARE(info.Version, 1.0f);
        QCOMPARE(info.Layer, 3);
        QCOMPARE(info.BitRate, 128);
        QCOMPARE(info.SampleRate, 44100);
        QCOMPARE(info.ChannelMode, std::string("Joint Stereo"));
        QCOMPARE(info.RateMode, std::string("CBR "));
    }

    // ---- The tables, header by header ----
    void tables_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<float>("version");
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("bitRate");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<QString>("channels");
        QTest::addColumn<QString>("rateMode");
        // Edge case: version bits 01 decode as version 2.5 (its own layer 3 table: 12, 20).
        // The spec's table, not ISO's: real MPEG-2.5 files carry the bits 00 and are rejected.
        QTest::newRow("v2.5 L3 index 2") << "FFEB2000" << 2.5f << 3 << 12 << 11025 << "Stereo" << "CBR ";
        QTest::newRow("v2.5 L3 index 3") << "FFEB3440" << 2.5f << 3 << 20 << 12000 << "Joint Stereo" << "CBR ";
        QTest::newRow("v2.5 L3 index 14") << "FFEBE880" << 2.5f << 3 << 160 << 8000 << "Dual Channel" << "CBR ";
        // version 2.5 with layer 1 or 2 has no table: bit rate 0
        QTest::newRow("v2.5 L2") << "FFED90C0" << 2.5f << 2 << 0 << 11025 << "Mono" << "";
        QTest::newRow("v2.5 L1") << "FFEF90C0" << 2.5f << 1 << 0 << 11025 << "Mono" << "";
        // Edge case: a version 2 header with sample-rate index 2 gives 16000 Hz
        QTest::newRow("v2 L3 sr index 2") << "FFF39848" << 2.0f << 3 << 80 << 16000 << "Joint Stereo" << "CBR ";
        QTest::newRow("v2 L2 index 14") << "FFF5E400" << 2.0f << 2 << 160 << 24000 << "Stereo" << "";
        QTest::newRow("v2 L1 index 14") << "FFF7E000" << 2.0f << 1 << 256 << 22050 << "Stereo" << "";
        QTest::newRow("v1 L1 index 14") << "FFFFE400" << 1.0f << 1 << 448 << 48000 << "Stereo" << "";
        QTest::newRow("v1 L2 index 14") << "FFFDE800" << 1.0f << 2 << 384 << 32000 << "Stereo" << "";
        QTest::newRow("v1 L3 index 14") << "FFFBE0C0" << 1.0f << 3 << 320 << 44100 << "Mono" << "CBR ";
        QTest::newRow("v1 L3 index 1") << "FFFB1000" << 1.0f << 3 << 32 << 44100 << "Stereo" << "CBR ";
        // bit-rate index 0 (free format) leaves the bit rate at 0
        QTest::newRow("free format") << "FFFB0000" << 1.0f << 3 << 0 << 44100 << "Stereo" << "CBR ";
        // the protection bit (bit 0 of byte 2) does not matter
        QTest::newRow("protected") << "FFFA9064" << 1.0f << 3 << 128 << 44100 << "Joint Stereo" << "CBR ";
    }
    void tables()
    {
        QFETCH(QString, header);
        MpegAudioInfo info;
        QVERIFY(ParseMpegAudioHeader(info, {}, Header(header.toLatin1().constData())));
        QTEST(info.Version, "version");
        QTEST(info.Layer, "layer");
        QTEST(info.BitRate, "bitRate");
        QTEST(info.SampleRate, "sampleRate");
        QTEST(QString::fromStdString(info.ChannelMode), "channels");
        QTEST(QString::fromStdString(info.RateMode), "rateMode");
    }

    // ---- Edge cases: rejected headers; the fields decoded before keep their values ----
    void rejected()
    {
        MpegAudioInfo info;
        QVERIFY(!ParseMpegAudioHeader(info, {}, Header("FFE39064")));  // version bits 00
        QVERIFY(!info.Valid);
        QCOMPARE(info.Version, 0.0f);

        info = {};
        QVERIFY(!ParseMpegAudioHeader(info, {}, Header("FFF99064")));  // layer bits 00
        QCOMPARE(info.Version, 1.0f);
        QCOMPARE(info.Layer, 0);

        info = {};
        QVERIFY(!ParseMpegAudioHeader(info, {}, Header("FFFBF064")));  // bit-rate index 15
        QVERIFY(!info.Valid);
        QCOMPARE(info.Layer, 3);
        QCOMPARE(info.BitRate, 0);

        info = {};
        QVERIFY(!ParseMpegAudioHeader(info, {}, Header("FFFB9C64")));  // sample-rate index 3
        QCOMPARE(info.BitRate, 128);
        QCOMPARE(info.SampleRate, 0);

        // a VBR header with 0 frames
        info = {};
        QVERIFY(!ParseMpegAudioHeader(info, Xing(0, 417959), Header("FFFB9064")));
        QVERIFY(!info.Valid);
        QCOMPARE(info.SampleRate, 44100);
        QCOMPARE(info.ChannelMode, std::string());

        // a valid record parsed again with a bad header is no longer valid
        QVERIFY(ParseMpegAudioHeader(info, {}, Header("FFFB9064")));
        QVERIFY(!ParseMpegAudioHeader(info, {}, Header("FFFBF064")));
        QVERIFY(!info.Valid);
    }

    // ---- Edge case: Xing 1000 frames, 417,959 bytes, 44100 Hz: 128 kbit/s, "VBR " ----
    void xingAverage()
    {
        MpegAudioInfo info;
        const Bytes buffer = Cat({HexToBytes("FFFB9064"), Zeros(32), Xing(1000, 417959), Zeros(100)});
        QVERIFY(ParseMpegAudioHeader(info, buffer, Header("FFFB9064")));
        QCOMPARE(info.BitRate, 128);
        QCOMPARE(info.RateMode, std::string("VBR "));
        QCOMPARE(ToList(MpegAudioLines(info)),
                 QStringList({"MPEG-1 Audio Stream", "Layer-3  128kbps VBR ", "44100Hz  Joint Stereo"}));
    }

    void vbriAverage()
    {
        // bytes at +10, frames at +14: 3879 bytes / 21 frames x 44100 / 144 / 1000 = 56.57 -> 57
        MpegAudioInfo info;
        QVERIFY(ParseMpegAudioHeader(info, Cat({Zeros(36), Vbri(3879, 21)}), Header("FFFB9064")));
        QCOMPARE(info.BitRate, 57);
        QCOMPARE(info.RateMode, std::string("VBR "));
    }

    void xingBeforeVbri()
    {
        // both present: the Xing counts, wherever it lies in the search buffer
        MpegAudioInfo info;
        QVERIFY(ParseMpegAudioHeader(info, Cat({Vbri(3879, 21), Zeros(50), Xing(1000, 417959)}), Header("FFFB9064")));
        QCOMPARE(info.BitRate, 128);
    }

    void averageRoundsHalfUp()
    {
        // 771 bytes / 2 frames x 48000 / 144 / 1000 = 128.5 exactly -> 129; 769 -> 128.1666 -> 128
        MpegAudioInfo info;
        QVERIFY(ParseMpegAudioHeader(info, Xing(2, 771), Header("FFFB9400")));
        QCOMPARE(info.SampleRate, 48000);
        QCOMPARE(info.BitRate, 129);
        QVERIFY(ParseMpegAudioHeader(info, Xing(2, 769), Header("FFFB9400")));
        QCOMPARE(info.BitRate, 128);
        // the factor 144 for every version: MPEG-2, 22050 Hz, 1000 frames, 200,000 bytes
        // -> 200 x 22050 / 144000 = 30.625 -> 31
        QVERIFY(ParseMpegAudioHeader(info, Xing(1000, 200000), Header("FFF39064")));
        QCOMPARE(info.BitRate, 31);
    }

    void vbrHeaderCutByBufferEnd()
    {
        // the frame count would lie past the buffer: it reads as 0, which ends with False
        MpegAudioInfo info;
        QVERIFY(!ParseMpegAudioHeader(info, Cat({Zeros(10), test::Bytes("Xing"), Zeros(4)}), Header("FFFB9064")));
        // the byte count past the end reads 0: average 0 kbit/s, still "VBR "
        QVERIFY(ParseMpegAudioHeader(info, Cat({test::Bytes("Xing"), Zeros(4), BigEndian32(10)}), Header("FFFB9064")));
        QCOMPARE(info.BitRate, 0);
        QCOMPARE(info.RateMode, std::string("VBR "));
    }

    // ---- Edge case: a Layer 2 file never shows "VBR " or "CBR " ----
    void layer2HasNoRateMode()
    {
        MpegAudioInfo info;
        QVERIFY(ParseMpegAudioHeader(info, Xing(1000, 417959), Header("FFFD8004")));
        QCOMPARE(info.BitRate, 128);  // the Xing header is not looked at
        QCOMPARE(info.RateMode, std::string());
        QCOMPARE(ToList(MpegAudioLines(info)), QStringList({"MPEG-1 Audio Stream", "Layer-2  128kbps ", "44100Hz  Stereo"}));
    }

    // ---- Display lines ----
    void displayLines_data()
    {
        QTest::addColumn<QString>("header");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("streamLine");
        // The spec's example: two blanks after the layer, "kbps " and "CBR " with trailing blanks
        QTest::newRow("mp3 128 joint") << "FFFB9064" << QStringList{"MPEG-1 Audio Stream", "Layer-3  128kbps CBR ", "44100Hz  Joint Stereo"}
                                       << "Layer-3  128kbps  44100Hz  Joint Stereo";
        QTest::newRow("version 2.5") << "FFEB2080" << QStringList{"MPEG-2.5 Audio Stream", "Layer-3  12kbps CBR ", "11025Hz  Dual Channel"}
                                     << "Layer-3  12kbps  11025Hz  Dual Channel";
        // bit rate 0: "Layer-" + layer, two blanks and the rate mode when there is one
        QTest::newRow("free format L3") << "FFFB0000" << QStringList{"MPEG-1 Audio Stream", "Layer-3  CBR ", "44100Hz  Stereo"}
                                        << "Layer-3  44100Hz  Stereo";
        QTest::newRow("v2.5 L1 no table") << "FFEF90C0" << QStringList{"MPEG-2.5 Audio Stream", "Layer-1", "11025Hz  Mono"}
                                          << "Layer-1  11025Hz  Mono";
        QTest::newRow("mp2 mono") << "FFFD40C4" << QStringList{"MPEG-1 Audio Stream", "Layer-2  64kbps ", "44100Hz  Mono"}
                                  << "Layer-2  64kbps  44100Hz  Mono";
    }
    void displayLines()
    {
        QFETCH(QString, header);
        MpegAudioInfo info;
        QVERIFY(ParseMpegAudioHeader(info, {}, Header(header.toLatin1().constData())));
        QTEST(ToList(MpegAudioLines(info)), "lines");
        QTEST(QString::fromStdString(MpegAudioStreamLine(info)), "streamLine");
    }

    // ---- The frame search ----
    void frameSearch()
    {
        // the first 0xFF whose next byte has its top three bits set; no second frame examined
        const Bytes bytes = HexToBytes("00FF00FFDF12FFE0FFFB9064");
        QCOMPARE(FindMpegAudioFrame(bytes, false), size_t{6});  // FF E0 (layer bits 00)
        QCOMPARE(FindMpegAudioFrame(bytes, true), size_t{8});   // FF FB
        QCOMPARE(FindMpegAudioFrame(HexToBytes("0000FF"), false), kNotFound);
        QCOMPARE(FindMpegAudioFrame(bytes, false, 7), size_t{8});
        QCOMPARE(FindMpegAudioFrame(bytes, false, 0, 6), kNotFound);
        // a header cut by the end of the buffer is not decoded
        QVERIFY(!HeaderAt(HexToBytes("0000FFFB90"), 2));
        QVERIFY(HeaderAt(HexToBytes("0000FFFB9064"), 2));
    }

    void firstCandidateOnly()
    {
        // FF E0 is the first candidate; it fails (layer 00), and the file gets no audio
        const auto info = ReadAudioFile(Write("first.mp3", Cat({HexToBytes("FFE01234"), HexToBytes("FFFB9064"), Zeros(100)})));
        QVERIFY(!info);
    }

    void headerAtBufferEnd()
    {
        QVERIFY(!ReadAudioFile(Write("cut.mp3", Cat({Zeros(40), HexToBytes("FFFB90")}))));
    }

    void id3v2TagSize()
    {
        QCOMPARE(Id3v2TagSize(Id3Header(2000000)).value_or(-1), 2000000);
        QVERIFY(!Id3v2TagSize(test::Bytes("ID2xxxxxxx")));
        // the top bit of each size byte is not masked
        QCOMPARE(Id3v2TagSize(Cat({test::Bytes("ID3"), HexToBytes("0300"), HexToBytes("0080808081")})).value_or(-1),
                 (int64_t{0x80} << 21) + (int64_t{0x80} << 14) + (0x80 << 7) + 0x81);
    }

    // ---- Edge case: after an ID3v2 tag, FF F5 (layer bits 10) is no frame start, FF FB is ----
    void afterId3OnlyLayer3()
    {
        const Bytes tag = Cat({Id3Header(100), Zeros(100)});
        const Bytes audio = Cat({HexToBytes("FFF544C4"), Zeros(20), HexToBytes("FFFB9064"), Zeros(400)});
        const auto info = ReadAudioFile(Write("id3.mp3", Cat({tag, audio})));
        QVERIFY(info);
        QCOMPARE(info->Layer, 3);
        QCOMPARE(info->BitRate, 128);
        // without the tag the FF F5 pair is the first candidate (MPEG-2 layer 2)
        const auto bare = ReadAudioFile(Write("bare.mp2", audio));
        QVERIFY(bare);
        QCOMPARE(bare->Layer, 2);
        QCOMPARE(bare->Version, 2.0f);
    }

    // ---- The refill overwrites the buffer from its start; bytes past it keep their content ----
    void id3RefillKeepsOldBytes()
    {
        // 10 + 60 tag bytes, then 20 bytes without a frame. The refill reads those 20 bytes
        // into positions 0-19; the frame of the tag's own bytes (file offset 40) is still
        // at position 40 of the buffer and is found there.
        Bytes tag = Cat({Id3Header(60), Zeros(60)});
        const Bytes frame = HexToBytes("FFFB9064");
        std::copy(frame.begin(), frame.end(), tag.begin() + 40);
        const auto info = ReadAudioFile(Write("stale.mp3", Cat({tag, Zeros(20)})));
        QVERIFY(info);
        QCOMPARE(info->BitRate, 128);
    }

    // ---- Edge case: an ID3v2 tag of 2,000,000 bytes (larger than the buffer): no audio ----
    void id3LargerThanBuffer()
    {
        // 1,100,000 bytes: the buffer holds 1,024,000; a frame follows the tag header
        Bytes bytes = Cat({Id3Header(2000000), HexToBytes("FFFB9064")});
        bytes.resize(1100000, 0);
        const std::string path = Write("bigtag.mp3", bytes);
        QVERIFY(!ReadAudioFile(path));
        // so the file gets no audio lines, only the "unknown" of a file with nothing found
        MpegInfo info;
        const bool ok = GetMpegInfo(path, info);
        QVERIFY(!ok);
        InfoLines lines;
        StreamFlags flags;
        PutMpegInfoLines(info, ok, lines, flags);
        QCOMPARE(lines, (InfoLines{"", "unknown", "", "", "", "", "", ""}));
    }

    void id3TagFitsTheBuffer()
    {
        // a tag of 1,000,000 bytes in the same file: the refill starts at 1,000,010
        Bytes bytes = Cat({Id3Header(1000000), Zeros(1000000), HexToBytes("FFFB9064")});
        bytes.resize(1100000, 0);
        const auto info = ReadAudioFile(Write("tag1m.mp3", bytes));
        QVERIFY(info);
        QCOMPARE(info->BitRate, 128);
    }

    // ---- Golden: the MPEG audio fixtures through Part 2.3's frame search ----
    // Checked by hand against ffprobe 5.1 and mediainfo 23.x (sample rate, channels, bit rate,
    // codec): they agree except where the comment says why the spec's rule differs.
    void fixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<float>("version");
        QTest::addColumn<int>("layer");
        QTest::addColumn<int>("bitRate");
        QTest::addColumn<QString>("rateMode");
        QTest::addColumn<int>("sampleRate");
        QTest::addColumn<QString>("channels");
        // FF FB 90 44: both tools say 128 kbit/s CBR, 2 channels (the header's mode is joint stereo)
        QTest::newRow("mp3_cbr_128k") << "mp3_cbr_128k.mp3" << 1.0f << 3 << 128 << "CBR " << 44100 << "Joint Stereo";
        // Xing: 3670 bytes / 21 frames -> 53.52 -> 54; ffprobe 53.5 kbit/s, mediainfo 50.5
        // (mediainfo leaves the Xing frame out of its average)
        QTest::newRow("mp3_vbr_xing") << "mp3_vbr_xing.mp3" << 1.0f << 3 << 54 << "VBR " << 44100 << "Stereo";
        // VBRI: 3879 bytes / 21 frames -> 56.57 -> 57; ffprobe 56.6 kbit/s, mediainfo 56.0
        QTest::newRow("mp3_vbr_vbri") << "mp3_vbr_vbri.mp3" << 1.0f << 3 << 57 << "VBR " << 44100 << "Joint Stereo";
        // the frame after the 66-byte ID3v2 tag; ffprobe's overall 68 kbit/s counts the tag
        QTest::newRow("mp3_id3v2") << "mp3_id3v2.mp3" << 1.0f << 3 << 64 << "CBR " << 44100 << "Mono";
        QTest::newRow("mp2_layer2") << "mp2_layer2.mp2" << 1.0f << 2 << 128 << "" << 44100 << "Stereo";
        QTest::newRow("mpa_mp2") << "mpa_mp2.mpa" << 1.0f << 2 << 64 << "" << 44100 << "Mono";
        QTest::newRow("m1a_mp2") << "m1a_mp2.m1a" << 1.0f << 2 << 64 << "" << 44100 << "Mono";
        QTest::newRow("m2a_mp2_lsf") << "m2a_mp2_lsf.m2a" << 2.0f << 2 << 32 << "" << 24000 << "Mono";
        QTest::newRow("mp1_layer1") << "mp1_layer1.mp1" << 1.0f << 1 << 128 << "" << 48000 << "Stereo";
        QTest::newRow("mpga_mp3") << "mpga_mp3.mpga" << 2.0f << 3 << 32 << "CBR " << 22050 << "Mono";
        // RIFF "RMP3": the frame search skips the RIFF header (FF FB at offset 20)
        QTest::newRow("riff_rmp3") << "riff_rmp3_with_mp3_frames.mp3" << 1.0f << 3 << 128 << "CBR " << 44100 << "Joint Stereo";
    }
    void fixtures()
    {
        QFETCH(QString, file);
        const auto info = ReadAudioFile(kMediaDir + file.toStdString());
        QVERIFY(info);
        QTEST(info->Version, "version");
        QTEST(info->Layer, "layer");
        QTEST(info->BitRate, "bitRate");
        QTEST(QString::fromStdString(info->RateMode), "rateMode");
        QTEST(info->SampleRate, "sampleRate");
        QTEST(QString::fromStdString(info->ChannelMode), "channels");
    }

    void adtsIsNoMpegAudio()
    {
        // ADTS (AAC) sync FF F1 has layer bits 00: rejected, no audio (both tools say AAC)
        QVERIFY(!ReadAudioFile(kMediaDir + "aac_adts.aac"));
    }
};

QTEST_APPLESS_MAIN(TestMpegAudio)
#include "tst_part_2_3_mpegaudio.moc"
