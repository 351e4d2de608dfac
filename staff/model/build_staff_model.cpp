#include <algorithm>
#include <climits>

#include "core/midi_bytes.h"
#include "staff/model/staff_build.h"

namespace rz {
namespace staff_build {
namespace {

// Every unit and grid step is at least one tick, whatever the time base.
int atLeastOne(int ticks)
{
    return std::max(ticks, 1);
}

int clampToInt(int64_t value)
{
    return int(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

int referenceOffset(int clef)
{
    switch (clef) {
    case kTrebleClef: return -41;
    case kBassClef: return -29;
    case kAltoClef: return -35;
    case kTenorClef: return -33;
    default: return 0;
    }
}

void fillPercussionMap(Build& b, CStaffTrack& staff, const CTrack& track)
{
    for (int note = 0; note < 128; ++note) {
        std::optional<DrumNotation> notation = gmDrumNotation(note);
        if (b.synths && track.synth >= 0) {
            if (auto found = b.synths->drumNotation(track.synth, track.bank, track.patch, note))
                notation = found;
        }
        if (notation) {
            staff.percussionHead[size_t(note)] = PercussionHead(*notation);
            staff.percussionOffset[size_t(note)] = notation->offset;
        }
    }
}

void prepareStaff(Build& b, CStaffTrack& staff, const CTrack& track)
{
    if (staff.clef == kDrumMapClef || staff.clef == kOneLineDrumClef)
        fillPercussionMap(b, staff, track);
    staff.referenceOffset = referenceOffset(staff.clef);
    const size_t count = b.model.measures.size();
    staff.lowestVoice.assign(count, -1);
    staff.highestVoice.assign(count, 0);
    staff.content.assign(count, 0);
    staff.highestUsed.assign(count, 4);
    staff.lowestUsed.assign(count, -4);
}

void addStaves(Build& b, std::span<const int> rows)
{
    for (int row : rows) {
        if (row <= 0 || size_t(row) >= b.song.tracks.size())
            continue;
        const CTrack& track = *b.song.tracks[size_t(row)];
        if (track.type == kWaveTrack)
            continue;
        int type = track.notationSetting;
        if (type < 0 || type > kOneLineDrumClef)
            type = kTrebleClef;
        CStaffTrack staff;
        staff.track = row;
        if (type != kGrandStaff) {
            staff.clef = type;
            b.model.staves.push_back(std::move(staff));
            continue;
        }
        b.model.grandStaffGap = b.staffSize * 13 / 28;
        const int split = std::clamp(track.notationValue + 60, 0, 128);
        staff.clef = kTrebleClef;
        staff.grandStaff = true;
        staff.lowestPitch = split;
        CStaffTrack lower;
        lower.track = row;
        lower.clef = kBassClef;
        lower.grandStaff = true;
        lower.lowerStaff = true;
        lower.highestPitch = split - 1;
        b.model.staves.push_back(std::move(staff));
        b.model.staves.push_back(std::move(lower));
    }
}

void addMeasures(Build& b)
{
    for (const MeasureRec& rec : b.song.measureMap) {
        CStaffMeasure measure;
        measure.song = rec;
        measure.song.length = atLeastOne(rec.length);
        measure.leadIn = b.leadIn;
        b.model.measures.push_back(measure);
    }
    if (!b.model.measures.empty()) {
        const MeasureRec& last = b.model.measures.back().song;
        b.songEnd = int64_t(last.start) + last.length;
    }
}

// Key and meter changes widen the measure's lead-in by their header.
void measureHeaders(Build& b)
{
    for (const CStaffTrack& staff : b.model.staves) {
        const CTrack& track = *b.song.tracks[size_t(staff.track)];
        for (size_t m = 1; m < b.model.measures.size(); ++m) {
            const MeasureRec& prev = b.model.measures[m - 1].song;
            const MeasureRec& cur = b.model.measures[m].song;
            const int prevKey = b.keyOf(track, int(m - 1));
            const int key = b.keyOf(track, int(m));
            const bool keyChange = key != prevKey;
            const bool meterChange =
                cur.numerator != prev.numerator || cur.denominator != prev.denominator;
            if (!keyChange && !meterChange)
                continue;
            const int flags = keyChange && meterChange ? 9 : keyChange ? 11 : 13;
            const int cancel = keyChange && key == 0 ? prevKey : 0;
            const int width = b.metrics.headerWidth(staff.clef, key, cancel, cur.numerator,
                                                    cur.denominator, flags);
            if (width == 0)
                continue;
            CStaffMeasure& measure = b.model.measures[m];
            measure.headerFlags |= kHeaderChange;
            measure.leadIn = std::max(measure.leadIn, width + b.leadIn);
        }
    }
}

bool takesNote(const CStaffTrack& staff, const CMidiEvent& event)
{
    switch (event.notation) {
    case 0: {
        const int pitch = event.data1();
        return pitch >= staff.lowestPitch && pitch <= staff.highestPitch;
    }
    case 1: return staff.clef == kTrebleClef;
    case 255: return staff.clef == kBassClef;
    default: return true;
    }
}

int straightSlot(const Build& b, int64_t r)
{
    const int t = b.timeBase;
    int64_t slot = 0;
    switch (b.resolution) {
    case 0: slot = ((t / 4 + r) / atLeastOne(t / 2)) * 4; break;
    case 2: slot = (t / 16 + r) / atLeastOne(t / 8); break;
    default: slot = ((t / 8 + r) / atLeastOne(t / 4)) * 2; break;
    }
    return int(std::clamp<int64_t>(slot, 0, 4));
}

int tripletSlot(const Build& b, int64_t g, int64_t r)
{
    const int t = b.timeBase;
    if (b.resolution == 2)
        return int(std::clamp<int64_t>((t / 12 + r) / atLeastOne(t / 6), 0, 3));
    if (g % 2 == 0)
        return r < t / 6 ? 0 : 2;
    return r < t / 3 ? 1 : 3;
}

void addNoteRecord(StaffBuild& sb, int64_t measureStart, int eventIndex)
{
    const Build& b = sb.build;
    const CMidiEvent& event = sb.track.events[size_t(eventIndex)];
    const int64_t d = event.tick - measureStart;
    const int64_t g = d / b.eighth;
    const int64_t r = d - g * b.eighth;
    auto& stats = sb.stats[size_t(g)];
    stats[0] += 1;
    const int thirtySecond = atLeastOne(b.timeBase / 8);
    const int sixth = atLeastOne(b.timeBase / 6);
    const int s = straightSlot(b, r);
    stats[size_t(1 + s)] += 1;
    stats[10] += std::abs(r - int64_t(thirtySecond) * s);
    const int t = tripletSlot(b, g, r);
    stats[size_t(6 + t)] += 1;
    stats[11] += std::abs(r - int64_t(sixth) * t);
    CStaffSpan span;
    span.pitch = event.data1();
    span.eventIndex = eventIndex;
    span.tick = event.tick;
    span.duration = event.value2;
    span.selectionStamp = event.selectionStamp;
    span.flag = event.pendingChange;
    const int64_t base = measureStart + g * b.eighth;
    span.straightStart = clampToInt(base + int64_t(thirtySecond) * s);
    span.tripletStart = clampToInt(base + int64_t(sixth) * t);
    sb.staff.spans.push_back(span);
}

void addPedal(StaffBuild& sb, int eventIndex, int measure)
{
    const CMidiEvent& event = sb.track.events[size_t(eventIndex)];
    CStaffText text;
    text.kind = event.data2() > 0 ? kPedalDownText : kPedalUpText;
    text.tick = event.tick;
    text.eventIndex = eventIndex;
    text.selectionStamp = event.selectionStamp;
    text.pendingChange = event.pendingChange;
    text.measure = measure;
    sb.staff.texts.push_back(std::move(text));
}

} // namespace

Build::Build(const CSongDoc& s, const StaffSettings& st, const NotationMetrics& m,
             const ISynthLookup* l, StaffModel& out)
    : song(s), settings(st), metrics(m), synths(l), model(out)
{
    timeBase = atLeastOne(song.timeBase);
    eighth = atLeastOne(timeBase / 2);
    resolution = st.resolution >= 0 && st.resolution <= 2 ? st.resolution : 1;
    grid = atLeastOne(resolution == 0 ? timeBase / 2 : resolution == 1 ? timeBase / 4 : timeBase / 8);
    tripletUnit = atLeastOne(resolution == 2 ? timeBase / 6 : timeBase / 3);
    staffSize = std::max(st.staffSize, 4);
    leadIn = staffSize * 20 / 27;
}

int Build::measureOf(int64_t tick) const
{
    const auto& measures = model.measures;
    if (measures.empty())
        return 0;
    auto it = std::upper_bound(measures.begin(), measures.end(), tick,
                               [](int64_t t, const CStaffMeasure& m) { return t < m.song.start; });
    return it == measures.begin() ? 0 : int(it - measures.begin() - 1);
}

int Build::xOf(int64_t tick, int measure) const
{
    const CStaffMeasure& m = model.measures[size_t(measure)];
    const int64_t offset = (tick - m.song.start) * m.laidOutWidth / m.song.length;
    return clampToInt(offset + m.leadIn + m.x);
}

int Build::keyOf(const CTrack& track, int measure) const
{
    return std::clamp(track.MapPitch(std::clamp<int>(measureRec(measure).key, -7, 7)), -7, 7);
}

void collectMeasure(StaffBuild& sb, int measure, size_t& next)
{
    const Build& b = sb.build;
    const MeasureRec& rec = b.measureRec(measure);
    const int64_t start = rec.start;
    const int64_t end = start + rec.length;
    const size_t eighths = size_t((rec.length + b.eighth - 1) / b.eighth);
    sb.stats.assign(eighths, {});
    const auto& events = sb.track.events;
    const bool upper = sb.staff.grandStaff && !sb.staff.lowerStaff;
    for (; next < events.size() && events[next].tick < end; ++next) {
        const CMidiEvent& event = events[next];
        if (event.tick < start)
            continue;
        if (midi::isNoteOn(event.message)) {
            if (takesNote(sb.staff, event))
                addNoteRecord(sb, start, int(next));
        } else if (midi::isController(event.message) && event.data1() == cc::kSustain) {
            if (!upper)
                addPedal(sb, int(next), measure);
        } else if (event.isMeta() && (event.data1() == 1 || event.data1() == 5)
                   && !event.data.bytes().empty() && !sb.staff.lowerStaff) {
            addTextEvent(sb, measure, int(next));
        }
    }
}

void groupMeasure(StaffBuild& sb, int measure)
{
    const Build& b = sb.build;
    CStaffMeasure& layout = b.model.measures[size_t(measure)];
    const MeasureRec& rec = layout.song;
    const int64_t start = rec.start;
    const int e = b.eighth;
    const int den = std::max<int>(rec.denominator, 1);
    const int plainSpan = atLeastOne(4 * b.timeBase / den);
    const int plainValue = std::max(64 / den, 1);
    auto& groups = sb.staff.groups;
    const auto plain = [&](int64_t from, int64_t span, int count) {
        CStaffTuplet group;
        group.gridUnit = b.grid;
        group.start = clampToInt(from);
        group.span = clampToInt(span);
        group.count = count;
        group.unitSpan = plainSpan;
        group.unitValue = plainValue;
        group.measure = measure;
        groups.push_back(group);
    };
    if (rec.length % e != 0) {
        plain(start, rec.length, rec.numerator);
        return;
    }
    const auto triplet = [&](int64_t g, int eighths, int value) {
        CStaffTuplet group;
        group.gridUnit = b.tripletUnit;
        group.start = clampToInt(start + g * e);
        group.span = eighths * e;
        group.count = 3;
        group.unitSpan = atLeastOne(eighths * e / 3);
        group.unitValue = value;
        group.tuplet = true;
        group.measure = measure;
        groups.push_back(group);
    };
    const auto& st = sb.stats;
    const auto trip = [&](int64_t g, int slot) { return st[size_t(g)][size_t(6 + slot)] > 0; };
    const auto straight = [&](int64_t g, int slot) { return st[size_t(g)][size_t(1 + slot)] > 0; };
    const auto agree = [&](int64_t from, int64_t to) {
        for (int64_t k = from; k <= to; ++k)
            if (st[size_t(k)][10] < st[size_t(k)][11])
                return false;
        return true;
    };
    const int64_t last = int64_t(st.size()) - 1;
    bool runOpen = false;
    for (int64_t g = 0; g <= last;) {
        const bool even = g % 2 == 0;
        if (even && g + 7 <= last && trip(g + 2, 2) && trip(g + 5, 1) && !trip(g + 3, 3)
            && !trip(g + 4, 0) && agree(g, g + 7)) {
            triplet(g, 8, 32);
            g += 8;
        } else if (even && g + 3 <= last && trip(g + 1, 1) && trip(g + 2, 2) && !trip(g + 1, 3)
                   && !trip(g + 2, 0) && agree(g, g + 3)) {
            triplet(g, 4, 16);
            layout.valueFlags |= 8;
            g += 4;
        } else if (b.resolution >= 1 && even && g + 1 <= last && trip(g, 2) && trip(g + 1, 1)
                   && !trip(g, 3) && !trip(g + 1, 0) && agree(g, g + 1)) {
            triplet(g, 2, 8);
            layout.valueFlags |= 4;
            g += 2;
        } else if (b.resolution == 2 && trip(g, 1) && trip(g, 2)
                   && st[size_t(g)][11] <= st[size_t(g)][10]) {
            triplet(g, 1, 4);
            layout.valueFlags |= 2;
            g += 1;
        } else if (den < 9 && (straight(g, 1) || straight(g, 3))) {
            plain(start + g * e, e, 1);
            layout.valueFlags |= 2;
            g += 1;
        } else {
            if (runOpen) {
                groups.back().span += e;
                groups.back().count += 1;
                if (den <= 4 && straight(g, 2))
                    runOpen = false;
            } else {
                plain(start + g * e, e, 1);
                runOpen = true;
            }
            g += 1;
            continue;
        }
        runOpen = false;
    }
}

} // namespace staff_build

using namespace staff_build;

StaffModel BuildStaffModel(const CSongDoc& song, std::span<const int> rows,
                           const StaffSettings& settings, const ISynthLookup* synths,
                           const NotationMetrics& metrics)
{
    StaffModel model;
    Build b(song, settings, metrics, synths, model);
    addStaves(b, rows);
    addMeasures(b);
    for (CStaffTrack& staff : model.staves)
        prepareStaff(b, staff, *song.tracks[size_t(staff.track)]);
    measureHeaders(b);
    for (CStaffTrack& staff : model.staves) {
        StaffBuild sb{b, staff, *song.tracks[size_t(staff.track)], {}, {}, -1};
        size_t next = 0;
        for (size_t m = 0; m < model.measures.size(); ++m) {
            collectMeasure(sb, int(m), next);
            groupMeasure(sb, int(m));
        }
        // A lyric moved to the next bar line may pass a later text of its measure.
        std::stable_sort(staff.texts.begin(), staff.texts.end(),
                         [](const CStaffText& a, const CStaffText& c) { return a.tick < c.tick; });
        buildVoices(sb);
    }
    for (CStaffTrack& staff : model.staves)
        shapeChords(b, staff);
    markRepeats(b);
    measureWidths(b);
    if (settings.leadSheet)
        mergeLeadSheet(b);
    for (size_t i = 0; i < model.staves.size(); ++i)
        placeStems(b, model.staves[i], int(i));
    addCueMarks(b);
    for (CStaffTrack& staff : model.staves)
        placeTexts(b, staff);
    layOutStaves(b);
    return model;
}

} // namespace rz
