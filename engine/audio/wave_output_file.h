#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace rz {

// A wave file being written: every step checked, every failure returned with
// a reason naming the file and the system's error. Used by one thread at a
// time.
class WaveOutputFile {
public:
    WaveOutputFile() = default;
    ~WaveOutputFile();
    WaveOutputFile(const WaveOutputFile&) = delete;
    WaveOutputFile& operator=(const WaveOutputFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    const std::filesystem::path& path() const { return m_path; }

    // Creates (or truncates) the file for writing.
    bool create(const std::filesystem::path& path, std::string& reason);
    // Appends all the bytes.
    bool write(std::span<const uint8_t> bytes, std::string& reason);
    // Writes the bytes at an offset; the append position stays.
    bool writeAt(uint64_t offset, std::span<const uint8_t> bytes, std::string& reason);
    // Closes the file; a failed close (a late write error) is returned.
    bool close(std::string& reason);
    // Closes the file and removes it when it is a regular file: a file that
    // could not be written whole is not left behind.
    void discard();

private:
    std::string describe(const char* what, int error) const;

    int m_fd = -1;
    std::filesystem::path m_path;
};

} // namespace rz
