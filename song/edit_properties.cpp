// Edit > Properties of the song document and the song's own properties.
// GUI thread.

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "core/edit_dialogs.h"
#include "core/midi_bytes.h"
#include "core/prompt.h"
#include "core/song_host.h"
#include "song/build_maps.h"
#include "song/clipboard_edit.h"
#include "song/cue_edit.h"
#include "song/edit_insert.h"
#include "song/selection.h"
#include "song/smf_reader.h"
#include "song/song_doc.h"
#include "song/text_markers.h"

namespace rz {

namespace {

constexpr char kOneCueOnly[] = "Please select one cue only.";
constexpr int32_t kMaxClipRepeats = 99;

uint32_t eventKeyOf(size_t track, size_t index) { return uint32_t(track << 24 | index); }

ApplyResult applyEvents(CSongDoc& song, EventListBuilder& builder, const char* label)
{
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoEvents;
    record->label = label;
    record->events = builder.build();
    return song.ApplyEdit(std::move(record));
}

// Replaces one event by another, perhaps on another track.
void replaceEvent(CSongDoc& song, size_t track, size_t index, CMidiEvent added, size_t target, const char* label)
{
    EventListBuilder builder;
    builder.remove(eventKeyOf(track, index));
    added.selectionStamp = 0;
    builder.insert(std::move(added), placedOn(target));
    applyEvents(song, builder, label);
}

// --- Cues and clips ---

void editCue(CSongDoc& song)
{
    size_t index = 0;
    int selected = 0;
    for (size_t i = 0; i < song.cues.size(); ++i) {
        if (song.cues[i]->selectionStamp == song.selectionStamp) {
            index = i;
            ++selected;
        }
    }
    if (selected != 1) {
        song.context().prompt.message(kOneCueOnly);
        return;
    }
    const CCue& cue = *song.cues[index];
    const CuePropsParams start{cue.kind, cue.repeatCount, cue.secondCount, cue.time, cue.secondTime, cue.name};
    const std::optional<CuePropsParams> p = song.context().editDialogs->cueProperties(song, start);
    if (!p)
        return;
    CCue edited = cueFromAnswer(song, cue, *p);
    auto set = std::make_unique<CCueSet>();
    set->removeKeys.push_back(uint32_t(index));
    set->cues.push_back(std::move(edited));
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoCues;
    record->label = "Edit Cue Properties";
    record->cues = std::move(set);
    song.ApplyEdit(std::move(record));
}

// The last clip of a track that carries the stamp, if any.
std::optional<size_t> lastStampedClip(const CTrack& track, uint32_t stamp)
{
    for (size_t e = track.events.size(); e-- > 0;)
        if (track.events[e].selectionStamp == stamp && track.events[e].clip() != nullptr)
            return e;
    return std::nullopt;
}

// One dialog per selected clip, from the last track and the last clip
// backwards, each OK one record; Cancel ends the walk. An applied record
// gives its clip the song's next stamp, so the walk never meets it again.
void editClips(CSongDoc& song)
{
    const uint32_t stamp = song.selectionStamp;
    for (size_t t = song.tracks.size() - 1; t-- > 0;) {
        while (song.tracks[t]->type == kWaveTrack) {
            const std::optional<size_t> e = lastStampedClip(*song.tracks[t], stamp);
            if (!e)
                break;
            const CMidiEvent& event = song.tracks[t]->events[*e];
            const WavePropsParams start{event.clip()->fileName, event.clip()->number, event.tick, int32_t(t),
                                        event.clip()->length};
            const std::optional<WavePropsParams> p = song.context().editDialogs->waveProperties(song, start);
            if (!p)
                return;
            CMidiEvent copy = event;
            copy.tick = clampPosition(song, p->tick);
            copy.clip()->number = std::clamp(p->repeatCount, 1, kMaxClipRepeats);
            copy.selectionStamp = 0;
            EventListBuilder builder;
            builder.remove(eventKeyOf(t, *e));
            builder.insert(std::move(copy), placedOn(userTrackOr(song, p->track, t)));
            if (applyEvents(song, builder, "Waveform properties") != ApplyResult::Applied)
                return;
        }
    }
}

// --- Several events ---

struct Selected {
    size_t track;
    size_t index;
};

// Selected events from the last track back, each track's from its last event.
std::vector<Selected> selectedEvents(const CSongDoc& song)
{
    std::vector<Selected> selected;
    for (size_t t = song.tracks.size() - 1; t-- > 0;)
        for (size_t e = song.tracks[t]->events.size(); e-- > 0;)
            if (song.tracks[t]->events[e].selectionStamp == song.selectionStamp)
                selected.push_back({t, e});
    return selected;
}

// The selected event when exactly one is selected.
const CMidiEvent* onlySelectedEvent(const CSongDoc& song)
{
    const CMidiEvent* found = nullptr;
    for (const auto& track : song.tracks)
        for (const CMidiEvent& event : track->events)
            if (event.selectionStamp == song.selectionStamp) {
                if (found)
                    return nullptr;
                found = &event;
            }
    return found;
}

// One event is selected and it is a syllable, which the lyric editor edits.
bool oneSyllableSelected(const CSongDoc& song)
{
    const CMidiEvent* found = onlySelectedEvent(song);
    if (!found || (found->message != kTextMessage && found->message != 0x5FF))
        return false;
    const auto bytes = found->data.bytes();
    return bytes.empty() || bytes[0] != '@';
}

// One event is selected and it is a staff marker whose dialog the program has.
bool oneEditableMarkerSelected(const CSongDoc& song)
{
    const CMidiEvent* found = onlySelectedEvent(song);
    if (!found || found->message != kTextMessage)
        return false;
    const auto bytes = found->data.bytes();
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (!text.starts_with(kMarkerPrefix))
        return false;
    text.remove_prefix(kMarkerPrefix.size());
    switch (takeNumber(text)) {
    case 1: return hasEditDialog(song, EditDialog::Chord);
    case 2: return hasEditDialog(song, EditDialog::ExpressionText);
    case 3: return hasEditDialog(song, EditDialog::Wedge);
    default: return false;
    }
}

EventPropsRequest requestFor(const CMidiEvent& event, size_t track)
{
    EventPropsRequest request;
    request.message = event.message;
    request.tick = event.tick;
    request.value2 = event.value2;
    request.spelling = event.spelling;
    const std::span<const uint8_t> bytes = event.data.bytes();
    request.data.assign(bytes.begin(), bytes.end());
    request.track = int32_t(track);
    return request;
}

constexpr uint32_t kMixedKinds = 0xFFFFFFFF;

// The selected events as one: a field that differs becomes -1, a data byte
// that differs 0xFF, and a differing kind makes the whole message mixed.
EventPropsRequest mergedRequest(const CSongDoc& song, const std::vector<Selected>& selected)
{
    const CMidiEvent& first = song.tracks[selected[0].track]->events[selected[0].index];
    EventPropsRequest merged = requestFor(first, selected[0].track);
    merged.multiple = true;
    const bool firstHasData = !first.data.empty();
    for (size_t k = 1; k < selected.size(); ++k) {
        const CMidiEvent& e = song.tracks[selected[k].track]->events[selected[k].index];
        if (selected[k].track != selected[0].track)
            merged.track = -1;
        if (e.tick != first.tick)
            merged.tick = -1;
        if (firstHasData || e.value2 != first.value2) {
            merged.value2 = -1;
            merged.data.clear();
        }
        if (merged.message == kMixedKinds)
            continue;
        if (midi::statusOf(e.message ^ first.message) != 0) {
            merged.message = kMixedKinds;
            continue;
        }
        if (e.data1() != first.data1())
            merged.message |= 0xFF00;
        if (e.data2() != first.data2())
            merged.message |= 0xFF0000;
    }
    return merged;
}

EventKindIndex kindOf(const CMidiEvent& event)
{
    if (event.kind() == midi::kMeta)
        return EventKindIndex::Meta;
    switch (midi::statusOf(event.message)) {
    case 0x10: return EventKindIndex::Rpn;
    case 0x20: return EventKindIndex::Nrpn;
    case midi::kNoteOn: return EventKindIndex::Note;
    case midi::kPolyPressure: return EventKindIndex::Aftertouch;
    case midi::kControlChange: return EventKindIndex::Controller;
    case midi::kProgramChange: return EventKindIndex::PatchChange;
    case midi::kChannelPressure: return EventKindIndex::ChannelPressure;
    case midi::kPitchBend: return EventKindIndex::PitchWheel;
    case midi::kSysEx: return EventKindIndex::SystemExclusive;
    default: return EventKindIndex::None;
    }
}

void setByte(CMidiEvent& e, int shift, int32_t value)
{
    if (value >= 0)
        e.message = (e.message & ~(0xFFu << shift)) | uint32_t(value & 0x7F) << shift;
}

void setChannel(CMidiEvent& e, const CSongDoc& song, int32_t track)
{
    if (track >= 0 && size_t(track) + 1 < song.tracks.size())
        e.message = (e.message & ~0xFu) | uint32_t(song.tracks[size_t(track)]->channel & 0xF);
}

// The fields the dialog set, on an event of the kind it names.
void applyFields(CMidiEvent& e, const EventPropsResult& r, const CSongDoc& song)
{
    switch (r.kind) {
    case EventKindIndex::Rpn:
        setByte(e, 8, r.number);
        if (r.value >= 0)
            e.message = (e.message & 0xFFFF) | uint32_t(r.value & 0x3FFF) << 16;
        break;
    case EventKindIndex::Nrpn:
        if (r.number >= 0)
            e.message = (e.message & 0xFF) | uint32_t(r.number & 0x3FFF) << 8;
        if (r.value >= 0)
            e.value2 = r.value;
        break;
    case EventKindIndex::Note:
        setChannel(e, song, r.track);
        if (r.number >= 0) {
            setByte(e, 8, r.number);
            e.spelling = int8_t(std::clamp(r.accidental, -1, 4));
        }
        setByte(e, 16, r.value);
        if (r.duration >= 0)
            e.value2 = r.duration;
        break;
    case EventKindIndex::Aftertouch:
    case EventKindIndex::Controller:
        setChannel(e, song, r.track);
        setByte(e, 8, r.number);
        setByte(e, 16, r.value);
        break;
    case EventKindIndex::PatchChange:
        setChannel(e, song, r.track);
        if (r.number >= 0) {
            setByte(e, 8, r.number & 0x7F);
            e.value2 = r.number >> 7;
        }
        break;
    case EventKindIndex::ChannelPressure:
        setChannel(e, song, r.track);
        setByte(e, 8, r.value);
        break;
    case EventKindIndex::PitchWheel:
        setChannel(e, song, r.track);
        if (r.value >= 0) {
            setByte(e, 8, r.value & 0x7F);
            setByte(e, 16, (r.value >> 7) & 0x7F);
        }
        break;
    case EventKindIndex::Meta:
        setByte(e, 8, r.number);
        if (!r.data.empty())
            e.SetData(r.data);
        break;
    case EventKindIndex::SystemExclusive:
    case EventKindIndex::None: break;
    }
}

void editSeveralEvents(CSongDoc& song, const std::vector<Selected>& selected)
{
    const std::optional<EventPropsResult> r =
        song.context().editDialogs->eventProperties(song, mergedRequest(song, selected));
    if (!r)
        return;
    EventListBuilder builder;
    for (auto s = selected.rbegin(); s != selected.rend(); ++s) {
        CMidiEvent copy = song.tracks[s->track]->events[s->index];
        size_t target = s->track;
        if (r->tick >= 0)
            copy.tick = clampPosition(song, r->tick);
        // Only events of the chosen kind take its fields, the track included.
        if (r->kind != EventKindIndex::None && kindOf(copy) == r->kind) {
            applyFields(copy, *r, song);
            target = userTrackOr(song, r->track, s->track);
        }
        copy.selectionStamp = 0;
        builder.remove(eventKeyOf(s->track, s->index));
        builder.insert(std::move(copy), placedOn(target));
    }
    applyEvents(song, builder, "Multiple Event Properties");
}

// --- One event ---

// A marker field: its number, then the text up to and past the next ";".
int32_t takeField(std::string_view& text)
{
    const int32_t value = takeNumber(text);
    const size_t separator = text.find(';');
    text = separator == std::string_view::npos ? std::string_view() : text.substr(separator + 1);
    return value;
}

std::string eventText(const CMidiEvent& event)
{
    const std::span<const uint8_t> bytes = event.data.bytes();
    std::string text(bytes.begin(), bytes.end());
    // A stored terminator is not part of the text.
    if (const size_t zero = text.find('\0'); zero != std::string::npos)
        text.resize(zero);
    return text;
}

CMidiEvent textAt(int32_t tick, const std::string& text)
{
    CMidiEvent event;
    event.tick = tick;
    event.SetMetaText(1, text);
    return event;
}

void editChordMarker(CSongDoc& song, size_t t, size_t e, std::string_view fields)
{
    const CMidiEvent& event = song.tracks[t]->events[e];
    ChordParams start;
    start.tick = event.tick;
    start.track = int32_t(t);
    for (int32_t& value : start.chord)
        value = takeField(fields);
    const size_t bar = fields.find('|');
    start.text = std::string(fields.substr(0, bar));
    start.name = bar == std::string_view::npos ? std::string() : std::string(fields.substr(bar + 1));
    const std::optional<ChordParams> c = song.context().editDialogs->chord(song, start);
    if (!c)
        return;
    std::string text = "@DR;1";
    for (const int32_t value : c->chord)
        text += ";" + std::to_string(value);
    text += ";" + c->text + "|" + c->name;
    replaceEvent(song, t, e, textAt(event.tick, text), userTrackOr(song, c->track, t), "Edit Chord");
}

void editExpressionMarker(CSongDoc& song, size_t t, size_t e, std::string_view fields)
{
    const CMidiEvent& event = song.tracks[t]->events[e];
    takeField(fields);
    const ExpressionTextParams start{std::string(fields), event.tick, int32_t(t)};
    const std::optional<ExpressionTextParams> x = song.context().editDialogs->expressionText(song, start);
    if (!x)
        return;
    replaceEvent(song, t, e, textAt(clampPosition(song, x->tick), "@DR;2;0;" + x->text),
                 userTrackOr(song, x->track, t), "Edit Expression Text");
}

// The stored length is signed: a negative one is a decrescendo.
void editWedgeMarker(CSongDoc& song, size_t t, size_t e, std::string_view fields)
{
    const CMidiEvent& event = song.tracks[t]->events[e];
    const int64_t length = takeField(fields);
    const int64_t end = std::min<int64_t>(int64_t(event.tick) + (length < 0 ? -length : length), kLastEditTick);
    const WedgeParams start{event.tick, int32_t(end), length < 0 ? 1 : 0, int32_t(t)};
    const std::optional<WedgeParams> w = song.context().editDialogs->wedge(song, start);
    if (!w)
        return;
    const int32_t begin = clampPosition(song, std::min(w->begin, w->end));
    const int32_t span = clampPosition(song, std::max(w->begin, w->end)) - begin;
    const std::string text = "@DR;3;" + std::to_string(w->direction == 1 ? -span : span);
    replaceEvent(song, t, e, textAt(begin, text), userTrackOr(song, w->track, t), "Edit Wedge");
}

void editMarker(CSongDoc& song, size_t t, size_t e, std::string_view fields)
{
    switch (takeField(fields)) {
    case 1:
        if (hasEditDialog(song, EditDialog::Chord))
            editChordMarker(song, t, e, fields);
        break;
    case 2:
        if (hasEditDialog(song, EditDialog::ExpressionText))
            editExpressionMarker(song, t, e, fields);
        break;
    case 3:
        if (hasEditDialog(song, EditDialog::Wedge))
            editWedgeMarker(song, t, e, fields);
        break;
    default: break;
    }
}

void editOneEvent(CSongDoc& song, size_t t, size_t e)
{
    const CMidiEvent& event = song.tracks[t]->events[e];
    if (event.message == kTextMessage || event.message == 0x5FF) {
        const std::string text = eventText(event);
        if (event.message == kTextMessage && text.starts_with(kMarkerPrefix)) {
            editMarker(song, t, e, std::string_view(text).substr(kMarkerPrefix.size()));
            return;
        }
        if (!hasEditDialog(song, EditDialog::EditLyrics))
            return;
        if (std::unique_ptr<CUndoRecord> record =
                song.context().editDialogs->editLyrics(song, int32_t(t), int32_t(e)))
            song.ApplyEdit(std::move(record));
        return;
    }
    if (!hasEditDialog(song, EditDialog::EventProperties))
        return;
    const std::optional<EventPropsResult> r =
        song.context().editDialogs->eventProperties(song, requestFor(event, t));
    if (!r || r->message == 0)
        return;
    const int32_t tick = r->tick >= 0 ? clampPosition(song, r->tick) : event.tick;
    replaceEvent(song, t, e, eventFromDialog(*r, tick), userTrackOr(song, r->track, t), "Event Properties");
}

void editEvents(CSongDoc& song)
{
    const std::vector<Selected> selected = selectedEvents(song);
    if (selected.size() == 1)
        editOneEvent(song, selected[0].track, selected[0].index);
    else if (selected.size() > 1 && hasEditDialog(song, EditDialog::EventProperties))
        editSeveralEvents(song, selected);
}

} // namespace

bool CSongDoc::OnUpdateEditProperties() const
{
    if (!editingAllowed())
        return false;
    switch (selectionKind) {
    case kSelectCues: return hasEditDialog(*this, EditDialog::CueProperties);
    case kSelectAudioClip: return hasEditDialog(*this, EditDialog::WaveProperties);
    case kSelectEvents:
        return hasEditDialog(*this, EditDialog::EventProperties)
               || (hasEditDialog(*this, EditDialog::EditLyrics) && oneSyllableSelected(*this))
               || oneEditableMarkerSelected(*this);
    default: return true;
    }
}

void CSongDoc::OnEditProperties()
{
    if (!OnUpdateEditProperties() || tracks.size() < 2)
        return;
    switch (selectionKind) {
    case kSelectCues: editCue(*this); break;
    case kSelectAudioClip: editClips(*this); break;
    case kSelectEvents: editEvents(*this); break;
    default: m_context.host.editTrackProperties(*this); break;
    }
}

void CSongDoc::EditSongProperties()
{
    if (!editingAllowed() || !hasEditDialog(*this, EditDialog::SongProperties))
        return;
    const std::optional<SongPropsParams> p = m_context.editDialogs->songProperties(*this);
    if (!p)
        return;
    // Records before the rescale hold ticks of the old time base, so
    // rescaling empties the undo list; this record comes after it.
    if (p->timeBase != timeBase && p->timeBase >= 1 && p->timeBase <= kSupportedTimeBase) {
        {
            LockGuard guard(SongMutex(), "EditSongProperties", m_context.lockWait);
            if (!guard)
                return;
            RescalePpq(*this, p->timeBase);
        }
        // The tool bar's note value is in ticks of the old base.
        m_context.host.UpdateNoteDuration();
    }
    CSongPropsSnapshot snapshot;
    snapshot.format = p->format == 0 ? 0 : 1;
    snapshot.pathName = p->pathName;
    snapshot.title = p->title;
    snapshot.subtitle = p->subtitle;
    snapshot.author = p->author;
    snapshot.copyright = p->copyright;
    snapshot.memo = p->memo;
    snapshot.smpteOffset = p->smpteOffset;
    snapshot.relativeVolume = relativeVolumeFromCode(int64_t(p->volumeStep) + 16);
    snapshot.performanceTempo = p->specifyTempo ? clampTempo(p->tempo) : 0;
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoSongProps;
    record->label = "Edit Song Properties";
    record->payload = std::move(snapshot);
    ApplyEdit(std::move(record));
}

} // namespace rz
