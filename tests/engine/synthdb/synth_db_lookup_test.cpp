#include <gtest/gtest.h>

#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_numbers.h"
#include "synth_db_fixture.h"
#include "tests/support/scripted_prompt.h"

#include <functional>

namespace rz {
namespace {

// A seeded database file, plus a CC0-only synth 34 that numbers patches from 0.
class SynthDbLookupSeam : public testing::Test {
protected:
    void SetUp() override
    {
        ScriptedPrompt prompt;
        m_db = SynthDatabase::open(m_dir.file(), prompt);
        m_db->connection().exec(R"(
            INSERT INTO "synths" VALUES (34, 'Old Module', 384, 'F0 41 10 F7');
            INSERT INTO "synths" ("SynthNumber", "SynthName") VALUES (35, 'Blank');
            INSERT INTO "NRPN" VALUES (34, 16383, 'Top');)");
    }

    const ISynthLookup& lookup() { return m_db->lookup(); }

    SynthDbTempDir m_dir;
    std::unique_ptr<SynthDatabase> m_db;
};

TEST_F(SynthDbLookupSeam, NamesComeFromTheirTables)
{
    using Name = std::optional<std::string>;
    struct Case {
        const char* what;
        std::function<Name(const ISynthLookup&)> ask;
        Name expected;
    };
    const Case cases[]{
        {"bank", [](auto& l) { return l.bankName(33, 0); }, "General MIDI"},
        {"first patch", [](auto& l) { return l.patchName(33, 0, 0); }, "Acoustic Grand Piano"},
        {"last patch", [](auto& l) { return l.patchName(33, 0, 127); }, "Gunshot"},
        {"patch of a missing bank", [](auto& l) { return l.patchName(33, 1, 0); }, std::nullopt},
        {"patch 128", [](auto& l) { return l.patchName(33, 0, 128); }, std::nullopt},
        {"drumset", [](auto& l) { return l.drumsetName(33, 0, 0); }, "Standard"},
        {"drumset of another program", [](auto& l) { return l.drumsetName(33, 0, 1); }, std::nullopt},
        {"first drum", [](auto& l) { return l.drumNoteName(33, 0, 0, 35); }, "Acoustic Bass Drum"},
        {"snare", [](auto& l) { return l.drumNoteName(33, 0, 0, 38); }, "Acoustic Snare"},
        {"last drum", [](auto& l) { return l.drumNoteName(33, 0, 0, 81); }, "Open Triangle"},
        {"no drum", [](auto& l) { return l.drumNoteName(33, 0, 0, 82); }, std::nullopt},
        {"volume", [](auto& l) { return l.ccName(33, 7); }, "Channel Volume"},
        {"sustain", [](auto& l) { return l.ccName(33, 64); }, "Sustain Pedal"},
        {"undefined controller", [](auto& l) { return l.ccName(33, 3); }, std::nullopt},
        {"nrpn", [](auto& l) { return l.nrpnName(34, 16383); }, "Top"},
        {"nrpn of another synth", [](auto& l) { return l.nrpnName(33, 16383); }, std::nullopt},
        {"unknown synth", [](auto& l) { return l.patchName(99, 0, 0); }, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.ask(lookup()), c.expected) << c.what;
}

TEST_F(SynthDbLookupSeam, SynthsCarryNameTechnologyAndResetMessage)
{
    struct Case {
        int synth;
        std::optional<SynthRecord> expected;
    };
    const Case cases[]{
        {33, SynthRecord{"General MIDI", 0x009, ""}},
        {34, SynthRecord{"Old Module", 384, "F0 41 10 F7"}},
        {35, SynthRecord{"Blank", 8, ""}}, // NULL Technology reads as 8
        {-1, std::nullopt},
        {99, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.synth);
        const auto synth = lookup().synth(c.synth);
        ASSERT_EQ(synth.has_value(), c.expected.has_value());
        EXPECT_EQ(lookup().technology(c.synth).has_value(), c.expected.has_value());
        if (!synth)
            continue;
        EXPECT_EQ(synth->name, c.expected->name);
        EXPECT_EQ(synth->technology, c.expected->technology);
        EXPECT_EQ(lookup().technology(c.synth), c.expected->technology);
        EXPECT_EQ(synth->resetSysex, c.expected->resetSysex);
    }
}

TEST_F(SynthDbLookupSeam, DrumNotationFollowsTheTableAndTheDefault)
{
    struct Case {
        int note;
        std::optional<DrumNotation> expected; // head, offset, circle, articulation
    };
    const Case cases[]{
        {35, DrumNotation{0, -4, 0, 0}}, {37, DrumNotation{2, -6, 0, 0}},
        {42, DrumNotation{4, 5, 1, 0}},  {46, DrumNotation{4, 5, 1, 0}},
        {52, DrumNotation{4, 9, 0, 0}},  {59, DrumNotation{4, 2, 0, 0}},
        {60, DrumNotation{2, -6, 0, 0}}, {81, DrumNotation{2, -6, 0, 0}},
        {34, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(lookup().drumNotation(33, 0, 0, c.note), c.expected) << c.note;
}

TEST_F(SynthDbLookupSeam, ListsASynthsPatchesAndDrumSetsInKeyOrder)
{
    m_db->connection().exec(R"(
        INSERT INTO "patches" VALUES (34, 384, 0, 'Strings', 'Ensemble');
        INSERT INTO "patches" VALUES (34, 384, -1, 'Bank Three', '');
        INSERT INTO "patches" VALUES (34, 0, 5, 'Harp', NULL);
        INSERT INTO "drums" ("SynthNumber", "BankNumber", "PatchNumber", "NoteNumber", "NoteName")
            VALUES (34, 128, 0, -1, 'Other'), (34, 0, 8, 36, 'Kick'), (34, 0, 0, 36, 'Kick'),
                   (34, 0, 0, -1, 'Kit'), (34, 0, 0, 38, 'Snare');)");
    const std::vector<PatchListRow> patches{
        {0, 5, "Harp", ""}, {384, -1, "Bank Three", ""}, {384, 0, "Strings", "Ensemble"}};
    EXPECT_EQ(lookup().patchList(34), patches);
    // A set with notes but no header row is listed once, without a name.
    const std::vector<DrumsetListRow> sets{{0, 0, "Kit"}, {0, 8, std::nullopt}, {128, 0, "Other"}};
    EXPECT_EQ(lookup().drumsetList(34), sets);

    const std::vector<PatchListRow> gm = lookup().patchList(33);
    ASSERT_EQ(gm.size(), 129u);
    EXPECT_EQ(gm.front(), (PatchListRow{0, -1, "General MIDI", ""}));
    EXPECT_EQ(gm.back().name, "Gunshot");
    ASSERT_FALSE(lookup().drumsetList(33).empty());
    EXPECT_EQ(lookup().drumsetList(33).front(), (DrumsetListRow{0, 0, "Standard"}));
    EXPECT_TRUE(lookup().patchList(99).empty());
    EXPECT_TRUE(lookup().drumsetList(35).empty());
}

TEST_F(SynthDbLookupSeam, ListsASynthsNrpnsInNumberOrder)
{
    m_db->connection().exec(R"(
        INSERT INTO "NRPN" VALUES (34, 389, 'Cutoff'), (34, 5, 'Vibrato'), (35, 7, 'Other');)");
    const std::vector<NrpnListRow> nrpns{{5, "Vibrato"}, {389, "Cutoff"}, {16383, "Top"}};
    EXPECT_EQ(lookup().nrpnList(34), nrpns);
    EXPECT_TRUE(lookup().nrpnList(99).empty());
}

TEST_F(SynthDbLookupSeam, LookingUpNeverMovesTheSharedCursors)
{
    ASSERT_TRUE(m_db->patches().seekEq(33, 0, 5));
    lookup().patchName(33, 0, 100);
    lookup().bankName(33, 0);
    EXPECT_EQ(m_db->patches().key(), (Table::Key{33, 0, 5}));
    EXPECT_EQ(m_db->patches().textField("PatchName"), "Electric Piano 2");
}

TEST_F(SynthDbLookupSeam, ShownNumbersStoredThroughTheHelpersAreFoundAgain)
{
    const int cc0Only = lookup().technology(34).value();
    const int normal = lookup().technology(33).value();
    Table& patches = m_db->patches();
    // Bank "3" of the CC0-only synth, patch "0" as it numbers from 0.
    patches.editOrAddNew({34, storedBankNumber(cc0Only, 3), storedPatchNumber(cc0Only, 0)});
    patches.setText("PatchName", "Strings");
    patches.update();
    EXPECT_EQ(lookup().patchName(34, 384, 0), "Strings");
    // Patch "1" of the GM synth is program 0.
    EXPECT_EQ(lookup().patchName(33, storedBankNumber(normal, 0), storedPatchNumber(normal, 1)),
              "Acoustic Grand Piano");
    EXPECT_EQ(bankNumberText(cc0Only, 384), "3");
}

} // namespace
} // namespace rz
