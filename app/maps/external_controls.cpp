#include "app/maps/external_controls.h"

#include "app/frame_timers.h"
#include "app/maps/external_control_actions.h"
#include "app/maps/map_store.h"
#include "app/transport_controls.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/tempo_multiplier.h"
#include "ui/command_router.h"
#include "ui/gui_thread.h"
#include "views/frame_timer_ids.h"

#include <QApplication>
#include <QWidget>
#include <QKeyEvent>

#include <cmath>

namespace rz {
namespace {

constexpr int kRepeatPeriodMs = 125;
// Ticks of held-down silence before the first repeat: 875 ms.
constexpr int kRepeatDelayTicks = -7;
constexpr int kBendCentre = 8192;

int actionOf(uint32_t entry)
{
    return int(entry & 0xFF);
}

} // namespace

void ExternalControls::onControl(const ExternalControl& control)
{
    RZ_ASSERT_GUI_THREAD();
    FrameTimers* timers = m_seams.timers();
    if (timers)
        timers->kill(frame_timer::kControlRepeat);
    m_controlEntry = control.kind == ExternalControlKind::Press ? control.entry : 0;
    if (control.kind == ExternalControlKind::TempoBend)
        return pitchBendTempo(control.message);
    if (control.kind == ExternalControlKind::Release)
        return;
    const int action = actionOf(control.entry);
    if (action >= kFirstSkipAction && action <= kLastSkipAction)
        return m_seams.transport.setSkipCount(action - kFirstSkipAction);
    if (controlActionRepeats(action)) {
        m_controlRepeat = 0;
        repeat();
        if (keyMapKind(control.entry) != kKeyMapProgramKind && timers) {
            m_controlRepeat = kRepeatDelayTicks;
            timers->start(frame_timer::kControlRepeat, kRepeatPeriodMs);
        }
        return;
    }
    if (const auto command = controlActionCommand(action)) {
        m_seams.router.execute(*command);
        return;
    }
    switch (action) {
    case kPlayCueAction: m_seams.engine().Advance(false); return;
    case kTapAction: m_seams.engine().ConductorTap(); return;
    case kTempoSliderAction:
        m_seams.transport.setTempoMultiplier((midi::secondDataByte(control.message) + 136) * 500,
                                             false);
        return;
    case kVolumeSliderAction:
        m_seams.transport.setVolume(midi::secondDataByte(control.message) * 128);
        return;
    case kTrackUpAction: return pressKey(m_seams.trackList(), Qt::Key_Up);
    case kTrackDownAction: return pressKey(m_seams.trackList(), Qt::Key_Down);
    case kSongUpAction: return pressKey(m_seams.setList(), Qt::Key_Up);
    case kSongDownAction: return pressKey(m_seams.setList(), Qt::Key_Down);
    case kGotoSongAction: return pressKey(m_seams.setList(), Qt::Key_Return);
    default: return; // no action, or a code no map should hold
    }
}

// Once at the trigger, then on every tick of the repeat timer.
void ExternalControls::repeat()
{
    if (++m_controlRepeat < 0)
        return;
    const int action = actionOf(m_controlEntry);
    if (!controlActionRepeats(action))
        return;
    if (const auto command = controlActionCommand(action))
        m_seams.router.execute(*command);
}

void ExternalControls::pressKey(QWidget* view, int key)
{
    if (!view)
        return;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
}

// One octave of tempo per half range of the wheel, from the tempo at the
// first off-centre bend. Computed in floating point and held within the
// multiplier's range, so a base latched high cannot overflow it.
void ExternalControls::pitchBendTempo(uint32_t message)
{
    TransportControls& transport = m_seams.transport;
    const int bend = midi::secondDataByte(message) << 7 | midi::firstDataByte(message);
    if (transport.pitchBendBase() == 0)
        transport.setPitchBendBase(transport.tempoMultiplier());
    const double scaled = std::trunc(double(transport.pitchBendBase())
                                     * std::exp2(double(bend - kBendCentre) / kBendCentre));
    transport.setTempoMultiplier(clampMultiplier(scaled), false);
    if (bend == kBendCentre)
        transport.setPitchBendBase(0);
}

} // namespace rz
