#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rz {

class IProfile;
struct Setting;

// One recent-file list of the profile: a row family of the settings table
// ("Recent File List" "File1".."File8" and the like), newest first. GUI
// thread.
class RecentFileList {
public:
    static constexpr size_t kEntries = 8;

    // Which list: its row family of the settings table.
    enum class Kind { Sets, Songs, Filters };

    explicit RecentFileList(Kind kind);

    void read(const IProfile& profile);
    void write(IProfile& profile) const;

    // Moves the path to the front; the oldest entry falls off the end.
    void add(const std::filesystem::path& path);
    // add(), the whole path, and the list written to the profile at once.
    void remember(const std::filesystem::path& path, IProfile& profile);
    void remove(size_t index);
    const std::vector<std::filesystem::path>& entries() const { return m_entries; }

private:
    const Setting& m_row;
    std::vector<std::filesystem::path> m_entries;
};

} // namespace rz
