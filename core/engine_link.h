#pragma once

#include <cstdint>

namespace rz {

class CCue;
class IMidiOut;

enum class TransportState { Stopped, Playing, Paused, Starting, Holding, SongEnded };

// What song code needs of the sequencer. Runs on the GUI thread unless a
// member says otherwise.
class IEngineLink {
public:
    virtual ~IEngineLink() = default;

    // Safe from any thread.
    virtual TransportState transportState() const = 0;

    virtual void Stop(bool reset) = 0;
    virtual void Play(int32_t tick) = 0;

    // The numbered output list: port number -> index of the open port, -1 when
    // that port is not open.
    virtual int outputMapSize() const = 0;
    virtual int outputMapEntry(int portNumber) const = 0;
    // The open port at an index of the output map; null when there is none.
    virtual IMidiOut* openOutPort(int index) = 0;

    // The vamp cue the sequencer is repeating, null when none, and how many
    // repetitions it has left.
    virtual const CCue* activeVamp() const = 0;
    virtual int vampRepetitionsLeft() const = 0;

    // "PlaybackOptions" "AdvanceReset": 0 none, 1 reset channel states and
    // ports, 2 send synth resets; used when a song becomes current.
    virtual int advanceReset() const = 0;
    virtual void ResetPortChannelStates() = 0;
    virtual void ResetOutPorts() = 0;
    virtual void SendSynthResets() = 0;

    virtual void RebuildThruTracks() = 0;
    // The main frame's master volume fader, 0..16383.
    virtual int masterVolume() const = 0;
};

} // namespace rz
