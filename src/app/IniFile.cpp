#include "app/IniFile.h"

#include "support/FileDescriptor.h"

#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vistrel {

namespace {

using Lines = std::vector<std::string>;

// ---- file access: one open, one close per operation -------------------------------------

enum class Load { Read, Missing, Failed };

Load ReadAll(const std::string& path, std::string& content)
{
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0)
        return errno == ENOENT || errno == ENOTDIR ? Load::Missing : Load::Failed;
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(file.Get(), buffer, sizeof buffer);
        if (n == 0)
            return Load::Read;
        if (n > 0)
            content.append(buffer, static_cast<size_t>(n));
        else if (errno != EINTR)
            return Load::Failed;
    }
}

bool WriteAll(const std::string& path, const std::string& content)
{
    FileDescriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.Get() < 0)
        return false;
    for (size_t done = 0; done < content.size();) {
        const ssize_t n = ::write(file.Get(), content.data() + done, content.size() - done);
        if (n > 0)
            done += static_cast<size_t>(n);
        else if (n < 0 && errno != EINTR)
            return false;
    }
    return file.Close();
}

Lines SplitLines(std::string_view content)
{
    if (content.starts_with("\xEF\xBB\xBF"))
        content.remove_prefix(3);  // a UTF-8 byte order mark is not part of the first line
    Lines lines;
    while (!content.empty()) {
        const size_t end = content.find('\n');
        std::string_view line = content.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    }
    return lines;
}

std::string JoinLines(const Lines& lines)
{
    std::string content;
    for (const std::string& line : lines)
        content.append(line).append(1, '\n');
    return content;
}

// ---- line syntax ------------------------------------------------------------------------

std::string_view Trim(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b)
{
    const auto qa = QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()));
    const auto qb = QString::fromUtf8(b.data(), static_cast<qsizetype>(b.size()));
    return qa.compare(qb, Qt::CaseInsensitive) == 0;
}

std::optional<std::string_view> SectionName(std::string_view line)
{
    const std::string_view t = Trim(line);
    const size_t close = t.find(']');
    if (!t.starts_with('[') || close == std::string_view::npos)
        return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyValue> KeyLine(std::string_view line)
{
    const std::string_view t = Trim(line);
    const size_t equals = t.find('=');
    if (t.starts_with(';') || t.starts_with('[') || equals == std::string_view::npos)
        return std::nullopt;
    const std::string_view key = Trim(t.substr(0, equals));
    if (key.empty())
        return std::nullopt;
    return KeyValue{key, Trim(t.substr(equals + 1))};
}

std::string_view Unquote(std::string_view value)
{
    const bool quoted = value.size() >= 2 && value.front() == value.back()
        && (value.front() == '"' || value.front() == '\'');
    return quoted ? value.substr(1, value.size() - 2) : value;
}

// Bytes of the first `maxChars` UTF-8 characters: never cuts inside a character.
std::string TruncateChars(std::string_view text, size_t maxChars)
{
    size_t end = 0;
    for (size_t chars = 0; end < text.size() && chars < maxChars; ++chars) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
            ++end;
    }
    return std::string(text.substr(0, end));
}

bool HasLineBreakOrNul(std::string_view text)
{
    return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// Only what a later read finds again is written.
bool CanBeWritten(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view k = Trim(key);
    const bool sectionOk = !Trim(section).empty() && section.find(']') == std::string_view::npos;
    const bool keyOk = !k.empty() && !k.starts_with(';') && !k.starts_with('[')
        && key.find('=') == std::string_view::npos;
    return sectionOk && keyOk && !HasLineBreakOrNul(section) && !HasLineBreakOrNul(key)
        && !HasLineBreakOrNul(value);
}

// ---- sections and keys ------------------------------------------------------------------

struct SectionRange {
    size_t header;  // index of the "[name]" line
    size_t end;     // index of the next section's header, or the line count
};

std::optional<SectionRange> FindSection(const Lines& lines, std::string_view section)
{
    for (size_t i = 0; i < lines.size(); ++i) {
        const auto name = SectionName(lines[i]);
        if (!name || !SameName(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !SectionName(lines[end]))
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<size_t> FindKey(const Lines& lines, SectionRange range, std::string_view key)
{
    for (size_t i = range.header + 1; i < range.end; ++i) {
        const auto kv = KeyLine(lines[i]);
        if (kv && SameName(kv->key, key))
            return i;
    }
    return std::nullopt;
}

// After the section's last non-blank line, so blank lines before the next section stay there.
size_t EndOfSectionContent(const Lines& lines, SectionRange range)
{
    size_t insertAt = range.header + 1;
    for (size_t i = range.header + 1; i < range.end; ++i)
        if (!Trim(lines[i]).empty())
            insertAt = i + 1;
    return insertAt;
}

void SetKey(Lines& lines, const std::string& section, const std::string& key, const std::string& value)
{
    std::string line = key + "=" + value;
    const auto range = FindSection(lines, section);
    if (!range) {
        lines.push_back("[" + section + "]");
        lines.push_back(std::move(line));
    } else if (const auto at = FindKey(lines, *range, key)) {
        lines[*at] = std::move(line);
    } else {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(EndOfSectionContent(lines, *range)),
                     std::move(line));
    }
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue, size_t bufferChars) const
{
    const size_t maxChars = bufferChars > 0 ? bufferChars - 1 : 0;
    std::string content;
    if (ReadAll(path_, content) == Load::Read) {
        const Lines lines = SplitLines(content);
        if (const auto range = FindSection(lines, section))
            if (const auto at = FindKey(lines, *range, key))
                return TruncateChars(Unquote(KeyLine(lines[*at])->value), maxChars);
    }
    return TruncateChars(Trim(defaultValue), maxChars);
}

bool IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const
{
    if (!CanBeWritten(section, key, value))
        return false;
    std::string content;
    if (ReadAll(path_, content) == Load::Failed)
        return false;
    Lines lines = SplitLines(content);
    SetKey(lines, section, key, value);
    return WriteAll(path_, JoinLines(lines));
}

}  // namespace vistrel
