// The piano roll's settings, layout, scrolling, keys, mouse and menu. GUI
// thread.

#include "views/piano_roll_view.h"

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
#include "views/view_factory.h"

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

constexpr int kCueTopGap = 2; // pixels between the ruler and a cue's flag

constexpr CommandRow<PianoRollView> kCommands[] = {
    {kIdZoomOutControllerScale, kIdZoomInControllerScale, &PianoRollView::onZoom, &PianoRollView::onUpdateZoom},
};

bool stopped(const CSongDoc& song)
{
    return song.context().engine.transportState() == TransportState::Stopped;
}

PianoPointer pointerOf(const QMouseEvent& event)
{
    return PianoPointer{.at = event.position().toPoint(),
                        .modifiers = event.modifiers(),
                        .rightHeld = (event.buttons() & Qt::RightButton) != 0};
}

std::string trimmedTime(const CSongDoc& song, int32_t tick)
{
    std::string text;
    song.FormatTime(tick, text);
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

} // namespace

PianoRollView::PianoRollView(QWidget* parent, CommandSink sink)
    : EditViewBase(LinkRole::Piano, parent), m_sink(std::move(sink))
{
    setLeftMargin(m_stripWidth);
}

// The time zoom is written under the piano's own key while this class is
// still what the object is.
PianoRollView::~PianoRollView()
{
    m_editor.reset();
    writeZoomSettings();
}

void PianoRollView::attach(CSongDoc& song)
{
    EditViewBase::attach(song);
    m_editor = std::make_unique<PianoEditController>(song, rubberBand(), [this] {
        if (CSongDoc* doc = this->song())
            doc->context().host.updateSongViews(*doc, this, kHintRepaintOnly);
    });
    if (m_settingsRead)
        return;
    m_settingsRead = true;
    m_profile = &song.context().profile;
    m_rows.rowHeight = readPianoZoom(*m_profile);
}

// A gesture in progress belongs to the song it began on.
void PianoRollView::detach()
{
    cancelGesture();
    m_editor.reset();
    m_shown.clear();
    EditViewBase::detach();
}

// The origin of an open controller-pane view, when it is not 0, brought
// across the margins; else 0.
void PianoRollView::initialUpdate()
{
    EditViewBase::initialUpdate();
    ViewLinks* links = viewLinks();
    if (!song() || !links)
        return;
    for (LinkRole role : {LinkRole::Tempo, LinkRole::Control}) {
        const ILinkedView* view = links->viewOf(role);
        if (view && view->linkOrigin() != 0) {
            setScrollOrigin(ViewLinks::linkedOrigin(view->linkOrigin(), view->linkMargin(), linkMargin()), false);
            return;
        }
    }
}

void PianoRollView::applyLinkedBar()
{
    const PaneViews views = viewLinks() ? viewLinks()->paneViews() : PaneViews{};
    setHorizontalBarShown(!views.tempo && !views.control);
}

void PianoRollView::rebuild()
{
    CSongDoc& doc = *song();
    m_shown = PianoLayout::shownTracks(doc, trackRows());
    m_stripWidth = PianoLayout::stripWidth(doc, m_shown, m_rows.rowHeight);
    if (linkMargin() != m_stripWidth)
        setLeftMargin(m_stripWidth);
    applyLinkedBar();
    m_rows.noteTop = plotRect().top();
    m_rows.firstRow = std::clamp(m_rows.firstRow, 0, m_rows.maxFirstRow(plotRect().height()));
    if (m_editor)
        m_editor->setShownTracks(m_shown);
}

std::vector<QRect> PianoRollView::cueRects() const
{
    std::vector<QRect> rects;
    const CSongDoc* doc = song();
    if (!doc)
        return rects;
    const QFontMetrics metrics(CueFlagPainter::flagFont());
    const TimeAxis a = axis();
    rects.reserve(doc->cues.size());
    for (const auto& cue : doc->cues)
        rects.push_back(CueFlagPainter::GetFlagRect(*cue, metrics, a.xOfTick(cue->secondTime), a.xOfTick(cue->time),
                                                    lanes().rulerHeight + kCueTopGap));
    return rects;
}

