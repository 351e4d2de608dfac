// The track list's row edits: Delete, Cut, Copy, Paste, Properties, the
// track drag, sorting and the drag autoscrolls.

#include "views/track/track_view.h"

#include "core/edit_dialogs.h"
#include "core/engine_link.h"
#include "core/song_host.h"
#include "core/text_codec.h"
#include "res/command_ids.h"
#include "song/clipboard.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "ui/in_place_edit.h"
#include "views/drag_autoscroll.h"
#include "views/track/track_edit_copy.h"
#include "views/track/track_edit_props.h"
#include "views/track/track_edit_records.h"
#include "views/track/track_header.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>

namespace rz {
namespace {

bool applicationClipboardEmpty(ISongHost* host)
{
    return host == nullptr || host->clipboard().kind == 0;
}

bool systemClipboardHasText()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

} // namespace

std::vector<int> TrackView::selectedRows() const
{
    std::vector<int> rows;
    for (int row = m_selection.GetFirstSelected(); row >= 0; row = m_selection.GetNextSelected(row))
        rows.push_back(row);
    return rows;
}

// "Delete Tracks" of the selected rows, in row mode.
bool TrackView::onDelete(CommandId)
{
    CSongDoc* doc = song();
    if (!doc || m_selection.cellMode())
        return false;
    if (auto record = deleteTracksRecord(selectedRows()))
        doc->ApplyEdit(std::move(record));
    return true;
}

void TrackView::onUpdateDelete(CommandId, CmdUi& ui)
{
    ui.enabled = song() && !m_selection.cellMode() && m_selection.GetSelectedCount() > 0;
}

// Copy in both modes; Cut copies the rows and deletes them only once the
// copy is whole.
bool TrackView::onCopyCut(CommandId id)
{
    CSongDoc* doc = song();
    if (!doc)
        return false;
    if (m_selection.cellMode()) {
        if (id == kIdEditCopy)
            copyCell();
        return true;
    }
    if (copyRows() && id == kIdEditCut)
        onDelete(kIdDelete);
    return true;
}

void TrackView::onUpdateCopyCut(CommandId id, CmdUi& ui)
{
    const bool rows = song() && !m_selection.cellMode() && m_selection.GetSelectedCount() > 0;
    ui.enabled = id == kIdEditCopy ? song() && (m_selection.cellMode() || rows) : rows;
}

bool TrackView::copyRows()
{
    return copyTracks(*song(), selectedRows()) == TrackCopy::Copied;
}

// The current cell's value goes to the system clipboard as text.
void TrackView::copyCell()
{
    CSongDoc* doc = song();
    if (m_context.host)
        ClearClipboard(m_context.host->clipboard(), m_context.host->workFolder());
    const int row = m_selection.currentRow();
    const int column = currentColumnIndex();
    std::string text;
    if (row >= 1 && size_t(row) < doc->tracks.size())
        text = cellCopyText(*doc->tracks[size_t(row)], column);
    QGuiApplication::clipboard()->setText(QString::fromStdString(decodeText(text)));
}

bool TrackView::onPaste(CommandId)
{
    if (!song() || !m_selection.cellMode() || !applicationClipboardEmpty(m_context.host))
        return false;
    if (systemClipboardHasText() && canEditCurrentCell())
        openEditor(QGuiApplication::clipboard()->text().left(99));
    return true;
}

void TrackView::onUpdatePaste(CommandId, CmdUi& ui)
{
    ui.enabled = systemClipboardHasText();
}

// Properties of the selected rows, or of the current row in cell mode; on
// the star row with nothing selected a new track is asked for instead.
bool TrackView::onProperties(CommandId)
{
    CSongDoc* doc = song();
    if (!doc || m_selection.currentRow() < 1)
        return false;
    m_selection.InvalidateIfChanged();
    const bool starRow = m_selection.currentRow() == m_selection.rowCount() - 1;
    if ((m_selection.cellMode() || m_selection.GetSelectedCount() == 0) && starRow) {
        doc->InsertTrack();
        return true;
    }
    const std::vector<int> rows
        = m_selection.cellMode() ? std::vector<int>{m_selection.currentRow()} : selectedRows();
    editTrackProperties(*doc, rows);
    return true;
}

void TrackView::onUpdateProperties(CommandId, CmdUi& ui)
{
    const CSongDoc* doc = song();
    const IEditDialogs* dialogs = doc ? doc->context().editDialogs : nullptr;
    ui.enabled = doc && stopped() && !performing() && dialogs && dialogs->has(EditDialog::TrackProperties)
                 && (m_selection.currentRow() >= 1 || m_selection.GetSelectedCount() > 0);
}

bool TrackView::update(CommandId id, CmdUi& ui)
{
    if (id == kIdEditPaste && (!m_selection.cellMode() || !applicationClipboardEmpty(m_context.host)))
        return false;
    if (id == kIdProperties && m_selection.cellMode() && m_selection.currentRow() < 1)
        return false;
    return CommandTable<TrackView>::update(id, ui);
}

bool TrackView::sortByColumn(int column)
{
    CSongDoc* doc = song();
    if (!doc || !stopped() || performing())
        return false;
    if (auto record = sortTracksRecord(*doc, column, doc->context().synths))
        doc->ApplyEdit(std::move(record));
    return true;
}

// Rows scroll while the pointer is held above or below them; a track drag
// follows.
void TrackView::rowScrollBeat()
{
    if (!song()) {
        m_rowScroll.stop();
        return;
    }
    const QPoint point = m_mousePoint;
    const int rowsTop = m_layout.headerHeight + TrackRowLayout::kRulerGap;
    const int bottom = height() - kBarSize;
    const int top = m_selection.topRow();
    const int next = edgeScrollStep(point.y(), rowsTop, bottom, top, m_selection.maxTopRow(), m_layout.rowHeight);
    if (next == top)
        return;
    m_selection.setTopRow(next);
    dragMove(point);
    QWidget::update();
}

// The columns scroll while a header drag holds the pointer left of the
// number column or right of the grid.
void TrackView::columnScrollBeat()
{
    const QPoint point = m_mousePoint;
    const int visible = width() - m_layout.numberWidth - kBarSize;
    const int limit = totalColumnsWidth() - visible;
    const int next = edgeScrollStep(point.x(), m_layout.numberWidth, width() - kBarSize, m_horizontalOffset,
                                    limit, 1);
    if (next == m_horizontalOffset)
        return;
    m_horizontalOffset = next;
    relayout();
    QWidget::update();
}

// The track drag: past half a row from the press it begins; the current
// row then follows the pointer within 1..count-1.
void TrackView::dragMove(QPoint point)
{
    if (!m_numberPress)
        return;
    if (!m_dragged && stopped() && !performing() && std::abs(point.y() - m_pressPoint.y()) > m_layout.rowHeight / 2)
        m_dragged = true;
    if (!m_dragged)
        return;
    const int row = std::clamp(m_layout.rowAt(point.y(), m_selection.topRow()), 1,
                               std::max(m_selection.rowCount() - 1, 1));
    if (row != m_selection.currentRow()) {
        m_selection.SetCurrentRow(row);
        QWidget::update();
    }
}

// The drop: the selected rows move to the current row in one step.
void TrackView::endTrackDrag()
{
    CSongDoc* doc = song();
    if (!doc || !stopped() || performing())
        return;
    if (auto record = dragTracksRecord(*doc, selectedRows(), m_selection.currentRow()))
        doc->ApplyEdit(std::move(record));
}

// A header drag outside performance mode autoscrolls the columns while the
// horizontal bar has room to scroll.
bool TrackView::headerEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_headerPressed = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        break;
    case QEvent::MouseMove:
        m_mousePoint = m_header->viewport()->mapTo(this, static_cast<QMouseEvent*>(event)->position().toPoint());
        if (m_headerPressed && !m_columns.performanceMode() && !m_columnScroll.isActive()
            && totalColumnsWidth() > width() - m_layout.numberWidth - kBarSize)
            m_columnScroll.start(kAutoscrollMs);
        break;
    case QEvent::MouseButtonRelease:
        endColumnDrag();
        break;
    default: break;
    }
    return false;
}

void TrackView::endColumnDrag()
{
    m_headerPressed = false;
    m_columnScroll.stop();
}

bool TrackView::eventFilter(QObject* watched, QEvent* event)
{
    if (m_header && watched == m_header->viewport())
        return headerEvent(event);
    return SongView::eventFilter(watched, event);
}

} // namespace rz
