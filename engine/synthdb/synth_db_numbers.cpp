#include "engine/synthdb/synth_db_numbers.h"

#include "core/midi_bytes.h"

namespace rz {

int storedBankNumber(int technology, int shownBank)
{
    if (!cc0Only(technology) || shownBank < 0)
        return shownBank;
    return shownBank * kMsbFactor;
}

int shownBankNumber(int technology, int storedBank)
{
    if (!cc0Only(technology) || storedBank < 0)
        return storedBank;
    return storedBank / kMsbFactor;
}

int patchDisplayOffset(int technology)
{
    return (technology & kTechPatchesFromZero) != 0 ? 0 : 1;
}

int storedPatchNumber(int technology, int shownPatch)
{
    return shownPatch - patchDisplayOffset(technology);
}

int shownPatchNumber(int technology, int storedPatch)
{
    return storedPatch + patchDisplayOffset(technology);
}

std::string bankNumberText(int technology, int storedBank)
{
    if (cc0Only(technology) || storedBank < 0)
        return std::to_string(shownBankNumber(technology, storedBank));
    return std::to_string(storedBank) + " (" + std::to_string(storedBank / kMsbFactor) + "/"
           + std::to_string(storedBank % kMsbFactor) + ")";
}

} // namespace rz
