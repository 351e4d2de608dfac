#include "views/track/track_cell_text.h"

#include "views/patch_names.h"

#include "core/midi_bytes.h"
#include "core/synth_lookup.h"
#include "song/track.h"

#include <algorithm>
#include <optional>

namespace rz {
namespace {

// "Technology" bits of the synthesizer.

std::string number(int value)
{
    return std::to_string(value);
}

int initialController(const CTrack& track, uint8_t controller)
{
    const auto& numbers = kInitialControllerNumbers;
    const auto it = std::find(numbers.begin(), numbers.end(), controller);
    return it == numbers.end() ? -1 : track.initialControllers[size_t(it - numbers.begin())];
}

bool drumChannel(const CTrack& track)
{
    return ((uint32_t(track.drums) >> (track.channel & 0xF)) & 1) != 0;
}

std::string patchText(const CTrack& track, const ISynthLookup* synths)
{
    if (track.type == kWaveTrack)
        return "<waveform>";
    if (track.type == kMetaTrack)
        return "<meta>";
    if (track.patch < 0)
        return {};
    const int shown = track.patch + patchBase(track);
    if (synths == nullptr || track.synth == -1)
        return number(shown);
    const int bank = std::max(track.bank, 0);
    std::optional<std::string> name;
    if (!drumChannel(track))
        name = synths->patchName(track.synth, bank, track.patch);
    if (!name)
        name = synths->drumsetName(track.synth, bank, track.patch);
    return name ? *name + " (" + number(shown) + ")" : number(shown);
}

std::string bankText(const CTrack& track, const ISynthLookup* synths)
{
    if (track.type != kMidiTrack || track.bank < 0)
        return {};
    std::string text = bankMsbOnly(track) ? number(track.bank / 128)
                                          : number(track.bank) + " (" + number(track.bank / 128)
                                                + "/" + number(track.bank % 128) + ")";
    if (synths != nullptr && track.synth != -1)
        if (const std::optional<std::string> name = synths->bankName(track.synth, track.bank))
            text = *name + ": " + text;
    return text;
}

std::string controllerText(const CTrack& track, uint8_t controller, int shift = 0)
{
    const int value = initialController(track, controller);
    return value >= 0 ? number(value + shift) : std::string();
}

} // namespace

char recordMarkChar(const CTrack& track)
{
    return track.recordArm < 0 ? '-' : track.recordArm > 0 ? 'R' : ' ';
}

CellText GetCellText(const CTrack& track, int column, const ISynthLookup* synths)
{
    const bool midi = track.type == kMidiTrack;
    const bool meta = track.type == kMetaTrack;
    CellText cell;
    switch (column) {
    case kColumnTrack: cell.text = track.name; break;
    case kColumnIn: cell.text = number(track.playEnabled); break;
    case kColumnPatch: cell.text = patchText(track, synths); break;
    case kColumnBank: cell.text = bankText(track, synths); break;
    case kColumnPort: cell.text = meta ? "" : number(track.port); break;
    case kColumnChannel: cell.text = midi ? number(track.channel + 1) : ""; break;
    case kColumnKey: cell.text = midi ? number(track.key) : ""; break;
    case kColumnVelocity: cell.text = midi ? number(track.velocityOffset) : ""; break;
    case kColumnTime: cell.text = meta ? "" : number(track.timeOffset); break;
    case kColumnVolume: cell.text = meta ? "" : controllerText(track, cc::kVolume); break;
    case kColumnPan: cell.text = meta ? "" : controllerText(track, cc::kPan, -64); break;
    case kColumnReverb: cell.text = midi ? controllerText(track, cc::kReverbSend) : ""; break;
    case kColumnChorus: cell.text = midi ? controllerText(track, cc::kChorusSend) : ""; break;
    case kColumnSize: cell.text = number(int(track.events.size())); break;
    case kColumnMix: cell.text = meta ? "" : number(track.volume); break;
    default: break;
    }
    const bool text = column == kColumnTrack || column == kColumnPatch || column == kColumnBank;
    cell.align = text ? TextAlign::Left : TextAlign::Right;
    return cell;
}

} // namespace rz
