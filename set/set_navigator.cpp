// Stepping through the set: the current song and marker, Next and Previous,
// and what each item shows. GUI thread.
#include "set/set_navigator.h"

#include "core/ascii_case.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/smpte_time.h"
#include "core/song_host.h"
#include "set/set_document.h"
#include "song/cue.h"
#include "song/song_doc.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace rz {
namespace {

bool shownAsMarker(const CCue& cue)
{
    return cue.kind == kCueMarker || !cue.name.empty();
}

// " [h:mm:ss:ff]": a song's length at the frame rate in force, shown while
// the main window shows set times.
std::string lengthSuffix(double lengthUs)
{
    const CSmpteTime time(std::max(lengthUs, 0.0), defaultSmpteRate());
    char text[48];
    std::snprintf(text, sizeof text, " [%d:%02d:%02d:%02d]", time.hours(), time.minutes(),
                  time.seconds(), time.frames());
    return text;
}

} // namespace

SetNavigator::SetNavigator(SetDocument& set) : m_set(set) {}

bool SetNavigator::expandCollapse() const
{
    return readSetting(m_set.songContext().profile, settings::kSetExpandCollapse) != 0;
}

void SetNavigator::changed(const SetTreeItem* item)
{
    if (m_observer)
        m_observer->itemChanged(item);
}

void SetNavigator::setExpanded(SetTreeItem* item, bool expanded)
{
    if (item == nullptr)
        return;
    if (item->kind == SetItemKind::Folder)
        item->collapsed = !expanded;
    else if (item->kind == SetItemKind::Song)
        item->expanded = expanded;
    changed(item);
}

// The old current song becomes the previous one.
void SetNavigator::makeCurrent(SetTreeItem* item)
{
    SetTree& tree = m_set.tree();
    SetTreeItem* old = tree.currentSongItem();
    if (item == old)
        return;
    if (expandCollapse()) {
        if (old && old->kind == SetItemKind::Song)
            setExpanded(old, false);
        setExpanded(item, true);
    }
    tree.setPreviousSongItem(old && old->kind == SetItemKind::Song ? old : nullptr);
    tree.setCurrentSongItem(item);
    changed(old);
}

CSongDoc* SetNavigator::ActivateSongItem(SetTreeItem* item, int32_t startTick)
{
    const SongContext& context = m_set.songContext();
    context.engine.Stop(false);
    SetTree& tree = m_set.tree();
    const SetItemKind kind = SetTree::GetItemKind(item);
    if (kind == SetItemKind::Status) {
        context.host.SetCurrentSong(nullptr);
        m_set.setCurrent(nullptr);
        makeCurrent(tree.statusItem());
        UpdateCurrentMarker();
        m_set.UpdateTotals();
        publishNextSong();
        return nullptr;
    }
    if (kind != SetItemKind::Song)
        return nullptr;
    CSongDoc& song = *item->song;
    m_set.setNextMark(song, false);
    if (!song.contentFlag && !readSong(song))
        return nullptr;
    makeCurrent(item);
    song.ActivateSong(startTick);
    m_set.setCurrent(&song);
    if (context.host.performanceMode() && m_observer)
        m_observer->scrollToTop(item);
    UpdateCurrentMarker();
    if (tree.selection() != tree.currentSongItem() && tree.selection() != tree.currentMarkerItem())
        tree.select(tree.currentMarkerItem());
    UpdateSongCaption(song);
    m_set.UpdateTotals();
    publishNextSong();
    return &song;
}

bool SetNavigator::readSong(CSongDoc& song)
{
    std::string reason;
    if (!m_set.loadSong(song, reason)) {
        UpdateSongCaption(song);
        m_set.UpdateTotals();
        publishNextSong();
        return false;
    }
    m_set.setDisabled(song, false);
    UpdateMarkers(song);
    if (m_set.hasSetFile()) {
        m_set.SetModifiedFlag(true);
        m_set.DoFileSave();
    }
    return true;
}

// A song not read yet counts until its read fails. To play, a song must
// also last: one of no length would end as it starts.
bool SetNavigator::mayGoTo(const CSongDoc& song, bool toPlay) const
{
    if (m_set.isDisabled(song))
        return false;
    if (!song.contentFlag)
        return !m_set.loadFailed(song);
    return !toPlay || song.endTick > 0;
}

// Read first, so a song found empty is passed over without becoming current.
bool SetNavigator::activateToGo(SetTreeItem* item, bool toPlay)
{
    CSongDoc& song = *item->song;
    if (!song.contentFlag && !readSong(song))
        return false;
    return mayGoTo(song, toPlay) && ActivateSongItem(item, 0) != nullptr;
}

