// Start-up and shut-down of the application object, in the orders the
// program depends on, and the caption. GUI thread.

#include "app/app.h"

#include "app/app_single_instance.h"
#include "dialogs/cue_type_combo.h"
#include "app/edit_commands.h"
#include "app/engine_calls.h"
#include "app/engine_parts.h"
#include "app/frame_calls.h"
#include "app/file_commands.h"
#include "app/file_opening.h"
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
#include "app/song_doc_commands.h"
#include "app/spectrum_display.h"
#include "app/startup_steps.h"
#include "app/transport_commands.h"
#include "app/transport_panel.h"
#include "app/transport_staff.h"
#include "app/view_commands.h"
#include "core/profile.h"
#include "core/settings.h"
#include "engine/audio/filter_presets.h"
#include "engine/audio/spectrum_analyzer.h"
#include "engine/gui_posts.h"
#include "engine/sequencer.h"
#include "engine/sequencer_devices.h"
#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_chords.h"
#include "engine/synthdb/synth_db_path.h"
#include "engine/vst_loader.h"
#include "platform/engine_timer.h"
#include "platform/midi_system.h"
#include "set/set_document.h"
#include "staff/symbols/music_font.h"
#include "ui/command_router.h"
#include "ui/dialog_base.h"
#include "ui/gui_post.h"
#include "ui/help_opener.h"
#include "ui/key_filter.h"
#include "ui/local_path.h"
#include "ui/profile.h"
#include "ui/qt_prompt.h"
#include "ui/ui_updater.h"
#include "views/cue_flag_painter.h"
#include "views/frame_timer_ids.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QPrinter> // the shared printer dies with the application
#include <QScreen>
#include <QThread>

#include <cstdlib>
#include <ctime>

namespace rz {
namespace {

constexpr int kStartupDelayMs = 1500;

} // namespace

App::App(AppOptions options) : m_options(std::move(options))
{
    // Before start-up changes the current folder to the documents folder.
    if (m_options.file) {
        // A path the system cannot make absolute is opened as given, and
        // refused there with its reason.
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(*m_options.file, error);
        if (!error)
            m_options.file = absolute.lexically_normal();
    }
    if (m_options.profile) {
        m_profile = m_options.profile;
    } else {
        m_ownProfile = std::make_unique<Profile>();
        m_profile = m_ownProfile.get();
    }
    if (m_options.prompt) {
        m_prompt = m_options.prompt;
    } else {
        m_ownPrompt = std::make_unique<QtPrompt>();
        m_prompt = m_ownPrompt.get();
    }
    m_router = std::make_unique<CommandRouter>();
    m_commands.song = std::make_unique<SongDocCommands>(m_songHost);
    m_router->setDocument(m_commands.song.get());
    m_keys = std::make_unique<KeyFilter>(*m_router);
    m_keys->setTable(AccelTable::defaultMap());
    m_updater = std::make_unique<UiUpdater>(*m_router);
    m_help = std::make_unique<HelpOpener>();
    m_help->setPrompt(m_prompt);
    setProgramHelpOpener([this](std::string_view topic) { m_help->open(topic); });
    createHelpers();
    createCommandTargets();
}

// Everything is torn down in dependency order: the engine stops before the
// views and songs it reads go, the views before the frame, the songs before
// the engine object they call.
App::~App()
{
    if (m_sequencer)
        m_sequencer->Shutdown();
    m_updater->stop();
    delete m_splash.data(); // still up when the program ends within its time
    destroyViews();
    if (mainStatusPrompt() == &m_statusLine)
        setMainStatusPrompt(nullptr);
    setProgramHelpOpener(nullptr);
    delete m_frame.data();
    if (m_set)
        m_set->CloseAllDocuments();
    m_currentSong = nullptr;
    m_set.reset();
    ClearClipboard(m_files.clipboard(), m_workFolder);
    m_sequencer.reset();
    m_parts.reset();
    m_router->setApplication(nullptr);
    m_router->setDocument(nullptr);
}

bool App::InitInstance()
{
    std::srand(unsigned(std::time(nullptr)));
    readDisplayOptions();
    // The cue-type lists show each kind's flag as the views draw it.
    setCueFlagPaintHook(&CueFlagPainter::paintKindSample);
    m_programFolder = localPath(QCoreApplication::applicationDirPath());
    m_help->setFolder(helpFolderFor(m_programFolder));
    const StartFolders folders = chooseFolders(*m_profile);
    m_documentsFolder = folders.documents;
    m_currentFolder = folders.current;
    bool primary = true;
    m_instance = claimSingleInstance(m_options, primary);
    if (!primary) {
        m_handedOver = true;
        return false;
    }
    m_splash = showSplash(m_options);
    reportUnwritableSettings(*m_profile, *m_prompt);
    reportStoppedPlugins(*m_prompt);
    m_recentSets.read(*m_profile);
    m_recentSongs.read(*m_profile);
    m_commands.edit->readRecentEffects();
    m_database = SynthDatabase::open(defaultSynthDatabasePath(), *m_prompt);
    createEngine();
    createSet();
    m_workFolder = makeWorkFolder(kTitle);
    m_musicFont = loadMusicFont();
    createMainFrame();
    if (m_options.file)
        m_opening->OpenDocumentFile(*m_options.file);
    if (m_sequencer) {
        m_sequencer->Init();
        afterFirstPaint(m_frame, m_options.showWindow, [this] {
            if (m_sequencer)
                m_sequencer->openLatePorts();
        });
    }
    publishGuiValues();
    m_opening->rebuildRecentMenus();
    startTimers();
    m_startupComplete = true;
    return true;
}

void App::readDisplayOptions()
{
    m_display.read(*m_profile);
    m_transport->readOptions();
}

void App::createMainFrame()
{
    m_frame = new MainFrame(*m_profile, *m_router, m_frameCalls, m_updater.get(), m_keys.get());
    m_frame->setGeometry(MainFrame::PreCreateWindow(
        *m_profile, QGuiApplication::primaryScreen()->availableGeometry()));
    setMainStatusPrompt(&m_statusLine);
    m_statusLine.setPromptId(kIdlePromptId);
    if (auto* qtPrompt = dynamic_cast<QtPrompt*>(m_prompt))
        qtPrompt->setParentWidget(m_frame);
    m_transport->connectFrame();
    m_transport->panel().setStaffHeaderPainter(transportStaffHeader(*m_musicFont));
    m_frame->setCommandTargets(m_commands.menus());
    m_commands.view->connectStaffTools();
    m_commands.edit->connectAudioEffectMenu();
    createFixedViews();
    m_keys->install();
    // A command or an event that changes states may move the song too.
    connect(m_updater.get(), &UiUpdater::updated, m_transport.get(), &TransportControls::repaint);
    m_updater->start();
    if (m_options.showWindow)
        m_frame->ActivateFrame();
    else
        UpdateTitle();
}

void App::startTimers()
{
    if (readSetting(*m_profile, settings::kSaveAutoSave) != 0)
        m_autoSave->restart();
    m_frame->timers().start(frame_timer::kStartup, kStartupDelayMs);
}

// Once, 1.5 s after start: the synthesizer if the window has not painted yet,
// the layout, the chosen accelerators, the desktop's
// file types, the file opened last, then the one-second timer.
void App::startupStep()
{
    m_frame->timers().kill(frame_timer::kStartup);
    // A window that never painted (started minimised) still gets its synthesizer.
    if (m_sequencer)
        m_sequencer->openLatePorts();
    m_frame->placePanes();
    m_frame->repaint();
    loadStartupAccelerators(*m_profile, *m_keys, *m_frame->menuBar());
    // Its questions come over the window.
    m_desktopAssociations =
        registerFileTypes(m_options.associations, *m_prompt, *m_profile, kTitle);
    if (!m_set->hasFile() && m_currentSong == nullptr
        && readSetting(*m_profile, settings::kStartAutoOpen) != 0) {
        const std::string path = readSettingText(*m_profile, settings::kStartAutoOpenPath);
        if (!path.empty())
            m_opening->OpenDocumentFile(path);
    }
    showStartupTip(*m_profile, tipsFile(m_programFolder), m_options, m_frame);
    m_commands.help->startUpdateCheck();
    UpdateNoteDuration();
    m_frame->timers().start(frame_timer::kMailslot, FrameTimerTasks::kMailslotPeriodMs);
    UpdateTitle();
}

int App::ExitInstance(int exitCode)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (m_sequencer)
        m_sequencer->Shutdown();
    destroyViews();
    if (mainStatusPrompt() == &m_statusLine)
        setMainStatusPrompt(nullptr);
    delete m_frame.data();
    ClearClipboard(m_files.clipboard(), m_workFolder);
    m_instance.reset();
    m_database.reset();
    m_views.setSlot(ViewSlots::kLive, nullptr);
    QApplication::restoreOverrideCursor();
    return exitCode;
}

