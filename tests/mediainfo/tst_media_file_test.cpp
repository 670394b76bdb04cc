// The media file test every title passes before it plays (refusals, the dark-red mark, the
// branch to the readers, the read test) and the fitting of its lines into the label column.
#include "mediainfo/FormatInfoDisplay.h"
#include "mediainfo/MediaFileTest.h"
#include "support/TestSupport.h"

#include <sys/stat.h>

using namespace vistrel;
using Bytes = std::vector<uint8_t>;
Q_DECLARE_METATYPE(Bytes)
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
    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "song.mp3" << Bytes{} << 100 << "Size is 0 Bytes";
        QTest::newRow("20 bytes") << "short.mp3" << Bytes(20, 'A') << 101 << "isn't a valid media file";
        QTest::newRow("ZIP named .avi") << "clip.avi" << Fixture("decoy_zip.zip") << 107 << "appears to be a ZIP file";
        const std::tuple<const char*, int, const char*> decoys[] = {
            {"decoy_31_bytes.wav", 101, "isn't a valid media file"}, {"decoy_all_ff_4096.mp3", 104, "isn't a valid media file"},
            {"decoy_html_upper_as_song.mp3", 102, "appears to be a HTML file"}, {"decoy_pdf.pdf", 105, "appears to be a PDF file"},
            {"decoy_rar.rar", 106, "appears to be a RAR file"}, {"decoy_7z_as_movie.mkv", 108, "appears to be a 7-Zip file"},
            {"decoy_mz_exe_as_video.wmv", 109, "appears to be an EXE file"}, {"decoy_all_zero_4096.avi", 110, "is all zero"}};
        for (const auto& [file, code, message] : decoys)
            QTest::newRow(file) << file << Fixture(file) << code << message;
    }
    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(Bytes, bytes);
        QFETCH(QString, message);
        const MediaFileTestResult r = Test(name.toStdString(), bytes);
        QVERIFY(!r.Play);
        QTEST(r.Detected, "code");
        QCOMPARE(r.Refusal, (name + "\r\n" + message).toStdString());
        QCOMPARE(r.Lines, InfoLines{});
        QVERIFY(!r.Label0Mismatch && !r.Flags.SeveralAudioStreams && !r.Flags.MpegProgramWithVideo);
    }

    void missingFileIsNotPlayedWithoutMessage()
    {
        const MediaFileTestResult r = TestMediaFile(dir_.filePath("missing.mp3").toStdString(), "MP3");
        QVERIFY(!r.Play && !r.Label0Mismatch && r.Refusal.empty() && r.Lines == InfoLines{});
        QCOMPARE(r.Detected, 200);
    }

    // The dark-red mark on label 0: the extension promises another type (.tmp and .snd any).
    void mismatchMark()
    {
        const Bytes mp3 = Fixture("mp3_cbr_128k.mp3"), text(64, 'a');
        for (const auto& [name, bytes, mismatch] :
             {std::tuple{"track.wav", mp3, true}, {"track.mp3", mp3, false}, {"copy.tmp", mp3, false}, {"copy.TMP", mp3, false},
              {"sound.snd", mp3, false}, {"sound.au", mp3, true}, {"notes.xyz", text, false}, {"notes.mp3", text, true}}) {
            const MediaFileTestResult r = Test(name, bytes);
            QVERIFY2(r.Play && r.Label0Mismatch == mismatch, name);
        }
    }

    // The branch to the reader of the detected type, whatever the extension says.
    void branch_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<int>("detected");
        QTest::addColumn<InfoLines>("lines");
        QTest::addColumn<int>("flags");  // 1: several audio streams, 2: program stream with video
        QTest::newRow("MPEG audio named .wav") << "track.wav" << Fixture("mp3_cbr_128k.mp3") << 2
                                               << test::Lines({"MPEG-1 Audio Stream", "Layer-3  128kbps CBR ", "44100Hz  Joint Stereo"}) << 0;
        QTest::newRow("unknown") << "notes.xyz" << Bytes(64, 'a') << 0 << test::Lines({"", "unknown"}) << 0;
        QTest::newRow("matroska") << "a.mkv" << Fixture("mkv_h264_vorbis.mkv") << 16 << test::Lines({"matroska"}) << 0;
        QTest::newRow("webm") << "a.webm" << Fixture("webm_vp9_opus.webm") << 17 << test::Lines({"webm"}) << 0;
        QTest::newRow("AVI, two audio streams") << "a.avi" << Fixture("avi_mpeg4_two_audio.avi") << 3 << test::Lines({"RIFF AVI",
            "FMP4  64x48  10fps", "MPEG-1 Layer-3  22050Hz  Mono", "PCM  8000Hz  16bit  Mono"}) << 1;
        QTest::newRow("MPEG program with video") << "a.mpg" << Fixture("mpeg1_ps_mpeg1video_mp2.mpg") << 2
                                                 << test::Lines({"MPEG-1 System", "160x120  1:1  25fps"}) << 2;
        QTest::newRow("DVD, two AC-3 streams") << "a.vob" << Fixture("mpeg2_ps_dvd_ac3x2.vob") << 2
                                               << test::Lines({"MPEG-2 System", "160x120  4:3  25fps", "2x AC3 Audio (80h,81h)"}) << 3;
    }
    void branch()
    {
        QFETCH(QString, name);
        QFETCH(Bytes, bytes);
        QFETCH(int, flags);
        const MediaFileTestResult r = Test(name.toStdString(), bytes);
        QVERIFY(r.Play);
        QTEST(r.Detected, "detected");
        QTEST(r.Lines, "lines");
        QCOMPARE(r.Flags.SeveralAudioStreams, (flags & 1) != 0);
        QCOMPARE(r.Flags.MpegProgramWithVideo, (flags & 2) != 0);
    }

    void expectedTypeByExtension()
    {
        for (const auto& [ext, code] : {std::pair{"RMVB", 15}, {"SMIL", 15}, {"MKS", 16}, {"WEB", 17}, {"IVF", 3}, {"F4B", 12},
                                        {"TS", 2}, {"MTS", 20}, {"DTS", 14}, {"MPEG", 0}, {"mp3", 0}, {"", 0}, {"AIFF", 0}})
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
        QTest::newRow("VBR loses kbps first") << mp3 << 20 << test::Lines({mp3[0], "Layer-3  128kb VBR ", "44100Hz  Joint St."});
        QTest::newRow("CBR, pass 3") << cbr << 17 << test::Lines({"", "L-3  128kbps CBR "});
        QTest::newRow("CBR, pass 4") << cbr << 16 << test::Lines({"", "L-3 128kbps CBR "});
        QTest::newRow("dual channel") << test::Lines({"", "Layer-2  224kbps  44100Hz  Dual Channel"}) << 30
                                      << test::Lines({"", "L-2 224kbps 44100Hz Dual Ch."});
        QTest::newRow("stops once it fits") << test::Lines({"", "Layer-1  Stereo"}) << 12 << test::Lines({"", "Layer-1  St."});
        QTest::newRow("release") << test::Lines({"", "codec release 2"}) << 12 << test::Lines({"", "codec rel 2"});
        QTest::newRow("blank pairs folded once") << test::Lines({"", "a    b", "a   b"}) << 1 << test::Lines({"", "a  b", "a  b"});
        QTest::newRow("labels 1 to 6 only") << test::Lines({"x  y", "x  y", "x  y", "x  y", "x  y", "x  y", "x  y", "x  y"}) << 3
                                            << test::Lines({"x  y", "x y", "x y", "x y", "x y", "x y", "x y", "x  y"});
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
