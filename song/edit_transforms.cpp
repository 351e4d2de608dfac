// Edit > Transpose, Quantize, Velocities and Duration of the song document,
// with the scope every transform walks. GUI thread.

#include "song/edit_transforms.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>
#include <limits>
#include <map>

#include "core/edit_dialogs.h"
#include "core/midi_bytes.h"
#include "core/prompt.h"
#include "core/song_host.h"
#include "core/synth_lookup.h"
#include "core/track_rows.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/transpose_event.h"

namespace rz {

namespace {

constexpr uint32_t kRowKeyMask = 0xFF000000;

} // namespace

std::vector<size_t> scopeTracks(const CSongDoc& song)
{
    std::vector<size_t> rows;
    const ITrackRows* view = song.context().trackRows;
    if (view == nullptr)
        return rows;
    const int current = view->currentRow();
    if (view->currentRowMode() && current >= 0 && size_t(current) < UserTrackEnd(song)) {
        rows.push_back(size_t(current));
        return rows;
    }
    for (size_t t = 0; t < UserTrackEnd(song); ++t)
        if (view->IsRowSelected(int(t)))
            rows.push_back(t);
    return rows;
}

void forEachInScope(const CSongDoc& song, const TransformScope& scope,
                    const std::function<void(size_t, size_t)>& visit)
{
    if (song.selectionKind & kSelectTimeRange) {
        const int64_t low = int64_t(song.selectionFrom) - scope.shift;
        const int64_t high = int64_t(song.selectionTo) - scope.shift;
        for (size_t t = 0; t < UserTrackEnd(song); ++t) {
            if (scope.selectedTracksOnly && !isRowSelected(song, t))
                continue;
            const auto& events = song.tracks[t]->events;
            for (size_t e = FirstAtOrAfter(events, low); e < events.size() && events[e].tick < high; ++e)
                visit(t, e);
        }
        return;
    }
    if (song.selectionKind & (kSelectEvents | kSelectAudioClip)) {
        for (size_t t = 0; t < UserTrackEnd(song); ++t) {
            const auto& events = song.tracks[t]->events;
            for (size_t e = 0; e < events.size(); ++e)
                if (events[e].selectionStamp == song.selectionStamp)
                    visit(t, e);
        }
        return;
    }
    for (size_t t : scopeTracks(song))
        for (size_t e = 0; e < song.tracks[t]->events.size(); ++e)
            visit(t, e);
}

void TransformRecord::replace(size_t track, size_t index, size_t target, CMidiEvent copy)
{
    m_builder.remove(uint32_t(track << 24 | index));
    m_builder.insert(std::move(copy), placedOn(target));
}

void TransformRecord::remove(size_t track, size_t index)
{
    m_builder.remove(uint32_t(track << 24 | index));
}

bool eventChanged(const CMidiEvent& before, const CMidiEvent& after)
{
    const auto a = before.data.bytes();
    const auto b = after.data.bytes();
    return before.tick != after.tick || before.message != after.message || before.value2 != after.value2
           || before.notation != after.notation || before.spelling != after.spelling
           || !std::equal(a.begin(), a.end(), b.begin(), b.end());
}

namespace {

std::unique_ptr<CUndoRecord> eventsRecord(std::string label, std::unique_ptr<CEventList> events)
{
    auto record = std::make_unique<CUndoRecord>();
    record->label = std::move(label);
    record->flags = kUndoEvents;
    record->events = std::move(events);
    return record;
}

} // namespace

std::unique_ptr<CUndoRecord> eventRecord(std::string label, TransformRecord& events)
{
    if (events.empty())
        return nullptr;
    return eventsRecord(std::move(label), events.build());
}

bool leavesEventsAsTheyWere(const CSongDoc& song, const CEventList& list)
{
    if (list.sourceKeys.size() != list.events.size())
        return false;
    // Both sides are in track order and, within a track, in tick order.
    for (size_t i = 0; i < list.events.size(); ++i) {
        const uint32_t source = list.sourceKeys[i];
        const uint32_t place = list.sortKeys[i];
        const size_t track = source >> 24;
        const size_t index = source & ~kRowKeyMask;
        if ((place & ~kRowKeyMask) != kComputedPosition || (place & kRowKeyMask) != (source & kRowKeyMask)
            || track >= song.tracks.size() || index >= song.tracks[track]->events.size()
            || eventChanged(song.tracks[track]->events[index], list.events[i]))
            return false;
    }
    return true;
}

std::unique_ptr<CUndoRecord> transformRecord(const CSongDoc& song, std::string label,
                                             std::unique_ptr<CEventList> events)
{
    if (events->empty() || leavesEventsAsTheyWere(song, *events))
        return nullptr;
    return eventsRecord(std::move(label), std::move(events));
}

bool proceedDespiteClipping(const CSongDoc& song, bool clipped, std::string_view what)
{
    if (!clipped)
        return true;
    const std::string question = std::string(what) + "  Proceed anyway?";
    return song.context().prompt.askOkCancel(question, PromptIcon::Question) == PromptAnswer::Ok;
}

int64_t durationUnitTicks(int units, int timeBase)
{
    // In 120ths of a quarter note: Ticks stands alone.
    static constexpr std::array<int64_t, 12> kUnits = {1, 10, 15, 20, 30, 40, 60, 80, 120, 160, 240, 480};
    if (units <= 0)
        return 1;
    return std::max<int64_t>(kUnits[size_t(std::min(units, 11))] * timeBase / 120, 1);
}

bool CSongDoc::OnUpdateEditTransform(EditDialog dialog) const
{
    if (!editingAllowed() || !hasEditDialog(*this, dialog))
        return false;
    const bool anyTrack = dialog == EditDialog::Move || dialog == EditDialog::Quantize;
    if (selectionKind & (kSelectTimeRange | kSelectEvents))
        return true;
    if (anyTrack && (selectionKind & kSelectAudioClip))
        return true;
    const ITrackRows* rows = m_context.trackRows;
    if (rows == nullptr || rows->currentRowMode() || !m_context.host.trackViewActive())
        return false;
    for (size_t t = 0; t < UserTrackEnd(*this); ++t)
        if (rows->IsRowSelected(int(t)) && (anyTrack || tracks[t]->type == kMidiTrack))
            return true;
    return false;
}

void CSongDoc::OnEditSelectAllTime()
{
    selectionFrom = 0;
    selectionTo = measureMap.empty() ? 0 : measureMap.back().start;
    selectionKind = kSelectTimeRange;
    ++selectionStamp;
    m_context.host.activateEditorView(*this);
    m_context.host.UpdateAllViews();
}

// ---- Transpose

namespace {

constexpr char kNoteClipped[] = "Note: one or more events will be clipped at the maximum/minimum note value.";

// A major key (-7..7) moved by half steps, through its tonic's pitch class.
int transposedKey(int key, int halfSteps)
{
    // Pitch class -> key: F sharp rather than G flat, the flat keys for D
    // flat, E flat, A flat and B flat, and B with five sharps.
    static constexpr std::array<int, 12> kKeyOfPitch = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};
    const int tonic = ((7 * key) % 12 + 12) % 12;
    return kKeyOfPitch[size_t(((tonic + halfSteps) % 12 + 12) % 12)];
}

// The map with a new key in every measure wholly inside [from, to); nothing
// when no measure lies wholly inside.
std::unique_ptr<CMeasureMapSnapshot> transposedKeys(const CSongDoc& song, int32_t from, int32_t to,
                                                    int halfSteps)
{
    MeasureMap map = song.measureMap;
    bool changed = false;
    for (size_t i = size_t(std::max(FindMeasure(map, from), 0)); i < map.size(); ++i) {
        MeasureRec& m = map[i];
        if (int64_t(m.start) + m.length > to)
            break;
        if (m.start < from)
            continue;
        const int8_t key = int8_t(transposedKey(m.key, halfSteps));
        changed = changed || key != m.key;
        m.key = key;
    }
    return changed ? SnapshotMeasureMap(map, song.timeBase) : nullptr;
}

// Whether a track plays drums: its channel is a drum channel of its port, or
// the port declares none and the database has a drumset for its program.
bool isDrumTrack(const CSongDoc& song, const CTrack& track)
{
    if (track.drums != 0)
        return ((uint32_t(track.drums) >> (track.channel & 0xF)) & 1) != 0;
    const ISynthLookup* synths = song.context().synths;
    return synths != nullptr && synths->drumsetName(track.synth, track.bank, track.patch).has_value();
}

bool offeredForTranspose(const CMidiEvent& event)
{
    const uint8_t kind = event.kind();
    return midi::isNoteOn(kind) || midi::isPolyPressure(kind) || kind >= midi::kSysEx;
}

int keyRowAt(const CSongDoc& song, int32_t tick)
{
    const int m = song.FindMeasure(tick);
    return m < 0 ? 7 : song.measureMap[size_t(m)].key + 7;
}

} // namespace

