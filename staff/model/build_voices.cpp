#include <algorithm>
#include <climits>

#include "song/spelling_tables.h"
#include "staff/model/staff_build.h"

namespace rz::staff_build {
namespace {

// Velocities below this draw grey.
constexpr int kQuietVelocity = 8;

// Ticks of `values` 64ths from a group's grid.
int64_t ticksOf(const Build& b, const CStaffTuplet& group, int64_t values)
{
    return group.tuplet ? values * group.unitSpan / group.unitValue : values * b.timeBase / 16;
}

// Where a stretch of a group lies in 64ths: P its start, D its length, and
// the meter's units.
struct Frame {
    int64_t p = 0;
    int64_t d = 0;
    int unit = 64;  // U
    int beat = 16;  // B
    int grouping = 64; // M of the rest rules
};

bool compoundMeter(const MeasureRec& rec)
{
    return rec.numerator % 3 == 0 && rec.denominator > 1;
}

Frame frameOf(const Build& b, const CStaffTuplet& group, int64_t from, int64_t length)
{
    Frame f;
    const MeasureRec& rec = b.measureRec(group.measure);
    if (group.tuplet) {
        f.p = (from - group.start) * group.unitValue / group.unitSpan;
        f.d = length * group.unitValue / group.unitSpan;
        f.unit = group.unitValue;
        f.beat = 3 * group.unitValue;
        f.grouping = 3 * group.unitValue;
        return f;
    }
    f.p = (from - rec.start) * 16 / b.timeBase;
    f.d = length * 16 / b.timeBase;
    if (compoundMeter(rec)) {
        f.unit = std::max(64 / rec.denominator, 1);
        f.beat = 3 * f.unit < 64 ? 3 * f.unit : group.unitValue;
        f.grouping = 3 * f.unit;
    } else {
        f.unit = 64;
        f.beat = group.unitValue;
        f.grouping = 64;
    }
    return f;
}

void assignNoteTimes(StaffBuild& sb)
{
    auto& groups = sb.staff.groups;
    size_t g = 0;
    for (CStaffSpan& span : sb.staff.spans) {
        while (g + 1 < groups.size() && groups[g].end() <= span.tick)
            ++g;
        span.tick = groups[g].tuplet ? span.tripletStart : span.straightStart;
    }
    std::stable_sort(sb.staff.spans.begin(), sb.staff.spans.end(),
                     [](const CStaffSpan& a, const CStaffSpan& c) { return a.tick < c.tick; });
}

size_t groupAt(const std::vector<CStaffTuplet>& groups, size_t from, int64_t tick)
{
    while (from + 1 < groups.size() && groups[from].end() <= tick)
        ++from;
    return from;
}

// Whole grid units, taken from the group each unit starts in; a remainder of
// half a unit or more counts, and a note shorter than one unit gets one.
int64_t quantise(const StaffBuild& sb, int64_t start, int64_t duration, size_t g, int& lastUnit)
{
    const auto& groups = sb.staff.groups;
    int64_t rest = std::clamp<int64_t>(duration, 0, sb.build.songEnd - start);
    int64_t pos = start;
    int64_t q = 0;
    lastUnit = groups[g].gridUnit;
    for (;;) {
        g = groupAt(groups, g, pos);
        const int unit = groups[g].gridUnit;
        if (rest < unit) {
            if (q == 0 || rest * 2 >= unit) {
                q += unit;
                lastUnit = unit;
            }
            return q;
        }
        int64_t units = rest / unit;
        if (g + 1 < groups.size())
            units = std::min(units, (groups[g].end() - pos + unit - 1) / unit);
        q += units * unit;
        pos += units * unit;
        rest -= units * unit;
        lastUnit = unit;
    }
}

int64_t trimmed(const StaffBuild& sb, size_t k, int64_t start, int64_t q, int lastUnit)
{
    const auto& spans = sb.staff.spans;
    const int64_t threshold = start + std::max<int64_t>(q - lastUnit, 1);
    for (size_t j = k + 1; j < spans.size(); ++j) {
        if (spans[j].tick >= threshold)
            return start + q > spans[j].tick ? spans[j].tick - start : q;
    }
    return q;
}

// Lengthens a note by grid units toward the next note until it ends on a
// unit boundary; a grid that does not divide the unit span stops at the
// boundary instead of running past it.
int64_t filled(const StaffBuild& sb, size_t k, int64_t start, int64_t q, size_t g)
{
    const auto& spans = sb.staff.spans;
    const auto& groups = sb.staff.groups;
    int64_t end = start + q;
    int64_t limit = INT64_MAX;
    for (size_t j = k + 1; j < spans.size(); ++j)
        if (spans[j].tick >= end) {
            limit = spans[j].tick;
            break;
        }
    while (end < limit && end < sb.build.songEnd) {
        g = groupAt(groups, g, end);
        const CStaffTuplet& group = groups[g];
        const int64_t base = group.tuplet ? group.start : sb.build.measureRec(group.measure).start;
        const int64_t offset = end - base;
        if (offset % group.unitSpan == 0)
            break;
        const int64_t boundary = base + (offset / group.unitSpan + 1) * group.unitSpan;
        end = std::min(end + group.gridUnit, boundary);
    }
    return end - start;
}

CStaffNote& appendElement(StaffBuild& sb, OpenVoice& voice, int64_t tick, int value, int measure)
{
    auto note = std::make_unique<CStaffNote>();
    note->tick = int(std::clamp<int64_t>(tick, INT_MIN, INT_MAX));
    note->value = value;
    note->measure = measure;
    sb.build.model.measures[size_t(measure)].valueFlags |= uint32_t(value);
    voice.beat->notes.push_back(std::move(note));
    return *voice.beat->notes.back();
}

void fillRests(StaffBuild& sb, OpenVoice& voice, int64_t from, int64_t length,
               const CStaffTuplet& group)
{
    if (length <= 0)
        return;
    const Build& b = sb.build;
    Frame f = frameOf(b, group, from, length);
    int64_t used = 0;
    const auto add = [&](int value, bool middle) {
        const int64_t at = ticksOf(b, group, used);
        const int64_t after = ticksOf(b, group, used + value);
        CStaffNote& rest =
            appendElement(sb, voice, from + (middle ? (at + after) / 2 : at), value, group.measure);
        rest.rest = true;
        rest.beamBreak = true;
        f.p += value;
        f.d -= value;
        used += value;
        ++voice.count;
    };
    const int m = f.grouping;
    if (f.d >= 6 && m >= 24 && (f.p + 6) % 8 == 0)
        add(6, false);
    if (f.d >= 2 && m >= 12 && f.p % 4 != 0)
        add(2, false);
    if (f.d >= 12 && m >= 48 && (f.p + 12) % 16 == 0)
        add(12, false);
    if (f.d >= 4 && m >= 24 && f.p % 8 != 0)
        add(4, false);
    if (f.d >= 8 && m >= 48 && f.p % 16 != 0)
        add(8, false);
    if (f.d >= 16 && m >= 64 && f.p % 32 != 0)
        add(16, false);
    if (m == 64) {
        if (f.d >= 32 && f.p % 64 != 0)
            add(32, true);
        while (f.d >= 64)
            add(64, true);
        if (f.d >= 48)
            add(48, true);
        else if (f.d >= 32)
            add(32, true);
    } else {
        const int h = std::max(m / 3, 1);
        while (f.d >= h && f.p % m != 0 && f.p % h == 0)
            add(h, false);
        while (f.d >= m)
            add(m, true);
        while (f.d >= h)
            add(h, false);
    }
    if (f.d >= 24)
        add(24, false);
    else if (f.d >= 16)
        add(16, false);
    if (f.d >= 12)
        add(12, false);
    else if (f.d >= 8)
        add(8, false);
    if (f.d >= 6)
        add(6, false);
    else if (f.d >= 4)
        add(4, false);
    if (f.d >= 2)
        add(2, false);
}

// The item of a note: position, accidental against the staff's state, head.
CStaffItem noteItem(StaffBuild& sb, size_t k, int measure)
{
    CStaffTrack& staff = sb.staff;
    const CStaffSpan& span = staff.spans[k];
    const CMidiEvent& event = sb.track.events[size_t(span.eventIndex)];
    CStaffItem item;
    item.span = int(k);
    item.color = event.data2() < kQuietVelocity ? kGreyNoteColor : kBlackNoteColor;
    const int pitch = std::clamp(span.pitch, 0, 127);
    if (staff.clef == kDrumMapClef) {
        const int head = staff.percussionHead[size_t(pitch)];
        item.position = head < 0 ? -6 : staff.percussionOffset[size_t(pitch)];
        item.head = std::max(head, 0);
        return item;
    }
    if (staff.clef == kOneLineDrumClef) {
        item.head = std::max(staff.percussionHead[size_t(pitch)], 0);
        return item;
    }
    const PitchSpelling written =
        spellPitch(pitch, sb.build.keyOf(sb.track, measure), event.spelling);
    item.position = std::clamp(written.step + (written.octave + 1) * 7 + staff.referenceOffset,
                               kLowestPosition, kLowestPosition + kPositionCount - 1);
    int& state = staff.accidentalAt(item.position);
    if (state != written.accidental) {
        state = written.accidental;
        item.accidental = written.accidental == 0 ? kCautionary : written.accidental;
    }
    return item;
}

void insertItem(CStaffNote& element, CStaffItem item)
{
    auto at = std::lower_bound(element.items.begin(), element.items.end(), item.position,
                               [](const CStaffItem& i, int p) { return i.position < p; });
    element.items.insert(at, item);
}

void joinChord(OpenVoice& voice, CStaffItem item, int64_t start)
{
    for (auto& element : voice.beat->notes) {
        if (element->rest || element->tick < start)
            continue;
        insertItem(*element, item);
        item.accidental = 0;
    }
}

// The pieces of one segment of a note inside one group.
struct Pieces {
    StaffBuild& sb;
    OpenVoice& voice;
    const CStaffTuplet& group;
    int64_t from;
    CStaffItem& item;
    bool& first;
    Frame f;
    int64_t used = 0;

