// vistrel-info: the type code and name per file, as text blocks and as JSON.
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QDir>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestVistrelInfo : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    struct Run {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };
    static Run Info(const QStringList& args)
    {
        QProcess p;
        p.start(VISTREL_BINARY_DIR "/vistrel-info", args);
        if (!p.waitForFinished(30000))
            return {};
        return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
    }
    QString Write(const char* name, const std::string& bytes)
    {
        const QString path = dir_.filePath(name);
        vistrel::test::WriteFile(path.toStdString(), bytes);
        return path;
    }

private slots:
    static QString Block(const QString& file, int type, const QString& name, bool playable, const QString& refusal,
                         bool mismatch, const QStringList& lines)
    {
        QString text = QString("file: %1\ntype: %2\ntype_name: %3\nplayable: %4\nrefusal: %5\nlabel0_mismatch: %6\n")
                           .arg(file).arg(type).arg(name, playable ? "true" : "false", refusal, mismatch ? "true" : "false");
        for (int i = 0; i < 8; ++i)
            text += QString("line%1: %2\n").arg(i).arg(i < lines.size() ? lines[i] : QString());
        return text;
    }

    void textBlocksPerFile()
    {
        const QString unknown = Write("notes.mp3", std::string(64, 'a'));
        const QString zip = Write("clip.avi", "PK" + std::string(60, '\0'));
        const Run r = Info({unknown, zip});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out),
                 Block(unknown, 0, "NO_MM", true, "", true, {"", "unknown"}) + "\n"
                     + Block(zip, 107, "", false, "clip.avi\n  appears to be a ZIP file", false, {}));
    }

    void jsonArrayOfObjects()
    {
        const QString zip = Write("clip.avi", "PK" + std::string(60, '\0'));
        const QString missing = dir_.filePath("missing.mp3");
        const QString matroska = VISTREL_FIXTURES_DIR "/media/mkv_h264_vorbis.mkv";
        const Run r = Info({"--json", zip, missing, matroska});
        QCOMPARE(r.exitCode, 0);
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonArray files = doc.array();
        QCOMPARE(files.size(), 3);
        const QJsonArray noLines{"", "", "", "", "", "", "", ""};
        QCOMPARE(files[0].toObject(),
                 (QJsonObject{{"file", zip}, {"type", 107}, {"type_name", ""}, {"playable", false},
                              {"refusal", "clip.avi\r\nappears to be a ZIP file"}, {"label0_mismatch", false},
                              {"lines", noLines}}));
        QCOMPARE(files[1].toObject(),
                 (QJsonObject{{"file", missing}, {"type", 200}, {"type_name", ""}, {"playable", false},
                              {"refusal", QJsonValue::Null}, {"label0_mismatch", false}, {"lines", noLines}}));
        QCOMPARE(files[2].toObject(),
                 (QJsonObject{{"file", matroska}, {"type", 16}, {"type_name", "matroska"}, {"playable", true},
                              {"refusal", QJsonValue::Null}, {"label0_mismatch", false},
                              {"lines", QJsonArray{"matroska", "", "", "", "", "", "", ""}}}));
        QCOMPARE(files[2].toObject().keys(),
                 (QStringList{"file", "label0_mismatch", "lines", "playable", "refusal", "type", "type_name"}));
    }

    void everyFixtureHasEightLines()
    {
        const QDir dir(VISTREL_FIXTURES_DIR "/media");
        QStringList args{"--json"};
        for (const QString& name : dir.entryList(QDir::Files))
            args << dir.filePath(name);
        const Run r = Info(args);
        QCOMPARE(r.exitCode, 0);
        const QJsonArray files = QJsonDocument::fromJson(r.out).array();
        QCOMPARE(files.size(), args.size() - 1);
        for (const auto& f : files)
            QCOMPARE(f.toObject()["lines"].toArray().size(), 8);
    }

    void unreadableFilesGive200AndExitZero()
    {
        const Run r = Info({dir_.path(), dir_.filePath("nothing")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("type: 200\ntype_name: \nplayable: false\nrefusal: \n"));
        QCOMPARE(r.out.count("type: 200\n"), 2);
    }

    void doubleDashEndsOptions()
    {
        const QString odd = Write("--json", std::string(64, '\0'));
        const Run r = Info({"--", odd});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(QString::fromUtf8(r.out).startsWith("file: " + odd + "\ntype: 110\ntype_name: \nplayable: false\n"));
    }

    void noFileIsAUsageError()
    {
        const Run r = Info({});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.startsWith("usage: vistrel-info"));
    }
};

QTEST_GUILESS_MAIN(TestVistrelInfo)
#include "tst_vistrel_info.moc"
