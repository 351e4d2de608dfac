#include "views/visible_measures.h"

#include "core/engine_link.h"
#include "core/locks.h"
#include "song/song_doc.h"

#include <algorithm>

namespace rz {
namespace {

MeasureMap copyRange(const MeasureMap& map, int32_t fromTick, int32_t toTick)
{
    if (map.empty() || toTick < fromTick)
        return {};
    const size_t first = size_t(std::max(FindMeasure(map, fromTick), 0));
    const size_t last = size_t(std::max(FindMeasure(map, toTick), 0));
    if (first >= map.size() || last < first)
        return {};
    return MeasureMap(map.begin() + std::ptrdiff_t(first), map.begin() + std::ptrdiff_t(std::min(last + 1, map.size())));
}

} // namespace

MeasureMap visibleMeasures(const CSongDoc& song, int32_t fromTick, int32_t toTick)
{
    if (song.context().engine.transportState() == TransportState::Stopped)
        return copyRange(song.measureMap, fromTick, toTick);
    LockGuard guard(SongMutex(), "measure copy", song.context().lockWait);
    if (!guard)
        return {};
    return copyRange(song.measureMap, fromTick, toTick);
}

} // namespace rz
