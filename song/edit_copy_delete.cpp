// Edit > Copy, Cut and Delete of the song document. GUI thread.

#include <algorithm>

#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/song_host.h"
#include "song/clipboard_edit.h"
#include "song/selection.h"
#include "song/song_doc.h"

namespace rz {

namespace {

class WaitCursor {
public:
    explicit WaitCursor(ISongViews& host) : m_host(host) { m_host.setWaitCursor(true); }
    ~WaitCursor() { m_host.setWaitCursor(false); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    ISongViews& m_host;
};

// Replaces the application's clipboard by what a copy gathered; its files
// are the clipboard's from now on.
void publish(CSongDoc& song, AppClipboard& copied, ClipFileCopies& files)
{
    ISongFilesHost& host = song.context().host;
    ClearClipboard(host.clipboard(), host.workFolder());
    host.clipboard() = std::move(copied);
    files.keep();
}

// An event as the clipboard holds it: its tick (and a note's duration) in
// clipboard ticks from `origin`, the stamp word its source track.
CMidiEvent clipboardEvent(const CMidiEvent& source, int64_t origin, int timeBase, size_t track)
{
    CMidiEvent event = source;
    event.tick = tickOf(toClipboardTicks(int64_t(source.tick) - origin, timeBase));
    if (event.isNote())
        event.value2 = tickOf(toClipboardTicks(source.value2, timeBase));
    event.selectionStamp = uint32_t(track);
    event.pendingChange = 0;
    return event;
}

// Copies the events of a track with from - offset <= tick < to - offset.
bool copyWindow(const CTrack& track, size_t index, int64_t low, int64_t high, int64_t origin,
                int timeBase, bool transpose, std::vector<CMidiEvent>& out, ClipFileCopies& files)
{
    for (size_t e = FirstAtOrAfter(track.events, low);
         e < track.events.size() && track.events[e].tick < high; ++e) {
        CMidiEvent event = clipboardEvent(track.events[e], origin, timeBase, index);
        if (transpose)
            event.message = transposeKey(event.message, track.key);
        if (!files.duplicate(event))
            return false;
        out.push_back(std::move(event));
    }
    return true;
}

// Selected cues, with both times from the earliest of them.
void copySelectedCues(const CSongDoc& song, AppClipboard& board)
{
    board.kind |= kClipboardCues;
    int64_t earliest = INT64_MAX;
    for (const auto& cue : song.cues)
        if (cue->selectionStamp == song.selectionStamp)
            earliest = std::min<int64_t>(earliest, std::min(cue->time, cue->secondTime));
    for (const auto& cue : song.cues) {
        if (cue->selectionStamp != song.selectionStamp)
            continue;
        auto copy = std::make_unique<CCue>(*cue);
        copy->time = tickOf(toClipboardTicks(cue->time - earliest, song.timeBase));
        copy->secondTime = tickOf(toClipboardTicks(cue->secondTime - earliest, song.timeBase));
        copy->selectionStamp = 0;
        board.cues.push_back(std::move(copy));
    }
}

// Selected events in track order, from the earliest of them; false when a
// clip file could not be copied.
bool copySelectedEvents(CSongDoc& song, AppClipboard& board, ClipFileCopies& files)
{
    board.kind = (song.selectionKind & kSelectControllerPoints) ? kClipboardControllers
                                                                : board.kind | kClipboardEvents;
    int64_t first = INT64_MAX;
    int64_t last = INT64_MIN;
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        for (const CMidiEvent& e : song.tracks[t]->events) {
            if (e.selectionStamp != song.selectionStamp)
                continue;
            first = std::min<int64_t>(first, e.tick);
            last = std::max<int64_t>(last, int64_t(e.tick) + (e.isNote() ? e.value2 : 0));
        }
    }
    if (first == INT64_MAX)
        return true;
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        const CTrack& track = *song.tracks[t];
        for (const CMidiEvent& e : track.events) {
            if (e.selectionStamp != song.selectionStamp)
                continue;
            CMidiEvent event = clipboardEvent(e, first, song.timeBase, t);
            event.message = transposeKey(event.message, track.key);
            if (!files.duplicate(event))
                return false;
            board.events.push_back(std::move(event));
        }
    }
    board.span = tickOf(toClipboardTicks(last - first, song.timeBase));
    song.Locate(int32_t(first));
    song.context().host.UpdateAllViews();
    return true;
}

// Copy of selected events and cues; false when nothing was copied because a
// clip file could not be.
bool copySelectedItems(CSongDoc& song)
{
    WaitCursor wait(song.context().host);
    AppClipboard board;
    ClipFileCopies files(song);
    if (song.selectionKind & kSelectCues)
        copySelectedCues(song, board);
    if ((song.selectionKind & (kSelectEvents | kSelectAudioClip))
        && !copySelectedEvents(song, board, files))
        return false;
    publish(song, board, files);
    return true;
}

// The measures of [from, to) when both lie on beats: partial measures keep
// the beats inside the range. Lengths in clipboard ticks.
void copyMeasures(const CSongDoc& song, int32_t from, int32_t to, MeasureMap& out)
{
    const MeasureMap& map = song.measureMap;
    if (map.empty())
        return;
    auto onBeat = [&](int32_t tick) {
        const MeasureRec& m = map[size_t(FindMeasure(map, tick))];
        return (int64_t(tick) - m.start) % beatLength(song.timeBase, m) == 0;
    };
    if (!onBeat(from) || !onBeat(to))
        return;
    int32_t running = 0;
    for (size_t i = size_t(FindMeasure(map, from)); i < map.size() && map[i].start < to; ++i) {
        const MeasureRec& m = map[i];
        const int64_t low = std::max<int64_t>(from, m.start);
        const int64_t high = std::min<int64_t>(to, int64_t(m.start) + m.length);
        const int64_t beats = (high - low) / beatLength(song.timeBase, m);
        if (beats < 1)
            continue;
        MeasureRec copy = m;
        copy.numerator = uint8_t(std::min<int64_t>(beats, kMaxNumerator));
        copy.start = running;
        copy.length = measureLength(kClipboardTimeBase, copy.numerator, copy.denominator);
        running += copy.length;
        out.push_back(copy);
    }
}

// The tempo in force at `from` (at tick 0) and every change up to `to`, inclusive.
void copyTempos(const CSongDoc& song, int32_t from, int32_t to, TempoMap& out)
{
    const TempoMap& map = song.tempoMap;
    if (map.empty())
        return;
    size_t i = size_t(FindTempoIndex(map, from));
    if (map[i].tick < from) {
        TempoEntry first;
        first.tick = 0;
        first.tempo = map[i].tempo;
        out.push_back(first);
        ++i;
    }
    for (; i < map.size() && map[i].tick <= to; ++i) {
        TempoEntry entry;
        entry.tick = tickOf(toClipboardTicks(int64_t(map[i].tick) - from, song.timeBase));
        entry.tempo = map[i].tempo;
        out.push_back(entry);
    }
}

void copyWindowCues(const CSongDoc& song, int64_t low, int64_t high, int32_t from, CueList& out)
{
    auto inside = [&](int32_t t) { return t >= low && t < high; };
    for (const auto& cue : song.cues) {
        if (!inside(cue->time) || !inside(cue->secondTime))
            continue;
        auto copy = std::make_unique<CCue>(*cue);
        copy->time = tickOf(toClipboardTicks(int64_t(cue->time) - from, song.timeBase));
        copy->secondTime = tickOf(toClipboardTicks(int64_t(cue->secondTime) - from, song.timeBase));
        copy->selectionStamp = 0;
        out.push_back(std::move(copy));
    }
}

bool copyTracks(const CSongDoc& song, int64_t low, int64_t high, int32_t from, AppClipboard& board,
                ClipFileCopies& files)
{
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        std::unique_ptr<CTrack> copy = copyTrackSettings(*song.tracks[t]);
        if (!copyWindow(*song.tracks[t], t, low, high, from, song.timeBase, false, copy->events, files))
            return false;
        board.tracks.push_back(std::move(copy));
    }
    return true;
}

