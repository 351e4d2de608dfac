#pragma once

#include <string>
#include <vector>

namespace rz {

class CSongDoc;
class CTrack;

inline constexpr char kTracksTooLong[] = "Sorry, these tracks are too long to copy.";

enum class TrackCopy {
    Copied,
    Nothing,    // no user row among the rows
    TooLong,    // a time beyond 32 bits in clipboard ticks; the user was told
    FileFailed, // a clip's file could not be copied; the user was told
};

// Row-mode Copy: the application clipboard is emptied, then holds a full
// copy of each user track among `rows` (in row order): its settings and
// every event, times and note lengths in clipboard ticks, each audio clip
// on a copy of its file. On any failure the clipboard stays empty and the
// file copies made so far are removed. GUI thread; shows the wait cursor.
TrackCopy copyTracks(CSongDoc& song, const std::vector<int>& rows);

// Cell-mode Copy: the cell's value as typed ("%d"), the name as its bytes;
// empty for "size" or an unknown column.
std::string cellCopyText(const CTrack& track, int column);

} // namespace rz
