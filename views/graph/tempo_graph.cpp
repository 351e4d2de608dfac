#include "views/graph/tempo_graph.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace rz {
namespace {

constexpr size_t kRampMinEntries = 4;
constexpr int64_t kRampGapColumns = 2;   // most columns between ramp entries
constexpr int64_t kJoinColumns = 8;      // an entry this close before a ramp joins it
constexpr int64_t kHitColumns = 4;
constexpr int kBandGrow = 4;
constexpr double kRampTolerance = 1.0;   // in units of 6,000,000 / u

double rampValue(const TempoEntry& entry)
{
    return 6000000.0 / double(std::max<uint32_t>(entry.tempo, 1));
}

int direction(const TempoEntry& a, const TempoEntry& b)
{
    const double d = rampValue(b) - rampValue(a);
    return d > 0 ? 1 : (d < 0 ? -1 : 0);
}

// Whether the entries first..last lie on the line through the first with
// the slope of the last pair.
bool onLine(const TempoMap& map, size_t first, size_t last)
{
    const TempoEntry& a = map[last - 1];
    const TempoEntry& b = map[last];
    const double slope = (rampValue(b) - rampValue(a)) / double(int64_t(b.tick) - a.tick);
    for (size_t m = first + 1; m < last; ++m) {
        const double line = rampValue(map[first]) + slope * double(int64_t(map[m].tick) - map[first].tick);
        if (std::abs(rampValue(map[m]) - line) > kRampTolerance)
            return false;
    }
    return true;
}

// The last entry of the ramp that starts at `start`; `start` when none does.
size_t rampEnd(const TempoMap& map, size_t start, int64_t grid, int& dir)
{
    size_t end = start;
    dir = 0;
    while (end + 1 < map.size()) {
        const int64_t gap = int64_t(map[end + 1].tick) - map[end].tick;
        const int d = direction(map[end], map[end + 1]);
        if (gap <= 0 || gap > kRampGapColumns * grid || d == 0 || (dir != 0 && d != dir))
            break;
        if (end + 1 - start >= 2 && !onLine(map, start, end + 1))
            break;
        dir = d;
        ++end;
    }
    return end;
}

struct Group {
    size_t first = 0;
    size_t last = 0;
    bool ramp = false;
};

std::vector<Group> groupEntries(const TempoMap& map, int64_t grid)
{
    std::vector<Group> groups;
    for (size_t i = 0; i < map.size();) {
        int dir = 0;
        const size_t end = rampEnd(map, i, grid, dir);
        if (end - i + 1 < kRampMinEntries) {
            groups.push_back({i, i, false});
            ++i;
            continue;
        }
        Group ramp{i, end, true};
        if (!groups.empty() && !groups.back().ramp && i > 0
            && int64_t(map[i].tick) - map[i - 1].tick < kJoinColumns * grid
            && direction(map[i - 1], map[i]) == dir && onLine(map, i - 1, end)) {
            groups.pop_back();
            ramp.first = i - 1;
        }
        groups.push_back(ramp);
        i = end + 1;
    }
    return groups;
}

} // namespace

void TempoGraph::rebuild(const TempoMap& map, int32_t endTick, const TempoScale& scale,
                         std::optional<Selected> selected)
{
    m_points.clear();
    m_points.reserve(map.size() * 2 + 1);
    const int64_t grid = std::max<int32_t>(scale.axis.gridTicks, 1);
    bool lastWasStep = false; // the last point is a step's, which a close change may move
    auto change = [&](const TempoEntry& entry) {
        if (m_points.empty()) {
            m_points.push_back({0, entry.tick, entry.tempo});
            return;
        }
        CTempoPoint& previous = m_points.back();
        if (lastWasStep && m_points.size() > 1 && int64_t(entry.tick) - previous.tick < kJoinColumns * grid)
            previous.tick = entry.tick;
        else
            m_points.push_back({0, entry.tick, previous.tempo});
        m_points.push_back({0, entry.tick, entry.tempo});
    };
    for (const Group& group : groupEntries(map, grid)) {
        change(map[group.first]);
        lastWasStep = !group.ramp;
        if (group.ramp)
            m_points.push_back({0, map[group.last].tick, map[group.last].tempo});
    }
    if (!m_points.empty()) {
        const CTempoPoint last = m_points.back();
        const int64_t close = std::max<int64_t>(endTick, int64_t(last.tick) + grid);
        m_points.push_back({0, int32_t(std::min<int64_t>(close, INT32_MAX)), last.tempo});
    }
    if (selected)
        for (CTempoPoint& point : m_points)
            if (point.tick >= selected->from && point.tick <= selected->to)
                point.flags = selected->stamp;
    SimplifyPoints(scale);
}

