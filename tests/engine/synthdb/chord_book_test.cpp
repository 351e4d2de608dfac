// The chord dialog's book over the database's chord table: names with
// quotes stay data, a new chord's grid is six bytes that come back as they
// went in, and failures answer a reason instead of throwing.

#include "engine/synthdb/synth_db_chords.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

class ChordBook : public testing::Test {
protected:
    void SetUp() override
    {
        m_db = SynthDatabase::openInMemory();
        m_db->connection().exec(R"(
            INSERT INTO "chords" ("Group", "Chord", "Data") VALUES ('Standard', 'C', 'abcde');)");
        m_book = std::make_unique<SynthDbChordTable>(*m_db);
    }

    std::vector<std::string> names(std::string_view group)
    {
        std::vector<std::string> result;
        for (const ChordBookEntry& entry : m_book->chords(group).value)
            result.push_back(entry.name);
        return result;
    }

    std::unique_ptr<SynthDatabase> m_db;
    std::unique_ptr<SynthDbChordTable> m_book;
};

TEST_F(ChordBook, AddedChordsAreFiledUnderTheirGroupWhateverTheirQuotes)
{
    const ChordGrid grid{0x8D, 0x96, 0x9F, 0x85, 0x86, 0x87};
    const ChordBookAnswer<int64_t> added = m_book->add("Bob's", "G7 'jazz'", grid);
    ASSERT_TRUE(added.ok()) << added.error;
    EXPECT_EQ(m_book->groups().value, (std::vector<std::string>{"Bob's", "Standard"}));
    EXPECT_EQ(names("Bob's"), (std::vector<std::string>{"G7 'jazz'"}));
    const std::vector<ChordBookEntry> chords = m_book->chords("Bob's").value;
    ASSERT_EQ(chords.size(), 1u);
    EXPECT_EQ(chords[0].id, added.value);
}

TEST_F(ChordBook, AGridIsSixBytesStoredAsABlobAndReadBackExactly)
{
    const ChordGrid grid{0x80, 0xFF, 0x86, 0x87, 0xC5, 0x81};
    const int64_t id = m_book->add("Standard", "X", grid).value;
    auto type = m_db->connection().prepare(R"(SELECT typeof("Data"), length("Data") FROM "chords" WHERE "ChordID" = ?1)");
    type.bind(0, id);
    ASSERT_TRUE(type.step());
    EXPECT_EQ(type.columnText(0), "blob");
    EXPECT_EQ(type.columnInt(1), 6);
    const ChordBookAnswer<std::optional<std::string>> data = m_book->data(id);
    ASSERT_TRUE(data.ok() && data.value.has_value());
    EXPECT_EQ(chordGridOf(*data.value), grid);
}

TEST_F(ChordBook, OnlyDataOfExactlySixBytesIsAGrid)
{
    const int64_t five = m_book->chords("Standard").value.at(0).id;
    const std::optional<std::string> data = m_book->data(five).value;
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(*data, "abcde");
    EXPECT_FALSE(chordGridOf(*data).has_value());
    EXPECT_FALSE(chordGridOf("abcdefg").has_value());
    EXPECT_EQ(chordGridOf("abcdef"), (ChordGrid{'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_FALSE(m_book->data(99).value.has_value());
}

TEST_F(ChordBook, RemovedChordsAreGone)
{
    const int64_t id = m_book->add("Standard", "D", ChordGrid{}).value;
    ASSERT_TRUE(m_book->remove(id).ok());
    EXPECT_EQ(names("Standard"), (std::vector<std::string>{"C"}));
    EXPECT_TRUE(m_book->remove(id).ok());
}

TEST_F(ChordBook, DatabaseFailuresAnswerAReasonAndNoValue)
{
    m_db->connection().exec(R"(DROP TABLE "chords")");
    const auto groups = m_book->groups();
    EXPECT_FALSE(groups.ok());
    EXPECT_TRUE(groups.value.empty());
    EXPECT_NE(groups.error.find("chord table"), std::string::npos) << groups.error;
    EXPECT_FALSE(m_book->chords("Standard").ok());
    EXPECT_FALSE(m_book->data(1).ok());
    EXPECT_FALSE(m_book->add("Standard", "E", ChordGrid{}).ok());
    EXPECT_FALSE(m_book->remove(1).ok());
}

} // namespace
} // namespace rz
