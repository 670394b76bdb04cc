// The main window: the start folder it opens (or the "Error accessing" message), the
// settings it applies at load and writes back at close, and the list menus it builds.
#include "app/MainMenus.h"
#include "app/StartFolder.h"
#include "browser/Drives.h"
#include "browser/ListMenus.h"
#include "platform/mci/SpareEngine.h"
#include "support/MainWindowFixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QLabel>
#include <QtTest>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vistrel;

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;
    QString Home() const { return QString::fromStdString(fixture_.Path("home")); }

    static QString VisibleTexts(const QMenu* menu)  // separators as "-", entries joined by "|"
    {
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (action->isVisible())
                texts << (action->isSeparator() ? QString("-") : action->text());
        return texts.join('|');
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(QString::fromStdString(fixture_.Path())).mkpath("path/fixed") && QDir().mkpath(Home()));
        qputenv("HOME", Home().toUtf8());
    }

    // On the MCI back end the engine of the first title is made while the window opens, so
    // the first click does not wait for one; DirectShow titles need none. The DirectShow row
    // goes first: nothing before it in this test makes an engine.
    void engineMadeAheadForTheFirstTitle_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<bool>("made");
        QTest::newRow("DirectShow") << QByteArray("UseMCI=0\n") << false;
        QTest::newRow("MCI") << QByteArray("UseMCI=1\n") << true;
    }
    void engineMadeAheadForTheFirstTitle()
    {
        QFETCH(QByteArray, keys);
        QFETCH(bool, made);
        const auto window = fixture_.Show(keys.toStdString());
        const auto ready = [] {
            return mci::SpareEngineReady(mci::EngineKind{true, false}) || mci::SpareEngineReady(mci::EngineKind{false, false});
        };
        if (made)
            QVERIFY(QTest::qWaitFor(ready, 10000));
        else
            QVERIFY(!QTest::qWaitFor(ready, 1500));
    }

    // Path, else NonremovablePath when Path's drive is not ready, each reduced to its nearest
    // existing folder; else the home folder, after the error when Path is set. A Path that
    // differs from NonremovablePath was saved on a removable drive: when only a fixed drive
    // holds what is left of it, its drive is gone (an unplugged stick).
    void startFolder_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QByteArray>("opened");
        QTest::addColumn<QByteArray>("error");
        const QByteArray d = QByteArray::fromStdString(fixture_.Path()), gone = "Path=" + d + "/unplugged/Videos/\n";
        QTest::newRow("Path") << "Path=" + d + "/path/\nNonremovablePath=" + d + "/path/fixed/" << d + "/path/" << QByteArray();
        QTest::newRow("Path's drive gone") << gone + "NonremovablePath=" + d + "/path/fixed/" << d + "/path/fixed/" << QByteArray();
        QTest::newRow("folder deleted") << "Path=" + d + "/path/gone/more/\nNonremovablePath=" + d + "/path/gone/more/"
                                        << d + "/path/" << QByteArray();
        QTest::newRow("no drive left") << gone << Home().toUtf8() << "Error accessing " + d + "/unplugged/Videos/";
        QTest::newRow("first start") << QByteArray() << Home().toUtf8() << QByteArray();
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
        for (const test::RecordedMessage& m : recorder.Messages())
            QCOMPARE(m.title + " " + std::to_string(m.flags) + " " + m.text, "Vistrel 48 " + error.toStdString());
        QVERIFY(error.isEmpty() || window->isVisible());  // the message stands in front of the window
        QVERIFY(!QApplication::overrideCursor());
    }

    // In a chroot whose root is no mount point the mount table has no "/": the root still is a
    // listed, ready drive, and a deleted folder in it falls back to its parent.
    void rootOfAChrootIsADrive()
    {
        const std::string root = fixture_.Path("chroot");
        QVERIFY(QDir().mkpath(QString::fromStdString(root + "/proc")));
        const pid_t child = ::fork();
        if (child == 0) {
            // As root a mount namespace of its own; otherwise one inside a user namespace.
            const bool unshared = ::unshare(CLONE_NEWNS) == 0 || ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0;
            const bool jailed = unshared && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0
                && ::mount("/proc", (root + "/proc").c_str(), nullptr, MS_BIND | MS_REC, nullptr) == 0
                && ::chroot(root.c_str()) == 0;
            ::_exit(!jailed ? 2 : ListDrives().front().mountPoint == "/" && IsDriveOfSavedFolderReady("/music/", true) ? 0 : 1);
        }
        int status = 0;
        QVERIFY(::waitpid(child, &status, 0) == child && WIFEXITED(status));
        QVERIFY2(WEXITSTATUS(status) != 2, "no mount namespace for a chroot (needs root or user namespaces)");
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    // A FIFO, a socket or a device named like a media file is refused at once with the tip of
    // an unreadable file, clicked in the list or given on the command line.
    void specialFileIsRefusedWithoutWaiting_data()
    {
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<bool>("commandLine");
        for (const char* kind : {"fifo", "socket", "device"}) {
            QTest::newRow(kind) << QByteArray(kind) << false;
            QTest::newRow(QByteArray(kind).append(" argument")) << QByteArray(kind) << true;
        }
    }
    void specialFileIsRefusedWithoutWaiting()
    {
        QFETCH(QByteArray, kind);
        QFETCH(bool, commandLine);
        const std::string folder = fixture_.Path(QTest::currentDataTag()) + "/", name = folder + kind.toStdString() + ".mp3";
        QVERIFY(QDir().mkpath(QString::fromStdString(folder)) && test::MakeSpecialFile(name, kind.toStdString()));
        test::MsgBoxRecorder recorder;
        const auto window = fixture_.Show("Path=" + folder + "\n", commandLine ? name : "");
        QListView* files = window->Controls().fileList;
        QCOMPARE(files->model()->rowCount(), 1);
        if (!commandLine)
            QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, test::RowRect(*window, 0).center());
        QTRY_COMPARE(window->Controls().tipLabel->text(), QString("access denied"));
        QVERIFY(!window->Controls().tipBox->isHidden() && recorder.Messages().empty());
    }

    // The settings apply at load (no tool tip at all when they are off) and go back into the
    // file when the close button closes the window, the check boxes as the user left them.
    void settingsApplyAndGoBackAtClose()
    {
        test::MsgBoxRecorder recorder;
        QVERIFY(!fixture_.Load()->Controls().skipButtons[1]->toolTip().isEmpty());
        const std::string path = fixture_.Path("path") + "/";
        const auto window = fixture_.Load("Path=" + path + "\nAll=1\nLoop=0\nOverlapped=1\nToolTips=0\nFontName=Serif\nFontSize=11\n");
        for (const QWidget* w : window->findChildren<QWidget*>())
            QVERIFY2(w->toolTip().isEmpty(), qPrintable(w->objectName()));
        const MainControls& c = window->Controls();
        QVERIFY(c.playAllCheck->isChecked() && !c.loopCheck->isChecked() && c.overlappedCheck->isChecked());
        c.loopCheck->setChecked(true);
        c.playAllCheck->setChecked(false);
        c.closeButton->click();
        QVERIFY(!window->isVisible() && recorder.Messages().empty());
        const QString ini = QString::fromStdString(test::ReadText(program::IniFile));
        for (const QString& key : QString::fromStdString("All=0 Loop=1 Overlapped=1 ToolTips=0 FontName=Serif FontSize=11 Path=" + path).split(' '))
            QVERIFY2(ini.contains('\n' + key + '\n'), qPrintable(key));
    }

    // The move-to, copy-to, go-to and open-with menus: entries with their hotkeys (the tenth digit
    // shows as ":"), "+++" as a separator, the fixed entries; an empty open-with menu is hidden
    // with its separator.
    void listMenus_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QStringList>("menus");
        const QByteArray lists = "CopyMoveToName1=Music\nCopyMoveToPath1=/m\nCopyMoveToName2=+++\nCopyMoveToPath2=+++\n"
                                 "CopyMoveToName3=/recent\nCopyMoveToPath3=/recent\nGoToNameA=Films\nGoToPathA=/f\n";
        const QString f = "|-|Add Current Folder|Configure List...|Browse...";
        QTest::newRow("lists") << lists + "ShellName1=Editor\tF3\nShellPath1=/usr/bin/true\nShellHotkey1=3\n"
                               << QStringList{"Music\tAlt+1|-|/recent\tAlt+3" + f, "Music\tShift+1|-|/recent\tShift+3" + f,
                                              "Films\tShift+A" + f, "Editor\tF3"};
        QTest::newRow("hotkeys off") << lists + "UseMenuHotkeys=0\n"
                                     << QStringList{"Music\tAlt+|-|/recent\tAlt+" + f, "Music\tShift+|-|/recent\tShift+" + f,
                                                    "Films\tShift+" + f, ""};
    }
    void listMenus()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QStringList, menus);
        const auto window = fixture_.Load(keys.toStdString());
        const MainMenus& m = window->Menus();
        QStringList shown;
        for (const QMenu* menu : {m.moveToMenu.popup, m.copyToMenu.popup, m.goToMenu.popup, m.openWithMenu})
            shown << VisibleTexts(menu);
        QCOMPARE(shown, menus);
        const bool openWith = !menus.last().isEmpty();
        QVERIFY(m.openWithMenu->menuAction()->isVisible() == openWith && m.openWithSeparator->isVisible() == openWith);
        QCOMPARE(ListMenuCaption("J", "Alt+", kDigitFirstCode, 10, true), std::string("J\tAlt+:"));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
