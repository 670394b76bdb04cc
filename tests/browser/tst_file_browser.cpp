// The browser in the main window: the folder and file lists, their keys and clicks, the
// command line's file or folder handed over at start, the watch on the open folder, the
// right-click selection and the size tool tip (offscreen, message boxes recorded).
#include "app/MainTimers.h"
#include "support/MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QtTest>

using namespace vistrel;

class TestFileBrowser : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;

    // A folder holding a.MP3 and B.wav, which are listed, and c.txt, .hidden.mp3, x.xyz
    // and the subfolder "sub", which are not.
    std::string MediaFolder(const std::string& name) const
    {
        QDir().mkpath(QString::fromStdString(fixture_.Path(name + "/sub")));
        for (const char* file : {"a.MP3", "B.wav", "c.txt", ".hidden.mp3", "x.xyz"})
            test::WriteFile(fixture_.Path(name + "/" + file), "x");
        return fixture_.Path(name) + "/";
    }
    static QStringList Texts(const QListWidget* list, bool selectedOnly = false)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            if (!selectedOnly || list->item(i)->isSelected())
                texts << list->item(i)->text().trimmed();
        return texts;
    }
    static void Run(const std::string& folder, const QString& command)  // as another process
    {
        QProcess process;
        process.setWorkingDirectory(QString::fromStdString(folder));
        process.start("/bin/sh", {"-c", command});
        QVERIFY(process.waitForFinished(5000) && process.exitCode() == 0);
    }

