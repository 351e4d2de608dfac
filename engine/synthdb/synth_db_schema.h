#pragma once

#include "engine/synthdb/synth_db_table.h"
#include "platform/sqlite_db.h"

#include <optional>
#include <string>

namespace rz {

// The six tables kept open, in the order they are opened.
TableSpec synthsTableSpec();
TableSpec patchesTableSpec();
TableSpec drumsTableSpec();
TableSpec chordsTableSpec();
TableSpec ccTableSpec();
TableSpec nrpnTableSpec();

// Fewer fields than these mark a table of an older layout.
inline constexpr int kSynthsFieldCount = 4;
inline constexpr int kPatchesFieldCount = 5;
inline constexpr int kDrumsFieldCount = 9;

// Creates all seven tables with their keys and indexes, inside the caller's
// transaction.
void createSynthDbSchema(SqliteDatabase& db);

// A reason the file cannot serve at all: a table kept open lacks one of its
// key columns. Reads only.
std::optional<std::string> synthDbLayoutProblem(SqliteDatabase& db);

// Whether upgradeSynthDbLayout() would change anything. Reads only.
bool synthDbNeedsUpgrade(SqliteDatabase& db);

// Brings an older file to the current layout, inside the caller's
// transaction: missing base tables are created empty, then synths gains
// "ResetSysex", patches "Category" with its index, drums the four notation
// fields, each when its field count is below the mark; a missing "portconfig"
// replaces any "ports", and missing "CC" and "NRPN" tables are created.
void upgradeSynthDbLayout(SqliteDatabase& db);

} // namespace rz
