#include "engine/recorder.h"

#include "song/song_doc.h"

#include <algorithm>

namespace rz {

void Recorder::reserveMeasureRoom(MeasureMap& map)
{
    map.reserve(std::min(map.size() + kTakeMeasureRoom, kMaxMeasures));
}

void Recorder::prepareMeasureRoom(const CSongDoc& song)
{
    MeasureMap room;
    room.reserve(std::min(song.measureMap.size() + kTakeMeasureRoom, kMaxMeasures));
    room.assign(song.measureMap.begin(), song.measureMap.end());
    m_room = std::move(room);
    m_roomSong = &song;
    m_roomPending.store(true, std::memory_order_release);
}

bool Recorder::swapMeasureRoom(CSongDoc& song)
{
    if (!measureRoomPending())
        return false;
    const bool ours = m_roomSong == &song;
    if (ours)
        song.measureMap.swap(m_room);
    m_roomPending.store(false, std::memory_order_release);
    return ours;
}

void Recorder::dropMeasureRoom()
{
    m_roomPending.exchange(false, std::memory_order_acq_rel);
    MeasureMap().swap(m_room);
    m_roomSong = nullptr;
}

int32_t Recorder::growMeasureMap(MeasureMap& map, int32_t position)
{
    int32_t end = -1;
    while (needsMeasure(map, position))
        end = ExtendMeasureMap(map, map.back().start + 1);
    return end;
}

} // namespace rz
