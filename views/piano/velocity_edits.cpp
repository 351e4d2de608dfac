#include "views/piano/velocity_edits.h"

#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/muldiv.h"
#include "core/song_host.h"
#include "song/clipboard_edit.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "views/edit_view_base.h"
#include "views/lane_edit_steps.h"
#include "views/mouse_edit_rules.h"
#include "views/rubber_band.h"

#include <algorithm>

namespace rz {
namespace {

CMidiEvent withVelocity(const CMidiEvent& note, int velocity)
{
    CMidiEvent copy = note;
    copy.message = (note.message & ~(uint32_t(midi::kDataMask) << 16)) | uint32_t(velocity) << 16;
    return copy;
}

// The events of a track from `from` on, up to (not at) `to`.
template <typename Events, typename Visit>
void eachBetween(Events& events, int64_t from, int64_t to, Visit visit)
{
    auto it = std::lower_bound(events.begin(), events.end(), from,
                               [](const CMidiEvent& e, int64_t tick) { return e.tick < tick; });
    for (; it != events.end() && it->tick < to; ++it)
        visit(*it, size_t(it - events.begin()));
}

} // namespace

VelocityEdits::VelocityEdits(CSongDoc& song, RubberBand& band, std::function<void()> repaintLinked)
    : m_song(song), m_band(band), m_gesture(song, band, std::move(repaintLinked))
{
}

VelocityPoint VelocityEdits::pointToTickValue(const VelocityGeometry& g, QPoint at) const
{
    int32_t tick = std::max(g.axis.tickOfX(std::max(at.x(), g.stripWidth)), 0);
    const EditTools tools = m_song.context().host.editTools();
    if (tools.snap)
        tick = std::max(snapInMap(m_song.measureMap, tick, snapUnit(tools.gridValue, m_song.timeBase)), 0);
    return VelocityPoint{tick, g.layout.velocityAtY(at.y())};
}

QPoint VelocityEdits::tickValueToPoint(const VelocityGeometry& g, int32_t tick, int value)
{
    return QPoint(g.axis.xOfTick(tick), g.layout.yOfVelocity(value));
}

QRect VelocityEdits::headRect(const VelocityGeometry& g, int32_t tick, int velocity)
{
    const QPoint centre = tickValueToPoint(g, tick, velocity);
    return QRect(centre.x() - kHeadRadius, centre.y() - kHeadRadius, 2 * kHeadRadius, 2 * kHeadRadius);
}

QRect VelocityEdits::barRect(const VelocityGeometry& g, int32_t tick, int32_t duration, int shownKey)
{
    int top = 0;
    if (!g.layout.noteRowTop(shownKey, top))
        return {};
    const int columns = std::max(std::max(duration, 0) / std::max(g.axis.gridTicks, 1), 1);
    return QRect(g.axis.xOfTick(tick), top, columns, g.layout.rows.rowHeight);
}

VelocityEdits::Hit VelocityEdits::hitTestHead(const VelocityGeometry& g, QPoint at) const
{
    if (at.x() < g.stripWidth)
        return {};
    const int64_t from = g.axis.tickOfX(at.x() - kHeadRadius);
    const int64_t to = int64_t(g.axis.tickOfX(at.x() + kHeadRadius + 1)) + 1;
    for (size_t s = m_shown.size(); s-- > 0;) {
        const CTrack& track = *m_song.tracks[size_t(m_shown[s])];
        Hit hit;
        eachBetween(track.events, from, to, [&](const CMidiEvent& e, size_t index) {
            if (!hit && e.isNote() && headRect(g, e.tick, e.data2()).contains(at))
                hit = Hit{int(s), index};
        });
        if (hit)
            return hit;
    }
    return {};
}

int VelocityEdits::contentY(const VelocityGeometry& g, int y) const
{
    return y + g.layout.rows.firstRow * g.layout.rows.rowHeight;
}

bool VelocityEdits::press(const VelocityGeometry& g, const VelocityPointer& p)
{
    const QPoint at = p.at;
    if (at.x() >= g.plot.right() + 1)
        return false;
    ISongHost& host = m_song.context().host;
    if (host.performanceMode() && at.x() >= VelocityLayout::kSisterMargin)
        return false;
    if (!transportStopped(m_song)) {
        if (at.x() >= g.stripWidth)
            m_song.context().engine.Play(pointToTickValue(g, at).tick);
        return false;
    }
    cancel();
    m_gesture.press(at);
    m_pressY = m_lastY = contentY(g, at.y());
    m_keyHeight = std::max(g.layout.keyHeight(), 1);
    if (at.y() < g.rulerHeight) {
        if (at.x() < g.stripWidth) {
            selectAllNotes();
            return false;
        }
        m_gesture.beginRuler(pointToTickValue(g, at).tick, p.modifiers);
    } else if (const Hit hit = hitTestHead(g, at)) {
        pressHead(p, hit);
    } else {
        pressElsewhere(g, p);
    }
    if (!m_gesture.started())
        return false;
    move(g, p);
    return true;
}

void VelocityEdits::pressHead(const VelocityPointer& p, const Hit& hit)
{
    CMidiEvent& note = m_song.tracks[size_t(m_shown[size_t(hit.shown)])]->events[hit.index];
    m_gesture.pressItem(note.selectionStamp == m_song.selectionStamp, p.modifiers);
    note.selectionStamp = m_song.selectionStamp;
    rebuildSelection();
}

void VelocityEdits::pressElsewhere(const VelocityGeometry& g, const VelocityPointer& p)
{
    const QPoint at = p.at;
    if (at.x() < VelocityLayout::kSisterMargin)
        return;
    const EditTools tools = m_song.context().host.editTools();
    if (tools.tool == 1 && at.x() >= g.stripWidth) {
        const VelocityPoint start = pointToTickValue(g, at);
        m_lineKind = tools.line;
        m_points.assign(1, start);
        m_lineStart = start;
        m_previousTick = start.tick;
        m_mode = kLine;
        m_gesture.beginTool(true);
        return;
    }
    m_gesture.beginBand(p.modifiers);
}

void VelocityEdits::rebuildSelection()
{
    const SelectionSpan span = selectedNotes(m_song, m_shown);
    m_song.selectionKind = span.kind;
    m_song.selectionFrom = span.kind ? int32_t(span.from) : -1;
    m_song.selectionTo = span.kind ? int32_t(std::min<int64_t>(span.to, INT32_MAX)) : -1;
}

void VelocityEdits::selectAllNotes()
{
    selectShownNotes(m_song, m_shown);
    rebuildSelection();
}

void VelocityEdits::move(const VelocityGeometry& g, const VelocityPointer& p)
{
    if (!m_gesture.active())
        return;
    const QPoint at = p.at;
    const VelocityPoint point = pointToTickValue(g, at);
    m_modifiers = p.modifiers;
    m_pointerValue = point.value;
    m_lastY = contentY(g, at.y());
    if (m_gesture.kind() == PointerGesture::Kind::Ruler) {
        m_gesture.dragRuler(point.tick);
    }
    if (m_gesture.follow(at, DragThreshold{g.dragDistance, DragThreshold::Measure::Square})
        == PointerGesture::Step::Held)
        return;
    if (m_mode & kLine) {
        if (m_lineKind == 0) {
            m_points = straightLine(m_lineStart, point, g.axis.gridTicks);
        } else {
            freehandTo(m_points, m_previousTick, point);
            m_previousTick = point.tick;
        }
    }
    m_gesture.locate(point.tick, p.rightHeld);
    if (m_gesture.kind() == PointerGesture::Kind::Band) {
        m_band.moveTo(at);
        markBand(g, p);
    }
}

void VelocityEdits::markBand(const VelocityGeometry& g, const VelocityPointer& p)
{
    const QRect band = m_band.rect();
    const bool bars = EditViewBase::isAltRole(p.modifiers);
    const bool ctrl = p.modifiers & Qt::ControlModifier;
    for (int t : m_shown) {
        CTrack& track = *m_song.tracks[size_t(t)];
        for (CMidiEvent& e : track.events) {
            if (!e.isNote())
                continue;
            const QRect r = bars ? barRect(g, e.tick, e.value2, e.data1() + track.key) : headRect(g, e.tick, e.data2());
            const bool inside = r.intersects(band);
            const int change = PointerGesture::bandChange(inside, e.selectionStamp == m_song.selectionStamp, ctrl);
            if (change != e.pendingChange)
                m_band.markEvent(e, change);
        }
    }
}

void VelocityEdits::release(const VelocityGeometry& g, const VelocityPointer& p)
{
    if (!m_gesture.active())
        return;
    move(g, p);
    if (m_gesture.held()) {
        if (const Hit hit = hitTestHead(g, p.at)) {
            const bool selects = m_gesture.clickItem(p.modifiers);
            CMidiEvent& note = m_song.tracks[size_t(m_shown[size_t(hit.shown)])]->events[hit.index];
            note.selectionStamp = selects ? m_song.selectionStamp : 0;
            rebuildSelection();
        }
    } else if ((m_mode & kLine) && !m_points.empty()) {
        drawVelocity(g.axis.gridTicks);
    } else if (m_gesture.dragging()) {
        dragVelocity();
    }
    const bool band = m_gesture.kind() == PointerGesture::Kind::Band;
    m_gesture.release();
    if (band)
        rebuildSelection();
    reset();
    m_song.context().host.UpdateAllViews();
}

void VelocityEdits::drawVelocity(int32_t gridTicks)
{
    const int64_t g = std::max(gridTicks, 1);
    const int64_t first = int64_t(m_points.front().tick) - g;
    const int64_t last = int64_t(m_points.back().tick) + g;
    EventListBuilder events;
    for (size_t s = m_shown.size(); s-- > 0;) {
        const size_t t = size_t(m_shown[s]);
        eachBetween(m_song.tracks[t]->events, first, last + 1, [&](const CMidiEvent& e, size_t index) {
            if (!e.isNote())
                return;
            const auto after = std::upper_bound(m_points.begin(), m_points.end(), e.tick,
                                                [](int32_t tick, const VelocityPoint& pt) { return tick < pt.tick; });
            if (after == m_points.begin())
                return;
            const int velocity = VelocityLayout::noteVelocity(std::prev(after)->value);
            if (velocity == e.data2())
                return;
            events.remove(uint32_t(t << 24 | index));
            events.insert(withVelocity(e, velocity), placedOn(t));
        });
    }
    applyEvents(events, "Draw Velocity");
}

int VelocityEdits::draggedVelocity(int velocity, int rise, int keyHeight, int pointerValue,
                                   Qt::KeyboardModifiers modifiers)
{
    const int h = std::max(keyHeight, 1);
    const int64_t step = MulDiv(rise, VelocityLayout::kMaxVelocity, h);
    if (EditViewBase::isAltRole(modifiers))
        return VelocityLayout::noteVelocity((step + 64) * velocity / 64);
    if (modifiers & Qt::ControlModifier)
        return VelocityLayout::noteVelocity(pointerValue);
    return VelocityLayout::noteVelocity(velocity + step);
}

int VelocityEdits::shownVelocity(int velocity) const
{
    if (!m_gesture.dragging())
        return velocity;
    return draggedVelocity(velocity, m_pressY - m_lastY, m_keyHeight, m_pointerValue, m_modifiers);
}

void VelocityEdits::dragVelocity()
{
    EventListBuilder events;
    for (size_t s = m_shown.size(); s-- > 0;) {
        const size_t t = size_t(m_shown[s]);
        const std::vector<CMidiEvent>& list = m_song.tracks[t]->events;
        for (size_t index = list.size(); index-- > 0;) {
            const CMidiEvent& e = list[index];
            if (!e.isNote() || e.selectionStamp != m_song.selectionStamp)
                continue;
            const int velocity = shownVelocity(e.data2());
            if (velocity == e.data2())
                continue;
            events.remove(uint32_t(t << 24 | index));
            events.insert(withVelocity(e, velocity), placedOn(t));
        }
    }
    applyEvents(events, "Drag Velocity");
}

// One undo record of the changed notes; none when nothing changed.
void VelocityEdits::applyEvents(EventListBuilder& events, const char* label)
{
    if (events.empty())
        return;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = label;
    record->events = events.build();
    m_song.ApplyEdit(std::move(record));
}

std::vector<VelocityPoint> VelocityEdits::straightLine(VelocityPoint a, VelocityPoint b, int32_t gridTicks)
{
    const VelocityPoint lo = a.tick <= b.tick ? a : b;
    const VelocityPoint hi = a.tick <= b.tick ? b : a;
    const int64_t g = std::max(gridTicks, 1);
    const int64_t span = int64_t(hi.tick) - lo.tick;
    std::vector<VelocityPoint> points;
    points.reserve(size_t(span / g + 2));
    for (int64_t t = lo.tick; t <= hi.tick; t += g) {
        const double along = span == 0 ? 0.0 : double(t - lo.tick) / double(span);
        points.push_back({int32_t(t), int(double(hi.value - lo.value) * along + lo.value)});
    }
    if (points.back().tick != hi.tick)
        points.push_back(hi);
    return points;
}

void VelocityEdits::freehandTo(std::vector<VelocityPoint>& points, int32_t previousTick, VelocityPoint point)
{
    const int32_t low = std::min(previousTick, point.tick);
    const int32_t high = std::max(previousTick, point.tick);
    std::erase_if(points, [&](const VelocityPoint& p) {
        return p.tick == point.tick || (p.tick > low && p.tick < high);
    });
    const auto at = std::lower_bound(points.begin(), points.end(), point.tick,
                                     [](const VelocityPoint& p, int32_t tick) { return p.tick < tick; });
    points.insert(at, point);
}

void VelocityEdits::cancel()
{
    m_gesture.abort();
    reset();
}

void VelocityEdits::reset()
{
    m_mode = 0;
    m_lineKind = -1;
    m_points.clear();
}

void VelocityEdits::doubleClick(const VelocityGeometry& g, const VelocityPointer& p)
{
    if (m_song.context().host.performanceMode() || p.at.y() >= g.rulerHeight)
        return;
    cancel();
    const int index = FindMeasure(m_song.measureMap, m_song.position());
    if (index < 0)
        return;
    const MeasureRec& m = m_song.measureMap[size_t(index)];
    int32_t from = m.start;
    int32_t to = int32_t(std::min<int64_t>(int64_t(m.start) + m.length, INT32_MAX));
    if ((p.modifiers & Qt::ShiftModifier) && (m_song.selectionKind & kSelectTimeRange)) {
        from = std::min(from, m_song.selectionFrom);
        to = std::max(to, m_song.selectionTo);
    }
    m_song.selectionKind = kSelectTimeRange;
    m_song.selectionFrom = from;
    m_song.selectionTo = to;
    m_gesture.repaintLinked();
}

bool VelocityEdits::rightPress(const VelocityGeometry& g, const VelocityPointer& p)
{
    if (!transportStopped(m_song) || m_song.context().host.performanceMode())
        return false;
    if (!hitTestHead(g, p.at) && m_song.context().host.editTools().tool == 1)
        return false;
    VelocityPointer click = p;
    click.rightHeld = true;
    if (press(g, click))
        release(g, click);
    return m_song.selectionKind == kSelectEvents;
}

} // namespace rz
