#pragma once
// The spec's tables speak in Win32 error codes; one function maps errno to them
// (DESIGN.md section 3) so those tables apply unchanged on Linux.
#include <string>

namespace vistrel {

constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_PATH_NOT_FOUND = 3;
constexpr int ERROR_ACCESS_DENIED = 5;

// Maps an errno value to the spec's Win32 code. `path` (optional) is the name the
// failing call was given: ENOENT becomes 3 instead of 2 when its parent folder is missing.
int Win32ErrorFromErrno(int err, const std::string& path = {});

}  // namespace vistrel
