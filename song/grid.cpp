#include "song/grid.h"

#include <algorithm>

namespace rz {

int GridFamilyFor(int timeBase)
{
    if (timeBase % 5 == 0)
        return 0;
    if (timeBase % 7 == 0)
        return 3;
    if (timeBase % 9 == 0)
        return 2;
    if (timeBase % 3 == 0)
        return 1;
    return 4;
}

int gridDivisions(int family, int zoom)
{
    const size_t row = size_t(std::clamp(family, 0, kGridFamilies - 1));
    const size_t column = size_t(std::clamp(zoom, 0, kTimeZoomLevels - 1));
    return kGridTable[row][column];
}

int32_t GridTicks(int timeBase, int family, int zoom)
{
    const int d = gridDivisions(family, zoom);
    if (d > timeBase)
        return 1;
    return std::max(timeBase / d, 1);
}

} // namespace rz
