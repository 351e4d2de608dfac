#include "app/app_clipboard.h"

namespace rz {

bool CanPaste(const AppClipboard& clipboard, const PasteState& state)
{
    if (!state.stopped || state.performanceMode || clipboard.kind == 0)
        return false;
    if (clipboard.kind == kClipboardSong)
        return state.setViewActive && state.setViewHasSelection && state.setHasFile;
    return state.songCurrent && state.songAccepts;
}

} // namespace rz
