#include "platform/shell/Launcher.h"

#include "support/File64.h"
#include "support/FilePaths.h"

#include <QStandardPaths>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string_view>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vistrel::launcher {

namespace {

constexpr const char* kNoLink = "No link for this type of file";
constexpr const char* kFileMarker = "%file%";
constexpr std::string_view kPlatformVariable = "QT_QPA_PLATFORM=";
// A desktop entry is a few kilobytes; anything far larger is not one.
constexpr size_t kMaxEntrySize = 1 << 20;

std::atomic<bool> platformChosenByUs{false};

// ---- Environment variables ----

bool IsNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

bool IsVariableName(std::string_view name)
{
    if (name.empty() || (name[0] >= '0' && name[0] <= '9'))
        return false;
    for (const char c : name) {
        if (!IsNameChar(c))
            return false;
    }
    return true;
}

// The length of the variable name starting at `from`.
size_t NameLength(const std::string& text, size_t from)
{
    size_t end = from;
    while (end < text.size() && IsNameChar(text[end]))
        ++end;
    return end - from;
}

// The reference at `text[i]` ("%NAME%", "${NAME}" or "$NAME") expanded into `out`;
// returns how many characters it took, 0 when there is no reference of a set variable.
size_t ExpandReferenceAt(const std::string& text, size_t i, std::string& out)
{
    size_t nameStart = i + 1, nameLength = 0, referenceLength = 0;
    if (text[i] == '%') {
        const size_t close = text.find('%', nameStart);
        nameLength = close == std::string::npos ? 0 : close - nameStart;
        referenceLength = nameLength + 2;
    } else if (text[i] == '$' && text.compare(nameStart, 1, "{") == 0) {
        nameStart = i + 2;
        const size_t close = text.find('}', nameStart);
        nameLength = close == std::string::npos ? 0 : close - nameStart;
        referenceLength = nameLength + 3;
    } else if (text[i] == '$') {
        nameLength = NameLength(text, nameStart);
        referenceLength = nameLength + 1;
    }
    const std::string name = text.substr(nameStart, nameLength);
    const char* value = IsVariableName(name) ? std::getenv(name.c_str()) : nullptr;
    if (!value)
        return 0;
    out += value;
    return referenceLength;
}

// ---- Splitting into words ----

// One word of a command line, each character marked when quotes or a backslash made it
// literal (field codes count only outside quotes).
struct Word {
    std::string text;
    std::vector<bool> literal;
    bool quoted = false;  // "" and '' make a word even when it stays empty

    void Add(char c, bool isLiteral)
    {
        text += c;
        literal.push_back(isLiteral);
    }
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Adds the quoted part that opens at `text[i]` to `word`; returns the index of its closing quote.
size_t AddQuoted(const std::string& text, size_t i, Word& word)
{
    const char quote = text[i];
    word.quoted = true;
    for (++i; i < text.size() && text[i] != quote; ++i) {
        if (quote == '"' && text[i] == '\\' && i + 1 < text.size() &&
            std::string_view("\"\\$`").find(text[i + 1]) != std::string_view::npos)
            ++i;
        word.Add(text[i], true);
    }
    return i;
}

std::vector<Word> SplitWords(const std::string& text)
{
    std::vector<Word> words;
    bool inWord = false;
    auto current = [&]() -> Word& {
        if (!inWord)
            words.emplace_back();
        inWord = true;
        return words.back();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (IsBlank(c))
            inWord = false;
        else if (c == '\'' || c == '"')
            i = AddQuoted(text, i, current());
        else if (c == '\\' && i + 1 < text.size())
            current().Add(text[++i], true);
        else if (c != '\\')
            current().Add(c, false);
    }
    return words;
}

// Replaces every `marker` in `text` by `value`, never inside an inserted value; true when there was one.
bool ReplaceAll(std::string& text, std::string_view marker, const std::string& value)
{
    bool found = false;
    for (size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at + value.size())) {
        text.replace(at, marker.size(), value);
        found = true;
    }
    return found;
}

// ---- Desktop entries ----

// The string escapes of desktop entry values: \s \n \t \r \\.
std::string UnescapeValue(const std::string& value)
{
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        const size_t code = i + 1 < value.size() && value[i] == '\\' ? std::string_view("sntr\\").find(value[i + 1])
                                                                      : std::string_view::npos;
        if (code == std::string_view::npos) {
            out += value[i];
            continue;
        }
        out += " \n\t\r\\"[code];
        ++i;
    }
    return out;
}

