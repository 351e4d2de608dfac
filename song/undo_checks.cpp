#include <algorithm>
#include <cassert>
#include <set>

#include "core/prompt.h"
#include "song/song_doc.h"
#include "song/undo_internal.h"

namespace rz {

namespace {

// Tracks a song may hold: 250 user tracks, the conductor and the empty track.
constexpr size_t kMaxTrackCount = 252;

// Fails a shape check: a record built by code that does not fit the song.
bool misfit([[maybe_unused]] const char* what)
{
    assert(!"undo record does not fit the song" && what);
    return false;
}

bool strictlyAscending(const std::vector<uint32_t>& keys)
{
    return std::adjacent_find(keys.begin(), keys.end(), std::greater_equal<>()) == keys.end();
}

bool keysBelow(const std::vector<uint32_t>& keys, size_t count)
{
    return strictlyAscending(keys) && (keys.empty() || keys.back() < count);
}

int metaTracksIn(const std::vector<const CTrack*>& tracks)
{
    int count = 0;
    for (size_t i = 1; i + 1 < tracks.size(); ++i)
        count += tracks[i]->type == kMetaTrack ? 1 : 0;
    return count;
}

std::vector<const CTrack*> songTracks(const CSongDoc& song)
{
    std::vector<const CTrack*> tracks;
    for (const auto& track : song.tracks)
        tracks.push_back(track.get());
    return tracks;
}

// The track list after the record's track exchange, or false when its keys
// would move the conductor or the empty track, or a borrowing list does not
// put back exactly the tracks it takes out.
bool predictTracks(const CTrackList& list, std::vector<const CTrack*>& tracks)
{
    const size_t n = tracks.size();
    if (list.sourceRows.size() > n || !keysBelow(list.sourceRows, n - 1)
        || (!list.sourceRows.empty() && list.sourceRows.front() < 1))
        return misfit("track remove keys");
    if (list.targetRows.size() != list.tracks.size()
        || !std::is_sorted(list.targetRows.begin(), list.targetRows.end()))
        return misfit("track insert keys");
    std::vector<const CTrack*> buffered;
    for (const auto& track : list.tracks) {
        if (!track)
            return misfit("empty track slot");
        buffered.push_back(track.get());
    }
    std::vector<uint32_t> removeKeys = list.sourceRows;
    std::vector<uint32_t> insertKeys = list.targetRows;
    // The empty track must stay last: every insert position lies before it.
    const size_t remaining = n - removeKeys.size();
    for (const uint32_t key : insertKeys) {
        const size_t below = size_t(std::count_if(removeKeys.begin(), removeKeys.end(),
                                                  [&](uint32_t r) { return r < key; }));
        const size_t lowered = key - below;
        if (lowered < 1 || lowered + 1 > remaining)
            return misfit("track insert position");
    }
    if (!list.ownsTracks) {
        const std::set<const CTrack*> borrowed(buffered.begin(), buffered.end());
        std::set<const CTrack*> taken;
        for (uint32_t r : removeKeys)
            taken.insert(tracks[r]);
        if (borrowed != taken || borrowed.size() != buffered.size())
            return misfit("borrowed tracks are not the removed ones");
    }
    exchangeSlots(tracks, buffered, removeKeys, insertKeys);
    return true;
}

ApplyResult checkTrackLimits(const CSongDoc& song, const std::vector<const CTrack*>& after)
{
    IPrompt& prompt = song.context().prompt;
    if (after.size() > kMaxTrackCount) {
        prompt.message("Sorry, you have reached the maximum of 250 tracks.");
        return ApplyResult::TooManyTracks;
    }
    if (metaTracksIn(after) > 1) {
        prompt.message("Only 1 meta track is permitted (if dragging, try cut & paste instead).");
        return ApplyResult::SecondMetaTrack;
    }
    return ApplyResult::Applied;
}

ApplyResult checkEventTargets(const CSongDoc& song, const CEventList& list)
{
    IPrompt& prompt = song.context().prompt;
    const size_t n = song.tracks.size();
    for (size_t k = list.sortKeys.size(); k-- > 0;) {
        const size_t t = list.sortKeys[k] >> 24;
        if (t + 1 >= n) {
            prompt.message("Sorry, target track(s) do not exist.");
            return ApplyResult::MissingTargetTrack;
        }
        const bool waveTrack = song.tracks[t]->type == kWaveTrack;
        const bool clip = list.events[k].message == kAudioClipMessage;
        if (waveTrack != clip) {
            prompt.message("Please paste audio clips to audio tracks, and MIDI to MIDI tracks.",
                           PromptIcon::Stop);
            return ApplyResult::AudioMidiMismatch;
        }
    }
    return ApplyResult::Applied;
}

bool eventsFit(const CEventList& list, const std::vector<const CTrack*>& tracks)
{
    if (list.sortKeys.size() != list.events.size())
        return misfit("event keys and events differ in number");
    if (!strictlyAscending(list.sourceKeys))
        return misfit("event remove keys");
    for (uint32_t key : list.sourceKeys) {
        const size_t t = key >> 24;
        if (t >= tracks.size() || (key & 0xFFFFFF) >= tracks[t]->events.size())
            return misfit("event remove key out of range");
    }
    std::vector<int32_t> lastTick(tracks.size(), INT32_MIN);
    for (size_t k = 0; k < list.sortKeys.size(); ++k) {
        const size_t t = list.sortKeys[k] >> 24;
        if (t + 1 >= tracks.size())
            return misfit("event target track");
        if ((list.sortKeys[k] & 0xFFFFFF) != kComputedPosition)
            continue;
        if (list.events[k].tick < lastTick[t])
            return misfit("events placed by tick do not ascend");
        lastTick[t] = list.events[k].tick;
    }
    return true;
}

bool cuesFit(const CCueSet& set, const CSongDoc& song)
{
    if (!keysBelow(set.removeKeys, song.cues.size()))
        return misfit("cue remove keys");
    const bool ordered = std::is_sorted(set.cues.begin(), set.cues.end(), [](const CCue& a, const CCue& b) {
        return a.GetTime() < b.GetTime()
               || (a.GetTime() == b.GetTime()
                   && std::min(a.time, a.secondTime) < std::min(b.time, b.secondTime));
    });
    return ordered || misfit("cues out of time order");
}

bool tempoFits(const CTempoSet& set, const CSongDoc& song)
{
    if (!keysBelow(set.removeKeys, song.tempoMap.size()))
        return misfit("tempo remove keys");
    for (size_t k = 0; k < set.entries.size(); ++k) {
        const TempoEntry& e = set.entries[k];
        if (e.tick < 0 || e.tempo < kMinTempo || e.tempo > kMaxTempo
            || (k > 0 && e.tick < set.entries[k - 1].tick))
            return misfit("tempo entries");
    }
    return true;
}

bool measuresFit(const CMeasureMapSnapshot& snapshot)
{
    if (snapshot.measureCount < 1 || size_t(snapshot.measureCount) > kMaxMeasures
        || snapshot.entries.empty() || snapshot.entries.front().start != 0)
        return misfit("measure snapshot");
    for (size_t k = 0; k < snapshot.entries.size(); ++k) {
        const MeasureRec& m = snapshot.entries[k];
        if (m.numerator < 1 || m.denominator < 1 || (k > 0 && m.start <= snapshot.entries[k - 1].start))
            return misfit("measure snapshot entry");
    }
    return true;
}

bool propsFit(const std::vector<CTrackProps>& props, size_t trackCount)
{
    for (const CTrackProps& p : props)
        if (p.trackIndex < 0 || size_t(p.trackIndex) + 1 >= trackCount)
            return misfit("track properties for a missing track");
    return true;
}

// Every flag that names a part has the part.
bool partsPresent(const CUndoRecord& r)
{
    const uint32_t f = r.flags;
    const bool timeFlag = (f & (kUndoInsertTime | kUndoDeleteTime)) != 0;
    if (((f & kUndoCues) && !r.cues) || ((f & kUndoTempo) && !r.tempo)
        || ((f & kUndoEvents) && !r.events) || ((f & kUndoMeasures) && !r.measures)
        || ((f & kUndoTrackList) && !r.tracks)
        || ((f & kUndoTrackProps) && !std::holds_alternative<std::vector<CTrackProps>>(r.payload))
        || ((f & kUndoSongProps) && !std::holds_alternative<CSongPropsSnapshot>(r.payload)))
        return misfit("flag without its part");
    if (timeFlag && (r.start < 0 || r.timeLength() <= 0))
        return misfit("time span");
    return true;
}

bool shapeFits(const CSongDoc& song, const CUndoRecord& r, const std::vector<const CTrack*>& after)
{
    if (!partsPresent(r))
        return false;
    if ((r.flags & kUndoTrackProps)
        && !propsFit(std::get<std::vector<CTrackProps>>(r.payload), song.tracks.size()))
        return false;
    if ((r.flags & kUndoCues) && !cuesFit(*r.cues, song))
        return false;
    if ((r.flags & kUndoTempo) && !tempoFits(*r.tempo, song))
        return false;
    if ((r.flags & kUndoMeasures) && !measuresFit(*r.measures))
        return false;
    return !(r.flags & kUndoEvents) || eventsFit(*r.events, after);
}

} // namespace

ApplyResult checkEdit(CSongDoc& song, const CUndoRecord& record)
{
    if (song.tracks.size() < 2) {
        misfit("song without its conductor and empty tracks");
        return ApplyResult::Malformed;
    }
    std::vector<const CTrack*> after = songTracks(song);
    if ((record.flags & kUndoTrackList) && record.tracks) {
        if (!predictTracks(*record.tracks, after))
            return ApplyResult::Malformed;
        if (const ApplyResult limits = checkTrackLimits(song, after); limits != ApplyResult::Applied)
            return limits;
    }
    if ((record.flags & kUndoEvents) && !(record.flags & kUndoTrackList) && record.events) {
        if (const ApplyResult targets = checkEventTargets(song, *record.events);
            targets != ApplyResult::Applied)
            return targets;
    }
    return shapeFits(song, record, after) ? ApplyResult::Applied : ApplyResult::Malformed;
}

} // namespace rz
