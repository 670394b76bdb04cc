// Part 1.2: settings store. The INI file code, the typed primitives, the bulk load and
// save with every default, clamp and validation, the recovery of an interrupted save, and
// the window placement computation. Every "Edge cases worth testing" item is a test here.
#include "app/IniFile.h"
#include "app/Settings.h"
#include "app/WindowPlacement.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <filesystem>
#include <memory>
#include <sstream>

using namespace vistrel;
using vistrel::test::ReadText;
using vistrel::test::WriteFile;

namespace {

// The keys of an INI text in file order (lines holding "=").
std::vector<std::string> KeysOf(const std::string& text)
{
    std::vector<std::string> keys;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (const auto eq = line.find('='); eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
    return keys;
}

bool HasKey(const std::string& text, const std::string& key)
{
    const auto keys = KeysOf(text);
    return std::find(keys.begin(), keys.end(), key) != keys.end();
}

size_t OpenDescriptorCount()
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
}

std::string Repeat(const std::string& piece, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += piece;
    return text;
}

}  // namespace

namespace QTest {
template <>
char* toString(const WindowPlacementResult& r)
{
    return qstrdup(r.keepDefaultPosition ? "default position"
                                         : ("move to " + std::to_string(r.X) + ", " + std::to_string(r.Y)).c_str());
}
}  // namespace QTest

