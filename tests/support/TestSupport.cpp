#include "support/TestSupport.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace vistrel::test {

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const std::string& text)
{
    WriteFile(path, Bytes(text));
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ReadText(const std::string& path)
{
    const auto bytes = ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> Bytes(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts)
{
    std::vector<uint8_t> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::string WriteIn(const QTemporaryDir& dir, const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    WriteFile(path, bytes);
    return path;
}

MsgBoxRecorder::MsgBoxRecorder(int answer)
{
    previous_ = SetMsgBoxHandler([this, answer](const std::string& text, int flags, const std::string& title) {
        messages_.push_back({text, flags, title});
        return answer;
    });
}

MsgBoxRecorder::~MsgBoxRecorder()
{
    SetMsgBoxHandler(std::move(previous_));
}

int RunUnprivileged(const std::function<int()>& check)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
        ::_exit(check());
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vistrel::test
