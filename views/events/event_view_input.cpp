// The event list's keys, clicks, cell cursor and in-place editing. GUI thread.

#include "views/events/event_view.h"

#include "core/song_host.h"
#include "core/text_codec.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/in_place_edit.h"
#include "views/events/event_table.h"

#include <QApplication>
#include <QHeaderView>
#include <QItemSelection>
#include <QTableView>

#include <algorithm>

namespace rz {
namespace {

namespace col = event_column;

bool isNavigationKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return true;
    default:
        return false;
    }
}

bool isPrintable(const QString& text)
{
    return text.size() == 1 && text[0].unicode() >= 32 && text[0].unicode() <= 127;
}

} // namespace

// Row steps of the cell cursor; the list moves the row selection itself in
// row mode.
bool EventView::tableKey(int key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    if (!song())
        return false;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        moveColumn(key == Qt::Key_Backtab || shift ? m_column - 1 : m_column + 1, false);
        locate();
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        moveColumn(key == Qt::Key_Left ? m_column - 1 : m_column + 1, ctrl && key == Qt::Key_Right);
        locate();
        return true;
    case Qt::Key_Insert:
        song()->OnInsertEvent();
        return true;
    default:
        break;
    }
    if (m_column != 0 && isNavigationKey(key)) {
        const int page = std::max(m_table->viewport()->height() / std::max(m_table->verticalHeader()->defaultSectionSize(), 1), 1);
        const int last = m_rows.size() - 1;
        const int row = key == Qt::Key_Up         ? m_playRow - 1
                        : key == Qt::Key_Down     ? m_playRow + 1
                        : key == Qt::Key_PageUp   ? m_playRow - page
                        : key == Qt::Key_PageDown ? m_playRow + page
                        : key == Qt::Key_Home     ? 0
                                                  : last;
        setCurrentCell(std::clamp(row, 0, std::max(last, 0)), m_column);
        locate();
        return true;
    }
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier)) && isPrintable(text) && m_column != 0
        && canEditCell(m_playRow, m_column)) {
        openEditor(text, false);
        return true;
    }
    return false;
}

// Left back into row mode clears the selection and toggles the focus row;
// Right out of it clears the rows, except Ctrl+Right, which only deselects
// the focus row.
void EventView::moveColumn(int column, bool ctrl)
{
    column = std::clamp(column, 0, col::kCount - 1);
    QItemSelectionModel& selection = *m_table->selectionModel();
    const QModelIndex focus = m_model->index(std::min(m_playRow, m_rows.size() - 1), 0);
    if (m_column == 0 && column > 0 && ctrl) {
        selection.select(focus, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return;
    }
    const int before = m_column;
    m_column = column;
    if (before == 0 && column > 0)
        selection.clearSelection();
    else if (before > 0 && column == 0 && focus.isValid())
        selection.select(focus, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setCurrentCell(m_playRow, m_column);
}

void EventView::afterNavigation(int key)
{
    if (key != 0 && !isNavigationKey(key))
        return;
    const QModelIndex current = m_table->currentIndex();
    if (current.isValid())
        m_playRow = current.row();
    locate();
}

// A click in a cell column moves the cell cursor there and clears the rows.
bool EventView::tablePressed(int row, int column)
{
    if (column < 0)
        return false;
    if (column == 0) {
        m_column = 0;
        return false;
    }
    m_column = column;
    m_table->selectionModel()->clearSelection();
    if (row >= 0)
        setCurrentCell(row, column);
    return true;
}

void EventView::tableDoubleClicked(int row)
{
    CSongDoc* doc = song();
    if (!doc)
        return;
    m_column = 0;
    m_playRow = row;
    m_table->selectionModel()->select(m_model->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    setCurrentCell(row, 0);
    if (doc->selectionKind != 0)
        doc->OnEditProperties();
}

// A selection another view made of time or tempos ends when the list takes
// the focus.
void EventView::tableFocused()
{
    CSongDoc* doc = song();
    if (m_editing || !doc)
        return;
    if (doc->selectionKind == kSelectTimeRange || doc->selectionKind == kSelectTempo) {
        ++doc->selectionStamp;
        doc->selectionKind = 0;
        doc->selectionFrom = doc->selectionTo = -1;
        doc->UpdateViews();
    }
}

void EventView::openEditor(const QString& text, bool selectAll)
{
    const QModelIndex cell = m_model->index(m_playRow, m_column);
    m_table->scrollTo(cell);
    const QRect rect = m_table->visualRect(cell).translated(m_table->viewport()->pos()).adjusted(1, 1, -1, -1);
    m_editor->setText(text);
    if (selectAll)
        m_editor->selectAll();
    else
        m_editor->end(false);
    m_editor->resetExitKey();
    m_editor->setGeometry(rect);
    m_editing = true;
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
}

// Escape discards; any other exit applies the text as one step, and an
// arrow or Tab then moves the cell cursor.
void EventView::commitEditor()
{
    if (!m_editing)
        return;
    m_editing = false;
    const uint32_t exitKey = m_editor->exitKey();
    const std::vector<uint8_t> bytes = encodeText(m_editor->text().toStdString());
    m_editor->hide();
    CSongDoc* doc = song();
    const CMidiEvent* event = doc ? m_rows.eventAt(*doc, m_playRow) : nullptr;
    if (event && exitKey != InPlaceEdit::kVkEscape && canEditCell(m_playRow, m_column)) {
        const EventRowKey key = m_rows.keys()[size_t(m_playRow)];
        const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        EventCellReading reading = readEventCell(eventCellSong(*doc, key.track), key.track, *event, m_column, text);
        if (reading.edit) {
            const int column = m_column;
            doc->ApplyEdit(eventCellRecord(key.track, key.index, event->tick, std::move(*reading.edit)));
            if (const int row = m_rows.rowOf(key); row >= 0 && song() == doc)
                setCurrentCell(row, column);
        } else if (reading.unreadable) {
            // The value stays; say why rather than lose the typing silently.
            QApplication::beep();
            doc->context().host.SetStatusText("\"" + std::string(text) + "\" cannot be read here; the value is unchanged");
        }
    }
    m_table->setFocus(Qt::OtherFocusReason);
    switch (exitKey) {
    case InPlaceEdit::kVkUp: tableKey(Qt::Key_Up, Qt::NoModifier, {}); break;
    case InPlaceEdit::kVkDown: tableKey(Qt::Key_Down, Qt::NoModifier, {}); break;
    case InPlaceEdit::kVkLeft: tableKey(Qt::Key_Backtab, Qt::NoModifier, {}); break;
    case InPlaceEdit::kVkRight: tableKey(Qt::Key_Tab, Qt::NoModifier, {}); break;
    default: break;
    }
    m_table->viewport()->update();
}

} // namespace rz
