// Open with: real programs started through the launcher. A recorder script writes its
// working folder, environment, process state and arguments (NUL-separated) to a file.
#include "platform/shell/Launcher.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QtTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;

namespace {

// Fields: working folder, QT_QPA_PLATFORM, /proc stat, open descriptors, signal masks; then the arguments.
constexpr const char* kRecorder =
    "#!/bin/sh\n"
    "{ printf '%s\\0' \"$(pwd -P)\" \"${QT_QPA_PLATFORM-unset}\" \"$(cat /proc/$$/stat)\" \"$(ls /proc/$$/fd)\" \\\n"
    "  \"$(grep -E '^Sig(Blk|Ign)' /proc/$$/status)\"; printf '%s\\0' \"$@\"; } > \"$VISTREL_RECORD.tmp\"\n"
    "mv \"$VISTREL_RECORD.tmp\" \"$VISTREL_RECORD\"\n";
constexpr int kFixedFields = 5;
// Waits (bounded) until the process that started it has ended, then records.
constexpr const char* kOrphanRecorder =
    "#!/bin/sh\n"
    "for i in $(seq 100); do kill -0 $PPID 2>/dev/null || break; sleep 0.1; done\n"
    "exec \"$(dirname \"$0\")/rec.sh\" \"$@\"\n";

void WriteScript(const std::string& path, const char* text)
{
    test::WriteFile(path, text);
    chmod(path.c_str(), 0755);
}

// The stat line's fields after the name: state, ppid, pgrp, session.
QList<QByteArray> StatFields(const QByteArray& stat)
{
    return stat.mid(stat.lastIndexOf(')') + 2).split(' ');
}

}  // namespace

class TestLauncher : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QByteArray d_ = dir_.path().toUtf8();
    std::string record_ = dir_.filePath("record").toStdString();
    std::string work_ = dir_.filePath("work").toStdString();
    int leak_ = -1;

    QString Filled(QString text, const QByteArray& file = {}) const
    {
        return text.replace("<dir>", d_).replace("<file>", QString::fromUtf8(file))
                   .replace("<entry>", d_ + "/apps/applications/vistrel-entry.desktop");
    }

    // The recorder's fields, once it has written them.
    QList<QByteArray> Record()
    {
        if (!QTest::qWaitFor([&] { return QFile::exists(QString::fromStdString(record_)); }, 10000))
            return {};
        QFile file(QString::fromStdString(record_));
        file.open(QIODevice::ReadOnly);
        QList<QByteArray> fields = file.readAll().split('\0');
        fields.removeLast();  // after the last NUL
        file.remove();
        return fields;
    }

