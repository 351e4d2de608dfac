// The Insert menu of the song document: key signatures, measure numbers,
// tracks, events, series of controller values and chords. Meter and time
// live in edit_insert_time.cpp. GUI thread.

#include "song/edit_insert.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "core/edit_dialogs.h"
#include "core/engine_gui_values.h"
#include "core/engine_link.h"
#include "core/field_number.h"
#include "core/midi_bytes.h"
#include "core/prompt.h"
#include "core/track_rows.h"
#include "song/build_maps.h"
#include "song/clipboard_edit.h"
#include "song/song_doc.h"

namespace rz {

namespace {

constexpr char kNoMidiOnWaveTrack[] = "Sorry, you can't add MIDI events to a waveform audio track.";

// Applies an edited copy of the measure map as one record.
void applyMeasures(CSongDoc& song, MeasureMap& map, const char* label, uint32_t flags = kUndoMeasures)
{
    RecomputeMeasureStarts(map, song.timeBase);
    auto record = std::make_unique<CUndoRecord>();
    record->flags = flags;
    record->label = label;
    record->measures = SnapshotMeasureMap(map, song.timeBase);
    song.ApplyEdit(std::move(record));
}

struct Label {
    uint16_t number = 1;
    char letter = 0;
};

// The label after this one: the letter advances (past 'Z' back to 'A' with
// the number one higher); without a letter the number goes up.
void advance(Label& label)
{
    if (label.letter != 0 && label.letter < 'Z') {
        ++label.letter;
        return;
    }
    if (label.letter != 0)
        label.letter = 'A';
    if (label.number < UINT16_MAX)
        ++label.number;
}

char validLetter(char letter)
{
    if (letter >= 'a' && letter <= 'z')
        return char(letter - 'a' + 'A');
    return letter >= 'A' && letter <= 'Z' ? letter : 0;
}

int32_t inRangeOr(int32_t value, int32_t low, int32_t high, int32_t otherwise)
{
    return value >= low && value <= high ? value : otherwise;
}

template <size_t N>
void copyValues(std::array<int32_t, N>& to, const std::array<int32_t, N>& from, int32_t high)
{
    for (size_t i = 0; i < N; ++i)
        to[i] = inRangeOr(from[i], 0, high, -1);
}

TrackPropsParams newTrackPreset()
{
    TrackPropsParams preset;
    preset.name = "New track";
    preset.playEnabled = 1;
    // What a new track gets anyway, shown so that the dialog opens with the
    // MIDI controls usable.
    const CTrack fresh;
    preset.kind = fresh.type;
    preset.port = fresh.port;
    preset.channel = fresh.channel;
    preset.inputPort = fresh.inputDevice;
    preset.inputChannel = fresh.inputChannel + 1;
    preset.clef = fresh.notationSetting;
    preset.keyText = std::to_string(fresh.key);
    preset.timeText = std::to_string(fresh.timeOffset);
    preset.velocityText = std::to_string(fresh.velocityOffset);
    preset.bank = -1;
    preset.patch = -1;
    preset.initialControllers[0] = 64;  // pan
    preset.initialControllers[1] = 100; // volume
    preset.splitNote = 60;
    preset.color = kDefaultTrackColor;
    return preset;
}

std::unique_ptr<CTrack> trackFromDialog(const TrackPropsParams& p)
{
    auto track = std::make_unique<CTrack>();
    CTrack& t = *track;
    t.type = inRangeOr(p.kind, kMidiTrack, kMetaTrack, kMidiTrack);
    if (!p.name.empty())
        t.name = p.name;
    t.bank = inRangeOr(p.bank, 0, 16383, -1);
    t.patch = inRangeOr(p.patch, 0, 127, -1);
    t.channel = inRangeOr(p.channel, 0, 15, t.channel);
    t.port = inRangeOr(p.port, 0, 15, t.port);
    t.inputDevice = inRangeOr(p.inputPort, 0, 15, t.inputDevice);
    // The dialog's 0 is "All channels"; the track keeps -1 for any.
    t.inputChannel = inRangeOr(p.inputChannel - 1, -1, 15, t.inputChannel);
    t.key = fieldNumber(p.keyText, -127, 127).value_or(t.key);
    t.timeOffset = fieldNumber(p.timeText, -kMaxTrackTimeOffset, kMaxTrackTimeOffset).value_or(t.timeOffset);
    t.velocityOffset = fieldNumber(p.velocityText, -127, 127).value_or(t.velocityOffset);
    copyValues(t.initialControllers, p.initialControllers, 127);
    copyValues(t.rpnValues, p.rpnValues, 16383);
    copyValues(t.channelPressureDest, p.channelPressureDest, 127);
    copyValues(t.keyPressureDest, p.keyPressureDest, 127);
    copyValues(t.controllerDest, p.controllerDest, 127);
    t.destController = inRangeOr(p.destController, 0, 127, -1);
    t.notationSetting = std::max(p.clef, 0);
    // The split note is kept relative to middle C.
    t.notationValue = p.splitNote >= 0 && p.splitNote <= 127 ? p.splitNote - 60 : 0;
    if (p.playEnabled == 0 || p.playEnabled == 1)
        t.playEnabled = t.savedPlayEnabled = p.playEnabled;
    t.setColor(p.color);
    return track;
}

// --- Insert Event ---

// The bits an existing event at the same tick must share with a new one to
// be replaced by it; channels never count.
uint32_t replaceMask(uint32_t message)
{
    const uint32_t kind = midi::statusOf(message);
    if (kind == 0x10 || kind == 0x20)
        return 0xFFFFF0;
    if (kind >= midi::kNoteOff && kind <= midi::kControlChange)
        return 0xFFF0;
    // A meta event replaces only one of its own type: a text must not take
    // the place of a tempo or key signature at the same tick.
    if ((message & 0xFF) == midi::kMeta)
        return 0xFFFF;
    return kind >= midi::kSysEx ? 0xFF : midi::kKindMask;
}

// The index of an event at the tick that the new one replaces, searched from
// the track's end back to the first event before the tick.
std::optional<size_t> replacedEvent(const CTrack& track, const CMidiEvent& added)
{
    const uint32_t mask = replaceMask(added.message);
    for (size_t e = track.events.size(); e-- > 0;) {
        const CMidiEvent& event = track.events[e];
        if (event.tick < added.tick)
            break;
        if (event.tick == added.tick && ((event.message ^ added.message) & mask) == 0)
            return e;
    }
    return std::nullopt;
}

bool isSeparator(char c) { return c == ' ' || c == '\n' || c == '\r'; }

// One lyric per word; each after the first is marked by the separators
// before it: " " a space, "/" a line break, "\" a blank line.
std::vector<std::string> lyricWords(std::string_view text)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        const size_t runStart = i;
        while (i < text.size() && isSeparator(text[i]))
            ++i;
        const size_t wordStart = i;
        while (i < text.size() && !isSeparator(text[i]))
            ++i;
        if (wordStart == i)
            break;
        std::string mark;
        const size_t run = wordStart - runStart;
        if (!words.empty() && run > 0)
            mark = text[runStart] == ' ' ? " " : (run <= 2 ? "/" : "\\");
        words.push_back(mark + std::string(text.substr(wordStart, i - wordStart)));
    }
    return words;
}

