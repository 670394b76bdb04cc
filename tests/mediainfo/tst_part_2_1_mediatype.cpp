// Part 2.1: media type detection over handcrafted byte files.
#include "mediainfo/MediaType.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace vistrel;
using Bytes = std::vector<uint8_t>;

Q_DECLARE_METATYPE(Bytes)

namespace {

// `size` zero bytes with `text` placed at 1-based position `pos`.
Bytes Place(Bytes bytes, size_t pos, const Bytes& what)
{
    if (bytes.size() < pos - 1 + what.size())
        bytes.resize(pos - 1 + what.size(), 0);
    std::copy(what.begin(), what.end(), bytes.begin() + static_cast<ptrdiff_t>(pos - 1));
    return bytes;
}
Bytes Place(Bytes bytes, size_t pos, const std::string& text)
{
    return Place(std::move(bytes), pos, test::Bytes(text));
}
using test::Zeros;

}  // namespace

class TestMediaType : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::string Write(const char* name, const Bytes& bytes) { return test::WriteIn(dir_, name, bytes); }

private slots:
    void initTestCase() { InitMpegSyncCodes(); }

    void signatures_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("expected");
        const Bytes z = Zeros(100);
        QTest::newRow("MThd") << Place(z, 1, "MThd") << 5;
        QTest::newRow(".snd") << Place(z, 1, ".snd") << 10;
        QTest::newRow("FORM") << Place(z, 1, "FORM") << 11;
        QTest::newRow("OggS") << Place(z, 1, "OggS") << 4;
        QTest::newRow(".RMF") << Place(z, 1, ".RMF") << 15;
        QTest::newRow("FLV") << Place(z, 1, "FLV") << 18;
        QTest::newRow("fLaC") << Place(z, 1, "fLaC") << 19;
        for (const char* box : {"moov", "mdat", "pnot", "wide", "ftyp"})
            QTest::newRow(box) << Place(z, 5, box) << 12;
        QTest::newRow("ftyp before matroska") << Place(Place(z, 5, "ftyp"), 40, "matroska") << 12;
        QTest::newRow("matroska anywhere") << Place(Place(z, 1, HexToBytes("1A45DFA3")), 1500, "matroska") << 16;
        QTest::newRow("matroska beats RIFF") << Place(Place(z, 1, "RIFF"), 60, "matroska") << 16;
        QTest::newRow("sequence header") << Place(z, 1, HexToBytes("000001B3")) << 2;
        QTest::newRow("pack header") << Place(z, 1, HexToBytes("000001BA")) << 2;
        QTest::newRow("EBML") << Place(z, 1, HexToBytes("1A45DFA3")) << 17;
        const Bytes asf = Place(z, 1, HexToBytes("3026B2758E66CF11A6D900AA0062CE6C"));
        QTest::newRow("ASF plain") << asf << 9;
        QTest::newRow("ASF WMA") << Place(asf, 60, "WMA") << 7;
        QTest::newRow("ASF WMV") << Place(asf, 60, "WMV") << 8;
        QTest::newRow("ASF WMV and WMA") << Place(Place(asf, 60, "WMA"), 80, "WMV") << 8;
        QTest::newRow("ASF wmv small letters") << Place(asf, 60, "wmv") << 9;

        const Bytes riff = Place(z, 1, "RIFF");
        QTest::newRow("RIFF WAVE 100 bytes") << Place(riff, 9, "WAVE") << 1;
        QTest::newRow("RIFF CDXA") << Place(riff, 9, "CDXA") << 2;
        QTest::newRow("RIFF RMID") << Place(riff, 9, "RMID") << 5;
        QTest::newRow("RIFF WEBP") << Place(riff, 9, "WEBP") << 21;
        QTest::newRow("RIFF AVI hdrl") << Place(Place(Place(riff, 9, "AVI "), 13, "LIST"), 21, "hdrl") << 3;
        QTest::newRow("RIFF AVI without hdrl") << Place(riff, 9, "AVI ") << 6;
        QTest::newRow("RIFF other form") << Place(riff, 9, "ACON") << 6;
        QTest::newRow("RIFF other form with FF FB") << Place(Place(riff, 9, "ACON"), 50, HexToBytes("FFFB")) << 2;
        QTest::newRow("RIFF other form with html") << Place(Place(riff, 9, "ACON"), 50, "<html>") << 102;
        QTest::newRow("ID3") << Place(Place(z, 1, "ID3"), 30, "<html>") << 2;

        QTest::newRow("html small") << Place(z, 70, "<html>") << 102;
        QTest::newRow("HTML capitals") << Place(z, 1, "<HTML>") << 102;
        QTest::newRow("%PDF") << Place(z, 1, "%PDF-1.4") << 105;
        QTest::newRow("%pdf") << Place(z, 1, "%pdf") << 105;
        QTest::newRow("MZ") << Place(z, 1, "MZ") << 109;
        QTest::newRow("mz") << Place(z, 1, "mZ") << 109;
        QTest::newRow("Rar!") << Place(z, 1, "Rar!") << 106;
        QTest::newRow("RAR!") << Place(z, 1, "RAR!") << 106;
        QTest::newRow("PK") << Place(z, 1, "PK") << 107;
        QTest::newRow("pk is no ZIP") << Place(z, 1, "pk") << 0;
        QTest::newRow("7z") << Place(z, 1, "7z") << 108;
        QTest::newRow("7Z is no 7-Zip") << Place(z, 1, "7Z") << 0;
        QTest::newRow("AC-3") << Place(z, 1, HexToBytes("0B77")) << 13;
        QTest::newRow("4096 zeros") << Zeros(4096) << 110;
        QTest::newRow("4096 0xFF") << Bytes(4096, 0xFF) << 104;
        QTest::newRow("100 bytes 0xFF is a frame sync") << Bytes(100, 0xFF) << 2;
        QTest::newRow("2047 0xFF then zero") << Place(Bytes(2047, 0xFF), 2048, Zeros(1)) << 2;

        QTest::newRow("sequence header at 255") << Place(Place(z, 1, "x"), 255, HexToBytes("000001B3")) << 2;
        QTest::newRow("sequence header at 256") << Place(Place(z, 1, "x"), 256, HexToBytes("000001B3")) << 0;
        QTest::newRow("frame sync FF E0") << Place(Place(z, 1, "x"), 500, HexToBytes("FFE0")) << 2;
        QTest::newRow("FF DF is no sync") << Place(Place(z, 1, "x"), 500, HexToBytes("FFDF")) << 0;
        QTest::newRow("sync after a false FF") << Place(Place(Place(z, 1, "x"), 10, HexToBytes("FF00")), 20, HexToBytes("FFF3")) << 2;
        QTest::newRow("last byte FF of 2048") << Place(Place(Zeros(2048), 1, "x"), 2048, HexToBytes("FF")) << 0;
        QTest::newRow("sync beyond the window") << Place(Place(Zeros(3000), 1, "x"), 2500, HexToBytes("FFFB")) << 0;
        QTest::newRow("nothing") << Place(z, 1, "hello") << 0;
    }
    void signatures()
    {
        QFETCH(Bytes, bytes);
        QFETCH(int, expected);
        QCOMPARE(GetMediaType(Write("sig.bin", bytes)), expected);
        QCOMPARE(GetMediaTypeFromWindow(Bytes(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 2048))), expected);
    }

    void sizes()
    {
        QCOMPARE(GetMediaType(Write("empty.bin", {})), 100);
        QCOMPARE(GetMediaType(Write("31.bin", Place(Zeros(31), 1, "MThd"))), 101);
        QCOMPARE(GetMediaType(Write("32.bin", Place(Zeros(32), 1, "MThd"))), 5);
        QCOMPARE(GetMediaType(Write("32zero.bin", Zeros(32))), 110);
        QCOMPARE(GetFileSize64(Write("size.bin", Zeros(1234))), int64_t(1234));
        QCOMPARE(GetFileSize64(dir_.filePath("missing").toStdString()), int64_t(-1));
    }

    // An empty file gives 100 without being opened for reading: even a file that
    // cannot be read is typed 100 (run without root's rights, so mode 000 refuses reading).
    void emptyFileIsNotOpened()
    {
        QVERIFY(::chmod(dir_.path().toLocal8Bit().constData(), 0777) == 0);
        const std::string empty = Write("locked-empty.bin", {});
        const std::string full = Write("locked-full.bin", Place(Zeros(100), 1, "MThd"));
        QVERIFY(::chmod(empty.c_str(), 0) == 0 && ::chmod(full.c_str(), 0) == 0);
        QCOMPARE(test::RunUnprivileged([&] { return GetMediaType(empty); }), 100);
        QCOMPARE(test::RunUnprivileged([&] { return GetMediaType(full); }), 200);
        QCOMPARE(test::RunUnprivileged([&] { return GetFileSize64(full) == 100 ? 1 : 0; }), 1);
    }

    // Linux has no share modes, so "held open without sharing" cannot happen; the
    // unreadable cases that exist here all give 200.
    void unreadableGives200()
    {
        QCOMPARE(GetMediaType(dir_.filePath("missing.bin").toStdString()), 200);
        QCOMPARE(GetMediaType(dir_.path().toStdString()), 200);
        QCOMPARE(GetMediaType(""), 200);
    }

    void typeNames()
    {
        const std::map<int, std::string> names{
            {0, "NO_MM"}, {1, "WAV"}, {2, "MPEG"}, {3, "AVI"}, {4, "Ogg Vorbis"}, {5, "MIDI"},
            {6, "RIFF"}, {7, "WMA"}, {8, "WMV"}, {9, "ASF"}, {10, "Sun AU"}, {12, "MOV"},
            {13, "AC3"}, {14, "DTS"}, {15, "Real"}, {16, "matroska"}, {19, "FLAC"},
            {100, "ZERO SIZE"}, {102, "HTML"}};
        for (int code = -1; code <= 300; ++code) {
            const auto it = names.find(code);
            QCOMPARE(GetMediaTypeName(code), it == names.end() ? std::string{} : it->second);
        }
    }

    void hexToBytes()
    {
        QCOMPARE(HexToBytes("0B77"), (Bytes{0x0B, 0x77}));
        QCOMPARE(HexToBytes("ff00aB"), (Bytes{0xFF, 0x00, 0xAB}));
        QCOMPARE(HexToBytes(""), Bytes{});
    }

    void isAllZero()
    {
        QVERIFY(IsAllZero(Zeros(10)));
        QVERIFY(IsAllZero({}));
        QVERIFY(!IsAllZero(Place(Zeros(10), 10, Bytes{1})));
    }

    void mpegSyncCodes()
    {
        InitMpegSyncCodes();
        const MpegSyncCodes& c = MpegSync();
        QCOMPARE(c.Prefix, (Bytes{0, 0, 1}));
        QCOMPARE(c.PackHeader, (Bytes{0, 0, 1, 0xBA}));
        QCOMPARE(c.SequenceHeader, (Bytes{0, 0, 1, 0xB3}));
        QCOMPARE(c.GroupOfPictures, (Bytes{0, 0, 1, 0xB8}));
        QCOMPARE(c.Extension, (Bytes{0, 0, 1, 0xB5}));
        QCOMPARE(c.PrivateStream1, (Bytes{0, 0, 1, 0xBD}));
        QCOMPARE(c.VideoStreams.size(), size_t(8));
        QCOMPARE(c.VideoStreams[7], (Bytes{0, 0, 1, 0xE7}));
        QCOMPARE(c.AudioStreams.size(), size_t(8));
        QCOMPARE(c.AudioStreams[0], (Bytes{0, 0, 1, 0xC0}));
    }
};

QTEST_APPLESS_MAIN(TestMediaType)
#include "tst_part_2_1_mediatype.moc"
