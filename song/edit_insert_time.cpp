// Insert > Meter and Insert > Time of the song document: the edits that lay
// measures out anew. Each works on a copy of the measure map and carries its
// snapshot in the record, so no reader ever sees a half-edited map. GUI thread.

#include <algorithm>
#include <cmath>
#include <optional>

#include "core/edit_dialogs.h"
#include "core/prompt.h"
#include "song/build_maps.h"
#include "song/clipboard_edit.h"
#include "song/edit_insert.h"
#include "song/song_doc.h"

namespace rz {

namespace {

int64_t endOf(const MeasureRec& m) { return int64_t(m.start) + m.length; }

// The power of two of a note value from a dialog: the next one up, 1..64.
int denominatorPower(int32_t denominator)
{
    int power = 0;
    while (power < kMaxDenominatorPower && (int32_t(1) << power) < denominator)
        ++power;
    return power;
}

// Measures keep the labels their places had; appended ones count on.
void numberByPosition(MeasureMap& out, const MeasureMap& before)
{
    for (size_t j = 0; j < out.size(); ++j) {
        if (j < before.size()) {
            out[j].number = before[j].number;
            out[j].letter = before[j].letter;
        } else {
            out[j].number = uint16_t(j > 0 && out[j - 1].number < UINT16_MAX ? out[j - 1].number + 1 : 1);
            out[j].letter = 0;
        }
    }
}

// A measure after `before`: numbered one higher, no letter.
MeasureRec following(const MeasureRec& before)
{
    MeasureRec next = before;
    if (next.number < UINT16_MAX)
        ++next.number;
    next.letter = 0;
    return next;
}

struct Meter {
    int numerator = 4;
    int power = 2;
    uint8_t clicks = 24;