void CSongDoc::OnEditTranspose()
{
    if (!OnUpdateEditTransform(EditDialog::Transpose))
        return;
    const std::optional<TransposeParams> params = m_context.editDialogs->transpose(*this);
    if (!params)
        return;
    const int halfSteps = std::clamp(params->halfSteps, -60, 60);
    if (halfSteps == 0)
        return;
    const bool range = (selectionKind & kSelectTimeRange) != 0;
    const bool skipDrums = range && params->skipDrums;
    std::vector<int8_t> drumTrack(tracks.size(), -1); // -1 not asked yet
    TransformRecord events;
    bool clipped = false;
    CTrack scratch;
    scratch.events.resize(1);
    forEachInScope(*this, TransformScope{range ? params->offset : 0, false}, [&](size_t t, size_t e) {
        const CMidiEvent& source = tracks[t]->events[e];
        if (!offeredForTranspose(source))
            return;
        if (skipDrums) {
            if (drumTrack[t] < 0)
                drumTrack[t] = isDrumTrack(*this, *tracks[t]) ? 1 : 0;
            if (drumTrack[t] == 1)
                return;
        }
        scratch.events[0] = source;
        TransposeEvent(scratch, 0, halfSteps, clipped, keyRowAt(*this, source.tick), m_context.chords);
        CMidiEvent& copy = scratch.events[0];
        const bool keyed = source.isNote() || midi::isPolyPressure(source.kind());
        const auto before = source.data.bytes();
        const auto after = copy.data.bytes();
        if (keyed || !std::equal(before.begin(), before.end(), after.begin(), after.end()))
            events.replace(t, e, std::move(copy));
    });
    std::unique_ptr<CUndoRecord> record = transformRecord(*this, "Transpose notes", events.build());
    if (range && params->changeKeys) {
        if (auto keys = transposedKeys(*this, selectionFrom, selectionTo, halfSteps)) {
            if (!record) {
                record = std::make_unique<CUndoRecord>();
                record->label = "Transpose notes";
            }
            record->measures = std::move(keys);
            record->flags |= kUndoMeasures;
        }
    }
    if (record && proceedDespiteClipping(*this, clipped, kNoteClipped))
        ApplyEdit(std::move(record));
}

