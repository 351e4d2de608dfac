// The merge of an imported map file into the maps being edited.
#include "app/maps/map_transfer.h"
#include "core/map_file.h"
#include "core/profile.h"
#include "tests/support/scripted_prompt.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

NamedMap accelMap(std::string name, uint16_t command)
{
    return {std::move(name), {9, 0, 'R', 0, uint8_t(command), uint8_t(command >> 8)}};
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
