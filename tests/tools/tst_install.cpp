// The installed layout: `cmake --install` into a staging folder (DESTDIR) holds exactly the
// program, its tools, the desktop entry, the icons and the metainfo; the desktop's own
// checkers accept the entry and the metainfo; the entry's MIME list covers the media the
// fixtures hold and claims no folders; the .deb that cpack makes names its dependencies.
#include "support/TestSupport.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QtEndian>
#include <QtTest>

namespace {

const QString kPrefix = QStringLiteral("/usr");
const QString kDataDir = QStringLiteral(VISTREL_DATADIR);

struct Run {
    int exitCode = -1;
    QString output;  // standard output and error together
};

Run RunTool(const QString& program, const QStringList& args, const QStringList& extraEnvironment = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : extraEnvironment)
        env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished(5000);
        return {-1, program + " did not finish"};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAll())};
}

// Width and height from a PNG's IHDR chunk; 0 x 0 when the file is no PNG.
QSize PngSize(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray head = file.read(24);
    if (head.size() < 24 || !head.startsWith("\x89PNG\r\n\x1a\n") || head.mid(12, 4) != "IHDR")
        return {};
    return {int(qFromBigEndian<quint32>(head.constData() + 16)), int(qFromBigEndian<quint32>(head.constData() + 20))};
}

}  // namespace

class TestInstall : public QObject {
    Q_OBJECT

private:
    QTemporaryDir stage_;
    QString Staged(const QString& relative) const { return stage_.path() + kPrefix + '/' + relative; }
    QString DesktopEntry() const { return Staged(kDataDir + "/applications/vistrel.desktop"); }

