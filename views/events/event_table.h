#pragma once
// The event list's table, model and cell painter: thin Qt parts that hand
// everything to EventView. GUI thread.

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>

namespace rz {

class EventView;

// Row keys only; each cell's text is formatted when it is asked for.
class EventTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    EventTableModel(EventView& view, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Runs `change` between a reset's begin and end.
    void reset(const std::function<void()>& change);

private:
    EventView& m_view;
};

// The fills, frames and texts of the list's cells.
class EventDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    EventDelegate(EventView& view, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    EventView& m_view;
};

// Keys, clicks and the focus go to the view first.
class EventTable : public QTableView {
    Q_OBJECT
public:
    EventTable(EventView& view, QWidget* parent);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    EventView& m_view;
};

} // namespace rz
