#include "app/Settings.h"

#include "app/IniFile.h"
#include "app/ProgramValues.h"
#include "support/FilePaths.h"

#include <QLocale>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace vistrel {

namespace {

// ---- value conversion -------------------------------------------------------------------

// The profile read trims blanks and removes one pair of enclosing quotes. A text that
// either would change is written inside quotes, so that it reads back as it was.
std::string ProtectForReading(const std::string& text)
{
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const bool blankAtEnds = !text.empty() && (isBlank(text.front()) || isBlank(text.back()));
    const bool quoted = text.size() >= 2 && text.front() == text.back()
        && (text.front() == '"' || text.front() == '\'');
    return blankAtEnds || quoted ? '"' + text + '"' : text;
}

// ---- keys -------------------------------------------------------------------------------

std::string NumberSuffix(int i) { return std::to_string(i); }
std::string LetterSuffix(int i) { return std::string(1, static_cast<char>(64 + i)); }  // 1 = "A"
using KeySuffix = std::string (*)(int);

std::string ReadString(const SettingsStore& store, const std::string& key)
{
    std::string value;
    store.ReadSetting(value, key, "");
    return value;
}

// A check-box state is a whole number; any non-zero value ticks the box.
bool ReadCheckBox(const SettingsStore& store, const std::string& key)
{
    int32_t state = 0;
    store.ReadSetting(state, key, "0");
    return state != 0;
}

// ---- bulk load --------------------------------------------------------------------------

// A save renames the INI file to its backup, writes every key
// into a new INI file and deletes the backup at the end. A backup found at load therefore
// means that a save was interrupted:
// - the INI file is missing: the save stopped before its first key; the backup is the
//   last complete file and is renamed back;
// - both exist: the save stopped while writing keys; the INI file is partial and the
//   backup is still the last complete file, so it replaces the INI file (rename(2)
//   replaces the target in one step).
// Errors are ignored: the load then reads what is there.
void RestoreInterruptedSave(const std::string& iniFile, const std::string& backupFile)
{
    if (FileExists(backupFile))
        ::rename(backupFile.c_str(), iniFile.c_str());
}

void ReadStartFolders(const SettingsStore& store, Settings& s)
{
    if (std::string path = ReadString(store, "Path"); !path.empty())
        s.Path = std::move(path);
    s.NonremovablePath = ReadString(store, "NonremovablePath");
}

void ReadFont(const SettingsStore& store, Settings& s)
{
    store.ReadSetting(s.FontName, "FontName", "MS Shell Dlg");
    store.ReadSetting(s.FontSize, "FontSize", "9");
    if (s.FontSize != 0)  // 0 keeps the designed font sizes
        s.FontSize = std::clamp(s.FontSize, 7.0, 14.0);
}

void ReadMediaInterface(const SettingsStore& store, Settings& s, const SettingsEnvironment& env)
{
    store.ReadSetting(s.UseMCI, "UseMCI", "0");
    s.UseMCI = std::clamp(s.UseMCI, 0, 1);
    if (s.UseMCI == 0 && !(env.isDirectShowAvailable && env.isDirectShowAvailable()))
        s.UseMCI = 1;
    store.ReadSetting(s.TryOtherInterface, "TryOtherInterface", "1");
    s.TryOtherInterface = std::clamp(s.TryOtherInterface, 0, 1);
}

// Entries without a path are skipped, so gaps in the numbering close up.
std::vector<PathItem> ReadPathList(const SettingsStore& store, const std::string& nameStem,
                                   const std::string& pathStem, KeySuffix suffix)
{
    std::vector<PathItem> list;
    for (int i = 1; i <= kMaxListEntries; ++i) {
        std::string name = ReadString(store, nameStem + suffix(i));
        std::string path = ReadString(store, pathStem + suffix(i));
        if (path.empty())
            continue;
        list.push_back({name.empty() ? path : std::move(name), std::move(path)});
    }
    return list;
}

// An entry with an empty name is skipped with all its keys.
std::vector<OpenWithItem> ReadOpenWithList(const SettingsStore& store)
{
    std::vector<OpenWithItem> list;
    for (int i = 1; i <= kMaxListEntries; ++i) {
        const std::string n = NumberSuffix(i);
        OpenWithItem item;
        item.Name = ReadString(store, "ShellName" + n);
        if (item.Name.empty())
            continue;
        store.ReadSetting(item.Path, "ShellPath" + n, "");
        store.ReadSetting(item.Param, "ShellParam" + n, "");
        store.ReadSetting(item.Hotkey, "ShellHotkey" + n, "");
        list.push_back(std::move(item));
    }
    return list;
}

void ReadLists(const SettingsStore& store, Settings& s)
{
    s.CopyMoveTo = ReadPathList(store, "CopyMoveToName", "CopyMoveToPath", NumberSuffix);
    s.GoTo = ReadPathList(store, "GoToName", "GoToPath", LetterSuffix);
    s.OpenWith = ReadOpenWithList(store);
}

void ReadZoomAndFilter(const SettingsStore& store, Settings& s)
{
    static constexpr const char* kAutoZoomResDefaults[4] = {"32", "384", "480", "800"};
    for (int i = 0; i < 4; ++i)
        store.ReadSetting(s.AutoZoomRes[i], "AutoZoomRes" + NumberSuffix(i), kAutoZoomResDefaults[i]);
    store.ReadSetting(s.OverScanPercent, "OverScanPercent", "10");
    s.OverScanPercent = std::clamp(s.OverScanPercent, -20.0, 20.0);
    store.ReadSetting(s.AdditionalFileFilter, "AdditionalFileFilter", "");
}

void ReadPlayOptions(const SettingsStore& store, Settings& s)
{
    s.All = ReadCheckBox(store, "All");
    s.Loop = ReadCheckBox(store, "Loop");
    s.Overlapped = ReadCheckBox(store, "Overlapped");
    s.VideoSideBySide = ReadCheckBox(store, "VideoSideBySide");
    store.ReadSetting(s.OverlappedPlayTimeMS, "OverlappedPlayTimeMS", "0");
    s.OverlappedPlayTimeMS = std::clamp(s.OverlappedPlayTimeMS, 100, 2000);
    s.SmallVidZoomToKeepAppVisible = ReadCheckBox(store, "SmallVidZoomToKeepAppVisible");
    store.ReadSetting(s.DeleteWithoutAsking, "DeleteWithoutAsking", "0");
    store.ReadSetting(s.ToolTips, "ToolTips", "1");
}


std::string ReadTempFolder(const SettingsStore& store, const std::string& key, const SettingsEnvironment& env)
{
    const std::string folder = AddTrailingSlash(ReadString(store, key));
    return FileExists(folder) ? folder : env.systemTempFolder;
}

void ReadTemporaryFiles(const SettingsStore& store, Settings& s, const SettingsEnvironment& env)
{
    s.PathToDivFix = FindRepairTool(ReadString(store, "PathToDivFix"), env.programFolder);
    store.ReadSetting(s.MaxTempFileSizeMB, "MaxTempFileSizeMB", "");  // 0 (or missing) means the default
    s.MaxTempFileSizeMB = s.MaxTempFileSizeMB == 0 ? 10 : std::clamp(s.MaxTempFileSizeMB, 1, 100);
    s.TempPath = ReadTempFolder(store, "TempPath", env);
    s.TempPath2 = ReadTempFolder(store, "TempPath2", env);
    if (s.TempPath2 == s.TempPath)  // one folder is not a second place for temporary copies
        s.TempPath2.clear();
    store.ReadSetting(s.AvsForVDub, "AvsForVDub", "");
}

std::vector<std::string> ReadHisExcludeList(const SettingsStore& store)
{
    std::vector<std::string> list;
    for (int i = 0; i <= kMaxHisExcludeIndex; ++i) {
        std::string entry = ReadString(store, "HisExclude" + NumberSuffix(i));
        if (entry.empty())
            break;
        list.push_back(std::move(entry));
    }
    return list;
}

void ReadSeekPreview(const SettingsStore& store, Settings& s)
{
    store.ReadSetting(s.SeekPreviewWidthMain, "SeekPreviewWidthMain", "160");
    store.ReadSetting(s.SeekPreviewWidthFullscreenDivisor, "SeekPreviewWidthFullscreenDivisor", "6");
    s.SeekPreviewWidthFullscreenDivisor = std::clamp(s.SeekPreviewWidthFullscreenDivisor, 2, 10);
    store.ReadSetting(s.SeekPreviewWithMCI, "SeekPreviewWithMCI", "0");
}

// ---- bulk save --------------------------------------------------------------------------

void SaveWindowAndFont(const SettingsStore& store, const Settings& s)
{
    // The remembered folders end with "/"; the history test appends one more.
    if (!IsExcludedFromHistory(s.HisExclude, s.Path + "/"))
        store.SaveSetting(s.Path, "Path");
    if (!IsExcludedFromHistory(s.HisExclude, s.NonremovablePath + "/"))
        store.SaveSetting(s.NonremovablePath, "NonremovablePath");
    if (!s.Minimized) {
        store.SaveSetting(s.Left, "Left");
        store.SaveSetting(s.Top, "Top");
    }
    store.SaveSetting(s.FontName, "FontName");
    store.SaveSetting(s.FontSize, "FontSize");
}

// Written densely from number 1 (letter "A"), so a save renumbers the list.
void SavePathList(const SettingsStore& store, const std::vector<PathItem>& list,
                  const std::string& nameStem, const std::string& pathStem, KeySuffix suffix)
{
    const int count = std::min(static_cast<int>(list.size()), kMaxListEntries);
    for (int i = 1; i <= count; ++i) {
        store.SaveSetting(list[i - 1].Name, nameStem + suffix(i));
        store.SaveSetting(list[i - 1].Path, pathStem + suffix(i));
    }
}

// An empty list is written as one empty entry: ShellName1 .. ShellParam1 empty, ShellHotkey1 "0".
void SaveOpenWithList(const SettingsStore& store, const std::vector<OpenWithItem>& list)
{
    static const std::vector<OpenWithItem> kEmptyList{OpenWithItem{}};
    const std::vector<OpenWithItem>& items = list.empty() ? kEmptyList : list;
    const int count = std::min(static_cast<int>(items.size()), kMaxListEntries);
    for (int i = 1; i <= count; ++i) {
        const OpenWithItem& item = items[i - 1];
        const std::string n = NumberSuffix(i);
        store.SaveSetting(item.Name, "ShellName" + n);
        store.SaveSetting(item.Path, "ShellPath" + n);
        store.SaveSetting(item.Param, "ShellParam" + n);
        store.SaveSetting(item.Hotkey, "ShellHotkey" + n);
    }
}

void SaveLists(const SettingsStore& store, const Settings& s)
{
    SavePathList(store, s.CopyMoveTo, "CopyMoveToName", "CopyMoveToPath", NumberSuffix);
    SavePathList(store, s.GoTo, "GoToName", "GoToPath", LetterSuffix);
    SaveOpenWithList(store, s.OpenWith);
}

void SaveOptions(const SettingsStore& store, const Settings& s)
{
    for (int i = 0; i < 4; ++i)
        store.SaveSetting(s.AutoZoomRes[i], "AutoZoomRes" + NumberSuffix(i));
    store.SaveSetting(s.AdditionalFileFilter, "AdditionalFileFilter");
    store.SaveSetting(s.All, "All");
    store.SaveSetting(s.Loop, "Loop");
    store.SaveSetting(s.Overlapped, "Overlapped");
    store.SaveSetting(s.VideoSideBySide, "VideoSideBySide");
    store.SaveSetting(s.ToolTips, "ToolTips");
    store.SaveSetting(s.UseMenuHotkeys, "UseMenuHotkeys");
    store.SaveSetting(s.UseMCI, "UseMCI");
    store.SaveSetting(s.OverlappedPlayTimeMS, "OverlappedPlayTimeMS");
    // Deliberately the side-by-side state: the key is read on its own but always follows it
    // in the file, as files written so far have it.
    store.SaveSetting(s.VideoSideBySide, "SmallVidZoomToKeepAppVisible");
    store.SaveSetting(s.DeleteWithoutAsking, "DeleteWithoutAsking");
    store.SaveSetting(s.AvsForVDub, "AvsForVDub");
}

std::string UnlessSystemTemp(const std::string& folder, const SettingsEnvironment& env)
{
    return folder == env.systemTempFolder ? std::string{} : folder;
}

void SaveTemporaryFiles(const SettingsStore& store, const Settings& s, const SettingsEnvironment& env)
{
    store.SaveSetting(FileExists(s.PathToDivFix) ? s.PathToDivFix : std::string{}, "PathToDivFix");
    store.SaveSetting(s.MaxTempFileSizeMB, "MaxTempFileSizeMB");
    store.SaveSetting(UnlessSystemTemp(s.TempPath, env), "TempPath");
    store.SaveSetting(UnlessSystemTemp(s.TempPath2, env), "TempPath2");
}

void SaveHisExcludeList(const SettingsStore& store, const std::vector<std::string>& list)
{
    for (size_t i = 0; i < list.size(); ++i)
        store.SaveSetting(list[i], "HisExclude" + std::to_string(i));
}

void SaveSeekPreview(const SettingsStore& store, const Settings& s)
{
    store.SaveSetting(s.SeekPreviewWidthMain, "SeekPreviewWidthMain");
    store.SaveSetting(s.SeekPreviewWidthFullscreenDivisor, "SeekPreviewWidthFullscreenDivisor");
    // Written only when asked for, so the file of a default setup stays as it was.
    if (s.SeekPreviewWithMCI)
        store.SaveSetting(true, "SeekPreviewWithMCI");
}

}  // namespace

