#pragma once

#include "views/graph/control_curve.h"
#include "views/graph/tempo_graph.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace rz {

// What the controller and tempo graphs do alike to their points, whatever
// the point's level (a controller value, a tempo). GUI thread.

inline int32_t& levelOf(CControlPoint& p) { return p.value; }
inline int32_t levelOf(const CControlPoint& p) { return p.value; }
inline uint32_t& levelOf(CTempoPoint& p) { return p.tempo; }
inline uint32_t levelOf(const CTempoPoint& p) { return p.tempo; }

// A freehand stroke moved from `lastTick` to `tick`: the points passed over
// go and one stands at the tick.
template <class Point, class Level>
void freehandPointTo(std::vector<Point>& path, int32_t lastTick, int32_t tick, Level level)
{
    const int32_t low = std::min(lastTick, tick);
    const int32_t high = std::max(lastTick, tick);
    std::erase_if(path, [&](const Point& p) { return p.tick == tick || (p.tick > low && p.tick < high); });
    const auto at = std::lower_bound(path.begin(), path.end(), tick,
                                     [](const Point& p, int32_t t) { return p.tick < t; });
    path.insert(at, Point{0, tick, level});
}

// The ticks point `i` may be dragged between: the nearest earlier tick of
// another point (0 when none) and the nearest later one (its own when none).
template <class Point>
std::pair<int32_t, int32_t> dragTickBounds(const std::vector<Point>& points, size_t i)
{
    std::pair<int32_t, int32_t> bounds{0, points[i].tick};
    for (size_t k = i; k-- > 0;)
        if (points[k].tick != points[i].tick) {
            bounds.first = points[k].tick;
            break;
        }
    for (size_t k = i + 1; k < points.size(); ++k)
        if (points[k].tick > points[i].tick) {
            bounds.second = points[k].tick;
            break;
        }
    return bounds;
}

// Puts the dragged point `index` at `tick` and `level`. Its level partner
// takes the level unless the Alt role holds it; its tick partner follows,
// with the Alt role only when the point would cross it. True when the point
// stands elsewhere than `saved`.
template <class Point, class Level>
bool placeDraggedPoint(std::vector<Point>& points, int index, const Point& saved, int32_t tick, Level level,
                       int levelPartner, int tickPartner, bool altRole)
{
    Point& point = points[size_t(index)];
    point.tick = tick;
    levelOf(point) = level;
    if (levelPartner >= 0 && !altRole)
        levelOf(points[size_t(levelPartner)]) = level;
    if (tickPartner >= 0) {
        Point& partner = points[size_t(tickPartner)];
        const bool after = tickPartner > index;
        if (!altRole || (after ? tick > partner.tick : tick < partner.tick))
            partner.tick = tick;
    }
    return point.tick != saved.tick || levelOf(point) != levelOf(saved);
}

} // namespace rz
