#pragma once

// The engine calls the open set: the application's EngineCalls implements IEngineSetLink, reached through EngineToGui.

#include "core/set_link.h"

namespace rz {

class CSongDoc;

// What the engine needs of the open set and its view. The engine keeps a
// Skip cue's next-song item as an opaque SetItemHandle and never dereferences
// it. Members run on the GUI thread unless they say otherwise; engine threads
// reach them through EngineToGui.
class IEngineSetLink {
public:
    virtual ~IEngineSetLink() = default;

    // Any thread; never waits. The song the item carries; null when the item
    // no longer exists or carries no song.
    virtual CSongDoc* songOfItem(SetItemHandle item) const = 0;

    // The set view's cue timer: the play position reached a cue.
    virtual void startCueTimer() = 0;
    // The engine switched itself to this item's song: it becomes the current
    // item and the old current item the previous one.
    virtual void setCurrentItem(SetItemHandle item) = 0;
    // Refreshes the current song's item and its marker states.
    virtual void RefreshMarkerStates() = 0;
    // Re-looks up every track's output synthesizer after the ports changed.
    virtual void UpdateTrackSynths() = 0;
};

} // namespace rz
