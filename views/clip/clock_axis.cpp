#include "views/clip/clock_axis.h"

#include "core/smpte_time.h"
#include "song/song_doc.h"
#include "views/time_axis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace rz {
namespace {

constexpr std::array<int64_t, ClockAxis::kZoomSteps> kUsPerPixel = {600000, 300000, 100000, 50000, 10000,
                                                                     5000,   1000,   500,    200,   100};
const TempoMap kNoTempo{TempoEntry{}};

int64_t floorDiv(int64_t a, int64_t b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

} // namespace

ClockAxis ClockAxis::forSong(const CSongDoc& song, int zoom, int plotLeft, int64_t origin)
{
    return ClockAxis{.tempo = &song.tempoMap,
                     .timeBase = song.timeBase,
                     .zoom = clampZoom(zoom),
                     .plotLeft = plotLeft,
                     .origin = std::max<int64_t>(origin, 0)};
}

int ClockAxis::clampZoom(int zoom)
{
    return std::clamp(zoom, 0, kZoomSteps - 1);
}

int64_t ClockAxis::usPerPixelAt(int zoom)
{
    return kUsPerPixel[size_t(clampZoom(zoom))];
}

double ClockAxis::timeOfTick(int32_t tick) const
{
    return TickToTime(tempo ? *tempo : kNoTempo, timeBase, tick);
}

int32_t ClockAxis::tickOfTime(double us) const
{
    return TimeToTick(tempo ? *tempo : kNoTempo, timeBase, us);
}

int64_t ClockAxis::contentXOfTick(int32_t tick) const
{
    return int64_t(std::trunc(timeOfTick(tick) / double(usPerPixel())));
}

int32_t ClockAxis::tickOfContentX(int64_t x) const
{
    return tickOfTime(double(x) * double(usPerPixel()));
}

int ClockAxis::xOfTick(int32_t tick) const
{
    return clampToInt(contentXOfTick(tick) - origin + plotLeft);
}

double ClockAxis::timeOfX(int x, bool snap) const
{
    const double s = double(usPerPixel());
    const double time = double(contentXOf(x)) * s;
    if (!snap)
        return time;
    const double q = kSnapColumns * s;
    return std::floor((time + q / 2) / q) * q;
}

int32_t ClockAxis::tickOfX(int x, bool snap) const
{
    return std::max(tickOfTime(std::max(timeOfX(x, snap), 0.0)), 0);
}

std::string ClockAxis::label(double timeUs, double offsetUs)
{
    const CSmpteTime split(timeUs + offsetUs, kSmpteRateMs);
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", split.minutes(), split.seconds(), split.frames() / 10);
    return text;
}

int64_t ClockAxis::gridLineAtOrBefore(int64_t contentX)
{
    return floorDiv(contentX, kGridStep) * kGridStep;
}

FollowResult timeFollow(const TimeFollowInput& in)
{
    if (in.userScrolling)
        return FollowResult{.origin = in.origin, .cursorColumn = in.lineX};
    return followStep(FollowInput{.playColumn = in.playX,
                                  .origin = in.origin,
                                  .cursorColumn = in.lineX,
                                  .plotWidth = in.plotWidth,
                                  .maxOrigin = std::max<int64_t>(in.contentWidth - std::max(in.plotWidth, 0), 0),
                                  .smoothScroll = true});
}

} // namespace rz
