// The copy engine through its file system seam (faults, files changed under it, every
// answer to its questions, identity of files and folders, hostile names), on real file
// systems mounted in a private namespace, and its dialogs.
#include "platform/shell/CopyEngine.h"
#include "platform/shell/TransferDialogs.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QScopeGuard>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>

using namespace vistrel;
using namespace vistrel::shell;
namespace fsys = std::filesystem;
using Tree = std::map<std::string, std::string>;
using Texts = std::vector<std::string>;

// The rows name only the fields that differ from a plain copy.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

constexpr size_t kFileSize = 3 << 19;  // two chunks of read and write: 1 MiB and 0.5 MiB

struct Case {
    FileOp op = FileOp::Copy;
    size_t size = kFileSize;  // small files are synced in batches
    bool crossFs = true;  // renaming a source and copy_file_range give EXDEV
    std::string existing;  // letters of files already in the destination (old content)
    std::string conflicts;  // the answers, as ScriptedUi takes them
    std::string errors;
    FsCall faultCall = FsCall::Open;  // its faultAt-th to (faultAt + faultCount - 1)-th calls fail
    int faultAt = 0;
    int faultErrno = 0;
    int faultCount = 1;
    std::string change;  // done to source b after its first chunk ("fifo": before the start)
    int cancelAt = 0;
    std::string done;
    Texts asked;
};

class FaultyFs : public FsOps {
public:
    explicit FaultyFs(Case c, std::function<void()> changeB = {}) : c_(std::move(c)), changeB_(std::move(changeB)) {}

protected:
    int Fault(FsCall call, const std::string& path) override
    {
        const int n = ++calls_[call];
        if (call == FsCall::Read && n == 5 && changeB_)
            changeB_();
        if (c_.crossFs && (call == FsCall::CopyRange ||
                           (call == FsCall::Rename && path.find("/.vistrel-copy-") == std::string::npos)))
            return EXDEV;
        return call == c_.faultCall && n >= c_.faultAt && n < c_.faultAt + c_.faultCount ? c_.faultErrno : 0;
    }

private:
    const Case c_;
    std::function<void()> changeB_;
    std::map<FsCall, int> calls_;
};

// Answers from scripts and records the questions ("conflict NAME", "error NAME: REASON").
// Conflicts: R Replace, A Replace All, S Skip, K Skip All, C Cancel; errors: R Retry, S Skip,
// C Cancel; past the end of a script, Skip. The cancelAt-th Progress call cancels.
class ScriptedUi : public TransferUi {
public:
    ScriptedUi(std::string conflicts = {}, std::string errors = {}, int cancelAt = 0)
        : conflicts_(std::move(conflicts)), errors_(std::move(errors)), cancelAt_(cancelAt) {}
    Texts asked;

    bool Progress(FileOp, const std::string&, int, int, uint64_t, uint64_t) override { return ++progress_ != cancelAt_; }
    ConflictAnswer AskConflict(const std::string& name, const std::string&) override
    {
        asked.push_back("conflict " + name);
        return ConflictAnswer(std::string("RASKC").find(Next(conflicts_)));
    }
    ErrorAnswer AskError(FileOp, const std::string& name, const std::string& reason) override
    {
        asked.push_back("error " + name + ": " + reason);
        return ErrorAnswer(std::string("RSC").find(Next(errors_)));
    }

private:
    char Next(std::string& script) { return script.empty() ? 'S' : std::exchange(script, script.substr(1))[0]; }
    std::string conflicts_;
    std::string errors_;
    int cancelAt_;
    int progress_ = 0;
};

std::string NewContent(char letter, size_t size)
{
    std::string bytes(size, letter);
    for (size_t i = 0; i < bytes.size(); i += 4096)
        bytes[i] = char(i >> 12);
    return bytes;
}

