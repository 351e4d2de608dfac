#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rz {

// Where play-out can resume inside a track's play image: the cursor state at
// the start of a 16-quarter-note stretch and what must be chased there.
struct SeekPoint {
    uint32_t readPosition = 0;   // offset into the play image
    int32_t nextTick = 0;
    uint8_t runningStatus = 0;
    // Note-on messages sounding here, tagged with the track index in bits 24-31.
    std::vector<uint32_t> soundingNotes;
    // Events-array indices of those notes, parallel to soundingNotes.
    std::vector<uint32_t> soundingNoteIndices;
    // Chase list: the last controller (per number), program, channel pressure
    // and pitch bend before the stretch, with their ticks.
    std::vector<int32_t> chaseTicks;
    std::vector<uint32_t> chaseMessages;
};

// Keeps one entry per key in a chase list: the key is the message's bits under
// mask. Replaces the latest entry with the same key and returns false, or
// appends and returns true.
bool SetKeyedValue(uint32_t message, uint32_t mask, int32_t tick, std::vector<uint32_t>& messages,
                   std::vector<int32_t>& ticks);

} // namespace rz
