#pragma once
// Helpers shared by the tests: files from bytes, a message-box recorder, and running a
// check without root's rights (so "access denied" can be produced when tests run as root).
#include "mediainfo/InfoLines.h"
#include "support/MsgBox.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::test {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFile(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadFile(const std::string& path);
std::string ReadText(const std::string& path);
std::vector<uint8_t> Bytes(const std::string& text);  // the characters' codes as bytes
// Byte builders for handcrafted files.
std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts);
inline std::vector<uint8_t> Zeros(size_t count) { return std::vector<uint8_t>(count, 0); }
// Writes `bytes` as `name` inside `dir` and returns the file's full name.
std::string WriteIn(const QTemporaryDir& dir, const std::string& name, const std::vector<uint8_t>& bytes);
// Makes `path` a name that is no regular file: "fifo" (no writer), "socket" or "device"
// (a link to /dev/zero). False when it cannot be made.
bool MakeSpecialFile(const std::string& path, const std::string& kind);

// Handcrafted headers: numbers in either byte order, texts, fills; positions 0-based.
class ByteWriter {
public:
    ByteWriter& Text(std::string_view text);
    ByteWriter& U8(uint64_t v) { return Put(v, 1, false); }
    ByteWriter& LE16(uint64_t v) { return Put(v, 2, false); }
    ByteWriter& LE32(uint64_t v) { return Put(v, 4, false); }
    ByteWriter& LE64(uint64_t v) { return Put(v, 8, false); }
    ByteWriter& BE16(uint64_t v) { return Put(v, 2, true); }
    ByteWriter& BE24(uint64_t v) { return Put(v, 3, true); }
    ByteWriter& BE32(uint64_t v) { return Put(v, 4, true); }
    ByteWriter& BE64(uint64_t v) { return Put(v, 8, true); }
    ByteWriter& Utf16(std::string_view ascii);  // UTF-16LE, no terminator
    ByteWriter& Fill(size_t count, uint8_t value = 0);
    ByteWriter& Raw(const std::vector<uint8_t>& bytes);
    // Overwrites from `pos`, growing the buffer with zeros when needed.
    ByteWriter& PlaceAt(size_t pos, const std::vector<uint8_t>& bytes);
    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }
    operator std::vector<uint8_t>() const { return bytes_; }

private:
    ByteWriter& Put(uint64_t v, int count, bool bigEndian);
    std::vector<uint8_t> bytes_;
};

// Info lines from the given texts, the rest empty.
InfoLines Lines(std::initializer_list<std::string> texts);

// The committed media fixtures and the demo folder.
inline std::string Fixture(const std::string& name) { return VISTREL_FIXTURES_DIR "/media/" + name; }
inline std::string Demo(const std::string& name) { return VISTREL_SOURCE_DIR "/demo/" + name; }

// Open file descriptors of this process (to catch descriptors left open).
size_t OpenDescriptorCount();

struct RecordedMessage {
    std::string text;
    int flags = 0;
    std::string title;
};

// Records every MsgBox call while it lives and answers with `answer`.
class MsgBoxRecorder {
public:
    explicit MsgBoxRecorder(int answer = kAnswerOk);
    ~MsgBoxRecorder();
    const std::vector<RecordedMessage>& Messages() const { return messages_; }

private:
    std::vector<RecordedMessage> messages_;
    MsgBoxHandler previous_;
};

// Runs `check` in a child process; as root the child first becomes user "nobody".
// Returns the child's exit status (the value `check` returned), or -1 when it crashed.
int RunUnprivileged(const std::function<int()>& check);

}  // namespace vistrel::test

Q_DECLARE_METATYPE(std::vector<uint8_t>)  // handcrafted file bytes, as a test data column
Q_DECLARE_METATYPE(vistrel::InfoLines)

// Readable failure messages for the standard types the tests compare.
namespace QTest {
template <>
inline char* toString(const std::string& text)
{
    return qstrdup(('"' + text + '"').c_str());
}
template <>
inline char* toString(const vistrel::InfoLines& lines)
{
    std::string text = "{";
    for (const std::string& line : lines)
        text += '"' + line + "\" ";
    return qstrdup((text + "}").c_str());
}
template <>
inline char* toString(const std::vector<std::string>& list)
{
    std::string text = "{";
    for (const std::string& item : list)
        text += '"' + item + "\" ";
    return qstrdup((text + "}").c_str());
}
}  // namespace QTest
