#include "views/graph/controller_pane_base.h"

#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "res/command_ids.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/color_ref.h"
#include "ui/resource_cursors.h"
#include "ui/zoom_scroll_bar.h"
#include "views/mouse_edit_rules.h"
#include "views/view_colors.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace rz {

ControllerPaneBase::ControllerPaneBase(LinkRole role, const Setting& zoomSetting, const Setting& offsetSetting,
                                       QWidget* parent)
    : EditViewBase(role, parent), m_zoomSetting(zoomSetting), m_offsetSetting(offsetSetting)
{
}

void ControllerPaneBase::attach(CSongDoc& song)
{
    EditViewBase::attach(song);
    if (m_settingsRead)
        return;
    m_settingsRead = true;
    m_profile = &song.context().profile;
    setGraphPixels(storedZoom(readSetting(*m_profile, m_zoomSetting)));
    setYOffset(readSetting(*m_profile, m_offsetSetting));
}

void ControllerPaneBase::saveSettings()
{
    if (!m_profile)
        return;
    writeSetting(*m_profile, m_zoomSetting, graphPixels());
    writeSetting(*m_profile, m_offsetSetting, yOffset());
}

void ControllerPaneBase::initialUpdate()
{
    applyOwnership();
    EditViewBase::initialUpdate();
    if (!song())
        return;
    if (const auto origin = viewLinks() ? viewLinks()->editorOrigin() : std::nullopt) {
        setScrollOrigin(*origin, false);
        return;
    }
    follow();
    openedAtPlayPosition();
}

void ControllerPaneBase::songUpdate(uint32_t hint)
{
    applyOwnership();
    EditViewBase::songUpdate(hint);
}

int ControllerPaneBase::maxYOffset() const
{
    return std::max(graphPixels() - std::max(plotRect().height(), 1), 0);
}

void ControllerPaneBase::setYOffset(int y)
{
    m_yOffset = std::clamp(y, 0, maxYOffset());
}

void ControllerPaneBase::SetScrollY(int y)
{
    if (y == m_yOffset)
        return;
    setYOffset(y);
    verticalBar()->setScrollPos(m_yOffset);
    QWidget::update();
}

int32_t ControllerPaneBase::snappedTick(int x) const
{
    const CSongDoc& doc = *song();
    const int32_t tick = std::max(axis().tickOfX(x), 0);
    const EditTools tools = doc.context().host.editTools();
    if (!tools.snap)
        return tick;
    return std::max(snapInMap(doc.measureMap, tick, snapUnit(tools.gridValue, doc.timeBase)), 0);
}

QRect ControllerPaneBase::GetBandRect()
{
    QRect band = rubberBand().rect().normalized();
    band.setWidth(std::max(band.width(), 1));
    band.setHeight(std::max(band.height(), 1));
    return band;
}

void ControllerPaneBase::applyOwnership()
{
    const PaneOwnership own = paneOwnership(viewLinks() ? viewLinks()->paneViews() : PaneViews{.tempo = true});
    m_ownRuler = own.tempoDrawsRuler;
    setLeftMargin(viewLinks() ? viewLinks()->marginFor(linkRole(), ownMargin()) : ownMargin());
}

// The plot moves to the editor view's left edge at once, not at the next
// update, so that both panes never draw a tick at two places.
void ControllerPaneBase::editorMarginChanged()
{
    applyOwnership();
    if (!song())
        return;
    setScrollOrigin(origin(), false);
    updateScrollBars();
    QWidget::update();
}

void ControllerPaneBase::verticalScrolled(int code)
{
    const int page = std::max(plotRect().height(), 1);
    int next = m_yOffset;
    switch (code) {
    case ZoomScrollBar::kLineUp: next = m_yOffset - 1; break;
    case ZoomScrollBar::kLineDown: next = m_yOffset + 1; break;
    case ZoomScrollBar::kPageUp: next = m_yOffset - page; break;
    case ZoomScrollBar::kPageDown: next = m_yOffset + page; break;
    case ZoomScrollBar::kScrollTop: next = 0; break;
    case ZoomScrollBar::kScrollBottom: next = maxYOffset(); break;
    case ZoomScrollBar::kThumbTrack: next = verticalBar()->trackPos(); break;
    case ZoomScrollBar::kThumbPosition:
    case ZoomScrollBar::kEndScroll: setScrolling(false); return;
    default: return;
    }
    if (code != ZoomScrollBar::kLineUp && code != ZoomScrollBar::kLineDown)
        setScrolling(true);
    SetScrollY(next);
}

bool ControllerPaneBase::onZoom(CommandId id)
{
    return zoomScale(id == kIdZoomInControllerScale);
}

