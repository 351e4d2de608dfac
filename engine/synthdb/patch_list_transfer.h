#pragma once

#include "core/prompt.h"
#include "engine/synthdb/synth_tree.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace rz {

inline constexpr std::string_view kPatchListFilter = "Patch list files (*.txt)";
inline constexpr std::string_view kExportPatchListTitle = "Export patch list file...";
inline constexpr std::string_view kImportPatchListTitle = "Import patch list file(s)...";

// The patch-name editor's "Import synth": asks for patch lists in `folder`
// (created when missing) and reads each into a new synthesizer of the tree,
// showing each unknown section's message. Answers the new synthesizers in the
// order of the files; none when the user cancels.
std::vector<SynthItem*> importPatchLists(SynthTree& tree, IPrompt& prompt, const std::filesystem::path& folder);

// "Export synth": asks for the file, proposing the synthesizer's name in
// `folder` (created when missing), and writes it whole. False when the user
// cancels or the file cannot be written; the reason is shown.
bool exportPatchList(const SynthTree& tree, const SynthItem& synth, IPrompt& prompt,
                     const std::filesystem::path& folder);

} // namespace rz