SetTreeItem* SetNavigator::FindAdjacentSong(bool activate, bool toPlay)
{
    const std::vector<SetTreeItem*> items = m_set.tree().songItems();
    for (SetTreeItem* item : items) {
        CSongDoc& song = *item->song;
        if (!m_set.hasNextMark(song) || !song.contentFlag || !mayGoTo(song, toPlay))
            continue;
        if (!activate || activateToGo(item, toPlay))
            return item;
        break;
    }
    // From just after the current song, so Next never returns it. A song
    // whose read failed is no place to go to.
    const auto current = std::find(items.begin(), items.end(), m_set.tree().currentSongItem());
    if (current == items.end())
        return nullptr;
    for (auto at = current + 1; at != items.end(); ++at) {
        if (!mayGoTo(*(*at)->song, toPlay))
            continue;
        if (!activate || activateToGo(*at, toPlay))
            return *at;
    }
    return nullptr;
}

void SetNavigator::collapseFolderChain(SetTreeItem* folder, const SetTreeItem* keep)
{
    if (folder == nullptr || SetTree::IsInside(keep, folder))
        return;
    for (SetTreeItem* at = folder; at; at = at->parent)
        setExpanded(at, false);
}

bool SetNavigator::StepSong(bool toPlay)
{
    SetTree& tree = m_set.tree();
    SetTreeItem* oldFolder = tree.currentSongItem() ? tree.currentSongItem()->parent : nullptr;
    SetTreeItem* next = FindAdjacentSong(true, toPlay);
    if (next == nullptr)
        return false;
    tree.select(next);
    collapseFolderChain(oldFolder, next);
    changed(next);
    return true;
}

bool SetNavigator::StepToPreviousSong()
{
    if (!m_set.hasSetFile())
        return false;
    SetTree& tree = m_set.tree();
    SetTreeItem* current = tree.currentSongItem();
    SetTreeItem* oldFolder = current ? current->parent : nullptr;
    std::vector<SetTreeItem*> before;
    int depth = 0;
    for (SetTreeItem* item = tree.GetNextItem(nullptr, depth); item && item != current;
         item = tree.GetNextItem(item, depth))
        if (item->kind == SetItemKind::Song && !m_set.isDisabled(*item->song))
            before.push_back(item);
    // One that cannot be read is passed over, as Next does.
    for (auto at = before.rbegin(); at != before.rend(); ++at) {
        if (ActivateSongItem(*at, 0)) {
            tree.select(*at);
            collapseFolderChain(oldFolder, *at);
            return true;
        }
    }
    return false;
}

CSongDoc* SetNavigator::RevealCurrentSong()
{
    SetTree& tree = m_set.tree();
    const std::vector<SetTreeItem*> items = m_set.tree().itemsOf(m_set.current());
    if (!items.empty()
        && std::find(items.begin(), items.end(), tree.currentSongItem()) == items.end())
        makeCurrent(items.front());
    SetTreeItem* current = tree.currentSongItem();
    if (m_set.songContext().host.performanceMode() && m_observer)
        m_observer->scrollToTop(current);
    UpdateCurrentMarker();
    if (SetTreeItem* previous = tree.previousSongItem())
        collapseFolderChain(previous->parent, current);
    m_set.UpdateTotals();
    publishNextSong();
    return m_set.current();
}

void SetNavigator::UpdateCurrentMarker()
{
    SetTree& tree = m_set.tree();
    SetTreeItem* old = tree.currentMarkerItem();
    SetTreeItem* song = tree.currentSongItem();
    SetTreeItem* marker = song;
    if (song == nullptr || song->kind != SetItemKind::Song) {
        tree.setCurrentSongItem(tree.statusItem());
        marker = tree.statusItem();
    } else if (song->expanded) {
        for (const auto& child : song->children)
            if (child->cue->GetTime() <= song->song->position())
                marker = child.get();
    }
    tree.setCurrentMarkerItem(marker);
    if (old != marker)
        changed(old);
    changed(marker);
}

void SetNavigator::RefreshMarkerStates()
{
    SetTreeItem* song = m_set.tree().currentSongItem();
    if (song == nullptr)
        return;
    for (const auto& child : song->children)
        if (child->pendingJump) {
            child->pendingJump = false;
            changed(child.get());
        }
    changed(song);
}

void SetNavigator::ClearNextMarks()
{
    for (CSongDoc* song : m_set.songs())
        if (m_set.hasNextMark(*song)) {
            m_set.setNextMark(*song, false);
            UpdateSongCaption(*song);
        }
    publishNextSong();
}

