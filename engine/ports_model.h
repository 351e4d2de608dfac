#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class COutPort;
class CSequencer;
class CSongDoc;
class IProfile;
class IPrompt;
class ISynthLookup;
struct CUndoRecord;

// A port name is kept in 127 bytes, as the profile has always held it.
inline constexpr size_t kMaxPortNameBytes = 127;
inline constexpr int kNumberedPortSlots = 16;
// What a port dropped into the numbered list starts with: General MIDI,
// drums on channel 10.
inline constexpr int32_t kDroppedPortSynth = 33;
inline constexpr int32_t kDroppedPortDrums = 512;

// One numbered output: tracks address it by its index in the list.
struct NumberedPort {
    std::string name;   // a device's name or an instrument port's name
    int32_t synth = -1; // "SynthNumber" in the synthesizer database; -1 none
    int32_t drums = 0;  // bit n: MIDI channel n+1 is a drum channel

    bool operator==(const NumberedPort&) const = default;
};

// The icons of the ports image list, numbered as its cells.
enum class PortIcon : int { External = 1, Instrument = 2, Internal = 3, Missing = 4 };
// The output tree's three groups, numbered as their item data.
enum class PortGroup : int { Internal = 0, External = 1, Instrument = 2 };

PortIcon portIconOf(PortGroup group);

// One engine output port as the tree shows it.
struct AvailablePort {
    std::string name;
    PortGroup group = PortGroup::Internal;
    std::shared_ptr<COutPort> port;
};

// `name` cut to at most 127 bytes without splitting a UTF-8 character.
std::string cutPortName(std::string_view name);
// "PortsToUse\MIDIOUT\%d" up to the first empty "port", at most 16; names
// cut, "drums" masked to 16 bits.
std::vector<NumberedPort> readNumberedOutputs(const IProfile& profile);
// "PortsToUse"/"MIDIIN%d" up to the first empty one, at most 16.
std::vector<std::string> readNumberedInputs(const IProfile& profile);

// The track "FXP: <port name>" holding the instrument's state at tick 0 (a
// sequencer-specific "dr2" record: the name, a zero byte, the state), as one
// "Save VST program" record: it replaces the last user track of that name,
// or goes in as track 1. Null when the song has no track list to take it.
std::unique_ptr<CUndoRecord> BuildSaveVstProgramRecord(const CSongDoc& song,
                                                       std::string_view portName,
                                                       std::span<const uint8_t> state);

// The rules of the Ports dialog without its widgets: the two numbered lists,
// their rows and icons, the edits of the lists, adding and removing
// instruments, and OK. GUI thread.
class PortsModel {
public:
    // Shown for a synth number the database does not hold.
    static constexpr const char* kUndefinedSynth = "undefined";

    PortsModel(CSequencer& engine, IProfile& profile, IPrompt& prompt,
               const ISynthLookup* synths);

    std::vector<NumberedPort>& outputs() { return m_outputs; }
    const std::vector<NumberedPort>& outputs() const { return m_outputs; }
    std::vector<std::string>& inputs() { return m_inputs; }
    const std::vector<std::string>& inputs() const { return m_inputs; }

    // The engine's ports, in engine order.
    std::vector<AvailablePort> availableOutputs() const;
    std::vector<std::string> availableInputs() const;

    // "%d: %s on %s" (row, synth name or kUndefinedSynth, port name) and "%d: %s".
    std::string outputRowText(size_t row) const;
    // True when the row's synth is not in the database: its text shows
    // kUndefinedSynth and Device Setup deserves a second look.
    bool outputSynthUndefined(size_t row) const;
    PortIcon outputRowIcon(size_t row) const;
    std::string inputRowText(size_t row) const;
    PortIcon inputRowIcon(size_t row) const;

    // Inserts at `at` (the end when past it); answers the new row.
    size_t insertOutput(size_t at, NumberedPort port);
    size_t insertInput(size_t at, std::string name);
    // A row dragged onto `target` (the end when past it): a copy goes in
    // there and the row leaves its old place; answers the copy's row.
    size_t moveOutput(size_t from, size_t target);
    size_t moveInput(size_t from, size_t target);
    void removeOutputs(std::vector<size_t> rows);
    void removeInputs(std::vector<size_t> rows);

    // The folder Add... starts in: "Dirs"/"VST", else the first existing of
    // ~/.vst, /usr/local/lib/vst, /usr/lib/vst, else home.
    std::filesystem::path instrumentFolder() const;
    // Add...: asks for a library, keeps its folder and loads it; null when
    // cancelled or it did not load ("Trouble opening the file.").
    std::shared_ptr<COutPort> addInstrument();
    std::shared_ptr<COutPort> addInstrument(const std::filesystem::path& library);
    // Remove: asks "Are you sure you want to remove %s?"; true when removed.
    bool removeInstrument(const COutPort& port);

    // OK: writes the lists and the instruments to the profile, then has the
    // engine reopen its ports by the lists.
    void Apply();

private:
    std::string synthName(int32_t synth) const;
    void writeOutputs();
    void writeInputs();
    void writeInstruments();

    CSequencer& m_engine;
    IProfile& m_profile;
    IPrompt& m_prompt;
    const ISynthLookup* m_synths;
    std::vector<NumberedPort> m_outputs;
    std::vector<std::string> m_inputs;
};

} // namespace rz
