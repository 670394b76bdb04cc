// The file operations on a real folder and a real file list: delete with its question and
// the deferred deletion, the clean-up script run by /bin/sh, move to a list entry, rename
// in place. Every case checks which files are left, that no ".delete" or partial name is
// left and what the list shows.
#include "browser/FileBrowser.h"
#include "browser/FileOperations.h"
#include "browser/RenameEditor.h"
#include "support/FilePaths.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QListWidget>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

using namespace vistrel;


namespace {

const std::string kLongName = std::string(251, 'n') + ".mp3";  // 255 bytes
const std::vector<std::string> kHostile = {"a'b.mp3", "new\nline.mp3", "-rf.mp3", "$(touch X).mp3", "*.mp3", "\xff\xfe.mp3", kLongName};

// Fails every call of one kind with one errno while `err` is set.
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

// Waits up to 10 s for `path` to vanish.
bool Vanishes(const std::string& path)
{
    for (int i = 0; i < 200 && access(path.c_str(), F_OK) == 0; ++i)
        QTest::qWait(50);
    return access(path.c_str(), F_OK) != 0;
}

}  // namespace

class TestFileOperations : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<QWidget> window_;
    FileBrowser* browser_ = nullptr;
    FaultyFs fs_;
    std::unique_ptr<FileOperations> ops_;
    bool timerRuns_ = false;
    std::string destination_;

    std::string Path(const std::string& name = {}) const { return dir_.path().toStdString() + "/" + name; }

    // A fresh folder "f" holding `names`, listed, with an operations object over it.
    std::string Open(const std::vector<std::string>& names)
    {
        QDir(dir_.path()).removeRecursively();
        QDir().mkpath(dir_.path() + "/f");
        for (const std::string& name : names)
            test::WriteFile(Path("f/" + name), name);
        window_ = std::make_unique<QWidget>();
        browser_ = new FileBrowser(new QComboBox(window_.get()), new QListWidget(window_.get()), new QListView(window_.get()), window_.get());
        browser_->Patterns = {"*.mp3"};
        browser_->SetFolder(Path("f"));
        FileOpsHost host;
        host.RunDeferredTimer = [this](bool run) { timerRuns_ = run; };
        host.DestinationPath = [this](int i) { return i == 1 ? std::optional(destination_) : std::nullopt; };
        ops_ = std::make_unique<FileOperations>(*browser_, std::move(host), fs_);
        fs_.failing.clear();
        return Path("f/");
    }
    void Select(const std::vector<int>& rows, int caret)
    {
        browser_->SelectAndFocusQuietly(caret);
        if (std::find(rows.begin(), rows.end(), caret) == rows.end())
            browser_->DeselectQuietly(caret);
        for (int row : rows)
            browser_->SelectQuietly(row);
    }
    std::vector<std::string> Listed() const
    {
        std::vector<std::string> names;
        for (int i = 0; i < browser_->RowCount(); ++i)
            names.push_back(GetFileNamePart(browser_->GetFullFilename(i)) + (browser_->SelectedFlags()[size_t(i)] ? "*" : ""));
        return names;
    }

