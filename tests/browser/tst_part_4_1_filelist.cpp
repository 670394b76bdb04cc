// Part 4.1: the window-free core of the file list and the drive box. The pattern list,
// the FindFirstFileW matching rules, the fill of a folder (hidden, directories, deferred
// deletions, duplicates, sort order), the full-file-name rules, the selection rules, the
// selection restore of the refresh, the file-size tool tip and the drive decisions.
// Every "Edge cases worth testing" item of Part 4.1 that needs no widget is a test here.
#include "app/ProgramValues.h"
#include "browser/Drives.h"
#include "browser/FileList.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace vistrel;
using vistrel::test::WriteFile;
namespace fs = std::filesystem;

namespace QTest {
template <>
char* toString(const std::vector<bool>& flags)
{
    std::string text;
    for (const bool flag : flags)
        text += flag ? '1' : '0';
    return qstrdup(text.c_str());
}
}  // namespace QTest

namespace {

using Names = std::vector<std::string>;
using Flags = std::vector<bool>;

// The spec's list, written out independently of the code under test.
const Names kSpecPatterns{
    "*.mp3",  "*.mp4",  "*.mp5",  "*.001",  "*.ts",   "*.vob",  "*.mkv",  "*.mka",  "*.mov",      "*.webp", "*.mid",
    "*.avi",  "*.flac", "*.aif",  "*.au",   "*.ivf",  "*.snd",  "*.wav",  "*.wmv",  "*.wma",      "*.wvx",  "*.asf",
    "*.ogg",  "*.ogv",  "*.oga",  "*.ac3",  "*.aac",  "*.ad??", "*.dts",  "avseq*.dat", "*.3g*", "*.263",  "*.264",
    "*.265",  "*.part", "*.ra",   "*.rp*",  "*.rm*",  "*.rt",   "*.divx", "*.flv",  "*.mod",      "*.webm", "*.m1s",
    "*.mpg",  "*.mpeg", "*.mpga", "*.mpa",  "*.mpgv", "*.mpv",  "*.mpgx", "*.mpm",  "*.m1v",      "*.m2v",  "*.m1a",
    "*.m2a",  "*.m4v",  "*.m4a",  "*.m4s",  "*.m75",  "*.m15",  "*.m2s",  "*.mts",
};

size_t OpenDescriptorCount()
{
    return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator()));
}

bool PatternMatches(const std::string& pattern, const std::string& name)
{
    return WildcardPattern(pattern).Matches(UpperCaseUtf16(name));
}

}  // namespace

