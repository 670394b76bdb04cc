// Part 4.1's window side and Part 1.1 E: the browser's three widgets, the command-line
// hand-over and the folder watch (offscreen, message boxes recorded).
#include "app/MainTimers.h"
#include "app/ProgramValues.h"
#include "app/MainWindow.h"
#include "browser/FileBrowser.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

using namespace vistrel;

class TestBrowser : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    std::string Path(const QString& name) const { return dir_.filePath(name).toStdString(); }

    // A folder `name` holding the listed files a.MP3 and B.wav, and c.txt, .hidden.mp3,
    // x.xyz and the subfolder "sub" that the file list does not show.
    std::string MakeMediaFolder(const QString& name) const
    {
        QDir(dir_.path()).mkpath(name + "/sub");
        for (const char* file : {"a.MP3", "B.wav", "c.txt", ".hidden.mp3", "x.xyz"})
            test::WriteFile(Path(name + "/" + file), "x");
        return Path(name) + "/";
    }

    std::unique_ptr<MainWindow> LoadWindow(const std::string& commandLineArg, const std::string& keys = "")
    {
        program::IniFile = Path("Vistrel.ini");
        program::IniBackupFile = Path("Vistrel.bak");
        program::CommandLineArg = commandLineArg;
        test::WriteFile(program::IniFile, "[Settings]\n" + keys);
        auto window = std::make_unique<MainWindow>(Path("vistrel"));
        program::CommandLineArg.clear();
        return window;
    }

    static QListWidget* Files(const MainWindow& window) { return window.findChild<QListWidget*>("fileList"); }
    static QListWidget* Folders(const MainWindow& window) { return window.findChild<QListWidget*>("folderList"); }

    static QStringList Texts(const QListWidget* list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text().trimmed();
        return texts;
    }

    static QStringList SelectedTexts(const QListWidget* list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected())
                texts << list->item(i)->text();
        return texts;
    }

    // Runs a fixed shell command in `folder` as another process.
    static void RunInFolder(const std::string& folder, const QString& command)
    {
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(folder));
        process.start("/bin/sh", {"-c", command});
        QVERIFY(process.waitForFinished(5000));
        QCOMPARE(process.exitCode(), 0);
    }

    // A shown window on a folder holding f0.mp3 .. f4.mp3 (list rows 0 .. 4), no selection.
    std::unique_ptr<MainWindow> LoadSelectionWindow(const QString& name)
    {
        QDir(dir_.path()).mkpath(name);
        for (int i = 0; i < 5; ++i)
            test::WriteFile(Path(name + QString("/f%1.mp3").arg(i)), "x");
        auto window = LoadWindow("", "Path=" + Path(name) + "/\n");
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window.get()))
            return nullptr;
        return window;
    }

    // Sets the selection to `rows` and the caret to `caret`, as the program does.
    static void Select(MainWindow& window, const QList<int>& rows, int caret)
    {
        window.Browser().ProgrammaticSelection = true;
        QListWidget* files = Files(window);
        files->clearSelection();
        files->setCurrentRow(caret, QItemSelectionModel::NoUpdate);
        for (int row : rows)
            files->item(row)->setSelected(true);
        window.Browser().ProgrammaticSelection = false;
    }

    static QList<int> SelectedRows(const QListWidget* list)
    {
        QList<int> rows;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->isSelected())
                rows << i;
        return rows;
    }

    static void RightClick(QListWidget* files, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(files->viewport(), Qt::RightButton, modifiers,
                          files->visualItemRect(files->item(row)).center());
    }

    static QPoint Center(const QListWidget* files, int row) { return files->visualItemRect(files->item(row)).center(); }

