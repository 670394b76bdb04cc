#pragma once
// The program reasons about file errors in Win32 error codes (2 file not found, 3 path
// not found, 5 access denied, 21 drive not ready, ...); one function maps errno to them.
#include <string>

namespace vistrel {

constexpr int ERROR_FILE_NOT_FOUND = 2;
constexpr int ERROR_PATH_NOT_FOUND = 3;
constexpr int ERROR_ACCESS_DENIED = 5;

// Maps an errno value to its Win32 code (10000 + errno when there is none). `path`
// (optional) is the name the failing call was given: ENOENT becomes 3 instead of 2 when
// its parent folder is missing.
int Win32ErrorFromErrno(int err, const std::string& path = {});

}  // namespace vistrel
