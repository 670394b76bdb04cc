#include "browser/FileOperations.h"

#include "browser/Drives.h"
#include "browser/FileBrowser.h"
#include "browser/FileList.h"
#include "browser/ListEditor.h"
#include "browser/RenameEditor.h"
#include "platform/shell/Launcher.h"
#include "support/AppTitle.h"
#include "support/FilePaths.h"
#include "support/MsgBox.h"
#include "support/TickCount.h"
#include "support/Win32Error.h"

#include <fcntl.h>
#include <unistd.h>

#include <QListView>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <set>
#include <thread>
#include <type_traits>

namespace vistrel {

using shell::FileOp;
using shell::FsOps;

namespace {

constexpr int kMinimumHourglassMs = 300;
constexpr int kInvalidNameError = 123;

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Exists(const std::string& name, FsOps& fs)
{
    struct stat st{};
    return fs.Lstat(name, st) == 0 || errno != ENOENT;
}

// Removes the index file of `fullName` once no file of that name is left.
void RemoveCompanionIfAlone(const std::string& fullName, FsOps& fs)
{
    const std::string owner = EndsWith(fullName, kDeleteSuffix) ? fullName.substr(0, fullName.size() - 7) : fullName;
    if (!Exists(owner, fs))
        fs.Unlink(CompanionIndexName(owner));
}

// The text between single quotes for /bin/sh: every "'" closes the quote, adds an escaped
// quote and opens it again.
std::string ShellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool WriteAll(int fd, const std::string& text, FsOps& fs)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = fs.Write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

InputDialog& InputDialogSlot()
{
    static InputDialog dialog;
    return dialog;
}

// Calls a hook that may be unset: an unset one does nothing and answers a default value.
template <typename Hook, typename... Args>
auto Call(const Hook& hook, Args&&... args)
{
    using Result = decltype(hook(std::forward<Args>(args)...));
    if constexpr (std::is_void_v<Result>) {
        if (hook)
            hook(std::forward<Args>(args)...);
    } else {
        return hook ? hook(std::forward<Args>(args)...) : Result{};
    }
}

}  // namespace

// ---- Texts -----------------------------------------------------------------------------

std::string DeleteQuestion(const std::vector<std::string>& fullNames)
{
    if (fullNames.size() == 1)
        return "Delete this File?\n" + ShownFileName(GetFileNamePart(fullNames.front()));
    return "Delete " + std::to_string(fullNames.size()) + " Files?";
}

std::string CompanionIndexName(const std::string& fullName)
{
    const std::string owner = EndsWith(fullName, kDeleteSuffix) ? fullName.substr(0, fullName.size() - 7) : fullName;
    return owner + kCompanionSuffix;
}

// ---- Deferred deletion -----------------------------------------------------------------

bool DeferredDeletions::Add(const std::string& name, FsOps& fs)
{
    struct stat st{};
    if (fs.Lstat(name, st) != 0)
        return false;
    std::erase_if(entries_, [&](const DeferredEntry& e) { return e.name == name; });
    entries_.push_back({name, st.st_dev, st.st_ino});
    return true;
}

bool DeferredDeletions::Contains(const std::string& name) const
{
    return std::any_of(entries_.begin(), entries_.end(), [&](const DeferredEntry& e) { return e.name == name; });
}

std::vector<std::string> DeferredDeletions::Names() const
{
    std::vector<std::string> names;
    for (const DeferredEntry& e : entries_)
        names.push_back(e.name);
    return names;
}

DeferredDeletions::RetryResult DeferredDeletions::Retry(FsOps& fs)
{
    RetryResult result;
    std::erase_if(entries_, [&](const DeferredEntry& e) {
        struct stat st{};
        if (fs.Lstat(e.name, st) != 0) {
            if (errno != ENOENT && errno != ENOTDIR)
                return false;
        } else if (st.st_dev != e.dev || st.st_ino != e.ino) {
            result.reused = true;
            return true;
        } else if (fs.Unlink(e.name) != 0 && errno != ENOENT) {
            return false;
        }
        RemoveCompanionIfAlone(e.name, fs);
        return true;
    });
    result.pending = !entries_.empty();
    return result;
}

void DeleteOneFile(const std::string& fullName, DeferredDeletions& deferred, FsOps& fs)
{
    const std::string renamed = fullName + kDeleteSuffix;
    std::string target = fullName;
    if (shell::MoveNoReplace(fs, fullName, renamed) == 0)
        target = renamed;
    if (fs.Unlink(target) == 0 || errno == ENOENT) {
        RemoveCompanionIfAlone(fullName, fs);
        return;
    }
    // A read-only file system never lets it go: the file stays listed.
    if (errno != EROFS)
        deferred.Add(target, fs);
}

// ---- Clean-up script at exit -----------------------------------------------------------

std::string ExitScriptText(const std::vector<DeferredEntry>& entries)
{
    std::string script = "sleep 1\n";
    for (const DeferredEntry& e : entries) {
        const std::string name = ShellQuoted(e.name);
        const std::string node = std::to_string(e.dev) + ":" + std::to_string(e.ino);
        script += "[ \"$(stat -c %d:%i -- " + name + " 2>/dev/null)\" = '" + node + "' ] && rm -f -- " + name +
                  " && rm -f -- " + ShellQuoted(CompanionIndexName(e.name)) + "\n";
    }
    return script + "rm -f -- \"$0\"\n";
}

std::string WriteExitScript(const std::vector<DeferredEntry>& entries, const std::string& folder, pid_t pid,
                            FsOps& fs)
{
    if (folder.empty())
        return {};
    const std::string script = AddTrailingSlash(folder) + "vistrel" + std::to_string(pid) + "delonend.sh";
    const int fd = fs.Open(script, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0700);
    if (fd < 0)
        return {};
    const bool written = WriteAll(fd, ExitScriptText(entries), fs);
    if (fs.Close(fd) != 0 || !written) {
        fs.Unlink(script);
        return {};
    }
    return script;
}

bool StartExitScript(const std::string& script)
{
    pid_t child = -1;
    // Only what the script's commands need: nothing of ours is inherited.
    return launcher::SpawnDetached({"/bin/sh", script}, "/", {"PATH=/usr/bin:/bin"}, true, child) == 0;
}

// ---- Checks ----------------------------------------------------------------------------

bool SameFolder(const std::string& a, const std::string& b, FsOps& fs)
{
    struct stat first{};
    struct stat second{};
    return fs.Stat(a, first) == 0 && fs.Stat(b, second) == 0 && shell::SameNode(first, second);
}

bool IsInvalidNewName(const std::string& name)
{
    return name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos;
}

// ---- Dialogs ---------------------------------------------------------------------------

InputDialog SetInputDialog(InputDialog dialog)
{
    return std::exchange(InputDialogSlot(), std::move(dialog));
}

std::string InputBox(const std::string& title, const std::string& prompt)
{
    return Call(InputDialogSlot(), title, prompt);
}

// ---- The operations on the file list ---------------------------------------------------

FileOperations::FileOperations(FileBrowser& browser, FileOpsHost host, FsOps& fs)
    : browser_(browser), host_(std::move(host)), fs_(fs),
      editor_(std::make_unique<RenameEditor>(browser.FileListView()))
{
    editor_->Confirmed = [this](const std::string& text) { RenameTextBoxConfirmed(text); };
}

FileOperations::~FileOperations() = default;

void FileOperations::Busy(bool busy)
{
    Call(host_.Hourglass, busy);
}

void FileOperations::DeleteSelectedFiles(bool noAsk)
{
    if (GetDriveType(browser_.FolderListPath()) == DRIVE_CDROM) {
        Call(host_.ShowTip, std::string(kNoDeleteOnCdText));
        return;
    }
    browser_.FileNotificationStartStop("DeleteSelectedFiles", false);
    const bool changed = DeleteSelectedFileNow(noAsk);
    Busy(false);
    browser_.FileNotificationStartStop("DeleteSelectedFiles", true);
    if (changed)
        RefreshFileListAfterDelete();
}

// The names are taken before the question: what it names is what goes, even when the
// selection moves while the box is open.
bool FileOperations::DeleteSelectedFileNow(bool noAsk)
{
    const std::vector<std::string> names = browser_.SelectedFullNames();
    if (names.empty())
        return false;
    if (!noAsk && !Call(host_.DeleteWithoutAsking) &&
        MsgBox(DeleteQuestion(names), kMsgYesNo | kMsgQuestion, "Confirm") != kAnswerYes)
        return false;
    Busy(true);
    Call(host_.CloseMedia);
    for (const std::string& name : names)
        DeleteOneFile(name, deferred_, fs_);
    SyncDeferredList();
    return true;
}

// The file list hides deferred files, and the timer retries them while there are any.
void FileOperations::SyncDeferredList()
{
    browser_.DeferredDeletionList = deferred_.Names();
    Call(host_.RunDeferredTimer, !deferred_.Empty());
}

void FileOperations::Defer(const std::string& name)
{
    deferred_.Add(name, fs_);
    SyncDeferredList();
}

void FileOperations::RemoveVanishedRows()
{
    browser_.RemoveRowsWhere([this](const std::string& name) { return !Exists(name, fs_) || deferred_.Contains(name); });
}

void FileOperations::RefreshFileListAfterDelete()
{
    const int focusRow = browser_.CurrentRow();
    const std::string focusName = browser_.GetFullFilename(focusRow);
    RemoveVanishedRows();
    const int last = browser_.RowCount() - 1;
    const int row = std::min(focusRow, last);
    if (row >= 0) {
        if (browser_.GetFullFilename(row) != focusName)
            browser_.SelectAndFocusQuietly(row);
        else if (row < last)
            browser_.SelectAndFocusQuietly(row + 1);
    }
    if (Call(host_.TitleClosed))
        Call(host_.PlaySelection, std::string("ShellFileOppByIdx (func<>FO_COPY)"));
    if (!Call(host_.IsForeground))
        Call(host_.BringToFront);
}

void FileOperations::DeferredDeletionTick()
{
    // A running copy has paused the folder watch; the tick would start it again under it.
    if (transferring_)
        return;
    browser_.FileNotificationStartStop("timDeleteFilesToDelete_Timer", false);
    const DeferredDeletions::RetryResult result = deferred_.Retry(fs_);
    SyncDeferredList();
    // A name another file took is listed again.
    if (result.reused)
        browser_.RefreshDirAndFileList();
    browser_.FileNotificationStartStop("timDeleteFilesToDelete_Timer", true);
}

bool FileOperations::StartDeletionScriptIfNeeded(const std::string& tempFolder, pid_t pid)
{
    if (deferred_.Empty())
        return false;
    const std::string script = WriteExitScript(deferred_.Entries(), tempFolder, pid, fs_);
    return !script.empty() && StartExitScript(script);
}

// ---- Move and copy ---------------------------------------------------------------------

std::optional<std::string> FileOperations::EntryFolder(int index) const
{
    const std::optional<std::string> path = Call(host_.DestinationPath, index);
    if (!path || *path == "+++" || (!path->empty() && path->front() != '/'))
        return std::nullopt;
    return path;
}

bool FileOperations::CheckDestination(const std::string& path)
{
    if (path.empty()) {
        MsgBox(kDestinationEmptyText, kMsgExclamation, kAppTitle);
        return false;
    }
    if (SameFolder(path, browser_.CurrentFolder(), fs_)) {
        Busy(false);
        MsgBox(kCopyToItselfText, kMsgExclamation, kAppTitle);
        return false;
    }
    return true;
}

int FileOperations::RowOfFullName(const std::string& fullName) const
{
    for (int row = 0; row < browser_.RowCount(); ++row)
        if (browser_.GetFullFilename(row) == fullName)
            return row;
    return -1;
}

// Each file is renamed on its file system (never over another file), or linked where a
// rename is refused; files on another file system go through the copy engine together.
// A file that cannot be moved stays listed.
void FileOperations::MoveToEntry(int index)
{
    const std::optional<std::string> folder = EntryFolder(index);
    if (!folder || !CheckDestination(*folder))
        return;
    const int focusRow = browser_.CurrentRow();
    const std::vector<std::string> names = browser_.SelectedFullNames();
    if (names.empty())
        return;
    Busy(true);
    Call(host_.CloseMedia);
    browser_.FileNotificationStartStop("movefile", false);
    std::set<std::string> moved;
    std::vector<std::string> otherFileSystem;
    for (const std::string& name : names) {
        const std::string target = AddTrailingSlash(*folder) + GetFileNamePart(name);
        const int err = shell::MoveNoReplace(fs_, name, target);
        if (err == 0) {
            moved.insert(name);
        } else if (err == EXDEV) {
            otherFileSystem.push_back(name);
        } else if (fs_.Link(name, target) == 0) {
            Defer(name);
            moved.insert(name);
        }
    }
    if (!otherFileSystem.empty())
        for (const std::string& name : RunTransfer(otherFileSystem, *folder, FileOp::Move).done)
            moved.insert(name);
    browser_.RemoveRowsWhere([&](const std::string& name) { return moved.contains(name); });
    browser_.FileNotificationStartStop("movefile", true);
    if (focusRow >= 0 && focusRow < browser_.RowCount())
        browser_.SelectAndFocusQuietly(focusRow);
    Busy(false);
}

void FileOperations::CopyToEntry(int index)
{
    ShellFileOppByIdx(index, FileOp::Copy);
}

bool FileOperations::ShellFileOppByIdx(int index, FileOp op)
{
    const std::optional<std::string> folder = EntryFolder(index);
    if (!folder || !CheckDestination(*folder))
        return false;
    if (!IsFolder(*folder)) {
        MsgBox(kTargetMissingText, kMsgExclamation, kAppTitle);
        return false;
    }
    const std::vector<std::string> names = browser_.SelectedFullNames();
    if (names.empty()) {
        MsgBox(kNoFileSelectedText, kMsgExclamation, kAppTitle);
        return false;
    }
    const int64_t start = Now();
    Busy(true);
    const bool ok = SH_FileOperation(names, *folder, op).ok;
    KeepHourglassUntil(start);
    return ok;
}

int64_t FileOperations::Now() const
{
    return host_.TickCountMs ? host_.TickCountMs() : TickCountMs();
}

// A copy over in a moment still shows the hourglass long enough to be seen.
void FileOperations::KeepHourglassUntil(int64_t start)
{
    const int64_t elapsed = Now() - start;
    if (elapsed >= 0 && elapsed < kMinimumHourglassMs) {
        const int rest = int(kMinimumHourglassMs - elapsed);
        if (host_.Wait)
            host_.Wait(rest);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(rest));
    }
    Busy(false);
}

