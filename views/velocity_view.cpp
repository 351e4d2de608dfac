// The velocity view's settings, layout, scrolling, keys, mouse and menu.
// GUI thread.

#include "views/velocity_view.h"

#include "core/engine_link.h"
#include "core/profile.h"
#include "core/song_host.h"
#include "res/command_ids.h"
#include "res/piano_menu.h"
#include "song/song_doc.h"
#include "ui/resource_cursors.h"
#include "ui/zoom_scroll_bar.h"
#include "views/command_menu.h"
#include "views/cue_flag_painter.h"
#include "views/key_rows_bar.h"
#include "views/view_factory.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

#include <algorithm>
#include <cstdio>

namespace rz {
namespace {

constexpr int kCueTopGap = 2; // pixels between the ruler and a cue's flag

constexpr CommandRow<VelocityView> kCommands[] = {
    {kIdZoomOutControllerScale, kIdZoomInControllerScale, &VelocityView::onZoom, &VelocityView::onUpdateZoom},
};

bool stopped(const CSongDoc& song)
{
    return song.context().engine.transportState() == TransportState::Stopped;
}

VelocityPointer pointerOf(const QMouseEvent& event)
{
    return VelocityPointer{.at = event.position().toPoint(),
                           .modifiers = event.modifiers(),
                           .rightHeld = (event.buttons() & Qt::RightButton) != 0};
}

int rowSteps(int pixels, int rowHeight)
{
    const int h = std::max(rowHeight, 1);
    return (pixels + h - 1) / h;
}

} // namespace

VelocityView::VelocityView(QWidget* parent, CommandSink sink)
    : EditViewBase(LinkRole::Velocity, parent), m_sink(std::move(sink))
{
    setLeftMargin(m_stripWidth);
}

// The time zoom goes under the piano's key while this class is still what
// the object is.
VelocityView::~VelocityView()
{
    m_editor.reset();
    writeZoomSettings();
}

void VelocityView::attach(CSongDoc& song)
{
    EditViewBase::attach(song);
    m_editor = std::make_unique<VelocityEdits>(song, rubberBand(), [this] {
        if (CSongDoc* doc = this->song())
            doc->context().host.updateSongViews(*doc, this, kHintRepaintOnly);
    });
    if (m_settingsRead)
        return;
    m_settingsRead = true;
    m_profile = &song.context().profile;
    m_layout.rows.rowHeight = readPianoZoom(*m_profile);
}

// A gesture in progress belongs to the song it began on.
void VelocityView::detach()
{
    cancelGesture();
    m_editor.reset();
    m_shown.clear();
    EditViewBase::detach();
}

// The origin of an open controller-pane view, when it is not 0, brought
// across the margins; else the origin is kept.
void VelocityView::initialUpdate()
{
    EditViewBase::initialUpdate();
    ViewLinks* links = viewLinks();
    if (!song() || !links)
        return;
    for (LinkRole role : {LinkRole::Tempo, LinkRole::Control}) {
        const ILinkedView* view = links->viewOf(role);
        if (view) {
            setScrollOrigin(ViewLinks::linkedOrigin(view->linkOrigin(), view->linkMargin(), linkMargin()), false);
            return;
        }
    }
}

void VelocityView::rebuild()
{
    CSongDoc& doc = *song();
    m_shown = PianoLayout::shownTracks(doc, trackRows());
    m_stripWidth = PianoLayout::stripWidth(doc, m_shown, m_layout.rows.rowHeight);
    if (linkMargin() != m_stripWidth)
        setLeftMargin(m_stripWidth);
    const PaneViews views = viewLinks() ? viewLinks()->paneViews() : PaneViews{};
    setHorizontalBarShown(!views.tempo && !views.control);
    m_layout.rows.noteTop = plotRect().top();
    m_layout.rows.firstRow = std::clamp(m_layout.rows.firstRow, 0, m_layout.rows.maxFirstRow(plotRect().height()));
    if (m_editor)
        m_editor->setShownTracks(m_shown);
}

std::vector<QRect> VelocityView::cueRects() const
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

VelocityGeometry VelocityView::geometryNow() const
{
    VelocityGeometry g;
    g.axis = axis();
    g.layout = m_layout;
    g.layout.rows.noteTop = plotRect().top();
    g.rulerHeight = lanes().rulerHeight;
    g.stripWidth = m_stripWidth;
    g.plot = plotRect();
    g.clientWidth = width();
    g.dragDistance = QApplication::startDragDistance();
    return g;
}

int32_t VelocityView::followCentre() const
{
    return std::max(VelocityLayout::followCentre(plotRect().right() + 1, m_stripWidth), 0);
}

std::span<const CommandRow<VelocityView>> VelocityView::commandTable()
{
    return kCommands;
}

bool VelocityView::onZoom(CommandId id)
{
    zoomRows(id == kIdZoomInControllerScale);
    return true;
}

void VelocityView::onUpdateZoom(CommandId id, CmdUi& ui)
{
    ui.enabled = song() && keyRowZoomPossible(m_layout.rows, id == kIdZoomInControllerScale);
}

bool VelocityView::zoomRows(bool in)
{
    if (!stepKeyRowZoom(m_layout.rows, in, plotRect().height(), song(), m_profile))
        return false;
    updateScrollBars();
    QWidget::update();
    return true;
}

void VelocityView::setFirstRow(int row)
{
    const int next = std::clamp(row, 0, m_layout.rows.maxFirstRow(plotRect().height()));
    if (next == m_layout.rows.firstRow)
        return;
    m_layout.rows.firstRow = next;
    verticalBar()->setScrollPos(next);
    QWidget::update();
}

void VelocityView::verticalScrolled(int code)
{
    setFirstRow(keyRowsScrollTarget(code, m_layout.rows, plotRect().height(), verticalBar()->trackPos()));
}

void VelocityView::updateVerticalBar()
{
    setKeyRowsBar(*verticalBar(), m_layout.rows, plotRect().height(), song() != nullptr);
}

Qt::CursorShape VelocityView::cursorAt(QPoint point) const
{
    const CSongDoc* doc = song();
    if (!doc)
        return Qt::ArrowCursor;
    const QRect plot = plotRect();
    if (point.x() < VelocityLayout::kSisterMargin && point.y() >= plot.top() && point.y() <= plot.bottom()
        && m_layout.rows.rowHeight >= PianoLayout::kNamesFromRowHeight)
        return Qt::ForbiddenCursor;
    if (!stopped(*doc) || doc->context().host.performanceMode() || !m_editor)
        return Qt::ArrowCursor;
    if (m_editor->mode() & VelocityEdits::kDrag)
        return resourceCursor(kCursorDragging);
    if (m_editor->hitTestHead(geometryNow(), point))
        return Qt::SizeVerCursor;
    if (doc->context().host.editTools().tool == 1 && plot.contains(point))
        return resourceCursor(kCursorDrawLine);
    return Qt::ArrowCursor;
}

std::string VelocityView::statusTextAt(QPoint point) const
{
    const CSongDoc& doc = *song();
    const VelocityPoint at = m_editor ? m_editor->pointToTickValue(geometryNow(), point) : VelocityPoint{};
    std::string time;
    doc.FormatTime(at.tick, time);
    time.erase(0, std::min(time.find_first_not_of(' '), time.size()));
    char text[96];
    std::snprintf(text, sizeof text, "Velocity=%d @ %s", at.value, time.c_str());
    return text;
}

void VelocityView::mousePressEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (!doc || !m_editor) {
        EditViewBase::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const VelocityGeometry g = geometryNow();
    if (event->button() == Qt::RightButton) {
        if (m_editor->rightPress(g, pointerOf(*event)))
            doc->OnEditProperties();
        QWidget::update();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    m_pressAboveNotes = event->position().y() < plotRect().top();
    if (m_editor->press(g, pointerOf(*event)))
        beginDrag(event->position().toPoint(), false);
    QWidget::update();
}

void VelocityView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    setCursor(cursorAt(point));
    if (song() && m_editor && m_editor->active()) {
        // From the bands into the rows the key area shows from its top.
        if (m_pressAboveNotes && point.y() >= plotRect().top() && m_layout.rows.firstRow != 0) {
            m_pressAboveNotes = false;
            setFirstRow(0);
        }
        m_editor->move(geometryNow(), pointerOf(*event));
        QWidget::update();
    }
    EditViewBase::mouseMoveEvent(event);
}

void VelocityView::dragMoved(QPoint point)
{
    if (!song() || !m_editor)
        return;
    m_editor->move(geometryNow(), VelocityPointer{.at = point, .modifiers = QApplication::keyboardModifiers()});
}

// Toward a pointer above or below the key area, as many rows as it is away.
bool VelocityView::autoscrollVertical(QPoint mouse)
{
    if (!m_editor || !m_editor->active() || (m_editor->mode() & VelocityEdits::kRuler))
        return false;
    PianoLayout& rows = m_layout.rows;
    const int before = rows.firstRow;
    const int limit = m_pressAboveNotes ? lanes().rulerHeight - before * rows.rowHeight : plotRect().top();
    const int bottom = plotRect().bottom() + 1;
    if (mouse.y() < limit && before > 0)
        setFirstRow(before - rowSteps(limit - mouse.y(), rows.rowHeight));
    else if (mouse.y() >= bottom)
        setFirstRow(before + std::max(rowSteps(mouse.y() - bottom, rows.rowHeight), 1));
    if (rows.firstRow == before)
        return false;
    rubberBand().shiftAnchor(QPoint(0, (before - rows.firstRow) * rows.rowHeight));
    return true;
}

void VelocityView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!song() || !m_editor || event->button() != Qt::LeftButton || !m_editor->active()) {
        EditViewBase::mouseReleaseEvent(event);
        return;
    }
    m_editor->release(geometryNow(), pointerOf(*event));
    finishGesture();
}