class TestSettings : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    SettingsEnvironment env_;
    int directShowQueries_ = 0;
    bool directShowAvailable_ = true;

    std::string Path(const std::string& name) const { return dir_->filePath(QString::fromStdString(name)).toStdString(); }
    std::string Ini() const { return Path("Vistrel.ini"); }
    std::string Bak() const { return Path("Vistrel.bak"); }
    SettingsStore Store() const { return SettingsStore(Ini(), Bak()); }
    void WriteIni(const std::string& text) const { WriteFile(Ini(), text); }
    std::string IniText() const { return ReadText(Ini()); }
    std::string Mkdir(const std::string& name) const
    {
        QDir().mkpath(QString::fromStdString(Path(name)));
        return Path(name);
    }

    // Loads the settings from an INI text ("[Settings]\n" is put in front).
    Settings LoadFrom(const std::string& keys)
    {
        WriteIni("[Settings]\n" + keys);
        Settings s;
        Store().ReadSettings(s, env_);
        return s;
    }

    // The loaded defaults that a save writes back, in save order, with their values.
    std::string FirstStartFile() const
    {
        return "[Settings]\n"
               "Path=\nNonremovablePath=\nLeft=0\nTop=0\nFontName=MS Shell Dlg\nFontSize=9\n"
               "ShellName1=\nShellPath1=\nShellParam1=\nShellHotkey1=0\n"
               "AutoZoomRes0=32\nAutoZoomRes1=384\nAutoZoomRes2=480\nAutoZoomRes3=800\n"
               "AdditionalFileFilter=\nAll=0\nLoop=0\nOverlapped=0\nVideoSideBySide=0\n"
               "ToolTips=1\nUseMenuHotkeys=1\nUseMCI=0\nOverlappedPlayTimeMS=100\n"
               "SmallVidZoomToKeepAppVisible=0\nDeleteWithoutAsking=0\nAvsForVDub=0\n"
               "PathToDivFix=\nMaxTempFileSizeMB=10\nTempPath=\nTempPath2=\n"
               "SeekPreviewWidthMain=160\nSeekPreviewWidthFullscreenDivisor=6\n";
    }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        directShowQueries_ = 0;
        directShowAvailable_ = true;
        env_.isDirectShowAvailable = [this] {
            ++directShowQueries_;
            return directShowAvailable_;
        };
        env_.programFolder = Mkdir("prog") + "/";
        env_.systemTempFolder = Mkdir("systemp") + "/";
    }

    void cleanup()
    {
        QLocale::setDefault(QLocale::c());
        dir_.reset();
    }

    // ---- IniFile: GetPrivateProfileString / WritePrivateProfileString semantics -------

    void iniMissingFileGivesTrimmedDefault()
    {
        const IniFile ini(Ini());
        QCOMPARE(ini.ReadString("Settings", "Path", "  \tdefault value \t "), std::string("default value"));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(Ini())));
    }

    void iniMissingKeyOrSectionGivesDefault()
    {
        WriteIni("[Other]\nPath=/other\n[Settings]\nTop=5\n");
        const IniFile ini(Ini());
        QCOMPARE(ini.ReadString("Settings", "Path", "def"), std::string("def"));
        QCOMPARE(ini.ReadString("Missing", "Top", "def"), std::string("def"));
        QCOMPARE(ini.ReadString("Other", "Path", "def"), std::string("/other"));
    }

    void iniSectionAndKeyNamesIgnoreCase()
    {
        WriteIni("[sETTINGS]\npath=/music/\n FONTNAME = Sans\n");
        const IniFile ini(Ini());
        QCOMPARE(ini.ReadString("Settings", "Path", ""), std::string("/music/"));
        QCOMPARE(ini.ReadString("SETTINGS", "FontName", ""), std::string("Sans"));
        WriteIni(" [ Settings ] \nTop=4\n");  // blanks around and inside the brackets
        QCOMPARE(ini.ReadString("Settings", "Top", ""), std::string("4"));
        QVERIFY(ini.WriteString("settings", "top", "5"));
        QCOMPARE(IniText(), std::string(" [ Settings ] \ntop=5\n"));
    }

    void iniValueTrimmedOfBlanksAndTabs()
    {
        WriteIni("[Settings]\nA = \t value with  inner blanks \t \n\tB\t=\tx\n");
        const IniFile ini(Ini());
        QCOMPARE(ini.ReadString("Settings", "A", ""), std::string("value with  inner blanks"));
        QCOMPARE(ini.ReadString("Settings", "B", ""), std::string("x"));
    }

    void iniOnePairOfEnclosingQuotesRemoved()
    {
        WriteIni("[Settings]\nD=\" spaced \"\nS='single'\nTwo=\"\"x\"\"\nMixed=\"x'\n"
                 "Inner=a\"b\"c\nOne=\"\nEmpty=\"\"\n");
        const IniFile ini(Ini());
        QCOMPARE(ini.ReadString("Settings", "D", ""), std::string(" spaced "));
        QCOMPARE(ini.ReadString("Settings", "S", ""), std::string("single"));
        QCOMPARE(ini.ReadString("Settings", "Two", ""), std::string("\"x\""));
        QCOMPARE(ini.ReadString("Settings", "Mixed", ""), std::string("\"x'"));
        QCOMPARE(ini.ReadString("Settings", "Inner", ""), std::string("a\"b\"c"));
        QCOMPARE(ini.ReadString("Settings", "One", ""), std::string("\""));
        QCOMPARE(ini.ReadString("Settings", "Empty", "def"), std::string(""));
    }

    void iniCommentsAndLinesWithoutEqualsAreNoKeys()
    {
        WriteIni("[Settings]\n;Path=/commented\n  ; Top=3\nLeft\nPath=/real\n");
        const IniFile ini(Ini());
        QCOMPARE(ini.ReadString("Settings", "Path", ""), std::string("/real"));
        QCOMPARE(ini.ReadString("Settings", "Top", "def"), std::string("def"));
        QCOMPARE(ini.ReadString("Settings", ";Path", "def"), std::string("def"));
        QCOMPARE(ini.ReadString("Settings", "Left", "def"), std::string("def"));
    }

    void iniFirstOccurrenceWins()
    {
        WriteIni("[Settings]\nPath=/first\nPATH=/second\n[Settings]\nTop=7\n");
        const IniFile ini(Ini());
        QCOMPARE(ini.ReadString("Settings", "Path", ""), std::string("/first"));
        // Only the first section of a name is searched, as the profile services do.
        QCOMPARE(ini.ReadString("Settings", "Top", "def"), std::string("def"));
    }

    void iniValueMayHoldEqualsSigns()
    {
        WriteIni("[Settings]\nShellParam1=--opt=1 %file%\n");
        QCOMPARE(IniFile(Ini()).ReadString("Settings", "ShellParam1", ""), std::string("--opt=1 %file%"));
    }

    void iniReadsCrLfAndBom()
    {
        WriteIni("\xEF\xBB\xBF[Settings]\r\nPath=/crlf/\r\nTop=12\r\n");
        const IniFile ini(Ini());
        QCOMPARE(ini.ReadString("Settings", "Path", ""), std::string("/crlf/"));
        QCOMPARE(ini.ReadString("Settings", "Top", ""), std::string("12"));
    }

    void iniReadKeeps259Characters()
    {
        const std::string ascii = Repeat("a", 300);
        const std::string umlauts = Repeat("\xC3\xA4", 300);  // "ä", two bytes each
        WriteIni("[Settings]\nA=" + ascii + "\nU=" + umlauts + "\nE=" + Repeat("b", 259) + "\n");
        const IniFile ini(Ini());
        QCOMPARE(ini.ReadString("Settings", "A", ""), Repeat("a", 259));
        QCOMPARE(ini.ReadString("Settings", "U", ""), Repeat("\xC3\xA4", 259));
        QCOMPARE(ini.ReadString("Settings", "E", ""), Repeat("b", 259));
        QCOMPARE(ini.ReadString("Settings", "Missing", ascii), Repeat("a", 259));
        QCOMPARE(ini.ReadString("Settings", "A", "", 10), Repeat("a", 9));
    }

    void iniWriteCreatesFileAndSection()
    {
        const IniFile ini(Ini());
        QVERIFY(ini.WriteString("Settings", "Path", "/music/"));
        QCOMPARE(IniText(), std::string("[Settings]\nPath=/music/\n"));
        QVERIFY(ini.WriteString("Settings", "Top", "5"));
        QCOMPARE(IniText(), std::string("[Settings]\nPath=/music/\nTop=5\n"));
    }

    void iniWriteAppendsSectionAfterOtherSections()
    {
        WriteIni("[Other]\nX=1\n");
        QVERIFY(IniFile(Ini()).WriteString("Settings", "Path", "/p"));
        QCOMPARE(IniText(), std::string("[Other]\nX=1\n[Settings]\nPath=/p\n"));
    }

    void iniWriteReplacesKeyInPlace()
    {
        WriteIni("; comment\n[settings]\nPATH = /old\nTop=1\n\n[Other]\nPath=/other\n");
        QVERIFY(IniFile(Ini()).WriteString("Settings", "Path", "/new"));
        QCOMPARE(IniText(), std::string("; comment\n[settings]\nPath=/new\nTop=1\n\n[Other]\nPath=/other\n"));
    }

    void iniWriteAppendsKeyAtEndOfItsSection()
    {
        WriteIni("[Settings]\nPath=/p\n\n[Other]\nX=1\n");
        QVERIFY(IniFile(Ini()).WriteString("Settings", "Top", "3"));
        QCOMPARE(IniText(), std::string("[Settings]\nPath=/p\nTop=3\n\n[Other]\nX=1\n"));
    }

    void iniWriteRewritesCrLfAsLf()
    {
        WriteIni("[Settings]\r\nPath=/p\r\n");
        QVERIFY(IniFile(Ini()).WriteString("Settings", "Top", "3"));
        QCOMPARE(IniText(), std::string("[Settings]\nPath=/p\nTop=3\n"));
    }

    void iniWriteRefusesWhatCannotBeReadBack()
    {
        const IniFile ini(Ini());
        QVERIFY(!ini.WriteString("Settings", "Path", "/a\nb"));
        QVERIFY(!ini.WriteString("Settings", "Path", "/a\rb"));
        QVERIFY(!ini.WriteString("Settings", "Path", std::string("/a\0b", 4)));
        QVERIFY(!ini.WriteString("Settings", "Pa=th", "x"));
        QVERIFY(!ini.WriteString("Settings", ";Path", "x"));
        QVERIFY(!ini.WriteString("Settings", " ", "x"));
        QVERIFY(!ini.WriteString("Set]tings", "Path", "x"));
        QVERIFY(!QFileInfo::exists(QString::fromStdString(Ini())));
    }

    void iniWriteFailureIsReturnedAsFalse()
    {
        const IniFile ini(Path("missing-folder/Vistrel.ini"));
        QVERIFY(!ini.WriteString("Settings", "Path", "/p"));
        QCOMPARE(ini.ReadString("Settings", "Path", "def"), std::string("def"));
        const IniFile folder(Mkdir("a-folder"));
        QVERIFY(!folder.WriteString("Settings", "Path", "/p"));
        QCOMPARE(folder.ReadString("Settings", "Path", "def"), std::string("def"));
    }

    void iniClosesEveryFile()
    {
        const size_t before = OpenDescriptorCount();
        const IniFile ini(Ini());
        for (int i = 0; i < 50; ++i) {
            (void)ini.WriteString("Settings", "Key" + std::to_string(i), "v");
            (void)ini.ReadString("Settings", "Key" + std::to_string(i), "");
            (void)IniFile(Path("missing/x.ini")).WriteString("Settings", "K", "v");
        }
        QCOMPARE(OpenDescriptorCount(), before);
    }

    // ---- value types -------------------------------------------------------------------

    void leadingNumericValueIsValsPrefix()
    {
        QCOMPARE(LeadingNumericValue("12abc"), 12.0);
        QCOMPARE(LeadingNumericValue("  -3.5e2x"), -350.0);
        QCOMPARE(LeadingNumericValue("+7"), 7.0);
        QCOMPARE(LeadingNumericValue(".5"), 0.5);
        QCOMPARE(LeadingNumericValue("5."), 5.0);
        QCOMPARE(LeadingNumericValue("1e"), 1.0);
        QCOMPARE(LeadingNumericValue("2E+3"), 2000.0);
        QCOMPARE(LeadingNumericValue("1,5"), 1.0);
        QCOMPARE(LeadingNumericValue("8.25"), 8.25);
        QCOMPARE(LeadingNumericValue("abc"), 0.0);
        QCOMPARE(LeadingNumericValue("-"), 0.0);
        QCOMPARE(LeadingNumericValue("."), 0.0);
        QCOMPARE(LeadingNumericValue(""), 0.0);
        QCOMPARE(LeadingNumericValue("1e-999"), 0.0);
        QVERIFY(std::isinf(LeadingNumericValue("1e999")));
    }

    void hexPrefixReadsHexadecimal()
    {
        QCOMPARE(LeadingNumericValue("&H00404040"), 4210752.0);
        QCOMPARE(LeadingNumericValue("&hff"), 255.0);
        QCOMPARE(LeadingNumericValue("&H00FFFFFF"), 16777215.0);
        QCOMPARE(LeadingNumericValue("&H1Fzz"), 31.0);
        QCOMPARE(LeadingNumericValue("&H"), 0.0);
        QCOMPARE(LeadingNumericValue("&X10"), 0.0);
    }

    void wholeNumbersRoundHalfToEvenAndClamp()
    {
        WriteIni("[Settings]\nA=2.5\nB=3.5\nC=-2.5\nD=2.6\nE=99999999999\nF=-99999999999\n"
                 "G=40000\nH=-40000\nI=abc\n");
        const SettingsStore store = Store();
        int32_t v = -1;
        store.ReadSetting(v, "A", ""); QCOMPARE(v, 2);
        store.ReadSetting(v, "B", ""); QCOMPARE(v, 4);
        store.ReadSetting(v, "C", ""); QCOMPARE(v, -2);
        store.ReadSetting(v, "D", ""); QCOMPARE(v, 3);
        store.ReadSetting(v, "E", ""); QCOMPARE(v, INT32_MAX);
        store.ReadSetting(v, "F", ""); QCOMPARE(v, INT32_MIN);
        store.ReadSetting(v, "I", "5"); QCOMPARE(v, 0);
        int16_t h = -1;
        store.ReadSetting(h, "G", ""); QCOMPARE(h, int16_t(32767));
        store.ReadSetting(h, "H", ""); QCOMPARE(h, int16_t(-32768));
        store.ReadSetting(h, "A", ""); QCOMPARE(h, int16_t(2));
    }

    void flagIsTrueWhenLeadingValueIsNotZero()
    {
        WriteIni("[Settings]\nA=0.5\nB=abc\nC=2\nD=0\nE=True\nF=-1\nG=0x1\n");
        const SettingsStore store = Store();
        bool f = false;
        store.ReadSetting(f, "A", ""); QCOMPARE(f, true);
        store.ReadSetting(f, "B", "1"); QCOMPARE(f, false);
        store.ReadSetting(f, "C", ""); QCOMPARE(f, true);
        store.ReadSetting(f, "D", "1"); QCOMPARE(f, false);
        store.ReadSetting(f, "E", ""); QCOMPARE(f, false);
        store.ReadSetting(f, "F", ""); QCOMPARE(f, true);
        store.ReadSetting(f, "G", ""); QCOMPARE(f, false);
        store.ReadSetting(f, "Missing", "1"); QCOMPARE(f, true);
    }

    void emptyValueIsNotTheDefault()
    {
        WriteIni("[Settings]\nT=\nF=\nW=\nR=\nH=\n");
        const SettingsStore store = Store();
        std::string t = "x";
        bool f = true;
        int32_t w = 7;
        double r = 7;
        int16_t h = 7;
        store.ReadSetting(t, "T", "default"); QCOMPARE(t, std::string(""));
        store.ReadSetting(f, "F", "1"); QCOMPARE(f, false);
        store.ReadSetting(w, "W", "5"); QCOMPARE(w, 0);
        store.ReadSetting(r, "R", "9"); QCOMPARE(r, 0.0);
        store.ReadSetting(h, "H", "3"); QCOMPARE(h, int16_t(0));
    }

    void missingKeyGivesTheDefault()
    {
        WriteIni("[Settings]\n");
        const SettingsStore store = Store();
        std::string t;
        bool f = false;
        int32_t w = 0;
        double r = 0;
        store.ReadSetting(t, "T", "default"); QCOMPARE(t, std::string("default"));
        store.ReadSetting(f, "F", "1"); QCOMPARE(f, true);
        store.ReadSetting(w, "W", "5"); QCOMPARE(w, 5);
        store.ReadSetting(r, "R", "9.5"); QCOMPARE(r, 9.5);
        w = 7;
        store.ReadSetting(w, "W", ""); QCOMPARE(w, 0);  // missing with an empty default
        t = "x";
        store.ReadSetting(t, "T", ""); QCOMPARE(t, std::string(""));
    }

    void textReadIsLimitedTo259Characters()
    {
        WriteIni("[Settings]\nAdditionalFileFilter=" + Repeat("x", 400) + "\n");
        std::string t;
        Store().ReadSetting(t, "AdditionalFileFilter", "");
        QCOMPARE(t.size(), size_t(259));
    }

    void realWithDecimalCommaLocaleIsWrittenWithPointAndReadsBack()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(QLocale().toString(8.5), QString("8,5"));  // the locale does use a comma
        const SettingsStore store = Store();
        store.SaveSetting(8.5, "FontSize");
        QCOMPARE(IniText(), std::string("[Settings]\nFontSize=8.5\n"));
        double r = 0;
        store.ReadSetting(r, "FontSize", "9");
        QCOMPARE(r, 8.5);
    }

    void numbersReadBackInLocalesWithOtherSignsAndDigits()
    {
        for (const char* name : {"sv_SE", "fi_FI", "fa_IR", "ar_EG", "de_DE", "en_US"}) {
            QLocale::setDefault(QLocale(QString::fromLatin1(name)));
            const SettingsStore store = Store();
            store.SaveSetting(int32_t(-1920), "Left");
            store.SaveSetting(-12.75, "OverScanPercent");
            int32_t left = 0;
            double overscan = 0;
            store.ReadSetting(left, "Left", "");
            store.ReadSetting(overscan, "OverScanPercent", "");
            QCOMPARE(left, -1920);
            QCOMPARE(overscan, -12.75);
            QCOMPARE(IniText(), std::string("[Settings]\nLeft=-1920\nOverScanPercent=-12.75\n"));
        }
    }

    void numberFormatIsGeneralWithFifteenDigits()
    {
        QCOMPARE(FormatSettingNumber(100), std::string("100"));
        QCOMPARE(FormatSettingNumber(8.25), std::string("8.25"));
        QCOMPARE(FormatSettingNumber(1.0 / 3.0), std::string("0.333333333333333"));
        QCOMPARE(FormatSettingNumber(1234567.5), std::string("1234567.5"));
        QCOMPARE(FormatSettingNumber(INT32_MIN), std::string("-2147483648"));
        QCOMPARE(FormatSettingNumber(0), std::string("0"));
    }

    void saveSettingConvertsByType()
    {
        const SettingsStore store = Store();
        store.SaveSetting(true, "T");
        store.SaveSetting(false, "F");
        store.SaveSetting(int32_t(42), "W");
        store.SaveSetting(int16_t(-5), "H");
        store.SaveSetting("literal", "L");
        store.SaveSetting(std::string("/a b/"), "S");
        QCOMPARE(IniText(), std::string("[Settings]\nT=1\nF=0\nW=42\nH=-5\nL=literal\nS=/a b/\n"));
    }

    void textThatTheReadWouldChangeIsQuoted()
    {
        const SettingsStore store = Store();
        for (const std::string text : {" lead", "trail\t", "'80s'", "\"quoted\"", "\"", "plain 'x' \"y\""}) {
            store.SaveSetting(text, "Name");
            std::string back;
            store.ReadSetting(back, "Name", "");
            QCOMPARE(back, text);
        }
        QCOMPARE(IniText(), std::string("[Settings]\nName=plain 'x' \"y\"\n"));
    }

    // ---- bulk load -----------------------------------------------------------------------

    void firstStartWritesEveryKeyOfTheSaveList()
    {
        Settings s;
        Store().ReadSettings(s, env_);
        QCOMPARE(IniText(), FirstStartFile());
        const std::vector<std::string> order{
            "Path", "NonremovablePath", "Left", "Top", "FontName", "FontSize",
            "ShellName1", "ShellPath1", "ShellParam1", "ShellHotkey1",
            "AutoZoomRes0", "AutoZoomRes1", "AutoZoomRes2", "AutoZoomRes3", "AdditionalFileFilter",
            "All", "Loop", "Overlapped", "VideoSideBySide", "ToolTips", "UseMenuHotkeys", "UseMCI",
            "OverlappedPlayTimeMS", "SmallVidZoomToKeepAppVisible", "DeleteWithoutAsking", "AvsForVDub",
            "PathToDivFix", "MaxTempFileSizeMB", "TempPath", "TempPath2",
            "SeekPreviewWidthMain", "SeekPreviewWidthFullscreenDivisor"};
        QCOMPARE(KeysOf(IniText()), order);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(Bak())));
    }

    void firstStartLoadsAllDefaults()
    {
        Settings s;
        Store().ReadSettings(s, env_);
        QCOMPARE(s.Path, std::string(""));
        QCOMPARE(s.NonremovablePath, std::string(""));
        QCOMPARE(s.Left, 0);
        QCOMPARE(s.Top, 0);
        QCOMPARE(s.FontName, std::string("MS Shell Dlg"));
        QCOMPARE(s.FontSize, 9.0);
        QCOMPARE(s.UseMenuHotkeys, true);
        QCOMPARE(s.UseMCI, 0);
        QVERIFY(s.CopyMoveTo.empty());
        QVERIFY(s.GoTo.empty());
        QVERIFY(s.OpenWith.empty());
        QCOMPARE(s.AutoZoomRes, (std::array<int32_t, 4>{32, 384, 480, 800}));
        QCOMPARE(s.OverScanPercent, 10.0);
        QCOMPARE(s.AdditionalFileFilter, std::string(""));
        QCOMPARE(s.All || s.Loop || s.Overlapped || s.VideoSideBySide, false);
        QCOMPARE(s.OverlappedPlayTimeMS, 100);
        QCOMPARE(s.SmallVidZoomToKeepAppVisible, false);
        QCOMPARE(s.DeleteWithoutAsking, false);
        QCOMPARE(s.ToolTips, true);
        QCOMPARE(s.PathToDivFix, std::string(""));
        QCOMPARE(s.MaxTempFileSizeMB, 10);
        QCOMPARE(s.TempPath, env_.systemTempFolder);
        QCOMPARE(s.TempPath2, std::string(""));
        QCOMPARE(s.AvsForVDub, false);
        QVERIFY(s.HisExclude.empty());
        QCOMPARE(s.SeekPreviewWidthMain, 160);
        QCOMPARE(s.SeekPreviewWidthFullscreenDivisor, 6);
    }

    void existingIniIsNotSavedByTheLoad()
    {
        const std::string text = "[Settings]\nFoo=bar\n[Other]\nX=1\n";
        WriteIni(text);
        Settings s;
        Store().ReadSettings(s, env_);
        QCOMPARE(IniText(), text);
    }

    void startFoldersAndPosition()
    {
        const Settings s = LoadFrom("Path=/music/\nNonremovablePath=/home/u/\nLeft=-1920.4\nTop=35\n");
        QCOMPARE(s.Path, std::string("/music/"));
        QCOMPARE(s.NonremovablePath, std::string("/home/u/"));
        QCOMPARE(s.Left, -1920);
        QCOMPARE(s.Top, 35);
    }

    void emptyPathKeepsTheRememberedFolder()
    {
        WriteIni("[Settings]\nPath=\n");
        Settings s;
        s.Path = "/remembered/";
        Store().ReadSettings(s, env_);
        QCOMPARE(s.Path, std::string("/remembered/"));
    }

    void fontSizeClamps()
    {
        QCOMPARE(LoadFrom("FontSize=20\n").FontSize, 14.0);  // edge case
        QCOMPARE(LoadFrom("FontSize=0\n").FontSize, 0.0);    // edge case: designed sizes
        QCOMPARE(LoadFrom("FontSize=3\n").FontSize, 7.0);
        QCOMPARE(LoadFrom("FontSize=-4\n").FontSize, 7.0);
        QCOMPARE(LoadFrom("FontSize=10.5\n").FontSize, 10.5);
        QCOMPARE(LoadFrom("FontSize=\n").FontSize, 0.0);
        QCOMPARE(LoadFrom("FontName=DejaVu Sans\n").FontName, std::string("DejaVu Sans"));
        QCOMPARE(LoadFrom("FontName=\n").FontName, std::string(""));
    }

    void useMciClampsAndFallsBackWithoutDirectShow()
    {
        QCOMPARE(LoadFrom("UseMCI=5\n").UseMCI, 1);
        QCOMPARE(directShowQueries_, 0);  // asked only when UseMCI is 0
        QCOMPARE(LoadFrom("UseMCI=-3\n").UseMCI, 0);
        QCOMPARE(directShowQueries_, 1);
        directShowAvailable_ = false;
        QCOMPARE(LoadFrom("UseMCI=0\n").UseMCI, 1);
        QCOMPARE(LoadFrom("\n").UseMCI, 1);
        env_.isDirectShowAvailable = nullptr;
        QCOMPARE(LoadFrom("UseMCI=0\n").UseMCI, 1);
    }

    void copyMoveGapClosesUpAndIsRenumberedBySave()
    {
        Settings s = LoadFrom("CopyMoveToPath3=/dest/\n");
        QCOMPARE(s.CopyMoveTo, (std::vector<PathItem>{{"/dest/", "/dest/"}}));
        Store().SaveSettings(s, env_);
        const std::string text = IniText();
        QVERIFY(text.find("\nCopyMoveToName1=/dest/\nCopyMoveToPath1=/dest/\n") != std::string::npos);
        QVERIFY(!HasKey(text, "CopyMoveToPath3"));
        QVERIFY(!HasKey(text, "CopyMoveToName2"));
    }

    void emptyNameLoadsWithPathAsDisplayNameAndIsSavedAsName()
    {
        Settings s = LoadFrom("CopyMoveToName1=\nCopyMoveToPath1=/a/\nCopyMoveToName2=Bee\nCopyMoveToPath2=/b/\n"
                              "CopyMoveToName4=NoPath\nCopyMoveToName20=Last\nCopyMoveToPath20=/z/\n"
                              "CopyMoveToPath21=/beyond/\n");
        QCOMPARE(s.CopyMoveTo, (std::vector<PathItem>{{"/a/", "/a/"}, {"Bee", "/b/"}, {"Last", "/z/"}}));
        Store().SaveSettings(s, env_);
        const std::string text = IniText();
        QVERIFY(text.find("\nCopyMoveToName1=/a/\nCopyMoveToPath1=/a/\nCopyMoveToName2=Bee\nCopyMoveToPath2=/b/\n"
                          "CopyMoveToName3=Last\nCopyMoveToPath3=/z/\nShellName1=") != std::string::npos);
    }

    void gotoListUsesLettersAToT()
    {
        Settings s = LoadFrom("GoToNameC=Music\nGoToPathC=/music/\nGoToPathT=/t/\nGoToPathU=/u/\n");
        QCOMPARE(s.GoTo, (std::vector<PathItem>{{"Music", "/music/"}, {"/t/", "/t/"}}));
        Store().SaveSettings(s, env_);
        QVERIFY(IniText().find("\nGoToNameA=Music\nGoToPathA=/music/\nGoToNameB=/t/\nGoToPathB=/t/\nShellName1=")
                != std::string::npos);
    }

    void openWithSkipsEntriesWithoutName()
    {
        Settings s = LoadFrom("ShellName1=\nShellPath1=/usr/bin/skip\nShellHotkey1=9\n"
                              "ShellName2=Editor\nShellPath2=/usr/bin/ed\nShellParam2=\"%file%\"\nShellHotkey2=65\n"
                              "ShellName3=Player\nShellHotkey3=&H41\n");
        QCOMPARE(s.OpenWith, (std::vector<OpenWithItem>{{"Editor", "/usr/bin/ed", "%file%", 65},
                                                        {"Player", "", "", 65}}));
        Store().SaveSettings(s, env_);
        QVERIFY(IniText().find("\nShellName1=Editor\nShellPath1=/usr/bin/ed\nShellParam1=%file%\nShellHotkey1=65\n"
                               "ShellName2=Player\nShellPath2=\nShellParam2=\nShellHotkey2=65\nAutoZoomRes0=")
                != std::string::npos);
    }

    void zoomOverscanAndFilter()
    {
        const Settings s = LoadFrom("AutoZoomRes0=1\nAutoZoomRes1=2\nAutoZoomRes2=3\nAutoZoomRes3=4\n"
                                    "OverScanPercent=30\nAdditionalFileFilter=*.xyz;*.abc\n");
        QCOMPARE(s.AutoZoomRes, (std::array<int32_t, 4>{1, 2, 3, 4}));
        QCOMPARE(s.OverScanPercent, 20.0);
        QCOMPARE(s.AdditionalFileFilter, std::string("*.xyz;*.abc"));
        QCOMPARE(LoadFrom("OverScanPercent=-30\n").OverScanPercent, -20.0);
        QCOMPARE(LoadFrom("OverScanPercent=12.5\n").OverScanPercent, 12.5);
    }

    void checkBoxesAreWholeNumbersAndFlagsAreNot()
    {
        const Settings s = LoadFrom("All=2\nLoop=0.4\nOverlapped=-1\nVideoSideBySide=abc\n"
                                    "SmallVidZoomToKeepAppVisible=1\nDeleteWithoutAsking=0.4\nToolTips=0\n"
                                    "AvsForVDub=1\nUseMenuHotkeys=0\n");
        QCOMPARE(s.All, true);
        QCOMPARE(s.Loop, false);  // 0.4 rounds to 0
        QCOMPARE(s.Overlapped, true);
        QCOMPARE(s.VideoSideBySide, false);
        QCOMPARE(s.SmallVidZoomToKeepAppVisible, true);
        QCOMPARE(s.DeleteWithoutAsking, true);  // a flag: 0.4 is not 0
        QCOMPARE(s.ToolTips, false);
        QCOMPARE(s.AvsForVDub, true);
        QCOMPARE(s.UseMenuHotkeys, false);
    }

    void overlappedPlayTimeClamps()
    {
        QCOMPARE(LoadFrom("OverlappedPlayTimeMS=abc\n").OverlappedPlayTimeMS, 100);
        QCOMPARE(LoadFrom("\n").OverlappedPlayTimeMS, 100);
        QCOMPARE(LoadFrom("OverlappedPlayTimeMS=99\n").OverlappedPlayTimeMS, 100);
        QCOMPARE(LoadFrom("OverlappedPlayTimeMS=500\n").OverlappedPlayTimeMS, 500);
        QCOMPARE(LoadFrom("OverlappedPlayTimeMS=5000\n").OverlappedPlayTimeMS, 2000);
    }

    void repairToolPath()
    {
        const std::string tool = Path("mytool");
        WriteFile(tool, "#!/bin/sh\n");
        QCOMPARE(LoadFrom("PathToDivFix=" + tool + "\n").PathToDivFix, tool);
        QCOMPARE(LoadFrom("PathToDivFix=/no/such/DivFix\n").PathToDivFix, std::string(""));
        WriteFile(env_.programFolder + "DivFix", "#!/bin/sh\n");
        QCOMPARE(LoadFrom("PathToDivFix=/no/such/DivFix\n").PathToDivFix, env_.programFolder + "DivFix");
        QCOMPARE(LoadFrom("\n").PathToDivFix, env_.programFolder + "DivFix");
        QCOMPARE(LoadFrom("PathToDivFix=" + tool + "\n").PathToDivFix, tool);
    }

    void maxTempFileSizeClamps()
    {
        QCOMPARE(LoadFrom("MaxTempFileSizeMB=0\n").MaxTempFileSizeMB, 10);    // edge case
        QCOMPARE(LoadFrom("MaxTempFileSizeMB=500\n").MaxTempFileSizeMB, 100); // edge case
        QCOMPARE(LoadFrom("\n").MaxTempFileSizeMB, 10);
        QCOMPARE(LoadFrom("MaxTempFileSizeMB=-5\n").MaxTempFileSizeMB, 1);
        QCOMPARE(LoadFrom("MaxTempFileSizeMB=50\n").MaxTempFileSizeMB, 50);
    }

    void temporaryFolders()
    {
        const std::string a = Mkdir("tmpa");
        const std::string b = Mkdir("tmpb");
        Settings s = LoadFrom("TempPath=" + a + "\nTempPath2=" + b + "/\n");
        QCOMPARE(s.TempPath, a + "/");
        QCOMPARE(s.TempPath2, b + "/");
        s = LoadFrom("TempPath=/no/such/folder\nTempPath2=" + b + "\n");
        QCOMPARE(s.TempPath, env_.systemTempFolder);
        QCOMPARE(s.TempPath2, b + "/");
        s = LoadFrom("TempPath=" + a + "\nTempPath2=" + a + "/\n");
        QCOMPARE(s.TempPath, a + "/");
        QCOMPARE(s.TempPath2, std::string(""));  // equal to the first
        s = LoadFrom("TempPath2=/no/such/folder\n");
        QCOMPARE(s.TempPath, env_.systemTempFolder);
        QCOMPARE(s.TempPath2, std::string(""));  // system folder twice
        WriteFile(Path("afile"), "x");
        QCOMPARE(LoadFrom("TempPath=" + Path("afile") + "\n").TempPath, env_.systemTempFolder);
    }

    void hisExcludeReadUntilFirstEmpty()
    {
        QVERIFY(LoadFrom("HisExclude0=\nHisExclude1=/tmp/\n").HisExclude.empty());  // edge case
        QVERIFY(LoadFrom("HisExclude1=/tmp/\n").HisExclude.empty());
        QCOMPARE(LoadFrom("HisExclude0=/a/\nHisExclude1=/b/\nHisExclude3=/d/\n").HisExclude,
                 (std::vector<std::string>{"/a/", "/b/"}));
        std::string keys;
        for (int i = 0; i <= 101; ++i)
            keys += "HisExclude" + std::to_string(i) + "=/x" + std::to_string(i) + "/\n";
        const Settings s = LoadFrom(keys);
        QCOMPARE(s.HisExclude.size(), size_t(101));
        QCOMPARE(s.HisExclude.back(), std::string("/x100/"));
    }

    void seekPreviewWidths()
    {
        QCOMPARE(LoadFrom("SeekPreviewWidthFullscreenDivisor=1\n").SeekPreviewWidthFullscreenDivisor, 2);  // edge
        QCOMPARE(LoadFrom("SeekPreviewWidthFullscreenDivisor=11\n").SeekPreviewWidthFullscreenDivisor, 10);
        QCOMPARE(LoadFrom("SeekPreviewWidthFullscreenDivisor=4\n").SeekPreviewWidthFullscreenDivisor, 4);
        QCOMPARE(LoadFrom("SeekPreviewWidthMain=240\n").SeekPreviewWidthMain, 240);
    }

    void readOnlyKeys()
    {
        WriteIni("[Settings]\n");
        const SettingsStore store = Store();
        QCOMPARE(store.ReadSeekPreviewBackColor(), 4210752);
        QCOMPARE(store.ReadSeekPreviewTextColor(), 16777215);
        QCOMPARE(store.ReadCurrentFileDefaultVolume(), 750);
        WriteIni("[Settings]\nSeekPreviewBackColor=&H000000FF\nSeekPreviewTextColor=65280\n"
                 "CurrentFileDefaultVolume=500\n");
        QCOMPARE(store.ReadSeekPreviewBackColor(), 255);
        QCOMPARE(store.ReadSeekPreviewTextColor(), 65280);
        QCOMPARE(store.ReadCurrentFileDefaultVolume(), 500);
        Settings s;
        store.ReadSettings(s, env_);
        store.SaveSettings(s, env_);
        const std::string text = IniText();
        QVERIFY(!HasKey(text, "SeekPreviewBackColor"));
        QVERIFY(!HasKey(text, "SeekPreviewTextColor"));
        QVERIFY(!HasKey(text, "CurrentFileDefaultVolume"));
        QCOMPARE(store.ReadSeekPreviewBackColor(), 4210752);
    }

    void crLfIniLoads()
    {
        const Settings s = LoadFrom("Path=/music/\r\nFontSize=11\r\nGoToNameA=M\r\nGoToPathA=/m/\r\n");
        QCOMPARE(s.Path, std::string("/music/"));
        QCOMPARE(s.FontSize, 11.0);
        QCOMPARE(s.GoTo, (std::vector<PathItem>{{"M", "/m/"}}));
    }

    // ---- bulk save -----------------------------------------------------------------------

    void foreignKeysAndSectionsDoNotSurviveASave()
    {
        WriteIni("[Other]\nX=1\n[Settings]\nFoo=bar\nOverScanPercent=15\nFontSize=11\n");
        Settings s;
        const SettingsStore store = Store();
        store.ReadSettings(s, env_);
        store.SaveSettings(s, env_);
        const std::string text = IniText();
        QVERIFY(text.starts_with("[Settings]\nPath=\n"));
        QVERIFY(text.find("[Other]") == std::string::npos);
        QVERIFY(!HasKey(text, "X"));
        QVERIFY(!HasKey(text, "Foo"));
        QVERIFY(!HasKey(text, "OverScanPercent"));  // not in the save list
        QVERIFY(text.find("\nFontSize=11\n") != std::string::npos);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(Bak())));
    }

    void saveWritesTheRecordInSaveOrder()
    {
        Settings s;
        s.Path = "/music/";
        s.NonremovablePath = "/home/u/";
        s.Left = 120;
        s.Top = -30;
        s.FontName = "DejaVu Sans";
        s.FontSize = 10.5;
        s.CopyMoveTo = {{"+++", "+++"}, {"Dest", "/d/"}};
        s.GoTo = {{"Home", "/home/"}};
        s.OpenWith = {{"Ed", "/bin/ed", "%file%", 69}};
        s.AutoZoomRes = {1, 2, 3, 4};
        s.AdditionalFileFilter = "*.x";
        s.All = s.Loop = s.Overlapped = true;
        s.VideoSideBySide = true;
        s.SmallVidZoomToKeepAppVisible = false;
        s.ToolTips = false;
        s.UseMenuHotkeys = false;
        s.UseMCI = 1;
        s.OverlappedPlayTimeMS = 750;
        s.DeleteWithoutAsking = true;
        s.AvsForVDub = true;
        s.MaxTempFileSizeMB = 50;
        s.TempPath = env_.systemTempFolder;
        s.TempPath2 = "/t2/";
        s.HisExclude = {"/proc/", "/sys/"};
        s.SeekPreviewWidthMain = 200;
        s.SeekPreviewWidthFullscreenDivisor = 5;
        Store().SaveSettings(s, env_);
        QCOMPARE(IniText(),
                 std::string("[Settings]\nPath=/music/\nNonremovablePath=/home/u/\nLeft=120\nTop=-30\n"
                             "FontName=DejaVu Sans\nFontSize=10.5\n"
                             "CopyMoveToName1=+++\nCopyMoveToPath1=+++\nCopyMoveToName2=Dest\nCopyMoveToPath2=/d/\n"
                             "GoToNameA=Home\nGoToPathA=/home/\n"
                             "ShellName1=Ed\nShellPath1=/bin/ed\nShellParam1=%file%\nShellHotkey1=69\n"
                             "AutoZoomRes0=1\nAutoZoomRes1=2\nAutoZoomRes2=3\nAutoZoomRes3=4\n"
                             "AdditionalFileFilter=*.x\nAll=1\nLoop=1\nOverlapped=1\nVideoSideBySide=1\n"
                             "ToolTips=0\nUseMenuHotkeys=0\nUseMCI=1\nOverlappedPlayTimeMS=750\n"
                             "SmallVidZoomToKeepAppVisible=1\nDeleteWithoutAsking=1\nAvsForVDub=1\n"
                             "PathToDivFix=\nMaxTempFileSizeMB=50\nTempPath=\nTempPath2=/t2/\n"
                             "HisExclude0=/proc/\nHisExclude1=/sys/\n"
                             "SeekPreviewWidthMain=200\nSeekPreviewWidthFullscreenDivisor=5\n"));
    }

    void saveThenLoadRoundTrips()
    {
        Settings s;
        s.Path = Mkdir("music") + "/";
        s.CopyMoveTo = {{"A", "/a/"}, {"B", "/b/"}};
        s.GoTo = {{"G", "/g/"}};
        s.OpenWith = {{"Ed", "/bin/ed", "--x %file%", 12}, {"Vi", "/bin/vi", "", 0}};
        s.HisExclude = {"/proc/"};
        s.FontSize = 8.5;
        s.Left = 10;
        s.Top = 20;
        const SettingsStore store = Store();
        store.SaveSettings(s, env_);
        Settings loaded;
        store.ReadSettings(loaded, env_);
        QCOMPARE(loaded.Path, s.Path);
        QCOMPARE(loaded.CopyMoveTo, s.CopyMoveTo);
        QCOMPARE(loaded.GoTo, s.GoTo);
        QCOMPARE(loaded.OpenWith, s.OpenWith);
        QCOMPARE(loaded.HisExclude, s.HisExclude);
        QCOMPARE(loaded.FontSize, 8.5);
        QCOMPARE(loaded.Left, 10);
        QCOMPARE(loaded.Top, 20);
    }

    void historyExclusionKeepsPathOutOfTheFile()
    {
        // Spec: HisExclude0 "\Temp\", current folder C:\Temp (remembered as "C:\Temp\", tested as
        // "C:\Temp\\"). Here: "/Temp/" and the remembered folder "/Temp/", tested as "/Temp//".
        Settings s;
        s.HisExclude = {"/Temp/"};
        s.Path = "/Temp/";
        s.NonremovablePath = "/home/u/";
        Store().SaveSettings(s, env_);
        std::string text = IniText();
        QVERIFY(!HasKey(text, "Path"));
        QVERIFY(text.find("\nNonremovablePath=/home/u/\n") != std::string::npos);
        QVERIFY(text.find("\nHisExclude0=/Temp/\n") != std::string::npos);

        s.Path = "/Temporary/";      // "/Temporary//" does not hold "/Temp/"
        s.NonremovablePath = "/x/Temp/";
        Store().SaveSettings(s, env_);
        text = IniText();
        QVERIFY(text.find("\nPath=/Temporary/\n") != std::string::npos);
        QVERIFY(!HasKey(text, "NonremovablePath"));
    }

    void historyExclusionTest()
    {
        const std::vector<std::string> list{"/Temp/", "cache"};
        QVERIFY(IsExcludedFromHistory(list, "/Temp//"));
        QVERIFY(IsExcludedFromHistory(list, "/home/u/.cache/x//"));
        QVERIFY(!IsExcludedFromHistory(list, "/temp//"));  // case-sensitive
        QVERIFY(!IsExcludedFromHistory(list, "/Temp"));
        QVERIFY(!IsExcludedFromHistory({}, "/Temp//"));
    }

    void minimisedWindowDoesNotWritePosition()
    {
        Settings s;
        s.Left = 100;
        s.Top = 200;
        s.Minimized = true;
        Store().SaveSettings(s, env_);
        const std::string text = IniText();
        QVERIFY(!HasKey(text, "Left"));
        QVERIFY(!HasKey(text, "Top"));
        QVERIFY(text.find("\nNonremovablePath=\nFontName=MS Shell Dlg\n") != std::string::npos);
    }

    void emptyOpenWithListIsWrittenAsOneEmptyEntry()
    {
        Settings s;
        Store().SaveSettings(s, env_);
        QVERIFY(IniText().find("\nShellName1=\nShellPath1=\nShellParam1=\nShellHotkey1=0\nAutoZoomRes0=")
                != std::string::npos);
        const Settings loaded = LoadFrom("ShellName1=\nShellPath1=\nShellParam1=\nShellHotkey1=0\n");
        QVERIFY(loaded.OpenWith.empty());
    }

    void saveRereadsRepairToolPathFromTheFile()
    {
        const std::string tool = Path("edited-tool");
        WriteFile(tool, "#!/bin/sh\n");
        WriteIni("[Settings]\nPathToDivFix=" + tool + "\n");
        Settings s;
        s.PathToDivFix = "/in/memory/tool";
        Store().SaveSettings(s, env_);
        QCOMPARE(s.PathToDivFix, tool);
        QVERIFY(IniText().find("\nPathToDivFix=" + tool + "\n") != std::string::npos);

        WriteIni("[Settings]\nPathToDivFix=/no/such/tool\n");
        Store().SaveSettings(s, env_);
        QCOMPARE(s.PathToDivFix, std::string("/no/such/tool"));
        QVERIFY(IniText().find("\nPathToDivFix=\n") != std::string::npos);
    }

    void temporaryFoldersEqualToTheSystemOneAreWrittenEmpty()
    {
        Settings s;
        s.TempPath = "/data/tmp/";
        s.TempPath2 = env_.systemTempFolder;
        Store().SaveSettings(s, env_);
        QVERIFY(IniText().find("\nTempPath=/data/tmp/\nTempPath2=\n") != std::string::npos);
    }

    void failedRenameWritesKeysIntoTheExistingFile()
    {
        // A backup name that is a non-empty folder can be neither deleted nor replaced.
        QDir().mkpath(QString::fromStdString(Bak() + "/inside"));
        WriteIni("[Settings]\nFoo=bar\nPath=/old/\n");
        Settings s;
        s.Path = "/new/";
        Store().SaveSettings(s, env_);
        const std::string text = IniText();
        QVERIFY(text.starts_with("[Settings]\nFoo=bar\nPath=/new/\nNonremovablePath=\n"));
        QVERIFY(text.ends_with("\nSeekPreviewWidthFullscreenDivisor=6\n"));
    }

    void saveCopesWithAnUnwritableLocation()
    {
        const SettingsStore store(Path("missing/Vistrel.ini"), Path("missing/Vistrel.bak"));
        Settings s;
        store.ReadSettings(s, env_);  // loads defaults, the save fails silently
        QCOMPARE(s.OverlappedPlayTimeMS, 100);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(Path("missing"))));
    }

    // ---- interrupted save ----------------------------------------------------------------

    void saveInterruptedAfterRenameIsRecoveredWhenOnlyTheBackupExists()
    {
        const std::string previous = "[Settings]\nPath=/music/\nFontSize=12\nFoo=kept\n";
        WriteFile(Bak(), previous);
        Settings s;
        Store().ReadSettings(s, env_);
        QCOMPARE(s.Path, std::string("/music/"));
        QCOMPARE(s.FontSize, 12.0);
        QCOMPARE(IniText(), previous);  // renamed back; the file existed, so no save ran
        QVERIFY(!QFileInfo::exists(QString::fromStdString(Bak())));
    }

    void saveInterruptedWhileWritingIsRecoveredWhenBothExist()
    {
        const std::string previous = "[Settings]\nPath=/music/\nFontSize=12\n";
        WriteFile(Bak(), previous);
        WriteIni("[Settings]\nPath=/partial/\n");
        Settings s;
        Store().ReadSettings(s, env_);
        QCOMPARE(s.Path, std::string("/music/"));
        QCOMPARE(s.FontSize, 12.0);
        QCOMPARE(IniText(), previous);
        QVERIFY(!QFileInfo::exists(QString::fromStdString(Bak())));
    }

    // ---- window placement ----------------------------------------------------------------

    WindowPlacementInput Placement(int32_t x, int32_t y, std::vector<ScreenRect> others = {})
    {
        WindowPlacementInput in;
        in.X = x;
        in.Y = y;
        in.W = 400;
        in.H = 300;
        in.monitors = {{0, 0, 1920, 1080}};
        in.primaryHeight = 1080;
        in.otherInstances = std::move(others);
        in.captionHeight = 21;  // step 23
        return in;
    }

    static WindowPlacementResult Default() { return {true, 0, 0}; }
    static WindowPlacementResult Move(int32_t x, int32_t y) { return {false, x, y}; }

    void placementOnAMissingMonitorIsIgnored()
    {
        QCOMPARE(ComputeWindowPlacement(Placement(2500, 100)), Default());  // edge case
        QCOMPARE(ComputeWindowPlacement(Placement(1920, 100)), Default());  // touches only the edge
        QCOMPARE(ComputeWindowPlacement(Placement(-400, 100)), Default());
        QCOMPARE(ComputeWindowPlacement(Placement(100, 1080)), Default());
        QCOMPARE(ComputeWindowPlacement(Placement(1919, 1079)), Move(1919, 1079));  // one pixel shows
        WindowPlacementInput two = Placement(2500, 100);
        two.monitors.push_back({1920, 0, 1280, 1024});
        QCOMPARE(ComputeWindowPlacement(two), Move(2500, 100));
        two.X = -1000;
        two.monitors.push_back({-1280, 0, 1280, 1024});
        QCOMPARE(ComputeWindowPlacement(two), Move(-1000, 100));
        WindowPlacementInput none = Placement(100, 100);
        none.monitors.clear();
        QCOMPARE(ComputeWindowPlacement(none), Default());
    }

    void placementZeroZeroKeepsTheDefaultPosition()
    {
        QCOMPARE(ComputeWindowPlacement(Placement(0, 0)), Default());  // edge case
        QCOMPARE(ComputeWindowPlacement(Placement(0, 0, {{0, 0, 400, 300}})), Default());
        QCOMPARE(ComputeWindowPlacement(Placement(0, 50)), Move(0, 50));
        QCOMPARE(ComputeWindowPlacement(Placement(50, 0)), Move(50, 0));
    }

    void placementWithoutOtherInstancesMovesThere()
    {
        QCOMPARE(ComputeWindowPlacement(Placement(100, 100, {{300, 300, 400, 300}})), Move(100, 100));
    }

    void placementStepsBelowOtherInstancesRestartingTheWalk()
    {
        // The window at (100, 123) is passed first, matches only after the step from (100, 100).
        const std::vector<ScreenRect> others{{100, 123, 400, 300}, {500, 500, 400, 300}, {100, 100, 400, 300}};
        QCOMPARE(ComputeWindowPlacement(Placement(100, 100, others)), Move(100, 146));
        WindowPlacementInput bigCaption = Placement(100, 100, {{100, 100, 10, 10}});
        bigCaption.captionHeight = 30;
        QCOMPARE(ComputeWindowPlacement(bigCaption), Move(100, 132));
    }

    void placementIgnoresEmptyWindowsAndUsesAtMostTwenty()
    {
        QCOMPARE(ComputeWindowPlacement(Placement(100, 100, {{100, 100, 0, 300}, {100, 100, 400, 0}})),
                 Move(100, 100));
        std::vector<ScreenRect> others(20, ScreenRect{700, 700, 10, 10});
        others.push_back({100, 100, 400, 300});  // the 21st
        QCOMPARE(ComputeWindowPlacement(Placement(100, 100, others)), Move(100, 100));
        others.insert(others.begin(), ScreenRect{1, 1, 0, 0});  // empty ones do not count
        others.erase(others.begin() + 1);
        QCOMPARE(ComputeWindowPlacement(Placement(100, 100, others)), Move(100, 123));
    }

    void placementClampsToTheScreenBottom()
    {
        // 770 + 23 + 300 > 1080: Y = 1080 - 300.
        QCOMPARE(ComputeWindowPlacement(Placement(100, 770, {{100, 770, 400, 300}})), Move(100, 780));
        // 500 + 23 + 300 fits: no clamp.
        QCOMPARE(ComputeWindowPlacement(Placement(100, 500, {{100, 500, 400, 300}})), Move(100, 523));
    }

    void placementAtTheBottomRightFallsBackToZero()
    {
        // 757 + 23 = 780 = 1080 - 300 and X = 1920 - 400: X = Y = 0, then step 5 moves there.
        QCOMPARE(ComputeWindowPlacement(Placement(1520, 757, {{1520, 757, 400, 300}})), Move(0, 0));
        QCOMPARE(ComputeWindowPlacement(Placement(1519, 757, {{1519, 757, 400, 300}})), Move(1519, 780));
        QCOMPARE(ComputeWindowPlacement(Placement(1520, 780, {{1520, 780, 400, 300}})), Move(0, 0));
    }

    void placementWalkThatWouldNotEndFallsBackToZero()
    {
        // Another instance sits at the clamped bottom position, X is not at the right edge:
        // the walk would step to Y = 780 for ever.
        QCOMPARE(ComputeWindowPlacement(Placement(100, 780, {{100, 780, 400, 300}})), Move(0, 0));
        // 700, 723, 746, 769, then 792 is clamped to 780, where another instance sits.
        const std::vector<ScreenRect> others{{100, 780, 400, 300}, {100, 700, 400, 300}, {100, 723, 400, 300},
                                             {100, 746, 400, 300}, {100, 769, 400, 300}};
        QCOMPARE(ComputeWindowPlacement(Placement(100, 700, others)), Move(0, 0));
        // Two steps down, then nobody there: the walk ends normally.
        QCOMPARE(ComputeWindowPlacement(Placement(100, 700, {{100, 700, 400, 300}, {100, 723, 400, 300}})),
                 Move(100, 746));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_part_1_2_settings.moc"
