#include <gtest/gtest.h>

#include <set>

#include "engine/synthdb/patch_number_entry.h"
#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_numbers.h"
#include "engine/synthdb/synth_tree.h"
#include "synth_db_fixture.h"
#include "tests/support/scripted_prompt.h"

namespace rz {
namespace {

// A database file with synth 5 "Module" (banks 0 and 128, drumset 0/0, CCs
// 0, 1 and 3, NRPN 300) beside the seeded General MIDI synth 33.
class SynthTreeTest : public testing::Test {
protected:
    void SetUp() override
    {
        ScriptedPrompt prompt;
        m_db = SynthDatabase::open(m_dir.file(), prompt);
        sql(R"(
            INSERT INTO "synths" VALUES (5, 'Module', 8, 'F0 41 F7');
            INSERT INTO "patches" VALUES (5, 0, -1, 'Pianos', ''), (5, 0, 0, 'Grand', ' Keys '),
                                         (5, 0, 1, 'Upright', ''), (5, 128, -1, 'Organs', ''),
                                         (5, 128, 4, 'Drawbar', 'Org');
            INSERT INTO "drums" VALUES (5, 0, 0, -1, 'Kit', 0, 0, 0, 0),
                                       (5, 0, 0, 36, 'Kick', 0, -3, 0, 0),
                                       (5, 0, 0, 42, 'Hat', 4, 5, 2, 0);
            INSERT INTO "CC" VALUES (5, 0, 'Bank'), (5, 1, 'Mod'), (5, 3, 'Three');
            INSERT INTO "NRPN" VALUES (5, 300, 'Cutoff');)");
        m_tree = SynthTree::load(*m_db);
    }

    void sql(const std::string& text) { m_db->connection().exec(text); }
    int64_t count(const std::string& query) { return countRows(m_db->connection(), query); }
    std::string text(const std::string& query)
    {
        auto statement = m_db->connection().prepare(query);
        return statement.step() ? statement.columnText(0) : "<none>";
    }

    SynthItem& synthNamed(const std::string& name)
    {
        for (const auto& synth : m_tree.root().children()) {
            if (synth->name() == name)
                return *synth;
        }
        throw std::runtime_error("no synth " + name);
    }
    SynthItem& group(SynthGroup which, const std::string& synth = "Module")
    {
        return *m_tree.group(synthNamed(synth), which);
    }
    static SynthItem& numbered(SynthItem& parent, int number)
    {
        for (const auto& child : parent.children()) {
            if (child->number() == number)
                return *child;
        }
        throw std::runtime_error("no item " + std::to_string(number));
    }
    std::vector<std::string> labels(const SynthItem& parent)
    {
        std::vector<std::string> result;
        for (const auto& child : parent.children())
            result.push_back(m_tree.label(*child));
        return result;
    }