// The configured tool when it exists, else "DivFix" beside the program (the build folder, an
// unpacked copy), else in the helper folder of an installed copy (<prefix>/libexec/vistrel/
// for <prefix>/bin/vistrel), where the tool's generic name stays off the user's PATH.
std::string FindRepairTool(const std::string& configured, const std::string& programFolder)
{
    if (FileExists(configured))
        return configured;
    if (programFolder.empty())
        return {};
    const std::string folder = AddTrailingSlash(programFolder);
    for (const std::string& candidate : {folder + kRepairToolName, folder + VISTREL_HELPERS_FROM_PROGRAM + kRepairToolName}) {
        if (FileExists(candidate))
            return std::filesystem::path(candidate).lexically_normal().string();
    }
    return {};
}

// ---- public functions -------------------------------------------------------------------

// Numbers are written in the general format with "." as the decimal point, which is what
// existing files hold and what LeadingNumericValue reads. The current locale's format with
// "," replaced by "." would give that for English, German, French and the like, but not
// for locales with another minus sign (Swedish, Finnish and Norwegian use U+2212, so
// Left=-1920 would read back as 0) or other digits (Persian, Arabic). So the C locale's
// format without group separators is written for all: the file reads the same everywhere.
std::string FormatSettingNumber(double value)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator);
    return c.toString(value, 'g', 15).replace(QLatin1Char(','), QLatin1Char('.')).toStdString();
}