// The close-time clean-up: views detached and destroyed, songs closed
// without a question (the frame asked already), the work folder emptied,
// the lists and zooms stored; the event loop then ends.
void App::finishClose()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    SetCurrentSong(nullptr);
    destroyViews();
    m_set->CloseAllDocuments();
    emptyWorkFolder(m_workFolder);
    m_recentSongs.write(*m_profile);
    m_commands.edit->writeRecentEffects();
    m_recentSets.write(*m_profile);
    m_display.writeZooms(*m_profile);
    if (auto* settings = dynamic_cast<Profile*>(m_profile))
        settings->sync();
    QApplication::restoreOverrideCursor();
    if (m_frame)
        m_frame->hide();
    // Without a running loop there is nothing to end, and exit would leave
    // the thread's quit flag set: every later modal loop would return at once.
    if (QThread::currentThread()->loopLevel() > 0)
        QCoreApplication::exit(0);
}

QString App::caption() const
{
    QString text = QString(kTitle) + " DO4";
    if (m_set && m_set->hasFile()) {
        std::string title = m_set->title();
        text += " - " + QString::fromStdString(title) + (m_set->IsModified() ? "*" : "");
    }
    if (const CSongDoc* song = m_currentSong) {
        std::string name = m_set && m_set->hasFile() ? song->title : song->pathName.string();
        if (name.empty())
            name = song->title.empty() ? "Untitled" : song->title;
        text += " - [" + QFile::decodeName(QByteArray::fromStdString(name))
                + (song->IsModified() ? "*" : "") + "]";
        if (song->format == 0)
            text += " (format 0)";
    }
    return text;
}

// Runs on every change of the current song or its modified flag, so the
// command states follow them too.
void App::UpdateTitle()
{
    if (m_updater)
        m_updater->requestUpdate();
    if (!m_frame)
        return;
    const QString text = caption();
    if (m_frame->windowTitle() != text) {
        m_frame->setWindowTitle(text);
        m_frame->QWidget::update(m_frame->captionRect());
    }
}

int App::GetExeFileVersion()
{
    return RZ_VERSION_MAJOR * 10000 + RZ_VERSION_MINOR * 100 + RZ_VERSION_PATCH;
}

} // namespace rz
