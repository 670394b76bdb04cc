// Part 1.3: the main window's timers, the start-folder choice with "Error accessing ",
// expandButton, closeButton and the save at close (offscreen, message boxes recorded).
#include "app/MainTimers.h"
#include "app/StartFolder.h"
#include "app/ProgramValues.h"
#include "app/MainWindow.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <memory>

using namespace vistrel;

// Receives the URLs QDesktopServices would hand to the desktop.
class UrlRecorder : public QObject {
    Q_OBJECT

public:
    QList<QUrl> urls;

public slots:
    void Open(const QUrl& url) { urls.append(url); }
};

class TestLifecycle : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    std::string Path(const QString& name) const { return dir_.filePath(name).toStdString(); }

    // A fresh INI with these keys in [Settings]; the window reads it at load.
    std::unique_ptr<MainWindow> LoadWindow(const std::string& keys)
    {
        program::IniFile = Path("Vistrel.ini");
        program::IniBackupFile = Path("Vistrel.bak");
        QFile::remove(dir_.filePath("Vistrel.bak"));
        test::WriteFile(program::IniFile, "[Settings]\n" + keys);
        return std::make_unique<MainWindow>(Path("vistrel"));
    }

    std::string MakeFolder(const QString& name) const
    {
        QDir(dir_.path()).mkpath(name);
        return Path(name) + "/";
    }

    static DriveReadyPredicate ReadyUnlessUnder(const std::string& notReady)
    {
        return [notReady](const std::string& path) { return path.rfind(notReady, 0) != 0; };
    }

