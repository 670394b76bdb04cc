// The file operations on a real folder, through the main window's menus: delete with its
// question and the deferred deletion, the clean-up script run by /bin/sh, move and copy to a
// list entry through the copy engine, rename in place, new folder. Each case checks which
// files are left, that no ".delete" or partial name is left and what the list shows.
#include "app/MainMenus.h"
#include "app/QtMsgBox.h"
#include "browser/FileOperations.h"
#include "browser/ListEditor.h"
#include "browser/RenameEditor.h"
#include "support/FilePaths.h"
#include "support/MainWindowFixture.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

using namespace vistrel;

namespace {

// The copies here meet no conflict and no error: any question is answered Skip.
struct SkippingTransferUi : shell::TransferUi {
    bool Progress(shell::FileOp, const std::string&, int, int, uint64_t, uint64_t) override { return true; }
    shell::ConflictAnswer AskConflict(const std::string&, const std::string&) override { return shell::ConflictAnswer::Skip; }
    shell::ErrorAnswer AskError(shell::FileOp, const std::string&, const std::string&) override { return shell::ErrorAnswer::Skip; }
};

const std::vector<std::string> kHostile = {"a'b.mp3", "new\nline.mp3", "-rf.mp3", "$(touch X).mp3", "*.mp3", "\xff\xfe.mp3",
                                           std::string(251, 'n') + ".mp3"};

// Fails every call of the kinds in `failing` with `err`.
class FaultyFs : public shell::FsOps {
public:
    std::set<shell::FsCall> failing;
    int err = 0;

protected:
    int Fault(shell::FsCall call, const std::string&) override { return failing.contains(call) ? err : 0; }
};

std::set<std::string> Entries(const std::string& folder)
{
    std::vector<std::string> names;
    shell::RealFs().ReadFolder(folder, names);
    return {names.begin(), names.end()};
}

std::string Texts(const test::MsgBoxRecorder& recorder)
{
    std::string texts;
    for (const test::RecordedMessage& m : recorder.Messages())
        texts += m.text + "|" + std::to_string(m.flags) + "\n";
    return texts;
}

}  // namespace

class TestFileOperations : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture fixture_;
    std::unique_ptr<MainWindow> window_;
    FileBrowser* browser_ = nullptr;
    std::string destination_;
    std::vector<int> waits_;

    // A window over folder "f" holding `names`, beside the empty folders "to" and "chosen";
    // copy/move entry 1 is destination_, entry 2 a folder that does not exist. Returns "f/".
    std::string Open(const std::vector<std::string>& names)
    {
        QDir(QString::fromStdString(fixture_.Path())).removeRecursively();
        for (const char* folder : {"f", "to", "chosen"})
            QDir().mkpath(QString::fromStdString(fixture_.Path(folder)));
        const std::string folder = fixture_.Path("f") + "/";
        for (const std::string& name : names)
            test::WriteFile(folder + name, name);
        window_ = fixture_.Show("Path=" + folder + "\nCopyMoveToPath1=" + fixture_.Path("to") + "\nCopyMoveToPath2=" + fixture_.Path("missing") + "\n");
        browser_ = &window_->Browser();
        FileOpsHost& host = window_->FileOps().Host();
        host.TitleClosed = {};  // no title starts after a delete
        host.DestinationPath = [this](int i) { return i == 1 ? destination_ : fixture_.Path("missing"); };
        host.MakeTransferUi = [] { return std::make_unique<SkippingTransferUi>(); };
        host.TickCountMs = [now = int64_t(0)]() mutable { return now += 50; };
        host.Wait = [this](int ms) { waits_.push_back(ms); };
        waits_.clear();
        return folder;
    }
    void Select(const std::vector<int>& rows, int caret)
    {
        browser_->SelectAndFocusQuietly(caret);
        if (std::find(rows.begin(), rows.end(), caret) == rows.end())
            browser_->DeselectQuietly(caret);
        for (int row : rows)
            browser_->SelectQuietly(row);
    }
    // The listed names, the selected ones marked with "*".
    std::vector<std::string> Listed() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < browser_->RowCount(); ++i)
            names.push_back(GetFileNamePart(browser_->GetFullFilename(i)) + (browser_->SelectedFlags()[size_t(i)] ? "*" : ""));
        return names;
    }

