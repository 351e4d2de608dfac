// The tempo view's mouse: relocating while playing, the ruler's time range,
// pressing and dragging points, the rubber band, draw gestures, the cursor
// and the status text. GUI thread.

#include "views/graph/tempo_view.h"

#include "core/engine_link.h"
#include "core/song_host.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/resource_cursors.h"
#include "views/mouse_edit_rules.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>

namespace rz {
namespace {

} // namespace

void TempoView::mousePressEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    const QPoint point = event->position().toPoint();
    if (!doc || event->button() != Qt::LeftButton) {
        ControllerPaneBase::mousePressEvent(event);
        return;
    }
    if (m_mode == Mode::Draw)
        return; // a continued line ends at this click's release
    ISongHost& host = doc->context().host;
    const QRect plot = plotRect();
    const bool ruler = inRuler(point);
    if (host.performanceMode() || (!ruler && !plot.contains(point)))
        return;
    if (!transportStopped(*doc)) {
        doc->context().engine.Play(snappedTick(point.x()));
        return;
    }
    const uint32_t kindBefore = doc->selectionKind;
    if (ruler) {
        beginRulerRange(point, event->modifiers());
        m_mode = Mode::Ruler;
    } else {
        pressOnGraph(point, event->modifiers());
    }
    if (kindBefore != 0 && doc->selectionKind != kindBefore)
        host.updateSongViews(*doc, this, kHintRepaintOnly);
    beginDrag(point, false);
    moveTo(point, event->modifiers());
    QWidget::update();
}

void TempoView::pressOnGraph(QPoint point, Qt::KeyboardModifiers)
{
    CSongDoc& doc = *song();
    const TempoScale s = scale();
    m_press = point;
    if (const int index = m_graph.HitTestPoint(point, s); index >= 0) {
        const uint32_t stamp = newStamp();
        doc.selectionKind = kSelectTempo;
        doc.selectionFrom = doc.selectionTo = -1;
        m_drag = beginTempoDrag(m_graph.points(), index, stamp);
        m_mode = Mode::Pressed;
        return;
    }
    const EditTools tools = doc.context().host.editTools();
    if (tools.tool == 1) {
        m_drawStyle = tools.line;
        m_draw.begin(snappedTick(point.x()), s.tempoAtY(point.y()),
                     m_drawStyle == 0 ? DrawGesture::Style::Straight : DrawGesture::Style::Freehand);
        m_mode = Mode::Draw;
        return;
    }
    doc.selectionKind = 0;
    newStamp();
    doc.selectionFrom = doc.selectionTo = -1;
    rubberBand().begin(point);
    m_mode = Mode::Band;
}

void TempoView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    setCursor(cursorAt(point, event->modifiers()));
    if (song() && m_mode != Mode::None)
        moveTo(point, event->modifiers());
    ControllerPaneBase::mouseMoveEvent(event);
}

void TempoView::dragMoved(QPoint point)
{
    if (song())
        moveTo(point, QApplication::keyboardModifiers());
}

void TempoView::moveTo(QPoint point, Qt::KeyboardModifiers modifiers)
{
    const TempoScale s = scale();
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (m_mode) {
    case Mode::None: return;
    case Mode::Pressed:
        if ((point - m_press).manhattanLength() < QApplication::startDragDistance())
            return;
        m_mode = Mode::Drag;
        [[fallthrough]];
    case Mode::Drag: {
        const std::vector<CTempoPoint>& points = m_graph.points();
        std::optional<uint32_t> level;
        for (int neighbour : {m_drag.index - 1, m_drag.index + 1}) {
            if (neighbour < 0 || size_t(neighbour) >= points.size() || neighbour == m_drag.timePartner
                || neighbour == m_drag.tempoPartner || level)
                continue;
            if (s.yOfTempo(points[size_t(neighbour)].tempo) == point.y())
                level = points[size_t(neighbour)].tempo;
        }
        dragTempoTo(m_graph.points(), m_drag, std::max(axis().tickOfX(point.x()), 0), s.tempoAtY(point.y()), level,
                    ctrl, isAltRole(modifiers));
        break;
    }
    case Mode::Draw: m_draw.moveTo(snappedTick(point.x()), s.tempoAtY(point.y()), s.axis.gridTicks, ctrl); break;
    case Mode::Band: rubberBand().moveTo(point); break;
    case Mode::Ruler: dragRulerRange(point); break;
    }
    QWidget::update();
}

void TempoView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!song() || event->button() != Qt::LeftButton || m_mode == Mode::None) {
        ControllerPaneBase::mouseReleaseEvent(event);
        return;
    }
    release(event->position().toPoint(), event->modifiers());
}

void TempoView::release(QPoint point, Qt::KeyboardModifiers modifiers)
{
    CSongDoc& doc = *song();
    const TempoScale s = scale();
    moveTo(point, modifiers);
    switch (m_mode) {
    case Mode::Draw:
        applyRecord(m_draw.release(doc.tempoMap, (modifiers & Qt::ShiftModifier) && m_drawStyle == 0));
        break;
    case Mode::Drag:
        if (m_drag.changed) {
            m_graph.SimplifyPoints(s);
            applyRecord(dragTempoRecord(doc.tempoMap, m_graph.points(), m_drag, s.axis.gridTicks));
        }
        break;
    case Mode::Band: {
        const auto range = m_graph.SelectInRect(GetBandRect(), doc.selectionStamp, s);
        doc.selectionKind = kSelectTempo;
        doc.selectionFrom = range ? range->first : -1;
        doc.selectionTo = range ? range->second : -1;
        m_lastStamp = doc.selectionStamp;
        rubberBand().cancel();
        break;
    }
    case Mode::Ruler:
        if (doc.selectionTo <= doc.selectionFrom)
            doc.selectionKind = 0;
        break;
    case Mode::Pressed:
    case Mode::None: break;
    }
    if (m_draw.active())
        return; // the line goes on from here
    endDrag();
    m_mode = Mode::None;
    m_drag = TempoDrag{};
    doc.context().host.UpdateAllViews();
    QWidget::update();
}

Qt::CursorShape TempoView::cursorAt(QPoint point, Qt::KeyboardModifiers)
{
    m_drawStyle = -1;
    const CSongDoc* doc = song();
    if (!doc || !transportStopped(*doc) || doc->context().host.performanceMode())
        return Qt::ForbiddenCursor;
    if (!plotRect().contains(point))
        return Qt::ArrowCursor;
    if (m_mode == Mode::Drag || m_graph.HitTestPoint(point, scale()) >= 0)
        return resourceCursor(kCursorMovePoint);
    const EditTools tools = doc->context().host.editTools();
    if (tools.tool == 1) {
        m_drawStyle = tools.line;
        return resourceCursor(kCursorDrawLine);
    }
    return Qt::ArrowCursor;
}

std::string TempoView::statusTextAt(QPoint point) const
{
    const CSongDoc& doc = *song();
    const int32_t tick = std::max(axis().tickOfX(point.x()), 0);
    if (tick > doc.endTick)
        return {};
    std::string position;
    doc.FormatTime(tick, position);
    position.erase(0, position.find_first_not_of(' ') == std::string::npos ? position.size()
                                                                            : position.find_first_not_of(' '));
    return tempoStatusText(TempoScale::tenthsOf(scale().tempoAtY(point.y())), position);
}

} // namespace rz