// The keys of the [Desktop Entry] group; the first of a repeated key counts.
std::map<std::string, std::string> DesktopEntryKeys(const std::string& text)
{
    std::map<std::string, std::string> keys;
    std::istringstream lines(text);
    bool inGroup = false;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const size_t equals = line.find('=');
        if (!line.empty() && line[0] == '[')
            inGroup = line == "[Desktop Entry]";
        else if (inGroup && line[0] != '#' && equals != std::string::npos)
            keys.emplace(TrimBlanks(line.substr(0, equals)), UnescapeValue(TrimBlanks(line.substr(equals + 1))));
    }
    return keys;
}

struct EntryFields {
    std::string icon, name, entryPath, file;
    const std::vector<std::string>& fileArguments;
};

bool IsFileCode(char code)
{
    return code == 'f' || code == 'F' || code == 'u' || code == 'U';
}

// Adds what `word` becomes to `command`; true when it held a file code. A word made only
// of codes that give nothing is left out.
bool AddExpandedWord(const Word& word, const EntryFields& entry, std::vector<std::string>& command)
{
    const std::string& t = word.text;
    if (t.size() == 2 && t[0] == '%' && !word.literal[0] && !word.literal[1]) {
        if (IsFileCode(t[1])) {
            command.insert(command.end(), entry.fileArguments.begin(), entry.fileArguments.end());
            return true;
        }
        if (t[1] == 'i') {
            if (!entry.icon.empty())
                command.insert(command.end(), {"--icon", entry.icon});
            return false;
        }
    }
    std::string out;
    bool keep = word.quoted, fileCode = false;
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] != '%' || word.literal[i] || i + 1 == t.size()) {
            out += t[i];
            keep = true;
            continue;
        }
        const char code = t[++i];
        const std::string* value = code == 'c' ? &entry.name : code == 'k' ? &entry.entryPath
                                 : code == 'i' ? &entry.icon : IsFileCode(code) ? &entry.file : nullptr;
        if (code == '%')
            out += '%';
        else if (value)
            out += *value;
        keep = keep || code == '%' || value;
        fileCode = fileCode || IsFileCode(code);
    }
    if (keep)
        command.push_back(out);
    return fileCode;
}

// ---- Finding programs ----

bool IsExecutableFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::string FindInPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path && *path ? path : "/usr/local/bin:/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        // An empty entry would mean the current folder: never run a file from there by chance.
        if (!folder.empty() && IsExecutableFile(AddTrailingSlash(folder) + name))
            return AddTrailingSlash(folder) + name;
    }
    return {};
}