// The points the controller view draws, from its last lane to its first.
void copyLanePoints(CSongDoc& song, int64_t low, int64_t high, int32_t from, AppClipboard& board)
{
    const ControllerLanes lanes = song.context().host.controllerLanes(song);
    if (lanes.lanes.empty())
        return;
    board.kind = kClipboardEvents;
    for (auto lane = lanes.lanes.rbegin(); lane != lanes.lanes.rend(); ++lane) {
        if (lane->track < 0 || size_t(lane->track) + 1 >= song.tracks.size())
            continue;
        const uint32_t status =
            midi::onChannel(midi::statusOf(uint32_t(lanes.kind)), song.tracks[size_t(lane->track)]->channel);
        for (const ControllerLane::Point& point : lane->points) {
            if (point.tick < low || point.tick >= high)
                continue;
            CMidiEvent event;
            const int value = point.value;
            // A pitch wheel point is 14 bits: both data bytes, least significant first.
            if (midi::isController(lanes.kind))
                event.message = midi::shortMessage(uint8_t(status), lanes.controller & midi::kDataMask,
                                                   value & midi::kDataMask);
            else if (midi::statusOf(uint32_t(lanes.kind)) == midi::kPitchBend)
                event.message = midi::shortMessage(uint8_t(status), value & midi::kDataMask,
                                                   value >> 7 & midi::kDataMask);
            else
                event.message = midi::shortMessage(uint8_t(status), value & midi::kDataMask);
            event.tick = tickOf(toClipboardTicks(int64_t(point.tick) - from, song.timeBase));
            event.selectionStamp = uint32_t(lane->track);
            board.events.push_back(std::move(event));
        }
    }
}

} // namespace

