#include "playback/AccessLevel.h"

#include "support/File64.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vistrel {

namespace {

bool CanOpen(const std::string& fullName, int flags)
{
    const int fd = OpenUserFile(fullName, flags);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

}  // namespace

bool IsOpenForWritingElsewhere(const std::string& fullName)
{
    const int fd = OpenUserFile(fullName, O_RDONLY);
    if (fd < 0)
        return false;
    bool inUse = false;
    if (::fcntl(fd, F_SETLEASE, F_RDLCK) == 0)
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
    else
        inUse = errno == EAGAIN;
    ::close(fd);
    return inUse;
}

int FileAccessLevel(const std::string& fullName)
{
    if (!CanOpen(fullName, O_RDONLY))
        return kAccessLocked;
    if (CanOpen(fullName, O_RDWR) && !IsOpenForWritingElsewhere(fullName))
        return kAccessFull;
    return kAccessReadOnly;
}

}  // namespace vistrel