// Relative name -> content, "/" for a folder; a file alone is "", an absent one {}.
Tree Snapshot(const std::string& path)
{
    Tree files;
    if (fsys::is_regular_file(path))
        files[""] = test::ReadText(path);
    std::error_code notAFolder;
    for (const auto& entry : fsys::recursive_directory_iterator(path, notAFolder))
        files[fsys::relative(entry.path(), path).string()] = entry.is_directory() ? "/" : test::ReadText(entry.path());
    return files;
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

// Mounting needs a mount namespace of our own: as root that is enough, otherwise a user
// namespace maps us to root inside. "" on success, else why it failed.
std::string EnterPrivateMounts()
{
    const std::string uid = std::to_string(::geteuid());
    const std::string gid = std::to_string(::getegid());
    const auto write = [](const char* path, const std::string& text) {
        return static_cast<bool>(std::ofstream(path) << text << std::flush);
    };
    if (uid != "0" || ::unshare(CLONE_NEWNS) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return std::string("unshare: ") + std::strerror(errno);
        if (!write("/proc/self/setgroups", "deny") || !write("/proc/self/uid_map", "0 " + uid + " 1") ||
            !write("/proc/self/gid_map", "0 " + gid + " 1"))
            return "cannot map the user into the namespace";
    }
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("private mounts: ") + std::strerror(errno);
    return {};
}

std::string g_namespaceError;

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
    void filesystems_data();
    void filesystems();
    void dialogs();
};

void TestCopyEngine::transfer_data()
{
    QTest::addColumn<Case>("c");
    const FileOp move = FileOp::Move;
    const std::string nospc = "error b: No space left on device";
    const std::string changed = "error b: The file changed while it was copied";
    auto row = [](const char* name, Case c) { QTest::newRow(name) << c; };
    row("copy: ENOSPC at write", {.faultCall = FsCall::Write, .faultAt = 3, .faultErrno = ENOSPC, .done = "ac", .asked = {nospc}});
    row("copy: ENOSPC at fsync", {.faultCall = FsCall::Fsync, .faultAt = 2, .faultErrno = ENOSPC, .done = "ac", .asked = {nospc}});
    row("copy: ENOSPC at close", {.faultCall = FsCall::Close, .faultAt = 3, .faultErrno = ENOSPC, .done = "ac", .asked = {nospc}});
    row("copy: EIO at read", {.faultCall = FsCall::Read, .faultAt = 4, .faultErrno = EIO, .done = "ac", .asked = {"error b: Input/output error"}});
    row("copy: Retry after ENOSPC", {.errors = "R", .faultCall = FsCall::Write, .faultAt = 3, .faultErrno = ENOSPC, .done = "abc", .asked = {nospc}});
    row("copy: Cancel on ENOSPC", {.errors = "C", .faultCall = FsCall::Write, .faultAt = 3, .faultErrno = ENOSPC, .done = "a", .asked = {nospc}});
    row("copy: Cancel between chunks of file 2", {.cancelAt = 5, .done = "a"});
    row("copy: source unlinked", {.change = "unlink", .done = "abc"});
    row("copy: source truncated", {.change = "truncate", .done = "ac", .asked = {changed}});
    row("copy: source rewritten", {.change = "rewrite", .done = "ac", .asked = {changed}});
    row("copy: destination folder removed", {.change = "rmdest", .done = "a", .asked = {"error b: No such file or directory", "error c: No such file or directory"}});
    row("copy: FIFO", {.change = "fifo", .done = "ac", .asked = {"error b: Not a regular file"}});
    row("copy: Replace, Skip", {.existing = "ab", .conflicts = "RS", .done = "ac", .asked = {"conflict a", "conflict b"}});
    row("copy: Replace All", {.existing = "ab", .conflicts = "A", .done = "abc", .asked = {"conflict a"}});
    row("copy: Skip All", {.existing = "ab", .conflicts = "K", .done = "c", .asked = {"conflict a"}});
    row("copy: Cancel", {.existing = "ab", .conflicts = "C", .done = "", .asked = {"conflict a"}});
    row("copy: Replace, then ENOSPC", {.existing = "a", .conflicts = "R", .faultCall = FsCall::Write, .faultAt = 1, .faultErrno = ENOSPC, .done = "bc", .asked = {"conflict a", "error a: No space left on device"}});
    row("kernel copy: ENOSPC", {.crossFs = false, .faultCall = FsCall::CopyRange, .faultAt = 3, .faultErrno = ENOSPC, .done = "ac", .asked = {nospc}});
    row("kernel copy refused: read and write", {.crossFs = false, .faultCall = FsCall::CopyRange, .faultAt = 3, .faultErrno = EOPNOTSUPP, .done = "abc"});
    row("batch: its sync fails once", {.size = 9000, .faultCall = FsCall::Fsync, .faultAt = 1, .faultErrno = EIO, .done = "abc"});
    row("batch: ENOSPC at fsync", {.size = 9000, .faultCall = FsCall::Fsync, .faultAt = 1, .faultErrno = ENOSPC, .faultCount = 3, .done = "c", .asked = {"error a: No space left on device", nospc}});
    row("batch: ENOSPC at close", {.size = 9000, .faultCall = FsCall::Close, .faultAt = 5, .faultErrno = ENOSPC, .done = "ac", .asked = {nospc}});
    row("batch: Retry after ENOSPC", {.size = 9000, .errors = "R", .faultCall = FsCall::Fsync, .faultAt = 1, .faultErrno = ENOSPC, .faultCount = 2, .done = "abc", .asked = {"error a: No space left on device"}});
    row("batch: Cancel before file 3", {.size = 9000, .cancelAt = 5, .done = "ab"});
    row("move: ENOSPC at fsync", {.op = move, .faultCall = FsCall::Fsync, .faultAt = 3, .faultErrno = ENOSPC, .done = "ac", .asked = {nospc}});
    row("move: Cancel between chunks of file 2", {.op = move, .cancelAt = 7, .done = "a"});
    row("move: source unlinked", {.op = move, .change = "unlink", .done = "abc"});
    row("move: source truncated", {.op = move, .change = "truncate", .done = "ac", .asked = {changed}});
    row("move: source rewritten", {.op = move, .change = "rewrite", .done = "ac", .asked = {changed}});
    row("move: Replace, Skip", {.op = move, .existing = "ab", .conflicts = "RS", .done = "ac", .asked = {"conflict a", "conflict b"}});
    row("move: Replace, then ENOSPC", {.op = move, .existing = "a", .conflicts = "R", .faultCall = FsCall::Write, .faultAt = 1, .faultErrno = ENOSPC, .done = "bc", .asked = {"conflict a", "error a: No space left on device"}});
    row("rename: Skip All", {.op = move, .crossFs = false, .existing = "ab", .conflicts = "K", .done = "c", .asked = {"conflict a"}});
    row("rename: Replace All", {.op = move, .crossFs = false, .existing = "ab", .conflicts = "A", .done = "abc", .asked = {"conflict a"}});
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
    for (const char letter : std::string("abc"))
        test::WriteFile(sources.emplace_back(src + "/" + letter), NewContent(letter, c.size));
    for (const char letter : c.existing)
        test::WriteFile(dst + "/" + letter, std::string("old ") + letter);
    if (c.change == "fifo")
        QVERIFY(::unlink(sources[1].c_str()) == 0 && ::mkfifo(sources[1].c_str(), 0644) == 0);
    FaultyFs fs(c, [&] { Change(c.change, sources[1], dst); });
    ScriptedUi ui(c.conflicts, c.errors, c.cancelAt);

    const TransferResult result = Transfer(c.op, sources, dst, ui, fs);

    std::string done;
    for (const std::string& source : result.done)
        done += source.back();
    QCOMPARE(done, c.done);
    QCOMPARE(ui.asked, c.asked);
    QCOMPARE(result.cancelled, c.cancelAt != 0 || c.conflicts == "C" || c.errors == "C");
    Tree arrived;
    for (const char letter : std::string("abc")) {
        const std::string name(1, letter);
        const bool isDone = c.done.find(letter) != std::string::npos;
        if (isDone || c.existing.find(letter) != std::string::npos)
            arrived[name] = isDone ? NewContent(letter, c.size) : "old " + name;
        if (letter == 'b' && !c.change.empty())
            QCOMPARE(fsys::exists(fsys::symlink_status(sources[1])), c.change != "unlink");
        else if (c.op == FileOp::Move && isDone)
            QVERIFY(!fsys::exists(src + "/" + name));
        else
            QVERIFY(test::ReadText(src + "/" + name) == NewContent(letter, c.size));
    }
    QVERIFY(Snapshot(dst) == (c.change == "rmdest" ? Tree{} : arrived));  // no temporary file either
}

