#include "platform/shell/CopyEngine.h"

#include "support/FilePaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <utility>
#include <unordered_map>

namespace vistrel::shell {

namespace {

constexpr size_t kChunkSize = 1 << 20;
// What the kernel copies in one call: the progress and Cancel are asked between calls.
constexpr size_t kKernelChunkSize = 8 << 20;
// Written data is handed to the device every few MiB, so the progress follows what really
// reached the disk and the final fsync of a large file on a slow stick stays short.
constexpr off_t kWritebackWindow = 8 << 20;
constexpr int kMaxFolderDepth = 256;
// Small files are synced in batches: each fsync of a new file commits the file system's
// journal and flushes the disk's cache, so one syncfs for a batch costs about what one
// file's fsync costs. Each file is still renamed into place only after it is on the disk.
constexpr off_t kBatchedFileSize = 1 << 20;
constexpr size_t kBatchFiles = 64;

std::string Reason(int err)
{
    const char* text = strerrordesc_np(err);
    return text != nullptr ? text : "Unknown error " + std::to_string(err);
}

// copy_file_range cannot copy between these two files; read and write can.
bool KernelCopyRefused(int err)
{
    return err == EXDEV || err == EINVAL || err == ENOSYS || err == EOPNOTSUPP;
}

std::string Join(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string BaseName(const std::string& path)
{
    const std::string trimmed = RemoveTrailingSlashes(path);
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::string ParentOf(const std::string& path)
{
    const std::string trimmed = RemoveTrailingSlashes(path);
    const auto slash = trimmed.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : trimmed.substr(0, slash);
}

// "NAME (copy).EXT", then "NAME (copy 2).EXT"; a leading dot is part of the name.
std::string CopyName(const std::string& name, int number)
{
    const auto dot = name.rfind('.');
    const bool hasExtension = dot != std::string::npos && dot > 0;
    const std::string stem = hasExtension ? name.substr(0, dot) : name;
    const std::string extension = hasExtension ? name.substr(dot) : std::string{};
    const std::string tag = number == 1 ? " (copy)" : " (copy " + std::to_string(number) + ")";
    return stem + tag + extension;
}

bool SameContentState(const struct stat& before, const struct stat& after)
{
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec;
}

// Pending: written and closed to the batch; its outcome arrives later through a Settle.
enum class Outcome { Done, Skipped, Failed, Cancelled, Pending };
using Settle = std::function<void(Outcome)>;

// The result of one attempt at a step: a non-empty `error` is asked about (Retry, Skip,
// Cancel); otherwise `outcome` stands.
struct Step {
    Outcome outcome = Outcome::Done;
    std::string error;
};

Step Error(const std::string& reason) { return {Outcome::Failed, reason}; }
Step Error(int err) { return Error(Reason(err)); }
Step Finished(Outcome outcome) { return {outcome, {}}; }

const char kNotRegular[] = "Not a regular file";
const char kInsideSource[] = "The destination is inside the source folder";
const char kChanged[] = "The file changed while it was copied";

// Closes a descriptor on every path that does not close it with a checked Close first.
class Descriptor {
public:
    Descriptor(FsOps& fs, int fd) : fs_(fs), fd_(fd) {}
    ~Descriptor()
    {
        if (fd_ >= 0)
            fs_.Close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    int Release() { return std::exchange(fd_, -1); }
    bool Valid() const { return fd_ >= 0; }
    // The checked close: 0 or the errno of close(2).
    int Close()
    {
        const int result = fs_.Close(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }

private:
    FsOps& fs_;
    int fd_;
};

struct Totals {
    int files = 0;
    uint64_t bytes = 0;
};

// A complete copy under its temporary name, not yet synced.
struct PendingCopy {
    int fd = -1;
    std::string source;
    std::string folder;
    std::string temp;
    std::string target;
    bool replace = false;
    Settle settle;
};

class TransferJob {
public:
    TransferJob(FileOp op, TransferUi& ui, FsOps& fs) : op_(op), ui_(ui), fs_(fs), buffer_(kChunkSize) {}

    TransferResult Run(const std::vector<std::string>& sources, const std::string& destinationFolder);

private:
    bool Moving() const { return op_ == FileOp::Move; }
    Totals Scan(const std::string& path, std::vector<struct stat>& ancestors);
    bool Cancelled(int shownNumber);
    void CountFile(const std::string& name);
    void CountDone(const Totals& totals);
    Outcome Ask(const std::string& name, const std::function<Step()>& attempt);
    Outcome Item(const std::string& source, const std::string& folder, bool removeSource, const Settle* settle = nullptr);
    Outcome MoveItem(const std::string& source, const std::string& folder);
    Step MoveByRename(const std::string& source, const std::string& folder, struct stat& link, bool& handled);
    Outcome ResolveConflict(const std::string& name, const std::string& folder);
    Outcome CopyFile(const std::string& source, const std::string& folder, bool removeSource,
                     const Settle* settle = nullptr);
    Step TargetName(const std::string& source, const std::string& folder, std::string& target, bool& replace);
    Step CopyOnce(const std::string& source, const std::string& folder, const std::string& target, bool replace,
                  struct stat& copied, const Settle* settle = nullptr);
    void SyncPending();
    Step FinishPending(PendingCopy& copy, bool batchSynced);
    Step CopyData(int from, int to, const struct stat& source);
    ssize_t CopyThroughBuffer(int from, int to);
    Step CreateTemp(const std::string& folder, int& fd, std::string& path);
    Step Place(const std::string& temp, const std::string& folder, const std::string& target, bool replace);
    Step RemoveMovedSource(const std::string& source, const std::string& folder, const struct stat& copied);
    int SyncFolder(const std::string& folder);
    Outcome CopyFolder(const std::string& source, const std::string& folder, bool removeSource);
    Step PrepareFolder(const std::string& source, const std::string& folder, struct stat& st, std::string& target,
                       bool& created);
    Step FinishFolder(const std::string& source, const std::string& target, bool created, bool removeSource);
    bool InsideTree(const std::string& folder, const struct stat& tree);

    FileOp op_;
    TransferUi& ui_;
    FsOps& fs_;
    std::vector<char> buffer_;
    std::unordered_map<std::string, Totals> folderTotals_;
    std::vector<struct stat> openFolders_;  // the source folders being copied, outermost first
    std::vector<PendingCopy> pending_;
    int count_ = 0;
    int number_ = 0;
    uint64_t bytesDone_ = 0;
    uint64_t bytesTotal_ = 0;
    std::string name_;
    bool replaceAll_ = false;
    bool skipAll_ = false;
    bool cancelled_ = false;
    bool failed_ = false;
};

TransferResult TransferJob::Run(const std::vector<std::string>& sources, const std::string& destinationFolder)
{
    for (const std::string& source : sources) {
        std::vector<struct stat> ancestors;
        const Totals totals = Scan(source, ancestors);
        count_ += totals.files;
        bytesTotal_ += totals.bytes;
    }
    TransferResult result;
    for (const std::string& source : sources) {
        if (cancelled_)
            break;
        const Settle settle = [this, &result, source](Outcome outcome) {
            if (outcome == Outcome::Done)
                result.done.push_back(source);
            failed_ = failed_ || outcome == Outcome::Failed;
        };
        const Outcome outcome =
            Moving() ? MoveItem(source, destinationFolder) : Item(source, destinationFolder, false, &settle);
        if (outcome != Outcome::Pending)
            settle(outcome);
    }
    SyncPending();
    ui_.Finished();
    result.cancelled = cancelled_;
    result.ok = !cancelled_ && !failed_;
    return result;
}

// Files and bytes below `path` (links followed, as the copy follows them), so the progress
// can say "I of N"; each folder's figures are kept for a folder that moves by one rename.
Totals TransferJob::Scan(const std::string& path, std::vector<struct stat>& ancestors)
{
    struct stat st{};
    if (fs_.Stat(path, st) != 0)
        return {};
    if (S_ISREG(st.st_mode))
        return {1, static_cast<uint64_t>(st.st_size)};
    if (!S_ISDIR(st.st_mode))
        return {1, 0};
    std::vector<std::string> names;
    if (ancestors.size() >= kMaxFolderDepth || fs_.ReadFolder(path, names) != 0)
        return {};
    for (const struct stat& ancestor : ancestors)
        if (SameNode(ancestor, st))
            return {};
    ancestors.push_back(st);
    Totals totals;
    for (const std::string& name : names) {
        const Totals entry = Scan(Join(path, name), ancestors);
        totals.files += entry.files;
        totals.bytes += entry.bytes;
    }
    ancestors.pop_back();
    folderTotals_[path] = totals;
    return totals;
}

bool TransferJob::Cancelled(int shownNumber)
{
    if (!cancelled_ && !ui_.Progress(op_, name_, shownNumber, count_, bytesDone_, bytesTotal_))
        cancelled_ = true;
    return cancelled_;
}

void TransferJob::CountFile(const std::string& name)
{
    name_ = name;
    number_ = std::min(number_ + 1, count_);
}

void TransferJob::CountDone(const Totals& totals)
{
    number_ = std::min(number_ + totals.files, count_);
    bytesDone_ = std::min(bytesDone_ + totals.bytes, bytesTotal_);
}

// Runs `attempt` until it succeeds or the user skips or cancels its error.
Outcome TransferJob::Ask(const std::string& name, const std::function<Step()>& attempt)
{
    for (;;) {
        const Step step = attempt();
        if (step.error.empty())
            return step.outcome;
        switch (ui_.AskError(op_, name, step.error)) {
        case ErrorAnswer::Retry:
            continue;
        case ErrorAnswer::Skip:
            return Outcome::Failed;
        case ErrorAnswer::Cancel:
            cancelled_ = true;
            return Outcome::Cancelled;
        }
    }
}

// Copies `source` into `folder`; with `removeSource` (a move across file systems) each
// source goes only after its copy is verified and synced.
Outcome TransferJob::Item(const std::string& source, const std::string& folder, bool removeSource,
                          const Settle* settle)
{
    struct stat st{};
    if (fs_.Stat(source, st) == 0 && S_ISDIR(st.st_mode))
        return CopyFolder(source, folder, removeSource);
    return CopyFile(source, folder, removeSource, removeSource ? nullptr : settle);
}

Outcome TransferJob::MoveItem(const std::string& source, const std::string& folder)
{
    const std::string name = BaseName(source);
    name_ = name;
    if (Cancelled(std::min(number_ + 1, count_)))
        return Outcome::Cancelled;
    struct stat link{};
    bool handled = true;
    Outcome outcome = Ask(name, [&] {
        handled = true;
        return MoveByRename(source, folder, link, handled);
    });
    if (outcome != Outcome::Done || handled)
        return outcome;
    // Across file systems. A link to a folder is copied as the folder's content, and then
    // only the link goes: the folder it points to is never emptied.
    if (S_ISDIR(link.st_mode))
        return CopyFolder(source, folder, true);
    if (S_ISLNK(link.st_mode)) {
        struct stat target{};
        if (fs_.Stat(source, target) == 0 && S_ISDIR(target.st_mode)) {
            outcome = CopyFolder(source, folder, false);
            return outcome != Outcome::Done ? outcome : Ask(name, [&] {
                return fs_.Unlink(source) == 0 || errno == ENOENT ? Step{} : Error(errno);
            });
        }
    }
    return CopyFile(source, folder, true);
}

// The one-rename move. `handled` false: the item lies on another file system and is to
// be copied.
Step TransferJob::MoveByRename(const std::string& source, const std::string& folder, struct stat& link,
                               bool& handled)
{
    const std::string name = BaseName(source);
    struct stat sourceFolder{};
    struct stat destination{};
    if (fs_.Lstat(source, link) != 0)
        return Error(errno);
    if (fs_.Stat(ParentOf(source), sourceFolder) != 0 || fs_.Stat(folder, destination) != 0)
        return Error(errno);
    // Already there, maybe under another path (a bind mount or a linked folder, which
    // rename(2) reports as another file system): nothing to move, and never a copy
    // followed by the removal of the only file.
    if (SameNode(sourceFolder, destination)) {
        CountDone(S_ISDIR(link.st_mode) ? folderTotals_[source] : Totals{1, 0});
        return Finished(Outcome::Skipped);
    }
    if (S_ISDIR(link.st_mode) && InsideTree(folder, link))
        return Error(kInsideSource);
    const std::string target = Join(folder, name);
    int err = MoveNoReplace(fs_, source, target);
    struct stat existing{};
    if (err == EEXIST && S_ISDIR(link.st_mode) && fs_.Stat(target, existing) == 0 && S_ISDIR(existing.st_mode))
        return Finished(CopyFolder(source, folder, true));  // merged entry by entry
    if (err == EEXIST) {
        const Outcome answer = ResolveConflict(name, folder);
        if (answer != Outcome::Done)
            return Finished(answer);
        err = fs_.RenameReplace(source, target) == 0 ? 0 : errno;
    }
    if (err == EXDEV) {
        handled = false;
        return {};
    }
    if (err != 0)
        return Error(err);
    const uint64_t size = S_ISREG(link.st_mode) ? uint64_t(link.st_size) : 0;
    CountDone(S_ISDIR(link.st_mode) ? folderTotals_[source] : Totals{1, size});
    return {};
}

// Done = replace; Skipped or Cancelled otherwise.
Outcome TransferJob::ResolveConflict(const std::string& name, const std::string& folder)
{
    if (replaceAll_)
        return Outcome::Done;
    if (skipAll_)
        return Outcome::Skipped;
    switch (ui_.AskConflict(name, folder)) {
    case ConflictAnswer::ReplaceAll:
        replaceAll_ = true;
        [[fallthrough]];
    case ConflictAnswer::Replace:
        return Outcome::Done;
    case ConflictAnswer::SkipAll:
        skipAll_ = true;
        [[fallthrough]];
    case ConflictAnswer::Skip:
        return Outcome::Skipped;
    case ConflictAnswer::Cancel:
        break;
    }
    cancelled_ = true;
    return Outcome::Cancelled;
}

Outcome TransferJob::CopyFile(const std::string& source, const std::string& folder, bool removeSource,
                              const Settle* settle)
{
    const std::string name = BaseName(source);
    CountFile(name);
    const uint64_t bytesBefore = bytesDone_;
    struct stat st{};
    const Totals totals{0, fs_.Stat(source, st) == 0 && S_ISREG(st.st_mode) ? uint64_t(st.st_size) : 0};
    if (Cancelled(number_))
        return Outcome::Cancelled;
    std::string target;
    bool replace = false;
    struct stat copied{};
    Outcome outcome = Ask(name, [&] { return TargetName(source, folder, target, replace); });
    if (outcome == Outcome::Done)
        outcome = Ask(name, [&] {
            bytesDone_ = bytesBefore;
            return CopyOnce(source, folder, target, replace, copied, settle);
        });
    if (outcome == Outcome::Done && removeSource)
        outcome = Ask(name, [&] { return RemoveMovedSource(source, folder, copied); });
    bytesDone_ = bytesBefore;
    CountDone(totals);
    return outcome;
}

// The name the copy will get, after the conflict question when one exists.
Step TransferJob::TargetName(const std::string& source, const std::string& folder, std::string& target, bool& replace)
{
    const std::string name = BaseName(source);
    target = Join(folder, name);
    replace = false;
    struct stat existing{};
    struct stat st{};
    if (fs_.Lstat(target, existing) != 0)
        return errno == ENOENT ? Step{} : Error(errno);
    if (fs_.Stat(source, st) != 0)
        return Error(errno);
    if (SameNode(st, existing)) {
        if (Moving())
            return Finished(Outcome::Skipped);
        for (int number = 1; fs_.Lstat(target, existing) == 0; ++number)
            target = Join(folder, CopyName(name, number));
        return errno == ENOENT ? Step{} : Error(errno);
    }
    const Outcome answer = ResolveConflict(name, folder);
    replace = answer == Outcome::Done;
    return Finished(answer);
}

// One whole copy of a file: a hidden temporary file, filled, synced and checked, then
// renamed onto `target`. Any failure removes the temporary file.
Step TransferJob::CopyOnce(const std::string& source, const std::string& folder, const std::string& target,
                           bool replace, struct stat& copied, const Settle* settle)
{
    // A FIFO, a socket or a device is never opened: the open itself may wait or act.
    if (fs_.Stat(source, copied) != 0)
        return Error(errno);
    if (!S_ISREG(copied.st_mode))
        return Error(kNotRegular);
    Descriptor from(fs_, fs_.Open(source, O_RDONLY | O_NONBLOCK | O_NOCTTY));
    if (!from.Valid())
        return Error(errno);
    if (fs_.Fstat(from.Get(), copied) != 0)
        return Error(errno);
    if (!S_ISREG(copied.st_mode))
        return Error(kNotRegular);
    ::posix_fadvise(from.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
    int fd = -1;
    std::string temp;
    if (Step step = CreateTemp(folder, fd, temp); !step.error.empty())
        return step;
    Descriptor to(fs_, fd);
    const bool batched = settle != nullptr && copied.st_size <= kBatchedFileSize;
    Step step = CopyData(from.Get(), to.Get(), copied);
    if (step.error.empty() && step.outcome == Outcome::Done) {
        if (fs_.Fchmod(to.Get(), copied.st_mode & 07777) != 0 || fs_.CopyTimes(to.Get(), copied) != 0 ||
            (!batched && fs_.Fsync(to.Get()) != 0))
            step = Error(errno);
    }
    struct stat after{};
    if (step.error.empty() && step.outcome == Outcome::Done &&
        (fs_.Fstat(from.Get(), after) != 0 || !SameContentState(copied, after)))
        step = Error(kChanged);
    if (batched && step.error.empty() && step.outcome == Outcome::Done) {
        pending_.push_back({to.Release(), source, folder, temp, target, replace, *settle});
        if (pending_.size() >= kBatchFiles)
            SyncPending();
        return Finished(Outcome::Pending);
    }
    if (const int err = to.Close(); err != 0 && step.error.empty() && step.outcome == Outcome::Done)
        step = Error(err);
    if (step.error.empty() && step.outcome == Outcome::Done)
        return Place(temp, folder, target, replace);
    fs_.Unlink(temp);
    return step;
}

// Syncs, closes and renames the batch in the order it was written. When the batch's sync
// fails, each file is synced on its own, so the error is asked about for the file it
// concerns; Retry copies that file again on its own.
void TransferJob::SyncPending()
{
    std::vector<PendingCopy> batch;
    batch.swap(pending_);
    // Writeback of the whole batch starts first, so the blocks of every file are allocated
    // before the first fsync commits them together.
    for (const PendingCopy& copy : batch)
        ::sync_file_range(copy.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    const bool batchSynced = !batch.empty() && fs_.SyncFileSystem(batch.front().fd) == 0;
    for (PendingCopy& copy : batch) {
        const Step first = FinishPending(copy, batchSynced);
        bool tried = false;
        struct stat copied{};
        const auto again = [&] {
            return std::exchange(tried, true) ? CopyOnce(copy.source, copy.folder, copy.target, copy.replace, copied)
                                              : first;
        };
        if (first.error.empty())
            copy.settle(first.outcome);
        else
            copy.settle(cancelled_ ? Outcome::Cancelled : Ask(BaseName(copy.source), again));
    }
}

Step TransferJob::FinishPending(PendingCopy& copy, bool batchSynced)
{
    // After the batch's sync this only collects a write error the file's pages recorded.
    constexpr unsigned kWait = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    const int synced = batchSynced ? ::sync_file_range(copy.fd, 0, 0, kWait) : fs_.Fsync(copy.fd);
    int err = synced == 0 ? 0 : errno;
    if (fs_.Close(copy.fd) != 0 && err == 0)
        err = errno;
    if (err == 0)
        return Place(copy.temp, copy.folder, copy.target, copy.replace);
    fs_.Unlink(copy.temp);
    return Error(err);
}

// Chunks until the end of `from`, the progress asked between chunks. The kernel copies
// while it can; where it refuses these two files (another file system, one without the
// call) or stops short of the size, read and write go on from the offsets it reached.
// Fails when the bytes written differ from the size the source had at the start.
Step TransferJob::CopyData(int from, int to, const struct stat& source)
{
    off_t written = 0;
    off_t handedOver = 0;
    bool kernelCopy = true;
    for (;;) {
        const ssize_t got = kernelCopy ? fs_.CopyRange(from, to, kKernelChunkSize) : CopyThroughBuffer(from, to);
        if (kernelCopy && (got < 0 ? KernelCopyRefused(errno) : got == 0 && written < source.st_size)) {
            kernelCopy = false;
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Error(errno);
        if (got == 0)
            break;
        written += got;
        bytesDone_ += uint64_t(got);
        if (written - handedOver >= kWritebackWindow) {
            ::sync_file_range(to, handedOver, written - handedOver, SYNC_FILE_RANGE_WRITE);
            handedOver = written;
        }
        if (Cancelled(number_))
            return Finished(Outcome::Cancelled);
    }
    return written == source.st_size ? Step{} : Error(kChanged);
}

// One buffer read from `from` and written whole to `to`: its size, 0 at the end, or -1
// with errno (a write that makes no progress means a full disk).
ssize_t TransferJob::CopyThroughBuffer(int from, int to)
{
    const ssize_t got = fs_.Read(from, buffer_.data(), buffer_.size());
    for (ssize_t done = 0; got > 0 && done < got;) {
        const ssize_t put = fs_.Write(to, buffer_.data() + done, size_t(got - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            errno = put == 0 ? ENOSPC : errno;
            return -1;
        }
        done += put;
    }
    return got;
}

// ".vistrel-copy-XXXXXX": hidden from the list, of a fixed length so a 255-byte name
// never makes it too long, mode 0600 until the copy is complete.
Step TransferJob::CreateTemp(const std::string& folder, int& fd, std::string& path)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static std::mt19937 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".vistrel-copy-";
        for (int i = 0; i < 6; ++i)
            name += kLetters[random() % (sizeof kLetters - 1)];
        path = Join(folder, name);
        fd = fs_.Open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
        if (fd >= 0)
            return {};
        if (errno != EEXIST)
            return Error(errno);
    }
    return Error(EEXIST);
}

// The complete copy takes its name. Without `replace` an existing file is never replaced;
// one that appeared during the copy is a conflict of its own.
Step TransferJob::Place(const std::string& temp, const std::string& folder, const std::string& target, bool replace)
{
    int err = replace ? (fs_.RenameReplace(temp, target) == 0 ? 0 : errno) : MoveNoReplace(fs_, temp, target);
    Outcome outcome = Outcome::Done;
    if (err == EEXIST && !replace) {
        outcome = ResolveConflict(BaseName(target), folder);
        if (outcome == Outcome::Done)
            err = fs_.RenameReplace(temp, target) == 0 ? 0 : errno;
    }
    if (err == 0 && outcome == Outcome::Done)
        return {};
    fs_.Unlink(temp);
    return err != 0 && err != EEXIST ? Error(err) : Finished(outcome);
}

// The source of a move goes only when its copy is on the disk, the folder entry of the
// copy too, and the name still is the file that was copied. Gone already counts as done.
Step TransferJob::RemoveMovedSource(const std::string& source, const std::string& folder, const struct stat& copied)
{
    if (const int err = SyncFolder(folder); err != 0)
        return Error(err);
    struct stat now{};
    if (fs_.Stat(source, now) != 0)
        return errno == ENOENT ? Step{} : Error(errno);
    if (!SameNode(now, copied) || !SameContentState(copied, now))
        return Error(kChanged);
    if (fs_.Unlink(source) != 0 && errno != ENOENT)
        return Error(errno);
    return {};
}

int TransferJob::SyncFolder(const std::string& folder)
{
    Descriptor fd(fs_, fs_.Open(folder, O_RDONLY | O_DIRECTORY));
    if (!fd.Valid())
        return errno;
    const int err = fs_.Fsync(fd.Get()) == 0 ? 0 : errno;
    const int closeErr = fd.Close();
    return err != 0 ? err : closeErr;
}

// A folder: created (or merged into one of the same name), then its entries one by one;
// with `removeSource` each entry goes when it is done, and the folder when it is empty.
Outcome TransferJob::CopyFolder(const std::string& source, const std::string& folder, bool removeSource)
{
    const std::string name = BaseName(source);
    name_ = name;
    std::string target;
    bool created = false;
    struct stat st{};
    Outcome outcome = Ask(name, [&] { return PrepareFolder(source, folder, st, target, created); });
    if (outcome != Outcome::Done)
        return outcome;
    std::vector<std::string> names;
    outcome = Ask(name, [&] { return fs_.ReadFolder(source, names) == 0 ? Step{} : Error(errno); });
    if (outcome != Outcome::Done)
        return outcome;
    openFolders_.push_back(st);
    bool complete = true;
    const Settle settle = [this, &complete](Outcome entryOutcome) {
        complete = complete && entryOutcome == Outcome::Done;
        failed_ = failed_ || entryOutcome == Outcome::Failed;
    };
    for (const std::string& entry : names) {
        if (cancelled_)
            break;
        const std::string path = Join(source, entry);
        const Outcome entryOutcome = removeSource ? MoveItem(path, target) : Item(path, target, false, &settle);
        if (entryOutcome != Outcome::Pending)
            settle(entryOutcome);
    }
    SyncPending();  // the entries are in place before the folder's times are set
    openFolders_.pop_back();
    if (cancelled_)
        return Outcome::Cancelled;
    outcome = Ask(name, [&] { return FinishFolder(source, target, created, removeSource && complete); });
    return complete ? outcome : Outcome::Skipped;
}

Step TransferJob::PrepareFolder(const std::string& source, const std::string& folder, struct stat& st,
                                std::string& target, bool& created)
{
    struct stat existing{};
    if (fs_.Stat(source, st) != 0)
        return Error(errno);
    if (InsideTree(folder, st))
        return Error(kInsideSource);
    if (openFolders_.size() >= kMaxFolderDepth)
        return Error(ELOOP);
    for (const struct stat& open : openFolders_)
        if (SameNode(open, st))
            return Error(ELOOP);  // a link inside the tree to one of its own folders
    const std::string name = BaseName(source);
    target = Join(folder, name);
    for (int number = 1; fs_.Stat(target, existing) == 0 && SameNode(existing, st) && !Moving(); ++number)
        target = Join(folder, CopyName(name, number));
    created = fs_.Mkdir(target, 0700) == 0;
    if (created)
        return {};
    if (errno != EEXIST)
        return Error(errno);
    return fs_.Stat(target, existing) == 0 && S_ISDIR(existing.st_mode) ? Step{} : Error(EEXIST);
}

// The folder's mode and times once its entries are written (each entry changes its time).
Step TransferJob::FinishFolder(const std::string& source, const std::string& target, bool created, bool removeSource)
{
    struct stat st{};
    if (created) {
        Descriptor fd(fs_, fs_.Open(target, O_RDONLY | O_DIRECTORY));
        if (!fd.Valid() || fs_.Stat(source, st) != 0 || fs_.Fchmod(fd.Get(), st.st_mode & 07777) != 0 ||
            fs_.CopyTimes(fd.Get(), st) != 0)
            return Error(errno);
    }
    if (removeSource && fs_.Rmdir(source) != 0 && errno != ENOENT)
        return Error(errno);
    return {};
}

// `folder` is `tree` or lies below it: its parents are walked by identity, so another path
// to the same folder (a bind mount, a linked folder) is caught too.
bool TransferJob::InsideTree(const std::string& folder, const struct stat& tree)
{
    std::string path = folder;
    struct stat st{};
    struct stat parent{};
    if (fs_.Stat(path, st) != 0)
        return false;
    for (int depth = 0; depth < kMaxFolderDepth; ++depth) {
        if (SameNode(st, tree))
            return true;
        path += "/..";
        if (fs_.Stat(path, parent) != 0 || SameNode(parent, st))
            return false;
        st = parent;
    }
    return false;
}

}  // namespace

TransferResult Transfer(FileOp op, const std::vector<std::string>& sources, const std::string& destinationFolder,
                        TransferUi& ui, FsOps& fs)
{
    return TransferJob(op, ui, fs).Run(sources, destinationFolder);
}

}  // namespace vistrel::shell
