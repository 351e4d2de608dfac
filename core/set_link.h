#pragma once

namespace rz {

class CSongDoc;

// A song item of the set tree, opaque to song code.
struct SetItemTag;
using SetItemHandle = SetItemTag*;

// What song code needs of the open set and its view. GUI thread only.
class ISetLink {
public:
    virtual ~ISetLink() = default;

    // Redraws the set's totals after a song's length changed.
    virtual void UpdateTotals() = 0;
    // Refreshes the song's caption (with its length) in the set tree.
    virtual void UpdateSongCaption(CSongDoc& song) = 0;
    // Rebuilds the song's marker children after its cues changed.
    virtual void UpdateMarkers(CSongDoc& song) = 0;
    // The next (or previous) enabled song item from the current one; null at
    // the end of the set.
    virtual SetItemHandle FindAdjacentSong(bool previous) = 0;
    // The set document's own view refresh (after a song's layout was restored).
    virtual void updateSetViews() = 0;
};

} // namespace rz