PianoGeometry PianoRollView::geometryNow() const
{
    PianoGeometry g;
    g.axis = axis();
    g.rows = m_rows;
    g.rows.noteTop = plotRect().top();
    g.rulerHeight = lanes().rulerHeight;
    g.stripWidth = m_stripWidth;
    g.plot = plotRect();
    g.clientWidth = width();
    g.dragDistance = QApplication::startDragDistance();
    g.cueRects = cueRects();
    return g;
}

std::span<const CommandRow<PianoRollView>> PianoRollView::commandTable()
{
    return kCommands;
}

bool PianoRollView::onZoom(CommandId id)
{
    return zoomRows(id == kIdZoomInControllerScale);
}

void PianoRollView::onUpdateZoom(CommandId id, CmdUi& ui)
{
    const auto& heights = PianoLayout::kRowHeights;
    ui.enabled = song() && (id == kIdZoomInControllerScale ? m_rows.rowHeight < heights.back()
                                                           : m_rows.rowHeight >= heights[1]);
}

bool PianoRollView::zoomRows(bool in)
{
    const int height = std::max(plotRect().height(), 1);
    const PianoLayout::Zoom from{m_rows.rowHeight, m_rows.firstRow};
    const PianoLayout::Zoom to = in ? PianoLayout::zoomIn(from, height) : PianoLayout::zoomOut(from, height);
    if (to.rowHeight == from.rowHeight)
        return true;
    m_rows.rowHeight = to.rowHeight;
    m_rows.firstRow = to.firstRow;
    if (m_profile)
        writePianoZoom(*m_profile, m_rows.rowHeight);
    if (CSongDoc* doc = song()) {
        char text[32];
        std::snprintf(text, sizeof text, "Pixel=%d", m_rows.rowHeight);
        doc->context().host.SetStatusText(text);
        doc->UpdateViews();
    }
    updateScrollBars();
    QWidget::update();
    return true;
}

void PianoRollView::scrollRowsTo(int row)
{
    const int next = std::clamp(row, 0, m_rows.maxFirstRow(plotRect().height()));
    if (next == m_rows.firstRow)
        return;
    m_rows.firstRow = next;
    verticalBar()->setScrollPos(next);
    QWidget::update();
}

void PianoRollView::verticalScrolled(int code)
{
    const int page = std::max(plotRect().height() / std::max(m_rows.rowHeight, 1), 1);
    switch (code) {
    case ZoomScrollBar::kLineUp: scrollRowsTo(m_rows.firstRow - 1); break;
    case ZoomScrollBar::kLineDown: scrollRowsTo(m_rows.firstRow + 1); break;
    case ZoomScrollBar::kPageUp: scrollRowsTo(m_rows.firstRow - page); break;
    case ZoomScrollBar::kPageDown: scrollRowsTo(m_rows.firstRow + page); break;
    case ZoomScrollBar::kThumbTrack: scrollRowsTo(verticalBar()->trackPos()); break;
    default: break;
    }
}

void PianoRollView::updateVerticalBar()
{
    const int limit = m_rows.maxFirstRow(plotRect().height());
    const bool any = song() != nullptr;
    verticalBar()->setScrollInfo({.min = 0, .max = PianoLayout::kRows - 1,
                                  .page = std::max(plotRect().height() / std::max(m_rows.rowHeight, 1), 1),
                                  .pos = m_rows.firstRow},
                                 ZoomScrollBar::kAll);
    verticalBar()->enableScrollBar(any && limit > 0 ? 0 : 3);
    const auto& heights = PianoLayout::kRowHeights;
    verticalBar()->enableZoom(any && m_rows.rowHeight < heights.back(), any && m_rows.rowHeight >= heights[1]);
}