private slots:
    void listingKeysAndActivation()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = MediaFolder("keys");
        QDir().mkpath(QString::fromStdString(folder + "sub/deeper"));
        const auto window = fixture_.Load("Path=" + folder + "\n");
        QListWidget* folders = window->Controls().folderList;
        QCOMPARE(Texts(window->Controls().fileList), (QStringList{"a.MP3", "B.wav"}));
        QCOMPARE(Texts(folders).first(), QString("/"));
        QCOMPARE(Texts(folders).mid(folders->count() - 2), (QStringList{"keys", "sub"}));
        QCOMPARE(window->Browser().GetFullFilename(1), folder + "B.wav");
        const int openRow = folders->currentRow();
        QTest::keyClick(folders, Qt::Key_Right);  // on the open folder: its first subfolder
        QCOMPARE(folders->currentRow(), openRow + 1);
        QTest::keyClick(folders, Qt::Key_Minus, Qt::KeypadModifier);  // on a subfolder: nothing
        QTest::keyClick(folders, Qt::Key_Left);  // on a subfolder: back to the open folder
        QCOMPARE(folders->currentRow(), openRow);
        QTest::keyClick(folders, Qt::Key_Right);
        QTest::keyClick(folders, Qt::Key_Right);  // on a subfolder: opens it
        QCOMPARE(window->Browser().CurrentFolder(), folder + "sub/");
        QTest::keyClick(folders, Qt::Key_Down);
        QTest::keyClick(folders, Qt::Key_Return);
        QCOMPARE(window->Browser().CurrentFolder(), folder + "sub/deeper/");
        QTest::keyClick(folders, Qt::Key_Left);  // on the open folder: its parent, the child highlighted
        QCOMPARE(window->Browser().CurrentFolder(), folder + "sub/");
        QCOMPARE(folders->currentItem()->text().trimmed(), QString("deeper"));
        emit folders->itemActivated(folders->item(folders->count() - 1));
        QCOMPARE(window->Browser().CurrentFolder(), folder + "sub/deeper/");
        QVERIFY(window->Controls().fileList->count() == 0 && recorder.Messages().empty());
    }

    // The argument's folder opens with the file selected and played soon after; a file the
    // patterns do not list is listed all the same; a vanished one gives a message and the
    // usual start folder.
    void handOver_data()
    {
        QTest::addColumn<QByteArray>("argument");
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QByteArray>("message");
        const QStringList media{"a.MP3", "B.wav"};  // "%1" is the folder
        QTest::newRow("file") << QByteArray("%1B.wav") << media << QStringList{"B.wav"} << QByteArray();
        QTest::newRow("quoted file") << QByteArray("\"%1B.wav\"") << media << QStringList{"B.wav"} << QByteArray();
        QTest::newRow("outside the patterns") << QByteArray("%1x.xyz") << media + QStringList{"x.xyz"} << QStringList{"x.xyz"} << QByteArray();
        QTest::newRow("folder") << QByteArray("%1") << media << QStringList{} << QByteArray();
        QTest::newRow("vanished") << QByteArray("%1gone.mp3") << QStringList{"start.mp3"} << QStringList{} << QByteArray("'%1gone.mp3'  not found");
    }
    void handOver()
    {
        QFETCH(QByteArray, argument);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, selected);
        QFETCH(QByteArray, message);
        test::MsgBoxRecorder recorder;
        const std::string folder = MediaFolder(QTest::currentDataTag()), start = fixture_.Path("start") + "/";
        QDir().mkpath(QString::fromStdString(start));
        test::WriteFile(start + "start.mp3", "x");
        const auto window = fixture_.Load("Path=" + start + "\n", QString(argument).arg(folder.c_str()).toStdString());
        QCOMPARE(window->Browser().CurrentFolder(), message.isEmpty() ? folder : start);
        QCOMPARE(Texts(window->Controls().fileList), listed);
        QCOMPARE(Texts(window->Controls().fileList, true), selected);
        QCOMPARE(window->Timers().commandLinePlayTimer->isActive(), !selected.isEmpty());
        QVERIFY(!window->Browser().ProgrammaticSelection);
        QCOMPARE(recorder.Messages().size(), size_t(message.isEmpty() ? 0 : 1));
        if (!message.isEmpty())
            QVERIFY(recorder.Messages()[0].text == QString(message).arg(folder.c_str()).toStdString()
                    && recorder.Messages()[0].flags == 48 && recorder.Messages()[0].title == "Vistrel");
    }

    // A click plays; the hand-over's own selection does not, its timer does.
    void clickPlaysUnlessTheProgramSelects()
    {
        test::MsgBoxRecorder recorder;
        const auto window = fixture_.Load("", MediaFolder("click") + "a.MP3");
        QStringList tags;
        window->Browser().PlaySelectedTitle = [&tags](const std::string& tag) { tags << QString::fromStdString(tag); };
        window->Controls().fileList->item(1)->setSelected(true);
        QCOMPARE(tags, QStringList{"fileList_click"});
        QTRY_VERIFY(!window->Timers().commandLinePlayTimer->isActive());
        QCOMPARE(tags, (QStringList{"fileList_click", "commandLinePlayTimer"}));
    }

    // Changes another process makes show up, in one refresh per burst, keeping the selection;
    // when the open folder vanishes its parent opens.
    void folderWatch()
    {
        test::MsgBoxRecorder recorder;
        const std::string parent = MediaFolder("watch"), folder = parent + "sub/";
        test::WriteFile(folder + "keep.mp3", "x");
        test::WriteFile(folder + "old.mp3", "x");
        const auto window = fixture_.Load("Path=" + folder + "\n");
        QListWidget* files = window->Controls().fileList;
        test::SelectRows(*window, {0}, 0);
        int fills = 0;
        connect(files->model(), &QAbstractItemModel::modelReset, this, [&fills] { ++fills; });
        Run(folder, "touch new.mp3 && mv old.mp3 renamed.mp3 && touch note.txt && for n in 1 2 3 4 5 6; do touch f$n.mp3; done");
        QTest::qWait(50);
        QCOMPARE(files->count(), 2);  // the refresh waits for 100 ms without changes
        QTRY_COMPARE_WITH_TIMEOUT(files->count(), 9, 2000);
        QCOMPARE(Texts(files).mid(6), (QStringList{"keep.mp3", "new.mp3", "renamed.mp3"}));
        QCOMPARE(Texts(files, true), QStringList{"keep.mp3"});
        QTest::qWait(300);
        QCOMPARE(fills, 1);
        Run(parent, "rm -r sub");
        QTRY_COMPARE_WITH_TIMEOUT(window->Browser().CurrentFolder(), parent, 2000);
        QCOMPARE(Texts(files), (QStringList{"a.MP3", "B.wav"}));
        QVERIFY(recorder.Messages().empty());
    }

    // Right clicks on f0 .. f4 with a selection and a caret; "all" is the select-all toggle.
    void rightClickAndSelectAll_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("clicked");  // -1: below the last item; -2: select all
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("caretAfter");
        QTest::newRow("unselected item: only it") << QList<int>{0, 1} << 1 << 3 << 0 << QList<int>{3} << 3;
        QTest::newRow("selected item: unchanged") << QList<int>{1, 2, 4} << 4 << 2 << 0 << QList<int>{1, 2, 4} << 4;
        QTest::newRow("Shift: range to the caret") << QList<int>{0} << 3 << 1 << int(Qt::ShiftModifier) << QList<int>{0, 1, 2, 3} << 3;
        QTest::newRow("Shift wins over Ctrl") << QList<int>{} << 1 << 4 << int(Qt::ShiftModifier | Qt::ControlModifier) << QList<int>{1, 2, 3, 4} << 1;
        QTest::newRow("Ctrl: selects, caret") << QList<int>{0, 2} << 0 << 4 << int(Qt::ControlModifier) << QList<int>{0, 2, 4} << 4;
        QTest::newRow("Ctrl: deselects, caret") << QList<int>{0, 2} << 0 << 2 << int(Qt::ControlModifier) << QList<int>{0} << 2;
        QTest::newRow("below the last item") << QList<int>{1} << 1 << -1 << 0 << QList<int>{1} << 1;
        QTest::newRow("all: not all selected") << QList<int>{0} << 2 << -2 << 0 << QList<int>{0, 1, 2, 3, 4} << 2;
        QTest::newRow("all: all selected") << QList<int>{0, 1, 2, 3, 4} << 2 << -2 << 0 << QList<int>{2} << 2;
    }
    void rightClickAndSelectAll()
    {
        QFETCH(QList<int>, rows);
        QFETCH(int, caret);
        QFETCH(int, clicked);
        QFETCH(int, modifiers);
        QFETCH(QList<int>, selected);
        QFETCH(int, caretAfter);
        test::MsgBoxRecorder recorder;
        const std::string folder = fixture_.Path("five") + "/";
        QDir().mkpath(QString::fromStdString(folder));
        for (int i = 0; i < 5; ++i)
            test::WriteFile(folder + "f" + std::to_string(i) + ".mp3", "x");
        const auto window = fixture_.Load("Path=" + folder + "\n");
        window->show();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QListWidget* files = window->Controls().fileList;
        QStringList tags;
        window->Browser().PlaySelectedTitle = [&tags](const std::string& tag) { tags << QString::fromStdString(tag); };
        QList<QPoint> menus;
        connect(&window->Browser(), &FileBrowser::FileContextMenuRequested, this, [&](QPoint at) {
            QVERIFY(window->Browser().ProgrammaticSelection);
            menus << at;
        });
        test::SelectRows(*window, rows, caret);
        const QRect last = files->visualItemRect(files->item(4));
        const QPoint at = clicked >= 0 ? files->visualItemRect(files->item(clicked)).center() : QPoint(last.center().x(), last.bottom() + 10);
        if (clicked == -2)
            window->Browser().ToggleSelectAllFiles();
        else
            QTest::mouseClick(files->viewport(), Qt::RightButton, Qt::KeyboardModifiers(modifiers), at);
        QCOMPARE(test::SelectedRows(files), selected);
        QCOMPARE(files->currentRow(), caretAfter);
        QCOMPARE(menus, clicked >= 0 ? QList<QPoint>{files->viewport()->mapToGlobal(at)} : QList<QPoint>{});
        QVERIFY(tags.isEmpty() && !window->Browser().ProgrammaticSelection);  // nothing plays
    }

    // Resting on an item shows its size after one tool-tip step; moving to another item or
    // below the items clears it.
    void fileSizeToolTip()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = fixture_.Path("tip") + "/";
        QDir().mkpath(QString::fromStdString(folder));
        test::WriteFile(folder + "a.mp3", std::string(1234, 'x'));
        QFile big(QString::fromStdString(folder + "b.mp3"));
        QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(2'500'000));
        big.close();
        const auto window = fixture_.Load("Path=" + folder + "\n");
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QListWidget* files = window->Controls().fileList;
        FileBrowser& browser = window->Browser();
        QTimer* timer = window->Timers().fileToolTipTimer;
        const QPoint a = files->visualItemRect(files->item(0)).center(), b = files->visualItemRect(files->item(1)).center();
        browser.FileListMouseMoved(a);  // a new item: cleared, the timer restarts
        QVERIFY(files->toolTip().isEmpty() && timer->isActive());
        browser.FileToolTipStep(a);  // the cursor came from elsewhere: only remembered
        QVERIFY(files->toolTip().isEmpty());
        browser.FileToolTipStep(a + QPoint(2, -2));  // resting, within 2 pixels
        QCOMPARE(files->toolTip(), QString(" 1.234 KB "));
        QVERIFY(!timer->isActive());
        browser.FileListMouseMoved(b);
        QVERIFY(files->toolTip().isEmpty());
        browser.FileToolTipStep(b);
        browser.FileToolTipStep(b);
        QCOMPARE(files->toolTip(), QString(" 2.5 MB "));
        browser.FileListMouseMoved(QPoint(b.x(), files->visualItemRect(files->item(1)).bottom() + 10));
        QVERIFY(files->toolTip().isEmpty() && !timer->isActive());
        QTest::mouseMove(files->viewport(), a);  // real mouse moves reach the rule
        QTRY_VERIFY(timer->isActive());
    }
};

QTEST_MAIN(TestFileBrowser)
#include "tst_file_browser.moc"
