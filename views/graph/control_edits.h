#pragma once

#include "song/undo_record.h"
#include "views/graph/control_curve.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace rz {

class CSongDoc;

// The controller view's edits as undo records of the lane tracks' events
// of one kind, and its band selection. Pure but for moveControllers, which
// asks through the song. GUI thread.

// "Draw Controllers" (kUndoEvents): on each lane track the events of the
// kind within the path's ticks go and the path is written on the track's
// channel, skipping a message equal to the one before it (the first
// compared with the event before the span). Null when nothing changes.
std::unique_ptr<CUndoRecord> drawControllersRecord(const CSongDoc& song, const std::vector<int>& tracks,
                                                   ControlKind kind, const std::vector<CControlPoint>& path);

// A straight line from the press to the pointer, one point per column
// where the value changes, the far end exactly at its value; `flat` keeps
// the press value. In tick order whichever way it was drawn.
std::vector<CControlPoint> straightControlLine(int32_t fromTick, int32_t fromValue, int32_t toTick, int32_t toValue,
                                               int32_t gridTicks, bool flat);
// A freehand stroke moved from `lastTick` to `tick`: the points passed over
// go and one stands at the tick.
void freehandControlTo(std::vector<CControlPoint>& path, int32_t lastTick, int32_t tick, int32_t value);

// A pressed point and what moves with it: the next point when it holds the
// same value, a neighbour at the same tick; between the nearest other ticks.
struct ControlDrag {
    int index = -1;
    int valueCompanion = -1;
    int tickCompanion = -1;
    int32_t lowTick = 0;
    int32_t highTick = 0;
    CControlPoint saved;
    bool changed = false;
};

// Stamps the point and its tick companion with `stamp`.
ControlDrag beginControlDrag(std::vector<CControlPoint>& points, int index, uint32_t stamp);
// The pointer at `tick` and `value`; `rowValue` is the value of a neighbour
// whose pixel row the pointer is on. Ctrl takes the previous point's value
// once the tick leaves it, else the next's; the Alt role leaves the value
// companion alone and pushes the tick companion only when crossed.
void dragControlTo(std::vector<CControlPoint>& points, ControlDrag& drag, int32_t tick, int32_t value,
                   std::optional<int32_t> rowValue, bool ctrl, bool altRole);
// "Drag Controller" (kUndoEvents): the events within the drag's ticks,
// widened to the plateaus they end, made again from the points there: one
// event per plateau, one per column of a slope. Null when unchanged.
std::unique_ptr<CUndoRecord> dragControllerRecord(const CSongDoc& song, const std::vector<int>& tracks,
                                                  ControlKind kind, const std::vector<CControlPoint>& points,
                                                  const ControlDrag& drag, int32_t gridTicks);

// A band over the lane: ticks and values, both inclusive.
struct ControlBand {
    int32_t fromTick = 0;
    int32_t toTick = -1;
    int32_t lowValue = 0;
    int32_t highValue = 0;
};
// Stamps every event of the kind on the lane tracks inside the band with
// `stamp`; `narrow` first shrinks the tick span to the shown points inside
// it. The ticks of the stamped events, or none.
std::optional<std::pair<int32_t, int32_t>> selectControllersInBand(CSongDoc& song, const std::vector<int>& tracks,
                                                                   ControlKind kind,
                                                                   const std::vector<CControlPoint>& points,
                                                                   ControlBand band, bool narrow, uint32_t stamp);

// "Move controllers" (kUndoControllerEdit | kUndoEvents) of the selected
// run through the Move dialog; applied through the song after the clip
// question.
void moveControllers(CSongDoc& song, const std::vector<int>& tracks, ControlKind kind, const ControlCurve& curve);

} // namespace rz
