// Play-out: every event that has come due goes to its port, and the audio
// clip play lists are handed to the audio engine. Timer thread; never
// allocates in steady state and never throws.
#include <algorithm>
#include <optional>

#include "core/engine_gui_values.h"
#include "core/engine_link.h"
#include "core/locks.h"
#include "core/midi_bytes.h"
#include "core/midi_out.h"
#include "core/due_clock.h"
#include "song/play_out_state.h"
#include "song/song_doc.h"

namespace rz {

namespace {

using cc::kVolume;
constexpr uint8_t kClipMetaType = 7;

// Strictly earlier: by tick between tracks that share an offset, so that
// rounding in their times cannot split a tick; otherwise by due time.
bool dueBefore(const CTrack& a, const CTrack& b)
{
    if (a.timeOffsetUs == b.timeOffsetUs)
        return a.nextTick < b.nextTick;
    return a.nextTime + a.timeOffsetUs < b.nextTime + b.timeOffsetUs;
}

// The fader view drags this kind (and controller) on the track's port.
bool draggedByFader(const std::optional<FaderDrag>& drag, int portIndex, uint8_t kind,
                    uint8_t controller)
{
    if (!drag || drag->port != portIndex || drag->kind != kind)
        return false;
    return !midi::isController(kind) || drag->controller == controller;
}

} // namespace

void CSongDoc::PlayEventsUpTo()
{
    try {
        IEngineLink& engine = m_context.engine;
        const int fader = engine.guiValues().masterFader();
        if (fader != engine.masterVolume())
            engine.SetMasterVolume(fader);
        retryPendingClipWork();
        const double now = engine.realTime();
        RawEvent event;
        for (size_t i = nextDueTrack(now); i != 0; i = nextDueTrack(now)) {
            CTrack& track = *tracks[i];
            // Stamped with its own time from the tempo map, not the tick's.
            const DueTimeScope due(track.nextTime + track.timeOffsetUs);
            if (!track.ReadNextEvent(event)) {
                track.endReader();
                continue;
            }
            UpdateCursorTime(track);
            if (track.playEnabled != 0)
                playEvent(track, i, event);
        }
    } catch (...) {
        // Nothing may leave the timer thread.
    }
}

// The user track whose next event is due first, 0 when none is due. The
// tracks merge as in the file: at one time the lower track goes first, so a
// set-up on the first track comes before a later track's note.
size_t CSongDoc::nextDueTrack(double now) const
{
    size_t first = 0;
    for (size_t i = 1; i + 1 < tracks.size(); ++i) {
        const CTrack& track = *tracks[i];
        if (track.nextTick == kEndTick || now - track.timeOffsetUs < track.nextTime)
            continue;
        if (first == 0 || dueBefore(track, *tracks[first]))
            first = i;
    }
    return first;
}

void CSongDoc::playEvent(CTrack& track, size_t index, const RawEvent& event)
{
    if (event.kind == midi::kMeta) {
        if (event.data1 == kClipMetaType)
            startClipsAt(index, event.tick);
        return;
    }
    if (track.outputPort == nullptr || event.kind < midi::kNoteOn)
        return;
    IMidiOut& port = *track.outputPort;
    const uint32_t message =
        uint32_t(event.kind) | uint32_t(event.data1 & 0x7F) << 8 | uint32_t(event.data2 & 0x7F) << 16;
    const int channel = event.kind & 15;
    IEngineLink& engine = m_context.engine;
    switch (midi::statusOf(event.kind)) {
    case midi::kNoteOn: port.SendShort(message | uint32_t(index & 0xFF) << 24); return;
    case midi::kPolyPressure:
    case midi::kProgramChange: port.SendShort(message); return;
    case midi::kControlChange:
    case midi::kChannelPressure:
    case midi::kPitchBend: {
        const auto drag = engine.guiValues().faderDrag();
        if (drag && draggedByFader(drag, engine.outputMapEntry(track.port), event.kind, event.data1))
            return;
        if (midi::isController(event.kind) && event.data1 == kVolume) {
            port.setUnscaledVolume(channel, event.data2 & 0x7F);
            const VolumeScale scale{relativeVolume, engine.masterVolume()};
            const int value = ScaleVolume(event.data2 & 0x7F, track.volume, scale);
            port.SendShort((message & 0xFFFFu) | uint32_t(value) << 16);
            return;
        }
        port.SendShort(message);
        return;
    }
    default: break;
    }
    if ((event.kind == midi::kSysEx || event.kind == midi::kEndOfSysEx) && sentAtStartUp(index, event))
        return;
    if (event.kind == midi::kSysEx) {
        std::vector<uint8_t>& bytes = playOutState().sysex;
        bytes.clear();
        bytes.push_back(midi::kSysEx);
        bytes.insert(bytes.end(), event.data.begin(), event.data.end());
        port.SendSysEx(bytes.data(), bytes.size());
    } else if (event.kind == midi::kEndOfSysEx && !event.data.empty()) {
        port.SendSysEx(event.data.data(), event.data.size());
    }
}

// A clip's place in the image: its clips at that tick start playing. The
// playback tick never waits for the AudioMutex: a busy lock leaves the start
// for the next tick, once per place, within the room reserveClipRoom made;
// past it (clips added without a rebuild) the lists are rebuilt instead.
void CSongDoc::startClipsAt(size_t trackIndex, int32_t tick)
{
    LockGuard guard = tryGuard(AudioMutex());
    if (guard) {
        startClipsLocked(*tracks[trackIndex], tick);
        return;
    }
    PlayOutState& play = playOutState();
    std::vector<PendingClipStart>& pending = play.pendingClips;
    const PendingClipStart start{int32_t(trackIndex), tick};
    const bool known = std::any_of(pending.begin(), pending.end(), [&](const PendingClipStart& p) {
        return p.track == start.track && p.tick == start.tick;
    });
    if (known)
        return;
    if (pending.size() < pending.capacity()) {
        pending.push_back(start);
    } else if (!play.audioListsPending) {
        play.audioListsPending = true;
        play.audioListsTick = tick;
    }
}

void CSongDoc::reserveClipRoom()
{
    size_t clips = 0;
    for (const auto& track : tracks) {
        if (track->type != kWaveTrack)
            continue;
        clips += size_t(std::count_if(track->events.begin(), track->events.end(),
                                      [](const CMidiEvent& event) {
                                          return event.message == kAudioClipMessage
                                                 && event.clip() != nullptr;
                                      }));
    }
    // A song without clips gets its play-out buffers when it is located
    // (activation does so before it plays), not every time it is built.
    if (clips > 0 || m_playOut)
        playOutState().pendingClips.reserve(clips);
    m_context.engine.reserveClipPlayLists(clips);
}

void CSongDoc::startClipsLocked(CTrack& track, int32_t tick)
{
    IAudioClipLink& engine = m_context.engine;
    auto first = std::lower_bound(track.events.begin(), track.events.end(), tick,
                                  [](const CMidiEvent& event, int32_t t) { return event.tick < t; });
    for (auto it = first; it != track.events.end() && it->tick == tick; ++it) {
        CAudioClip* clip = it->message == kAudioClipMessage ? it->clip() : nullptr;
        if (clip == nullptr || engine.clipInPlayList(*clip))
            continue;
        engine.clipTimeToSample(*clip, 0.0);
        engine.appendClipToPlayLists(*clip, track);
    }
}

// Clip work a busy AudioMutex left: the lists rebuilt, then the starts;
// tried again on every tick until the lock is free.
void CSongDoc::retryPendingClipWork()
{
    if (!m_playOut || (!m_playOut->audioListsPending && m_playOut->pendingClips.empty()))
        return;
    PlayOutState& play = *m_playOut;
    LockGuard guard = tryGuard(AudioMutex());
    if (!guard)
        return;
    if (play.audioListsPending)
        BuildAudioPlayLists(play.audioListsTick);
    for (const PendingClipStart& start : play.pendingClips) {
        if (start.track > 0 && size_t(start.track) + 1 < tracks.size())
            startClipsLocked(*tracks[size_t(start.track)], start.tick);
    }
    play.pendingClips.clear();
}

void CSongDoc::BuildAudioPlayLists(int32_t tick)
{
    if (tick < 0)
        tick = position();
    PlayOutState& play = playOutState();
    LockGuard guard(AudioMutex(), "BuildAudioPlayLists", m_context.lockWait);
    if (!guard) {
        play.audioListsPending = true;
        play.audioListsTick = tick;
        return;
    }
    play.audioListsPending = false;
    play.pendingClips.clear();
    IAudioClipLink& engine = m_context.engine;
    engine.clearClipPlayLists();
    const double time = TickToTime(tick);
    for (size_t i = tracks.size() >= 2 ? tracks.size() - 1 : 0; i-- > 0;) {
        CTrack& track = *tracks[i];
        if (track.type != kWaveTrack || track.playEnabled == 0)
            continue;
        const double local = time - track.timeOffsetUs;
        for (auto it = track.events.rbegin(); it != track.events.rend(); ++it) {
            CAudioClip* clip = it->message == kAudioClipMessage ? it->clip() : nullptr;
            if (clip == nullptr)
                continue;
            const double start = TickToTime(it->tick);
            const double length = double(clip->length) / 10.0; // 100-ns units
            if (clip->loaded && start <= local && start + length > local) {
                engine.clipTimeToSample(*clip, local - start);
                engine.appendClipToPlayLists(*clip, track);
            } else {
                engine.clipTimeToSample(*clip, 0.0);
            }
        }
    }
}

} // namespace rz
