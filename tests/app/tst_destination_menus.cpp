// The destination lists in the main window, through its menus: going to a goto entry,
// Add Current Folder, the list editor, Browse, and the recent folders of new titles, each
// rebuilding the menus and saving the lists.
#include "app/MainMenus.h"
#include "browser/ListEditor.h"
#include "playback/TitlePlayControl.h"
#include "support/MainWindowFixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace vistrel;

class TestDestinationMenus : public QObject {
    Q_OBJECT

    test::MainWindowFixture fixture_;
    std::string Folder(const std::string& name) const
    {
        QDir().mkpath(QString::fromStdString(fixture_.Path(name)));
        return fixture_.Path(name);
    }
    static void Trigger(const MainWindow& window, const char* action)
    {
        window.findChild<QAction*>(action)->trigger();
    }
    static QString Ini() { return QString::fromStdString(test::ReadText(program::IniFile)); }

private slots:
    // Missing targets on other drives: a fall-back to an existing parent would change the drive.
    void goToEntry_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("opens");
        QTest::newRow("folder") << QString::fromStdString(Folder("target")) << true;
        QTest::newRow("missing") << "/proc/vistrel-missing" << false;
        QTest::newRow("file") << "/dev/null" << false;
    }
    void goToEntry()
    {
        QFETCH(QString, target);
        QFETCH(bool, opens);
        const auto window = fixture_.Load("GoToNameA=+++\nGoToPathA=+++\nGoToNameB=T\nGoToPathB=" + target.toStdString() + "\n");
        window->Browser().SetFolder(Folder("start"));
        const int drive = window->Controls().driveBox->currentIndex();
        test::MsgBoxRecorder recorder;
        Trigger(*window, "goToEntries_1");  // the separator does nothing
        Trigger(*window, "goToEntries_2");
        QCOMPARE(window->Browser().FolderListPath(), opens ? target.toStdString() + "/" : Folder("start") + "/");
        QCOMPARE(recorder.Messages().size(), size_t(!opens));
        if (!opens) {
            QCOMPARE(recorder.Messages()[0].text, "Error going to '" + target.toStdString() + "'");
            QCOMPARE(recorder.Messages()[0].flags, int(kMsgExclamation));
            QCOMPARE(window->Controls().driveBox->currentIndex(), drive);
        }
    }

    // Add Current Folder feeds both copy/move menus; a new title's folder becomes a recent goto
    // entry; the goto editor removes the separator; Browse opens the chosen folder.
    void listActions()
    {
        const auto window = fixture_.Load();
        window->Browser().SetFolder(Folder("a"));
        Trigger(*window, "copyToEntriesAddCurrent");
        window->TitlePlay().Hooks.AddFolderToHistory();
        const QString a = QString::fromStdString(Folder("a"));
        QCOMPARE(window->findChild<QAction*>("moveToEntries_1")->text(), a + "\tAlt+1");
        QCOMPARE(window->findChild<QAction*>("goToEntries_2")->text(), a + "\tShift+B");
        QVERIFY(Ini().contains("\nCopyMoveToPath1=" + a + "\n") && Ini().contains("\nGoToPathB=" + a + "\n"));

        QStringList captions;
        const DialogRunner previous = SetDialogRunner([&](QDialog& editor) {
            captions << editor.windowTitle();
            editor.findChild<QListWidget*>("itemList")->setCurrentRow(0);
            editor.findChild<QPushButton*>("removeButton")->click();
            editor.findChild<QPushButton*>("okButton")->click();
            return editor.result();
        });
        Trigger(*window, "goToEntriesConfig");
        Trigger(*window, "moveToEntriesConfig");
        SetDialogRunner(previous);
        QCOMPARE(captions, (QStringList{kGotoListCaption, kCopyMoveListCaption}));
        QCOMPARE(window->findChild<QAction*>("goToEntries_1")->text(), a + "\tShift+A");
        QVERIFY(window->CurrentSettings().CopyMoveTo.empty());
        QVERIFY(Ini().contains("\nGoToPathA=" + a + "\n") && !Ini().contains("GoToPathB") && !Ini().contains("CopyMoveToPath1"));

        std::string title;
        const FolderChooser previousChooser = SetFolderChooser([&](QWidget*, const std::string& t, const std::string&) {
            title = t;
            return Folder("b");
        });
        Trigger(*window, "goToBrowseAction");
        SetFolderChooser(previousChooser);
        QCOMPARE(title, std::string("Select Folder"));
        QCOMPARE(window->Browser().FolderListPath(), Folder("b") + "/");
    }
};

QTEST_MAIN(TestDestinationMenus)
#include "tst_destination_menus.moc"