private slots:
    void threeWidgetsExist()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadWindow("");
        QVERIFY(window->findChild<QComboBox*>("driveBox"));
        QVERIFY(Folders(*window));
        QCOMPARE(Files(*window)->selectionMode(), QAbstractItemView::ExtendedSelection);
    }

    void folderListsMediaFilesAndSubfolders()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = MakeMediaFolder("listed");
        const auto window = LoadWindow("", "Path=" + folder + "\n");
        QCOMPARE(window->Browser().CurrentFolder(), folder);
        QCOMPARE(Texts(Files(*window)), (QStringList{"a.MP3", "B.wav"}));
        const QStringList folders = Texts(Folders(*window));
        QCOMPARE(folders.front(), QString("/"));
        QCOMPARE(folders.back(), QString("sub"));
        QCOMPARE(folders.at(folders.size() - 2), QString("listed"));
        QCOMPARE(window->Browser().GetFullFilename(1), folder + "B.wav");
        QVERIFY(recorder.Messages().empty());
    }

    void folderListOpensSubfolderOnActivation()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = MakeMediaFolder("activate");
        const auto window = LoadWindow("", "Path=" + folder + "\n");
        QListWidget* folderList = Folders(*window);
        emit folderList->itemActivated(folderList->item(folderList->count() - 1));
        QCOMPARE(window->Browser().CurrentFolder(), folder + "sub/");
        QVERIFY(Files(*window)->count() == 0);
    }

    void folderListKeys()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = MakeMediaFolder("keys");
        QDir(dir_.path()).mkpath("keys/sub/deeper");
        const auto window = LoadWindow("", "Path=" + folder + "\n");
        QListWidget* folderList = Folders(*window);
        const int openRow = folderList->currentRow();
        QCOMPARE(folderList->currentItem()->text().trimmed(), QString("keys"));
        QTest::keyClick(folderList, Qt::Key_Right);  // the open folder: highlight its first subfolder
        QCOMPARE(folderList->currentRow(), openRow + 1);
        QTest::keyClick(folderList, Qt::Key_Minus, Qt::KeypadModifier);  // a subfolder: nothing
        QCOMPARE(folderList->currentRow(), openRow + 1);
        QTest::keyClick(folderList, Qt::Key_Left);  // a subfolder: back to the open folder
        QCOMPARE(folderList->currentRow(), openRow);
        QTest::keyClick(folderList, Qt::Key_Right);
        QTest::keyClick(folderList, Qt::Key_Right);  // a subfolder: open it
        QCOMPARE(window->Browser().CurrentFolder(), folder + "sub/");
        QCOMPARE(folderList->currentItem()->text().trimmed(), QString("sub"));
        QTest::keyClick(folderList, Qt::Key_Down);
        QTest::keyClick(folderList, Qt::Key_Return);  // Enter opens the highlighted folder
        QCOMPARE(window->Browser().CurrentFolder(), folder + "sub/deeper/");
        QTest::keyClick(folderList, Qt::Key_Left);  // the open folder: its parent, the folder left highlighted
        QCOMPARE(window->Browser().CurrentFolder(), folder + "sub/");
        QCOMPARE(folderList->currentItem()->text().trimmed(), QString("deeper"));
        QCOMPARE(Texts(Files(*window)), QStringList{});
    }

    void fileListSetFocusTimerStopsOnceTheListHasFocus()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadWindow("", "Path=" + MakeMediaFolder("focus") + "\n");
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        window->findChild<QListWidget*>("folderList")->setFocus();
        window->Timers().fileListFocusTimer->start();
        QTRY_VERIFY(!window->Timers().fileListFocusTimer->isActive());
        QVERIFY(Files(*window)->hasFocus());
    }

    void fileArgumentOpensItsFolderAndSelectsIt()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = MakeMediaFolder("file");
        const auto window = LoadWindow("\"" + folder + "B.wav\"");
        QCOMPARE(window->Browser().CurrentFolder(), folder);
        QCOMPARE(SelectedTexts(Files(*window)), QStringList{"B.wav"});
        QCOMPARE(Files(*window)->currentItem()->text(), QString("B.wav"));
        QCOMPARE(window->Browser().SelectedCount(), 1);
        QVERIFY(window->Timers().commandLinePlayTimer->isActive());
        QVERIFY(!window->Browser().ProgrammaticSelection);
        QVERIFY(recorder.Messages().empty());
    }

    void fileOutsideTheFilterIsListedAndSelected()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = MakeMediaFolder("xyz");
        const auto window = LoadWindow(folder + "x.xyz");
        QCOMPARE(Texts(Files(*window)), (QStringList{"a.MP3", "B.wav", "x.xyz"}));
        QCOMPARE(SelectedTexts(Files(*window)), QStringList{"x.xyz"});
        QCOMPARE(window->Browser().Patterns.back(), std::string("*.xyz"));
    }

    void folderArgumentSelectsNothing()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = MakeMediaFolder("folder");
        const auto window = LoadWindow(folder);
        QCOMPARE(window->Browser().CurrentFolder(), folder);
        QCOMPARE(Texts(Files(*window)), (QStringList{"a.MP3", "B.wav"}));
        QVERIFY(SelectedTexts(Files(*window)).isEmpty());
        QVERIFY(!window->Timers().commandLinePlayTimer->isActive());
    }

    void vanishedArgumentShowsNotFoundAndOpensStartFolder()
    {
        test::MsgBoxRecorder recorder;
        const std::string start = MakeMediaFolder("start");
        const std::string missing = Path("gone.mp3");
        const auto window = LoadWindow(missing, "Path=" + start + "\n");
        QCOMPARE(recorder.Messages().size(), size_t(1));
        QCOMPARE(recorder.Messages()[0].text, "'" + missing + "'  not found");
        QCOMPARE(recorder.Messages()[0].title, std::string("Vistrel"));
        QCOMPARE(recorder.Messages()[0].flags, 48);
        QCOMPARE(window->Browser().CurrentFolder(), start);
        QVERIFY(!window->Timers().commandLinePlayTimer->isActive());
    }

    void clickPlaysUnlessProgrammatic()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = MakeMediaFolder("click");
        const auto window = LoadWindow(folder + "a.MP3");
        QStringList tags;
        window->Browser().PlaySelectedTitle = [&tags](const std::string& tag) { tags << QString::fromStdString(tag); };
        QVERIFY(tags.isEmpty());  // the hand-over's selection did not play
        Files(*window)->item(1)->setSelected(true);
        QCOMPARE(tags, QStringList{"fileList_click"});
        QTRY_VERIFY(!window->Timers().commandLinePlayTimer->isActive());
        QCOMPARE(tags, (QStringList{"fileList_click", "commandLinePlayTimer"}));
    }

    void folderWatchFollowsAnotherProcess()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = Path("watched") + "/";
        QDir(dir_.path()).mkpath("watched");
        test::WriteFile(folder + "keep.mp3", "x");
        test::WriteFile(folder + "old.mp3", "x");
        const auto window = LoadWindow("", "Path=" + folder + "\n");
        QListWidget* files = Files(*window);
        QCOMPARE(Texts(files), (QStringList{"keep.mp3", "old.mp3"}));
        window->Browser().ProgrammaticSelection = true;
        files->item(0)->setSelected(true);
        window->Browser().ProgrammaticSelection = false;

        RunInFolder(folder, "touch new.mp3 && mv old.mp3 renamed.mp3 && touch note.txt");
        QTRY_COMPARE_WITH_TIMEOUT(Texts(files), (QStringList{"keep.mp3", "new.mp3", "renamed.mp3"}), 1000);
        QCOMPARE(SelectedTexts(files), QStringList{"keep.mp3"});

        RunInFolder(folder, "rm new.mp3");
        QTRY_COMPARE_WITH_TIMEOUT(Texts(files), (QStringList{"keep.mp3", "renamed.mp3"}), 1000);
        QCOMPARE(SelectedTexts(files), QStringList{"keep.mp3"});
        QVERIFY(recorder.Messages().empty());
    }

    void burstOfChangesRefreshesOnce()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = Path("burst") + "/";
        QDir(dir_.path()).mkpath("burst");
        const auto window = LoadWindow("", "Path=" + folder + "\n");
        QListWidget* files = Files(*window);
        int fills = 0;
        connect(files->model(), &QAbstractItemModel::modelReset, this, [&fills] { ++fills; });
        RunInFolder(folder, "for n in 1 2 3 4 5 6 7 8 9; do touch f$n.mp3; done");
        QTRY_COMPARE_WITH_TIMEOUT(files->count(), 9, 1000);
        QTest::qWait(300);
        QCOMPARE(fills, 1);
    }

    void vanishedFolderMovesToItsParent()
    {
        test::MsgBoxRecorder recorder;
        const std::string parent = MakeMediaFolder("parent");
        const auto window = LoadWindow("", "Path=" + parent + "sub/\n");
        QCOMPARE(window->Browser().CurrentFolder(), parent + "sub/");
        RunInFolder(parent, "rmdir sub");
        QTRY_COMPARE_WITH_TIMEOUT(window->Browser().CurrentFolder(), parent, 1000);
        QCOMPARE(Texts(Files(*window)), (QStringList{"a.MP3", "B.wav"}));
    }

    void rightClickOnUnselectedItemSelectsOnlyIt()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadSelectionWindow("rclick");
        QVERIFY(window);
        QListWidget* files = Files(*window);
        QStringList tags;
        window->Browser().PlaySelectedTitle = [&tags](const std::string& tag) { tags << QString::fromStdString(tag); };
        QList<QPoint> menus;
        connect(&window->Browser(), &FileBrowser::FileContextMenuRequested, this,
                [&menus, &window](QPoint at) {
                    QVERIFY(window->Browser().ProgrammaticSelection);
                    menus << at;
                });
        Select(*window, {0, 1}, 1);
        RightClick(files, 3);
        QCOMPARE(SelectedRows(files), QList<int>{3});
        QCOMPARE(files->currentRow(), 3);
        QCOMPARE(menus.size(), 1);
        QCOMPARE(menus[0], files->viewport()->mapToGlobal(Center(files, 3)));
        QVERIFY(tags.isEmpty());  // the right click's selection does not play
        QVERIFY(!window->Browser().ProgrammaticSelection);
    }

    void rightClickOnSelectedItemKeepsTheSelection()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadSelectionWindow("rkeep");
        QVERIFY(window);
        QListWidget* files = Files(*window);
        int menus = 0;
        connect(&window->Browser(), &FileBrowser::FileContextMenuRequested, this, [&menus] { ++menus; });
        Select(*window, {1, 2, 4}, 4);
        RightClick(files, 2);
        QCOMPARE(SelectedRows(files), (QList<int>{1, 2, 4}));
        QCOMPARE(files->currentRow(), 4);
        QCOMPARE(menus, 1);
    }

    void rightClickWithShiftSelectsTheRangeFromTheCaret()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadSelectionWindow("rshift");
        QVERIFY(window);
        QListWidget* files = Files(*window);
        Select(*window, {0}, 3);
        RightClick(files, 1, Qt::ShiftModifier);  // range 1 .. 3 added, row 0 kept
        QCOMPARE(SelectedRows(files), (QList<int>{0, 1, 2, 3}));
        QCOMPARE(files->currentRow(), 3);
        Select(*window, {}, 1);
        RightClick(files, 4, Qt::ShiftModifier | Qt::ControlModifier);  // Shift wins
        QCOMPARE(SelectedRows(files), (QList<int>{1, 2, 3, 4}));
    }

    void rightClickWithCtrlTogglesTheItemAndMakesItTheCaret()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadSelectionWindow("rctrl");
        QVERIFY(window);
        QListWidget* files = Files(*window);
        Select(*window, {0, 2}, 0);
        RightClick(files, 4, Qt::ControlModifier);
        QCOMPARE(SelectedRows(files), (QList<int>{0, 2, 4}));
        QCOMPARE(files->currentRow(), 4);
        RightClick(files, 2, Qt::ControlModifier);
        QCOMPARE(SelectedRows(files), (QList<int>{0, 4}));
        QCOMPARE(files->currentRow(), 2);
    }

    void rightClickBelowTheLastItemDoesNothing()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadSelectionWindow("rbelow");
        QVERIFY(window);
        QListWidget* files = Files(*window);
        int menus = 0;
        connect(&window->Browser(), &FileBrowser::FileContextMenuRequested, this, [&menus] { ++menus; });
        Select(*window, {1}, 1);
        const QRect last = files->visualItemRect(files->item(4));
        QVERIFY(last.bottom() + 10 < files->viewport()->height());
        QTest::mouseClick(files->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(last.center().x(), last.bottom() + 10));
        QCOMPARE(SelectedRows(files), QList<int>{1});
        QCOMPARE(menus, 0);
    }

    void selectAllToggle()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadSelectionWindow("selall");
        QVERIFY(window);
        QListWidget* files = Files(*window);
        QStringList tags;
        window->Browser().PlaySelectedTitle = [&tags](const std::string& tag) { tags << QString::fromStdString(tag); };
        Select(*window, {0}, 2);
        window->Browser().ToggleSelectAllFiles();  // not all selected: all
        QCOMPARE(SelectedRows(files), (QList<int>{0, 1, 2, 3, 4}));
        QCOMPARE(files->currentRow(), 2);
        window->Browser().ToggleSelectAllFiles();  // all selected: only the caret item
        QCOMPARE(SelectedRows(files), QList<int>{2});
        QCOMPARE(files->currentRow(), 2);
        QVERIFY(tags.isEmpty());
        QVERIFY(!window->Browser().ProgrammaticSelection);
    }

    void fileSizeToolTip()
    {
        test::MsgBoxRecorder recorder;
        QDir(dir_.path()).mkpath("tip");
        test::WriteFile(Path("tip/a.mp3"), std::string(1234, 'x'));
        QFile big(dir_.filePath("tip/b.mp3"));
        QVERIFY(big.open(QIODevice::WriteOnly));
        QVERIFY(big.resize(2'500'000));
        big.close();
        const auto window = LoadWindow("", "Path=" + Path("tip") + "/\n");
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QListWidget* files = Files(*window);
        FileBrowser& browser = window->Browser();
        QTimer* timer = window->Timers().fileToolTipTimer;
        QCOMPARE(timer->interval(), 100);

        const QPoint a = Center(files, 0);
        browser.FileListMouseMoved(a);  // a new item: cleared, the timer restarts
        QCOMPARE(files->toolTip(), QString());
        QVERIFY(timer->isActive());
        browser.FileToolTipStep(a);  // the cursor came from elsewhere: only remembered
        QCOMPARE(files->toolTip(), QString());
        browser.FileToolTipStep(a + QPoint(2, -2));  // resting (within 2 pixels)
        QCOMPARE(files->toolTip(), QString(" 1.234 KB "));
        QVERIFY(!timer->isActive());

        const QPoint b = Center(files, 1);
        browser.FileListMouseMoved(b);  // another item: cleared
        QCOMPARE(files->toolTip(), QString());
        browser.FileToolTipStep(b);
        browser.FileToolTipStep(b);
        QCOMPARE(files->toolTip(), QString(" 2.5 MB "));

        const QRect last = files->visualItemRect(files->item(1));
        browser.FileListMouseMoved(QPoint(last.center().x(), last.bottom() + 10));  // below the items
        QCOMPARE(files->toolTip(), QString());
        QVERIFY(!timer->isActive());

        // Mouse moves over the list reach the tool-tip rule (the timer restarts on an item).
        QTest::mouseMove(files->viewport(), a);
        QTRY_VERIFY(timer->isActive());
    }

    void driveBoxPassesTheFocusOnToTheFileList()
    {
        test::MsgBoxRecorder recorder;
        const auto window = LoadSelectionWindow("drivefocus");
        QVERIFY(window);
        auto* driveBox = window->findChild<QComboBox*>("driveBox");
        QListWidget* folderList = Folders(*window);
        folderList->setFocus();
        driveBox->setFocus(Qt::TabFocusReason);  // by Tab: it stays
        QTest::qWait(20);
        QVERIFY(driveBox->hasFocus());
        folderList->setFocus();
        driveBox->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(Files(*window)->hasFocus());
    }
};

QTEST_MAIN(TestBrowser)
#include "tst_part_4_1_browser.moc"
