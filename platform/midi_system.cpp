#include "platform/midi_system.h"

#include "platform/midi_alsa_client.h"
#include "platform/midi_alsa_in.h"
#include "platform/midi_alsa_out.h"
#include "platform/jack_port_watch.h"
#include "platform/midi_gm_synth.h"
#include "platform/midi_jack_client.h"
#include "platform/midi_jack_in.h"
#include "platform/midi_jack_out.h"
#include "platform/midi_names.h"
#include "platform/soundfont_banks.h"

#include <charconv>
#include <optional>

namespace rz {

namespace {

MidiDeviceKind kindOf(bool hardware)
{
    return hardware ? MidiDeviceKind::Hardware : MidiDeviceKind::Software;
}

void addAlsaPorts(const std::shared_ptr<AlsaSeqClient>& client, bool outputs,
                  std::vector<MidiDeviceDescriptor>& devices)
{
    if (!client)
        return;
    for (const AlsaPortInfo& port : client->ports(outputs)) {
        devices.push_back({port.name, kindOf(port.hardware), MidiBackend::AlsaSequencer,
                           std::to_string(port.client) + ":" + std::to_string(port.port)});
    }
}

void addJackPorts(const std::shared_ptr<JackMidiClient>& client, bool outputs,
                  std::vector<MidiDeviceDescriptor>& devices)
{
    if (!client)
        return;
    for (const JackMidiPortInfo& port : client->midiPorts(outputs))
        devices.push_back({port.name, kindOf(port.physical), MidiBackend::Jack, port.name});
}

// "client:port" in decimal, as addAlsaPorts writes it.
std::optional<AlsaPortInfo> parseAlsaAddress(const std::string& address, const std::string& name)
{
    const size_t colon = address.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    AlsaPortInfo port;
    port.name = name;
    const char* end = address.data() + address.size();
    const auto client = std::from_chars(address.data(), address.data() + colon, port.client);
    const auto number = std::from_chars(address.data() + colon + 1, end, port.port);
    if (client.ec != std::errc() || client.ptr != address.data() + colon ||
        number.ec != std::errc() || number.ptr != end)
        return std::nullopt;
    return port;
}

} // namespace

MidiSystemOptions defaultMidiSystemOptions()
{
    MidiSystemOptions options;
    options.soundFonts = defaultGmSoundFonts();
    return options;
}

MidiSystem::MidiSystem(MidiSystemOptions options)
    : m_options(std::move(options)), m_soundFontBanks(std::make_shared<SoundFontBanks>())
{
}

MidiSystem::~MidiSystem()
{
    if (m_opener.joinable())
        m_opener.join();
}

void MidiSystem::openClientsInBackground()
{
    if (m_opener.joinable())
        return;
    m_opener = std::thread([this] {
        if (m_options.useAlsa)
            alsaClient();
        if (m_options.useJack)
            jackClient();
    });
}

std::vector<MidiDeviceDescriptor> MidiSystem::outputs() const
{
    return list(true);
}

std::vector<MidiDeviceDescriptor> MidiSystem::inputs() const
{
    return list(false);
}

std::vector<MidiDeviceDescriptor> MidiSystem::list(bool outputs) const
{
    std::vector<MidiDeviceDescriptor> devices;
    if (outputs) {
        if (const auto soundFont = findGmSoundFont(m_options.soundFonts))
            devices.push_back({kGmSynthName, MidiDeviceKind::InternalSynth, MidiBackend::GmSynth,
                               soundFont->string()});
    }
    if (m_options.useAlsa)
        addAlsaPorts(alsaClient(), outputs, devices);
    if (m_options.useJack)
        addJackPorts(jackClient(), outputs, devices);
    return numbered(std::move(devices));
}

std::unique_ptr<IDeviceWatch> MidiSystem::watch(std::function<void()> changed) const
{
    if (!m_options.useJack)
        return nullptr;
    return JackPortWatch::start(std::move(changed));
}

std::shared_ptr<AlsaSeqClient> MidiSystem::alsaClient() const
{
    std::lock_guard lock(m_clientsMutex);
    if (!m_alsa)
        m_alsa = AlsaSeqClient::acquire();
    return m_alsa;
}

// A server that went away leaves its client gone for good: the next
// listing asks for a new one.
std::shared_ptr<JackMidiClient> MidiSystem::jackClient() const
{
    std::lock_guard lock(m_clientsMutex);
    if (!m_jack || m_jack->gone())
        m_jack = JackMidiClient::acquire();
    return m_jack;
}

std::vector<MidiDeviceDescriptor> MidiSystem::numbered(std::vector<MidiDeviceDescriptor> devices)
{
    std::vector<std::string> names;
    names.reserve(devices.size());
    for (const MidiDeviceDescriptor& device : devices)
        names.push_back(device.displayName);
    names = numberRepeatedNames(names);
    for (size_t i = 0; i < devices.size(); ++i)
        devices[i].displayName = std::move(names[i]);
    return devices;
}

std::unique_ptr<IMidiOutDevice> MidiSystem::makeOutput(const MidiDeviceDescriptor& descriptor) const
{
    switch (descriptor.backend) {
    case MidiBackend::GmSynth: {
        GmSynthOptions options;
        options.soundFont = descriptor.address;
        options.banks = m_soundFontBanks;
        return std::make_unique<GmSynthDevice>(std::move(options));
    }
    case MidiBackend::AlsaSequencer:
        if (auto port = parseAlsaAddress(descriptor.address, descriptor.displayName))
            return std::make_unique<AlsaMidiOutDevice>(*port, descriptor.displayName,
                                                       descriptor.kind);
        return nullptr;
    case MidiBackend::Jack:
        return std::make_unique<JackMidiOutDevice>(descriptor.address, descriptor.displayName,
                                                   descriptor.kind);
    }
    return nullptr;
}

std::unique_ptr<IMidiInDevice> MidiSystem::makeInput(const MidiDeviceDescriptor& descriptor) const
{
    switch (descriptor.backend) {
    case MidiBackend::GmSynth: return nullptr; // the synthesizer has no input
    case MidiBackend::AlsaSequencer:
        if (auto port = parseAlsaAddress(descriptor.address, descriptor.displayName))
            return std::make_unique<AlsaMidiInDevice>(*port, descriptor.displayName,
                                                      descriptor.kind);
        return nullptr;
    case MidiBackend::Jack:
        return std::make_unique<JackMidiInDevice>(descriptor.address, descriptor.displayName,
                                                  descriptor.kind);
    }
    return nullptr;
}

} // namespace rz
