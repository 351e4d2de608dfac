#include "app/app_recent_list.h"

#include "core/profile.h"
#include "core/settings.h"

#include <algorithm>

namespace rz {

namespace {

std::string entryNumber(size_t index)
{
    return std::to_string(index + 1);
}

const Setting& rowOf(RecentFileList::Kind kind)
{
    switch (kind) {
    case RecentFileList::Kind::Sets: return settings::kRecentSet;
    case RecentFileList::Kind::Songs: return settings::kRecentSong;
    case RecentFileList::Kind::Filters: break;
    }
    return settings::kRecentFilter;
}

} // namespace

RecentFileList::RecentFileList(Kind kind) : m_row(rowOf(kind)) {}

// The list stops at the first empty entry.
void RecentFileList::read(const IProfile& profile)
{
    m_entries.clear();
    for (size_t i = 0; i < kEntries; ++i) {
        const std::string path = readSettingText(profile, m_row, entryNumber(i));
        if (path.empty())
            break;
        m_entries.emplace_back(path);
    }
}

void RecentFileList::write(IProfile& profile) const
{
    for (size_t i = 0; i < kEntries; ++i) {
        if (i < m_entries.size())
            writeSettingText(profile, m_row, m_entries[i].string(), entryNumber(i));
        else
            removeSetting(profile, m_row, entryNumber(i));
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

void RecentFileList::remember(const std::filesystem::path& path, IProfile& profile)
{
    add(std::filesystem::absolute(path).lexically_normal());
    write(profile);
}

void RecentFileList::remove(size_t index)
{
    if (index < m_entries.size())
        m_entries.erase(m_entries.begin() + std::ptrdiff_t(index));
}

} // namespace rz
