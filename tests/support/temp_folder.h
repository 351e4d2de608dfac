#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// A new, empty folder of its own under the system's temporary folder,
// removed afterwards with all it holds (its write permission is given
// back first, for tests that take it away). Made by mkdtemp, so a folder that a
// killed test left behind is never handed to another.
class TempFolder {
public:
    explicit TempFolder(std::string_view prefix = "rz_");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path file(std::string_view name) const { return m_path / name; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }
    // The names of the files it holds, sorted.
    std::vector<std::string> files() const;

private:
    std::filesystem::path m_path;
};

} // namespace rz
