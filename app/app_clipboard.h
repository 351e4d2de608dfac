#pragma once

#include "song/clipboard.h"

namespace rz {

// What paste depends on besides the clipboard.
struct PasteState {
    bool stopped = true;
    bool performanceMode = false;
    bool setViewActive = false;       // the active view is the set tree
    bool setViewHasSelection = false;
    bool setHasFile = false;
    bool songCurrent = false;
    // The current song can paste what the clipboard holds (the dialog it
    // needs is there).
    bool songAccepts = true;
};

bool CanPaste(const AppClipboard& clipboard, const PasteState& state);

} // namespace rz
