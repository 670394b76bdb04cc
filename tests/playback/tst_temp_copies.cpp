// Temporary copies on a real disk: the copy plans, a sparse 300 MB source copied with its
// head and tail window, the slot chosen by free space, the clean-up of copies left by
// processes that are gone, the wipe, and the repair tool run through sh scripts.
#include "platform/tempfiles/RunAndWait.h"
#include "platform/tempfiles/TempFiles.h"
#include "playback/TempCopies.h"
#include "support/TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

using namespace vistrel;
using namespace vistrel::tempfiles;

namespace {

constexpr int64_t kBig = 300'000'000;
constexpr int64_t kMB10 = 10 * kMiB;

std::string ReadAt(const std::string& path, int64_t offset, size_t size)
{
    std::string data(size, '\0');
    const int fd = ::open(path.c_str(), O_RDONLY);
    const ssize_t n = fd < 0 ? -1 : ::pread(fd, data.data(), size, offset);
    if (fd >= 0)
        ::close(fd);
    data.resize(n < 0 ? 0 : size_t(n));
    return data;
}

void WriteAt(const std::string& path, int64_t offset, const std::string& data)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    QVERIFY(fd >= 0 && ::pwrite(fd, data.data(), data.size(), offset) == ssize_t(data.size()));
    ::close(fd);
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The mount point as df names it, to check the message against another tool's answer.
std::string DfMountPoint(const std::string& folder)
{
    QProcess df;
    df.start("df", {"--output=target", QString::fromStdString(folder)});
    df.waitForFinished(10000);
    return df.readAllStandardOutput().split('\n').value(1).trimmed().toStdString();
}

// Which of the file's pages are in the page cache.
std::vector<unsigned char> ResidentPages(const std::string& path, int64_t length)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    void* map = ::mmap(nullptr, size_t(length), PROT_READ, MAP_SHARED, fd, 0);
    std::vector<unsigned char> pages(size_t((length + 4095) / 4096));
    ::mincore(map, size_t(length), pages.data());
    ::munmap(map, size_t(length));
    ::close(fd);
    return pages;
}

}  // namespace

class TestTempCopies : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::string Path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }
    std::string Folder(const std::string& name) const
    {
        QDir().mkpath(QString::fromStdString(Path(name)));
        return Path(name) + "/";
    }

    // A sparse source: markers at the start, in the tail window, in the middle and in the last MiB.
    std::string MakeSparseSource(int64_t length)
    {
        const std::string source = Path("source.avi");
        std::remove(source.c_str());
        WriteAt(source, 0, "HEAD");
        WriteAt(source, kMB10 - 4, "EDGE");
        WriteAt(source, length / 2, "MIDDLE");
        WriteAt(source, TailWindow(length).offset + 100, "WINDOW");
        WriteAt(source, length - 100, "LASTMIB");
        ::truncate(source.c_str(), length);
        return source;
    }