std::string SystemTempFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return tmp && *tmp ? AddTrailingSlash(tmp) : std::string("/tmp/");
}

SettingsEnvironment MakeSettingsEnvironment(std::function<bool()> isDirectShowAvailable)
{
    const std::string program = ProgramPath();
    return {std::move(isDirectShowAvailable), program.substr(0, program.rfind('/') + 1), SystemTempFolder()};
}

bool IsExcludedFromHistory(const std::vector<std::string>& list, const std::string& folder)
{
    return std::any_of(list.begin(), list.end(),
                       [&](const std::string& entry) { return folder.find(entry) != std::string::npos; });
}

SettingsStore::SettingsStore(std::string iniFile, std::string iniBackupFile)
    : iniFile_(std::move(iniFile)), iniBackupFile_(std::move(iniBackupFile))
{
}

std::string SettingsStore::ReadText(const std::string& key, const std::string& defaultText) const
{
    return vistrel::IniFile(iniFile_).ReadString(kSettingsSection, key, defaultText);
}

void SettingsStore::WriteText(const std::string& key, const std::string& text) const
{
    if (!vistrel::IniFile(iniFile_).WriteString(kSettingsSection, key, text))
        writeFailed_ = true;
}

void SettingsStore::ReadSetting(std::string& value, const std::string& key, const std::string& defaultText) const
{
    value = ReadText(key, defaultText);
}

