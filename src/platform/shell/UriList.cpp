#include "platform/shell/UriList.h"

#include "support/FilePaths.h"

namespace vistrel::shell {

namespace {

constexpr std::string_view kFileScheme = "file://";
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsPlain(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~' || c == '/';
}


bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != prefix[i])
            return false;
    }
    return true;
}

// The decoded path, or nothing when an escape is broken or decodes to NUL (a name cut
// there would name another file).
std::optional<std::string> PercentDecode(std::string_view path)
{
    std::string name;
    name.reserve(path.size());
    for (size_t i = 0; i < path.size(); ++i) {
        if (path[i] != '%') {
            name += path[i];
            continue;
        }
        const int high = i + 2 < path.size() ? HexDigitValue(path[i + 1]) : -1;
        const int low = high >= 0 ? HexDigitValue(path[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0))
            return std::nullopt;
        name += char(high * 16 + low);
        i += 2;
    }
    return name;
}

// The lines of `text` split at LF, each without a final CR.
std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
    return lines;
}

std::vector<std::string> DecodeLines(const std::vector<std::string_view>& lines, size_t first)
{
    std::vector<std::string> names;
    for (size_t i = first; i < lines.size(); ++i) {
        if (lines[i].empty() || lines[i].front() == '#')
            continue;
        if (std::optional<std::string> name = FileUriToName(lines[i]))
            names.push_back(std::move(*name));
    }
    return names;
}

}  // namespace

std::string FileUri(const std::string& fullName)
{
    std::string uri(kFileScheme);
    for (const char c : fullName) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsPlain(byte)) {
            uri += c;
        } else {
            uri += '%';
            uri += kHexDigits[byte >> 4];
            uri += kHexDigits[byte & 15];
        }
    }
    return uri;
}

std::optional<std::string> FileUriToName(std::string_view uri)
{
    if (!StartsWithNoCase(uri, kFileScheme))
        return std::nullopt;
    uri.remove_prefix(kFileScheme.size());
    if (StartsWithNoCase(uri, "localhost/"))
        uri.remove_prefix(std::string_view("localhost").size());
    // A raw "?" or "#" starts a query or fragment: the name would be cut there.
    if (uri.empty() || uri.front() != '/' || uri.find_first_of("?#") != std::string_view::npos)
        return std::nullopt;
    return PercentDecode(uri);
}

std::string EncodeUriList(const std::vector<std::string>& fullNames)
{
    std::string list;
    for (const std::string& name : fullNames)
        list += FileUri(name) + "\r\n";
    return list;
}

std::vector<std::string> DecodeUriList(std::string_view list)
{
    return DecodeLines(Lines(list), 0);
}

std::string EncodeCopiedFiles(const CopiedFiles& copied)
{
    std::string text = copied.cut ? "cut" : "copy";
    for (const std::string& name : copied.files)
        text += "\n" + FileUri(name);
    return text;
}

std::optional<CopiedFiles> DecodeCopiedFiles(std::string_view text)
{
    // Some programs end the offer with a NUL.
    while (!text.empty() && text.back() == '\0')
        text.remove_suffix(1);
    const std::vector<std::string_view> lines = Lines(text);
    if (lines.empty() || (lines.front() != "copy" && lines.front() != "cut"))
        return std::nullopt;
    return CopiedFiles{lines.front() == "cut", DecodeLines(lines, 1)};
}

}  // namespace vistrel::shell