private slots:
    void initTestCase()
    {
        qputenv("VISTREL_RECORD", QByteArray::fromStdString(record_));
        qputenv("VISTREL_DIR", d_);
        qputenv("HOME", d_);
        qputenv("XDG_DATA_HOME", d_ + "/apps");
        qputenv("PATH", d_ + ":" + qgetenv("PATH"));
        for (const char* folder : {"work/tools", "prog/sub", "apps/applications"})
            QVERIFY(QDir().mkpath(dir_.filePath(folder)));
        for (const char* copy : {"rec.sh", "prog/sub/rec.sh", "work/tools/rec.sh"})
            WriteScript(dir_.filePath(copy).toStdString(), kRecorder);
        WriteScript(dir_.filePath("orphan.sh").toStdString(), kOrphanRecorder);
        test::WriteFile(dir_.filePath("data.bin").toStdString(), "data");
        const int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
        leak_ = fcntl(null, F_DUPFD, 200);  // without close-on-exec
        close(null);
        signal(SIGUSR1, SIG_IGN);
        sigset_t blocked;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGUSR2);
        pthread_sigmask(SIG_BLOCK, &blocked, nullptr);
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray("offscreen"));
    }

    void startsTheProgramWithTheFile_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("params");
        QTest::addColumn<QString>("entry");  // the desktop entry's keys, when the program is one
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("arguments");  // or the error message
        const QString rec = "<dir>/rec.sh", entry = "<entry>", missing = "Error executing '%1':\nNo such file or directory";
        const QByteArray a = "a.mp3";
        const QStringList file{"<file>"};
        QTest::newRow("the file alone") << rec << "%file%" << "" << a << file;
        QTest::newRow("an option before it") << rec << "-x %file%" << "" << a << QStringList{"-x", "<file>"};
        QTest::newRow("without %file%: only the file") << rec << "-x" << "" << a << file;
        QTest::newRow("quoted %file%") << rec << "\"%file%\"" << "" << QByteArray("a b.mp3") << file;
        QTest::newRow("inside a word") << rec << "--o=%file%" << "" << a << QStringList{"--o=<file>"};
        QTest::newRow("shell words, nothing expanded") << rec << "'a b' \"c\\\"d$HOME\" e\\ f %file%%file%" << ""
            << a << QStringList{"a b", "c\"d$HOME", "e f", "<file><file>"};
        QTest::newRow("a quote in the name") << rec << "%file%" << "" << QByteArray("a'b.mp3") << file;
        QTest::newRow("a line break in the name") << rec << "-x %file%" << "" << QByteArray("new\nline.mp3") << QStringList{"-x", "<file>"};
        QTest::newRow("a command in the name") << rec << "%file%" << "" << QByteArray("$(touch X).mp3") << file;
        QTest::newRow("a marker in the name") << rec << "%file%" << "" << QByteArray("%file%.mp3") << file;
        QTest::newRow("%VAR%") << "%VISTREL_DIR%/rec.sh" << "%file%" << "" << a << file;
        QTest::newRow("${VAR}") << "${VISTREL_DIR}/rec.sh" << "%file%" << "" << a << file;
        QTest::newRow("$VAR") << "$VISTREL_DIR/rec.sh" << "%file%" << "" << a << file;
        QTest::newRow("~/") << "~/rec.sh" << "%file%" << "" << a << file;
        QTest::newRow("a bare name through PATH") << "rec.sh" << "%file%" << "" << a << file;
        QTest::newRow("relative: the program's folder") << "sub/rec.sh" << "%file%" << "" << a << file;
        QTest::newRow("relative: the folder list's path") << "tools/rec.sh" << "%file%" << "" << a << file;
        QTest::newRow("entry %f") << entry << "%file%" << "Exec=<dir>/rec.sh %f" << QByteArray("a b.mp3") << file;
        QTest::newRow("entry %U takes the parameters") << entry << "-x %file%" << "Exec=<dir>/rec.sh %U" << a
            << QStringList{"-x", "<file>"};
        QTest::newRow("entry @@u %U @@") << entry << "%file%" << "Exec=<dir>/rec.sh @@u %U @@" << QByteArray("a'b.mp3")
            << QStringList{"@@u", "<file>", "@@"};
        QTest::newRow("entry quoted arguments, %f in a word") << entry << "%file%"
            << "Exec=\"<dir>/rec.sh\" \"two words\" \"say \\\\\"hi\\\\\" %f\" --in=%f" << a
            << QStringList{"two words", "say \"hi\" %f", "--in=<file>"};
        QTest::newRow("entry by name, other codes, file appended") << "vistrel-entry" << "%file%"
            << "Name=Rec\nIcon=rec-icon\nExec=rec.sh --name=%c %k %i 100%% %d" << a
            << QStringList{"--name=Rec", "<entry>", "--icon", "rec-icon", "100%", "<file>"};
        QTest::newRow("missing") << "/nope" << "" << "" << a << QStringList{missing.arg("/nope")};
        QTest::newRow("unset variable stays") << "$VISTREL_UNSET/x" << "" << "" << a << QStringList{missing.arg("$VISTREL_UNSET/x")};
        QTest::newRow("bare name nowhere") << "vistrel-nowhere" << "" << "" << a << QStringList{missing.arg("vistrel-nowhere")};
        QTest::newRow("a data file") << "<dir>/data.bin" << "" << "" << a
            << QStringList{"Error executing '<dir>/data.bin':\nNo link for this type of file"};
        QTest::newRow("an entry without Exec") << entry << "" << "Name=x" << a
            << QStringList{"Error executing '<entry>':\nNo link for this type of file"};
        QTest::newRow("an entry's program missing") << entry << "" << "Exec=vistrel-nowhere %f" << a << QStringList{missing.arg(entry)};
    }

    // Every program starts detached: in a session of its own, without our descriptors
    // above 2, our ignored or blocked signals, and reaped once it ends.
    void startsTheProgramWithTheFile()
    {
        QFETCH(QString, program);
        QFETCH(QString, params);
        QFETCH(QString, entry);
        QFETCH(QByteArray, file);
        QFETCH(QStringList, arguments);
        test::WriteFile(Filled("<entry>").toStdString(), Filled("[Desktop Entry]\n" + entry).toStdString());
        const std::string fullName = work_ + "/" + file.toStdString();
        test::WriteFile(fullName, "x");
        const auto started = launcher::OpenWith(Filled(program).toStdString(), params.toStdString(),
                                                file.toStdString(), work_, dir_.filePath("prog").toStdString());
        QFile::remove(QString::fromStdString(fullName));
        if (arguments.value(0).startsWith("Error executing")) {
            QCOMPARE(started.error, Filled(arguments[0]).toStdString());
            return;
        }
        QCOMPARE(started.error, std::string());
        QList<QByteArray> fields = Record();
        QCOMPARE(fields.value(0), QByteArray::fromStdString(work_));
        QCOMPARE(fields.value(1), QByteArray("offscreen"));  // passed on: not set by us
        QCOMPARE(StatFields(fields.value(2)).value(3).toInt(), started.pid);
        QVERIFY2(!fields.value(3).split('\n').contains(QByteArray::number(leak_)), fields.value(3));
        // posix_spawn leaves the C library's own signals 32 and 33 ignored; its programs set them up at start.
        const QList<QByteArray> masks = fields.value(4).split('\n');
        QCOMPARE(masks.value(0), QByteArray("SigBlk:\t0000000000000000"));
        QCOMPARE(masks.value(1).mid(8).toULongLong(nullptr, 16) & ~0x180000000ULL, 0ULL);
        QList<QByteArray> expected;
        for (const QString& argument : arguments)
            expected << Filled(argument, QByteArray::fromStdString(fullName)).toUtf8();
        QCOMPARE(fields.mid(kFixedFields), expected);
        QVERIFY(!QFile::exists(QString::fromStdString(work_ + "/X")));
        QTRY_VERIFY(!QFile::exists(QString("/proc/%1").arg(started.pid)));  // no zombie left
    }

    // The launching process ends first: the program goes on, no longer its child, and
    // without the platform variable that process had set for itself.
    void outlivesTheProgramThatStartedIt()
    {
        QProcess launching;
        launching.setStandardOutputFile(QProcess::nullDevice());
        launching.setStandardErrorFile(QProcess::nullDevice());
        launching.start(QCoreApplication::applicationFilePath(), {"--open-with", dir_.filePath("orphan.sh"), "a.mp3"});
        QVERIFY(launching.waitForFinished(30000));
        QCOMPARE(launching.exitCode(), 0);
        const QList<QByteArray> fields = Record();
        QCOMPARE(fields.value(1), QByteArray("unset"));
        QVERIFY(StatFields(fields.value(2)).value(1).toLongLong() != launching.processId());
    }
};

int main(int argc, char** argv)
{
    // The launching process of outlivesTheProgramThatStartedIt.
    if (argc == 4 && std::string(argv[1]) == "--open-with")
    {
        launcher::MarkQtPlatformChosenByUs();
        return launcher::OpenWith(argv[2], "%file%", argv[3], "/", "").error.empty() ? 0 : 1;
    }
    QCoreApplication app(argc, argv);
    TestLauncher test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_launcher.moc"