private slots:
    void everyTimerExistsStoppedWithItsInterval()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadWindow("");
        const std::vector<std::pair<const char*, int>> inventory{
            {"positionTimer", 10}, {"mouseTimer", 50}, {"seekRepeatTimer", 100}, {"playSpeedTimer", 300},
            {"commandLinePlayTimer", 10}, {"folderChangeTimer", 500}, {"fileListFocusTimer", 30},
            {"deferredDeletionTimer", 2000}, {"closeLastMediaTimer", 600}, {"showVideoRailTimer", 100},
            {"railMoveTimer", 10}, {"videoPositionTimer", 10}, {"showSeekPreviewTimer", 500},
            {"updateSeekPreviewTimer", 10}, {"fileToolTipTimer", 100},
            {"hideOnFullscreenTimer", 1000}, {"hideTipTimer", 2000}};
        QCOMPARE(window->findChildren<QTimer*>().size(), qsizetype(inventory.size()));
        QCOMPARE(window->Timers().All().size(), inventory.size());
        for (const auto& [name, interval] : inventory) {
            const auto* timer = window->findChild<QTimer*>(name);
            QVERIFY2(timer, name);
            QCOMPARE(timer->interval(), interval);
            QVERIFY2(!timer->isActive(), name);
        }
        QVERIFY(window->Timers().commandLinePlayTimer->isSingleShot());
        QVERIFY(!window->Timers().positionTimer->isSingleShot());
    }

    void timPlayByCmdlnPlaysOnceAndDisablesItself()
    {
        MainTimers timers;
        int plays = 0;
        timers.PlaySelectedTitle = [&] { ++plays; };
        timers.commandLinePlayTimer->start();
        QTRY_COMPARE(plays, 1);
        QVERIFY(!timers.commandLinePlayTimer->isActive());
        QTest::qWait(50);
        QCOMPARE(plays, 1);

        timers.PlaySelectedTitle = nullptr;  // an empty hook does nothing
        timers.commandLinePlayTimer->start();
        QTRY_VERIFY(!timers.commandLinePlayTimer->isActive());
    }

    void startFolderChoice()
    {
        const std::string path = MakeFolder("path");
        const std::string fixed = MakeFolder("fixed");
        const auto allReady = [](const std::string&) { return true; };
        const auto noneReady = [](const std::string&) { return false; };

        StartFolderChoice choice = ChooseStartFolder(path, fixed, allReady);
        QCOMPARE(choice.Folder.value_or("none"), path);
        QVERIFY(!choice.ShowAccessError);

        // Part 1.3 edge case: Path on a drive that is not ready, NonremovablePath ready.
        choice = ChooseStartFolder(path, fixed, ReadyUnlessUnder(path));
        QCOMPARE(choice.Folder.value_or("none"), fixed);
        QVERIFY(!choice.ShowAccessError);

        // A vanished folder on a ready drive gives its nearest existing folder.
        choice = ChooseStartFolder(path + "gone/deeper/", fixed, allReady);
        QCOMPARE(choice.Folder.value_or("none"), path);

        choice = ChooseStartFolder(path, fixed, noneReady);
        QVERIFY(!choice.Folder);
        QVERIFY(choice.ShowAccessError);

        choice = ChooseStartFolder("", fixed, noneReady);
        QVERIFY(!choice.Folder);
        QVERIFY(!choice.ShowAccessError);

        choice = ChooseStartFolder("", fixed, allReady);
        QCOMPARE(choice.Folder.value_or("none"), fixed);

        QCOMPARE(StartFolderErrorText("/media/usb/Videos/"), std::string("Error accessing /media/usb/Videos/"));
    }

    void realDrivePredicate()
    {
        QVERIFY(IsDriveOfPathReady(dir_.path().toStdString()));
        QVERIFY(!IsDriveOfPathReady(Path("unplugged/Videos/")));
    }

    void loadOpensNonremovablePathWhenPathIsNotReady()
    {
        test::MsgBoxRecorder recorder;
        const std::string fixed = MakeFolder("fixed");
        const auto window = LoadWindow("Path=" + Path("unplugged/Videos/") + "\nNonremovablePath=" + fixed + "\n");
        QCOMPARE(window->CurrentFolder(), fixed);
        QVERIFY(recorder.Messages().empty());
    }

    void loadOpensPath()
    {
        test::MsgBoxRecorder recorder;
        const std::string path = MakeFolder("path");
        const auto window = LoadWindow("Path=" + path + "\nNonremovablePath=" + MakeFolder("fixed") + "\n");
        QCOMPARE(window->CurrentFolder(), path);
        QVERIFY(recorder.Messages().empty());
    }

    void loadShowsErrorAccessingPathWhenNoFolderRemains()
    {
        test::MsgBoxRecorder recorder;
        const std::string path = Path("unplugged/Videos/");
        const auto window = LoadWindow("Path=" + path + "\nNonremovablePath=" + Path("gone/too/") + "\n");
        QCOMPARE(window->CurrentFolder(), std::string{});
        QCOMPARE(recorder.Messages().size(), size_t(1));
        QCOMPARE(recorder.Messages()[0].text, "Error accessing " + path);
        QCOMPARE(recorder.Messages()[0].flags, int(vbExclamation));
        QCOMPARE(recorder.Messages()[0].title, std::string("Vistrel"));
        QVERIFY(window->isVisible());
        QVERIFY(!QApplication::overrideCursor());
    }

    void loadWithoutPathShowsNoError()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadWindow("NonremovablePath=" + Path("gone/too/") + "\n");
        QCOMPARE(window->CurrentFolder(), std::string{});
        QVERIFY(recorder.Messages().empty());
    }

    void screenDpiIsTheScreensLogicalDpi()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadWindow("");
        QCOMPARE(window->ScreenDpi(), int(window->screen()->logicalDotsPerInchX()));
        QVERIFY(window->ScreenDpi() > 0);
    }

    void cmdExpandMakesWindow70PixelsTaller()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadWindow("");
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const int width = window->width();
        const int height = window->height();
        auto* expandButton = window->findChild<QPushButton*>("expandButton");
        QVERIFY(expandButton);
        QCOMPARE(expandButton->text(), QString("v"));
        expandButton->click();
        QTRY_COMPARE(window->height(), height + 70);
        QCOMPARE(window->width(), width);
    }

    void cmdCloseClosesAndSavesWithClosingSet()
    {
        test::MsgBoxRecorder recorder;
        const std::string path = MakeFolder("path");
        const auto window = LoadWindow("Path=" + path + "\n");
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(!window->Closing());
        QFile::remove(QString::fromStdString(program::IniFile));
        bool closingWhenSaved = false;
        bool iniWhenSaved = false;
        connect(window.get(), &MainWindow::Unloaded, this, [&] {
            closingWhenSaved = window->Closing();
            iniWhenSaved = QFile::exists(QString::fromStdString(program::IniFile));
        });
        auto* closeButton = window->findChild<QPushButton*>("closeButton");
        QVERIFY(closeButton);
        QCOMPARE(closeButton->text(), QString("Close"));
        closeButton->click();
        QVERIFY(!window->isVisible());
        QVERIFY(iniWhenSaved);
        QVERIFY(closingWhenSaved);
        QVERIFY(test::ReadText(program::IniFile).find("Path=" + path) != std::string::npos);
        QVERIFY(recorder.Messages().empty());
    }

    void lblHomepageOpensTheHomepage()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadWindow("");
        auto* homepageLabel = window->findChild<QLabel*>("homepageLabel");
        QVERIFY(homepageLabel);
        QVERIFY(homepageLabel->text().contains(">Homepage<"));
        UrlRecorder urls;
        QDesktopServices::setUrlHandler("file", &urls, "Open");
        window->HomepageClicked();
        QDesktopServices::unsetUrlHandler("file");
        QCOMPARE(urls.urls, QList<QUrl>{QUrl(kHomepageUrl)});
    }
};

QTEST_MAIN(TestLifecycle)
#include "tst_part_1_3_lifecycle.moc"
