#pragma once
// The checks of the current directory and the command line before any window exists.
// The command line after the program is its arguments joined by single blanks, so two
// arguments are read as one name with a blank (a name with blanks passed without quotes).
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

// A start-up failure: the message box to show before the process ends.
struct StartupFailure {
    std::string Text;
    std::string Title;
    int Flags = 0;
};

struct CommandLineResult {
    std::string Argument;                   // CommandLineArg when no failure
    std::optional<StartupFailure> Failure;  // set when the process must end
};

std::string JoinArguments(const std::vector<std::string>& args);
// True when the text is not valid UTF-8 or holds U+FFFE or U+FE0F.
bool HasUnprocessableCharacters(const std::string& text);
std::optional<StartupFailure> CheckCurrentDirectory(const std::string& currentDirectory);
// The one file or folder the command line names: cut at a NUL, the program's own path
// (`modulePath`, any letter case) and every quotation mark removed, blanks trimmed, then
// made absolute against `currentDirectory` (AbsoluteArgument); a failure when the text is
// not clean UTF-8 or names nothing that exists.
CommandLineResult CleanCommandLine(const std::string& rawCommandLine, const std::string& modulePath,
                                   const std::string& currentDirectory);
// `argument` as an absolute path against `currentDirectory`, without "." and ".." steps
// or doubled "/" (a folder's trailing "/" stays), so that the folder list shows its true
// chain and the remembered folder opens from anywhere. "" stays "".
std::string AbsoluteArgument(const std::string& argument, const std::string& currentDirectory);

}  // namespace vistrel
