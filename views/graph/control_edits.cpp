#include "views/graph/control_edits.h"

#include "core/edit_dialogs.h"
#include "core/prompt.h"
#include "song/clipboard_edit.h"
#include "song/edit_transforms.h"
#include "song/song_doc.h"
#include "views/graph/graph_points.h"
#include "views/mouse_edit_rules.h"

#include <algorithm>
#include <tuple>

namespace rz {
namespace {

bool laneTrack(const CSongDoc& song, int track)
{
    return track > 0 && size_t(track) < song.tracks.size();
}

// `part` of `whole` along from `from` to `to`, rounded to the nearest.
int32_t along(int32_t from, int32_t to, int64_t part, int64_t whole)
{
    if (whole <= 0)
        return to;
    const int64_t rise = int64_t(to) - from;
    const int64_t twice = 2 * rise * part;
    const int64_t rounded = (twice + (twice >= 0 ? whole : -whole)) / (2 * whole);
    return int32_t(from + rounded);
}

// Writes the messages of one track in tick order, skipping repeats.
class LaneWriter {
public:
    LaneWriter(EventListBuilder& events, const CSongDoc& song, size_t track, ControlKind kind, int32_t before)
        : m_events(events), m_track(track), m_kind(kind), m_channel(song.tracks[track]->channel)
    {
        const auto& list = song.tracks[track]->events;
        for (const CMidiEvent& e : list) {
            if (e.tick >= before)
                break;
            if (kind.matches(e))
                m_previous = e.message;
        }
    }

