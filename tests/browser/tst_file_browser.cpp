// The browser in the main window: the folder list's keys, the command line's file or folder
// handed over at start, the watch on the open folder, clicks and keys on the file list,
// names with control characters and the size tool tip.
#include "app/MainTimers.h"
#include "support/MainWindowFixture.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

using namespace vistrel;

class TestFileBrowser : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;

    // A folder with `files` (by default two that are listed and three that are not) and "sub".
    std::string Folder(const std::string& name, const QStringList& files = {"a.MP3", "B.wav", "c.txt", ".hidden.mp3", "x.xyz", "y.mpe"}) const
    {
        QDir().mkpath(QString::fromStdString(fixture_.Path(name + "/sub")));
        for (const QString& file : files)
            test::WriteFile(fixture_.Path(name + "/" + file.toStdString()), "x");
        return fixture_.Path(name) + "/";
    }
    static QStringList Texts(const QAbstractItemView* list)  // the selected items marked with "*"
    {
        QStringList texts;
        for (int i = 0; i < list->model()->rowCount(); ++i) {
            const QModelIndex row = list->model()->index(i, 0);
            texts << (list->selectionModel()->isSelected(row) ? "*" : "") + row.data().toString().trimmed();
        }
        return texts;
    }

private slots:
    // Keys on the folder list, each followed by the open folder and the highlighted item: on
    // the open folder Right goes to its first subfolder and Left opens its parent (the child
    // highlighted); on a subfolder Right opens it, Left goes back, keypad "-" does nothing.
    void folderListKeysAndActivation()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = Folder("keys");
        QDir().mkpath(QString::fromStdString(folder + "sub/deeper"));
        const auto window = fixture_.Load("Path=" + folder + "\n");
        QListWidget* folders = window->Controls().folderList;
        QCOMPARE(Texts(folders).first() + " " + Texts(folders).mid(folders->count() - 2).join(' '), QString("/ *keys sub"));
        const auto shown = [&] { return window->Browser().CurrentFolder().substr(folder.size()) + " " + folders->currentItem()->text().trimmed().toStdString(); };
        const std::pair<Qt::Key, const char*> steps[] = {{Qt::Key_Right, " sub"}, {Qt::Key_Minus, " sub"}, {Qt::Key_Left, " keys"}, {Qt::Key_Right, " sub"},
                                                         {Qt::Key_Right, "sub/ sub"}, {Qt::Key_Down, "sub/ deeper"}, {Qt::Key_Return, "sub/deeper/ deeper"},
                                                         {Qt::Key_Left, "sub/ deeper"}};
        for (const auto& [key, after] : steps) {
            QTest::keyClick(folders, key, key == Qt::Key_Minus ? Qt::KeypadModifier : Qt::NoModifier);
            QCOMPARE(shown(), std::string(after));
        }
        emit folders->itemActivated(folders->item(folders->count() - 1));
        QCOMPARE(shown(), std::string("sub/deeper/ deeper"));
        QVERIFY(window->Controls().fileList->model()->rowCount() == 0 && recorder.Messages().empty());
    }

    // The argument's folder opens with the file selected, which plays soon after by the timer;
    // a file the patterns do not list is listed all the same; a vanished one gives a message
    // and the usual start folder.
    void handOver_data()
    {
        QTest::addColumn<QByteArray>("argument");  // "%1" is the folder
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("file") << QByteArray("%1B.wav") << QStringList{"a.MP3", "*B.wav"} << QByteArray();
        QTest::newRow("outside the patterns") << QByteArray("%1x.xyz") << QStringList{"a.MP3", "B.wav", "*x.xyz"} << QByteArray();
        QTest::newRow("pattern inside another") << QByteArray("%1y.mpe") << QStringList{"a.MP3", "B.wav", "*y.mpe"} << QByteArray();
        QTest::newRow("folder") << QByteArray("%1") << QStringList{"a.MP3", "B.wav"} << QByteArray();
        QTest::newRow("vanished") << QByteArray("%1gone.mp3") << QStringList{"start.mp3"} << QByteArray("'%1gone.mp3'  not found");
    }
    void handOver()
    {
        QFETCH(QByteArray, argument);
        QFETCH(QStringList, listed);
        QFETCH(QByteArray, message);
        test::MsgBoxRecorder recorder;
        const std::string folder = Folder(QTest::currentDataTag()), start = Folder("start", {"start.mp3"});
        const auto window = fixture_.Load("Path=" + start + "\n", QString(argument).arg(folder.c_str()).toStdString());
        QCOMPARE(window->Browser().CurrentFolder(), message.isEmpty() ? folder : start);
        QCOMPARE(Texts(window->Controls().fileList), listed);
        QCOMPARE(recorder.Messages().size(), size_t(message.isEmpty() ? 0 : 1));
        for (const test::RecordedMessage& m : recorder.Messages())
            QCOMPARE(m.title + " " + std::to_string(m.flags) + " " + m.text, "Vistrel 48 " + QString(message).arg(folder.c_str()).toStdString());
        QStringList played;
        window->Browser().PlaySelectedTitle = [&played](const std::string& tag) { played << QString::fromStdString(tag); };
        QTRY_VERIFY(!window->Timers().commandLinePlayTimer->isActive());
        QCOMPARE(played, listed.join(' ').contains('*') ? QStringList{"commandLinePlayTimer"} : QStringList{});
    }

    // Changes made to the open folder show up, in one refresh per burst, keeping the selection
    // of the names still there, also across a pause of the watch; when the open folder
    // vanishes its parent opens.
    void folderWatch()
    {
        test::MsgBoxRecorder recorder;
        const std::string parent = Folder("watch"), folder = Folder("watch/sub", {"keep.mp3", "old.mp3"});
        const auto window = fixture_.Load("Path=" + folder + "\n");
        QListView* files = window->Controls().fileList;
        test::SelectRows(*window, {0, 1}, 0);
        QSignalSpy fills(files->model(), &QAbstractItemModel::modelReset);
        QVERIFY(QFile::rename(QString::fromStdString(folder + "old.mp3"), QString::fromStdString(folder + "renamed.mp3")));
        for (const char* name : {"new.mp3", "note.txt", "f1.mp3", "f2.mp3", "f3.mp3"})
            test::WriteFile(folder + name, "x");
        QTest::qWait(50);
        QCOMPARE(files->model()->rowCount(), 2);  // the refresh waits for 100 ms without changes
        QTRY_COMPARE_WITH_TIMEOUT(Texts(files), QStringList({"f1.mp3", "f2.mp3", "f3.mp3", "*keep.mp3", "new.mp3", "renamed.mp3"}), 2000);
        QTest::qWait(300);
        QCOMPARE(fills.count(), 1);
        // A file operation of ours pausing the watch keeps the refresh that was due.
        test::WriteFile(folder + "late.mp3", "x");
        QTest::qWait(30);
        window->Browser().FileNotificationStartStop("test", false);
        window->Browser().FileNotificationStartStop("test", true);
        QTRY_VERIFY_WITH_TIMEOUT(Texts(files).contains("late.mp3"), 2000);
        QVERIFY(QDir(QString::fromStdString(folder)).removeRecursively());
        QTRY_COMPARE_WITH_TIMEOUT(window->Browser().CurrentFolder(), parent, 2000);
        QVERIFY(Texts(files) == QStringList({"a.MP3", "B.wav"}) && recorder.Messages().empty());
    }

    // Clicks and keys on a .. e with a selection and a caret (the selected rows, then the
    // caret), then the selection and what was handed over to play. A right click never plays;
    // a left click plays once, whether or not it changed the selection; Ctrl+A is the
    // select-all toggle, which plays only at the end of the list; a typed letter is a click
    // on the next name that starts with it, the selected one too.
    void clicksAndKeys_data()
    {
        QTest::addColumn<QList<int>>("before");
        QTest::addColumn<QString>("action");  // "right N" / "left N" (N 5: below the last item), "keys TEXT", "^A", "^A at end"
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QList<int>>("after");
        QTest::addColumn<QStringList>("played");
        const QStringList click{"fileList_click"};
        QTest::newRow("right: unselected item: only it") << QList<int>{0, 1, 1} << "right 3" << 0 << QList<int>{3, 3} << QStringList();
        QTest::newRow("right: selected item: unchanged") << QList<int>{1, 2, 4, 4} << "right 2" << 0 << QList<int>{1, 2, 4, 4} << QStringList();
        QTest::newRow("right: Shift: range to the caret") << QList<int>{0, 3} << "right 1" << int(Qt::ShiftModifier) << QList<int>{0, 1, 2, 3, 3} << QStringList();
        QTest::newRow("right: Shift wins over Ctrl") << QList<int>{1} << "right 4" << int(Qt::ShiftModifier | Qt::ControlModifier) << QList<int>{1, 2, 3, 4, 1} << QStringList();
        QTest::newRow("right: Ctrl: deselects, caret") << QList<int>{0, 2, 0} << "right 2" << int(Qt::ControlModifier) << QList<int>{0, 2} << QStringList();
        QTest::newRow("right: below the last item") << QList<int>{1, 1} << "right 5" << 0 << QList<int>{1, 1} << QStringList();
        QTest::newRow("left: another item") << QList<int>{1, 1} << "left 3" << 0 << QList<int>{3, 3} << click;
        QTest::newRow("left: the only selected item again") << QList<int>{1, 1} << "left 1" << 0 << QList<int>{1, 1} << click;
        QTest::newRow("left: one of several selected") << QList<int>{1, 2, 3, 1} << "left 2" << 0 << QList<int>{2, 2} << click;
        QTest::newRow("Ctrl+A: not all selected") << QList<int>{0, 2, 2} << "^A" << 0 << QList<int>{0, 1, 2, 3, 4, 2} << QStringList();
        QTest::newRow("Ctrl+A: all selected") << QList<int>{0, 1, 2, 3, 4, 2} << "^A" << 0 << QList<int>{2, 2} << QStringList();
        QTest::newRow("Ctrl+A at the end of the list") << QList<int>{2, 2} << "^A at end" << 0 << QList<int>{0, 1, 2, 3, 4, 2} << QStringList{"select all files"};
        QTest::newRow("typed: a name") << QList<int>{0, 2, 2} << "keys d" << 0 << QList<int>{3, 3} << click;
        QTest::newRow("typed: the selected name") << QList<int>{1, 1} << "keys b" << 0 << QList<int>{1, 1} << click;
        QTest::newRow("typed: no such name") << QList<int>{0, 2, 2} << "keys q" << 0 << QList<int>{0, 2, 2} << QStringList();
    }
    void clicksAndKeys()
    {
        QFETCH(QList<int>, before);
        QFETCH(QString, action);
        QFETCH(int, modifiers);
        QFETCH(QList<int>, after);
        QFETCH(QStringList, played);
        test::MsgBoxRecorder recorder;
        const auto window = fixture_.Load("Path=" + Folder("five", {"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3"}) + "\n");
        QListView* files = window->Controls().fileList;
        QStringList handedOver, selected;
        window->Browser().PlaySelectedTitle = [&handedOver](const std::string& tag) { handedOver << QString::fromStdString(tag); };
        window->Browser().AtEndOfList = [&action] { return action.endsWith("at end"); };
        QSignalSpy menus(&window->Browser(), &FileBrowser::FileContextMenuRequested);
        test::SelectRows(*window, before.mid(0, before.size() - 1), before.last());
        const int row = action.section(' ', 1).toInt();
        const QPoint at = test::RowRect(*window, std::min(row, 4)).center() + QPoint(0, row > 4 ? 40 : 0);
        if (action.startsWith("^A"))
            QTest::keyClick(files, Qt::Key_A, Qt::ControlModifier);
        else if (action.startsWith("keys"))
            QTest::keyClicks(files, action.section(' ', 1));
        else
            QTest::mouseClick(files->viewport(), action.startsWith("right") ? Qt::RightButton : Qt::LeftButton, Qt::KeyboardModifiers(modifiers), at);
        for (int i = 0; i < 5; ++i)
            selected << QString(after.mid(0, after.size() - 1).contains(i) ? "*%1.mp3" : "%1.mp3").arg(QChar('a' + i));
        QVERIFY(Texts(files) == selected && window->Browser().CurrentRow() == after.last());
        QCOMPARE(QList<QVariantList>(menus), action.startsWith("right") && row < 5 ? QList<QVariantList>{{files->viewport()->mapToGlobal(at)}} : QList<QVariantList>{});
        QVERIFY(handedOver == played && !window->Browser().ProgrammaticSelection);
    }

    // A name with a line break or a tab is one row of the usual height, shown with visible
    // symbols; the full name, the size tip and the refresh's selection keep the real name.
    void controlCharactersInNames()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = Folder("control", {"a\nb.mp3", "c\td.mp3", "e.mp3"});
        QVERIFY(QFile::resize(QString::fromStdString(folder + "a\nb.mp3"), 1234));
        const auto window = fixture_.Show("Path=" + folder + "\n");
        QListView* files = window->Controls().fileList;
        test::SelectRows(*window, {0}, 0);
        window->Browser().RefreshDirAndFileList();
        QCOMPARE(Texts(files), QStringList({"*a\u240Ab.mp3", "c\u2409d.mp3", "e.mp3"}));
        const QRect first = test::RowRect(*window, 0);
        QVERIFY(first.height() == test::RowRect(*window, 2).height() && window->Browser().GetFullFilename(0) == folder + "a\nb.mp3");
        for (int step = 0; step < 2; ++step)
            window->Browser().FileToolTipStep(first.center());
        QCOMPARE(files->toolTip(), QString(" 1.234 KB "));
    }

    // The size tool tip: a move restarts the timer and clears the tip on a new item; a timer
    // step shows the size once the pointer rested within 2 pixels since the step before; below
    // the items the tip clears and the timer stops.
    void fileSizeToolTip()
    {
        test::MsgBoxRecorder recorder;
        const std::string folder = Folder("tip", {"a.mp3", "b.mp3"});
        QVERIFY(QFile::resize(QString::fromStdString(folder + "a.mp3"), 1234));
        const auto window = fixture_.Show("Path=" + folder + "\n");
        QListView* files = window->Controls().fileList;
        QTimer* timer = window->Timers().fileToolTipTimer;
        const QPoint a = test::RowRect(*window, 0).center(), b = test::RowRect(*window, 1).center();
        const std::tuple<bool, QPoint, const char*, bool> steps[] = {  // a step (or a move), where, the tip, the timer running
            {false, a, "", true}, {true, a, "", true}, {true, a + QPoint(2, -2), " 1.234 KB ", false}, {false, b, "", true}, {false, b + QPoint(0, 40), "", false}};
        for (const auto& [step, at, tip, running] : steps) {
            step ? window->Browser().FileToolTipStep(at) : window->Browser().FileListMouseMoved(at);
            QVERIFY2(files->toolTip() == tip && timer->isActive() == running, tip);
        }
        QTest::mouseMove(files->viewport(), a);  // real mouse moves reach the rule
        QTRY_VERIFY(timer->isActive());
    }
};

QTEST_MAIN(TestFileBrowser)
#include "tst_file_browser.moc"
