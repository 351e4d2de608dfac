#pragma once

#include "core/midi_bytes.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace rz {

// The chunks of a Standard MIDI File, found and checked before anything is
// built from them.
struct SmfLayout {
    uint16_t format = 1;
    uint16_t division = 0; // the header's raw time division
    // Bodies of the "MTrk" chunks, in file order, inside the file's bytes.
    std::vector<std::span<const uint8_t>> trackChunks;
    // Bytes of the last chunk's End of Track (FF 2F 00, from the end) that
    // the file lacks: it was cut short there, after every event.
    size_t missingEndBytes = 0;
};

// The End of Track meta event as a chunk ends with it.
inline constexpr uint8_t kEndOfTrackBytes[] = {midi::kMeta, midi::kMetaEndOfTrack, 0x00};

// Finds the header and the track chunks, inside a RIFF "RMID" form when the
// file is one; chunks of other types are skipped. False, with a reason, when
// the file is not a Standard MIDI File, a chunk runs past the end of the
// file, or fewer track chunks follow than the header names. A last track
// chunk cut short inside its End of Track is taken, with missingEndBytes set.
bool parseSmfLayout(std::span<const uint8_t> bytes, SmfLayout& layout, std::string& reason);

// The song's time base and, for time-code divisions, its one fixed tempo
// (µs per quarter).
struct SongTiming {
    uint16_t timeBase = 0;
    std::optional<uint32_t> fixedTempo;
};

// Ticks per quarter from the header's division: a PPQ above 0 as it is; a
// time-code division (-24, -25, -29 or -30 frames, ticks per frame above 0)
// as frames x ticks per frame at one tempo. False, with a reason, otherwise.
bool timingFromDivision(uint16_t division, SongTiming& timing, std::string& reason);

} // namespace rz
