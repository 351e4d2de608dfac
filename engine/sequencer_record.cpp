// The Record command: the thru tracks are checked and prepared, the take
// emptied and the transport started. GUI thread.
#include "engine/sequencer.h"

#include "core/prompt.h"
#include "song/song_doc.h"
#include "song/volume_scale.h"

#include <algorithm>

namespace rz {

namespace {

constexpr int kMaxCountInMeasures = 100;
constexpr double kClipLeadUs = 1000000.0; // a take may not start within 1 s before a clip

// An audio clip of the track whose first pass covers the real time (µs),
// or starts less than a second after it.
bool clipCoversTime(const CSongDoc& song, const CTrack& track, double time)
{
    for (const CMidiEvent& event : track.events) {
        const CAudioClip* clip = event.clip();
        if (clip == nullptr)
            continue;
        const double start = song.TickToTime(event.tick);
        const double end = start + double(clip->length) / 10.0; // 100-ns units
        if (time >= start - kClipLeadUs && time <= end)
            return true;
    }
    return false;
}

int32_t countInTicks(const CSongDoc& song, int32_t start, int measures)
{
    const int index = song.FindMeasure(start);
    if (index < 0 || size_t(index) >= song.measureMap.size())
        return 0;
    const int64_t ticks = int64_t(song.measureMap[size_t(index)].length)
                          * std::clamp(measures, 0, kMaxCountInMeasures);
    return int32_t(std::min<int64_t>(ticks, INT32_MAX));
}

} // namespace

void CSequencer::Record()
{
    CSongDoc* song = currentSong();
    if (song == nullptr || recording())
        return;
    const std::shared_ptr<const ThruTracks> thru = m_io.thru.load();
    if (thru->tracks.empty() || thru->song != song) {
        m_services.prompt.message("Please select at least one track.", PromptIcon::Stop);
        return;
    }
    m_recorder.recordStart = song->position();
    if (!prepareRecordTracks(*song, *thru))
        return;
    reserveMeasureRoom(*song);
    {
        LockGuard guard(ThruMutex(), "Record", m_options.lockWait);
        if (!guard) {
            discardTakeWave();
            return;
        }
        m_recorder.take.clear();
    }
    for (const std::unique_ptr<CMidiIn>& input : m_io.inputs) {
        if (input->isOpen())
            input->Restart();
    }
    startTake();
}

// MIDI tracks send their initial settings. Of waveform tracks there may be
// one, with no clip where the take starts; it records into a new wave file
// from the audio input. False, with a message, when a check fails.
bool CSequencer::prepareRecordTracks(CSongDoc& song, const ThruTracks& thru)
{
    const VolumeScale scale{thru.relativeVolume, masterVolume()};
    const double startTime = song.TickToTime(m_recorder.recordStart);
    bool waveform = false;
    for (const ThruTrack& entry : thru.tracks) {
        if (!entry.waveform) {
            entry.track->SendInitialControllers(scale);
            continue;
        }
        if (waveform) {
            m_services.prompt.message("Please select a single waveform track.",
                                      PromptIcon::Warning);
            return false;
        }
        if (clipCoversTime(song, *entry.track, startTime)) {
            m_services.prompt.message("An audio clip already exists on this track at this time.",
                                      PromptIcon::Warning);
            return false;
        }
        waveform = true;
    }
    return !waveform || openTakeWave();
}

// The playback tick grows the measure map while the take runs past its
// end, so the room is made before the take starts and growing never moves a
// measure the tick holds. Stopped or paused, no tick reads the map and the
// room is made in place; while the transport runs the tick reads it without
// a lock, so the room is made in a copy here and the tick swaps it in.
void CSequencer::reserveMeasureRoom(CSongDoc& song)
{
    const TransportState state = transportState();
    if (state == TransportState::Playing || state == TransportState::Starting
        || state == TransportState::Holding) {
        m_recorder.prepareMeasureRoom(song);
        return;
    }
    LockGuard guard(SongMutex(), "Record", m_options.lockWait);
    if (guard)
        Recorder::reserveMeasureRoom(song.measureMap);
}

// Timer thread, while a take runs: first a room made while playing is
// swapped in, then, past the last measure's start, the map gains a copy of
// it, numbered on, within the room. Both under the SongMutex, which the
// views hold while they read the map; a busy lock is tried again on the
// next tick, and the map grows only once the room is in.
void CSequencer::growMeasureMap(CSongDoc& song)
{
    const bool roomPending = m_recorder.measureRoomPending();
    if (!roomPending && !Recorder::needsMeasure(song.measureMap, song.position()))
        return;
    LockGuard guard = tryGuard(SongMutex());
    if (!guard)
        return;
    if (roomPending)
        m_recorder.swapMeasureRoom(song);
    const int32_t end = Recorder::growMeasureMap(song.measureMap, song.position());
    if (end >= 0)
        song.measureMapEnd = end;
}

// Modes 0 and 2 count in from the record start and play; step recording
// (mode 1) waits paused for notes. A start the transport refused (the
// Play/Cue debounce, no timer) leaves no take pending.
void CSequencer::startTake()
{
    if (liveSettings()->record.mode == 1) {
        setRecording(true, 0);
        Pause();
    } else {
        // Begun while the song plays, the take counts nothing in: the next
        // tick attaches its wave and lets it run past the song's end.
        const bool playing = transportState() == TransportState::Playing;
        const CSongDoc* song = currentSong();
        const int measures = playing ? 0 : liveSettings()->countInMeasures;
        setRecording(true, countInTicks(*song, m_recorder.recordStart, measures));
        m_recorder.joinPending.store(playing, std::memory_order_release);
        Advance(false);
    }
    if (transportState() == TransportState::Stopped) {
        m_recorder.joinPending.store(false, std::memory_order_release);
        setRecording(false);
        m_recorder.dropMeasureRoom();
        discardTakeWave();
    }
}

} // namespace rz
