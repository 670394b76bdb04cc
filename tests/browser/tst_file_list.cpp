// The file list without its window: the names the patterns list, a folder's fill and order, full
// names, the size tool tip, and the drives (mounted file systems) the drive box offers.
#include "browser/Drives.h"
#include "browser/FileList.h"
#include "support/TestSupport.h"

#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

using namespace vistrel;
using vistrel::test::WriteFile;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

// The mount points of this process's view of the machine, read apart from the code under test.
Names MountPoints()
{
    Names mounts;
    std::ifstream in("/proc/self/mountinfo");
    for (std::string id, parent, device, root, point, rest; in >> id >> parent >> device >> root >> point && std::getline(in, rest);) {
        for (size_t at; (at = point.find('\\')) != std::string::npos;)  // "\040" is a blank
            point.replace(at, 4, 1, static_cast<char>(std::stoi(point.substr(at + 1, 3), nullptr, 8)));
        mounts.push_back(point);
    }
    return mounts;
}

// The longest mount point holding `path` (symbolic links followed); "" when none does.
std::string MountHolding(const Names& mounts, const std::string& path)
{
    const std::string real = fs::canonical(path).string();
    std::string best;
    for (const std::string& m : mounts)
        if ((m == "/" || real == m || real.starts_with(m + "/")) && m.size() > best.size())
            best = m;
    return best;
}

}  // namespace

