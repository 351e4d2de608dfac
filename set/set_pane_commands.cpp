// The set pane's commands: Go to, Delete with the trash, Disable, Expand all.
// GUI thread.
#include "set/set_pane_commands.h"

#include "core/engine_link.h"
#include "core/prompt.h"
#include "core/song_host.h"
#include "set/set_document.h"
#include "song/clipboard.h"
#include "song/cue.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <algorithm>

namespace rz {
namespace {

constexpr const char* kRecycleQuestion =
    "This song will be moved to the recycle bin.\n(Undone by manually moving the song back into "
    "the set's folder).\n\nProceed?";
constexpr const char* kFolderNotEmpty = "Please first delete this folder's contents.";

// A marker stands for its song.
template <class Item>
Item* songItemOf(Item* item)
{
    return item && item->kind == SetItemKind::Marker ? item->parent : item;
}

bool lexicallyInside(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    if (folder.empty())
        return false;
    const std::filesystem::path relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace

SetPaneCommands::SetPaneCommands(SetDocument& set, ISetDocumentHost& setHost, ITrash& trash)
    : m_set(set), m_setHost(setHost), m_trash(trash)
{
}

bool SetPaneCommands::stopped() const
{
    return m_set.songContext().engine.transportState() == TransportState::Stopped;
}

bool SetPaneCommands::performanceMode() const
{
    return m_set.songContext().host.performanceMode();
}

bool SetPaneCommands::editingAllowed() const
{
    return stopped() && !performanceMode();
}

bool SetPaneCommands::performanceLock() const
{
    return performanceMode() && m_setHost.performanceLocked();
}

bool SetPaneCommands::isCurrent(const SetTreeItem* songItem) const
{
    return songItem && songItem->kind == SetItemKind::Song && songItem->song == m_set.current();
}

bool SetPaneCommands::canGoTo(const SetTreeItem* item) const
{
    const SetItemKind kind = SetTree::GetItemKind(item);
    return kind == SetItemKind::Song || kind == SetItemKind::Marker || kind == SetItemKind::Status;
}

void SetPaneCommands::GoTo(SetTreeItem* item)
{
    if (!canGoTo(item))
        return;
    SetNavigator& navigator = m_set.navigator();
    SetTreeItem* songItem = songItemOf(item);
    if (songItem->kind == SetItemKind::Status) {
        navigator.ClearNextMarks();
        navigator.ActivateSongItem(songItem, 0);
        return;
    }
    CSongDoc& song = *songItem->song;
    int32_t tick = 0;
    if (item->kind == SetItemKind::Marker)
        tick = item->cue->time;
    else if (!isCurrent(songItem) && !performanceMode())
        tick = song.position();
    if (stopped()) {
        navigator.ClearNextMarks();
        navigator.ActivateSongItem(songItem, tick);
    } else if (isCurrent(songItem)) {
        navigator.RefreshMarkerStates();
        song.JumpTo(tick);
        if (item->kind == SetItemKind::Marker)
            item->pendingJump = true;
        navigator.UpdateSongCaption(song);
    } else {
        navigator.ClearNextMarks();
        if (performanceMode())
            navigator.MarkNextSong(songItem);
    }
}

bool SetPaneCommands::canDelete(const SetTreeItem* item) const
{
    const SetItemKind kind = SetTree::GetItemKind(item);
    if (kind == SetItemKind::None || kind == SetItemKind::Status || performanceLock())
        return false;
    if (performanceMode())
        return kind == SetItemKind::Song && !m_set.hasSetFile() && (stopped() || !isCurrent(item));
    if (stopped())
        return true;
    return kind == SetItemKind::Song && !isCurrent(item);
}

std::string SetPaneCommands::deleteCaption(const SetTreeItem* item) const
{
    return SetTree::GetItemKind(item) == SetItemKind::Song && !m_set.hasSetFile() ? "&Close song"
                                                                                  : "&Delete";
}

void SetPaneCommands::Delete(SetTreeItem* item)
{
    if (!canDelete(item))
        return;
    IPrompt& prompt = m_set.songContext().prompt;
    switch (item->kind) {
    case SetItemKind::Folder:
        if (!item->children.empty()) {
            prompt.message(kFolderNotEmpty, PromptIcon::Information);
            return;
        }
        if (prompt.askYesNo("Delete folder '" + item->caption + "'; Are you sure?",
                            PromptIcon::Question)
            != PromptAnswer::Yes)
            return;
        m_set.tree().DeleteTreeItem(item);
        m_set.SetModifiedFlag(true);
        m_set.navigator().publishNextSong();
        return;
    case SetItemKind::Marker: deleteMarker(item); return;
    case SetItemKind::Song: deleteSong(item); return;
    default: return;
    }
}

void SetPaneCommands::deleteMarker(SetTreeItem* item)
{
    CSongDoc& song = *item->parent->song;
    const auto at = std::find_if(song.cues.begin(), song.cues.end(),
                                 [&](const auto& cue) { return cue.get() == item->cue; });
    if (at == song.cues.end())
        return;
    auto cues = std::make_unique<CCueSet>();
    cues->removeKeys.push_back(uint32_t(at - song.cues.begin()));
    auto record = std::make_unique<CUndoRecord>();
    record->flags |= kUndoCues;
    record->label = "Delete Cue";
    record->cues = std::move(cues);
    song.ApplyEdit(std::move(record));
}

// Any song of the set folder whose only entry goes leaves the folder too,
// loaded or not: otherwise the next open of the set brings it back.
void SetPaneCommands::deleteSong(SetTreeItem* item)
{
    CSongDoc& song = *item->song;
    const SongContext& context = m_set.songContext();
    if (isCurrent(item))
        context.engine.Stop(false);
    if (m_set.entryCount(song) == 1) {
        const bool recycling = m_set.hasSetFile() && lexicallyInside(song.pathName, m_set.setFolder());
        if (recycling
            && context.prompt.askYesNo(kRecycleQuestion, PromptIcon::Question) != PromptAnswer::Yes)
            return;
        if (song.contentFlag) {
            if (!song.SaveModified())
                return;
            song.SetModifiedFlag(false);
        }
        if (recycling && !recycle(song.pathName))
            return;
    }
    m_set.RemoveSong(song, item);
}

bool SetPaneCommands::recycle(const std::filesystem::path& path)
{
    IPrompt& prompt = m_set.songContext().prompt;
    ISongHost& host = m_set.songContext().host;
    const std::filesystem::path parent = path.parent_path();
    const bool ownFolder = parent.filename() == path.stem()
                           && parent.parent_path().lexically_normal() == m_set.setFolder().lexically_normal();
    host.setWaitCursor(true);
    bool moved = false;
    if (ownFolder) {
        moved = m_trash.moveToTrash(parent);
    } else {
        moved = m_trash.moveToTrash(path);
        std::filesystem::path backup = path;
        backup.replace_extension(".bak");
        std::error_code error;
        if (moved && std::filesystem::exists(backup, error))
            m_trash.moveToTrash(backup);
    }
    host.setWaitCursor(false);
    if (!moved) {
        prompt.message("Sorry, '" + path.string() + "' could not be moved to the trash.",
                       PromptIcon::Stop);
        return false;
    }
    // A paste of the song would name a file that is gone.
    AppClipboard& clipboard = host.clipboard();
    if ((clipboard.kind & kClipboardSong) != 0
        && clipboard.songPath.lexically_normal() == path.lexically_normal())
        ClearClipboard(clipboard, host.workFolder());
    return true;
}

bool SetPaneCommands::canDisable(const SetTreeItem* item) const
{
    return editingAllowed() && m_set.hasSetFile()
           && SetTree::GetItemKind(songItemOf(item)) == SetItemKind::Song;
}

std::string SetPaneCommands::disableCaption(const SetTreeItem* item) const
{
    const SetTreeItem* songItem = songItemOf(item);
    if (SetTree::GetItemKind(songItem) != SetItemKind::Song || m_set.isDisabled(*songItem->song))
        return "&Enable song";
    return "Disabl&e song";
}

void SetPaneCommands::Disable(SetTreeItem* item)
{
    if (!canDisable(item))
        return;
    SetTreeItem* songItem = songItemOf(item);
    CSongDoc& song = *songItem->song;
    SetNavigator& navigator = m_set.navigator();
    if (m_set.isDisabled(song)) {
        std::string reason;
        const bool read = m_set.loadSong(song, reason);
        m_set.setDisabled(song, false);
        if (read)
            navigator.UpdateMarkers(song);
    } else {
        // One save question: Cancel keeps the song as it is.
        if (song.contentFlag && !song.SaveModified())
            return;
        if (isCurrent(songItem))
            navigator.ActivateSongItem(m_set.tree().statusItem(), 0);
        song.SetModifiedFlag(false);
        song.CloseSong();
        m_set.setDisabled(song, true);
        navigator.UpdateMarkers(song);
    }
    navigator.UpdateSongCaption(song);
    m_set.UpdateTotals();
    if (m_set.hasSetFile()) {
        m_set.SetModifiedFlag(true);
        m_set.DoFileSave();
    }
}

bool SetPaneCommands::canExpandAll() const
{
    return stopped();
}

void SetPaneCommands::ExpandAll(bool expand)
{
    int depth = 0;
    SetTree& tree = m_set.tree();
    for (SetTreeItem* item = tree.GetNextItem(nullptr, depth); item; item = tree.GetNextItem(item, depth))
        if (depth == 0)
            m_set.navigator().setExpanded(item, expand);
    m_set.navigator().UpdateCurrentMarker();
}

} // namespace rz
