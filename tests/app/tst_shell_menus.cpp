// The main window's "Open with" entries, "Properties" and the folder menu's "Explorer from
// here", "&Copy Path" and "&Copy Folder Name", through the real launcher and clipboard.
#include "app/MainMenus.h"
#include "support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QtTest>

#include <sys/stat.h>

using namespace vistrel;

class TestShellMenus : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;
    QList<QByteArray> openedUrls_;

    std::string Folder() const { return fixture_.Path("music"); }

    std::unique_ptr<MainWindow> Window(const std::string& program, const std::string& folder)
    {
        return fixture_.Load("Path=" + folder + "/\nShellName1=Rec\nShellPath1=" + program + "\nShellParam1=%file%\n");
    }

public slots:
    void OpenUrl(const QUrl& url) { openedUrls_ << url.toEncoded(); }

private slots:
    void initTestCase()
    {
        QDir().mkpath(QString::fromStdString(Folder()));
        for (const char* name : {"a.mp3", "b.mp3"})
            test::WriteFile(Folder() + "/" + name, "x");
        const std::string recorder = fixture_.Path("rec.sh");
        test::WriteFile(recorder, "#!/bin/sh\nprintf '%s\\0' \"$(pwd -P)\" \"$@\" > \"$0.tmp\"; mv \"$0.tmp\" \"$0.out\"\n");
        chmod(recorder.c_str(), 0755);
        QDesktopServices::setUrlHandler("file", this, "OpenUrl");
    }

    void openWithTakesTheOneSelectedFile_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("started");  // the recorder's working folder and file
        const QString recorder = QString::fromStdString(fixture_.Path("rec.sh"));
        const QByteArray folder = QByteArray::fromStdString(Folder());
        QTest::newRow("none selected") << QList<int>{} << recorder << "Please select a single file!" << QByteArray();
        QTest::newRow("two selected") << QList<int>{0, 1} << recorder << "Please select a single file!" << QByteArray();
        QTest::newRow("one, caret on another") << QList<int>{1} << recorder << "" << folder + '\0' + folder + "/b.mp3";
        QTest::newRow("missing program") << QList<int>{0} << "/nope" << "Error executing '/nope':\nNo such file or directory"
                                         << QByteArray();
    }

    void openWithTakesTheOneSelectedFile()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QString, program);
        QFETCH(QString, message);
        QFETCH(QByteArray, started);
        const auto window = Window(program.toStdString(), Folder());
        test::SelectRows(*window, rows, 0);
        test::MsgBoxRecorder boxes;
        window->Menus().openWithEntries->Element(1)->trigger();
        QCOMPARE(boxes.Messages().size(), message.isEmpty() ? 0u : 1u);
        if (!message.isEmpty()) {
            QCOMPARE(boxes.Messages()[0].text, message.toStdString());
            QCOMPARE(boxes.Messages()[0].flags, int(kMsgExclamation));
        }
        QFile output(QString::fromStdString(fixture_.Path("rec.sh.out")));
        if (!started.isEmpty()) {
            QTRY_VERIFY(output.exists());
            QVERIFY(output.open(QIODevice::ReadOnly));
            QCOMPARE(output.readAll(), started + '\0');
            output.remove();
        }
    }

    void folderAndPropertiesEntries_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QList<QByteArray>>("opened");
        QTest::addColumn<bool>("dialog");
        const QString folder = QString::fromStdString(Folder());
        const QList<QByteArray> none;
        QTest::newRow("&Copy Path") << "copyPathAction" << folder << QList<int>{} << folder << none << false;
        QTest::newRow("&Copy Path, root") << "copyPathAction" << "" << QList<int>{} << "/" << none << false;
        QTest::newRow("&Copy Folder Name") << "copyFolderAction" << folder << QList<int>{} << "music" << none << false;
        QTest::newRow("&Copy Folder Name, root") << "copyFolderAction" << "" << QList<int>{} << "" << none << false;
        QTest::newRow("Explorer from here") << "exploreFromHereAction" << folder << QList<int>{} << ""
                                            << QList<QByteArray>{"file://" + folder.toUtf8()} << false;
        QTest::newRow("Properties of the focus file") << "propertiesAction" << folder << QList<int>{0} << "" << none << true;
        QTest::newRow("Properties, two selected") << "propertiesAction" << folder << QList<int>{0, 1} << "" << none << false;
    }

    void folderAndPropertiesEntries()
    {
        QFETCH(QString, action);
        QFETCH(QString, folder);
        QFETCH(QList<int>, rows);
        QFETCH(QString, clipboard);
        QFETCH(QList<QByteArray>, opened);
        QFETCH(bool, dialog);
        const auto window = Window("/nope", folder.toStdString());
        test::SelectRows(*window, rows, 0);
        QApplication::clipboard()->clear();
        openedUrls_.clear();
        window->findChild<QAction*>(action)->trigger();
        // The file manager's answer (none on the test bus) comes back within its timeout.
        QTRY_COMPARE(openedUrls_, opened);
        QTRY_COMPARE(window->findChild<QDialog*>("propertiesDialog") != nullptr, dialog);
        QCOMPARE(QApplication::clipboard()->text(), clipboard);
    }
};

QTEST_MAIN(TestShellMenus)
#include "tst_shell_menus.moc"
