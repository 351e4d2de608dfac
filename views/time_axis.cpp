#include "views/time_axis.h"

#include "song/grid.h"
#include "song/song_doc.h"

#include <algorithm>
#include <limits>

namespace rz {

int clampToInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

TimeAxis TimeAxis::forSong(const CSongDoc& song, int plotLeft, int32_t origin)
{
    return TimeAxis{.gridTicks = std::max<int32_t>(song.GetGridTicks(), 1),
                    .plotLeft = plotLeft,
                    .origin = std::max<int32_t>(origin, 0)};
}

int32_t TimeAxis::gridTicksFor(int timeBase, int timeZoom)
{
    return std::max<int32_t>(GridTicks(timeBase, GridFamilyFor(timeBase), timeZoom), 1);
}

int32_t TimeAxis::columnOf(int32_t tick) const
{
    return tick / std::max<int32_t>(gridTicks, 1);
}

int TimeAxis::xOfTick(int32_t tick) const
{
    return clampToInt(int64_t(columnOf(tick)) - origin + plotLeft);
}

int32_t TimeAxis::tickOfX(int x) const
{
    return clampToInt((int64_t(x) - plotLeft + origin) * std::max<int32_t>(gridTicks, 1));
}

int32_t TimeAxis::maxOrigin(int32_t endTick, int plotWidth) const
{
    return clampToInt(std::max<int64_t>(0, int64_t(scrollMax(endTick)) - std::max(plotWidth, 0)));
}

int32_t snapUnit(int snapValue, int timeBase)
{
    return clampToInt(std::max<int64_t>(1, int64_t(snapValue) * timeBase / 240));
}

int32_t snapFrom(int32_t tick, int32_t measureStart, int32_t unit)
{
    const int64_t step = std::max<int32_t>(unit, 1);
    const int64_t offset = int64_t(tick) - measureStart + step / 2;
    // Floor division keeps ticks before the measure start on the grid too.
    const int64_t units = offset >= 0 ? offset / step : -((-offset + step - 1) / step);
    return clampToInt(units * step + measureStart);
}

int32_t snapInMap(const MeasureMap& map, int32_t tick, int32_t unit)
{
    const int index = FindMeasure(map, tick);
    return snapFrom(tick, index < 0 ? 0 : map[size_t(index)].start, unit);
}

} // namespace rz
