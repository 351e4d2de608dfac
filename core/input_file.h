#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace rz {

// A file named by the user or by another file, opened for reading. Opening
// never blocks: a FIFO, a device or a folder is refused with "not a regular
// file" instead of waiting for a writer, and a file past the reader's size
// cap is refused before a byte is read. Reasons do not name the file; the
// caller puts its name in front. Any thread but a realtime one.
class InputFile {
public:
    InputFile() = default;
    ~InputFile();
    InputFile(InputFile&& other) noexcept;
    InputFile& operator=(InputFile&& other) noexcept;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens `path` (O_NONBLOCK, then blocking again once it is known to be a
    // regular file) and checks its size against `maxBytes`.
    static std::optional<InputFile> open(const std::filesystem::path& path, uint64_t maxBytes,
                                         std::string& reason);

    int fd() const { return m_fd; }
    // The size at open, in bytes.
    uint64_t size() const { return m_size; }

    // Reads exactly `count` bytes at `offset`; a file that shrank fails.
    bool readAt(uint64_t offset, void* out, size_t count, std::string& reason) const;
    // Reads up to `count` bytes at `offset`; the bytes read.
    std::optional<size_t> readSome(uint64_t offset, void* out, size_t count, std::string& reason) const;

private:
    int m_fd = -1;
    uint64_t m_size = 0;
};

// The whole file, refused as InputFile::open refuses it. A file that grew
// after the open is cut at the size it had then.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes,
                                         std::string& reason);
std::optional<std::vector<uint8_t>> ReadWholeFileBytes(const std::filesystem::path& path,
                                                       uint64_t maxBytes, std::string& reason);

// "12 MB" for the reasons of size caps.
std::string DescribeByteCount(uint64_t bytes);

} // namespace rz
