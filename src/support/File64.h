#pragma once
// File object with 64-bit positions, on POSIX file descriptors.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vistrel {

// The error File64 throws: a number (ERR_NO_OPEN_FILE, ERR_SEEK), its source and the
// text shown to the user.
class Win32FileError : public std::runtime_error {
public:
    Win32FileError(int number, std::string description);
    int Number() const { return number_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }

private:
    int number_;
    std::string source_;
    std::string description_;
};

constexpr int ERR_NO_OPEN_FILE = 45603;
constexpr int ERR_SEEK = 45604;

// Opens a file the user named (`accessMode` O_RDONLY or O_RDWR) without ever waiting: a
// FIFO without a writer, a socket or a device would block a read or has no bytes of a
// file, so only a regular file is opened. -1 with errno set otherwise: EACCES for a
// name that is not a regular file.
int OpenUserFile(const std::string& path, int accessMode);

class File64 {
public:
    static constexpr int INVALID_HANDLE_VALUE = -1;

    File64() = default;
    ~File64();
    File64(const File64&) = delete;
    File64& operator=(const File64&) = delete;

    int FileHandle() const;
    const std::string& FileName() const;
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool AutoFlush() const;
    void SetAutoFlush(bool on);

    bool OpenFile(const std::string& fileName, bool readOnly);
    void CloseFile();
    // Reads up to `count` bytes into `bytes` from element 0 (grown to `count` when smaller).
    int32_t ReadBytes(int32_t count, std::vector<uint8_t>& bytes);
    // Text as bytes, one character per byte (Latin-1), followed by a NUL character.
    int32_t ReadString(int32_t count, std::string& text);
    void WriteBytes(const std::vector<uint8_t>& bytes);
    void Flush();
    void SeekToAbsolute64(uint32_t high, uint32_t low);
    void SeekToAbsolute(uint32_t position);
    void SeekRelative(int32_t distance);

private:
    void RequireOpen() const;

    int handle_ = INVALID_HANDLE_VALUE;
    std::string fileName_;
    bool autoFlush_ = false;
};

}  // namespace vistrel
