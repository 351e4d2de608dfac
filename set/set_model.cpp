#include "set/set_model.h"

#include "core/profile.h"
#include "song/smf_reader.h"

#include <algorithm>

namespace rz {
namespace {

constexpr int kDefaultMaxSetSize = 80;

// Linux names are case-sensitive: "a.mid" and "A.mid" are two songs.
bool samePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    return a.lexically_normal() == b.lexically_normal();
}

} // namespace

SetModel::SetModel(const SongContext& songContext) : m_songContext(songContext)
{
    m_songContext.setLink = this;
}

SetModel::~SetModel()
{
    CloseAllDocuments();
}

SetModel::Entry* SetModel::entryOf(const CSongDoc* song) const
{
    for (const auto& entry : m_entries)
        if (entry->song.get() == song)
            return entry.get();
    return nullptr;
}

CSongDoc* SetModel::songAt(size_t index) const
{
    return index < m_entries.size() ? m_entries[index]->song.get() : nullptr;
}

int SetModel::indexOf(const CSongDoc* song) const
{
    for (size_t i = 0; i < m_entries.size(); ++i)
        if (song != nullptr && m_entries[i]->song.get() == song)
            return int(i);
    return -1;
}

CSongDoc* SetModel::findSongByName(const std::filesystem::path& path) const
{
    for (const auto& entry : m_entries)
        if (samePath(entry->song->pathName, path))
            return entry->song.get();
    return nullptr;
}

bool SetModel::IsModified() const
{
    return m_modified || std::any_of(m_entries.begin(), m_entries.end(),
                                     [](const auto& entry) { return entry->song->IsModified(); });
}

CSongDoc* SetModel::AddSong(const std::filesystem::path& path, bool load, std::string& reason)
{
    CSongDoc* song = findSongByName(path);
    if (song == nullptr) {
        auto made = std::make_unique<CSongDoc>(m_songContext);
        made->SetPathName(path);
        song = addSong(std::move(made));
    }
    if (load && !song->contentFlag && !OpenSong(*song, path, reason))
        song->SetPathName(path);
    return song;
}

CSongDoc* SetModel::addSong(std::unique_ptr<CSongDoc> song)
{
    auto entry = std::make_unique<Entry>();
    entry->song = std::move(song);
    CSongDoc* added = entry->song.get();
    const std::lock_guard lock(m_entriesMutex);
    m_entries.push_back(std::move(entry));
    return added;
}

void SetModel::setDisabled(CSongDoc& song, bool disabled)
{
    if (Entry* entry = entryOf(&song))
        entry->disabled = disabled;
}

bool SetModel::isDisabled(const CSongDoc& song) const
{
    const Entry* entry = entryOf(&song);
    return entry != nullptr && entry->disabled;
}

void SetModel::setNextMark(CSongDoc& song, bool marked)
{
    if (Entry* entry = entryOf(&song))
        entry->nextMark = marked;
}

void SetModel::EnforceMaxSetSize(const CSongDoc* keep)
{
    if (countSongs() <= m_songContext.profile.readInt("SetOptions", "MaxSetSize", kDefaultMaxSetSize))
        return;
    for (const auto& entry : m_entries) {
        CSongDoc& song = *entry->song;
        if (&song != keep && song.contentFlag && !song.IsModified() && song.undoList.empty())
            song.CloseSong();
    }
}

std::vector<CSongDoc*> SetModel::nextSongCandidates() const
{
    std::vector<CSongDoc*> candidates;
    for (const auto& entry : m_entries)
        if (entry->nextMark && !entry->disabled && entry->song->contentFlag)
            candidates.push_back(entry->song.get());
    const int current = indexOf(m_current);
    for (size_t i = size_t(current + 1); i < m_entries.size(); ++i) {
        CSongDoc* song = m_entries[i]->song.get();
        if (!m_entries[i]->disabled
            && std::find(candidates.begin(), candidates.end(), song) == candidates.end())
            candidates.push_back(song);
    }
    return candidates;
}

CSongDoc* SetModel::previousSong() const
{
    for (int i = indexOf(m_current) - 1; i >= 0; --i)
        if (!m_entries[size_t(i)]->disabled)
            return m_entries[size_t(i)]->song.get();
    return nullptr;
}

bool SetModel::SaveModified()
{
    for (const auto& entry : m_entries)
        if (entry->song->IsModified() && !entry->song->SaveModified())
            return false;
    return true;
}

void SetModel::CloseAllDocuments()
{
    std::vector<std::unique_ptr<Entry>> closing;
    {
        const std::lock_guard lock(m_entriesMutex);
        closing.swap(m_entries);
    }
    for (auto it = closing.rbegin(); it != closing.rend(); ++it) {
        (*it)->song->SetModifiedFlag(false);
        (*it)->song->DeleteContents();
    }
    m_current = nullptr;
    m_modified = false;
    m_totals = {};
}

SetItemHandle SetModel::handleOf(const CSongDoc* song) const
{
    return reinterpret_cast<SetItemHandle>(entryOf(song));
}

CSongDoc* SetModel::songOfItem(SetItemHandle item) const
{
    if (item == nullptr)
        return nullptr;
    const std::lock_guard lock(m_entriesMutex);
    for (const auto& entry : m_entries)
        if (reinterpret_cast<SetItemHandle>(entry.get()) == item)
            return entry->song.get();
    return nullptr;
}

void SetModel::UpdateTotals()
{
    m_totals = {};
    for (const auto& entry : m_entries) {
        if (entry->song.get() == m_current)
            m_totals.elapsed = m_totals.total;
        if (!entry->disabled)
            m_totals.total += entry->song->length;
    }
}

SetItemHandle SetModel::FindAdjacentSong(bool previous)
{
    if (previous)
        return handleOf(previousSong());
    const std::vector<CSongDoc*> candidates = nextSongCandidates();
    return candidates.empty() ? nullptr : handleOf(candidates.front());
}

void SetModel::updateSetViews()
{
    if (m_updateViews)
        m_updateViews();
}

} // namespace rz
