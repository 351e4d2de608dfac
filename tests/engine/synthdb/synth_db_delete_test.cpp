#include <gtest/gtest.h>

#include "engine/synthdb/synth_db_chords.h"
#include "engine/synthdb/synth_db_delete.h"
#include "synth_db_fixture.h"

namespace rz {
namespace {

using Key = Table::Key;

// Synth 5 with two banks and two drumsets, synth 6 with the same keys.
class SynthDbDelete : public testing::Test {
protected:
    void SetUp() override
    {
        m_db = SynthDatabase::openInMemory();
        auto& sql = m_db->connection();
        sql.exec(R"(INSERT INTO "synths" VALUES (5, 'five', 8, ''), (6, 'six', 8, ''))");
        for (int synth : {5, 6}) {
            for (int bank : {0, 1}) {
                for (int member : {-1, 0, 127, 128}) {
                    auto insert = sql.prepare(R"(INSERT INTO "patches" VALUES (?1, ?2, ?3, 'p', ''))");
                    insert.bind(0, int64_t{synth}).bind(1, int64_t{bank}).bind(2, int64_t{member});
                    insert.run();
                    insert = sql.prepare(R"(INSERT INTO "drums" VALUES (?1, ?2, 0, ?3, 'd', 0, 0, 0, 0))");
                    insert.bind(0, int64_t{synth}).bind(1, int64_t{bank}).bind(2, int64_t{member});
                    insert.run();
                }
            }
            sql.exec("INSERT INTO \"CC\" VALUES (" + std::to_string(synth) + ", 7, 'Volume')");
            sql.exec("INSERT INTO \"NRPN\" VALUES (" + std::to_string(synth) + ", 300, 'Cutoff')");
        }
    }

    std::vector<Key> keysOf(Table& table) { return walkKeys(table); }
    int64_t rowsOfSynth(std::string_view table, int synth)
    {
        return countRows(m_db->connection(), "SELECT count(*) FROM " + quoteIdentifier(table)
                                                 + " WHERE \"SynthNumber\" = " + std::to_string(synth));
    }

    std::unique_ptr<SynthDatabase> m_db;
};

TEST_F(SynthDbDelete, ABankDeleteRemovesMinusOneTo127OfThatBankOnly)
{
    const auto before = keysOf(m_db->patches());
    deleteBank(*m_db, 5, 1);
    std::vector<Key> expected;
    for (const Key& key : before) {
        if (!(key[0] == 5 && key[1] == 1 && key[2] >= -1 && key[2] <= 127))
            expected.push_back(key);
    }
    EXPECT_EQ(keysOf(m_db->patches()), expected);
    EXPECT_EQ(before.size() - expected.size(), 3u);
    EXPECT_TRUE(m_db->patches().seekEq(5, 1, 128));
}

TEST_F(SynthDbDelete, ADrumsetDeleteRemovesItsHeaderAndNotesOnly)
{
    const auto before = keysOf(m_db->drums());
    deleteDrumset(*m_db, 6, 0, 0);
    std::vector<Key> expected;
    for (const Key& key : before) {
        if (!(key[0] == 6 && key[1] == 0 && key[2] == 0 && key[3] <= 127))
            expected.push_back(key);
    }
    EXPECT_EQ(keysOf(m_db->drums()), expected);
}

TEST_F(SynthDbDelete, ASynthDeleteClearsEveryTable)
{
    deleteSynth(*m_db, 5);
    for (std::string_view table : {"CC", "NRPN", "patches", "drums", "synths"}) {
        EXPECT_EQ(rowsOfSynth(table, 5), 0) << table;
        EXPECT_GT(rowsOfSynth(table, 6), 0) << table;
    }
    EXPECT_TRUE(m_db->lookup().synth(33).has_value());
}

TEST_F(SynthDbDelete, AFailedDeleteLeavesEveryTableAsItWas)
{
    // A trigger refuses the last step, the synths record.
    m_db->connection().exec(R"(CREATE TRIGGER "keep" BEFORE DELETE ON "synths"
                               BEGIN SELECT RAISE(ABORT, 'kept'); END)");
    EXPECT_THROW(deleteSynth(*m_db, 5), SqliteError);
    for (std::string_view table : {"CC", "NRPN", "patches", "drums", "synths"})
        EXPECT_GT(rowsOfSynth(table, 5), 0) << table;
}

class SynthDbChords : public testing::Test {
protected:
    void SetUp() override
    {
        m_db = SynthDatabase::openInMemory();
        m_db->connection().exec(R"(
            INSERT INTO "chords" ("Group", "Chord", "Data") VALUES ('Standard', 'Cmaj7', '');
            INSERT INTO "chords" ("Group", "Chord", "Data") VALUES ('Bob''s', 'G7', '');
            INSERT INTO "chords" ("Group", "Chord", "Data") VALUES ('Bob''s', 'Am', '');
            INSERT INTO "chords" ("Group", "Chord", "Data") VALUES ('Standard', 'C', '');)");
    }

    std::vector<std::string> chordNames(std::string_view group)
    {
        std::vector<std::string> names;
        for (const auto& chord : chordsInGroup(*m_db, group))
            names.push_back(chord.chord);
        return names;
    }

    std::unique_ptr<SynthDatabase> m_db;
};

TEST_F(SynthDbChords, GroupsAreDistinctAndSorted)
{
    EXPECT_EQ(chordGroups(*m_db), (std::vector<std::string>{"Bob's", "Standard"}));
}

TEST_F(SynthDbChords, AGroupWithAQuoteWorksAndTextNeverBecomesSql)
{
    EXPECT_EQ(chordNames("Bob's"), (std::vector<std::string>{"Am", "G7"}));
    EXPECT_EQ(chordNames("Standard"), (std::vector<std::string>{"C", "Cmaj7"}));
    EXPECT_TRUE(chordNames("x' OR '1'='1").empty());
    EXPECT_TRUE(chordNames("'; DROP TABLE chords; --").empty());
    EXPECT_TRUE(m_db->connection().hasTable("chords"));
}

TEST_F(SynthDbChords, ChordIdsAreTheRowsKeys)
{
    for (const auto& chord : chordsInGroup(*m_db, "Bob's")) {
        ASSERT_TRUE(m_db->chords().seekEq(chord.chordId));
        EXPECT_EQ(m_db->chords().textField("Chord"), chord.chord);
        EXPECT_EQ(m_db->chords().textField("Group"), "Bob's");
    }
}

} // namespace
} // namespace rz
