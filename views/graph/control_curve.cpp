#include "views/graph/control_curve.h"

#include "song/song_doc.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>

namespace rz {
namespace {

constexpr std::array<int, 5> kControlZoomSteps = {ControlScale::kFitToWindow, 350, 700, 1750, ControlScale::kFullZoom};
constexpr int kRampPixels = 8;   // ramp steps and jump corners, pixels
constexpr int kMinRampPoints = 4;
constexpr int kToleranceDivisor = 200;

// a / b to the nearest, halves away from zero; b > 0.
int64_t roundedQuotient(int64_t a, int64_t b)
{
    return a >= 0 ? (2 * a + b) / (2 * b) : -((-2 * a + b) / (2 * b));
}

int zoomIndex(int zoom)
{
    const auto at = std::find(kControlZoomSteps.begin(), kControlZoomSteps.end(), zoom);
    return at == kControlZoomSteps.end() ? 0 : int(at - kControlZoomSteps.begin());
}

// The value each track holds at each tick where any track has a point:
// a point where all agree, one gap where they start to differ.
std::vector<CControlPoint> mergeRuns(const std::vector<std::vector<CControlPoint>>& runs)
{
    std::vector<int32_t> ticks;
    for (const auto& run : runs)
        for (const CControlPoint& p : run)
            ticks.push_back(p.tick);
    std::sort(ticks.begin(), ticks.end());
    ticks.erase(std::unique(ticks.begin(), ticks.end()), ticks.end());
    std::vector<size_t> next(runs.size(), 0);
    std::vector<CControlPoint> merged;
    bool inGap = false;
    for (const int32_t tick : ticks) {
        std::optional<int32_t> agreed;
        bool differ = false;
        uint32_t stamp = 0;
        for (size_t r = 0; r < runs.size(); ++r) {
            const auto& run = runs[r];
            while (next[r] < run.size() && run[next[r]].tick <= tick)
                ++next[r];
            const std::optional<int32_t> value =
                next[r] > 0 ? std::optional<int32_t>(run[next[r] - 1].value) : std::nullopt;
            if (next[r] > 0 && run[next[r] - 1].tick == tick)
                stamp = run[next[r] - 1].stamp;
            if (r == 0)
                agreed = value;
            else if (value != agreed)
                differ = true;
        }
        if (!differ && agreed) {
            merged.push_back({stamp, tick, *agreed});
            inGap = false;
        } else if (differ && !inGap) {
            merged.push_back({0, tick, kControlGap});
            inGap = true;
        }
    }
    return merged;
}

} // namespace

bool ControlKind::matches(const CMidiEvent& event) const
{
    return midi::statusOf(event.message) == status
           && (status != midi::kControlChange || event.data1() == number);
}

int32_t ControlKind::valueOf(const CMidiEvent& event)
{
    switch (midi::statusOf(event.message)) {
    case midi::kPitchBend: return int32_t(midi::firstDataByte(event.message)) + 128 * midi::secondDataByte(event.message);
    case midi::kControlChange: return midi::secondDataByte(event.message);
    default: return midi::firstDataByte(event.message);
    }
}

uint32_t ControlKind::message(int channel, int32_t value) const
{
    const uint8_t onChannel = midi::onChannel(uint8_t(status), channel);
    const int v = std::clamp(value, 0, maximum());
    if (status == midi::kPitchBend)
        return midi::shortMessage(onChannel, v & midi::kDataMask, v >> 7 & midi::kDataMask);
    if (status == midi::kControlChange)
        return midi::shortMessage(onChannel, number & midi::kDataMask, v);
    return midi::shortMessage(onChannel, v);
}

std::string ControlKind::name() const
{
    if (status == midi::kPitchBend)
        return "Pitch";
    if (status == midi::kChannelPressure)
        return "Pressure";
    return "CC" + std::to_string(number);
}

int ControlScale::yOfValue(int32_t value) const
{
    const int64_t down = int64_t(maximum) - value;
    const int64_t top = plot.top();
    const int64_t max = std::max(maximum, 1);
    if (fits())
        return clampToInt(roundedQuotient(down * (plot.height() - 1), max) + top);
    return clampToInt(roundedQuotient(down * zoom, max) - yOffset + top);
}

// Both ways round to the nearest, so a point's own row reads back its value
// wherever the lane has a row for each value.
int32_t ControlScale::valueAtY(int y) const
{
    if (!drawable())
        return 0;
    const int64_t inside = std::clamp(y, plot.top(), plot.bottom()) - plot.top();
    const int64_t value = fits() ? maximum - roundedQuotient(inside * maximum, plot.height() - 1)
                                 : maximum - roundedQuotient((yOffset + inside) * maximum, std::max(zoom, 1));
    return value < 1 ? 0 : int32_t(std::min<int64_t>(value, maximum));
}

bool ControlScale::isZoomStep(int zoom)
{
    return std::find(kControlZoomSteps.begin(), kControlZoomSteps.end(), zoom) != kControlZoomSteps.end();
}

ControlScale::Zoom ControlScale::zoomIn(Zoom from, int plotHeight)
{
    const int k = zoomIndex(from.zoom);
    if (k + 1 >= int(kControlZoomSteps.size()))
        return from;
    const int to = kControlZoomSteps[size_t(k + 1)];
    int64_t offset = from.zoom == kFitToWindow ? (to - plotHeight) / 2
                                               : from.yOffset + int64_t(from.yOffset) * (to - from.zoom) / from.zoom;
    return {to, int(std::clamp<int64_t>(offset, 0, to))};
}

ControlScale::Zoom ControlScale::zoomOut(Zoom from, int)
{
    const int k = zoomIndex(from.zoom);
    if (k == 0)
        return {kFitToWindow, 0};
    const int to = kControlZoomSteps[size_t(k - 1)];
    if (to == kFitToWindow)
        return {to, 0};
    const int64_t offset = from.yOffset - int64_t(from.yOffset) * (from.zoom - to) / from.zoom;
    return {to, int(std::clamp<int64_t>(offset, 0, to))};
}

std::string ControlScale::zoomText(int zoom)
{
    if (zoom == kFitToWindow)
        return "Fit to window";
    char text[32];
    std::snprintf(text, sizeof text, "Pixel=%0d.%d", zoom / 350, zoom % 350);
    return text;
}

std::vector<CControlPoint> trackRun(const CSongDoc& song, int track, ControlKind kind)
{
    std::vector<CControlPoint> run;
    if (track < 0 || size_t(track) >= song.tracks.size())
        return run;
    for (const CMidiEvent& event : song.tracks[size_t(track)]->events)
        if (kind.matches(event))
            run.push_back({event.selectionStamp, event.tick, ControlKind::valueOf(event)});
    return run;
}

void ControlCurve::rebuild(const CSongDoc& song, const std::vector<int>& tracks, ControlKind kind,
                           const ControlScale& scale)
{
    std::vector<std::vector<CControlPoint>> runs;
    runs.reserve(tracks.size());
    for (const int t : tracks)
        runs.push_back(trackRun(song, t, kind));
    rebuildFromRuns(runs, song.endTick, scale, kind.restValue());
}

void ControlCurve::rebuildFromRuns(const std::vector<std::vector<CControlPoint>>& runs, int32_t endTick,
                                   const ControlScale& scale, int32_t restValue)
{
    m_points = runs.size() == 1 ? runs.front() : mergeRuns(runs);
    if (std::none_of(m_points.begin(), m_points.end(), [](const CControlPoint& p) { return !p.gap(); }))
        m_points.insert(m_points.begin(), CControlPoint{0, 0, restValue});
    const int32_t end = std::max(endTick, m_points.back().tick);
    if (!m_points.back().gap())
        m_points.push_back({0, end, kControlGap});
    const int32_t grid = std::max(scale.axis.gridTicks, 1);
    std::vector<char> rampEnd = compactRamps(scale.maximum, grid);
    addCorners(rampEnd, grid);
    prune(scale);
    m_searchIndex = std::min(m_searchIndex, m_points.size());
}

// A run of at least four points, each step short or at most 1, all one way
// and all near the line from its first point, becomes its two ends.
std::vector<char> ControlCurve::compactRamps(int maximum, int32_t gridTicks)
{
    const int64_t tolerance = std::max(1, maximum / kToleranceDivisor);
    const int64_t shortStep = int64_t(kRampPixels) * gridTicks;
    std::vector<CControlPoint> out;
    std::vector<char> rampEnd;
    out.reserve(m_points.size());
    size_t i = 0;
    while (i < m_points.size()) {
        const CControlPoint& first = m_points[i];
        size_t best = i;
        if (!first.gap()) {
            double lo = -std::numeric_limits<double>::infinity();
            double hi = std::numeric_limits<double>::infinity();
            int direction = 0;
            for (size_t k = i + 1; k < m_points.size() && !m_points[k].gap(); ++k) {
                const int64_t dt = int64_t(m_points[k].tick) - m_points[k - 1].tick;
                const int64_t dv = int64_t(m_points[k].value) - m_points[k - 1].value;
                if (dt >= shortStep && std::abs(dv) > 1)
                    break;
                const int sign = (dv > 0) - (dv < 0);
                if (sign != 0 && direction != 0 && sign != direction)
                    break;
                direction = sign != 0 ? sign : direction;
                const double span = double(int64_t(m_points[k].tick) - first.tick);
                if (span <= 0)
                    break;
                const double rise = double(m_points[k].value) - first.value;
                if (rise / span < lo || rise / span > hi)
                    break;
                lo = std::max(lo, (rise - double(tolerance)) / span);
                hi = std::min(hi, (rise + double(tolerance)) / span);
                best = k;
            }
        }
        out.push_back(first);
        rampEnd.push_back(0);
        if (best + 1 - i >= size_t(kMinRampPoints)) {
            out.push_back(m_points[best]);
            rampEnd.push_back(1);
            i = best + 1;
        } else {
            ++i;
        }
    }
    m_points = std::move(out);
    return rampEnd;
}

// A change far enough after the point before it holds the old value up to
// its tick; a gap ends the line where it stands.
void ControlCurve::addCorners(const std::vector<char>& rampEnd, int32_t gridTicks)
{
    const int64_t far = int64_t(kRampPixels) * gridTicks;
    std::vector<CControlPoint> out;
    out.reserve(m_points.size() + m_points.size() / 2);
    for (size_t i = 0; i < m_points.size(); ++i) {
        const CControlPoint& p = m_points[i];
        if (!out.empty() && !out.back().gap() && !rampEnd[i]) {
            const CControlPoint& previous = out.back();
            const bool corner = p.gap() ? p.tick > previous.tick
                                        : p.value != previous.value && int64_t(p.tick) - previous.tick >= far;
            if (corner)
                out.push_back({previous.stamp, p.tick, previous.value});
        }
        out.push_back(p);
    }
    m_points = std::move(out);
}

void ControlCurve::prune(const ControlScale& scale)
{
    std::vector<CControlPoint> out;
    out.reserve(m_points.size());
    const size_t n = m_points.size();
    for (size_t i = 0; i < n; ++i) {
        const CControlPoint& p = m_points[i];
        if (!p.gap() && i + 1 < n) {
            const CControlPoint& next = m_points[i + 1];
            const bool leadingTwin = out.empty() && next.tick == p.tick && !next.gap();
            const bool samePixel = !next.gap() && scale.pointOf(p.tick, p.value) == scale.pointOf(next.tick, next.value);
            bool middle = false;
            if (!out.empty() && !out.back().gap() && !next.gap())
                middle = (out.back().tick == p.tick && next.tick == p.tick)
                         || (out.back().value == p.value && next.value == p.value);
            if (leadingTwin || samePixel || middle)
                continue;
        }
        out.push_back(p);
    }
    m_points = std::move(out);
}

size_t ControlCurve::findPointIndex(int32_t tick)
{
    const size_t n = m_points.size();
    size_t k = std::min(m_searchIndex, n);
    const bool cached = k < n && m_points[k].tick >= tick && (k == 0 || m_points[k - 1].tick < tick);
    if (!cached)
        k = size_t(std::lower_bound(m_points.begin(), m_points.end(), tick,
                                    [](const CControlPoint& p, int32_t t) { return p.tick < t; })
                   - m_points.begin());
    m_searchIndex = k;
    return k;
}

int ControlCurve::hitTest(QPoint at, const ControlScale& scale)
{
    if (!scale.drawable() || m_points.empty())
        return -1;
    const int64_t grid = std::max(scale.axis.gridTicks, 1);
    const int64_t reach = ControlScale::kHitRadius * grid;
    const int64_t tick = scale.axis.tickOfX(at.x());
    size_t k = std::min(findPointIndex(int32_t(tick)), m_points.size() - 1);
    while (k + 1 < m_points.size() && m_points[k + 1].tick < tick + reach)
        ++k;
    for (size_t i = k + 1; i-- > 0;) {
        const CControlPoint& p = m_points[i];
        if (p.tick < tick - reach - grid)
            break;
        if (p.gap())
            continue;
        const QPoint d = scale.pointOf(p.tick, p.value) - at;
        if (std::abs(d.x()) <= ControlScale::kHitRadius && std::abs(d.y()) <= ControlScale::kHitRadius)
            return int(i);
    }
    return -1;
}

std::optional<std::pair<int32_t, int32_t>> ControlCurve::stampedRun(uint32_t stamp) const
{
    for (size_t i = 0; i < m_points.size(); ++i) {
        if (m_points[i].gap() || m_points[i].stamp != stamp)
            continue;
        size_t last = i;
        while (last + 1 < m_points.size() && !m_points[last + 1].gap() && m_points[last + 1].stamp == stamp)
            ++last;
        return std::pair{m_points[i].tick, m_points[last].tick};
    }
    return std::nullopt;
}

} // namespace rz
