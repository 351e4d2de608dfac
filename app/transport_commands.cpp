// The transport, locating, skip, click, tempo and volume commands, the track
// list's commands from elsewhere, performance mode, song stepping and quick
// transpose. GUI thread.

#include "app/transport_commands.h"

#include "app/command_rules.h"
#include "core/prompt.h"
#include "core/tempo_multiplier.h"
#include "engine/out_port.h"
#include "res/command_ids.h"
#include "set/set_document.h"
#include "song/cue.h"
#include "song/quick_transpose.h"
#include "song/song_doc.h"
#include "song/undo_record.h"

#include <algorithm>
#include <optional>

namespace rz {
namespace {

using T = TransportCommands;

constexpr CommandRow<T> kTransportCommands[] = {
    {kIdPlay, kIdStop, &T::onTransport, &T::onUpdateTransport},
    {kIdPlayThrough, kIdPlayThrough, &T::onTransport, &T::onUpdateTransport},
    {kIdPlayPause, kIdPlayPause, &T::onTransport, &T::onUpdateTransport},
    {kIdPlayStop, kIdPlayStop, &T::onTransport, &T::onUpdateTransport},
    {kIdPause, kIdPause, &T::onTransport, &T::onUpdateTransport},
    {kIdRecord, kIdRecord, &T::onTransport, &T::onUpdateTransport},
    {kIdRetake, kIdRetake, &T::onTransport, &T::onUpdateTransport},
    {kIdConductorTap, kIdConductorTap, &T::onTransport, &T::onUpdateTransport},
    {kIdLastVamp, kIdLastVamp, &T::onTransport, &T::onUpdateTransport},
    {kIdPreviousMeasure, kIdGoToEnd, &T::onNavigate, &T::onUpdateNavigate},
    {kIdPreviousNote, kIdNextNote, &T::onNavigate, &T::onUpdateNavigate},
    {kIdRepeatMeasure, kIdSkipNextMeasure, &T::onNavigate, &T::onUpdateNavigate},
    {kIdSkip0, kIdSkip9, &T::onSkip, nullptr},
    {kIdClickOnOff, kIdClickOnOff, &T::onClick, nullptr},
    {kIdTempoNormal, kIdMidiReset, &T::onAdjust, nullptr},
    {kIdVolumeFull, kIdVolumeUp, &T::onAdjust, nullptr},
    {kIdFreeStuckNotes, kIdFreeStuckNotes, &T::onAdjust, nullptr},
    {kIdSolo, kIdUnsolo, &T::onTrackList, &T::onUpdateTrackList},
    {kIdMarkTracksForRecording, kIdCancelRecordingOnMarkedTracks, &T::onTrackList,
     &T::onUpdateTrackList},
    {kIdTrackUp, kIdTrackDown, &T::onTrackList, &T::onUpdateTrackList},
    {kIdPerformanceMode, kIdEditMode, &T::onPerformance, &T::onUpdatePerformance},
    {kIdNextSong, kIdPreviousSong, &T::onSongStep, &T::onUpdateSongStep},
    {kIdTransposeUp, kIdTransposeDown, &T::onQuickTranspose, &T::onUpdateQuickTranspose},
};

constexpr int32_t kTempoStep = 1000;       // 1 % of the multiplier
constexpr int32_t kSlowestStepFrom = 51000;
constexpr int32_t kFullVolume = 16383;
constexpr int32_t kVolumeStep = 128;
constexpr const char* kClippedQuestion =
    "Note: one or more events will be clipped at the maximum/minimum note value.  Proceed "
    "anyway?";

// The tempo step: slower from 51 % up, to the whole percent below; faster
// below 200 %, to the whole percent above.
std::optional<int32_t> steppedTempo(CommandId id, int32_t multiplier)
{
    if (id == kIdTempoSlower)
        return multiplier >= kSlowestStepFrom
                   ? std::optional(multiplier / kTempoStep * kTempoStep - kTempoStep)
                   : std::nullopt;
    if (id == kIdTempoFaster)
        return multiplier < kMaxMultiplier
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

std::span<const CommandRow<T>> TransportCommands::commandTable()
{
    return kTransportCommands;
}

bool TransportCommands::onTransport(CommandId id)
{
    if (holdStartForPorts(id))
        return true;
    IEngineLink& engine = m_seams.engine();
    switch (id) {
    case kIdPlay: engine.Advance(false); break;
    case kIdPlayThrough: engine.Advance(true); break;
    case kIdPlayPause: engine.OnPlayPause(); break;
    case kIdPlayStop:
        // The countdown to the next song says Play/Stop cancels it: from the
        // stopped transport it would otherwise step and start.
        if (m_seams.advanceCountdown() != 0)
            m_seams.cancelAdvance();
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

void TransportCommands::onUpdateTransport(CommandId id, CmdUi& ui)
{
    const TransportState state = m_seams.engine().transportState();
    CSongDoc* song = m_seams.songs.currentSong();
    switch (id) {
    case kIdPlayThrough:
    case kIdPlayStop:
    case kIdConductorTap: ui.enabled = true; return;
    case kIdRecord:
        ui.enabled = song && state == TransportState::Stopped && !m_seams.options.performanceMode();
        return;
    case kIdRetake: ui.enabled = m_seams.engine().recording(); return;
    case kIdLastVamp: {
        const CCue* vamp = m_seams.engine().activeVamp();
        ui.enabled = song && state != TransportState::Stopped && vamp != nullptr
                     && vamp->kind == kCueVamp && song->position() >= vamp->secondTime;
        return;
    }
    default: ui.enabled = song != nullptr; return;
    }
}

bool TransportCommands::onNavigate(CommandId id)
{
    CSongDoc* song = m_seams.songs.currentSong();
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

void TransportCommands::onUpdateNavigate(CommandId id, CmdUi& ui)
{
    const CSongDoc* song = m_seams.songs.currentSong();
    ui.enabled = song != nullptr;
    if (!song || (id != kIdNextNote && id != kIdPreviousNote))
        return;
    ui.enabled = m_seams.engine().transportState() != TransportState::Playing
                 && (id == kIdNextNote ? song->position() < song->endTick : song->position() > 0);
}

bool TransportCommands::onSkip(CommandId id)
{
    m_seams.setSkipCount(int(id - kIdSkip0));
    if (m_seams.engine().transportState() != TransportState::Playing)
        m_seams.songChanged();
    return true;
}

// In performance mode the Record button is the click switch and shows it.
bool TransportCommands::onClick(CommandId)
{
    m_seams.setClickOn(!m_seams.clickOn());
    return true;
}

bool TransportCommands::onAdjust(CommandId id)
{
    switch (id) {
    case kIdTempoSlower:
    case kIdTempoFaster:
    case kIdTempoNormal:
        if (const std::optional<int32_t> multiplier = steppedTempo(id, m_seams.tempoMultiplier()))
            m_seams.songs.SetTempoMultiplier(*multiplier, true);
        return true;
    case kIdVolumeFull:
    case kIdVolumeDown:
    case kIdVolumeUp:
        m_seams.setVolume(steppedVolume(id, m_seams.volume()));
        return true;
    case kIdMidiReset:
        m_seams.reapplyPortSettings();
        return true;
    case kIdFreeStuckNotes:
        for (int i = 0; i < m_seams.engine().outPortCount(); ++i)
            if (auto* port = dynamic_cast<COutPort*>(m_seams.engine().openOutPort(i)))
                port->FreeStuckNotes();
        return true;
    default: return false;
    }
}

// The track list carries these out wherever the focus is.
bool TransportCommands::onTrackList(CommandId id)
{
    CommandTarget* list = m_seams.trackList();
    return list && list->handle(id);
}

void TransportCommands::onUpdateTrackList(CommandId id, CmdUi& ui)
{
    CommandTarget* list = m_seams.trackList();
    if (!list || !list->update(id, ui))
        ui.enabled = false;
}

// Entering performance mode saves everything first, so the show starts with
// every file on disk; asking for the mode already on only saves again.
bool TransportCommands::onPerformance(CommandId id)
{
    const bool on = id == kIdPerformanceMode;
    if (on != m_seams.options.performanceMode())
        m_seams.setPerformanceMode(on);
    if (m_seams.options.performanceMode())
        m_seams.saveAllSongs();
    return true;
}

void TransportCommands::onUpdatePerformance(CommandId id, CmdUi& ui)
{
    ui.checked = (id == kIdPerformanceMode) == m_seams.options.performanceMode();
}

// Previous song rewinds a song played into first; from its start it steps
// back through the set.
bool TransportCommands::onSongStep(CommandId id)
{
    m_seams.engine().Stop(false);
    if (id == kIdNextSong) {
        m_seams.stepSong();
        return true;
    }
    CSongDoc* song = m_seams.songs.currentSong();
    if (song && song->position() > 0) {
        song->GoToBeginning();
        return true;
    }
    if (CSongDoc* previous = m_seams.set().previousSong())
        m_seams.activateSong(*previous);
    return true;
}

void TransportCommands::onUpdateSongStep(CommandId, CmdUi& ui)
{
    ui.enabled = m_seams.set().size() > 0;
}

// A clipped note asks first; Cancel leaves the song and its undo list alone.
bool TransportCommands::onQuickTranspose(CommandId id)
{
    CSongDoc* song = m_seams.songs.currentSong();
    if (!song)
        return false;
    m_seams.views.setWaitCursor(true);
    QuickTranspose transpose = BuildQuickTranspose(
        *song, id == kIdTransposeUp ? 1 : -1, m_seams.set().songContext().synths,
        m_seams.set().songContext().chords);
    m_seams.views.setWaitCursor(false);
    if (!transpose.record)
        return true;
    if (transpose.clipped && m_seams.prompt.askOkCancel(kClippedQuestion) != PromptAnswer::Ok)
        return true;
    song->ApplyEdit(std::move(transpose.record));
    return true;
}

void TransportCommands::onUpdateQuickTranspose(CommandId, CmdUi& ui)
{
    ui.enabled = stoppedEditing(m_seams.songs, m_seams.options, m_seams.engine());
}

} // namespace rz
