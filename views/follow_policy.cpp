#include "views/follow_policy.h"

#include <algorithm>
#include <cstdlib>

namespace rz {
namespace {

int64_t centredOrigin(const FollowInput& in, int64_t origin, int64_t maxOrigin, int64_t half)
{
    const int64_t c = in.playColumn;
    if (c < int64_t(origin) + half && origin >= 1)
        return std::max<int64_t>(0, c - half);
    if (c > int64_t(origin) + half && origin < maxOrigin)
        return std::min<int64_t>(maxOrigin, c - half);
    return origin;
}

int64_t pagedOrigin(const FollowInput& in, int64_t origin, int64_t maxOrigin, int64_t half)
{
    if (in.playColumn < origin + half || origin >= maxOrigin)
        return origin;
    return std::max<int64_t>(0, std::min<int64_t>(maxOrigin, in.measureEndColumn - half));
}

} // namespace

FollowResult followStep(const FollowInput& in)
{
    const int width = std::max(in.plotWidth, 0);
    const int64_t half = width / 2;
    const int64_t maxOrigin = std::max<int64_t>(in.maxOrigin, 0);
    const int64_t origin = std::clamp<int64_t>(in.origin, 0, maxOrigin);

    const bool centred = in.smoothScroll || !in.playing
                         || (in.centreLeftOfOrigin && in.playColumn < origin);
    const int64_t centre = in.centre >= 0 ? in.centre : half;
    int64_t next = centred ? centredOrigin(in, origin, maxOrigin, centre)
                           : pagedOrigin(in, origin, maxOrigin, half);
    next = std::clamp<int64_t>(next, 0, maxOrigin);

    FollowResult out{.origin = next, .cursorColumn = in.cursorColumn};
    const int64_t moved = in.origin - next;
    if (next != in.origin) {
        out.cursorColumn = in.playColumn;
        if (std::llabs(moved) <= half) {
            out.redraw = FollowRedraw::Scroll;
            out.scrollBy = int(moved);
        } else {
            out.redraw = FollowRedraw::Full;
        }
        return out;
    }
    if (in.playColumn != in.cursorColumn) {
        out.cursorColumn = in.playColumn;
        out.redraw = FollowRedraw::MoveLine;
    }
    return out;
}

} // namespace rz
