#pragma once

#include "engine/record_take.h"
#include "song/measure_map.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rz {

class CSongDoc;

// The recorder's state: whether a take runs, the take itself, where it
// started and the input it lost. The engine's record command, echo and
// stop drive it; the measure map rules of a take live here too.
class Recorder {
public:
    // Room made in the measure map at the start of a take: hours of 4/4 at
    // any usual tempo, 32 bytes a measure.
    static constexpr size_t kTakeMeasureRoom = 16384;

    bool recording() const { return m_recording.load(std::memory_order_acquire); }
    void setRecording(bool recording) { m_recording.store(recording, std::memory_order_release); }

    // Makes the room a take may grow the map into. Not while a tick reads it.
    static void reserveMeasureRoom(MeasureMap& map);
    // The same room in a copy of the map, for a take begun while the
    // transport runs: the tick swaps it in (swapMeasureRoom), since only the
    // tick may move the map it reads. GUI thread, not recording.
    void prepareMeasureRoom(const CSongDoc& song);
    // Timer thread, under the SongMutex: the prepared copy becomes the
    // song's map, and the old map waits here for dropMeasureRoom. Nothing is
    // allocated or freed. False when no copy for this song waits.
    bool swapMeasureRoom(CSongDoc& song);
    bool measureRoomPending() const { return m_roomPending.load(std::memory_order_acquire); }
    // GUI thread, no tick running: frees what the take left.
    void dropMeasureRoom();
    // While the position lies past the last measure's start the map gains
    // copies of it, numbered on, as long as the room lasts: nothing moves.
    // Returns the map's new end, or -1 when nothing was added.
    static int32_t growMeasureMap(MeasureMap& map, int32_t position);
    // True when growMeasureMap would add a measure.
    static bool needsMeasure(const MeasureMap& map, int32_t position)
    {
        return !map.empty() && map.back().start < position && map.size() < map.capacity();
    }

    // Under the ThruMutex.
    std::vector<TakeEvent> take;
    // The song position where the take started, ticks. GUI thread.
    int32_t recordStart = 0;
    // Input neither echoed nor recorded because the ThruMutex wait timed out.
    std::atomic<uint64_t> lostInputs{0};
    // Set by the GUI thread when a take begins while the song plays; the
    // next playback tick joins the take in (joinTake) and clears it.
    std::atomic<bool> joinPending{false};

private:
    std::atomic<bool> m_recording{false};
    // The tick touches these only while m_roomPending is set.
    MeasureMap m_room;
    const CSongDoc* m_roomSong = nullptr;
    std::atomic<bool> m_roomPending{false};
};

} // namespace rz