void TestCopyEngine::identity_data()
{
    QTest::addColumn<FileOp>("op");
    QTest::addColumn<std::string>("source");
    QTest::addColumn<std::string>("destination");
    QTest::addColumn<int>("times");
    QTest::addColumn<Tree>("added");
    QTest::addColumn<Texts>("asked");
    const FileOp copy = FileOp::Copy;
    const FileOp move = FileOp::Move;
    const Texts inside = {"error d: The destination is inside the source folder"};
    auto row = [](const char* name, FileOp op, std::string source, std::string destination, int times,
                  Tree added, Texts asked) {
        QTest::newRow(name) << op << source << destination << times << added << asked;
    };
    row("copy onto itself, twice", copy, "x.mp3", "", 2, {{"x (copy 2).mp3", "data"}, {"x (copy).mp3", "data"}}, {});
    row("copy without extension", copy, "x", "", 1, {{"x (copy)", "data"}}, {});
    row("copy through a linked folder", copy, "link/x.mp3", "", 1, {{"x (copy).mp3", "data"}}, {});
    row("move onto itself", move, "x.mp3", "", 1, {}, {});
    row("move through a linked folder", move, "link/x.mp3", "", 1, {}, {});
    row("copy folder onto itself", copy, "d", "", 1, {{"d (copy)", "/"}, {"d (copy)/f.mp3", "data"}, {"d (copy)/sub", "/"}}, {});
    row("copy folder into itself", copy, "d", "d", 1, {}, inside);
    row("copy folder into its subfolder", copy, "d", "d/sub", 1, {}, inside);
    row("move folder into its subfolder", move, "d", "link/d/sub", 1, {}, inside);
}

