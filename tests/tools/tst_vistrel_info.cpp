// vistrel-info: the type code and name per file, as text blocks and as JSON.
#include "support/TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
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
    void textBlocksPerFile()
    {
        const QString midi = Write("tune.mid", "MThd" + std::string(60, '\0'));
        const QString zip = Write("clip.avi", "PK" + std::string(60, '\0'));
        const Run r = Info({midi, zip});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out),
                 "file: " + midi + "\ntype: 5\ntype_name: MIDI\n\nfile: " + zip + "\ntype: 107\ntype_name: \n");
    }

    void jsonArrayOfObjects()
    {
        const QString wave = Write("a.wav", std::string("RIFF\x24\0\0\0WAVE", 12) + std::string(40, '\0'));
        const QString missing = dir_.filePath("missing.mp3");
        const Run r = Info({"--json", wave, missing});
        QCOMPARE(r.exitCode, 0);
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(r.out, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonArray files = doc.array();
        QCOMPARE(files.size(), 2);
        QCOMPARE(files[0].toObject(), (QJsonObject{{"file", wave}, {"type", 1}, {"type_name", "WAV"}}));
        QCOMPARE(files[1].toObject(), (QJsonObject{{"file", missing}, {"type", 200}, {"type_name", ""}}));
    }

    void unreadableFilesGive200AndExitZero()
    {
        const Run r = Info({dir_.path(), dir_.filePath("nothing")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("type: 200\n"));
        QCOMPARE(r.out.count("type: 200\n"), 2);
    }

    void doubleDashEndsOptions()
    {
        const QString odd = Write("--json", std::string(64, '\0'));
        const Run r = Info({"--", odd});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(QString::fromUtf8(r.out), "file: " + odd + "\ntype: 110\ntype_name: \n");
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
