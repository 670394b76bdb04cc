#pragma once
// Process-wide values set at start-up: the command line's argument, the settings file's
// names, the screen's twips per pixel and the system version. The path routines are in
// support/FilePaths.h.
#include "support/AppTitle.h"
#include "support/FilePaths.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace vistrel {

struct OSVersionInfo {
    bool IsNT = false;
    int32_t Major = 0;
    int32_t Minor = 0;
    int32_t Build = 0;
    int32_t VersionCode = 0;
};

namespace program {
inline std::string CommandLineArg;
inline std::string IniFile;
inline std::string IniBackupFile;
inline int32_t TwipsPerPixelX = 15;
inline int32_t TwipsPerPixelY = 15;
inline OSVersionInfo OSVersion;
inline int32_t FileShareMode = 7;
inline std::array<int32_t, 4> AutoZoomSteps{};
}  // namespace program

constexpr int32_t FILE_SHARE_READ_WRITE_DELETE = 7;
constexpr int32_t FILE_SHARE_READ_WRITE = 3;
constexpr std::array<int32_t, 4> kAutoZoomSteps{300, 200, 142, 100};


// One answer to "which system version is this?" (major, minor, build, platform id 2 for
// the current family); `ok` is false when the query failed.
struct VersionQuery {
    bool ok = false;
    int32_t Major = 0, Minor = 0, Build = 0, PlatformId = 0;
};
int32_t ComputeVersionCode(int32_t major, int32_t minor);
// The version from `first`; from version code 0x602 upward `first` may under-report, so
// `second` is asked then and its answer, when it has one, wins.
OSVersionInfo GetOSVersion(const VersionQuery& first, const std::function<VersionQuery()>& second);
// From uname(2): the kernel release "6.1.0-18-amd64" gives 6, 1, 0; IsNT is true.
VersionQuery UnameVersion();
OSVersionInfo GetOSVersion();
void SetProcessPriority();

int32_t TwipsPerPixelFromDpi(double logicalDpi);

// The settings file and its backup: named after the program file ("VISTREL" written as
// "Vistrel"), beside it when `canWrite` says its folder is writable, else in
// `configFolder` (the XDG config folder's "vistrel" subfolder).
struct IniNames {
    std::string IniFile;
    std::string IniBackupFile;
};
IniNames MakeIniNames(const std::string& programPath, bool canWrite, const std::string& configFolder);
std::string ProgramPath();           // /proc/self/exe
std::string XdgConfigFolder();       // $XDG_CONFIG_HOME/vistrel/ or ~/.config/vistrel/
std::string CurrentDirectory();      // empty when it cannot be read

}  // namespace vistrel