class TestFileList : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;

    std::string Path(const std::string& name = {}) const { return dir_->path().toStdString() + (name.empty() ? "" : "/" + name); }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    // Matching as the pattern list was written for: a "?" takes one character but no "."
    // and may take nothing at a "." or the end; ".*" at the end also takes no extension;
    // case-insensitive beyond ASCII; a byte that is not UTF-8 is one character. The compiled
    // list (extensions in one set, suffixes, the rest) decides alike.
    void patternMatching()
    {
        const std::tuple<const char*, const char*, bool> rows[] = {
            {"*.mp3", "A.MP3", true}, {"*.mp3", "a.b.mp3", true}, {"*.mp3", "a.mp3x", false}, {"*.mp3", "mp3", false},
            {"*.ad??", "x.adts", true}, {"*.ad??", "x.ad", true}, {"*.ad??", "x.adtsx", false}, {"*.ad??", "x.ad.mp3", false},
            {"avseq*.dat", "AVSEQ01.DAT", true}, {"avseq*.dat", "avseq.dat", true}, {"avseq*.dat", "xavseq01.dat", false},
            {"*.3g*", "clip.3g", true}, {"*.rm*", "a.RMVB", true}, {"*.rm*", "a.rm.txt", true}, {"*.rm*", "rmvb", false},
            {"movie.*", "movie", true}, {"movie.*", "movies", false}, {"*.", "readme", true}, {"*.", "a.txt", false},
            {"a?c", "a.c", false}, {"a?c", "ac", false}, {"*.?", "a.b.cd", false}, {"*.*", "readme", true}, {"x*y*z", "x.y.z", true},
            {"\xC3\xA9t\xC3\xA9*", "\xC3\x89T\xC3\x89.mp3", true}, {"?.mp3", "\xC3\xA9.mp3", true}, {"?.mp3", "\xFF.mp3", true},
            {"\xC3\xA9.mp3", "\xFF.mp3", false}};
        for (const auto& [pattern, name, listed] : rows) {
            QVERIFY2(WildcardPattern(pattern).Matches(UpperCaseUtf16(name)) == listed, (std::string(pattern) + " | " + name).c_str());
            QVERIFY2(FileNameFilter({pattern}).Matches(name) == listed, (std::string(pattern) + " | " + name).c_str());
        }
    }

    // The default list shows media files and nothing else, hidden and not trimmed names
    // included as they are, sorted by their upper-cased names ("_" after the letters; "É"
    // after "Z"; U+1F600 before U+FF21 as in UTF-16); equal ones keep a fixed order. Folders
    // are left out, also through a link; other links are listed, even dangling ones. Deferred
    // deletions compare exactly; a name that two patterns match is listed once. A folder that
    // cannot be read lists nothing; no descriptor stays open.
    void folderFill()
    {
        const size_t before = test::OpenDescriptorCount();
        for (const char* name : {"b.mp3", "A.MP3", "a_b.mp3", "aZ.mp3", "10.mp3", "9.mp3", "x.mp3", "X.MP3", "\xC3\xA9t\xC3\xA9.mp3", "\xEF\xBC\xA1.mp3",
                                 "\xF0\x9F\x98\x80.mp3", " lead.ts", "s.001", "avseq01.dat", "gone.mp3", "Case.mp3", "c.txt", ".hidden.mp3", "other.dat", "x.mpeg4"})
            WriteFile(Path(name), std::string("x"));
        fs::create_directory(Path("folder.mp3"));
        fs::create_directory_symlink(Path("folder.mp3"), Path("dirlink.mp3"));
        fs::create_symlink(Path("b.mp3"), Path("filelink.mp3"));
        fs::create_symlink(Path("missing.mp3"), Path("dangling.mp3"));
        Names patterns = DefaultFilePatterns();
        AddFilePattern(patterns, "AV*");
        QCOMPARE(FillFileList(Path() + "/", patterns, {"", Path("gone.mp3"), Path("case.mp3")}),
                 (Names{" lead.ts", "10.mp3", "9.mp3", "A.MP3", "avseq01.dat", "aZ.mp3", "a_b.mp3", "b.mp3", "Case.mp3", "dangling.mp3",
                        "filelink.mp3", "s.001", "X.MP3", "x.mp3", "\xC3\xA9t\xC3\xA9.mp3", "\xF0\x9F\x98\x80.mp3", "\xEF\xBC\xA1.mp3"}));
        QVERIFY(FillFileList(Path("missing"), patterns, {}).empty() && FillFileList("", patterns, {}).empty());
        QCOMPARE(test::OpenDescriptorCount(), before);
    }

    void fileSizeToolTip()
    {
        for (const auto& [size, tip] : std::vector<std::pair<qint64, std::string>>{
                 {999, " 999 Bytes "}, {1000, " 1 KB "}, {1'050'000, " 1.1 MB "}, {999'999'999, " 1000.0 MB "},
                 {4'700'000'000, " 4.7 GB "}, {12'345'000'000'000'000, " 12345.0 TB "}})
            QCOMPARE(FileSizeToolTip(size), tip);
    }

    // Drive types by file system; run-time folders and snaps are no drives; the removable flag
    // of a partition is its disk's (a /sys of our own: sdz is removable, its partition sdz1
    // has no flag of its own; vdz is not). Choosing a CD drive opens its "MPEGAV" folder, or
    // its "MPEG2" folder (which wins), in any letter case.
    void drivesByTheirKind()
    {
        for (const auto& [system, removable, type] : std::vector<std::tuple<const char*, bool, int>>{
                 {"udf", true, DRIVE_CDROM}, {"tmpfs", true, DRIVE_RAMDISK}, {"fuse.sshfs", true, DRIVE_REMOTE},
                 {"ext4", true, DRIVE_REMOVABLE}, {"ext4", false, DRIVE_FIXED}})
            QCOMPARE(DriveTypeOf(system, removable), type);
        QVERIFY(IsListedVolume("/", "ext4") && IsListedVolume("/run/media/user/STICK", "vfat") && IsListedVolume("/runner", "tmpfs"));
        QVERIFY(!IsListedVolume("/run", "tmpfs") && !IsListedVolume("/run/user/1000", "tmpfs") && !IsListedVolume("/snap/x/1", "squashfs"));
        const std::string sys = Path("sys");
        for (const char* folder : {"/devices/usb/block/sdz/sdz1", "/devices/pci/block/vdz", "/class/block"})
            fs::create_directories(sys + folder);
        WriteFile(sys + "/devices/usb/block/sdz/removable", std::string("1\n"));
        WriteFile(sys + "/devices/usb/block/sdz/sdz1/partition", std::string("1\n"));
        WriteFile(sys + "/devices/pci/block/vdz/removable", std::string("0\n"));
        for (const char* device : {"usb/block/sdz", "usb/block/sdz/sdz1", "pci/block/vdz"})
            fs::create_directory_symlink(std::string("../../devices/") + device, sys + "/class/block/" + fs::path(device).filename().string());
        QVERIFY(IsRemovableBlockDevice("/dev/sdz1", sys) && IsRemovableBlockDevice("/dev/sdz", sys));
        for (const char* device : {"/dev/vdz", "/dev/nonexistent9", "server:/export", "tmpfs"})
            QVERIFY2(!IsRemovableBlockDevice(device, sys), device);
        const Drive cd{Path(), "VIDEOCD", "iso9660", "/dev/sr0", DRIVE_CDROM};
        QCOMPARE(DriveStartFolder(cd), Path());
        fs::create_directory(Path("MPEGAV"));
        QCOMPARE(DriveStartFolder(cd), Path("MPEGAV"));
        fs::create_directory(Path("mpeg2"));
        QCOMPARE(DriveStartFolder(cd), Path("mpeg2"));
        QCOMPARE(DriveStartFolder({Path(), "", "ext4", "/dev/sda1", DRIVE_FIXED}), Path());
        WriteFile(Path("MPEGAV/MPEG2"), std::string("x"));  // a file of that name is no folder
        QCOMPARE(DriveStartFolder({Path("MPEGAV"), "", "udf", "/dev/sr1", DRIVE_CDROM}), Path("MPEGAV"));
    }

    // The drive box lists mounted file systems in mount-point order, and the drive of a path
    // is the mount point holding it, wherever "/" stands: a root that is not a mount point
    // (a build chroot) has no drive of its own.
    void drivesOfThisMachine()
    {
        const Names mounts = MountPoints();
        const std::vector<Drive> drives = ListDrives();
        QVERIFY(std::is_sorted(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) { return a.mountPoint < b.mountPoint; }));
        for (const Drive& drive : drives) {
            QVERIFY2(std::count(mounts.begin(), mounts.end(), drive.mountPoint) > 0, drive.mountPoint.c_str());
            QCOMPARE(DriveOfPath(drive.mountPoint).mountPoint, drive.mountPoint);
            QVERIFY2(drive.type >= DRIVE_REMOVABLE && drive.type <= DRIVE_RAMDISK, drive.mountPoint.c_str());
        }
        for (const std::string& path : {std::string("/"), Path(), std::string(VISTREL_BINARY_DIR)}) {
            const Drive drive = DriveOfPath(path);
            QCOMPARE(drive.mountPoint, MountHolding(mounts, path));
            if (drive.mountPoint.empty())
                QCOMPARE(drive.type, int(DRIVE_NO_ROOT_DIR));
        }
        // The file system the program was built on is one a user browses: it is offered.
        const std::string built = DriveOfPath(VISTREL_BINARY_DIR).mountPoint;
        QVERIFY2(built.empty() || std::any_of(drives.begin(), drives.end(), [&](const Drive& d) { return d.mountPoint == built; }),
                 built.c_str());
        QCOMPARE(GetDriveType(Path("missing/deeper")), int(DRIVE_NO_ROOT_DIR));
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_file_list.moc"
