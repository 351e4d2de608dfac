// Operations on every output port: resets, master volume, synthesizer
// resets and the click patch.
#include "engine/sequencer.h"

#include "core/profile.h"
#include "core/settings.h"
#include "core/synth_lookup.h"
#include "song/song_doc.h"
#include "song/volume_scale.h"

#include <algorithm>
#include <optional>
#include <string>

namespace rz {

template <class Each>
void CSequencer::forEachPortFromLast(Each each)
{
    const std::shared_ptr<const SequencerPorts> table = ports();
    for (auto port = table->outputs.rbegin(); port != table->outputs.rend(); ++port)
        each(**port);
}

void CSequencer::ResetOutPorts()
{
    forEachPortFromLast([](COutPort& port) { port.Reset(); });
}

void CSequencer::ResetPortChannelStates()
{
    forEachPortFromLast([](COutPort& port) { port.ResetChannelState(); });
}

void CSequencer::AllNotesOff()
{
    forEachPortFromLast([](COutPort& port) { port.AllNotesOff(); });
}

void CSequencer::ResendPortStates()
{
    forEachPortFromLast([](COutPort& port) { port.ResendChannelState(); });
}

// Any thread (the playback tick follows the master fader with it). When the
// SongMutex is not to be had the volume still holds, and the tracks resend
// their CC7 at the next idle or playback tick or the next call.
void CSequencer::SetMasterVolume(int volume)
{
    volume = std::clamp(volume, 0, kMaxVolume);
    m_io.masterVolume.store(volume, std::memory_order_release);
    m_services.audio.setMasterGain(double(volume) / double(kMaxVolume));
    const bool pending = !resendTrackVolumes();
    m_io.volumeResendPending.store(pending, std::memory_order_seq_cst);
    if (pending)
        wakeIdleTimer();
}

// The playback tick only tries the SongMutex: the refresh pass may hold it
// for a while, and a wait there would stall the music.
bool CSequencer::resendTrackVolumes()
{
    if (onPlaybackTick()) {
        const LockGuard guard = tryGuard(SongMutex());
        return guard && resendTrackVolumesLocked();
    }
    LockGuard guard(SongMutex(), "SetMasterVolume", m_options.lockWait);
    return guard && resendTrackVolumesLocked();
}

// Every user track of the current song, from the last to track 1.
bool CSequencer::resendTrackVolumesLocked()
{
    CSongDoc* song = currentSong();
    if (song == nullptr || song->tracks.size() < 3)
        return true;
    const VolumeScale scale{song->relativeVolume, masterVolume()};
    for (size_t i = song->tracks.size() - 2; i >= 1; --i)
        song->tracks[i]->SetVolume(-1, scale);
    return true;
}

// Once per port the output map names: the reset its synthesizer's
// "Technology" asks for; an unknown synthesizer only resets the port's cache.
void CSequencer::SendSynthResets()
{
    const std::shared_ptr<const SequencerPorts> table = ports();
    std::vector<bool> done(table->outputs.size(), false);
    for (size_t entry = 0; entry < table->outputMap.size(); ++entry) {
        const int index = table->outputMap[entry];
        if (index < 0 || size_t(index) >= table->outputs.size() || done[size_t(index)])
            continue;
        done[size_t(index)] = true;
        const int synth = readSetting(m_services.profile, settings::kPortOutSynth, std::to_string(entry));
        std::optional<SynthRecord> record;
        if (m_services.synths != nullptr)
            record = m_services.synths->synth(synth);
        COutPort& port = *table->outputs[size_t(index)];
        if (record)
            port.SendSynthReset(uint32_t(record->technology), record->resetSysex);
        else
            port.SendSynthReset(0, {});
    }
}

void CSequencer::SelectClickPatch()
{
    const std::shared_ptr<const SequencerPorts> table = ports();
    const auto settings = liveSettings();
    if (COutPort* port = table->mappedOutput(settings->click.device))
        port->SelectPatch(settings->click.patch, settings->click.click1, false);
}

// Never with the TransportMutex held: locate takes the AudioMutex.
void CSequencer::ReapplyPortSettings()
{
    SendSynthResets();
    SelectClickPatch();
    LockGuard guard(SongMutex(), "ReapplyPortSettings", m_options.lockWait);
    if (!guard)
        return;
    if (CSongDoc* song = currentSong())
        song->LocateToCurrent();
}

} // namespace rz
