#pragma once

#include "engine/synthdb/patch_list.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace rz {

class SoundFontBanks;

inline constexpr const char* kNoSoundFontDeviceText
    = "The SoundFont manager is unable to locate a SoundFont compatible device on your system.";
inline constexpr const char* kTroubleLoadingBankFormat = "Trouble loading bank: %d";
inline constexpr const char* kCouldNotDeleteFormat = "Could not delete: %d";
inline constexpr const char* kDeleteBankQuestionFormat = "Are you sue you want to delete bank %s?";
inline constexpr const char* kDeletePatchQuestionFormat = "Are you sue you want to delete patch %s?";
inline constexpr const char* kPercussiveBankText = "Percussive bank";
// The tree's item data of the percussive bank.
inline constexpr int kPercussiveBankData = 0x8000;

// One item of the bank manager's tree: a bank (data: its number, or
// kPercussiveBankData) or, under it, a preset (data: its number from 0).
struct SoundFontTreeNode {
    std::string text;
    int data = 0;
    std::vector<SoundFontTreeNode> children;
};

// The devices the manager offers: the built-in synthesizer when there is one.
std::vector<std::string> soundFontDevices(const SoundFontBanks* banks);

// "Bank %d: %s" for each melodic bank in use, with "%d: %s" (preset + 1,
// name) under it; last "Percussive bank", always, with its presets.
std::vector<SoundFontTreeNode> soundFontTree(const SoundFontBanks& banks);

// What "Load SoundFont" asks of one file.
struct LoadSoundFontChoice {
    enum Mode { EntireFile = 0, SelectedPatch = 1 };
    std::filesystem::path path;
    int mode = EntireFile;
    int sourceBank = 0;  // 0..127
    int sourcePatch = 1; // 1..128
    int targetBank = 0;  // 0..127
    int targetPatch = 1; // 1..128
    bool waveFile = false;
};

// The dialog's start for `path`: a ".wav" (any case) loads only as a patch.
LoadSoundFontChoice initialLoadChoice(const std::filesystem::path& path);

// Which of the dialog's fields are enabled.
struct LoadSoundFontFields {
    bool entireFile = true; // the "Load entire file" radio
    bool source = false;    // source bank and patch with their spins
    bool targetPatch = false;
};
LoadSoundFontFields loadFieldStates(const LoadSoundFontChoice& choice);

// Loads as chosen; a SoundFontError.
int loadChosen(SoundFontBanks& banks, const LoadSoundFontChoice& choice, std::string* problem = nullptr);

// Deletes the tree item: a bank (no preset) or a preset of `bank` (tree data);
// a SoundFontError.
int deleteTreeItem(SoundFontBanks& banks, int bank, std::optional<int> preset);

// The label of a tree item after its ": ", as the export and the questions
// name it.
std::string nameAfterColon(const std::string& text);

// An exported synth data file is a patch list laid out as the bank manager
// writes it: "Bank %d: %s" headers and an empty section for every drum kit.
inline constexpr PatchListLayout kSynthDataLayout{.bankBytesInHeader = false, .emptySections = true};

// The tree as a patch list: each melodic bank at bank x 128 with its presets
// by number, and each percussive preset as the drum kit 0/preset without
// notes. Names are the texts after ": ".
PatchList synthDataList(const std::vector<SoundFontTreeNode>& tree);

// Writes the list to `path`, replacing an existing file only once the new
// one is complete; false with the reason otherwise.
bool writeSynthDataFile(const std::filesystem::path& path, const PatchList& list, std::string& reason);

} // namespace rz