class TestFileList : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;

    std::string Path(const std::string& name = {}) const
    {
        return dir_->path().toStdString() + (name.empty() ? "" : "/" + name);
    }
    void Touch(const std::string& name) const { WriteFile(Path(name), std::string("x")); }
    void TouchAll(const Names& names) const
    {
        for (const std::string& name : names)
            Touch(name);
    }
    Names Fill(const Names& deferred = {}) const { return FillFileList(Path(), DefaultFilePatterns(), deferred); }

    // Each case: pattern, name, whether FindFirstFileW lists the name for the pattern.
    void AddMatchRows()
    {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("expected");
        const struct {
            const char* pattern;
            const char* name;
            bool expected;
        } rows[] = {
            {"*.mp3", "a.mp3", true},
            {"*.mp3", "A.MP3", true},
            {"*.mp3", "song.Mp3", true},
            {"*.mp3", "a.b.mp3", true},
            {"*.mp3", "a.mp3x", false},  // Windows lists it through the short name A~1.MP3; Linux has none
            {"*.mp3", "mp3", false},
            {"*.mp3", "a.mp", false},
            {"*.mp3", "a.mp3.txt", false},
            {"*.ad??", "x.adts", true},
            {"*.ad??", "x.ad1", true},  // DOS_QM: nothing before the end of the name
            {"*.ad??", "x.ad", true},
            {"*.ad??", "x.adtsx", false},
            {"*.ad??", "x.ad.mp3", false},
            {"*.ad??", "x.a", false},
            {"avseq*.dat", "avseq01.dat", true},
            {"avseq*.dat", "AVSEQ01.DAT", true},
            {"avseq*.dat", "avseq.dat", true},
            {"avseq*.dat", "avseq1.x.dat", true},
            {"avseq*.dat", "other.dat", false},
            {"avseq*.dat", "xavseq01.dat", false},
            {"avseq*.dat", "avseq01.dat.txt", false},
            {"*.3g*", "clip.3gp", true},
            {"*.3g*", "clip.3G2", true},
            {"*.3g*", "clip.3g", true},
            {"*.3g*", "clip.3", false},
            {"*.3g*", "3gp", false},
            {"*.rm*", "a.rm", true},
            {"*.rm*", "a.RMVB", true},
            {"*.rm*", "a.rm.txt", true},  // "*" after "rm" takes ".txt", on Windows too
            {"*.rm*", "rmvb", false},     // no extension: the "." is a plain "." and must be there
            {"*.rm*", "farm", false},
            {"*.rm*", "a.ram", false},
            {"*.rp*", "a.rpm", true},
            // The translation rules on patterns a user may add.
            {"movie.*", "movie", true},  // DOS_DOT matches the end of the name
            {"movie.*", "movie.avi", true},
            {"movie.*", "movies", false},
            {"*.", "readme", true},
            {"*.", "a.txt", false},
            {"a?c", "abc", true},
            {"a?c", "a.c", false},  // DOS_QM never takes a "."
            {"a?c", "ac", false},
            {"*.mp?", "a.mp", true},
            {"*.mp?", "a.mpg", true},
            {"*.?", "a.b.cd", false},
            {"*", "anything.at.all", true},
            {"*.*", "readme", true},
            {"*mp3", "xmp3", true},
            {"x*y*z", "x.y.z", true},
            {"x*y*z", "xyz.a", false},
            // Case-insensitive beyond ASCII; "?" is one character.
            {"*.mp3", "\xC3\x84rger.MP3", true},
            {"\xC3\xA9t\xC3\xA9*", "\xC3\x89T\xC3\x89.mp3", true},
            {"?.mp3", "\xC3\xA9.mp3", true},
            {"?.mp3", "\xFF.mp3", true},  // a byte that is not UTF-8 is one character
            {"*.mp3", "\xFF.mp3", true},
            {"\xC3\xA9.mp3", "\xFF.mp3", false},
        };
        for (const auto& row : rows)
            QTest::addRow("%s | %s", row.pattern, row.name) << QByteArray(row.pattern) << QByteArray(row.name)
                                                             << row.expected;
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    // ---- Pattern list ----

    void patternListStartsWithThe63SpecEntriesInOrder()
    {
        QCOMPARE(kSpecPatterns.size(), size_t(63));
        QCOMPARE(DefaultFilePatterns(), kSpecPatterns);
    }

    void addFilePatternLowerCasesAndSkipsEmptyAndEqualEntries()
    {
        Names patterns = DefaultFilePatterns();
        AddFilePattern(patterns, "");
        QCOMPARE(patterns.size(), size_t(63));
        AddFilePattern(patterns, "*.MP3");  // equal to "*.mp3" once lower-cased
        QCOMPARE(patterns.size(), size_t(63));
        AddFilePattern(patterns, "*.XYZ");
        QCOMPARE(patterns.size(), size_t(64));
        QCOMPARE(patterns.back(), std::string("*.xyz"));
        AddFilePattern(patterns, "*.xyz");
        QCOMPARE(patterns.size(), size_t(64));
        AddFilePattern(patterns, "*.\xC3\x89T\xC3\x89");
        QCOMPARE(patterns.back(), std::string("*.\xC3\xA9t\xC3\xA9"));
    }

    void findFilePatternIsACaseSensitiveSubstringSearch()
    {
        const Names patterns = DefaultFilePatterns();
        QVERIFY(FindFilePattern(patterns, "mp3"));
        QVERIFY(FindFilePattern(patterns, ".ad"));
        QVERIFY(FindFilePattern(patterns, "avseq"));
        QVERIFY(!FindFilePattern(patterns, "MP3"));
        QVERIFY(!FindFilePattern(patterns, "xyz"));
        QVERIFY(FindFilePattern(patterns, ""));
    }

    void getFilePatsJoinsEveryPatternWithATrailingSeparator()
    {
        QCOMPARE(GetFilePats({"*.mp3", "*.ts"}), std::string("*.mp3, *.ts, "));
        QCOMPARE(GetFilePats({}), std::string());
        const std::string all = GetFilePats(DefaultFilePatterns());
        QVERIFY(all.starts_with("*.mp3, *.mp4, *.mp5, *.001, "));
        QVERIFY(all.ends_with("*.m15, *.m2s, *.mts, "));
    }

    // ---- Matching ----

    void wildcardMatchingFollowsFindFirstFile_data() { AddMatchRows(); }
    void wildcardMatchingFollowsFindFirstFile()
    {
        QFETCH(QByteArray, pattern);
        QFETCH(QByteArray, name);
        QFETCH(bool, expected);
        QCOMPARE(PatternMatches(pattern.toStdString(), name.toStdString()), expected);
        // The compiled list (extension set, suffixes, the rest) decides alike.
        QCOMPARE(FileNameFilter({pattern.toStdString()}).Matches(name.toStdString()), expected);
    }

    void filterOfTheDefaultListAgreesWithEachPattern()
    {
        const Names patterns = DefaultFilePatterns();
        const FileNameFilter filter(patterns);
        const Names names{"a.mp3",  "b.TS",   "c.ad",    "d.adx",    "avseq01.dat", "other.dat", "e.3gpp",
                          "f.rmvb", "g.rpm",  "h.rt",    "i.rtf",    "j.part",      "k.m2ts",    "l.mts",
                          "m.txt",  "n",      "o.mpeg4", "p.ac3.bak", "q.wav ",     " r.wav",    "s.001"};
        for (const std::string& name : names) {
            const bool any = std::any_of(patterns.begin(), patterns.end(),
                                         [&](const std::string& p) { return PatternMatches(p, name); });
            QVERIFY2(filter.Matches(name) == any, name.c_str());
        }
    }

    void everyDefaultPatternListsAFile()
    {
        Names expected;
        int n = 0;
        for (const std::string& pattern : kSpecPatterns) {
            std::string name;
            for (const char c : pattern)
                name += c == '*' ? "f" + std::to_string(n++) : (c == '?' ? std::string("q") : std::string(1, c));
            Touch(name);
            expected.push_back(name);
        }
        TouchAll({"x.txt", "x.jpg", "x.ad.txt", "x.dat"});
        SortFileNames(expected);
        QCOMPARE(Fill(), expected);
    }

    // ---- Fill ----

    void folderListsMediaFilesInOrderWithoutHiddenAndOthers()
    {
        // Edge case: a.MP3, B.wav, c.txt and a hidden d.mp3 list a.MP3 then B.wav.
        TouchAll({"a.MP3", "B.wav", "c.txt", ".d.mp3"});
        QCOMPARE(Fill(), (Names{"a.MP3", "B.wav"}));
    }

    void fileMatchedByTwoPatternsIsListedOnceAndAvseqOnly()
    {
        // Edge case: listed once; avseq01.dat is listed while other.dat is not.
        TouchAll({"avseq01.dat", "other.dat", "avfile.mp3"});
        Names patterns = DefaultFilePatterns();
        AddFilePattern(patterns, "av*");  // avseq01.dat and avfile.mp3 now match two patterns
        QCOMPARE(FillFileList(Path(), patterns, {}), (Names{"avfile.mp3", "avseq01.dat"}));
        QCOMPARE(Fill(), (Names{"avfile.mp3", "avseq01.dat"}));
    }

    void fileOnTheDeferredDeletionListIsNotListed()
    {
        // Edge case: present on disk, on the deferred-deletion list, not listed.
        TouchAll({"gone.mp3", "kept.mp3", "Case.mp3"});
        const Names deferred{"", Path("gone.mp3"), Path("case.mp3")};  // exact comparison: "Case.mp3" stays
        QCOMPARE(Fill(deferred), (Names{"Case.mp3", "kept.mp3"}));
        // The folder's trailing "/" does not change the full name.
        QCOMPARE(FillFileList(Path() + "/", DefaultFilePatterns(), deferred), (Names{"Case.mp3", "kept.mp3"}));
    }

    void directoriesAreSkippedAlsoThroughLinks()
    {
        Touch("real.mp3");
        fs::create_directory(Path("folder.mp3"));
        fs::create_directory_symlink(Path("folder.mp3"), Path("dirlink.mp3"));
        fs::create_symlink(Path("real.mp3"), Path("filelink.mp3"));
        fs::create_symlink(Path("missing.mp3"), Path("dangling.mp3"));  // listed, as Windows lists the link
        QCOMPARE(Fill(), (Names{"dangling.mp3", "filelink.mp3", "real.mp3"}));
    }

    void namesAreListedAsTheyAreNotTrimmed()
    {
        // The spec trims the found name; a Linux name with a leading space would then
        // name another file, so names stay as readdir gives them.
        TouchAll({" lead.mp3", "plain.mp3"});
        QCOMPARE(Fill(), (Names{" lead.mp3", "plain.mp3"}));
    }

    void sortComparesUpperCasedNames()
    {
        // Upper-cased: "_" (0x5F) sorts after the letters (0x41-0x5A).
        Names names{"a_b.mp3", "aZ.mp3", "ab.mp3", "B.wav", "a.MP3", "10.mp3", "9.mp3", "a.mp3.mp3"};
        SortFileNames(names);
        QCOMPARE(names, (Names{"10.mp3", "9.mp3", "a.MP3", "a.mp3.mp3", "ab.mp3", "aZ.mp3", "a_b.mp3", "B.wav"}));
    }

    void sortBeyondAscii()
    {
        // "é" upper-cases to "É" (U+00C9), after "Z"; equal upper-cased names keep a fixed
        // order by their bytes; UTF-16 order puts a surrogate pair (U+1F600) before U+FF21.
        Names names{"\xC3\xA9t\xC3\xA9.mp3", "z.mp3", "x.mp3", "X.MP3", "\xEF\xBC\xA1.mp3", "\xF0\x9F\x98\x80.mp3"};
        SortFileNames(names);
        QCOMPARE(names, (Names{"X.MP3", "x.mp3", "z.mp3", "\xC3\xA9t\xC3\xA9.mp3", "\xF0\x9F\x98\x80.mp3",
                               "\xEF\xBC\xA1.mp3"}));
    }

    void fillSortsLikeSortFileNames()
    {
        const Names names{"b.mp3", "A.mp3", "c_.wav", "cA.wav", "\xC3\xA9.ogg", "E.ogg"};
        TouchAll(names);
        Names sorted = names;
        SortFileNames(sorted);
        QCOMPARE(Fill(), sorted);
    }

    void folderThatCannotBeReadListsNothingAndLeavesNoDescriptor()
    {
        const size_t before = OpenDescriptorCount();
        QVERIFY(FillFileList(Path("missing"), DefaultFilePatterns(), {}).empty());
        QVERIFY(FillFileList("", DefaultFilePatterns(), {}).empty());
        Touch("a.mp3");
        QCOMPARE(Fill(), (Names{"a.mp3"}));
        QCOMPARE(OpenDescriptorCount(), before);

        fs::create_directory(Path("locked"));
        WriteFile(Path("locked/a.mp3"), std::string("x"));
        ::chmod(Path().c_str(), 0755);
        ::chmod(Path("locked").c_str(), 0);
        const std::string locked = Path("locked");
        const int status = vistrel::test::RunUnprivileged(
            [&] { return FillFileList(locked, DefaultFilePatterns(), {}).empty() ? 0 : 1; });
        ::chmod(Path("locked").c_str(), 0755);
        QCOMPARE(status, 0);
    }

    // ---- Full file names ----

    void fullFilenameByFilenameJoinsWithOneSlash()
    {
        QCOMPARE(GetFullFilenameByFilename("/media/music", "a.mp3"), std::string("/media/music/a.mp3"));
        QCOMPARE(GetFullFilenameByFilename("/media/music/", "a.mp3"), std::string("/media/music/a.mp3"));
        QCOMPARE(GetFullFilenameByFilename("/media/music//", "a.mp3"), std::string("/media/music/a.mp3"));
        QCOMPARE(GetFullFilenameByFilename("/", "a.mp3"), std::string("/a.mp3"));
        QCOMPARE(GetFullFilenameByFilename("", "a.mp3"), std::string("/a.mp3"));
    }

    void fullFilenameFollowsTheItemData()
    {
        const Names fileArray{"a.mp3", "<removed>", "c.mp3"};
        const std::vector<int> itemData{0, 2};  // item 1 was removed from the list
        QCOMPARE(GetFullFilename("/m/", fileArray, itemData, 0, 1), std::string("/m/a.mp3"));
        QCOMPARE(GetFullFilename("/m/", fileArray, itemData, 1, 0), std::string("/m/c.mp3"));
        QCOMPARE(GetFullFilename("/m/", fileArray, itemData, -1, 1), std::string("/m/c.mp3"));  // focus item
        QCOMPARE(GetFullFilename("/", fileArray, itemData, 0, -1), std::string("/a.mp3"));
        QCOMPARE(GetFullFilename("/m/", fileArray, {0, 1}, 1, 0), std::string("/m/<removed>"));
        // Errors give "".
        QCOMPARE(GetFullFilename("/m/", fileArray, itemData, 2, 0), std::string());
        QCOMPARE(GetFullFilename("/m/", fileArray, itemData, -1, -1), std::string());
        QCOMPARE(GetFullFilename("/m/", fileArray, itemData, -2, 0), std::string());
        QCOMPARE(GetFullFilename("/m/", fileArray, {5}, 0, 0), std::string());
    }

    // ---- Selection ----

    void selectionCountAndOrder()
    {
        const Flags selected{false, true, false, true, true, false};
        QCOMPARE(SelectedCount(selected), 3);
        QCOMPARE(SelectedCount({}), 0);
        QCOMPARE(FirstSelected(selected), 1);
        QCOMPARE(NextSelected(selected, -1), 1);
        QCOMPARE(NextSelected(selected, 1), 3);
        QCOMPARE(NextSelected(selected, 3), 4);
        QCOMPARE(NextSelected(selected, 4), -1);
        QCOMPARE(NextSelected(selected, 100), -1);
        QCOMPARE(NextSelected(selected, INT_MAX), -1);
        QCOMPARE(PreviousSelected(selected, 4), 3);
        QCOMPARE(PreviousSelected(selected, 3), 1);
        QCOMPARE(PreviousSelected(selected, 1), -1);
        QCOMPARE(PreviousSelected(selected, 100), 4);
        QCOMPARE(PreviousSelected(selected, -1), -1);
        QCOMPARE(FirstSelected(Flags(4, false)), -1);
        QCOMPARE(FirstSelected({}), -1);
    }

    void deselectFileFindsTheFirstSelectedItemOfThatName()
    {
        const Names texts{"a.mp3", "b.mp3", "b.mp3", "c.mp3"};
        QCOMPARE(FindFileToDeselect(texts, {true, false, true, true}, "/m/b.mp3"), 2);
        QCOMPARE(FindFileToDeselect(texts, {true, true, true, true}, "/m/b.mp3"), 1);
        QCOMPARE(FindFileToDeselect(texts, {true, false, false, true}, "/m/b.mp3"), -1);
        QCOMPARE(FindFileToDeselect(texts, {true, false, false, true}, "a.mp3"), 0);
        QCOMPARE(FindFileToDeselect(texts, {true, false, false, true}, "/m/"), -1);
    }

    void rightClickWithoutModifier()
    {
        // Edge case: on an unselected item exactly that item is selected afterwards ...
        ListSelection list{{true, false, true, false}, 0};
        RightClickSelect(list, 1, ClickModifier::None);
        QCOMPARE(list.selected, (Flags{false, true, false, false}));
        QCOMPARE(list.caret, 1);
        // ... on a selected item the selection is unchanged.
        list = {{true, false, true, false}, 0};
        RightClickSelect(list, 2, ClickModifier::None);
        QCOMPARE(list.selected, (Flags{true, false, true, false}));
        QCOMPARE(list.caret, 0);
        // Below the last item nothing happens.
        RightClickSelect(list, 4, ClickModifier::None);
        RightClickSelect(list, -1, ClickModifier::None);
        QCOMPARE(list.selected, (Flags{true, false, true, false}));
    }

    void rightClickWithShiftOrCtrl()
    {
        ListSelection list{{false, true, false, false, false, true}, 4};
        RightClickSelect(list, 2, ClickModifier::Shift);  // range 2..4 added, others kept
        QCOMPARE(list.selected, (Flags{false, true, true, true, true, true}));
        QCOMPARE(list.caret, 4);
        list = {{false, false, false, false}, 0};
        RightClickSelect(list, 2, ClickModifier::Shift);
        QCOMPARE(list.selected, (Flags{true, true, true, false}));
        list = {{false, true, false}, 0};
        RightClickSelect(list, 1, ClickModifier::Ctrl);
        QCOMPARE(list.selected, (Flags{false, false, false}));
        QCOMPARE(list.caret, 1);
        RightClickSelect(list, 2, ClickModifier::Ctrl);
        QCOMPARE(list.selected, (Flags{false, false, true}));
        QCOMPARE(list.caret, 2);
    }

    void selectAllToggle()
    {
        // Edge case: with all items selected, only the caret item stays selected.
        ListSelection list{{true, true, true, true}, 2};
        ToggleSelectAll(list);
        QCOMPARE(list.selected, (Flags{false, false, true, false}));
        QCOMPARE(list.caret, 2);
        ToggleSelectAll(list);
        QCOMPARE(list.selected, (Flags{true, true, true, true}));
        list = {{false, false}, 0};
        ToggleSelectAll(list);
        QCOMPARE(list.selected, (Flags{true, true}));
        list = {{}, -1};
        ToggleSelectAll(list);
        QCOMPARE(list.selected, Flags{});
    }

    void refreshRestoresTheSelectionByName()
    {
        const Names before{"a.mp3", "b.mp3", "c.mp3", "d.mp3"};
        const Names saved = SelectedNames(before, {false, true, false, true});
        QCOMPARE(saved, (Names{"b.mp3", "d.mp3"}));
        // New files appear: the saved names are selected again, the new ones are not.
        QCOMPARE(RestoreSelection({"a.mp3", "aa.mp3", "b.mp3", "c.mp3", "d.mp3"}, saved),
                 (Flags{false, false, true, false, true}));
        // A saved name vanished: the later ones are still restored (the implementer's choice).
        QCOMPARE(RestoreSelection({"a.mp3", "c.mp3", "d.mp3"}, saved), (Flags{false, false, true}));
        QCOMPARE(RestoreSelection({}, saved), Flags{});
    }

    void folderDeletedFromOutsideMovesTheViewToItsParent()
    {
        // Edge case: the refresh shows the nearest existing ancestor (Part 1.1's
        // GetNearestExistingFolder, which RefreshDirAndFileList uses).
        fs::create_directories(Path("shown/deeper"));
        fs::remove_all(Path("shown"));
        QCOMPARE(GetNearestExistingFolder(Path("shown")), Path() + "/");
        QCOMPARE(GetNearestExistingFolder(Path("shown/deeper")), Path() + "/");
    }

    // ---- File-size tool tip ----

    void fileSizeToolTipTexts()
    {
        // Edge cases: 1234 bytes and two and a half million bytes, one space on each side.
        QCOMPARE(FileSizeToolTip(1234), std::string(" 1.234 KB "));
        QCOMPARE(FileSizeToolTip(2'500'000), std::string(" 2.5 MB "));
        QCOMPARE(FileSizeText(0), std::string("0 Bytes"));
        QCOMPARE(FileSizeText(999), std::string("999 Bytes"));
        QCOMPARE(FileSizeText(1000), std::string("1 KB"));
        QCOMPARE(FileSizeText(1200), std::string("1.2 KB"));
        QCOMPARE(FileSizeText(999'999), std::string("999.999 KB"));
        QCOMPARE(FileSizeText(1'000'000), std::string("1.0 MB"));
        QCOMPARE(FileSizeText(1'049'999), std::string("1.0 MB"));
        QCOMPARE(FileSizeText(1'050'000), std::string("1.1 MB"));  // half away from zero
        QCOMPARE(FileSizeText(1'150'000), std::string("1.2 MB"));  // exact decimal, not binary 1.1499...
        QCOMPARE(FileSizeText(999'999'999), std::string("1000.0 MB"));
        QCOMPARE(FileSizeText(1'000'000'000), std::string("1.0 GB"));
        QCOMPARE(FileSizeText(4'700'000'000), std::string("4.7 GB"));
        QCOMPARE(FileSizeText(1'500'000'000'000), std::string("1.5 TB"));
        QCOMPARE(FileSizeText(12'345'000'000'000'000), std::string("12345.0 TB"));
    }

    // ---- Drives ----

    void driveTypeFromFileSystemAndRemovableFlag()
    {
        QCOMPARE(DriveTypeOf("iso9660", false), int(DRIVE_CDROM));
        QCOMPARE(DriveTypeOf("udf", true), int(DRIVE_CDROM));
        QCOMPARE(DriveTypeOf("tmpfs", false), int(DRIVE_RAMDISK));
        QCOMPARE(DriveTypeOf("ramfs", false), int(DRIVE_RAMDISK));
        for (const char* network : {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs"})
            QCOMPARE(DriveTypeOf(network, false), int(DRIVE_REMOTE));
        QCOMPARE(DriveTypeOf("vfat", true), int(DRIVE_REMOVABLE));
        QCOMPARE(DriveTypeOf("ext4", true), int(DRIVE_REMOVABLE));
        QCOMPARE(DriveTypeOf("ext4", false), int(DRIVE_FIXED));
        QCOMPARE(DriveTypeOf("btrfs", false), int(DRIVE_FIXED));
        QCOMPARE(DriveTypeOf("overlay", false), int(DRIVE_FIXED));
    }

    void removableFlagOfAPartitionIsItsDisks()
    {
        // A fake /sys: sdz is removable, its partition sdz1 has no flag of its own; vdz is not.
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
        QVERIFY(IsRemovableBlockDevice("/dev/sdz1", sys));
        QVERIFY(IsRemovableBlockDevice("/dev/sdz", sys));
        QVERIFY(!IsRemovableBlockDevice("/dev/vdz", sys));
        QVERIFY(!IsRemovableBlockDevice("/dev/nonexistent9", sys));
        QVERIFY(!IsRemovableBlockDevice("server:/export", sys));
        QVERIFY(!IsRemovableBlockDevice("tmpfs", sys));
    }

    void volumesShownInTheDriveBox()
    {
        QVERIFY(IsListedVolume("/", "ext4"));
        QVERIFY(IsListedVolume("/tmp", "tmpfs"));
        QVERIFY(IsListedVolume("/media/user/DISC", "iso9660"));
        QVERIFY(IsListedVolume("/run/media/user/STICK", "vfat"));
        QVERIFY(!IsListedVolume("/run", "tmpfs"));
        QVERIFY(!IsListedVolume("/run/user/1000", "tmpfs"));
        QVERIFY(!IsListedVolume("/snap/core/123", "squashfs"));
        QVERIFY(IsListedVolume("/runner", "tmpfs"));
    }

    void cdDriveOpensItsMpegFolder()
    {
        // Edge case: on a CD drive holding a folder "MPEG2", choosing the drive opens it.
        const Drive cd{Path(), "VIDEOCD", "iso9660", "/dev/sr0", DRIVE_CDROM};
        QCOMPARE(DriveStartFolder(cd), Path());
        fs::create_directory(Path("MPEGAV"));
        QCOMPARE(DriveStartFolder(cd), Path("MPEGAV"));
        fs::create_directory(Path("mpeg2"));  // Linux shows ISO 9660 names in lower case
        QCOMPARE(DriveStartFolder(cd), Path("mpeg2"));  // the second wins
        Drive fixed = cd;
        fixed.type = DRIVE_FIXED;
        QCOMPARE(DriveStartFolder(fixed), Path());
        Touch("MPEG1");  // a file of that name is no folder
        const Drive other{Path("MPEGAV"), "", "udf", "/dev/sr1", DRIVE_CDROM};
        QCOMPARE(DriveStartFolder(other), Path("MPEGAV"));
    }

    void driveTextAndReadiness()
    {
        QCOMPARE(DriveText({"/media/user/DISC", "DISC", "iso9660", "/dev/sr0", DRIVE_CDROM}),
                 std::string("/media/user/DISC [DISC]"));
        QCOMPARE(DriveText({"/", "", "ext4", "/dev/vda", DRIVE_FIXED}), std::string("/"));
        QVERIFY(IsDriveReady({Path(), "", "ext4", "", DRIVE_FIXED}));
        QVERIFY(!IsDriveReady({Path("missing"), "", "iso9660", "/dev/sr0", DRIVE_CDROM}));
        QVERIFY(!IsDriveReady({}));
    }

    void drivesOfThisMachine()
    {
        const std::vector<Drive> drives = ListDrives();
        QVERIFY(!drives.empty());
        QCOMPARE(drives.front().mountPoint, std::string("/"));
        QVERIFY(std::is_sorted(drives.begin(), drives.end(),
                               [](const Drive& a, const Drive& b) { return a.mountPoint < b.mountPoint; }));
        for (const Drive& drive : drives)
            QVERIFY2(drive.type >= DRIVE_REMOVABLE && drive.type <= DRIVE_RAMDISK, drive.mountPoint.c_str());

        const Drive root = DriveOfPath("/");
        QCOMPARE(root.mountPoint, std::string("/"));
        const Drive ofTemp = DriveOfPath(Path());
        QVERIFY(Path().starts_with(ofTemp.mountPoint) || fs::canonical(Path()).string().starts_with(ofTemp.mountPoint));
        QCOMPARE(GetDriveType(Path("missing/deeper")), int(DRIVE_NO_ROOT_DIR));
        if (DriveOfPath("/dev/shm").fileSystemType == "tmpfs")
            QCOMPARE(GetDriveType("/dev/shm"), int(DRIVE_RAMDISK));
    }
};

QTEST_GUILESS_MAIN(TestFileList)
#include "tst_part_4_1_filelist.moc"
