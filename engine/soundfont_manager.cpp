#include "engine/soundfont_manager.h"

#include "platform/midi_gm_synth.h"
#include "platform/soundfont_banks.h"
#include "song/fs.h"

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
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == ".wav") {
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

int loadChosen(SoundFontBanks& banks, const LoadSoundFontChoice& choice)
{
    const SoundFontLocation target{choice.targetBank, choice.targetPatch - 1};
    if (choice.waveFile)
        return banks.loadWavePatch(choice.path, target);
    if (choice.mode == LoadSoundFontChoice::EntireFile)
        return banks.loadFile(choice.path, choice.targetBank);
    return banks.loadPreset(choice.path, {choice.sourceBank, choice.sourcePatch - 1}, target);
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

std::vector<SynthDataSection> synthDataSections(const std::vector<SoundFontTreeNode>& tree)
{
    std::vector<SynthDataSection> sections;
    for (const SoundFontTreeNode& bank : tree) {
        if (bank.data == kPercussiveBankData)
            continue;
        SynthDataSection section{formatted("Bank %d: ", bank.data * 128, nameAfterColon(bank.text)), {}};
        for (const SoundFontTreeNode& preset : bank.children)
            section.entries.emplace_back(std::to_string(preset.data), nameAfterColon(preset.text));
        sections.push_back(std::move(section));
    }
    for (const SoundFontTreeNode& bank : tree) {
        if (bank.data != kPercussiveBankData)
            continue;
        for (const SoundFontTreeNode& preset : bank.children) {
            char header[32];
            std::snprintf(header, sizeof header, "Drum %d/%d: ", 0, preset.data);
            sections.push_back({header + nameAfterColon(preset.text), {}});
        }
    }
    return sections;
}

std::string synthDataText(const std::vector<SynthDataSection>& sections)
{
    std::string text;
    for (const SynthDataSection& section : sections) {
        text += "[" + section.header + "]\n";
        for (const auto& [key, value] : section.entries)
            text += key + "=" + value + "\n";
        text += "\n";
    }
    return text;
}

bool writeSynthDataFile(const std::filesystem::path& path, const std::string& text,
                        std::string& reason)
{
    std::string backupProblem;
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    return WriteFileAtomic(path, std::span(bytes, text.size()), {}, reason, backupProblem);
}

} // namespace rz
