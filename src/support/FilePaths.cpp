#include "support/FilePaths.h"

#include <cerrno>
#include <cstdint>
#include <sys/stat.h>

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
    return FileExists(AddTrailingSlash(base) + path, {});
}

bool IsFolder(const std::string& path)
{
    struct stat st {};
    return !path.empty() && StatPath(path, st) && S_ISDIR(st.st_mode);
}

std::string RemoveTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string AddTrailingSlash(const std::string& text)
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
            return AddTrailingSlash(p);
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
    return AddTrailingSlash(base) + path;
}

std::string UpperExtension(const std::string& fileName)
{
    std::string ext = GetExtension(GetFileNamePart(fileName));
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    }
    return ext;
}

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace vistrel
