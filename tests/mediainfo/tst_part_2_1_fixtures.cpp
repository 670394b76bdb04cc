// Part 2.1 (media type detection) over the generated fixture files of tests/fixtures/media,
// and Part 4.1's pattern list against the fixture names.
//
// Every file of the folder has one row below with the code that Part 2.1's rules give for its
// first 2048 bytes; the comment names the rule that decides (positions are 1-based, as in the
// spec). A file without a row, or a row without a file, fails the test: add a row when
// tests/fixtures/make_fixtures.sh makes a new file. Where a code follows from bytes deep in
// compressed data (the frame-sync scan of step 8), the comment gives the position of the pair.
#include "mediainfo/MediaType.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QtTest>

#include <fnmatch.h>

#include <set>
#include <string>

using namespace vistrel;

namespace {

struct Expectation {
    const char* file;
    MediaType code;
};

// clang-format off
const Expectation kExpected[] = {
    // ---- RIFF WAVE: "RIFF" at 1-4 and "WAVE" at 9-12 (step 5) ----
    {"wav_pcm16_stereo.wav",            mt::Wave},
    {"wav_pcm8_mono.wav",               mt::Wave},
    {"wav_ima_adpcm.wav",               mt::Wave},
    {"wav_mulaw.wav",                   mt::Wave},
    {"wav_extensible_20of24.wav",       mt::Wave},
    {"wav_header_only_100_bytes.wav",   mt::Wave},   // edge case: RIFF/WAVE, rest zero
    // ---- MPEG program streams: 00 00 01 BA at 1-4 (step 4, test 10) ----
    {"mpeg1_ps_mpeg1video_mp2.mpg",     mt::Mpeg},
    {"mpeg2_ps_dvd_ac3x2.vob",          mt::Mpeg},
    {"mpeg2_ps_dvd_dts_lpcm.vob",       mt::Mpeg},
    {"mpeg1_system.m1s",                mt::Mpeg},
    {"mpeg1_ps.mpeg",                   mt::Mpeg},
    {"mpgx_mpeg1_ps.mpgx",              mt::Mpeg},
    {"mpm_mpeg1_ps.mpm",                mt::Mpeg},
    {"m2s_mpeg2_ps.m2s",                mt::Mpeg},
    {"mod_mpeg2_ac3.mod",               mt::Mpeg},
    // ---- MPEG video elementary streams: 00 00 01 B3 at 1-4 (step 4, test 10) ----
    {"mpeg1_video.m1v",                 mt::Mpeg},
    {"mpeg2_video.m2v",                 mt::Mpeg},
    {"mpv_mpeg1_video.mpv",             mt::Mpeg},
    {"mpgv_mpeg2_video.mpgv",           mt::Mpeg},
    {"m75_mpeg1_video.m75",             mt::Mpeg},
    {"m15_mpeg1_video.m15",             mt::Mpeg},
    // MPEG-4 part 2 elementary stream: 00 00 01 B0 at 1-4, but its group-of-VOP code
    // 00 00 01 B3 starts at position 31 (step 8.1: first occurrence within 1-255)
    {"m4v_mpeg4_es.m4v",                mt::Mpeg},
    // ---- Video CD: RIFF form "CDXA" (step 5) ----
    {"avseq01.dat",                     mt::Mpeg},
    // ---- MPEG audio: frame sync FF Ex at position 1 (step 8.2) ----
    {"mp3_cbr_128k.mp3",                mt::Mpeg},   // FF FB 90 44
    {"mp3_vbr_xing.mp3",                mt::Mpeg},   // FF FB, "Xing" at offset 36
    {"mp3_6s_8k_mono.mp3",              mt::Mpeg},   // FF E3 (MPEG 2.5 layer III, 8000 Hz), 6.2 s
    {"mp3_vbr_vbri.mp3",                mt::Mpeg},   // FF FB, "VBRI" at offset 36
    {"mp2_layer2.mp2",                  mt::Mpeg},   // FF FD
    {"mpa_mp2.mpa",                     mt::Mpeg},   // FF FD
    {"m1a_mp2.m1a",                     mt::Mpeg},   // FF FD
    {"m2a_mp2_lsf.m2a",                 mt::Mpeg},   // FF F5 (MPEG-2, 24 kHz)
    {"mp1_layer1.mp1",                  mt::Mpeg},   // FF FF (layer I)
    {"mpga_mp3.mpga",                   mt::Mpeg},   // FF F3 (MPEG-2 layer 3)
    {"aac_adts.aac",                    mt::Mpeg},   // ADTS sync FF F1 passes the same test
    {"aac_adts.adts",                   mt::Mpeg},   // FF F1
    {"mp3_id3v2.mp3",                   mt::Mpeg},   // "ID3" at 1-3 (step 6)
    // ---- RIFF AVI: "AVI " and "hdrl" in the window (step 5) ----
    {"avi_mjpeg_pcm.avi",               mt::Avi},
    {"avi_mpeg4_mp3.avi",               mt::Avi},
    {"avi_mpeg4_two_audio.avi",         mt::Avi},
    {"divx_mpeg4_mp3.divx",             mt::Avi},
    {"avi_split_part.avi.001",          mt::Avi},    // first 6000 bytes of an AVI
    // ---- Ogg: "OggS" at 1-4 (step 4, test 4) ----
    {"ogg_vorbis.ogg",                  mt::Ogg},
    {"ogg_theora_vorbis.ogv",           mt::Ogg},
    {"ogg_opus.oga",                    mt::Ogg},
    {"ogg_ogm_mpeg4_mp3.ogv",           mt::Ogg},    // OGM stream headers
    // ---- MIDI: "MThd" at 1-4 (step 4, test 1); RIFF form "RMID" (step 5) ----
    {"midi_format0.mid",                mt::Midi},
    {"rmid_format0.rmi",                mt::Midi},
    {"midi_format1_12_tracks.mid",      mt::Midi},
    {"midi_format2_2_tracks.mid",       mt::Midi},
    // ---- Other RIFF forms (step 5 marks 6; step 8 may replace it) ----
    {"riff_acon_cursor.ani",            mt::Riff},   // form "ACON", no 0xFF byte at all
    {"riff_rmp3_with_mp3_frames.mp3",   mt::Mpeg},   // form "RMP3", FF FB at position 21
    // ---- ASF: header object identifier at 1-16 (step 4, test 12) ----
    {"wmv_wmv2_wmav2.wmv",              mt::Wmv},    // "WMV2" FourCC at position 396
    {"wmv_wmv2_header_text_wma.wmv",    mt::Wmv},    // both "WMV" and "WMA": WMV wins
    {"wmv_wmv2_sar_10_11.wmv",          mt::Wmv},    // "WMV2" at position 396
    {"wmv_wmv2_aspect_ecd_1440_1080.wmv", mt::Wmv},  // "WMV2" at position 286
    {"wma_wmav2_header_text_wma.wma",   mt::Wma},    // padding object with ASCII "WMA" at 451
    // ffmpeg writes the codec names only as UTF-16 ("W\0i\0n\0..."), so neither ASCII text
    // occurs in its header: plain ASF, although Part 2.2 expects 7 for the extension WMA
    {"wma_wmav2.wma",                   mt::Asf},
    {"asf_mpeg4_mp3.asf",               mt::Asf},
    // ---- Sun AU: ".snd" at 1-4; AIFF: "FORM" at 1-4 ----
    {"sun_au_pcm16.au",                 mt::SunAu},
    {"sun_au_mulaw.snd",                mt::SunAu},
    {"sun_au_pcm8_6ch.au",              mt::SunAu},
    {"aiff_pcm16.aif",                  mt::Aiff},
    {"aifc_none_stereo.aif",            mt::Aiff},   // FORM ... AIFC
    {"aifc_ulaw_quad.aif",              mt::Aiff},
    {"aifc_alaw_ffmpeg.aif",            mt::Aiff},
    // ---- QuickTime / MP4 family: atom type at 5-8 (step 4, test 8) ----
    {"mov_h264_aac.mov",                mt::Mov},    // ftyp
    {"mov_classic_moov_first.mov",      mt::Mov},    // moov (no ftyp atom)
    {"mov_classic_wide_first.mov",      mt::Mov},    // wide (no ftyp atom)
    {"mov_classic_mdat_first.mov",      mt::Mov},    // mdat (no ftyp atom, moov at the end)
    {"mov_classic_pnot_first.mov",      mt::Mov},    // pnot (preview atom, no ftyp atom)
    {"mov_aac_first_h264_last.mov",     mt::Mov},    // ftyp
    {"mov_raw_rgb24_sowt_6ch.mov",      mt::Mov},    // ftyp
    {"mp4_h264_aac.mp4",                mt::Mov},    // ftyp
    {"mp5_mp4_renamed.mp5",             mt::Mov},
    {"mp4_faststart_title_matroska.mp4", mt::Mov},   // ftyp, "matroska" at position 1595
    {"mp4_download.mp4.part",           mt::Mov},    // first 4000 bytes
    {"m4a_aac.m4a",                     mt::Mov},
    {"m4a_alac.m4a",                    mt::Mov},
    {"3gp_h263_aac.3gp",                mt::Mov},
    {"3g2_h263_aac.3g2",                mt::Mov},
    // A DASH media segment starts with the box "styp", which is not in the list; the
    // frame-sync scan then finds FF FF at position 235
    {"m4s_dash_segment.m4s",            mt::Mpeg},
    // ---- AC-3: 0B 77 at 1-2 (step 7, test 7) ----
    {"ac3_stereo.ac3",                  mt::Ac3},
    {"ac3_5_1_lfe.ac3",                 mt::Ac3},
    {"ac3_2_1_dolby_surround_44k.ac3",  mt::Ac3},
    {"ac3_3_1_32k.ac3",                 mt::Ac3},
    // ---- RealMedia: ".RMF" at 1-4 ----
    {"real_rv10_ac3.rm",                mt::Real},
    {"real_rv20_ac3.rmvb",              mt::Real},
    {"real_ra144.ra",                   mt::Real},
    {"real_rv10_ac3_6ch_ra5.rm",        mt::Real},
    // ---- EBML: "matroska" in the window (test 9) before the EBML magic (test 11) ----
    {"mkv_h264_vorbis.mkv",             mt::Matroska},   // DocType at position 25
    {"mka_opus.mka",                    mt::Matroska},
    {"webm_vp9_opus.webm",              mt::Ebml},       // DocType "webm"
    // ---- FLV, FLAC, WebP ----
    {"flv_flv1_mp3.flv",                mt::Flv},
    {"flv_flv1_adpcm_stereo_11k.flv",   mt::Flv},
    {"flv_h264_nellymoser_8k.flv",      mt::Flv},
    {"flv_nellymoser_44k_audio_only.flv", mt::Flv},
    {"flac_mono.flac",                  mt::Flac},
    {"flac_stereo_44100_16bit.flac",    mt::Flac},
    {"flac_6ch_24bit_48k.flac",         mt::Flac},
    {"webp_still.webp",                 mt::WebP},   // RIFF form "WEBP" (step 5)
    {"webp_lossless.webp",              mt::WebP},
    {"webp_animated.webp",              mt::WebP},
    // ---- Never detected by signature (codes 14 and 20 come from extensions only);
    //      the frame-sync scan of step 8.2 decides ----
    {"dts_stereo.dts",                  mt::Mpeg},   // 7F FE 80 01 ...; FF FA at position 196
    {"mpegts_mpeg2_mp2.ts",             mt::Mpeg},   // 47 40 11 ...; FF FF (table padding) at 46
    {"m2ts_h264_ac3.mts",               mt::Mpeg},   // 192-byte packets; FF FF at 50
    {"h263_raw.263",                    mt::Mpeg},   // 00 00 80 ...; FF E6 at position 56
    {"h264_raw.264",                    mt::Mpeg},   // 00 00 00 01 67 ...; FF FF (SEI) at 44
    {"hevc_raw.265",                    mt::Mpeg},   // 00 00 00 01 40 01 0C 01 FF FF at 9
    {"ivf_vp8.ivf",                     mt::Mpeg},   // "DKIF" ...; FF E8 at position 146
    // ---- Text files that are listed by the patterns but hold no signature ----
    {"playlist_asx.wvx",                mt::NoMM},
    {"real_metafile.rpm",               mt::NoMM},
    {"real_text.rt",                    mt::NoMM},
    {"other.dat",                       mt::NoMM},
    // ---- Decoys for the refusal codes ----
    {"decoy_empty_song.mp3",            mt::ZeroSize},
    {"decoy_20_bytes.mp3",              mt::TooSmall},
    {"decoy_31_bytes.wav",              mt::TooSmall},
    {"decoy_32_bytes.txt",              mt::NoMM},       // read and tested: plain text
    {"decoy_html_lower.html",           mt::Html},       // "<html>" at position 17
    {"decoy_html_upper_as_song.mp3",    mt::Html},       // "<HTML>" at position 1
    {"decoy_pdf.pdf",                   mt::Pdf},
    {"decoy_pdf_lowercase_as_clip.mpg", mt::Pdf},        // "%pdf", any case
    {"decoy_mz_exe_as_video.wmv",       mt::Exe},
    {"decoy_rar.rar",                   mt::Rar},
    {"decoy_zip.zip",                   mt::Zip},
    {"decoy_zip_as_clip.avi",           mt::Zip},
    {"decoy_pk_lowercase.bin",          mt::NoMM},       // "pk" is not a ZIP signature
    {"decoy_7z_as_movie.mkv",           mt::SevenZip},
    {"decoy_all_zero_4096.avi",         mt::AllZero},
    {"decoy_all_ff_4096.mp3",           mt::AllFF},
    {"decoy_2048_last_byte_ff.bin",     mt::NoMM},       // no byte follows the only 0xFF
};
// clang-format on

// Part 4.1, data model: the 63 initial entries of the pattern list, in order.
const char* const kPatterns[] = {
    "*.mp3", "*.mp4", "*.mp5", "*.001", "*.ts", "*.vob", "*.mkv", "*.mka", "*.mov", "*.webp",
    "*.mid", "*.avi", "*.flac", "*.aif", "*.au", "*.ivf", "*.snd", "*.wav", "*.wmv", "*.wma",
    "*.wvx", "*.asf", "*.ogg", "*.ogv", "*.oga", "*.ac3", "*.aac", "*.ad??", "*.dts",
    "avseq*.dat", "*.3g*", "*.263", "*.264", "*.265", "*.part", "*.ra", "*.rp*", "*.rm*", "*.rt",
    "*.divx", "*.flv", "*.mod", "*.webm", "*.m1s", "*.mpg", "*.mpeg", "*.mpga", "*.mpa",
    "*.mpgv", "*.mpv", "*.mpgx", "*.mpm", "*.m1v", "*.m2v", "*.m1a", "*.m2a", "*.m4v", "*.m4a",
    "*.m4s", "*.m75", "*.m15", "*.m2s", "*.mts",
};

QString MediaDir() { return QStringLiteral(VISTREL_FIXTURES_DIR "/media"); }

QStringList FixtureNames()
{
    return QDir(MediaDir()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

bool Matches(const char* pattern, const QString& name)
{
    return fnmatch(pattern, name.toUtf8().constData(), FNM_CASEFOLD) == 0;
}

}  // namespace

class TestPart21Fixtures : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        InitMpegSyncCodes();
        QVERIFY2(QFileInfo(MediaDir()).isDir(),
                 qPrintable("no fixture folder " + MediaDir() +
                            " (run tests/fixtures/make_fixtures.sh)"));
    }

