#pragma once

// What the two small controller dialogs compute without Qt: the track they
// take names from, their lists, the event kinds as filter bits and the
// controller kind a view shows.

#include "dialogs/field_values.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rz {

class CSongDoc;
class ITrackRows;

// The track a dialog reads names for: the current row in cell mode when it
// lies in 0..count-2, else the only selected row; -1 when none.
int chosenTrackRow(const ITrackRows* rows, size_t trackCount);
// That track's synthesizer number; -1 when none.
int synthOfRow(const CSongDoc& song, int row);

// "Select a controller": the controllers below 98 (or the synth's names),
// then "Pitch (224)" and "Pressure (208)", sorted.
inline constexpr int32_t kChoicePitch = 0xE0;
inline constexpr int32_t kChoicePressure = 0xD0;
std::vector<ComboItem> selectControllerItems(const ISynthLookup* synths, int synth);
// The item data of a kind value (0xB0 | cc << 8, 0xD0 or 0xE0, any channel);
// -1 for anything else.
int32_t controllerChoiceOf(int32_t kindValue);
// The kind value of an item's data.
int32_t kindValueOfChoice(int32_t data);

// "Filter events...": the nine kinds and their bits in the event list's mask.
struct EventKindBox {
    const char* label;
    int id;
    uint16_t bit;
};
inline constexpr std::array<EventKindBox, 9> kEventKindBoxes = {{
    {"Notes", 1339, 0x0200},
    {"Aftertouch", 1001, 0x0400},
    {"Controllers", 1026, 0x0800},
    {"Patch (program) changes", 1003, 0x1000},
    {"Channel pressure", 1004, 0x2000},
    {"Pitch", 1005, 0x4000},
    {"Meta/SysEx", 1006, 0x8000},
    {"Registered Parameters (RPN)", 1007, 0x0002},
    {"Non-Registered Parameters (NRPN)", 1008, 0x0004},
}};
inline constexpr size_t kControllersBox = 2;
inline constexpr int32_t kAllControllers = -1;
// The controllers offered (98..101 left out of the built-in names), then
// "All" (-1) at its sorted place.
std::vector<ComboItem> filterControllerItems(const ISynthLookup* synths, int synth);
// A typed controller: 1..127, else all (-1).
int32_t typedFilterController(std::string_view text);

} // namespace rz
