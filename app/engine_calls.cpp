// What the engine asks of the GUI: the transport controls, the frame's
// timers, the external controls and the set's markers. GUI thread.

#include "app/engine_calls.h"

#include "app/main_frame.h"
#include "app/maps/external_controls.h"
#include "app/maps/map_commands.h"
#include "app/song_advance.h"
#include "app/transport_controls.h"
#include "core/engine_link.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "ui/command_router.h"
#include "ui/gui_thread.h"
#include "ui/ui_updater.h"

#include <QTimer>

namespace rz {
namespace {

// The frame's periods for the timers the engine starts.
int periodOf(FrameTimer timer)
{
    return timer == FrameTimer::TempoReturn ? 100 : 1;
}

} // namespace

void EngineCalls::transportChanged()
{
    RZ_ASSERT_GUI_THREAD();
    m_seams.transport.updateButtons();
    m_seams.transport.repaint();
    m_seams.updater.updateNow();
}

// A song select received while stopped: that song of the set, from its start.
void EngineCalls::selectSetSong(int songNumber)
{
    RZ_ASSERT_GUI_THREAD();
    if (songNumber < 0 || m_seams.engine().transportState() != TransportState::Stopped)
        return;
    if (SetDocument* set = m_seams.set())
        set->navigator().SelectSongByIndex(size_t(songNumber));
}

void EngineCalls::OnExternalControl(const ExternalControl& control)
{
    m_seams.externalControls.onControl(control);
}

void EngineCalls::setFrameTimer(FrameTimer timer)
{
    if (MainFrame* frame = m_seams.frame())
        frame->timers().requestFromAnyThread(int(timer), periodOf(timer));
}

void EngineCalls::playCue()
{
    RZ_ASSERT_GUI_THREAD();
    m_seams.router.execute(kIdPlay);
}

void EngineCalls::tempoMultiplierChanged()
{
    m_seams.transport.tempoMultiplierChanged();
}

void EngineCalls::CancelAdvance(bool step)
{
    m_seams.advance.cancel(step);
}

void EngineCalls::DrawSpectrum(double beatPhase)
{
    m_seams.transport.drawSpectrum(beatPhase);
}

void EngineCalls::LearnMidi(uint32_t deviceId, uint32_t message)
{
    RZ_ASSERT_GUI_THREAD();
    m_seams.maps.learn(deviceId, message);
}

CSongDoc* EngineCalls::songOfItem(SetItemHandle item) const
{
    SetDocument* set = m_seams.set();
    return set ? set->songOfItem(item) : nullptr;
}

// The engine moved on to this song by itself: it is the current song now.
void EngineCalls::setCurrentItem(SetItemHandle item)
{
    SetDocument* set = m_seams.set();
    if (CSongDoc* song = set ? set->songOfItem(item) : nullptr) {
        set->setCurrent(song);
        set->navigator().publishNextSong();
    }
}

// The set pane's marker follows the play position once the engine passed a cue.
void EngineCalls::startCueTimer()
{
    QTimer::singleShot(0, &m_context, [this] {
        if (SetDocument* set = m_seams.set())
            set->navigator().UpdateCurrentMarker();
    });
}

void EngineCalls::RefreshMarkerStates()
{
    if (SetDocument* set = m_seams.set())
        set->navigator().RefreshMarkerStates();
}

void EngineCalls::UpdateTrackSynths()
{
    if (SetDocument* set = m_seams.set(); set && m_seams.hasSequencer())
        set->UpdateTrackSynths();
}

} // namespace rz
