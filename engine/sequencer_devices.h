#pragma once

#include "platform/midi_system.h"

#include <functional>
#include <memory>
#include <vector>

namespace rz {

// Where the engine finds its MIDI devices, at start-up and as they come: the machine's
// (MidiSystemDevices) or a test's. GUI thread.
class IMidiDeviceSource {
public:
    virtual ~IMidiDeviceSource() = default;

    // In the order the engine numbers its ports: the built-in synthesizer first.
    virtual std::vector<MidiDeviceDescriptor> outputs() const = 0;
    virtual std::vector<MidiDeviceDescriptor> inputs() const = 0;
    // A closed device; null when the descriptor cannot be made into one.
    virtual std::unique_ptr<IMidiOutDevice> makeOutput(
        const MidiDeviceDescriptor& device) const = 0;
    virtual std::unique_ptr<IMidiInDevice> makeInput(const MidiDeviceDescriptor& device) const = 0;
    // Calls `changed` on a device thread, once for each burst of devices
    // that come or go, until rearmed; null when this source cannot tell.
    virtual std::unique_ptr<IDeviceWatch> watch(std::function<void()> changed) const
    {
        (void)changed;
        return nullptr;
    }
    // The registry the built-in synthesizer devices made here play; null
    // when this source makes none.
    virtual std::shared_ptr<SoundFontBanks> soundFontBanks() const { return nullptr; }
};

// The machine's devices, through MidiSystem.
class MidiSystemDevices final : public IMidiDeviceSource {
public:
    explicit MidiSystemDevices(const MidiSystem& system) : m_system(system) {}

    std::vector<MidiDeviceDescriptor> outputs() const override { return m_system.outputs(); }
    std::vector<MidiDeviceDescriptor> inputs() const override { return m_system.inputs(); }
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor& device) const override
    {
        return m_system.makeOutput(device);
    }
    std::unique_ptr<IMidiInDevice> makeInput(const MidiDeviceDescriptor& device) const override
    {
        return m_system.makeInput(device);
    }
    std::shared_ptr<SoundFontBanks> soundFontBanks() const override
    {
        return m_system.soundFontBanks();
    }
    std::unique_ptr<IDeviceWatch> watch(std::function<void()> changed) const override
    {
        return m_system.watch(std::move(changed));
    }

private:
    const MidiSystem& m_system;
};

} // namespace rz