void insertDialogEvent(CSongDoc& song, const EventPropsResult& r, size_t track, int32_t tick)
{
    EventListBuilder builder;
    const uint32_t place = placedOn(track);
    if (r.message == 0x5FF) {
        const std::string text(r.data.begin(), r.data.end());
        for (const std::string& word : lyricWords(text)) {
            CMidiEvent lyric;
            lyric.tick = tick;
            lyric.SetMetaText(5, word);
            builder.insert(std::move(lyric), place);
        }
    } else {
        CMidiEvent event = eventFromDialog(r, tick);
        if (const std::optional<size_t> old = replacedEvent(*song.tracks[track], event))
            builder.remove(uint32_t(track << 24 | *old));
        builder.insert(std::move(event), place);
    }
    if (builder.empty())
        return;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = "Insert Event";
    record->events = builder.build();
    song.ApplyEdit(std::move(record));
}

// --- Series of controller values ---

// What a series writes and matches: the message pattern, the bits that
// must agree, and where the value sits.
struct SeriesKind {
    uint32_t pattern = 0;
    uint32_t mask = 0;
    enum Place { SecondByte, FirstByte, Bend } place = SecondByte;
    int32_t low = 0, high = 127;

    int32_t valueOf(const CMidiEvent& e) const
    {
        switch (place) {
        case SecondByte: return e.data2();
        case FirstByte: return e.data1();
        case Bend: return int32_t(e.data1() | e.data2() << 7) - 8192;
        }
        return 0;
    }
    uint32_t message(int channel, int32_t value) const
    {
        const uint32_t status = (pattern & 0xFFF0) | uint32_t(channel & 0xF);
        switch (place) {
        case SecondByte: return status | uint32_t(value & 0x7F) << 16;
        case FirstByte: return status | uint32_t(value & 0x7F) << 8;
        case Bend: {
            const uint32_t raw = uint32_t(value + 8192);
            return status | (raw & 0x7F) << 8 | ((raw >> 7) & 0x7F) << 16;
        }
        }
        return status;
    }
};

