#include "song/measure_map.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

namespace rz {

namespace {

// A stored length below one tick only comes from a map edited around the
// setters; walking it would never end.
int32_t walkLength(const MeasureRec& m)
{
    assert(m.length >= 1);
    return std::max(m.length, int32_t(1));
}

int32_t measureEnd(const MeasureRec& m)
{
    const int64_t end = int64_t(m.start) + walkLength(m);
    return int32_t(std::min<int64_t>(end, INT32_MAX));
}

} // namespace

void MeasureRec::Set(int32_t startTick, int32_t lengthTicks)
{
    start = startTick;
    length = lengthTicks;
    number = 1;
    letter = 0;
    last = 0;
}

bool MeasureRec::setMeter(int numeratorValue, int denominatorPower)
{
    const int n = std::clamp(numeratorValue, 1, kMaxNumerator);
    const int p = std::clamp(denominatorPower, 0, kMaxDenominatorPower);
    numerator = uint8_t(n);
    denominator = uint8_t(1 << p);
    return n == numeratorValue && p == denominatorPower;
}

void FitMeter(MeasureRec& measure, int64_t length, int timeBase)
{
    int power = 0;
    while (power < kMaxDenominatorPower && (2 << power) <= measure.denominator)
        ++power;
    auto beatOf = [&](int p) { return std::max<int64_t>(int64_t(4) * timeBase / (int64_t(1) << p), 1); };
    length = std::max<int64_t>(length, 1);
    while (power < kMaxDenominatorPower && length % beatOf(power) != 0)
        ++power;
    auto beatsIn = [&](int p) { return (length + beatOf(p) / 2) / beatOf(p); };
    while (power > 0 && beatsIn(power) > kMaxNumerator)
        --power;
    measure.setMeter(int(std::clamp<int64_t>(beatsIn(power), 1, kMaxNumerator)), power);
}

int32_t measureLength(int timeBase, int numerator, int denominator)
{
    assert(numerator >= 1 && denominator >= 1);
    const int64_t beat = int64_t(4) * timeBase / std::max(denominator, 1);
    const int64_t length = beat * std::max(numerator, 1);
    return int32_t(std::clamp<int64_t>(length, 1, INT32_MAX));
}

uint8_t clocksPerClickOfMeter(int clocks, int numerator, int denominator)
{
    const int limited = std::min(clocks, numerator * 96 / std::max(denominator, 1));
    return uint8_t(limited < 3 ? 2 : limited);
}

int32_t beatLength(int timeBase, const MeasureRec& measure)
{
    assert(measure.denominator >= 1);
    const int64_t beat = int64_t(4) * timeBase / std::max<int>(measure.denominator, 1);
    return int32_t(std::clamp<int64_t>(beat, 1, INT32_MAX));
}

std::atomic<int>& measureSearchHint()
{
    static std::atomic<int> hint{0};
    return hint;
}

int FindMeasure(const MeasureMap& map, int32_t tick)
{
    if (map.empty())
        return -1;
    if (tick == 0)
        return 0;
    const int last = int(map.size()) - 1;
    int i = std::clamp(measureSearchHint().load(std::memory_order_relaxed), 0, last);
    while (i < last && map[size_t(i) + 1].start <= tick)
        ++i;
    while (i > 0 && map[size_t(i)].start > tick)
        --i;
    assert(map[size_t(i)].length >= 1);
    measureSearchHint().store(i, std::memory_order_relaxed);
    return i;
}

int32_t RecomputeMeasureStarts(MeasureMap& map, int timeBase)
{
    int64_t running = 0;
    for (MeasureRec& m : map) {
        m.start = int32_t(std::min<int64_t>(running, INT32_MAX));
        m.length = measureLength(timeBase, m.numerator, m.denominator);
        running += m.length;
    }
    return map.empty() ? 0 : measureEnd(map.back());
}

int32_t ExtendMeasureMap(MeasureMap& map, int32_t until)
{
    if (map.empty())
        return 0;
    while (map.back().start < until && measureEnd(map.back()) < INT32_MAX
           && map.size() < kMaxMeasures) {
        MeasureRec next = map.back();
        next.start = measureEnd(map.back());
        next.length = walkLength(map.back());
        if (next.number < UINT16_MAX)
            ++next.number;
        next.letter = 0;
        map.push_back(next);
    }
    return measureEnd(map.back());
}

int FormatTime(const MeasureMap& map, int timeBase, int32_t tick, std::string& text)
{
    const int index = FindMeasure(map, tick);
    if (index < 0 || index >= int(map.size()))
        return index;
    const MeasureRec& m = map[size_t(index)];
    const int32_t beat = beatLength(timeBase, m);
    const int64_t offset = int64_t(tick) - m.start;
    const int beatNumber = int(offset / beat + 1);
    const int rest = int(offset % beat);
    char buffer[48];
    if (m.number == 0 && m.letter != 0)
        std::snprintf(buffer, sizeof buffer, " %c:%d:%03d", m.letter, beatNumber, rest);
    else if (m.letter != 0)
        std::snprintf(buffer, sizeof buffer, " %d%c:%d:%03d", m.number, m.letter, beatNumber, rest);
    else
        std::snprintf(buffer, sizeof buffer, " %d:%d:%03d", m.number, beatNumber, rest);
    text = buffer;
    return index;
}

} // namespace rz
