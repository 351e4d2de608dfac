#pragma once

#include <QObject>
#include <QPoint>

#include <functional>

class QLabel;
class QTimer;
class QTreeView;

namespace rz {

class SetPaneCommands;
class SetTreeModel;
struct SetTreeItem;

// Moving set items with the mouse in the set tree. The tree's own drag and
// drop is not used: its rules for where a row lands are not the set's. A
// picture of the row follows the pointer, the item under it is the model's
// drop target, and the tree scrolls while the pointer is near its top or
// bottom edge. GUI thread.
class SetTreeDrag : public QObject {
    Q_OBJECT
public:
    static constexpr int kStartMs = 200;
    static constexpr int kRepeatMs = 100;
    static constexpr int kEdge = 10;
    static constexpr QPoint kHotSpot{8, 8};

    // `dropped` runs after a drop moved items.
    SetTreeDrag(QTreeView& tree, SetTreeModel& model, SetPaneCommands& commands, std::function<void()> dropped);
    ~SetTreeDrag() override;

    bool dragging() const { return m_dragged != nullptr; }
    SetTreeItem* dragged() const { return m_dragged; }
    // One tick of the scroll timer.
    void autoscroll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();
    void moveTo(QPoint viewportPos);
    void finish(QPoint viewportPos);
    void end();
    SetTreeItem* targetAt(QPoint viewportPos) const;

    QTreeView& m_tree;
    SetTreeModel& m_model;
    SetPaneCommands& m_commands;
    std::function<void()> m_dropped;
    SetTreeItem* m_pressed = nullptr;
    QPoint m_pressPos;
    SetTreeItem* m_dragged = nullptr;
    QPoint m_lastPos;
    QLabel* m_picture = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace rz
