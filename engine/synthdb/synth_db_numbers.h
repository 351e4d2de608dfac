#pragma once

#include <string>

namespace rz {

// The bits of a synthesizer's "Technology" field.
enum TechnologyBit : int {
    kTechGmReset = 0x001,         // send GM On on a MIDI reset
    kTechGsReset = 0x002,         // send the GS reset
    kTechXgReset = 0x004,         // send XG On
    kTechUsedCcDefaults = 0x008,  // send the used controllers' default values
    kTechAllSoundOff = 0x010,     // send CC120
    kTechResetAllCcs = 0x020,     // send CC121
    kTechUserSysex = 0x040,       // send the synth's "ResetSysex"
    kTechCc0Only = 0x080,         // bank select by CC0 alone
    kTechPatchesFromZero = 0x100, // patches shown 0-127 instead of 1-128
};

inline bool cc0Only(int technology)
{
    return (technology & kTechCc0Only) != 0;
}

// Bank numbers are stored as 14-bit bank-select values (CC0 x 128 + CC32).
// A CC0-only synth shows its banks by their CC0 value, so the shown bank 3
// is stored as 384. A negative bank (none) passes through unchanged.
int storedBankNumber(int technology, int shownBank);
int shownBankNumber(int technology, int storedBank);

// Patches are stored 0-based and shown 1 to 128, or 0 to 127 with 0x100.
int patchDisplayOffset(int technology);
int storedPatchNumber(int technology, int shownPatch);
int shownPatchNumber(int technology, int storedPatch);

// A stored bank as the user sees it: "384 (3/0)", its number with MSB and
// LSB; on a CC0-only synth its CC0 value alone, "3".
std::string bankNumberText(int technology, int storedBank);

} // namespace rz
