#pragma once
// Part 1.1 B: the current directory check and the cleaning of the command line.
// On Linux the "raw command line" after the program is its arguments joined by single
// blanks, so two arguments are not separated (DESIGN.md, issue of the foundation).
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
// Steps B.3 to B.10 over the raw command line; `modulePath` is the program's full path.
CommandLineResult CleanCommandLine(const std::string& rawCommandLine, const std::string& modulePath);

}  // namespace vistrel