void SetNavigator::MarkNextSong(SetTreeItem* item)
{
    if (item && item->kind == SetItemKind::Marker)
        item = item->parent;
    if (SetTree::GetItemKind(item) != SetItemKind::Song)
        return;
    ClearNextMarks();
    CSongDoc& song = *item->song;
    if (!song.contentFlag) {
        std::string reason;
        const bool read = m_set.loadSong(song, reason);
        UpdateSongCaption(song);
        if (!read)
            return;
        m_set.setDisabled(song, false);
        if (m_set.hasSetFile()) {
            m_set.SetModifiedFlag(true);
            m_set.DoFileSave();
        }
    }
    m_set.setNextMark(song, true);
    UpdateMarkers(song);
    UpdateSongCaption(song);
    publishNextSong();
}

CSongDoc* SetNavigator::FindSongByName(const std::filesystem::path& path)
{
    const std::string wanted = AsciiLower(path.lexically_normal().string());
    for (SetTreeItem* item : m_set.tree().songItems())
        if (AsciiLower(item->song->pathName.lexically_normal().string()) == wanted)
            return ActivateSongItem(item, 0);
    ActivateSongItem(m_set.tree().statusItem(), 0);
    return nullptr;
}

CSongDoc* SetNavigator::SelectSongByIndex(size_t index)
{
    const std::vector<SetTreeItem*> items = m_set.tree().songItems();
    return ActivateSongItem(index < items.size() ? items[index] : m_set.tree().statusItem(), 0);
}

CSongDoc* SetNavigator::ReturnToPreviousSong()
{
    SetTreeItem* previous = m_set.tree().previousSongItem();
    return previous ? ActivateSongItem(previous, -1) : nullptr;
}

void SetNavigator::UpdateSongCaption(CSongDoc& song)
{
    for (const SetTreeItem* item : m_set.tree().itemsOf(&song))
        changed(item);
}

void SetNavigator::UpdateMarkers(CSongDoc& song)
{
    std::vector<const CCue*> shown;
    for (const auto& cue : song.cues)
        if (shownAsMarker(*cue))
            shown.push_back(cue.get());
    for (SetTreeItem* item : m_set.tree().itemsOf(&song)) {
        m_set.tree().setMarkers(item, shown);
        changed(item);
    }
    if (m_observer)
        m_observer->treeReset();
}

void SetNavigator::publishNextSong()
{
    m_set.publishNextSong(reinterpret_cast<SetItemHandle>(FindAdjacentSong(false, true)));
}

int SetNavigator::imageOf(const SetTreeItem* item) const
{
    switch (SetTree::GetItemKind(item)) {
    case SetItemKind::Folder: return kFolderImage;
    case SetItemKind::Marker: return validCueKind(item->cue->kind) + 2;
    case SetItemKind::Song: {
        const bool loaded = item->song->contentFlag;
        bool outside = false;
        if (m_set.hasSetFile()) {
            const std::string folder = AsciiLower(m_set.setFolder().string());
            outside = AsciiLower(item->song->pathName.string()).rfind(folder, 0) != 0;
        }
        if (outside)
            return loaded ? kOutsideSongImage : kOutsideUnloadedImage;
        return loaded ? kSongImage : kUnloadedSongImage;
    }
    default: return kStatusImage;
    }
}

int SetNavigator::stateOf(const SetTreeItem* item) const
{
    if (item == nullptr)
        return kStatePlain;
    if (item->kind == SetItemKind::Marker && item->pendingJump)
        return kStateMarked;
    if (item == m_set.tree().currentMarkerItem())
        return kStateCurrent;
    if (item->kind == SetItemKind::Marker)
        return kStatePlain;
    if (item->kind != SetItemKind::Song)
        return kStatePlain;
    const CSongDoc& song = *item->song;
    if (!song.contentFlag && m_set.loadFailed(song))
        return kStateFailed;
    if (m_set.isDisabled(song))
        return kStateDisabled;
    return m_set.hasNextMark(song) ? kStateMarked : kStatePlain;
}

std::string SetNavigator::captionOf(const SetTreeItem* item) const
{
    switch (SetTree::GetItemKind(item)) {
    case SetItemKind::Folder: return item->caption;
    case SetItemKind::Marker: return item->cue->name;
    case SetItemKind::Song: {
        const CSongDoc& song = *item->song;
        std::string caption = song.contentFlag && !song.title.empty()
                                  ? song.title
                                  : song.pathName.stem().string();
        if (readSetting(m_set.songContext().profile, settings::kDisplayViewSetTime) == 1)
            caption += lengthSuffix(song.length);
        if (song.IsModified())
            caption += " *";
        return caption;
    }
    case SetItemKind::Status: {
        if (m_set.hasSetFile())
            return "End of set.";
        const int count = m_set.CountSongs();
        return std::to_string(count) + " open " + (count == 1 ? "song." : "songs.");
    }
    default: return {};
    }
}

} // namespace rz
