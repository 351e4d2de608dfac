// External control: what a matched control map entry does in the program.
// The MIDI input posts each match; everything here runs on the GUI thread
// in message order.

#include "app/app.h"
#include "app/maps/map_commands.h"

#include "app/frame_timers.h"
#include "app/main_frame.h"
#include "app/maps/external_control_actions.h"
#include "app/maps/map_store.h"
#include "app/menu_bar.h"
#include "core/engine_gui_values.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "core/tempo_multiplier.h"
#include "engine/sequencer.h"
#include "engine/sequencer_inputs.h"
#include "ui/command_router.h"
#include "ui/gui_thread.h"
#include "ui/key_filter.h"
#include "views/frame_timer_ids.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <climits>
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

void App::OnExternalControl(const ExternalControl& control)
{
    RZ_ASSERT_GUI_THREAD();
    if (m_frame)
        m_frame->timers().kill(frame_timer::kControlRepeat);
    m_controlEntry = control.kind == ExternalControlKind::Press ? control.entry : 0;
    if (control.kind == ExternalControlKind::TempoBend)
        return pitchBendTempo(control.message);
    if (control.kind == ExternalControlKind::Release)
        return;
    const int action = actionOf(control.entry);
    if (action >= kFirstSkipAction && action <= kLastSkipAction)
        return setSkipCount(action - kFirstSkipAction);
    if (controlActionRepeats(action)) {
        m_controlRepeat = 0;
        externalControlRepeat();
        if (keyMapKind(control.entry) != kKeyMapProgramKind && m_frame) {
            m_controlRepeat = kRepeatDelayTicks;
            m_frame->timers().start(frame_timer::kControlRepeat, kRepeatPeriodMs);
        }
        return;
    }
    if (const auto command = controlActionCommand(action)) {
        m_router->execute(*command);
        return;
    }
    switch (action) {
    case kPlayCueAction: m_engine->Advance(false); return;
    case kTapAction: m_engine->ConductorTap(); return;
    case kTempoSliderAction:
        SetTempoMultiplier((midi::secondDataByte(control.message) + 136) * 500, false);
        return;
    case kVolumeSliderAction: SetVolumeSlider(midi::secondDataByte(control.message) * 128); return;
    case kTrackUpAction: return externalControlKey(kTrack, Qt::Key_Up);
    case kTrackDownAction: return externalControlKey(kTrack, Qt::Key_Down);
    case kSongUpAction: return externalControlKey(kLive, Qt::Key_Up);
    case kSongDownAction: return externalControlKey(kLive, Qt::Key_Down);
    case kGotoSongAction: return externalControlKey(kLive, Qt::Key_Return);
    default: return; // no action, or a code no map should hold
    }
}

// Once at the trigger, then on every tick of the repeat timer.
void App::externalControlRepeat()
{
    if (++m_controlRepeat < 0)
        return;
    const int action = actionOf(m_controlEntry);
    if (!controlActionRepeats(action))
        return;
    if (const auto command = controlActionCommand(action))
        m_router->execute(*command);
}

void App::externalControlKey(Slot which, int key)
{
    SongView* view = slot(which);
    if (!view)
        return;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
}

// One octave of tempo per half range of the wheel, from the tempo at the
// first off-centre bend. Computed in floating point and held within the
// multiplier's range, so a base latched high cannot overflow it.
void App::pitchBendTempo(uint32_t message)
{
    const int bend = midi::secondDataByte(message) << 7 | midi::firstDataByte(message);
    if (m_pitchBendBase == 0)
        m_pitchBendBase = tempoMultiplier();
    const double scaled =
        std::trunc(double(m_pitchBendBase) * std::exp2(double(bend - kBendCentre) / kBendCentre));
    SetTempoMultiplier(clampMultiplier(scaled), false);
    if (bend == kBendCentre)
        m_pitchBendBase = 0;
}

void App::LearnMidi(uint32_t deviceId, uint32_t message)
{
    RZ_ASSERT_GUI_THREAD();
    m_mapCommands->learn(deviceId, message);
}

} // namespace rz
