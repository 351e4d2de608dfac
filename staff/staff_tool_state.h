#pragma once

#include <cstdint>

namespace rz {

// The staff and lyric tool state the frame keeps for the staff and lyric
// views, read at creation and written on close.
struct StaffToolState {
    bool grid = true;
    int tool = 0;     // 0 select, 1 draw
    int line = 0;     // 0 straight lines, 1 free-hand
    int noteType = 2; // 0 whole .. 5 thirty-second; negative for the other tools
    bool dotted = false;
    bool triplet = false;
    bool accidentals = false;
    int lyricTool = 0; // 0 bouncing ball .. 3 object grid
    int32_t duration = 0;   // note duration, ticks; 0 until a song gives a time base
    int gridResolution = 240; // per quarter note of 240
};

} // namespace rz
