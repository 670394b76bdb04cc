#pragma once
// Every file system call of the file operations (copy, move, delete, rename, the deferred
// deletion and its exit script) goes through FsOps. The calls behave like the system
// calls they are named after: a result of -1 sets errno. Tests derive from FsOps and
// override Fault() to make the N-th call of a kind fail with a chosen errno, or to change
// the files between two calls (a source truncated in the middle of a copy).
#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace vistrel::shell {

enum class FsCall {
    Open,
    Read,
    Write,
    CopyRange,
    Fsync,
    Close,
    Stat,  // stat, lstat and fstat
    Rename,
    Link,
    Unlink,
    Mkdir,
    Rmdir,
    SetAttributes,  // fchmod, futimens
    ReadFolder,
};

class FsOps {
public:
    virtual ~FsOps() = default;

    int Open(const std::string& path, int flags, mode_t mode = 0);
    ssize_t Read(int fd, void* buffer, size_t size);
    ssize_t Write(int fd, const void* buffer, size_t size);
    // copy_file_range(2) from the current offset of `inFd` to that of `outFd`, both moved on:
    // the kernel copies (or shares the blocks) without the data passing through us.
    ssize_t CopyRange(int inFd, int outFd, size_t size);
    int Fsync(int fd);
    // syncfs(2): everything written to the file system that holds `fd` reaches the disk.
    // A fault of kind Fsync fails it too.
    int SyncFileSystem(int fd);
    int Close(int fd);
    int Stat(const std::string& path, struct stat& st);
    int Lstat(const std::string& path, struct stat& st);
    int Fstat(int fd, struct stat& st);
    // rename(2) that never replaces: EEXIST when `to` exists. File systems without the
    // flag answer EINVAL.
    int RenameNoReplace(const std::string& from, const std::string& to);
    // rename(2): replaces `to`. Only for a complete copy that goes over the file the
    // user chose to replace, and for case-only renames.
    int RenameReplace(const std::string& from, const std::string& to);
    int Link(const std::string& from, const std::string& to);
    int Unlink(const std::string& path);
    int Mkdir(const std::string& path, mode_t mode);
    int Rmdir(const std::string& path);
    int Fchmod(int fd, mode_t mode);
    // The access and modification times of `st` onto `fd`.
    int CopyTimes(int fd, const struct stat& st);
    // The names in `folder` without "." and "..".
    int ReadFolder(const std::string& folder, std::vector<std::string>& names);

protected:
    // Called before each call with the path it concerns ("" for calls on a descriptor);
    // a nonzero result is the errno with which the call fails without being made.
    virtual int Fault(FsCall, const std::string& /*path*/) { return 0; }
};

// The real file system, without faults.
FsOps& RealFs();

// The same file or folder: (st_dev, st_ino) match.
bool SameNode(const struct stat& a, const struct stat& b);

// Renames `from` to `to` on one file system and never replaces another file: 0, or the
// errno (EEXIST when `to` is another file, EXDEV across file systems). Where the file
// system lacks the no-replace flag, an lstat check guards a plain rename; a name that
// differs only in case on a file system that ignores case (`to` is the same file) is
// renamed plainly.
int MoveNoReplace(FsOps& fs, const std::string& from, const std::string& to);

}  // namespace vistrel::shell