std::optional<SeriesKind> seriesKind(int32_t controller)
{
    if (controller >= 0 && controller <= 127)
        return SeriesKind{midi::kControlChange | uint32_t(controller) << 8, 0xFFF0, SeriesKind::SecondByte};
    const int32_t kind = controller & 0xFF;
    if (kind == kSeriesKeyPressure)
        return SeriesKind{midi::kPolyPressure | uint32_t((controller >> 8) & 0x7F) << 8, 0xFFF0, SeriesKind::SecondByte};
    if (kind == kSeriesChannelPressure)
        return SeriesKind{midi::kChannelPressure, midi::kKindMask, SeriesKind::FirstByte};
    if (kind == kSeriesPitchBend)
        return SeriesKind{midi::kPitchBend, midi::kKindMask, SeriesKind::Bend, -8192, 8191};
    return std::nullopt;
}

int32_t defaultReturnValue(int32_t controller)
{
    switch (controller) {
    case cc::kVolume: return 100;
    case cc::kPan: return 64;
    case cc::kExpression: return 127;
    default: return 0;
    }
}

// The tracks a series goes to: the current row alone in current-row mode
// when it is a user track, else the selected rows. Waveform tracks take no
// MIDI events.
std::vector<size_t> seriesTracks(const CSongDoc& song)
{
    std::vector<size_t> tracks;
    const ITrackRows* rows = song.context().trackRows;
    if (rows == nullptr)
        return tracks;
    const int current = rows->currentRow();
    const bool currentOnly = rows->currentRowMode() && current >= 1 && size_t(current) + 2 <= song.tracks.size();
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        const bool chosen = currentOnly ? int(t) == current : rows->IsRowSelected(int(t));
        if (chosen && song.tracks[t]->type != kWaveTrack)
            tracks.push_back(t);
    }
    return tracks;
}

void seriesOnTrack(const CSongDoc& song, size_t t, const ControllerSeriesParams& p, const SeriesKind& kind,
                   EventListBuilder& builder)
{
    const CTrack& track = *song.tracks[t];
    int32_t returnValue = p.controller >= 0 && p.controller <= 127 ? defaultReturnValue(p.controller) : 0;
    for (size_t e = 0; e < track.events.size() && track.events[e].tick <= p.through; ++e) {
        const CMidiEvent& event = track.events[e];
        if (((event.message ^ kind.pattern) & kind.mask) != 0)
            continue;
        returnValue = kind.valueOf(event);
        if (event.tick >= p.from)
            builder.remove(uint32_t(t << 24 | e));
    }
    const uint32_t place = placedOn(t);
    auto emit = [&](int32_t tick, int32_t value) {
        CMidiEvent event;
        event.tick = tick;
        event.message = kind.message(track.channel, value);
        builder.insert(std::move(event), place);
    };
    const int32_t v1 = std::clamp(p.value1, kind.low, kind.high);
    const int32_t v2 = std::clamp(p.value2, kind.low, kind.high);
    if (p.from < p.through && v1 != v2) {
        const int64_t half = std::max<int64_t>(song.GetGridTicks() / 2, 1);
        const int32_t steps = std::abs(v2 - v1);
        const int32_t direction = v2 > v1 ? 1 : -1;
        const double span = double(p.through) - p.from;
        int64_t last = 0;
        for (int32_t s = 0; s <= steps; ++s) {
            const int64_t tick = int64_t(std::floor(p.from + s * span / steps + 0.5));
            if (s == 0 || tick == p.through || (tick - last >= half && p.through - tick >= half)) {
                emit(int32_t(tick), v1 + s * direction);
                last = tick;
            }
        }
    } else {
        emit(p.from, v1);
    }
    if (p.from < p.through && p.returnToOriginal)
        emit(p.through, returnValue);
}

// --- Chord ---

