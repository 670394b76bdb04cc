#pragma once
// The settings store. The INI file's section "Settings", the typed primitives
// ReadSetting / SaveSetting, the in-memory record of all settings, the bulk load and save.
// Applying settings to the main window (placement, fonts, tool tips, check boxes, menus,
// media-interface label) is the main window's business; this code only fills the record.
#include "browser/DestinationLists.h"
#include "support/NumericText.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vistrel {

constexpr const char* kSettingsSection = "Settings";
constexpr int kMaxHisExcludeIndex = 100;     // HisExclude0 .. HisExclude100
constexpr const char* kRepairToolName = "DivFix";  // the AVI repair tool, beside the program or installed

// Every setting that the bulk load reads and the bulk save writes. The
// initial values are those a missing INI file yields (PathToDivFix, TempPath and TempPath2
// depend on the environment and are set by the load).
struct Settings {
    std::string Path;              // remembered current folder, with a trailing "/"
    std::string NonremovablePath;  // remembered folder on a fixed or RAM drive
    int32_t Left = 0;              // screen pixels as loaded; 0, 0 = default position
    int32_t Top = 0;
    bool Minimized = false;        // save only: Left and Top are not written while minimised
    std::string FontName = "MS Shell Dlg";
    double FontSize = 9;           // 0 = the designed font sizes; otherwise 7..14
    bool UseMenuHotkeys = true;
    int32_t UseMCI = 0;            // MediaInterface: 0 DirectShow, 1 MCI
    int32_t TryOtherInterface = 1; // 1: a file the chosen back end refuses is tried on the other
    std::vector<PathItem> CopyMoveTo;
    std::vector<PathItem> GoTo;
    std::vector<OpenWithItem> OpenWith;
    std::array<int32_t, 4> AutoZoomRes{32, 384, 480, 800};
    double OverScanPercent = 10;
    std::string AdditionalFileFilter;
    bool All = false;              // check-box states
    bool Loop = false;
    bool Overlapped = false;
    bool VideoSideBySide = false;
    int32_t OverlappedPlayTimeMS = 100;
    bool SmallVidZoomToKeepAppVisible = false;  // read only; the save writes VideoSideBySide
    bool DeleteWithoutAsking = false;
    bool ToolTips = true;
    std::string PathToDivFix;      // full path of the repair tool, or empty
    int32_t MaxTempFileSizeMB = 10;
    std::string TempPath;          // with a trailing "/"
    std::string TempPath2;         // with a trailing "/", or empty
    bool AvsForVDub = false;
    std::vector<std::string> HisExclude;
    int32_t SeekPreviewWidthMain = 160;
    int32_t SeekPreviewWidthFullscreenDivisor = 6;
    bool SeekPreviewWithMCI = false;  // the GStreamer preview serves MCI titles too
};

// What the bulk load and save need from outside.
struct SettingsEnvironment {
    // Whether DirectShow (GStreamer's playbin) can be used; asked only when UseMCI is 0.
    // An empty function counts as "not available".
    std::function<bool()> isDirectShowAvailable;
    std::string programFolder;     // with a trailing "/": where "DivFix" is looked for
    std::string systemTempFolder;  // with a trailing "/"
};

std::string SystemTempFolder();  // $TMPDIR with a trailing "/", or "/tmp/"
// The configured repair tool when it exists, else "DivFix" beside the program, else in the
// helper folder of an installed copy; "" when there is none.
std::string FindRepairTool(const std::string& configured, const std::string& programFolder);
// The program's folder (from ProgramPath()) and SystemTempFolder().
SettingsEnvironment MakeSettingsEnvironment(std::function<bool()> isDirectShowAvailable);

// True when an entry of `list` occurs in `folder` (case-sensitive substring, list order).
bool IsExcludedFromHistory(const std::vector<std::string>& list, const std::string& folder);

// The INI file and its backup, as start-up names them. The value's type decides the
// conversion (see support/NumericText.h). Nothing here throws or reports write failures.
class SettingsStore {
public:
    SettingsStore(std::string iniFile, std::string iniBackupFile);

    const std::string& IniPath() const { return iniFile_; }
    const std::string& BackupPath() const { return iniBackupFile_; }

    // Reads `key`, `defaultText` when it is missing. An empty value gives "", false, 0.
    void ReadSetting(std::string& value, const std::string& key, const std::string& defaultText) const;
    void ReadSetting(bool& value, const std::string& key, const std::string& defaultText) const;
    void ReadSetting(int32_t& value, const std::string& key, const std::string& defaultText) const;
    void ReadSetting(int16_t& value, const std::string& key, const std::string& defaultText) const;
    void ReadSetting(double& value, const std::string& key, const std::string& defaultText) const;

    void SaveSetting(const std::string& value, const std::string& key) const;
    void SaveSetting(const char* value, const std::string& key) const;  // not the bool overload
    void SaveSetting(bool value, const std::string& key) const;
    void SaveSetting(int32_t value, const std::string& key) const;
    void SaveSetting(int16_t value, const std::string& key) const;
    void SaveSetting(double value, const std::string& key) const;

    // Bulk load of every setting with its limits and fall-backs, preceded by the recovery of
    // an interrupted save. When the INI file did not exist, the defaults are saved at once.
    void ReadSettings(Settings& settings, const SettingsEnvironment& env) const;
    // Bulk save. PathToDivFix is first re-read from the file into `settings`, so that an edit
    // made in the file while the program ran survives.
    void SaveSettings(Settings& settings, const SettingsEnvironment& env) const;

    // Keys that only other windows read, never written.
    int32_t ReadSeekPreviewBackColor() const;      // "&H00404040"
    int32_t ReadSeekPreviewTextColor() const;      // "&H00FFFFFF"
    int32_t ReadCurrentFileDefaultVolume() const;  // "750"

private:
    std::string ReadText(const std::string& key, const std::string& defaultText) const;
    void WriteText(const std::string& key, const std::string& text) const;

    std::string iniFile_;
    std::string iniBackupFile_;
    mutable bool writeFailed_ = false;  // a key of the running save could not be written
};

// The conversion of numbers to stored texts, exposed for the tests.
// The general number format (up to 15 significant digits, no group separators) written
// with ASCII digits, "-" and "." whatever the locale: see the comment in Settings.cpp.
std::string FormatSettingNumber(double value);

}  // namespace vistrel
