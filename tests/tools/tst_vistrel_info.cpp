// vistrel-info: the media file test's outcome per file, as text blocks and as JSON.
#include "support/TestSupport.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

class TestVistrelInfo : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    static QString Block(QString file, int type, QString name, bool play, QString refusal, bool mismatch, QStringList lines = {})
    {
        QString text = QString("file: %1\ntype: %2\ntype_name: %3\nplayable: %4\nrefusal: %5\nlabel0_mismatch: %6\n")
                           .arg(file).arg(type).arg(name, play ? "true" : "false", refusal, mismatch ? "true" : "false");
        for (int i = 0; i < 8; ++i)
            text += QString("line%1: %2\n").arg(i).arg(lines.value(i));
        return text;
    }
private slots:
    // JSON output is compared in one layout; an empty output comes with the usage text.
    void run_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("out");
        const auto write = [&](const char* name, const std::string& bytes) {
            return QString::fromStdString(vistrel::test::WriteIn(dir_, name, vistrel::test::Bytes(bytes)));
        };
        const QString notes = write("notes.mp3", std::string(64, 'a')), zip = write("clip.avi", "PK" + std::string(60, '\0'));
        const QString odd = write("--json", std::string(64, '\0'));
        QString blocks = Block(notes, 0, "NO_MM", true, "", true, {"", "unknown"}) + "\n" +
                         Block(odd, 110, "", false, "--json\n  is all zero", false);
        QStringList unreadable{dir_.filePath("missing")};  // and names a read would wait on for good
        for (const char* kind : {"fifo", "socket", "device"}) {
            unreadable << dir_.filePath(QString(kind) + ".mp3");
            QVERIFY(vistrel::test::MakeSpecialFile(unreadable.last().toStdString(), kind));
        }
        for (const QString& file : unreadable)
            blocks += "\n" + Block(file, 200, "", false, "", false);
        QTest::newRow("-- ends the options, six files") << QStringList{"--", notes, odd} + unreadable << 0 << blocks;
        QTest::newRow("--help") << QStringList{"--help", notes} << 2 << "";
        const QJsonArray none{"", "", "", "", "", "", "", ""}, unknown{"", "unknown", "", "", "", "", "", ""};
        const QJsonArray json{QJsonObject{{"file", zip}, {"type", 107}, {"type_name", ""}, {"playable", false}, {"lines", none},
                                          {"refusal", "clip.avi\r\nappears to be a ZIP file"}, {"label0_mismatch", false}},
                              QJsonObject{{"file", notes}, {"type", 0}, {"type_name", "NO_MM"}, {"playable", true},
                                          {"refusal", QJsonValue::Null}, {"label0_mismatch", true}, {"lines", unknown}}};
        QTest::newRow("JSON") << QStringList{"--json", zip, notes} << 0 << QString(QJsonDocument(json).toJson());
    }
    void run()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, out);
        QProcess p;
        p.start(VISTREL_BINARY_DIR "/vistrel-info", args);
        QVERIFY(p.waitForFinished(30000));
        QTEST(p.exitCode(), "exitCode");
        const QByteArray output = p.readAllStandardOutput();
        const QJsonDocument json = QJsonDocument::fromJson(output);
        QCOMPARE(json.isNull() ? QString::fromUtf8(output) : QString(json.toJson()), out);
        QCOMPARE(QString::fromUtf8(p.readAllStandardError()), out.isEmpty() ? "usage: vistrel-info [--json] [--] FILE...\n" : "");
    }
};

QTEST_GUILESS_MAIN(TestVistrelInfo)
#include "tst_vistrel_info.moc"
