#pragma once

#include "set/lyric_model.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rz {

class CSongDoc;
class CTrack;

// A mouse band over the lyric view's current page, turned into marks on the
// items and, at release, into the song's event selection. Pure: no widget.
// GUI thread, under the SongMutex.
class LyricMarks {
public:
    // Marks the items [first, end) of a page against a band in page pixels:
    // 1 inside, or -1 with Ctrl on an already selected event; 0 outside. A
    // zero-size band is widened to 1. True when any mark changed.
    static bool mark(std::vector<LyricItem>& items, int first, int end, LyricRect band, bool ctrl,
                     const CTrack& track, uint32_t stamp);
    // First tick and last end tick over the items marked 1 or selected and not
    // marked -1; -1, -1 when there are none.
    static std::pair<int32_t, int32_t> range(const std::vector<LyricItem>& items, const CTrack& track,
                                             uint32_t stamp);
    // Applies the marks to the track's events (1 selects, -1 deselects), resets
    // them and sets the song's selection: events from the first tick to the
    // last end tick, or none.
    static void commit(std::vector<LyricItem>& items, CTrack& track, CSongDoc& song);
};

// The lyrics as plain text: a line feed, backslash or bar at the start of an
// event's own text gives an empty line before it, a carriage return or slash
// a new line. Texts are the shown (decoded) ones.
std::string LyricCopyText(const std::vector<LyricItem>& items, const CTrack& track);

} // namespace rz