    void emit(int value, bool dotted)
    {
        const bool breaks = [&] {
            if (!first)
                return true;
            if (voice.beat->notes.empty())
                return false;
            const CStaffNote& prev = *voice.beat->notes.back();
            return f.p % f.beat == 0 || value >= 16 || dotted || prev.value >= 16 || prev.rest;
        }();
        CStaffNote& note = appendElement(sb, voice, from + ticksOf(sb.build, group, used), value,
                                         group.measure);
        note.items.push_back(item);
        note.tied = !first;
        note.beamBreak = breaks;
        note.tupletMember = group.tuplet && group.unitValue < 9;
        item.accidental = 0;
        first = false;
        f.p += value;
        f.d -= value;
        used += value;
    }

    void align()
    {
        if (f.p % f.unit == 0)
            return;
        int64_t r = f.p % f.unit;
        for (int p : {2, 4, 8, 16}) {
            if (f.d < p || r % (2 * p) == 0)
                continue;
            const int m = f.unit == 64 ? 4 * p : f.unit;
            int value = p;
            if (f.d >= 3 * p && (r + p) % m != 0 && (r + 2 * p) % m != 0)
                value = 3 * p;
            else if (f.d == 2 * p && (r + p) % m != 0)
                value = 2 * p;
            emit(value, false);
            r += value;
        }
    }

