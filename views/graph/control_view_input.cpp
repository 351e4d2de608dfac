// The controller view's mouse: relocating while playing, the ruler's time
// range, pressing and dragging points, the rubber band, drawing, the cursor
// and the status text. GUI thread.

#include "views/graph/control_view.h"

#include "core/engine_link.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "ui/resource_cursors.h"
#include "views/mouse_edit_rules.h"

#include <QApplication>
#include <QMouseEvent>

#include <algorithm>
#include <cstdio>

namespace rz {
namespace {

constexpr uint32_t kPointSelection = kSelectEvents | kSelectControllerPoints;

// The index of the point after the plateau that `index` begins.
size_t plateauAfter(const std::vector<CControlPoint>& points, size_t index)
{
    size_t k = index;
    while (k + 1 < points.size() && !points[k + 1].gap() && points[k + 1].value == points[index].value)
        ++k;
    return k + 1;
}

} // namespace

void ControlView::stampEventsAt(int32_t tick, uint32_t stamp)
{
    for (const int t : m_tracks)
        for (CMidiEvent& e : song()->tracks[size_t(t)]->events)
            if (e.tick == tick && m_kind.matches(e))
                e.selectionStamp = stamp;
}

void ControlView::mousePressEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    const QPoint point = event->position().toPoint();
    if (!doc || event->button() != Qt::LeftButton || m_mode != Mode::None) {
        ControllerPaneBase::mousePressEvent(event);
        return;
    }
    ISongHost& host = doc->context().host;
    const QRect plot = plotRect();
    if (point.x() < plot.left())
        return;
    const bool ruler = inRuler(point);
    if (host.performanceMode() || (!ruler && !plot.contains(point)))
        return;
    if (!transportStopped(*doc)) {
        doc->context().engine.Play(snappedTick(point.x()));
        return;
    }
    if (!ruler && !editable())
        return;
    const uint32_t kindBefore = doc->selectionKind;
    if (ruler) {
        beginRulerRange(point, event->modifiers());
        m_mode = Mode::Ruler;
    } else {
        pressOnLane(point);
    }
    if (kindBefore != 0 && doc->selectionKind != kindBefore)
        host.updateSongViews(*doc, this, kHintRepaintOnly);
    beginDrag(point, false);
    moveTo(point, event->modifiers());
    QWidget::update();
}

void ControlView::pressOnLane(QPoint point)
{
    CSongDoc& doc = *song();
    const ControlScale s = scale();
    m_press = point;
    if (const int index = m_curve.hitTest(point, s); index >= 0) {
        doc.selectionKind = kPointSelection;
        doc.selectionFrom = doc.selectionTo = -1;
        m_pressStamp = ++doc.selectionStamp;
        m_drag = beginControlDrag(m_curve.points(), index, m_pressStamp);
        stampEventsAt(m_drag.saved.tick, m_pressStamp);
        m_mode = Mode::Pressed;
        return;
    }
    const EditTools tools = doc.context().host.editTools();
    if (tools.tool == 1) {
        m_drawShape = tools.line;
        m_pathStart = CControlPoint{0, snappedTick(point.x()), s.valueAtY(point.y())};
        m_path = {m_pathStart};
        m_pathLastTick = m_pathStart.tick;
        m_mode = Mode::Draw;
        return;
    }
    doc.selectionKind = 0;
    m_pressStamp = ++doc.selectionStamp;
    doc.selectionFrom = doc.selectionTo = -1;
    rubberBand().begin(point);
    m_mode = Mode::Band;
}

void ControlView::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    setCursor(cursorAt(point));
    if (song() && m_mode != Mode::None)
        moveTo(point, event->modifiers());
    ControllerPaneBase::mouseMoveEvent(event);
}

void ControlView::dragMoved(QPoint point)
{
    if (song())
        moveTo(point, QApplication::keyboardModifiers());
}

