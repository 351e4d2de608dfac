#pragma once

#include "platform/midi_in_device.h"
#include "platform/midi_out_device.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rz {

class AlsaSeqClient;
class JackMidiClient;
class SoundFontBanks;

enum class MidiBackend : uint8_t { GmSynth, AlsaSequencer, Jack };

// One MIDI device as the Ports dialog lists it.
struct MidiDeviceDescriptor {
    // Unique within its list and the same on every run for the same devices:
    // the profile stores it.
    std::string displayName;
    MidiDeviceKind kind = MidiDeviceKind::Software;
    MidiBackend backend = MidiBackend::Jack;
    // Where the device is: the JACK port's full name, the ALSA sequencer
    // address "client:port", or the synthesizer's SoundFont.
    std::string address;

    bool operator==(const MidiDeviceDescriptor&) const = default;
};

// A watch for devices that come or go while the program runs; it stops
// when destroyed.
class IDeviceWatch {
public:
    virtual ~IDeviceWatch() = default;
    // The next change calls the watch's callback again. Any thread.
    virtual void rearm() = 0;
    // False once the device server the watch follows has gone.
    virtual bool live() const = 0;
};

struct MidiSystemOptions {
    // Where a General MIDI SoundFont is looked for, in order.
    std::vector<std::filesystem::path> soundFonts;
    bool useAlsa = true;
    bool useJack = true;
};

MidiSystemOptions defaultMidiSystemOptions();

// Lists the MIDI outputs and inputs of this machine and makes devices for
// them: the built-in synthesizer first (outputs only, when a SoundFont
// exists), then the ALSA sequencer's ports, then JACK's. A back end that is
// missing (no sequencer, no JACK server) lists nothing and is no error.
// Repeated names get " (2)", " (3)" in that order. Any thread.
class MidiSystem {
public:
    explicit MidiSystem(MidiSystemOptions options = defaultMidiSystemOptions());
    // Waits for the clients' opening, if it still runs.
    ~MidiSystem();
    MidiSystem(const MidiSystem&) = delete;
    MidiSystem& operator=(const MidiSystem&) = delete;

    // Opens the back ends' clients on a thread of its own, so that the first
    // listing finds them ready (a JACK client takes a round trip or more to
    // the server); a listing meanwhile waits for it.
    void openClientsInBackground();

    // The built-in synthesizer's bank registry: every synthesizer device
    // made here plays its items, and it outlives them all.
    std::shared_ptr<SoundFontBanks> soundFontBanks() const { return m_soundFontBanks; }

    std::vector<MidiDeviceDescriptor> outputs() const;
    std::vector<MidiDeviceDescriptor> inputs() const;

    // A closed device for a listed descriptor; null for one that is malformed.
    std::unique_ptr<IMidiOutDevice> makeOutput(const MidiDeviceDescriptor& descriptor) const;
    std::unique_ptr<IMidiInDevice> makeInput(const MidiDeviceDescriptor& descriptor) const;

    // Calls `changed` (on a device thread, where it must not wait) once
    // for each burst of ports that JACK clients register or unregister
    // until the watch is rearmed. Null when JACK is not used or no server
    // answers.
    std::unique_ptr<IDeviceWatch> watch(std::function<void()> changed) const;

    // The descriptors with repeated display names numbered.
    static std::vector<MidiDeviceDescriptor> numbered(std::vector<MidiDeviceDescriptor> devices);

private:
    std::vector<MidiDeviceDescriptor> list(bool outputs) const;
    // The back ends' clients, opened at the first listing and kept: each
    // open is a round trip to the server, and the devices share them anyway.
    std::shared_ptr<AlsaSeqClient> alsaClient() const;
    std::shared_ptr<JackMidiClient> jackClient() const;

    MidiSystemOptions m_options;
    std::shared_ptr<SoundFontBanks> m_soundFontBanks;
    mutable std::mutex m_clientsMutex; // guards the two below
    mutable std::shared_ptr<AlsaSeqClient> m_alsa;
    mutable std::shared_ptr<JackMidiClient> m_jack;
    std::thread m_opener;
};

} // namespace rz
