// The file operations through the main window's menus: Delete confirmed with Return in the
// real question box, move and copy to a list entry, Browse with the folder recorded, rename
// with the editor's keys, New Folder. Copies run through the copy engine with a scripted
// progress interface.
#include "app/MainMenus.h"
#include "app/QtMsgBox.h"
#include "browser/FileOperations.h"
#include "browser/RenameEditor.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

#include <set>

using namespace vistrel;

namespace {

class ScriptedUi : public shell::TransferUi {
public:
    explicit ScriptedUi(std::vector<std::string>& shown) : shown_(shown) {}
    bool Progress(shell::FileOp, const std::string& name, int, int, uint64_t, uint64_t) override
    {
        if (shown_.empty() || shown_.back() != name)
            shown_.push_back(name);
        return true;
    }
    shell::ConflictAnswer AskConflict(const std::string&, const std::string&) override { return shell::ConflictAnswer::Cancel; }
    shell::ErrorAnswer AskError(shell::FileOp, const std::string&, const std::string&) override { return shell::ErrorAnswer::Cancel; }

private:
    std::vector<std::string>& shown_;
};

bool Exists(const std::string& path)
{
    return QFileInfo::exists(QString::fromStdString(path));
}

}  // namespace

class TestFileOperationsWindow : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;
    std::vector<std::string> progress_;

    // A window over folder "f" with "a.mp3" and "b.mp3"; entry 1 of the copy/move list is
    // folder "to", entry 2 a folder that does not exist.
    std::unique_ptr<MainWindow> Open()
    {
        QDir(QString::fromStdString(fixture_.Path("f"))).removeRecursively();
        QDir(QString::fromStdString(fixture_.Path("to"))).removeRecursively();
        QDir().mkpath(QString::fromStdString(fixture_.Path("to")));
        QDir().mkpath(QString::fromStdString(fixture_.Path("f")));
        for (const char* name : {"a.mp3", "b.mp3"})
            test::WriteFile(fixture_.Path("f/") + name, name);
        auto window = fixture_.Show("Path=" + fixture_.Path("f") + "\nCopyMoveToPath1=" + fixture_.Path("to") +
                                    "\nCopyMoveToPath2=" + fixture_.Path("missing") + "\n");
        progress_.clear();
        window->FileOps().Host().MakeTransferUi = [this] { return std::make_unique<ScriptedUi>(progress_); };
        return window;
    }

