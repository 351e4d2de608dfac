#include <gtest/gtest.h>

#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_schema.h"
#include "synth_db_fixture.h"
#include "tests/support/scripted_prompt.h"

#include <map>
#include <set>

namespace rz {
namespace {

using Key = Table::Key;

// A seeded database in memory with patches of synths 4, 5 and 6.
class SynthDbTable : public testing::Test {
protected:
    void SetUp() override
    {
        m_db = SynthDatabase::openInMemory();
        m_db->connection().exec(R"(
            INSERT INTO "patches" VALUES (4, 0, 127, 'four', '');
            INSERT INTO "patches" VALUES (5, 0, -1, 'bank', '');
            INSERT INTO "patches" VALUES (5, 0, 0, 'a', '');
            INSERT INTO "patches" VALUES (5, 0, 1, 'b', '');
            INSERT INTO "patches" VALUES (5, 128, 0, 'c', 'Lead');
            INSERT INTO "patches" VALUES (5, 16383, 127, 'd', '');
            INSERT INTO "patches" VALUES (6, -1, -1, 'six', '');
            INSERT INTO "patches" VALUES (6, 0, 0, 'six a', '');)");
    }

    std::vector<Key> synthFiveKeys()
    {
        std::vector<Key> keys;
        patches().visitRowsOfSynth(5, [&](Table& table) { keys.push_back(table.key()); });
        return keys;
    }

    Table& patches() { return m_db->patches(); }
    Table& synths() { return m_db->synths(); }

