#include "engine/recorder.h"

#include <algorithm>

namespace rz {

void Recorder::reserveMeasureRoom(MeasureMap& map)
{
    map.reserve(std::min(map.size() + kTakeMeasureRoom, kMaxMeasures));
}

int32_t Recorder::growMeasureMap(MeasureMap& map, int32_t position)
{
    int32_t end = -1;
    while (needsMeasure(map, position))
        end = ExtendMeasureMap(map, map.back().start + 1);
    return end;
}

} // namespace rz
