// The file list without its window: which names the patterns list, the fill of a folder
// and its order, full names, the selection restored by a refresh, the size tool tip, and
// the drives (mounted file systems) the drive box offers.
#include "browser/Drives.h"
#include "browser/FileList.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <tuple>

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
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string field, mountPoint;
        for (int i = 0; i < 5 && fields >> field; ++i)
            mountPoint = field;
        for (size_t at; (at = mountPoint.find('\\')) != std::string::npos;)  // "\040" is a blank
            mountPoint.replace(at, 4, 1, static_cast<char>(std::stoi(mountPoint.substr(at + 1, 3), nullptr, 8)));
        mounts.push_back(mountPoint);
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
    void Touch(const Names& names) const
    {
        for (const std::string& name : names)
            WriteFile(Path(name), std::string("x"));
    }
    Names Fill(const Names& deferred = {}) const { return FillFileList(Path(), DefaultFilePatterns(), deferred); }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    // Matching as the pattern list was written for: a "?" takes one character but no "."
    // and may take nothing at a "." or the end; ".*" at the end also takes no extension;
    // case-insensitive beyond ASCII; a byte that is not UTF-8 is one character.
    void patternMatching_data()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("listed");
        const struct {
            const char *pattern, *name;
            bool listed;
        } rows[] = {
            {"*.mp3", "A.MP3", true}, {"*.mp3", "a.b.mp3", true}, {"*.mp3", "a.mp3x", false}, {"*.mp3", "mp3", false},
            {"*.mp3", "a.mp3.txt", false}, {"*.ad??", "x.adts", true}, {"*.ad??", "x.ad1", true}, {"*.ad??", "x.ad", true},
            {"*.ad??", "x.adtsx", false}, {"*.ad??", "x.ad.mp3", false}, {"avseq*.dat", "AVSEQ01.DAT", true},
            {"avseq*.dat", "avseq.dat", true}, {"avseq*.dat", "avseq1.x.dat", true}, {"avseq*.dat", "xavseq01.dat", false},
            {"avseq*.dat", "avseq01.dat.txt", false}, {"*.3g*", "clip.3g", true}, {"*.3g*", "3gp", false},
            {"*.rm*", "a.RMVB", true}, {"*.rm*", "a.rm.txt", true}, {"*.rm*", "rmvb", false}, {"*.rm*", "a.ram", false},
            {"movie.*", "movie", true}, {"movie.*", "movies", false}, {"*.", "readme", true}, {"*.", "a.txt", false},
            {"a?c", "a.c", false}, {"a?c", "ac", false}, {"*.mp?", "a.mp", true}, {"*.?", "a.b.cd", false},
            {"*.*", "readme", true}, {"x*y*z", "x.y.z", true}, {"x*y*z", "xyz.a", false},
            {"*.mp3", "\xC3\x84rger.MP3", true}, {"\xC3\xA9t\xC3\xA9*", "\xC3\x89T\xC3\x89.mp3", true},
            {"?.mp3", "\xC3\xA9.mp3", true}, {"?.mp3", "\xFF.mp3", true}, {"\xC3\xA9.mp3", "\xFF.mp3", false},
        };
        for (const auto& row : rows)
            QTest::addRow("%s | %s", row.pattern, row.name) << QByteArray(row.pattern) << QByteArray(row.name) << row.listed;
    }
    void patternMatching()
    {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, name);
        QFETCH(bool, listed);
        QCOMPARE(WildcardPattern(pattern.toStdString()).Matches(UpperCaseUtf16(name.toStdString())), listed);
        // The compiled list (extensions in one set, suffixes, the rest) decides alike.
        QCOMPARE(FileNameFilter({pattern.toStdString()}).Matches(name.toStdString()), listed);
    }

    // The default list shows media files and nothing else, hidden and not trimmed names
    // included as they are, sorted by their upper-cased names ("_" after the letters; "É"
    // after "Z"; U+1F600 before U+FF21 as in UTF-16); equal ones keep a fixed order.
    void folderFill()
    {
        Touch({"b.mp3", "A.MP3", "a_b.mp3", "aZ.mp3", "10.mp3", "9.mp3", "x.mp3", "X.MP3", "\xC3\xA9t\xC3\xA9.mp3",
               "\xEF\xBC\xA1.mp3", "\xF0\x9F\x98\x80.mp3", " lead.ts", "c.MP5", "s.001", "e.adts", "f.ad", "avseq01.dat",
               "g.3gpp", "h.rmvb", "i.rpm", "j.part", "k.m2s", "l.mts", "m.webp", "n.mid",
               "c.txt", ".hidden.mp3", "x.jpg", "x.ad.txt", "other.dat", "x.mp3x", "mp3", "x.mpeg4", "p.ac3.bak"});
        QCOMPARE(Fill(), (Names{" lead.ts", "10.mp3", "9.mp3", "A.MP3", "avseq01.dat", "aZ.mp3", "a_b.mp3", "b.mp3", "c.MP5",
                               "e.adts", "f.ad", "g.3gpp", "h.rmvb", "i.rpm", "j.part", "k.m2s", "l.mts", "m.webp",
                               "n.mid", "s.001", "X.MP3", "x.mp3", "\xC3\xA9t\xC3\xA9.mp3", "\xF0\x9F\x98\x80.mp3", "\xEF\xBC\xA1.mp3"}));
    }

    void fillLeavesOut()
    {
        Touch({"real.mp3", "gone.mp3", "Case.mp3", "avfile.mp3"});
        fs::create_directory(Path("folder.mp3"));
        fs::create_directory_symlink(Path("folder.mp3"), Path("dirlink.mp3"));
        fs::create_symlink(Path("real.mp3"), Path("filelink.mp3"));
        fs::create_symlink(Path("missing.mp3"), Path("dangling.mp3"));  // a link is listed even when it leads nowhere
        // Deferred deletions compare exactly; a name matched twice is listed once.
        const Names deferred{"", Path("gone.mp3"), Path("case.mp3")}, expected{"avfile.mp3", "Case.mp3", "dangling.mp3", "filelink.mp3", "real.mp3"};
        QCOMPARE(Fill(deferred), expected);
        Names patterns = DefaultFilePatterns();
        AddFilePattern(patterns, "AV*");
        QCOMPARE(FillFileList(Path() + "/", patterns, deferred), expected);
    }

    void folderThatCannotBeReadListsNothingAndLeavesNoDescriptor()
    {
        const size_t before = test::OpenDescriptorCount();
        QVERIFY(FillFileList(Path("missing"), DefaultFilePatterns(), {}).empty());
        QVERIFY(FillFileList("", DefaultFilePatterns(), {}).empty());
        Touch({"a.mp3"});
        QCOMPARE(Fill(), (Names{"a.mp3"}));
        QCOMPARE(test::OpenDescriptorCount(), before);
        fs::create_directory(Path("locked"));
        WriteFile(Path("locked/a.mp3"), std::string("x"));
        ::chmod(Path().c_str(), 0755);
        ::chmod(Path("locked").c_str(), 0);
        const std::string locked = Path("locked");
        const int status = test::RunUnprivileged([&] { return FillFileList(locked, DefaultFilePatterns(), {}).empty() ? 0 : 1; });
        ::chmod(Path("locked").c_str(), 0755);
        QCOMPARE(status, 0);
    }

    // List item i shows entry itemData[i] of the file array (-1: the focus item).
    void fullNameFollowsTheItemData()
    {
        const Names fileArray{"a.mp3", "<removed>", "c.mp3"};
        const std::vector<int> itemData{0, 2};
        QCOMPARE(GetFullFilename("/m/", fileArray, itemData, 0, 1), std::string("/m/a.mp3"));
        QCOMPARE(GetFullFilename("/m//", fileArray, itemData, 1, 0), std::string("/m/c.mp3"));
        QCOMPARE(GetFullFilename("/m", fileArray, itemData, -1, 1), std::string("/m/c.mp3"));
        QCOMPARE(GetFullFilename("/", fileArray, itemData, 0, -1), std::string("/a.mp3"));
        for (const auto& [index, focus, data] : std::vector<std::tuple<int, int, std::vector<int>>>{
                 {2, 0, itemData}, {-1, -1, itemData}, {-2, 0, itemData}, {0, 0, {5}}, {0, 0, {-1}}})
            QCOMPARE(GetFullFilename("/m/", fileArray, data, index, focus), std::string());
    }

    // A refresh selects again every saved name still there, and no new one.
    void refreshRestoresTheSelectionByName()
    {
        const Names saved = SelectedNames({"a.mp3", "b.mp3", "c.mp3", "d.mp3"}, {false, true, false, true});
        QCOMPARE(saved, (Names{"b.mp3", "d.mp3"}));
        QCOMPARE(RestoreSelection({"a.mp3", "aa.mp3", "b.mp3", "c.mp3", "d.mp3"}, saved), (std::vector<bool>{false, false, true, false, true}));
        QCOMPARE(RestoreSelection({"a.mp3", "c.mp3", "d.mp3"}, saved), (std::vector<bool>{false, false, true}));
        QCOMPARE(FindFileToDeselect({"a.mp3", "b.mp3", "b.mp3"}, {true, false, true}, "/m/b.mp3"), 2);
    }

    void fileSizeToolTip_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("tip");
        const std::pair<qint64, const char*> rows[] = {
            {999, " 999 Bytes "}, {1000, " 1 KB "}, {1234, " 1.234 KB "}, {1'050'000, " 1.1 MB "},
            {1'150'000, " 1.2 MB "}, {999'999'999, " 1000.0 MB "}, {4'700'000'000, " 4.7 GB "},
            {12'345'000'000'000'000, " 12345.0 TB "}};
        for (const auto& [size, tip] : rows)
            QTest::newRow(tip) << size << QString(tip);
    }
    void fileSizeToolTip()
    {
        QFETCH(qint64, size);
        QFETCH(QString, tip);
        QCOMPARE(QString::fromStdString(FileSizeToolTip(size)), tip);
    }

    void driveTypesAndListedVolumes()
    {
        QCOMPARE(DriveTypeOf("udf", true), int(DRIVE_CDROM));
        QCOMPARE(DriveTypeOf("tmpfs", true), int(DRIVE_RAMDISK));
        QCOMPARE(DriveTypeOf("fuse.sshfs", true), int(DRIVE_REMOTE));
        QCOMPARE(DriveTypeOf("ext4", true), int(DRIVE_REMOVABLE));
        QCOMPARE(DriveTypeOf("ext4", false), int(DRIVE_FIXED));
        QVERIFY(IsListedVolume("/", "ext4") && IsListedVolume("/run/media/user/STICK", "vfat") && IsListedVolume("/runner", "tmpfs"));
        QVERIFY(!IsListedVolume("/run", "tmpfs") && !IsListedVolume("/run/user/1000", "tmpfs") && !IsListedVolume("/snap/x/1", "squashfs"));
    }

    void removableFlagOfAPartitionIsItsDisks()
    {
        // A /sys of our own: sdz is removable, its partition sdz1 has no flag of its own; vdz is not.
        const std::string sys = Path("sys");
        fs::create_directories(sys + "/devices/usb/block/sdz/sdz1");
        fs::create_directories(sys + "/devices/pci/block/vdz");
        fs::create_directories(sys + "/class/block");
        WriteFile(sys + "/devices/usb/block/sdz/removable", std::string("1\n"));
        WriteFile(sys + "/devices/usb/block/sdz/sdz1/partition", std::string("1\n"));
        WriteFile(sys + "/devices/pci/block/vdz/removable", std::string("0\n"));
        fs::create_directory_symlink("../../devices/usb/block/sdz", sys + "/class/block/sdz");
        fs::create_directory_symlink("../../devices/usb/block/sdz/sdz1", sys + "/class/block/sdz1");
        fs::create_directory_symlink("../../devices/pci/block/vdz", sys + "/class/block/vdz");
        QVERIFY(IsRemovableBlockDevice("/dev/sdz1", sys) && IsRemovableBlockDevice("/dev/sdz", sys));
        for (const char* device : {"/dev/vdz", "/dev/nonexistent9", "server:/export", "tmpfs"})
            QVERIFY2(!IsRemovableBlockDevice(device, sys), device);
    }

    // Choosing a CD drive opens its "MPEGAV" folder, or its "MPEG2" folder (which wins),
    // in any letter case.
    void cdDriveOpensItsMpegFolder()
    {
        const Drive cd{Path(), "VIDEOCD", "iso9660", "/dev/sr0", DRIVE_CDROM};
        QCOMPARE(DriveStartFolder(cd), Path());
        fs::create_directory(Path("MPEGAV"));
        QCOMPARE(DriveStartFolder(cd), Path("MPEGAV"));
        fs::create_directory(Path("mpeg2"));
        QCOMPARE(DriveStartFolder(cd), Path("mpeg2"));
        QCOMPARE(DriveStartFolder({Path(), "", "ext4", "/dev/sda1", DRIVE_FIXED}), Path());
        Touch({"MPEGAV/MPEG2"});  // a file of that name is no folder
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