    SynthDbTempDir m_dir;
    std::unique_ptr<SynthDatabase> m_db;
    SynthTree m_tree;
};

TEST_F(SynthTreeTest, AnEmptySynthsTableGivesAnEmptyTreeWhoseAddImports)
{
    sql(R"(DELETE FROM "synths")");
    const SynthTree tree = SynthTree::load(*m_db);
    EXPECT_TRUE(tree.root().children().empty());
    EXPECT_EQ(tree.buttonsFor(nullptr).add, "Import synth");
    EXPECT_FALSE(tree.buttonsFor(nullptr).removeEnabled);
    EXPECT_EQ(m_tree.add(nullptr), nullptr);
}

TEST_F(SynthTreeTest, LoadingBuildsLabelledItemsInIndexOrder)
{
    EXPECT_EQ(labels(m_tree.root()), (std::vector<std::string>{"General MIDI", "Module"}));
    EXPECT_EQ(labels(synthNamed("Module")), (std::vector<std::string>{"Patches", "Drumsets", "Controllers", "NRPN"}));
    EXPECT_EQ(labels(group(SynthGroup::Patches)),
              (std::vector<std::string>{"Bank 0 (0/0): Pianos", "Bank 128 (1/0): Organs"}));
    EXPECT_EQ(labels(numbered(group(SynthGroup::Patches), 0)),
              (std::vector<std::string>{"1: Grand [Keys]", "2: Upright"}));
    EXPECT_EQ(labels(group(SynthGroup::Drumsets)), (std::vector<std::string>{"Bank 0 (0/0), PC1: Kit"}));
    SynthItem& hat = numbered(numbered(group(SynthGroup::Drumsets), 0), 42);
    EXPECT_EQ(m_tree.label(hat), "42: Hat");
    EXPECT_EQ(unpackDrumNotation(hat.data()), (DrumNotation{4, 5, 2, 0}));
    EXPECT_EQ(labels(group(SynthGroup::Nrpn)), (std::vector<std::string>{"300: Cutoff"}));
    EXPECT_EQ(m_tree.settings(synthNamed("Module")).resetSysex, "F0 41 F7");
    EXPECT_FALSE(hat.modified());
}

TEST_F(SynthTreeTest, ANewControllerTakesTheFirstFreeNumberAndSitsInItsPlace)
{
    SynthItem* added = m_tree.add(&group(SynthGroup::Controllers));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->number(), 2);
    EXPECT_EQ(labels(group(SynthGroup::Controllers)),
              (std::vector<std::string>{"0: Bank", "1: Mod", "2: New CC", "3: Three"}));
    m_tree.discard(*added);
    SynthItem* afterMod = m_tree.add(&numbered(group(SynthGroup::Controllers), 1));
    EXPECT_EQ(afterMod->number(), 2);
    SynthItem* afterThree = m_tree.add(&numbered(group(SynthGroup::Controllers), 2));
    EXPECT_EQ(afterThree->number(), 4);
    EXPECT_EQ(afterThree->indexInParent(), 4u);
}

TEST_F(SynthTreeTest, NewBanksWaitUnnumberedAndACancelledAddLeavesNoTrace)
{
    SynthItem* bank = m_tree.add(&group(SynthGroup::Patches));
    EXPECT_FALSE(bank->assigned());
    EXPECT_EQ(m_tree.label(*bank), "Bank ?: New bank");
    EXPECT_EQ(bank->indexInParent(), 2u);
    EXPECT_EQ(m_tree.editRequest(*bank).number, -1);
    m_tree.discard(*bank);
    EXPECT_EQ(group(SynthGroup::Patches).children().size(), 2u);
    EXPECT_TRUE(m_tree.removedBanks().empty());
    EXPECT_EQ(m_tree.label(*m_tree.add(&group(SynthGroup::Drumsets))), "?,?: New drumset");
}

TEST_F(SynthTreeTest, RefusedEditsLeaveTheTreeUnchanged)
{
    struct Case {
        SynthItem* item;
        int shown;
        const char* message;
    } cases[] = {
        {&numbered(group(SynthGroup::Patches), 0), 128, "That bank number is already in use."},
        {&numbered(numbered(group(SynthGroup::Patches), 0), 0), 2, "That patch number is already in use."},
        {&numbered(numbered(group(SynthGroup::Drumsets), 0), 36), 42, "That note number is already in use."},
        {&numbered(group(SynthGroup::Controllers), 0), 3, "That CC number is already in use."},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> before = labels(*c.item->parent());
        EXPECT_EQ(m_tree.applyEdit(*c.item, c.shown, "Renamed"), c.message);
        EXPECT_EQ(labels(*c.item->parent()), before);
        EXPECT_FALSE(c.item->modified());
    }
    SynthItem* drumset = m_tree.add(&group(SynthGroup::Drumsets));
    EXPECT_EQ(m_tree.applyEdit(*drumset, parseEditNumber("0 (0/0), 1", 0, 0x1FFFFF), "Twin"),
              "That bank/patch number is already in use.");
    EXPECT_TRUE(m_tree.removedBanks().empty());
    EXPECT_TRUE(m_tree.removedControllers().empty());
}

TEST_F(SynthTreeTest, ABankRenumberedOntoAFreeNumberMovesWholeOnOk)
{
    SynthItem& pianos = numbered(group(SynthGroup::Patches), 0);
    EXPECT_EQ(m_tree.applyEdit(pianos, 256, "Pianos"), std::nullopt);
    EXPECT_EQ(labels(group(SynthGroup::Patches)),
              (std::vector<std::string>{"Bank 128 (1/0): Organs", "Bank 256 (2/0): Pianos"}));
    m_tree.writeBack(*m_db);
    EXPECT_EQ(count(R"(SELECT count(*) FROM "patches" WHERE "SynthNumber" = 5 AND "BankNumber" = 0)"), 0);
    EXPECT_EQ(count(R"(SELECT count(*) FROM "patches" WHERE "SynthNumber" = 5 AND "BankNumber" = 256)"), 3);
    EXPECT_EQ(text(R"(SELECT "Category" FROM "patches" WHERE "SynthNumber" = 5 AND "BankNumber" = 256 AND "PatchNumber" = 0)"),
              "Keys");
    EXPECT_EQ(count(R"(SELECT count(*) FROM "patches" WHERE "SynthNumber" = 5 AND "BankNumber" = 128)"), 2);
}

TEST_F(SynthTreeTest, RemovingTheLastPatchRewritesTheBankHeaderOnly)
{
    SynthItem& organs = numbered(group(SynthGroup::Patches), 128);
    EXPECT_EQ(m_tree.removeQuestion(*organs.child(0)), "Are you sure that you want to delete Patch 5: Drawbar [Org]?");
    m_tree.remove(*organs.child(0));
    EXPECT_TRUE(organs.modified());
    m_tree.writeBack(*m_db);
    EXPECT_EQ(count(R"(SELECT count(*) FROM "patches" WHERE "SynthNumber" = 5 AND "BankNumber" = 128)"), 1);
    EXPECT_EQ(text(R"(SELECT "PatchName" FROM "patches" WHERE "SynthNumber" = 5 AND "BankNumber" = 128 AND "PatchNumber" = -1)"),
              "Organs");
}

TEST_F(SynthTreeTest, NumberingFromZeroRelabelsWithoutChangingStoredNumbers)
{
    SynthItem& module = synthNamed("Module");
    m_tree.editSynth(module, "Module", 8 | kTechPatchesFromZero, "");
    EXPECT_EQ(labels(numbered(group(SynthGroup::Patches), 0)), (std::vector<std::string>{"0: Grand [Keys]", "1: Upright"}));
    EXPECT_EQ(labels(group(SynthGroup::Drumsets)), (std::vector<std::string>{"Bank 0 (0/0), PC0: Kit"}));
    m_tree.editSynth(module, "Module", 8 | kTechPatchesFromZero | kTechCc0Only, "");
    EXPECT_EQ(labels(group(SynthGroup::Patches)), (std::vector<std::string>{"Bank 0: Pianos", "Bank 1: Organs"}));
    EXPECT_EQ(m_tree.editRequest(numbered(group(SynthGroup::Patches), 128)).number, 1);
    m_tree.writeBack(*m_db);
    EXPECT_EQ(count(R"(SELECT "Technology" FROM "synths" WHERE "SynthNumber" = 5)"), 0x188);
    EXPECT_EQ(count(R"(SELECT count(*) FROM "patches" WHERE "SynthNumber" = 5 AND "BankNumber" = 128 AND "PatchNumber" = 4)"), 1);
}

TEST_F(SynthTreeTest, SynthsImportedWhileOpenKeepTheirOwnResetSettings)
{
    PatchList list;
    list.banks.push_back({0, "Main", {{0, "Lead", "Syn"}}});
    list.controllers = {{74, "Cutoff"}};
    SynthItem& first = m_tree.addImported("Alpha", list);
    m_tree.editSynth(first, "Alpha", kTechGsReset, "");
    SynthItem& second = m_tree.addImported("Beta", list);
    m_tree.editSynth(second, "Beta", kTechUserSysex | kTechCc0Only, "F0 7E 7F 09 01 F7");
    EXPECT_NE(first.key(), second.key());
    EXPECT_FALSE(SynthTree::isStoredSynthKey(first.key()));
    EXPECT_EQ(m_tree.buttonsFor(&second).remove, "Remove synth");
    m_tree.writeBack(*m_db);
    EXPECT_EQ(count(R"(SELECT "Technology" FROM "synths" WHERE "SynthName" = 'Alpha')"), kTechGsReset);
    EXPECT_EQ(count(R"(SELECT "Technology" FROM "synths" WHERE "SynthName" = 'Beta')"), kTechUserSysex | kTechCc0Only);
    EXPECT_EQ(text(R"(SELECT "ResetSysex" FROM "synths" WHERE "SynthName" = 'Beta')"), "F0 7E 7F 09 01 F7");
    EXPECT_EQ(count(R"(SELECT count(*) FROM "CC" JOIN "synths" USING ("SynthNumber") )"
                    R"(WHERE "CCNumber" = 74 AND "SynthName" IN ('Alpha', 'Beta'))"), 2);
    EXPECT_EQ(text(R"(SELECT "Category" FROM "patches" JOIN "synths" USING ("SynthNumber") WHERE "SynthName" = 'Beta' AND "PatchNumber" = 0)"),
              "Syn");
}

TEST_F(SynthTreeTest, ANotationChangeInsideANoteEditSurvives)
{
    SynthItem& kick = numbered(numbered(group(SynthGroup::Drumsets), 0), 36);
    const ItemEditRequest request = m_tree.editRequest(kick);
    EXPECT_TRUE(request.schemaButton);
    m_tree.setNotation(kick, DrumNotation{3, 2, 3, 1}); // as the notation dialog opened from the edit
    EXPECT_EQ(m_tree.applyEdit(kick, 35, "Bass Drum"), std::nullopt);
    EXPECT_EQ(kick.number(), 35);
    m_tree.writeBack(*m_db);
    EXPECT_EQ(text(R"(SELECT "NoteHead" || ' ' || "NoteOffset" || ' ' || "NoteCircle" || ' ' || "Articulation" )"
                   R"(FROM "drums" WHERE "SynthNumber" = 5 AND "NoteNumber" = 35)"),
              "3 2 3 1");
    EXPECT_EQ(count(R"(SELECT count(*) FROM "drums" WHERE "SynthNumber" = 5 AND "NoteNumber" = 36)"), 0);
}

TEST_F(SynthTreeTest, APlusCircleSurvivesADrumsetRename)
{
    SynthItem& kit = numbered(group(SynthGroup::Drumsets), 0);
    EXPECT_EQ(m_tree.applyEdit(kit, 0, "Studio Kit"), std::nullopt);
    m_tree.writeBack(*m_db);
    EXPECT_EQ(count(R"(SELECT "NoteCircle" FROM "drums" WHERE "SynthNumber" = 5 AND "NoteNumber" = 42)"), 2);
    EXPECT_EQ(text(R"(SELECT "NoteName" FROM "drums" WHERE "SynthNumber" = 5 AND "NoteNumber" = -1)"), "Studio Kit");
}

TEST_F(SynthTreeTest, ASynthNumberPast65535WritesBackUnderItsWholeNumber)
{
    sql(R"(INSERT INTO "synths" VALUES (70000, 'Big', 8, ''); INSERT INTO "CC" VALUES (70000, 7, 'Vol');)");
    SynthTree tree = SynthTree::load(*m_db);
    SynthItem* big = nullptr;
    for (const auto& synth : tree.root().children())
        big = synth->name() == "Big" ? synth.get() : big;
    ASSERT_NE(big, nullptr);
    SynthItem& volume = *tree.group(*big, SynthGroup::Controllers)->child(0);
    EXPECT_EQ(tree.applyEdit(volume, 7, "Volume"), std::nullopt);
    tree.editSynth(*big, "Bigger", 8, "");
    tree.writeBack(*m_db);
    EXPECT_EQ(text(R"(SELECT "CCName" FROM "CC" WHERE "SynthNumber" = 70000 AND "CCNumber" = 7)"), "Volume");
    EXPECT_EQ(text(R"(SELECT "SynthName" FROM "synths" WHERE "SynthNumber" = 70000)"), "Bigger");
    EXPECT_EQ(count(R"(SELECT count(*) FROM "synths" WHERE "SynthNumber" = 70000 % 65536)"), 0);
}

TEST_F(SynthTreeTest, AHighSynthNumberIsListedAndEditedBesideImports)
{
    constexpr int kHigh = 0xF00001;
    sql(R"(INSERT INTO "synths" VALUES (15728641, 'High', 8, ''); INSERT INTO "CC" VALUES (15728641, 7, 'Vol');)");
    SynthTree tree = SynthTree::load(*m_db);
    PatchList list;
    list.controllers = {{7, "Imported"}};
    std::vector<SynthItem*> imports;
    for (int i = 0; i < 1000; ++i)
        imports.push_back(&tree.addImported("Import " + std::to_string(i), list));
    std::set<int> importKeys;
    for (const SynthItem* item : imports)
        importKeys.insert(item->key());
    EXPECT_EQ(importKeys.size(), imports.size());

    SynthItem* high = nullptr;
    for (const auto& synth : tree.root().children())
        high = synth->name() == "High" ? synth.get() : high;
    ASSERT_NE(high, nullptr) << "a stored synthesizer numbered that high is listed";
    EXPECT_EQ(high->key(), kHigh);
    EXPECT_TRUE(SynthTree::isStoredSynthKey(kHigh));
    EXPECT_FALSE(importKeys.contains(kHigh));
    SynthItem& volume = *tree.group(*high, SynthGroup::Controllers)->child(0);
    EXPECT_EQ(tree.applyEdit(volume, 7, "Volume"), std::nullopt);
    tree.editSynth(*high, "Higher", kTechGsReset, "");
    tree.editSynth(*imports.front(), "Import 0", kTechXgReset, "");
    tree.writeBack(*m_db);

    EXPECT_EQ(text(R"(SELECT "SynthName" FROM "synths" WHERE "SynthNumber" = 15728641)"), "Higher");
    EXPECT_EQ(count(R"(SELECT "Technology" FROM "synths" WHERE "SynthNumber" = 15728641)"), kTechGsReset);
    EXPECT_EQ(text(R"(SELECT "CCName" FROM "CC" WHERE "SynthNumber" = 15728641 AND "CCNumber" = 7)"), "Volume");
    EXPECT_EQ(count(R"(SELECT "Technology" FROM "synths" WHERE "SynthName" = 'Import 0')"), kTechXgReset);
    EXPECT_EQ(count(R"(SELECT count(*) FROM "synths" WHERE "SynthName" LIKE 'Import %')"), 1000);
    EXPECT_EQ(count(R"(SELECT count(*) FROM "CC" JOIN "synths" USING ("SynthNumber") )"
                    R"(WHERE "SynthName" LIKE 'Import %' AND "CCName" = 'Imported')"), 1000);
}

TEST_F(SynthTreeTest, ADatabaseErrorRollsEverythingBackAndOkCanBeTriedAgain)
{
    m_tree.remove(synthNamed("General MIDI"));
    m_tree.remove(numbered(group(SynthGroup::Patches), 0));
    SynthItem* cc = m_tree.add(&group(SynthGroup::Controllers));
    ASSERT_EQ(m_tree.applyEdit(*cc, 2, "Breath"), std::nullopt);
    m_tree.editSynth(synthNamed("Module"), "Renamed", 8, "");
    sql(R"(CREATE TRIGGER "refuse" BEFORE INSERT ON "CC" BEGIN SELECT RAISE(ABORT, 'disk full'); END;)");
    const auto rows = [&] {
        return std::to_string(count(R"(SELECT count(*) FROM "patches")")) + " "
               + std::to_string(count(R"(SELECT count(*) FROM "drums")")) + " "
               + text(R"(SELECT group_concat("SynthName") FROM "synths")");
    };
    const std::string before = rows();
    EXPECT_THROW(m_tree.writeBack(*m_db), SqliteError);
    EXPECT_EQ(rows(), before);
    sql(R"(DROP TRIGGER "refuse")");
    m_tree.writeBack(*m_db);
    EXPECT_EQ(text(R"(SELECT group_concat("SynthName") FROM "synths")"), "Renamed");
    EXPECT_EQ(text(R"(SELECT "CCName" FROM "CC" WHERE "SynthNumber" = 5 AND "CCNumber" = 2)"), "Breath");
}

TEST_F(SynthTreeTest, ALoadingErrorIsThrown)
{
    sql(R"(DROP TABLE "NRPN")");
    EXPECT_THROW(SynthTree::load(*m_db), SqliteError);
}

TEST_F(SynthTreeTest, ExportedNamesImportAsANewSynth)
{
    const PatchList list = m_tree.exportSynth(synthNamed("Module"));
    const PatchListReading read = readPatchList(writePatchList(list));
    SynthItem& copy = m_tree.addImported("Copy", read.list);
    EXPECT_EQ(labels(*m_tree.group(copy, SynthGroup::Patches)), labels(group(SynthGroup::Patches)));
    EXPECT_EQ(labels(*m_tree.group(copy, SynthGroup::Patches)->child(0)),
              labels(numbered(group(SynthGroup::Patches), 0)));
    EXPECT_EQ(labels(*m_tree.group(copy, SynthGroup::Drumsets)->child(0)),
              labels(numbered(group(SynthGroup::Drumsets), 0)));
    EXPECT_EQ(labels(*m_tree.group(copy, SynthGroup::Controllers)), labels(group(SynthGroup::Controllers)));
    EXPECT_EQ(labels(*m_tree.group(copy, SynthGroup::Nrpn)), labels(group(SynthGroup::Nrpn)));
}

TEST_F(SynthTreeTest, ButtonsAndRemoveQuestionsFollowTheSelection)
{
    struct Case {
        SynthItem* item;
        const char* add;
        const char* remove;
        bool removeEnabled;
        const char* question;
    } cases[] = {
        {&synthNamed("Module"), "Import synth", "Remove synth", true, "Synth: Module"},
        {&group(SynthGroup::Nrpn), "Insert NRPN", "Remove", false, nullptr},
        {&numbered(group(SynthGroup::Patches), 0), "Insert patch", "Remove bank", true, "Bank 0 (0/0): Pianos"},
        {&numbered(group(SynthGroup::Drumsets), 0), "Insert note", "Remove drumset", true, "Drumset Bank 0 (0/0), PC1: Kit"},
        {&numbered(group(SynthGroup::Controllers), 3), "Insert CC", "Remove CC", true, "CC 3: Three"},
    };
    for (const auto& c : cases) {
        const SynthTreeButtons buttons = m_tree.buttonsFor(c.item);
        EXPECT_EQ(buttons.add, c.add);
        EXPECT_EQ(buttons.remove, c.remove);
        EXPECT_EQ(buttons.removeEnabled, c.removeEnabled);
        EXPECT_EQ(buttons.exportEnabled, c.item->kind() == SynthItemKind::Synth);
        EXPECT_EQ(m_tree.removeQuestion(*c.item),
                  c.question ? "Are you sure that you want to delete " + std::string(c.question) + "?" : "");
    }
}

TEST_F(SynthTreeTest, TheSchemaTreeEditsOnlyTheNotationOfNumberedNotes)
{
    const std::vector<DrumSchemaSynth> synths = m_tree.drumSets();
    ASSERT_EQ(synths.size(), 2u);
    EXPECT_EQ(synths[1].label, "Module");
    EXPECT_EQ(synths[1].drumSets, (std::vector<std::string>{"Bank 0 (0/0), PC1: Kit"}));
    SynthItem& kit = numbered(group(SynthGroup::Drumsets), 0);
    SynthItem& hat = numbered(kit, 42);
    const DrumSetRef ref{1, 0};
    EXPECT_EQ(m_tree.drumSetOf(kit), ref);
    EXPECT_EQ(m_tree.drumSetOf(hat), ref);
    EXPECT_EQ(m_tree.drumSetOf(group(SynthGroup::Drumsets)), std::nullopt);

    const std::vector<DrumSchemaNote> notes = m_tree.drumNotes(ref);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[1].note, 42);
    EXPECT_EQ(notes[1].name, "Hat");
    EXPECT_EQ(notes[1].word, hat.data());

