#pragma once
// The file system side of temporary copies: their names, the plans for copying and reading
// ahead (pure functions, so that they can be checked without a disk), the copy itself with
// its sparse tail, the wipe, and the removal of copies left behind by a Vistrel that is no
// longer running. Every file we create is new (O_EXCL), never reached through a link
// (O_NOFOLLOW) and readable by us alone (0600); the wipe and the clean-up only ever touch
// regular files that belong to us.
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vistrel::tempfiles {

inline constexpr int64_t kMiB = 1 << 20;
inline constexpr int64_t kPrefetchBlock = 256 * 1024;

struct ByteRange {
    int64_t offset = 0;
    int64_t length = 0;
    bool operator==(const ByteRange&) const = default;
};

// folder (with a trailing "/") + "Vistrel" + the pid in upper-case hex + ".tmp".
std::string TempCopyName(const std::string& folder, pid_t pid);
// The repair tool's output for `file`: "DivFix." before the file part, in the same folder.
std::string RepairOutputName(const std::string& file);
// Removes `name` (never following a link, never a directory); when something still has that
// name, the first free name with zeros inserted before ".tmp" (at most 1000 tries), else
// `name` unchanged.
std::string FreeTempName(const std::string& name);

// The sizes of the reads and writes that copy `copySize` bytes with about `availableMemory`
// bytes of memory free: a chunk is the memory left after the copy and a 5 MB margin, at least
// 10 MB; a copy that fits one chunk is one piece. No piece is empty.
std::vector<int64_t> PlanChunks(int64_t copySize, int64_t availableMemory);
// Where a partial copy of a file of `sourceLength` bytes keeps data near its end: the MiB at
// (length - 2 MiB) rounded up to a 4096 boundary, cut at the end of the file.
ByteRange TailWindow(int64_t sourceLength);
// The reads that warm the file cache for a file of `length` bytes: three passes of up to
// 11 blocks of 256 KiB from where the last read ended, each followed, for files above 4 MiB
// and below 2 GiB, by the last 256 KiB on a 4096 boundary. A pass ends at a short block.
std::vector<ByteRange> PrefetchPlan(int64_t length);

// Platform queries; -1 when unknown.
int64_t FreeSpace(const std::string& folder);
int64_t AvailableMemory();
// The mount point that holds `path` (what a user knows as its drive).
std::string MountPoint(const std::string& path);

enum class CopyOutcome { Copied, CannotCreate, Failed };
// Copies the first `copySize` bytes of `source` into the new file `target` (0600) in the
// chunks of `chunks`, or with the kernel's copy when `chunks` is empty. When the copy holds
// only the first part of the source, the target is stretched to the source's length with the
// tail window copied in place and zeros (holes) elsewhere, where the file system has holes.
// A failed copy leaves no target behind.
CopyOutcome CopyHead(const std::string& source, const std::string& target, int64_t copySize,
                     const std::vector<int64_t>& chunks);

// Zeros the first 32 KiB and the last (length mod 32 KiB + 32 KiB) bytes, flushes and removes
// the file; nothing when `name` is not a regular file of ours (a link is never followed).
// False when nothing was removed.
bool WipeAndDelete(const std::string& name);

// The pid a copy's name carries: "Vistrel" or "DivFix.Vistrel", hex digits up to the first
// ".", and ".tmp" at the end.
std::optional<pid_t> TempCopyOwner(const std::string& fileName);
// True for our own pid and for a process whose command name is "vistrel".
bool ProcessRunsVistrel(pid_t pid);
// Removes from `folder` the copies whose owner `runsVistrel` says is gone; only regular files.
// Returns how many went.
int RemoveStaleCopies(const std::string& folder, const std::function<bool(pid_t)>& runsVistrel);

// Reads the plan's ranges of `path` into a scratch buffer so that the next open finds them
// in the file cache. Never blocks on a non-file.
void PrefetchFile(const std::string& path);

}  // namespace vistrel::tempfiles
