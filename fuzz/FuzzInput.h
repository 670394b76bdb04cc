#pragma once
// The readers take a file name. A fuzz input reaches them as a file in a private folder
// on a memory file system (/dev/shm when it exists), rewritten for every input, so the
// readers' code stays as it is.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace vistrel::fuzz {

class FuzzInput {
public:
    FuzzInput()
    {
        std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/vistrel-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()))
            folder_ = pattern;
    }
    ~FuzzInput()
    {
        if (!last_.empty())
            ::unlink(last_.c_str());
        if (!folder_.empty())
            ::rmdir(folder_.c_str());
    }

    // Writes the input as "input.<extension>" and returns its full name.
    const std::string& Write(const uint8_t* data, size_t size, const std::string& extension)
    {
        if (!last_.empty())
            ::unlink(last_.c_str());
        last_ = folder_ + "/input." + extension;
        const int fd = ::open(last_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            std::abort();
        size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd, data + done, size - done);
            if (n <= 0)
                std::abort();
            done += static_cast<size_t>(n);
        }
        ::close(fd);
        return last_;
    }

private:
    std::string folder_;
    std::string last_;
};

// One input folder per process, removed at exit.
inline FuzzInput& Input()
{
    static FuzzInput input;
    return input;
}

}  // namespace vistrel::fuzz
