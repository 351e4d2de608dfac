#include "set/set_tree.h"

#include <algorithm>

namespace rz {
namespace {

using Items = std::vector<std::unique_ptr<SetTreeItem>>;

Items::const_iterator findIn(const Items& items, const SetTreeItem* item)
{
    return std::find_if(items.begin(), items.end(), [item](const auto& it) { return it.get() == item; });
}

template <class Visit>
void walk(const Items& items, Visit&& visit)
{
    for (const auto& item : items) {
        visit(item.get());
        walk(item->children, visit);
    }
}

} // namespace

SetTree::SetTree()
{
    ClearTree();
}

Items& SetTree::siblingsOf(SetTreeItem* parent)
{
    return parent ? parent->children : m_top;
}

const Items& SetTree::siblingsOf(const SetTreeItem* parent) const
{
    return parent ? parent->children : m_top;
}

void SetTree::ClearTree()
{
    auto status = std::make_unique<SetTreeItem>();
    status->kind = SetItemKind::Status;
    Items old;
    {
        const StructureChange change(*this);
        const std::lock_guard lock(m_itemsMutex);
        old.swap(m_top);
        m_status = status.get();
        m_top.push_back(std::move(status));
    }
    m_selection = nullptr;
    m_currentMarker = m_status;
    m_currentSong = m_status;
    m_previousSong = nullptr;
}

TreePlace SetTree::beforeStatus() const
{
    return TreePlace::end();
}

SetTreeItem* SetTree::insert(std::unique_ptr<SetTreeItem> item, const TreePlace& place)
{
    Items& siblings = siblingsOf(place.parent);
    Items::iterator at = siblings.begin();
    if (place.last)
        at = place.parent ? siblings.end() : siblings.end() - 1;
    else if (place.after) {
        auto found = std::find_if(siblings.begin(), siblings.end(),
                                  [&](const auto& it) { return it.get() == place.after; });
        at = found == siblings.end() ? siblings.begin() : found + 1;
    }
    // Nothing goes behind the status item.
    if (!place.parent && at == siblings.end())
        --at;
    item->parent = place.parent;
    SetTreeItem* inserted = item.get();
    const StructureChange change(*this);
    const std::lock_guard lock(m_itemsMutex);
    siblings.insert(at, std::move(item));
    return inserted;
}

SetTreeItem* SetTree::InsertSongItem(CSongDoc& song, const TreePlace& place)
{
    auto item = std::make_unique<SetTreeItem>();
    item->kind = SetItemKind::Song;
    item->song = &song;
    SetTreeItem* inserted = insert(std::move(item), place);
    m_selection = inserted;
    return inserted;
}

SetTreeItem* SetTree::InsertFolder(std::string caption, const TreePlace& place)
{
    auto item = std::make_unique<SetTreeItem>();
    item->kind = SetItemKind::Folder;
    item->caption = std::move(caption);
    return insert(std::move(item), place);
}

void SetTree::DeleteTreeItem(SetTreeItem* item)
{
    if (item == nullptr || item == m_status)
        return;
    if (m_selection == item || IsInside(m_selection, item))
        m_selection = nullptr;
    if (m_currentSong == item || IsInside(m_currentSong, item)
        || m_currentMarker == item || IsInside(m_currentMarker, item)) {
        m_currentSong = m_status;
        m_currentMarker = m_status;
    }
    if (m_previousSong == item || IsInside(m_previousSong, item))
        m_previousSong = nullptr;
    Items& siblings = siblingsOf(item->parent);
    const auto at = findIn(siblings, item);
    if (at == siblings.end())
        return;
    std::unique_ptr<SetTreeItem> taken;
    {
        const StructureChange change(*this);
        const std::lock_guard lock(m_itemsMutex);
        const auto position = siblings.begin() + (at - siblings.cbegin());
        taken = std::move(*position);
        siblings.erase(position);
    }
}

SetTreeItem* SetTree::GetNextItem(const SetTreeItem* item, int& depth) const
{
    if (item == nullptr) {
        depth = 0;
        return m_top.front().get();
    }
    if (item == m_status)
        return nullptr;
    if (item->kind == SetItemKind::Folder && !item->children.empty()) {
        ++depth;
        return item->children.front().get();
    }
    for (const SetTreeItem* at = item; at != nullptr; at = at->parent) {
        const Items& siblings = siblingsOf(at->parent);
        const auto found = findIn(siblings, at);
        if (found != siblings.end() && found + 1 != siblings.end())
            return (found + 1)->get();
        if (at->parent)
            --depth;
    }
    return nullptr;
}

SetItemKind SetTree::GetItemKind(const SetTreeItem* item)
{
    return item ? item->kind : SetItemKind::None;
}

bool SetTree::IsInside(const SetTreeItem* item, const SetTreeItem* ancestor)
{
    if (item == nullptr || ancestor == nullptr)
        return false;
    for (const SetTreeItem* at = item->parent; at != nullptr; at = at->parent)
        if (at == ancestor)
            return true;
    return false;
}

SetTreeItem* SetTree::previousSibling(const SetTreeItem* item) const
{
    const Items& siblings = siblingsOf(item->parent);
    const auto found = findIn(siblings, item);
    return found == siblings.end() || found == siblings.begin() ? nullptr : (found - 1)->get();
}

std::vector<SetTreeItem*> SetTree::songItems() const
{
    std::vector<SetTreeItem*> items;
    walk(m_top, [&](SetTreeItem* item) {
        if (item->kind == SetItemKind::Song)
            items.push_back(item);
    });
    return items;
}

std::vector<SetTreeItem*> SetTree::itemsOf(const CSongDoc* song) const
{
    std::vector<SetTreeItem*> items;
    walk(m_top, [&](SetTreeItem* item) {
        if (item->kind == SetItemKind::Song && item->song == song)
            items.push_back(item);
    });
    return items;
}

CSongDoc* SetTree::songOfItem(const SetTreeItem* item) const
{
    if (item == nullptr)
        return nullptr;
    const std::lock_guard lock(m_itemsMutex);
    CSongDoc* song = nullptr;
    walk(m_top, [&](SetTreeItem* at) {
        if (at == item && at->kind == SetItemKind::Song)
            song = at->song;
    });
    return song;
}

bool SetTree::canDrop(const SetTreeItem* dragged, const SetTreeItem* target)
{
    const SetItemKind kind = GetItemKind(dragged);
    if (kind != SetItemKind::Song && kind != SetItemKind::Folder)
        return false;
    if (target == nullptr || target == dragged || target->kind == SetItemKind::Marker)
        return false;
    return !IsInside(target, dragged);
}

bool SetTree::moveItems(SetTreeItem* dragged, SetTreeItem* target, bool intoFolder)
{
    if (!canDrop(dragged, target) || (intoFolder && target->kind != SetItemKind::Folder))
        return false;
    Items& from = siblingsOf(dragged->parent);
    const auto found = findIn(from, dragged);
    if (found == from.end())
        return false;
    const StructureChange change(*this);
    const std::lock_guard lock(m_itemsMutex);
    const auto position = from.begin() + (found - from.cbegin());
    std::unique_ptr<SetTreeItem> taken = std::move(*position);
    from.erase(position);
    // The target's place is looked up after the dragged item left, so a
    // drop onto its own next sibling finds that sibling where it now is.
    SetTreeItem* parent = intoFolder ? target : target->parent;
    Items& to = siblingsOf(parent);
    const auto at = intoFolder ? to.cend() : findIn(to, target);
    taken->parent = parent;
    to.insert(to.begin() + (at - to.cbegin()), std::move(taken));
    return true;
}

void SetTree::sortTopItems(const std::function<bool(const SetTreeItem&, const SetTreeItem&)>& less)
{
    const StructureChange change(*this);
    const std::lock_guard lock(m_itemsMutex);
    std::stable_sort(m_top.begin(), m_top.end() - 1,
                     [&](const auto& a, const auto& b) { return less(*a, *b); });
}

void SetTree::setMarkers(SetTreeItem* songItem, const std::vector<const CCue*>& cues)
{
    if (m_currentMarker && m_currentMarker->parent == songItem)
        m_currentMarker = songItem;
    if (m_selection && m_selection->parent == songItem)
        m_selection = songItem;
    Items markers;
    for (const CCue* cue : cues) {
        auto marker = std::make_unique<SetTreeItem>();
        marker->kind = SetItemKind::Marker;
        marker->cue = cue;
        marker->parent = songItem;
        markers.push_back(std::move(marker));
    }
    Items old;
    {
        const StructureChange change(*this);
        const std::lock_guard lock(m_itemsMutex);
        old.swap(songItem->children);
        songItem->children = std::move(markers);
    }
}

} // namespace rz