    QStringList MimeTypes() const
    {
        QFile file(DesktopEntry());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (line.startsWith("MimeType="))
                return QString::fromUtf8(line.mid(9)).split(';', Qt::SkipEmptyParts);
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(stage_.isValid());
        const Run install = RunTool(CMAKE_COMMAND, {"--install", VISTREL_BINARY_DIR, "--prefix", kPrefix},
                                    {"DESTDIR=" + stage_.path()});
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    // Every file in its place, nothing else (no test program, no build leftovers), and each
    // PNG drawn at its size, and the repair tool, executable, in the helper folder.
    void stagingHoldsTheInstalledLayout()
    {
        QSet<QString> expected{"bin/vistrel", "bin/vistrel-info", kDataDir + "/applications/vistrel.desktop",
                               kDataDir + "/icons/hicolor/scalable/apps/vistrel.svg",
                               kDataDir + "/metainfo/org.vistrel.Vistrel.metainfo.xml",
                               kDataDir + "/doc/vistrel/README.md", kDataDir + "/doc/vistrel/docs/screenshot.png",
                               VISTREL_HELPER_DIR "/DivFix"};
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString png = kDataDir + QString("/icons/hicolor/%1x%1/apps/vistrel.png").arg(size);
            expected << png;
            QCOMPARE(PngSize(Staged(png)), QSize(size, size));
        }
        QSet<QString> found;
        for (QDirIterator it(stage_.path() + kPrefix, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
            found << it.next().mid(stage_.path().size() + kPrefix.size() + 1);
        QCOMPARE(found, expected);
        for (const QString program : {"bin/vistrel", "bin/vistrel-info", VISTREL_HELPER_DIR "/DivFix"})
            QVERIFY2(QFileInfo(Staged(program)).isExecutable(), qPrintable(program));
        // The installed program looks for its repair tool where the install puts it.
        QCOMPARE(QDir::cleanPath(Staged("bin/" VISTREL_HELPERS_FROM_PROGRAM)), Staged(VISTREL_HELPER_DIR));
    }

    void desktopCheckersAcceptTheFiles()
    {
        const Run desktop = RunTool("desktop-file-validate", {DesktopEntry()});
        QVERIFY2(desktop.exitCode == 0 && desktop.output.trimmed().isEmpty(), qPrintable(desktop.output));
        const Run metainfo = RunTool("appstreamcli", {"validate", "--no-net", "--no-color",
                                                      Staged(kDataDir + "/metainfo/org.vistrel.Vistrel.metainfo.xml")});
        QVERIFY2(metainfo.exitCode == 0, qPrintable(metainfo.output));
        QFile entry(DesktopEntry());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        QVERIFY(text.contains("\nExec=vistrel %f\n") && text.contains("\nIcon=vistrel\n"));
    }

    // The types a file manager gives the fixtures' containers (freedesktop.org names).
    void mimeListCoversTheFixtures_data()
    {
        QTest::addColumn<QStringList>("types");
        const std::pair<const char*, const char*> rows[] = {
            {"wav_pcm16_stereo.wav", "audio/x-wav"},         {"mp3_cbr_128k.mp3", "audio/mpeg"},
            {"mpeg1_ps_mpeg1video_mp2.mpg", "video/mpeg"},   {"mpeg2_ps_dvd_ac3x2.vob", "video/mpeg"},
            {"avi_mjpeg_pcm.avi", "video/x-msvideo"},        {"ogg_vorbis.ogg", "audio/ogg;audio/x-vorbis+ogg"},
            {"ogg_theora_vorbis.ogv", "video/ogg"},
            {"midi_format1_12_tracks.mid", "audio/midi"},    {"rmid_format0.rmi", "audio/midi"},
            {"wma_wmav2.wma", "audio/x-ms-wma"},             {"wmv_wmv2_wmav2.wmv", "video/x-ms-wmv"},
            {"asf_mpeg4_mp3.asf", "application/vnd.ms-asf"}, {"sun_au_pcm16.au", "audio/basic"},
            {"aiff_pcm16.aif", "audio/x-aiff"},              {"mov_h264_aac.mov", "video/quicktime"},
            {"mp4_h264_aac.mp4", "video/mp4"},               {"m4a_alac.m4a", "audio/mp4"},
            {"ac3_stereo.ac3", "audio/ac3"},                 {"dts_stereo.dts", "audio/vnd.dts"},
            {"real_rv10_ac3.rm", "application/vnd.rn-realmedia"}, {"mkv_h264_vorbis.mkv", "video/x-matroska"},
            {"webm_vp9_opus.webm", "video/webm"},            {"flv_flv1_mp3.flv", "video/x-flv"},
            {"flac_stereo_44100_16bit.flac", "audio/flac"},  {"mpegts_mpeg2_mp2.ts", "video/mp2t"},
            {"m2ts_h264_ac3.mts", "video/mp2t"},
        };
        for (const auto& [fixture, type] : rows) {
            QVERIFY2(QFileInfo::exists(QString::fromStdString(vistrel::test::Fixture(fixture))), fixture);
            QTest::newRow(fixture) << QString(type).split(';');
        }
    }
    void mimeListCoversTheFixtures()
    {
        QFETCH(QStringList, types);
        const QStringList listed = MimeTypes();
        for (const QString& type : types)
            QVERIFY2(listed.contains(type), qPrintable(type + " not in " + listed.join(';')));
    }

    // Only audio and video: folders stay with the file manager, pictures with the viewer.
    void mimeListClaimsOnlyMedia()
    {
        const QStringList types = MimeTypes();
        QVERIFY(!types.isEmpty());
        const QSet<QString> applicationMedia{"application/ogg", "application/vnd.ms-asf", "application/vnd.rn-realmedia"};
        for (const QString& type : types)
            QVERIFY2(type.startsWith("audio/") || type.startsWith("video/") || applicationMedia.contains(type), qPrintable(type));
        QCOMPARE(QSet<QString>(types.begin(), types.end()).size(), types.size());
    }

    // The .deb of this build: Depends holds the linked libraries' packages (dpkg-shlibdeps)
    // and what the program loads at run time; the package holds the program.
    void debianPackageNamesItsDependencies()
    {
        QTemporaryDir out;
        QProcess cpack;
        cpack.setWorkingDirectory(VISTREL_BINARY_DIR);
        cpack.setProcessChannelMode(QProcess::MergedChannels);
        cpack.start(CPACK_COMMAND, {"-G", "DEB", "-B", out.path()});
        QVERIFY(cpack.waitForFinished(240000));
        QVERIFY2(cpack.exitCode() == 0, cpack.readAll().constData());
        const QStringList debs = QDir(out.path()).entryList({"vistrel_*.deb"});
        QCOMPARE(debs.size(), 1);
        const QString deb = out.filePath(debs.first());
        const Run depends = RunTool("dpkg-deb", {"-f", deb, "Depends"});
        QSet<QString> names;
        for (const QString& alternative : depends.output.split(QRegularExpression("[,|]")))
            names << alternative.trimmed().section(' ', 0, 0);
        for (const QString package : {"libqt6core6", "libmpv2", "libgstreamer1.0-0", "gstreamer1.0-plugins-base",
                                      "gstreamer1.0-plugins-good", "gstreamer1.0-plugins-bad", "gstreamer1.0-plugins-ugly",
                                      "gstreamer1.0-libav", "timgm6mb-soundfont", "qt6-qpa-plugins"})
            QVERIFY2(names.contains(package), qPrintable(package + " not in " + depends.output));
        QVERIFY(RunTool("dpkg-deb", {"-c", deb}).output.contains(" ./usr/bin/vistrel\n"));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
