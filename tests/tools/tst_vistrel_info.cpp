// vistrel-info: the media file test's outcome per file, as text blocks and as JSON.
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

class TestVistrelInfo : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString Write(const char* name, const std::string& bytes)
    {
        vistrel::test::WriteFile(dir_.filePath(name).toStdString(), bytes);
        return dir_.filePath(name);
    }
    static QString Block(const QString& file, int type, const QString& name, bool play, const QString& refusal, bool mismatch,
                         const QStringList& lines = {})
    {
        QString text = QString("file: %1\ntype: %2\ntype_name: %3\nplayable: %4\nrefusal: %5\nlabel0_mismatch: %6\n")
                           .arg(file).arg(type).arg(name, play ? "true" : "false", refusal, mismatch ? "true" : "false");
        for (int i = 0; i < 8; ++i)
            text += QString("line%1: %2\n").arg(i).arg(lines.value(i));
        return text;
    }

private slots:
    void textBlocks_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString notes = Write("notes.mp3", std::string(64, 'a')), zip = Write("clip.avi", "PK" + std::string(60, '\0'));
        QTest::newRow("two files") << QStringList{notes, zip} << 0
                                   << Block(notes, 0, "NO_MM", true, "", true, {"", "unknown"}) + "\n" +
                                          Block(zip, 107, "", false, "clip.avi\n  appears to be a ZIP file", false)
                                   << "";
        const QString folder = dir_.path(), missing = dir_.filePath("missing");
        const QString unreadable = Block(folder, 200, "", false, "", false) + "\n" + Block(missing, 200, "", false, "", false);
        QTest::newRow("unreadable") << QStringList{folder, missing} << 0 << unreadable << "";
        const QString odd = Write("--json", std::string(64, '\0'));
        QTest::newRow("-- ends the options") << QStringList{"--", odd} << 0
                                             << Block(odd, 110, "", false, "--json\n  is all zero", false) << "";
        QTest::newRow("no file") << QStringList{} << 2 << "" << "usage: vistrel-info [--json] [--] FILE...\n";
        QTest::newRow("--help") << QStringList{"--help", notes} << 2 << "" << "usage: vistrel-info [--json] [--] FILE...\n";
    }
    void textBlocks()
    {
        QFETCH(QStringList, args);
        QProcess p;
        p.start(VISTREL_BINARY_DIR "/vistrel-info", args);
        QVERIFY(p.waitForFinished(30000));
        QTEST(p.exitCode(), "exitCode");
        QTEST(QString::fromUtf8(p.readAllStandardOutput()), "out");
        QTEST(QString::fromUtf8(p.readAllStandardError()), "err");
    }

    void jsonArrayOfObjects()
    {
        const QString zip = Write("clip.avi", "PK" + std::string(60, '\0')), missing = dir_.filePath("missing.mp3");
        const QString mkv = QString::fromStdString(vistrel::test::Fixture("mkv_h264_vorbis.mkv"));
        QProcess p;
        p.start(VISTREL_BINARY_DIR "/vistrel-info", {"--json", zip, missing, mkv});
        QVERIFY(p.waitForFinished(30000) && p.exitCode() == 0);
        const QJsonArray none{"", "", "", "", "", "", "", ""}, matroska{"matroska", "", "", "", "", "", "", ""};
        const QJsonArray expected{
            QJsonObject{{"file", zip}, {"type", 107}, {"type_name", ""}, {"playable", false},
                        {"refusal", "clip.avi\r\nappears to be a ZIP file"}, {"label0_mismatch", false}, {"lines", none}},
            QJsonObject{{"file", missing}, {"type", 200}, {"type_name", ""}, {"playable", false},
                        {"refusal", QJsonValue::Null}, {"label0_mismatch", false}, {"lines", none}},
            QJsonObject{{"file", mkv}, {"type", 16}, {"type_name", "matroska"}, {"playable", true},
                        {"refusal", QJsonValue::Null}, {"label0_mismatch", false}, {"lines", matroska}}};
        QCOMPARE(QJsonDocument::fromJson(p.readAllStandardOutput()), QJsonDocument(expected));
    }
};

QTEST_GUILESS_MAIN(TestVistrelInfo)
#include "tst_vistrel_info.moc"
