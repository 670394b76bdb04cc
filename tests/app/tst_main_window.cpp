// The main window: the start folder it opens (or the "Error accessing" message), the
// settings it applies at load and writes back at close, and the list menus it builds.
#include "app/MainMenus.h"
#include "app/StartFolder.h"
#include "browser/ListMenus.h"
#include "support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

#include <map>

using namespace vistrel;

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;

    static QStringList VisibleTexts(const QMenu* menu)
    {
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (action->isVisible())
                texts << (action->isSeparator() ? QString("-") : action->text());
        return texts;
    }

private slots:
    void initTestCase()
    {
        for (const char* folder : {"path", "fixed"})
            QVERIFY(QDir().mkpath(QString::fromStdString(fixture_.Path(folder))));
    }

    // Path, else NonremovablePath when Path cannot be reached; the error only when Path is
    // set. A folder that no longer exists counts as on a drive that is not ready, as the
    // folder of an unplugged stick does.
    void startFolder_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QByteArray>("opened");
        QTest::addColumn<QByteArray>("error");
        const QByteArray d = QByteArray::fromStdString(fixture_.Path());
        QTest::newRow("Path") << "Path=" + d + "/path/\nNonremovablePath=" + d + "/fixed/" << d + "/path/" << QByteArray();
        QTest::newRow("Path's folder gone") << "Path=" + d + "/unplugged/Videos/\nNonremovablePath=" + d + "/fixed/" << d + "/fixed/" << QByteArray();
        QTest::newRow("both folders gone") << "Path=" + d + "/unplugged/Videos/\nNonremovablePath=" + d + "/gone/" << QByteArray()
                                   << "Error accessing " + d + "/unplugged/Videos/";
        QTest::newRow("no Path") << "NonremovablePath=" + d + "/gone/" << QByteArray() << QByteArray();
    }
    void startFolder()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QByteArray, opened);
        QFETCH(QByteArray, error);
        test::MsgBoxRecorder recorder;
        const auto window = fixture_.Load(keys.toStdString() + "\n");
        QCOMPARE(window->CurrentFolder(), opened.toStdString());
        QCOMPARE(recorder.Messages().size(), size_t(error.isEmpty() ? 0 : 1));
        if (!error.isEmpty()) {
            QCOMPARE(recorder.Messages()[0].text, error.toStdString());
            QVERIFY(recorder.Messages()[0].flags == kMsgExclamation && recorder.Messages()[0].title == "Vistrel");
            QVERIFY(window->isVisible());  // the message stands in front of the window
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    // On a drive that is ready, a folder that vanished gives its nearest existing folder.
    void startFolderOnAReadyDrive()
    {
        const std::string path = fixture_.Path("path") + "/";
        const auto ready = [](const std::string&) { return true; };
        QCOMPARE(ChooseStartFolder(path + "gone/deeper/", fixture_.Path("fixed"), ready).Folder.value_or("none"), path);
    }

    // The close button closes the window, which saves with its closing flag set; the check
    // boxes as the user left them and the loaded font name go back into the file.
    void closeSavesTheSettings()
    {
        test::MsgBoxRecorder recorder;
        const std::string path = fixture_.Path("path") + "/";
        const auto window = fixture_.Load("Path=" + path + "\nAll=1\nLoop=0\nOverlapped=1\nFontName=MS Shell Dlg\nFontSize=11\n");
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const MainControls& c = window->Controls();
        QVERIFY(c.playAllCheck->isChecked() && !c.loopCheck->isChecked() && c.overlappedCheck->isChecked());
        c.loopCheck->setChecked(true);
        c.playAllCheck->setChecked(false);
        QFile::remove(QString::fromStdString(program::IniFile));
        bool closingWhenSaved = false, savedBeforeUnloaded = false;
        connect(window.get(), &MainWindow::Unloaded, this, [&] {
            closingWhenSaved = window->Closing();
            savedBeforeUnloaded = QFile::exists(QString::fromStdString(program::IniFile));
        });
        QVERIFY(!window->Closing());
        c.closeButton->click();
        QVERIFY(!window->isVisible() && closingWhenSaved && savedBeforeUnloaded);
        const std::string ini = test::ReadText(program::IniFile);
        for (const std::string& key : std::vector<std::string>{"Path=" + path, "FontName=MS Shell Dlg", "FontSize=11", "All=0", "Loop=1", "Overlapped=1"})
            QVERIFY2(ini.find("\n" + key + "\n") != std::string::npos, key.c_str());
        QVERIFY(recorder.Messages().empty());
    }

    void toolTipsOffClearsEveryToolTip()
    {
        QVERIFY(!fixture_.Load("ToolTips=1\n")->Controls().skipButtons[1]->toolTip().isEmpty());
        const auto window = fixture_.Load("ToolTips=0\n");
        for (const QWidget* w : window->findChildren<QWidget*>())
            QVERIFY2(w->toolTip().isEmpty(), qPrintable(w->objectName()));
    }

    void listMenus_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QByteArray>("menu");
        QTest::addColumn<QStringList>("texts");
        const QByteArray lists = "CopyMoveToName1=Music\nCopyMoveToPath1=/m\nCopyMoveToName2=+++\nCopyMoveToPath2=+++\n"
                                 "CopyMoveToName3=/recent\nCopyMoveToPath3=/recent\nGoToNameA=Films\nGoToPathA=/f\n";
        const QStringList fixed{"-", "Add Current Folder", "Configure List...", "Browse..."};
        QTest::newRow("move to") << lists << QByteArray("moveTo") << QStringList{"Music\tAlt+1", "-", "/recent\tAlt+3"} + fixed;
        QTest::newRow("copy to") << lists << QByteArray("copyTo") << QStringList{"Music\tShift+1", "-", "/recent\tShift+3"} + fixed;
        QTest::newRow("go to") << lists << QByteArray("goTo") << QStringList{"Films\tShift+A"} + fixed;
        QTest::newRow("hotkeys off") << lists + "UseMenuHotkeys=0\n" << QByteArray("goTo") << QStringList{"Films\tShift+"} + fixed;
        QTest::newRow("open with") << QByteArray("ShellName1=Editor\tF3\nShellPath1=/usr/bin/true\nShellHotkey1=3\n")
                                   << QByteArray("openWith") << QStringList{"Editor\tF3"};
        QTest::newRow("open with, empty") << QByteArray() << QByteArray("openWith") << QStringList{};
    }
    void listMenus()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QByteArray, menu);
        QFETCH(QStringList, texts);
        const auto window = fixture_.Load(keys.toStdString());
        const MainMenus& m = window->Menus();
        const std::map<QByteArray, QMenu*> menus{
            {"moveTo", m.moveToMenu.popup}, {"copyTo", m.copyToMenu.popup}, {"goTo", m.goToMenu.popup}, {"openWith", m.openWithMenu}};
        QCOMPARE(VisibleTexts(menus.at(menu)), texts);
        const bool openWith = keys.contains("ShellName");  // hidden with its separator when empty
        QVERIFY(m.openWithMenu->menuAction()->isVisible() == openWith && m.openWithSeparator->isVisible() == openWith);
    }

    // A rebuild with fewer names leaves no stale entries; the tenth digit is shown as ":".
    void listMenuRebuildAndTenthHotkey()
    {
        QMenu menu;
        MenuArray array(&menu, nullptr, "goToEntries");
        array.Build({"a", "b", "c"}, "Shift+", kLetterFirstCode, true);
        array.Build({"x"}, "Shift+", kLetterFirstCode, true);
        QCOMPARE(VisibleTexts(&menu), QStringList({"x\tShift+A"}));
        array.Build({}, "Shift+", kLetterFirstCode, true);
        QVERIFY(VisibleTexts(&menu).isEmpty());
        QCOMPARE(ListMenuCaption("A", "Alt+", kDigitFirstCode, 10, true), std::string("A\tAlt+:"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
