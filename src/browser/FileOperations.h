#pragma once
// What the user does to the file list's selection: delete (after the question, or later
// for a file that cannot go at once, up to a clean-up script at exit), move or copy to a
// folder of the copy/move list or one chosen in a dialog, rename in place and new folder.
// Every file system call goes through FsOps; what the operations need of the window and
// of the title that plays goes through FileOpsHost. The copy engine does copies and moves
// across file systems.
#include "platform/shell/CopyEngine.h"
#include "platform/shell/FsOps.h"

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vistrel {

class FileBrowser;
class RenameEditor;

// ---- Texts -----------------------------------------------------------------------------

inline constexpr const char* kDestinationEmptyText = "Destination is empty! Click right to select a destination folder!";
inline constexpr const char* kCopyToItselfText = "You cannot copy or move files to itself!";
inline constexpr const char* kTargetMissingText = "Target folder does not exist!";
inline constexpr const char* kNoFileSelectedText = "No file selected!";
inline constexpr const char* kNoDeleteOnCdText = "Cannot delete files on CD drives";
inline constexpr const char* kDeleteSuffix = ".delete";
inline constexpr const char* kCompanionSuffix = ".idx2";

// "Delete this File?" LF name for one file, "Delete N Files?" for more.
std::string DeleteQuestion(const std::vector<std::string>& fullNames);
// The index file kept beside `fullName` (without a trailing ".delete").
std::string CompanionIndexName(const std::string& fullName);

// ---- Deferred deletion -----------------------------------------------------------------

// A file that could not be deleted, and the file it was: the name is deleted later only
// while it still names that file, never a new file that took the name since.
struct DeferredEntry {
    std::string name;
    dev_t dev = 0;
    ino_t ino = 0;
};

class DeferredDeletions {
public:
    // Remembers `name` as the file it names now; false when it names nothing.
    bool Add(const std::string& name, shell::FsOps& fs);
    bool Contains(const std::string& name) const;
    bool Empty() const { return entries_.empty(); }
    const std::vector<DeferredEntry>& Entries() const { return entries_; }
    std::vector<std::string> Names() const;

    struct RetryResult {
        bool pending = false;   // entries are left
        bool reused = false;    // a name was dropped because another file has it now
    };
    // Deletes every entry that is still its file; entries that are gone, or whose name
    // another file took, are dropped. A file that is gone takes its index file along.
    RetryResult Retry(shell::FsOps& fs);

private:
    std::vector<DeferredEntry> entries_;
};

// Deletes `fullName`: renamed to its ".delete" name first (never over another file), then
// unlinked; a file that does not go is deferred, except on a read-only file system where
// it never could. Its index file goes with it.
void DeleteOneFile(const std::string& fullName, DeferredDeletions& deferred, shell::FsOps& fs);

// ---- Clean-up script at exit -----------------------------------------------------------

// The /bin/sh script that deletes what is still deferred once the program has ended: it
// waits a second, deletes each name only while `stat` still finds its (device, inode),
// and deletes itself. Names are single-quoted, so no character of them is interpreted.
std::string ExitScriptText(const std::vector<DeferredEntry>& entries);
// Writes the script as `folder` + "vistrel" + pid + "delonend.sh" (created exclusively,
// never through a link, mode 0700). Returns its name, "" when it could not be written.
std::string WriteExitScript(const std::vector<DeferredEntry>& entries, const std::string& folder, pid_t pid,
                            shell::FsOps& fs);
// Runs `script` with /bin/sh in a session of its own, in "/", with no terminal or output.
bool StartExitScript(const std::string& script);

// ---- Checks ----------------------------------------------------------------------------

// The two folders are the same folder (by device and inode, so an alias through a link
// or a bind mount counts).
bool SameFolder(const std::string& a, const std::string& b, shell::FsOps& fs);
// A new name that would leave the folder or name it: "", ".", "..", or one with "/".
bool IsInvalidNewName(const std::string& name);

// ---- Dialogs, replaceable as MsgBox is -------------------------------------------------

// Returns the text entered, "" when cancelled.
using InputDialog = std::function<std::string(const std::string& title, const std::string& prompt)>;
InputDialog SetInputDialog(InputDialog dialog);
std::string InputBox(const std::string& title, const std::string& prompt);

// ---- The operations on the file list ---------------------------------------------------

using TransferFunction = std::function<shell::TransferResult(shell::FileOp, const std::vector<std::string>&,
                                                             const std::string&, shell::TransferUi&, shell::FsOps&)>;

// What the file operations ask of the window and the title play control. Unset hooks do
// nothing (and answer false / "").
struct FileOpsHost {
    std::function<void()> CloseMedia;
    std::function<bool()> TitleClosed;
    std::function<void(const std::string& callerTag)> PlaySelection;
    std::function<bool()> IsForeground;
    std::function<void()> BringToFront;
    // The tip area, hidden again after 2 s.
    std::function<void(const std::string& text)> ShowTip;
    // true: the hourglass pointer; false: the normal pointer again.
    std::function<void(bool busy)> Hourglass;
    std::function<bool()> DeleteWithoutAsking;
    // The path of entry `index` (1-based) of the copy/move list; nullopt out of range.
    std::function<std::optional<std::string>(int index)> DestinationPath;
    // A folder chosen in the Browse dialog joins the copy/move list's recent folders.
    std::function<void(const std::string& folder)> AddFolderToDynMenu;
    // Starts or stops the deferred deletion's timer.
    std::function<void(bool run)> RunDeferredTimer;
    // The copy engine and the dialogs it shows.
    TransferFunction Transfer;
    std::function<std::unique_ptr<shell::TransferUi>()> MakeTransferUi;
    // Test seams; unset: the real clock and a blocking sleep.
    std::function<int64_t()> TickCountMs;
    std::function<void(int ms)> Wait;
};

class FileOperations {
public:
    FileOperations(FileBrowser& browser, FileOpsHost host, shell::FsOps& fs = shell::RealFs());
    ~FileOperations();

    FileOpsHost& Host() { return host_; }
    const DeferredDeletions& Deferred() const { return deferred_; }

    // Delete (the Delete menu entry; `noAsk` skips the question, as Shift+Delete does).
    void DeleteSelectedFiles(bool noAsk);
    // The deferred deletion's timer tick.
    void DeferredDeletionTick();
    // At exit: writes and starts the clean-up script when files wait for deletion; true
    // when it was started (the process then ends at once).
    bool StartDeletionScriptIfNeeded(const std::string& tempFolder, pid_t pid);

    // Entry `index` (1-based) of the move-to and copy-to menus.
    void MoveToEntry(int index);
    void CopyToEntry(int index);
    // "Browse..." of the two menus.
    void CopyMoveToBrowse(shell::FileOp op);
    void ShellFileOppByPath(const std::string& path, shell::FileOp op);

    // Rename in place: the editor over the one selected file; Enter renames that file.
    void ShowRenameTextBox();
    void RenameTextBoxConfirmed(const std::string& newName);
    RenameEditor* Editor() const { return editor_.get(); }

    void NewFolder();

    // Copies or moves `sources` into `folder` through the copy engine and its dialogs, with
    // the folder watch paused (also for drops and pastes).
    shell::TransferResult SH_FileOperation(const std::vector<std::string>& sources, const std::string& folder,
                                           shell::FileOp op);

private:
    bool DeleteSelectedFileNow(bool noAsk);
    void RefreshFileListAfterDelete();
    void RemoveVanishedRows();
    void SyncDeferredList();
    void Defer(const std::string& name);
    // The entry's folder, or nullopt when the entry asks for nothing to be done (out of
    // range, a separator, a relative path).
    std::optional<std::string> EntryFolder(int index) const;
    // Shows the message for a destination that cannot be used; true when it is usable.
    bool CheckDestination(const std::string& path);
    bool ShellFileOppByIdx(int index, shell::FileOp op);
    shell::TransferResult RunTransfer(const std::vector<std::string>& sources, const std::string& folder,
                                      shell::FileOp op);
    int64_t Now() const;
    void KeepHourglassUntil(int64_t start);
    void FocusAfterMove(int focusRow, const std::string& focusName);
    int RowOfFullName(const std::string& fullName) const;
    void Busy(bool busy);
    bool RenameFile(const std::string& from, const std::string& to, int& err);

    FileBrowser& browser_;
    FileOpsHost host_;
    shell::FsOps& fs_;
    DeferredDeletions deferred_;
    std::unique_ptr<RenameEditor> editor_;
    std::string renameTarget_;  // the file the open editor renames
    bool transferring_ = false;  // the copy engine runs (its dialogs process events)
};

}  // namespace vistrel