Qt::CursorShape PianoRollView::cursorAt(QPoint point) const
{
    const CSongDoc* doc = song();
    if (!doc)
        return Qt::ArrowCursor;
    const PianoGeometry g = geometryNow();
    if (point.x() < PianoLayout::kNarrowStrip && point.y() >= g.rows.noteTop
        && m_rows.rowHeight >= PianoLayout::kNamesFromRowHeight)
        return resourceCursor(kCursorKeyboard);
    if (!stopped(*doc) || doc->context().host.performanceMode() || !m_editor)
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
    const int key = m_rows.keyAtY(point.y());
    if (key < PianoLayout::kBottomKey || point.y() < plotRect().top())
        return {};
    CMidiEvent note;
    note.message = midi::noteOn(0, key, 0);
    std::string name = FormatNoteName(note, 0);
    if (m_shown.size() == 1) {
        const CTrack& track = *doc.tracks[size_t(m_shown.front())];
        if (auto drum = PianoLayout::drumNoteName(doc, track, key - track.key))
            name += ": " + *drum;
    }
    return name + " @ " + trimmedTime(doc, std::max(axis().tickOfX(point.x()), 0));
}

void PianoRollView::mousePressEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (!doc || !m_editor) {
        EditViewBase::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const PianoGeometry g = geometryNow();
    if (event->button() == Qt::RightButton) {
        if (m_editor->rightPress(g, pointerOf(*event)))
            doc->OnEditProperties();
        QWidget::update();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (m_editor->press(g, pointerOf(*event)))
        beginDrag(event->position().toPoint(), false);
    QWidget::update();
}

void PianoRollView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    setCursor(cursorAt(point));
    if (song() && m_editor && m_editor->active()) {
        m_editor->move(geometryNow(), pointerOf(*event));
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
    using Ctl = PianoEditController;
    if (!m_editor || !(m_editor->mode() & (Ctl::kDrawOrMove | Ctl::kBand)) || (m_editor->mode() & Ctl::kKeyboard))
        return false;
    const int before = m_rows.firstRow;
    if (mouse.y() < plotRect().top() && mouse.y() >= lanes().rulerHeight)
        scrollRowsTo(before - 1);
    else if (mouse.y() > plotRect().bottom())
        scrollRowsTo(before + 1);
    if (m_rows.firstRow == before)
        return false;
    rubberBand().shiftAnchor(QPoint(0, (before - m_rows.firstRow) * m_rows.rowHeight));
    return true;
}

void PianoRollView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!song() || !m_editor || event->button() != Qt::LeftButton || !m_editor->active()) {
        EditViewBase::mouseReleaseEvent(event);
        return;
    }
    m_editor->release(geometryNow(), pointerOf(*event));
    finishGesture();
}

void PianoRollView::mouseDoubleClickEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (!doc || !m_editor || event->button() != Qt::LeftButton)
        return;
    if (m_editor->doubleClick(geometryNow(), pointerOf(*event))) {
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

void PianoRollView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancelGesture();
        return;
    }
    if (!song()) {
        EditViewBase::keyPressEvent(event);
        return;
    }
    const int page = std::max(plotRect().height() / std::max(m_rows.rowHeight, 1), 1);
    switch (event->key()) {
    case Qt::Key_PageUp: scrollRowsTo(m_rows.firstRow - page); return;
    case Qt::Key_PageDown: scrollRowsTo(m_rows.firstRow + page); return;
    case Qt::Key_Home: scrollRowsTo(0); return;
    case Qt::Key_End: scrollRowsTo(PianoLayout::kRows); return;
    default: EditViewBase::keyPressEvent(event); return;
    }
}

void PianoRollView::focusOutEvent(QFocusEvent* event)
{
    // A pop-up of our own takes the focus only while no gesture runs.
    cancelGesture();
    EditViewBase::focusOutEvent(event);
}

void PianoRollView::hideEvent(QHideEvent* event)
{
    cancelGesture();
    EditViewBase::hideEvent(event);
}

// Another window took the mouse away mid-gesture.
bool PianoRollView::event(QEvent* event)
{
    if (event->type() == QEvent::UngrabMouse)
        cancelGesture();
    return EditViewBase::event(event);
}

QMenu* PianoRollView::contextMenuAt(QPoint)
{
    m_menu = commandMenu(pianoContextMenu(), this, m_sink);
    return m_menu.get();
}

void registerPianoRollView(ViewFactory& factory, PianoRollView::CommandSink sink)
{
    factory.registerView(ViewKind::Piano, [sink](const ViewRequest& request) -> SongView* {
        return new PianoRollView(request.parent, sink);
    });
}

} // namespace rz
