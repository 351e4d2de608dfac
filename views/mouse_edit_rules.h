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

// `tick` moved by `by`, held within the ticks an edit may reach.
inline int32_t shifted(int32_t tick, int64_t by)
{
    return int32_t(std::clamp<int64_t>(int64_t(tick) + by, 0, kLastEditTick));
}

} // namespace rz
