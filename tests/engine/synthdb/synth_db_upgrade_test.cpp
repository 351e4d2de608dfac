#include <gtest/gtest.h>

#include "engine/synthdb/synth_db.h"
#include "synth_db_fixture.h"
#include "tests/support/scripted_prompt.h"

#include <map>

namespace rz {
namespace {

using Columns = std::vector<std::string>;

// An older file: every table at the current layout unless a case replaces
// its definition ("" leaves the table out).
const std::map<std::string, std::string> kCurrentTables{
    {"synths", R"(CREATE TABLE "synths" ("SynthNumber" INTEGER PRIMARY KEY AUTOINCREMENT, "SynthName" TEXT, "Technology" INTEGER, "ResetSysex" TEXT))"},
    {"patches", R"(CREATE TABLE "patches" ("SynthNumber" INTEGER, "BankNumber" INTEGER, "PatchNumber" INTEGER, "PatchName" TEXT, "Category" TEXT, PRIMARY KEY ("SynthNumber", "BankNumber", "PatchNumber")))"},
    {"drums", R"(CREATE TABLE "drums" ("SynthNumber" INTEGER, "BankNumber" INTEGER, "PatchNumber" INTEGER, "NoteNumber" INTEGER, "NoteName" TEXT, "NoteHead" INTEGER, "NoteOffset" INTEGER, "NoteCircle" INTEGER, "Articulation" INTEGER, PRIMARY KEY ("SynthNumber", "BankNumber", "PatchNumber", "NoteNumber")))"},
    {"chords", R"(CREATE TABLE "chords" ("ChordID" INTEGER PRIMARY KEY AUTOINCREMENT, "Group" TEXT, "Chord" TEXT, "Data" TEXT))"},
    {"portconfig", R"(CREATE TABLE "portconfig" ("PortName" TEXT PRIMARY KEY, "SynthNumber" INTEGER, "Drums" INTEGER))"},
    {"CC", R"(CREATE TABLE "CC" ("SynthNumber" INTEGER, "CCNumber" INTEGER, "CCName" TEXT, PRIMARY KEY ("SynthNumber", "CCNumber")))"},
    {"NRPN", R"(CREATE TABLE "NRPN" ("SynthNumber" INTEGER, "NRPNNumber" INTEGER, "NRPNName" TEXT, PRIMARY KEY ("SynthNumber", "NRPNNumber")))"},
};

std::string oldFileSql(const std::map<std::string, std::string>& replaced, const std::string& extra)
{
    std::string sql;
    for (const auto& [table, definition] : kCurrentTables) {
        const auto it = replaced.find(table);
        const std::string& chosen = it == replaced.end() ? definition : it->second;
        if (!chosen.empty())
            sql += chosen + ";\n";
    }
    return sql + extra;
}

struct UpgradeCase {
    const char* name;
    std::map<std::string, std::string> replaced;
    std::string extra;              // more SQL: rows, old tables
    const char* table;              // the table to look at afterwards
    Columns expectedColumns;        // its columns after the upgrade
};

class SynthDbUpgrade : public testing::TestWithParam<UpgradeCase> {};

TEST_P(SynthDbUpgrade, BringsTheTableToTheExpectedFields)
{
    const auto& c = GetParam();
    SynthDbTempDir dir;
    makeDatabase(dir.file(), oldFileSql(c.replaced, c.extra));

    ScriptedPrompt prompt;
    auto db = SynthDatabase::open(dir.file(), prompt);

    EXPECT_TRUE(prompt.prompts().empty());
    EXPECT_FALSE(db->inMemory());
    EXPECT_EQ(columnNames(db->connection(), c.table), c.expectedColumns);
    // An existing file keeps its rows and gets no seed.
    EXPECT_FALSE(db->lookup().synth(33).has_value());
}

INSTANTIATE_TEST_SUITE_P(
    SynthDb, SynthDbUpgrade,
    testing::Values(
        UpgradeCase{"threeFieldSynthsGainResetSysex",
                    {{"synths", R"(CREATE TABLE "synths" ("SynthNumber" INTEGER PRIMARY KEY, "SynthName" TEXT, "Technology" INTEGER))"}},
                    "",
                    "synths",
                    {"SynthNumber", "SynthName", "Technology", "ResetSysex"}},
        UpgradeCase{"fourFieldSynthsWithAnotherNameAreUntouched",
                    {{"synths", R"(CREATE TABLE "synths" ("SynthNumber" INTEGER PRIMARY KEY, "SynthName" TEXT, "Technology" INTEGER, "Comment" TEXT))"}},
                    "",
                    "synths",
                    {"SynthNumber", "SynthName", "Technology", "Comment"}},
        UpgradeCase{"fourFieldPatchesGainCategory",
                    {{"patches", R"(CREATE TABLE "patches" ("SynthNumber" INTEGER, "BankNumber" INTEGER, "PatchNumber" INTEGER, "PatchName" TEXT))"}},
                    "",
                    "patches",
                    {"SynthNumber", "BankNumber", "PatchNumber", "PatchName", "Category"}},
        UpgradeCase{"eightFieldDrumsGainTheNotationInOrder",
                    {{"drums", R"(CREATE TABLE "drums" ("SynthNumber" INTEGER, "BankNumber" INTEGER, "PatchNumber" INTEGER, "NoteNumber" INTEGER, "NoteName" TEXT, "A" INTEGER, "B" INTEGER, "C" INTEGER))"}},
                    "",
                    "drums",
                    {"SynthNumber", "BankNumber", "PatchNumber", "NoteNumber", "NoteName", "A", "B",
                     "C", "NoteHead", "NoteOffset", "NoteCircle", "Articulation"}},
        UpgradeCase{"fiveFieldDrumsGainTheNotation",
                    {{"drums", R"(CREATE TABLE "drums" ("SynthNumber" INTEGER, "BankNumber" INTEGER, "PatchNumber" INTEGER, "NoteNumber" INTEGER, "NoteName" TEXT))"}},
                    "",
                    "drums",
                    {"SynthNumber", "BankNumber", "PatchNumber", "NoteNumber", "NoteName",
                     "NoteHead", "NoteOffset", "NoteCircle", "Articulation"}},
        UpgradeCase{"portsWithoutPortconfigBecomePortconfig",
                    {{"portconfig", ""}},
                    R"(CREATE TABLE "ports" ("Name" TEXT); INSERT INTO "ports" VALUES ('old');)",
                    "portconfig",
                    {"PortName", "SynthNumber", "Drums"}},
        UpgradeCase{"neitherPortsNorPortconfigGetsPortconfig",
                    {{"portconfig", ""}},
                    "",
                    "portconfig",
                    {"PortName", "SynthNumber", "Drums"}},
        UpgradeCase{"aMissingCcTableIsCreated",
                    {{"CC", ""}},
                    "",
                    "CC",
                    {"SynthNumber", "CCNumber", "CCName"}},
        UpgradeCase{"aMissingNrpnTableIsCreated",
                    {{"NRPN", ""}},
                    "",
                    "NRPN",
                    {"SynthNumber", "NRPNNumber", "NRPNName"}},
        UpgradeCase{"aMissingChordsTableIsCreatedEmpty",
                    {{"chords", ""}},
                    "",
                    "chords",
                    {"ChordID", "Group", "Chord", "Data"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SynthDbUpgradeDetail, OldRowsKeepTheirValuesAndReadTheNewFieldsAsEmpty)
{
    SynthDbTempDir dir;
    makeDatabase(dir.file(), oldFileSql(
        {{"synths", R"(CREATE TABLE "synths" ("SynthNumber" INTEGER PRIMARY KEY, "SynthName" TEXT, "Technology" INTEGER))"},
         {"drums", R"(CREATE TABLE "drums" ("SynthNumber" INTEGER, "BankNumber" INTEGER, "PatchNumber" INTEGER, "NoteNumber" INTEGER, "NoteName" TEXT))"}},
        R"(INSERT INTO "synths" VALUES (7, 'Old Synth', 3);
           INSERT INTO "drums" VALUES (7, 0, 0, 36, 'Kick');)"));
    ScriptedPrompt prompt;
    auto db = SynthDatabase::open(dir.file(), prompt);

    const auto synth = db->lookup().synth(7);
    ASSERT_TRUE(synth.has_value());
    EXPECT_EQ(synth->name, "Old Synth");
    EXPECT_EQ(synth->technology, 3);
    EXPECT_EQ(synth->resetSysex, "");
    EXPECT_EQ(db->lookup().drumNoteName(7, 0, 0, 36), "Kick");
    EXPECT_EQ(db->lookup().drumNotation(7, 0, 0, 36), DrumNotation{});
}

TEST(SynthDbUpgradeDetail, TheCategoryIndexComesOnlyWithTheField)
{
    SynthDbTempDir dir;
    makeDatabase(dir.file(), oldFileSql({}, ""));
    ScriptedPrompt prompt;
    auto db = SynthDatabase::open(dir.file(), prompt);
    EXPECT_FALSE(db->connection().hasIndex("Category"));

    SynthDbTempDir older;
    makeDatabase(older.file(), oldFileSql(
        {{"patches", R"(CREATE TABLE "patches" ("SynthNumber" INTEGER, "BankNumber" INTEGER, "PatchNumber" INTEGER, "PatchName" TEXT))"}}, ""));
    auto upgraded = SynthDatabase::open(older.file(), prompt);
    EXPECT_TRUE(upgraded->connection().hasIndex("Category"));
}

TEST(SynthDbUpgradeDetail, PortsAreDroppedOnlyWhenPortconfigIsMissing)
{
    SynthDbTempDir dir;
    makeDatabase(dir.file(), oldFileSql({{"portconfig", ""}}, R"(CREATE TABLE "ports" ("Name" TEXT))"));
    ScriptedPrompt prompt;
    EXPECT_FALSE(SynthDatabase::open(dir.file(), prompt)->connection().hasTable("ports"));

    SynthDbTempDir kept;
    makeDatabase(kept.file(), oldFileSql({}, R"(CREATE TABLE "ports" ("Name" TEXT))"));
    EXPECT_TRUE(SynthDatabase::open(kept.file(), prompt)->connection().hasTable("ports"));
}

TEST(SynthDbUpgradeDetail, AnUpgradedFileOpensTheSecondTimeUnchanged)
{
    SynthDbTempDir dir;
    makeDatabase(dir.file(), oldFileSql(
        {{"synths", R"(CREATE TABLE "synths" ("SynthNumber" INTEGER PRIMARY KEY, "SynthName" TEXT, "Technology" INTEGER))"},
         {"patches", R"(CREATE TABLE "patches" ("SynthNumber" INTEGER, "BankNumber" INTEGER, "PatchNumber" INTEGER, "PatchName" TEXT))"},
         {"portconfig", ""},
         {"CC", ""}},
        ""));
    ScriptedPrompt prompt;
    SynthDatabase::open(dir.file(), prompt);
    const auto schema = schemaDump(dir.file());
    const auto bytes = readBytes(dir.file());

    SynthDatabase::open(dir.file(), prompt);

    EXPECT_EQ(schemaDump(dir.file()), schema);
    EXPECT_EQ(readBytes(dir.file()), bytes);
}

} // namespace
} // namespace rz
