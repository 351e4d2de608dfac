// The track list's keys, mouse, cell editor, mix slider and menu.

#include "views/track/track_view.h"

#include "core/engine_link.h"
#include "core/locks.h"
#include "core/midi_bytes.h"
#include "core/midi_out.h"
#include "core/song_host.h"
#include "core/text_codec.h"
#include "res/command_ids.h"
#include "res/track_menu.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "ui/in_place_edit.h"
#include "views/track/track_cell_text.h"
#include "views/track/track_mix.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cstdio>

namespace rz {
namespace {

std::optional<TrackKey> trackKeyOf(int key)
{
    switch (key) {
    case Qt::Key_PageUp: return TrackKey::PageUp;
    case Qt::Key_PageDown: return TrackKey::PageDown;
    case Qt::Key_End: return TrackKey::End;
    case Qt::Key_Home: return TrackKey::Home;
    case Qt::Key_Left:
    case Qt::Key_Backtab: return TrackKey::Left;
    case Qt::Key_Up: return TrackKey::Up;
    case Qt::Key_Right:
    case Qt::Key_Tab: return TrackKey::Right;
    case Qt::Key_Down: return TrackKey::Down;
    case Qt::Key_Insert: return TrackKey::Insert;
    default: return std::nullopt;
    }
}

bool isEnterKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The text the current cell shows, for an editor opened on it; nothing for
// the star row, the "in" column or a cell that cannot be edited now.
std::optional<QString> editableCellText(TrackView& view, const CSongDoc* song)
{
    const int row = view.selection().currentRow();
    const int column = view.currentColumnIndex();
    if (!song || row < 0 || size_t(row) >= song->tracks.size() || column == kColumnIn
        || !view.selection().cellMode() || !view.canEditCurrentCell())
        return std::nullopt;
    const CellText cell = GetCellText(*song->tracks[size_t(row)], column, song->context().synths);
    return QString::fromStdString(decodeText(cell.text));
}

// The key that closed the cell editor, as a key of the grid.
int gridKeyOf(uint32_t exitKey)
{
    switch (exitKey) {
    case InPlaceEdit::kVkUp: return Qt::Key_Up;
    case InPlaceEdit::kVkDown: return Qt::Key_Down;
    case InPlaceEdit::kVkLeft: return Qt::Key_Left;
    case InPlaceEdit::kVkRight: return Qt::Key_Right;
    default: return 0;
    }
}

bool isRowCell(const CSongDoc& song, int row)
{
    return row >= 1 && row + 1 < int(song.tracks.size())
           && song.tracks[size_t(row)]->type != kMetaTrack;
}

} // namespace

bool TrackView::canEditCurrentCell() const
{
    return CanEditCell(song(), m_selection.currentRow(), currentColumnIndex(), m_selection.cellMode(),
                       performing());
}

CellEdit TrackView::InsertTrack(int row, int position, std::string_view text)
{
    if (!song())
        return CellEdit::Ignored;
    const CellEdit result = rz::InsertTrack(*song(), row, m_columns.columnAt(position), text, performing());
    if (result == CellEdit::Live)
        QWidget::update();
    return result;
}

// Tab and Shift+Tab move the cell instead of the focus.
bool TrackView::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return SongView::event(event);
}

void TrackView::keyPressEvent(QKeyEvent* event)
{
    if (!song()) {
        SongView::keyPressEvent(event);
        return;
    }
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain && isEnterKey(event->key())) {
        if (const std::optional<QString> text = editableCellText(*this, song())) {
            openEditor(*text);
            event->accept();
            return;
        }
    }
    if (plain && typeCharacter(event->text())) {
        event->accept();
        return;
    }
    if (!trackKeyOf(event->key())) {
        SongView::keyPressEvent(event);
        return;
    }
    handleKey(event->key(), event->modifiers());
    event->accept();
}

void TrackView::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    const std::optional<TrackKey> step = trackKeyOf(key);
    if (!step || !song())
        return;
    const TrackKeyModifiers held{.shift = (modifiers & Qt::ShiftModifier) || key == Qt::Key_Backtab,
                                 .ctrl = bool(modifiers & Qt::ControlModifier)};
    const int page = std::max(m_layout.visibleRows(height() - kBarSize), 1);
    // Shift+Tab moves left; it selects no range.
    const TrackKeyModifiers used = key == Qt::Key_Backtab ? TrackKeyModifiers{.ctrl = held.ctrl} : held;
    if (!m_selection.key(*step, used, page))
        song()->InsertTrack();
    refreshHeaderFont();
}

// A printable key in an editable cell: "in" takes it at once, any other
// column opens the editor holding it.
bool TrackView::typeCharacter(const QString& text)
{
    if (text.size() != 1 || text[0].unicode() < 32 || text[0].unicode() > 127)
        return false;
    if (!m_selection.cellMode() || !canEditCurrentCell())
        return false;
    if (currentColumnIndex() == kColumnIn) {
        InsertTrack(m_selection.currentRow(), m_selection.currentColumn() - 1, text.toStdString());
        return true;
    }
    openEditor(text);
    return true;
}

