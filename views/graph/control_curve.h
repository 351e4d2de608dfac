#pragma once

#include "core/midi_bytes.h"
#include "views/time_axis.h"

#include <QPoint>
#include <QRect>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rz {

class CSongDoc;
struct CMidiEvent;

// A value that breaks the curve: no line from the point before.
inline constexpr int32_t kControlGap = 0x7FFFFFFF;

// One shown point of a controller lane.
struct CControlPoint {
    uint32_t stamp = 0; // the selection stamp of the event it came from
    int32_t tick = 0;
    int32_t value = 0;  // raw, or kControlGap
    bool gap() const { return value == kControlGap; }
};

// The kind of data a lane shows: a controller number, channel pressure or
// pitch bend, with its raw value range.
struct ControlKind {
    int status = midi::kControlChange;
    int number = 0; // the controller, for a control change

    static constexpr int kPitchMaximum = 16383;
    static constexpr int kPitchCentre = 8192;

    int maximum() const { return status == midi::kPitchBend ? kPitchMaximum : midi::kDataMask; }
    int displayOffset() const { return status == midi::kPitchBend ? -kPitchCentre : 0; }
    // Where a channel sits with none of these events: the pitch wheel at
    // its centre, the others at 0.
    int32_t restValue() const { return status == midi::kPitchBend ? kPitchCentre : 0; }
    bool matches(const CMidiEvent& event) const;
    // Pressure: the first data byte; pitch: d1 + 128 x d2; a controller: d2.
    static int32_t valueOf(const CMidiEvent& event);
    // The message of a raw value on a channel; pitch low 7 bits first.
    uint32_t message(int channel, int32_t value) const;
    // "CC%d", "Pitch" or "Pressure".
    std::string name() const;
    // 0xB0 | number << 8, 0xD0 or 0xE0.
    int packed() const { return status == midi::kControlChange ? status | number << 8 : status; }
    static ControlKind fromPacked(int packed) { return {packed & midi::kKindMask, packed >> 8 & midi::kDataMask}; }
};

// The controller view's two axes: ticks across, raw values upward. The
// lane is `zoom` pixels tall for the whole range; below the plot height - 1
// it is fitted to the plot and the offset is ignored. A plot under 2 pixels
// shows nothing. Pure; products in 64 bits.
struct ControlScale {
    static constexpr int kFitToWindow = 50;
    static constexpr int kFullZoom = 3500;
    static constexpr int kHitRadius = 4; // pixels either way

    TimeAxis axis;
    QRect plot;
    int zoom = kFitToWindow;
    int yOffset = 0;
    int maximum = midi::kDataMask;

    bool drawable() const { return plot.height() >= 2; }
    bool fits() const { return zoom < plot.height() - 1; }
    int yOfValue(int32_t value) const;
    QPoint pointOf(int32_t tick, int32_t value) const { return {axis.xOfTick(tick), yOfValue(value)}; }
    // The value under a y held inside the plot; below 1 reads as 0.
    int32_t valueAtY(int y) const;

    // The zoom table: 50 (fit), 350, 700, 1750, 3500 pixels.
    struct Zoom {
        int zoom = kFitToWindow;
        int yOffset = 0;
    };
    static bool isZoomStep(int zoom);
    // A stored zoom off the table reads as fit.
    static int storedZoom(int zoom) { return isZoomStep(zoom) ? zoom : kFitToWindow; }
    static Zoom zoomIn(Zoom from, int plotHeight);
    static Zoom zoomOut(Zoom from, int plotHeight);
    // "Pixel=%0d.%d", or "Fit to window" at 50.
    static std::string zoomText(int zoom);
};

// The curve of one kind over the lane tracks, as the controller view draws
// it: plateaus, jumps with a corner, ramps as one sloped segment, a gap
// where the tracks differ and at each run's end. Pure; GUI thread.
class ControlCurve {
public:
    // Tracks whose runs differ are merged with gaps; the scale gives the
    // pixel column and the value range. A lane with no events lies at the
    // kind's rest value.
    void rebuild(const CSongDoc& song, const std::vector<int>& tracks, ControlKind kind, const ControlScale& scale);
    // The same from ready runs (one per track, in tick order); `restValue`
    // is where a lane without points lies.
    void rebuildFromRuns(const std::vector<std::vector<CControlPoint>>& runs, int32_t endTick,
                         const ControlScale& scale, int32_t restValue = 0);

    std::vector<CControlPoint>& points() { return m_points; }
    const std::vector<CControlPoint>& points() const { return m_points; }

    // Drops points that add nothing: a first point sharing its tick with
    // the next, the middle of three at one tick or of one value, and a
    // point on the same pixel as the next.
    void prune(const ControlScale& scale);
    // The first point at or after `tick`, or the size; starts from this
    // curve's last answer, held inside the array.
    size_t findPointIndex(int32_t tick);
    // The point within kHitRadius pixels of `at`, or -1.
    int hitTest(QPoint at, const ControlScale& scale);
    // The first run of points stamped `stamp`: its first and last tick.
    std::optional<std::pair<int32_t, int32_t>> stampedRun(uint32_t stamp) const;

private:
    // Marks the points that end a compacted ramp.
    std::vector<char> compactRamps(int maximum, int32_t gridTicks);
    void addCorners(const std::vector<char>& rampEnd, int32_t gridTicks);

    std::vector<CControlPoint> m_points;
    size_t m_searchIndex = 0;
};

// The points of one track's events of a kind, in tick order.
std::vector<CControlPoint> trackRun(const CSongDoc& song, int track, ControlKind kind);

} // namespace rz
