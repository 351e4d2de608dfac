#pragma once

#include "core/midi_bytes.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace rz {

// External-control entries of one input: 32 bits each; byte 0 the action,
// byte 1 the number, byte 2 the kind, byte 3 the channel (low nibble) and the
// input's index (high nibble).
using KeyMap = std::vector<uint32_t>;
using KeyMapSnapshot = std::shared_ptr<const KeyMap>;

// The entries of a stored key map: little-endian 32-bit words, read whole;
// a trailing partial entry is ignored.
KeyMap ParseKeyMap(std::span<const uint8_t> bytes);

// The index of the input an entry belongs to.
constexpr int keyMapInput(uint32_t entry)
{
    return int(entry >> 28);
}

// The parts of an entry.
constexpr int keyMapChannel(uint32_t entry)
{
    return int((entry >> 24) & 15);
}
constexpr int keyMapNumber(uint32_t entry)
{
    return int((entry >> 8) & 0xFF);
}
constexpr int keyMapKind(uint32_t entry)
{
    return int((entry >> 16) & 0xFF);
}

// The kinds of entry: a note (number = key), a program change (number =
// program); any other kind is a controller number.
inline constexpr int kKeyMapNoteKind = 0;
inline constexpr int kKeyMapProgramKind = midi::kProgramChange;

} // namespace rz