    void applyTo(MeasureRec& m) const
    {
        m.setMeter(numerator, power);
        m.clocksPerClick = clicks;
    }
};

// Lays whole measures of the new meter from measure a to the end of
// measure b, and one measure for what is left over unless b is the last.
bool relayMeasures(CSongDoc& song, MeasureMap& map, size_t a, size_t b, const Meter& meter, bool keepNumbers)
{
    const int tb = song.timeBase;
    const int64_t length = measureLength(tb, meter.numerator, 1 << meter.power);
    const int64_t startA = map[a].start;
    const bool bLast = b + 1 == map.size();
    int64_t end = endOf(map[b]);
    if (bLast)
        end = std::max(end, startA + length);
    const int64_t whole = (end - startA) / length;
    if (int64_t(map.size()) - int64_t(b - a + 1) + whole + 1 > int64_t(kMaxSongMeasures)) {
        song.context().prompt.message(kInsertPastEnd);
        return false;
    }
    MeasureMap out(map.begin(), map.begin() + std::ptrdiff_t(a));
    for (int64_t i = 0; i < whole; ++i) {
        MeasureRec m = a + size_t(i) <= b ? map[a + size_t(i)] : following(out.back());
        meter.applyTo(m);
        out.push_back(m);
    }
    const int64_t rest = end - (startA + whole * length);
    if (rest > 0 && !bLast) {
        MeasureRec m = whole > 0 ? out.back() : map[a];
        m.number = out.empty() ? 1 : following(out.back()).number;
        m.letter = 0;
        meter.applyTo(m);
        FitMeter(m, rest, tb);
        m.clocksPerClick = clicksFor(96 / m.denominator);
        out.push_back(m);
    }
    out.insert(out.end(), map.begin() + std::ptrdiff_t(b) + 1, map.end());
    if (!keepNumbers)
        numberByPosition(out, map);
    map = std::move(out);
    return true;
}

// The measure holding `at` cut there: it keeps the first part, a new
// measure after it the rest. Preserving numbers, the rest takes the next
// letter of the measure's label.
void splitMeasure(MeasureMap& map, size_t m, int64_t offset, int timeBase, bool preserveNumbers)
{
    MeasureRec rest = map[m];
    FitMeter(rest, map[m].length - offset, timeBase);
    rest.clocksPerClick = clicksFor(rest.clocksPerClick);
    FitMeter(map[m], offset, timeBase);
    map[m].clocksPerClick = clicksFor(map[m].clocksPerClick);
    if (preserveNumbers) {
        if (rest.letter == 0) {
            rest.letter = 'A';
        } else if (rest.letter < 'Z') {
            ++rest.letter;
        } else {
            rest.letter = 'A';
            if (rest.number < UINT16_MAX)
                ++rest.number;
        }
    }
    map.insert(map.begin() + std::ptrdiff_t(m) + 1, rest);
}

// The k-th measure an insert adds, labelled when numbers are preserved.
void labelInserted(MeasureRec& m, int64_t k)
{
    m.number = uint16_t(std::min<int64_t>(k / 26, UINT16_MAX));
    m.letter = char('A' + k % 26);
}

struct TimeInsert {
    const InsertTimeParams& params;
    int32_t at = 0;        // the song position
    int64_t length = 0;    // ticks inserted
    std::unique_ptr<CTempoSet> tempo;
};

bool insertMeasures(CSongDoc& song, MeasureMap& map, size_t place, const MeasureRec& old, TimeInsert& insert)
{
    const InsertTimeParams& p = insert.params;
    if (int64_t(map.size()) + p.count > int64_t(kMaxSongMeasures)) {
        song.context().prompt.message(kInsertPastEnd);
        return false;
    }
    MeasureRec added = old;
    added.setMeter(std::clamp(p.numerator, 1, kMaxNumerator), std::clamp(p.beatValue, 0, kMaxDenominatorPower));
    added.key = int8_t(std::clamp(p.key, -7, 7));
    if (added.numerator != old.numerator || added.denominator != old.denominator) {
        const bool compound = added.denominator > 4 && added.numerator % 3 == 0;
        added.clocksPerClick = clicksFor((compound ? 288 : 96) / added.denominator);
    }
    MeasureMap inserted(size_t(p.count), added);
    for (size_t k = 0; k < inserted.size(); ++k)
        if (p.preserveNumbers)
            labelInserted(inserted[k], int64_t(k));
    map.insert(map.begin() + std::ptrdiff_t(place), inserted.begin(), inserted.end());
    insert.length = int64_t(p.count) * measureLength(song.timeBase, added.numerator, added.denominator);
    return true;
}

// Quarter notes whose tempo stretches `count` milliseconds: about one per
// ten seconds, and enough that no tempo exceeds what a file can store.
int64_t beatsForMilliseconds(int64_t count)
{
    const int64_t micros = count * 1000;
    return std::max({count / 10000, (micros + int64_t(kMaxTempo) - 1) / int64_t(kMaxTempo), int64_t(1)});
}

// Beats of quarter notes laid in measures of up to six, and the tempo that
// makes them last the milliseconds, the old tempo coming back after them.
bool insertMilliseconds(CSongDoc& song, MeasureMap& map, size_t place, TimeInsert& insert)
{
    const InsertTimeParams& p = insert.params;
    const int64_t beats = beatsForMilliseconds(p.count);
    const int64_t measures = (beats + 5) / 6;
    if (int64_t(map.size()) + measures > int64_t(kMaxSongMeasures)) {
        song.context().prompt.message(kInsertPastEnd);
        return false;
    }
    MeasureMap added;
    for (int64_t k = 0, left = beats; left > 0; ++k, left -= 6) {
        MeasureRec m = map[place > 0 ? place - 1 : 0];
        m.setMeter(int(std::min<int64_t>(left, 6)), 2);
        m.clocksPerClick = 24;
        m.key = int8_t(std::clamp(p.key, -7, 7));
        labelInserted(m, k);
        added.push_back(m);
    }
    map.insert(map.begin() + std::ptrdiff_t(place), added.begin(), added.end());
    insert.length = beats * song.timeBase;

    const TempoMap& tempos = song.tempoMap;
    const uint32_t before = tempos.empty() ? kDefaultTempo : tempos[size_t(FindTempoIndex(tempos, insert.at))].tempo;
    auto set = std::make_unique<CTempoSet>();
    for (size_t k = 0; k < tempos.size(); ++k)
        if (tempos[k].tick == insert.at)
            set->removeKeys.push_back(uint32_t(k));
    TempoEntry stretched;
    stretched.tick = insert.at;
    stretched.setTempo(uint32_t(std::floor(double(p.count) * 1000.0 / double(beats) + 0.999)));
    TempoEntry restored;
    restored.tick = int32_t(insert.at + insert.length);
    restored.tempo = before;
    set->entries = {stretched, restored};
    insert.tempo = std::move(set);
    return true;
}

// Builds the new map and the inserted length; false when nothing is inserted.
bool layInsertedTime(CSongDoc& song, MeasureMap& map, TimeInsert& insert)
{
    const InsertTimeParams& p = insert.params;
    const size_t m = size_t(FindMeasure(map, insert.at));
    const MeasureRec old = map[m];
    const int64_t offset = insert.at - old.start;
    const bool split = offset > 0
                       && (p.method == InsertTimeMethod::Measures || p.method == InsertTimeMethod::Milliseconds);
    if (split)
        splitMeasure(map, m, offset, song.timeBase, p.preserveNumbers);
    const size_t place = split ? m + 1 : m;
    switch (p.method) {
    case InsertTimeMethod::Measures: return insertMeasures(song, map, place, old, insert);
    case InsertTimeMethod::Beats: {
        const int64_t beat = beatLength(song.timeBase, old);
        FitMeter(map[m], old.length + std::min<int64_t>(p.count, kLastEditTick) * beat, song.timeBase);
        insert.length = int64_t(measureLength(song.timeBase, map[m].numerator, map[m].denominator)) - old.length;
        return insert.length > 0;
    }
    case InsertTimeMethod::Ticks: insert.length = p.count; return true;
    case InsertTimeMethod::Milliseconds: return insertMilliseconds(song, map, place, insert);
    }
    return false;
}

// Notes that start before the insertion and sound past the position plus
// the threshold are lengthened over the inserted time.
std::unique_ptr<CEventList> stretchedNotes(const CSongDoc& song, int64_t start, const TimeInsert& insert)
{
    EventListBuilder builder;
    const int64_t past = int64_t(insert.at) + insert.params.stretchThreshold;
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        const CTrack& track = *song.tracks[t];
        if (track.type == kWaveTrack)
            continue;
        for (size_t e = 0; e < track.events.size() && track.events[e].tick < start; ++e) {
            const CMidiEvent& event = track.events[e];
            if (!event.isNote() || int64_t(event.tick) + event.value2 <= past)
                continue;
            builder.remove(uint32_t(t << 24 | e));
            CMidiEvent longer = event;
            longer.value2 = tickOf(int64_t(event.value2) + insert.length);
            builder.insert(std::move(longer), placedOn(t));
        }
    }
    return builder.empty() ? nullptr : builder.build();
}

} // namespace

