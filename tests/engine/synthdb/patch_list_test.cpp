#include <gtest/gtest.h>

#include "engine/synthdb/patch_list.h"
#include "engine/synthdb/synth_db_seed.h"
#include "synth_db_fixture.h"

namespace rz {
namespace {

std::vector<std::string> patchNames(const PatchListBank& bank)
{
    std::vector<std::string> names;
    for (const auto& patch : bank.patches)
        names.push_back(std::to_string(patch.number) + ":" + patch.name + "|" + patch.category);
    return names;
}

std::vector<std::string> noteNames(const PatchListDrumset& drumset)
{
    std::vector<std::string> names;
    for (const auto& note : drumset.notes)
        names.push_back(std::to_string(note.number) + ":" + note.name);
    return names;
}

PatchList sampleList()
{
    PatchList list;
    list.banks.push_back({0, "Piano", {{0, "Grand", "Keys"}, {5, "E.Piano", ""}}});
    list.banks.push_back({129, "Strings (1/1)", {{127, "Tutti", "Str"}}});
    list.banks.push_back({300, "Empty", {}});
    list.drumsets.push_back({0, 0, "Standard", {{36, "Kick", {}}, {42, "Closed Hat", {}}}});
    list.drumsets.push_back({5, 25, "Brush", {{38, "Swirl", {}}}});
    list.controllers = {{0, "Bank"}, {7, "Volume"}};
    list.nrpns = {{0, "Zero"}, {16383, "Top"}};
    return list;
}

TEST(PatchList, WrittenListReadsBackWithDefaultNotation)
{
    const std::string text = writePatchList(sampleList());
    EXPECT_EQ(text.find("Empty"), std::string::npos) << "an empty bank leaves no trace";
    EXPECT_NE(text.find("[Bank 129 (1/1): Strings (1/1)]\n127=Tutti [Str]\n"), std::string::npos);
    EXPECT_NE(text.find("[Drum 5/25: Brush]\n38=Swirl\n"), std::string::npos);

    const PatchListReading read = readPatchList(text);
    EXPECT_TRUE(read.messages.empty());
    ASSERT_EQ(read.list.banks.size(), 2u);
    EXPECT_EQ(read.list.banks[0].name, "Piano");
    EXPECT_EQ(patchNames(read.list.banks[0]), (std::vector<std::string>{"0:Grand|Keys", "5:E.Piano|"}));
    EXPECT_EQ(read.list.banks[1].number, 129);
    EXPECT_EQ(read.list.banks[1].name, "Strings (1/1)");
    EXPECT_EQ(patchNames(read.list.banks[1]), (std::vector<std::string>{"127:Tutti|Str"}));
    ASSERT_EQ(read.list.drumsets.size(), 2u);
    EXPECT_EQ(read.list.drumsets[1].key(), 5 * 128 + 25);
    EXPECT_EQ(noteNames(read.list.drumsets[0]), (std::vector<std::string>{"36:Kick", "42:Closed Hat"}));
    EXPECT_EQ(read.list.drumsets[0].notes[1].notation, defaultDrumNotation(42));
    EXPECT_EQ(read.list.controllers.size(), 2u);
    EXPECT_EQ(read.list.nrpns.back().number, 16383);
    EXPECT_EQ(read.list.nrpns.back().name, "Top");
}

TEST(PatchList, SynthNameDropsOneTxtEndingInAnyCase)
{
    const std::pair<const char*, const char*> cases[] = {
        {"/home/u/Synths/Module.TXT", "Module"}, {"x.txt.txt", "x.txt"}, {"Sound.Txt", "Sound"},
        {"plain", "plain"}, {"list.text", "list.text"}, {".txt", ""},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(patchListSynthName(path), name) << path;
}

TEST(PatchList, PatchValuesLoseARepeatedNumberUnlessItIsZero)
{
    const std::pair<const char*, const char*> cases[] = {
        {"007: Piano", "Piano"}, {"0: Piano", "0: Piano"}, {"Piano", "Piano"},
        {"12 - Organ", "12 - Organ"},  // no colon: kept
        {"3:\xC3\x89lan", "\xC3\x89lan"}, // a name in another script keeps its first letter
        {"  Pad  ", "Pad"}, {"5: [Kit]", "Kit]"},
    };
    for (const auto& [value, name] : cases) {
        const auto read = readPatchList(std::string("[Bank 0: B]\n4=") + value + "\n");
        ASSERT_EQ(read.list.banks.size(), 1u) << value;
        ASSERT_EQ(read.list.banks[0].patches.size(), 1u) << value;
        EXPECT_EQ(read.list.banks[0].patches[0].name, name) << value;
    }
    const auto empty = readPatchList("[Bank 0: B]\n4=  \n5=12:\n");
    EXPECT_TRUE(empty.list.banks[0].patches.empty());
}

TEST(PatchList, BankHeadersInLongAndShortForm)
{
    const auto read = readPatchList("[Bank 129 (1/1): Long]\n0=A\n[Bank 7: Short]\n0=B\n"
                                    "[Bank 9 odd text: Odd]\n0=C\n[Bank 99999: Huge]\n0=D\n");
    ASSERT_EQ(read.list.banks.size(), 3u);
    EXPECT_EQ(read.list.banks[0].number, 7);
    EXPECT_EQ(read.list.banks[0].name, "Short");
    EXPECT_EQ(read.list.banks[1].number, 9);
    EXPECT_EQ(read.list.banks[1].name, "Odd");
    EXPECT_EQ(read.list.banks[2].number, 129);
    EXPECT_EQ(read.list.banks[2].name, "Long");
}

TEST(PatchList, BasedOnCopiesAnEarlierDrumsetAndMergesInNoteOrder)
{
    const auto read = readPatchList("[Drum 0/0: Standard]\n36=Kick\n38=Snare\n42=Hat\n"
                                    "[Drum 0/8: Room]\nBasedOn=Drum0/0\n38=Room Snare\n40=Rim\n30=Low\n"
                                    "[Drum 0/9: Self]\nBasedOn=Drum0/9\n50=Tom\n"
                                    "[Drum 0/10: Ahead]\nBasedOn=Drum0/11\n51=Ride\n"
                                    "[Drum 0/11: Later]\n52=China\n"
                                    "[Drum 0/12: Short]\nBasedOn=0/0\n");
    ASSERT_EQ(read.list.drumsets.size(), 6u);
    EXPECT_EQ(noteNames(read.list.drumsets[1]),
              (std::vector<std::string>{"30:Low", "36:Kick", "38:Room Snare", "40:Rim", "42:Hat"}));
    EXPECT_EQ(noteNames(read.list.drumsets[2]), (std::vector<std::string>{"50:Tom"}));
    EXPECT_EQ(noteNames(read.list.drumsets[3]), (std::vector<std::string>{"51:Ride"}));
    EXPECT_TRUE(read.list.drumsets[5].notes.empty());
}

TEST(PatchList, UnknownSectionsAreReportedAndTheirLinesSkipped)
{
    const auto read = readPatchList("1=before any section\n[Nrpn]\n5=Cutoff\n[Misc] x\n[NRPN]\n6=Res\n");
    EXPECT_EQ(read.messages, (std::vector<std::string>{"Unknown section type: Nrpn", "Unknown section type: Misc"}));
    ASSERT_EQ(read.list.nrpns.size(), 1u);
    EXPECT_EQ(read.list.nrpns[0].name, "Res");
}

TEST(PatchList, NumbersOutOfRangeAreSkipped)
{
    const auto read = readPatchList("[NRPN]\n20000=Far\n16383=Top\n-1=Neg\n"
                                    "[Controllers]\n300=Wide\n127=Poly\n"
                                    "99999999999999999999999999999999999999999=Huge\n"
                                    "[Bank 0: B]\n128=Past\n"
                                    "[Drum 0/0: D]\n128=Past\n200=Far\n"
                                    "[Drum 0/200: Bad program]\n36=Kick\n");
    ASSERT_EQ(read.list.nrpns.size(), 1u);
    EXPECT_EQ(read.list.nrpns[0].number, 16383);
    ASSERT_EQ(read.list.controllers.size(), 1u);
    EXPECT_EQ(read.list.controllers[0].number, 127);
    EXPECT_TRUE(read.list.banks[0].patches.empty());
    ASSERT_EQ(read.list.drumsets.size(), 1u);
    EXPECT_TRUE(read.list.drumsets[0].notes.empty());
}

TEST(PatchList, LinesEndInCrLfOrLfAndLongOnesComeInPieces)
{
    const std::string longName(300, 'a');
    std::string text = "[Controllers]\r\n1=Mod\r\n2=" + longName + "\n3=Bre";
    text += '\0';
    text += "ath\n[NRPN]]junk\r\n4=x=y\n";
    const auto read = readPatchList(text);
    ASSERT_EQ(read.list.controllers.size(), 3u);
    EXPECT_EQ(read.list.controllers[0].name, "Mod");
    EXPECT_EQ(read.list.controllers[1].name, std::string(253, 'a'));
    EXPECT_EQ(read.list.controllers[2].name, "Bre");
    ASSERT_EQ(read.list.nrpns.size(), 1u);
    EXPECT_EQ(read.list.nrpns[0].name, "x=y");
}

TEST(PatchList, FilesAreWrittenWholeAndAnUnreadableOneIsRefused)
{
    SynthDbTempDir dir;
    std::string reason;
    ASSERT_TRUE(writePatchListFile(dir.file("Module.txt"), sampleList(), reason)) << reason;
    EXPECT_EQ(readBytes(dir.file("Module.txt")), writePatchList(sampleList()));
    EXPECT_EQ(readPatchListFile(dir.file("Module.txt"), reason)->list.banks.size(), 2u);

    EXPECT_FALSE(readPatchListFile(dir.file("none.txt"), reason));
    EXPECT_EQ(reason, "cannot open: No such file or directory");
    EXPECT_FALSE(writePatchListFile(dir.file("no/such/folder.txt"), sampleList(), reason));
    EXPECT_FALSE(reason.empty());
}

} // namespace
} // namespace rz
