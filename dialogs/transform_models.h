#pragma once

// What the transform, key and meter dialogs work out without widgets.

#include "core/edit_dialogs.h"
#include "dialogs/field_values.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace rz {

class CSongDoc;

// The song's selection is a time range.
bool hasTimeRange(const CSongDoc& song);
// "Selected tracks only" can apply: the track view has selected rows and its
// current row is a user track.
bool selectedRowsUsable(const CSongDoc& song);

// The linked percent-of-a-quarter and ticks fields, both truncated; a time
// base below 1 counts as 1.
int32_t ticksOfPercent(int timeBase, int32_t percent);
int32_t percentOfTicks(int timeBase, int32_t ticks);

// Quantize's grid offset is typed in percent of a quarter within this.
inline constexpr int32_t kMaxGridOffsetPercent = 50;

// The value range of a velocity method.
std::pair<int32_t, int32_t> velocityRange(VelocityMethod method);
// The duration value's spin range of a method at the time base.
std::pair<int32_t, int32_t> durationRange(DurationMethod method, int timeBase);
// "Ticks", then the note units.
std::vector<std::string> durationUnitNames();

// The controller series' value range of a kind.
std::pair<int32_t, int32_t> seriesValueRange(int32_t kind);
// The controllers Thin and the series offer by default: the program's
// named controllers 0..126 but the bank, data entry and parameter-number
// ones; or the synth's own names when it gives any.
std::vector<ComboItem> standardControllerItems(const ISynthLookup* synths = nullptr, int synthNumber = 0);
// Thin's list: the standard one, then all controllers, aftertouch, pitch
// and pressure.
std::vector<ComboItem> thinControllerItems();
// The series' list for the synth of the track in question (none: the
// standard list), then pitch and pressure.
std::vector<ComboItem> seriesControllerItems(const CSongDoc& song);

// The measures a key or meter change starts on: a time range snapped to
// its measures (the last one the range touches before its end), else the
// current measure through the run of following measures with the same key
// (or meter). Ticks of the first and last measure's start.
struct MeasureRange {
    int32_t from = 0;
    int32_t through = 0;
};
enum class MeasureRun { Key, Meter };
MeasureRange initialMeasureRange(const CSongDoc& song, MeasureRun run);

// The key and beat value rows are Insert Time's (InsertTimeModel::kKeyNames,
// kBeatValues): index 7 - key, and the power of two.
// The click a new meter starts with: one per beat, a dotted one for
// eighths or shorter when the beats group by three.
int defaultClickRow(int beatIndex, int numerator);
// The note-value row of a measure's click; -1 when none matches.
int clickRowOfClocks(int clocks);
// False when the click of `row` does not divide the measure evenly (row 0,
// one click per measure, always does).
bool clickDividesMeasure(int beatIndex, int numerator, int row);
// The clocks of a click row; row 0 is one click per measure, which above
// what a measure can store becomes the longest row that divides the measure.
int32_t clickClocks(int beatIndex, int numerator, int row);

inline constexpr char kClickMessage[] = "A measure must contain an even number of metronome clicks.";

} // namespace rz