    void add(int32_t tick, int32_t value)
    {
        const uint32_t message = m_kind.message(m_channel, value);
        if (m_previous && *m_previous == message)
            return;
        CMidiEvent event;
        event.message = message;
        event.tick = std::max(tick, 0);
        m_events.insert(std::move(event), placedOn(m_track));
        m_previous = message;
    }

private:
    EventListBuilder& m_events;
    size_t m_track;
    ControlKind m_kind;
    int m_channel;
    std::optional<uint32_t> m_previous;
};

// Takes out the track's events of the kind from `from` to `to` (inclusive).
void removeSpan(EventListBuilder& events, const CSongDoc& song, size_t track, ControlKind kind, int32_t from,
                int32_t to)
{
    const auto& list = song.tracks[track]->events;
    for (size_t i = 0; i < list.size() && list[i].tick <= to; ++i)
        if (list[i].tick >= from && kind.matches(list[i]))
            events.remove(uint32_t(track << 24 | i));
}

std::unique_ptr<CUndoRecord> eventsRecord(const char* label, uint32_t flags, EventListBuilder& events)
{
    if (events.empty())
        return nullptr;
    auto record = std::make_unique<CUndoRecord>();
    record->label = label;
    record->flags = flags;
    record->events = events.build();
    return record;
}

// The first index of the plateau that ends at `index`.
size_t plateauStart(const std::vector<CControlPoint>& points, size_t index)
{
    while (index > 0 && !points[index - 1].gap() && points[index - 1].value == points[index].value)
        --index;
    return index;
}

size_t plateauEnd(const std::vector<CControlPoint>& points, size_t index)
{
    while (index + 1 < points.size() && !points[index + 1].gap() && points[index + 1].value == points[index].value)
        ++index;
    return index;
}

// The drag's bounds out to the plateaus they stand on; a gap neighbour
// holds a bound at the dragged point.
std::pair<int32_t, int32_t> widenedBounds(const std::vector<CControlPoint>& points, const ControlDrag& drag)
{
    const size_t at = size_t(drag.index);
    int32_t low = drag.lowTick;
    int32_t high = std::max(drag.lowTick, drag.highTick);
    size_t before = at;
    while (before > 0 && points[before - 1].tick >= low)
        --before;
    if (before > 0 && points[before - 1].gap())
        low = points[at].tick;
    else
        low = points[plateauStart(points, before)].tick;
    size_t after = at;
    while (after + 1 < points.size() && points[after + 1].tick <= high)
        ++after;
    if (after + 1 < points.size() && points[after + 1].gap() && points[after + 1].tick <= high)
        high = points[at].tick;
    else
        high = points[plateauEnd(points, after)].tick;
    return {std::min(low, points[at].tick), std::max(high, points[at].tick)};
}

} // namespace

std::unique_ptr<CUndoRecord> drawControllersRecord(const CSongDoc& song, const std::vector<int>& tracks,
                                                   ControlKind kind, const std::vector<CControlPoint>& path)
{
    if (path.empty())
        return nullptr;
    const int32_t from = path.front().tick;
    const int32_t to = path.back().tick;
    EventListBuilder events;
    for (const int t : tracks) {
        if (!laneTrack(song, t))
            continue;
        removeSpan(events, song, size_t(t), kind, from, to);
        LaneWriter writer(events, song, size_t(t), kind, from);
        for (const CControlPoint& p : path)
            writer.add(p.tick, p.value);
    }
    return eventsRecord("Draw Controllers", kUndoEvents, events);
}

std::vector<CControlPoint> straightControlLine(int32_t fromTick, int32_t fromValue, int32_t toTick, int32_t toValue,
                                               int32_t gridTicks, bool flat)
{
    if (flat)
        toValue = fromValue;
    if (toTick < fromTick) {
        std::swap(fromTick, toTick);
        std::swap(fromValue, toValue);
    }
    const int64_t grid = std::max<int32_t>(gridTicks, 1);
    const int64_t distance = int64_t(toTick) - fromTick;
    std::vector<CControlPoint> line;
    int64_t tick = fromTick;
    for (; tick <= toTick; tick += grid) {
        const int32_t value = along(fromValue, toValue, tick - fromTick, distance);
        if (line.empty() || line.back().value != value)
            line.push_back({0, int32_t(tick), value});
    }
    const int32_t last = int32_t(tick - grid);
    if (line.back().tick == last)
        line.back().value = toValue;
    else if (line.back().value != toValue)
        line.push_back({0, last, toValue});
    return line;
}

void freehandControlTo(std::vector<CControlPoint>& path, int32_t lastTick, int32_t tick, int32_t value)
{
    freehandPointTo(path, lastTick, tick, value);
}

ControlDrag beginControlDrag(std::vector<CControlPoint>& points, int index, uint32_t stamp)
{
    ControlDrag drag;
    if (index < 0 || size_t(index) >= points.size() || points[size_t(index)].gap())
        return drag;
    const size_t i = size_t(index);
    drag.index = index;
    drag.saved = points[i];
    points[i].stamp = stamp;
    if (i + 1 < points.size() && points[i + 1].value == points[i].value)
        drag.valueCompanion = index + 1;
    if (i + 1 < points.size() && points[i + 1].tick == points[i].tick && !points[i + 1].gap())
        drag.tickCompanion = index + 1;
    else if (i > 0 && points[i - 1].tick == points[i].tick && !points[i - 1].gap())
        drag.tickCompanion = index - 1;
    if (drag.tickCompanion >= 0)
        points[size_t(drag.tickCompanion)].stamp = stamp;
    std::tie(drag.lowTick, drag.highTick) = dragTickBounds(points, i);
    return drag;
}

void dragControlTo(std::vector<CControlPoint>& points, ControlDrag& drag, int32_t tick, int32_t value,
                   std::optional<int32_t> rowValue, bool ctrl, bool altRole)
{
    if (drag.index < 0 || size_t(drag.index) >= points.size())
        return;
    const size_t i = size_t(drag.index);
    const bool lastPoint = i + 1 >= points.size() || points[i + 1].gap();
    int32_t at = std::clamp(tick, drag.lowTick, std::max(drag.lowTick, drag.highTick));
    if (drag.saved.tick == 0 && i == 0)
        at = 0;
    else if (lastPoint)
        at = drag.saved.tick;
    int32_t level = rowValue.value_or(value);
    if (ctrl) {
        const bool hasPrevious = i > 0 && !points[i - 1].gap() && int(i - 1) != drag.tickCompanion;
        const bool hasNext = !lastPoint && int(i + 1) != drag.tickCompanion;
        if (hasPrevious && at != points[i - 1].tick)
            level = points[i - 1].value;
        else if (hasNext)
            level = points[i + 1].value;
    }
    drag.changed = placeDraggedPoint(points, drag.index, drag.saved, at, level, drag.valueCompanion, drag.tickCompanion,
                                     altRole);
}

std::unique_ptr<CUndoRecord> dragControllerRecord(const CSongDoc& song, const std::vector<int>& tracks,
                                                  ControlKind kind, const std::vector<CControlPoint>& points,
                                                  const ControlDrag& drag, int32_t gridTicks)
{
    if (!drag.changed || drag.index < 0 || size_t(drag.index) >= points.size())
        return nullptr;
    const auto [low, high] = widenedBounds(points, drag);
    const int64_t grid = std::max<int32_t>(gridTicks, 1);
    EventListBuilder events;
    for (const int t : tracks) {
        if (!laneTrack(song, t))
            continue;
        removeSpan(events, song, size_t(t), kind, low, high);
        LaneWriter writer(events, song, size_t(t), kind, low);
        for (size_t j = 0; j < points.size(); ++j) {
            const CControlPoint& p = points[j];
            if (p.tick < low)
                continue;
            if (p.tick > high || p.gap())
                break;
            const bool hasNext = j + 1 < points.size() && !points[j + 1].gap();
            if (hasNext && points[j + 1].tick == p.tick)
                continue;
            if (!hasNext || points[j + 1].value == p.value || points[j + 1].tick > high) {
                writer.add(p.tick, p.value);
                continue;
            }
            const CControlPoint& next = points[j + 1];
            const int64_t length = int64_t(next.tick) - p.tick;
            for (int64_t k = p.tick; k < next.tick; k += grid)
                writer.add(int32_t(k), along(p.value, next.value, k - p.tick, length));
        }
    }
    return eventsRecord("Drag Controller", kUndoEvents, events);
}

std::optional<std::pair<int32_t, int32_t>> selectControllersInBand(CSongDoc& song, const std::vector<int>& tracks,
                                                                   ControlKind kind,
                                                                   const std::vector<CControlPoint>& points,
                                                                   ControlBand band, bool narrow, uint32_t stamp)
{
    if (narrow) {
        std::optional<std::pair<int32_t, int32_t>> inside;
        for (const CControlPoint& p : points) {
            if (p.gap() || p.tick < band.fromTick || p.tick > band.toTick || p.value < band.lowValue
                || p.value > band.highValue)
                continue;
            inside = inside ? std::pair{inside->first, p.tick} : std::pair{p.tick, p.tick};
        }
        if (!inside)
            return std::nullopt;
        band.fromTick = inside->first;
        band.toTick = inside->second;
    }
    std::optional<std::pair<int32_t, int32_t>> selected;
    for (const int t : tracks) {
        if (!laneTrack(song, t))
            continue;
        for (CMidiEvent& e : song.tracks[size_t(t)]->events) {
            if (e.tick < band.fromTick || e.tick > band.toTick || !kind.matches(e))
                continue;
            const int32_t value = ControlKind::valueOf(e);
            if (value < band.lowValue || value > band.highValue)
                continue;
            e.selectionStamp = stamp;
            selected = selected ? std::pair{std::min(selected->first, e.tick), std::max(selected->second, e.tick)}
                                : std::pair{e.tick, e.tick};
        }
    }
    return selected;
}

void moveControllers(CSongDoc& song, const std::vector<int>& tracks, ControlKind kind, const ControlCurve& curve)
{
    const auto run = curve.stampedRun(song.selectionStamp);
    std::optional<int32_t> first;
    for (const int t : tracks) {
        if (!run || !laneTrack(song, t))
            continue;
        for (const CMidiEvent& e : song.tracks[size_t(t)]->events)
            if (e.tick >= run->first && e.tick <= run->second && kind.matches(e)) {
                first = first ? std::min(*first, e.tick) : e.tick;
                break;
            }
    }
    if (!first) {
        song.context().prompt.message(kNothingToMove);
        return;
    }
    IEditDialogs* dialogs = song.context().editDialogs;
    if (!dialogs || !dialogs->has(EditDialog::Move))
        return;
    const std::optional<MoveParams> params = dialogs->move(song, *first);
    if (!params)
        return;
    MovePlan plan(song, *params, *first);
    EventListBuilder events;
    for (const int t : tracks) {
        if (!laneTrack(song, t))
            continue;
        const auto& list = song.tracks[size_t(t)]->events;
        for (size_t i = 0; i < list.size() && list[i].tick <= run->second; ++i) {
            if (list[i].tick < run->first || !kind.matches(list[i]))
                continue;
            CMidiEvent moved = list[i];
            plan.moveEvent(moved);
            events.remove(uint32_t(size_t(t) << 24 | i));
            events.insert(std::move(moved), placedOn(size_t(t)));
        }
    }
    std::unique_ptr<CUndoRecord> record = eventsRecord("Move controllers", kUndoControllerEdit | kUndoEvents, events);
    if (record && proceedDespiteClipping(song, plan.clipped(), kMoveClipped))
        song.ApplyEdit(std::move(record));
}

} // namespace rz
