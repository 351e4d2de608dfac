#pragma once

#include "core/engine_link.h"
#include "song/clipboard_edit.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace rz {

// Small rules and texts the editing views' mouse edits share. GUI thread.

// Edits by mouse wait for a stopped transport.
inline bool transportStopped(const CSongDoc& song)
{
    return song.context().engine.transportState() == TransportState::Stopped;
}

// The undo position of an event an edit adds to `track`: found when the record is applied.
inline uint32_t placedOn(size_t track)
{
    return uint32_t(track << 24) | kComputedPosition;
}

// `tick` moved by `by`, held within the ticks an edit may reach.
inline int32_t shifted(int32_t tick, int64_t by)
{
    return int32_t(std::clamp<int64_t>(int64_t(tick) + by, 0, kLastEditTick));
}

inline constexpr char kNothingToMove[] = "Nothing has been selected to move.";
inline constexpr char kMoveClipped[] =
    "Note: one or more events will be clipped up against the beginning of the song.";

} // namespace rz
