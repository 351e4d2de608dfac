#pragma once

// What the insert commands and the property edits share. GUI thread.

#include <cstdint>

#include "core/edit_dialogs.h"
#include "song/measure_map.h"
#include "song/midi_event.h"

namespace rz {

class CSongDoc;

inline constexpr char kInsertPastEnd[] = "Sorry, the insert would reach beyond the longest possible song.";

// A position from a dialog, clamped to 0 .. the song's end (or the end of
// its measures, when later).
int32_t clampPosition(const CSongDoc& song, int64_t tick);

// Whether a map extended to cover `until` stays within the measures a song
// may have and `until` within the last tick an edit may reach; otherwise
// the user is told and the answer is false.
bool insertFits(CSongDoc& song, const MeasureMap& map, int64_t until);

// Clicks of a measure the edit sized: at least one.
uint8_t clicksFor(int clicks);

// A track index from a dialog: one of the user tracks 1..n-2, else `fallback`.
size_t userTrackOr(const CSongDoc& song, int64_t track, size_t fallback);

// The event the event properties dialog built, at `tick`.
CMidiEvent eventFromDialog(const EventPropsResult& result, int32_t tick);

} // namespace rz
