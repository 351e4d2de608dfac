#include <algorithm>
#include <climits>
#include <cstdlib>

#include "song/cue.h"
#include "staff/model/staff_build.h"

namespace rz::staff_build {
namespace {

int accidentalColumns(const std::vector<CStaffItem>& items)
{
    int columns = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].accidental == 0)
            continue;
        int count = 1;
        for (size_t j = i; j-- > 0;) {
            if (items[i].position - items[j].position >= 7)
                break;
            if (items[j].accidental != 0)
                ++count;
        }
        columns = std::max(columns, count);
    }
    return columns;
}

// Stems of a beam group point down when its highest head lies on or above
// the middle line at least as far as its lowest lies below; equal distances
// let the next heads inward decide.
bool stemsDown(const std::vector<std::unique_ptr<CStaffNote>>& notes, size_t from, size_t to)
{
    std::vector<int> positions;
    for (size_t i = from; i < to; ++i)
        if (!notes[i]->rest)
            for (const CStaffItem& item : notes[i]->items)
                positions.push_back(item.position);
    std::sort(positions.begin(), positions.end());
    if (positions.empty())
        return false;
    for (size_t lo = 0, hi = positions.size() - 1; lo <= hi && hi < positions.size(); ++lo, --hi) {
        const int high = positions[hi];
        if (high < 0)
            return false;
        const int above = high;
        const int below = std::max(-positions[lo], 0);
        if (above != below || above == 0)
            return above >= below;
    }
    return false;
}

bool hasCircledHead(const CStaffNote& note)
{
    return std::any_of(note.items.begin(), note.items.end(),
                       [](const CStaffItem& item) { return percussionHeadCircled(item.head); });
}

// Pixels a circle drawn around a percussion head adds on each side.
int circleRoom(const NotationMetrics& metrics, const CStaffNote& note)
{
    return hasCircledHead(note) ? metrics.musicFontUnit() / 8 + 2 : 0;
}

// Pixels right of an element's x that its heads and dots take.
int64_t reachRight(const NotationMetrics& metrics, const CStaffNote& note)
{
    const int head = metrics.noteheadWidth();
    const int dots = note.value > 0 && note.value % 7 == 0 ? 2 : note.value > 0 && note.value % 3 == 0 ? 1 : 0;
    return head / 2 + (note.second ? head : 0) + dots * head / 2 + circleRoom(metrics, note);
}

// Pixels left of an element's x that its heads and accidentals take.
int64_t reachLeft(const NotationMetrics& metrics, const CStaffNote& note)
{
    int widest = 0;
    for (const CStaffItem& item : note.items)
        if (item.accidental != 0)
            widest = std::max(widest, metrics.accidentalWidth(item.accidental));
    const int head = metrics.noteheadWidth();
    return (note.second ? 4 * head / 5 : head / 2) + 1 + int64_t(accidentalColumns(note.items)) * widest
           + circleRoom(metrics, note);
}

// The tick of the latest element before element i at an earlier tick of
// its measure (the caller knows there is one).
int64_t previousTick(const std::vector<const CStaffNote*>& elements, size_t i)
{
    size_t k = i;
    while (k > 0 && elements[k - 1]->tick == elements[i]->tick)
        --k;
    return k > 0 ? elements[k - 1]->tick : elements[i]->tick;
}

// Widens each measure just enough that an element's accidentals and head
// circles clear the element before it on the staff, by a quarter head: a
// sign drawn over the previous head is misread, and touching circles read
// as one mark.
void roomForAccidentals(Build& b, const CStaffTrack& staff)
{
    std::vector<const CStaffNote*> elements;
    for (const auto& voice : staff.voices)
        for (const auto& note : voice->notes)
            elements.push_back(note.get());
    std::stable_sort(elements.begin(), elements.end(), [](const CStaffNote* x, const CStaffNote* y) {
        return x->measure != y->measure ? x->measure < y->measure : x->tick < y->tick;
    });
    const int clearance = b.metrics.noteheadWidth() / 4;
    int64_t previousReach = 0; // of the latest earlier tick in this measure
    int64_t reachHere = 0;
    for (size_t i = 0; i < elements.size(); ++i) {
        const CStaffNote& note = *elements[i];
        const CStaffNote* last = i > 0 ? elements[i - 1] : nullptr;
        if (!last || last->measure != note.measure) {
            previousReach = -1;
            reachHere = 0;
        } else if (last->tick != note.tick) {
            previousReach = reachHere;
            reachHere = 0;
        }
        reachHere = std::max(reachHere, reachRight(b.metrics, note));
        if (previousReach < 0 || note.rest
            || (accidentalColumns(note.items) == 0 && !hasCircledHead(note)))
            continue;
        const int64_t need = previousReach + reachLeft(b.metrics, note) + clearance;
        const int64_t gap = std::max<int64_t>(int64_t(note.tick) - previousTick(elements, i), 1);
        CStaffMeasure& measure = b.model.measures[size_t(note.measure)];
        const int64_t length = std::max<int64_t>(measure.song.length, 1);
        const int64_t wanted = (need * length + gap - 1) / gap;
        measure.contentWidth = int(std::clamp<int64_t>(wanted, measure.contentWidth, INT_MAX));
    }
}

