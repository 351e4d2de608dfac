#include "engine/synthdb/patch_list_transfer.h"

#include "engine/synthdb/patch_list.h"

#include <system_error>

namespace rz {

namespace {

void makeFolder(const std::filesystem::path& folder)
{
    std::error_code ignored; // a missing folder only leaves the chooser elsewhere
    std::filesystem::create_directories(folder, ignored);
}

// A name typed without an extension gets the patch lists' one.
std::filesystem::path withTxtExtension(std::filesystem::path path)
{
    if (!path.has_extension())
        path += ".txt";
    return path;
}

} // namespace

std::vector<SynthItem*> importPatchLists(SynthTree& tree, IPrompt& prompt, const std::filesystem::path& folder)
{
    makeFolder(folder);
    std::vector<SynthItem*> added;
    for (const auto& path : prompt.chooseOpenPaths(kImportPatchListTitle, folder, kPatchListFilter)) {
        std::string reason;
        const auto reading = readPatchListFile(path, reason);
        if (!reading) {
            prompt.message("The patch list \"" + path.string() + "\" cannot be read: " + reason, PromptIcon::Stop);
            continue;
        }
        for (const auto& message : reading->messages)
            prompt.message(message, PromptIcon::Warning);
        added.push_back(&tree.addImported(patchListSynthName(path), reading->list));
    }
    return added;
}

bool exportPatchList(const SynthTree& tree, const SynthItem& synth, IPrompt& prompt,
                     const std::filesystem::path& folder)
{
    makeFolder(folder);
    const auto chosen = prompt.chooseSavePath(kExportPatchListTitle, folder / (synth.name() + ".txt"),
                                              kPatchListFilter);
    if (!chosen)
        return false;
    const std::filesystem::path path = withTxtExtension(*chosen);
    std::string reason;
    if (writePatchListFile(path, tree.exportSynth(synth), reason))
        return true;
    prompt.message("The patch list \"" + path.string() + "\" cannot be written: " + reason, PromptIcon::Stop);
    return false;
}

} // namespace rz
