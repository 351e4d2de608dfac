#pragma once

#include "song/measure_map.h"

#include <functional>
#include <string>

namespace rz {

// Decides which measures carry a number on the ruler: a label is set only
// where the measures from it up to the next label are wider, in columns,
// than its text plus 4 pixels. Pure; the caller holds the SongMutex while
// it writes the map's label flags.
class MeasureLabeler {
public:
    using TextWidth = std::function<int(const std::string&)>;

    // The ruler text of a measure: number and upper-case letter, or the
    // letter alone for number 0.
    static std::string labelText(const MeasureRec& measure);
    // Sets and clears the label flag of every measure; returns how many carry one.
    static int apply(MeasureMap& map, int32_t gridTicks, const TextWidth& textWidth);
};

} // namespace rz