// Staff steps a triplet's digit takes beyond its beam or bracket: two to
// its foot and three for the digit, kept clear of chord symbols and lyrics.
constexpr int kTupletDigitRoom = 5;

// The elements a triplet's digit is drawn over: beamed members, and every
// element of a bracketed run (its count is kept on its last element).
std::vector<bool> underTupletDigit(const std::vector<std::unique_ptr<CStaffNote>>& notes)
{
    std::vector<bool> digits(notes.size(), false);
    for (size_t i = 0; i < notes.size(); ++i) {
        digits[i] = digits[i] || notes[i]->tupletMember;
        const size_t count = size_t(std::max(notes[i]->tupletNoteCount, 0));
        for (size_t k = 0; k < count && k <= i; ++k)
            digits[i - k] = true;
    }
    return digits;
}

// Staff steps a rest of one of two voices sounding together moves up or
// down: two line spaces, clear of the other voice's notes on the middle lines.
constexpr int kRestShift = 4;

struct VoiceSpan {
    int64_t from = 0;
    int64_t to = 0;
    int measure = 0;
    int positions = 0; // sum of head positions
    int heads = 0;
};

VoiceSpan spanOf(const Build& b, const CStaffBeat& voice)
{
    VoiceSpan span;
    span.from = voice.notes.front()->tick;
    span.measure = voice.notes.front()->measure;
    for (const auto& note : voice.notes) {
        span.to = std::max(span.to, int64_t(note->tick) + int64_t(note->value) * b.timeBase / 16);
        for (const CStaffItem& item : note->items) {
            span.positions += item.position;
            ++span.heads;
        }
    }
    return span;
}

// The feet of a drum kit (the bass drums and the pedal hi-hat, by their
// General MIDI keys): their stems point down, the hands' up.
bool playedByFoot(int pitch)
{
    return pitch == 35 || pitch == 36 || pitch == 44;
}

// Percussion: a beam group (or a run, for its rests) of feet alone stems
// down, any other up, so that the hands' beams never cross the feet's heads.
bool feetOnly(const CStaffTrack& staff, const std::vector<std::unique_ptr<CStaffNote>>& notes,
              size_t from, size_t to)
{
    bool heads = false;
    for (size_t i = from; i < to; ++i)
        for (const CStaffItem& item : notes[i]->items) {
            heads = true;
            if (item.span < 0 || size_t(item.span) >= staff.spans.size()
                || !playedByFoot(staff.spans[size_t(item.span)].pitch))
                return false;
        }
    return heads;
}

// Per voice run: +1 when it sounds together with a lower run of its measure
// (stems up, rests raised), -1 with a higher one (stems down, rests
// lowered), 0 alone. Two voices drawn with one stem direction read as one
// chord.
std::vector<int> togetherSides(const Build& b, const CStaffTrack& staff)
{
    std::vector<int> sides(staff.voices.size(), 0);
    std::vector<VoiceSpan> spans;
    for (const auto& voice : staff.voices)
        spans.push_back(voice->notes.empty() ? VoiceSpan{} : spanOf(b, *voice));
    for (size_t i = 0; i < spans.size(); ++i)
        for (size_t j = i + 1; j < spans.size(); ++j) {
            const VoiceSpan& x = spans[i];
            const VoiceSpan& y = spans[j];
            if (x.heads == 0 || y.heads == 0 || x.measure != y.measure || x.to <= y.from
                || y.to <= x.from)
                continue;
            // Mean positions compared without division: x.pos/x.heads vs y.pos/y.heads.
            const bool xUpper = int64_t(x.positions) * y.heads >= int64_t(y.positions) * x.heads;
            if (sides[i] == 0)
                sides[i] = xUpper ? 1 : -1;
            if (sides[j] == 0)
                sides[j] = xUpper ? -1 : 1;
        }
    return sides;
}

} // namespace

