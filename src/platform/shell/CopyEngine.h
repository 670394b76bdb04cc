#pragma once
// The copy engine: copies or moves a list of files and folders into a folder. A copy is
// written under a hidden temporary name in the destination folder and renamed into place
// only when it is complete and synced, so a failure or a Cancel never leaves a partial
// file and never damages a file it was to replace. A move renames on one file system;
// across file systems it copies, verifies and syncs, and only then removes the source.
// What the user sees and answers (progress, conflicts, errors) goes through TransferUi.
#include "platform/shell/FsOps.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vistrel::shell {

enum class FileOp { Move = 1, Copy = 2 };

enum class ConflictAnswer { Replace, ReplaceAll, Skip, SkipAll, Cancel };
enum class ErrorAnswer { Retry, Skip, Cancel };

class TransferUi {
public:
    virtual ~TransferUi() = default;
    // Before each file and between its chunks: the file's name, its number (1-based) of
    // `count`, and the bytes done of the whole job. false = the user cancelled.
    virtual bool Progress(FileOp op, const std::string& name, int number, int count, uint64_t bytesDone,
                          uint64_t bytesTotal) = 0;
    // "'NAME' already exists in 'FOLDER'."
    virtual ConflictAnswer AskConflict(const std::string& name, const std::string& folder) = 0;
    // "Cannot copy 'NAME':" / "Cannot move 'NAME':" and `reason`.
    virtual ErrorAnswer AskError(FileOp op, const std::string& name, const std::string& reason) = 0;
    // The job is over (the progress dialog goes).
    virtual void Finished() {}
};

struct TransferResult {
    // No error and no Cancel. A file skipped at the "already exists" question does not
    // count as an error; one skipped at an error box does.
    bool ok = false;
    bool cancelled = false;
    // The sources (as given) that now exist in the destination folder.
    std::vector<std::string> done;
};

// `sources` are full names of files or folders; `destinationFolder` has no trailing "/"
// requirement.
TransferResult Transfer(FileOp op, const std::vector<std::string>& sources, const std::string& destinationFolder,
                        TransferUi& ui, FsOps& fs = RealFs());

}  // namespace vistrel::shell