    // The note number and the kind tag are the tree's, whatever the word says.
    const DrumNotation drawn{1, -8, 3, 1};
    EXPECT_TRUE(m_tree.setWord(ref, notes[1].index, 0x7F000055u | packDrumNotation(drawn)));
    EXPECT_EQ(hat.number(), 42);
    EXPECT_EQ(hat.kind(), SynthItemKind::DrumNote);
    EXPECT_TRUE(hat.modified());
    EXPECT_EQ(unpackDrumNotation(hat.data()), drawn);
    EXPECT_FALSE(m_tree.setWord(ref, 99, 0));
    EXPECT_FALSE(m_tree.setWord(DrumSetRef{1, 1}, 0, 0));
    EXPECT_TRUE(m_tree.drumNotes(DrumSetRef{2, 0}).empty());

    m_tree.writeBack(*m_db);
    EXPECT_EQ(text(R"(SELECT "NoteHead" || ' ' || "NoteOffset" || ' ' || "NoteCircle" || ' ' || "Articulation" )"
                   R"(FROM "drums" WHERE "SynthNumber" = 5 AND "NoteNumber" = 42)"),
              "1 -8 3 1");
}

TEST(PatchNumberEntry, FormsFollowTheUpperBound)
{
    EXPECT_EQ(formatEditNumber(-1, 127), "");
    EXPECT_EQ(formatEditNumber(5, 128), "5");
    EXPECT_EQ(formatEditNumber(300, 16383), "300 (2/44)");
    EXPECT_EQ(formatEditNumber(129 * 128 + 4, 0x1FFFFF), "129 (1/1), 5");
}

TEST(PatchNumberEntry, TypedNumbersAreReadAndClamped)
{
    struct Case {
        const char* text;
        int lower, upper, number;
    } cases[] = {
        {"", 0, 127, -1},         {"42", 0, 127, 42},         {"200", 0, 127, 127},
        {"0", 1, 128, 1},         {"2/44", 0, 16383, 300},    {"300 (2/44)", 0, 16383, 300},
        {"129 (1/1), 5", 0, 0x1FFFFF, 129 * 128 + 4},         {"1/1, 1", 0, 0x1FFFFF, 129 * 128},
        {"3, 0", 0, 0x1FFFFF, 384}, {"99999999999999999999", 0, 16383, 16383}, {"abc", 0, 127, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseEditNumber(c.text, c.lower, c.upper), c.number) << c.text;
}

} // namespace
} // namespace rz
