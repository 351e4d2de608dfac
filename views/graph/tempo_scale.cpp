#include "views/graph/tempo_scale.h"

#include "song/tempo_map.h"

#include <algorithm>
#include <array>

namespace rz {
namespace {

constexpr int64_t kTenthsPerMinute = 600000000; // tenths of a BPM x µs per quarter
constexpr std::array<int, 6> kTempoZoomSteps{50, 300, 600, 900, 1800, 3600};

TempoScale::Zoom held(TempoScale::Zoom zoom, int plotHeight)
{
    zoom.yOffset = std::max(std::min(zoom.yOffset, zoom.graphHeight - plotHeight), 0);
    return zoom;
}

// The origin that keeps the plot's middle on the same tempo at a new height.
int recentred(int origin, int half, int from, int to)
{
    return clampToInt((int64_t(origin) + half) * to / from - half);
}

} // namespace

int TempoScale::tenthsOf(uint32_t microsPerQuarter)
{
    if (microsPerQuarter == 0)
        return kFullScale;
    return int(std::clamp<int64_t>(kTenthsPerMinute / microsPerQuarter, 0, kFullScale));
}

uint32_t TempoScale::tempoOfTenths(int64_t tenths)
{
    if (tenths <= 0)
        return kMaxTempo;
    return uint32_t(std::clamp<int64_t>(kTenthsPerMinute / tenths, kFastestTempo, kMaxTempo));
}

int TempoScale::yOfTenths(int tenths) const
{
    const int64_t down = kFullScale - std::clamp(tenths, 0, kFullScale);
    if (graphFits())
        return clampToInt(down * plotHeight() / kFullScale + plot.top());
    return clampToInt(down * graphHeight / kFullScale - yOffset + plot.top());
}

QPoint TempoScale::pointOf(int32_t tick, uint32_t microsPerQuarter) const
{
    return QPoint(axis.xOfTick(tick), yOfTempo(microsPerQuarter));
}

uint32_t TempoScale::tempoAtY(int y) const
{
    const int64_t inPlot = std::clamp(y, plot.top(), plot.top() + plotHeight() - 1) - int64_t(plot.top());
    int64_t down = graphFits() ? inPlot * kFullScale / plotHeight()
                               : (int64_t(yOffset) + inPlot) * kFullScale / std::max(graphHeight, 1);
    down = std::clamp<int64_t>(down, 0, kHighestPick);
    return tempoOfTenths(kFullScale - down);
}

int TempoScale::dragStep() const
{
    const int pixels = graphFits() ? plotHeight() : std::max(graphHeight, 1);
    return std::clamp(kFullScale / pixels, 1, kCoarsestDragStep);
}

int TempoScale::maxOffset() const
{
    return std::max(graphHeight - plotHeight(), 0);
}

bool TempoScale::isZoomStep(int graphHeight)
{
    return std::find(kTempoZoomSteps.begin(), kTempoZoomSteps.end(), graphHeight) != kTempoZoomSteps.end();
}

TempoScale::Zoom TempoScale::zoomIn(Zoom from, int plotHeight)
{
    const int half = plotHeight / 2;
    const auto it = std::find(kTempoZoomSteps.begin(), kTempoZoomSteps.end(), from.graphHeight);
    if (it == kTempoZoomSteps.end() || it + 1 == kTempoZoomSteps.end())
        return from;
    const int to = *(it + 1);
    const int origin = from.graphHeight == kFitToWindow ? (to - plotHeight) / 2
                                                        : recentred(from.yOffset, half, from.graphHeight, to);
    return held(Zoom{to, origin}, plotHeight);
}

TempoScale::Zoom TempoScale::zoomOut(Zoom from, int plotHeight)
{
    const int half = plotHeight / 2;
    const auto it = std::find(kTempoZoomSteps.begin(), kTempoZoomSteps.end(), from.graphHeight);
    if (it == kTempoZoomSteps.end() || it == kTempoZoomSteps.begin())
        return from;
    const int to = *(it - 1);
    const int origin = to == kFitToWindow ? 0 : recentred(from.yOffset, half, from.graphHeight, to);
    return held(Zoom{to, origin}, plotHeight);
}

std::string TempoScale::zoomText(int graphHeight, bool zoomedOut)
{
    if (zoomedOut && graphHeight == kFitToWindow)
        return "Fit to window";
    return "Pixel=" + std::to_string(graphHeight / 360) + "." + std::to_string(graphHeight % 360);
}

} // namespace rz
