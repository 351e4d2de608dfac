#pragma once

// Song code calls the open set: SetDocument implements ISetLink.

#include <filesystem>

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

    // A stand-alone set is the program's own untitled set of one song: a
    // song it holds that is renamed by saving updates the recent-file list
    // and the start-up path instead of the set.
    virtual bool isStandAlone() const = 0;
    // Marks the set modified: its song list holds a path that changed.
    virtual void setModified() = 0;
    // The set file's folder; empty without a set file.
    virtual std::filesystem::path folder() const = 0;
};

} // namespace rz
