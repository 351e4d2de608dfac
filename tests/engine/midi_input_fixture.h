#pragma once

// The engine with one injecting input "Keyboard" (entry MIDIIN0) and one
// recording output "Synth" (output entry 0), over the manual timer; songs of
// 4/4 at 120 ticks per quarter whose thru tracks are armed (the conductor
// armed too), so no track view is needed.

#include "tests/engine/transport_fixture.h"
#include "tests/support/fake_midi_in_device.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace rz {

// The outputs of a FakeMidiDevices, and inputs whose messages tests inject.
class InjectingDeviceSource : public IMidiDeviceSource {
public:
    explicit InjectingDeviceSource(const FakeMidiDevices& outputs) : m_outputs(outputs) {}

    void addInput(const std::string& name)
    {
        m_inputs.push_back({name, MidiDeviceKind::Hardware, MidiBackend::AlsaSequencer, name});
    }

    std::vector<MidiDeviceDescriptor> outputs() const override { return m_outputs.outputs(); }
    std::vector<MidiDeviceDescriptor> inputs() const override { return m_inputs; }
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor& device) const override
    {
        return m_outputs.makeOutput(device);
    }
    std::unique_ptr<IMidiInDevice> makeInput(const MidiDeviceDescriptor& device) const override
    {
        auto made = std::make_unique<InjectingMidiInDevice>(device.displayName);
        m_made[device.displayName] = made.get();
        return made;
    }

    // Owned by the engine's inputs; valid until its Shutdown.
    InjectingMidiInDevice& input(const std::string& name) const { return *m_made.at(name); }

private:
    const FakeMidiDevices& m_outputs;
    std::vector<MidiDeviceDescriptor> m_inputs;
    mutable std::map<std::string, InjectingMidiInDevice*> m_made;
};

class MidiInputTest : public TransportTest {
protected:
    // Messages as the keyboard sends them.
    static constexpr uint32_t noteOn(int key, int velocity, int channel = 0)
    {
        return 0x90u | uint32_t(channel) | uint32_t(key) << 8 | uint32_t(velocity) << 16;
    }
    static constexpr uint32_t noteOff(int key, int velocity = 64, int channel = 0)
    {
        return 0x80u | uint32_t(channel) | uint32_t(key) << 8 | uint32_t(velocity) << 16;
    }
    static constexpr uint32_t control(int number, int value, int channel = 0)
    {
        return 0xB0u | uint32_t(channel) | uint32_t(number) << 8 | uint32_t(value) << 16;
    }

    // Starts the engine over the injecting inputs; profile values written
    // before count.
    CSequencer& start(const std::vector<std::string>& inputNames = {"Keyboard"},
                      std::chrono::milliseconds lockWait = kLockWait)
    {
        if (devices.outputs().empty())
            devices.addOutput("Synth");
        for (const std::string& name : inputNames)
            inputs.addInput(name);
        SequencerOptions options;
        options.refresh.minInterval = std::chrono::milliseconds(1);
        options.lockWait = lockWait;
        sequencer = std::make_unique<CSequencer>(SequencerServices{.profile = profile,
                                                                   .prompt = prompt,
                                                                   .gui = gui,
                                                                   .toGui = posts,
                                                                   .devices = inputs,
                                                                   .instruments = instruments,
                                                                   .timer = timer,
                                                                   .audio = audio},
                                                 options);
        sequencer->Init();
        for (const auto& [name, device] : devices.outputDevices)
            device->clear();
        return *sequencer;
    }

    // A current song of 16 empty bars with the conductor armed, so the armed
    // tracks are the thru tracks.
    CSongDoc& makeArmedSong()
    {
        CSongDoc& made = makeSong();
        made.tracks.front()->recordArm = 1;
        made.measureMapEnd = ExtendMeasureMap(made.measureMap, 16 * 480);
        return made;
    }

    // An armed track playing on "Synth" at the channel; the thru tracks are
    // rebuilt.
    CTrack& addThruTrack(int channel = 0, int key = 0)
    {
        CTrack& track = test::addUserTrack(*song);
        track.channel = channel;
        track.key = key;
        track.recordArm = 1;
        track.outputPort = sequencer->openOutPort(0);
        rebuildThru();
        return track;
    }

    // On the GUI thread, as CSongDoc::UpdateViews calls it.
    void rebuildThru()
    {
        gui.runAndWait([&] { sequencer->RebuildThruTracks(); });
    }

    InjectingMidiInDevice& keyboard() { return inputs.input("Keyboard"); }
    void play(uint32_t message) { ASSERT_TRUE(keyboard().inject(message)); }

    // What the GUI received, once everything posted has run.
    std::vector<std::string> guiCalls()
    {
        gui.drain();
        return gui.recorder.calls();
    }

    InjectingDeviceSource inputs{devices};
};

} // namespace rz
