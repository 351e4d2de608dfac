// The command targets and what each is given of the application: the
// wiring of the commands by menu. GUI thread.

#include "app/app.h"

#include "app/edit_commands.h"
#include "app/engine_calls.h"
#include "app/file_commands.h"
#include "app/file_opening.h"
#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/frame_timer_tasks.h"
#include "app/help_commands.h"
#include "app/main_frame.h"
#include "app/maps/external_controls.h"
#include "app/song_advance.h"
#include "app/transport_controls.h"
#include "app/maps/map_commands.h"
#include "app/menu_bar.h"
#include "app/options/options_access.h"
#include "app/setup_commands.h"
#include "app/startup_steps.h"
#include "app/transport_commands.h"
#include "app/view_commands.h"
#include "core/engine_gui_values.h"
#include "core/ms_clock.h"
#include "engine/sequencer.h"
#include "res/command_ids.h"
#include "res/main_menu.h"
#include "ui/command_router.h"
#include "ui/fader_ctrl.h"
#include "ui/help_opener.h"
#include "ui/ui_updater.h"
#include "views/frame_timer_ids.h"
#include "views/track/track_view.h"

namespace rz {
namespace {

constexpr const char* kEditMenu = "&Edit";

} // namespace

// The helpers that hold the frame's controls and timers' state.
void App::createHelpers()
{
    auto engine = [this]() -> IEngineLink& { return *m_engine; };
    auto frame = [this] { return m_frame.data(); };
    m_transport = std::make_unique<TransportControls>(TransportControlSeams{
        .profile = *m_profile,
        .engine = [this] { return m_engine; },
        .published = [this] { return m_published; },
        .frame = frame,
        .set = [this] { return m_set.get(); },
        .currentSong = [this] { return m_currentSong; },
        .sequencer = [this] { return m_sequencer.get(); },
    });
    const SongAdvanceSeams advance{
        .profile = *m_profile,
        .engine = engine,
        .frame = frame,
        .set = [this]() -> SetDocument& { return *m_set; },
        .currentSong = [this] { return m_currentSong; },
        .performanceMode = [this] { return m_display.performanceMode(); },
        .updateAllViews = [this] { UpdateAllViews(); },
        .transportChanged = [this] { m_engineCalls->transportChanged(); },
    };
    m_advance = std::make_unique<SongAdvance>(advance);
    m_autoSave = std::make_unique<AutoSave>(advance);
    m_externalControls = std::make_unique<ExternalControls>(ExternalControlSeams{
        .router = *m_router,
        .transport = *m_transport,
        .engine = engine,
        .timers = [this] { return m_frame ? &m_frame->timers() : nullptr; },
        .trackList = [this] { return static_cast<QWidget*>(m_views.slot(ViewSlots::kTrack)); },
        .setList = [this] { return static_cast<QWidget*>(m_views.slot(ViewSlots::kLive)); },
    });
    m_opening = std::make_unique<FileOpening>(FileOpeningSeams{
        .profile = *m_profile,
        .prompt = *m_prompt,
        .display = m_display,
        .files = m_files,
        .recentSets = m_recentSets,
        .recentSongs = m_recentSongs,
        .updater = *m_updater,
        .engine = engine,
        .set = [this]() -> SetDocument& { return *m_set; },
        .workFolder = [this] { return m_workFolder; },
        .frame = frame,
        .currentSong = [this] { return m_currentSong; },
        .updateTitle = [this] { UpdateTitle(); },
    });
    m_optionsSheet = std::make_unique<OptionsAccess>(OptionsAccessSeams{
        .profile = *m_profile,
        .prompt = *m_prompt,
        .display = m_display,
        .views = m_views,
        .autoSave = *m_autoSave,
        .lockWait = m_options.lockWait,
        .frame = frame,
        .currentSong = [this] { return m_currentSong; },
        .sequencer = [this] { return m_sequencer.get(); },
        .database = [this] { return m_database.get(); },
    });
    m_optionsSheet->setHelpOpener([this](std::string_view topic) { m_help->open(topic); });
    m_timerTasks = std::make_unique<FrameTimerTasks>(FrameTimerSeams{
        .profile = *m_profile,
        .statusLine = m_statusLine,
        .frame = frame,
        .sequencer = [this] { return m_sequencer.get(); },
        .instance = [this] { return m_instance.get(); },
        .set = [this]() -> SetDocument& { return *m_set; },
        .currentSong = [this] { return m_currentSong; },
        .setCurrentSong = [this](CSongDoc* song) { SetCurrentSong(song); },
        .broadcastToViews = [this] { BroadcastToViews(); },
        .open = [this](const std::filesystem::path& path) {
            return m_opening->OpenDocumentFile(path);
        },
        .tempoMultiplier = [this] { return tempoMultiplier(); },
        .setTempoMultiplier = [this](int32_t multiplier, bool resetStep) {
            SetTempoMultiplier(multiplier, resetStep);
        },
        .paneViewRequest = [this](int id) { paneViewRequest(id); },
        .tornOffViewRequest = [this](int id) { tornOffViewRequest(id); },
        .startupStep = [this] { startupStep(); },
        .controlRepeat = [this] { m_externalControls->repeat(); },
        .autoSaveMinute = [this] { m_autoSave->minute(); },
        .songEnded = [this] { m_advance->songEnded(); },
        .advanceStep = [this] { m_advance->advanceStep(); },
        .updateNotice = [this] { m_commands.help->updateNotice(); },
    });
}

SongFilesSeams App::filesSeams()
{
    return SongFilesSeams{
        .profile = [this]() -> IProfile& { return *m_profile; },
        .prompt = [this]() -> IPrompt& { return *m_prompt; },
        .router = [this]() -> CommandRouter& { return *m_router; },
        .recentSongs = m_recentSongs,
        .views = m_views,
        .workFolder = [this] { return m_workFolder; },
        .rebuildRecentMenus = [this] { m_opening->rebuildRecentMenus(); },
        .window = [this]() -> QWidget* { return m_frame.data(); },
    };
}

SongViewSeams App::songViewSeams()
{
    return SongViewSeams{
        .views = m_views,
        .router = [this]() -> CommandRouter& { return *m_router; },
        .frame = [this] { return m_frame.data(); },
        .updateAllViews = [this] { UpdateAllViews(); },
        .updateTitle = [this] { UpdateTitle(); },
        .updateNoteDuration = [this] { UpdateNoteDuration(); },
        .restoreLayout = [this](std::string_view layout) { m_layout.RestoreLayout(layout); },
        .snapshotLayout = [this](std::string& layout) { m_layout.SnapshotLayout(layout); },
        .statusText = [this](std::string_view text) { m_statusLine.setText(text); },
        .repaintTransportPanel = [this] { repaintTransportPanel(); },
    };
}

FrameSeams App::frameSeams()
{
    return FrameSeams{
        .views = m_views,
        .display = m_display,
        .engine = [this]() -> IEngineLink& { return *m_engine; },
        .closeAudioEngines = [this] {
            if (m_sequencer)
                m_sequencer->CloseAudioEngines();
        },
        .set = [this] { return m_set.get(); },
        .currentSong = [this] { return m_currentSong; },
        .updateTitle = [this] { UpdateTitle(); },
        .startupComplete = [this] { return m_startupComplete; },
        .clearStartupComplete = [this] { m_startupComplete = false; },
        .onTimer = [this](int id) { m_timerTasks->onFrameTimer(id); },
        .finishClose = [this] { finishClose(); },
        .controlContext = [this] { return controlContext(); },
        .dropFiles = [this](const std::vector<std::filesystem::path>& paths, bool alt) {
            m_opening->dropFiles(paths, alt);
        },
        .helpKey = [this] { m_commands.help->onHelpKey(); },
    };
}

StatusLineSeams App::statusLineSeams()
{
    return StatusLineSeams{
        .display = m_display,
        .frame = [this] { return m_frame.data(); },
        .lockPerformance = [this] {
            setPerformanceMode(true);
            if (m_frame)
                m_frame->toolBar()->setPressed(true);
        },
    };
}

void App::createCommandTargets()
{
    auto engine = [this]() -> IEngineLink& { return *m_engine; };
    auto set = [this]() -> SetDocument& { return *m_set; };
    auto window = [this]() -> QWidget* { return m_frame.data(); };
    auto published = [this] { return m_published; };

    m_commands.transport = std::make_unique<TransportCommands>(TransportSeams{
        .engine = engine,
        .songs = *this,
        .options = m_display,
        .views = m_songViews,
        .set = set,
        .prompt = *m_prompt,
        .advanceCountdown = [this] { return m_advance->countdown(); },
        .cancelAdvance = [this] { m_advance->cancel(false); },
        .setSkipCount = [this](int count) { m_transport->setSkipCount(count); },
        .songChanged = [this] { OnSongChanged(); },
        .clickOn = [this] { return m_transport->clickOn(); },
        .setClickOn = [this](bool on) { m_transport->setClickOn(on); },
        .tempoMultiplier = [this] { return tempoMultiplier(); },
        .volume = [this] { return m_frame ? m_frame->volumeFader()->pos() : 0; },
        .setVolume = [this](int32_t volume) { m_transport->setVolume(volume); },
        .reapplyPortSettings = [this] {
            if (m_sequencer)
                m_sequencer->ReapplyPortSettings();
        },
        .trackList = [this] { return dynamic_cast<CommandTarget*>(trackView()); },
        .setPerformanceMode = [this](bool on) {
            setPerformanceMode(on);
            if (m_frame)
                m_frame->toolBar()->setPressed(on);
        },
        .saveAllSongs = [this] { SaveAllSongs(); },
        .stepSong = [this] { return m_advance->stepSong(); },
        .activateSong = [this](CSongDoc& song) { m_opening->activateFound(song); },
        .portsLoading = [this] { return m_sequencer && m_sequencer->portsLoading(); },
        .statusText = [this](const std::string& text) {
            if (!m_frame)
                return;
            if (text.empty())
                m_frame->setPromptId(m_frame->promptId()); // the prompt again
            else
                m_frame->statusBar()->setPartText(0, QString::fromStdString(text));
        },
    });

    m_commands.file = std::make_unique<FileCommands>(FileSeams{
        .engine = engine,
        .songs = *this,
        .options = m_display,
        .set = set,
        .profile = *m_profile,
        .prompt = *m_prompt,
        .dialogs = m_setupDialogs,
        .recentSets = m_recentSets,
        .recentSongs = m_recentSongs,
        .rebuildRecentMenus = [this] { m_opening->rebuildRecentMenus(); },
        .documentsFolder = [this] { return m_documentsFolder; },
        .open = [this](const std::filesystem::path& path) {
            return m_opening->OpenDocumentFile(path);
        },
        .closeAll = [this] { return CloseAllDocuments(); },
        .saveAll = [this] { SaveAllSongs(); },
        .startupComplete = [this] { return m_startupComplete; },
        .trackViewRows = [this] { return m_views.trackViewRows(); },
        .printer = [this](CommandId id) -> CommandTarget* {
            for (const ViewSlots::Slot which : {ViewSlots::kStaff, ViewSlots::kLyric}) {
                auto* target = dynamic_cast<CommandTarget*>(m_views.slot(which));
                if (target && target->hasHandler(id))
                    return target;
            }
            return nullptr;
        },
        .sampleRate = [this] {
            return m_sequencer ? m_sequencer->audioFormat().sampleRate : AudioFormat{}.sampleRate;
        },
        .window = window,
    });

    m_commands.edit = std::make_unique<EditCommands>(EditSeams{
        .engine = engine,
        .songs = *this,
        .options = m_display,
        .views = m_songViews,
        .profile = *m_profile,
        .clipboard = m_files.clipboard(),
        .updater = *m_updater,
        .canPaste = [this] { return CanPaste(); },
        .effectMenu = [this]() -> QMenu* {
            return m_frame ? m_frame->menuBar()->subMenu(kEditMenu, kAudioEffectMenu) : nullptr;
        },
        .tempoMultiplier = [this] { return tempoMultiplier(); },
        .tempoNormal = [this] { m_router->execute(kIdTempoNormal); },
        .window = window,
        .help = [this](std::string_view topic) { m_help->open(topic); },
        .tempoTap = [this]() -> SinkSlot<ITempoTapSink>* {
            return m_sequencer ? &m_sequencer->inputSinks().tempoTap : nullptr;
        },
        .engineClock = [this] { return m_sequencer ? m_sequencer->msClock() : timeGetTime(); },
        .dialogs = &m_setupDialogs,
    });

    m_commands.view = std::make_unique<ViewCommands>(ViewSeams{
        .songs = *this,
        .views = m_songViews,
        .engine = engine,
        .set = set,
        .profile = *m_profile,
        .factory = m_viewFactory,
        .audioFace = m_transport->audioFace(),
        .bouncingBall = m_transport->bouncingBall(),
        .faceChanged = [this] { m_transport->publishBeatDisplay(); },
        .published = published,
        .frame = [this] { return m_frame.data(); },
        .editorKind = [this] { return m_views.editorKind(); },
        .shown = [this](ViewKind kind) {
            return m_views.slot(ViewSlots::slotOfKind(int(kind))) != nullptr;
        },
        .hasControllerPane = [this] {
            SongView* controller = nullptr;
            m_views.currentViews(nullptr, &controller);
            return controller != nullptr;
        },
        .controller = [this] { return std::pair(m_views.controlKind(), m_views.controlNumber()); },
        .setController = [this](int kind, int number) { m_views.setController(kind, number); },
        .transportDisplayMode = [this] { return m_transport->displayMode(); },
        .setTransportDisplayMode = [this](int mode) { m_transport->setDisplayMode(mode); },
    });

    m_commands.setup = std::make_unique<SetupCommands>(SetupSeams{
        .dialogs = m_setupDialogs,
        .songs = *this,
        .openOptions = [this](int page) { return m_optionsSheet->OpenOptions(page); },
        .updateTrackSynths = [this] { m_engineCalls->UpdateTrackSynths(); },
        .loadAudioOptions = [this] {
            if (m_sequencer)
                m_sequencer->LoadAudioOptions();
        },
        .repaintFrame = [this] {
            if (m_frame)
                m_frame->QWidget::update();
        },
        .refreshSetViews = [this] {
            m_transport->refreshSongCaptions();
            m_set->updateSetViews();
        },
    });

    m_commands.help = std::make_unique<HelpCommands>(HelpSeams{
        .profile = *m_profile,
        .prompt = *m_prompt,
        .help = *m_help,
        .options = m_display,
        .version = GetExeFileVersion(),
        .tipsFile = [this] { return tipsFile(m_programFolder); },
        .window = window,
        .startNoticeTimer = [this](int ms) {
            if (m_frame)
                m_frame->timers().start(frame_timer::kUpdateNotice, ms);
        },
        .killNoticeTimer = [this] {
            if (m_frame)
                m_frame->timers().kill(frame_timer::kUpdateNotice);
        },
    });

    m_commands.maps = std::make_unique<MapCommands>(MapSeams{
        .profile = *m_profile,
        .prompt = *m_prompt,
        .help = *m_help,
        .keys = *m_keys,
        .published = published,
        .documentsFolder = [this] { return m_documentsFolder; },
        .window = window,
        .refreshKeyTexts = [this] {
            if (m_frame)
                m_frame->menuBar()->refreshKeyTexts();
        },
        .setKeyMaps = [this](KeyMap entries) {
            if (m_sequencer)
                m_sequencer->setKeyMaps(std::move(entries));
        },
        .inputNames = [this] {
            std::vector<std::string> names;
            if (m_sequencer)
                for (size_t i = 0; i < m_sequencer->inputCount(); ++i)
                    names.push_back(m_sequencer->input(i).name());
            return names;
        },
    });

    m_router->setApplication(m_commands.menus());

    m_engineCalls = std::make_unique<EngineCalls>(EngineCallSeams{
        .transport = *m_transport,
        .externalControls = *m_externalControls,
        .advance = *m_advance,
        .updater = *m_updater,
        .router = *m_router,
        .maps = *m_commands.maps,
        .engine = engine,
        .set = [this] { return m_set.get(); },
        .frame = [this] { return m_frame.data(); },
        .hasSequencer = [this] { return m_sequencer != nullptr; },
        .songChanged = [this] { OnSongChanged(); },
        .updateAllViews = [this] { UpdateAllViews(); },
    });
}

// Every modified song, then the set when it has a file.
void App::SaveAllSongs()
{
    m_set->SaveAllSongs();
}

bool App::CloseAllDocuments()
{
    if (!m_set->SaveModified())
        return false;
    SetCurrentSong(nullptr);
    m_set->CloseAllDocuments();
    setPerformanceMode(false);
    if (m_frame)
        m_frame->toolBar()->setPressed(false);
    UpdateTitle();
    return true;
}

void App::UpdateNoteDuration()
{
    m_commands.view->UpdateNoteDuration();
}

} // namespace rz
