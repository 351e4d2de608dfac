#pragma once

#include "set/set_navigator.h"

#include <QAbstractItemModel>

namespace rz {

class SetDocument;

// The set tree as a Qt model: folders, songs and their markers, and the
// status item. GUI thread.
class SetTreeModel : public QAbstractItemModel, public ISetTreeObserver {
    Q_OBJECT
public:
    enum Role { NormalImageRole = Qt::UserRole + 1, StateImageRole, KindRole, DropTargetRole };

    explicit SetTreeModel(SetDocument& set, QObject* parent = nullptr);
    ~SetTreeModel() override;

    SetTreeItem* itemAt(const QModelIndex& index) const;
    QModelIndex indexOf(const SetTreeItem* item) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The item a drag would drop on, shown highlighted; null none.
    void setDropTarget(const SetTreeItem* item);
    const SetTreeItem* dropTarget() const { return m_dropTarget; }

    // ISetTreeObserver.
    void itemChanged(const SetTreeItem* item) override;
    void treeReset() override;
    void scrollToTop(const SetTreeItem* item) override;

signals:
    void scrollRequested(const QModelIndex& index);
    // Another song became the set's current one.
    void currentSongMoved(const QModelIndex& index);

private:
    const std::vector<std::unique_ptr<SetTreeItem>>& childrenOf(const SetTreeItem* parent) const;

    SetDocument& m_set;
    const SetTreeItem* m_dropTarget = nullptr;
    const SetTreeItem* m_shownCurrent = nullptr; // the current song when last told
};

} // namespace rz
