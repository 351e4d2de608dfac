// The tempo view's answers to the pane's mouse path: pressing and dragging
// points, the band, draw gestures, and the status text. GUI thread.

#include "views/graph/tempo_view.h"

#include "song/selection.h"
#include "song/song_doc.h"
#include "views/mouse_edit_rules.h"

#include <algorithm>
#include <cstdlib>

namespace rz {

bool TempoView::mouseEdits() const
{
    const CSongDoc* doc = song();
    return doc && transportStopped(*doc) && !doc->context().host.performanceMode();
}

int TempoView::hitPoint(QPoint point)
{
    return m_graph.HitTestPoint(point, scale());
}

void TempoView::beginPointDrag(int index)
{
    CSongDoc& doc = *song();
    doc.selectionKind = kSelectTempo;
    doc.selectionFrom = doc.selectionTo = -1;
    m_drag = beginTempoDrag(m_graph.points(), index, doc.selectionStamp);
    m_drag.pressGraphY = scale().graphY(pressPoint().y());
}

// The tempo moves from the point's own by whole drag steps as the pointer
// goes up or down, so a straight sideways drag keeps it exactly; a
// neighbour within half a step lends its exact tempo.
void TempoView::dragPointTo(QPoint point, int64_t tickMove, Qt::KeyboardModifiers modifiers)
{
    const TempoScale s = scale();
    const int step = s.dragStep();
    const int rows = m_drag.pressGraphY - s.graphY(point.y());
    const int tenths = int(std::clamp<int64_t>(int64_t(TempoScale::tenthsOf(m_drag.saved.tempo)) + int64_t(rows) * step,
                                               TempoScale::kFullScale - TempoScale::kHighestPick,
                                               TempoScale::kFullScale));
    const std::vector<CTempoPoint>& points = m_graph.points();
    std::optional<uint32_t> level;
    for (int neighbour : {m_drag.index - 1, m_drag.index + 1}) {
        if (rows == 0 || level || neighbour < 0 || size_t(neighbour) >= points.size()
            || neighbour == m_drag.timePartner || neighbour == m_drag.tempoPartner)
            continue;
        if (2 * std::abs(TempoScale::tenthsOf(points[size_t(neighbour)].tempo) - tenths) < step)
            level = points[size_t(neighbour)].tempo;
    }
    const uint32_t tempo = rows == 0 ? m_drag.saved.tempo : TempoScale::tempoOfTenths(tenths);
    dragTempoTo(m_graph.points(), m_drag, shifted(m_drag.saved.tick, tickMove), tempo, level,
                modifiers & Qt::ControlModifier, isAltRole(modifiers));
}

void TempoView::finishPointDrag()
{
    if (!m_drag.changed)
        return;
    const TempoScale s = scale();
    const std::vector<CTempoPoint>& points = m_graph.points();
    const int32_t dragged = m_drag.index >= 0 && size_t(m_drag.index) < points.size()
                                ? points[size_t(m_drag.index)].tick
                                : m_drag.saved.tick;
    m_graph.SimplifyPoints(s);
    CSongDoc& doc = *song();
    applyRecord(dragTempoRecord(doc.tempoMap, m_graph.points(), m_drag, s.axis.gridTicks));
    // The edit cleared the selection: the points at the dragged tick, and
    // no others, take it again.
    doc.selectionKind = kSelectTempo;
    doc.selectionFrom = doc.selectionTo = dragged;
    rebuild();
}

void TempoView::beginDraw(QPoint point, int lineShape)
{
    m_draw.begin(snappedTick(point.x()), scale().tempoAtY(point.y()),
                 lineShape == 0 ? DrawGesture::Style::Straight : DrawGesture::Style::Freehand);
}

void TempoView::drawTo(QPoint point, Qt::KeyboardModifiers modifiers)
{
    const TempoScale s = scale();
    m_draw.moveTo(snappedTick(point.x()), s.tempoAtY(point.y()), s.axis.gridTicks, modifiers & Qt::ControlModifier);
}

// Shift at the release of a straight line goes on with the next one.
bool TempoView::finishDraw(Qt::KeyboardModifiers modifiers)
{
    applyRecord(m_draw.release(song()->tempoMap, (modifiers & Qt::ShiftModifier) && drawShape() == 0));
    return m_draw.active();
}

void TempoView::selectInBand(const QRect& band, Qt::KeyboardModifiers)
{
    CSongDoc& doc = *song();
    const auto range = m_graph.SelectInRect(band, doc.selectionStamp, scale());
    doc.selectionKind = kSelectTempo;
    doc.selectionFrom = range ? range->first : -1;
    doc.selectionTo = range ? range->second : -1;
}

void TempoView::clearGesture()
{
    m_draw.cancel();
    m_drag = TempoDrag{};
}

std::string TempoView::statusTextAt(QPoint point) const
{
    const std::optional<std::string> position = positionTextAt(point);
    if (!position)
        return {};
    return tempoStatusText(TempoScale::tenthsOf(scale().tempoAtY(point.y())), *position);
}

} // namespace rz
