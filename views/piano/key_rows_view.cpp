#include "views/piano/key_rows_view.h"

#include "core/profile.h"
#include "core/song_host.h"
#include "res/command_ids.h"
#include "res/piano_menu.h"
#include "song/song_doc.h"
#include "ui/zoom_scroll_bar.h"
#include "views/command_menu.h"
#include "views/cue_flag_painter.h"

#include <QKeyEvent>
#include <QMenu>

#include <algorithm>
#include <cstdio>

namespace rz {
namespace {


int pageOf(const PianoLayout& rows, int plotHeight)
{
    return std::max(plotHeight / std::max(rows.rowHeight, 1), 1);
}

bool zoomPossible(const PianoLayout& rows, bool in)
{
    const auto& heights = PianoLayout::kRowHeights;
    return in ? rows.rowHeight < heights.back() : rows.rowHeight >= heights[1];
}

} // namespace

KeyRowsView::KeyRowsView(LinkRole role, QWidget* parent, CommandSink sink)
    : EditViewBase(role, parent), m_sink(std::move(sink))
{
    setLeftMargin(m_stripWidth);
}

// The time zoom is written under the piano's key while this class is still
// what the object is.
KeyRowsView::~KeyRowsView()
{
    writeZoomSettings();
}

void KeyRowsView::attach(CSongDoc& song)
{
    EditViewBase::attach(song);
    if (m_settingsRead)
        return;
    m_settingsRead = true;
    m_profile = &song.context().profile;
    m_rows.rowHeight = readPianoZoom(*m_profile);
}

void KeyRowsView::detach()
{
    cancelGesture();
    m_shown.clear();
    EditViewBase::detach();
}

// The origin of an open controller-pane view, when it is not 0; else the
// origin stays.
void KeyRowsView::initialUpdate()
{
    EditViewBase::initialUpdate();
    ViewLinks* links = viewLinks();
    if (!song() || !links)
        return;
    if (const auto origin = links->controllerOrigin())
        setScrollOrigin(*origin, false);
}

void KeyRowsView::rebuild()
{
    CSongDoc& doc = *song();
    m_shown = PianoLayout::shownTracks(doc, trackRows());
    m_stripWidth = PianoLayout::stripWidth(doc, m_shown, m_rows.rowHeight);
    if (linkMargin() != m_stripWidth)
        setLeftMargin(m_stripWidth);
    const PaneViews views = viewLinks() ? viewLinks()->paneViews() : PaneViews{};
    setHorizontalBarShown(!views.tempo && !views.control);
    m_rows.noteTop = plotRect().top();
    m_rows.firstRow = std::clamp(m_rows.firstRow, 0, m_rows.maxFirstRow(plotRect().height()));
}

std::vector<QRect> KeyRowsView::cueRects() const
{
    const CSongDoc* doc = song();
    if (!doc)
        return {};
    return CueFlagPainter::flagRects(doc->cues, axis(), lanes().rulerHeight + CueFlagPainter::kTopGap,
                                     plotRect().left());
}

bool KeyRowsView::onZoom(CommandId id)
{
    zoomRows(id == kIdZoomInControllerScale);
    return true;
}

void KeyRowsView::onUpdateZoom(CommandId id, CmdUi& ui)
{
    ui.enabled = song() && zoomPossible(m_rows, id == kIdZoomInControllerScale);
}

// One step, keeping the first row in proportion; the height goes to the
// profile and the status line.
bool KeyRowsView::zoomRows(bool in)
{
    const int height = std::max(plotRect().height(), 1);
    const PianoLayout::Zoom from{m_rows.rowHeight, m_rows.firstRow};
    const PianoLayout::Zoom to = in ? PianoLayout::zoomIn(from, height) : PianoLayout::zoomOut(from, height);
    if (to.rowHeight == from.rowHeight)
        return false;
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

void KeyRowsView::scrollRowsTo(int row)
{
    const int next = std::clamp(row, 0, m_rows.maxFirstRow(plotRect().height()));
    if (next == m_rows.firstRow)
        return;
    m_rows.firstRow = next;
    verticalBar()->setScrollPos(next);
    QWidget::update();
}

void KeyRowsView::verticalScrolled(int code)
{
    const int page = pageOf(m_rows, plotRect().height());
    switch (code) {
    case ZoomScrollBar::kLineUp: scrollRowsTo(m_rows.firstRow - 1); break;
    case ZoomScrollBar::kLineDown: scrollRowsTo(m_rows.firstRow + 1); break;
    case ZoomScrollBar::kPageUp: scrollRowsTo(m_rows.firstRow - page); break;
    case ZoomScrollBar::kPageDown: scrollRowsTo(m_rows.firstRow + page); break;
    case ZoomScrollBar::kThumbTrack: scrollRowsTo(verticalBar()->trackPos()); break;
    default: break;
    }
}

void KeyRowsView::updateVerticalBar()
{
    const int height = plotRect().height();
    const bool any = song() != nullptr;
    verticalBar()->setScrollInfo(
        {.min = 0, .max = PianoLayout::kRows - 1, .page = pageOf(m_rows, height), .pos = m_rows.firstRow},
        ZoomScrollBar::kAll);
    verticalBar()->enableScrollBar(any && m_rows.maxFirstRow(height) > 0 ? 0 : 3);
    verticalBar()->enableZoom(any && zoomPossible(m_rows, true), any && zoomPossible(m_rows, false));
}

void KeyRowsView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancelGesture();
        return;
    }
    if (!song()) {
        EditViewBase::keyPressEvent(event);
        return;
    }
    const int page = pageOf(m_rows, plotRect().height());
    switch (event->key()) {
    case Qt::Key_PageUp: scrollRowsTo(m_rows.firstRow - page); return;
    case Qt::Key_PageDown: scrollRowsTo(m_rows.firstRow + page); return;
    case Qt::Key_Home: scrollRowsTo(0); return;
    case Qt::Key_End: scrollRowsTo(PianoLayout::kRows); return;
    default: EditViewBase::keyPressEvent(event); return;
    }
}

void KeyRowsView::focusOutEvent(QFocusEvent* event)
{
    // A pop-up of our own takes the focus only while no gesture runs.
    cancelGesture();
    EditViewBase::focusOutEvent(event);
}

void KeyRowsView::hideEvent(QHideEvent* event)
{
    cancelGesture();
    EditViewBase::hideEvent(event);
}

// Another window took the mouse away mid-gesture.
bool KeyRowsView::event(QEvent* event)
{
    if (event->type() == QEvent::UngrabMouse)
        cancelGesture();
    return EditViewBase::event(event);
}

QMenu* KeyRowsView::contextMenuAt(QPoint)
{
    m_menu = commandMenu(pianoContextMenu(), this, m_sink);
    return m_menu.get();
}

} // namespace rz
