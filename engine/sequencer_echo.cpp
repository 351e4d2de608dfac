// The thru tracks: which tracks echo MIDI input, and the echo itself, which
// also appends to the take while recording.
#include "core/midi_bytes.h"
#include "engine/sequencer.h"

#include "engine/gui_posts.h"
#include "song/song_doc.h"
#include "song/volume_scale.h"

#include <algorithm>

namespace rz {

namespace {

constexpr uint32_t kEchoTag = 0xFF000000u; // the preview tag the ports keep with a note

uint32_t withKey(uint32_t message, int key)
{
    return (message & ~0xFF00u) | uint32_t(key & 0x7F) << 8;
}

int keyOf(uint32_t message)
{
    return int(message >> 8) & 0x7F;
}

bool passesEventFilter(uint32_t filter, uint32_t message)
{
    return (filter >> ((message >> 4) & 15)) & 1u;
}

COutPort* findOutPort(const SequencerPorts& ports, const IMidiOut* port)
{
    for (const std::shared_ptr<COutPort>& candidate : ports.outputs) {
        if (static_cast<const IMidiOut*>(candidate.get()) == port)
            return candidate.get();
    }
    return nullptr;
}

// What CTrack::SendInitialControllers reads.
std::shared_ptr<CTrack> copySettings(const CTrack& track)
{
    auto copy = std::make_shared<CTrack>();
    copy->channel = track.channel;
    copy->bank = track.bank;
    copy->patch = track.patch;
    copy->volume = track.volume;
    copy->initialControllers = track.initialControllers;
    copy->outputPort = track.outputPort;
    return copy;
}

ThruTrack thruEntry(const CSongDoc& song, int number, const SequencerPorts& ports)
{
    CTrack& track = *song.tracks[size_t(number)];
    ThruTrack entry;
    entry.number = number;
    entry.track = &track;
    entry.settings = copySettings(track);
    entry.waveform = track.type == kWaveTrack;
    entry.channel = track.channel & 15;
    entry.inputChannel = track.inputChannel;
    entry.inputDevice = track.inputDevice;
    entry.pitchClassCorrection = track.pitchClassCorrection;
    entry.key = track.key;
    entry.port = track.outputPort;
    entry.outPort = findOutPort(ports, track.outputPort);
    return entry;
}

} // namespace

int correctPitchClass(int key, uint32_t mask)
{
    const uint32_t bits = (mask >> ((key % 12) * 2)) & 3u;
    const int moved = key - int(bits & 1u) + int(bits >> 1);
    return moved < 0 || moved > 127 ? key : moved;
}

// GUI thread (through CSongDoc::UpdateViews). The notes the old thru tracks
// echoed are ended: a chord held while the player picks another track would
// sound on. A timed-out wait keeps the old tracks until the next call.
void CSequencer::RebuildThruTracks()
{
    if (!initialised())
        return;
    std::shared_ptr<const ThruTracks> found = findThruTracks();
    LockGuard guard(ThruMutex(), "RebuildThruTracks", m_options.lockWait);
    if (!guard)
        return;
    const std::shared_ptr<const ThruTracks> old = m_io.thru.exchange(std::move(found));
    for (const ThruTrack& entry : old->tracks) {
        if (entry.outPort != nullptr)
            entry.outPort->ReleaseHeldNotes();
    }
}

// With the conductor track armed, the armed tracks; otherwise the track
// view's current track, else its selected ones. The empty last track never.
std::shared_ptr<const ThruTracks> CSequencer::findThruTracks() const
{
    auto thru = std::make_shared<ThruTracks>();
    const CSongDoc* song = currentSong();
    if (song == nullptr || song->tracks.size() < 2)
        return thru;
    thru->song = song;
    thru->relativeVolume = song->relativeVolume;
    thru->ports = ports();
    if (song->tracks.front()->recordArm != 0)
        collectArmedTracks(*song, *thru);
    else
        collectTrackViewTracks(*song, *thru);
    return thru;
}

void CSequencer::collectArmedTracks(const CSongDoc& song, ThruTracks& thru) const
{
    for (size_t i = song.tracks.size() - 2; i >= 1; --i) {
        if (song.tracks[i]->recordArm > 0)
            thru.tracks.push_back(thruEntry(song, int(i), *thru.ports));
    }
}

void CSequencer::collectTrackViewTracks(const CSongDoc& song, ThruTracks& thru) const
{
    const std::optional<TrackViewRows> rows = m_services.toGui.trackViewRows();
    if (!rows)
        return;
    const int last = int(song.tracks.size()) - 1;
    if (rows->currentRow >= 0 && rows->currentRow < last) {
        thru.tracks.push_back(thruEntry(song, rows->currentRow, *thru.ports));
        return;
    }
    for (int row : rows->selectedRows) {
        if (row >= 0 && row < last)
            thru.tracks.push_back(thruEntry(song, row, *thru.ports));
    }
}

// Any thread; the locate of a recording asks it on the timer thread.
bool CSequencer::hasThruTrack(const IMidiOut* port, int channel) const
{
    const std::shared_ptr<const ThruTracks> thru = m_io.thru.load();
    return std::any_of(thru->tracks.begin(), thru->tracks.end(), [&](const ThruTrack& entry) {
        return !entry.waveform && entry.port == port && entry.channel == channel;
    });
}

std::vector<ThruTrackKey> CSequencer::thruTrackKeys() const
{
    const std::shared_ptr<const ThruTracks> thru = m_io.thru.load();
    std::vector<ThruTrackKey> keys;
    keys.reserve(thru->tracks.size());
    for (const ThruTrack& entry : thru->tracks) {
        if (entry.number >= 1 && !entry.waveform)
            keys.push_back({entry.number, entry.key});
    }
    return keys;
}

// A message the ThruMutex wait lost is neither echoed nor recorded; the
// guard logs the timeout. Tracks of a song that is no longer current are
// not touched.
void CSequencer::EchoMidiIn(const CMidiIn* source, uint32_t message)
{
    if (!initialised() || midi::isSystemStatus(message)
        || !passesEventFilter(liveSettings()->eventFilter, message))
        return;
    {
        LockGuard guard(ThruMutex(), "EchoMidiIn", m_options.lockWait);
        if (!guard) {
            m_recorder.lostInputs.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        const std::shared_ptr<const ThruTracks> thru = m_io.thru.load();
        if (thru->song != currentSong())
            return;
        const int channel = int(message & 15);
        const int32_t time = recording() ? takeTime() : 0;
        for (auto it = thru->tracks.rbegin(); it != thru->tracks.rend(); ++it) {
            const ThruTrack& entry = *it;
            if (entry.number < 1 || entry.waveform
                || (entry.inputChannel >= 0 && entry.inputChannel != channel)
                || (source != nullptr && !inputNamesSource(entry, *source)))
                continue;
            echoToTrack(entry, thru->relativeVolume, message, time);
        }
    }
    postStepRecording(message);
}

// GUI thread. The input threads append to the take too, so the fader's
// message joins it under the same lock and at the same time they would use.
void CSequencer::recordLiveMessage(int track, uint32_t message)
{
    if (!initialised() || !recording() || track < 1)
        return;
    LockGuard guard(ThruMutex(), "recordLiveMessage", m_options.lockWait);
    if (!guard) {
        m_recorder.lostInputs.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    if (!recording())
        return;
    m_recorder.take.push_back({takeTime(), uint32_t(track) << 24 | (message & 0xFFFFFFu), 0});
}

// A track's input entry names a "MIDIIN%d" entry, which names an input.
bool CSequencer::inputNamesSource(const ThruTrack& entry, const CMidiIn& source) const
{
    const std::vector<int>& inputMap = ports()->inputMap;
    return entry.inputDevice >= 0 && size_t(entry.inputDevice) < inputMap.size()
           && inputMap[size_t(entry.inputDevice)] == source.index();
}

// Under the ThruMutex. The take keeps the played channel and key (after the
// pitch-class correction); the port gets the track's channel and
// transposition, notes tagged so that the port can end them.
void CSequencer::echoToTrack(const ThruTrack& entry, double relativeVolume, uint32_t message,
                             int32_t time)
{
    uint32_t corrected = message;
    if (carriesKey(message) && entry.pitchClassCorrection != 0)
        corrected = withKey(message, correctPitchClass(keyOf(message), entry.pitchClassCorrection));
    if (recording()) {
        m_recorder.take.push_back({time, uint32_t(entry.number) << 24 | corrected,
                          m_guiValues.currentNoteLength()});
    }
    if (!liveSettings()->echo || entry.port == nullptr)
        return;
    uint32_t out = (corrected & ~0xFu) | uint32_t(entry.channel);
    if (isNoteOn(out) && !m_guiValues.patchListOpen())
        entry.settings->SendInitialControllers(VolumeScale{relativeVolume, masterVolume()});
    if (carriesKey(out))
        out = withKey(out, transposeFolded(keyOf(out), entry.key));
    if (midi::isNote(out))
        out |= kEchoTag;
    entry.port->SendShort(out);
}

// Step recording moves on with every played note-on unless Shift is held.
void CSequencer::postStepRecording(uint32_t message)
{
    if (transportState() == TransportState::Paused && recording() && liveSettings()->record.mode == 1
        && isNoteOn(message) && !m_guiValues.shiftHeld())
        m_services.toGui.playCue();
}

// Under the ThruMutex, while recording: the take's time for input arriving
// now, ticks. During the count-in the song stands at the record start while
// the clock runs, so input lands before the start. While the transport moves
// (or is about to: Stopped until the first tick) the timer thread writes the
// song's position, so the engine's own values are read; paused or holding,
// only the GUI thread moves the song's (step recording).
int32_t CSequencer::takeTime() const
{
    const int32_t countIn = m_countIn.length.load(std::memory_order_acquire);
    int32_t at = 0;
    const TransportState state = transportState();
    if (countingIn()) {
        at = position() - countIn;
    } else if (state == TransportState::Playing || state == TransportState::Starting) {
        at = position();
    } else if (state == TransportState::Stopped) {
        at = m_recorder.recordStart - countIn;
    } else if (const CSongDoc* song = currentSong()) {
        at = song->position();
    }
    return std::max(at, int32_t(0));
}

} // namespace rz
