// Part 1.1 A and the failure table: Main's start-up sequence with the message box
// replaced by a recorder (offscreen, no display).
#include "app/Main.h"
#include "app/ProgramValues.h"
#include "app/MainWindow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace vistrel;

class TestMain : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    StartupEnv Env(std::vector<std::string> args) const
    {
        return {dir_.path().toStdString(), std::move(args), dir_.filePath("VISTREL").toStdString()};
    }

    // Closes the main window as soon as it is shown; records whether one was shown.
    static void CloseMainWindowWhenShown(bool& shown, QString& title)
    {
        auto* poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, &shown, &title] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* window = qobject_cast<MainWindow*>(w); window && window->isVisible()) {
                    shown = true;
                    title = window->windowTitle();
                    window->close();
                    poll->deleteLater();
                }
            }
        });
        poll->start(10);
    }

    static bool AnyMainWindow()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<MainWindow*>(w))
                return true;
        }
        return false;
    }

private slots:
    void noArgumentShowsWindowAndSavesSettings()
    {
        test::MsgBoxRecorder recorder;
        bool shown = false;
        QString title;
        CloseMainWindowWhenShown(shown, title);
        QCOMPARE(Main(Env({})), 0);
        QVERIFY(shown);
        QCOMPARE(title, QString("Vistrel"));
        QVERIFY(recorder.Messages().empty());
        QCOMPARE(program::CommandLineArg, std::string{});
        QCOMPARE(program::FileShareMode, 7);
        QVERIFY(program::OSVersion.IsNT);
        QCOMPARE(program::AutoZoomSteps, (std::array<int32_t, 4>{300, 200, 142, 100}));
        QCOMPARE(program::TwipsPerPixelX, TwipsPerPixelFromDpi(QGuiApplication::primaryScreen()->logicalDotsPerInchX()));
        // The program file "VISTREL" in capitals uses "Vistrel.ini" beside it.
        QCOMPARE(program::IniFile, dir_.filePath("Vistrel.ini").toStdString());
        QCOMPARE(program::IniBackupFile, dir_.filePath("Vistrel.bak").toStdString());
        QVERIFY(QFile::exists(dir_.filePath("Vistrel.ini")));
        QVERIFY(!QFile::exists(dir_.filePath("Vistrel.bak")));
        QVERIFY(!AnyMainWindow());
    }

    void fileArgumentBecomesCommandLineArg()
    {
        // A real MP4: the hand-over plays it (commandLinePlayTimer), so no refusal may appear.
        const std::string file = dir_.filePath("clip one.mp4").toStdString();
        QFile::remove(QString::fromStdString(file));
        QVERIFY(QFile::copy(VISTREL_FIXTURES_DIR "/media/mp4_h264_aac.mp4", QString::fromStdString(file)));
        test::MsgBoxRecorder recorder;
        bool shown = false;
        QString title;
        CloseMainWindowWhenShown(shown, title);
        QCOMPARE(Main(Env({dir_.filePath("clip").toStdString(), "one.mp4"})), 0);
        QVERIFY(shown);
        QCOMPARE(program::CommandLineArg, file);
        QVERIFY(recorder.Messages().empty());
    }

    void nonexistentArgumentEndsBeforeAnyWindow()
    {
        test::MsgBoxRecorder recorder;
        const std::string missing = dir_.filePath("missing.mp3").toStdString();
        QCOMPARE(Main(Env({missing})), 1);
        QCOMPARE(recorder.Messages().size(), size_t(1));
        QCOMPARE(recorder.Messages()[0].text, "\"" + missing + "\" isn't an existing file or folder - abort");
        QCOMPARE(recorder.Messages()[0].title, std::string("Error"));
        QCOMPARE(recorder.Messages()[0].flags, 16);
        QVERIFY(!AnyMainWindow());
    }

    void unprocessableArgumentEndsBeforeAnyWindow()
    {
        test::MsgBoxRecorder recorder;
        QCOMPARE(Main(Env({"\"/media/bad\xEF\xBF\xBE.mp3\""})), 1);
        QCOMPARE(recorder.Messages().size(), size_t(1));
        QCOMPARE(recorder.Messages()[0].text,
                 std::string("Unprocessable characters in commandline - abort\r\n/media/bad\xEF\xBF\xBE.mp3"));
        QCOMPARE(recorder.Messages()[0].title, std::string("Error"));
        QCOMPARE(recorder.Messages()[0].flags, 16);
    }

    void loadRetriesOnceAfterOutOfMemory()
    {
        int calls = 0;
        QElapsedTimer timer;
        timer.start();
        const int result = LoadRetryingOnceWhenOutOfMemory([&] {
            if (++calls == 1)
                throw std::bad_alloc();
            return 7;
        });
        QCOMPARE(result, 7);
        QCOMPARE(calls, 2);
        QVERIFY(timer.elapsed() >= 100);
        calls = 0;
        QVERIFY_THROWS_EXCEPTION(std::bad_alloc, LoadRetryingOnceWhenOutOfMemory([&]() -> int {
            ++calls;
            throw std::bad_alloc();
        }));
        QCOMPARE(calls, 2);
        calls = 0;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, LoadRetryingOnceWhenOutOfMemory([&]() -> int {
            ++calls;
            throw std::runtime_error("other");
        }));
        QCOMPARE(calls, 1);
    }

    void unprocessableCurrentDirectoryEndsFirst()
    {
        test::MsgBoxRecorder recorder;
        StartupEnv env = Env({"/also/missing.mp3"});
        env.CurrentDirectory = "/home/\xEF\xB8\x8F";
        QCOMPARE(Main(env), 1);
        QCOMPARE(recorder.Messages().size(), size_t(1));
        QCOMPARE(recorder.Messages()[0].text,
                 std::string("Unprocessable characters in current directorie's name - abort\r\n/home/\xEF\xB8\x8F"));
    }
};

QTEST_MAIN(TestMain)
#include "tst_part_1_1_main.moc"
