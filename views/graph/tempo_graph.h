#pragma once

#include "song/tempo_map.h"
#include "views/graph/tempo_scale.h"

#include <QRect>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace rz {

// One corner of the drawn tempo curve.
struct CTempoPoint {
    uint32_t flags = 0; // the selection stamp of the point
    int32_t tick = 0;
    uint32_t tempo = kDefaultTempo; // µs per quarter note
};

// The tempo map as the tempo view draws it: straight segments between
// points in tick order. Ramps written one entry per column become one
// segment; every other change a step. Pure; GUI thread.
class TempoGraph {
public:
    // Makes the points from the map. `selectedFrom`..`selectedTo` (inclusive)
    // are the ticks of a tempo selection stamped `stamp`, or none.
    struct Selected {
        uint32_t stamp = 0;
        int32_t from = 0;
        int32_t to = -1;
    };
    void rebuild(const TempoMap& map, int32_t endTick, const TempoScale& scale,
                 std::optional<Selected> selected = std::nullopt);

    std::vector<CTempoPoint>& points() { return m_points; }
    const std::vector<CTempoPoint>& points() const { return m_points; }

    // Drops points that add nothing: a leading point sharing its tick with
    // the next, the middle of three at one tick or of one tempo, and the
    // second of two on one pixel.
    void SimplifyPoints(const TempoScale& scale);
    // The last point before `tick`, or 0; -1 with no points. Starts from
    // this graph's last answer.
    int FindPointIndex(int32_t tick);
    // The point within kHitRadius pixels of `at` either way, or -1.
    int HitTestPoint(QPoint at, const TempoScale& scale) const;
    // Stamps the points strictly inside `band` widened by 4 pixels; the
    // ticks the stamped points span, or none.
    std::optional<std::pair<int32_t, int32_t>> SelectInRect(QRect band, uint32_t stamp, const TempoScale& scale);
    // The first run of points stamped `stamp`: its first and last tick.
    std::optional<std::pair<int32_t, int32_t>> stampedRun(uint32_t stamp) const;

private:
    std::vector<CTempoPoint> m_points;
    int m_searchIndex = 0;
};

} // namespace rz
