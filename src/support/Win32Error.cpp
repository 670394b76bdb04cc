#include "support/Win32Error.h"

#include <cerrno>
#include <sys/stat.h>

namespace vistrel {

namespace {

bool ParentFolderMissing(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (path.empty() || slash == std::string::npos || slash == 0)
        return false;
    struct stat st {};
    return ::stat(path.substr(0, slash).c_str(), &st) != 0 || !S_ISDIR(st.st_mode);
}

}  // namespace

int Win32ErrorFromErrno(int err, const std::string& path)
{
    switch (err) {
    case 0: return 0;
    case ENOENT: return ParentFolderMissing(path) ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case ENOMEDIUM:
    case EIO:
    case ENXIO: return 21;
    case EBUSY:
    case ETXTBSY: return 32;
    case EEXIST: return 183;
    case ENOSPC: return 112;
    case EXDEV: return 17;
    case EROFS: return 19;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ: return 123;
    case ENOTEMPTY: return 145;
    default: return 10000 + err;
    }
}

}  // namespace vistrel
