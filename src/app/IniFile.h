#pragma once
// Our INI file code: single keys read and written in a UTF-8 text file, with the rules settings files written by earlier versions and by hand rely on:
//
// - Section and key names compare without regard to case; the first matching section and,
//   inside it, the first matching key win.
// - Values are trimmed of blanks and tabs; one pair of enclosing quotes (" or ') is removed.
// - Lines whose first non-blank character is ';' are comments; lines without '=' are no keys.
// - CR LF and LF lines are read; LF lines are written, each key as "key=value".
// - Every read and every write is one independent file operation that opens and closes
//   the file; nothing is cached. Nothing throws.
#include <cstddef>
#include <string>

namespace vistrel {

// The read buffer's size: a value read is cut to this size - 1 characters, as files written
// by earlier versions were read.
constexpr size_t kIniReadBufferChars = 260;

class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& Path() const { return path_; }

    // The value of `key` in `section`, or `defaultValue` (trimmed) when the file, the
    // section or the key is missing. At most bufferChars - 1 UTF-8 characters are returned.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue,
                           size_t bufferChars = kIniReadBufferChars) const;

    // Writes "key=value": replaces the key's line in place, or appends the key at the end of
    // its section, or appends the section (creating the file). False when the file cannot be
    // read or written, or when a name or the value holds a line break or NUL (it could not be
    // read back as written).
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) const;

private:
    std::string path_;
};

}  // namespace vistrel
