#include "app/app_recent_list.h"

#include "core/profile.h"
#include "core/settings.h"

#include <algorithm>

namespace rz {

RecentFileList::RecentFileList(const Setting& row) : m_row(row)
{
}

std::string RecentFileList::part(size_t index) const
{
    return std::to_string(index + 1);
}

// The list stops at the first empty entry.
void RecentFileList::read(const IProfile& profile)
{
    m_entries.clear();
    for (size_t i = 0; i < kEntries; ++i) {
        const std::string path = readSettingText(profile, m_row, part(i));
        if (path.empty())
            break;
        m_entries.emplace_back(path);
    }
}

void RecentFileList::write(IProfile& profile) const
{
    for (size_t i = 0; i < kEntries; ++i) {
        if (i < m_entries.size())
            writeSettingText(profile, m_row, m_entries[i].string(), part(i));
        else
            removeSetting(profile, m_row, part(i));
    }
}

void RecentFileList::add(const std::filesystem::path& path)
{
    const auto same = std::find(m_entries.begin(), m_entries.end(), path);
    if (same != m_entries.end())
        m_entries.erase(same);
    m_entries.insert(m_entries.begin(), path);
    if (m_entries.size() > kEntries)
        m_entries.resize(kEntries);
}

void RecentFileList::remove(size_t index)
{
    if (index < m_entries.size())
        m_entries.erase(m_entries.begin() + std::ptrdiff_t(index));
}

} // namespace rz
