#include "platform/tempfiles/TempFiles.h"

#include "support/File64.h"
#include "support/FileDescriptor.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace vistrel::tempfiles {

namespace {

constexpr const char* kTmpExtension = ".tmp";
constexpr int kMaxNameTries = 1000;
constexpr int64_t kMinChunk = 10'000'000;
constexpr int64_t kChunkMargin = 5'000'000;
constexpr int64_t kPage = 4096;
constexpr int64_t kWipeUnit = 32768;
constexpr int kPrefetchPasses = 3;
constexpr int kPrefetchBlocksPerPass = 11;
constexpr int64_t kPrefetchPassBytes = 4 * kMiB;
constexpr int64_t kPrefetchTailBelow = int64_t(2) << 30;
// File systems without holes: FAT and exFAT.
constexpr long kMsdosMagic = 0x4d44;
constexpr long kExfatMagic = 0x2011BAB0;

bool Exists(const std::string& name)
{
    struct stat st {};
    return ::lstat(name.c_str(), &st) == 0;
}

// Repeats `io` (pread or pwrite) until `size` bytes moved; false on an error or an early end.
template <typename Byte, typename Io>
bool AllBytes(Io io, int fd, Byte* buffer, int64_t size, int64_t offset)
{
    while (size > 0) {
        const ssize_t n = io(fd, buffer, size_t(size), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        buffer += n, size -= n, offset += n;
    }
    return true;
}

bool ReadFull(int fd, char* buffer, int64_t size, int64_t offset)
{
    return AllBytes(::pread, fd, buffer, size, offset);
}

bool WriteFull(int fd, const char* buffer, int64_t size, int64_t offset)
{
    return AllBytes(::pwrite, fd, buffer, size, offset);
}

bool CopyInChunks(int in, int out, const std::vector<int64_t>& chunks)
{
    std::vector<char> buffer(size_t(*std::max_element(chunks.begin(), chunks.end())));
    int64_t offset = 0;
    for (const int64_t size : chunks) {
        if (!ReadFull(in, buffer.data(), size, offset) || !WriteFull(out, buffer.data(), size, offset))
            return false;
        offset += size;
    }
    return true;
}

// The kernel copies without passing the data through our memory; between file systems that
// copy_file_range refuses, sendfile does it.
bool CopyInKernel(int in, int out, int64_t size)
{
    loff_t inOffset = 0, outOffset = 0;
    bool useSendfile = false;
    while (outOffset < size) {
        const size_t want = size_t(size - outOffset);
        ssize_t n = 0;
        if (!useSendfile) {
            n = ::copy_file_range(in, &inOffset, out, &outOffset, want, 0);
            if (n < 0 && outOffset == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
                useSendfile = true;
                continue;
            }
        } else {
            off_t offset = inOffset;
            n = ::sendfile(out, in, &offset, want);
            if (n > 0)
                inOffset = offset, outOffset += n;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
    }
    return true;
}

bool HasHoles(int fd)
{
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return false;
    return fs.f_type != kMsdosMagic && fs.f_type != kExfatMagic;
}

// Players look for an index near the end of a file: the stretched copy has data there.
bool AddTail(int in, int out, int64_t length)
{
    if (!HasHoles(out) || ::ftruncate(out, length) != 0)
        return true;  // a plain partial copy still plays its beginning
    const ByteRange window = TailWindow(length);
    std::vector<char> buffer(size_t(window.length));
    return window.length == 0 || (ReadFull(in, buffer.data(), window.length, window.offset) &&
                                  WriteFull(out, buffer.data(), window.length, window.offset));
}

bool IsHexDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(uint8_t(c)); });
}

}  // namespace

std::string TempCopyName(const std::string& folder, pid_t pid)
{
    char hex[20];
    std::snprintf(hex, sizeof hex, "%X", unsigned(pid));
    return folder + "Vistrel" + hex + kTmpExtension;
}

std::string RepairOutputName(const std::string& file)
{
    const size_t slash = file.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    return file.substr(0, start) + "DivFix." + file.substr(start);
}

std::string FreeTempName(const std::string& name)
{
    struct stat st {};
    if (::lstat(name.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        ::unlink(name.c_str());
    if (!Exists(name))
        return name;
    const size_t dot = name.rfind(kTmpExtension);
    if (dot == std::string::npos)
        return name;
    std::string candidate = name;
    for (int i = 0; i < kMaxNameTries; ++i) {
        candidate.insert(dot, "0");
        if (!Exists(candidate))
            return candidate;
    }
    return name;
}

std::vector<int64_t> PlanChunks(int64_t copySize, int64_t availableMemory)
{
    if (copySize <= 0)
        return {};
    const int64_t chunk = std::max(availableMemory - copySize - kChunkMargin, kMinChunk);
    const int64_t count = copySize / chunk + 1;
    if (count == 1)
        return {copySize};
    std::vector<int64_t> plan(size_t(count - 1), chunk);
    if (copySize % chunk != 0)
        plan.push_back(copySize % chunk);
    return plan;
}

ByteRange TailWindow(int64_t sourceLength)
{
    const int64_t start = std::max<int64_t>(sourceLength - 2 * kMiB, 0);
    const int64_t offset = (start + kPage - 1) / kPage * kPage;
    return {offset, std::clamp<int64_t>(sourceLength - offset, 0, kMiB)};
}

std::vector<ByteRange> PrefetchPlan(int64_t length)
{
    std::vector<ByteRange> plan;
    int64_t position = 0;
    const auto read = [&](int64_t offset) {
        const int64_t n = std::clamp<int64_t>(length - offset, 0, kPrefetchBlock);
        if (n > 0)
            plan.push_back({offset, n});
        position = offset + n;
        return n;
    };
    for (int pass = 0; pass < kPrefetchPasses; ++pass) {
        int64_t passBytes = 0;
        for (int block = 0; block < kPrefetchBlocksPerPass && passBytes < kPrefetchPassBytes; ++block) {
            const int64_t n = read(position);
            passBytes += n;
            if (n < kPrefetchBlock)
                break;
        }
        if (length > kPrefetchPassBytes && length < kPrefetchTailBelow)
            read((length - kPrefetchBlock) / kPage * kPage);
    }
    return plan;
}

int64_t FreeSpace(const std::string& folder)
{
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) != 0)
        return -1;
    return int64_t(fs.f_bavail) * int64_t(fs.f_frsize);
}

