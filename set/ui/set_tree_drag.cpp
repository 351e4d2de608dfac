#include "set/ui/set_tree_drag.h"

#include "set/set_pane_commands.h"
#include "set/ui/set_tree_model.h"

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

namespace rz {

SetTreeDrag::SetTreeDrag(QTreeView& tree, SetTreeModel& model, SetPaneCommands& commands,
                         std::function<void()> dropped)
    : QObject(&tree), m_tree(tree), m_model(model), m_commands(commands), m_dropped(std::move(dropped))
{
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &SetTreeDrag::autoscroll);
    m_tree.viewport()->installEventFilter(this);
    // Items going away under a press forget it.
    connect(&m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_pressed = nullptr;
        if (m_dragged)
            end();
    });
}

SetTreeDrag::~SetTreeDrag()
{
    delete m_picture;
}

SetTreeItem* SetTreeDrag::targetAt(QPoint viewportPos) const
{
    if (!m_tree.viewport()->rect().contains(viewportPos))
        return nullptr;
    SetTreeItem* item = m_model.itemAt(m_tree.indexAt(viewportPos));
    return m_commands.canDrop(m_dragged, item) ? item : nullptr;
}

void SetTreeDrag::start()
{
    m_dragged = m_pressed;
    m_pressed = nullptr;
    const QModelIndex at = m_model.indexOf(m_dragged);
    m_tree.setCurrentIndex(at);
    m_picture = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    m_picture->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_picture->setPixmap(m_tree.viewport()->grab(m_tree.visualRect(at)));
    m_picture->setWindowOpacity(0.7);
    m_timer->start(kStartMs);
}

void SetTreeDrag::moveTo(QPoint viewportPos)
{
    m_lastPos = viewportPos;
    if (m_picture) {
        m_picture->move(m_tree.viewport()->mapToGlobal(viewportPos) - kHotSpot);
        m_picture->show();
    }
    const SetTreeItem* target = targetAt(viewportPos);
    m_model.setDropTarget(target);
    m_tree.viewport()->setCursor(target ? Qt::ArrowCursor : Qt::ForbiddenCursor);
}

void SetTreeDrag::autoscroll()
{
    if (!m_dragged)
        return;
    m_timer->setInterval(kRepeatMs);
    QScrollBar* bar = m_tree.verticalScrollBar();
    const int before = bar->value();
    if (m_lastPos.y() < kEdge)
        bar->setValue(before - bar->singleStep());
    else if (m_lastPos.y() > m_tree.viewport()->height() - kEdge)
        bar->setValue(before + bar->singleStep());
    if (bar->value() != before)
        moveTo(m_lastPos);
}

void SetTreeDrag::end()
{
    m_model.setDropTarget(nullptr);
    m_timer->stop();
    delete m_picture;
    m_picture = nullptr;
    m_dragged = nullptr;
    m_tree.viewport()->unsetCursor();
}

void SetTreeDrag::finish(QPoint viewportPos)
{
    SetTreeItem* dragged = m_dragged;
    SetTreeItem* target = targetAt(viewportPos);
    end();
    if (target && m_commands.Drop(dragged, target) && m_dropped)
        m_dropped();
}

bool SetTreeDrag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_tree.viewport())
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            return false;
        SetTreeItem* item = m_model.itemAt(m_tree.indexAt(mouse->position().toPoint()));
        m_pressed = m_commands.canDrag(item) ? item : nullptr;
        m_pressPos = mouse->position().toPoint();
        return false;
    }
    case QEvent::MouseMove: {
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (m_pressed && (at - m_pressPos).manhattanLength() >= QApplication::startDragDistance())
            start();
        if (!m_dragged)
            return m_pressed != nullptr;
        moveTo(at);
        return true;
    }
    case QEvent::MouseButtonRelease: {
        m_pressed = nullptr;
        if (!m_dragged)
            return false;
        finish(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
    }
    default: return false;
    }
}

} // namespace rz
