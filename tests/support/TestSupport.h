#pragma once
// Helpers shared by the tests: files from bytes, a message-box recorder, and running a
// check without root's rights (so "access denied" can be produced when tests run as root).
#include "support/MsgBox.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
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

struct RecordedMessage {
    std::string text;
    int flags = 0;
    std::string title;
};

// Records every MsgBox call while it lives and answers with `answer`.
class MsgBoxRecorder {
public:
    explicit MsgBoxRecorder(int answer = vbOK);
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

// Readable failure messages for the standard types the tests compare.
namespace QTest {
template <>
inline char* toString(const std::string& text)
{
    return qstrdup(('"' + text + '"').c_str());
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
