#pragma once
// Starts the programs of the "Open with" list with a file. No shell ever runs: the
// parameter text is split into words here and the file's name is put into the words
// afterwards, so any name reaches the program as exactly the argument it is.
//
// A program is an executable file or a desktop entry (NAME.desktop), whose Exec line is
// run with the Desktop Entry field codes filled in. Children start detached: a session of
// their own, default signal dispositions, no descriptors of ours above 2. Each child is
// reaped by a thread that waits for exactly its pid, so no zombie stays behind and no
// other code's children are taken; a child that outlives us passes to init.
#include <optional>
#include <string>
#include <vector>

#include <sys/types.h>

namespace vistrel::launcher {

// The program calls this at start when it set QT_QPA_PLATFORM for itself: the programs
// it starts then choose their own platform, as they would have without us.
void MarkQtPlatformChosenByUs();

// %VAR%, $VAR, ${VAR} and a leading "~/" expanded from the environment; a variable that
// is not set stays as written. Values are not expanded again.
std::string ExpandEnvironment(const std::string& text);

// `text` split into words as a shell splits them: blanks separate, '...' is literal,
// "..." keeps blanks and takes \ before " \ $ ` and a line break, a bare \ takes the next
// character. Nothing is expanded; an unclosed quote runs to the end.
std::vector<std::string> SplitShellWords(const std::string& text);

// The arguments for the program: the words of `params` with every "%file%" replaced by
// `file`; just `file` when no word holds "%file%".
std::vector<std::string> FileArguments(const std::string& params, const std::string& file);

// The file an expanded program path names, "" when there is none. A path with "/" is taken
// as it is, a relative one inside `programFolder`, else inside `lastFolder`; a bare name
// is looked for in PATH, then as NAME.desktop in the applications folders.
std::string ResolveProgram(const std::string& expandedPath, const std::string& programFolder,
                           const std::string& lastFolder);

// The command line of a desktop entry's Exec line (`entryText` is the whole .desktop file,
// `entryPath` its name). %f %F %u %U take the file's place: as a word of their own they
// become `fileArguments`, inside a word the file's name; without them `fileArguments` are
// appended. %i gives "--icon" and the Icon key, %c the Name key, %k `entryPath`, %% a
// "%"; the deprecated codes give nothing. Empty when the entry has no Exec line.
std::vector<std::string> DesktopEntryCommand(const std::string& entryText, const std::string& entryPath,
                                             const std::vector<std::string>& fileArguments,
                                             const std::string& file);

// Starts `argv` (argv[0] a full name) detached, as above, in `folder` with exactly
// `environment`; with `quiet` its standard descriptors read and write /dev/null. Returns 0
// with `pid` set, else the errno value. The caller reaps the child, or leaves it to init.
int SpawnDetached(std::vector<std::string> argv, const std::string& folder, std::vector<std::string> environment,
                  bool quiet, pid_t& pid);

struct LaunchResult {
    pid_t pid = -1;
    // "" when the program started, else the message to show.
    std::string error;
};

// Starts the "Open with" entry's program (`programPath`, with variables) with `params`
// ("%file%" for the file) for `file`, in `workingFolder`. A relative `file` is taken
// inside `workingFolder`. The error reads "Error executing 'PATH':" and a line break,
// then the system's reason, or "No link for this type of file" for a file that is
// neither executable nor a desktop entry.
LaunchResult OpenWith(const std::string& programPath, const std::string& params, const std::string& file,
                      const std::string& workingFolder, const std::string& programFolder);

}  // namespace vistrel::launcher