    std::unique_ptr<SynthDatabase> m_db;
};

TEST_F(SynthDbTable, AGreaterOrEqualWalkOverSynthFiveStopsBeforeSynthSix)
{
    const std::vector<Key> expected{{5, 0, -1}, {5, 0, 0}, {5, 0, 1}, {5, 128, 0}, {5, 16383, 127}};
    EXPECT_EQ(synthFiveKeys(), expected);

    ASSERT_TRUE(patches().seekGe(5));
    EXPECT_EQ(patches().key(), (Key{5, 0, -1}));
    EXPECT_EQ(patches().textField("PatchName"), "bank");
    int rows = 0;
    while (!patches().eof() && patches().key()[0] == 5) {
        ++rows;
        patches().moveNext();
    }
    EXPECT_EQ(rows, 5);
    EXPECT_EQ(patches().key(), (Key{6, -1, -1}));
}

TEST_F(SynthDbTable, SeeksFindTheKeyOrSayNoMatch)
{
    struct Seek {
        bool greaterOrEqual;
        Key key;
        std::optional<Key> found;
    };
    const Seek seeks[]{
        {false, {5, 128, 0}, Key{5, 128, 0}},
        {false, {5, 128, 1}, std::nullopt},
        {false, {5, 128}, Key{5, 128, 0}}, // a leading part of the key
        {true, {5, 1}, Key{5, 128, 0}},
        {true, {5, 16383, 127}, Key{5, 16383, 127}},
        {true, {34}, std::nullopt}, // past the seed's synth 33
        {true, {-100}, Key{4, 0, 127}},
    };
    for (const auto& s : seeks) {
        SCOPED_TRACE(testing::PrintToString(s.key));
        const bool found = s.greaterOrEqual ? patches().seekGeKey(s.key) : patches().seekEqKey(s.key);
        EXPECT_EQ(found, s.found.has_value());
        EXPECT_EQ(patches().noMatch(), !s.found.has_value());
        EXPECT_EQ(patches().eof(), !s.found.has_value());
        if (s.found) {
            EXPECT_EQ(patches().key(), *s.found);
        }
    }
}

TEST_F(SynthDbTable, ReadingWithoutACurrentRowThrows)
{
    patches().seekEq(99);
    EXPECT_THROW(patches().textField("PatchName"), SqliteError);
    EXPECT_THROW(patches().remove(), SqliteError);
    EXPECT_FALSE(patches().moveNext());
}

TEST_F(SynthDbTable, AnAddedSynthsNumberIsReadBackAndTheCursorStays)
{
    ASSERT_TRUE(synths().seekEq(33));
    synths().addNew();
    synths().setText("SynthName", "Added");
    synths().setInt("Technology", 0x80);
    const Key first = synths().update();
    synths().addNew();
    synths().setText("SynthName", "Second");
    const Key second = synths().update();

    EXPECT_EQ(synths().key(), (Key{33}));
    EXPECT_EQ(synths().textField("SynthName"), "General MIDI");
    ASSERT_EQ(first.size(), 1u);
    EXPECT_GT(first[0], 33);
    EXPECT_GT(second[0], first[0]);
    ASSERT_TRUE(synths().seekEqKey(first));
    EXPECT_EQ(synths().textField("SynthName"), "Added");
    EXPECT_EQ(synths().intField("Technology"), 0x80);
}

TEST_F(SynthDbTable, ADeletedSynthsNumberIsNeverGivenAgain)
{
    synths().addNew();
    const Key added = synths().update();
    ASSERT_TRUE(synths().seekEqKey(added));
    synths().remove();
    synths().addNew();
    EXPECT_GT(synths().update()[0], added[0]);
}

TEST_F(SynthDbTable, DeletingWhileWalkingVisitsEveryRemainingRowOnce)
{
    const auto before = walkKeys(patches());
    std::map<Key, int> visits;
    bool removeThis = true;
    for (bool more = patches().moveFirst(); more; more = patches().moveNext()) {
        ++visits[patches().key()];
        if (removeThis)
            patches().remove();
        removeThis = !removeThis;
    }
    ASSERT_EQ(visits.size(), before.size());
    for (const auto& [key, count] : visits)
        EXPECT_EQ(count, 1) << testing::PrintToString(key);
    std::vector<Key> expectedLeft;
    for (size_t i = 1; i < before.size(); i += 2)
        expectedLeft.push_back(before[i]);
    EXPECT_EQ(walkKeys(patches()), expectedLeft);
}

TEST_F(SynthDbTable, RowsAddedDuringAWalkAheadOfTheCursorAreVisited)
{
    std::vector<Key> keys;
    patches().visitRowsOfSynth(5, [&](Table& table) {
        keys.push_back(table.key());
        if (table.key() == Key{5, 0, 0}) {
            // Behind the cursor (never visited) and ahead of it (visited once).
            for (const Key& key : {Key{5, -5, 0}, Key{5, 0, 50}}) {
                table.addNew();
                for (size_t i = 0; i < key.size(); ++i)
                    table.setInt(table.spec().keyColumns[i], key[i]);
                table.update();
            }
        }
    });
    const std::vector<Key> expected{{5, 0, -1}, {5, 0, 0}, {5, 0, 1}, {5, 0, 50}, {5, 128, 0}, {5, 16383, 127}};
    EXPECT_EQ(keys, expected);
}

TEST_F(SynthDbTable, EditOrAddNewEditsAnExistingRowAndAddsAMissingOne)
{
    EXPECT_TRUE(patches().editOrAddNew({5, 0, 1}));
    patches().setText("PatchName", "renamed");
    patches().update();
    EXPECT_EQ(patches().textField("PatchName"), "renamed");

    EXPECT_FALSE(patches().editOrAddNew({5, 0, 2}));
    patches().setText("PatchName", "new");
    patches().setText("Category", "Pad");
    EXPECT_EQ(patches().update(), (Key{5, 0, 2}));
    ASSERT_TRUE(patches().seekEq(5, 0, 2));
    EXPECT_EQ(patches().textField("PatchName"), "new");
    EXPECT_EQ(patches().textField("Category"), "Pad");
}

TEST_F(SynthDbTable, AnEditThatChangesTheKeyFollowsTheRow)
{
    ASSERT_TRUE(patches().seekEq(5, 0, 1));
    patches().edit();
    patches().setInt("PatchNumber", 9);
    EXPECT_EQ(patches().update(), (Key{5, 0, 9}));
    EXPECT_EQ(patches().key(), (Key{5, 0, 9}));
    EXPECT_EQ(patches().textField("PatchName"), "b");
    EXPECT_FALSE(patches().seekEq(5, 0, 1));
}

TEST_F(SynthDbTable, WritesThatCannotSucceedThrowAndChangeNothing)
{
    // A duplicate key.
    patches().addNew();
    for (const auto& [field, value] : {std::pair{"SynthNumber", 5}, {"BankNumber", 0}, {"PatchNumber", 0}})
        patches().setInt(field, value);
    EXPECT_THROW(patches().update(), SqliteError);
    patches().cancelUpdate();
    // A key left out.
    patches().addNew();
    patches().setInt("SynthNumber", 5);
    EXPECT_THROW(patches().update(), SqliteError);
    patches().cancelUpdate();
    // A row deleted behind the cursor's back.
    ASSERT_TRUE(patches().seekEq(5, 0, 0));
    m_db->connection().exec(R"(DELETE FROM "patches" WHERE "SynthNumber" = 5 AND "PatchNumber" = 0)");
    patches().edit();
    patches().setText("PatchName", "x");
    EXPECT_THROW(patches().update(), SqliteError);
    patches().cancelUpdate();
    // A field the table lacks.
    patches().addNew();
    EXPECT_THROW(patches().setText("Colour", "red"), SqliteError);
    patches().cancelUpdate();
    EXPECT_FALSE(patches().seekEq(5, 0, 0));
}

TEST_F(SynthDbTable, NullFieldsReadAsTheirDefaults)
{
    m_db->connection().exec(R"(INSERT INTO "synths" ("SynthNumber") VALUES (40);
                               INSERT INTO "drums" ("SynthNumber", "BankNumber", "PatchNumber", "NoteNumber") VALUES (40, 0, 0, 36);)");
    ASSERT_TRUE(synths().seekEq(40));
    EXPECT_TRUE(synths().isNull("Technology"));
    EXPECT_EQ(synths().intField("Technology"), 8);
    EXPECT_EQ(synths().textField("SynthName"), "");
    EXPECT_EQ(synths().textField("ResetSysex"), "");
    ASSERT_TRUE(m_db->drums().seekEq(40, 0, 0, 36));
    EXPECT_EQ(m_db->drums().intField("NoteHead"), 0);
    EXPECT_EQ(m_db->drums().textField("NoteName"), "");
}

TEST(SynthDbTableFile, ExtraAndMissingFieldsAreHandled)
{
    SynthDbTempDir dir;
    makeDatabase(dir.file(), R"(
        CREATE TABLE "synths" ("SynthNumber" INTEGER PRIMARY KEY, "SynthName" TEXT, "Technology" INTEGER, "Comment" TEXT);
        CREATE TABLE "patches" ("SynthNumber" INTEGER, "BankNumber" INTEGER, "PatchNumber" INTEGER, "PatchName" TEXT, "Category" TEXT, "Colour" TEXT);
        INSERT INTO "synths" VALUES (3, 'Mine', 1, 'kept');
        INSERT INTO "patches" VALUES (3, 0, 0, 'p', '', 'red');)");
    ScriptedPrompt prompt;
    auto db = SynthDatabase::open(dir.file(), prompt);
    ASSERT_FALSE(db->inMemory());

    Table& synths = db->synths();
    ASSERT_TRUE(synths.seekEq(3));
    EXPECT_FALSE(synths.hasField("ResetSysex"));
    EXPECT_EQ(synths.textField("ResetSysex"), "");
    synths.edit();
    EXPECT_THROW(synths.setText("ResetSysex", "F0 F7"), SqliteError);
    synths.setText("SynthName", "Renamed");
    synths.update();
    EXPECT_EQ(synths.textField("Comment"), "kept");

    Table& patches = db->patches();
    ASSERT_TRUE(patches.seekEq(3, 0, 0));
    patches.edit();
    patches.setText("PatchName", "q");
    patches.update();
    EXPECT_EQ(patches.textField("Colour"), "red");
}

TEST(SynthDbTableFile, AKeyThatIsNotTheRowidIsStillAssigned)
{
    SynthDbTempDir dir;
    makeDatabase(dir.file(), R"(
        CREATE TABLE "synths" ("SynthNumber" INTEGER, "SynthName" TEXT, "Technology" INTEGER, "ResetSysex" TEXT);
        INSERT INTO "synths" VALUES (12, 'Twelve', 8, '');)");
    ScriptedPrompt prompt;
    auto db = SynthDatabase::open(dir.file(), prompt);
    db->synths().addNew();
    db->synths().setText("SynthName", "Next");
    EXPECT_EQ(db->synths().update(), (Key{13}));
}

TEST(SynthDbTableFile, RowsWithOddKeysEndTheWalk)
{
    SynthDbTempDir dir;
    makeDatabase(dir.file(), R"(
        CREATE TABLE "CC" ("SynthNumber" INTEGER, "CCNumber" INTEGER, "CCName" TEXT);
        INSERT INTO "CC" VALUES (1, 7, 'int');
        INSERT INTO "CC" VALUES (1, 7.5, 'real');
        INSERT INTO "CC" VALUES (1, 'abc', 'text');
        INSERT INTO "CC" VALUES (1, x'00', 'blob');
        INSERT INTO "CC" VALUES (1, NULL, 'null');
        INSERT INTO "CC" VALUES (2, 1, 'next');)");
    ScriptedPrompt prompt;
    auto db = SynthDatabase::open(dir.file(), prompt);
    Table& cc = db->cc();
    std::vector<std::string> names;
    for (bool more = cc.moveFirst(); more && names.size() < 10; more = cc.moveNext())
        names.push_back(cc.textField("CCName"));
    const std::vector<std::string> expected{"int", "real", "text", "blob", "next"};
    EXPECT_EQ(names, expected);
    // Each of them can be removed by its stored key.
    for (bool more = cc.moveFirst(); more; more = cc.moveNext())
        cc.remove();
    EXPECT_EQ(countRows(db->connection(), R"(SELECT count(*) FROM "CC")"), 1); // the NULL key
}

} // namespace
} // namespace rz