bool CSongDoc::OnUpdateEditCopy(bool deleting) const
{
    if (!editingAllowed())
        return false;
    const bool range = (selectionKind & kSelectTimeRange) && selectionTo > selectionFrom;
    const bool items = (selectionKind & (kSelectEvents | kSelectCues | kSelectAudioClip)) != 0;
    if (!range && !items)
        return false;
    // A time range is copied and deleted through its dialog.
    const bool throughDialog = deleting ? range : selectionKind == kSelectTimeRange;
    return !throughDialog
           || hasEditDialog(*this, deleting ? EditDialog::DeleteTime : EditDialog::CopyTime);
}

void CSongDoc::OnEditCopy()
{
    if (!OnUpdateEditCopy())
        return;
    if (selectionKind != kSelectTimeRange) {
        copySelectedItems(*this);
        return;
    }
    const std::optional<CopyTimeParams> params = m_context.editDialogs->copyTime(*this);
    if (params)
        CopySelection(params->offset, int(params->mode));
}

bool CSongDoc::CopySelection(int32_t offset, int mode)
{
    WaitCursor wait(m_context.host);
    const int32_t from = selectionFrom;
    const int32_t to = selectionTo;
    const int64_t low = int64_t(from) - offset;
    const int64_t high = int64_t(to) - offset;
    AppClipboard board;
    ClipFileCopies files(*this);
    board.span = tickOf(toClipboardTicks(int64_t(to) - from, timeBase));
    board.kind = kClipboardTempos;
    switch (mode) {
    case int(CopyTimeMode::All):
        board.kind = kClipboardTime;
        copyMeasures(*this, from, to, board.measures);
        copyWindowCues(*this, low, high, from, board.cues);
        if (!copyTracks(*this, low, high, from, board, files))
            return false;
        copyTempos(*this, from, to, board.tempos);
        break;
    case int(CopyTimeMode::Tempos): copyTempos(*this, from, to, board.tempos); break;
    case int(CopyTimeMode::TrackEvents):
        board.kind = kClipboardEvents;
        for (size_t t = 0; t + 1 < tracks.size(); ++t)
            if (isRowSelected(*this, t)
                && !copyWindow(*tracks[t], t, low, high, from, timeBase, true, board.events, files))
                return false;
        break;
    case int(CopyTimeMode::Controllers): copyLanePoints(*this, low, high, from, board); break;
    default: break;
    }
    publish(*this, board, files);
    return true;
}

