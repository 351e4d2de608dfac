#pragma once

// What the track properties dialog computes without Qt: typed banks and
// patches, the bank and patch lists of a synthesizer, the channel and port
// lists and the track a preview plays on.

#include "core/synth_lookup.h"
#include "dialogs/field_values.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class IProfile;
class ITrackRows;

inline constexpr int32_t kMaxBank = 16383;
inline constexpr int32_t kPortCount = 16;
inline constexpr int32_t kChannelCount = 16;

// How a synthesizer numbers its banks and patches ("Technology" bits).
struct BankStyle {
    int technology = ISynthLookup::kDefaultTechnology;

    bool msbOnly() const { return (technology & ISynthLookup::kTechBankMsbOnly) != 0; }
    // The number the first patch is shown with.
    int patchBase() const { return (technology & ISynthLookup::kTechPatchesFromZero) ? 0 : 1; }
};

// A typed bank: empty text none (-1); "a/b" a x 128 + b, or a x 128 on an
// MSB-only synth; anything outside 0..16383 none.
int32_t parseBankText(std::string_view text, BankStyle style);

// A typed patch: a number (a digit or "-" first) less the patch base, -1
// outside 0..127 or when empty; any other text is a filter word.
struct TypedPatch {
    int32_t patch = -1;
    std::string filter; // not empty: the text was a filter
};
TypedPatch parsePatchText(std::string_view text, BankStyle style);

// A bank the lists do not hold: "%d (%d/%d)" of the bank, its MSB and LSB.
std::string unlistedBankText(int32_t bank);

// A synthesizer's patches and drum sets as the database lists them.
struct SynthPatches {
    std::vector<PatchListRow> patches;
    std::vector<DrumsetListRow> drumsets;
};
SynthPatches listSynthPatches(const ISynthLookup* synths, int synth);

// The bank list (data: the bank) and the list of every patch (data: bank x
// 128 + patch), the latter sorted as a sorted combo box would be. A
// non-empty filter keeps the patches whose text holds it, ignoring case.
struct PatchLists {
    std::vector<ComboItem> banks;
    std::vector<ComboItem> allPatches;
};
PatchLists buildPatchLists(const SynthPatches& synth, bool drumChannel, BankStyle style, bool byCategory,
                           std::string_view filter);

// The patches of one bank: "%d: %s" (data: the patch), or "%d" of each drum
// set on a drum channel.
std::vector<ComboItem> patchItems(const SynthPatches& synth, int32_t bank, bool drumChannel, BankStyle style);

// An output port's profile entry.
struct OutPortInfo {
    std::string name;     // "<undefined>" when none is set
    int synth = -1;
    int drumMask = 0;     // bit n: channel n + 1 plays drums
    std::string synthName; // "<undefined>" when the synth is unknown
    int technology = ISynthLookup::kDefaultTechnology;
};
OutPortInfo outPortInfo(const IProfile& profile, const ISynthLookup* synths, int port);

// "%d:  %s %s" for channels 1..16: the synth's name and "(drums)".
std::vector<std::string> channelTexts(const OutPortInfo& port);
// "%d: %s" for ports 0..15 with the output or the input port's name.
std::vector<std::string> outPortTexts(const IProfile& profile);
std::vector<std::string> inPortTexts(const IProfile& profile);

// The song track whose port hears previews: the current row in cell mode
// when it lies in 0..count-2, else the only selected row; only a row of a
// user track (1..count-2). -1 when none.
int previewTrackRow(const ITrackRows* rows, size_t trackCount);

// Which controls the track's kind enables.
struct KindControls {
    bool midi = false;  // ports, channels, bank and patch, offsets, clef, Advanced
    bool audio = false; // time offset, play box, volume, pan and colour
};
KindControls kindControls(int32_t kind);

} // namespace rz
