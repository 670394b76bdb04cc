// The copy engine through its file system seam: faults, files changed under it, every
// answer to its questions, identity of files and folders, hostile names; and its dialogs.
#include "platform/shell/CopyEngine.h"
#include "platform/shell/TransferDialogs.h"
#include "platform/ScriptedTransferUi.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

using namespace vistrel;
using namespace vistrel::shell;
namespace fsys = std::filesystem;

// The rows name only the fields that differ from a plain copy.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr size_t kFileSize = 3 << 19;  // two chunks: 1 MiB and 0.5 MiB

// Fails the n-th call of a kind; `crossFs` makes every rename of a source report another
// file system (the copy's own temporary file still renames); `before` changes files.
class FaultyFs : public FsOps {
public:
    FsCall faultCall = FsCall::Open;
    int faultAt = 0;
    int faultErrno = 0;
    int faultCount = 1;
    bool crossFs = false;
    std::function<void(FsCall, int)> before;

protected:
    int Fault(FsCall call, const std::string& path) override
    {
        const int n = ++calls_[call];
        if (before)
            before(call, n);
        if (crossFs && call == FsCall::Rename && path.find("/.vistrel-copy-") == std::string::npos)
            return EXDEV;
        return call == faultCall && n >= faultAt && n < faultAt + faultCount ? faultErrno : 0;
    }

private:
    std::map<FsCall, int> calls_;
};

struct Case {
    FileOp op = FileOp::Copy;
    size_t size = kFileSize;  // small files are synced in batches
    bool crossFs = true;
    std::string existing;  // letters of files already in the destination (old content)
    std::string conflicts;
    std::string errors;
    FsCall faultCall = FsCall::Open;
    int faultAt = 0;
    int faultErrno = 0;
    int faultCount = 1;
    std::string change;  // done to source b after its first chunk ("fifo": before the start)
    int cancelAt = 0;
    std::string done;
    std::string asked;
};

std::string Content(const std::string& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::string bytes(in ? size_t(in.tellg()) : 0, '\0');
    return in.seekg(0).read(bytes.data(), std::streamsize(bytes.size())) ? bytes : "<absent>";
}

std::string NewContent(char letter, size_t size = kFileSize)
{
    std::string bytes(size, letter);
    for (size_t i = 0; i < bytes.size(); i += 4096)
        bytes[i] = char(i >> 12);
    return bytes;
}

