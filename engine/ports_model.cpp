#include "engine/ports_model.h"

#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "core/synth_lookup.h"
#include "engine/sequencer.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

namespace rz {

namespace {

constexpr int32_t kDrumsMask = 0xFFFF;
constexpr uint8_t kSequencerSpecific = 0x7F;
constexpr const char* kInstrumentStateTag = "dr2";
constexpr const char* kAddTitle = "Add VST synthesizer...";
constexpr const char* kAddFilter = "VST software sythesizers (*.so)";


bool sameName(std::string_view a, std::string_view b)
{
    return profileKey(a) == profileKey(b);
}

PortGroup groupOf(const COutPort& port)
{
    if (port.isInstrument())
        return PortGroup::Instrument;
    if (port.device() != nullptr && port.device()->kind() == MidiDeviceKind::Hardware)
        return PortGroup::External;
    return PortGroup::Internal;
}

template <class T>
size_t insertAt(std::vector<T>& list, size_t at, T value)
{
    at = std::min(at, list.size());
    list.insert(list.begin() + std::ptrdiff_t(at), std::move(value));
    return at;
}

template <class T>
size_t moveWithin(std::vector<T>& list, size_t from, size_t target)
{
    if (from >= list.size())
        return from;
    target = std::min(target, list.size());
    T copy = list[from];
    list.insert(list.begin() + std::ptrdiff_t(target), std::move(copy));
    const size_t old = target <= from ? from + 1 : from;
    list.erase(list.begin() + std::ptrdiff_t(old));
    return target <= from ? target : target - 1;
}

template <class T>
void removeRows(std::vector<T>& list, std::vector<size_t> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        if (*row < list.size())
            list.erase(list.begin() + std::ptrdiff_t(*row));
    }
}

bool isFolder(const std::filesystem::path& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

} // namespace

PortIcon portIconOf(PortGroup group)
{
    switch (group) {
    case PortGroup::Instrument: return PortIcon::Instrument;
    case PortGroup::External: return PortIcon::External;
    case PortGroup::Internal: break;
    }
    return PortIcon::Internal;
}

std::string cutPortName(std::string_view name)
{
    if (name.size() <= kMaxPortNameBytes)
        return std::string(name);
    size_t end = kMaxPortNameBytes;
    // Back over continuation bytes to the start of the character cut in two.
    while (end > 0 && (uint8_t(name[end]) & 0xC0) == 0x80)
        --end;
    return std::string(name.substr(0, end));
}

std::vector<NumberedPort> readNumberedOutputs(const IProfile& profile)
{
    std::vector<NumberedPort> ports;
    for (size_t entry = 0; entry < size_t(kNumberedPortSlots); ++entry) {
        const std::string part = std::to_string(entry);
        std::string name = readSettingText(profile, settings::kPortOutName, part);
        if (name.empty())
            break;
        ports.push_back({cutPortName(name), readSetting(profile, settings::kPortOutSynth, part),
                         readSetting(profile, settings::kPortOutDrums, part) & kDrumsMask});
    }
    return ports;
}

std::vector<std::string> readNumberedInputs(const IProfile& profile)
{
    std::vector<std::string> names;
    for (size_t entry = 0; entry < size_t(kNumberedPortSlots); ++entry) {
        std::string name = readSettingText(profile, settings::kPortInName, std::to_string(entry));
        if (name.empty())
            break;
        names.push_back(cutPortName(name));
    }
    return names;
}

std::unique_ptr<CUndoRecord> BuildSaveVstProgramRecord(const CSongDoc& song,
                                                       std::string_view portName,
                                                       std::span<const uint8_t> state)
{
    if (song.tracks.size() < 2)
        return nullptr;
    std::vector<uint8_t> bytes(kInstrumentStateTag, kInstrumentStateTag + 3);
    bytes.insert(bytes.end(), portName.begin(), portName.end());
    bytes.push_back(0);
    bytes.insert(bytes.end(), state.begin(), state.end());
    CMidiEvent event;
    if (!event.SetMetaData(kSequencerSpecific, bytes))
        return nullptr;
    auto track = std::make_unique<CTrack>();
    track->name = "FXP: " + std::string(portName);
    track->events.push_back(std::move(event));

    auto list = std::make_unique<CTrackList>(true);
    uint32_t row = 1;
    for (size_t t = song.tracks.size() - 2; t >= 1; --t) {
        if (song.tracks[t]->name == track->name) {
            row = uint32_t(t);
            list->sourceRows.push_back(row);
            break;
        }
    }
    list->add(std::move(track));
    list->targetRows.push_back(row);
    auto record = std::make_unique<CUndoRecord>();
    record->flags = kUndoTrackList;
    record->label = "Save VST program";
    record->tracks = std::move(list);
    return record;
}

PortsModel::PortsModel(CSequencer& engine, IProfile& profile, IPrompt& prompt,
                       const ISynthLookup* synths)
    : m_engine(engine), m_profile(profile), m_prompt(prompt), m_synths(synths),
      m_outputs(readNumberedOutputs(profile)), m_inputs(readNumberedInputs(profile))
{
}

std::vector<AvailablePort> PortsModel::availableOutputs() const
{
    std::vector<AvailablePort> ports;
    for (const std::shared_ptr<COutPort>& port : m_engine.ports()->outputs)
        ports.push_back({port->name(), groupOf(*port), port});
    return ports;
}

std::vector<std::string> PortsModel::availableInputs() const
{
    std::vector<std::string> names;
    for (size_t i = 0; i < m_engine.inputCount(); ++i)
        names.push_back(m_engine.input(i).name());
    return names;
}

std::string PortsModel::synthName(int32_t synth) const
{
    if (m_synths != nullptr) {
        if (const std::optional<SynthRecord> record = m_synths->synth(synth))
            return record->name;
    }
    return kUndefinedSynth;
}

std::string PortsModel::outputRowText(size_t row) const
{
    const NumberedPort& port = m_outputs.at(row);
    return std::to_string(row) + ": " + synthName(port.synth) + " on " + port.name;
}

bool PortsModel::outputSynthUndefined(size_t row) const
{
    return synthName(m_outputs.at(row).synth) == kUndefinedSynth;
}

PortIcon PortsModel::outputRowIcon(size_t row) const
{
    const std::string& name = m_outputs.at(row).name;
    for (const std::shared_ptr<COutPort>& port : m_engine.ports()->outputs) {
        if (sameName(port->name(), name))
            return portIconOf(groupOf(*port));
    }
    return PortIcon::Missing;
}

std::string PortsModel::inputRowText(size_t row) const
{
    return std::to_string(row) + ": " + m_inputs.at(row);
}

PortIcon PortsModel::inputRowIcon(size_t row) const
{
    const std::string& name = m_inputs.at(row);
    for (const std::string& input : availableInputs()) {
        if (sameName(input, name))
            return PortIcon::External;
    }
    return PortIcon::Missing;
}

size_t PortsModel::insertOutput(size_t at, NumberedPort port)
{
    port.name = cutPortName(port.name);
    port.drums &= kDrumsMask;
    return insertAt(m_outputs, at, std::move(port));
}

size_t PortsModel::insertInput(size_t at, std::string name)
{
    return insertAt(m_inputs, at, cutPortName(name));
}

size_t PortsModel::moveOutput(size_t from, size_t target)
{
    return moveWithin(m_outputs, from, target);
}

size_t PortsModel::moveInput(size_t from, size_t target)
{
    return moveWithin(m_inputs, from, target);
}

void PortsModel::removeOutputs(std::vector<size_t> rows)
{
    removeRows(m_outputs, std::move(rows));
}

void PortsModel::removeInputs(std::vector<size_t> rows)
{
    removeRows(m_inputs, std::move(rows));
}

std::filesystem::path PortsModel::instrumentFolder() const
{
    const std::filesystem::path stored = readSettingText(m_profile, settings::kDirsInstruments);
    if (isFolder(stored))
        return stored;
    const char* home = std::getenv("HOME");
    const std::filesystem::path homeFolder = home != nullptr ? home : "";
    for (const std::filesystem::path& folder :
         {homeFolder.empty() ? std::filesystem::path() : homeFolder / ".vst",
          std::filesystem::path("/usr/local/lib/vst"), std::filesystem::path("/usr/lib/vst")}) {
        if (isFolder(folder))
            return folder;
    }
    return homeFolder;
}

std::shared_ptr<COutPort> PortsModel::addInstrument()
{
    const std::optional<std::filesystem::path> chosen =
        m_prompt.chooseOpenPath(kAddTitle, instrumentFolder(), kAddFilter);
    if (!chosen)
        return nullptr;
    writeSettingText(m_profile, settings::kDirsInstruments, chosen->parent_path().string());
    return addInstrument(*chosen);
}

std::shared_ptr<COutPort> PortsModel::addInstrument(const std::filesystem::path& library)
{
    std::string error;
    const auto& outputs = m_engine.ports()->outputs;
    const auto instruments = std::count_if(outputs.begin(), outputs.end(),
                                           [](const std::shared_ptr<COutPort>& port) { return port->isInstrument(); });
    std::shared_ptr<COutPort> port;
    if (instruments >= CSequencer::kInstrumentSlots)
        error = "No more than " + std::to_string(CSequencer::kInstrumentSlots) + " VST synths can be kept.";
    else
        port = m_engine.AddInstrumentPort(library, error);
    if (!port) {
        std::string text = "Trouble opening the file.";
        if (!error.empty())
            text += "\n" + error;
        m_prompt.message(text, PromptIcon::Warning);
    }
    return port;
}

bool PortsModel::removeInstrument(const COutPort& port)
{
    if (m_prompt.askYesNo("Are you sure you want to remove " + port.name() + "?")
        != PromptAnswer::Yes)
        return false;
    return m_engine.RemoveInstrumentPort(port);
}

void PortsModel::Apply()
{
    writeInputs();
    writeOutputs();
    writeInstruments();
    std::vector<std::string> outputNames;
    for (const NumberedPort& port : m_outputs)
        outputNames.push_back(port.name);
    m_engine.ReopenPorts(outputNames, m_inputs);
}

void PortsModel::writeInputs()
{
    for (size_t entry = 0; entry < size_t(kNumberedPortSlots); ++entry)
        writeSettingText(m_profile, settings::kPortInName,
                         entry < m_inputs.size() ? m_inputs[entry] : std::string(),
                         std::to_string(entry));
}

// Past the list only "port" is emptied: the older "synth" and "drums" stay.
void PortsModel::writeOutputs()
{
    for (size_t entry = 0; entry < size_t(kNumberedPortSlots); ++entry) {
        const std::string part = std::to_string(entry);
        if (entry >= m_outputs.size()) {
            writeSettingText(m_profile, settings::kPortOutName, "", part);
            continue;
        }
        const NumberedPort& port = m_outputs[entry];
        writeSetting(m_profile, settings::kPortOutDrums, port.drums, part);
        writeSetting(m_profile, settings::kPortOutSynth, port.synth, part);
        writeSettingText(m_profile, settings::kPortOutName, port.name, part);
    }
}

// The numbered "VST" sub-keys are rewritten whole from the engine's list.
void PortsModel::writeInstruments()
{
    for (int slot = 0; slot < CSequencer::kInstrumentSlots; ++slot) {
        const std::string part = std::to_string(slot);
        if (settingSectionValues(m_profile, settings::kInstrumentPath, part).empty())
            break;
        removeSettingSection(m_profile, settings::kInstrumentPath, part);
    }
    int slot = 0;
    for (const std::shared_ptr<COutPort>& port : m_engine.ports()->outputs) {
        if (!port->isInstrument())
            continue;
        const std::string part = std::to_string(slot++);
        writeSettingText(m_profile, settings::kInstrumentPath, port->path().string(), part);
        writeSettingText(m_profile, settings::kInstrumentName, port->name(), part);
    }
}

} // namespace rz
