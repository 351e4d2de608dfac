// Play images and shared channels: re-encodes the tracks and, where several
// tracks play different patches on one port and channel, decides where each
// one's settings are sent again.
#include "song/seek_point.h"
#include "song/play_images.h"

#include <algorithm>

#include "core/engine_link.h"
#include "core/song_host.h"
#include "song/song_doc.h"
#include "song/track_encoder.h"

namespace rz {
namespace {

// Stretch between seek points, in quarter notes.

// The user tracks of a song sit between the conductor and the empty track.
int lastUserTrack(const CSongDoc& song)
{
    return int(song.tracks.size()) - 2;
}

bool isEnabled(const CSongDoc& song, const CTrack& track)
{
    return (song.soloActive ? track.savedPlayEnabled : track.playEnabled) != 0;
}

// Two port entries play through one open port: the same entry, or entries the
// output map sends to the same open port. Entries beyond the map never match.
bool samePort(const IPortLink& engine, int a, int b)
{
    if (a == b)
        return true;
    const int size = engine.outputMapSize();
    if (a < 0 || b < 0 || a >= size || b >= size)
        return false;
    const int index = engine.outputMapEntry(a);
    return index >= 0 && index == engine.outputMapEntry(b);
}

// A waveform track's clips last their stored length of real time.
void fitClipDurations(const CSongDoc& song, CTrack& track)
{
    for (CMidiEvent& event : track.events) {
        const CAudioClip* clip = event.message == kAudioClipMessage ? event.clip() : nullptr;
        if (clip == nullptr)
            continue;
        const double endTime = song.TickToTime(event.tick) + double(clip->length) / 10.0; // µs
        event.value2 = std::max(song.TimeToTick(endTime) - event.tick, 0);
    }
}

// The tracks that share track i's channel: every enabled MIDI track with a
// patch on the same channel and open port, when track i is one and
// "AutoProps" is on; otherwise track i alone.
std::vector<int> findGroup(const CSongDoc& song, int i, bool autoProps)
{
    auto candidate = [&](const CTrack& track) {
        return isEnabled(song, track) && track.patch >= 0 && track.type == kMidiTrack;
    };
    const CTrack& track = *song.tracks[size_t(i)];
    if (!autoProps || !candidate(track))
        return {i};
    const IEngineLink& engine = song.context().engine;
    std::vector<int> group;
    for (int j = 1; j <= lastUserTrack(song); ++j) {
        const CTrack& other = *song.tracks[size_t(j)];
        if (candidate(other) && other.channel == track.channel
            && samePort(engine, track.port, other.port))
            group.push_back(j);
    }
    return group;
}

// Whether another MIDI track plays on the track's port and channel: a data
// entry may then not rely on a selection the track made before, since the
// other track's may come between.
bool sharesChannel(const CSongDoc& song, int i)
{
    const CTrack& track = *song.tracks[size_t(i)];
    if (track.type != kMidiTrack)
        return false;
    const IEngineLink& engine = song.context().engine;
    for (int j = 1; j <= lastUserTrack(song); ++j) {
        const CTrack& other = *song.tracks[size_t(j)];
        if (j != i && other.type == kMidiTrack && (other.channel & 15) == (track.channel & 15)
            && samePort(engine, track.port, other.port))
            return true;
    }
    return false;
}

// Where the channel switches to the next note's patch: halfway into the gap
// before it, at most a sixth of a quarter early; kept out of a vamp the
// previous patch still plays in, or moved before a vamp the next one starts.
int32_t switchPoint(const CSongDoc& song, int32_t tick, int32_t lastNoteTick)
{
    const int32_t gap = tick - lastNoteTick;
    int32_t point = std::max(tick - std::min(gap / 2, int32_t(song.timeBase / 6)), 0);
    for (auto it = song.cues.rbegin(); it != song.cues.rend(); ++it) {
        const CCue& cue = **it;
        if (cue.kind != kCueVamp || point < cue.secondTime || point >= cue.time)
            continue;
        if (lastNoteTick >= cue.secondTime - 1) {
            if (tick >= cue.time)
                point = std::min(cue.time + 1, tick);
        } else {
            point = std::max(cue.secondTime - 1, 0);
        }
        break;
    }
    return point;
}

struct GroupNote {
    int32_t tick;
    int position; // in the group
};

// The group's notes in tick order; at one tick the later group track first.
std::vector<GroupNote> mergedNotes(const CSongDoc& song, const std::vector<int>& group)
{
    std::vector<GroupNote> notes;
    for (size_t position = 0; position < group.size(); ++position) {
        for (const CMidiEvent& event : song.tracks[size_t(group[position])]->events) {
            if (event.isNote())
                notes.push_back({event.tick, int(position)});
        }
    }
    std::stable_sort(notes.begin(), notes.end(), [](const GroupNote& a, const GroupNote& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.position > b.position;
    });
    return notes;
}

// Fills the patch-change points of a group of several tracks. Returns, per
// group position, whether the track's tick-0 events go to tick 1 in its image.
std::vector<bool> placePatchPoints(CSongDoc& song, const std::vector<int>& group)
{
    auto trackAt = [&](size_t position) -> CTrack& { return *song.tracks[size_t(group[position])]; };
    bool switched = false;
    int32_t bank = 0, patch = 0, lastNoteTick = 0;
    for (const GroupNote& note : mergedNotes(song, group)) {
        CTrack& track = trackAt(size_t(note.position));
        if (switched && track.bank == bank && track.patch == patch) {
            lastNoteTick = note.tick;
            continue;
        }
        bank = track.bank;
        patch = track.patch;
        if (!switched) {
            for (size_t position = 0; position < group.size(); ++position) {
                if (trackAt(position).bank == bank && trackAt(position).patch == patch)
                    trackAt(position).patchChangePoints.push_back(0);
            }
            switched = true;
        } else {
            track.patchChangePoints.push_back(switchPoint(song, note.tick, lastNoteTick));
        }
        lastNoteTick = note.tick;
    }
    // A member without notes sends its settings at 0; the members after it
    // that start at 0 too send theirs (and their tick-0 events) at 1.
    std::vector<bool> shifted(group.size(), false);
    size_t firstPointless = group.size();
    for (size_t position = 0; position < group.size(); ++position) {
        std::vector<int32_t>& points = trackAt(position).patchChangePoints;
        if (!points.empty())
            continue;
        points.push_back(0);
        firstPointless = std::min(firstPointless, position);
    }
    for (size_t position = firstPointless + 1; position < group.size(); ++position) {
        std::vector<int32_t>& points = trackAt(position).patchChangePoints;
        if (points.front() != 0)
            continue;
        for (int32_t& point : points)
            point = std::max(point, 1); // stays ascending
        shifted[position] = true;
    }
    return shifted;
}

// The encoder sets the end tick from the events; a waveform track lasts until
// its last clip has played out.
void extendToClipEnds(CTrack& track)
{
    for (const CMidiEvent& event : track.events) {
        if (event.message == kAudioClipMessage && event.clip() != nullptr)
            track.endTick = std::max(track.endTick, int32_t(std::min<int64_t>(int64_t(event.tick) + std::max(event.value2, 0), kEndTick - 1)));
    }
}

void encodeGroup(CSongDoc& song, const std::vector<int>& group, const std::vector<bool>& shifted)
{
    const int32_t interval = kSeekQuarters * int32_t(song.timeBase);
    for (size_t position = group.size(); position-- > 0;) {
        CTrack& track = *song.tracks[size_t(group[position])];
        TrackEncodeContext context;
        context.trackIndex = group[position];
        context.song = &song.context();
        context.firstEventTick = shifted[position] ? 1 : 0;
        context.soloActive = song.soloActive;
        context.selectEveryDataEntry = sharesChannel(song, group[position]);
        context.songFolder = song.songFolder;
        WriteTrackChunk(track, interval, context);
        if (track.type == kWaveTrack)
            extendToClipEnds(track);
        track.chased = 1;
    }
}

} // namespace

void RebuildPlayImages(CSongDoc& song, bool keepDone)
{
    if (!keepDone) {
        for (auto& track : song.tracks)
            track->chased = 0;
    }
    const bool autoProps = song.context().host.autoProps();
    for (int i = 1; i <= lastUserTrack(song); ++i) {
        CTrack& track = *song.tracks[size_t(i)];
        if (track.chased != 0)
            continue;
        if (track.type == kWaveTrack)
            fitClipDurations(song, track);
        const std::vector<int> group = findGroup(song, i, autoProps);
        for (int member : group)
            song.tracks[size_t(member)]->patchChangePoints.clear();
        std::vector<bool> shifted(group.size(), false);
        if (group.size() == 1)
            track.patchChangePoints.push_back(0);
        else
            shifted = placePatchPoints(song, group);
        encodeGroup(song, group, shifted);
    }
    song.UpdateSongEnd();
    song.reserveClipRoom();
}

} // namespace rz
