// Media type detection: signature rules over handcrafted bytes (window edges, hostile
// bytes), and the type of real files, where a code may follow from bytes deep inside.
#include "mediainfo/MediaType.h"
#include "support/TestSupport.h"

#include <sys/stat.h>

using namespace vistrel;
using namespace std::string_view_literals;
using Bytes = std::vector<uint8_t>;

class TestMediaType : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::string Write(const char* name, const Bytes& bytes) { return test::WriteIn(dir_, name, bytes); }
    // `size` zero bytes with each text placed at its 0-based offset.
    static Bytes With(size_t size, std::initializer_list<std::pair<size_t, std::string_view>> parts)
    {
        Bytes bytes(size);
        for (const auto& [pos, text] : parts)
            std::copy(text.begin(), text.end(), bytes.begin() + std::ptrdiff_t(pos));
        return bytes;
    }

private slots:
    void signatures_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("expected");
        for (const auto& [text, code] : {std::pair{"MThd", 5}, {".snd", 10}, {"FORM", 11}, {"OggS", 4}, {".RMF", 15},
                                         {"FLV", 18}, {"fLaC", 19}, {"%pdf", 105}, {"mZ", 109}, {"RAR!", 106},
                                         {"PK", 107}, {"pk", 0}, {"7z", 108}, {"7Z", 0}, {"hello", 0}})
            QTest::newRow(text) << With(100, {{0, text}}) << code;
        QTest::newRow("AC-3") << With(100, {{0, "\x0B\x77"}}) << 13;
        for (const char* box : {"moov", "mdat", "pnot", "wide", "ftyp"})
            QTest::newRow(box) << With(100, {{4, box}}) << 12;
        QTest::newRow("matroska deep") << With(1600, {{0, "\x1A\x45\xDF\xA3"}, {1499, "matroska"}}) << 16;
        QTest::newRow("matroska beats RIFF") << With(100, {{0, "RIFF"}, {59, "matroska"}}) << 16;
        const Bytes guid = HexToBytes("3026B2758E66CF11A6D900AA0062CE6C");
        QTest::newRow("ASF, wmv in small letters") << Bytes(test::ByteWriter().Raw(With(100, {{59, "wmv"}})).PlaceAt(0, guid)) << 9;
        QTest::newRow("AVI without hdrl") << With(100, {{0, "RIFF"}, {8, "AVI "}}) << 6;
        QTest::newRow("RIFF form with FF FB") << With(100, {{0, "RIFF"}, {8, "ACON"}, {49, "\xFF\xFB"}}) << 2;
        QTest::newRow("RIFF form with html") << With(100, {{0, "RIFF"}, {8, "ACON"}, {49, "<html>"}}) << 102;
        QTest::newRow("ID3 before html") << With(100, {{0, "ID3"}, {29, "<html>"}}) << 2;
        QTest::newRow("HTML anywhere, any case") << With(100, {{69, "<HtMl>"}}) << 102;
        QTest::newRow("4096 zeros") << With(4096, {}) << 110;
        QTest::newRow("4096 0xFF") << Bytes(4096, 0xFF) << 104;
        QTest::newRow("2047 0xFF, then 0") << With(2048, {{0, std::string(2047, '\xFF')}}) << 2;
        QTest::newRow("sequence header at 254") << With(300, {{0, "x"}, {254, "\0\0\1\xB3"sv}}) << 2;
        QTest::newRow("sequence header at 255") << With(300, {{0, "x"}, {255, "\0\0\1\xB3"sv}}) << 0;
        QTest::newRow("FF E0 deep") << With(600, {{0, "x"}, {499, "\xFF\xE0"}}) << 2;
        QTest::newRow("FF DF is no sync") << With(600, {{0, "x"}, {499, "\xFF\xDF"}}) << 0;
        QTest::newRow("sync after a false FF") << With(100, {{0, "x"}, {9, "\xFF"}, {19, "\xFF\xF3"}}) << 2;
        QTest::newRow("FF as byte 2048") << With(2048, {{0, "x"}, {2047, "\xFF"}}) << 0;
        QTest::newRow("sync past the window") << With(3000, {{0, "x"}, {2499, "\xFF\xFB"}}) << 0;
        // Real files, where a code may follow from bytes deep inside (at the offset noted).
        const std::pair<const char*, int> rows[] = {
            {"wav_pcm16_stereo.wav", 1}, {"mpeg1_ps_mpeg1video_mp2.mpg", 2}, {"mpeg1_video.m1v", 2}, {"avseq01.dat", 2},
            {"mp3_id3v2.mp3", 2}, {"riff_rmp3_with_mp3_frames.mp3", 2}, {"avi_mjpeg_pcm.avi", 3}, {"avi_split_part.avi.001", 3},
            {"rmid_format0.rmi", 5}, {"riff_acon_cursor.ani", 6}, {"wma_wmav2_header_text_wma.wma", 7},
            {"wmv_wmv2_header_text_wma.wmv", 8}, {"wma_wmav2.wma", 9} /* codec names in UTF-16 only */,
            {"mp4_faststart_title_matroska.mp4", 12}, {"mp4_download.mp4.part", 12}, {"webm_vp9_opus.webm", 17},
            {"webp_still.webp", 21}, {"m4v_mpeg4_es.m4v", 2} /* 00 00 01 B3 at 30 */,
            {"m4s_dash_segment.m4s", 2} /* no known box; FF FF at 234 */, {"dts_stereo.dts", 2} /* FF FA at 195 */,
            {"mpegts_mpeg2_mp2.ts", 2} /* FF FF at 45 */, {"m2ts_h264_ac3.mts", 2} /* FF FF at 49 */,
            {"h264_raw.264", 2} /* FF FF at 43 */};
        for (const auto& [file, code] : rows)
            QTest::newRow(file) << test::ReadFile(test::Fixture(file)) << code;
    }
    void signatures()
    {
        QFETCH(Bytes, bytes);
        QFETCH(int, expected);
        QCOMPARE(GetMediaType(Write("sig.bin", bytes)), expected);
        bytes.resize(std::min<size_t>(bytes.size(), 2048));
        QCOMPARE(GetMediaTypeFromWindow(bytes), expected);
    }

    void sizesAndUnreadableFiles()
    {
        QCOMPARE(GetMediaType(Write("31.bin", With(31, {{0, "MThd"}}))), 101);
        QCOMPARE(GetMediaType(Write("32.bin", With(32, {{0, "MThd"}}))), 5);
        QCOMPARE(GetFileSize64(dir_.filePath("missing").toStdString()), int64_t(-1));
        QCOMPARE(GetMediaType(dir_.path().toStdString()), 200);
        QCOMPARE(GetMediaType(""), 200);
    }

    // The size decides 100 before any read, so an empty file needs no read permission.
    // Run without root's rights, where mode 000 refuses reading.
    void emptyFileIsNotOpened()
    {
        QVERIFY(::chmod(dir_.path().toLocal8Bit().constData(), 0777) == 0);
        const std::string empty = Write("locked-empty.bin", {});
        const std::string full = Write("locked-full.bin", With(100, {{0, "MThd"}}));
        QVERIFY(::chmod(empty.c_str(), 0) == 0 && ::chmod(full.c_str(), 0) == 0);
        QCOMPARE(test::RunUnprivileged([&] { return GetMediaType(empty); }), 100);
        QCOMPARE(test::RunUnprivileged([&] { return GetMediaType(full); }), 200);
        QCOMPARE(test::RunUnprivileged([&] { return GetFileSize64(full) == 100 ? 1 : 0; }), 1);
    }
};

QTEST_APPLESS_MAIN(TestMediaType)
#include "tst_media_type.moc"
