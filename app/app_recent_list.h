#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace rz {

class IProfile;

// One recent-file list of the profile: section "Recent File List" with
// values "File1".."File8" and the like, newest first. GUI thread.
class RecentFileList {
public:
    static constexpr size_t kEntries = 8;

    // `entryFormat` names the values: "File" gives "File1".."File8".
    RecentFileList(std::string section, std::string entryFormat);

    void read(const IProfile& profile);
    void write(IProfile& profile) const;

    // Moves the path to the front; the oldest entry falls off the end.
    void add(const std::filesystem::path& path);
    void remove(size_t index);
    const std::vector<std::filesystem::path>& entries() const { return m_entries; }

private:
    std::string valueName(size_t index) const;

    std::string m_section;
    std::string m_entryFormat;
    std::vector<std::filesystem::path> m_entries;
};

} // namespace rz