void TrackView::openEditor(const QString& text)
{
    if (m_selection.notifyPending())
        m_selection.notifyNow();
    m_editor->setText(text); // also empties its undo
    m_editor->end(false);
    m_editor->resetExitKey();
    m_editor->setGeometry(cellRect(m_selection.currentRow(), m_selection.currentColumn() - 1));
    m_editorOpen = true;
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
}

// The editor lost the focus: Escape discards, anything else applies the
// text, and an arrow (or Tab) then moves the cell.
void TrackView::commitEditor()
{
    if (!m_editorOpen)
        return;
    m_editorOpen = false;
    const uint32_t exitKey = m_editor->exitKey();
    const std::vector<uint8_t> bytes = encodeText(m_editor->text().toStdString());
    m_editor->hide();
    if (exitKey != InPlaceEdit::kVkEscape && m_selection.cellMode())
        InsertTrack(m_selection.currentRow(), m_selection.currentColumn() - 1,
                    std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    if (const int key = gridKeyOf(exitKey))
        handleKey(key, Qt::NoModifier);
    QWidget::update();
}

void TrackView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !song()) {
        SongView::mousePressEvent(event);
        return;
    }
    pressRow(event->position().toPoint(), event->modifiers(), true);
}

void TrackView::pressRow(QPoint point, Qt::KeyboardModifiers modifiers, bool cellActions)
{
    m_pressPoint = point;
    m_dragged = false;
    const int row = rowAtY(point.y());
    const int position = positionAtX(point.x());
    if (row < 0 || (point.x() >= m_layout.numberWidth && position < 0)) {
        m_selection.pressOutside();
        return;
    }
    if (point.x() < m_layout.numberWidth) {
        m_selection.pressNumber(row, {.shift = bool(modifiers & Qt::ShiftModifier),
                                      .ctrl = bool(modifiers & Qt::ControlModifier)});
        m_numberPress = true;
        m_mousePoint = point;
        if (stopped())
            m_rowScroll.start(kAutoscrollMs);
        return;
    }
    m_selection.pressCell(row, position);
    refreshHeaderFont();
    if (!cellActions || !isRowCell(*song(), row))
        return;
    const CTrack& track = *song()->tracks[size_t(row)];
    const int column = m_columns.columnAt(position);
    if (column == kColumnIn)
        InsertTrack(row, position, track.playEnabled ? "0" : "1");
    else if (column == kColumnMix && cellRect(row, position).width() >= track_mix::kMinCellWidth)
        startMixDrag(row, position, point);
}

void TrackView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (mixDragging()) {
        moveMixDrag(point);
        return;
    }
    m_mousePoint = point;
    dragMove(point);
    updateCursor(point);
    setStatusText(std::string());
}

// Over a selected row, in row mode while editing is allowed, the cursor
// says the rows may be dragged.
void TrackView::updateCursor(QPoint point)
{
    const int row = rowAtY(point.y());
    const bool overSelection = song() && !m_selection.cellMode() && stopped() && !performing() && row >= 0
                               && m_selection.IsRowSelected(row, true);
    if (overSelection)
        setCursor(Qt::SizeVerCursor);
    else
        unsetCursor();
}

void TrackView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        SongView::mouseReleaseEvent(event);
        return;
    }
    m_rowScroll.stop();
    endColumnDrag();
    if (mixDragging())
        endMixDrag();
    if (m_numberPress) {
        m_numberPress = false;
        if (m_dragged)
            endTrackDrag();
        m_selection.releaseNumber(m_dragged);
        m_dragged = false;
    }
}

// In cell mode the row becomes the selection; on the star row with nothing
// selected a new track is asked for.
void TrackView::mouseDoubleClickEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (event->button() != Qt::LeftButton || !doc || !stopped() || performing()
        || rowAtY(event->position().toPoint().y()) < 0) {
        SongView::mouseDoubleClickEvent(event);
        return;
    }
    // On an editable cell the editor opens on its text; elsewhere in cell
    // mode the row becomes the selection.
    if (rowAtY(event->position().toPoint().y()) == m_selection.currentRow()) {
        if (const std::optional<QString> text = editableCellText(*this, song())) {
            openEditor(*text);
            return;
        }
    }
    if (m_selection.cellMode()) {
        m_selection.SelectRow(m_selection.currentRow(), false);
        m_selection.RefreshSelection();
    }
    if (m_selection.GetSelectedCount() == 0 && m_selection.currentRow() == m_selection.rowCount() - 1)
        doc->InsertTrack();
    else if (m_selection.GetSelectedCount() > 0)
        handle(kIdProperties);
}

