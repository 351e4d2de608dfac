// What the frame's controls and the transport panel ask of the application:
// the context the buttons are enabled from, performance mode and the
// engine's refresh of the panel. GUI thread.

#include "app/app.h"

#include "app/control_states.h"
#include "app/main_frame.h"
#include "app/maps/external_controls.h"
#include "app/song_advance.h"
#include "app/transport_controls.h"
#include "core/engine_link.h"
#include "set/set_document.h"
#include "song/song_doc.h"
#include "ui/gui_thread.h"
#include "views/track/track_view.h"

namespace rz {

ControlContext App::controlContext() const
{
    ControlContext c;
    c.state = m_engine->transportState();
    c.performanceMode = m_display.performanceMode();
    c.recording = m_engine->recording();
    c.clickOn = m_transport->clickOn();
    c.canPaste = m_set && CanPaste();
    c.setOrSongModified = m_set && m_set->anyModified();
    c.setHasFile = m_set && m_set->hasFile();
    c.staffView = m_views.slot(ViewSlots::kStaff) != nullptr;
    c.lyricView = m_views.slot(ViewSlots::kLyric) != nullptr;
    for (const ViewSlots::ExtraWindow& window : m_views.extraWindows()) {
        c.staffView |= window.view && window.kind != ViewSlots::kExtraLyric
                       && window.kind != ViewSlots::kExtraTracks;
        c.lyricView |= window.view && window.kind == ViewSlots::kExtraLyric;
    }
    // The set view has no tree selection of its own yet: its focus stands
    // for a selected song, as for Paste.
    const SongView* live = m_views.slot(ViewSlots::kLive);
    c.setViewActive = live && live->hasFocus();
    c.setItemSelected = c.setViewActive;
    c.setItemTopLevel = c.setViewActive;
    if (const CSongDoc* song = m_currentSong) {
        c.hasSong = true;
        c.songModified = song->IsModified();
        c.canUndo = song->OnUpdateEditUndo().enabled;
        c.canRedo = song->OnUpdateEditRedo().enabled;
        c.songSelection = song->selectionFrom >= 0 && song->selectionTo > song->selectionFrom;
        if (song->selectionFrom >= 0 && song->selectionTo >= 0) {
            song->FormatTime(song->selectionFrom, c.selectionFrom);
            song->FormatTime(song->selectionTo, c.selectionTo);
        }
    }
    return c;
}

void App::setPerformanceMode(bool on)
{
    m_display.setPerformanceMode(on);
    if (TrackView* view = trackView())
        on ? view->enterPerformanceMode() : view->leavePerformanceMode();
    if (!m_frame)
        return;
    const uint32_t prompt = m_frame->promptId();
    if (prompt == kIdlePromptId || prompt == kPerformanceIdlePromptId)
        m_frame->setPromptId(kIdlePromptId);
    m_transport->updateButtons();
    m_frame->UpdateToolbarButtons();
}

void App::repaintTransportPanel()
{
    m_transport->repaint();
}

void App::SetTempoMultiplier(int32_t multiplier, bool clearBase)
{
    m_transport->setTempoMultiplier(multiplier, clearBase);
}

int32_t App::tempoMultiplier() const
{
    return m_transport->tempoMultiplier();
}

int App::advanceCountdown() const
{
    return m_advance->countdown();
}

} // namespace rz
