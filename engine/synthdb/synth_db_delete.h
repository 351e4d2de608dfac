#pragma once

#include "engine/synthdb/synth_db.h"

namespace rz {

// Deleting groups of records. Each runs in a savepoint, so it is whole or
// not at all, also inside a caller's transaction. Failures throw SqliteError.

// The bank's header and patches: patch numbers -1 to 127 of (synth, bank).
void deleteBank(SynthDatabase& db, int synthNumber, int bank);
// The drumset's header and notes: note numbers -1 to 127 of (synth, bank, program).
void deleteDrumset(SynthDatabase& db, int synthNumber, int bank, int program);
// Every record of the synth: CC, NRPN, patches and drums, then its synths record.
void deleteSynth(SynthDatabase& db, int synthNumber);

} // namespace rz
