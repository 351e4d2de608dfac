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

private:
    bool stopped() const;
    bool performanceMode() const;
    bool editingAllowed() const;
    bool performanceLock() const;
    bool isCurrent(const SetTreeItem* songItem) const;
    void deleteSong(SetTreeItem* item);
    void deleteMarker(SetTreeItem* item);
    // The song's file (or the folder named after it) and its backup go;
    // false, with a message, when the song's file stays.
    bool recycle(const std::filesystem::path& song);

    SetDocument& m_set;
    ISetDocumentHost& m_setHost;
    ITrash& m_trash;
};

} // namespace rz
