#pragma once

#include "set/set_tree.h"

#include <filesystem>
#include <string>

namespace rz {

class ISetDocumentHost;
class SetDocument;

// The desktop's trash. GUI thread.
class ITrash {
public:
    virtual ~ITrash() = default;
    // Moves a file or a folder with its contents to the trash; false when
    // it is still where it was.
    virtual bool moveToTrash(const std::filesystem::path& path) = 0;
};

// The set pane's commands on the selected item, with their enable rules and
// captions. GUI thread.
class SetPaneCommands {
public:
    SetPaneCommands(SetDocument& set, ISetDocumentHost& setHost, ITrash& trash);

    // Go to.
    bool canGoTo(const SetTreeItem* item) const;
    void GoTo(SetTreeItem* item);
    // Delete.
    bool canDelete(const SetTreeItem* item) const;
    std::string deleteCaption(const SetTreeItem* item) const;
    void Delete(SetTreeItem* item);
    // Disable song / Enable song.
    bool canDisable(const SetTreeItem* item) const;
    std::string disableCaption(const SetTreeItem* item) const;
    void Disable(SetTreeItem* item);
    // Expand all / Collapse all.
    bool canExpandAll() const;
    void ExpandAll(bool expand);

    // Copy and Cut: a song's path or one marker's cue into the clipboard.
    bool canCopy(const SetTreeItem* item) const;
    void Copy(SetTreeItem* item);
    void Cut(SetTreeItem* item);
    // Paste song: the clipboard holds a song and editing is allowed.
    bool canPasteSong() const;
    // Another entry of the clipboard's song at the selection; null when its
    // file can no longer be read (message given).
    CSongDoc* PasteSongLink();
    // Create a folder: "New folder" where a new song would go, selected.
    bool canCreateFolder(const SetTreeItem* item) const;
    SetTreeItem* CreateFolder(SetTreeItem* item);
    // Caption editing: folders only, with editing allowed. An empty caption
    // changes nothing; false then.
    bool canEditCaption(const SetTreeItem* item) const;
    bool RenameFolder(SetTreeItem* item, const std::string& caption);
    // Alphabetize set: top-level items by caption, ignoring case.
    bool canAlphabetize() const;
    void Alphabetize();
    // Properties: what the command opens for the item.
    enum class PropertiesTarget { Cue, Song, Set };
    PropertiesTarget propertiesTarget(const SetTreeItem* item) const;
    // With editing allowed and the dialog there; `setDialog`: the set
    // properties dialog is registered.
    bool canEditProperties(const SetTreeItem* item, bool setDialog) const;
    // The cue and song dialogs; the set's own dialog is the view's.
    void EditProperties(SetTreeItem* item);
    // Drag and drop: what may be dragged, and the drop with its question.
    bool canDrag(const SetTreeItem* item) const;
    bool canDrop(const SetTreeItem* dragged, const SetTreeItem* target) const;
    bool Drop(SetTreeItem* dragged, SetTreeItem* target);

private:
    bool stopped() const;
    bool performanceMode() const;
    bool editingAllowed() const;
    bool performanceLock() const;
    bool isCurrent(const SetTreeItem* songItem) const;
    void deleteSong(SetTreeItem* item);
    void deleteMarker(SetTreeItem* item);
    void editCue(SetTreeItem* marker);
    // The song's file (or the folder named after it) and its backup go;
    // false, with a message, when the song's file stays.
    bool recycle(const std::filesystem::path& song);

    SetDocument& m_set;
    ISetDocumentHost& m_setHost;
    ITrash& m_trash;
};

} // namespace rz
