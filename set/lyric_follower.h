#pragma once

#include "set/lyric_layout.h"
#include "set/lyric_model.h"

#include <cstdint>
#include <vector>

namespace rz {

inline constexpr int kLyricBallSize = 9;

// Where the lyric view stands in its song; kept between follow steps.
struct LyricFollowState {
    int currentItem = -1;
    int currentPage = -1;
    int lastDrawnItem = -1; // the item a highlight style showed last
    int ballX = 0, ballY = 0; // page pixels
    int pageHeight = 0;
    int scrollOffset = 0;
    bool scrollEnabled = false;
};

struct LyricFollowInput {
    int32_t position = 0;
    int clientWidth = 0;
    int clientHeight = 0;
    int leftMargin = 50;
    int style = kLyricBall;
};

struct LyricFollowResult {
    LyricFollowState state;
    bool pageChanged = false;    // load the page's picture, set the scroll range
    bool scrollChanged = false;
    bool repaintAll = false;
    std::vector<LyricRect> repaint; // client pixels
};

// One follow step: the item and page due at the position, the ball, the
// scroll offset and what needs repainting.
LyricFollowResult followLyrics(const std::vector<LyricItem>& items, const LyricPages& pages,
                               const LyricFollowInput& input, const LyricFollowState& state);

} // namespace rz
