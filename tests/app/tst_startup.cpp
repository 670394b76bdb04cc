// Start-up: the checks of the command line and the current folder with their exact error texts,
// a normal start that shows the window and writes the settings, and the settings file's place.
#include "app/CommandLine.h"
#include "app/Main.h"
#include "app/MainWindow.h"
#include "app/ProgramValues.h"
#include "browser/FileBrowser.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;

class TestStartup : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::string Path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }

private slots:
    void initTestCase()  // where bare names are looked up; a first start opens the home folder
    {
        QVERIFY(QDir::setCurrent(dir_.path()));
        qputenv("HOME", dir_.filePath("here").toUtf8());
    }

    // The current folder, then the command line are checked before anything loads; a failure ends
    // the start with one error box (names that are not clean UTF-8 are shown). Otherwise the window
    // shows with its argument (quotation marks and the program's path removed, blanks trimmed, cut
    // at a NUL, a relative name made absolute against the current folder) open, or the home
    // folder without one, and "VISTREL" saves to "Vistrel.ini".
    void start_data()
    {
        QTest::addColumn<QByteArray>("cwd");
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QByteArray>("argument");
        QTest::addColumn<QByteArray>("error");
        const QByteArray d = dir_.path().toUtf8(), program = d + "/VISTREL", bad = "Unprocessable characters in commandline - abort\r\n";
        const auto row = [&d](const char* name, const QByteArray& raw, const QByteArray& argument, const QByteArray& error = {},
                              const QByteArray& cwd = {}) { QTest::newRow(name) << (cwd.isNull() ? d : cwd) << raw << argument << error; };
        for (const char* folder : {"a b", "Größe ♫ 😀", "here", "c\"d"})
            QVERIFY(QDir(dir_.path()).mkpath(folder));
        row("none", "", "");
        row("quoted program and folder", "\"" + program + "\" \"" + d + "/a b\"  ", d + "/a b");
        row("program in other case", d.toLower() + "/vistrel", "");
        row("program then folder", program + " " + d + "/Größe ♫ 😀", d + "/Größe ♫ 😀");
        row("cut at NUL", QByteArray("\0 ", 2) + d, "");
        row("bare name", "here", d + "/here");
        row("relative with dots", "./here/../a b/", d + "/a b/");
        row("parent folder", "..", d + "/", {}, d + "/here");
        row("two names are one", d + "/no 1.mp3", "", "\"" + d + "/no 1.mp3\" isn't an existing file or folder - abort");
        row("name with a quote", d + "/c\"d", "", "\"" + d + "/cd\" isn't an existing file or folder - abort");
        row("U+FFFE quoted", "\"/m/a\xEF\xBF\xBE.mp3\"", "", bad + "/m/a\xEF\xBF\xBE.mp3");
        row("U+FE0F in blanks", "  /m/b\xEF\xB8\x8F.mp3 ", "", bad + "/m/b\xEF\xB8\x8F.mp3");
        row("not UTF-8", "/m/c\xFF.mp3", "", bad + "/m/c\xFF.mp3");
        row("overlong", "/m/\xC0\xAF", "", bad + "/m/\xC0\xAF");
        row("cut sequence", "/m/\xE2\x82", "", bad + "/m/\xE2\x82");
        row("surrogate", "/m/\xED\xA0\x80", "", bad + "/m/\xED\xA0\x80");
        row("above U+10FFFF", "/m/\xF4\x90\x80\x80", "", bad + "/m/\xF4\x90\x80\x80");
        row("folder not UTF-8", "/m/c\xFF", "", "Unprocessable characters in current directorie's name - abort\r\n/home/\xFE", "/home/\xFE");
    }
    void start()
    {
        QFETCH(QByteArray, cwd);
        QFETCH(QByteArray, raw);
        QFETCH(QByteArray, argument);
        QFETCH(QByteArray, error);
        QFile::remove(dir_.filePath("Vistrel.ini"));
        StartupEnv env{cwd.toStdString(), {}, Path("VISTREL")};
        for (const QByteArray& arg : raw.split(' '))  // the arguments are joined with blanks
            env.Arguments.push_back(arg.toStdString());
        program::CommandLineArg = "stale";
        test::MsgBoxRecorder recorder;
        QString shownTitle;
        std::string opened;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&shownTitle, &opened] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (const auto* window = qobject_cast<MainWindow*>(w); window && w->isVisible())
                    opened = window->Browser().CurrentFolder(), shownTitle = w->windowTitle(), w->close();
        });
        poll.start(10);
        QCOMPARE(Main(env), error.isEmpty() ? 0 : 1);
        QCOMPARE(shownTitle, error.isEmpty() ? QString("Vistrel") : QString());
        QCOMPARE(QFile::exists(dir_.filePath("Vistrel.ini")), error.isEmpty());
        QCOMPARE(opened, error.isEmpty() ? AddTrailingSlash(argument.isEmpty() ? Path("here") : argument.toStdString()) : "");
        QCOMPARE(program::CommandLineArg, error.isEmpty() ? argument.toStdString() : std::string("stale"));
        QCOMPARE(recorder.Messages().size(), size_t(error.isEmpty() ? 0 : 1));
        for (const test::RecordedMessage& m : recorder.Messages())
            QCOMPARE(m.title + " " + std::to_string(m.flags) + " " + m.text, "Error 16 " + error.toStdString());
    }

    // A file in a folder only root may enter exists for anyone else (stat fails with EACCES).
    void accessDeniedCountsAsExisting()
    {
        QVERIFY(::chmod(dir_.path().toLocal8Bit().constData(), 0755) == 0);
        const std::string closed = Path("closed"), inside = closed + "/inside.mp3";
        QVERIFY(::mkdir(closed.c_str(), 0700) == 0);
        test::WriteFile(inside, "x");
        QVERIFY(::chmod(closed.c_str(), 0) == 0);
        QCOMPARE(test::RunUnprivileged([&] { return FileExists(inside) && !CleanCommandLine(inside, "/x", "/").Failure ? 1 : 0; }), 1);
        QCOMPARE(test::RunUnprivileged([&] { return FileExists(Path("missing.mp3")) ? 1 : 0; }), 0);
        ::chmod(closed.c_str(), 0700);
    }

    // The nearest existing folder ends at the root, and a relative name has none. A name is
    // cut at 255 characters, not bytes.
    void folderAndNameRoutines()
    {
        QCOMPARE(GetNearestExistingFolder("/nonexistent-vistrel-folder/x"), std::string("/"));
        QCOMPARE(GetNearestExistingFolder("relative"), std::string{});
        QCOMPARE(GetFileNamePart("/a/" + std::string(300, 'x')), std::string(255, 'x'));
        const QByteArray wide = QString(300, u'ä').toUtf8();
        QCOMPARE(GetFileNamePart("/" + wide.toStdString()), wide.left(510).toStdString());
    }

    // Beside the program (its extension dropped) when its folder is writable, else in the
    // user's config folder.
    void settingsFileNames()
    {
        QCOMPARE(MakeIniNames("/opt/app/player.bin", true, "/cfg/").IniFile, std::string("/opt/app/player.ini"));
        QCOMPARE(MakeIniNames("/usr/bin/VISTREL", false, "/home/u/.config").IniBackupFile, std::string("/home/u/.config/Vistrel.bak"));
        qputenv("XDG_CONFIG_HOME", "/xdg/home");
        QCOMPARE(XdgConfigFolder(), std::string("/xdg/home/vistrel/"));
        qputenv("XDG_CONFIG_HOME", "relative");
        qputenv("HOME", "/home/someone");
        QCOMPARE(XdgConfigFolder(), std::string("/home/someone/.config/vistrel/"));
    }

    // Building the window is tried once more, 100 ms later, when memory ran out; only once.
    void loadRetriesOnceAfterRunningOutOfMemory()
    {
        int calls = 0;
        const auto failing = [&calls](int failures, auto error) {
            calls = 0;
            return [&calls, failures, error]() -> int { return ++calls <= failures ? throw error : 7; };
        };
        QElapsedTimer timer;
        timer.start();
        QVERIFY(LoadRetryingOnceWhenOutOfMemory(failing(1, std::bad_alloc())) == 7 && calls == 2 && timer.elapsed() >= 100);
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, LoadRetryingOnceWhenOutOfMemory(failing(2, std::bad_alloc())));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, LoadRetryingOnceWhenOutOfMemory(failing(1, std::runtime_error("x"))));
        QCOMPARE(calls, 1);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
