// The track dialog's rules without Qt: typed banks and patches, the lists a
// synthesizer gives, the channel texts and the row that hears previews.

#include "dialogs/track_props_model.h"

#include "tests/dialogs/track_props_fixture.h"
#include "tests/support/fake_track_rows.h"

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

namespace rz {
namespace {

const BankStyle kNormal{0};
const BankStyle kMsbOnly{kOldTechnology};

std::vector<std::string> textsOf(const std::vector<ComboItem>& items)
{
    std::vector<std::string> texts;
    for (const ComboItem& item : items)
        texts.push_back(item.text);
    return texts;
}

TEST(TrackPropsModel, TypedBanksReadAsMsbAndLsb)
{
    const struct {
        const char* typed;
        BankStyle style;
        int32_t bank;
    } cases[] = {
        {"2/3", kNormal, 259},      {"2", kMsbOnly, 256},      {"200/0", kNormal, -1},
        {"", kNormal, -1},          {"  ", kNormal, -1},       {"7", kNormal, 7},
        {"127/127", kNormal, 16383}, {"128/0", kNormal, -1},   {"-1", kNormal, -1},
        {"127", kMsbOnly, 16256},   {"128", kMsbOnly, -1},     {"99999999999", kNormal, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseBankText(c.typed, c.style), c.bank) << c.typed;
}

TEST(TrackPropsModel, TypedPatchesCountFromTheSynthsBaseOrFilter)
{
    const struct {
        const char* typed;
        BankStyle style;
        int32_t patch;
        const char* filter;
    } cases[] = {
        {"0", kNormal, -1, ""},   {"1", kNormal, 0, ""},     {"128", kNormal, 127, ""},
        {"129", kNormal, -1, ""}, {"0", kMsbOnly, 0, ""},    {"127", kMsbOnly, 127, ""},
        {"-", kNormal, -1, ""},   {" 12 ", kNormal, 11, ""}, {"", kNormal, -1, ""},
        {"piano", kNormal, -1, "piano"},
    };
    for (const auto& c : cases) {
        const TypedPatch typed = parsePatchText(c.typed, c.style);
        EXPECT_EQ(typed.patch, c.patch) << c.typed;
        EXPECT_EQ(typed.filter, c.filter) << c.typed;
    }
}

TEST(TrackPropsModel, ListsBanksPatchesAndEachDrumSetOnce)
{
    const FakeSynthLookup synths = trackDialogSynths();
    const SynthPatches patches = listSynthPatches(&synths, kNormalSynth);
    const PatchLists lists = buildPatchLists(patches, false, kNormal, false, "");
    EXPECT_EQ(textsOf(lists.banks), (std::vector<std::string>{"0 (0/0): Capital", "259 (2/3): Variation",
                                                               "128 (1/0): Drumsets"}));
    EXPECT_EQ(textsOf(lists.allPatches),
              (std::vector<std::string>{"Bright PIANO [Keys] (Capital)", "Grand Piano [Keys] (Capital)",
                                        "Nylon Guitar [Guitar] (Capital)", "Power [DRUMSET]",
                                        "Rock Piano (Variation)", "Standard [DRUMSET]"}));
    const auto rock = std::find_if(lists.allPatches.begin(), lists.allPatches.end(),
                                   [](const ComboItem& item) { return item.text.starts_with("Rock"); });
    EXPECT_EQ(rock->data, 259 * 128 + 5);

    const PatchLists byCategory = buildPatchLists(patches, false, kNormal, true, "");
    EXPECT_EQ(textsOf(byCategory.allPatches),
              (std::vector<std::string>{"DRUMSET: Power", "DRUMSET: Standard", "Guitar: Nylon Guitar (Capital)",
                                        "Keys: Bright PIANO (Capital)", "Keys: Grand Piano (Capital)",
                                        "Rock Piano (Variation)"}));

    const PatchLists old = buildPatchLists(listSynthPatches(&synths, kOldSynth), false, kMsbOnly, false, "");
    EXPECT_EQ(textsOf(old.banks), (std::vector<std::string>{"2: Second"}));
}

TEST(TrackPropsModel, AFilterKeepsMatchingPatchesInAnyCase)
{
    const FakeSynthLookup synths = trackDialogSynths();
    const PatchLists lists = buildPatchLists(listSynthPatches(&synths, kNormalSynth), false, kNormal, false, "piano");
    EXPECT_EQ(textsOf(lists.allPatches),
              (std::vector<std::string>{"Bright PIANO [Keys] (Capital)", "Grand Piano [Keys] (Capital)",
                                        "Rock Piano (Variation)"}));
}

TEST(TrackPropsModel, ADrumChannelListsKitsByProgram)
{
    const FakeSynthLookup synths = trackDialogSynths();
    const SynthPatches patches = listSynthPatches(&synths, kNormalSynth);
    const PatchLists lists = buildPatchLists(patches, true, kNormal, false, "");
    EXPECT_EQ(textsOf(lists.banks), (std::vector<std::string>{"0 (0/0): Drumsets", "128 (1/0): Drumsets"}));
    EXPECT_EQ(textsOf(lists.allPatches), (std::vector<std::string>{"Power [DRUMSET]", "Standard [DRUMSET]"}));
    EXPECT_EQ(textsOf(patchItems(patches, 0, true, kNormal)), (std::vector<std::string>{"1", "17"}));
    EXPECT_EQ(textsOf(patchItems(patches, 0, false, kNormal)),
              (std::vector<std::string>{"1: Grand Piano", "2: Bright PIANO", "25: Nylon Guitar"}));
    EXPECT_EQ(textsOf(patchItems(listSynthPatches(&synths, kOldSynth), 256, false, kMsbOnly)),
              (std::vector<std::string>{"0: Organ"}));
}

TEST(TrackPropsModel, WithoutADatabaseOrSynthTheListsAreEmpty)
{
    const FakeSynthLookup synths = trackDialogSynths();
    for (const SynthPatches& patches : {listSynthPatches(nullptr, kNormalSynth), listSynthPatches(&synths, -1),
                                        listSynthPatches(&synths, 9)}) {
        const PatchLists lists = buildPatchLists(patches, false, kNormal, false, "");
        EXPECT_TRUE(lists.banks.empty());
        EXPECT_TRUE(lists.allPatches.empty());
    }
}

TEST(TrackPropsModel, PortsAndChannelsNameTheirSynthAndDrums)
{
    TrackDialogSong s;
    const OutPortInfo first = outPortInfo(s.fixture.profile, &s.synths, 0);
    EXPECT_EQ(first.name, "Synth A");
    const std::vector<std::string> channels = channelTexts(first);
    ASSERT_EQ(channels.size(), 16u);
    EXPECT_EQ(channels[0], "1:  Sound Module ");
    EXPECT_EQ(channels[9], "10:  Sound Module (drums)");
    const OutPortInfo unset = outPortInfo(s.fixture.profile, &s.synths, 5);
    EXPECT_EQ(unset.name, "<undefined>");
    EXPECT_EQ(channelTexts(unset)[0], "1:  <undefined> ");
    EXPECT_EQ(outPortInfo(s.fixture.profile, &s.synths, 1).technology, kOldTechnology);
    EXPECT_EQ(outPortTexts(s.fixture.profile)[1], "1: Synth B");
    EXPECT_EQ(outPortTexts(s.fixture.profile)[2], "2: <undefined>");
    EXPECT_EQ(inPortTexts(s.fixture.profile)[2], "2: Keyboard");
}

TEST(TrackPropsModel, PreviewsGoToTheCurrentOrOnlySelectedUserTrack)
{
    const struct {
        const char* what;
        int current;
        bool cellMode;
        std::set<int> selected;
        int row;
    } cases[] = {
        {"cell mode", 2, true, {}, 2},
        {"cell mode on the conductor", 0, true, {}, -1},
        {"cell mode on the empty track", 4, true, {}, -1},
        {"cell mode past the end falls back to the selection", 9, true, {3}, 3},
        {"one selected row", 1, false, {3}, 3},
        {"two selected rows", 1, false, {2, 3}, -1},
        {"none selected", 1, false, {}, -1},
    };
    for (const auto& c : cases) {
        FakeTrackRows rows;
        rows.current = c.current;
        rows.currentOnly = c.cellMode;
        rows.selected = c.selected;
        EXPECT_EQ(previewTrackRow(&rows, 5), c.row) << c.what;
    }
    EXPECT_EQ(previewTrackRow(nullptr, 5), -1);
}

} // namespace
} // namespace rz