// Paths are compared by what they are, not how they are written: a file copied onto
// itself gets a new name, a move onto itself changes nothing, a folder never lands in itself.
void TestCopyEngine::identity()
{
    QFETCH(FileOp, op);
    QFETCH(std::string, source);
    QFETCH(std::string, destination);
    QFETCH(int, times);
    QFETCH(Tree, added);
    QFETCH(Texts, asked);
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    fsys::create_directories(root + "/d/sub");
    for (const char* name : {"x.mp3", "x", "d/f.mp3"})
        test::WriteFile(root + "/" + name, "data");
    fsys::create_directory_symlink(".", root + "/link");
    Tree expected = Snapshot(root);
    expected.insert(added.begin(), added.end());
    ScriptedUi ui;
    for (int i = 0; i < times; ++i)
        Transfer(op, {root + "/" + source}, root + "/" + destination, ui);
    QVERIFY(Snapshot(root) == expected);
    QCOMPARE(ui.asked, asked);
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
    Tree all{{"a", "keep"}, {"b", "keep"}, {"*", "keep"}, {"X", "keep"}};
    for (const auto& [neighbour, content] : all)
        test::WriteFile(src + "/" + neighbour, content);
    const Tree neighbours = all;
    all[name] = "data";
    test::WriteFile(src + "/" + name, "data");
    ScriptedUi ui;

    QVERIFY(Transfer(FileOp::Copy, {src + "/" + name}, dst, ui).ok);
    QVERIFY(Snapshot(dst) == (Tree{{name, "data"}}));
    QVERIFY(::unlink((dst + "/" + name).c_str()) == 0);
    QVERIFY(Transfer(FileOp::Move, {src + "/" + name}, dst, ui).ok);
    QVERIFY(Snapshot(src) == neighbours);
    FaultyFs crossFs({});
    QVERIFY(Transfer(FileOp::Move, {dst + "/" + name}, src, ui, crossFs).ok);
    QVERIFY(Snapshot(dst).empty());
    QVERIFY(Snapshot(src) == all);
    QVERIFY(ui.asked.empty());
}

void TestCopyEngine::filesystems_data()
{
    QTest::addColumn<FileOp>("op");
    QTest::addColumn<std::string>("source");  // relative to the mounts' base
    QTest::addColumn<std::string>("destination");
    QTest::addColumn<Texts>("asked");
    QTest::addColumn<std::string>("arrived");  // the name in the destination, "" = none
    QTest::addColumn<bool>("sourceStays");
    const FileOp copy = FileOp::Copy;
    const FileOp move = FileOp::Move;
    const Texts full = {"error f.bin: No space left on device"};
    auto row = [](const char* name, FileOp op, std::string source, std::string destination, Texts asked,
                  std::string arrived, bool sourceStays) {
        QTest::newRow(name) << op << source << destination << asked << arrived << sourceStays;
    };
    row("copy into a full file system", copy, "one/music/f.bin", "small", full, "", true);
    row("move into a full file system", move, "one/music/f.bin", "small", full, "", true);
    row("move across file systems", move, "one/music/f.bin", "two", {}, "f.bin", false);
    row("move a folder across file systems", move, "one/tree", "two", {}, "tree", false);
    row("move onto itself through a bind mount", move, "alias/f.bin", "one/music", {}, "f.bin", true);
    row("copy onto itself through a bind mount", copy, "alias/f.bin", "one/music", {}, "f (copy).bin", true);
    row("move into a read-only file system", move, "one/music/f.bin", "ro", {"error f.bin: Read-only file system"}, "", true);
    row("move out of a read-only file system", move, "ro/ro.bin", "two", {"error ro.bin: Read-only file system"}, "ro.bin", true);
}

