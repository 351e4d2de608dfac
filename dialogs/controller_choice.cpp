#include "dialogs/controller_choice.h"

#include "core/field_number.h"
#include "core/midi_bytes.h"
#include "core/track_rows.h"
#include "song/song_doc.h"
#include "song/track.h"

namespace rz {
namespace {

// The built-in names offered: "Select a controller" stops below the
// parameter-number controllers, "Filter events..." only leaves them out.
constexpr int kFirstParameterController = cc::kNrpnLsb;
constexpr int kLastParameterController = cc::kRpnMsb;

} // namespace

int chosenTrackRow(const ITrackRows* rows, size_t trackCount)
{
    if (rows == nullptr || trackCount < 2)
        return -1;
    const int last = int(trackCount) - 2;
    const int current = rows->currentRow();
    if (rows->currentRowMode() && current >= 0 && current <= last)
        return current;
    if (rows->GetSelectedCount() == 1) {
        const int row = rows->GetFirstSelected();
        return row >= 0 && row <= last ? row : -1;
    }
    return -1;
}

int synthOfRow(const CSongDoc& song, int row)
{
    if (row < 0 || size_t(row) >= song.tracks.size())
        return -1;
    return song.tracks[size_t(row)]->synth;
}

std::vector<ComboItem> selectControllerItems(const ISynthLookup* synths, int synth)
{
    std::vector<ComboItem> items = controllerItems(synths, synth, kFirstParameterController, 127);
    insertSorted(items, {"Pitch (224)", kChoicePitch});
    insertSorted(items, {"Pressure (208)", kChoicePressure});
    return items;
}

int32_t controllerChoiceOf(int32_t kindValue)
{
    switch (midi::statusOf(uint32_t(kindValue))) {
    case midi::kControlChange: return midi::firstDataByte(uint32_t(kindValue));
    case midi::kPitchBend: return kChoicePitch;
    case midi::kChannelPressure: return kChoicePressure;
    default: return -1;
    }
}

int32_t kindValueOfChoice(int32_t data)
{
    if (data >= 0 && data <= 127)
        return int32_t(midi::kControlChange) | data << 8;
    return data;
}

std::vector<ComboItem> filterControllerItems(const ISynthLookup* synths, int synth)
{
    std::vector<ComboItem> items =
        controllerItems(synths, synth, kFirstParameterController, kLastParameterController);
    insertSorted(items, {"All", kAllControllers});
    return items;
}

int32_t typedFilterController(std::string_view text)
{
    return fieldNumber(text, 1, 127).value_or(kAllControllers);
}

} // namespace rz
