// The main frame's commands as the application carries them out: views,
// the transport display, help, performance mode, song stepping, quick
// transpose and dropped files. The frame routes them here (FrameHost), so
// they keep the frame's place in command routing. GUI thread.

#include "app/app.h"

#include "app/flat_tool_bar.h"
#include "app/main_frame.h"
#include "core/engine_link.h"
#include "core/midi_bytes.h"
#include "res/command_ids.h"
#include "res/help_topics.h"
#include "set/set_document.h"
#include "song/quick_transpose.h"
#include "song/song_doc.h"
#include "song/undo_record.h"
#include "ui/bitmap_push_button.h"
#include "ui/command_router.h"
#include "ui/help_opener.h"

namespace rz {
namespace {

constexpr int kViewRequestMs = 100;
constexpr int kFirstEditorView = int(kIdViewClipsAndCues) - 1; // view command - this = timer id
constexpr int kPitchWheel = midi::kPitchBend;
constexpr int kChannelPressure = midi::kChannelPressure;
constexpr int kController = midi::kControlChange;
constexpr int kModWheel = cc::kModulation;
constexpr int kExpression = cc::kExpression;
constexpr const char* kClippedQuestion =
    "Note: one or more events will be clipped at the maximum/minimum note value.  Proceed "
    "anyway?";

constexpr CommandRow<App> kFrameCommands[] = {
    {kIdTextChords, kIdAccidental, &App::onStaffTool, &App::onUpdateStaffTool},
    {kIdGrid, kIdDraw, &App::onStaffTool, &App::onUpdateStaffTool},
    {kIdDrawLines, kIdDrawFreeHand, &App::onStaffTool, &App::onUpdateStaffTool},
    {kIdBouncingBall, kIdShowObjectGrid, &App::onLyricTool, &App::onUpdateLyricTool},
    {kIdViewClipsAndCues, kIdViewVelocity, &App::onEditorView, &App::onUpdateEditorView},
    {kIdViewTempoMap, kIdViewTempoMap, &App::onPaneView, &App::onUpdatePaneView},
    {kIdViewFaders, kIdViewFaders, &App::onPaneView, &App::onUpdatePaneView},
    {kIdViewPitchWheel, kIdViewPitchWheel, &App::onControllerMap, &App::onUpdateControllerMap},
    {kIdViewChannelPressure, kIdViewChannelPressure, &App::onControllerMap,
     &App::onUpdateControllerMap},
    {kIdViewModWheel, kIdViewExpression, &App::onControllerMap, &App::onUpdateControllerMap},
    {kIdViewMeterKey, kIdViewSongTime, &App::onDisplayMode, &App::onUpdateDisplayMode},
    {kIdHelpContents, kIdHelpSearch, &App::onHelp, nullptr},
    {kIdMidiAssociationWebSite, kIdMidiAssociationWebSite, &App::onHelp, nullptr},
    {kIdPerformanceMode, kIdEditMode, &App::onPerformance, &App::onUpdatePerformance},
    {kIdNextSong, kIdPreviousSong, &App::onSongStep, &App::onUpdateSongStep},
    {kIdTransposeUp, kIdTransposeDown, &App::onQuickTranspose, &App::onUpdateSongEdit},
    {kIdOptions, kIdOptions, &App::onOptions, nullptr},
    {kIdRecordOptions, kIdPlaybackOptions, &App::onOptions, nullptr},
    {kIdTipOfTheDay, kIdTipOfTheDay, &App::onTipOfTheDay, nullptr},
    {kIdKeyboardAccelerators, kIdKeyboardAccelerators, &App::onSetupMaps, nullptr},
    {kIdExternalControl, kIdExternalControl, &App::onSetupMaps, nullptr},
    {kIdImportLyrics, kIdImportLyrics, &App::onImportLyrics, &App::onUpdateImportLyrics},
    {kIdTrackUp, kIdTrackDown, &App::onTrackViewCommand, &App::onUpdateTrackViewCommand},
    {kIdMidiPorts, kIdMidiPorts, &App::onMidiPorts, &App::onUpdateSetupDialog},
    {kIdSynthPatchNames, kIdSynthPatchNames, &App::onSynthPatchNames, &App::onUpdateSetupDialog},
    {kIdSynchronization, kIdSynchronization, &App::onSynchronization, &App::onUpdateSetupDialog},
    {kIdAudioDevices, kIdAudioDevices, &App::onWaveformAudio, &App::onUpdateSetupDialog},
    {kIdSoundFontBanks, kIdSoundFontBanks, &App::onSoundFontBanks, &App::onUpdateSetupDialog},
};

struct ControllerMap {
    CommandId id;
    int kind;
    int number;
};

constexpr ControllerMap kControllerMaps[] = {
    {kIdViewPitchWheel, kPitchWheel, 0},
    {kIdViewChannelPressure, kChannelPressure, 0},
    {kIdViewModWheel, kController, kModWheel},
    {kIdViewExpression, kController, kExpression},
};

const ControllerMap* controllerMapOf(CommandId id)
{
    for (const ControllerMap& map : kControllerMaps)
        if (map.id == id)
            return &map;
    return nullptr;
}

} // namespace

std::span<const CommandRow<App>> App::frameCommandTable()
{
    return kFrameCommands;
}

// The frame's command table names every frame command; a command without a
// row here is greyed by the frame.
bool App::runFrameRow(CommandId id, bool run, CmdUi* ui)
{
    for (const CommandRow<App>& row : kFrameCommands) {
        if (id < row.firstId || id > row.lastId)
            continue;
        if (run)
            return row.handler && (this->*row.handler)(id);
        if (row.update)
            (this->*row.update)(id, *ui);
        return true;
    }
    return false;
}

bool App::onFrameCommand(CommandId id)
{
    return runFrameRow(id, true, nullptr);
}

// A frame command without a row here is greyed.
bool App::updateFrameCommand(CommandId id, CmdUi& ui)
{
    if (!runFrameRow(id, false, &ui))
        ui.enabled = false;
    return true;
}

// Editor views: the frame's timer makes the view in the editor pane.
bool App::onEditorView(CommandId id)
{
    if (m_frame)
        m_frame->timers().start(int(id) - kFirstEditorView, kViewRequestMs);
    return true;
}

void App::onUpdateEditorView(CommandId id, CmdUi& ui)
{
    const int kind = int(id) - kFirstEditorView;
    ui.enabled = m_viewFactory.canCreate(ViewKind(kind));
    ui.checked = m_editorKind == kind;
}

// The tempo map and the faders take the controller pane, and only while
// there is one.
bool App::onPaneView(CommandId id)
{
    const bool tempo = id == kIdViewTempoMap;
    SongView* controller = nullptr;
    GetCurrentViews(nullptr, &controller);
    if (slot(tempo ? kTempo : kSlider) || !controller || !m_frame)
        return true;
    if (m_currentSong)
        activateEditorView(*m_currentSong);
    m_frame->timers().start(int(tempo ? ViewKind::Tempo : ViewKind::Slider), kViewRequestMs);
    return true;
}

void App::onUpdatePaneView(CommandId id, CmdUi& ui)
{
    const bool tempo = id == kIdViewTempoMap;
    ui.enabled = m_viewFactory.canCreate(tempo ? ViewKind::Tempo : ViewKind::Slider);
    ui.checked = slot(tempo ? kTempo : kSlider) != nullptr;
}

void App::ActivateView(int kind, int number)
{
    m_controlKind = kind;
    m_controlNumber = number;
    SongView* controller = nullptr;
    GetCurrentViews(nullptr, &controller);
    if (!controller || !m_frame)
        return;
    if (m_currentSong)
        activateEditorView(*m_currentSong);
    m_frame->timers().start(int(ViewKind::Control), kViewRequestMs);
}

bool App::onControllerMap(CommandId id)
{
    if (const ControllerMap* map = controllerMapOf(id))
        ActivateView(map->kind, map->number);
    return true;
}

void App::onUpdateControllerMap(CommandId id, CmdUi& ui)
{
    const ControllerMap* map = controllerMapOf(id);
    ui.enabled = m_viewFactory.canCreate(ViewKind::Control);
    ui.checked = map && slot(kControl) && m_controlKind == map->kind
                 && (map->kind != kController || m_controlNumber == map->number);
}

bool App::onDisplayMode(CommandId id)
{
    setTransportDisplayMode(int(id - kIdViewMeterKey));
    m_set->updateSetViews();
    return true;
}

void App::onUpdateDisplayMode(CommandId id, CmdUi& ui)
{
    ui.radio = true;
    ui.checked = m_viewSetTime == int(id - kIdViewMeterKey);
}

bool App::onHelp(CommandId id)
{
    if (id == kIdMidiAssociationWebSite)
        m_help->openWebSite(kMidiAssociationUrl);
    else
        m_help->open(id == kIdHelpSearch ? kHelpSearch : kHelpWelcome);
    return true;
}

void App::onHelpKey()
{
    if (!m_performanceMode)
        m_help->open(kHelpWelcome);
}

// Entering performance mode saves everything first, so the show starts with
// every file on disk; asking for the mode already on only saves again.
bool App::onPerformance(CommandId id)
{
    const bool on = id == kIdPerformanceMode;
    if (on != m_performanceMode) {
        setPerformanceMode(on);
        if (m_frame)
            m_frame->toolBar()->setPressed(on);
    }
    if (m_performanceMode)
        SaveAllSongs();
    return true;
}

void App::onUpdatePerformance(CommandId id, CmdUi& ui)
{
    ui.checked = (id == kIdPerformanceMode) == m_performanceMode;
}

// Previous song rewinds a song played into first; from its start it steps
// back through the set.
bool App::onSongStep(CommandId id)
{
    m_engine->Stop(false);
    if (id == kIdNextSong) {
        StepSong();
        return true;
    }
    if (m_currentSong && m_currentSong->position() > 0) {
        m_currentSong->GoToBeginning();
        return true;
    }
    if (CSongDoc* previous = m_set->previousSong())
        activateFound(*previous);
    return true;
}

void App::onUpdateSongStep(CommandId, CmdUi& ui)
{
    ui.enabled = m_set->size() > 0;
}

// A clipped note asks first; Cancel leaves the song and its undo list alone.
bool App::onQuickTranspose(CommandId id)
{
    CSongDoc* song = m_currentSong;
    if (!song)
        return false;
    setWaitCursor(true);
    QuickTranspose transpose = BuildQuickTranspose(
        *song, id == kIdTransposeUp ? 1 : -1, m_set->songContext().synths, nullptr);
    setWaitCursor(false);
    if (!transpose.record)
        return true;
    if (transpose.clipped && m_prompt->askOkCancel(kClippedQuestion) != PromptAnswer::Ok)
        return true;
    song->ApplyEdit(std::move(transpose.record));
    return true;
}

} // namespace rz
