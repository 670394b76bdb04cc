#include "support/TestSupport.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/stat.h>
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

bool MakeSpecialFile(const std::string& path, const std::string& kind)
{
    if (kind == "device")
        return ::symlink("/dev/zero", path.c_str()) == 0;
    return ::mknod(path.c_str(), (kind == "fifo" ? S_IFIFO : S_IFSOCK) | 0644, 0) == 0;
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

ByteWriter& ByteWriter::Text(std::string_view text)
{
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
}

ByteWriter& ByteWriter::Utf16(std::string_view ascii)
{
    for (const char c : ascii)
        LE16(static_cast<uint8_t>(c));
    return *this;
}

ByteWriter& ByteWriter::Fill(size_t count, uint8_t value)
{
    bytes_.insert(bytes_.end(), count, value);
    return *this;
}

ByteWriter& ByteWriter::Raw(const std::vector<uint8_t>& bytes)
{
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

ByteWriter& ByteWriter::PlaceAt(size_t pos, const std::vector<uint8_t>& bytes)
{
    if (bytes_.size() < pos + bytes.size())
        bytes_.resize(pos + bytes.size(), 0);
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(pos));
    return *this;
}

ByteWriter& ByteWriter::Put(uint64_t v, int count, bool bigEndian)
{
    for (int i = 0; i < count; ++i)
        bytes_.push_back(static_cast<uint8_t>(v >> (8 * (bigEndian ? count - 1 - i : i))));
    return *this;
}

InfoLines Lines(std::initializer_list<std::string> texts)
{
    InfoLines lines;
    std::copy_n(texts.begin(), std::min(texts.size(), lines.size()), lines.begin());
    return lines;
}

size_t OpenDescriptorCount()
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                                             std::filesystem::directory_iterator()));
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
