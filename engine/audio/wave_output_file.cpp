#include "engine/audio/wave_output_file.h"

#include <cerrno>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rz {

WaveOutputFile::~WaveOutputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

std::string WaveOutputFile::describe(const char* what, int error) const
{
    return std::string(what) + " " + m_path.string() + ": " + std::generic_category().message(error);
}

bool WaveOutputFile::create(const std::filesystem::path& path, std::string& reason)
{
    m_path = path;
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        reason = describe("cannot create", errno);
        return false;
    }
    return true;
}

bool WaveOutputFile::write(std::span<const uint8_t> bytes, std::string& reason)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            reason = describe("cannot write", written < 0 ? errno : EIO);
            return false;
        }
        bytes = bytes.subspan(size_t(written));
    }
    return true;
}

bool WaveOutputFile::writeAt(uint64_t offset, std::span<const uint8_t> bytes, std::string& reason)
{
    while (!bytes.empty()) {
        const ssize_t written = ::pwrite(m_fd, bytes.data(), bytes.size(), off_t(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            reason = describe("cannot write", written < 0 ? errno : EIO);
            return false;
        }
        bytes = bytes.subspan(size_t(written));
        offset += uint64_t(written);
    }
    return true;
}

bool WaveOutputFile::close(std::string& reason)
{
    if (m_fd < 0)
        return true;
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        reason = describe("cannot close", errno);
        return false;
    }
    return true;
}

void WaveOutputFile::discard()
{
    if (m_fd < 0)
        return;
    struct stat info {};
    const bool regular = ::fstat(m_fd, &info) == 0 && S_ISREG(info.st_mode);
    ::close(m_fd);
    m_fd = -1;
    if (regular)
        ::unlink(m_path.c_str());
}

} // namespace rz
