#pragma once

#include "engine/input_sinks.h"
#include "engine/midi_in.h"
#include "engine/out_port.h"
#include "engine/sequencer_settings.h"
#include "engine/sequencer_snapshot.h"
#include "engine/thru_tracks.h"

#include <atomic>
#include <memory>
#include <vector>

namespace rz {

// The ports as the engine's threads see them: built at start-up, then
// replaced whole and never changed, so a reader keeps the ports it holds alive.
struct SequencerPorts {
    std::vector<std::shared_ptr<COutPort>> outputs; // devices, then instruments
    std::vector<int> outputMap; // "PortsToUse\MIDIOUT\%d": output index, or -1
    std::vector<int> inputMap;  // "PortsToUse"/"MIDIIN%d": input index, or -1

    // The port an output-map entry names; null for -1, a missing entry or an
    // index past the ports.
    COutPort* mappedOutput(int portNumber) const;
};

// The engine's MIDI ports and inputs, the thru tracks and capture sinks the
// inputs read, and the levels every output is scaled by.
struct EngineIo {
    Snapshot<SequencerPorts> ports{std::make_shared<const SequencerPorts>()};
    std::vector<std::unique_ptr<CMidiIn>> inputs;
    InputSinks sinks;
    // Replaced whole under the ThruMutex; locate reads it without.
    Snapshot<ThruTracks> thru{std::make_shared<const ThruTracks>()};
    std::atomic<int> masterVolume{kMaxVolume};
    std::atomic<bool> volumeResendPending{false};
    std::atomic<int> previewVelocity{0};
};

} // namespace rz