// ---- Quantize

namespace {

// Grid steps in 24ths of a quarter note, "Whole" to "Thirty-second triplet".
constexpr std::array<int, 15> kGridSteps = {96, 72, 48, 36, 32, 24, 18, 16, 12, 9, 8, 6, 4, 3, 2};

int64_t floorDiv(int64_t a, int64_t b)
{
    const int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Where a position snaps: the distance to its line (with swing) and whether
// it lies within the window.
struct Snap {
    int64_t delta = 0;
    bool inWindow = true;
};

// The line is the nearest one, also for positions before the measure's
// first line (rounding toward zero would pick the far one).
Snap snapPosition(const QuantizeGrid& g, int64_t measureStart, int64_t position)
{
    const int64_t d = position - g.gridOffset - measureStart;
    const int64_t k = floorDiv(d + g.grid / 2, g.grid);
    Snap snap;
    snap.delta = k * g.grid - d;
    snap.inWindow = std::abs(snap.delta) <= (g.grid * g.window / 2) / 100 + 1;
    if (g.swing != 0 && k % 2 != 0)
        snap.delta += g.grid * g.swing / 100;
    return snap;
}

int32_t clampTick(int64_t tick) { return int32_t(std::clamp<int64_t>(tick, 0, kLastEditTick)); }

bool quantizeNote(const QuantizeGrid& g, int64_t measureStart, CMidiEvent& event)
{
    const int64_t oldTick = event.tick;
    const int64_t oldEnd = oldTick + event.value2;
    int64_t newTick = oldTick;
    bool changed = false;
    if (g.startTimes) {
        const Snap start = snapPosition(g, measureStart, oldTick);
        if (!start.inWindow)
            return false;
        newTick = clampTick(oldTick + start.delta * g.strength / 100);
        changed = true;
    }
    if (g.endTimes) {
        Snap end = snapPosition(g, measureStart, oldEnd);
        if (oldEnd + end.delta <= newTick) {
            end.delta += g.grid;
            end.inWindow = true;
        }
        if (end.inWindow) {
            const int64_t length = oldEnd + end.delta * g.strength / 100 - newTick;
            event.value2 = int32_t(std::clamp<int64_t>(length, 1, INT32_MAX));
            changed = true;
        } else {
            event.value2 = int32_t(std::clamp<int64_t>(oldEnd - newTick, 1, INT32_MAX));
        }
    }
    event.tick = int32_t(newTick);
    return changed;
}

// Notes follow their options; meta events and clips always follow the grid;
// other channel messages and system exclusive only with "Controller times".
bool followsGrid(const QuantizeGrid& g, const CMidiEvent& event)
{
    return event.kind() == midi::kMeta || g.controllers;
}

// The key under which two events at one tick are one too many.
std::optional<uint32_t> thinningKey(const CMidiEvent& event)
{
    switch (midi::statusOf(event.kind())) {
    case midi::kControlChange: return event.kind() | uint32_t(event.data1()) << 8;
    case midi::kChannelPressure:
    case midi::kPitchBend: return event.kind();
    default: return std::nullopt;
    }
}

// Of two controller events of one key that now share a tick on one track,
// the later one is dropped from the inserts; its source stays listed, so it
// leaves the song.
void dropCollidingControllers(CEventList& list)
{
    std::map<std::pair<uint32_t, uint32_t>, int32_t> lastTick; // (track, key) -> tick kept
    std::vector<uint32_t> keys;
    std::vector<CMidiEvent> events;
    for (size_t i = 0; i < list.events.size(); ++i) {
        const std::optional<uint32_t> key = thinningKey(list.events[i]);
        if (key) {
            const auto slot = std::make_pair(list.sortKeys[i] & kRowKeyMask, *key);
            const auto kept = lastTick.find(slot);
            if (kept != lastTick.end() && kept->second == list.events[i].tick)
                continue;
            lastTick[slot] = list.events[i].tick;
        }
        keys.push_back(list.sortKeys[i]);
        events.push_back(std::move(list.events[i]));
    }
    list.sortKeys = std::move(keys);
    list.events = std::move(events);
}

} // namespace

QuantizeGrid quantizeGrid(const QuantizeParams& p, int timeBase)
{
    QuantizeGrid g;
    g.grid = std::max<int64_t>(int64_t(kGridSteps[size_t(std::clamp(p.resolution, 0, 14))]) * timeBase / 24, 1);
    g.gridOffset = p.gridOffset;
    g.startTimes = p.startTimes;
    g.endTimes = p.endTimes;
    g.controllers = p.controllers;
    g.strength = std::clamp(p.strength, 0, 100);
    g.swing = std::clamp(p.swing, 0, 100) - 50;
    g.window = std::clamp(p.window, 0, 100);
    return g;
}

bool QuantizeEvent(const QuantizeGrid& g, int64_t measureStart, CMidiEvent& event)
{
    if (event.isNote())
        return quantizeNote(g, measureStart, event);
    if (!followsGrid(g, event))
        return false;
    const Snap snap = snapPosition(g, measureStart, event.tick);
    if (!snap.inWindow)
        return false;
    event.tick = clampTick(int64_t(event.tick) + snap.delta * g.strength / 100);
    return true;
}

void CSongDoc::OnEditQuantize()
{
    if (!OnUpdateEditTransform(EditDialog::Quantize))
        return;
    const std::optional<QuantizeParams> params = m_context.editDialogs->quantize(*this);
    if (!params)
        return;
    const QuantizeGrid grid = quantizeGrid(*params, timeBase);
    TransformRecord events;
    forEachInScope(*this, TransformScope{params->offset, params->selectedTracksOnly}, [&](size_t t, size_t e) {
        CMidiEvent copy = tracks[t]->events[e];
        const int m = FindMeasure(copy.tick);
        const int64_t measureStart = m < 0 ? 0 : measureMap[size_t(m)].start;
        if (QuantizeEvent(grid, measureStart, copy))
            events.replace(t, e, std::move(copy));
    });
    std::unique_ptr<CEventList> list = events.build();
    dropCollidingControllers(*list);
    if (std::unique_ptr<CUndoRecord> record = transformRecord(*this, "Quantize", std::move(list)))
        ApplyEdit(std::move(record));
}

// ---- Velocities

namespace {

constexpr char kVelocityClipped[] =
    "Note: one or more events will be clipped at the maximum or minimum velocity.";

// The first and last tick of what the scope holds, without the shift.
struct Extent {
    int64_t first = INT64_MAX;
    int64_t last = INT64_MIN;
    int64_t length() const { return first > last ? 0 : last - first; }
    void add(int64_t tick)
    {
        first = std::min(first, tick);
        last = std::max(last, tick);
    }
};

Extent scopeExtent(const CSongDoc& song)
{
    Extent extent;
    if (song.selectionKind & (kSelectTimeRange | kSelectEvents | kSelectAudioClip)) {
        forEachInScope(song, TransformScope{}, [&](size_t t, size_t e) { extent.add(song.tracks[t]->events[e].tick); });
        return extent;
    }
    for (size_t t : scopeTracks(song)) {
        const auto& events = song.tracks[t]->events;
        if (!events.empty()) {
            extent.add(events.front().tick);
            extent.add(events.back().tick);
        }
    }
    return extent;
}

int32_t limitVelocityValue(VelocityMethod method, int32_t value)
{
    switch (method) {
    case VelocityMethod::Offsets: return std::clamp(value, -127, 127);
    case VelocityMethod::Percentages: return std::clamp(value, 1, 1000);
    case VelocityMethod::Absolute: return std::clamp(value, 1, 127);
    }
    return value;
}

// One note's new velocity; false when it had to be limited to 1..127.
bool ApplyVelocity(const VelocityParams& p, const Extent& extent, CMidiEvent& note)
{
    int64_t value = limitVelocityValue(p.method, p.value);
    if (p.through && extent.length() != 0) {
        const int64_t value2 = limitVelocityValue(p.method, p.value2);
        value += (value2 - value) * (note.tick - extent.first) / extent.length();
    }
    const int64_t v = note.data2();
    int64_t r = v;
    switch (p.method) {
    case VelocityMethod::Offsets: r = v + value; break;
    case VelocityMethod::Percentages: r = value * v / 100; break;
    case VelocityMethod::Absolute: r = v + (value - v) * std::clamp(p.strength, 0, 100) / 100; break;
    }
    const int64_t limited = std::clamp<int64_t>(r, 1, 127);
    note.message = (note.message & ~0xFF0000u) | uint32_t(limited) << 16;
    return limited == r;
}

} // namespace

void CSongDoc::OnEditVelocities()
{
    if (!OnUpdateEditTransform(EditDialog::Velocities))
        return;
    const Extent extent = scopeExtent(*this);
    const std::optional<VelocityParams> params = m_context.editDialogs->velocities(*this, extent.length());
    if (!params)
        return;
    TransformRecord events;
    bool clipped = false;
    forEachInScope(*this, TransformScope{params->offset, params->selectedTracksOnly}, [&](size_t t, size_t e) {
        if (!tracks[t]->events[e].isNote())
            return;
        CMidiEvent copy = tracks[t]->events[e];
        if (!ApplyVelocity(*params, extent, copy))
            clipped = true;
        if (eventChanged(tracks[t]->events[e], copy))
            events.replace(t, e, std::move(copy));
    });
    std::unique_ptr<CUndoRecord> record = transformRecord(*this, "Edit velocities", events.build());
    if (record && proceedDespiteClipping(*this, clipped, kVelocityClipped))
        ApplyEdit(std::move(record));
}

// ---- Duration

namespace {

constexpr char kDurationClipped[] =
    "Note: one or more events will be clipped at the minimum duration (1 tick).";

// The text's leading integer, saturated to 64 bits; 0 when it has none.
int64_t leadingInteger(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = value > (INT64_MAX - 9) / 10 ? INT64_MAX : value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

// An absolute duration typed with units: "1.5" note values, "1:240" a
// note value and ticks, "2" note values.
int64_t absoluteDuration(std::string_view text, int64_t n, int64_t unit)
{
    const auto saturate = [](long double v) {
        constexpr auto kLimit = static_cast<long double>(INT32_MAX);
        return int64_t(std::clamp<long double>(v, -kLimit, kLimit));
    };
    if (const size_t dot = text.find('.'); dot != std::string_view::npos) {
        size_t start = text.find_first_not_of(" \t");
        double value = 0.0;
        if (start != std::string_view::npos)
            std::from_chars(text.data() + start, text.data() + text.size(), value);
        return saturate((long double)value * unit);
    }
    if (const size_t colon = text.find(':'); colon != std::string_view::npos)
        return saturate((long double)leadingInteger(text.substr(0, colon)) * unit
                        + leadingInteger(text.substr(colon + 1)));
    return saturate((long double)n * unit);
}

// One note's new duration; false when it came out below 1 tick and was
// raised to 1.
bool ParseDurationText(const CSongDoc& song, const DurationParams& p, const CTrack& track, size_t index,
                       CMidiEvent& note)
{
    // Far beyond any duration, and small enough for the sums below.
    const int64_t n = std::clamp<int64_t>(leadingInteger(p.value), -INT32_MAX, INT32_MAX);
    const int64_t t = note.tick;
    int64_t d = note.value2;
    switch (p.method) {
    case DurationMethod::Offset: d += n; break;
    case DurationMethod::Percentage: d = d * n / 100; break;
    case DurationMethod::Legato:
        for (size_t i = index + 1; i < track.events.size(); ++i) {
            const CMidiEvent& next = track.events[i];
            const int64_t t2 = next.tick;
            if (next.isNote() && t2 - t >= song.timeBase / 8 && t + d < t2 + song.timeBase / 2) {
                d = t2 - t - n;
                break;
            }
        }
        break;
    case DurationMethod::Absolute: {
        const int units = std::clamp(p.units, 0, 11);
        d = units == 0 ? n : absoluteDuration(p.value, n, durationUnitTicks(units, song.timeBase));
        d = std::abs(d);
        break;
    }
    }
    note.value2 = int32_t(std::clamp<int64_t>(d, 1, INT32_MAX));
    return d >= 1;
}

} // namespace

void CSongDoc::OnEditDuration()
{
    if (!OnUpdateEditTransform(EditDialog::Duration))
        return;
    const std::optional<DurationParams> params = m_context.editDialogs->duration(*this);
    if (!params)
        return;
    TransformRecord events;
    bool clipped = false;
    forEachInScope(*this, TransformScope{params->offset, params->selectedTracksOnly}, [&](size_t t, size_t e) {
        if (!tracks[t]->events[e].isNote())
            return;
        CMidiEvent copy = tracks[t]->events[e];
        if (!ParseDurationText(*this, *params, *tracks[t], e, copy))
            clipped = true;
        if (eventChanged(tracks[t]->events[e], copy))
            events.replace(t, e, std::move(copy));
    });
    std::unique_ptr<CUndoRecord> record = transformRecord(*this, "Edit durations", events.build());
    if (record && proceedDespiteClipping(*this, clipped, kDurationClipped))
        ApplyEdit(std::move(record));
}

} // namespace rz
