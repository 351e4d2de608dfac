// Start-up: the ports, their maps, the key map, the refresh pass and the
// idle timer. GUI thread.
#include "engine/sequencer.h"
#include "platform/plugin_marks.h"

#include "core/engine_timer.h"
#include "core/ms_clock.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "engine/instrument_loader.h"
#include "engine/sequencer_devices.h"

#include <algorithm>
#include <string>

namespace rz {

namespace {

constexpr int kDefaultDrumChannelMask = 512; // channel 10
constexpr int kDefaultSynth = 33;            // General MIDI

// The index of the first name equal to `name` ignoring case; -1 when none.
template <class Items, class NameOf>
int findByName(const Items& items, const std::string& name, NameOf nameOf)
{
    const std::string key = profileKey(name);
    for (size_t i = 0; i < items.size(); ++i) {
        if (profileKey(nameOf(items[i])) == key)
            return int(i);
    }
    return -1;
}

int findOutput(const SequencerPorts& ports, const std::string& name)
{
    return findByName(ports.outputs, name, [](const auto& port) { return port->name(); });
}

} // namespace

void CSequencer::Init()
{
    if (initialised() || shuttingDown())
        return;
    auto ports = std::make_shared<SequencerPorts>();
    openOutputDevices(*ports);
    openInstruments(*ports);
    mapOutputs(*ports);
    std::vector<std::shared_ptr<COutPort>> late = openMappedOutputs(*ports);
    openInputDevices(*ports);
    mapInputs(*ports);
    m_io.ports.store(ports);
    openFirstInput(*ports);
    const auto settings =
        std::make_shared<const SequencerSettings>(readSequencerSettings(m_services.profile));
    m_liveSettings.store(settings);
    applyOutputLatency(*settings);
    m_guiValues.setClickOn(settings->click.enabled);
    m_guiValues.setExternalControlOn(settings->keyMapEnabled);
    loadKeyMap();
    m_io.masterVolume.store(settings->masterVolume, std::memory_order_release);
    m_refresh = std::make_unique<RefreshPoster>(
        m_services.gui, [this](uint32_t bits) { RefreshThreadProc(bits); }, m_options.refresh);
    ReapplyPortSettings();
    startIdleTimer();
    LoadAudioOptions();
    m_initialised.store(true, std::memory_order_release);
    // A song opened before the ports existed has tracks linked to none.
    relinkAllSongTracks();
    keepForLateOpen(std::move(late));
}

// The MIDI output devices, named as listed with repeats numbered " (%d)";
// a device that cannot be made is skipped.
void CSequencer::openOutputDevices(SequencerPorts& ports)
{
    const IMidiDeviceSource& devices = m_services.devices;
    for (const MidiDeviceDescriptor& descriptor : MidiSystem::numbered(devices.outputs())) {
        std::unique_ptr<IMidiOutDevice> device = devices.makeOutput(descriptor);
        if (!device)
            continue;
        auto port = std::make_shared<COutPort>(std::move(device));
        port->setName(descriptor.displayName);
        ports.outputs.push_back(std::move(port));
    }
}

// "VST\%d"/"path" up to the first empty slot; each is opened at once. A
// library that other open instrument ports already load gets " [%d]" with
// their count plus one. Paths compare exactly: Linux names are case-sensitive.
void CSequencer::openInstruments(SequencerPorts& ports)
{
    const PluginMarks marks(m_services.pluginMarkFolder, "vst");
    marks.settle();
    for (int slot = 0; slot < kInstrumentSlots; ++slot) {
        const std::string path = readSettingText(m_services.profile, settings::kInstrumentPath, std::to_string(slot));
        if (path.empty())
            break;
        if (marks.isStopped(path)) {
            m_services.prompt.message(PluginMarks::stoppedMessage(path), PromptIcon::Warning);
            continue;
        }
        auto port = std::make_shared<COutPort>(path, m_services.instruments.makeInstrument());
        marks.begin(path);
        const bool opened = port->Open();
        marks.end();
        if (!opened) {
            const std::string& why = port->openError();
            m_services.prompt.message("Could not open VST synth " + path + (why.empty() ? "" : ": " + why),
                                      PromptIcon::Warning);
            continue;
        }
        const auto loads = std::count_if(ports.outputs.begin(), ports.outputs.end(),
                                         [&](const std::shared_ptr<COutPort>& other) {
                                             return other->isInstrument() && other->isOpen()
                                                    && other->path() == port->path();
                                         });
        if (loads > 0)
            port->setName(port->name() + " [" + std::to_string(loads + 1) + "]");
        ports.outputs.push_back(std::move(port));
    }
}

// "PortsToUse\MIDIOUT\%d"/"port" up to the first empty entry, by name
// ignoring case. With no entry, entry 0 is the first port and is written back.
void CSequencer::mapOutputs(SequencerPorts& ports)
{
    IProfile& profile = m_services.profile;
    for (int entry = 0; entry < kOutputEntries; ++entry) {
        const std::string name = readSettingText(profile, settings::kPortOutName, std::to_string(entry));
        if (name.empty())
            break;
        ports.outputMap.push_back(findOutput(ports, name));
    }
    if (!ports.outputMap.empty() || ports.outputs.empty())
        return;
    ports.outputMap.push_back(0);
    writeSetting(profile, settings::kPortOutDrums, kDefaultDrumChannelMask, "0");
    writeSetting(profile, settings::kPortOutSynth, kDefaultSynth, "0");
    writeSettingText(profile, settings::kPortOutName, ports.outputs.front()->name(), "0");
}

// Every mapped device port once; instrument ports are open already. A port
// that fails keeps its mapping.
std::vector<std::shared_ptr<COutPort>> CSequencer::openMappedOutputs(SequencerPorts& ports)
{
    std::vector<std::shared_ptr<COutPort>> late;
    std::vector<bool> tried(ports.outputs.size(), false);
    for (int index : ports.outputMap) {
        if (index < 0 || size_t(index) >= ports.outputs.size() || tried[size_t(index)])
            continue;
        tried[size_t(index)] = true;
        const std::shared_ptr<COutPort>& port = ports.outputs[size_t(index)];
        if (port->isInstrument())
            continue;
        if (m_options.lateSynthOpen && port->device()
            && port->device()->kind() == MidiDeviceKind::InternalSynth)
            late.push_back(port);
        else if (!port->Open())
            reportOpenFailure(port->name(), port->openError());
    }
    return late;
}

// The MIDI input devices, named like the outputs; "MIDIInPorts"/<input name>
// names the output that gets the input's hardware thru.
void CSequencer::openInputDevices(const SequencerPorts& ports)
{
    const IMidiDeviceSource& devices = m_services.devices;
    for (const MidiDeviceDescriptor& descriptor : MidiSystem::numbered(devices.inputs())) {
        std::unique_ptr<IMidiInDevice> device = devices.makeInput(descriptor);
        if (!device)
            continue;
        auto input = std::make_unique<CMidiIn>(*this, int(m_io.inputs.size()),
                                               descriptor.displayName, std::move(device));
        const std::string thru =
            readSettingText(m_services.profile, settings::kInputThru, descriptor.displayName);
        const int thruIndex = thru.empty() ? -1 : findOutput(ports, thru);
        if (thruIndex >= 0)
            input->setThruPort(thruIndex, ports.outputs[size_t(thruIndex)].get());
        m_io.inputs.push_back(std::move(input));
    }
}

// "PortsToUse"/"MIDIIN%d" up to the first empty entry; with none, entry 0 is
// the first input and is written back.
void CSequencer::mapInputs(SequencerPorts& ports)
{
    IProfile& profile = m_services.profile;
    for (int entry = 0; entry < kInputEntries; ++entry) {
        const std::string name = readSettingText(profile, settings::kPortInName, std::to_string(entry));
        if (name.empty())
            break;
        ports.inputMap.push_back(
            findByName(m_io.inputs, name, [](const auto& input) { return input->name(); }));
    }
    if (!ports.inputMap.empty() || m_io.inputs.empty())
        return;
    ports.inputMap.push_back(0);
    writeSettingText(profile, settings::kPortInName, m_io.inputs.front()->name(), "0");
}

// Only the first entry that names a device is opened.
void CSequencer::openFirstInput(const SequencerPorts& ports)
{
    for (int index : ports.inputMap) {
        if (index < 0 || size_t(index) >= m_io.inputs.size())
            continue;
        CMidiIn& input = *m_io.inputs[size_t(index)];
        if (!input.Open())
            reportOpenFailure(input.name(), input.device().openError());
        return;
    }
}

// The binary value "Keymap"/<"KeyMap"/"UseWhich">, read whole.
void CSequencer::loadKeyMap()
{
    const IProfile& profile = m_services.profile;
    const std::string which = readSettingText(profile, settings::kKeyMapUseWhich);
    if (const auto bytes = readSettingBinary(profile, settings::kKeyMapBytes, which))
        setKeyMaps(ParseKeyMap(*bytes));
}

// The idle timer's user value is new with every run: the program clock, made
// unique should two runs start within one millisecond.
void CSequencer::startIdleTimer()
{
    const uint32_t user = m_idleBeat.nextRunUser(timeGetTime());
    m_services.timer.startIdle([this](uint32_t run) { PausedTimerProc(run); }, user);
}

// The device's own reason, when it gave one, goes on a line of its own.
void CSequencer::reportOpenFailure(const std::string& name, const std::string& reason)
{
    std::string text = "Unable to open port '" + name + "'";
    if (!reason.empty())
        text += "\n" + reason;
    m_services.prompt.message(text, PromptIcon::Warning);
}

} // namespace rz
