// The copy engine on real file systems mounted in a private namespace: a full tmpfs, a
// move between two tmpfs, a folder reached through a bind mount, a read-only remount.
#include "platform/shell/CopyEngine.h"
#include "platform/ScriptedTransferUi.h"
#include "support/TestSupport.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

using namespace vistrel;
using namespace vistrel::shell;
namespace fsys = std::filesystem;

namespace {

bool WriteProc(const char* path, const std::string& text)
{
    std::ofstream out(path);
    return static_cast<bool>(out << text << std::flush);
}

// Mounting needs a mount namespace of our own: as root that is enough, otherwise a user
// namespace maps us to root inside. "" on success, else why it failed.
std::string EnterPrivateMounts()
{
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid != 0 || ::unshare(CLONE_NEWNS) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return std::string("unshare: ") + std::strerror(errno);
        if (!WriteProc("/proc/self/setgroups", "deny") || !WriteProc("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !WriteProc("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1"))
            return "cannot map the user into the namespace";
    }
    if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return std::string("private mounts: ") + std::strerror(errno);
    return {};
}

std::string g_namespaceError;

// Relative name -> content ("/" for a folder).
std::map<std::string, std::string> Snapshot(const std::string& path)
{
    std::map<std::string, std::string> files;
    if (!fsys::is_directory(path))
        return fsys::exists(path) ? std::map<std::string, std::string>{{"", test::ReadText(path)}} : files;
    for (const auto& entry : fsys::recursive_directory_iterator(path))
        files[fsys::relative(entry.path(), path).string()] = entry.is_directory() ? "/" : test::ReadText(entry.path());
    return files;
}

}  // namespace

class TestCopyFilesystems : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void transfer_data();
    void transfer();

private:
    std::string Mount(const std::string& name, const char* type, const char* options, unsigned long flags = 0,
                      const std::string& from = "none");
    std::string base_;
};

void TestCopyFilesystems::initTestCase()
{
    QVERIFY2(g_namespaceError.empty(),
             ("mounting needs root or user namespaces (" + g_namespaceError +
              "); run as root, or allow unprivileged user namespaces (kernel.unprivileged_userns_clone=1, a container "
              "without the default seccomp profile) and run ./test.sh").c_str());
    char pattern[] = "/tmp/vistrel-fs-XXXXXX";
    QVERIFY(::mkdtemp(pattern) != nullptr);
    base_ = pattern;
    QVERIFY(!Mount("", "tmpfs", "size=64m").empty());
    QVERIFY(!Mount("two", "tmpfs", "size=64m").empty());
    QVERIFY(!Mount("small", "tmpfs", "size=1m").empty());
    const std::string ro = Mount("ro", "tmpfs", "size=1m");
    test::WriteFile(ro + "/ro.bin", "read-only data");
    QVERIFY(!Mount("ro", nullptr, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, ro).empty());
    fsys::create_directories(base_ + "/one/music");
    QVERIFY(!Mount("alias", nullptr, nullptr, MS_BIND, base_ + "/one/music").empty());
}

std::string TestCopyFilesystems::Mount(const std::string& name, const char* type, const char* options,
                                       unsigned long flags, const std::string& from)
{
    const std::string path = name.empty() ? base_ : base_ + "/" + name;
    fsys::create_directories(path);
    if (::mount(from.c_str(), path.c_str(), type, flags, options) != 0) {
        qWarning("mount %s: %s", path.c_str(), std::strerror(errno));
        return {};
    }
    return path;
}

void TestCopyFilesystems::cleanupTestCase()
{
    for (const char* name : {"alias", "ro", "small", "two", ""})
        ::umount2((base_ + "/" + name).c_str(), MNT_DETACH);
    ::rmdir(base_.c_str());
}

void TestCopyFilesystems::transfer_data()
{
    QTest::addColumn<FileOp>("op");
    QTest::addColumn<std::string>("source");  // relative to the mounts' base
    QTest::addColumn<std::string>("destination");
    QTest::addColumn<std::string>("asked");
    QTest::addColumn<std::string>("arrived");  // the name in the destination, "" = none
    QTest::addColumn<bool>("sourceStays");
    const FileOp copy = FileOp::Copy;
    const FileOp move = FileOp::Move;
    const std::string full = "error f.bin: No space left on device";
    auto row = [](const char* name, FileOp op, std::string source, std::string destination, std::string asked,
                  std::string arrived, bool sourceStays) {
        QTest::newRow(name) << op << source << destination << asked << arrived << sourceStays;
    };
    row("copy into a full file system", copy, "one/music/f.bin", "small", full, "", true);
    row("move into a full file system", move, "one/music/f.bin", "small", full, "", true);
    row("move across file systems", move, "one/music/f.bin", "two", "", "f.bin", false);
    row("move a folder across file systems", move, "one/tree", "two", "", "tree", false);
    row("move onto itself through a bind mount", move, "alias/f.bin", "one/music", "", "f.bin", true);
    row("copy onto itself through a bind mount", copy, "alias/f.bin", "one/music", "", "f (copy).bin", true);
    row("move into a read-only file system", move, "one/music/f.bin", "ro", "error f.bin: Read-only file system", "", true);
    row("move out of a read-only file system", move, "ro/ro.bin", "two", "error ro.bin: Read-only file system", "ro.bin", true);
}

// The source is removed only when its copy is complete on the other file system; a file
// reached under two paths is never copied and then deleted; no temporary file is left.
void TestCopyFilesystems::transfer()
{
    QFETCH(FileOp, op);
    QFETCH(std::string, source);
    QFETCH(std::string, destination);
    QFETCH(std::string, asked);
    QFETCH(std::string, arrived);
    QFETCH(bool, sourceStays);
    for (const char* folder : {"one/music", "two", "small"})
        for (const auto& entry : fsys::directory_iterator(base_ + "/" + folder))
            fsys::remove_all(entry.path());
    std::string bytes(2 << 20, '\0');
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 / 5);
    test::WriteFile(base_ + "/one/music/f.bin", bytes);
    fsys::create_directories(base_ + "/one/tree/sub");
    test::WriteFile(base_ + "/one/tree/h.bin", bytes);
    test::WriteFile(base_ + "/one/tree/sub/g.bin", "g");
    const auto before = Snapshot(base_ + "/" + source);
    test::ScriptedTransferUi ui;

    const TransferResult result = Transfer(op, {base_ + "/" + source}, base_ + "/" + destination, ui);

    std::string answers;
    for (const std::string& question : ui.asked)
        answers += question;
    QCOMPARE(answers, asked);
    QCOMPARE(result.ok, asked.empty());
    QCOMPARE(Snapshot(base_ + "/" + source), sourceStays ? before : decltype(before){});
    if (!arrived.empty())
        QCOMPARE(Snapshot(base_ + "/" + destination + "/" + arrived), before);
    for (const auto& entry : fsys::recursive_directory_iterator(base_))
        QVERIFY2(entry.path().filename().string().rfind(".vistrel-copy-", 0) != 0, entry.path().c_str());
    if (destination == "two" || destination == "small")
        QCOMPARE(fsys::is_empty(base_ + "/" + destination), arrived.empty());
}

int main(int argc, char** argv)
{
    g_namespaceError = EnterPrivateMounts();
    QCoreApplication app(argc, argv);
    TestCopyFilesystems test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_copy_filesystems.moc"
