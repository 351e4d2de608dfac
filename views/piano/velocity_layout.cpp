#include "views/piano/velocity_layout.h"

#include "core/muldiv.h"
#include "song/measure_map.h"

#include <algorithm>

namespace rz {

int VelocityLayout::yOfVelocity(int velocity) const
{
    const int h = keyHeight();
    return rows.noteTop - rows.firstRow * rows.rowHeight + h - MulDiv(velocity, h, kMaxVelocity);
}

int VelocityLayout::velocityAtY(int y) const
{
    const int h = std::max(keyHeight(), 1);
    const int64_t up = int64_t(rows.noteTop) - int64_t(rows.firstRow) * rows.rowHeight - y + h;
    const int32_t above = int32_t(std::clamp<int64_t>(up, INT32_MIN / kMaxVelocity, INT32_MAX / kMaxVelocity));
    return std::clamp(MulDiv(above, kMaxVelocity, h), 0, kMaxVelocity);
}

bool VelocityLayout::noteRowTop(int shownKey, int& top) const
{
    if (!PianoLayout::shownKey(shownKey))
        return false;
    top = rows.yOfKey(shownKey);
    return true;
}

int VelocityLayout::noteVelocity(int64_t value)
{
    return int(std::clamp<int64_t>(value, kMinNoteVelocity, kMaxVelocity));
}

int VelocityLayout::followCentre(int plotRight, int margin)
{
    return (plotRight - kSisterMargin) / 2 + kSisterMargin - margin;
}

int VelocityLayout::clickMarks(const MeasureRec& measure, int timeBase, int measurePixels, bool nextLabelled)
{
    if (!nextLabelled || measure.length <= 0)
        return 0;
    const int32_t perClick = std::max<int32_t>(int32_t(measure.clocksPerClick) * timeBase / 24, 1);
    int clicks = std::max<int32_t>(measure.length / perClick, 1);
    if (measurePixels / clicks < kMinClickPixels) {
        if (clicks % 3 == 0)
            clicks /= 3;
        else if (clicks % 2 == 0)
            clicks /= 2;
    }
    return measurePixels / clicks >= kMinClickPixels ? clicks : 0;
}

} // namespace rz
