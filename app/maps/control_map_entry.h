#pragma once

#include "engine/sequencer_inputs.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace rz {

// Controller value of a program-change trigger.
inline constexpr int kProgramTrigger = kKeyMapProgramKind;

// One external control map entry, field by field.
struct ControlMapEntry {
    int action = 0;     // 0..46
    int key = 0;        // note, or program of a program-change trigger
    int controller = 0; // 0 note, 1..127 controller, kProgramTrigger
    int channel = 0;    // 0..15
    int device = 0;     // the input's index, 0..15

    bool operator==(const ControlMapEntry&) const = default;
};

uint32_t packControlEntry(const ControlMapEntry& entry);
ControlMapEntry unpackControlEntry(uint32_t entry);

// A typed key: a number, or a note name with an optional accidental
// ("#", "b", "x", "'") and octave ("F#4" 66, "C-1" 0); empty is 0. Nothing
// for a text that is neither, or a key outside 0..127.
std::optional<int> parseKeyText(std::string_view text);

// Inserts before the first greater entry, so whole entries stay in order:
// by input, channel, controller, key, then action.
void insertControlEntry(KeyMap& map, uint32_t entry);

// The entry dialog's OK: an action and a trigger.
bool controlEntryComplete(const ControlMapEntry& entry);

// Takes a received message's trigger, input and channel into the entry:
// a note-on its key, a controller its number, a program change its program.
// False (the entry unchanged) for any other message.
bool learnControlMessage(ControlMapEntry& entry, int device, uint32_t message);

// The maps list's row texts of one entry.
struct ControlEntryRow {
    std::string action, port, channel, controller, key;
};
ControlEntryRow formatControlEntry(uint32_t entry, std::span<const std::string> portNames);

} // namespace rz
