#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace rz {

// One synthesizer of the synthesizer database.
struct SynthRecord {
    std::string name;
    int technology = 8;     // "Technology" bits; 8 when the field is empty
    std::string resetSysex; // the user's reset message as typed hexadecimal text
};

// How a drum note is drawn on a percussion staff.
struct DrumNotation {
    int head = 0;         // notehead shape 0 to 7
    int offset = 0;       // staff position, -8 to 23; 0 is the middle line
    int circle = 0;       // 1 when the head is circled
    int articulation = 0; // 0 to 7
    bool operator==(const DrumNotation&) const = default;
};

// The General MIDI percussion notes' notation, for notes 35 to 59; nothing
// for any other note. The seeded database, the staff and the schema editor
// all read this one table.
inline constexpr int kFirstNotatedDrumNote = 35;
inline constexpr int kLastNotatedDrumNote = 59;

inline constexpr std::optional<DrumNotation> gmDrumNotation(int note)
{
    // offset, head, circle
    constexpr int8_t table[25][3] = {
        {-4, 0, 0}, {-3, 0, 0}, {-6, 2, 0}, {1, 0, 0}, {-6, 2, 0},  // 35-39
        {1, 0, 0},  {-2, 0, 0}, {5, 4, 1},  {-1, 0, 0}, {-5, 4, 0}, // 40-44
        {0, 0, 0},  {5, 4, 1},  {2, 0, 0},  {3, 0, 0},  {6, 4, 0},  // 45-49
        {4, 0, 0},  {4, 4, 0},  {9, 4, 0},  {2, 4, 0},  {-6, 2, 0}, // 50-54
        {8, 4, 0},  {3, 2, 0},  {7, 4, 0},  {-6, 2, 0}, {2, 4, 0},  // 55-59
    };
    if (note < kFirstNotatedDrumNote || note > kLastNotatedDrumNote)
        return std::nullopt;
    const auto& entry = table[note - kFirstNotatedDrumNote];
    return DrumNotation{entry[1], entry[0], entry[2], 0};
}

// A drum note's notation packed into bits 8 to 23 of a 32-bit item word, the
// note number keeping bits 0 to 7: head in bits 8-10, articulation (no/yes)
// in bit 11, offset + 8 in bits 12-16, circle mark (none, circle, plus,
// bisected) in bits 20-22. Out-of-range fields are clamped; an articulation
// above 1 packs as 1.
inline constexpr uint32_t kDrumNotationMask = 0x00FFFF00;

inline constexpr uint32_t packDrumNotation(const DrumNotation& notation)
{
    const auto field = [](int value, int low, int high) {
        return static_cast<uint32_t>(std::clamp(value, low, high) - low);
    };
    return (field(notation.head, 0, 7) << 8) | (field(notation.articulation, 0, 1) << 11)
           | (field(notation.offset, -8, 23) << 12) | (field(notation.circle, 0, 7) << 20);
}

inline constexpr DrumNotation unpackDrumNotation(uint32_t word)
{
    DrumNotation notation;
    notation.head = static_cast<int>((word >> 8) & 0x7);
    notation.articulation = static_cast<int>((word >> 11) & 0x1);
    notation.offset = static_cast<int>((word >> 12) & 0x1F) - 8;
    notation.circle = static_cast<int>((word >> 20) & 0x7);
    return notation;
}

// The notation of a drum note without a General MIDI entry: a triangle six
// steps below the middle line.
inline constexpr DrumNotation kOtherDrumNotation{2, -6, 0, 0};

// A drum note item's changed bit, set by every edit of its notation.
inline constexpr uint32_t kDrumItemChanged = 0x80000000u;

// A drum set of a schema tree: its synthesizer's place among the tree's
// synthesizers and its own place among that synthesizer's drum sets.
struct DrumSetRef {
    int synth = 0;
    int set = 0;
    bool operator==(const DrumSetRef&) const = default;
};

// One synthesizer of a schema tree: its label and its drum sets' labels,
// in tree order.
struct DrumSchemaSynth {
    std::string label;
    std::vector<std::string> drumSets;
};

