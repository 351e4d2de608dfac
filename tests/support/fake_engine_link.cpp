#include "tests/support/fake_engine_link.h"

#include "song/song_doc.h"

#include <algorithm>

#include "song/audio_clip.h"

namespace rz {

namespace {

int stateNumber(TransportState state)
{
    return int(state);
}

} // namespace

void FakeEngineLink::setTransportState(TransportState value)
{
    log.record("setTransportState", stateNumber(value));
    state = value;
}

void FakeEngineLink::Stop(bool reset) { log.record("Stop", reset); }

void FakeEngineLink::Play(int32_t tick) { log.record("Play", tick); }

void FakeEngineLink::Play(int32_t tick, bool force) { log.record("Play", tick, force); }

void FakeEngineLink::Pause() { log.record("Pause"); }

void FakeEngineLink::PauseAsStarting()
{
    log.record("PauseAsStarting");
    state = TransportState::Starting;
}

void FakeEngineLink::LocateSong(CSongDoc& song, int32_t tick)
{
    song.Locate(tick);
}

void FakeEngineLink::Advance(bool playThrough) { log.record("Advance", playThrough); }

int FakeEngineLink::outputMapEntry(int portNumber) const
{
    return portNumber >= 0 && portNumber < int(outputMap.size()) ? outputMap[size_t(portNumber)]
                                                                  : -1;
}

IMidiOut* FakeEngineLink::openOutPort(int index)
{
    if (logPortLookups)
        log.record("openOutPort", index);
    return index >= 0 && index < int(ports.size()) ? ports[size_t(index)] : nullptr;
}

void FakeEngineLink::ResetPortChannelStates() { log.record("ResetPortChannelStates"); }

void FakeEngineLink::ResetOutPorts() { log.record("ResetOutPorts"); }

void FakeEngineLink::SendSynthResets() { log.record("SendSynthResets"); }

void FakeEngineLink::ResendPortStates() { log.record("ResendPortStates"); }

void FakeEngineLink::RebuildThruTracks() { log.record("RebuildThruTracks"); }

void FakeEngineLink::SetMasterVolume(int volume)
{
    log.record("SetMasterVolume", volume);
    master = volume;
}

bool FakeEngineLink::hasThruTrack(const IMidiOut* port, int channel) const
{
    return std::find(thruTracks.begin(), thruTracks.end(), std::pair(port, channel))
           != thruTracks.end();
}

void FakeEngineLink::SendSongPosition(int32_t sixteenths)
{
    log.record("SendSongPosition", sixteenths);
}

void FakeEngineLink::setInstrumentState(std::string_view instrumentName,
                                        std::span<const uint8_t> bytes)
{
    log.record("setInstrumentState", instrumentName, bytes.size());
}

void FakeEngineLink::clearClipPlayLists()
{
    log.record("clearClipPlayLists");
    clipList.clear();
}

bool FakeEngineLink::clipInPlayList(const CAudioClip& clip) const
{
    return std::any_of(clipList.begin(), clipList.end(),
                       [&](const PlayedClip& played) { return played.clip == &clip; });
}

void FakeEngineLink::appendClipToPlayLists(CAudioClip& clip, CTrack& track)
{
    log.record("appendClipToPlayLists", clip.fileName);
    clipList.push_back({&clip, &track});
}

void FakeEngineLink::clipTimeToSample(CAudioClip& clip, double time)
{
    log.record("clipTimeToSample", clip.fileName, int64_t(time));
}

void FakeEngineLink::OnPlayPause() { log.record("OnPlayPause"); }

void FakeEngineLink::OnPlayStop() { log.record("OnPlayStop"); }

void FakeEngineLink::Record() { log.record("Record"); }

void FakeEngineLink::ToggleVampExit(bool toggle) { log.record("ToggleVampExit", toggle); }

void FakeEngineLink::ConductorTap() { log.record("ConductorTap"); }

} // namespace rz