// The knob jumps to a press on the groove, so the drag starts from its centre.
void TrackView::startMixDrag(int row, int position, QPoint point)
{
    const QRect cell = cellRect(row, position);
    const int third = m_layout.rowHeight / 3;
    const int percent = song()->tracks[size_t(row)]->volume;
    const QRect knob(cell.left() + track_mix::knobOffset(percent, cell.width()), cell.top() + third - 2 - 2,
                     track_mix::kKnobWidth, cell.height() - 2 * third + 5 + 4);
    m_mixRow = row;
    m_mixPosition = position;
    m_mixBefore = percent;
    m_mixValue = percent;
    m_mixStartOffset = knob.left() - cell.left() - 1;
    m_mixStart = knob.contains(point) ? point : QPoint(knob.center().x(), point.y());
    if (!knob.contains(point))
        moveMixDrag(point);
}

void TrackView::moveMixDrag(QPoint point)
{
    CSongDoc* doc = song();
    if (!doc || m_mixRow >= int(doc->tracks.size())) {
        m_mixRow = -1;
        return;
    }
    const QRect cell = cellRect(m_mixRow, m_mixPosition);
    // A header resize may have narrowed the cell under the drag.
    if (cell.width() < track_mix::kMinCellWidth) {
        endMixDrag();
        return;
    }
    const int offset = m_mixStartOffset + point.x() - m_mixStart.x();
    m_mixValue = track_mix::percentAt(offset, cell.width());
    CTrack& track = *doc->tracks[size_t(m_mixRow)];
    setLiveVolume(track, m_mixValue);
    showMixStatus(track);
    QWidget::update();
}

// On release the track takes its old percent back and the new one goes
// through the cell path: one undo step, or one live change while playing.
void TrackView::endMixDrag()
{
    const int row = m_mixRow;
    m_mixRow = -1;
    CSongDoc* doc = song();
    if (!doc || row < 1 || row >= int(doc->tracks.size()))
        return;
    CTrack& track = *doc->tracks[size_t(row)];
    {
        LockGuard guard(SongMutex(), "mix drag", doc->context().lockWait);
        if (guard)
            track.volume = m_mixBefore;
    }
    if (m_mixValue != m_mixBefore)
        InsertTrack(row, m_mixPosition, std::to_string(m_mixValue));
    QWidget::update();
}

// The engine's tick reads the volume: it changes under the SongMutex.
void TrackView::setLiveVolume(CTrack& track, int percent)
{
    CSongDoc& doc = *song();
    LockGuard guard(SongMutex(), "mix drag", doc.context().lockWait);
    if (!guard)
        return;
    track.SetVolume(percent, VolumeScale{doc.relativeVolume, doc.context().engine.masterVolume()});
}

void TrackView::showMixStatus(const CTrack& track)
{
    char text[96];
    if (track.type == kWaveTrack) {
        std::snprintf(text, sizeof text, "Mix=%d%% (Volume=%1.3f/%1.3f)", m_mixValue, double(track.leftGain),
                      double(track.rightGain));
    } else {
        const int volume = track.outputPort ? track.outputPort->controllerValue(track.channel & 15, cc::kVolume) : 0;
        std::snprintf(text, sizeof text, "Mix=%d%% (Volume=%d)", m_mixValue, volume);
    }
    setStatusText(text);
}

void TrackView::setStatusText(const std::string& text)
{
    if (m_context.host)
        m_context.host->SetStatusText(text);
}

QMenu* TrackView::buildContextMenu()
{
    auto* menu = new QMenu(this);
    for (const MenuEntry& entry : trackContextMenu()) {
        if (entry.kind == MenuEntry::Kind::Separator) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(QString::fromUtf8(entry.text.data(), qsizetype(entry.text.size())));
        CmdUi ui;
        if (update(entry.id, ui))
            action->setEnabled(ui.enabled);
        const CommandId id = entry.id;
        // What this view leaves to others (Paste of copied tracks) goes on.
        connect(action, &QAction::triggered, this, [this, id] {
            if (!(hasHandler(id) && handle(id)) && m_context.sendToFrame)
                m_context.sendToFrame(id);
        });
    }
    return menu;
}

// A right-click off the selection first selects the row under it.
void TrackView::contextMenuEvent(QContextMenuEvent* event)
{
    const int row = rowAtY(event->pos().y());
    if (song() && !(row >= 0 && m_selection.IsRowSelected(row, true) && !m_selection.cellMode())) {
        pressRow(event->pos(), Qt::NoModifier, false);
        m_rowScroll.stop();
        if (m_numberPress) {
            m_numberPress = false;
            m_selection.releaseNumber(false);
        }
    }
    QMenu* menu = buildContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->exec(event->globalPos());
}

void TrackView::focusInEvent(QFocusEvent* event)
{
    SongView::focusInEvent(event);
    if (!m_focus && m_context.activate)
        m_context.activate(this, true);
    QWidget::update();
}

void TrackView::focusOutEvent(QFocusEvent* event)
{
    SongView::focusOutEvent(event);
    // The cell editor and the menus are ours: the commands stay here.
    const QWidget* next = QApplication::focusWidget();
    const bool ours = event->reason() == Qt::PopupFocusReason || (next && isAncestorOf(next));
    if (!m_focus && m_context.activate && !ours)
        m_context.activate(this, false);
    QWidget::update();
    if (m_context.repaintEditors)
        m_context.repaintEditors();
}

} // namespace rz