// Sorted relative names below `root`, "/" after folders; links are not followed.
std::vector<std::string> Listing(const std::string& root)
{
    std::vector<std::string> names;
    for (const auto& entry : fsys::recursive_directory_iterator(root))
        names.push_back(fsys::relative(entry.path(), root).string() + (entry.is_directory() ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

std::string Joined(const std::vector<std::string>& items)
{
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : "|") + item;
    return text;
}

void Change(const std::string& how, const std::string& file, const std::string& destination)
{
    if (how == "unlink")
        ::unlink(file.c_str());
    else if (how == "truncate")
        QVERIFY(::truncate(file.c_str(), 1000) == 0);
    else if (how == "rewrite")
        test::WriteFile(file, std::string(kFileSize, 'z'));
    else if (how == "rmdest")
        fsys::remove_all(destination);
}

}  // namespace

Q_DECLARE_METATYPE(Case)

class TestCopyEngine : public QObject {
    Q_OBJECT

private slots:
    void transfer_data();
    void transfer();
    void identity_data();
    void identity();
    void hostileNames_data();
    void hostileNames();
    void questionBoxes_data();
    void questionBoxes();
    void progressWindow();
};

void TestCopyEngine::transfer_data()
{
    QTest::addColumn<Case>("c");
    const FileOp move = FileOp::Move;
    const std::string nospc = "error b: No space left on device";
    const std::string changed = "error b: The file changed while it was copied";
    auto row = [](const char* name, Case c) { QTest::newRow(name) << c; };
    row("copy: ENOSPC at write", {.faultCall = FsCall::Write, .faultAt = 3, .faultErrno = ENOSPC, .done = "ac", .asked = nospc});
    row("copy: ENOSPC at fsync", {.faultCall = FsCall::Fsync, .faultAt = 2, .faultErrno = ENOSPC, .done = "ac", .asked = nospc});
    row("copy: ENOSPC at close", {.faultCall = FsCall::Close, .faultAt = 3, .faultErrno = ENOSPC, .done = "ac", .asked = nospc});
    row("copy: EIO at read", {.faultCall = FsCall::Read, .faultAt = 4, .faultErrno = EIO, .done = "ac", .asked = "error b: Input/output error"});
    row("copy: Retry after ENOSPC", {.errors = "R", .faultCall = FsCall::Write, .faultAt = 3, .faultErrno = ENOSPC, .done = "abc", .asked = nospc});
    row("copy: Cancel on ENOSPC", {.errors = "C", .faultCall = FsCall::Write, .faultAt = 3, .faultErrno = ENOSPC, .done = "a", .asked = nospc});
    row("copy: Cancel between chunks of file 2", {.cancelAt = 5, .done = "a"});
    row("copy: source unlinked", {.change = "unlink", .done = "abc"});
    row("copy: source truncated", {.change = "truncate", .done = "ac", .asked = changed});
    row("copy: source rewritten", {.change = "rewrite", .done = "ac", .asked = changed});
    row("copy: destination folder removed", {.change = "rmdest", .done = "a", .asked = "error b: No such file or directory|error c: No such file or directory"});
    row("copy: FIFO", {.change = "fifo", .done = "ac", .asked = "error b: Not a regular file"});
    row("copy: Replace, Skip", {.existing = "ab", .conflicts = "RS", .done = "ac", .asked = "conflict a|conflict b"});
    row("copy: Replace All", {.existing = "ab", .conflicts = "A", .done = "abc", .asked = "conflict a"});
    row("copy: Skip All", {.existing = "ab", .conflicts = "K", .done = "c", .asked = "conflict a"});
    row("copy: Cancel", {.existing = "ab", .conflicts = "C", .done = "", .asked = "conflict a"});
    row("copy: Replace, then ENOSPC", {.existing = "a", .conflicts = "R", .faultCall = FsCall::Write, .faultAt = 1, .faultErrno = ENOSPC, .done = "bc", .asked = "conflict a|error a: No space left on device"});
    row("batch: its sync fails once", {.size = 9000, .faultCall = FsCall::Fsync, .faultAt = 1, .faultErrno = EIO, .done = "abc"});
    row("batch: ENOSPC at fsync", {.size = 9000, .faultCall = FsCall::Fsync, .faultAt = 1, .faultErrno = ENOSPC, .faultCount = 3, .done = "c", .asked = "error a: No space left on device|" + nospc});
    row("batch: ENOSPC at close", {.size = 9000, .faultCall = FsCall::Close, .faultAt = 5, .faultErrno = ENOSPC, .done = "ac", .asked = nospc});
    row("batch: Retry after ENOSPC", {.size = 9000, .errors = "R", .faultCall = FsCall::Fsync, .faultAt = 1, .faultErrno = ENOSPC, .faultCount = 2, .done = "abc", .asked = "error a: No space left on device"});
    row("batch: Cancel before file 3", {.size = 9000, .cancelAt = 5, .done = "ab"});
    row("move: ENOSPC at write", {.op = move, .faultCall = FsCall::Write, .faultAt = 3, .faultErrno = ENOSPC, .done = "ac", .asked = nospc});
    row("move: ENOSPC at fsync", {.op = move, .faultCall = FsCall::Fsync, .faultAt = 3, .faultErrno = ENOSPC, .done = "ac", .asked = nospc});
    row("move: ENOSPC at close", {.op = move, .faultCall = FsCall::Close, .faultAt = 4, .faultErrno = ENOSPC, .done = "ac", .asked = nospc});
    row("move: EIO at read", {.op = move, .faultCall = FsCall::Read, .faultAt = 4, .faultErrno = EIO, .done = "ac", .asked = "error b: Input/output error"});
    row("move: Cancel between chunks of file 2", {.op = move, .cancelAt = 7, .done = "a"});
    row("move: source unlinked", {.op = move, .change = "unlink", .done = "abc"});
    row("move: source truncated", {.op = move, .change = "truncate", .done = "ac", .asked = changed});
    row("move: source rewritten", {.op = move, .change = "rewrite", .done = "ac", .asked = changed});
    row("move: Replace, Skip", {.op = move, .existing = "ab", .conflicts = "RS", .done = "ac", .asked = "conflict a|conflict b"});
    row("move: Replace, then ENOSPC", {.op = move, .existing = "a", .conflicts = "R", .faultCall = FsCall::Write, .faultAt = 1, .faultErrno = ENOSPC, .done = "bc", .asked = "conflict a|error a: No space left on device"});
    row("rename: Skip All", {.op = move, .crossFs = false, .existing = "ab", .conflicts = "K", .done = "c", .asked = "conflict a"});
    row("rename: Replace All", {.op = move, .crossFs = false, .existing = "ab", .conflicts = "A", .done = "abc", .asked = "conflict a"});
}

// Sources a, b, c into a folder: exactly the files reported done arrive whole, every other
// destination keeps its old content or stays absent, and no temporary file is left.
void TestCopyEngine::transfer()
{
    QFETCH(Case, c);
    QTemporaryDir dir;
    const std::string src = dir.filePath("src").toStdString();
    const std::string dst = dir.filePath("dst").toStdString();
    fsys::create_directories(src);
    fsys::create_directories(dst);
    std::vector<std::string> sources;
    for (const char letter : std::string("abc")) {
        sources.push_back(src + "/" + letter);
        test::WriteFile(sources.back(), NewContent(letter, c.size));
    }
    for (const char letter : c.existing)
        test::WriteFile(dst + "/" + letter, std::string("old ") + letter);
    if (c.change == "fifo")
        QVERIFY(::unlink(sources[1].c_str()) == 0 && ::mkfifo(sources[1].c_str(), 0644) == 0);
    FaultyFs fs;
    fs.faultCall = c.faultCall, fs.faultAt = c.faultAt, fs.faultErrno = c.faultErrno, fs.crossFs = c.crossFs;
    fs.faultCount = c.faultCount;
    fs.before = [&](FsCall call, int n) {
        if (call == FsCall::Read && n == 5)
            Change(c.change, sources[1], dst);
    };
    test::ScriptedTransferUi ui;
    ui.conflictAnswers = c.conflicts, ui.errorAnswers = c.errors, ui.cancelAtProgress = c.cancelAt;

    const TransferResult result = Transfer(c.op, sources, dst, ui, fs);

    std::string done;
    for (const std::string& source : result.done)
        done += source.back();
    QCOMPARE(done, c.done);
    QCOMPARE(Joined(ui.asked), c.asked);
    QCOMPARE(result.cancelled, c.cancelAt != 0 || c.conflicts == "C" || c.errors == "C");
    for (const char letter : std::string("abc")) {
        const bool isDone = c.done.find(letter) != std::string::npos;
        const bool existed = c.existing.find(letter) != std::string::npos;
        const std::string old = existed ? std::string("old ") + letter : "<absent>";
        QCOMPARE(Content(dst + "/" + letter), c.change == "rmdest" ? "<absent>" : isDone ? NewContent(letter, c.size) : old);
        struct stat st{};
        const bool sourceLeft = ::lstat(sources[letter - 'a'].c_str(), &st) == 0;
        if (letter == 'b' && !c.change.empty())
            QCOMPARE(sourceLeft, c.change != "unlink");
        else if (c.op == FileOp::Move && isDone)
            QVERIFY(!sourceLeft);
        else
            QCOMPARE(Content(sources[letter - 'a']), NewContent(letter, c.size));
    }
    if (fsys::exists(dst))
        for (const std::string& name : Listing(dst))
            QVERIFY2(name.size() == 1, name.c_str());  // no temporary file
}

void TestCopyEngine::identity_data()
{
    QTest::addColumn<FileOp>("op");
    QTest::addColumn<std::string>("source");
    QTest::addColumn<std::string>("destination");
    QTest::addColumn<int>("times");
    QTest::addColumn<std::string>("added");
    QTest::addColumn<std::string>("asked");
    const FileOp copy = FileOp::Copy;
    const FileOp move = FileOp::Move;
    const std::string inside = "error d: The destination is inside the source folder";
    auto row = [](const char* name, FileOp op, std::string source, std::string destination, int times,
                  std::string added, std::string asked) {
        QTest::newRow(name) << op << source << destination << times << added << asked;
    };
    row("copy onto itself, twice", copy, "x.mp3", "", 2, "x (copy 2).mp3|x (copy).mp3", "");
    row("copy without extension", copy, "x", "", 1, "x (copy)", "");
    row("copy through a linked folder", copy, "link/x.mp3", "", 1, "x (copy).mp3", "");
    row("move onto itself", move, "x.mp3", "", 1, "", "");
    row("move through a linked folder", move, "link/x.mp3", "", 1, "", "");
    row("copy folder onto itself", copy, "d", "", 1, "d (copy)/|d (copy)/f.mp3|d (copy)/sub/", "");
    row("copy folder into itself", copy, "d", "d", 1, "", inside);
    row("copy folder into its subfolder", copy, "d", "d/sub", 1, "", inside);
    row("move folder into its subfolder", move, "d", "link/d/sub", 1, "", inside);
}

// Paths are compared by what they are, not how they are written: a file copied onto
// itself gets a new name, a move onto itself changes nothing, a folder never lands in itself.
void TestCopyEngine::identity()
{
    QFETCH(FileOp, op);
    QFETCH(std::string, source);
    QFETCH(std::string, destination);
    QFETCH(int, times);
    QFETCH(std::string, added);
    QFETCH(std::string, asked);
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    fsys::create_directories(root + "/d/sub");
    for (const char* name : {"x.mp3", "x", "d/f.mp3"})
        test::WriteFile(root + "/" + name, "data");
    fsys::create_directory_symlink(".", root + "/link");
    std::vector<std::string> expected = Listing(root);
    for (size_t from = 0, bar; !added.empty() && from <= added.size(); from = bar + 1) {
        bar = std::min(added.find('|', from), added.size());
        expected.push_back(added.substr(from, bar - from));
    }
    std::sort(expected.begin(), expected.end());
    test::ScriptedTransferUi ui;
    for (int i = 0; i < times; ++i)
        Transfer(op, {root + "/" + source}, root + "/" + destination, ui);
    QCOMPARE(Joined(Listing(root)), Joined(expected));
    QCOMPARE(Joined(ui.asked), asked);
    for (const std::string& name : expected)
        if (name.back() != '/' && name != "link")
            QCOMPARE(Content(root + "/" + name), std::string("data"));
}

void TestCopyEngine::hostileNames_data()
{
    QTest::addColumn<std::string>("name");
    for (const char* name : {"a'b.mp3", "new\nline.mp3", "-rf.mp3", "$(touch X).mp3", "*.mp3", "\xff\xfe.mp3"})
        QTest::newRow(name) << std::string(name);
    QTest::newRow("255 bytes") << std::string(251, 'n') + ".mp3";
}

// A copy, a move on one file system and one across file systems touch exactly the file
// named; the neighbours whose names a shell would expand or take as options stay.
void TestCopyEngine::hostileNames()
{
    QFETCH(std::string, name);
    QTemporaryDir dir;
    const std::string src = dir.filePath("src").toStdString();
    const std::string dst = dir.filePath("dst").toStdString();
    fsys::create_directories(src);
    fsys::create_directories(dst);
    for (const char* neighbour : {"a", "b", "*", "X"})
        test::WriteFile(src + "/" + neighbour, "keep");
    test::WriteFile(src + "/" + name, "data");
    const std::string neighbours = "*|X|a|b";
    test::ScriptedTransferUi ui;
    FaultyFs crossFs;
    crossFs.crossFs = true;

    QVERIFY(Transfer(FileOp::Copy, {src + "/" + name}, dst, ui).ok);
    QCOMPARE(Listing(dst), std::vector<std::string>{name});
    QVERIFY(::unlink((dst + "/" + name).c_str()) == 0);
    QVERIFY(Transfer(FileOp::Move, {src + "/" + name}, dst, ui).ok);
    QCOMPARE(Joined(Listing(src)), neighbours);
    QVERIFY(Transfer(FileOp::Move, {dst + "/" + name}, src, ui, crossFs).ok);
    QVERIFY(Listing(dst).empty());
    QCOMPARE(Content(src + "/" + name), std::string("data"));
    for (const char* neighbour : {"a", "b", "*", "X"})
        QCOMPARE(Content(src + "/" + neighbour), std::string("keep"));
    QVERIFY(ui.asked.empty());
}

void TestCopyEngine::questionBoxes_data()
{
    QTest::addColumn<bool>("conflict");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("answer");
    const std::pair<const char*, ConflictAnswer> conflicts[] = {{"Replace", ConflictAnswer::Replace},
        {"Replace All", ConflictAnswer::ReplaceAll}, {"Skip", ConflictAnswer::Skip},
        {"Skip All", ConflictAnswer::SkipAll}, {"Cancel", ConflictAnswer::Cancel}};
    for (const auto& [button, answer] : conflicts)
        QTest::addRow("conflict %s", button) << true << QString(button) << int(answer);
    const std::pair<const char*, ErrorAnswer> errors[] = {
        {"Retry", ErrorAnswer::Retry}, {"Skip", ErrorAnswer::Skip}, {"Cancel", ErrorAnswer::Cancel}};
    for (const auto& [button, answer] : errors)
        QTest::addRow("error %s", button) << false << QString(button) << int(answer);
}

// The boxes' texts and buttons, each button pressed once.
void TestCopyEngine::questionBoxes()
{
    QFETCH(bool, conflict);
    QFETCH(QString, button);
    QFETCH(int, answer);
    QWidget window;
    shell::TransferDialogs dialogs(&window);
    QString title;
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = window.findChild<QMessageBox*>();
        QVERIFY(box != nullptr);
        title = box->windowTitle(), text = box->text();
        for (QAbstractButton* candidate : box->buttons())
            if (candidate->text() == button)
                candidate->click();
    });
    const std::string name = "a'b.mp3";
    if (conflict) {
        QCOMPARE(int(dialogs.AskConflict(name, "/music")), answer);
        QCOMPARE(title + "|" + text, QString("Confirm|'a'b.mp3' already exists in '/music'.\nReplace it?"));
    } else {
        QCOMPARE(int(dialogs.AskError(FileOp::Move, name, "Read-only file system")), answer);
        QCOMPARE(title + "|" + text, QString("Vistrel|Cannot move 'a'b.mp3':\nRead-only file system"));
    }
}

// Nothing shows for a short job; after half a second the window names the file, and its
// Cancel stops the job at the next step.
void TestCopyEngine::progressWindow()
{
    QWidget window;
    shell::TransferDialogs dialogs(&window);
    QVERIFY(dialogs.Progress(FileOp::Copy, "a.mp3", 1, 3, 0, 30));
    QVERIFY(dialogs.ProgressWindow() == nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(520));
    QVERIFY(dialogs.Progress(FileOp::Copy, "b.mp3", 2, 3, 15, 30));
    QProgressDialog* progress = dialogs.ProgressWindow();
    QVERIFY(progress != nullptr && progress->isVisible());
    QCOMPARE(progress->windowTitle() + "|" + progress->labelText(), QString("Copying files|Copying 'b.mp3' (2 of 3)"));
    QCOMPARE(progress->value(), progress->maximum() / 2);
    progress->cancel();
    QVERIFY(!dialogs.Progress(FileOp::Copy, "b.mp3", 2, 3, 20, 30));
}

QTEST_MAIN(TestCopyEngine)
#include "tst_copy_engine.moc"
