#include "views/events/event_table.h"

#include "core/color.h"
#include "song/song_doc.h"
#include "ui/color_ref.h"
#include "ui/frame_3d.h"
#include "views/events/event_cell_text.h"
#include "views/events/event_view.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPainter>

namespace rz {
namespace {

namespace col = event_column;

constexpr const char* kTitles[col::kCount] = {"", "Track", "Tick", "SMPTE", "Duration", "Type", "Note/Number", "Velocity/Value"};
constexpr Color kSwatchFill = 0xD0A0A0;
constexpr Color kFocusedFill = 0x38140C;
constexpr Color kUnfocusedFill = 0xA0A0A0;
constexpr Color kSelectedText = 0x0EF0FF;
constexpr Color kWhite = 0xFFFFFF;
constexpr Color kBlack = 0x000000;
constexpr Color kCellFrameLight = 0xFFE0E0;
constexpr Color kCellFrameDark = 0x200000;
constexpr Color kFocusFrame = 0x0000FF;
constexpr int kTextInset = 2;

bool rightAligned(int column)
{
    return column >= col::kTick && column <= col::kDuration;
}

} // namespace

EventTableModel::EventTableModel(EventView& view, QObject* parent) : QAbstractTableModel(parent), m_view(view) {}

int EventTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_view.rows().size();
}

int EventTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : col::kCount;
}

QVariant EventTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return QString::fromStdString(m_view.cellText(index.row(), index.column()));
}

QVariant EventTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= col::kCount)
        return {};
    return QString::fromLatin1(kTitles[section]);
}

void EventTableModel::reset(const std::function<void()>& change)
{
    beginResetModel();
    change();
    endResetModel();
}

EventDelegate::EventDelegate(EventView& view, QObject* parent) : QStyledItemDelegate(parent), m_view(view) {}

// Nothing while rebuilding; a key past its track's end draws nothing.
void EventDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const CSongDoc* song = m_view.song();
    if (m_view.m_rebuilding || !song)
        return;
    const int row = index.row();
    const int column = index.column();
    const CMidiEvent* event = m_view.rows().eventAt(*song, row);
    if (!event)
        return;
    const bool rowMode = m_view.currentColumn() == 0;
    const bool focused = m_view.table().hasFocus();
    const bool selected = rowMode && m_view.table().selectionModel()->isRowSelected(row, {});
    const bool cursorCell = !rowMode && row == m_view.playRow() && column == m_view.currentColumn();
    const QRect r = option.rect;
    Color fill = kWhite, light = kWhite, dark = kBlack, text = EventCellText::kindColor(event->kind());
    if (column == col::kSwatch) {
        const int track = m_view.rows().keys()[size_t(row)].track;
        fill = selected ? song->tracks[size_t(track)]->color : kSwatchFill;
        light = ShadeColor(fill, 160);
        dark = ShadeColor(fill, 80);
    } else if (selected || cursorCell) {
        fill = focused ? kFocusedFill : kUnfocusedFill;
        light = selected ? kBlack : kCellFrameLight;
        dark = selected ? kWhite : kCellFrameDark;
        text = kSelectedText;
    }
    painter->fillRect(r, fromColorRef(fill));
    draw3dRect(*painter, r, light, dark);
    if (rowMode && focused && row == m_view.playRow()) {
        painter->setPen(fromColorRef(kFocusFrame));
        painter->drawLine(r.topLeft(), r.topRight());
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        if (column == 0)
            painter->drawLine(r.topLeft(), r.bottomLeft());
        if (column == col::kCount - 1)
            painter->drawLine(r.topRight(), r.bottomRight());
    }
    if (column == col::kSwatch)
        return;
    painter->setPen(fromColorRef(text));
    painter->setFont(option.font);
    const Qt::Alignment align = (rightAligned(column) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
    painter->drawText(r.adjusted(kTextInset, 0, -kTextInset, 0), int(align) | Qt::TextSingleLine,
                      QString::fromStdString(m_view.cellText(row, column)));
}

EventTable::EventTable(EventView& view, QWidget* parent) : QTableView(parent), m_view(view) {}

// Tab and Shift+Tab move the cell cursor, not the focus.
bool EventTable::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QTableView::event(event);
}

void EventTable::keyPressEvent(QKeyEvent* event)
{
    if (m_view.tableKey(event->key(), event->modifiers(), event->text())) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
    m_view.afterNavigation(event->key());
}

void EventTable::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton || !m_view.tablePressed(rowAt(at.y()), columnAt(at.x())))
        QTableView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && rowAt(at.y()) >= 0)
        m_view.afterNavigation(0);
}

void EventTable::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int row = rowAt(event->position().toPoint().y());
    if (row >= 0 && event->button() == Qt::LeftButton)
        m_view.tableDoubleClicked(row);
    else
        QTableView::mouseDoubleClickEvent(event);
}

void EventTable::contextMenuEvent(QContextMenuEvent* event)
{
    m_view.tableMenu(event->globalPos());
    event->accept();
}

void EventTable::focusInEvent(QFocusEvent* event)
{
    QTableView::focusInEvent(event);
    m_view.tableFocused();
}

} // namespace rz
