// The set pane's editing commands: copy and cut, paste of a song, folders,
// sorting, properties, drag and drop. GUI thread.
#include "set/set_pane_commands.h"

#include "core/ascii_case.h"
#include "core/edit_dialogs.h"
#include "core/engine_link.h"
#include "core/prompt.h"
#include "core/song_host.h"
#include "set/set_document.h"
#include "song/clipboard.h"
#include "song/cue.h"
#include "song/cue_edit.h"
#include "song/edit_insert.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <algorithm>
#include <cctype>
#include <climits>

namespace rz {
namespace {

constexpr const char* kNewFolder = "New folder";
constexpr const char* kAddToFolder = "Add item(s) to folder?";

int32_t clipboardTick(int64_t ticks, int timeBase)
{
    return int32_t(std::clamp<int64_t>(toClipboardTicks(ticks, timeBase), INT32_MIN, INT32_MAX));
}

std::ptrdiff_t cueIndex(const CSongDoc& song, const CCue* cue)
{
    const auto at = std::find_if(song.cues.begin(), song.cues.end(),
                                 [&](const auto& owned) { return owned.get() == cue; });
    return at == song.cues.end() ? -1 : at - song.cues.begin();
}

} // namespace

bool SetPaneCommands::canCopy(const SetTreeItem* item) const
{
    const SetItemKind kind = SetTree::GetItemKind(item);
    return editingAllowed()
           && (kind == SetItemKind::Marker || (kind == SetItemKind::Song && m_set.hasSetFile()));
}

// A marker's cue goes as the song's own copy would put it: both times from
// the earlier of them, in clipboard ticks; the song's cue stays as it is.
void SetPaneCommands::Copy(SetTreeItem* item)
{
    if (!canCopy(item))
        return;
    ISongHost& host = m_set.songContext().host;
    AppClipboard& clipboard = host.clipboard();
    ClearClipboard(clipboard, host.workFolder());
    if (item->kind == SetItemKind::Song) {
        clipboard.kind = kClipboardSong;
        clipboard.songPath = item->song->pathName;
        return;
    }
    const CSongDoc& song = *item->parent->song;
    const CCue& cue = *item->cue;
    const int64_t earlier = std::min(cue.time, cue.secondTime);
    auto copy = std::make_unique<CCue>(cue);
    copy->time = clipboardTick(cue.time - earlier, song.timeBase);
    copy->secondTime = clipboardTick(cue.secondTime - earlier, song.timeBase);
    copy->selectionStamp = 0;
    clipboard.kind = kClipboardCues;
    clipboard.cues.push_back(std::move(copy));
}

void SetPaneCommands::Cut(SetTreeItem* item)
{
    if (!canCopy(item))
        return;
    Copy(item);
    Delete(item);
}

bool SetPaneCommands::canPasteSong() const
{
    return editingAllowed() && m_set.songContext().host.clipboard().kind == kClipboardSong;
}

CSongDoc* SetPaneCommands::PasteSongLink()
{
    if (!canPasteSong())
        return nullptr;
    return m_set.InsertSongAtSelection(m_set.songContext().host.clipboard().songPath);
}

bool SetPaneCommands::canCreateFolder(const SetTreeItem* item) const
{
    const SetItemKind kind = SetTree::GetItemKind(item);
    return m_set.hasSetFile() && editingAllowed() && kind != SetItemKind::None && kind != SetItemKind::Marker;
}

SetTreeItem* SetPaneCommands::CreateFolder(SetTreeItem* item)
{
    if (!canCreateFolder(item))
        return nullptr;
    SetTree& tree = m_set.tree();
    tree.select(item);
    SetTreeItem* folder = tree.InsertFolder(kNewFolder, m_set.placeAtSelection());
    tree.select(folder);
    m_set.SetModifiedFlag(true);
    return folder;
}

bool SetPaneCommands::canEditCaption(const SetTreeItem* item) const
{
    return SetTree::GetItemKind(item) == SetItemKind::Folder && editingAllowed();
}

bool SetPaneCommands::RenameFolder(SetTreeItem* item, const std::string& caption)
{
    if (!canEditCaption(item) || caption.empty())
        return false;
    item->caption = caption;
    m_set.SetModifiedFlag(true);
    return true;
}

bool SetPaneCommands::canAlphabetize() const
{
    return editingAllowed() && m_set.hasSetFile();
}

void SetPaneCommands::Alphabetize()
{
    if (!canAlphabetize())
        return;
    const SetNavigator& navigator = m_set.navigator();
    m_set.tree().sortTopItems([&](const SetTreeItem& a, const SetTreeItem& b) {
        return LessIgnoringAsciiCase(navigator.captionOf(&a), navigator.captionOf(&b));
    });
    m_set.SetModifiedFlag(true);
    m_set.navigator().publishNextSong();
}

SetPaneCommands::PropertiesTarget SetPaneCommands::propertiesTarget(const SetTreeItem* item) const
{
    switch (SetTree::GetItemKind(item)) {
    case SetItemKind::Marker: return PropertiesTarget::Cue;
    case SetItemKind::Song: return PropertiesTarget::Song;
    default: return PropertiesTarget::Set;
    }
}

bool SetPaneCommands::canEditProperties(const SetTreeItem* item, bool setDialog) const
{
    if (!editingAllowed())
        return false;
    const IEditDialogs* dialogs = m_set.songContext().editDialogs;
    switch (propertiesTarget(item)) {
    case PropertiesTarget::Cue: return dialogs && dialogs->has(EditDialog::CueProperties);
    case PropertiesTarget::Song:
        return dialogs && dialogs->has(EditDialog::SongProperties) && item->song->contentFlag;
    case PropertiesTarget::Set: return setDialog;
    }
    return false;
}

void SetPaneCommands::EditProperties(SetTreeItem* item)
{
    if (!canEditProperties(item, false))
        return;
    if (item->kind == SetItemKind::Marker)
        editCue(item);
    else
        item->song->EditSongProperties();
}

// The edited cue replaces the marker's through the song's undo.
void SetPaneCommands::editCue(SetTreeItem* marker)
{
    CSongDoc& song = *marker->parent->song;
    const std::ptrdiff_t index = cueIndex(song, marker->cue);
    if (index < 0)
        return;
    const CCue& cue = *marker->cue;
    const CuePropsParams start{cue.kind, cue.repeatCount, cue.secondCount, cue.time, cue.secondTime, cue.name};
    const std::optional<CuePropsParams> p = m_set.songContext().editDialogs->cueProperties(song, start);
    if (!p)
        return;
    // The song may have changed under a modal dialog.
    if (cueIndex(song, marker->cue) != index)
        return;
    // Both times come from the dialog too.
    CCue edited = cueFromAnswer(song, cue, *p);
    auto cues = std::make_unique<CCueSet>();
    cues->removeKeys.push_back(uint32_t(index));
    cues->cues.push_back(std::move(edited));
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoCues;
    record->label = "Edit Cue Properties";
    record->cues = std::move(cues);
    song.ApplyEdit(std::move(record));
}

bool SetPaneCommands::canDrag(const SetTreeItem* item) const
{
    const SetItemKind kind = SetTree::GetItemKind(item);
    return (kind == SetItemKind::Song || kind == SetItemKind::Folder) && !performanceLock();
}

bool SetPaneCommands::canDrop(const SetTreeItem* dragged, const SetTreeItem* target) const
{
    return canDrag(dragged) && SetTree::canDrop(dragged, target);
}

// A folder that is not already the item's parent asks whether the item
// goes into it; otherwise the item goes just before the target.
bool SetPaneCommands::Drop(SetTreeItem* dragged, SetTreeItem* target)
{
    if (!canDrop(dragged, target))
        return false;
    bool intoFolder = false;
    if (target->kind == SetItemKind::Folder && dragged->parent != target)
        intoFolder = m_set.songContext().prompt.askYesNo(kAddToFolder, PromptIcon::Question) == PromptAnswer::Yes;
    if (!m_set.tree().moveItems(dragged, target, intoFolder))
        return false;
    m_set.tree().select(dragged);
    m_set.SetModifiedFlag(true);
    m_set.navigator().UpdateCurrentMarker();
    m_set.navigator().publishNextSong();
    m_set.UpdateTotals();
    return true;
}

} // namespace rz
