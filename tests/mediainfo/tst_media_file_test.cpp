// The media file test every title passes before it plays (refusals, the dark-red mark, the
// branch to the readers, the read test) and the fitting of its lines into the label column.
#include "mediainfo/FormatInfoDisplay.h"
#include "mediainfo/MediaFileTest.h"
#include "support/TestSupport.h"

#include <sys/stat.h>

using namespace vistrel;
using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(vistrel::InfoLines)

class TestMediaFileTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    MediaFileTestResult Test(const std::string& name, const Bytes& bytes)
    {
        const std::string path = test::WriteIn(dir_, name, bytes);
        return TestMediaFile(path, UpperExtension(path));
    }
    static Bytes Fixture(const char* name) { return test::ReadFile(test::Fixture(name)); }

private slots:
    // Refused files: not played, no lines, the bare name and the refusal text; an unreadable
    // file (200) is refused without a text.
    void refusals()
    {
        const std::tuple<const char*, int, const char*> rows[] = {
            {"decoy_empty_song.mp3", 100, "Size is 0 Bytes"}, {"decoy_20_bytes.mp3", 101, "isn't a valid media file"},
            {"decoy_31_bytes.wav", 101, "isn't a valid media file"}, {"decoy_all_ff_4096.mp3", 104, "isn't a valid media file"},
            {"decoy_html_upper_as_song.mp3", 102, "appears to be a HTML file"}, {"decoy_rar.rar", 106, "appears to be a RAR file"},
            {"decoy_pdf.pdf", 105, "appears to be a PDF file"}, {"decoy_zip_as_clip.avi", 107, "appears to be a ZIP file"},
            {"decoy_7z_as_movie.mkv", 108, "appears to be a 7-Zip file"}, {"decoy_all_zero_4096.avi", 110, "is all zero"},
            {"decoy_mz_exe_as_video.wmv", 109, "appears to be an EXE file"}, {"missing.mp3", 200, ""}};
        for (const auto& [file, code, message] : rows) {
            const MediaFileTestResult r = TestMediaFile(test::Fixture(file), UpperExtension(file));
            QVERIFY2(!r.Play && !r.Label0Mismatch && r.Lines == InfoLines{} && r.Detected == code, file);
            QCOMPARE(r.Refusal, *message ? file + std::string("\r\n") + message : "");
        }
    }

    // The dark-red mark on label 0: the extension promises another type (.tmp and .snd any).
    void mismatchMark()
    {
        const Bytes mp3 = Fixture("mp3_cbr_128k.mp3"), text(64, 'a');
        const std::tuple<const char*, Bytes, bool> rows[] = {
            {"track.wav", mp3, true}, {"track.mp3", mp3, false}, {"copy.tmp", mp3, false}, {"copy.TMP", mp3, false},
            {"sound.snd", mp3, false}, {"sound.au", mp3, true}, {"notes.xyz", text, false}, {"notes.mp3", text, true}};
        for (const auto& [name, bytes, mismatch] : rows)
            QVERIFY2(Test(name, bytes).Label0Mismatch == mismatch, name);
    }

    // The branch to the reader of the detected type, whatever the extension says, and the
    // stream flags it reports (1: several audio streams, 2: program stream with video).
    void branch()
    {
        const std::tuple<const char*, Bytes, int, InfoLines, int> rows[] = {
            {"track.wav", Fixture("mp3_cbr_128k.mp3"), 2,
             test::Lines({"MPEG-1 Audio Stream", "Layer-3  128kbps CBR ", "44100Hz  Joint Stereo"}), 0},
            {"notes.xyz", Bytes(64, 'a'), 0, test::Lines({"", "unknown"}), 0},
            {"a.mkv", Fixture("mkv_h264_vorbis.mkv"), 16, test::Lines({"matroska"}), 0},
            {"a.webm", Fixture("webm_vp9_opus.webm"), 17, test::Lines({"webm"}), 0},
            {"a.avi", Fixture("avi_mpeg4_two_audio.avi"), 3,
             test::Lines({"RIFF AVI", "FMP4  64x48  10fps", "MPEG-1 Layer-3  22050Hz  Mono", "PCM  8000Hz  16bit  Mono"}), 1},
            {"a.vob", Fixture("mpeg2_ps_dvd_ac3x2.vob"), 2,
             test::Lines({"MPEG-2 System", "160x120  4:3  25fps", "2x AC3 Audio (80h,81h)"}), 3}};
        for (const auto& [name, bytes, detected, lines, flags] : rows) {
            const MediaFileTestResult r = Test(name, bytes);
            QVERIFY2(r.Play && r.Detected == detected, name);
            QCOMPARE(r.Lines, lines);
            QCOMPARE(int(r.Flags.SeveralAudioStreams) | int(r.Flags.MpegProgramWithVideo) << 1, flags);
        }
    }

    void expectedTypeByExtension()
    {
        for (const auto& [ext, code] : {std::pair{"RMVB", 15}, {"AIFF", 0}, {"MKS", 16}, {"WEB", 17}, {"IVF", 3},
                                        {"F4B", 12}, {"TS", 2}, {"MTS", 20}, {"DTS", 14}, {"MPEG", 0}, {"mp3", 0}, {"", 0}})
            QVERIFY2(ExpectedTypeForExtension(ext) == code, ext);
        QCOMPARE(UpperExtension("/a/b.c/clip.final.mp4"), std::string("MP4"));
        QCOMPARE(UpperExtension("/a/b.c/noext"), std::string(""));
        QCOMPARE(UpperExtension("Über.wäv"), std::string("W\xC3\xA4V"));
    }

    void readTestErrorCodes()
    {
        QCOMPARE(TestReadFromFile(test::WriteIn(dir_, "small.bin", {1, 2, 3})), 0);
        QCOMPARE(TestReadFromFile(dir_.filePath("missing.bin").toStdString()), 2);
        QCOMPARE(TestReadFromFile(dir_.filePath("nofolder/missing.bin").toStdString()), 3);
        QCOMPARE(TestReadFromFile(dir_.path().toStdString()), 10000 + EISDIR);
        QVERIFY(::chmod(dir_.path().toLocal8Bit().constData(), 0777) == 0);
        const std::string locked = test::WriteIn(dir_, "locked.bin", {1, 2, 3});
        QVERIFY(::chmod(locked.c_str(), 0) == 0);
        QCOMPARE(test::RunUnprivileged([&] { return TestReadFromFile(locked); }), 5);
    }

    // The four fitting passes, with one width unit per byte so each pass can be seen at work.
    void fitting_data()
    {
        QTest::addColumn<InfoLines>("lines");
        QTest::addColumn<int>("width");
        QTest::addColumn<InfoLines>("fitted");
        const InfoLines mp3 = test::Lines({"MPEG-1 Audio Stream", "Layer-3  128kbps VBR ", "44100Hz  Joint Stereo"});
        const InfoLines cbr = test::Lines({"", "Layer-3  128kbps CBR "});
        QTest::newRow("fits") << mp3 << 21 << mp3;
        QTest::newRow("VBR loses kbps first")
            << mp3 << 20 << test::Lines({mp3[0], "Layer-3  128kb VBR ", "44100Hz  Joint St."});
        QTest::newRow("CBR, pass 3") << cbr << 17 << test::Lines({"", "L-3  128kbps CBR "});
        QTest::newRow("CBR, pass 4") << cbr << 16 << test::Lines({"", "L-3 128kbps CBR "});
        QTest::newRow("dual channel") << test::Lines({"", "Layer-2  224kbps  44100Hz  Dual Channel"}) << 30
                                      << test::Lines({"", "L-2 224kbps 44100Hz Dual Ch."});
        QTest::newRow("stops once it fits") << test::Lines({"", "Layer-1  Stereo"}) << 12
                                            << test::Lines({"", "Layer-1  St."});
        QTest::newRow("release") << test::Lines({"", "codec release 2"}) << 12 << test::Lines({"", "codec rel 2"});
        QTest::newRow("blank pairs folded once") << test::Lines({"", "a    b", "a   b"}) << 1
                                                 << test::Lines({"", "a  b", "a  b"});
        const std::string xy = "x  y";
        QTest::newRow("labels 1 to 6 only") << test::Lines({xy, xy, xy, xy, xy, xy, xy, xy}) << 3
                                            << test::Lines({xy, "x y", "x y", "x y", "x y", "x y", "x y", xy});
    }
    void fitting()
    {
        QFETCH(InfoLines, lines);
        QFETCH(int, width);
        FitInfoLines(lines, [](const std::string& text) { return static_cast<int>(text.size()); }, width);
        QTEST(lines, "fitted");
    }
};

QTEST_APPLESS_MAIN(TestMediaFileTest)
#include "tst_media_file_test.moc"
