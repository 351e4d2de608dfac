#pragma once

#include <cstdint>

namespace rz {

// What keeping the play position in sight needs to know, in pixel columns;
// 64 bits, since a clock-time axis at its finest scale outgrows 32.
struct FollowInput {
    int64_t playColumn = 0;       // song position / grid ticks
    int64_t origin = 0;           // the view's first visible column
    int64_t cursorColumn = -1;    // the play line drawn last, -1 none
    int plotWidth = 0;
    int64_t maxOrigin = 0;        // 0 when the song is shorter than the plot
    bool smoothScroll = true;     // keep the position centred while playing
    bool playing = false;
    bool centreLeftOfOrigin = false; // the clip view centres a position left of the origin
    int64_t measureEndColumn = 0; // end of the measure holding the position
    int32_t centre = -1;          // the centred play line's column from the origin; -1 half the plot
};

// How the view brings its window up to date.
enum class FollowRedraw {
    None,      // nothing changed
    MoveLine,  // erase the old play line, draw the new one
    Scroll,    // scroll the contents by `scrollBy`, then move the line
    Full,      // repaint everything
};

struct FollowResult {
    int64_t origin = 0;
    int64_t cursorColumn = -1;
    FollowRedraw redraw = FollowRedraw::None;
    int scrollBy = 0; // old origin - new origin, pixels
};

// The follow decision, pure: centred mode when smooth scrolling is on or the
// transport stands, else page mode, which moves nothing until the position
// reaches the middle and then brings the current measure's end there.
// Origins never go below 0 nor above the maximum origin.
FollowResult followStep(const FollowInput& in);

} // namespace rz