private slots:
    // Return in the question box answers Yes: the selected file goes, the pointer is normal.
    void deleteConfirmedWithReturn()
    {
        const auto window = Open();
        test::SelectRows(*window, {0}, 0);
        QTimer answer;
        connect(&answer, &QTimer::timeout, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        answer.start(20);
        InstallQtMsgBox();
        window->Menus().deleteAction->trigger();
        SetMsgBoxHandler({});
        QVERIFY(!Exists(fixture_.Path("f/a.mp3")) && Exists(fixture_.Path("f/b.mp3")));
        QCOMPARE(window->Browser().RowCount(), 1);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The move-to and copy-to entries; the copy's checks come before anything is copied.
    void listEntries_data()
    {
        QTest::addColumn<bool>("move");
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("select");
        QTest::addColumn<std::set<std::string>>("inTarget");
        QTest::addColumn<int>("rows");
        QTest::addColumn<std::string>("message");
        QTest::newRow("move") << true << 1 << true << std::set<std::string>{"a.mp3"} << 1 << std::string();
        QTest::newRow("copy") << false << 1 << true << std::set<std::string>{"a.mp3"} << 2 << std::string();
        QTest::newRow("copy, folder missing") << false << 2 << true << std::set<std::string>{} << 2 << std::string(kTargetMissingText);
        QTest::newRow("copy, nothing selected") << false << 1 << false << std::set<std::string>{} << 2 << std::string(kNoFileSelectedText);
    }
    void listEntries()
    {
        QFETCH(bool, move);
        QFETCH(int, entry);
        QFETCH(bool, select);
        QFETCH(std::set<std::string>, inTarget);
        QFETCH(int, rows);
        QFETCH(std::string, message);
        const auto window = Open();
        if (select)
            test::SelectRows(*window, {0}, 0);
        test::MsgBoxRecorder recorder;
        const MainMenus& m = window->Menus();
        (move ? m.moveToMenu : m.copyToMenu).entries->Element(entry)->trigger();
        const QStringList copied = QDir(QString::fromStdString(fixture_.Path("to"))).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(copied.size(), int(inTarget.size()));
        QVERIFY(Exists(fixture_.Path("f/a.mp3")) == (!move || inTarget.empty()));
        QCOMPARE(window->Browser().RowCount(), rows);
        QCOMPARE(recorder.Messages().empty() ? std::string() : recorder.Messages()[0].text, message);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // Browse copies into the chosen folder, which joins the recent folders, and shows the
    // hourglass at least 300 ms; a cancelled dialog does nothing.
    void browseCopy()
    {
        const auto window = Open();
        test::SelectRows(*window, {1}, 1);
        std::vector<std::string> recorded;
        std::vector<int> waits;
        int64_t now = 1000;
        FileOpsHost& host = window->FileOps().Host();
        host.AddFolderToDynMenu = [&](const std::string& folder) { recorded.push_back(folder); };
        host.TickCountMs = [&] { return now += 50; };
        host.Wait = [&](int ms) { waits.push_back(ms); };
        const std::string to = fixture_.Path("to");
        const FolderDialog previous = SetFolderDialog([&](const std::string& title, const std::string&) { return title == "Select Folder" ? to : ""; });
        window->Menus().copyToMenu.browse->trigger();
        SetFolderDialog([](const std::string&, const std::string&) { return std::string(); });
        window->Menus().copyToMenu.browse->trigger();
        SetFolderDialog(previous);
        QVERIFY(Exists(to + "/b.mp3") && Exists(fixture_.Path("f/b.mp3")));
        QCOMPARE(progress_, std::vector<std::string>{"b.mp3"});
        QCOMPARE(recorded, std::vector<std::string>{to});
        QCOMPARE(waits, std::vector<int>{250});
    }

    // The editor opens over the one selected file with its name; Enter renames, Escape
    // does not.
    void renameWithKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<std::string>("left");
        QTest::newRow("Enter") << int(Qt::Key_Return) << std::string("c.mp3");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << std::string("a.mp3");
    }
    void renameWithKeys()
    {
        QFETCH(int, key);
        QFETCH(std::string, left);
        const auto window = Open();
        test::SelectRows(*window, {0}, 0);
        window->Menus().renameAction->trigger();
        QLineEdit* edit = window->FileOps().Editor()->LineEdit();
        QCOMPARE(edit->text(), QString("a.mp3"));
        edit->setText("c.mp3");
        QTest::keyClick(edit, Qt::Key(key));
        QVERIFY(!window->FileOps().Editor()->IsOpen() && Exists(fixture_.Path("f/" + left)));
        QCOMPARE(window->Browser().GetFullFilename(0), fixture_.Path("f/" + left));
    }

    // New Folder makes the folder inside the highlighted one and lists it; a name with "/"
    // makes nothing.
    void newFolder()
    {
        const auto window = Open();
        const InputDialog previous = SetInputDialog([](const std::string& title, const std::string&) { return title == "New Folder" ? "../x" : ""; });
        window->Menus().newFolderAction->trigger();
        SetInputDialog([](const std::string&, const std::string&) { return std::string("new"); });
        window->Menus().newFolderAction->trigger();
        SetInputDialog(previous);
        QVERIFY(!Exists(fixture_.Path("x")) && Exists(fixture_.Path("f/new")));
        QVERIFY(!window->Controls().folderList->findItems("new", Qt::MatchEndsWith).isEmpty());
    }
};

QTEST_MAIN(TestFileOperationsWindow)
#include "tst_file_operations_window.moc"