void FileOperations::CopyMoveToBrowse(FileOp op)
{
    const std::string folder = ChooseFolder(nullptr, kSelectFolderTitle, browser_.FolderListPath());
    if (!folder.empty()) {
        ShellFileOppByPath(folder, op);
        Call(host_.AddFolderToDynMenu, folder);
    }
    browser_.FocusFileList();
    Busy(false);
}

void FileOperations::ShellFileOppByPath(const std::string& path, FileOp op)
{
    if (!CheckDestination(path))
        return;
    const std::vector<std::string> names = browser_.SelectedFullNames();
    if (names.empty()) {
        MsgBox(kNoFileSelectedText, kMsgExclamation, kAppTitle);
        return;
    }
    const int focusRow = browser_.CurrentRow();
    const std::string focusName = browser_.GetFullFilename(focusRow);
    const int64_t start = Now();
    Busy(true);
    if (op != FileOp::Copy)
        Call(host_.CloseMedia);
    SH_FileOperation(names, path, op);
    KeepHourglassUntil(start);
    if (op == FileOp::Move)
        FocusAfterMove(focusRow, focusName);
}

// The moved files leave the list; the focus stays at its row, and when the file there
// did not move, the selection goes on to its neighbour.
void FileOperations::FocusAfterMove(int focusRow, const std::string& focusName)
{
    RemoveVanishedRows();
    const int last = browser_.RowCount() - 1;
    const int row = std::min(focusRow, last);
    if (row < 0)
        return;
    browser_.SelectAndFocusQuietly(row);
    if (browser_.GetFullFilename(row) == focusName && last > 0)
        browser_.SelectAndFocusQuietly(row < last ? row + 1 : row - 1);
}

