#include "app/CommandLine.h"

#include "app/ProgramValues.h"
#include "support/MsgBox.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace vistrel {

namespace {

const char* const kCrLf = "\r\n";

bool IsValidUtf8(const std::string& s)
{
    size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<uint8_t>(s[i]);
        size_t extra = 0;
        uint32_t cp = 0;
        if (c < 0x80) { ++i; continue; }
        if ((c & 0xE0) == 0xC0) { extra = 1; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { extra = 2; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { extra = 3; cp = c & 0x07; }
        else return false;
        if (i + extra >= s.size()) return false;
        for (size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<uint8_t>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        i += extra + 1;
    }
    return true;
}

void RemoveAll(std::string& text, const std::string& what, bool ignoreCase)
{
    if (what.empty()) return;
    const auto equal = [ignoreCase](char a, char b) {
        return ignoreCase ? std::tolower(static_cast<uint8_t>(a)) == std::tolower(static_cast<uint8_t>(b))
                          : a == b;
    };
    for (;;) {
        const auto it = std::search(text.begin(), text.end(), what.begin(), what.end(), equal);
        if (it == text.end()) return;
        text.erase(it, it + static_cast<std::ptrdiff_t>(what.size()));
    }
}

StartupFailure ErrorBox(std::string text)
{
    return {std::move(text), "Error", kMsgCritical};
}

}  // namespace

std::string JoinArguments(const std::vector<std::string>& args)
{
    std::string joined;
    for (const auto& arg : args) {
        if (&arg != &args.front()) joined += ' ';
        joined += arg;
    }
    return joined;
}

bool HasUnprocessableCharacters(const std::string& text)
{
    return !IsValidUtf8(text) || text.find("\xEF\xBF\xBE") != std::string::npos
        || text.find("\xEF\xB8\x8F") != std::string::npos;
}

std::optional<StartupFailure> CheckCurrentDirectory(const std::string& currentDirectory)
{
    if (!HasUnprocessableCharacters(currentDirectory)) return std::nullopt;
    return ErrorBox("Unprocessable characters in current directorie's name - abort" + std::string(kCrLf)
                    + currentDirectory);
}

std::string AbsoluteArgument(const std::string& argument, const std::string& currentDirectory)
{
    if (argument.empty())
        return {};
    const std::filesystem::path absolute = MakeAbsolute(argument, currentDirectory);
    const std::string normal = absolute.lexically_normal().string();
    if (FileExists(normal))
        return normal;
    // ".." after a symbolic link steps up from the link's target, as the system reads it.
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(absolute, error);
    return error ? normal : real.string();
}

CommandLineResult CleanCommandLine(const std::string& rawCommandLine, const std::string& modulePath,
                                   const std::string& currentDirectory)
{
    std::string text = TrimAtNull(rawCommandLine);
    RemoveAll(text, modulePath, true);
    RemoveAll(text, "\"\" ", false);
    RemoveAll(text, "\"\"", false);
    RemoveAll(text, "\"", false);
    text.erase(0, std::min(text.find_first_not_of(' '), text.size()));
    if (HasUnprocessableCharacters(rawCommandLine))
        return {{}, ErrorBox("Unprocessable characters in commandline - abort" + std::string(kCrLf) + text)};
    text = TrimBlanks(text);
    const std::string absolute = AbsoluteArgument(text, currentDirectory);
    if (!text.empty() && !FileExists(absolute))
        return {{}, ErrorBox("\"" + text + "\" isn't an existing file or folder - abort")};
    return {absolute, std::nullopt};
}

}  // namespace vistrel
