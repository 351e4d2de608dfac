#include "engine/synthdb/synth_db_schema.h"

#include "core/synth_lookup.h"

#include <array>
#include <string_view>

namespace rz {

namespace {

// Long fields are INTEGER, Text and Memo fields TEXT; text sizes are the
// writers' limits. Identifiers are always quoted: "Group" is a keyword.
struct TableDefinition {
    std::string_view name;
    std::string_view create;
    std::string_view indexes; // created with the table; empty when none
};

constexpr TableDefinition kSynths{
    "synths",
    R"(CREATE TABLE "synths" ("SynthNumber" INTEGER PRIMARY KEY AUTOINCREMENT, )"
    R"("SynthName" TEXT, "Technology" INTEGER, "ResetSysex" TEXT))",
    ""};

constexpr std::string_view kCategoryIndex =
    R"(CREATE INDEX IF NOT EXISTS "Category" ON "patches" ("Category"))";

constexpr TableDefinition kPatches{
    "patches",
    R"(CREATE TABLE "patches" ("SynthNumber" INTEGER NOT NULL, "BankNumber" INTEGER NOT NULL, )"
    R"("PatchNumber" INTEGER NOT NULL, "PatchName" TEXT, "Category" TEXT, )"
    R"(PRIMARY KEY ("SynthNumber", "BankNumber", "PatchNumber")))",
    kCategoryIndex};

constexpr TableDefinition kDrums{
    "drums",
    R"(CREATE TABLE "drums" ("SynthNumber" INTEGER NOT NULL, "BankNumber" INTEGER NOT NULL, )"
    R"("PatchNumber" INTEGER NOT NULL, "NoteNumber" INTEGER NOT NULL, "NoteName" TEXT, )"
    R"("NoteHead" INTEGER, "NoteOffset" INTEGER, "NoteCircle" INTEGER, "Articulation" INTEGER, )"
    R"(PRIMARY KEY ("SynthNumber", "BankNumber", "PatchNumber", "NoteNumber")))",
    ""};

constexpr TableDefinition kChords{
    "chords",
    R"(CREATE TABLE "chords" ("ChordID" INTEGER PRIMARY KEY AUTOINCREMENT, "Group" TEXT, )"
    R"("Chord" TEXT, "Data" TEXT))",
    R"(CREATE INDEX IF NOT EXISTS "AlphaKey" ON "chords" ("Group", "Chord"))"};

constexpr TableDefinition kPortConfig{
    "portconfig",
    R"(CREATE TABLE "portconfig" ("PortName" TEXT NOT NULL PRIMARY KEY, "SynthNumber" INTEGER, )"
    R"("Drums" INTEGER))",
    ""};

constexpr TableDefinition kCc{
    "CC",
    R"(CREATE TABLE "CC" ("SynthNumber" INTEGER NOT NULL, "CCNumber" INTEGER NOT NULL, )"
    R"("CCName" TEXT, PRIMARY KEY ("SynthNumber", "CCNumber")))",
    ""};

constexpr TableDefinition kNrpn{
    "NRPN",
    R"(CREATE TABLE "NRPN" ("SynthNumber" INTEGER NOT NULL, "NRPNNumber" INTEGER NOT NULL, )"
    R"("NRPNName" TEXT, PRIMARY KEY ("SynthNumber", "NRPNNumber")))",
    ""};

constexpr std::array kAllTables{kSynths, kPatches, kDrums, kChords, kPortConfig, kCc, kNrpn};
// The tables the program cannot start without; an existing file lacking
// one gets it empty.
constexpr std::array kBaseTables{kSynths, kPatches, kDrums, kChords};

void createTable(SqliteDatabase& db, const TableDefinition& table)
{
    db.exec(table.create);
    if (!table.indexes.empty())
        db.exec(table.indexes);
}

void createTableIfMissing(SqliteDatabase& db, const TableDefinition& table)
{
    if (!db.hasTable(table.name))
        createTable(db, table);
}

int fieldCount(SqliteDatabase& db, std::string_view table)
{
    return static_cast<int>(db.tableColumns(table).size());
}

void addColumns(SqliteDatabase& db, std::string_view table,
                std::initializer_list<std::string_view> columns, std::string_view type)
{
    for (auto column : columns) {
        db.exec("ALTER TABLE " + quoteIdentifier(table) + " ADD COLUMN " + quoteIdentifier(column)
                + " " + std::string(type));
    }
}

} // namespace

TableSpec synthsTableSpec()
{
    return {"synths", {"SynthNumber"}, true, {{"Technology", ISynthLookup::kDefaultTechnology}}};
}

TableSpec patchesTableSpec()
{
    return {"patches", {"SynthNumber", "BankNumber", "PatchNumber"}, false, {}};
}

TableSpec drumsTableSpec()
{
    return {"drums", {"SynthNumber", "BankNumber", "PatchNumber", "NoteNumber"}, false, {}};
}

TableSpec chordsTableSpec()
{
    return {"chords", {"ChordID"}, true, {}};
}

TableSpec ccTableSpec()
{
    return {"CC", {"SynthNumber", "CCNumber"}, false, {}};
}

TableSpec nrpnTableSpec()
{
    return {"NRPN", {"SynthNumber", "NRPNNumber"}, false, {}};
}

void createSynthDbSchema(SqliteDatabase& db)
{
    for (const auto& table : kAllTables)
        createTable(db, table);
}

std::optional<std::string> synthDbLayoutProblem(SqliteDatabase& db)
{
    for (const auto& spec : {synthsTableSpec(), patchesTableSpec(), drumsTableSpec(),
                             chordsTableSpec(), ccTableSpec(), nrpnTableSpec()}) {
        if (!db.hasTable(spec.name))
            continue;
        try {
            Table probe(db, spec);
        } catch (const SqliteError& error) {
            return error.what();
        }
    }
    return std::nullopt;
}

bool synthDbNeedsUpgrade(SqliteDatabase& db)
{
    for (const auto& table : kBaseTables) {
        if (!db.hasTable(table.name))
            return true;
    }
    return fieldCount(db, "synths") < kSynthsFieldCount
           || fieldCount(db, "patches") < kPatchesFieldCount
           || fieldCount(db, "drums") < kDrumsFieldCount || !db.hasTable("portconfig")
           || !db.hasTable("CC") || !db.hasTable("NRPN");
}

void upgradeSynthDbLayout(SqliteDatabase& db)
{
    for (const auto& table : kBaseTables)
        createTableIfMissing(db, table);
    if (fieldCount(db, "synths") < kSynthsFieldCount)
        addColumns(db, "synths", {"ResetSysex"}, "TEXT");
    // The index comes only with the field: a 5-field table without it stays so.
    if (fieldCount(db, "patches") < kPatchesFieldCount) {
        addColumns(db, "patches", {"Category"}, "TEXT");
        db.exec(kCategoryIndex);
    }
    if (fieldCount(db, "drums") < kDrumsFieldCount)
        addColumns(db, "drums", {"NoteHead", "NoteOffset", "NoteCircle", "Articulation"}, "INTEGER");
    if (!db.hasTable("portconfig")) {
        // "ports" may be gone already; deleting it must not fail the upgrade.
        db.exec(R"(DROP TABLE IF EXISTS "ports")");
        createTable(db, kPortConfig);
    }
    createTableIfMissing(db, kCc);
    createTableIfMissing(db, kNrpn);
}

} // namespace rz