// One drum note item: its place among its set's items, its note number,
// name and item word (the note in bits 0-7, the notation of
// packDrumNotation in bits 8-23, kDrumItemChanged once edited).
struct DrumSchemaNote {
    int index = 0;
    int note = 0;
    std::string name;
    uint32_t word = 0;
};

// The drum sets of the synthesizer editor's tree, as the percussion schema
// dialogs read and edit them. GUI thread.
class IDrumSchemaTree {
public:
    virtual ~IDrumSchemaTree() = default;

    virtual std::vector<DrumSchemaSynth> drumSets() const = 0;
    // The set's numbered note items in tree order; none for a set that is
    // not there.
    virtual std::vector<DrumSchemaNote> drumNotes(DrumSetRef set) const = 0;
    // Takes bits 8-23 of `word` into the set's item at `index` and marks it
    // changed; the rest of its word stays the tree's. False when there is
    // no such numbered note item.
    virtual bool setWord(DrumSetRef set, int index, uint32_t word) = 0;
};

// One row of a synth's patch list in key order: a bank's header (patch -1)
// or a patch with its category.
struct PatchListRow {
    int bank = 0;
    int patch = -1;
    std::string name;
    std::string category;
    bool operator==(const PatchListRow&) const = default;
};

// One drum set of a synth: its bank and program, and the name of its header
// row (note -1); a set with notes but no header has no name.
struct DrumsetListRow {
    int bank = 0;
    int program = 0;
    std::optional<std::string> name;
    bool operator==(const DrumsetListRow&) const = default;
};

// One NRPN a synth names.
struct NrpnListRow {
    int nrpn = 0;
    std::string name;
    bool operator==(const NrpnListRow&) const = default;
};

// Read access to the synthesizer database. Banks and patches are the stored
// numbers: 14-bit banks, patches 0-based. Every look-up answers nothing when
// no record has the key. Names are the stored bytes.
class ISynthLookup {
public:
    // The "Technology" of a track whose synth is not in the table.
    static constexpr int kDefaultTechnology = 8;
    // "Technology" bits of the bank style: banks chosen by their MSB alone,
    // patches shown from 0 rather than 1.
    static constexpr int kTechBankMsbOnly = 0x080;
    static constexpr int kTechPatchesFromZero = 0x100;

    virtual ~ISynthLookup() = default;

    // The synth's "Technology" field; nothing when the synth number is unknown.
    virtual std::optional<int> technology(int synthNumber) const = 0;

    virtual std::optional<SynthRecord> synth(int synthNumber) const = 0;
    // The bank's header record (patch -1).
    virtual std::optional<std::string> bankName(int synthNumber, int bank) const = 0;
    virtual std::optional<std::string> patchName(int synthNumber, int bank, int patch) const = 0;
    // The drumset's header record (note -1).
    virtual std::optional<std::string> drumsetName(int synthNumber, int bank,
                                                   int program) const = 0;
    virtual std::optional<std::string> drumNoteName(int synthNumber, int bank, int program,
                                                    int note) const = 0;
    virtual std::optional<DrumNotation> drumNotation(int synthNumber, int bank, int program,
                                                     int note) const = 0;
    virtual std::optional<std::string> ccName(int synthNumber, int controller) const = 0;
    virtual std::optional<std::string> nrpnName(int synthNumber, int nrpn) const = 0;

    // The synth's patch rows in (bank, patch) order; empty for an unknown synth
    // or where the database cannot list.
    virtual std::vector<PatchListRow> patchList(int synthNumber) const
    {
        (void)synthNumber;
        return {};
    }
    // Each drum set of the synth once, in (bank, program) order.
    virtual std::vector<DrumsetListRow> drumsetList(int synthNumber) const
    {
        (void)synthNumber;
        return {};
    }
    // The synth's named NRPNs in number order.
    virtual std::vector<NrpnListRow> nrpnList(int synthNumber) const
    {
        (void)synthNumber;
        return {};
    }
};

} // namespace rz