void ControllerPaneBase::onUpdateZoom(CommandId id, CmdUi& ui)
{
    ui.enabled = id == kIdZoomInControllerScale ? graphPixels() < fullZoom() : graphPixels() > kFitHeight;
}

bool ControllerPaneBase::zoomScale(bool in)
{
    const ZoomStep to = zoomStep(in, std::max(plotRect().height(), 1));
    setGraphPixels(to.graphPixels);
    setYOffset(to.yOffset);
    if (CSongDoc* doc = song()) {
        ISongHost& host = doc->context().host;
        host.SetStatusText(zoomText(in));
        doc->UpdateViews();
        host.UpdateAllViews();
    }
    updateScrollBars();
    QWidget::update();
    return true;
}

void ControllerPaneBase::updateVerticalBar()
{
    m_yOffset = std::clamp(m_yOffset, 0, maxYOffset());
    ZoomScrollBar* bar = verticalBar();
    bar->setScrollInfo({.min = 0, .max = std::max(graphPixels() - 1, 0), .page = std::max(plotRect().height(), 1),
                        .pos = m_yOffset},
                       ZoomScrollBar::kRange | ZoomScrollBar::kPage | ZoomScrollBar::kPos);
    bar->enableScrollBar(maxYOffset() > 0 ? 0 : 3);
    bar->enableZoom(song() && graphPixels() < fullZoom(), song() && graphPixels() > kFitHeight);
}

bool ControllerPaneBase::autoscrollVertical(QPoint mouse)
{
    if (graphPixels() <= kFitHeight)
        return false;
    const QRect plot = plotRect();
    int by = 0;
    if (mouse.y() < plot.top())
        by = mouse.y() - plot.top();
    else if (mouse.y() > plot.bottom())
        by = mouse.y() - plot.bottom();
    const int before = m_yOffset;
    if (by != 0)
        SetScrollY(m_yOffset + by);
    if (m_yOffset == before)
        return false;
    rubberBand().shiftAnchor(QPoint(0, before - m_yOffset));
    return true;
}

std::optional<std::string> ControllerPaneBase::positionTextAt(QPoint point) const
{
    const CSongDoc& doc = *song();
    const int32_t tick = std::max(axis().tickOfX(point.x()), 0);
    if (tick > doc.endTick)
        return std::nullopt;
    std::string position;
    doc.FormatTime(tick, position);
    position.erase(0, std::min(position.find_first_not_of(' '), position.size()));
    return position;
}

void ControllerPaneBase::detach()
{
    if (m_gesture)
        m_gesture->abort();
    m_gesture.reset();
    clearGesture();
    EditViewBase::detach();
}

void ControllerPaneBase::mousePressEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    const QPoint point = event->position().toPoint();
    if (!doc || event->button() != Qt::LeftButton) {
        EditViewBase::mousePressEvent(event);
        return;
    }
    if (gestureActive())
        return; // a continued line ends at this click's release
    ISongHost& host = doc->context().host;
    const bool ruler = inRuler(point);
    if (host.performanceMode() || (!ruler && !plotRect().contains(point)))
        return;
    if (!transportStopped(*doc)) {
        doc->context().engine.Play(snappedTick(point.x()));
        return;
    }
    if (!ruler && !mouseEdits())
        return;
    m_gesture.emplace(*doc, rubberBand(), [this, doc] { doc->context().host.updateSongViews(*doc, this, kHintRepaintOnly); });
    m_gesture->press(point);
    if (ruler)
        m_gesture->beginRuler(snappedTick(point.x()), event->modifiers());
    else
        pressOnGraph(point);
    if (!m_gesture->started())
        return;
    beginDrag(point, false);
    moveTo(point, event->modifiers());
    QWidget::update();
}

// A point takes a selection of its own; the draw tool draws over empty
// graph; elsewhere a band begins on a cleared selection.
void ControllerPaneBase::pressOnGraph(QPoint point)
{
    if (const int index = hitPoint(point); index >= 0) {
        m_gesture->pressItem(false, Qt::NoModifier);
        takeStamp(song()->selectionStamp);
        beginPointDrag(index);
        return;
    }
    const EditTools tools = song()->context().host.editTools();
    if (tools.tool == 1) {
        m_drawShape = tools.line;
        m_gesture->beginTool(false);
        beginDraw(point, tools.line);
        return;
    }
    m_gesture->beginBand(Qt::NoModifier);
    takeStamp(song()->selectionStamp);
}

void ControllerPaneBase::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    setCursor(cursorAt(point));
    if (song() && gestureActive())
        moveTo(point, event->modifiers());
    EditViewBase::mouseMoveEvent(event);
}

void ControllerPaneBase::dragMoved(QPoint point)
{
    if (song() && gestureActive())
        moveTo(point, QApplication::keyboardModifiers());
}

