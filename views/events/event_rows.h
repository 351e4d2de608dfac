#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace rz {

class CSongDoc;
class CTrack;
struct CMidiEvent;

// One row of the event list: a track row of the track view and the event's
// index in that track.
struct EventRowKey {
    int track = 0;
    int index = 0;
    bool operator==(const EventRowKey&) const = default;
};

// Which events the list shows: bit n of the mask stands for the kind byte's
// high nibble n (notes bit 9, controllers bit 11, RPN bit 1, NRPN bit 2, meta
// and system exclusive bit 15); a controller number keeps only that
// controller, -1 every one.
struct EventFilter {
    static constexpr uint16_t kAllKinds = 0xFFFF;
    uint16_t mask = kAllKinds;
    int controller = -1;

    bool shows(const CMidiEvent& event) const;
};

// Whether an event carries the song's selection stamp.
bool isEventSelected(const CSongDoc& song, const CMidiEvent& event);

// The event list's rows: the events of the shown tracks merged by tick,
// equal ticks in track order. Holds keys only; the events stay the song's.
// GUI thread; the follow look-ups also run under the SongMutex on the
// refresh thread.
class EventRows {
public:
    // The shown tracks are the track view's selected rows. Events the filter
    // hides lose their selection.
    void rebuild(CSongDoc& song, const EventFilter& filter);
    void clear();

    int size() const { return int(m_keys.size()); }
    const std::vector<EventRowKey>& keys() const { return m_keys; }
    const std::vector<int>& shownTracks() const { return m_tracks; }
    // The event of a row; null when the row or its index lies past the end.
    static const CMidiEvent* eventOf(const CSongDoc& song, EventRowKey key);
    const CMidiEvent* eventAt(const CSongDoc& song, int row) const;
    // The row of the event `index` of track `track`; -1 when not listed.
    int rowOf(EventRowKey key) const;

    // The first row whose tick is at or after `tick`; size() when none.
    int firstRowAt(const CSongDoc& song, int32_t tick) const;
    // Where the play row starts: the position, or the start of an event
    // selection.
    int startRow(const CSongDoc& song) const;
    // The play row moved from `row` to `position`: back to the first row at
    // or after it, on past the rows before it; a row at the position stays.
    int followRow(const CSongDoc& song, int row, int32_t position) const;
    // Runs of selected rows (first, last), in order.
    std::vector<std::pair<int, int>> selectedRuns(const CSongDoc& song) const;

private:
    std::vector<EventRowKey> m_keys;
    std::vector<int> m_tracks;
};

} // namespace rz
