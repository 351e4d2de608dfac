#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace rz {

class CSongDoc;
struct CCue;

// The kinds of the set tree's items. Markers are the children of a song item.
enum class SetItemKind { None = -1, Status = 0, Folder = 1, Marker = 2, Song = 3 };

// One item of the set tree. Items live until deleted, so a pointer to one
// names it while it exists.
struct SetTreeItem {
    SetItemKind kind = SetItemKind::None;
    std::string caption;        // a folder's name, bytes as stored
    CSongDoc* song = nullptr;   // song items only
    bool collapsed = false;     // folders
    bool expanded = false;      // songs: their markers shown
    const CCue* cue = nullptr;  // markers only
    bool pendingJump = false;   // markers: a Go to waits for the next measure
    SetTreeItem* parent = nullptr; // null at the top level
    std::vector<std::unique_ptr<SetTreeItem>> children;
};

// Where an item goes: under `parent` (null: the top level), after `after`,
// or first when `after` is null. At the top level "last" means just before
// the status item, which always stays last.
struct TreePlace {
    SetTreeItem* parent = nullptr;
    SetTreeItem* after = nullptr;
    bool last = false;

    static TreePlace first(SetTreeItem* parent = nullptr) { return {parent, nullptr, false}; }
    static TreePlace end(SetTreeItem* parent = nullptr) { return {parent, nullptr, true}; }
    static TreePlace behind(SetTreeItem* item) { return {item->parent, item, false}; }
};

// The set's show order: folders, songs (a song may stand more than once)
// and the trailing status item, with a caret selection. The GUI thread
// changes it; songOfItem() may be called from any thread.
class SetTree {
public:
    SetTree();
    SetTree(const SetTree&) = delete;
    SetTree& operator=(const SetTree&) = delete;

    // Deletes every item but a new status item.
    void ClearTree();
    SetTreeItem* InsertSongItem(CSongDoc& song, const TreePlace& place);
    SetTreeItem* InsertFolder(std::string caption, const TreePlace& place);
    // Deletes the item with its children; the selection on one of them goes.
    void DeleteTreeItem(SetTreeItem* item);

    // Depth-first successor: from null the first top-level item (depth 0);
    // into a folder's children (depth + 1); else the next sibling, climbing
    // (depth - 1) as needed. Null after the status item.
    SetTreeItem* GetNextItem(const SetTreeItem* item, int& depth) const;
    static SetItemKind GetItemKind(const SetTreeItem* item);
    // Whether `ancestor` is a parent, grandparent, ... of `item`.
    static bool IsInside(const SetTreeItem* item, const SetTreeItem* ancestor);

    SetTreeItem* statusItem() const { return m_status; }
    // The top-level items, the status item last.
    const std::vector<std::unique_ptr<SetTreeItem>>& topItems() const { return m_top; }
    SetTreeItem* firstItem() const { return m_top.front().get(); }
    // The top-level place just before the status item.
    TreePlace beforeStatus() const;
    // The item before `item` under the same parent; null when it is first.
    SetTreeItem* previousSibling(const SetTreeItem* item) const;

    SetTreeItem* selection() const { return m_selection; }
    void select(SetTreeItem* item) { m_selection = item; }

    // Song items in depth-first order, folders entered.
    std::vector<SetTreeItem*> songItems() const;
    std::vector<SetTreeItem*> itemsOf(const CSongDoc* song) const;

    // Any thread: the song of a song item that still exists, else null.
    CSongDoc* songOfItem(const SetTreeItem* item) const;

    // Replaces a song item's marker children; the current marker among the
    // old ones moves to the song item.
    void setMarkers(SetTreeItem* songItem, const std::vector<const CCue*>& cues);

    // The item shown as playing (a song, one of its markers or the status
    // item), the current song (a song or the status item) and the song that
    // was current before it (may be null).
    SetTreeItem* currentMarkerItem() const { return m_currentMarker; }
    SetTreeItem* currentSongItem() const { return m_currentSong; }
    SetTreeItem* previousSongItem() const { return m_previousSong; }
    void setCurrentMarkerItem(SetTreeItem* item) { m_currentMarker = item; }
    void setCurrentSongItem(SetTreeItem* item) { m_currentSong = item; }
    void setPreviousSongItem(SetTreeItem* item) { m_previousSong = item; }

    // Whether `dragged` may be dropped on `target`: a song or folder onto
    // another item that is neither a marker nor inside the dragged item.
    static bool canDrop(const SetTreeItem* dragged, const SetTreeItem* target);
    // Moves the dragged item with everything inside it: last into the
    // folder `target` with `intoFolder`, else just before `target`. The
    // items themselves move, so the current song and marker stay current
    // and handles given out stay valid. False, nothing moved, when refused.
    bool moveItems(SetTreeItem* dragged, SetTreeItem* target, bool intoFolder);
    // Sorts the top-level items before the status item, stably.
    void sortTopItems(const std::function<bool(const SetTreeItem&, const SetTreeItem&)>& less);

    // Told just before (true) and just after (false) items come or go, so
    // a view drops its references in time; may be empty.
    void setStructureObserver(std::function<void(bool)> observe) { m_observeStructure = std::move(observe); }

private:
    // Brackets one change of the items for the structure observer.
    class StructureChange {
    public:
        explicit StructureChange(const SetTree& tree) : m_tree(tree) { m_tree.observeStructure(true); }
        ~StructureChange() { m_tree.observeStructure(false); }
        StructureChange(const StructureChange&) = delete;
        StructureChange& operator=(const StructureChange&) = delete;

    private:
        const SetTree& m_tree;
    };
    void observeStructure(bool before) const
    {
        if (m_observeStructure)
            m_observeStructure(before);
    }

    std::vector<std::unique_ptr<SetTreeItem>>& siblingsOf(SetTreeItem* parent);
    const std::vector<std::unique_ptr<SetTreeItem>>& siblingsOf(const SetTreeItem* parent) const;
    SetTreeItem* insert(std::unique_ptr<SetTreeItem> item, const TreePlace& place);

    std::vector<std::unique_ptr<SetTreeItem>> m_top;
    SetTreeItem* m_status = nullptr;
    SetTreeItem* m_selection = nullptr;
    SetTreeItem* m_currentMarker = nullptr;
    SetTreeItem* m_currentSong = nullptr;
    SetTreeItem* m_previousSong = nullptr;
    std::function<void(bool)> m_observeStructure;
    // Held by the GUI thread while it adds or removes items, and by
    // songOfItem() for the look-up; never longer.
    mutable std::mutex m_itemsMutex;
};

} // namespace rz