void ControllerPaneBase::moveTo(QPoint point, Qt::KeyboardModifiers modifiers)
{
    using Kind = PointerGesture::Kind;
    const DragThreshold threshold{QApplication::startDragDistance() - 1};
    if (m_gesture->follow(point, threshold) == PointerGesture::Step::Held)
        return;
    switch (m_gesture->kind()) {
    case Kind::None: return;
    case Kind::Item:
        dragPointTo(point, int64_t(snappedTick(point.x())) - snappedTick(m_gesture->pressPoint().x()), modifiers);
        break;
    case Kind::Tool: drawTo(point, modifiers); break;
    case Kind::Band: rubberBand().moveTo(point); break;
    case Kind::Ruler: m_gesture->dragRuler(snappedTick(point.x())); break;
    }
    QWidget::update();
}

// In the ruler the measure at the song position becomes the time range
// (Shift widens one); elsewhere a second press.
void ControllerPaneBase::mouseDoubleClickEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (!doc || event->button() != Qt::LeftButton || doc->context().host.performanceMode())
        return;
    const QPoint point = event->position().toPoint();
    if (!inRuler(point) || doc->measureMap.empty()) {
        mousePressEvent(event);
        return;
    }
    // The second press began a one-tick range whose release would clear
    // the measure chosen here.
    if (gestureActive()) {
        m_gesture->abort();
        endDrag();
        clearGesture();
    }
    const MeasureRec& m = doc->measureMap[size_t(std::max(FindMeasure(doc->measureMap, doc->position()), 0))];
    const int32_t end = m.start + m.length;
    const bool widen = (event->modifiers() & Qt::ShiftModifier) && (doc->selectionKind & kSelectTimeRange)
                       && doc->selectionTo > doc->selectionFrom;
    doc->selectionFrom = widen ? std::min(doc->selectionFrom, m.start) : m.start;
    doc->selectionTo = widen ? std::max(doc->selectionTo, end) : end;
    doc->selectionKind = kSelectTimeRange;
    doc->context().host.updateSongViews(*doc, nullptr, kHintRepaintOnly);
}

void ControllerPaneBase::mouseReleaseEvent(QMouseEvent* event)
{
    if (!song() || event->button() != Qt::LeftButton || !gestureActive()) {
        EditViewBase::mouseReleaseEvent(event);
        return;
    }
    release(event->position().toPoint(), event->modifiers());
}

void ControllerPaneBase::release(QPoint point, Qt::KeyboardModifiers modifiers)
{
    using Kind = PointerGesture::Kind;
    CSongDoc& doc = *song();
    moveTo(point, modifiers);
    switch (m_gesture->kind()) {
    case Kind::Tool:
        if (finishDraw(modifiers))
            return; // the line goes on from here
        break;
    case Kind::Item:
        if (m_gesture->dragging())
            finishPointDrag();
        break;
    case Kind::Band:
        selectInBand(GetBandRect(), modifiers);
        takeStamp(doc.selectionStamp);
        m_gesture->abort(); // the graph selected; the band holds no marks
        break;
    case Kind::Ruler:
    case Kind::None: break;
    }
    m_gesture->release();
    endDrag();
    clearGesture();
    gestureEnded();
    doc.context().host.UpdateAllViews();
    QWidget::update();
}

Qt::CursorShape ControllerPaneBase::cursorAt(QPoint point)
{
    m_drawShape = -1;
    const CSongDoc* doc = song();
    if (!doc || !mouseEdits())
        return Qt::ForbiddenCursor;
    if (!plotRect().contains(point))
        return Qt::ArrowCursor;
    if ((m_gesture && m_gesture->dragging()) || hitPoint(point) >= 0)
        return resourceCursor(kCursorMovePoint);
    const EditTools tools = doc->context().host.editTools();
    if (tools.tool == 1) {
        m_drawShape = tools.line;
        return resourceCursor(kCursorDrawLine);
    }
    return Qt::ArrowCursor;
}

void ControllerPaneBase::paintPointMarker(QPainter& painter, QPoint at, int size, bool selected, const QRect& dirty)
{
    const QRect box(at.x() - size / 2, at.y() - size / 2, size, size);
    if (!box.intersects(dirty))
        return;
    if (selected) {
        painter.fillRect(box, Qt::white);
        painter.setPen(Qt::black);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        return;
    }
    painter.fillRect(box, fromColorRef(view_colors::kCurve));
    painter.setPen(Qt::white);
    painter.drawLine(box.topLeft(), box.topRight());
    painter.drawLine(box.topLeft(), box.bottomLeft());
    painter.setPen(Qt::black);
    painter.drawLine(box.bottomLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomRight());
}

} // namespace rz
