#include "app/basMain.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace vistrel {

namespace {

bool StatPath(const std::string& path, struct stat& st)
{
    return ::stat(path.c_str(), &st) == 0;
}

// Length in bytes of the first `chars` UTF-8 code points of `text`.
size_t Utf8Prefix(const std::string& text, size_t chars)
{
    size_t i = 0;
    for (size_t n = 0; i < text.size() && n < chars; ++n) {
        ++i;
        while (i < text.size() && (static_cast<uint8_t>(text[i]) & 0xC0) == 0x80)
            ++i;
    }
    return i;
}

}  // namespace

bool FileExists(const std::string& path, const std::string& base)
{
    if (TrimBlanks(path).empty())
        return false;
    struct stat st {};
    if (StatPath(path, st) || errno == EACCES)
        return true;
    if (base.empty())
        return false;
    return FileExists(AddBackslash(base) + path, {});
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return !path.empty() && StatPath(path, st) && S_ISDIR(st.st_mode);
}

std::string AddBackslash(const std::string& text)
{
    if (text.empty() || text.back() == '/')
        return text;
    return text + '/';
}

std::string TrimBlanks(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string TrimAtNull(const std::string& text)
{
    std::string t = TrimBlanks(text);
    const auto nul = t.find('\0');
    if (!t.empty() && nul != std::string::npos)
        t = TrimBlanks(t.substr(0, nul));
    return t;
}

std::string GetContainingFolder(const std::string& path)
{
    std::string p = path;
    while (!IsFolder(p)) {
        if (!p.empty() && p.back() == '/')
            p.pop_back();
        const auto slash = p.rfind('/');
        if (slash == std::string::npos)
            return {};
        p.erase(slash + 1);
    }
    return p;
}

std::string GetNearestExistingFolder(const std::string& path)
{
    if (IsFolder(path))
        return path;
    std::string p = path;
    for (;;) {
        const auto slash = p.rfind('/');
        if (slash == std::string::npos || p == "/")
            return {};
        p = slash == 0 ? "/" : p.substr(0, slash);
        if (IsFolder(p))
            return AddBackslash(p);
    }
}

std::string GetFileNamePart(const std::string& path)
{
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.substr(0, Utf8Prefix(name, 255));
}

std::string GetExtension(const std::string& name)
{
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? std::string{} : name.substr(dot + 1);
}

std::string MakeAbsolute(const std::string& path, const std::string& base)
{
    if (!path.empty() && path.front() == '/')
        return path;
    return AddBackslash(base) + path;
}

std::string GetShortPath(const std::string& path)
{
    return path;  // Linux names open as they are: the working name is the name itself.
}

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
    const std::string folder = AddBackslash(slash == std::string::npos ? "" : programPath.substr(0, slash));
    std::string base = GetFileNamePart(programPath);
    if (const auto dot = base.rfind('.'); dot != std::string::npos && dot > 0)
        base.erase(dot);
    for (auto pos = base.find("VISTREL"); pos != std::string::npos; pos = base.find("VISTREL", pos + 7))
        base.replace(pos, 7, "Vistrel");
    const std::string where = canWrite ? folder : AddBackslash(configFolder);
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
        return AddBackslash(xdg) + "vistrel/";
    const char* home = std::getenv("HOME");
    return AddBackslash(home ? home : "") + ".config/vistrel/";
}

std::string CurrentDirectory()
{
    char buf[PATH_MAX];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string{};
}

}  // namespace vistrel