int64_t AvailableMemory()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    int64_t kib = 0;
    std::string unit;
    while (meminfo >> key >> kib >> unit)
        if (key == "MemAvailable:")
            return kib * 1024;
    return -1;
}

std::string MountPoint(const std::string& path)
{
    std::filesystem::path here = std::filesystem::path(path).lexically_normal();
    if (here.has_filename() == false && here != here.root_path())
        here = here.parent_path();
    struct stat st {};
    if (::stat(here.c_str(), &st) != 0)
        return path;
    while (here != here.root_path()) {
        struct stat parent {};
        const std::filesystem::path up = here.parent_path();
        if (::stat(up.c_str(), &parent) != 0 || parent.st_dev != st.st_dev)
            break;
        here = up;
    }
    return here.string();
}

CopyOutcome CopyHead(const std::string& source, const std::string& target, int64_t copySize,
                     const std::vector<int64_t>& chunks)
{
    const FileDescriptor in(OpenUserFile(source, O_RDONLY));
    struct stat st {};
    if (in.Get() < 0 || ::fstat(in.Get(), &st) != 0)
        return CopyOutcome::CannotCreate;
    bool ok = false;
    {
        const FileDescriptor out(::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (out.Get() < 0)
            return CopyOutcome::CannotCreate;
        ::posix_fadvise(in.Get(), 0, 0, POSIX_FADV_SEQUENTIAL);
        ok = chunks.empty() ? CopyInKernel(in.Get(), out.Get(), copySize) : CopyInChunks(in.Get(), out.Get(), chunks);
        if (ok && copySize < st.st_size)
            ok = AddTail(in.Get(), out.Get(), st.st_size);
    }
    if (ok)
        return CopyOutcome::Copied;
    ::unlink(target.c_str());
    return CopyOutcome::Failed;
}

bool WipeAndDelete(const std::string& name)
{
    {
        const FileDescriptor fd(::open(name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_DSYNC));
        struct stat st {};
        if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            return false;
        const int64_t length = st.st_size;
        const std::vector<char> zeros(size_t(2 * kWipeUnit), 0);
        const int64_t tail = std::min(length, length % kWipeUnit + kWipeUnit);
        WriteFull(fd.Get(), zeros.data(), std::min(length, kWipeUnit), 0);
        WriteFull(fd.Get(), zeros.data(), tail, length - tail);
        ::fdatasync(fd.Get());
    }
    return ::unlink(name.c_str()) == 0;
}

std::optional<pid_t> TempCopyOwner(const std::string& fileName)
{
    const std::string tmp = kTmpExtension;
    if (fileName.size() <= tmp.size() || fileName.compare(fileName.size() - tmp.size(), tmp.size(), tmp) != 0)
        return std::nullopt;
    for (const std::string prefix : {"DivFix.Vistrel", "Vistrel"}) {
        if (fileName.rfind(prefix, 0) != 0)
            continue;
        const std::string digits = fileName.substr(prefix.size(), fileName.find('.', prefix.size()) - prefix.size());
        if (!IsHexDigits(digits) || digits.size() > 8)
            return std::nullopt;
        return pid_t(std::stoul(digits, nullptr, 16));
    }
    return std::nullopt;
}

bool ProcessRunsVistrel(pid_t pid)
{
    if (pid == ::getpid())
        return true;
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    return std::getline(comm, name) && name == "vistrel";
}

int RemoveStaleCopies(const std::string& folder, const std::function<bool(pid_t)>& runsVistrel)
{
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return 0;
    int removed = 0;
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::optional<pid_t> owner = TempCopyOwner(entry->d_name);
        if (!owner || runsVistrel(*owner))
            continue;
        const std::string path = base + entry->d_name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
            ::unlink(path.c_str()) == 0)
            ++removed;
    }
    return removed;
}

void PrefetchFile(const std::string& path)
{
    const FileDescriptor fd(OpenUserFile(path, O_RDONLY));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0)
        return;
    ::posix_fadvise(fd.Get(), 0, 0, POSIX_FADV_RANDOM);  // the plan's reads, not the kernel's read-ahead
    std::vector<char> buffer(static_cast<size_t>(kPrefetchBlock));
    for (const ByteRange& range : PrefetchPlan(st.st_size))
        if (::pread(fd.Get(), buffer.data(), size_t(range.length), range.offset) < 0)
            return;
}

}  // namespace vistrel::tempfiles
