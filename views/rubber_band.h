#pragma once

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <utility>
#include <vector>

class QPainter;

namespace rz {

struct CCue;
struct CMidiEvent;

// The selection band a lane view drags, and the events and cues it crosses:
// each carries a pending change (+1 to select, -1 to deselect, 0 none) until
// the mouse is released, when the marks are committed into the song's
// selection stamp. The view keeps the band in its own pixels; autoscroll
// shifts the anchor with the contents. GUI thread.
class RubberBand {
public:
    void begin(QPoint anchor);
    void moveTo(QPoint point);
    // The contents scrolled by `delta` pixels under the band.
    void shiftAnchor(QPoint delta) { m_anchor += delta; }
    bool active() const { return m_active; }
    QRect rect() const;

    // Marks an event or cue with a pending change; 0 takes the mark back.
    void markEvent(CMidiEvent& event, int change);
    void markCue(CCue& cue, int change);
    int pendingOf(const CCue& cue) const;
    int markCount() const { return int(m_events.size() + m_cues.size()); }
    // Drops every mark without changing the selection.
    void clearMarks();
    // Selects (+1) and deselects (-1) what was marked against `stamp`, ends
    // the band and returns how many items changed.
    int commit(uint32_t stamp);
    // Ends the band without committing.
    void cancel();

    void paint(QPainter& painter) const;

private:
    QPoint m_anchor;
    QPoint m_point;
    bool m_active = false;
    std::vector<CMidiEvent*> m_events;
    std::vector<std::pair<CCue*, int>> m_cues;
};

} // namespace rz
