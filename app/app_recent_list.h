#pragma once

#include "core/settings.h"

#include <filesystem>
#include <string>
#include <vector>

namespace rz {

// One recent-file list of the profile: section "Recent File List" with
// values "File1".."File8" and the like, newest first. GUI thread.
class RecentFileList {
public:
    static constexpr size_t kEntries = 8;

    // `row` is the list's family in the settings table; its part is the
    // entry's number, 1..kEntries.
    explicit RecentFileList(const Setting& row);

    void read(const IProfile& profile);
    void write(IProfile& profile) const;

    // Moves the path to the front; the oldest entry falls off the end.
    void add(const std::filesystem::path& path);
    void remove(size_t index);
    const std::vector<std::filesystem::path>& entries() const { return m_entries; }

private:
    std::string part(size_t index) const;

    const Setting& m_row;
    std::vector<std::filesystem::path> m_entries;
};

} // namespace rz