bool EndsWith(const std::string& text, std::string_view end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::string FindDesktopEntry(const std::string& name)
{
    const std::string file = EndsWith(name, ".desktop") ? name : name + ".desktop";
    return QStandardPaths::locate(QStandardPaths::ApplicationsLocation, QString::fromStdString(file)).toStdString();
}

bool ReadDesktopEntry(const std::string& path, std::string& text)
{
    const int fd = OpenUserFile(path, O_RDONLY);
    if (fd < 0)
        return false;
    text.resize(kMaxEntrySize);
    ssize_t total = 0, got = 0;
    while ((got = read(fd, text.data() + total, kMaxEntrySize - total)) > 0 && size_t(total += got) < kMaxEntrySize) {
    }
    const int readError = errno;
    close(fd);
    text.resize(size_t(total));
    errno = readError;
    return got >= 0;
}

// ---- Starting ----

std::string Failure(const std::string& shownPath, const std::string& reason)
{
    return "Error executing '" + shownPath + "':\n" + reason;
}

std::string Failure(const std::string& shownPath, int error)
{
    const char* reason = strerrordesc_np(error);
    return Failure(shownPath, reason ? std::string(reason) : "Unknown error " + std::to_string(error));
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

std::vector<std::string> ChildEnvironment()
{
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        if (!(platformChosenByUs && std::string_view(*entry).starts_with(kPlatformVariable)))
            variables.emplace_back(*entry);
    }
    return variables;
}

// Waits for exactly this child, so that no other code's children are taken from it.
void ReapInBackground(pid_t pid)
{
    std::thread([pid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

LaunchResult Spawn(std::vector<std::string> argv, const std::string& folder, const std::string& shownPath)
{
    pid_t pid = -1;
    if (const int error = SpawnDetached(std::move(argv), folder, ChildEnvironment(), false, pid))
        return {-1, Failure(shownPath, error)};
    ReapInBackground(pid);
    return {pid, {}};
}

std::string AbsoluteName(const std::string& file, const std::string& folder)
{
    std::string name = MakeAbsolute(file, folder);
    if (name.empty() || name[0] != '/') {
        char cwd[PATH_MAX];
        name = MakeAbsolute(name, getcwd(cwd, sizeof cwd) ? cwd : "/");
    }
    return name;
}

// The desktop entry's command line, its program found through PATH; empty with errno set when it cannot run.
std::vector<std::string> EntryCommand(const std::string& entryPath, const std::vector<std::string>& arguments,
                                      const std::string& file)
{
    std::string text;
    if (!ReadDesktopEntry(entryPath, text))
        return {};
    std::vector<std::string> command = DesktopEntryCommand(text, entryPath, arguments, file);
    errno = 0;
    if (!command.empty() && command[0].find('/') == std::string::npos) {
        command[0] = FindInPath(command[0]);
        if (command[0].empty()) {
            errno = ENOENT;
            return {};
        }
    }
    return command;
}

}  // namespace

void MarkQtPlatformChosenByUs()
{
    platformChosenByUs = true;
}

int SpawnDetached(std::vector<std::string> argv, const std::string& folder, std::vector<std::string> environment,
                  bool quiet, pid_t& pid)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (int fd = 0; quiet && fd <= 2; ++fd)
        posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    const int error = posix_spawn(&pid, argv[0].c_str(), &actions, &attributes, Pointers(argv).data(),
                                  Pointers(environment).data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return error;
}

std::string ExpandEnvironment(const std::string& text)
{
    std::string out;
    size_t i = 0;
    const char* home = std::getenv("HOME");
    if (home && text.starts_with("~/")) {
        out = home;
        i = 1;
    }
    while (i < text.size()) {
        const size_t taken = text[i] == '%' || text[i] == '$' ? ExpandReferenceAt(text, i, out) : 0;
        if (taken == 0)
            out += text[i];
        i += taken == 0 ? 1 : taken;
    }
    return out;
}

std::vector<std::string> SplitShellWords(const std::string& text)
{
    std::vector<std::string> words;
    for (Word& word : SplitWords(text))
        words.push_back(std::move(word.text));
    return words;
}

std::vector<std::string> FileArguments(const std::string& params, const std::string& file)
{
    std::vector<std::string> arguments = SplitShellWords(params);
    bool named = false;
    for (std::string& argument : arguments)
        named = ReplaceAll(argument, kFileMarker, file) || named;
    return named ? arguments : std::vector<std::string>{file};
}

std::string ResolveProgram(const std::string& expandedPath, const std::string& programFolder,
                           const std::string& lastFolder)
{
    if (expandedPath.empty())
        return {};
    if (expandedPath.find('/') == std::string::npos) {
        const std::string found = FindInPath(expandedPath);
        return found.empty() ? FindDesktopEntry(expandedPath) : found;
    }
    if (expandedPath[0] == '/')
        return FileExists(expandedPath) ? expandedPath : std::string();
    for (const std::string& folder : {programFolder, lastFolder}) {
        if (!folder.empty() && FileExists(AddTrailingSlash(folder) + expandedPath))
            return AddTrailingSlash(folder) + expandedPath;
    }
    return {};
}

std::vector<std::string> DesktopEntryCommand(const std::string& entryText, const std::string& entryPath,
                                             const std::vector<std::string>& fileArguments,
                                             const std::string& file)
{
    const auto keys = DesktopEntryKeys(entryText);
    const auto exec = keys.find("Exec");
    if (exec == keys.end())
        return {};
    const auto value = [&keys](const char* key) {
        const auto found = keys.find(key);
        return found == keys.end() ? std::string() : found->second;
    };
    const EntryFields entry{value("Icon"), value("Name"), entryPath, file, fileArguments};
    std::vector<std::string> command;
    bool fileCode = false;
    for (const Word& word : SplitWords(exec->second))
        fileCode = AddExpandedWord(word, entry, command) || fileCode;
    if (command.empty())
        return {};
    if (!fileCode)
        command.insert(command.end(), fileArguments.begin(), fileArguments.end());
    return command;
}

LaunchResult OpenWith(const std::string& programPath, const std::string& params, const std::string& file,
                      const std::string& workingFolder, const std::string& programFolder)
{
    const std::string expanded = ExpandEnvironment(programPath);
    const std::string program = ResolveProgram(expanded, programFolder, workingFolder);
    struct stat st {};
    if (program.empty() || stat(program.c_str(), &st) != 0)
        return {-1, Failure(expanded, program.empty() ? ENOENT : errno)};
    const std::string fullName = AbsoluteName(file, workingFolder);
    const std::vector<std::string> arguments = FileArguments(params, fullName);
    std::vector<std::string> command;
    if (S_ISREG(st.st_mode) && EndsWith(program, ".desktop")) {
        command = EntryCommand(program, arguments, fullName);
        if (command.empty() && errno != 0)
            return {-1, Failure(expanded, errno)};
    } else if (IsExecutableFile(program)) {
        command = {program};
        command.insert(command.end(), arguments.begin(), arguments.end());
    }
    if (command.empty())
        return {-1, Failure(expanded, kNoLink)};
    return Spawn(std::move(command), workingFolder, expanded);
}

}  // namespace vistrel::launcher