private slots:
    // Exactly the named file goes, after a question that names it; its index file goes too.
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
        ops_->DeleteSelectedFiles(false);
        QCOMPARE(recorder.Messages().size(), size_t(1));
        QCOMPARE(recorder.Messages()[0].text, "Delete this File?\n" + ShownFileName(name));
        QCOMPARE(recorder.Messages()[0].flags, kMsgYesNo | kMsgQuestion);
        QCOMPARE(recorder.Messages()[0].title, std::string("Confirm"));
        QCOMPARE(Entries(folder), (std::set<std::string>{"a", "b", "*", "X", "a.mp3", "z.mp3"}));
        // The caret keeps its row: the file now there is selected.
        QCOMPARE(Listed(), row == 0 ? (std::vector<std::string>{"a.mp3*", "z.mp3"}) : (std::vector<std::string>{"a.mp3", "z.mp3*"}));
    }

    // The question names what is selected when it opens (not an unselected caret item), and
    // that is deleted, although the selection moves while the box is open.
    void questionNamesTheSnapshot_data()
    {
        QTest::addColumn<std::vector<int>>("rows");
        QTest::addColumn<std::string>("question");
        QTest::addColumn<std::set<std::string>>("left");
        QTest::newRow("one, caret elsewhere") << std::vector<int>{0} << std::string("Delete this File?\n1.mp3") << std::set<std::string>{"2.mp3", "3.mp3"};
        QTest::newRow("two") << std::vector<int>{0, 1} << std::string("Delete 2 Files?") << std::set<std::string>{"3.mp3"};
    }
    void questionNamesTheSnapshot()
    {
        QFETCH(std::vector<int>, rows);
        QFETCH(std::string, question);
        QFETCH(std::set<std::string>, left);
        const std::string folder = Open({"1.mp3", "2.mp3", "3.mp3"});
        Select(rows, 2);
        std::string asked;
        const MsgBoxHandler previous = SetMsgBoxHandler([&](const std::string& text, int, const std::string&) {
            asked = text;
            browser_->SelectAndFocusQuietly(2);  // a title's end moves the selection on
            return int(kAnswerYes);
        });
        ops_->DeleteSelectedFiles(false);
        SetMsgBoxHandler(previous);
        QCOMPARE(asked, question);
        QCOMPARE(Entries(folder), left);
    }

    // A file that cannot go is hidden from the list and deleted by a later tick; a read-only
    // file system is not deferred; a deferred name that another file took since stays.
    void deferredDeletion()
    {
        const std::string folder = Open({"a.mp3", "b.mp3", "c.mp3"});
        fs_.failing = {shell::FsCall::Rename, shell::FsCall::Unlink};
        fs_.err = EBUSY;
        Select({0, 1}, 0);
        ops_->DeleteSelectedFiles(true);
        QCOMPARE(Listed(), (std::vector<std::string>{"c.mp3*"}));
        QVERIFY(timerRuns_ && ops_->Deferred().Contains(folder + "a.mp3"));
        fs_.err = EROFS;
        ops_->DeleteSelectedFiles(true);
        QCOMPARE(Listed(), (std::vector<std::string>{"c.mp3*"}));
        QVERIFY(!ops_->Deferred().Contains(folder + "c.mp3"));
        fs_.failing.clear();
        // A new file under the deferred name, while the old one is still open.
        const int old = open((folder + "b.mp3").c_str(), O_RDONLY);
        QVERIFY(unlink((folder + "b.mp3").c_str()) == 0);
        test::WriteFile(folder + "b.mp3", "new");
        ops_->DeferredDeletionTick();
        close(old);
        QCOMPARE(Entries(folder), (std::set<std::string>{"b.mp3", "c.mp3"}));
        QVERIFY(!timerRuns_ && ops_->Deferred().Empty());
        QCOMPARE(Listed().size(), size_t(2));
    }

    // Without root's rights a file in a read-only folder is deferred; once the folder is
    // writable one retry deletes it.
    void deferredInReadOnlyFolder()
    {
        const int result = test::RunUnprivileged([] {
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
            const bool pending = deferred.Retry(shell::RealFs()).pending;
            const bool gone = access(name.c_str(), F_OK) != 0 && Entries(folder).empty();
            rmdir(folder);
            return kept ? (!pending && gone ? 0 : 2) : 1;
        });
        QCOMPARE(result, 0);
    }

    // The clean-up script deletes exactly the deferred files that are still the files they
    // were (and their index files), whatever their names hold, and then itself.
    void exitScript()
    {
        const std::vector<std::string>& hostile = kHostile;
        std::vector<std::string> all = {"a", "b", "*", "reused.mp3", "keep.idx2"};
        all.insert(all.end(), hostile.begin(), hostile.end());
        all.push_back("a'b.mp3.idx2");
        const std::string folder = Open(all);
        DeferredDeletions deferred;
        for (const std::string& name : hostile)
            QVERIFY(deferred.Add(folder + name, fs_));
        deferred.Add(folder + "reused.mp3", fs_);
        const int old = open((folder + "reused.mp3").c_str(), O_RDONLY);
        QVERIFY(unlink((folder + "reused.mp3").c_str()) == 0);
        test::WriteFile(folder + "reused.mp3", "new");
        const std::string script = WriteExitScript(deferred.Entries(), folder, 4242, fs_);
        QCOMPARE(script, folder + "vistrel4242delonend.sh");
        QVERIFY(WriteExitScript(deferred.Entries(), folder, 4242, fs_).empty());  // never over an existing file
        struct stat st{};
        QVERIFY(stat(script.c_str(), &st) == 0 && (st.st_mode & 0777) == 0700);
        QVERIFY(StartExitScript(script) && Vanishes(script));
        close(old);
        QCOMPARE(Entries(folder), (std::set<std::string>{"a", "b", "*", "reused.mp3", "keep.idx2"}));
    }

    // Rename in place renames the file the editor opened for, also when the selection moved;
    // names that would leave the folder, and refused renames, give the error box.
    void rename_data()
    {
        QTest::addColumn<std::string>("newName");
        QTest::addColumn<std::set<std::string>>("left");
        QTest::addColumn<std::string>("message");
        const std::set<std::string> same{"a.mp3", "b.mp3"};
        QTest::newRow("same") << std::string("a.mp3") << same << std::string();
        QTest::newRow("empty") << std::string() << same << std::string();
        QTest::newRow("hostile") << std::string("$(x)'\n.mp3") << std::set<std::string>{"$(x)'\n.mp3", "b.mp3"} << std::string();
        QTest::newRow("exists") << std::string("b.mp3") << same << std::string("Error 183 renaming file");
        QTest::newRow("slash") << std::string("../a.mp3") << same << std::string("Error 123 renaming file");
        QTest::newRow("dot") << std::string(".") << same << std::string("Error 123 renaming file");
        QTest::newRow("dot dot") << std::string("..") << same << std::string("Error 123 renaming file");
        QTest::newRow("denied") << std::string("c.mp3") << same << std::string("Error 5 renaming file");
    }
    void rename()
    {
        QFETCH(std::string, newName);
        QFETCH(std::set<std::string>, left);
        QFETCH(std::string, message);
        const std::string folder = Open({"a.mp3", "b.mp3"});
        Select({0}, 0);
        ops_->ShowRenameTextBox();
        QVERIFY(ops_->Editor()->IsOpen());
        browser_->SelectAndFocusQuietly(1);
        const auto confirm = [&] {
            test::MsgBoxRecorder recorder;
            ops_->RenameTextBoxConfirmed(newName);
            const auto& m = recorder.Messages();
            return m.empty() ? message.empty() : m.size() == 1 && m[0].text == message && m[0].flags == kMsgOk;
        };
        // Denied: a read-only folder, renamed in without root's rights (the check's result is the exit status).
        const bool denied = QTest::currentDataTag() == QString("denied");
        chmod(folder.c_str(), denied ? 0555 : 0755);
        QVERIFY(denied ? test::RunUnprivileged(confirm) == 1 : confirm());
        chmod(folder.c_str(), 0755);
        QCOMPARE(Entries(folder), left);
        QCOMPARE(GetFileNamePart(browser_->GetFullFilename(0)), left.contains("a.mp3") ? std::string("a.mp3") : newName);
    }

    // Move to a list entry: three adjacent files move and the caret row keeps its index; a
    // destination that cannot be used gives its message or does nothing, and moves nothing.
    void moveToEntry_data()
    {
        QTest::addColumn<std::string>("destination");  // "%" is the temporary folder
        QTest::addColumn<std::vector<std::string>>("listed");
        QTest::addColumn<std::string>("message");
        const std::vector<std::string> all{"0.mp3", "1.mp3*", "2.mp3*", "3.mp3*", "4.mp3"};
        QTest::newRow("moved") << std::string("%to") << std::vector<std::string>{"0.mp3", "4.mp3*"} << std::string();
        QTest::newRow("empty") << std::string() << all << std::string(kDestinationEmptyText);
        QTest::newRow("itself by a link") << std::string("%alias") << all << std::string(kCopyToItselfText);
        QTest::newRow("separator") << std::string("+++") << all << std::string();
        QTest::newRow("relative") << std::string("to") << all << std::string();
    }
    void moveToEntry()
    {
        QFETCH(std::string, destination);
        QFETCH(std::vector<std::string>, listed);
        QFETCH(std::string, message);
        const std::string folder = Open({"0.mp3", "1.mp3", "2.mp3", "3.mp3", "4.mp3"});
        QDir().mkpath(QString::fromStdString(Path("to")));
        QVERIFY(symlink(folder.c_str(), Path("alias").c_str()) == 0);
        destination_ = QString::fromStdString(destination).replace("%", QString::fromStdString(Path())).toStdString();
        Select({1, 2, 3}, 1);
        test::MsgBoxRecorder recorder;
        ops_->MoveToEntry(1);
        QCOMPARE(Listed(), listed);
        QCOMPARE(recorder.Messages().empty() ? std::string() : recorder.Messages()[0].text, message);
        QCOMPARE(Entries(folder).size() + Entries(Path("to")).size(), size_t(5));
    }
};

QTEST_MAIN(TestFileOperations)
#include "tst_file_operations.moc"