void CSongDoc::OnEditCut()
{
    OnEditDelete(true);
}

namespace {

void deleteSelectedItems(CSongDoc& song)
{
    auto record = std::make_unique<CUndoRecord>();
    if (song.selectionKind & kSelectCues) {
        auto set = std::make_unique<CCueSet>();
        for (size_t i = 0; i < song.cues.size(); ++i)
            if (song.cues[i]->selectionStamp == song.selectionStamp)
                set->removeKeys.push_back(uint32_t(i));
        if (!set->removeKeys.empty()) {
            record->flags |= kUndoCues;
            record->label = "Delete Cues";
            record->cues = std::move(set);
        }
    }
    if (song.selectionKind & (kSelectEvents | kSelectAudioClip)) {
        auto list = std::make_unique<CEventList>();
        for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
            const auto& events = song.tracks[t]->events;
            for (size_t e = 0; e < events.size(); ++e)
                if (events[e].selectionStamp == song.selectionStamp)
                    list->sourceKeys.push_back(uint32_t(t << 24 | e));
        }
        if (!list->empty()) {
            record->label = record->cues ? "Delete Events and Cues" : "Delete Events";
            record->flags |= kUndoEvents;
            record->events = std::move(list);
        }
    }
    if (record->flags != 0)
        song.ApplyEdit(std::move(record));
}

void removeMeasure(MeasureMap& map, size_t index, bool preserveNumbers)
{
    if (!preserveNumbers) {
        for (size_t j = map.size() - 1; j > index; --j) {
            map[j].number = map[j - 1].number;
            map[j].letter = map[j - 1].letter;
        }
    }
    map.erase(map.begin() + std::ptrdiff_t(index));
}

// The map with [from, to) taken out: cut measures keep their outer parts,
// measures wholly inside go. The map always keeps one measure.
void deleteMeasures(MeasureMap& map, int timeBase, int32_t mapEnd, int32_t from, int32_t to,
                    bool preserveNumbers)
{
    if (map.empty())
        return;
    const size_t i0 = size_t(FindMeasure(map, from));
    const size_t i1 = size_t(FindMeasure(map, to));
    auto end = [&](size_t i) { return int64_t(map[i].start) + map[i].length; };
    if (i0 == i1 && to < mapEnd) {
        FitMeter(map[i0], map[i0].length - (int64_t(to) - from), timeBase);
        return;
    }
    size_t first = i0;
    if (from > map[i0].start) {
        FitMeter(map[i0], int64_t(from) - map[i0].start, timeBase);
        first = i0 + 1;
    }
    size_t last = i1;
    if (to > map[i1].start && to < mapEnd) {
        FitMeter(map[i1], end(i1) - to, timeBase);
        last = i1 - 1;
    }
    for (size_t i = last + 1; i-- > first;)
        if (map[i].start >= from && end(i) <= to && map.size() > 1)
            removeMeasure(map, i, preserveNumbers);
}

struct DeleteTimeParts {
    bool cues, events, tempos, selectedOnly;
};

void deleteTimeTempos(const CSongDoc& song, int32_t from, int32_t to, CUndoRecord& record)
{
    const TempoMap& map = song.tempoMap;
    auto set = std::make_unique<CTempoSet>();
    bool entryAtEnd = false;
    for (size_t k = 0; k < map.size(); ++k) {
        if (map[k].tick >= from && map[k].tick < to)
            set->removeKeys.push_back(uint32_t(k));
        entryAtEnd = entryAtEnd || map[k].tick == to;
    }
    const uint32_t before = from == 0 || map.empty() ? 0 : map[size_t(FindTempoIndex(map, from - 1))].tempo;
    const uint32_t atEnd = map.empty() ? kDefaultTempo : map[size_t(FindTempoIndex(map, to))].tempo;
    if (before != atEnd && !entryAtEnd) {
        TempoEntry kept;
        kept.tick = from;
        kept.tempo = atEnd;
        set->entries.push_back(kept);
    }
    if (set->removeKeys.empty() && set->entries.empty())
        return;
    record.flags |= kUndoTempo;
    record.tempo = std::move(set);
}