private slots:
    void initTestCase()
    {
        SetFolderChooser([this](QWidget*, const std::string& title, const std::string&) { return title == "Select Folder" ? fixture_.Path("chosen") : ""; });
    }

    // Exactly the named file goes, after the question that names it; its index file goes too.
    void deleteHostileNames_data()
    {
        QTest::addColumn<std::string>("name");
        for (const std::string& name : kHostile)
            QTest::newRow(name.substr(0, 20).c_str()) << name;
    }
    void deleteHostileNames()
    {
        QFETCH(std::string, name);
        const std::string folder = Open({"a", "b", "*", "X", "a.mp3", "z.mp3", name});
        if (name.size() < 250)
            test::WriteFile(folder + name + ".idx2", "i");
        const std::vector<std::string> listed = Listed();
        const int row = int(std::find(listed.begin(), listed.end(), name) - listed.begin());
        Select({row}, row);
        test::MsgBoxRecorder recorder(kAnswerYes);
        window_->Menus().deleteAction->trigger();
        QCOMPARE(Texts(recorder), "Delete this File?\n" + ShownFileName(name) + "|" + std::to_string(kMsgYesNo | kMsgQuestion) + "\n");
        QCOMPARE(recorder.Messages()[0].title, std::string("Confirm"));
        QCOMPARE(Entries(folder), (std::set<std::string>{"a", "b", "*", "X", "a.mp3", "z.mp3"}));
        // The caret keeps its row: the file now there is selected.
        QCOMPARE(Listed(), row == 0 ? (std::vector<std::string>{"a.mp3*", "z.mp3"}) : (std::vector<std::string>{"a.mp3", "z.mp3*"}));
    }

    // The real question box names what is selected when it opens (not an unselected caret
    // item), and Return answers Yes: that is deleted, although the selection moves meanwhile.
    void questionNamesTheSnapshot_data()
    {
        QTest::addColumn<std::vector<int>>("rows");
        QTest::addColumn<QString>("question");
        QTest::addColumn<std::set<std::string>>("left");
        QTest::newRow("one, caret elsewhere") << std::vector<int>{0} << "Delete this File?\n1.mp3" << std::set<std::string>{"2.mp3", "3.mp3"};
        QTest::newRow("two") << std::vector<int>{0, 1} << "Delete 2 Files?" << std::set<std::string>{"3.mp3"};
    }
    void questionNamesTheSnapshot()
    {
        QFETCH(std::vector<int>, rows);
        const std::string folder = Open({"1.mp3", "2.mp3", "3.mp3"});
        Select(rows, 2);
        QString asked;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = box->text();
                browser_->SelectAndFocusQuietly(2);  // a title's end moves the selection on
                QTest::keyClick(box, Qt::Key_Return);
            }
        });
        answer.start(20);
        InstallQtMsgBox();
        window_->Menus().deleteAction->trigger();
        SetMsgBoxHandler({});
        QTEST(asked, "question");
        QTEST(Entries(folder), "left");
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // A file that cannot go is hidden from the list and deleted by a later tick; a read-only
    // file system is not deferred; a deferred name that another file took since stays.
    void deferredDeletion()
    {
        const std::string folder = Open({"a.mp3", "b.mp3", "c.mp3"});
        bool timerRuns = false;
        FaultyFs fs;
        FileOperations ops(*browser_, {.RunDeferredTimer = [&](bool run) { timerRuns = run; }}, fs);
        fs.failing = {shell::FsCall::Rename, shell::FsCall::Unlink};
        fs.err = EBUSY;
        Select({0, 1}, 0);
        ops.DeleteSelectedFiles(true);
        QCOMPARE(Listed(), (std::vector<std::string>{"c.mp3*"}));
        QVERIFY(timerRuns && ops.Deferred().Contains(folder + "a.mp3"));
        fs.err = EROFS;
        ops.DeleteSelectedFiles(true);
        QCOMPARE(Listed(), (std::vector<std::string>{"c.mp3*"}));
        QVERIFY(!ops.Deferred().Contains(folder + "c.mp3"));
        fs.failing.clear();
        // A new file under the deferred name, while the old one is still open.
        const int old = open((folder + "b.mp3").c_str(), O_RDONLY);
        QVERIFY(unlink((folder + "b.mp3").c_str()) == 0);
        test::WriteFile(folder + "b.mp3", "new");
        ops.DeferredDeletionTick();
        close(old);
        QCOMPARE(Entries(folder), (std::set<std::string>{"b.mp3", "c.mp3"}));
        QVERIFY(!timerRuns && ops.Deferred().Empty());
        QCOMPARE(Listed().size(), size_t(2));
    }

    // Without root's rights a file in a read-only folder is deferred; once the folder is
    // writable one retry deletes it.
    void deferredInReadOnlyFolder()
    {
        QCOMPARE(test::RunUnprivileged([] {
            char folder[] = "/tmp/vistrel-ro-XXXXXX";
            if (!mkdtemp(folder))
                return 10;
            const std::string name = std::string(folder) + "/a.mp3";
            test::WriteFile(name, "x");
            chmod(folder, 0555);
            DeferredDeletions deferred;
            DeleteOneFile(name, deferred, shell::RealFs());
            const bool kept = access(name.c_str(), F_OK) == 0 && deferred.Contains(name);
            chmod(folder, 0755);
            const bool deleted = !deferred.Retry(shell::RealFs()).pending && Entries(folder).empty();
            rmdir(folder);
            return kept ? (deleted ? 0 : 2) : 1;
        }), 0);
    }

    // The clean-up script deletes exactly the deferred files that are still the files they
    // were (and their index files), whatever their names hold, and then itself.
    void exitScript()
    {
        std::vector<std::string> all = {"a", "b", "*", "reused.mp3", "keep.idx2", "a'b.mp3.idx2"};
        all.insert(all.end(), kHostile.begin(), kHostile.end());
        const std::string folder = Open(all);
        DeferredDeletions deferred;
        for (const std::string& name : kHostile)
            QVERIFY(deferred.Add(folder + name, shell::RealFs()));
        deferred.Add(folder + "reused.mp3", shell::RealFs());
        const int old = open((folder + "reused.mp3").c_str(), O_RDONLY);
        QVERIFY(unlink((folder + "reused.mp3").c_str()) == 0);
        test::WriteFile(folder + "reused.mp3", "new");
        const std::string script = WriteExitScript(deferred.Entries(), folder, 4242, shell::RealFs());
        QCOMPARE(script, folder + "vistrel4242delonend.sh");
        QVERIFY(WriteExitScript(deferred.Entries(), folder, 4242, shell::RealFs()).empty());  // never over an existing file
        struct stat st{};
        QVERIFY(stat(script.c_str(), &st) == 0 && (st.st_mode & 0777) == 0700);
        QVERIFY(StartExitScript(script));
        QTRY_VERIFY_WITH_TIMEOUT(access(script.c_str(), F_OK) != 0, 10000);
        close(old);
        QCOMPARE(Entries(folder), (std::set<std::string>{"a", "b", "*", "reused.mp3", "keep.idx2"}));
    }

    // Enter in the editor renames the file it opened for, also when the selection moved;
    // Escape renames nothing; names that would leave the folder, and refused renames, give
    // the error box.
    void rename_data()
    {
        QTest::addColumn<std::string>("newName");
        QTest::addColumn<std::set<std::string>>("left");
        QTest::addColumn<std::string>("message");
        const std::set<std::string> same{"a.mp3", "b.mp3"};
        QTest::newRow("same") << std::string("a.mp3") << same << std::string();
        QTest::newRow("empty") << std::string() << same << std::string();
        QTest::newRow("Escape") << std::string("c.mp3") << same << std::string();
        QTest::newRow("hostile") << std::string("$(x)'\n.mp3") << std::set<std::string>{"$(x)'\n.mp3", "b.mp3"} << std::string();
        QTest::newRow("exists") << std::string("b.mp3") << same << std::string("Error 183 renaming file|0\n");
        QTest::newRow("slash") << std::string("../a.mp3") << same << std::string("Error 123 renaming file|0\n");
        QTest::newRow("dot") << std::string(".") << same << std::string("Error 123 renaming file|0\n");
        QTest::newRow("dot dot") << std::string("..") << same << std::string("Error 123 renaming file|0\n");
        QTest::newRow("denied") << std::string("c.mp3") << same << std::string("Error 5 renaming file|0\n");
    }
    void rename()
    {
        QFETCH(std::string, newName);
        QFETCH(std::set<std::string>, left);
        QFETCH(std::string, message);
        const std::string folder = Open({"a.mp3", "b.mp3"});
        const QString tag = QTest::currentDataTag();
        Select({0}, 0);
        window_->Menus().renameAction->trigger();
        QLineEdit* edit = window_->FileOps().Editor()->LineEdit();
        QVERIFY(window_->FileOps().Editor()->IsOpen() && edit->text() == "a.mp3");
        browser_->SelectAndFocusQuietly(1);
        edit->setText(QString::fromStdString(newName));
        const auto confirm = [&] {
            test::MsgBoxRecorder recorder;
            QTest::keyClick(edit, tag == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
            return !window_->FileOps().Editor()->IsOpen() && Texts(recorder) == message;
        };
        // Denied: a read-only folder, renamed in without root's rights (the check's result is the exit status).
        chmod(folder.c_str(), tag == "denied" ? 0555 : 0755);
        QVERIFY(tag == "denied" ? test::RunUnprivileged(confirm) == 1 : confirm());
        chmod(folder.c_str(), 0755);
        QCOMPARE(Entries(folder), left);
        QCOMPARE(GetFileNamePart(browser_->GetFullFilename(0)), left.contains("a.mp3") ? std::string("a.mp3") : newName);
    }

    // The move-to and copy-to entries and Browse on three adjacent files: a move keeps the
    // caret's row index, a copy goes through the copy engine and keeps the hourglass 300 ms at
    // least; a folder chosen in Browse joins the list's recent folders. A destination that
    // cannot be used gives its message or does nothing, and nothing moves.
    void toEntry_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<std::string>("destination");  // "%" is the temporary folder
        QTest::addColumn<std::vector<std::string>>("listed");
        QTest::addColumn<std::string>("message");
        QTest::addColumn<int>("arrived");  // files in "to" and "chosen"
        const std::vector<std::string> all{"0.mp3", "1.mp3*", "2.mp3*", "3.mp3*", "4.mp3"};
        const std::string bad = "|48\n";
        QTest::newRow("moved") << "move 1" << std::string("%/to") << std::vector<std::string>{"0.mp3", "4.mp3*"} << std::string() << 3;
        QTest::newRow("empty") << "move 1" << std::string() << all << kDestinationEmptyText + bad << 0;
        QTest::newRow("itself by a link") << "move 1" << std::string("%/alias") << all << kCopyToItselfText + bad << 0;
        QTest::newRow("separator") << "move 1" << std::string("+++") << all << std::string() << 0;
        QTest::newRow("relative") << "move 1" << std::string("to") << all << std::string() << 0;
        QTest::newRow("copied") << "copy 1" << std::string("%/to") << all << std::string() << 3;
        QTest::newRow("browse") << "copy browse" << std::string() << all << std::string() << 3;
        QTest::newRow("folder missing") << "copy 2" << std::string("%/to") << all << kTargetMissingText + bad << 0;
        QTest::newRow("nothing selected") << "copy 1" << std::string("%/to") << std::vector<std::string>{"0.mp3", "1.mp3", "2.mp3", "3.mp3", "4.mp3"}
                                          << kNoFileSelectedText + bad << 0;
    }
    void toEntry()
    {
        QFETCH(QString, action);
        QFETCH(std::string, destination);
        QFETCH(std::vector<std::string>, listed);
        QFETCH(int, arrived);
        const std::string folder = Open({"0.mp3", "1.mp3", "2.mp3", "3.mp3", "4.mp3"});
        QVERIFY(symlink(folder.c_str(), fixture_.Path("alias").c_str()) == 0);
        destination_ = QString::fromStdString(destination).replace("%", QString::fromStdString(fixture_.Path())).toStdString();
        const std::string chosen = fixture_.Path("chosen");
        if (QTest::currentDataTag() != QString("nothing selected"))
            Select({1, 2, 3}, 1);
        test::MsgBoxRecorder recorder;
        const DestinationMenu& menu = action.startsWith("move") ? window_->Menus().moveToMenu : window_->Menus().copyToMenu;
        (action.endsWith("browse") ? menu.browse : menu.entries->Element(action.back().digitValue()))->trigger();
        QCOMPARE(Listed(), listed);
        QTEST(Texts(recorder), "message");
        QCOMPARE(Entries(folder).size(), listed.size());
        QCOMPARE(int(Entries(fixture_.Path("to")).size() + Entries(chosen).size()), arrived);
        QCOMPARE(waits_, arrived && action.startsWith("copy") ? std::vector<int>{250} : std::vector<int>{});
        QVERIFY(QApplication::overrideCursor() == nullptr);
        const QAction* recent = menu.entries->Element(4);
        QCOMPARE(recent && recent->text().startsWith(QString::fromStdString(chosen)), action.endsWith("browse"));
    }

    // New Folder makes the folder inside the highlighted one and lists it; a name with "/"
    // makes nothing.
    void newFolder()
    {
        Open({});
        const InputDialog previous = SetInputDialog([](const std::string& title, const std::string&) { return title == "New Folder" ? "../x" : ""; });
        window_->Menus().newFolderAction->trigger();
        SetInputDialog([](const std::string&, const std::string&) { return std::string("new"); });
        window_->Menus().newFolderAction->trigger();
        SetInputDialog(previous);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(fixture_.Path("x"))) && QFileInfo::exists(QString::fromStdString(fixture_.Path("f/new"))));
        QVERIFY(!window_->Controls().folderList->findItems("new", Qt::MatchEndsWith).isEmpty());
    }
};

QTEST_MAIN(TestFileOperations)
#include "tst_file_operations.moc"