void SettingsStore::ReadSetting(bool& value, const std::string& key, const std::string& defaultText) const
{
    value = LeadingNumericValue(ReadText(key, defaultText)) != 0;
}

void SettingsStore::ReadSetting(int32_t& value, const std::string& key, const std::string& defaultText) const
{
    value = ToWhole<int32_t>(LeadingNumericValue(ReadText(key, defaultText)));
}

void SettingsStore::ReadSetting(int16_t& value, const std::string& key, const std::string& defaultText) const
{
    value = ToWhole<int16_t>(LeadingNumericValue(ReadText(key, defaultText)));
}

void SettingsStore::ReadSetting(double& value, const std::string& key, const std::string& defaultText) const
{
    value = LeadingNumericValue(ReadText(key, defaultText));
}

void SettingsStore::SaveSetting(const std::string& value, const std::string& key) const
{
    WriteText(key, ProtectForReading(value));
}

void SettingsStore::SaveSetting(const char* value, const std::string& key) const
{
    SaveSetting(std::string(value ? value : ""), key);
}

void SettingsStore::SaveSetting(bool value, const std::string& key) const
{
    WriteText(key, value ? "1" : "0");
}

void SettingsStore::SaveSetting(int32_t value, const std::string& key) const
{
    WriteText(key, FormatSettingNumber(value));
}

