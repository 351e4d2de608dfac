#include "views/clip/clip_edit_controller.h"

#include "core/engine_link.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "song/clipboard_edit.h"
#include "song/cue.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "views/mouse_edit_rules.h"
#include "views/lane_edit_steps.h"
#include "views/rubber_band.h"

#include <algorithm>
#include <climits>

namespace rz {
namespace {

bool isClipEvent(const CMidiEvent& event)
{
    return event.message == kAudioClipMessage && event.clip() != nullptr;
}

// The events an item stands for: a clip's one event, or a MIDI block's run
// from its first event to its last event tick.
size_t itemEventEnd(const CTrack& track, const CTrackItem& item)
{
    size_t e = size_t(std::max(item.firstEvent, 0));
    if (item.clip || e >= track.events.size())
        return std::min(e + 1, track.events.size());
    while (e < track.events.size() && track.events[e].tick <= item.lastEventTick)
        ++e;
    return e;
}

} // namespace

ClipEditController::ClipEditController(CSongDoc& song, RubberBand& band, std::function<void()> repaintLinked)
    : m_song(song), m_band(band), m_gesture(song, band, std::move(repaintLinked))
{
}

ClipEditController::~ClipEditController()
{
    cancel();
}

int32_t ClipEditController::tickAt(const ClipGeometry& g, int x) const
{
    const EditTools tools = m_song.context().host.editTools();
    if (g.clock)
        return g.tickOfX(std::max(x, g.plot.left()), tools.snap);
    const int32_t tick = g.PointToTickRow(QPoint(x, g.lanes.lanesTop())).tick;
    if (!tools.snap)
        return tick;
    return std::max(snapInMap(m_song.measureMap, tick, snapUnit(tools.gridValue, m_song.timeBase)), 0);
}

bool ClipEditController::press(const ClipGeometry& g, const ClipPointer& p)
{
    const QPoint at = p.at;
    if (at.x() > g.plot.right() || at.y() > g.plot.bottom() || m_song.context().host.performanceMode())
        return false;
    if (!transportStopped(m_song)) {
        if (at.x() >= g.plot.left())
            m_song.context().engine.Play(tickAt(g, at.x()));
        return false;
    }
    cancel();
    m_gesture.press(at);
    m_pressAboveLanes = at.y() < g.lanes.lanesTop();
    m_tickDelta = 0;
    m_rowDelta = 0;
    m_pressTick = tickAt(g, at.x());
    m_pressRow = g.PointToTickRow(at).row;
    if (at.y() < g.lanes.rulerHeight) {
        if (at.x() < g.plot.left())
            return false;
        m_gesture.beginRuler(m_pressTick, p.modifiers);
    } else if (const int32_t hit = g.HitTest(m_song, at); hit != ClipGeometry::kNoHit) {
        pressItem(g, p, hit);
    } else {
        pressEmpty(g, p);
    }
    if (!m_gesture.started())
        return false;
    move(g, p);
    return true;
}

void ClipEditController::pressItem(const ClipGeometry&, const ClipPointer& p, int32_t hit)
{
    m_mode = (p.modifiers & Qt::ControlModifier) ? kCopy : 0;
    if (ITrackRows* rows = m_song.context().trackRows; rows && rows->currentRowMode())
        rows->SelectRow(rows->currentRow(), true);
    // A plain press adds the item; the click that follows makes it the selection.
    m_gesture.pressItem(hitSelected(hit), p.modifiers, false);
    m_pressHit = hit;
    setHitSelected(hit, true);
    collectSelection();
}

void ClipEditController::pressEmpty(const ClipGeometry& g, const ClipPointer& p)
{
    const QPoint at = p.at;
    if (m_song.context().host.editTools().tool == 1) {
        m_song.context().engine.LocateSong(m_song, m_pressTick);
        m_song.context().host.UpdateAllViews();
        if (at.y() < g.lanes.lanesTop())
            InsertCueAt(m_song, m_pressTick);
        else if (m_pressRow >= 1 && m_pressRow <= g.trackCount - 2)
            m_song.InsertEventAt(m_pressRow, kDrawnEventValue);
        return;
    }
    m_gesture.beginBand(p.modifiers);
}

bool ClipEditController::hitSelected(int32_t hit) const
{
    if (ClipGeometry::isCueHit(hit))
        return m_song.cues[size_t(ClipGeometry::cueOf(hit))]->selectionStamp == m_song.selectionStamp;
    const CTrack& track = *m_song.tracks[size_t(ClipGeometry::rowOf(hit))];
    const CTrackItem& item = track.items[size_t(ClipGeometry::itemOf(hit))];
    return track.events[size_t(item.firstEvent)].selectionStamp == m_song.selectionStamp;
}

void ClipEditController::setHitSelected(int32_t hit, bool on)
{
    const uint32_t stamp = on ? m_song.selectionStamp : 0;
    if (ClipGeometry::isCueHit(hit)) {
        m_song.cues[size_t(ClipGeometry::cueOf(hit))]->selectionStamp = stamp;
        return;
    }
    CTrack& track = *m_song.tracks[size_t(ClipGeometry::rowOf(hit))];
    CTrackItem& item = track.items[size_t(ClipGeometry::itemOf(hit))];
    for (size_t e = size_t(item.firstEvent), end = itemEventEnd(track, item); e < end; ++e)
        track.events[e].selectionStamp = stamp;
    item.stamp = stamp;
}

// The selection kind, range and drag list from the stamps; the track rows
// flagged exactly where events are selected.
void ClipEditController::collectSelection()
{
    m_drag.clear();
    uint32_t kind = 0;
    int64_t from = INT64_MAX;
    int64_t to = INT64_MIN;
    Bounds b{INT32_MAX, INT32_MIN, INT_MAX, INT_MIN};
    std::vector<int> rows;
    for (size_t t = 0; t < m_song.tracks.size(); ++t) {
        CTrack& track = *m_song.tracks[t];
        bool any = false;
        for (size_t e = 0; e < track.events.size(); ++e) {
            const CMidiEvent& event = track.events[e];
            if (event.selectionStamp != m_song.selectionStamp)
                continue;
            kind |= isClipEvent(event) ? kSelectAudioClip : kSelectEvents;
            from = std::min<int64_t>(from, event.tick);
            to = std::max<int64_t>(to, int64_t(event.tick) + std::max(event.value2, 0));
            b.firstRow = std::min(b.firstRow, int(t));
            b.lastRow = std::max(b.lastRow, int(t));
            m_drag.push_back({int(t), e});
            any = true;
        }
        for (CTrackItem& item : track.items)
            if (size_t(item.firstEvent) < track.events.size())
                item.stamp = track.events[size_t(item.firstEvent)].selectionStamp;
        if (any)
            rows.push_back(int(t));
    }
    for (size_t c = 0; c < m_song.cues.size(); ++c) {
        const CCue& cue = *m_song.cues[c];
        if (cue.selectionStamp != m_song.selectionStamp)
            continue;
        kind |= kSelectCues;
        from = std::min<int64_t>(from, std::min(cue.time, cue.secondTime));
        to = std::max<int64_t>(to, std::max(cue.time, cue.secondTime));
        m_drag.push_back({-1, c});
    }
    m_song.selectionKind = kind;
    m_song.selectionFrom = kind ? int32_t(from) : -1;
    m_song.selectionTo = kind ? int32_t(to) : -1;
    b.firstTick = kind ? int32_t(from) : 0;
    b.lastTick = kind ? int32_t(to) : 0;
    b.firstRow = std::max(b.firstRow == INT_MAX ? 0 : b.firstRow, 0);
    b.lastRow = std::max(b.lastRow, 1);
    m_bounds = b;
    if (ITrackRows* trackRows = m_song.context().trackRows) {
        trackRows->SelectNone();
        for (int row : rows)
            trackRows->SelectRow(row, false);
    }
}

void ClipEditController::move(const ClipGeometry& g, const ClipPointer& p)
{
    const QPoint at = p.at;
    const PointerGesture::Step step = m_gesture.follow(at, DragThreshold{g.dragDistance, DragThreshold::Measure::Square});
    if (step == PointerGesture::Step::Idle || step == PointerGesture::Step::Held)
        return;
    const int32_t tick = tickAt(g, at.x());
    if (m_gesture.kind() == PointerGesture::Kind::Ruler) {
        m_gesture.dragRuler(tick);
    } else if (m_gesture.dragging()) {
        moveDrag(g, p);
    } else if (m_gesture.kind() == PointerGesture::Kind::Band) {
        m_band.moveTo(at);
        markBand(g, p.modifiers & Qt::ControlModifier, p.modifiers & Qt::ShiftModifier);
    }
    m_gesture.locate(tick, p.rightHeld);
}

void ClipEditController::moveDrag(const ClipGeometry& g, const ClipPointer& p)
{
    const ClipGeometry::TickRow now = g.PointToTickRow(p.at);
    // The earliest dragged item stops at tick 0; the rest keep their distance.
    m_tickDelta = int32_t(std::max<int64_t>(int64_t(tickAt(g, p.at.x())) - m_pressTick, -int64_t(m_bounds.firstTick)));
    bool events = false;
    bool cues = false;
    for (const DragItem& item : m_drag)
        (item.row >= 0 ? events : cues) = true;
    if (!events || now.row == 0 || (cues && g.cuesPinTracks))
        return;
    const int delta = std::clamp(now.row - m_pressRow, 1 - m_bounds.firstRow, g.trackCount - 2 - m_bounds.lastRow);
    if (delta != m_rowDelta && rowsAccept(delta))
        m_rowDelta = delta;
}

// Audio clips move only to waveform tracks, MIDI events only to MIDI tracks.
bool ClipEditController::rowsAccept(int delta) const
{
    for (const DragItem& item : m_drag) {
        if (item.row < 0)
            continue;
        const size_t target = size_t(item.row + delta);
        if (target >= m_song.tracks.size() || m_song.tracks[target]->type != m_song.tracks[size_t(item.row)]->type)
            return false;
    }
    return true;
}

void ClipEditController::markBand(const ClipGeometry& g, bool ctrl, bool shift)
{
    const QRect band = m_band.rect();
    const auto changeFor = [&](bool inside, bool selected) { return PointerGesture::bandChange(inside, selected, ctrl); };
    (void)shift; // items outside keep their state: the marks only add or toggle
    if (m_pressAboveLanes || g.lanes.firstRow == 0) {
        for (size_t c = m_song.cues.size(); c-- > 0;) {
            if (c >= g.cueRects.size())
                continue;
            CCue& cue = *m_song.cues[c];
            const int change = changeFor(g.cueRects[c].intersects(band), cue.selectionStamp == m_song.selectionStamp);
            if (change != m_band.pendingOf(cue))
                m_band.markCue(cue, change);
        }
    }
    for (int row = g.firstVisibleRow(); row <= g.lastVisibleRow(); ++row) {
        CTrack& track = *m_song.tracks[size_t(row)];
        for (CTrackItem& item : track.items) {
            if (!g.isItem(track, item))
                continue;
            CMidiEvent& event = track.events[size_t(item.firstEvent)];
            const bool inside = g.TickRowToRect(item.start, item.start + item.length, row).intersects(band);
            const int change = changeFor(inside, event.selectionStamp == m_song.selectionStamp);
            item.mark = change;
            for (size_t e = size_t(item.firstEvent), end = itemEventEnd(track, item); e < end; ++e)
                if (change != track.events[e].pendingChange)
                    m_band.markEvent(track.events[e], change);
        }
    }
}

void ClipEditController::release(const ClipGeometry& g, const ClipPointer& p)
{
    if (!m_gesture.active())
        return;
    move(g, p);
    if (m_gesture.held()) {
        setHitSelected(m_pressHit, m_gesture.clickItem(p.modifiers));
        collectSelection();
    } else if (m_gesture.dragging()) {
        finishDrag();
    }
    const bool band = m_gesture.kind() == PointerGesture::Kind::Band;
    m_gesture.release();
    if (band)
        collectSelection();
    reset();
    m_song.context().host.UpdateAllViews();
}

void ClipEditController::finishDrag()
{
    if (m_tickDelta == 0 && m_rowDelta == 0)
        return;
    const bool copy = m_mode & kCopy;
    ClipFileCopies copies(m_song);
    EventListBuilder events;
    auto cues = std::make_unique<CCueSet>();
    for (size_t i = m_drag.size(); i-- > 0;) {
        const DragItem& item = m_drag[i];
        if (item.row < 0) {
            CCue moved = *m_song.cues[item.index];
            moved.time = shifted(moved.time, m_tickDelta);
            moved.secondTime = shifted(moved.secondTime, m_tickDelta);
            if (!copy)
                cues->removeKeys.push_back(uint32_t(item.index));
            cues->cues.push_back(std::move(moved));
            continue;
        }
        const size_t source = size_t(item.row);
        const size_t target = size_t(item.row + m_rowDelta);
        CMidiEvent moved = m_song.tracks[source]->events[item.index];
        moved.tick = shifted(moved.tick, m_tickDelta);
        if (copy && !copies.duplicate(moved))
            return; // reported; nothing applies
        if (!copy)
            events.remove(uint32_t(source << 24 | item.index));
        events.insert(std::move(moved), placedOn(target));
    }
    auto record = draggedItemsRecord("Drag Clips and Cues", events, std::move(cues));
    if (record && m_song.ApplyEdit(std::move(record)) == ApplyResult::Applied)
        copies.keep();
}

void ClipEditController::cancel()
{
    m_gesture.abort();
    reset();
}

void ClipEditController::reset()
{
    m_mode = 0;
    m_pressHit = ClipGeometry::kNoHit;
    m_drag.clear();
    m_tickDelta = 0;
    m_rowDelta = 0;
}

bool ClipEditController::doubleClick(const ClipGeometry& g, const ClipPointer& p)
{
    if (m_song.context().host.performanceMode())
        return false;
    cancel();
    // In clock time a ruler holds no measures: above the lanes only selected
    // cues open the properties, anything else is a click.
    if (g.clock && p.at.y() < g.lanes.lanesTop() && (m_song.selectionKind & kSelectCues))
        return true;
    if (!g.clock && p.at.y() < g.lanes.rulerHeight && p.at.x() >= g.plot.left()) {
        if (SelectPlayMeasure(m_song, p.modifiers & Qt::ShiftModifier))
            m_gesture.repaintLinked();
        return false;
    }
    if (!g.clock && p.at.y() < g.lanes.lanesTop())
        return (m_song.selectionKind & kSelectCues) != 0;
    if (press(g, p))
        release(g, p);
    return false;
}

bool ClipEditController::rightPress(const ClipGeometry& g, const ClipPointer& p)
{
    if (!transportStopped(m_song) || m_song.context().host.performanceMode())
        return false;
    const int32_t hit = g.HitTest(m_song, p.at);
    if (hit == ClipGeometry::kNoHit || hitSelected(hit))
        return false;
    ClipPointer left = p;
    left.rightHeld = true;
    left.modifiers = Qt::NoModifier;
    if (press(g, left))
        release(g, left);
    return m_song.selectionKind == kSelectCues;
}

} // namespace rz
