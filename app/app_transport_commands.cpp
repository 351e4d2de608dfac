// The transport, locating, skip, click, tempo and volume commands of the
// application. GUI thread.

#include "app/app.h"

#include "app/main_frame.h"
#include "core/engine_link.h"
#include "engine/out_port.h"
#include "engine/sequencer.h"
#include "res/command_ids.h"
#include "song/cue.h"
#include "song/song_doc.h"
#include "ui/fader_ctrl.h"

#include <algorithm>

namespace rz {
namespace {

constexpr int32_t kTempoStep = 1000;       // 1 % of the multiplier
constexpr int32_t kSlowestStepFrom = 51000;
constexpr int32_t kFastestMultiplier = 200000;
constexpr int32_t kNormalMultiplier = 100000;
constexpr int32_t kFullVolume = 16383;
constexpr int32_t kVolumeStep = 128;

// The tempo step: slower from 51 % up, to the whole percent below; faster
// below 200 %, to the whole percent above.
std::optional<int32_t> steppedTempo(CommandId id, int32_t multiplier)
{
    if (id == kIdTempoSlower)
        return multiplier >= kSlowestStepFrom
                   ? std::optional(multiplier / kTempoStep * kTempoStep - kTempoStep)
                   : std::nullopt;
    if (id == kIdTempoFaster)
        return multiplier < kFastestMultiplier
                   ? std::optional((multiplier / kTempoStep + 1) * kTempoStep)
                   : std::nullopt;
    return kNormalMultiplier;
}

// Volume steps work on whole steps of 128: the low seven bits go first.
int32_t steppedVolume(CommandId id, int32_t volume)
{
    if (id == kIdVolumeFull)
        return kFullVolume;
    const int32_t base = volume & ~(kVolumeStep - 1);
    return std::clamp(id == kIdVolumeUp ? base + kVolumeStep : base - kVolumeStep, 0, kFullVolume);
}

} // namespace

bool App::onTransport(CommandId id)
{
    IEngineLink& engine = *m_engine;
    switch (id) {
    case kIdPlay: engine.Advance(false); break;
    case kIdPlayThrough: engine.Advance(true); break;
    case kIdPlayPause: engine.OnPlayPause(); break;
    case kIdPlayStop:
        // The countdown to the next song says Play/Stop cancels it: from the
        // stopped transport it would otherwise step and start.
        if (m_advanceCountdown != 0)
            CancelAdvance(false);
        else
            engine.OnPlayStop();
        break;
    case kIdStop: engine.Stop(false); break;
    case kIdPause:
        if (engine.transportState() != TransportState::Paused)
            engine.Pause();
        else if (engine.previousState() != TransportState::Stopped)
            engine.Advance(false);
        else
            engine.Stop(false);
        break;
    case kIdRecord: engine.Record(); break;
    case kIdRetake:
        engine.Stop(true);
        engine.Record();
        break;
    case kIdConductorTap: engine.ConductorTap(); break;
    case kIdLastVamp: engine.ToggleVampExit(true); break;
    default: return false;
    }
    return true;
}

void App::onUpdateTransport(CommandId id, CmdUi& ui)
{
    const TransportState state = m_engine->transportState();
    const bool song = m_currentSong != nullptr;
    switch (id) {
    case kIdPlayThrough:
    case kIdPlayStop:
    case kIdConductorTap: ui.enabled = true; return;
    case kIdRecord:
        ui.enabled = song && state == TransportState::Stopped && !m_performanceMode;
        return;
    case kIdRetake: ui.enabled = m_engine->recording(); return;
    case kIdLastVamp: {
        const CCue* vamp = m_engine->activeVamp();
        ui.enabled = song && state != TransportState::Stopped && vamp != nullptr
                     && vamp->kind == kCueVamp && m_currentSong->position() >= vamp->secondTime;
        return;
    }
    default: ui.enabled = song; return;
    }
}

bool App::onNavigate(CommandId id)
{
    CSongDoc* song = m_currentSong;
    if (!song)
        return false;
    switch (id) {
    case kIdNextCue: song->NextCue(); break;
    case kIdPreviousCue: song->PreviousCue(); break;
    case kIdNextNote: song->NextNote(); break;
    case kIdPreviousNote: song->PreviousNote(); break;
    case kIdGoToBeginning: song->GoToBeginning(); break;
    case kIdGoToEnd: song->GoToEnd(); break;
    case kIdNextMeasure: song->NextMeasure(); break;
    case kIdPreviousMeasure: song->PreviousMeasure(); break;
    case kIdSkipNextMeasure: song->SkipNextMeasure(); break;
    case kIdRepeatMeasure: song->RepeatMeasure(); break;
    default: return false;
    }
    return true;
}

void App::onUpdateNavigate(CommandId id, CmdUi& ui)
{
    const CSongDoc* song = m_currentSong;
    ui.enabled = song != nullptr;
    if (!song || (id != kIdNextNote && id != kIdPreviousNote))
        return;
    ui.enabled = m_engine->transportState() != TransportState::Playing
                 && (id == kIdNextNote ? song->position() < song->endTick : song->position() > 0);
}

bool App::onSkip(CommandId id)
{
    setSkipCount(int(id - kIdSkip0));
    if (m_engine->transportState() != TransportState::Playing)
        OnSongChanged();
    return true;
}

// In performance mode the Record button is the click switch and shows it.
bool App::onClick(CommandId)
{
    setClickOn(!m_clickOn);
    return true;
}

bool App::onAdjust(CommandId id)
{
    switch (id) {
    case kIdTempoSlower:
    case kIdTempoFaster:
    case kIdTempoNormal:
        if (const std::optional<int32_t> multiplier = steppedTempo(id, tempoMultiplier()))
            SetTempoMultiplier(*multiplier, true);
        return true;
    case kIdVolumeFull:
    case kIdVolumeDown:
    case kIdVolumeUp:
        if (m_frame)
            SetVolumeSlider(steppedVolume(id, m_frame->volumeFader()->pos()));
        return true;
    case kIdMidiReset:
        if (m_sequencer)
            m_sequencer->ReapplyPortSettings();
        return true;
    case kIdFreeStuckNotes:
        for (int i = 0; i < m_engine->outPortCount(); ++i)
            if (auto* port = dynamic_cast<COutPort*>(m_engine->openOutPort(i)))
                port->FreeStuckNotes();
        return true;
    default: return false;
    }
}

void App::setClickOn(bool on)
{
    m_clickOn = on;
    if (m_published)
        m_published->setClickOn(on);
    updateTransportButtons();
}

} // namespace rz
