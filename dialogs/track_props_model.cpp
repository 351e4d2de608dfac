#include "dialogs/track_props_model.h"

#include "core/ascii_case.h"
#include "core/leading_number.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/track_rows.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

namespace rz {
namespace {

constexpr const char* kUndefined = "<undefined>";
constexpr const char* kDrumsetWord = "DRUMSET";

std::string_view trimSpace(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

template <class... Args>
std::string formatLabel(const char* pattern, Args... args)
{
    char text[96];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

std::string bankItemText(int bank, const std::string& name, BankStyle style)
{
    if (style.msbOnly())
        return formatLabel("%d: ", bank / 128) + name;
    return formatLabel("%d (%d/%d): ", bank, bank / 128, bank % 128) + name;
}

// "Category: name" sorted by category, else "name [Category]".
std::string patchItemText(const std::string& name, const std::string& category, bool byCategory)
{
    if (category.empty())
        return name;
    return byCategory ? category + ": " + name : name + " [" + category + "]";
}

bool hasBank(const std::vector<ComboItem>& banks, int bank)
{
    return std::any_of(banks.begin(), banks.end(), [&](const ComboItem& item) { return item.data == bank; });
}

// The order of a sorted combo box: by text ignoring case, equal texts in the
// order they were added.
void sortLikeACombo(std::vector<ComboItem>& items)
{
    std::stable_sort(items.begin(), items.end(), [](const ComboItem& a, const ComboItem& b) {
        return LessIgnoringAsciiCase(a.text, b.text);
    });
}

std::vector<std::string> portTexts(const IProfile& profile, const Setting& row)
{
    std::vector<std::string> texts;
    for (int port = 0; port < kPortCount; ++port) {
        std::string name = readSettingText(profile, row, std::to_string(port));
        texts.push_back(formatLabel("%d: ", port) + (name.empty() ? std::string(kUndefined) : name));
    }
    return texts;
}

} // namespace

int32_t parseBankText(std::string_view text, BankStyle style)
{
    text = trimSpace(text);
    if (text.empty())
        return -1;
    int64_t bank = leadingNumber(text);
    if (style.msbOnly()) {
        bank *= 128;
    } else if (const size_t slash = text.find('/'); slash != std::string_view::npos) {
        bank = bank * 128 + leadingNumber(text.substr(slash + 1));
    }
    return bank >= 0 && bank <= kMaxBank ? int32_t(bank) : -1;
}

TypedPatch parsePatchText(std::string_view text, BankStyle style)
{
    text = trimSpace(text);
    TypedPatch typed;
    if (text.empty())
        return typed;
    if (std::isdigit(static_cast<unsigned char>(text.front())) || text.front() == '-') {
        const int64_t patch = int64_t(leadingNumber(text)) - style.patchBase();
        typed.patch = patch >= 0 && patch <= 127 ? int32_t(patch) : -1;
        return typed;
    }
    typed.filter = std::string(text);
    return typed;
}

std::string unlistedBankText(int32_t bank)
{
    return formatLabel("%d (%d/%d)", bank, bank / 128, bank % 128);
}

SynthPatches listSynthPatches(const ISynthLookup* synths, int synth)
{
    if (synths == nullptr || synth < 0)
        return {};
    return {synths->patchList(synth), synths->drumsetList(synth)};
}

PatchLists buildPatchLists(const SynthPatches& synth, bool drumChannel, BankStyle style, bool byCategory,
                           std::string_view filter)
{
    PatchLists lists;
    const std::string wanted = AsciiLower(std::string(filter));
    const auto passes = [&](const std::string& text) {
        return wanted.empty() || AsciiLower(std::string(text)).find(wanted) != std::string::npos;
    };
    if (!drumChannel) {
        int namedBank = -1;
        std::string bankName;
        for (const PatchListRow& row : synth.patches) {
            if (row.patch < 0) {
                lists.banks.push_back({bankItemText(row.bank, row.name, style), row.bank});
                namedBank = row.bank;
                bankName = row.name;
                continue;
            }
            std::string text = patchItemText(row.name, row.category, byCategory);
            if (namedBank == row.bank && !bankName.empty())
                text += " (" + bankName + ")";
            if (passes(text))
                lists.allPatches.push_back({std::move(text), row.bank * 128 + row.patch});
        }
    }
    std::set<std::string> drumsetTexts;
    for (const DrumsetListRow& set : synth.drumsets) {
        if (!hasBank(lists.banks, set.bank))
            lists.banks.push_back({bankItemText(set.bank, "Drumsets", style), set.bank});
        if (!set.name)
            continue;
        std::string text = patchItemText(*set.name, kDrumsetWord, byCategory);
        if (passes(text) && drumsetTexts.insert(text).second)
            lists.allPatches.push_back({std::move(text), set.bank * 128 + set.program});
    }
    sortLikeACombo(lists.allPatches);
    return lists;
}

std::vector<ComboItem> patchItems(const SynthPatches& synth, int32_t bank, bool drumChannel, BankStyle style)
{
    std::vector<ComboItem> items;
    if (drumChannel) {
        for (const DrumsetListRow& set : synth.drumsets)
            if (set.bank == bank && set.program >= 0 && set.program <= 127)
                items.push_back({formatLabel("%d", set.program + style.patchBase()), set.program});
        return items;
    }
    for (const PatchListRow& row : synth.patches)
        if (row.bank == bank && row.patch >= 0 && row.patch <= 127)
            items.push_back({formatLabel("%d: ", row.patch + style.patchBase()) + row.name, row.patch});
    return items;
}

OutPortInfo outPortInfo(const IProfile& profile, const ISynthLookup* synths, int port)
{
    OutPortInfo info;
    const std::string part = std::to_string(port);
    info.name = readSettingText(profile, settings::kPortOutName, part);
    if (info.name.empty())
        info.name = kUndefined;
    info.synth = readSetting(profile, settings::kPortOutSynth, part);
    info.drumMask = readSetting(profile, settings::kPortOutDrums, part);
    const std::optional<SynthRecord> record = synths ? synths->synth(info.synth) : std::nullopt;
    info.synthName = record ? record->name : kUndefined;
    if (record)
        info.technology = record->technology;
    return info;
}

std::vector<std::string> channelTexts(const OutPortInfo& port)
{
    std::vector<std::string> texts;
    for (int channel = 0; channel < kChannelCount; ++channel) {
        const bool drums = (port.drumMask >> channel) & 1;
        texts.push_back(formatLabel("%d:  ", channel + 1) + port.synthName + (drums ? " (drums)" : " "));
    }
    return texts;
}

std::vector<std::string> outPortTexts(const IProfile& profile)
{
    return portTexts(profile, settings::kPortOutName);
}

std::vector<std::string> inPortTexts(const IProfile& profile)
{
    return portTexts(profile, settings::kPortInName);
}

int previewTrackRow(const ITrackRows* rows, size_t trackCount)
{
    if (rows == nullptr || trackCount < 3)
        return -1;
    const int count = int(trackCount);
    const int current = rows->currentRow();
    int row = -1;
    if (rows->currentRowMode() && current >= 0 && current <= count - 2)
        row = current;
    else if (rows->GetSelectedCount() == 1)
        row = rows->GetFirstSelected();
    return row > 0 && row < count - 1 ? row : -1;
}

KindControls kindControls(int32_t kind)
{
    switch (kind) {
    case 0: return {true, true};
    case 1: return {false, true};
    case 2: return {false, false};
    default: return {false, true}; // mixed kinds: what MIDI and waveform tracks share
    }
}

} // namespace rz