void CSongDoc::OnInsertMeter()
{
    if (!OnUpdateInsert(EditDialog::Meter) || measureMap.empty())
        return;
    const std::optional<MeterParams> p = m_context.editDialogs->meter(*this);
    if (!p)
        return;
    const Meter meter{std::clamp(p->numerator, 1, 32), denominatorPower(p->denominator), clicksFor(p->clicks)};
    MeasureMap map = measureMap;
    rz::RecomputeMeasureStarts(map, timeBase);
    const size_t a = size_t(rz::FindMeasure(map, clampPosition(*this, std::min(p->from, p->through))));
    const size_t b = size_t(rz::FindMeasure(map, clampPosition(*this, std::max(p->from, p->through))));
    switch (p->method) {
    case MeterMethod::Resize:
        for (size_t i = a; i <= b; ++i)
            meter.applyTo(map[i]);
        break;
    case MeterMethod::KeepMeter:
    case MeterMethod::KeepNumbers:
        if (!relayMeasures(*this, map, a, b, meter, p->method == MeterMethod::KeepNumbers))
            return;
        break;
    }
    rz::RecomputeMeasureStarts(map, timeBase);
    if (!insertFits(*this, map, endTick))
        return;
    rz::ExtendMeasureMap(map, endTick);
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoMeasures;
    record->label = "Insert Meter Change";
    record->measures = rz::SnapshotMeasureMap(map, timeBase);
    ApplyEdit(std::move(record));
}

void CSongDoc::OnInsertTime()
{
    if (!OnUpdateInsert(EditDialog::InsertTime) || measureMap.empty())
        return;
    const std::optional<InsertTimeParams> p = m_context.editDialogs->insertTime(*this);
    if (!p || p->count < 1)
        return;
    TimeInsert insert{*p, int32_t(std::clamp<int64_t>(position(), 0, kLastEditTick)), 0, nullptr};
    MeasureMap map = measureMap;
    rz::RecomputeMeasureStarts(map, timeBase);
    if (!insertFits(*this, map, int64_t(insert.at) + 1))
        return;
    rz::ExtendMeasureMap(map, insert.at + 1);
    const MeasureMap before = map;
    if (!layInsertedTime(*this, map, insert))
        return;
    if (!p->preserveNumbers)
        numberByPosition(map, before);
    rz::RecomputeMeasureStarts(map, timeBase);
    const int64_t songEnd = std::max<int64_t>(endTick, insert.at) + insert.length;
    if (!insertFits(*this, map, songEnd))
        return;
    if (p->method == InsertTimeMethod::Ticks)
        rz::ExtendMeasureMap(map, int32_t(songEnd));

    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoInsertTime | kUndoMeasures;
    record->label = "Insert Time";
    record->start = insert.at - std::clamp(p->shift, 0, insert.at);
    record->payload = int32_t(insert.length);
    record->measures = rz::SnapshotMeasureMap(map, timeBase);
    if (insert.tempo) {
        record->flags |= kUndoTempo;
        record->tempo = std::move(insert.tempo);
    }
    if (p->stretch) {
        record->events = stretchedNotes(*this, record->start, insert);
        if (record->events)
            record->flags |= kUndoEvents;
    }
    ApplyEdit(std::move(record));
}

} // namespace rz
