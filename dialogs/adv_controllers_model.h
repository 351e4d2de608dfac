#pragma once

// What the advanced controllers dialog shows and reads without Qt: the
// initial controllers, the four registered parameters in their units and
// the controller destination settings with their system-exclusive message.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// One initial controller row: its slider and edit, its controller, whether
// it is shown centred (value - 64) and what is sent while it is not set.
struct AdvControllerRow {
    const char* label;
    int sliderId;
    int editId;
    uint8_t controller;
    bool centred;
    int32_t unsetValue;
};
extern const std::array<AdvControllerRow, 14> kAdvControllerRows;

// The track's initial-controller slot of a controller.
size_t initialControllerSlot(uint8_t controller);

// "%d" of the value less 64 on a centred row; empty when not set.
std::string controllerValueText(const AdvControllerRow& row, int32_t value);
// A typed value: empty none (-1); else clamped (-64..63 then + 64 on a
// centred row, else 0..127).
int32_t parseControllerValue(const AdvControllerRow& row, std::string_view text);

// The registered parameters the dialog edits, raw 14-bit values (-1 none).
enum class RpnField { BendRange, FineTune, CoarseTune, ModDepth };
struct RpnFieldRow {
    RpnField field;
    const char* label;
    int editId;
    int spinId;
    int rpn;
};
extern const std::array<RpnFieldRow, 4> kRpnFieldRows;

// The track's RPN slot of a parameter number.
size_t rpnSlot(int rpn);
// The value in the field's unit; empty when not set.
std::string rpnFieldText(RpnField field, int32_t value);
// A typed decimal in the field's unit; empty text none (-1); else 0..16383.
int32_t parseRpnField(RpnField field, std::string_view text);
// One spin step up (+1) or down (-1) from the value, or for coarse tune
// from the shown whole semitones; 0..16383.
int32_t spinRpnField(RpnField field, int32_t value, std::string_view shown, int direction);
// What is sent for the value: 8192 while not set.
int32_t rpnValueToSend(int32_t value);

// The controller destination settings: six values 0..127 (-1 none) for
// pitch, filter cutoff, amplitude and the three LFO depths.
inline constexpr size_t kDestinationCount = 6;
struct DestinationRow {
    const char* label;
    int editId;
    int spinId;
};
extern const std::array<DestinationRow, kDestinationCount> kDestinationRows;

std::string destinationText(size_t index, int32_t value);
int32_t parseDestination(size_t index, std::string_view text);
int32_t spinDestination(size_t index, int32_t value, int direction);

// Controller numbers a destination may name.
bool validDestinationController(int32_t controller);
inline constexpr const char* kDestinationControllerMessage = "Valid numbers are 1-31, and 64-95.";

// The setting as one system-exclusive message on a channel 0..15: channel
// pressure, or a control change of `controller`; none for a control
// change whose controller is not set.
std::optional<std::vector<uint8_t>> channelPressureDestinationMessage(
    int channel, const std::array<int32_t, kDestinationCount>& values);
std::optional<std::vector<uint8_t>> controllerDestinationMessage(
    int channel, int32_t controller, const std::array<int32_t, kDestinationCount>& values);

} // namespace rz
