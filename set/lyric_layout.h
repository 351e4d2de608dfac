#pragma once

#include "set/lyric_model.h"

#include <string>
#include <string_view>
#include <vector>

namespace rz {

// Measures text for the layout; the widget answers with its font metrics,
// tests with a fixed width per character.
class ITextMeasurer {
public:
    virtual ~ITextMeasurer() = default;
    virtual int textWidth(std::string_view text, const LyricFont& font) const = 0;
    virtual int fontHeight(const LyricFont& font) const = 0;
};

// Room above a line for the bouncing ball.
inline constexpr int kLyricBallRoom = 50;

struct LyricLayoutParams {
    int clientWidth = 0;
    int clientHeight = 0;
    int leftMargin = 50;  // time labels
    int rightMargin = 17; // the zoom scroll bar
    int style = kLyricBall;
    bool paginate = false;
    bool centre = false;
    LyricFont font;
    std::string picture; // the default page picture
};

struct LyricPages {
    // Item index where each page starts, then the item count.
    std::vector<int> starts{0};
    std::vector<std::string> pictures; // one per page
    int pageCount() const { return int(starts.size()) - 1; }
};

// Height of a line of text in the view's font and style.
int lyricLineHeight(int fontHeight, int style);

// Places the items on pages and aligns them; the items' rectangles are in page
// pixels, x from the left edge of the text area.
LyricPages layoutLyricItems(std::vector<LyricItem>& items, std::string_view title,
                            const LyricLayoutParams& params, const ITextMeasurer& measurer);

} // namespace rz