void VelocityView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!song() || !m_editor || event->button() != Qt::LeftButton)
        return;
    if (event->position().y() < lanes().rulerHeight) {
        m_editor->doubleClick(geometryNow(), pointerOf(*event));
        finishGesture();
        return;
    }
    mousePressEvent(event);
}

void VelocityView::finishGesture()
{
    endDrag();
    QWidget::update();
}

void VelocityView::cancelGesture()
{
    if (m_editor)
        m_editor->cancel();
    endDrag();
    QWidget::update();
}

void VelocityView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancelGesture();
        return;
    }
    const PianoLayout& rows = m_layout.rows;
    const int height = plotRect().height();
    if (!song() || rows.maxFirstRow(height) == 0) {
        EditViewBase::keyPressEvent(event);
        return;
    }
    const int page = std::max(height / std::max(rows.rowHeight, 1), 1);
    switch (event->key()) {
    case Qt::Key_PageUp: setFirstRow(rows.firstRow - page); return;
    case Qt::Key_PageDown: setFirstRow(rows.firstRow + page); return;
    case Qt::Key_Home: setFirstRow(0); return;
    case Qt::Key_End: setFirstRow(PianoLayout::kRows); return;
    default: EditViewBase::keyPressEvent(event); return;
    }
}

void VelocityView::focusOutEvent(QFocusEvent* event)
{
    cancelGesture();
    EditViewBase::focusOutEvent(event);
}

void VelocityView::hideEvent(QHideEvent* event)
{
    cancelGesture();
    EditViewBase::hideEvent(event);
}

// Another window took the mouse away mid-gesture.
bool VelocityView::event(QEvent* event)
{
    if (event->type() == QEvent::UngrabMouse)
        cancelGesture();
    return EditViewBase::event(event);
}

QMenu* VelocityView::contextMenuAt(QPoint)
{
    m_menu = commandMenu(pianoContextMenu(), this, m_sink);
    return m_menu.get();
}

void registerVelocityView(ViewFactory& factory, VelocityView::CommandSink sink)
{
    factory.registerView(ViewKind::Velocity, [sink](const ViewRequest& request) -> SongView* {
        return new VelocityView(request.parent, sink);
    });
}

} // namespace rz