private slots:
    // The plans, against sizes worked out by hand.
    void plans()
    {
        QCOMPARE(PlanChunks(kMB10, int64_t(1) << 30), std::vector<int64_t>{kMB10});
        QCOMPARE(PlanChunks(25'000'000, 30'000'000), (std::vector<int64_t>{10'000'000, 10'000'000, 5'000'000}));
        QCOMPARE(PlanChunks(30'000'000, 20'000'000), (std::vector<int64_t>{10'000'000, 10'000'000, 10'000'000}));
        QCOMPARE(TailWindow(kBig), (ByteRange{297'906'176, kMiB}));
        QCOMPARE(TailWindow(3 * kMiB / 2), (ByteRange{0, kMiB}));
        QCOMPARE(TailWindow(2 * kMiB + 1), (ByteRange{4096, kMiB}));
        QCOMPARE(TailWindow(600000), (ByteRange{0, 600000}));
        const int64_t block = kPrefetchBlock;
        QCOMPARE(PrefetchPlan(kMiB), (std::vector<ByteRange>{{0, block}, {block, block}, {2 * block, block}, {3 * block, block}}));
        const std::vector<ByteRange> ten = PrefetchPlan(kMB10);
        QCOMPARE(ten.size(), size_t(14));  // 11 blocks and the last 256 KiB, which the later passes read again
        QCOMPARE(ten[10], (ByteRange{10 * block, block}));
        for (size_t i = 11; i < 14; ++i)
            QCOMPARE(ten[i], (ByteRange{kMB10 - block, block}));
        const std::vector<ByteRange> huge = PrefetchPlan(int64_t(3) << 30);  // no tail read at 2 GiB and over
        QCOMPARE(huge.size(), size_t(33));
        QCOMPARE(huge.back(), (ByteRange{32 * block, block}));
    }

    // Reading ahead brings the head and the last 256 KiB into the page cache, not the middle.
    // The file lies in the build tree, on the disk the build is on: a memory file system such
    // as a tmpfs /tmp keeps every page resident and could not show it.
    void prefetchFillsTheCache()
    {
        const QTemporaryDir onDisk(QDir::currentPath() + "/prefetch-XXXXXX");
        const std::string path = onDisk.filePath("next.mp4").toStdString();
        WriteAt(path, 0, std::string(size_t(kMB10), 'x'));
        const int fd = ::open(path.c_str(), O_RDONLY);
        ::fdatasync(fd);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
        QVERIFY2(!(ResidentPages(path, kMB10)[0] & 1), "the build tree's file system did not drop the file's pages");
        PrefetchFile(path);
        const std::vector<unsigned char> pages = ResidentPages(path, kMB10);
        const auto resident = [&](int64_t offset) { return (pages[size_t(offset / 4096)] & 1) != 0; };
        QVERIFY(resident(0) && resident(11 * kPrefetchBlock - 1) && resident(kMB10 - 1));
        QVERIFY(!resident(5 * kMiB));
    }

    // A name still taken (a directory) gets a zero before ".tmp"; a file of ours is removed.
    void freeTempName()
    {
        const std::string taken = Folder("names") + "Vistrel1A2B.tmp";
        QVERIFY(QDir().mkpath(QString::fromStdString(taken + "/inside")));
        QCOMPARE(FreeTempName(taken), Folder("names") + "Vistrel1A2B0.tmp");
        const std::string file = Folder("names") + "Vistrel1C.tmp";
        WriteAt(file, 0, "old");
        QCOMPARE(FreeTempName(file), file);
        QVERIFY(!Exists(file));
    }

    // A 300 MB file that another descriptor writes: a copy of its length holding the first
    // 10 MiB and the tail window, holes elsewhere, readable by us alone. A file that nobody
    // writes is not copied unless for the repair; a limit above the size copies all of it.
    void copyOfAFileInUse()
    {
        const std::string source = MakeSparseSource(kBig);
        TempCopies copies(Folder("t1"), "", 10, 0x1A2B);
        std::vector<std::string> tips;
        copies.Hooks.ShowTip = [&](const std::string& text) { tips.push_back(text); };
        QCOMPARE(copies.CreateCopy(source, false), std::string());  // nobody writes it
        const int writer = ::open(source.c_str(), O_WRONLY);
        const std::string copy = copies.CreateCopy(source, false);
        ::close(writer);
        QCOMPARE(copy, Folder("t1") + "Vistrel1A2B.tmp");
        struct stat st {};
        QVERIFY(::stat(copy.c_str(), &st) == 0);
        QCOMPARE(int64_t(st.st_size), kBig);
        QCOMPARE(st.st_mode & 0777, mode_t(0600));
        QVERIFY2(int64_t(st.st_blocks) * 512 <= 12 * kMiB, qPrintable(QString::number(st.st_blocks)));
        QCOMPARE(ReadAt(copy, 0, 4), "HEAD");
        QCOMPARE(ReadAt(copy, kMB10 - 4, 4), "EDGE");
        QCOMPARE(ReadAt(copy, TailWindow(kBig).offset + 100, 6), "WINDOW");
        QCOMPARE(ReadAt(copy, kBig / 2, 6), std::string(6, '\0'));
        QCOMPARE(ReadAt(copy, kBig - 100, 7), std::string(7, '\0'));
        QCOMPARE(tips, std::vector<std::string>{"File is used by another application! Creating temporary copy..."});

        const std::string again = copies.CreateCopy(source, true);  // the slot's copy is replaced
        QCOMPARE(again, copy);
        QCOMPARE(tips.back(), "Creating temporary copy (first 10MB) for executing DivFix...");
        TempCopies whole(Folder("t2"), "", 100, 7);
        whole.Hooks.ShowTip = [&](const std::string& text) { tips.push_back(text); };
        whole.Hooks.AvailableMemory = [] { return int64_t(0); };  // the kernel's copy
        const std::string small = MakeSparseSource(3 * kMiB);
        const std::string full = whole.CreateCopy(small, true);
        QCOMPARE(tips.back(), "Creating temporary copy for executing DivFix...");
        QCOMPARE(ReadAt(full, 0, 4 * kMiB), ReadAt(small, 0, 4 * kMiB));
    }

    // The first folder with room is taken; with none, the message names the second one's mount.
    void slotByFreeSpace()
    {
        test::MsgBoxRecorder boxes;
        const std::string source = MakeSparseSource(3 * kMiB);
        TempCopies copies(Folder("full1"), Folder("full2"), 10, 0xBEEF);
        int64_t room1 = 0, room2 = 0;
        copies.Hooks.FreeSpace = [&](const std::string& folder) { return folder == Folder("full1") ? room1 : room2; };
        room2 = 3 * kMiB;
        QCOMPARE(copies.CreateCopy(source, true), Folder("full2") + "VistrelBEEF.tmp");
        room2 = 3 * kMiB - 1;
        QCOMPARE(copies.CreateCopy(source, true), std::string());
        QCOMPARE(boxes.Messages().size(), size_t(1));
        QCOMPARE(boxes.Messages()[0].text, "Not enough free space on drive " + DfMountPoint(Folder("full2")));
    }

    // Copies of processes that no longer run Vistrel go; ours, a running Vistrel's, links,
    // directories and other names stay.
    void staleCopies()
    {
        const std::string folder = Folder("stale");
        const std::string victim = Path("victim");
        WriteAt(victim, 0, "keep me");
        for (const char* name : {"VistrelDEAD.tmp", "DivFix.VistrelDEAD.tmp", "VistrelA1.tmp", "VistrelDEAD.txt", "Other.tmp",
                                 "VistrelXYZ.tmp"})
            WriteAt(folder + name, 0, "x");
        QVERIFY(::symlink(victim.c_str(), (folder + "VistrelDEAD0.tmp").c_str()) == 0);
        QVERIFY(QDir().mkpath(QString::fromStdString(folder + "VistrelDEAD00.tmp")));
        const int removed = RemoveStaleCopies(folder, [](pid_t pid) { return pid == 0xA1; });
        QCOMPARE(removed, 2);
        QStringList left = QDir(QString::fromStdString(folder)).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        left.sort();
        QCOMPARE(left, QStringList({"Other.tmp", "VistrelA1.tmp", "VistrelDEAD.txt", "VistrelDEAD0.tmp", "VistrelDEAD00.tmp",
                                    "VistrelXYZ.tmp"}));
        QCOMPARE(ReadAt(victim, 0, 7), "keep me");
    }

    // The real check: our pid, a process whose command is "vistrel", and a pid that ended.
    void processRunsVistrel()
    {
        const std::string sleeper = Path("vistrel");
        QVERIFY(QFile::copy("/bin/sleep", QString::fromStdString(sleeper)));
        QProcess running;
        running.start(QString::fromStdString(sleeper), {"30"});
        QVERIFY(running.waitForStarted());
        QProcess ended;
        ended.start("/bin/true");
        QVERIFY(ended.waitForFinished());
        QVERIFY(ProcessRunsVistrel(::getpid()));
        QVERIFY(ProcessRunsVistrel(pid_t(running.processId())));
        QVERIFY(!ProcessRunsVistrel(pid_t(ended.processId())));
        running.kill();
        running.waitForFinished();
    }

    // Zeros at both ends, then the name is gone; a link is never followed; a copy in use stays.
    void wipe()
    {
        const std::string file = Path("wiped.tmp");
        const int64_t length = 100'000;  // the last 100000 % 32768 + 32768 = 34464 bytes are zeroed
        WriteAt(file, 0, std::string(length, '\xAB'));
        const int reader = ::open(file.c_str(), O_RDONLY);
        QVERIFY(WipeAndDelete(file));
        QVERIFY(!Exists(file));
        std::string after(length, '\0');
        QCOMPARE(::pread(reader, after.data(), after.size(), 0), ssize_t(length));
        ::close(reader);
        QCOMPARE(after, std::string(32768, '\0') + std::string(length - 32768 - 34464, '\xAB') + std::string(34464, '\0'));

        const std::string victim = Path("victim2");
        WriteAt(victim, 0, "keep me");
        const std::string link = Path("Vistrel1.tmp");
        QVERIFY(::symlink(victim.c_str(), link.c_str()) == 0);
        QVERIFY(!WipeAndDelete(link));
        QVERIFY(Exists(link));
        QCOMPARE(ReadAt(victim, 0, 7), "keep me");

        TempCopies copies(Folder("inuse"), "", 10, 0x99);
        const std::string source = MakeSparseSource(kMiB);
        const std::string copy = copies.CreateCopy(source, true);
        copies.WipeUnused({copy});
        QVERIFY(Exists(copy));
        copies.WipeUnused({});
        QVERIFY(!Exists(copy));
    }

    // The repair tool's contract through sh scripts: output in place of the copy; a failure,
    // a tool that cannot start and one that outlives the bound give nothing and leave no output.
    void repairTool_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("repaired");
        QTest::addColumn<int>("boundMs");  // generous unless the row is about the bound
        const QString out = "\"$(dirname \"$1\")/DivFix.$(basename \"$1\")\"";
        QTest::newRow("ok") << "printf repaired > " + out << true << int(kRunEnded) << "repaired" << 60000;
        QTest::newRow("fails") << "exit 1" << true << int(kRunEnded) << "" << 60000;
        QTest::newRow("cannot start") << "exit 0" << false << int(kRunNotStarted) << "" << 60000;
        // It ignores SIGTERM: SIGKILL ends it.
        QTest::newRow("too slow") << "trap '' TERM; printf partial > " + out + "; echo $$ > \"$1.pid\"; exec sleep 30"
                                  << true << int(kRunTimedOut) << "" << 300;
    }
    void repairTool()
    {
        QFETCH(QString, script);
        QFETCH(bool, executable);
        QFETCH(int, result);
        QFETCH(QString, repaired);
        QFETCH(int, boundMs);
        const std::string tool = Path("fake_divfix");
        std::remove(tool.c_str());
        WriteAt(tool, 0, "#!/bin/sh\n" + script.toStdString() + "\n");
        ::chmod(tool.c_str(), executable ? 0700 : 0600);
        const std::string folder = Folder(QTest::currentDataTag());
        const std::string file = folder + "Vistrel5.tmp";
        WriteAt(file, 0, "damaged");
        QCOMPARE(int(RunAndWait({tool, file}, boundMs)), result);

        TempCopies copies(folder, "", 10, 5);
        copies.RepairTimeoutMs = boundMs;
        std::vector<std::string> log;
        copies.Hooks.ShowTip = [&](const std::string& text) { log.push_back(text); };
        copies.Hooks.HideTip = [&] { log.push_back("hidden"); };
        copies.Hooks.EnableWindow = [&](bool enabled) { log.push_back(enabled ? "enabled" : "disabled"); };
        copies.Hooks.FindRepairTool = [&] { return tool; };
        const std::string source = Path("damaged.avi");
        WriteAt(source, 0, "damaged");
        const std::string got = copies.Repair(source);
        QCOMPARE(got, repaired.isEmpty() ? std::string() : folder + "Vistrel5.tmp");
        if (!got.empty())
            QCOMPARE(ReadAt(got, 0, 100), repaired.toStdString());
        QVERIFY(!Exists(folder + "DivFix.Vistrel5.tmp"));
        const std::vector<std::string> expected{"Creating temporary copy for executing DivFix...", "hidden",
                                                "Waiting for DivFix...", "disabled", "enabled", "hidden"};
        QCOMPARE(log, expected);
        const std::string pid = ReadAt(file + ".pid", 0, 20);
        if (!pid.empty())
            QVERIFY(::kill(std::stoi(pid), 0) != 0);  // killed and reaped
    }
};

QTEST_GUILESS_MAIN(TestTempCopies)
#include "tst_temp_copies.moc"
