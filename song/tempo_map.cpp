#include "song/tempo_map.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace rz {

namespace {

// Guards against a map edited around the setters and a song without a time
// base: both would divide by zero.
double tempoOf(const TempoEntry& entry)
{
    assert(entry.tempo >= kMinTempo);
    return double(std::max(entry.tempo, kMinTempo));
}

double ticksPerQuarter(int timeBase)
{
    assert(timeBase >= 1);
    return double(std::max(timeBase, 1));
}

} // namespace

int FindTempoIndex(const TempoMap& map, int32_t tick)
{
    if (map.size() < 2)
        return 0;
    auto after = std::upper_bound(map.begin() + 1, map.end(), tick,
                                  [](int32_t t, const TempoEntry& e) { return t < e.tick; });
    return int(after - map.begin()) - 1;
}

int FindTempoIndexByTime(const TempoMap& map, double time)
{
    if (map.size() < 2)
        return 0;
    auto after = std::upper_bound(map.begin() + 1, map.end(), time,
                                  [](double t, const TempoEntry& e) { return t < e.time; });
    return int(after - map.begin()) - 1;
}

double TickToTime(const TempoMap& map, int timeBase, int32_t tick)
{
    if (map.empty())
        return double(tick) * kDefaultTempo / ticksPerQuarter(timeBase);
    const TempoEntry& e = map[size_t(FindTempoIndex(map, tick))];
    return double(tick - e.tick) * tempoOf(e) / ticksPerQuarter(timeBase) + e.time;
}

int32_t TimeToTick(const TempoMap& map, int timeBase, double time)
{
    TempoEntry start;
    if (!map.empty())
        start = map[size_t(FindTempoIndexByTime(map, time))];
    const double ticks =
        std::trunc((time - start.time) * ticksPerQuarter(timeBase) / tempoOf(start) + 0.9999);
    const double tick = double(start.tick) + ticks;
    constexpr double kMax = std::numeric_limits<int32_t>::max();
    constexpr double kMin = std::numeric_limits<int32_t>::min();
    return int32_t(std::clamp(std::isnan(tick) ? 0.0 : tick, kMin, kMax));
}

void RecalcTempoTimes(TempoMap& map, int timeBase)
{
    if (map.empty())
        return;
    map[0].time = 0.0;
    for (size_t i = 1; i < map.size(); ++i) {
        const TempoEntry& prev = map[i - 1];
        map[i].time =
            prev.time + double(map[i].tick - prev.tick) * tempoOf(prev) / ticksPerQuarter(timeBase);
    }
}

} // namespace rz
