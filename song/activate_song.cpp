// Making a song the current one: the engine stopped and reset, clips loaded,
// start-up data sent, the song located and shown. GUI thread.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/clip_loader.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/midi_out.h"
#include "core/profile.h"
#include "core/set_link.h"
#include "core/settings.h"
#include "core/song_host.h"
#include "core/tempo_multiplier.h"
#include "song/play_out_state.h"
#include "song/song_doc.h"

namespace rz {

namespace {

// Tempo multiplier: 100000 is 100 %.
constexpr double kTempoMatch = 0.001;

// "dr" record id 50 ('2'): an instrument's state, after the instrument's
// zero-terminated name.
constexpr uint8_t kInstrumentStateId = '2';

void resetPorts(IPortLink& engine)
{
    switch (engine.advanceReset()) {
    case 1:
        engine.ResetPortChannelStates();
        engine.ResetOutPorts();
        break;
    case 2: engine.SendSynthResets(); break;
    default: break;
    }
}

void sendInstrumentState(std::span<const uint8_t> bytes, IPortLink& engine)
{
    if (bytes.size() < 4 || bytes[0] != 'd' || bytes[1] != 'r' || bytes[2] != kInstrumentStateId)
        return;
    const std::span<const uint8_t> rest = bytes.subspan(3);
    const auto end = std::find(rest.begin(), rest.end(), uint8_t(0));
    if (end == rest.end())
        return;
    const size_t nameLength = size_t(end - rest.begin());
    const std::string_view name(reinterpret_cast<const char*>(rest.data()), nameLength);
    engine.setInstrumentState(name, rest.subspan(nameLength + 1));
}

} // namespace

void CSongDoc::ActivateSong(int32_t tick)
{
    if (!contentFlag)
        return;
    if (tick < 0)
        tick = position();
    IEngineLink& engine = m_context.engine;
    ISongHost& host = m_context.host;
    engine.Stop(false);
    smpteOffset.GetTime();
    resetPorts(engine);
    for (const auto& cue : cues) {
        if (cue->kind == kCueSkip && cue->time == tick) {
            tick = cue->secondTime;
            break;
        }
    }
    if (isCurrentSong()) {
        Locate(tick);
        host.UpdateAllViews();
        return;
    }
    host.setWaitCursor(true);
    reserveClipRoom();
    host.SetCurrentSong(this);
    // In track order, as play-out sends one tick: a format 0 file's set-up
    // SysEx sits on the first track.
    std::vector<uint32_t> sent(tracks.size(), 0);
    for (size_t i = 1; i + 1 < tracks.size(); ++i) {
        CTrack& track = *tracks[i];
        if (track.type == kWaveTrack)
            loadTrackClips(track);
        else if (track.playEnabled != 0 && track.outputPort != nullptr)
            sent[i] = sendStartupData(track);
    }
    Locate(tick);
    // A start at 0 next does not send the same blocks again.
    PlayOutState& play = playOutState();
    play.startUpSent = std::move(sent);
    play.startUpMet.assign(tracks.size(), 0);
    play.startUpArmed = true;
    host.UpdateNoteDuration();
    if (readSetting(m_context.profile, settings::kOpenRecallLayout) != 0) {
        host.RestoreLayout(layoutText);
        if (m_context.setLink != nullptr)
            m_context.setLink->updateSetViews();
    }
    UpdateViews();
    host.raiseTornOffWindows();
    applyPerformanceTempo();
    host.setWaitCursor(false);
    host.UpdateAllViews();
}

// Each clip that loads gets the duration of its samples; the track's and
// the song's end grow with it.
void CSongDoc::loadTrackClips(CTrack& track)
{
    IClipLoader* loader = m_context.clipLoader;
    for (CMidiEvent& event : track.events) {
        CAudioClip* clip = event.message == kAudioClipMessage ? event.clip() : nullptr;
        if (clip == nullptr || loader == nullptr || !loader->loadSamples(*clip))
            continue;
        const double end = TickToTime(event.tick) + double(clip->length) / 10.0; // 100-ns units
        const int32_t endAt = TimeToTick(end);
        event.value2 = std::max(endAt - event.tick, int32_t(0));
        track.endTick = std::max(track.endTick, endAt);
        endTick = std::max(endTick, endAt);
    }
    ExtendMeasureMap();
}

// The track's data events at tick 0: system exclusive to its port, an
// instrument's state to the instrument ports of that name.
uint32_t CSongDoc::sendStartupData(CTrack& track)
{
    uint32_t sent = 0;
    for (const CMidiEvent& event : track.events) {
        if (event.tick != 0)
            break;
        const std::span<const uint8_t> bytes = event.data.bytes();
        if (bytes.empty())
            continue;
        if (event.kind() == midi::kSysEx || event.kind() == midi::kEndOfSysEx) {
            track.outputPort->SendSysEx(bytes.data(), bytes.size());
            ++sent;
        } else if (event.message == kSequencerSpecificMessage) {
            sendInstrumentState(bytes, m_context.engine);
        }
    }
    return sent;
}

// Whether a SysEx block play-out meets at tick 0 is the next one activation
// sent from this track. The image holds the track's settings blocks at 0 as
// well, which activation does not send; a block cut into packets does not
// match and goes out again.
bool CSongDoc::sentAtStartUp(size_t index, const RawEvent& event)
{
    PlayOutState& play = playOutState();
    if (event.tick != 0 || index >= play.startUpSent.size())
        return false;
    if (play.startUpMet[index] >= play.startUpSent[index])
        return false;
    uint32_t k = play.startUpMet[index];
    for (const CMidiEvent& sent : tracks[index]->events) {
        if (sent.tick != 0)
            return false;
        if ((sent.kind() != midi::kSysEx && sent.kind() != midi::kEndOfSysEx) || sent.data.bytes().empty() || k-- > 0)
            continue;
        // An F0 block's event holds the F0 its image block leaves out.
        std::span<const uint8_t> bytes = sent.data.bytes();
        if (event.kind == midi::kSysEx) {
            if (bytes[0] != midi::kSysEx)
                return false;
            bytes = bytes.subspan(1);
        }
        const bool same = std::equal(bytes.begin(), bytes.end(), event.data.begin(), event.data.end());
        if (same)
            ++play.startUpMet[index];
        return same;
    }
    return false;
}

void CSongDoc::applyPerformanceTempo()
{
    ISongHost& host = m_context.host;
    if (performanceTempo == 0) {
        host.SetTempoMultiplier(kNormalMultiplier, true);
        return;
    }
    if (tempoMap.empty())
        return;
    const double ratio = double(tempoMap.front().tempo) / double(performanceTempo);
    if (std::fabs(ratio - 1.0) <= kTempoMatch)
        return;
    const double multiplier = std::clamp(std::trunc(ratio * kNormalMultiplier),
                                         double(kMinMultiplier), double(kMaxMultiplier));
    host.SetTempoMultiplier(int32_t(multiplier), true);
}

} // namespace rz