    void detection_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("expected");
        for (const Expectation& e : kExpected)
            QTest::newRow(e.file) << QString::fromUtf8(e.file) << int(e.code);
    }

    void detection()
    {
        QFETCH(QString, file);
        QFETCH(int, expected);
        const QString path = MediaDir() + "/" + file;
        QVERIFY2(QFileInfo::exists(path), qPrintable("missing fixture " + path));
        const MediaType got = GetMediaType(path.toStdString());
        if (got != expected) {
            const QString msg = QString("%1: got %2 (\"%3\"), expected %4 (\"%5\")")
                                    .arg(file)
                                    .arg(got)
                                    .arg(QString::fromStdString(GetMediaTypeName(got)))
                                    .arg(expected)
                                    .arg(QString::fromStdString(GetMediaTypeName(expected)));
            QFAIL(qPrintable(msg));
        }
    }

    // Every file of the folder has exactly one row, and every row names a file.
    void everyFixtureHasOneRow()
    {
        QSet<QString> rows;
        QStringList duplicates;
        for (const Expectation& e : kExpected) {
            const QString name = QString::fromUtf8(e.file);
            if (rows.contains(name))
                duplicates << name;
            rows.insert(name);
        }
        QVERIFY2(duplicates.isEmpty(), qPrintable("rows twice: " + duplicates.join(", ")));

        const QStringList names = FixtureNames();
        QStringList withoutRow;
        for (const QString& n : names)
            if (!rows.contains(n))
                withoutRow << n;
        QVERIFY2(withoutRow.isEmpty(),
                 qPrintable("fixtures without an expected code: " + withoutRow.join(", ")));

        const QSet<QString> files(names.begin(), names.end());
        QStringList withoutFile;
        for (const QString& r : rows)
            if (!files.contains(r))
                withoutFile << r;
        withoutFile.sort();
        QVERIFY2(withoutFile.isEmpty(),
                 qPrintable("rows without a fixture file: " + withoutFile.join(", ")));
    }

    void patternListHas63Entries()
    {
        QCOMPARE(int(std::size(kPatterns)), 63);
        std::set<std::string> distinct(std::begin(kPatterns), std::end(kPatterns));
        QCOMPARE(int(distinct.size()), 63);
    }

    // Every pattern of Part 4.1 lists at least one fixture.
    void everyPatternMatchesAFixture_data()
    {
        QTest::addColumn<QString>("pattern");
        for (const char* p : kPatterns)
            QTest::newRow(p) << QString::fromUtf8(p);
    }

    void everyPatternMatchesAFixture()
    {
        QFETCH(QString, pattern);
        const QByteArray p = pattern.toUtf8();
        QStringList hits;
        for (const QString& n : FixtureNames())
            if (Matches(p.constData(), n))
                hits << n;
        QVERIFY2(!hits.isEmpty(), qPrintable("no fixture matches " + pattern));
    }

    void avseqPatternTakesOnlyVideoCdTracks()
    {
        QVERIFY(QFileInfo::exists(MediaDir() + "/other.dat"));
        QVERIFY(QFileInfo::exists(MediaDir() + "/avseq01.dat"));
        QVERIFY(Matches("avseq*.dat", "avseq01.dat"));
        QVERIFY(Matches("avseq*.dat", "AVSEQ01.DAT"));
        QVERIFY(!Matches("avseq*.dat", "other.dat"));
        // other.dat is listed by no pattern at all
        for (const char* p : kPatterns)
            QVERIFY2(!Matches(p, "other.dat"), p);
    }
};

QTEST_APPLESS_MAIN(TestPart21Fixtures)
#include "tst_part_2_1_fixtures.moc"
