#pragma once

// The devices, instruments and audio part a sequencer is built from, as
// fakes that record what the engine does with them.

#include "engine/audio/audio_format.h"
#include "engine/instrument_loader.h"
#include "engine/sequencer_devices.h"
#include "tests/support/fake_instrument.h"
#include "tests/support/recording_midi_device.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace rz {

// An input device that opens by script and counts what was done to it.
class FakeMidiInDevice : public IMidiInDevice {
public:
    FakeMidiInDevice(std::string name, bool opens) : m_name(std::move(name)), m_opens(opens) {}

    bool open(IMidiInHandler* handler) override
    {
        ++opens;
        m_open = m_opens && handler != nullptr;
        return m_open;
    }
    bool start() override
    {
        ++starts;
        return m_open;
    }
    void stop() override {}  // nothing runs between start and close
    void reset() override {} // no input is pending
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    uint64_t droppedCount() const override { return 0; }
    std::string displayName() const override { return m_name; }
    MidiDeviceKind kind() const override { return MidiDeviceKind::Hardware; }

    int opens = 0;
    int starts = 0;

private:
    std::string m_name;
    bool m_opens;
    bool m_open = false;
};

// Lists the devices a test adds, in order; the devices it makes stay
// reachable by their listed name ("X (2)" for the second "X").
class FakeMidiDevices : public IMidiDeviceSource {
public:
    void addOutput(const std::string& name, bool opens = true, std::string reason = {},
                   MidiDeviceKind kind = MidiDeviceKind::Hardware)
    {
        m_outputReasons.push_back(std::move(reason));
        m_outputs.push_back({name, kind, MidiBackend::AlsaSequencer,
                             std::to_string(m_outputs.size())});
        m_outputOpens.push_back(opens);
    }
    void addInput(const std::string& name, bool opens = true)
    {
        m_inputs.push_back({name, MidiDeviceKind::Hardware, MidiBackend::AlsaSequencer,
                            std::to_string(m_inputs.size())});
        m_inputOpens.push_back(opens);
    }

    std::vector<MidiDeviceDescriptor> outputs() const override { return m_outputs; }
    std::vector<MidiDeviceDescriptor> inputs() const override { return m_inputs; }
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor& device) const override
    {
        auto made = std::make_unique<RecordingMidiDevice>(device.displayName, device.kind);
        const size_t index = std::stoul(device.address);
        made->setOpenResult(m_outputOpens[index], m_outputReasons[index]);
        outputDevices[device.displayName] = made.get();
        return made;
    }
    std::unique_ptr<IMidiInDevice> makeInput(const MidiDeviceDescriptor& device) const override
    {
        auto made = std::make_unique<FakeMidiInDevice>(device.displayName,
                                                       m_inputOpens[std::stoul(device.address)]);
        inputDevices[device.displayName] = made.get();
        return made;
    }

    // Owned by the sequencer's ports; valid until its Shutdown.
    mutable std::map<std::string, RecordingMidiDevice*> outputDevices;
    mutable std::map<std::string, FakeMidiInDevice*> inputDevices;

private:
    std::vector<MidiDeviceDescriptor> m_outputs;
    std::vector<MidiDeviceDescriptor> m_inputs;
    std::vector<bool> m_outputOpens;
    std::vector<std::string> m_outputReasons;
    std::vector<bool> m_inputOpens;
};

// Instruments named after the test's choice; the libraries in `failing` do
// not load.
class FakeInstrumentLoader : public IInstrumentLoader {
public:
    std::unique_ptr<IInstrument> makeInstrument() override
    {
        ++made;
        auto instrument = std::make_unique<FakeInstrument>(name);
        instrument->setLevel(level);
        madeInstruments.push_back(instrument.get());
        return instrument;
    }
    std::optional<std::string> name = "Fake synth";
    int made = 0;
    float level = 0.0f; // what each instrument renders
    std::vector<FakeInstrument*> madeInstruments; // owned by their ports
};

// Records what the engine asked of its audio part.
class RecordingAudioEngines : public IAudioEngines {
public:
    AudioOpenResult open(const AudioOptions& options, IAudioRenderer&) override
    {
        std::lock_guard lock(m_mutex);
        opened.push_back(options);
        return {answerRate ? answerRate : options.sampleRate, options.blockSize, answerError};
    }
    void close() override
    {
        std::lock_guard lock(m_mutex);
        ++closes;
    }
    void setMasterGain(double gain) override
    {
        std::lock_guard lock(m_mutex);
        gains.push_back(gain);
    }
    bool applyChannelSelection(std::string_view, std::string_view) override { return false; }
    void clipTimeToSample(CAudioClip&, double) override {} // no clip plays here
    bool startCapture(int, std::string&) override { return true; }
    void attachCaptureSink(CWaveDiskWriter*) override {} // nothing captures here
    std::string stopCapture() override { return {}; }
    bool lowLatencyInput() const override { return false; }

    std::vector<AudioOptions> opened;
    int closes = 0;
    std::vector<double> gains;
    uint32_t answerRate = 0; // 0: the options' rate
    std::string answerError;

private:
    std::mutex m_mutex;
};

} // namespace rz