// Walks the points once, keeping the kept ones on a stack: a removal looks
// again at the window before it, which never reaches below the first point.
void TempoGraph::SimplifyPoints(const TempoScale& scale)
{
    if (m_points.size() < 3)
        return;
    std::vector<CTempoPoint> kept;
    kept.reserve(m_points.size());
    auto dropMiddle = [&kept] {
        kept[kept.size() - 2] = kept.back();
        kept.pop_back();
    };
    for (const CTempoPoint& point : m_points) {
        kept.push_back(point);
        while (kept.size() >= 3) {
            const size_t i = kept.size() - 3;
            CTempoPoint& a = kept[i];
            CTempoPoint& b = kept[i + 1];
            CTempoPoint& c = kept[i + 2];
            if (i == 0 && a.tick == b.tick)
                kept.erase(kept.begin());
            else if (a.tick == c.tick || (a.tempo == b.tempo && b.tempo == c.tempo))
                dropMiddle();
            else if (scale.pointOf(a.tick, a.tempo) == scale.pointOf(b.tick, b.tempo)) {
                if (c.tempo == b.tempo)
                    c.tempo = a.tempo;
                dropMiddle();
            } else
                break;
        }
    }
    m_points = std::move(kept);
    m_searchIndex = std::min(m_searchIndex, int(m_points.size()) - 1);
}

int TempoGraph::FindPointIndex(int32_t tick)
{
    if (m_points.empty())
        return -1;
    if (tick == 0)
        return 0;
    const int last = int(m_points.size()) - 1;
    int index = std::clamp(m_searchIndex, 0, last);
    while (index < last && m_points[size_t(index)].tick < tick)
        ++index;
    while (index > 0 && m_points[size_t(index)].tick >= tick)
        --index;
    m_searchIndex = index;
    return index;
}

int TempoGraph::HitTestPoint(QPoint at, const TempoScale& scale) const
{
    const int64_t tick = scale.axis.tickOfX(at.x());
    const int64_t span = kHitColumns * std::max<int32_t>(scale.axis.gridTicks, 1);
    auto near = [&](const CTempoPoint& p) {
        const QPoint q = scale.pointOf(p.tick, p.tempo);
        return std::abs(int64_t(q.x()) - at.x()) <= TempoScale::kHitRadius
               && std::abs(int64_t(q.y()) - at.y()) <= TempoScale::kHitRadius;
    };
    const auto start = std::lower_bound(m_points.begin(), m_points.end(), tick,
                                        [](const CTempoPoint& p, int64_t t) { return p.tick < t; });
    for (auto it = start; it != m_points.end() && it->tick < tick + span; ++it)
        if (near(*it))
            return int(it - m_points.begin());
    for (auto it = start; it != m_points.begin();) {
        --it;
        if (it->tick < tick - span)
            break;
        if (near(*it))
            return int(it - m_points.begin());
    }
    return -1;
}

std::optional<std::pair<int32_t, int32_t>> TempoGraph::SelectInRect(QRect band, uint32_t stamp,
                                                                   const TempoScale& scale)
{
    const QRect wide = band.normalized().adjusted(-kBandGrow, -kBandGrow, kBandGrow, kBandGrow);
    std::optional<std::pair<int32_t, int32_t>> range;
    for (CTempoPoint& point : m_points) {
        const QPoint at = scale.pointOf(point.tick, point.tempo);
        if (at.x() <= wide.left() || at.x() >= wide.right() || at.y() <= wide.top() || at.y() >= wide.bottom())
            continue;
        point.flags = stamp;
        if (!range)
            range = std::pair{point.tick, point.tick};
        range->first = std::min(range->first, point.tick);
        range->second = std::max(range->second, point.tick);
    }
    return range;
}

std::optional<std::pair<int32_t, int32_t>> TempoGraph::stampedRun(uint32_t stamp) const
{
    const auto first = std::find_if(m_points.begin(), m_points.end(),
                                    [stamp](const CTempoPoint& p) { return p.flags == stamp; });
    if (first == m_points.end())
        return std::nullopt;
    auto last = first;
    while (last + 1 != m_points.end() && (last + 1)->flags == stamp)
        ++last;
    return std::pair{first->tick, last->tick};
}

} // namespace rz
