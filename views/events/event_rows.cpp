#include "views/events/event_rows.h"

#include "core/midi_bytes.h"
#include "song/clipboard_edit.h"
#include "song/selection.h"
#include "song/song_doc.h"

#include <algorithm>
#include <limits>
#include <queue>

namespace rz {

bool EventFilter::shows(const CMidiEvent& event) const
{
    if (((mask >> (event.kind() >> 4)) & 1) == 0)
        return false;
    return controller < 0 || midi::statusOf(event.kind()) != midi::kControlChange || event.data1() == controller;
}

// Stamp 0 is every event's before anything was selected.
bool isEventSelected(const CSongDoc& song, const CMidiEvent& event)
{
    return song.selectionStamp != 0 && event.selectionStamp == song.selectionStamp;
}

void EventRows::clear()
{
    m_keys.clear();
    m_tracks.clear();
}

// A k-way merge: the cursor of the smallest (tick, track) takes every event
// of its track at that tick.
void EventRows::rebuild(CSongDoc& song, const EventFilter& filter)
{
    clear();
    for (size_t t = 0; t < song.tracks.size(); ++t)
        if (isRowSelected(song, t))
            m_tracks.push_back(int(t));
    using Cursor = std::pair<int32_t, int>; // tick, place in m_tracks
    std::priority_queue<Cursor, std::vector<Cursor>, std::greater<>> cursors;
    std::vector<size_t> next(m_tracks.size(), 0);
    size_t total = 0;
    for (size_t i = 0; i < m_tracks.size(); ++i) {
        const auto& events = song.tracks[size_t(m_tracks[i])]->events;
        total += events.size();
        if (!events.empty())
            cursors.push({events.front().tick, int(i)});
    }
    m_keys.reserve(total);
    while (!cursors.empty()) {
        const auto [tick, i] = cursors.top();
        cursors.pop();
        auto& events = song.tracks[size_t(m_tracks[size_t(i)])]->events;
        size_t& e = next[size_t(i)];
        for (; e < events.size() && events[e].tick <= tick; ++e) {
            if (filter.shows(events[e]))
                m_keys.push_back({m_tracks[size_t(i)], int(e)});
            else
                events[e].selectionStamp = 0;
        }
        if (e < events.size())
            cursors.push({events[e].tick, i});
    }
}

const CMidiEvent* EventRows::eventOf(const CSongDoc& song, EventRowKey key)
{
    if (key.track < 0 || size_t(key.track) >= song.tracks.size())
        return nullptr;
    const auto& events = song.tracks[size_t(key.track)]->events;
    return key.index >= 0 && size_t(key.index) < events.size() ? &events[size_t(key.index)] : nullptr;
}

const CMidiEvent* EventRows::eventAt(const CSongDoc& song, int row) const
{
    return row >= 0 && row < size() ? eventOf(song, m_keys[size_t(row)]) : nullptr;
}

int EventRows::rowOf(EventRowKey key) const
{
    const auto it = std::find(m_keys.begin(), m_keys.end(), key);
    return it == m_keys.end() ? -1 : int(it - m_keys.begin());
}

int EventRows::firstRowAt(const CSongDoc& song, int32_t tick) const
{
    const auto it = std::partition_point(m_keys.begin(), m_keys.end(), [&](EventRowKey key) {
        const CMidiEvent* event = eventOf(song, key);
        return event && event->tick < tick;
    });
    return int(it - m_keys.begin());
}

int EventRows::startRow(const CSongDoc& song) const
{
    const bool events = (song.selectionKind & kSelectEvents) && song.selectionFrom >= 0;
    return firstRowAt(song, events ? song.selectionFrom : song.position());
}

int EventRows::followRow(const CSongDoc& song, int row, int32_t position) const
{
    const auto tickOf = [&](int r) {
        const CMidiEvent* event = eventAt(song, r);
        return event ? event->tick : std::numeric_limits<int32_t>::max();
    };
    row = std::clamp(row, 0, size());
    // Back to the first row at the position, but a row among several at
    // the position (the one clicked) stays.
    while (row > 0 && tickOf(row - 1) > position)
        --row;
    if (tickOf(row) > position)
        while (row > 0 && tickOf(row - 1) == position)
            --row;
    while (row < size() && tickOf(row) < position)
        ++row;
    return row;
}

std::vector<std::pair<int, int>> EventRows::selectedRuns(const CSongDoc& song) const
{
    std::vector<std::pair<int, int>> runs;
    for (int row = 0; row < size(); ++row) {
        const CMidiEvent* event = eventAt(song, row);
        if (!event || !isEventSelected(song, *event))
            continue;
        if (!runs.empty() && runs.back().second == row - 1)
            runs.back().second = row;
        else
            runs.push_back({row, row});
    }
    return runs;
}

} // namespace rz
