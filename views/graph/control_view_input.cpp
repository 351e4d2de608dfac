// The controller view's answers to the pane's mouse path: pressing and
// dragging points, the band, drawing, and the status text. GUI thread.

#include "views/graph/control_view.h"

#include "song/selection.h"
#include "song/song_doc.h"
#include "views/mouse_edit_rules.h"

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

int ControlView::hitPoint(QPoint point)
{
    return m_curve.hitTest(point, scale());
}

void ControlView::beginPointDrag(int index)
{
    CSongDoc& doc = *song();
    doc.selectionKind = kPointSelection;
    doc.selectionFrom = doc.selectionTo = -1;
    m_drag = beginControlDrag(m_curve.points(), index, doc.selectionStamp);
    stampEventsAt(m_drag.saved.tick, doc.selectionStamp);
}

// A neighbour whose pixel row the pointer is on lends its exact value.
void ControlView::dragPointTo(QPoint point, int64_t tickMove, Qt::KeyboardModifiers modifiers)
{
    const ControlScale s = scale();
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
    dragControlTo(m_curve.points(), m_drag, shifted(m_drag.saved.tick, tickMove), s.valueAtY(point.y()), row,
                  modifiers & Qt::ControlModifier, isAltRole(modifiers));
}

void ControlView::finishPointDrag()
{
    if (!m_drag.changed)
        return;
    const ControlScale s = scale();
    m_curve.prune(s);
    applyRecord(dragControllerRecord(*song(), m_tracks, m_kind, m_curve.points(), m_drag, s.axis.gridTicks));
}

void ControlView::beginDraw(QPoint point, int)
{
    m_pathStart = CControlPoint{0, snappedTick(point.x()), scale().valueAtY(point.y())};
    m_path = {m_pathStart};
    m_pathLastTick = m_pathStart.tick;
}

void ControlView::drawTo(QPoint point, Qt::KeyboardModifiers modifiers)
{
    const ControlScale s = scale();
    const int32_t tick = snappedTick(point.x());
    const int32_t value = s.valueAtY(point.y());
    if (drawShape() == 0)
        m_path = straightControlLine(m_pathStart.tick, m_pathStart.value, tick, value, s.axis.gridTicks,
                                     modifiers & Qt::ControlModifier);
    else
        freehandControlTo(m_path, m_pathLastTick, tick, value);
    m_pathLastTick = tick;
}

bool ControlView::finishDraw(Qt::KeyboardModifiers)
{
    applyRecord(drawControllersRecord(*song(), m_tracks, m_kind, m_path));
    return false;
}

void ControlView::selectInBand(const QRect& band, Qt::KeyboardModifiers modifiers)
{
    CSongDoc& doc = *song();
    const ControlScale s = scale();
    const ControlBand span{.fromTick = std::max(axis().tickOfX(band.left()), 0),
                           .toTick = axis().tickOfX(band.right()),
                           .lowValue = s.valueAtY(band.bottom()),
                           .highValue = s.valueAtY(band.top())};
    selectControllersInBand(doc, m_tracks, m_kind, m_curve.points(), span, !isAltRole(modifiers),
                            doc.selectionStamp);
    doc.selectionKind = kPointSelection;
    doc.selectionFrom = doc.selectionTo = -1;
}

void ControlView::clearGesture()
{
    m_path.clear();
    m_drag = ControlDrag{};
}

std::string ControlView::statusTextAt(QPoint point) const
{
    const std::optional<std::string> position = positionTextAt(point);
    if (!position)
        return {};
    const int shown = m_kind.displayOffset() + scale().valueAtY(point.y());
    char text[96];
    std::snprintf(text, sizeof text, "%s: %d @ %s", m_kind.name().c_str(), shown, position->c_str());
    return text;
}

} // namespace rz
