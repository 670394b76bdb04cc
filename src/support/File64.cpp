#include "support/File64.h"

#include "support/Win32Error.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vistrel {

namespace {
const char* const kSource = "Win32File Object";
}

Win32FileError::Win32FileError(int number, std::string description)
    : std::runtime_error(description), number_(number), source_(kSource),
      description_(std::move(description))
{
}

int OpenUserFile(const std::string& path, int accessMode)
{
    // The stat first: opening some devices already acts (a tape rewinds, a modem dials).
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return -1;
    if (!S_ISREG(info.st_mode)) {
        errno = EACCES;
        return -1;
    }
    // O_NONBLOCK and the fstat cover a name replaced by a FIFO or device in between.
    const int fd = ::open(path.c_str(), accessMode | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    return fd;
}

File64::~File64()
{
    if (IsOpen())
        ::close(handle_);
}

void File64::RequireOpen() const
{
    if (!IsOpen())
        throw Win32FileError(ERR_NO_OPEN_FILE, "There is no open file.");
}

int File64::FileHandle() const
{
    RequireOpen();
    return handle_;
}

const std::string& File64::FileName() const
{
    RequireOpen();
    return fileName_;
}

bool File64::AutoFlush() const
{
    RequireOpen();
    return autoFlush_;
}

void File64::SetAutoFlush(bool on)
{
    RequireOpen();
    autoFlush_ = on;
}

bool File64::OpenFile(const std::string& fileName, bool readOnly)
{
    if (IsOpen())
        return false;
    // Existing files only: never O_CREAT. Other programs keep every right on the file
    // while it is open.
    const int fd = OpenUserFile(fileName, readOnly ? O_RDONLY : O_RDWR);
    if (fd < 0)
        return false;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    handle_ = fd;
    fileName_ = fileName;
    return true;
}

void File64::CloseFile()
{
    RequireOpen();
    ::close(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    fileName_.clear();
    autoFlush_ = false;
}

int32_t File64::ReadBytes(int32_t count, std::vector<uint8_t>& bytes)
{
    RequireOpen();
    if (count <= 0)
        return 0;
    if (bytes.size() < static_cast<size_t>(count))
        bytes.resize(static_cast<size_t>(count));
    size_t total = 0;
    while (total < static_cast<size_t>(count)) {
        const ssize_t n = ::read(handle_, bytes.data() + total, static_cast<size_t>(count) - total);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        total += static_cast<size_t>(n);
    }
    return static_cast<int32_t>(total);
}

int32_t File64::ReadString(int32_t count, std::string& text)
{
    RequireOpen();
    std::vector<uint8_t> scratch;
    const int32_t n = ReadBytes(count, scratch);
    if (n == 0)
        return 0;
    text.assign(reinterpret_cast<const char*>(scratch.data()), static_cast<size_t>(n));
    text.push_back('\0');
    return n;
}

void File64::WriteBytes(const std::vector<uint8_t>& bytes)
{
    RequireOpen();
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(handle_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    if (autoFlush_)
        Flush();
}

void File64::Flush()
{
    RequireOpen();
    ::fsync(handle_);
}

void File64::SeekToAbsolute64(uint32_t high, uint32_t low)
{
    RequireOpen();
    const uint64_t position = (static_cast<uint64_t>(high) << 32) | low;
    ::lseek(handle_, static_cast<off_t>(position), SEEK_SET);
}

void File64::SeekToAbsolute(uint32_t position)
{
    SeekToAbsolute64(0, position);
}

void File64::SeekRelative(int32_t distance)
{
    RequireOpen();
    if (::lseek(handle_, distance, SEEK_CUR) >= 0)
        return;
    const std::string code = std::to_string(Win32ErrorFromErrno(errno));
    throw Win32FileError(ERR_SEEK, "Seek Error.\r\nError " + code + ".\r\n" + code);
}

}  // namespace vistrel
