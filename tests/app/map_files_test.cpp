// Map files as the accelerator and control maps dialogs export and import
// them, and the merge of an imported file into the maps being edited.
#include "app/map_file.h"
#include "app/map_transfer.h"
#include "core/profile.h"
#include "tests/support/scripted_prompt.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

NamedMap accelMap(std::string name, uint16_t command)
{
    return {std::move(name), {9, 0, 'R', 0, uint8_t(command), uint8_t(command >> 8)}};
}

std::vector<NamedMap> readBack(const std::vector<uint8_t>& bytes, size_t recordBytes = 6)
{
    std::string reason;
    auto maps = readMapFile(bytes, recordBytes, reason);
    EXPECT_TRUE(maps) << reason;
    return maps.value_or(std::vector<NamedMap>{});
}

TEST(MapFiles, NamesOfEveryPrefixFormRoundTripInReverseOrder)
{
    for (const size_t length : {size_t(0), size_t(254), size_t(255), size_t(70000)}) {
        const std::vector<NamedMap> maps{accelMap(std::string(length, 'n'), 32840),
                                         accelMap("Second", 32817)};
        const std::vector<uint8_t> bytes = writeMapFile(maps, 6);
        const std::vector<NamedMap> read = readBack(bytes);
        ASSERT_EQ(read.size(), 2u) << length;
        EXPECT_EQ(read[0], maps[1]) << "the last map is written first";
        EXPECT_EQ(read[1], maps[0]) << length;
    }
}

TEST(MapFiles, ControlMapsKeepFourByteEntries)
{
    const std::vector<NamedMap> maps{{"MIDI", {12, 60, 0, 0x05, 7, 0, 0xB0, 0x10}}};
    EXPECT_EQ(readBack(writeMapFile(maps, 4), 4), maps);
}

TEST(MapFiles, BadFilesAreRefusedWithAReason)
{
    const std::vector<uint8_t> good = writeMapFile(std::vector{accelMap("Mine", 32840)}, 6);
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* reasonFragment;
    };
    std::vector<Case> cases{
        {"empty", {}, "header"},
        {"wide-character name", {1, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFE, 0xFF, 2, 0, 'a', 0, 'b', 0,
                                 0, 0, 0, 0},
         "wide"},
        {"map count beyond the file", {1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0, 0},
         "exceed"},
        {"record count beyond the file", {1, 0, 0, 0, 1, 0, 0, 0, 1, 'M', 0xFF, 0xFF, 0xFF, 0x0F,
                                          0, 0, 0, 0, 0, 0},
         "exceed"},
        {"truncated", {good.begin(), good.end() - 1}, "exceed"},
        {"name cut short", {1, 0, 0, 0, 1, 0, 0, 0, 9, 'a', 'b', 'c', 'd', 0, 0}, "map name"},
    };
    for (const Case& c : cases) {
        std::string reason;
        EXPECT_FALSE(readMapFile(c.bytes, 6, reason)) << c.what;
        EXPECT_NE(reason.find(c.reasonFragment), std::string::npos) << c.what << ": " << reason;
    }
}

TEST(MapFiles, ImportSkipsTheBuiltInMapAndAsksBeforeOverwriting)
{
    ScriptedPrompt prompt;
    std::vector<NamedMap> maps{accelMap("Default", 1), accelMap("Live", 2)};
    const std::vector<NamedMap> imported{accelMap("default", 3), accelMap("LIVE", 4),
                                         accelMap("Rehearsal", 5)};
    prompt.expectYesNo("Map 'LIVE' already exists.  Overwrite?", PromptAnswer::Yes);
    EXPECT_EQ(mergeImportedMaps(maps, imported, "Default", prompt), 2u);
    const std::vector<NamedMap> expected{accelMap("Default", 1), {"Live", accelMap("", 4).records},
                                         accelMap("Rehearsal", 5)};
    EXPECT_EQ(maps, expected);
}

TEST(MapFiles, NoToEveryOverwriteLeavesAllMapsUnchanged)
{
    ScriptedPrompt prompt;
    std::vector<NamedMap> maps{accelMap("MIDI", 1), accelMap("Band", 2)};
    const std::vector<NamedMap> before = maps;
    prompt.expectYesNo("Map 'MIDI' already exists.", PromptAnswer::No);
    prompt.expectYesNo("Map 'Band' already exists.", PromptAnswer::No);
    EXPECT_EQ(mergeImportedMaps(maps, {accelMap("MIDI", 7), accelMap("Band", 8)}, "Default",
                                prompt),
              0u);
    EXPECT_EQ(maps, before);
}

TEST(MapFiles, ExportThenImportThroughTheChoosers)
{
    const std::filesystem::path folder =
        std::filesystem::path(testing::TempDir()) / "map_files_transfer";
    std::filesystem::create_directories(folder);
    const std::filesystem::path file = folder / "maps.dat";
    MemoryProfile profile;
    ScriptedPrompt prompt;
    const std::vector<NamedMap> exported{accelMap("Default", 1), accelMap("Live", 2)};
    prompt.expectSavePath("Export accelerator maps...", file);
    exportMaps(kAccelMapTransfer, exported, prompt, profile, "/nowhere");
    EXPECT_EQ(profile.readString("Dirs", "Accelmaps", ""), folder.string());

    std::vector<NamedMap> maps{accelMap("Default", 1)};
    prompt.expectOpenPath("Import accelerator maps...", file);
    EXPECT_TRUE(importMaps(kAccelMapTransfer, maps, prompt, profile, "/nowhere"));
    EXPECT_EQ(maps, exported) << "Default was not asked about";

    // A cut file is refused by name and changes nothing.
    const std::vector<uint8_t> whole = writeMapFile(exported, 6);
    std::filesystem::resize_file(file, whole.size() - 3);
    prompt.expectOpenPath("Import accelerator maps...", file);
    prompt.expectMessage(file.string() + ": ");
    maps = {accelMap("Default", 1)};
    EXPECT_FALSE(importMaps(kAccelMapTransfer, maps, prompt, profile, "/nowhere"));
    EXPECT_EQ(maps, (std::vector<NamedMap>{accelMap("Default", 1)}));
    prompt.verifyAllUsed();
}

} // namespace
} // namespace rz
