#include "app/transport_text.h"

#include "core/smpte_time.h"
#include "core/tempo_multiplier.h"
#include "song/play_out_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace rz {
namespace {

constexpr int kFaderMin = -1000;
constexpr int kFaderMax = 1000;

std::string format(const char* pattern, auto... values)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, values...);
    return buffer;
}

} // namespace

std::string measureLabel(int number, char letter)
{
    if (letter == 0)
        return std::to_string(number);
    if (number == 0)
        return std::string(1, letter);
    return std::to_string(number) + letter;
}

// beatLength and clickTicks are at least 1 whatever the meter, the time
// base or the clocks per click say.
BeatPosition beatPosition(const MeasureMap& map, int timeBase, int32_t tick)
{
    BeatPosition at;
    const int index = FindMeasure(map, tick);
    if (index >= 0) {
        at.measure = map[size_t(index)];
    } else {
        const int32_t length = measureLength(timeBase, 4, 4);
        const int32_t number = std::max(tick, int32_t(0)) / length;
        at.measure.Set(number * length, length);
        at.measure.number = uint16_t(std::min(number + 1, 0xFFFF));
    }
    const int64_t into = std::max<int64_t>(int64_t(tick) - at.measure.start, 0);
    const int32_t beat = beatLength(timeBase, at.measure);
    at.beat = int(into / beat + 1);
    at.tick = int(into % beat);
    at.click = int(into / clickTicks(timeBase, at.measure.clocksPerClick));
    return at;
}

std::string positionText(const MeasureMap& map, int timeBase, int32_t tick)
{
    const BeatPosition at = beatPosition(map, timeBase, tick);
    return format("%s.%d.%03d", measureLabel(at.measure.number, at.measure.letter).c_str(),
                  at.beat, at.tick);
}

std::string smpteText(double timeUs, int rate)
{
    const CSmpteTime time(std::max(timeUs, 0.0), rate);
    return format("%d:%02d:%02d:%02d", time.hours(), time.minutes(), time.seconds(),
                  time.frames());
}

std::string tempoText(int32_t multiplier, uint32_t microsecondsPerQuarter)
{
    const int32_t shown = std::max(multiplier, int32_t(0));
    const double bpm = microsecondsPerQuarter == 0
                           ? 0.0
                           : 600.0 * double(shown) / double(microsecondsPerQuarter);
    return format("x %0d.%03d = %5.1f bpm", shown / kNormalMultiplier,
                  (shown % kNormalMultiplier) / 100, bpm);
}

std::string skipText(int skipCount)
{
    return skipCount > 0 ? format("(+%d)", skipCount) : std::string();
}

int countInBeats(int32_t recordStart, int32_t now, int32_t ticksPerBeat)
{
    const int64_t left = std::max<int64_t>(int64_t(recordStart) - now, 0);
    return int(left / std::max(ticksPerBeat, int32_t(1)) + 1);
}

int beatDigit(const MeasureMap& map, int timeBase, int32_t tick)
{
    return beatPosition(map, timeBase, tick).click % 10;
}

int tempoFaderPosition(int32_t multiplier)
{
    if (multiplier <= 0)
        return kFaderMin;
    const double position = 1000.0 * std::log2(double(multiplier) / kNormalMultiplier);
    return int(std::lround(std::clamp(position, double(kFaderMin), double(kFaderMax))));
}

int32_t multiplierFromFader(int position)
{
    const double p = std::clamp(position, kFaderMin, kFaderMax);
    return int32_t(std::pow(2.0, p / 1000.0) * kNormalMultiplier + 0.5);
}

} // namespace rz
