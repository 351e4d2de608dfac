#include "app/note_duration.h"

#include <algorithm>

namespace rz {
namespace {

constexpr int kLastType = 5;
constexpr int kGridPerQuarter = 240;
constexpr int kTripletGrid = 160;

} // namespace

NoteLength noteLength(const NoteValue& value, int timeBase)
{
    const int32_t base = std::max(timeBase, 1);
    NoteLength length;
    length.duration = base * 4 >> std::clamp(value.type, 0, kLastType);
    if (value.dotted) {
        length.duration = length.duration * 3 / 2;
        length.grid = length.duration < 2 * base ? length.duration / 3 * kGridPerQuarter / base
                                                 : kGridPerQuarter;
    } else if (value.triplet) {
        length.duration = length.duration * 2 / 3;
        length.grid = length.duration < base ? length.duration * kGridPerQuarter / base
                                             : kTripletGrid;
    } else {
        length.grid = length.duration < base ? length.duration * kGridPerQuarter / base
                                             : kGridPerQuarter;
    }
    return length;
}

NoteValue noteValueOf(int32_t duration, int timeBase)
{
    int64_t length = int64_t(std::max(timeBase, 1)) * 4;
    for (int type = 0; type <= kLastType; ++type) {
        if (duration >= length)
            return {type, false, false};
        if (type < kLastType && int64_t(duration) * 4 >= length * 3)
            return {type + 1, true, false};
        if (int64_t(duration) * 3 >= length * 2)
            return {type, false, true};
        length /= 2;
    }
    return {kLastType, false, false};
}

} // namespace rz
