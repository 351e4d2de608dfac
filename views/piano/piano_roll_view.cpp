// The piano roll's settings, layout, scrolling, keys, mouse and menu. GUI
// thread.

#include "views/piano/piano_roll_view.h"

#include "core/engine_link.h"
#include "core/profile.h"
#include "core/song_host.h"
#include "res/command_ids.h"
#include "res/piano_menu.h"
#include "song/event_format.h"
#include "song/song_doc.h"
#include "ui/resource_cursors.h"
#include "ui/zoom_scroll_bar.h"
#include "views/cue_flag_painter.h"
#include "views/command_menu.h"
#include "views/mouse_edit_rules.h"
#include "views/view_factory.h"
#include "views/patch_names.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cstdio>

namespace rz {
namespace {

constexpr CommandRow<PianoRollView> kPianoCommands[] = {
    {kIdZoomOutControllerScale, kIdZoomInControllerScale, &KeyRowsView::onZoom, &KeyRowsView::onUpdateZoom},
};

std::string trimmedTime(const CSongDoc& song, int32_t tick)
{
    std::string text;
    song.FormatTime(tick, text);
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

} // namespace

PianoRollView::PianoRollView(QWidget* parent, CommandSink sink)
    : KeyRowsView(LinkRole::Piano, parent, std::move(sink))
{
}

PianoRollView::~PianoRollView()
{
    m_editor.reset();
}

void PianoRollView::attach(CSongDoc& song)
{
    KeyRowsView::attach(song);
    m_editor = std::make_unique<PianoEditController>(song, rubberBand(), [this] {
        if (CSongDoc* doc = this->song())
            doc->context().host.updateSongViews(*doc, this, kHintRepaintOnly);
    });
}

// A gesture in progress belongs to the song it began on.
void PianoRollView::detach()
{
    KeyRowsView::detach();
    m_editor.reset();
}

void PianoRollView::rebuild()
{
    KeyRowsView::rebuild();
    if (m_editor)
        m_editor->setShownTracks(shownTracks());
}

PianoGeometry PianoRollView::geometryNow() const
{
    PianoGeometry g;
    g.axis = axis();
    g.rows = rows();
    g.rows.noteTop = plotRect().top();
    g.rulerHeight = lanes().rulerHeight;
    g.stripWidth = stripWidth();
    g.plot = plotRect();
    g.clientWidth = width();
    g.dragDistance = QApplication::startDragDistance();
    g.cueRects = cueRects();
    return g;
}

std::span<const CommandRow<PianoRollView>> PianoRollView::commandTable()
{
    return kPianoCommands;
}

Qt::CursorShape PianoRollView::cursorAt(QPoint point) const
{
    const CSongDoc* doc = song();
    if (!doc)
        return Qt::ArrowCursor;
    const PianoGeometry g = geometryNow();
    if (point.x() < PianoLayout::kNarrowStrip && point.y() >= g.rows.noteTop
        && rows().rowHeight >= PianoLayout::kNamesFromRowHeight)
        return resourceCursor(kCursorKeyboard);
    if (!transportStopped(*doc) || doc->context().host.performanceMode() || !m_editor)
        return Qt::ArrowCursor;
    if (m_editor->mode() & PianoEditController::kOutline)
        return resourceCursor(kCursorMovePoint);
    if (const auto hit = m_editor->hitTest(g, point))
        return hit.grip ? Qt::SizeHorCursor : resourceCursor(kCursorMovePoint);
    if (doc->context().host.editTools().tool == 1 && plotRect().contains(point))
        return resourceCursor(kCursorDrawLine);
    return Qt::ArrowCursor;
}

std::string PianoRollView::statusTextAt(QPoint point) const
{
    const CSongDoc& doc = *song();
    const int key = rows().keyAtY(point.y());
    if (key < PianoLayout::kBottomKey || point.y() < plotRect().top())
        return {};
    CMidiEvent note;
    note.message = midi::noteOn(0, key, 0);
    std::string name = FormatNoteName(note, 0);
    if (shownTracks().size() == 1) {
        const CTrack& track = *doc.tracks[size_t(shownTracks().front())];
        if (auto drum = drumNoteName(doc, track, key - track.key))
            name += ": " + *drum;
    }
    return name + " @ " + trimmedTime(doc, std::max(axis().tickOfX(point.x()), 0));
}

void PianoRollView::mousePressEvent(QMouseEvent* event)
{
    if (!song() || !m_editor) {
        EditViewBase::mousePressEvent(event);
        return;
    }
    pressLaneEditor(*m_editor, geometryNow(), *event, false);
}

void PianoRollView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    setCursor(cursorAt(point));
    if (song() && m_editor && m_editor->active()) {
        m_editor->move(geometryNow(), lanePointerOf(*event));
        QWidget::update();
    }
    EditViewBase::mouseMoveEvent(event);
}

void PianoRollView::dragMoved(QPoint point)
{
    if (!song() || !m_editor)
        return;
    m_editor->move(geometryNow(), PianoPointer{.at = point, .modifiers = QApplication::keyboardModifiers()});
}

// A row a beat toward a pointer above or below the note area, while notes
// are moved or drawn or a band is drawn; the band's anchor moves with the rows.
bool PianoRollView::autoscrollVertical(QPoint mouse)
{
    if (!m_editor || !m_editor->rowsMayScroll())
        return false;
    const int before = rows().firstRow;
    if (mouse.y() < plotRect().top() && mouse.y() >= lanes().rulerHeight)
        scrollRowsTo(before - 1);
    else if (mouse.y() > plotRect().bottom())
        scrollRowsTo(before + 1);
    if (rows().firstRow == before)
        return false;
    rubberBand().shiftAnchor(QPoint(0, (before - rows().firstRow) * rows().rowHeight));
    return true;
}

void PianoRollView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!song() || !m_editor || event->button() != Qt::LeftButton || !m_editor->active()) {
        EditViewBase::mouseReleaseEvent(event);
        return;
    }
    m_editor->release(geometryNow(), lanePointerOf(*event));
    finishGesture();
}

void PianoRollView::mouseDoubleClickEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (!doc || !m_editor || event->button() != Qt::LeftButton)
        return;
    if (m_editor->doubleClick(geometryNow(), lanePointerOf(*event))) {
        finishGesture();
        doc->OnEditProperties();
        return;
    }
    finishGesture();
    if (event->position().y() >= lanes().rulerHeight)
        mousePressEvent(event);
}

void PianoRollView::finishGesture()
{
    endDrag();
    QWidget::update();
}

void PianoRollView::cancelGesture()
{
    if (m_editor)
        m_editor->cancel();
    endDrag();
    QWidget::update();
}

void registerPianoRollView(ViewFactory& factory, PianoRollView::CommandSink sink)
{
    factory.registerView(ViewKind::Piano, [sink](const ViewRequest& request) -> SongView* {
        return new PianoRollView(request.parent, sink);
    });
}

} // namespace rz