void ControlView::moveTo(QPoint point, Qt::KeyboardModifiers modifiers)
{
    const ControlScale s = scale();
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (m_mode) {
    case Mode::None: return;
    case Mode::Pressed:
        if ((point - m_press).manhattanLength() < QApplication::startDragDistance())
            return;
        m_mode = Mode::Drag;
        [[fallthrough]];
    case Mode::Drag: {
        const std::vector<CControlPoint>& points = m_curve.points();
        const size_t i = size_t(m_drag.index);
        std::optional<int32_t> row;
        for (const size_t n : {i - 1, i + 1, plateauAfter(points, i)}) {
            if (n >= points.size() || int(n) == m_drag.tickCompanion || int(n) == m_drag.valueCompanion
                || points[n].gap() || row)
                continue;
            if (s.yOfValue(points[n].value) == point.y())
                row = points[n].value;
        }
        dragControlTo(m_curve.points(), m_drag, std::max(axis().tickOfX(point.x()), 0), s.valueAtY(point.y()), row,
                      ctrl, isAltRole(modifiers));
        break;
    }
    case Mode::Draw: {
        const int32_t tick = snappedTick(point.x());
        const int32_t value = s.valueAtY(point.y());
        if (m_drawShape == 0)
            m_path = straightControlLine(m_pathStart.tick, m_pathStart.value, tick, value, s.axis.gridTicks, ctrl);
        else
            freehandControlTo(m_path, m_pathLastTick, tick, value);
        m_pathLastTick = tick;
        break;
    }
    case Mode::Band: rubberBand().moveTo(point); break;
    case Mode::Ruler: dragRulerRange(point); break;
    }
    QWidget::update();
}

void ControlView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!song() || event->button() != Qt::LeftButton || m_mode == Mode::None) {
        ControllerPaneBase::mouseReleaseEvent(event);
        return;
    }
    release(event->position().toPoint(), event->modifiers());
}

void ControlView::release(QPoint point, Qt::KeyboardModifiers modifiers)
{
    CSongDoc& doc = *song();
    const ControlScale s = scale();
    moveTo(point, modifiers);
    switch (m_mode) {
    case Mode::Draw: applyRecord(drawControllersRecord(doc, m_tracks, m_kind, m_path)); break;
    case Mode::Drag:
        if (m_drag.changed) {
            m_curve.prune(s);
            applyRecord(dragControllerRecord(doc, m_tracks, m_kind, m_curve.points(), m_drag, s.axis.gridTicks));
        }
        break;
    case Mode::Band: {
        const QRect band = GetBandRect();
        const ControlBand span{.fromTick = std::max(axis().tickOfX(band.left()), 0),
                               .toTick = axis().tickOfX(band.right()),
                               .lowValue = s.valueAtY(band.bottom()),
                               .highValue = s.valueAtY(band.top())};
        selectControllersInBand(doc, m_tracks, m_kind, m_curve.points(), span, !isAltRole(modifiers),
                                doc.selectionStamp);
        doc.selectionKind = kPointSelection;
        doc.selectionFrom = doc.selectionTo = -1;
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
    endDrag();
    m_mode = Mode::None;
    m_path.clear();
    m_drag = ControlDrag{};
    rebuild();
    doc.context().host.UpdateAllViews();
    QWidget::update();
}

// In the ruler the measure at the song position becomes the time range
// (Shift widens one); elsewhere a second press.
void ControlView::mouseDoubleClickEvent(QMouseEvent* event)
{
    CSongDoc* doc = song();
    if (!doc || event->button() != Qt::LeftButton || doc->context().host.performanceMode())
        return;
    const QPoint point = event->position().toPoint();
    if (!inRuler(point) || doc->measureMap.empty()) {
        mousePressEvent(event);
        return;
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

Qt::CursorShape ControlView::cursorAt(QPoint point)
{
    m_drawShape = -1;
    const CSongDoc* doc = song();
    if (!doc || !editable())
        return Qt::ForbiddenCursor;
    if (!plotRect().contains(point))
        return Qt::ArrowCursor;
    if (m_mode == Mode::Drag || m_curve.hitTest(point, scale()) >= 0)
        return resourceCursor(kCursorMovePoint);
    const EditTools tools = doc->context().host.editTools();
    if (tools.tool == 1) {
        m_drawShape = tools.line;
        return resourceCursor(kCursorDrawLine);
    }
    return Qt::ArrowCursor;
}

std::string ControlView::statusTextAt(QPoint point) const
{
    const CSongDoc& doc = *song();
    const int32_t tick = std::max(axis().tickOfX(point.x()), 0);
    if (tick > doc.endTick)
        return {};
    std::string position;
    doc.FormatTime(tick, position);
    position.erase(0, std::min(position.find_first_not_of(' '), position.size()));
    const int shown = m_kind.displayOffset() + scale().valueAtY(point.y());
    char text[96];
    std::snprintf(text, sizeof text, "%s: %d @ %s", m_kind.name().c_str(), shown, position.c_str());
    return text;
}

} // namespace rz
