#include <gtest/gtest.h>

#include "engine/synthdb/patch_list_transfer.h"
#include "synth_db_fixture.h"
#include "tests/support/hostile_files.h"
#include "tests/support/scripted_prompt.h"

#include <unistd.h>

namespace rz {
namespace {

TEST(PatchListTransfer, ImportAsksForFilesAndAddsOneSynthEach)
{
    SynthDbTempDir dir;
    const auto folder = dir.path() / "Synths";
    writeBytes(dir.file("Module.TXT"), "[Controllers]\n7=Volume\n[Nrpn]\n1=x\n");
    ScriptedPrompt prompt;
    prompt.expectOpenPaths("Import patch list file(s)...", {dir.file("Module.TXT"), dir.file("Other.txt")});
    prompt.expectMessage("Unknown section type: Nrpn");
    writeBytes(dir.file("Other.txt"), "[Controllers]\n1=Mod\n");
    SynthTree tree;
    const auto added = importPatchLists(tree, prompt, folder);
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0]->name(), "Module");
    EXPECT_EQ(tree.group(*added[0], SynthGroup::Controllers)->children().size(), 1u);
    EXPECT_EQ(added[1]->name(), "Other");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(prompt.prompts().front().filter, "Patch list files (*.txt)");
    EXPECT_EQ(tree.titleFor(added[0]->child(0)), "Synthesizers [Module] ...");
    EXPECT_EQ(tree.titleFor(nullptr), "Synthesizers...");
}

TEST(PatchListTransfer, AnUnreadableListSaysWhyAndAddsNothing)
{
    SynthDbTempDir dir;
    const auto loop = dir.file("loop.txt");
    std::filesystem::create_symlink(loop, loop);
    const auto locked = dir.file("locked.txt");
    writeBytes(locked, "[Controllers]\n7=Volume\n");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    const auto huge = dir.file("huge.txt");
    MakeSparseFile(huge, 17u << 20);
    const auto fifo = dir.file("pipe.txt");
    MakeFifo(fifo);
    struct Case {
        std::filesystem::path path;
        const char* reason;
    };
    std::vector<Case> cases{
        {dir.file("missing.txt"), "No such file or directory"},
        {dir.path(), "not a regular file (a folder)"},
        {loop, "Too many levels of symbolic links"},
        {huge, "too large (over 16 MB)"},
        {fifo, "not a regular file"},
    };
    if (::geteuid() != 0) // the superuser reads any file
        cases.push_back({locked, "Permission denied"});
    for (const Case& c : cases) {
        ScriptedPrompt prompt;
        prompt.expectOpenPaths("Import", {c.path});
        prompt.expectMessage("The patch list \"" + c.path.string() + "\" cannot be read: ");
        SynthTree tree;
        std::vector<SynthItem*> added{nullptr};
        ASSERT_TRUE(ReturnsWithin([&] { added = importPatchLists(tree, prompt, dir.path()); }, {fifo})) << c.path;
        EXPECT_TRUE(added.empty()) << c.path;
        ASSERT_FALSE(prompt.prompts().empty());
        EXPECT_NE(prompt.prompts().back().text.find(c.reason), std::string::npos) << prompt.prompts().back().text;
    }
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
