#pragma once
// The access test before a title opens: a read lease (F_SETLEASE F_RDLCK on a read-only
// descriptor) refused with EAGAIN means that another process holds the file open for
// writing.
#include <string>

namespace vistrel {

inline constexpr int kAccessLocked = 0;    // not readable
inline constexpr int kAccessReadOnly = 1;  // readable, but not writable by us or in use
inline constexpr int kAccessFull = 2;      // writable by us and not in use

int FileAccessLevel(const std::string& fullName);

// True when a read lease on the file is refused with EAGAIN (a writer holds it open).
// A lease refused for any other reason counts as not in use.
bool IsOpenForWritingElsewhere(const std::string& fullName);

}  // namespace vistrel
