#pragma once
// Helpers shared by the tests: files from bytes, a message-box recorder, and running a
// check without root's rights (so "access denied" can be produced when tests run as root).
#include "support/MsgBox.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vistrel::test {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
void WriteFile(const std::string& path, const std::string& text);
std::vector<uint8_t> ReadFile(const std::string& path);
std::string ReadText(const std::string& path);
std::vector<uint8_t> Bytes(const std::string& text);  // the characters' codes as bytes

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
