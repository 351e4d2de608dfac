#pragma once

#include "core/synth_lookup.h"
#include "platform/sqlite_db.h"

#include <string_view>

namespace rz {

// The synth a fresh port entry plays (CSequencer::Init writes 33).
inline constexpr int kGeneralMidiSynthNumber = 33;
inline constexpr std::string_view kGeneralMidiSynthName = "General MIDI";
// GM On and the used controllers' defaults on a MIDI reset.
inline constexpr int kGeneralMidiTechnology = 0x009;
inline constexpr std::string_view kStandardDrumsetName = "Standard";

// The notation a drum note gets when nothing else is known: the table for
// notes 35 to 59, otherwise a triangle head six steps below the middle line.
DrumNotation defaultDrumNotation(int note);

// Writes synth 33 "General MIDI": bank 0 with the 128 GM programs, the
// Standard drumset (bank 0, program 0) with the GM percussion names, and
// controller names. Runs inside the caller's transaction.
void writeGeneralMidiSeed(SqliteDatabase& db);

} // namespace rz
