// Start-up: the command line and the current folder checked before any window, with the
// exact error texts; the settings file's name and place; a normal start that shows the
// window and writes the settings; the path routines the checks rely on.
#include "app/CommandLine.h"
#include "app/Main.h"
#include "app/MainWindow.h"
#include "app/ProgramValues.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;

class TestStartup : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QByteArray Dir() const { return dir_.path().toUtf8(); }
    std::string Path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
    QByteArray Touch(const std::string& name) const
    {
        test::WriteFile(Path(name), "x");
        return QByteArray::fromStdString(Path(name));
    }
    static MainWindow* FindMainWindow()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<MainWindow*>(w))
                return window;
        return nullptr;
    }

private slots:
    // A start ends with one error box before anything is loaded when the current folder or
    // the command line cannot be used (the folder is checked first); otherwise the window
    // shows and the settings are written: the program "VISTREL" keeps them in "Vistrel.ini".
    void start_data()
    {
        QTest::addColumn<QByteArray>("cwd");
        QTest::addColumn<QByteArrayList>("args");
        QTest::addColumn<QByteArray>("error");
        const QByteArray d = Dir(), badFolder = "Unprocessable characters in current directorie's name - abort\r\n";
        QTest::newRow("no argument") << d << QByteArrayList{} << QByteArray();
        QTest::newRow("a folder") << d << QByteArrayList{d} << QByteArray();
        QTest::newRow("missing") << d << QByteArrayList{d + "/no", "1.mp3"} << "\"" + d + "/no 1.mp3\" isn't an existing file or folder - abort";
        QTest::newRow("folder not UTF-8") << QByteArray("/home/\xFE") << QByteArrayList{"/m/c\xFF"} << badFolder + "/home/\xFE";
    }
    void start()
    {
        QFETCH(QByteArray, cwd);
        QFETCH(QByteArrayList, args);
        QFETCH(QByteArray, error);
        QFile::remove(dir_.filePath("Vistrel.ini"));
        StartupEnv env{cwd.toStdString(), {}, Path("VISTREL")};
        for (const QByteArray& arg : args)
            env.Arguments.push_back(arg.toStdString());
        program::CommandLineArg.clear();
        test::MsgBoxRecorder recorder;
        QString shownTitle;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&shownTitle] {
            if (MainWindow* window = FindMainWindow(); window && window->isVisible()) {
                shownTitle = window->windowTitle();
                window->close();
            }
        });
        poll.start(10);
        QCOMPARE(Main(env), error.isEmpty() ? 0 : 1);
        QCOMPARE(shownTitle, error.isEmpty() ? QString("Vistrel") : QString());
        QCOMPARE(QFile::exists(dir_.filePath("Vistrel.ini")), error.isEmpty());
        QVERIFY(!QFile::exists(dir_.filePath("Vistrel.bak")) && !FindMainWindow());
        QCOMPARE(program::CommandLineArg, error.isEmpty() ? args.join(' ').toStdString() : std::string());
        QCOMPARE(recorder.Messages().size(), size_t(error.isEmpty() ? 0 : 1));
        if (!error.isEmpty())
            QVERIFY(recorder.Messages()[0].text == error.toStdString() && recorder.Messages()[0].title == "Error"
                    && recorder.Messages()[0].flags == 16);
    }

    // The argument the window gets, or the refusal: quotation marks and the program's own
    // path removed, blanks trimmed, the text cut at a NUL, a bare name looked up in the
    // current folder; names that are not clean UTF-8 are refused with the text shown.
    void commandLine_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QByteArray>("argument");
        QTest::addColumn<QByteArray>("error");
        const QByteArray program = "/opt/Vistrel/vistrel", d = Dir();
        const QByteArray bad = "Unprocessable characters in commandline - abort\r\n";
        const auto notFound = [](const QByteArray& name) { return "\"" + name + "\" isn't an existing file or folder - abort"; };
        const QByteArray file = Touch("a b.mp3"), wide = Touch("Größe ♫ 😀.mp3");
        for (const char* name : {"ab.mp3", "c\"d.mp3", "here.mp3", "one.mp3", "two.mp3"})
            Touch(name);
        QTest::newRow("none") << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("quoted program and file") << "\"" + program + "\" \"" + file + "\"  " << file << QByteArray();
        QTest::newRow("quote inside") << d + "/a\"b.mp3" << d + "/ab.mp3" << QByteArray();
        QTest::newRow("program in other case") << QByteArray("/OPT/vistrel/VISTREL") << QByteArray() << QByteArray();
        QTest::newRow("program then file") << program + " " + wide << wide << QByteArray();
        QTest::newRow("blanks") << "   " + file + "   " << file << QByteArray();
        QTest::newRow("cut at NUL") << QByteArray("\0 ", 2) + file << QByteArray() << QByteArray();
        QTest::newRow("folder") << d << d << QByteArray();
        QTest::newRow("bare name") << QByteArray("here.mp3") << QByteArray("here.mp3") << QByteArray();
        QTest::newRow("two files are one name") << d + "/one.mp3 " + d + "/two.mp3" << QByteArray() << notFound(d + "/one.mp3 " + d + "/two.mp3");
        // Every quotation mark is removed, so a name holding one cannot be passed.
        QTest::newRow("name with a quote") << d + "/c\"d.mp3" << QByteArray() << notFound(d + "/cd.mp3");
        QTest::newRow("U+FFFE quoted") << QByteArray("\"/m/a\xEF\xBF\xBE.mp3\"") << QByteArray() << bad + "/m/a\xEF\xBF\xBE.mp3";
        QTest::newRow("U+FE0F in blanks") << QByteArray("  /m/b\xEF\xB8\x8F.mp3 ") << QByteArray() << bad + "/m/b\xEF\xB8\x8F.mp3";
        QTest::newRow("not UTF-8") << QByteArray("/m/c\xFF.mp3") << QByteArray() << bad + "/m/c\xFF.mp3";
        QTest::newRow("overlong") << QByteArray("/m/\xC0\xAF") << QByteArray() << bad + "/m/\xC0\xAF";
        QTest::newRow("cut sequence") << QByteArray("/m/\xE2\x82") << QByteArray() << bad + "/m/\xE2\x82";
        QTest::newRow("surrogate") << QByteArray("/m/\xED\xA0\x80") << QByteArray() << bad + "/m/\xED\xA0\x80";
        QTest::newRow("above U+10FFFF") << QByteArray("/m/\xF4\x90\x80\x80") << QByteArray() << bad + "/m/\xF4\x90\x80\x80";
    }
    void commandLine()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QByteArray, argument);
        QFETCH(QByteArray, error);
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        const CommandLineResult result = CleanCommandLine(raw.toStdString(), "/opt/Vistrel/vistrel");
        QDir::setCurrent(previous);
        QCOMPARE(result.Argument, argument.toStdString());
        QCOMPARE(result.Failure ? QByteArray::fromStdString(result.Failure->Text) : QByteArray(), error);
        QVERIFY(!result.Failure || (result.Failure->Title == "Error" && result.Failure->Flags == 16));
    }

    void accessDeniedCountsAsExisting()
    {
        // A folder that only root may enter: for anyone else stat fails with EACCES.
        QVERIFY(::chmod(dir_.path().toLocal8Bit().constData(), 0755) == 0);
        const std::string closed = Path("closed");
        QVERIFY(::mkdir(closed.c_str(), 0700) == 0);
        const std::string inside = closed + "/inside.mp3";
        test::WriteFile(inside, "x");
        if (::geteuid() != 0)
            QVERIFY(::chmod(closed.c_str(), 0) == 0);
        QCOMPARE(test::RunUnprivileged([&] { return FileExists(inside) ? 1 : 0; }), 1);
        QCOMPARE(test::RunUnprivileged([&] { return CleanCommandLine(inside, "/x").Failure ? 0 : 1; }), 1);
        QCOMPARE(test::RunUnprivileged([&] { return FileExists(Path("missing.mp3")) ? 1 : 0; }), 0);
        ::chmod(closed.c_str(), 0700);
    }

    // A remembered folder may have vanished: the nearest existing one is used instead.
    // A name is cut at 255 characters, not bytes.
    void folderAndNameRoutines()
    {
        const std::string root = dir_.path().toStdString();
        QVERIFY(QDir(dir_.path()).mkpath("sub/deeper"));
        const std::string file = Touch("sub/song.mp3").toStdString();
        QVERIFY(GetContainingFolder(file) == root + "/sub/" && GetContainingFolder(root + "/sub/gone/x.mp3") == root + "/sub/");
        QCOMPARE(GetNearestExistingFolder(root + "/sub/deeper"), root + "/sub/deeper");
        QCOMPARE(GetNearestExistingFolder(root + "/sub/gone/more/x"), root + "/sub/");
        QCOMPARE(GetNearestExistingFolder(file), root + "/sub/");
        QCOMPARE(GetNearestExistingFolder("/nonexistent-vistrel-folder/x"), std::string("/"));
        QCOMPARE(GetNearestExistingFolder("relative"), std::string{});
        QCOMPARE(GetFileNamePart("/a/" + std::string(300, 'x')), std::string(255, 'x'));
        const QByteArray wide = QString(300, u'ä').toUtf8();
        QCOMPARE(GetFileNamePart("/" + wide.toStdString()), wide.left(510).toStdString());
    }

    // Beside the program when its folder is writable, else in the user's config folder.
    void settingsFileNames()
    {
        const IniNames caps = MakeIniNames("/opt/app/VISTREL", true, "/home/u/.config/vistrel/");
        QCOMPARE(caps.IniFile, std::string("/opt/app/Vistrel.ini"));
        QCOMPARE(caps.IniBackupFile, std::string("/opt/app/Vistrel.bak"));
        QCOMPARE(MakeIniNames("/opt/app/player.bin", true, "/cfg/").IniFile, std::string("/opt/app/player.ini"));
        QCOMPARE(MakeIniNames("/opt/app/vistrel", true, "/cfg/").IniFile, std::string("/opt/app/vistrel.ini"));
        const IniNames readOnly = MakeIniNames("/usr/bin/VISTREL", false, "/home/u/.config/vistrel/");
        QCOMPARE(readOnly.IniFile, std::string("/home/u/.config/vistrel/Vistrel.ini"));
        QCOMPARE(readOnly.IniBackupFile, std::string("/home/u/.config/vistrel/Vistrel.bak"));
        qputenv("XDG_CONFIG_HOME", "/xdg/home");
        QCOMPARE(XdgConfigFolder(), std::string("/xdg/home/vistrel/"));
        qputenv("XDG_CONFIG_HOME", "relative");
        qputenv("HOME", "/home/someone");
        QCOMPARE(XdgConfigFolder(), std::string("/home/someone/.config/vistrel/"));
    }

    void loadRetriesOnceAfterRunningOutOfMemory()
    {
        int calls = 0;
        const auto failing = [&calls](int failures, auto error) {
            return [&calls, failures, error]() -> int { return ++calls <= failures ? throw error : 7; };
        };
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(LoadRetryingOnceWhenOutOfMemory(failing(1, std::bad_alloc())), 7);
        QVERIFY(calls == 2 && timer.elapsed() >= 100);
        calls = 0;
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, LoadRetryingOnceWhenOutOfMemory(failing(2, std::bad_alloc())));
        QCOMPARE(calls, 2);
        calls = 0;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, LoadRetryingOnceWhenOutOfMemory(failing(1, std::runtime_error("x"))));
        QCOMPARE(calls, 1);
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
