#include "platform/shell/FsOps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace vistrel::shell {

namespace {

// Runs `call` unless the fault hook fails it first.
template <typename Call>
auto Checked(int fault, Call call) -> decltype(call())
{
    if (fault != 0) {
        errno = fault;
        return -1;
    }
    return call();
}

}  // namespace

int FsOps::Open(const std::string& path, int flags, mode_t mode)
{
    return Checked(Fault(FsCall::Open, path), [&] { return ::open(path.c_str(), flags | O_CLOEXEC, mode); });
}

ssize_t FsOps::Read(int fd, void* buffer, size_t size)
{
    return Checked(Fault(FsCall::Read, {}), [&] { return ::read(fd, buffer, size); });
}

ssize_t FsOps::Write(int fd, const void* buffer, size_t size)
{
    return Checked(Fault(FsCall::Write, {}), [&] { return ::write(fd, buffer, size); });
}

ssize_t FsOps::CopyRange(int inFd, int outFd, size_t size)
{
    return Checked(Fault(FsCall::CopyRange, {}),
                   [&] { return ::copy_file_range(inFd, nullptr, outFd, nullptr, size, 0); });
}

int FsOps::Fsync(int fd)
{
    return Checked(Fault(FsCall::Fsync, {}), [&] { return ::fsync(fd); });
}

int FsOps::SyncFileSystem(int fd)
{
    return Checked(Fault(FsCall::Fsync, {}), [&] { return ::syncfs(fd); });
}

int FsOps::Close(int fd)
{
    // The descriptor is released even when the close is made to fail: a failed close(2)
    // has closed it too.
    const int fault = Fault(FsCall::Close, {});
    const int result = ::close(fd);
    if (fault != 0) {
        errno = fault;
        return -1;
    }
    return result;
}

int FsOps::Stat(const std::string& path, struct stat& st)
{
    return Checked(Fault(FsCall::Stat, path), [&] { return ::stat(path.c_str(), &st); });
}

int FsOps::Lstat(const std::string& path, struct stat& st)
{
    return Checked(Fault(FsCall::Stat, path), [&] { return ::lstat(path.c_str(), &st); });
}

int FsOps::Fstat(int fd, struct stat& st)
{
    return Checked(Fault(FsCall::Stat, {}), [&] { return ::fstat(fd, &st); });
}

int FsOps::RenameNoReplace(const std::string& from, const std::string& to)
{
    return Checked(Fault(FsCall::Rename, from),
                   [&] { return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE); });
}

int FsOps::RenameReplace(const std::string& from, const std::string& to)
{
    return Checked(Fault(FsCall::Rename, from), [&] { return ::rename(from.c_str(), to.c_str()); });
}

int FsOps::Link(const std::string& from, const std::string& to)
{
    return Checked(Fault(FsCall::Link, from), [&] { return ::link(from.c_str(), to.c_str()); });
}

int FsOps::Unlink(const std::string& path)
{
    return Checked(Fault(FsCall::Unlink, path), [&] { return ::unlink(path.c_str()); });
}

int FsOps::Mkdir(const std::string& path, mode_t mode)
{
    return Checked(Fault(FsCall::Mkdir, path), [&] { return ::mkdir(path.c_str(), mode); });
}

int FsOps::Rmdir(const std::string& path)
{
    return Checked(Fault(FsCall::Rmdir, path), [&] { return ::rmdir(path.c_str()); });
}

int FsOps::Fchmod(int fd, mode_t mode)
{
    return Checked(Fault(FsCall::SetAttributes, {}), [&] { return ::fchmod(fd, mode); });
}

int FsOps::CopyTimes(int fd, const struct stat& st)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    return Checked(Fault(FsCall::SetAttributes, {}), [&] { return ::futimens(fd, times); });
}

int FsOps::ReadFolder(const std::string& folder, std::vector<std::string>& names)
{
    return Checked(Fault(FsCall::ReadFolder, folder), [&] {
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr)
            return -1;
        names.clear();
        errno = 0;
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        const int readError = errno;
        ::closedir(dir);
        errno = readError;
        return readError == 0 ? 0 : -1;
    });
}

FsOps& RealFs()
{
    static FsOps real;
    return real;
}

bool SameNode(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

int MoveNoReplace(FsOps& fs, const std::string& from, const std::string& to)
{
    if (fs.RenameNoReplace(from, to) == 0)
        return 0;
    const int err = errno;
    struct stat source{};
    struct stat target{};
    if (err == EEXIST && fs.Lstat(from, source) == 0 && fs.Lstat(to, target) == 0 && SameNode(source, target))
        return fs.RenameReplace(from, to) == 0 ? 0 : errno;
    if (err != EINVAL)
        return err;
    if (fs.Lstat(to, target) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return fs.RenameReplace(from, to) == 0 ? 0 : errno;
}

}  // namespace vistrel::shell
