#pragma once

#include "app/app_options.h"
#include "app/app_recent_list.h"
#include "app/command_targets.h"
#include "app/desktop/machine_registry.h"
#include "app/display_options.h"
#include "app/frame_calls.h"
#include "app/window_layout.h"
#include "app/setup_dialogs.h"
#include "app/song_files.h"
#include "app/song_host_parts.h"
#include "app/song_view_calls.h"
#include "app/status_line.h"
#include "app/track_rows_forwarder.h"
#include "app/view_slots.h"
#include "core/clip_loader.h"
#include "core/edit_dialogs.h"
#include "core/file_association.h"
#include "core/prompt.h"
#include "set/set_document.h"
#include "views/song_view.h"
#include "views/view_factory.h"
#include "views/view_links.h"

#include <QObject>
#include <QPointer>

class QDialog;

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace rz {

class CommandRouter;
class CSequencer;
struct EngineParts;
class GuiToEngineValues;
class IEngineLink;
class HelpOpener;
class KeyFilter;
class MainFrame;
class MusicFont;
class IAudioEngines;
class SingleInstance;
class TrackView;
struct TrackViewContext;
struct StaffViewContext;
class SynthDatabase;
class SynthDbChordTable;
class SoundFontBanks;
class UiUpdater;
class TransportControls;
class SongAdvance;
class AutoSave;
class ExternalControls;
class EngineCalls;
class FileOpening;
class FrameTimerTasks;
class OptionsAccess;

// The one application object: starts and ends the program, keeps the
// current song and wires the parts it owns (the set, the views, the engine,
// the main window and the objects that answer each seam), and carries the
// main window's timers. Not the QApplication: main() makes that first. GUI
// thread; engine threads reach it only through EngineToGui.
class App : public QObject, public ICurrentSongHost {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "DEVU Rizoraz";
    explicit App(AppOptions options = {});
    ~App() override;
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    // Start-up in order. False when the program is to end at once: another
    // copy runs and took the file (handedOver()), or start-up failed.
    bool InitInstance();
    // Shut-down in order, after the event loop ended; returns `exitCode`.
    int ExitInstance(int exitCode = 0);
    bool handedOver() const { return m_handedOver; }

    MainFrame* frame() const { return m_frame; }
    SetDocument& set() { return *m_set; }
    ViewFactory& viewFactory() { return m_viewFactory; }
    // The lane views whose origins move together; every lane view made joins.
    ViewLinks& viewLinks() { return m_viewLinks; }
    // The Setup dialogs other libraries register (Setup > MIDI ports).
    SetupDialogs& setupDialogs() { return m_setupDialogs; }
    // The notice the event dialog shows while a captured message arrives;
    // the engine's dialogs give it.
    using ReceiveNotice = std::function<QDialog*(const std::atomic<int>& received, QWidget* parent)>;
    void setReceiveNotice(ReceiveNotice notice) { m_receiveNotice = std::move(notice); }
    // Shows a clip load that takes over a second in steps, with Cancel;
    // false when cancelled. Given before start-up; none: such loads read on.
    using ClipLoadProgress = std::function<bool(const std::function<int(double*)>& step)>;
    void setClipLoadProgress(ClipLoadProgress progress) { m_clipLoadProgress = std::move(progress); }
    // The synthesizer database; null before start-up.
    SynthDatabase* database() const { return m_database.get(); }
    CommandRouter& router() { return *m_router; }
    // The song's command target and one per menu.
    CommandTargets& commands() { return m_commands; }
    KeyFilter& keyFilter() { return *m_keys; }
    IProfile& profile() { return *m_profile; }
    IPrompt& prompt() { return *m_prompt; }
    // The clip view shows the current song afresh.
    void repaintClipView();
    IEngineLink& engine() { return *m_engine; }
    CSequencer* sequencer() const { return m_sequencer.get(); }
    // The built-in synthesizer's bank registry, shared with its devices;
    // null when the engine's devices make no synthesizer.
    std::shared_ptr<SoundFontBanks> soundFontBanks() const;
    SingleInstance* singleInstance() const { return m_instance.get(); }
    RecentFileList& recentSongs() { return m_recentSongs; }
    const std::filesystem::path& documentsFolder() const { return m_documentsFolder; }
    const std::filesystem::path& programFolder() const { return m_programFolder; }
    const std::filesystem::path& currentFolder() const { return m_currentFolder; }
    // The one music font the staves, previews and printing draw with.
    const MusicFont& musicFont() const { return *m_musicFont; }

    // The caption: the title, " DO4", the set with a set file, the song.
    void UpdateTitle();
    QString caption() const;

    // The pane views and torn-off windows; the engine's IEngineViews.
    ViewSlots& views() { return m_views; }
    // The engine's IEngineHost and IEngineSetLink.
    EngineCalls& engineCalls() { return *m_engineCalls; }
    // The display and editing options; the one ISongHost every song gets.
    DisplayOptions& display() { return m_display; }
    // The recent songs, recorded audio's names, mail, the clipboard.
    SongFiles& files() { return m_files; }
    ISongHost& songHost() { return m_songHost; }
    void SetCurrentSong(CSongDoc* song) override;
    CSongDoc* currentSong() const override { return m_currentSong; }
    void UpdateAllViews();
    void BroadcastToViews();
    void RemoveWindow(SongView* window);
    // Repaints the transport panel, and the controller view while recording.
    void OnSongChanged();

    // Opening songs and sets by path, dropped files, the recent menus.
    FileOpening& opening() { return *m_opening; }
    // The layout record songs carry, taken from and applied to the windows.
    WindowLayout& layout() { return m_layout; }
    // The main frame's timers' tasks and the hand-over reader.
    FrameTimerTasks& timerTasks() { return *m_timerTasks; }
    // The Options sheet and what it reaches.
    OptionsAccess& optionsSheet() { return *m_optionsSheet; }
    bool CanPaste() const;
    // major x 10000 + minor x 100 + patch of the program's version.
    static int GetExeFileVersion();

    // The song end, the advance to the next song and the auto-save minute.
    SongAdvance& songAdvance() { return *m_advance; }
    AutoSave& autoSave() { return *m_autoSave; }
    int advanceCountdown() const;
    // The engine's tempo multiplier, which the fader and the display show.
    int32_t tempoMultiplier() const;
    // The audio engines the sequencer plays through; null without one.
    IAudioEngines* audioEngines() const;
    // Also refreshes the prompt, the transport buttons, the tool bar and
    // the track list's column order.
    void setPerformanceMode(bool on);
    // What the track list is made with; the track list once made.
    TrackViewContext trackViewContext();
    TrackView* trackView() const;
    // What the staff and lead-sheet views are made with.
    StaffViewContext staffViewContext();
    // The one printer File > Printer setup sets up, for every printing view.
    QPrinter& printer();
    // Songs' track rows: the track list's once it exists.
    ITrackRows& trackRows() { return m_trackRows; }
    // The status line and prompts; the set's progress and performance lock.
    StatusLine& statusLine() { return m_statusLine; }
    // What the GUI publishes to the engine; null until the engine starts.
    GuiToEngineValues* publishedValues() const { return m_published; }

    // ICurrentSongHost.
    void SetTempoMultiplier(int32_t multiplier, bool resetStep) override;
    // The refreshes songs ask for through SongViewCalls.
    void UpdateNoteDuration();
    void repaintTransportPanel();

    // What the main frame asks; the answers that stay here follow.
    FrameCalls& frameCalls() { return m_frameCalls; }
    bool startupComplete() const { return m_startupComplete; }
    // Saves the zooms and lists, closes every document, empties the work folder.
    void finishClose();

    ControlContext controlContext() const;
    // The transport panel, its faders and the spectrum.
    TransportControls& transport() { return *m_transport; }

    // Every modified song, then the set when it has a file.
    void SaveAllSongs();
    // Asks to save, then empties the set; false when the user cancelled.
    bool CloseAllDocuments();
    HelpOpener& help() { return *m_help; }

protected:
    // Follows Shift for the engine's step recording.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A request the song lock's time-out skipped runs again after this many ms.
    static constexpr int kLockRetryMs = 100;

    // Start-up steps.
    void createHelpers();
    void createCommandTargets();
    void readDisplayOptions();
    void createMainFrame();
    void createFixedViews();
    void publishGuiValues();
    void createEngine();
    void createSet();
    void startTimers();
    // Once, a while after the window shows.
    void startupStep();
    void destroyViews();

    // What the parts built with the object reach of it.
    SongFilesSeams filesSeams();
    SongViewSeams songViewSeams();
    FrameSeams frameSeams();
    StatusLineSeams statusLineSeams();

    // Views.
    EditTools frameTools() const;
    void requestRetry(const char* what);
    void paneViewRequest(int id);
    void tornOffViewRequest(int id);
    SongView* makeView(ViewKind kind, bool topLevel);
    void joinViewLinks(SongView& view);
    void placeTopLevel(SongView& view, const QRect& rect, const QString& caption, bool onTop);

    AppOptions m_options;
    std::unique_ptr<IProfile> m_ownProfile;
    std::unique_ptr<IPrompt> m_ownPrompt;
    IProfile* m_profile = nullptr;
    IPrompt* m_prompt = nullptr;
    IEngineLink* m_engine = nullptr;
    GuiToEngineValues* m_published = nullptr; // the engine's, or the test's

    std::unique_ptr<CommandRouter> m_router;
    CommandTargets m_commands;
    std::unique_ptr<KeyFilter> m_keys;
    std::unique_ptr<UiUpdater> m_updater;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<SynthDatabase> m_database;
    std::unique_ptr<SynthDbChordTable> m_chords; // over m_database, for transposing chord markers
    std::unique_ptr<IClipLoader> m_clipLoader; // reads clip samples for the songs
    ClipLoadProgress m_clipLoadProgress;
    std::unique_ptr<IEditDialogs> m_editDialogs; // the songs' edit dialogs
    std::unique_ptr<SetDocument> m_set;
    ViewFactory m_viewFactory;
    ViewLinks m_viewLinks;
    SetupDialogs m_setupDialogs;
    ReceiveNotice m_receiveNotice;
    QPointer<MainFrame> m_frame;

    // The engine and what it is built from; absent in tests that bring one.
    std::unique_ptr<EngineParts> m_parts;
    std::unique_ptr<CSequencer> m_sequencer;

    ViewSlots m_views{[this] { return m_currentSong; }, m_options.lockWait};
    DisplayOptions m_display{[this] { return frameTools(); }};
    CSongDoc* m_currentSong = nullptr;
    bool m_retryPending = false;
    CSongDoc* m_retrySong = nullptr;
    bool m_retryUpdate = false;
    bool m_retrySetSong = false;

    RecentFileList m_recentSets{RecentFileList::Kind::Sets};
    RecentFileList m_recentSongs{RecentFileList::Kind::Songs};
    SongFiles m_files{filesSeams()};
    SongViewCalls m_songViews{songViewSeams()};
    SongHostParts m_songHost{m_songViews, *this, m_display, m_files};
    FrameCalls m_frameCalls{frameSeams()};
    StatusLine m_statusLine{statusLineSeams()};
    WindowLayout m_layout{{m_views, m_display, [this] { return m_frame.data(); }}};
    std::unique_ptr<IAssociationStore> m_desktopAssociations;
    MachineRegistry m_machineRegistry{"Vozuzuzuziv Software", kTitle};
    // Songs ask the track view for its rows through it.
    TrackRowsForwarder m_trackRows{
        [this] { return dynamic_cast<ITrackRows*>(m_views.slot(ViewSlots::kTrack)); }};

    std::filesystem::path m_programFolder;
    std::filesystem::path m_documentsFolder;
    std::filesystem::path m_currentFolder;
    std::filesystem::path m_workFolder;
    bool m_startupComplete = false;
    bool m_handedOver = false;

    std::unique_ptr<HelpOpener> m_help;
    std::unique_ptr<TransportControls> m_transport;
    std::unique_ptr<MusicFont> m_musicFont;
    std::unique_ptr<SongAdvance> m_advance;
    std::unique_ptr<AutoSave> m_autoSave;
    std::unique_ptr<ExternalControls> m_externalControls;
    std::unique_ptr<EngineCalls> m_engineCalls;
    std::unique_ptr<FileOpening> m_opening;
    std::unique_ptr<FrameTimerTasks> m_timerTasks;
    std::unique_ptr<OptionsAccess> m_optionsSheet;
    QPointer<QWidget> m_splash; // still up when the program ends within its time
};

} // namespace rz
