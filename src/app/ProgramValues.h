#pragma once
// Part 1.1: process-wide values and the small text and path routines.
// Paths are POSIX: the spec's "\" is "/" (DESIGN.md section 3).
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


// One version query: what GetVersionExA or RtlGetVersion report.
struct VersionQuery {
    bool ok = false;
    int32_t Major = 0, Minor = 0, Build = 0, PlatformId = 0;
};
int32_t ComputeVersionCode(int32_t major, int32_t minor);
// Algorithm C: `first` is the general query, `second` the one asked from 6.2 upward.
OSVersionInfo GetOSVersion(const VersionQuery& first, const std::function<VersionQuery()>& second);
// From uname(2): the kernel release "6.1.0-18-amd64" gives 6, 1, 0; IsNT is true.
VersionQuery UnameVersion();
OSVersionInfo GetOSVersion();
void SetProcessPriority();

int32_t TwipsPerPixelFromDpi(double logicalDpi);

// Part 1.1 D. `canWrite` tells whether the program's folder is writable; when it is not,
// the INI file lies in `configFolder` (the XDG config folder's "vistrel" subfolder).
struct IniNames {
    std::string IniFile;
    std::string IniBackupFile;
};
IniNames MakeIniNames(const std::string& programPath, bool canWrite, const std::string& configFolder);
std::string ProgramPath();           // /proc/self/exe
std::string XdgConfigFolder();       // $XDG_CONFIG_HOME/vistrel/ or ~/.config/vistrel/
std::string CurrentDirectory();      // empty when it cannot be read

}  // namespace vistrel
