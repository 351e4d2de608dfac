#include "views/drag_autoscroll.h"

#include <algorithm>

namespace rz {

AutoscrollStep autoscrollStep(const AutoscrollInput& in)
{
    const int64_t maxOrigin = std::max<int64_t>(in.maxOrigin, 0);
    int64_t origin = std::clamp<int64_t>(in.origin, 0, maxOrigin);
    if (in.mouseX < in.plotLeft && origin > 0)
        origin = std::max<int64_t>(0, origin - (int64_t(in.plotLeft) - in.mouseX));
    else if (in.mouseX >= in.plotRight && origin < maxOrigin)
        origin = std::min<int64_t>(maxOrigin, origin + (int64_t(in.mouseX) - in.plotRight));

    int row = in.firstRow;
    if (in.rows) {
        if (in.mouseY < in.rowsTop && row > 0)
            --row;
        else if (in.mouseY >= in.plotBottom && row < in.maxFirstRow)
            ++row;
    }
    return AutoscrollStep{.origin = origin,
                          .firstRow = row,
                          .moved = origin != in.origin || row != in.firstRow};
}

int edgeScrollStep(int pointer, int low, int high, int pos, int maxPos, int unit)
{
    const int64_t step = std::max(unit, 1);
    int64_t next = pos;
    if (pointer < low)
        next -= (int64_t(low) - pointer + step - 1) / step;
    else if (pointer >= high)
        next += (int64_t(pointer) - high + 1 + step - 1) / step;
    return int(std::clamp<int64_t>(next, 0, std::max(maxPos, 0)));
}

} // namespace rz
