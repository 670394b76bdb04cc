// Open with: real programs started through the launcher. A recorder script writes its
// working folder, environment, process state and arguments (NUL-separated) to a file.
#include "platform/shell/Launcher.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>

using namespace vistrel;

// Writes 5 fields (working folder, QT_QPA_PLATFORM, /proc stat, open descriptors, signal masks), then the arguments.
constexpr const char* kRecorder =
    "#!/bin/sh\n"
    "{ printf '%s\\0' \"$(pwd -P)\" \"${QT_QPA_PLATFORM-unset}\" \"$(cat /proc/$$/stat)\" \"$(ls /proc/$$/fd)\" \\\n"
    "  \"$(grep -E '^Sig(Blk|Ign)' /proc/$$/status)\"; printf '%s\\0' \"$@\"; } > \"$VISTREL_RECORD.tmp\"\n"
    "mv \"$VISTREL_RECORD.tmp\" \"$VISTREL_RECORD\"\n";

class TestLauncher : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QByteArray d_ = dir_.path().toUtf8();
    QString record_ = dir_.filePath("record");
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
        if (!QTest::qWaitFor([&] { return QFile::exists(record_); }, 10000))
            return {};
        QList<QByteArray> fields = QByteArray::fromStdString(test::ReadText(record_.toStdString())).split('\0');
        QFile::remove(record_);
        return fields.mid(0, fields.size() - 1);  // after the last NUL
    }

private slots:
    void initTestCase()
    {
        for (const auto& [name, value] : {std::pair{"VISTREL_RECORD", record_.toUtf8()}, {"VISTREL_DIR", d_},
                                          {"HOME", d_}, {"XDG_DATA_HOME", d_ + "/apps"}, {"PATH", d_ + ":" + qgetenv("PATH")}})
            qputenv(name, value);
        for (const char* folder : {"work/tools", "prog/sub", "apps/applications"})
            QVERIFY(QDir().mkpath(dir_.filePath(folder)));
        for (const char* copy : {"rec.sh", "prog/sub/rec.sh", "work/tools/rec.sh"}) {
            test::WriteFile(dir_.filePath(copy).toStdString(), kRecorder);
            chmod(dir_.filePath(copy).toLocal8Bit(), 0755);
        }
        test::WriteFile(dir_.filePath("data.bin").toStdString(), "data");
        leak_ = fcntl(open("/dev/null", O_RDONLY | O_CLOEXEC), F_DUPFD, 200);  // without close-on-exec
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
        const QStringList file{"<file>"}, x{"-x", "<file>"};
        QTest::newRow("without %file%: only the file") << rec << "-x" << "" << a << file;
        QTest::newRow("quoted %file%") << rec << "\"%file%\"" << "" << QByteArray("a b.mp3") << file;
        QTest::newRow("inside a word") << rec << "--o=%file%" << "" << a << QStringList{"--o=<file>"};
        QTest::newRow("shell words, nothing expanded") << rec << "'a b' \"c\\\"d$HOME\" e\\ f %file%%file%" << ""
            << a << QStringList{"a b", "c\"d$HOME", "e f", "<file><file>"};
        QTest::newRow("a quote in the name") << rec << "%file%" << "" << QByteArray("a'b.mp3") << file;
        QTest::newRow("a line break in the name") << rec << "-x %file%" << "" << QByteArray("new\nline.mp3") << x;
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
        QTest::newRow("entry %U takes the parameters") << entry << "-x %file%" << "Exec=<dir>/rec.sh %U" << a << x;
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
        const auto started = launcher::OpenWith(Filled(program).toStdString(), params.toStdString(),
                                                file.toStdString(), work_, dir_.filePath("prog").toStdString());
        QList<QByteArray> expected;
        for (const QString& argument : arguments)
            expected << Filled(argument, QByteArray::fromStdString(fullName)).toUtf8();
        const bool fails = arguments.value(0).startsWith("Error executing");
        QCOMPARE(QByteArray::fromStdString(started.error), fails ? expected.value(0) : QByteArray());
        if (fails)
            return;
        const QList<QByteArray> fields = Record();
        QCOMPARE(fields.mid(5), expected);
        QCOMPARE(fields.value(0), QByteArray::fromStdString(work_));
        QCOMPARE(fields.value(1), QByteArray("offscreen"));  // passed on: not set by us
        QCOMPARE(fields.value(2).mid(fields.value(2).lastIndexOf(')') + 2).split(' ').value(3).toInt(), started.pid);  // session
        QVERIFY2(!fields.value(3).split('\n').contains(QByteArray::number(leak_)), fields.value(3));
        // posix_spawn leaves the C library's own signals 32 and 33 ignored; its programs set them up at start.
        const QList<QByteArray> masks = fields.value(4).split('\n');
        QCOMPARE(masks.value(0), QByteArray("SigBlk:\t0000000000000000"));
        QCOMPARE(masks.value(1).mid(8).toULongLong(nullptr, 16) & ~0x180000000ULL, 0ULL);
        QVERIFY(!QFile::exists(QString::fromStdString(work_ + "/X")));
        QTRY_VERIFY(!QFile::exists(QString("/proc/%1").arg(started.pid)));  // no zombie left
    }

    // Once we have set the platform variable for ourselves, the programs we start choose their own.
    void platformWeChoseIsNotPassedOn()
    {
        launcher::MarkQtPlatformChosenByUs();
        QCOMPARE(launcher::OpenWith(d_.toStdString() + "/rec.sh", "", "a.mp3", "/", "").error, std::string());
        QCOMPARE(Record().value(1), QByteArray("unset"));
    }
};

QTEST_GUILESS_MAIN(TestLauncher)
#include "tst_launcher.moc"
