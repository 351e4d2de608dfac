#include <gtest/gtest.h>

#include "engine/synthdb/patch_list_transfer.h"
#include "synth_db_fixture.h"
#include "tests/support/scripted_prompt.h"

namespace rz {
namespace {

TEST(PatchListTransfer, ImportAsksForFilesAndAddsOneSynthEach)
{
    SynthDbTempDir dir;
    const auto folder = dir.path() / "Synths";
    writeBytes(dir.file("Module.TXT"), "[Controllers]\n7=Volume\n[Nrpn]\n1=x\n");
    ScriptedPrompt prompt;
    prompt.expectOpenPaths("Import patch list file(s)...", {dir.file("Module.TXT"), dir.file("missing.txt")});
    prompt.expectMessage("Unknown section type: Nrpn");
    SynthTree tree;
    const auto added = importPatchLists(tree, prompt, folder);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0]->name(), "Module");
    EXPECT_EQ(tree.group(*added[0], SynthGroup::Controllers)->children().size(), 1u);
    EXPECT_EQ(added[1]->name(), "missing");
    EXPECT_TRUE(tree.group(*added[1], SynthGroup::Controllers)->children().empty());
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(prompt.prompts().front().filter, "Patch list files (*.txt)");
    EXPECT_EQ(tree.titleFor(added[0]->child(0)), "Synthesizers [Module] ...");
    EXPECT_EQ(tree.titleFor(nullptr), "Synthesizers...");
}

TEST(PatchListTransfer, ExportProposesTheSynthNameAndWritesTheFile)
{
    SynthDbTempDir dir;
    SynthTree tree;
    PatchList list;
    list.controllers = {{7, "Volume"}};
    const SynthItem& synth = tree.addImported("Module", list);
    ScriptedPrompt prompt;
    prompt.expectSavePath("Export patch list file...", dir.file("Out"));
    EXPECT_TRUE(exportPatchList(tree, synth, prompt, dir.path()));
    EXPECT_EQ(prompt.prompts().front().path, dir.file("Module.txt"));
    EXPECT_EQ(readBytes(dir.file("Out.txt")), "[Controllers]\n7=Volume\n");

    prompt.expectSavePath("Export", dir.path() / "gone" / "x.txt");
    prompt.expectMessage("cannot be written");
    EXPECT_FALSE(exportPatchList(tree, synth, prompt, dir.path()));
    prompt.expectSavePath("Export", std::nullopt);
    EXPECT_FALSE(exportPatchList(tree, synth, prompt, dir.path()));
}

} // namespace
} // namespace rz
