#pragma once

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/engine_gui_values.h"
#include "core/engine_link.h"
#include "core/tempo_multiplier.h"
#include "tests/support/call_log.h"

namespace rz {

// Records every call (arguments included); tests set what it answers. The
// output map holds port indices into `ports` (-1 when a port is not open).
// The clip play list is a list of the clips handed over, with their tracks.
class FakeEngineLink : public IEngineLink {
public:
    struct PlayedClip {
        CAudioClip* clip = nullptr;
        CTrack* track = nullptr;
    };

    CallLog log;
    TransportState state = TransportState::Stopped;
    std::vector<int> outputMap;
    std::vector<IMidiOut*> ports;
    const CCue* vamp = nullptr;
    int repetitionsLeft = 0;
    int advanceResetOption = 0;
    int master = 16383;
    GuiToEngineValues gui;
    NextStop stop;
    bool hold = false;
    bool through = false;
    SetItemHandle nextSong = nullptr;
    bool isRecording = false;
    RecordOptions record;
    std::vector<std::pair<const IMidiOut*, int>> thruTracks;
    std::vector<ThruTrackKey> thruKeys;  // what thruTrackKeys() answers
    std::vector<uint32_t> previews;      // the preview notes sent
    int velocity = 0;                    // what previewVelocity() answers
    double playTime = 0.0;
    double block = 0.0;
    SyncOptions sync;
    std::vector<PlayedClip> clipList;
    // Logs the transport calls; the port reads stay out of the log.
    bool logPortLookups = true;
    TransportState statePaused = TransportState::Stopped; // what previousState() answers
    int32_t multiplier = kNormalMultiplier;

    TransportState transportState() const override { return state; }
    void setTransportState(TransportState value) override;
    void Stop(bool reset) override;
    void Play(int32_t tick) override;
    void Play(int32_t tick, bool force) override;
    void Pause() override;
    // Records the call and takes the Starting state.
    void PauseAsStarting() override;
    void Advance(bool playThrough) override;
    // Locates the song; not logged, as the song's own locate is not.
    void LocateSong(CSongDoc& song, int32_t tick) override;
    int outputMapSize() const override { return int(outputMap.size()); }
    int outputMapEntry(int portNumber) const override;
    IMidiOut* openOutPort(int index) override;
    int outPortCount() const override { return int(ports.size()); }
    const CCue* activeVamp() const override { return vamp; }
    int vampRepetitionsLeft() const override { return repetitionsLeft; }
    int advanceReset() const override { return advanceResetOption; }
    void ResetPortChannelStates() override;
    void ResetOutPorts() override;
    void SendSynthResets() override;
    void ResendPortStates() override;
    // Kept in `liveMessages` as (track, message), in order; not logged.
    void recordLiveMessage(int track, uint32_t message) override
    {
        liveMessages.emplace_back(track, message);
    }
    std::vector<std::pair<int, uint32_t>> liveMessages;
    void RebuildThruTracks() override;
    int masterVolume() const override { return master; }
    void SetMasterVolume(int volume) override;
    const GuiToEngineValues& guiValues() const override { return gui; }
    NextStop nextStop() const override { return stop; }
    void setNextStop(const NextStop& value) override { stop = value; }
    bool holdFlag() const override { return hold; }
    void setHoldFlag(bool value) override { hold = value; }
    bool playThrough() const override { return through; }
    SetItemHandle nextSetSong() const override { return nextSong; }
    bool recording() const override { return isRecording; }
    RecordOptions recordOptions() const override { return record; }
    bool hasThruTrack(const IMidiOut* port, int channel) const override;
    double realTime() const override { return playTime; }
    int32_t tempoMultiplier() const override { return multiplier; }
    std::vector<ThruTrackKey> thruTrackKeys() const override { return thruKeys; }
    // Kept in `previews`, in order; not logged.
    void previewNote(uint32_t message) override { previews.push_back(message); }
    int previewVelocity() const override { return velocity; }
    // Held within the range, as the engine holds it.
    void setTempoMultiplier(int32_t value) override
    {
        multiplier = std::clamp(value, kMinMultiplier, kMaxMultiplier);
    }
    double blockLength() const override { return block; }
    SyncOptions syncOptions() const override { return sync; }
    void SendSongPosition(int32_t sixteenths) override;
    void setInstrumentState(std::string_view instrumentName,
                            std::span<const uint8_t> state) override;
    void clearClipPlayLists() override;
    bool clipInPlayList(const CAudioClip& clip) const override;
    void appendClipToPlayLists(CAudioClip& clip, CTrack& track) override;
    void reserveClipPlayLists(size_t clips) override { clipList.reserve(clips); }
    void clipTimeToSample(CAudioClip& clip, double time) override;
    void OnPlayPause() override;
    void OnPlayStop() override;
    void Record() override;
    void ToggleVampExit(bool toggle) override;
    void ConductorTap() override;
    TransportState previousState() const override { return statePaused; }
};

} // namespace rz
