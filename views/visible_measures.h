#pragma once

#include "song/measure_map.h"

#include <cstdint>

namespace rz {

class CSongDoc;

// The measures a paint draws between two ticks, from the one holding
// `fromTick` to the one holding `toTick`. While the transport runs the timer
// thread grows the map (recording), so the copy is taken under the
// SongMutex; stopped, nothing else changes it and no lock is taken. Empty
// when the lock's wait ran out. GUI thread.
MeasureMap visibleMeasures(const CSongDoc& song, int32_t fromTick, int32_t toTick);

} // namespace rz
