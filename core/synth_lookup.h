#pragma once

#include <optional>
#include <string>

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

// Read access to the synthesizer database. Banks and patches are the stored
// numbers: 14-bit banks, patches 0-based. Every look-up answers nothing when
// no record has the key. Names are the stored bytes.
class ISynthLookup {
public:
    // The "Technology" of a track whose synth is not in the table.
    static constexpr int kDefaultTechnology = 8;

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
};

} // namespace rz
