#include "set/lyric_follower.h"

#include <algorithm>

namespace rz {

namespace {

constexpr int kBounce = 42;

LyricRect ballRect(int x, int y, const LyricFollowInput& input, int scroll)
{
    const int left = x + input.leftMargin;
    const int top = y - scroll;
    return {left, top, left + kLyricBallSize, top + kLyricBallSize};
}

} // namespace

LyricFollowResult followLyrics(const std::vector<LyricItem>& items, const LyricPages& pages,
                               const LyricFollowInput& input, const LyricFollowState& state)
{
    LyricFollowResult result;
    result.state = state;
    LyricFollowState& s = result.state;
    const int last = int(items.size()) - 1;
    if (last <= 1)
        return result;
    const int32_t p = input.position;

    int c = s.currentItem;
    while (c >= 0 && (c > last || items[size_t(c)].tick > p))
        --c;
    while (c + 1 <= last && items[size_t(c) + 1].tick <= p)
        ++c;
    s.currentItem = c;

    const int pageCount = pages.pageCount();
    int page = s.currentPage;
    while (page >= 0 && (page >= pageCount || pages.starts[size_t(page)] > c))
        --page;
    while (page + 1 < pageCount && pages.starts[size_t(page) + 1] <= c)
        ++page;
    if (page != s.currentPage) {
        s.currentPage = page;
        result.pageChanged = true;
        result.repaintAll = true;
        s.pageHeight = 0;
        if (page >= 0 && pages.starts[size_t(page) + 1] > pages.starts[size_t(page)])
            s.pageHeight = items[size_t(pages.starts[size_t(page) + 1]) - 1].rect.bottom;
        s.scrollEnabled = input.clientHeight < s.pageHeight;
        if (s.scrollOffset != 0)
            result.scrollChanged = true;
        s.scrollOffset = 0;
    }

    int x0 = 0, y0 = 0;
    int32_t tick0 = 0;
    if (c >= 0) {
        const LyricItem& item = items[size_t(c)];
        tick0 = item.tick;
        x0 = item.rect.centreX() - 4;
        y0 = item.rect.top - kLyricBallRoom;
    }
    int ballX = x0;
    int ballY = y0 + (c >= 0 ? kBounce : 0);
    int straightY = y0;
    if (page >= 0 && c >= 0 && c < last) {
        const LyricItem& next = items[size_t(c) + 1];
        const int64_t dt = int64_t(next.tick) - tick0;
        int dx = 0, dy = 0;
        if (c + 1 != pages.starts[size_t(page) + 1]) {
            dx = next.rect.centreX() - x0 - 4;
            dy = next.rect.top - kLyricBallRoom - y0;
        }
        if (dt > 0) {
            const int64_t e = int64_t(p) - tick0;
            const double f = double(e) / double(dt);
            const double rise = 2.0 * (0.5 - f);
            ballX = x0 + int(e * dx / dt);
            straightY = y0 + int(e * dy / dt);
            ballY = straightY + int(kBounce * rise * rise);
        }
    }

    if (ballX != s.ballX || ballY != s.ballY) {
        if (input.style == kLyricBall) {
            result.repaint.push_back(ballRect(s.ballX, s.ballY, input, s.scrollOffset));
        }
        s.ballX = ballX;
        s.ballY = ballY;
        if (s.pageHeight > input.clientHeight) {
            const int offset = std::clamp((straightY + kLyricBallRoom) - input.clientHeight / 2, 0,
                                          s.pageHeight - input.clientHeight);
            if (offset != s.scrollOffset) {
                s.scrollOffset = offset;
                result.scrollChanged = true;
                result.repaintAll = true;
            }
        }
        if (input.style == kLyricBall)
            result.repaint.push_back(ballRect(s.ballX, s.ballY, input, s.scrollOffset));
    }
    if (input.style != kLyricBall && c != s.lastDrawnItem) {
        s.lastDrawnItem = c;
        result.repaintAll = true;
    }
    return result;
}

} // namespace rz
