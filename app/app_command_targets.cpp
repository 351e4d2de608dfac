// The command targets and what each is given of the application: the
// wiring of the commands by menu. GUI thread.

#include "app/app.h"

#include "app/edit_commands.h"
#include "app/file_commands.h"
#include "app/flat_status_bar.h"
#include "app/flat_tool_bar.h"
#include "app/help_commands.h"
#include "app/main_frame.h"
#include "app/maps/external_controls.h"
#include "app/song_advance.h"
#include "app/transport_controls.h"
#include "app/maps/map_commands.h"
#include "app/menu_bar.h"
#include "app/setup_commands.h"
#include "app/transport_commands.h"
#include "app/view_commands.h"
#include "core/engine_gui_values.h"
#include "engine/sequencer.h"
#include "res/main_menu.h"
#include "ui/command_router.h"
#include "ui/fader_ctrl.h"
#include "ui/ui_updater.h"
#include "views/frame_timer_ids.h"
#include "views/track_view.h"

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
        .performanceMode = [this] { return m_performanceMode; },
        .updateAllViews = [this] { UpdateAllViews(); },
        .transportChanged = [this] { transportChanged(); },
    };
    m_advance = std::make_unique<SongAdvance>(advance);
    m_autoSave = std::make_unique<AutoSave>(advance);
    m_externalControls = std::make_unique<ExternalControls>(ExternalControlSeams{
        .router = *m_router,
        .transport = *m_transport,
        .engine = engine,
        .timers = [this] { return m_frame ? &m_frame->timers() : nullptr; },
        .trackList = [this] { return static_cast<QWidget*>(slot(kTrack)); },
        .setList = [this] { return static_cast<QWidget*>(slot(kLive)); },
    });
}

void App::createCommandTargets()
{
    auto engine = [this]() -> IEngineLink& { return *m_engine; };
    auto set = [this]() -> SetDocument& { return *m_set; };
    auto window = [this]() -> QWidget* { return m_frame.data(); };
    auto published = [this] { return m_published; };

    m_transportCommands = std::make_unique<TransportCommands>(TransportSeams{
        .engine = engine,
        .songs = *this,
        .options = *this,
        .views = *this,
        .set = set,
        .prompt = *m_prompt,
        .advanceCountdown = [this] { return m_advance->countdown(); },
        .cancelAdvance = [this] { CancelAdvance(false); },
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
        .activateSong = [this](CSongDoc& song) { activateFound(song); },
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

    m_fileCommands = std::make_unique<FileCommands>(FileSeams{
        .engine = engine,
        .songs = *this,
        .options = *this,
        .set = set,
        .profile = *m_profile,
        .prompt = *m_prompt,
        .dialogs = m_setupDialogs,
        .recentSets = m_recentSets,
        .recentSongs = m_recentSongs,
        .rebuildRecentMenus = [this] { rebuildRecentMenus(); },
        .documentsFolder = [this] { return m_documentsFolder; },
        .open = [this](const std::filesystem::path& path) { return OpenDocumentFile(path); },
        .closeAll = [this] { return CloseAllDocuments(); },
        .saveAll = [this] { SaveAllSongs(); },
        .startupComplete = [this] { return m_startupComplete; },
        .trackViewRows = [this] { return trackViewRows(); },
        .printer = [this](CommandId id) -> CommandTarget* {
            for (const Slot which : {kStaff, kLyric}) {
                auto* target = dynamic_cast<CommandTarget*>(slot(which));
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

    m_editCommands = std::make_unique<EditCommands>(EditSeams{
        .engine = engine,
        .songs = *this,
        .options = *this,
        .views = *this,
        .profile = *m_profile,
        .clipboard = m_clipboard,
        .updater = *m_updater,
        .canPaste = [this] { return CanPaste(); },
        .effectMenu = [this]() -> QMenu* {
            return m_frame ? m_frame->menuBar()->subMenu(kEditMenu, kAudioEffectMenu) : nullptr;
        },
    });

    m_viewCommands = std::make_unique<ViewCommands>(ViewSeams{
        .songs = *this,
        .views = *this,
        .engine = engine,
        .set = set,
        .profile = *m_profile,
        .factory = m_viewFactory,
        .audioFace = m_transport->audioFace(),
        .bouncingBall = m_transport->bouncingBall(),
        .published = published,
        .frame = [this] { return m_frame.data(); },
        .editorKind = [this] { return m_editorKind; },
        .shown = [this](ViewKind kind) { return slot(slotOfKind(int(kind))) != nullptr; },
        .hasControllerPane = [this] {
            SongView* controller = nullptr;
            GetCurrentViews(nullptr, &controller);
            return controller != nullptr;
        },
        .controller = [this] { return std::pair(m_controlKind, m_controlNumber); },
        .setController = [this](int kind, int number) {
            m_controlKind = kind;
            m_controlNumber = number;
        },
        .transportDisplayMode = [this] { return m_transport->displayMode(); },
        .setTransportDisplayMode = [this](int mode) { m_transport->setDisplayMode(mode); },
    });

    m_setupCommands = std::make_unique<SetupCommands>(SetupSeams{
        .dialogs = m_setupDialogs,
        .songs = *this,
        .openOptions = [this](int page) { return OpenOptions(page); },
        .updateTrackSynths = [this] { UpdateTrackSynths(); },
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

    m_helpCommands = std::make_unique<HelpCommands>(HelpSeams{
        .profile = *m_profile,
        .prompt = *m_prompt,
        .help = *m_help,
        .options = *this,
        .version = GetExeFileVersion(),
        .tipsFile = [this] { return tipsFile(); },
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

    m_mapCommands = std::make_unique<MapCommands>(MapSeams{
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

    // No two targets claim one command, so their order decides nothing.
    m_router->setApplication(std::vector<CommandTarget*>{
        m_transportCommands.get(), m_fileCommands.get(), m_editCommands.get(),
        m_viewCommands.get(), m_setupCommands.get(), m_helpCommands.get(), m_mapCommands.get()});
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
    m_viewCommands->UpdateNoteDuration();
}

void App::onHelpKey()
{
    m_helpCommands->onHelpKey();
}

} // namespace rz
