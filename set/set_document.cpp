// The set document: its song documents, flags, saving and the show order
// as the application steps through it. GUI thread, except songOfItem().
#include "set/set_document.h"

#include "core/engine_link.h"
#include "core/file_names.h"
#include "core/locks.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "set/set_file.h"
#include "song/fs.h"
#include "song/smf_reader.h"
#include "song/track_ports.h"

#include <algorithm>

namespace rz {
namespace {

// Linux names are case-sensitive: "a.mid" and "A.mid" are two songs.
bool samePath(const std::filesystem::path& a, const std::filesystem::path& b)
{
    return a.lexically_normal() == b.lexically_normal();
}

} // namespace

SetDocument::SetDocument(const SongContext& songContext, ISetDocumentHost& host)
    : m_songContext(songContext), m_host(host)
{
    m_songContext.setLink = this;
}

SetDocument::~SetDocument()
{
    DeleteContents();
}

std::string SetDocument::title() const
{
    if (m_noSetFile || m_path.empty())
        return "Untitled";
    std::string name = m_path.filename().string();
    StripKnownExtension(name);
    return name;
}

void SetDocument::SetModifiedFlag(bool modified)
{
    if (m_noSetFile)
        return;
    m_modified = modified;
    m_songContext.host.UpdateTitle();
}

SetDocument::SongEntry* SetDocument::entryOf(const CSongDoc* song) const
{
    const auto found = m_entryBySong.find(song);
    return found == m_entryBySong.end() ? nullptr : found->second;
}

SetDocument::SongEntry& SetDocument::addEntry(std::unique_ptr<SongEntry> entry)
{
    SongEntry& added = *entry;
    m_entryBySong[entry->song.get()] = entry.get();
    m_songs.push_back(std::move(entry));
    return added;
}

std::vector<CSongDoc*> SetDocument::songs() const
{
    std::vector<CSongDoc*> songs;
    for (const auto& entry : m_songs)
        songs.push_back(entry->song.get());
    return songs;
}

CSongDoc* SetDocument::songAt(size_t index) const
{
    const std::vector<SetTreeItem*> items = m_tree.songItems();
    return index < items.size() ? items[index]->song : nullptr;
}

int SetDocument::indexOf(const CSongDoc* song) const
{
    const std::vector<SetTreeItem*> items = m_tree.songItems();
    for (size_t i = 0; i < items.size(); ++i)
        if (song != nullptr && items[i]->song == song)
            return int(i);
    return -1;
}

CSongDoc* SetDocument::findSongByName(const std::filesystem::path& path) const
{
    for (const auto& entry : m_songs)
        if (samePath(entry->song->pathName, path))
            return entry->song.get();
    return nullptr;
}

int SetDocument::entryCount(const CSongDoc& song) const
{
    const SongEntry* entry = entryOf(&song);
    return entry ? entry->entries : 0;
}

bool SetDocument::loadFailed(const CSongDoc& song) const
{
    const SongEntry* entry = entryOf(&song);
    return entry != nullptr && entry->loadFailed;
}

void SetDocument::setDisabled(CSongDoc& song, bool disabled)
{
    if (SongEntry* entry = entryOf(&song))
        entry->disabled = disabled;
    m_navigator.publishNextSong();
}

bool SetDocument::isDisabled(const CSongDoc& song) const
{
    const SongEntry* entry = entryOf(&song);
    return entry != nullptr && entry->disabled;
}

void SetDocument::setNextMark(CSongDoc& song, bool marked)
{
    if (SongEntry* entry = entryOf(&song))
        entry->nextMark = marked;
    m_navigator.publishNextSong();
}

bool SetDocument::hasNextMark(const CSongDoc& song) const
{
    const SongEntry* entry = entryOf(&song);
    return entry != nullptr && entry->nextMark;
}

void SetDocument::OnNewDocument()
{
    if (contains(m_songContext.host.currentSong()))
        m_songContext.host.SetCurrentSong(nullptr);
    DeleteContents();
    m_path.clear();
    m_folder.clear();
    m_modified = false;
    m_songContext.host.UpdateTitle();
}

void SetDocument::DeleteContents()
{
    m_songContext.host.setWaitCursor(true);
    m_tree.ClearTree();
    std::vector<std::unique_ptr<SongEntry>> closing;
    closing.swap(m_songs);
    m_entryBySong.clear();
    for (auto it = closing.rbegin(); it != closing.rend(); ++it) {
        (*it)->song->SetModifiedFlag(false);
        unloadSong(*(*it)->song);
    }
    closing.clear();
    m_current = nullptr;
    m_totals = {};
    m_noSetFile = true;
    m_modified = false;
    m_songContext.host.setWaitCursor(false);
}

// Contents go under the SongMutex; a wait that times out leaves the song
// loaded, which costs memory but nothing else.
void SetDocument::unloadSong(CSongDoc& song)
{
    LockGuard guard(SongMutex(), "unload song", m_songContext.lockWait);
    if (guard)
        song.DeleteContents();
}

bool SetDocument::loadSong(CSongDoc& song, std::string& reason)
{
    SongEntry* entry = entryOf(&song);
    const std::filesystem::path path = song.pathName;
    // Asked before the lock: the views and the idle ticks wait on it.
    const AutoRecoverAnswer recover = AskAutoRecover(m_songContext.prompt, path);
    bool read = false;
    {
        LockGuard guard(SongMutex(), "load song", m_songContext.lockWait);
        if (!guard)
            reason = "the song is busy; try again";
        else
            read = OpenSong(song, path, reason, recover);
    }
    if (!read)
        song.SetPathName(path);
    if (entry)
        entry->loadFailed = !read;
    return read;
}

CSongDoc* SetDocument::AddSong(const std::filesystem::path& path, const TreePlace& place,
                               int loadMode, bool select, std::string* reason)
{
    CSongDoc* song = placeSong(findSongByName(path), path, place, loadMode, select, reason);
    UpdateTotals();
    if (select && song->contentFlag)
        song->ActivateSong(-1);
    return song;
}

CSongDoc* SetDocument::AddSongIfReadable(const std::filesystem::path& path, const TreePlace& place,
                                         int loadMode, std::string& reason)
{
    CSongDoc* known = findSongByName(path);
    if (loadMode >= 1 && known != nullptr && !known->contentFlag && !loadSong(*known, reason)) {
        UpdateSongCaption(*known);
        return nullptr;
    }
    if (loadMode >= 1 && known == nullptr) {
        // No one else sees the new document until it has read.
        auto song = std::make_unique<CSongDoc>(m_songContext);
        song->SetPathName(path);
        if (!OpenSong(*song, path, reason))
            return nullptr;
        auto entry = std::make_unique<SongEntry>();
        entry->song = std::move(song);
        known = addEntry(std::move(entry)).song.get();
    }
    bool select = false;
    CSongDoc* song = placeSong(known, path, place, loadMode, select, &reason);
    UpdateTotals();
    return song;
}

CSongDoc* SetDocument::placeSong(CSongDoc* known, const std::filesystem::path& path, const TreePlace& place,
                                 int loadMode, bool& select, std::string* reason)
{
    CSongDoc* song = known;
    if (song == nullptr) {
        auto entry = std::make_unique<SongEntry>();
        entry->song = std::make_unique<CSongDoc>(m_songContext);
        entry->song->SetPathName(path);
        entry->disabled = loadMode < 0;
        song = addEntry(std::move(entry)).song.get();
        std::string why;
        if (loadMode >= 1 && !loadSong(*song, why)) {
            select = false;
            if (reason)
                *reason = why;
        }
        select = select && loadMode >= 1;
    }
    m_tree.InsertSongItem(*song, place);
    ++entryOf(song)->entries;
    return song;
}

CSongDoc* SetDocument::AddSong(std::unique_ptr<CSongDoc> song)
{
    auto entry = std::make_unique<SongEntry>();
    entry->song = std::move(song);
    entry->entries = 1;
    CSongDoc* added = addEntry(std::move(entry)).song.get();
    m_tree.InsertSongItem(*added, m_tree.beforeStatus());
    return added;
}

TreePlace SetDocument::placeAtSelection() const
{
    SetTreeItem* reference = m_tree.selection() ? m_tree.selection() : m_tree.firstItem();
    // Nothing goes among a song's markers.
    if (reference->kind == SetItemKind::Marker)
        reference = reference->parent;
    if (reference->kind == SetItemKind::Folder)
        return TreePlace::first(reference);
    SetTreeItem* before = m_tree.previousSibling(reference);
    return before ? TreePlace::behind(before) : TreePlace::first(reference->parent);
}

CSongDoc* SetDocument::InsertSongAtSelection(const std::filesystem::path& path)
{
    const TreePlace place = placeAtSelection();
    SetModifiedFlag(true);
    return AddSong(path, place, 1, true);
}

void SetDocument::RemoveSong(CSongDoc& song, SetTreeItem* item)
{
    SongEntry* entry = entryOf(&song);
    if (entry == nullptr)
        return;
    if (item == nullptr || item->song != &song) {
        const std::vector<SetTreeItem*> items = m_tree.itemsOf(&song);
        item = items.empty() ? nullptr : items.back();
    }
    m_tree.DeleteTreeItem(item);
    if (m_songContext.host.currentSong() == &song)
        m_songContext.host.SetCurrentSong(nullptr);
    if (m_current == &song)
        m_current = nullptr;
    if (--entry->entries <= 0)
        destroySong(song);
    UpdateTotals();
    m_navigator.publishNextSong();
    if (hasSetFile()) {
        SetModifiedFlag(true);
        DoFileSave();
    }
}

void SetDocument::destroySong(CSongDoc& song)
{
    const auto at = std::find_if(m_songs.begin(), m_songs.end(),
                                 [&](const auto& entry) { return entry->song.get() == &song; });
    if (at == m_songs.end())
        return;
    std::unique_ptr<SongEntry> entry = std::move(*at);
    m_songs.erase(at);
    m_entryBySong.erase(&song);
    entry->song->SetModifiedFlag(false);
    unloadSong(*entry->song);
}

void SetDocument::SaveAllSongs()
{
    for (const auto& entry : m_songs) {
        CSongDoc& song = *entry->song;
        if (song.IsModified() && song.DoFileSave())
            UpdateSongCaption(song);
    }
    if (hasSetFile() && m_modified)
        DoFileSave();
}

bool SetDocument::anyModified() const
{
    if (hasSetFile() && m_modified)
        return true;
    return std::any_of(m_songs.begin(), m_songs.end(),
                       [](const auto& entry) { return entry->song->IsModified(); });
}

bool SetDocument::SaveModified()
{
    for (const auto& entry : m_songs)
        if (entry->song->IsModified() && !entry->song->SaveModified())
            return false;
    if (m_noSetFile || !m_modified)
        return true;
    switch (m_songContext.prompt.askYesNoCancel("Save changes to " + title() + "?",
                                                PromptIcon::Warning)) {
    case PromptAnswer::Yes: return DoFileSave();
    case PromptAnswer::No: return true;
    default: return false;
    }
}

bool SetDocument::OnSaveDocument(const std::filesystem::path& path)
{
    if (m_noSetFile)
        return true;
    const std::vector<uint8_t> bytes = encode();
    std::string reason;
    std::string backupProblem;
    if (!WriteFileAtomic(path, bytes, {}, reason, backupProblem)) {
        m_songContext.prompt.message("Unable to save " + path.string() + ":\n" + reason,
                                     PromptIcon::Warning);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

// Depth-first, stopping at the status item. A song whose stored path
// resolved nowhere is written back as it was read.
std::vector<uint8_t> SetDocument::encode() const
{
    std::vector<SetFileEntry> entries;
    int depth = 0;
    for (SetTreeItem* item = m_tree.GetNextItem(nullptr, depth);
         item != nullptr && item != m_tree.statusItem(); item = m_tree.GetNextItem(item, depth)) {
        SetFileEntry entry;
        entry.depth = uint32_t(std::max(depth, 0));
        if (item->kind == SetItemKind::Folder) {
            entry.folder = true;
            entry.name = item->caption;
        } else if (const SongEntry* song = entryOf(item->song)) {
            entry.disabled = song->disabled;
            entry.name = !song->storedName.empty() && song->song->pathName == song->storedPath
                             ? song->storedName
                             : song->song->pathName.string();
        }
        entries.push_back(std::move(entry));
    }
    return encodeSetFile(entries, m_host.performanceLocked());
}

static_assert(settings::kSetMaxSetSize.defaultValue == SetDocument::kDefaultMaxSetSize);

void SetDocument::EnforceMaxSetSize(const CSongDoc* keep)
{
    if (CountSongs() <= readSetting(m_songContext.profile, settings::kSetMaxSetSize))
        return;
    for (const auto& entry : m_songs) {
        CSongDoc& song = *entry->song;
        if (&song == keep || &song == m_current || entry->nextMark || !song.contentFlag
            || song.IsModified() || !song.undoList.empty())
            continue;
        unloadSong(song);
        UpdateSongCaption(song);
    }
}

void SetDocument::UpdateTrackSynths()
{
    for (const auto& entry : m_songs) {
        CSongDoc& song = *entry->song;
        for (size_t t = song.tracks.size() >= 2 ? song.tracks.size() - 2 : 0; t >= 1; --t)
            LookupPortSynth(*song.tracks[t], m_songContext.profile, m_songContext.engine,
                            m_songContext.synths);
    }
}

CSongDoc* SetDocument::SelectSongByIndex(size_t index)
{
    return m_navigator.SelectSongByIndex(index);
}

void SetDocument::setCurrent(CSongDoc* song)
{
    m_current = song;
    SetTreeItem* item = m_tree.currentSongItem();
    if (song == nullptr) {
        if (item != m_tree.statusItem()) {
            m_tree.setPreviousSongItem(item);
            m_tree.setCurrentSongItem(m_tree.statusItem());
            m_navigator.UpdateCurrentMarker();
        }
        return;
    }
    if (item && item->kind == SetItemKind::Song && item->song == song)
        return;
    const std::vector<SetTreeItem*> items = m_tree.itemsOf(song);
    if (items.empty())
        return;
    m_tree.setPreviousSongItem(item && item->kind == SetItemKind::Song ? item : nullptr);
    m_tree.setCurrentSongItem(items.front());
    m_navigator.UpdateCurrentMarker();
}

SetTreeItem* SetDocument::currentItem() const
{
    SetTreeItem* item = m_tree.currentSongItem();
    if (item && item->kind == SetItemKind::Song && item->song == m_current)
        return item;
    const std::vector<SetTreeItem*> items = m_tree.itemsOf(m_current);
    return items.empty() ? nullptr : items.front();
}

std::vector<CSongDoc*> SetDocument::nextSongCandidates() const
{
    std::vector<CSongDoc*> candidates;
    const std::vector<SetTreeItem*> items = m_tree.songItems();
    for (SetTreeItem* item : items) {
        const SongEntry* entry = entryOf(item->song);
        if (entry->nextMark && !entry->disabled && item->song->contentFlag
            && std::find(candidates.begin(), candidates.end(), item->song) == candidates.end())
            candidates.push_back(item->song);
    }
    const SetTreeItem* current = currentItem();
    auto at = std::find(items.begin(), items.end(), current);
    for (at = at == items.end() ? items.begin() : at + 1; at != items.end(); ++at) {
        CSongDoc* song = (*at)->song;
        if (!entryOf(song)->disabled
            && std::find(candidates.begin(), candidates.end(), song) == candidates.end())
            candidates.push_back(song);
    }
    return candidates;
}

CSongDoc* SetDocument::previousSong() const
{
    const std::vector<SetTreeItem*> items = m_tree.songItems();
    const auto current = std::find(items.begin(), items.end(), currentItem());
    if (current == items.end())
        return nullptr;
    for (auto at = std::make_reverse_iterator(current); at != items.rend(); ++at)
        if (!entryOf((*at)->song)->disabled)
            return (*at)->song;
    return nullptr;
}

SetItemHandle SetDocument::handleOf(const CSongDoc* song) const
{
    const std::vector<SetTreeItem*> items = m_tree.itemsOf(song);
    return items.empty() ? nullptr : reinterpret_cast<SetItemHandle>(items.front());
}

CSongDoc* SetDocument::songOfItem(SetItemHandle item) const
{
    return m_tree.songOfItem(reinterpret_cast<const SetTreeItem*>(item));
}

void SetDocument::UpdateTotals()
{
    m_totals = {};
    const SetTreeItem* current = currentItem();
    for (const SetTreeItem* item : m_tree.songItems()) {
        if (item == current)
            m_totals.elapsed = m_totals.total;
        if (!entryOf(item->song)->disabled)
            m_totals.total += item->song->length;
    }
}

SetItemHandle SetDocument::FindAdjacentSong(bool previous)
{
    if (previous)
        return handleOf(previousSong());
    return reinterpret_cast<SetItemHandle>(m_navigator.FindAdjacentSong(false));
}

void SetDocument::updateSetViews()
{
    if (m_updateViews)
        m_updateViews();
}

} // namespace rz
