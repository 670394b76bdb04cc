#include "app/ProgramValues.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace vistrel {

int32_t ComputeVersionCode(int32_t major, int32_t minor)
{
    return (major >= 10 ? major + 6 : major) * 256 + minor;
}

OSVersionInfo GetOSVersion(const VersionQuery& first, const std::function<VersionQuery()>& second)
{
    OSVersionInfo v;
    v.Major = first.Major;
    v.Minor = first.Minor;
    v.Build = first.Build;
    v.IsNT = first.PlatformId == 2;
    v.VersionCode = ComputeVersionCode(v.Major, v.Minor);
    if (v.VersionCode >= 0x602 && second) {
        const VersionQuery real = second();
        if (real.ok) {
            v.Major = real.Major;
            v.Minor = real.Minor;
            v.Build = real.Build;
            v.VersionCode = ComputeVersionCode(v.Major, v.Minor);
        }
    }
    return v;
}

VersionQuery UnameVersion()
{
    VersionQuery q;
    q.PlatformId = 2;
    struct utsname u {};
    if (::uname(&u) != 0)
        return q;
    q.ok = true;
    const char* p = u.release;
    int32_t* parts[] = {&q.Major, &q.Minor, &q.Build};
    for (int32_t* part : parts) {
        char* end = nullptr;
        const long n = std::strtol(p, &end, 10);
        if (end == p)
            break;
        *part = static_cast<int32_t>(n);
        p = *end == '.' ? end + 1 : end;
    }
    return q;
}

OSVersionInfo GetOSVersion()
{
    return GetOSVersion(UnameVersion(), UnameVersion);
}

void SetProcessPriority()
{
    ::setpriority(PRIO_PROCESS, 0, -5);  // may be refused without privileges: ignored
}

int32_t TwipsPerPixelFromDpi(double logicalDpi)
{
    if (logicalDpi <= 0)
        return 15;
    return static_cast<int32_t>(std::lround(1440.0 / logicalDpi));
}

IniNames MakeIniNames(const std::string& programPath, bool canWrite, const std::string& configFolder)
{
    const auto slash = programPath.rfind('/');
    const std::string folder = AddTrailingSlash(slash == std::string::npos ? "" : programPath.substr(0, slash));
    std::string base = GetFileNamePart(programPath);
    if (const auto dot = base.rfind('.'); dot != std::string::npos && dot > 0)
        base.erase(dot);
    for (auto pos = base.find("VISTREL"); pos != std::string::npos; pos = base.find("VISTREL", pos + 7))
        base.replace(pos, 7, "Vistrel");
    const std::string where = canWrite ? folder : AddTrailingSlash(configFolder);
    return {where + base + ".ini", where + base + ".bak"};
}

std::string ProgramPath()
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string{};
}

std::string XdgConfigFolder()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/')
        return AddTrailingSlash(xdg) + "vistrel/";
    const char* home = std::getenv("HOME");
    return AddTrailingSlash(home ? home : "") + ".config/vistrel/";
}

std::string CurrentDirectory()
{
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string{};
}

}  // namespace vistrel
