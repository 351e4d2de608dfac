#include "dialogs/transform_models.h"

#include "core/midi_bytes.h"
#include "core/synth_lookup.h"
#include "core/track_rows.h"
#include "dialogs/note_value_box.h"
#include "song/measure_map.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/track.h"

#include <algorithm>

namespace rz {

bool hasTimeRange(const CSongDoc& song)
{
    return (song.selectionKind & kSelectTimeRange) != 0;
}

bool selectedRowsUsable(const CSongDoc& song)
{
    const ITrackRows* rows = song.context().trackRows;
    if (!rows || rows->GetSelectedCount() == 0)
        return false;
    const int row = rows->currentRow();
    return row >= 1 && row + 1 < int(song.tracks.size());
}

int32_t ticksOfPercent(int timeBase, int32_t percent)
{
    return int32_t(int64_t(std::max(timeBase, 1)) * percent / 100);
}

int32_t percentOfTicks(int timeBase, int32_t ticks)
{
    return int32_t(int64_t(ticks) * 100 / std::max(timeBase, 1));
}

std::pair<int32_t, int32_t> velocityRange(VelocityMethod method)
{
    switch (method) {
    case VelocityMethod::Offsets: return {-127, 127};
    case VelocityMethod::Percentages: return {1, 1000};
    case VelocityMethod::Absolute: return {1, 127};
    }
    return {-127, 127};
}

std::pair<int32_t, int32_t> durationRange(DurationMethod method, int timeBase)
{
    const int32_t t = std::max(timeBase, 1);
    switch (method) {
    case DurationMethod::Offset: return {-15360, 15360};
    case DurationMethod::Percentage: return {1, 1000};
    case DurationMethod::Legato: return {1, t};
    case DurationMethod::Absolute: return {1, 8 * t};
    }
    return {-15360, 15360};
}

std::vector<std::string> durationUnitNames()
{
    std::vector<std::string> names{"Ticks"};
    for (const NoteUnit& unit : kNoteUnits)
        names.emplace_back(unit.name);
    return names;
}

std::pair<int32_t, int32_t> seriesValueRange(int32_t kind)
{
    return kind == kSeriesPitchBend ? std::pair<int32_t, int32_t>{-8192, 8191} : std::pair<int32_t, int32_t>{0, 127};
}

std::vector<ComboItem> standardControllerItems(const ISynthLookup* synths, int synthNumber)
{
    bool synthNamed = false;
    for (int controller = 0; synths && !synthNamed && controller < 128; ++controller)
        synthNamed = synths->ccName(synthNumber, controller).has_value();
    std::vector<ComboItem> items = controllerItems(synths, synthNumber, cc::kNrpnLsb, cc::kRpnMsb);
    // The program's own list stops at 126; a synth names what it has.
    if (!synthNamed)
        std::erase_if(items, [](const ComboItem& item) { return item.data > 126; });
    return items;
}

std::vector<ComboItem> thinControllerItems()
{
    std::vector<ComboItem> items = standardControllerItems();
    for (ComboItem extra : {ComboItem{"All controllers (176)", kThinAllControllers},
                            ComboItem{"Aftertouch (160)", kThinAftertouch}, ComboItem{"Pitch (224)", kThinPitch},
                            ComboItem{"Pressure (208)", kThinPressure}})
        insertSorted(items, std::move(extra));
    return items;
}

std::vector<ComboItem> seriesControllerItems(const CSongDoc& song)
{
    // The track in question: the current row in current-row mode, else the
    // first selected row.
    const CTrack* track = nullptr;
    if (const ITrackRows* rows = song.context().trackRows) {
        const int row = rows->currentRowMode() ? rows->currentRow() : rows->GetFirstSelected();
        if (row >= 0 && row < int(song.tracks.size()))
            track = song.tracks[size_t(row)].get();
    }
    std::vector<ComboItem> items =
        track ? standardControllerItems(song.context().synths, track->synth) : standardControllerItems();
    insertSorted(items, {"Pitch (224)", kSeriesPitchBend});
    insertSorted(items, {"Pressure (208)", kSeriesChannelPressure});
    return items;
}

MeasureRange initialMeasureRange(const CSongDoc& song, MeasureRun run)
{
    const MeasureMap& map = song.measureMap;
    if (map.empty())
        return {};
    if (hasTimeRange(song) && song.selectionTo > song.selectionFrom) {
        const int first = std::max(FindMeasure(map, song.selectionFrom), 0);
        const int last = std::max(FindMeasure(map, song.selectionTo - 1), first);
        return {map[size_t(first)].start, map[size_t(last)].start};
    }
    const size_t current = size_t(std::clamp(song.FindCurrentMeasure(), 0, int(map.size()) - 1));
    const MeasureRec& m = map[current];
    size_t last = current;
    while (last + 1 < map.size()) {
        const MeasureRec& next = map[last + 1];
        const bool same = run == MeasureRun::Key
                              ? next.key == m.key
                              : next.numerator == m.numerator && next.denominator == m.denominator;
        if (!same)
            break;
        ++last;
    }
    return {m.start, map[last].start};
}

int defaultClickRow(int beatIndex, int numerator)
{
    static constexpr int kPlain[] = {0, 2, 5, 8, 11, 13};
    static constexpr int kDotted[] = {0, 2, 5, 3, 6, 9};
    const int i = std::clamp(beatIndex, 0, 5);
    return i >= 3 && numerator % 3 == 0 ? kDotted[i] : kPlain[i];
}

int clickRowOfClocks(int clocks)
{
    for (size_t row = 0; row < kNoteValueRows.size(); ++row)
        if (kNoteValueRows[row].clocks == clocks)
            return int(row);
    return -1;
}

namespace {

// A measure in MIDI clocks: numerator x 96 / 2^beatIndex, whole at 1..5.
int64_t measureClocks(int beatIndex, int numerator)
{
    return int64_t(std::max(numerator, 1)) * 96 / (int64_t(1) << std::clamp(beatIndex, 0, 5));
}

} // namespace

bool clickDividesMeasure(int beatIndex, int numerator, int row)
{
    if (row <= 0)
        return true;
    const int64_t measure = measureClocks(beatIndex, numerator);
    const int64_t click = kNoteValueRows[size_t(std::min(row, int(kNoteValueRows.size()) - 1))].clocks;
    return click <= measure && measure % click == 0;
}

int32_t clickClocks(int beatIndex, int numerator, int row)
{
    if (row > 0)
        return kNoteValueRows[size_t(std::min(row, int(kNoteValueRows.size()) - 1))].clocks;
    const int64_t measure = measureClocks(beatIndex, numerator);
    if (measure <= UINT8_MAX)
        return int32_t(measure);
    // A measure's click is stored in one byte.
    for (const NoteValueRow& value : kNoteValueRows)
        if (measure % value.clocks == 0)
            return value.clocks;
    return kNoteValueRows.back().clocks;
}

} // namespace rz