// On a tmpfs with a full tmpfs, a second one, a read-only one and a bind mount of its
// folder "one/music" below it: the source is removed only when its copy is complete on
// the other file system; a file reached under two paths is never copied and then deleted.
void TestCopyEngine::filesystems()
{
    QFETCH(FileOp, op);
    QFETCH(std::string, source);
    QFETCH(std::string, destination);
    QFETCH(Texts, asked);
    QFETCH(std::string, arrived);
    QFETCH(bool, sourceStays);
    QVERIFY2(g_namespaceError.empty(),
             ("mounting needs root or user namespaces (" + g_namespaceError +
              "); run as root, or allow unprivileged user namespaces (kernel.unprivileged_userns_clone=1, a container "
              "without the default seccomp profile) and run ./test.sh").c_str());
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    const auto mount = [&](const std::string& name, const char* type, const char* options, unsigned long flags,
                           const std::string& from) {
        fsys::create_directories(base + name);
        return ::mount(from.c_str(), (base + name).c_str(), type, flags, options) == 0;
    };
    QVERIFY2(mount("", "tmpfs", "size=64m", 0, "none"), std::strerror(errno));
    const auto unmount = qScopeGuard([&] { ::umount2(base.c_str(), MNT_DETACH); });
    for (const auto& [name, size] : {std::pair{"/two", "size=64m"}, {"/small", "size=1m"}, {"/ro", "size=1m"}})
        QVERIFY2(mount(name, "tmpfs", size, 0, "none"), std::strerror(errno));
    test::WriteFile(base + "/ro/ro.bin", "read-only data");
    fsys::create_directories(base + "/one/music");
    QVERIFY(mount("/ro", nullptr, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, "none"));
    QVERIFY(mount("/alias", nullptr, nullptr, MS_BIND, base + "/one/music"));
    std::string bytes(2 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 / 5);
    fsys::create_directories(base + "/one/tree/sub");
    for (const char* file : {"/one/music/f.bin", "/one/tree/h.bin", "/one/tree/sub/g.bin"})
        test::WriteFile(base + file, bytes);
    const Tree before = Snapshot(base + "/" + source);
    ScriptedUi ui;

    const TransferResult result = Transfer(op, {base + "/" + source}, base + "/" + destination, ui);

    QCOMPARE(ui.asked, asked);
    QCOMPARE(result.ok, asked.empty());
    QVERIFY(Snapshot(base + "/" + source) == (sourceStays ? before : Tree{}));
    if (!arrived.empty())
        QVERIFY(Snapshot(base + "/" + destination + "/" + arrived) == before);
    if (destination == "two" || destination == "small")
        QCOMPARE(fsys::is_empty(base + "/" + destination), arrived.empty());
    for (const auto& [name, content] : Snapshot(base))
        QVERIFY2(name.find(".vistrel-copy-") == std::string::npos, name.c_str());
}

// The progress window shows only after half a second, names the file, and its Cancel stops
// the job at the next step; the boxes' texts, each button pressed once.
void TestCopyEngine::dialogs()
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
    QString shown;
    const auto press = [&](const QString& button) {
        QTimer::singleShot(0, [&window, &shown, button] {
            auto* box = window.findChild<QMessageBox*>();
            shown = box->windowTitle() + "|" + box->text();
            for (QAbstractButton* candidate : box->buttons())
                if (candidate->text() == button)
                    candidate->click();
        });
    };
    int answer = 0;
    for (const char* button : {"Replace", "Replace All", "Skip", "Skip All", "Cancel"}) {
        press(button);
        QCOMPARE(int(dialogs.AskConflict("a'b.mp3", "/music")), answer++);  // ConflictAnswer's order
        QCOMPARE(shown, QString("Confirm|'a'b.mp3' already exists in '/music'.\nReplace it?"));
    }
    answer = 0;
    for (const char* button : {"Retry", "Skip", "Cancel"}) {
        press(button);
        QCOMPARE(int(dialogs.AskError(FileOp::Move, "a'b.mp3", "Read-only file system")), answer++);
        QCOMPARE(shown, QString("Vistrel|Cannot move 'a'b.mp3':\nRead-only file system"));
    }
}

int main(int argc, char** argv)
{
    g_namespaceError = EnterPrivateMounts();  // while this process has a single thread
    QApplication app(argc, argv);
    TestCopyEngine test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_copy_engine.moc"
