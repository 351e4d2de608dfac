// The percussion schema's edits on item words: each field through the
// packing, the rest of the word kept, and the whole-set resets and copies.

#include "staff/model/perc_schema_model.h"

#include "tests/support/fake_drum_schema_tree.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr DrumSetRef kKit{0, 0};
constexpr DrumSetRef kOther{0, 1};

// A kit with notes 36, 42 and 70, and a second set with only 36.
FakeDrumSchemaTree twoKits()
{
    FakeDrumSchemaTree tree;
    tree.synths = {{"Module",
                    {{"Kit",
                      {FakeDrumSchemaTree::note(0, 36, "Kick", DrumNotation{0, -3, 0, 0}),
                       FakeDrumSchemaTree::note(1, 42, "Hat", DrumNotation{1, 0, 0, 0}),
                       FakeDrumSchemaTree::note(2, 70, "Maracas", DrumNotation{3, 4, 2, 1})}},
                     {"Room", {FakeDrumSchemaTree::note(0, 36, "Kick", DrumNotation{3, 7, 3, 1})}}}}};
    return tree;
}

TEST(PercSchemaModel, EachFieldIsWrittenAloneAndHeldToItsRange)
{
    // A word with stray bits beside the fields: 17-19 and 23, and the tag.
    constexpr uint32_t kStray = 0x008E0000u;
    const struct Case {
        const char* what;
        void (*edit)(PercSchemaModel&);
        DrumNotation expected;
    } kCases[] = {
        {"offset 40", [](PercSchemaModel& m) { m.setOffset(0, 40); }, DrumNotation{3, 23, 2, 1}},
        {"offset -20", [](PercSchemaModel& m) { m.setOffset(0, -20); }, DrumNotation{3, -8, 2, 1}},
        {"offset 17", [](PercSchemaModel& m) { m.setOffset(0, 17); }, DrumNotation{3, 17, 2, 1}},
        {"plus", [](PercSchemaModel& m) { m.setCircle(0, 2); }, DrumNotation{3, 4, 2, 1}},
        {"bisected circle", [](PercSchemaModel& m) { m.setCircle(0, 3); }, DrumNotation{3, 4, 3, 1}},
        {"no circle", [](PercSchemaModel& m) { m.setCircle(0, 0); }, DrumNotation{3, 4, 0, 1}},
        {"square", [](PercSchemaModel& m) { m.setHead(0, 1); }, DrumNotation{1, 4, 2, 1}},
        {"no articulation", [](PercSchemaModel& m) { m.setArticulation(0, false); }, DrumNotation{3, 4, 2, 0}},
    };
    for (const Case& c : kCases) {
        FakeDrumSchemaTree tree;
        DrumSchemaNote note = FakeDrumSchemaTree::note(5, 70, "Maracas", DrumNotation{3, 4, 2, 1});
        note.word |= kStray;
        tree.synths = {{"Module", {{"Kit", {note}}}}};
        PercSchemaModel model(tree, kKit);
        c.edit(model);
        const uint32_t word = tree.wordOf(kKit, 70);
        EXPECT_EQ(unpackDrumNotation(word), c.expected) << c.what;
        EXPECT_EQ(model.notation(0), c.expected) << c.what;
        EXPECT_EQ(word & 0xFFu, 70u) << c.what;
        EXPECT_EQ(word & 0x7F000000u, FakeDrumSchemaTree::kDrumNoteTag) << c.what;
        EXPECT_EQ(word & kStray, kStray) << c.what << ": bits beside the field";
        EXPECT_NE(word & kDrumItemChanged, 0u) << c.what;
    }
}

TEST(PercSchemaModel, GmDefaultsKeepTheNoteAndTagAndResetTheRest)
{
    FakeDrumSchemaTree tree = twoKits();
    PercSchemaModel model(tree, kKit);
    model.setGmDefaults();
    EXPECT_EQ(model.notation(0), *gmDrumNotation(36));
    EXPECT_EQ(model.notation(1), (DrumNotation{4, 5, 1, 0})) << "a circled X, no articulation";
    EXPECT_EQ(model.notation(2), (DrumNotation{2, -6, 0, 0})) << "a note without a GM entry";
    EXPECT_EQ(model.head(2), 2);
    EXPECT_EQ(model.head(1), 8 + 4);
    for (const int note : {36, 42, 70}) {
        const uint32_t word = tree.wordOf(kKit, note);
        EXPECT_EQ(word & 0xFFu, uint32_t(note));
        EXPECT_EQ(word & 0xFF000000u, FakeDrumSchemaTree::kDrumNoteTag | kDrumItemChanged);
    }
    EXPECT_EQ(tree.wordOf(kOther, 36), twoKits().wordOf(kOther, 36)) << "the other set is not touched";
}

TEST(PercSchemaModel, CopyingTakesTheSameNoteOrTheTriangleBelow)
{
    FakeDrumSchemaTree tree = twoKits();
    PercSchemaModel model(tree, kKit);
    model.copyFrom(kOther);
    EXPECT_EQ(model.notation(0), (DrumNotation{3, 7, 3, 1}));
    EXPECT_EQ(model.notation(1), kOtherDrumNotation);
    EXPECT_EQ(model.notation(2), kOtherDrumNotation);
    EXPECT_EQ(tree.writes, 3);
    EXPECT_EQ(unpackDrumNotation(tree.wordOf(kKit, 42)), (DrumNotation{2, -6, 0, 0}));
}

TEST(PercSchemaModel, RowsFollowTheTreeAndFindTheItemToSelect)
{
    FakeDrumSchemaTree tree = twoKits();
    PercSchemaModel model(tree, kKit);
    ASSERT_EQ(model.rowCount(), 3u);
    EXPECT_EQ(model.row(1).name, "Hat");
    EXPECT_EQ(model.rowOfItem(2), 2u);
    EXPECT_EQ(model.rowOfItem(7), std::nullopt);
    PercSchemaModel missing(tree, DrumSetRef{3, 0});
    EXPECT_EQ(missing.rowCount(), 0u);
}

} // namespace
} // namespace rz