std::string chordMarker(const ChordParams& c)
{
    std::string text = "@DR;1";
    for (const int32_t value : c.chord)
        text += ";" + std::to_string(value);
    return text + ";" + c.text + "|" + c.name;
}

} // namespace

int32_t clampPosition(const CSongDoc& song, int64_t tick)
{
    const int64_t end = std::max<int64_t>(song.endTick, song.measureMapEnd);
    return int32_t(std::clamp<int64_t>(tick, 0, std::min<int64_t>(end, kLastEditTick)));
}

bool insertFits(CSongDoc& song, const MeasureMap& map, int64_t until)
{
    bool fits = !map.empty() && map.size() <= kMaxSongMeasures && until <= kLastEditTick;
    if (fits) {
        const MeasureRec& last = map.back();
        const int64_t length = std::max<int32_t>(last.length, 1);
        const int64_t needed = until > last.start ? (until - last.start + length - 1) / length : 0;
        fits = int64_t(map.size()) + needed <= int64_t(kMaxSongMeasures);
    }
    if (!fits)
        song.context().prompt.message(kInsertPastEnd);
    return fits;
}

CMidiEvent eventFromDialog(const EventPropsResult& r, int32_t tick)
{
    CMidiEvent event;
    event.message = r.message;
    event.tick = tick;
    event.value2 = r.value2;
    if (r.kind == EventKindIndex::Note)
        event.spelling = int8_t(std::clamp(r.accidental, -1, 4));
    // A data block's length is the event's second value.
    if (!r.data.empty())
        event.SetData(r.data);
    return event;
}

uint8_t clicksFor(int clicks)
{
    return uint8_t(std::clamp(clicks, 1, 255));
}

size_t userTrackOr(const CSongDoc& song, int64_t track, size_t fallback)
{
    return track >= 1 && track + 2 <= int64_t(song.tracks.size()) ? size_t(track) : fallback;
}

bool CSongDoc::OnUpdateInsert(EditDialog dialog) const
{
    if (!editingAllowed() || !hasEditDialog(*this, dialog))
        return false;
    // A series goes onto the chosen tracks: without one it would do nothing.
    return dialog != EditDialog::ControllerSeries || !seriesTracks(*this).empty();
}

void CSongDoc::OnInsertKeySignature()
{
    if (!OnUpdateInsert(EditDialog::KeySignature) || measureMap.empty())
        return;
    const std::optional<KeySignatureParams> p = m_context.editDialogs->keySignature(*this);
    if (!p)
        return;
    MeasureMap map = measureMap;
    const int32_t from = clampPosition(*this, std::min(p->from, p->through));
    const int32_t through = clampPosition(*this, std::max(p->from, p->through));
    const int last = rz::FindMeasure(map, through);
    for (int i = rz::FindMeasure(map, from); i <= last; ++i)
        map[size_t(i)].key = int8_t(std::clamp(p->key, -7, 7));
    applyMeasures(*this, map, "Insert Key Change");
}

void CSongDoc::OnInsertMeasureNumbers()
{
    if (!OnUpdateInsert(EditDialog::MeasureNumbers) || measureMap.empty())
        return;
    const std::optional<MeasureNumbersParams> p = m_context.editDialogs->measureNumbers(*this);
    if (!p)
        return;
    MeasureMap map = measureMap;
    const size_t first = size_t(rz::FindMeasure(map, std::max(position(), 0)));
    const size_t labelled = std::min<size_t>(size_t(std::max(p->count, 1)), map.size() - first);
    std::vector<Label> old;
    for (size_t j = first; j < map.size(); ++j)
        old.push_back({map[j].number, map[j].letter});
    Label next{uint16_t(std::clamp(p->number, 0, int32_t(UINT16_MAX))), validLetter(p->letter)};
    for (size_t k = 0; k < labelled; ++k) {
        map[first + k].number = next.number;
        map[first + k].letter = next.letter;
        advance(next);
    }
    // Sliding moves every later label down past the new ones; those pushed
    // beyond the last measure are lost.
    if (p->method == MeasureNumberMethod::Slide) {
        for (size_t j = first + labelled; j < map.size(); ++j) {
            map[j].number = old[j - first - labelled].number;
            map[j].letter = old[j - first - labelled].letter;
        }
    }
    applyMeasures(*this, map, "Insert Measure Numbers");
}