    void beats()
    {
        const int u = f.unit;
        if (u == 64) {
            while (f.d >= 64)
                emit(64, false);
            return;
        }
        if (f.d >= u && f.p % (3 * u) != 0) {
            int64_t value = 3 * u - f.p % (3 * u);
            emit(int(value > f.d ? u : value), false);
        }
        while (f.d >= 3 * u) {
            int value = 3 * u;
            while (value * 2 < 96 && f.p % (value * 2) == 0 && f.d >= value * 2)
                value *= 2;
            emit(value, false);
        }
        if (f.d >= u)
            emit(int(f.d / u * u), false);
    }

    void remainder()
    {
        while (f.d >= 2) {
            int pw = 2;
            while (pw * 2 <= f.d)
                pw *= 2;
            if (pw < 32 && f.d == 7 * pw / 4)
                emit(7 * pw / 4, true);
            else if (f.d == 3 * pw / 2)
                emit(3 * pw / 2, true);
            else
                emit(pw, false);
        }
    }
};

// Cuts a note into segments at group ends and each segment into pieces.
void placeNote(StaffBuild& sb, OpenVoice& voice, CStaffItem item, int64_t start, int64_t q,
               size_t g)
{
    const auto& groups = sb.staff.groups;
    const int64_t end = start + q;
    bool first = true;
    for (int64_t from = start; from < end;) {
        g = groupAt(groups, g, from);
        const CStaffTuplet& group = groups[g];
        const int64_t to = g + 1 < groups.size() ? std::min<int64_t>(end, group.end()) : end;
        if (to <= from)
            break;
        Pieces pieces{sb, voice, group, from, item, first, frameOf(sb.build, group, from, to - from)};
        pieces.align();
        pieces.beats();
        pieces.remainder();
        from = to;
    }
    ++voice.count;
}

void processNote(StaffBuild& sb, size_t k, size_t g)
{
    const Build& b = sb.build;
    CStaffSpan& span = sb.staff.spans[k];
    const int64_t start = span.tick;
    const CStaffTuplet& group = sb.staff.groups[g];
    if (start >= b.songEnd) {
        span.duration = 0;
        return;
    }
    int lastUnit = 1;
    int64_t q = quantise(sb, start, span.duration, g, lastUnit);
    if (b.settings.trim)
        q = trimmed(sb, k, start, q, lastUnit);
    if (b.settings.fill)
        q = filled(sb, k, start, q, g);
    q = std::clamp<int64_t>(q, 1, b.songEnd - start);
    span.duration = int(q);
    const int64_t end = start + q;
    const CStaffItem item = noteItem(sb, k, group.measure);
    auto& open = sb.open;
    for (OpenVoice& voice : open)
        if (voice.start == start && voice.end == end) {
            joinChord(voice, item, start);
            return;
        }
    OpenVoice* voice = nullptr;
    for (OpenVoice& v : open)
        if (v.end <= start) {
            voice = &v;
            break;
        }
    if (voice) {
        fillRests(sb, *voice, voice->end, start - voice->end, group);
    } else {
        OpenVoice fresh;
        fresh.beat = std::make_unique<CStaffBeat>();
        fresh.beat->startTick = group.start;
        open.push_back(std::move(fresh));
        voice = &open.back();
        fillRests(sb, *voice, group.start, start - group.start, group);
    }
    voice->start = start;
    voice->end = end;
    placeNote(sb, *voice, item, start, q, g);
}

void emptyGroup(StaffBuild& sb, const CStaffTuplet& group)
{
    OpenVoice voice;
    voice.beat = std::make_unique<CStaffBeat>();
    voice.beat->startTick = group.start;
    const MeasureRec& rec = sb.build.measureRec(group.measure);
    if (group.start == rec.start && group.span == rec.length) {
        auto rest = std::make_unique<CStaffNote>();
        rest->rest = true;
        rest->tick = group.start + group.span / 2;
        rest->value = rec.numerator == 4 && rec.denominator == 2 ? 128 : 64;
        rest->measure = group.measure;
        voice.beat->notes.push_back(std::move(rest));
    } else {
        fillRests(sb, voice, group.start, group.span, group);
    }
    sb.staff.voices.push_back(std::move(voice.beat));
}

void closeVoices(StaffBuild& sb, const CStaffTuplet& group)
{
    auto& open = sb.open;
    const int64_t end = group.end();
    for (size_t i = open.size(); i-- > 0;) {
        OpenVoice& voice = open[i];
        if (voice.end > end)
            continue;
        fillRests(sb, voice, voice.end, end - voice.end, group);
        if (group.tuplet && group.unitValue >= 16) {
            auto& notes = voice.beat->notes;
            for (size_t n = notes.size(); n-- > 0;)
                if (notes[n]->tick >= group.start && notes[n]->tick < end) {
                    notes[n]->tupletNoteCount = voice.count;
                    break;
                }
        }
        sb.staff.voices.push_back(std::move(voice.beat));
        open.erase(open.begin() + std::ptrdiff_t(i));
    }
}

} // namespace

void buildVoices(StaffBuild& sb)
{
    CStaffTrack& staff = sb.staff;
    const auto& groups = staff.groups;
    if (groups.empty())
        return;
    assignNoteTimes(sb);
    int measure = -1;
    size_t next = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        const CStaffTuplet& group = groups[g];
        if (group.measure != measure) {
            const int key = sb.build.keyOf(sb.track, group.measure);
            staff.SetKeyAccidentals(key, measure >= 0 && key == sb.build.keyOf(sb.track, measure));
            measure = group.measure;
        }
        const bool lastGroup = g + 1 == groups.size();
        const size_t from = next;
        while (next < staff.spans.size() && (lastGroup || staff.spans[next].tick < group.end()))
            ++next;
        if (sb.open.empty() && from == next) {
            emptyGroup(sb, group);
            continue;
        }
        for (size_t k = from; k < next; ++k)
            processNote(sb, k, g);
        closeVoices(sb, group);
    }
    for (OpenVoice& voice : sb.open)
        staff.voices.push_back(std::move(voice.beat));
    sb.open.clear();
}

} // namespace rz::staff_build