void shapeChords(Build& b, CStaffTrack& staff)
{
    const int t = b.timeBase;
    const CStaffNote* previous = nullptr;
    for (auto& voice : staff.voices) {
        for (auto& element : voice->notes) {
            const auto& items = element->items;
            for (size_t i = 1; i < items.size(); ++i)
                if (items[i].position - items[i - 1].position == 1)
                    element->second = true;
            const int columns = accidentalColumns(items);
            if (columns >= 2
                || (columns == 1 && (element->second || (previous && previous->second)))) {
                CStaffMeasure& measure = b.model.measures[size_t(element->measure)];
                if (element->tick == measure.song.start) {
                    measure.leadIn += b.leadIn / 2;
                    measure.extraLeadIn += b.leadIn / 2;
                } else if (previous && previous->measure == element->measure
                           && previous->tick < element->tick) {
                    const int64_t gap = int64_t(element->tick) - previous->tick;
                    measure.valueFlags |= gap <= t / 4 ? 2 : gap <= t / 2 ? 4 : gap <= t ? 8 : 0;
                }
            }
            previous = element.get();
        }
    }
}

void markRepeats(Build& b)
{
    if (b.model.measures.empty())
        return;
    const int half = b.timeBase / 2;
    for (const auto& cuePtr : b.song.cues) {
        const CCue& cue = *cuePtr;
        if (cue.kind != kCueVamp)
            continue;
        CStaffMeasure& start = b.model.measures[size_t(b.measureOf(int64_t(cue.secondTime) + half))];
        start.headerFlags |= kRepeatStart;
        start.leadIn += b.leadIn;
        start.extraLeadIn += b.leadIn;
        CStaffMeasure& end =
            b.model.measures[size_t(b.measureOf(std::max<int64_t>(int64_t(cue.time) - half, 0)))];
        end.headerFlags |= kRepeatEnd;
        end.trailingWidth = b.leadIn;
    }
}

void measureWidths(Build& b)
{
    const int glyph = b.staffSize - 1;
    for (CStaffMeasure& measure : b.model.measures) {
        const uint32_t flags = measure.valueFlags;
        const int units = flags & 2 ? 128 : flags & 4 ? 64 : flags & kHasLyrics ? 48 : flags & 8 ? 32 : 16;
        const int64_t quarter = int64_t(units) * glyph / 27;
        const int64_t content =
            measure.song.numerator * quarter * 4 / std::max<int>(measure.song.denominator, 1);
        measure.contentWidth = int(std::min<int64_t>(content, INT_MAX));
    }
    for (const CStaffTrack& staff : b.model.staves)
        roomForAccidentals(b, staff);
    int64_t total = 0;
    for (CStaffMeasure& measure : b.model.measures) {
        measure.laidOutWidth = measure.contentWidth;
        measure.x = int(std::min<int64_t>(total, INT_MAX));
        total += int64_t(measure.trailingWidth) + measure.leadIn + measure.contentWidth;
    }
    b.model.systemWidth = int(std::min<int64_t>(total, INT_MAX));
}

void mergeLeadSheet(Build& b)
{
    auto& staves = b.model.staves;
    auto target = std::find_if(staves.begin(), staves.end(),
                               [](const CStaffTrack& s) { return !s.spans.empty(); });
    if (target == staves.end())
        return;
    std::vector<bool> given(staves.size(), false);
    for (size_t i = 0; i < staves.size(); ++i) {
        CStaffTrack& staff = staves[i];
        if (&staff == &*target || staff.grandStaff || staff.texts.empty() || !staff.spans.empty())
            continue;
        for (CStaffText& text : staff.texts) {
            auto at = std::lower_bound(target->texts.begin(), target->texts.end(), text.tick,
                                       [](const CStaffText& t, int tick) { return t.tick < tick; });
            target->texts.insert(at, std::move(text));
        }
        for (size_t m = 0; m < staff.content.size(); ++m)
            target->content[m] |= staff.content[m];
        given[i] = true;
    }
    std::vector<CStaffTrack> kept;
    for (size_t i = 0; i < staves.size(); ++i)
        if (!given[i])
            kept.push_back(std::move(staves[i]));
    staves = std::move(kept);
}

