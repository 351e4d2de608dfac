#include "engine/synthdb/soundfont_manager.h"

#include "core/ascii_case.h"
#include "engine/synthdb/synth_labels.h"
#include "platform/midi_gm_synth.h"
#include "platform/soundfont_banks.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace rz {

namespace {

std::string formatted(const char* format, int a, const std::string& text)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a);
    return buffer + text;
}

int registryBank(int treeBank)
{
    return treeBank == kPercussiveBankData ? kPercussionBank : treeBank;
}

std::vector<SoundFontTreeNode> presetNodes(const SoundFontBanks& banks, int bank)
{
    std::vector<SoundFontTreeNode> nodes;
    for (const SoundFontPreset& preset : banks.presets(bank))
        nodes.push_back({formatted("%d: ", preset.location.preset + 1, preset.name),
                         preset.location.preset,
                         {}});
    return nodes;
}

} // namespace

std::vector<std::string> soundFontDevices(const SoundFontBanks* banks)
{
    if (!banks)
        return {};
    return {kGmSynthName};
}

std::vector<SoundFontTreeNode> soundFontTree(const SoundFontBanks& banks)
{
    std::vector<SoundFontTreeNode> tree;
    for (int bank = 0; bank <= 127; ++bank) {
        if (!banks.isBankInUse(bank))
            continue;
        tree.push_back({formatted("Bank %d: ", bank, banks.bankName(bank)), bank,
                        presetNodes(banks, bank)});
    }
    tree.push_back({kPercussiveBankText, kPercussiveBankData, presetNodes(banks, kPercussionBank)});
    return tree;
}

LoadSoundFontChoice initialLoadChoice(const std::filesystem::path& path)
{
    LoadSoundFontChoice choice;
    choice.path = path;
    if (AsciiLower(path.extension().string()) == ".wav") {
        choice.mode = LoadSoundFontChoice::SelectedPatch;
        choice.waveFile = true;
    }
    return choice;
}

LoadSoundFontFields loadFieldStates(const LoadSoundFontChoice& choice)
{
    const bool onePatch = choice.mode == LoadSoundFontChoice::SelectedPatch;
    return {!choice.waveFile, onePatch && !choice.waveFile, onePatch};
}

int loadChosen(SoundFontBanks& banks, const LoadSoundFontChoice& choice, std::string* problem)
{
    const SoundFontLocation target{choice.targetBank, choice.targetPatch - 1};
    if (choice.waveFile)
        return banks.loadWavePatch(choice.path, target, problem);
    if (choice.mode == LoadSoundFontChoice::EntireFile)
        return banks.loadFile(choice.path, choice.targetBank, problem);
    return banks.loadPreset(choice.path, {choice.sourceBank, choice.sourcePatch - 1}, target, problem);
}

int deleteTreeItem(SoundFontBanks& banks, int bank, std::optional<int> preset)
{
    if (preset)
        return banks.deletePreset({registryBank(bank), *preset});
    return banks.deleteBank(registryBank(bank));
}

std::string nameAfterColon(const std::string& text)
{
    const size_t colon = text.find(": ");
    std::string name = colon == std::string::npos ? text : text.substr(colon + 2);
    // Names come from untrusted files: a line break would end the entry.
    std::replace_if(name.begin(), name.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return name;
}

PatchList synthDataList(const std::vector<SoundFontTreeNode>& tree)
{
    PatchList list;
    for (const SoundFontTreeNode& bank : tree) {
        if (bank.data == kPercussiveBankData) {
            for (const SoundFontTreeNode& preset : bank.children)
                list.drumsets.push_back({0, preset.data, nameAfterColon(preset.text), {}});
            continue;
        }
        PatchListBank written{bank.data * 128, nameAfterColon(bank.text), {}};
        for (const SoundFontTreeNode& preset : bank.children) {
            // A name ending in "[...]" reads back as name and category.
            PatchText parts = splitPatchText(nameAfterColon(preset.text));
            written.patches.push_back({preset.data, std::move(parts.name), std::move(parts.category)});
        }
        list.banks.push_back(std::move(written));
    }
    return list;
}

bool writeSynthDataFile(const std::filesystem::path& path, const PatchList& list, std::string& reason)
{
    return writePatchListFile(path, list, reason, kSynthDataLayout);
}

} // namespace rz
