#include "set/ui/set_tree_model.h"

#include "set/set_document.h"

#include <algorithm>

namespace rz {

SetTreeModel::SetTreeModel(SetDocument& set, QObject* parent) : QAbstractItemModel(parent), m_set(set)
{
    m_set.navigator().setObserver(this);
    m_set.tree().setStructureObserver([this](bool before) {
        if (before)
            beginResetModel();
        else
            endResetModel();
    });
}

SetTreeModel::~SetTreeModel()
{
    m_set.tree().setStructureObserver({});
    m_set.navigator().setObserver(nullptr);
}

const std::vector<std::unique_ptr<SetTreeItem>>& SetTreeModel::childrenOf(const SetTreeItem* parent) const
{
    return parent ? parent->children : m_set.tree().topItems();
}

SetTreeItem* SetTreeModel::itemAt(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<SetTreeItem*>(index.internalPointer()) : nullptr;
}

QModelIndex SetTreeModel::indexOf(const SetTreeItem* item) const
{
    if (item == nullptr)
        return {};
    const auto& siblings = childrenOf(item->parent);
    const auto at = std::find_if(siblings.begin(), siblings.end(),
                                 [&](const auto& each) { return each.get() == item; });
    if (at == siblings.end())
        return {};
    return createIndex(int(at - siblings.begin()), 0, const_cast<SetTreeItem*>(item));
}

QModelIndex SetTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const auto& children = childrenOf(itemAt(parent));
    if (column != 0 || row < 0 || row >= int(children.size()))
        return {};
    return createIndex(row, 0, children[size_t(row)].get());
}

QModelIndex SetTreeModel::parent(const QModelIndex& child) const
{
    const SetTreeItem* item = itemAt(child);
    return item && item->parent ? indexOf(item->parent) : QModelIndex();
}

int SetTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return int(childrenOf(itemAt(parent)).size());
}

int SetTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

QVariant SetTreeModel::data(const QModelIndex& index, int role) const
{
    const SetTreeItem* item = itemAt(index);
    if (item == nullptr)
        return {};
    const SetNavigator& navigator = m_set.navigator();
    switch (role) {
    case Qt::DisplayRole: return QString::fromStdString(navigator.captionOf(item));
    case NormalImageRole: return navigator.imageOf(item);
    case StateImageRole: return navigator.stateOf(item);
    case KindRole: return int(item->kind);
    case DropTargetRole: return item == m_dropTarget;
    default: return {};
    }
}

void SetTreeModel::itemChanged(const SetTreeItem* item)
{
    if (item == nullptr)
        return;
    const QModelIndex at = indexOf(item);
    emit dataChanged(at, at);
    // The set tells each item whose state changes, the new current song's too.
    const SetTreeItem* current = m_set.tree().currentSongItem();
    if (current != m_shownCurrent && current != nullptr && current->kind == SetItemKind::Song) {
        m_shownCurrent = current;
        emit currentSongMoved(indexOf(current));
    }
}

void SetTreeModel::setDropTarget(const SetTreeItem* item)
{
    if (item == m_dropTarget)
        return;
    const SetTreeItem* old = m_dropTarget;
    m_dropTarget = item;
    for (const SetTreeItem* changed : {old, item}) {
        if (changed == nullptr)
            continue;
        const QModelIndex at = indexOf(changed);
        emit dataChanged(at, at, {DropTargetRole});
    }
}

void SetTreeModel::treeReset()
{
    m_dropTarget = nullptr;
    m_shownCurrent = m_set.tree().currentSongItem();
    beginResetModel();
    endResetModel();
}

void SetTreeModel::scrollToTop(const SetTreeItem* item)
{
    emit scrollRequested(indexOf(item));
}

} // namespace rz