shell::TransferResult FileOperations::SH_FileOperation(const std::vector<std::string>& sources,
                                                       const std::string& folder, FileOp op)
{
    const std::string tag = "SH_FileOperation " + std::to_string(int(op));
    browser_.FileNotificationStartStop(tag, false);
    shell::TransferResult result = RunTransfer(sources, folder, op);
    browser_.FileNotificationStartStop(tag, true);
    return result;
}

shell::TransferResult FileOperations::RunTransfer(const std::vector<std::string>& sources, const std::string& folder,
                                                  FileOp op)
{
    const std::unique_ptr<shell::TransferUi> ui = Call(host_.MakeTransferUi);
    if (!ui || !host_.Transfer)
        return {};
    transferring_ = true;
    shell::TransferResult result = host_.Transfer(op, sources, folder, *ui, fs_);
    transferring_ = false;
    return result;
}

// ---- Rename and new folder -------------------------------------------------------------

void FileOperations::ShowRenameTextBox()
{
    const std::vector<std::string> names = browser_.SelectedFullNames();
    if (names.size() != 1)
        return;
    renameTarget_ = names.front();
    editor_->Open(RowOfFullName(renameTarget_), QString::fromStdString(GetFileNamePart(renameTarget_)));
}

// The file named when the editor opened is renamed, wherever the selection went since.
void FileOperations::RenameTextBoxConfirmed(const std::string& newName)
{
    const std::string from = std::exchange(renameTarget_, std::string{});
    browser_.ProgrammaticSelection = true;
    browser_.FocusFileList();
    browser_.ProgrammaticSelection = false;
    const std::string oldName = QString::fromStdString(GetFileNamePart(from)).toStdString();
    if (from.empty() || newName.empty() || newName == oldName)
        return;
    int err = kInvalidNameError;
    if (!IsInvalidNewName(newName)) {
        browser_.FileNotificationStartStop("renamefile", false);
        const std::string to = GetFullFilenameByFilename(GetContainingFolder(from), newName);
        if (RenameFile(from, to, err))
            browser_.RenameRow(RowOfFullName(from), newName);
        browser_.FileNotificationStartStop("renamefile", true);
        if (err != 0)
            err = Win32ErrorFromErrno(err, to);
    }
    if (err != 0)
        MsgBox("Error " + std::to_string(err) + " renaming file", kMsgOk, kAppTitle);
}

// A rename that is refused becomes a link under the new name, the old name deferred.
bool FileOperations::RenameFile(const std::string& from, const std::string& to, int& err)
{
    err = shell::MoveNoReplace(fs_, from, to);
    if (err == 0)
        return true;
    if (err == EEXIST || fs_.Link(from, to) != 0)
        return false;
    err = 0;
    Defer(from);
    return true;
}

void FileOperations::NewFolder()
{
    const std::string name = InputBox("New Folder", "");
    if (IsInvalidNewName(name))
        return;
    const std::string parent = browser_.HighlightedFolder();
    if (fs_.Mkdir(AddTrailingSlash(parent) + name, 0777) != 0)
        return;
    browser_.SetFolder(parent);
    browser_.RefreshDirAndFileList();
}

}  // namespace vistrel
