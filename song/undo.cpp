#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <system_error>

#include "core/clip_loader.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/song_host.h"
#include "core/track_rows.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "song/undo_internal.h"

namespace rz {

namespace {

// Bits that change nothing when a record is run.
constexpr uint32_t kIgnoredFlags = kUndoViewMark;

std::string foldCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

// Clip file names (case folded) that must stay on disk: those of the song's
// waveform tracks and of the records that stay on the list, which undo may
// still put back.
std::set<std::string> clipNamesInUse(CSongDoc& song)
{
    std::set<std::string> names;
    for (size_t i = song.tracks.size() >= 2 ? song.tracks.size() - 2 : 0; i >= 1; --i) {
        const CTrack& track = *song.tracks[i];
        if (track.type != kWaveTrack)
            continue;
        for (const CMidiEvent& event : track.events)
            if (const CAudioClip* clip = event.clip())
                names.insert(foldCase(clip->fileName));
    }
    for (auto it = song.undoList.begin(); it != song.undoPosition; ++it)
        forEachRecordClip(**it, [&](CAudioClip& clip) { names.insert(foldCase(clip.fileName)); });
    return names;
}

// A stored clip name as a path: either separator, relative to the song's
// folder. Empty when a relative name has no folder to resolve against.
std::filesystem::path clipFilePath(const CSongDoc& song, std::string name)
{
    std::replace(name.begin(), name.end(), '\\', '/');
    const std::filesystem::path path(name);
    if (path.is_absolute())
        return path;
    return song.songFolder.empty() ? std::filesystem::path() : song.songFolder / path;
}

void dropRedoRecords(CSongDoc& song)
{
    if (song.undoPosition == song.undoList.end())
        return;
    const std::set<std::string> inUse = clipNamesInUse(song);
    IClipLoader* loader = song.context().clipLoader;
    while (song.undoPosition != song.undoList.end()) {
        CUndoRecord& record = **song.undoPosition;
        if (song.savedRecord == &record)
            song.savedRecord = unreachableSavedRecord();
        forEachRecordClip(record, [&](CAudioClip& clip) {
            if (loader != nullptr)
                loader->releaseSamples(clip);
            const std::filesystem::path file = clipFilePath(song, clip.fileName);
            std::error_code error;
            if (!file.empty() && inUse.count(foldCase(clip.fileName)) == 0)
                std::filesystem::remove(file, error);
        });
        song.undoPosition = song.undoList.erase(song.undoPosition);
    }
}

// Folds the record before the new one into it: one undo then goes back to
// the state before the first of the coalesced edits.
void absorbPrevious(CSongDoc& song, CUndoRecord& record, CUndoRecord& previous)
{
    if (record.events && previous.events) {
        record.events->sortKeys = previous.events->sortKeys;
        record.events->events = previous.events->events;
    }
    if (record.measures && previous.measures)
        *record.measures = *previous.measures;
    record.measuresBefore = previous.measuresBefore;
    record.selectionBefore = previous.selectionBefore;
    if (song.savedRecord == &previous)
        song.savedRecord = unreachableSavedRecord();
    auto it = std::find_if(song.undoList.begin(), song.undoList.end(),
                           [&](const auto& r) { return r.get() == &previous; });
    song.undoList.erase(it);
    song.undoPosition = song.undoList.end();
}

void clearSelection(CSongDoc& song)
{
    song.selectionKind = 0;
    song.selectionFrom = -1;
    song.selectionTo = -1;
    ++song.selectionStamp;
}

void selectTime(CSongDoc& song, int32_t start, int32_t length)
{
    song.selectionKind = kSelectTimeRange;
    song.selectionFrom = start;
    song.selectionTo = start + length;
    ++song.selectionStamp;
}

bool stopped(const CSongDoc& song)
{
    return song.context().engine.transportState() == TransportState::Stopped;
}

void exchangeMeasures(CSongDoc& song, CUndoRecord& record)
{
    std::unique_ptr<CMeasureMapSnapshot> current = song.SnapshotMeasureMap();
    song.RestoreMeasureMap(*record.measures);
    record.measures = std::move(current);
}

void runForward(CSongDoc& song, CUndoRecord& r)
{
    const uint32_t f = r.flags;
    const int32_t length = r.timeLength();
    r.measuresBefore = int32_t(song.measureMap.size());
    if (f & kUndoInsertTime)
        song.ShiftForInsertedTime(r.start, length);
    if (f & kUndoTrackProps)
        song.SwapTrackProps(*r.trackProps(), (f & kUndoSelectTracks) != 0, &r.eventMarks);
    if (f & kUndoSongProps)
        song.SwapSongProps(*r.songProps());
    if (f & kUndoCues) {
        song.RestoreCues(*r.cues, r.cuePlacesKnown);
        r.cuePlacesKnown = true;
    }
    if (f & kUndoTempo)
        song.SwapTimeData(*r.tempo);
    if (f & kUndoTrackList)
        song.SwapTrackArrays(*r.tracks, r.lookUpTrackPorts);
    if (f & kUndoEvents)
        song.SwapEvents(*r.events);
    if (f & kUndoDeleteTime) {
        song.ShiftForDeletedTime(r.start, length);
        if (stopped(song))
            song.setPosition(r.start);
    }
    if (f & kUndoMeasures)
        exchangeMeasures(song, r);
    if (f & kUndoInsertTime) {
        selectTime(song, r.start, length);
        if (stopped(song))
            song.setPosition(r.start);
    }
}

void runBackward(CSongDoc& song, CUndoRecord& r)
{
    const uint32_t f = r.flags;
    const int32_t length = r.timeLength();
    if (f & kUndoDeleteTime)
        song.ShiftForInsertedTime(r.start, length);
    if (f & kUndoSongProps)
        song.SwapSongProps(*r.songProps());
    // The tempos go back first: the events' exchange fits audio clips to
    // the map it finds.
    if (f & kUndoTempo)
        song.SwapTimeData(*r.tempo);
    if (f & kUndoEvents)
        song.SwapEvents(*r.events);
    if (f & kUndoTrackList)
        song.SwapTrackArrays(*r.tracks, r.lookUpTrackPorts);
    if (f & kUndoCues)
        song.RestoreCues(*r.cues, r.cuePlacesKnown);
    if (f & kUndoTrackProps)
        song.SwapTrackProps(*r.trackProps(), (f & kUndoSelectTracks) != 0, &r.eventMarks);
    if (f & kUndoInsertTime) {
        song.ShiftForDeletedTime(r.start, length);
        if (stopped(song))
            song.setPosition(r.start);
    }
    if (f & kUndoMeasures)
        exchangeMeasures(song, r);
    if (f & kUndoDeleteTime) {
        selectTime(song, r.start, length);
        if (stopped(song))
            song.setPosition(r.start);
    }
}

// Extends the measure map to the song's end; going forward an empty map first
// gets one 4/4 measure. Going back, the copies appended since the record was
// applied are cut again, so undo returns the map the song had.
void fitMeasureMap(CSongDoc& song, const CUndoRecord& record, bool forward)
{
    if (song.measureMap.empty() && forward) {
        MeasureRec first;
        first.Set(0, 4 * song.timeBase);
        first.setMeter(4, 2);
        song.measureMap.push_back(first);
        song.measureMapEnd = first.length;
    }
    if (!song.measureMap.empty())
        song.measureMapEnd = ExtendMeasureMap(song.measureMap, song.endTick);
    if (!forward && record.measuresBefore > 0 && song.measureMap.size() > size_t(record.measuresBefore))
        song.measureMap.resize(size_t(record.measuresBefore));
    song.RecomputeMeasureStarts();
    if (!song.measureMap.empty())
        song.setPosition(std::min(song.position(), song.measureMap.back().start));
}

// A record and the changes that follow it as one step: forward in the order
// they were made, back in reverse.
void runStep(CSongDoc& song, CUndoRecord& record, bool forward)
{
    if (forward) {
        runForward(song, record);
        fitMeasureMap(song, record, true);
    }
    if (record.follower)
        runStep(song, *record.follower, forward);
    if (!forward) {
        runBackward(song, record);
        fitMeasureMap(song, record, false);
    }
}

uint32_t stepFlags(const CUndoRecord& record)
{
    return record.flags | (record.follower ? stepFlags(*record.follower) : 0);
}

// An edit made over a time range leaves that range selected, and its undo
// gives it back: the exchanges would select what they put in instead, and the
// next edit would find no range. Time inserted or deleted going forward moves
// the range, so that keeps the exchanges' selection.
void keepTimeRange(CSongDoc& song, const CUndoRecord& record, bool forward)
{
    const SelectionMark& before = record.selectionBefore;
    if (!(before.kind & kSelectTimeRange) || (forward && (record.flags & (kUndoInsertTime | kUndoDeleteTime))))
        return;
    song.selectionKind = before.kind & (kSelectTimeRange | kSelectTracks);
    song.selectionFrom = before.from;
    song.selectionTo = before.to;
}

void showTrackView(CSongDoc& song, const CUndoRecord& record)
{
    ISongHost& host = song.context().host;
    host.activateTrackView(song);
    if (!(record.flags & kUndoTrackList) || !record.tracks)
        return;
    ITrackRows* rows = song.context().trackRows;
    const std::vector<uint32_t>& inserted = record.tracks->sourceRows;
    if (rows != nullptr) {
        for (uint32_t row : inserted) {
            rows->SetCurrentRow(int(row));
            rows->SelectRow(int(row), false);
        }
    }
    song.RestartPlayback();
    song.selectionKind = inserted.empty() ? 0 : kSelectTracks;
}

// The controller view shows the kind and number of the first event the record
// concerns, unless that event lies on the conductor track.
void showControllerLane(CSongDoc& song, const CUndoRecord& record)
{
    if (!record.events)
        return;
    const CEventList& list = *record.events;
    const CMidiEvent* event = nullptr;
    size_t track = 0;
    if (!list.sourceKeys.empty()) {
        track = list.sourceKeys.front() >> 24;
        event = &song.tracks[track]->events[list.sourceKeys.front() & 0xFFFFFF];
    } else if (!list.events.empty()) {
        track = list.sortKeys.front() >> 24;
        event = &list.events.front();
    }
    if (event != nullptr && track != 0)
        song.context().host.showControllerView(song, int(midi::statusOf(event->message)), event->data1());
}

void activateView(CSongDoc& song, const CUndoRecord& record)
{
    const uint32_t f = record.flags & ~kIgnoredFlags;
    if (f == kUndoTempo)
        song.context().host.activateTempoView(song);
    else if (f & kUndoControllerEdit)
        showControllerLane(song, record);
    else if (!(f & (kUndoTrackList | kUndoTrackProps)) || (f & kUndoEvents))
        song.context().host.activateEditorView(song);
    else
        showTrackView(song, record);
}

} // namespace

ApplyResult CSongDoc::ApplyEdit(std::unique_ptr<CUndoRecord> record)
{
    LockGuard guard(SongMutex(), "ApplyEdit", m_context.lockWait);
    if (!guard)
        return ApplyResult::LockTimeout;
    if (m_context.engine.transportState() != TransportState::Stopped)
        return ApplyResult::TransportRunning;
    if (const ApplyResult check = checkEdit(*this, *record); check != ApplyResult::Applied)
        return check;
    if (record->tracks)
        record->lookUpTrackPorts = record->tracks->ownsTracks;
    dropRedoRecords(*this);
    CUndoRecord* previous = nullptr;
    if ((record->flags & kUndoCoalesce) && !undoList.empty() && undoList.back()->flags == record->flags
        && !undoList.back()->follower)
        previous = undoList.back().get();
    record->selectionBefore = {selectionKind, selectionFrom, selectionTo};
    CUndoRecord& added = *record;
    undoList.push_back(std::move(record));
    undoPosition = std::prev(undoList.end());
    Redo();
    if (previous != nullptr)
        absorbPrevious(*this, added, *previous);
    return ApplyResult::Applied;
}

ApplyResult CSongDoc::applyWithLastEdit(std::unique_ptr<CUndoRecord> record)
{
    const bool join = undoPosition != undoList.begin();
    const ApplyResult result = ApplyEdit(std::move(record));
    if (result != ApplyResult::Applied || !join)
        return result;
    std::unique_ptr<CUndoRecord> applied = std::move(undoList.back());
    undoList.pop_back();
    CUndoRecord* last = undoList.back().get();
    // The state saved with the last edit is not the one it leads to now.
    if (savedRecord == last)
        savedRecord = unreachableSavedRecord();
    while (last->follower)
        last = last->follower.get();
    last->follower = std::move(applied);
    undoPosition = undoList.end();
    SetModifiedFlag(GetUndoRecord() != savedRecord);
    return result;
}

bool CSongDoc::Redo()
{
    if (undoPosition == undoList.end())
        return false;
    return runRecord(**undoPosition, true);
}

bool CSongDoc::Undo()
{
    if (undoPosition == undoList.begin())
        return false;
    return runRecord(**std::prev(undoPosition), false);
}

bool CSongDoc::runRecord(CUndoRecord& record, bool forward)
{
    ISongHost& host = m_context.host;
    host.setWaitCursor(true);
    host.stopOverviewWorkers();
    {
        LockGuard guard(SongMutex(), forward ? "Redo" : "Undo", m_context.lockWait);
        if (!guard) {
            host.setWaitCursor(false);
            return false;
        }
        clearSelection(*this);
        runStep(*this, record, forward);
        keepTimeRange(*this, record, forward);
    }
    UpdateViews(nullptr, stepFlags(record));
    if (m_context.engine.transportState() == TransportState::Playing) {
        m_context.engine.Play(position());
    } else if (isCurrentSong()) {
        m_context.engine.Stop(false);
        LocateToCurrent();
    }
    activateView(*this, record);
    if (forward)
        ++undoPosition;
    else
        --undoPosition;
    SetModifiedFlag(GetUndoRecord() != savedRecord);
    host.repaintTransportPanel();
    host.setWaitCursor(false);
    return true;
}

void CSongDoc::LocateToCurrent()
{
    Locate(std::max(position(), 0));
}

} // namespace rz
