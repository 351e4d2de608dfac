#include "views/rubber_band.h"

#include "song/cue.h"
#include "song/midi_event.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace rz {
namespace {

int unitChange(int change)
{
    return change > 0 ? 1 : change < 0 ? -1 : 0;
}

uint32_t committed(uint32_t current, int change, uint32_t stamp)
{
    if (change > 0)
        return stamp;
    if (change < 0 && current == stamp)
        return 0;
    return current;
}

} // namespace

void RubberBand::begin(QPoint anchor)
{
    clearMarks();
    m_anchor = m_point = anchor;
    m_active = true;
}

void RubberBand::moveTo(QPoint point)
{
    m_point = point;
}

QRect RubberBand::rect() const
{
    return QRect(QPoint(std::min(m_anchor.x(), m_point.x()), std::min(m_anchor.y(), m_point.y())),
                 QPoint(std::max(m_anchor.x(), m_point.x()), std::max(m_anchor.y(), m_point.y())));
}

void RubberBand::markEvent(CMidiEvent& event, int change)
{
    event.pendingChange = unitChange(change);
    const auto it = std::find(m_events.begin(), m_events.end(), &event);
    if (event.pendingChange == 0) {
        if (it != m_events.end())
            m_events.erase(it);
    } else if (it == m_events.end()) {
        m_events.push_back(&event);
    }
}

void RubberBand::markCue(CCue& cue, int change)
{
    const auto it = std::find_if(m_cues.begin(), m_cues.end(), [&](const auto& m) { return m.first == &cue; });
    if (unitChange(change) == 0) {
        if (it != m_cues.end())
            m_cues.erase(it);
    } else if (it == m_cues.end()) {
        m_cues.emplace_back(&cue, unitChange(change));
    } else {
        it->second = unitChange(change);
    }
}

int RubberBand::pendingOf(const CCue& cue) const
{
    const auto it = std::find_if(m_cues.begin(), m_cues.end(), [&](const auto& m) { return m.first == &cue; });
    return it == m_cues.end() ? 0 : it->second;
}

void RubberBand::clearMarks()
{
    for (CMidiEvent* event : m_events)
        event->pendingChange = 0;
    m_events.clear();
    m_cues.clear();
}

int RubberBand::commit(uint32_t stamp)
{
    int changed = 0;
    for (CMidiEvent* event : m_events) {
        const uint32_t next = committed(event->selectionStamp, event->pendingChange, stamp);
        changed += next != event->selectionStamp;
        event->selectionStamp = next;
        event->pendingChange = 0;
    }
    for (const auto& [cue, change] : m_cues) {
        const uint32_t next = committed(cue->selectionStamp, change, stamp);
        changed += next != cue->selectionStamp;
        cue->selectionStamp = next;
    }
    m_events.clear();
    m_cues.clear();
    m_active = false;
    return changed;
}

void RubberBand::cancel()
{
    clearMarks();
    m_active = false;
}

void RubberBand::paint(QPainter& painter) const
{
    if (!m_active)
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(rect());
    painter.restore();
}

} // namespace rz
