// The smaller services songs and controls ask of the application: paste
// rules, cue colours, zooms, the status line, view activation. GUI thread.

#include "app/app.h"

#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "core/engine_link.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/prompt.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "ui/command_router.h"
#include "ui/fader_ctrl.h"

#include <QApplication>
#include <QPointer>

#include <string>
#include <thread>

namespace rz {

bool App::CanPaste() const
{
    const SongView* live = m_views.slot(ViewSlots::kLive);
    PasteState state;
    state.stopped = m_engine->transportState() == TransportState::Stopped;
    state.performanceMode = m_display.performanceMode();
    state.setViewActive = live && live->hasFocus();
    state.setViewHasSelection = state.setViewActive;
    state.setHasFile = m_set->hasFile();
    state.songCurrent = m_currentSong != nullptr;
    state.songAccepts = m_currentSong && m_currentSong->canPasteKind(m_files.clipboard().kind);
    return rz::CanPaste(m_files.clipboard(), state);
}

} // namespace rz
