// Opening files that others made: never blocking on a FIFO or a device, and
// never reading more than the reader takes.
#include "core/input_file.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz {
namespace {

std::string systemReason(const char* what, int error)
{
    return std::string(what) + ": " + std::generic_category().message(error);
}

template <class Bytes>
std::optional<Bytes> readWhole(const std::filesystem::path& path, uint64_t maxBytes, std::string& reason)
{
    auto file = InputFile::open(path, maxBytes, reason);
    if (!file)
        return std::nullopt;
    Bytes bytes(size_t(file->size()), '\0');
    if (!file->readAt(0, bytes.data(), bytes.size(), reason))
        return std::nullopt;
    return bytes;
}

} // namespace

InputFile::~InputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

InputFile::InputFile(InputFile&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_size(other.m_size)
{
}

InputFile& InputFile::operator=(InputFile&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_size = other.m_size;
    }
    return *this;
}

std::optional<InputFile> InputFile::open(const std::filesystem::path& path, uint64_t maxBytes,
                                         std::string& reason)
{
    InputFile file;
    // The system would read the name only up to the NUL: another file.
    if (path.native().find('\0') != std::string::npos) {
        reason = "the name holds a NUL byte";
        return std::nullopt;
    }
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    file.m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file.m_fd < 0) {
        reason = systemReason("cannot open", errno);
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.m_fd, &info) != 0) {
        reason = systemReason("cannot open", errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? "not a regular file (a folder)" : "not a regular file";
        return std::nullopt;
    }
    file.m_size = uint64_t(info.st_size);
    if (file.m_size > maxBytes) {
        reason = "too large (over " + DescribeByteCount(maxBytes) + ")";
        return std::nullopt;
    }
    const int flags = ::fcntl(file.m_fd, F_GETFL);
    if (flags < 0 || ::fcntl(file.m_fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        reason = systemReason("cannot open", errno);
        return std::nullopt;
    }
    return file;
}

std::optional<size_t> InputFile::readSome(uint64_t offset, void* out, size_t count, std::string& reason) const
{
    auto* to = static_cast<char*>(out);
    size_t done = 0;
    while (done < count) {
        const ssize_t got = ::pread(m_fd, to + done, count - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            reason = systemReason("cannot read", errno);
            return std::nullopt;
        }
        if (got == 0)
            break;
        done += size_t(got);
    }
    return done;
}

bool InputFile::readAt(uint64_t offset, void* out, size_t count, std::string& reason) const
{
    const auto got = readSome(offset, out, count, reason);
    if (!got)
        return false;
    if (*got < count) {
        reason = "the file shrank while it was read";
        return false;
    }
    return true;
}

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes,
                                         std::string& reason)
{
    return readWhole<std::string>(path, maxBytes, reason);
}

std::optional<std::vector<uint8_t>> ReadWholeFileBytes(const std::filesystem::path& path,
                                                       uint64_t maxBytes, std::string& reason)
{
    return readWhole<std::vector<uint8_t>>(path, maxBytes, reason);
}

std::string DescribeByteCount(uint64_t bytes)
{
    constexpr uint64_t kKilo = 1024;
    if (bytes >= kKilo * kKilo && bytes % (kKilo * kKilo) == 0)
        return std::to_string(bytes / (kKilo * kKilo)) + " MB";
    if (bytes >= kKilo && bytes % kKilo == 0)
        return std::to_string(bytes / kKilo) + " kB";
    return std::to_string(bytes) + " bytes";
}

} // namespace rz