void placeStems(Build& b, CStaffTrack& staff, int)
{
    staff.highestPosition = 4;
    staff.lowestPosition = -4;
    const std::vector<int> together = togetherSides(b, staff);
    const bool drums = staff.clef == kDrumMapClef || staff.clef == kOneLineDrumClef;
    for (size_t v = 0; v < staff.voices.size(); ++v) {
        auto& notes = staff.voices[v]->notes;
        const int side = !drums ? together[v] : feetOnly(staff, notes, 0, notes.size()) ? -1 : 1;
        for (size_t from = 0; from < notes.size();) {
            size_t to = from + 1;
            while (to < notes.size() && !notes[to]->beamBreak)
                ++to;
            const bool down = drums        ? feetOnly(staff, notes, from, to)
                              : side != 0 ? side < 0
                                          : stemsDown(notes, from, to);
            for (size_t i = from; i < to; ++i) {
                notes[i]->stemDown = down;
                if (notes[i]->rest && together[v] != 0)
                    notes[i]->restShift = side * kRestShift;
            }
            from = to;
        }
    }
    for (size_t v = staff.voices.size(); v-- > 0;) {
        CStaffBeat& voice = *staff.voices[v];
        const std::vector<bool> digits = underTupletDigit(voice.notes);
        for (size_t i = 0; i < voice.notes.size(); ++i) {
            CStaffNote* element = voice.notes[i].get();
            const size_t m = size_t(element->measure);
            int& lowVoice = staff.lowestVoice[m];
            lowVoice = lowVoice < 0 ? int(v) : std::min(lowVoice, int(v));
            staff.highestVoice[m] = std::max(staff.highestVoice[m], int(v));
            if (!element->rest && !element->items.empty()) {
                int low = element->items.front().position;
                int high = element->items.back().position;
                if (element->stemDown)
                    low = std::min(low - 5, high - 7);
                else
                    high = std::max(high + 5, low + 7);
                if (digits[i] && element->stemDown)
                    low -= kTupletDigitRoom;
                else if (digits[i])
                    high += kTupletDigitRoom;
                staff.highestUsed[m] = std::max(staff.highestUsed[m], high);
                staff.lowestUsed[m] = std::min(staff.lowestUsed[m], low);
                staff.highestPosition = std::max(staff.highestPosition, high);
                staff.lowestPosition = std::min(staff.lowestPosition, low);
            }
            element->x = b.xOf(element->tick, element->measure);
        }
        if (!voice.notes.empty()) {
            voice.firstX = voice.notes.front()->x;
            voice.lastX = voice.notes.back()->x;
        }
    }
}

void layOutStaves(Build& b)
{
    auto& staves = b.model.staves;
    const int glyph = b.staffSize - 1;
    const int lineSpace = b.staffSize / 4;
    const auto pixels = [&](int steps) { return steps * lineSpace / 2; };
    int y = glyph / 2;
    for (size_t i = 0; i < staves.size(); ++i) {
        CStaffTrack& staff = staves[i];
        staff.topLineY = pixels(staff.topExtent - 4) + y;
        if (staff.grandStaff && !staff.lowerStaff && i + 1 < staves.size()
            && staves[i + 1].lowerStaff) {
            CStaffTrack& lower = staves[++i];
            staff.bandHeight = pixels(staff.topExtent + 12);
            lower.bandHeight = pixels(12 - lower.bottomExtent);
            lower.topLineY = staff.topLineY + 3 * b.metrics.musicFontUnit();
            y += staff.bandHeight + lower.bandHeight;
        } else {
            staff.bandHeight = pixels(staff.topExtent - staff.bottomExtent);
            y += staff.bandHeight;
        }
        b.model.bracketHeight = glyph - staves.front().topLineY + staves[i].topLineY;
    }
    b.model.systemHeight = y;
}

} // namespace rz::staff_build