void SettingsStore::SaveSetting(int16_t value, const std::string& key) const
{
    WriteText(key, FormatSettingNumber(value));
}

void SettingsStore::SaveSetting(double value, const std::string& key) const
{
    WriteText(key, FormatSettingNumber(value));
}

void SettingsStore::ReadSettings(Settings& s, const SettingsEnvironment& env) const
{
    RestoreInterruptedSave(iniFile_, iniBackupFile_);
    const bool iniExisted = FileExists(iniFile_);
    ReadStartFolders(*this, s);
    ReadSetting(s.Left, "Left", "");
    ReadSetting(s.Top, "Top", "");
    ReadFont(*this, s);
    ReadSetting(s.UseMenuHotkeys, "UseMenuHotkeys", "1");
    ReadMediaInterface(*this, s, env);
    ReadLists(*this, s);
    ReadZoomAndFilter(*this, s);
    ReadPlayOptions(*this, s);
    ReadTemporaryFiles(*this, s, env);
    s.HisExclude = ReadHisExcludeList(*this);
    ReadSeekPreview(*this, s);
    if (!iniExisted)  // the first start writes every key with its default, for editing by hand
        SaveSettings(s, env);
}

void SettingsStore::SaveSettings(Settings& s, const SettingsEnvironment& env) const
{
    ReadSetting(s.PathToDivFix, "PathToDivFix", "");  // an edit made in the file survives
    ::unlink(iniBackupFile_.c_str());                 // errors ignored: when the rename fails,
    ::rename(iniFile_.c_str(), iniBackupFile_.c_str());  // the keys go into the file in place
    writeFailed_ = false;
    SaveWindowAndFont(*this, s);
    SaveLists(*this, s);
    SaveOptions(*this, s);
    SaveTemporaryFiles(*this, s, env);
    SaveHisExcludeList(*this, s.HisExclude);
    SaveSeekPreview(*this, s);
    SaveSetting(s.TryOtherInterface, "TryOtherInterface");  // after the older keys, whose order files keep
    // A save that could not write every key (a full disk) leaves the last complete file.
    if (writeFailed_)
        RestoreInterruptedSave(iniFile_, iniBackupFile_);
    else
        ::unlink(iniBackupFile_.c_str());  // the save is over: the backup goes
}

int32_t SettingsStore::ReadSeekPreviewBackColor() const
{
    int32_t color = 0;
    ReadSetting(color, "SeekPreviewBackColor", "&H00404040");
    return color;
}

int32_t SettingsStore::ReadSeekPreviewTextColor() const
{
    int32_t color = 0;
    ReadSetting(color, "SeekPreviewTextColor", "&H00FFFFFF");
    return color;
}

int32_t SettingsStore::ReadCurrentFileDefaultVolume() const
{
    int32_t volume = 0;
    ReadSetting(volume, "CurrentFileDefaultVolume", "750");
    return volume;
}

}  // namespace vistrel