void deleteTimeEvents(const CSongDoc& song, const DeleteTimeParams& p, const DeleteTimeParts& parts,
                      int32_t offset, CUndoRecord& record)
{
    const int64_t from = song.selectionFrom;
    const int64_t len = int64_t(song.selectionTo) - from;
    const int64_t low = from - offset;
    const int64_t high = low + len;
    EventListBuilder builder;
    for (size_t t = 0; t + 1 < song.tracks.size(); ++t) {
        if (parts.selectedOnly && !isRowSelected(song, t))
            continue;
        const CTrack& track = *song.tracks[t];
        for (size_t e = 0; e < track.events.size(); ++e) {
            const CMidiEvent& event = track.events[e];
            if (event.tick >= low && event.tick < high) {
                builder.remove(uint32_t(t << 24 | e));
            } else if (p.shorten && track.type == kMidiTrack
                       && encroaches(event, low, from, p.shortenThreshold)) {
                builder.remove(uint32_t(t << 24 | e));
                CMidiEvent shortened = event;
                shortened.value2 = shortenedDuration(event, from, p.shortenThreshold, len);
                builder.insert(std::move(shortened), placedOn(t));
            }
        }
    }
    if (builder.empty())
        return;
    record.flags |= kUndoEvents;
    record.events = builder.build();
}

void deleteTime(CSongDoc& song, bool cut)
{
    const std::optional<DeleteTimeParams> params = song.context().editDialogs->deleteTime(song);
    if (!params)
        return;
    const DeleteTimeParams& p = *params;
    const int32_t from = song.selectionFrom;
    const int32_t to = song.selectionTo;
    const int32_t offset = std::min(p.offset, from);
    if (cut && !song.CopySelection(offset, 0))
        return;
    auto record = std::make_unique<CUndoRecord>();
    record->label = "Delete Time";
    record->start = from - offset;
    record->payload = to - from;
    const DeleteTimeParts parts{p.shiftAll || p.cues, p.shiftAll || p.events, p.shiftAll || p.tempos,
                                !p.shiftAll && p.selectedTracksOnly};
    if (p.shiftAll)
        record->flags |= kUndoDeleteTime;
    if (parts.tempos)
        deleteTimeTempos(song, from, to, *record);
    if (parts.events)
        deleteTimeEvents(song, p, parts, offset, *record);
    if (parts.cues) {
        auto set = std::make_unique<CCueSet>();
        for (size_t i = 0; i < song.cues.size(); ++i)
            if (song.cues[i]->time >= int64_t(from) - offset && song.cues[i]->time < int64_t(to) - offset)
                set->removeKeys.push_back(uint32_t(i));
        if (!set->removeKeys.empty()) {
            record->flags |= kUndoCues;
            record->cues = std::move(set);
        }
    }
    if (p.measures && !song.measureMap.empty()) {
        MeasureMap map = song.measureMap;
        deleteMeasures(map, song.timeBase, song.measureMapEnd, from, to, p.preserveNumbers);
        record->measures = SnapshotMeasureMap(map, song.timeBase);
        record->flags |= kUndoMeasures;
    }
    if (record->flags != 0)
        song.ApplyEdit(std::move(record));
}

} // namespace

void CSongDoc::OnEditDelete(bool cut)
{
    if (!OnUpdateEditCopy(true))
        return;
    if ((selectionKind & kSelectTimeRange) && selectionTo > selectionFrom) {
        deleteTime(*this, cut);
        return;
    }
    if (cut && !copySelectedItems(*this))
        return;
    deleteSelectedItems(*this);
}

} // namespace rz