void CSongDoc::InsertTrack()
{
    if (!OnUpdateInsert(EditDialog::TrackProperties) || tracks.size() < 2)
        return;
    const std::optional<TrackPropsParams> p = m_context.editDialogs->trackProperties(*this, newTrackPreset());
    if (!p) {
        // The dialog may have sent patch previews.
        LocateToCurrent();
        return;
    }
    const int current = m_context.trackRows != nullptr ? m_context.trackRows->currentRow() : 1;
    const int row = std::clamp(current, 1, int(tracks.size()) - 1);
    auto list = std::make_unique<CTrackList>(true);
    list->add(trackFromDialog(*p));
    list->targetRows.push_back(uint32_t(row));
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = "Insert Track";
    record->tracks = std::move(list);
    ApplyEdit(std::move(record));
}

void CSongDoc::OnInsertEvent()
{
    InsertEventAt(0, 0);
}

void CSongDoc::InsertEventAt(int32_t track, int32_t)
{
    if (!OnUpdateInsert(EditDialog::EventProperties) || tracks.size() < 2)
        return;
    if (track < 1)
        track = m_context.trackRows != nullptr ? m_context.trackRows->currentRow() : 0;
    track = std::clamp(track, 0, int32_t(tracks.size()) - 2);
    EventPropsRequest request;
    request.tick = std::max(position(), 0);
    request.value2 = m_context.engine.guiValues().currentNoteLength();
    request.track = track;
    const std::optional<EventPropsResult> r = m_context.editDialogs->eventProperties(*this, request);
    if (!r || r->kind == EventKindIndex::None || r->message == 0)
        return;
    const size_t target = r->track >= 0 && r->track + 2 <= int32_t(tracks.size()) ? size_t(r->track) : size_t(track);
    if (tracks[target]->type == kWaveTrack) {
        m_context.prompt.message(kNoMidiOnWaveTrack, PromptIcon::Stop);
        return;
    }
    insertDialogEvent(*this, *r, target, r->tick >= 0 ? clampPosition(*this, r->tick) : request.tick);
}

void CSongDoc::OnInsertControllerSeries()
{
    if (!OnUpdateInsert(EditDialog::ControllerSeries))
        return;
    std::optional<ControllerSeriesParams> p = m_context.editDialogs->controllerSeries(*this);
    if (!p)
        return;
    const std::optional<SeriesKind> kind = seriesKind(p->controller);
    if (!kind)
        return;
    p->from = int32_t(std::clamp<int64_t>(p->from, 0, kLastEditTick));
    p->through = int32_t(std::clamp<int64_t>(p->through, 0, kLastEditTick));
    EventListBuilder builder;
    for (const size_t t : seriesTracks(*this))
        seriesOnTrack(*this, t, *p, *kind, builder);
    if (builder.empty())
        return;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents | kUndoControllerEdit;
    record->label = "Insert Controller Change";
    record->events = builder.build();
    ApplyEdit(std::move(record));
}

void CSongDoc::OnInsertChord()
{
    if (!OnUpdateInsert(EditDialog::Chord) || tracks.size() < 2)
        return;
    ChordParams start;
    start.tick = std::max(position(), 0);
    const int row = m_context.trackRows != nullptr ? m_context.trackRows->currentRow() : 1;
    start.track = int32_t(userTrackOr(*this, row, 1));
    const std::optional<ChordParams> c = m_context.editDialogs->chord(*this, start);
    if (!c || tracks.size() < 3)
        return;
    const int32_t tick = clampPosition(*this, c->tick);
    Locate(tick);
    const size_t track = userTrackOr(*this, c->track, size_t(start.track));
    const uint32_t place = placedOn(track);
    EventListBuilder builder;
    if ((c->insertMode & 1) == 0) {
        CMidiEvent marker;
        marker.tick = tick;
        marker.SetMetaText(1, chordMarker(*c));
        builder.insert(std::move(marker), place);
    }
    if (c->insertMode >= 1) {
        const int32_t length = m_context.engine.guiValues().currentNoteLength();
        for (const uint32_t message : c->notes) {
            if (!midi::isNoteOn(message))
                continue;
            CMidiEvent note;
            note.tick = tick;
            note.message = message & 0xFFFFFF;
            note.value2 = length > 0 ? length : timeBase;
            builder.insert(std::move(note), place);
        }
    }
    if (builder.empty())
        return;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = "Insert Chord";
    record->events = builder.build();
    ApplyEdit(std::move(record));
}

} // namespace rz
