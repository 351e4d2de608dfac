#pragma once

#include "app/app_clipboard.h"
#include "app/app_options.h"
#include "app/app_recent_list.h"
#include "app/desktop/machine_registry.h"
#include "app/frame_host.h"
#include "app/options/options_context.h"
#include "app/setup_dialogs.h"
#include "app/track_rows_forwarder.h"
#include "core/clip_loader.h"
#include "core/color.h"
#include "core/edit_dialogs.h"
#include "core/engine_host.h"
#include "core/engine_set_link.h"
#include "core/engine_views.h"
#include "core/file_association.h"
#include "core/layout_record.h"
#include "core/locks.h"
#include "core/prompt.h"
#include "core/song_host.h"
#include "set/set_document.h"
#include "song/find_criteria.h"
#include "ui/command_target.h"
#include "ui/status_prompt.h"
#include "views/song_view.h"
#include "views/view_factory.h"
#include "views/view_links.h"

#include <QObject>
#include <QPointer>

#include <array>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class QPrinter;

namespace rz {

class AccelTable;
class CTrack;
class CommandRouter;
class CSequencer;
class CSplashWnd;
class EngineTimer;
class EngineToGui;
class GuiToEngineValues;
class IEngineLink;
class IEngineTimer;
class IMidiDeviceSource;
class HelpOpener;
class KeyFilter;
class MainFrame;
class MidiSystem;
class IAudioEngines;
class QtGuiThreadQueue;
class SingleInstance;
class TrackView;
struct TrackViewContext;
class SongDocCommands;
class SynthDatabase;
class SynthDbChordTable;
class SoundFontBanks;
class UiUpdater;
class SequencerVstHost;
class IVstEditorWindows;
class VstInstrumentLoader;
class TransportCommands;
class FileCommands;
class EditCommands;
class ViewCommands;
class SetupCommands;
class HelpCommands;
class MapCommands;
class TransportControls;
class SongAdvance;
class AutoSave;
class ExternalControls;

// The one application object: starts and ends the program, owns the set,
// the views moved from song to song, the engine and the main window, and
// carries the main window's timers. Not the QApplication: main() makes that
// first. GUI thread; engine threads reach it only through EngineToGui.
class App : public QObject,
            public ISongHost,
            public IEngineHost,
            public IEngineSetLink,
            public IEngineViews,
            public IFrameHost,
            public IStatusPrompt,
            public ISetDocumentHost {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "DEVU Rizoraz";
    // The torn-off window kinds of the extra-window list.
    enum ExtraKind : int { kExtraLyric = 0, kExtraStaff = 1, kExtraLeadSheet = 2, kExtraTracks = 3 };
    // The view slots, one per view class.
    enum Slot : int {
        kLive, kTrack, kTempo, kStaff, kClip, kEvent, kPiano, kLyric, kTime, kVelocity,
        kSlider, kControl, kSlotCount,
    };
    struct ExtraWindow {
        QPointer<SongView> view;
        int kind = kExtraLyric;
        const QObject* object = nullptr; // compared while the view is being destroyed
    };

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
    // The synthesizer database; null before start-up.
    SynthDatabase* database() const { return m_database.get(); }
    CommandRouter& router() { return *m_router; }
    // The command targets by menu; the router asks them after the main frame.
    TransportCommands& transportCommands() { return *m_transportCommands; }
    FileCommands& fileCommands() { return *m_fileCommands; }
    EditCommands& editCommands() { return *m_editCommands; }
    ViewCommands& viewCommands() { return *m_viewCommands; }
    SetupCommands& setupCommands() { return *m_setupCommands; }
    HelpCommands& helpCommands() { return *m_helpCommands; }
    MapCommands& mapCommands() { return *m_mapCommands; }
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

    // The caption: the title, " DO4", the set with a set file, the song.
    void UpdateTitle() override;
    QString caption() const;

    // Current song and views.
    void GetCurrentViews(SongView** editor, SongView** controller) const;
    SongView* slot(Slot which) const { return m_slots[size_t(which)]; }
    const std::vector<ExtraWindow>& extraWindows() const { return m_extraWindows; }
    int editorKind() const { return m_editorKind; }
    int controllerKind() const { return m_controllerKind; }
    void SetCurrentSong(CSongDoc* song) override;
    CSongDoc* currentSong() const override { return m_currentSong; }
    void UpdateAllViews() override;
    void BroadcastToViews();
    void RemoveWindow(SongView* window);
    void OnSongChanged() override;

    // Opening files.
    CSongDoc* OpenDocumentFile(const std::filesystem::path& path);
    void SetAutoOpenPath(const std::filesystem::path& path) override;

    // Layout record, hand-over reader, clipboard.
    void SnapshotLayout(std::string& layout) override;
    void RestoreLayout(std::string_view layout) override;
    // Drains the single-instance socket's queue of what later starts sent
    // (the Windows name for that queue is a mailslot).
    void ReadMailslot();
    AppClipboard& clipboard() override { return m_clipboard; }
    bool CanPaste() const;
    void LoadCueColors();
    void ResetCueColors();
    void setCueColor(int kind, Color color);
    bool smoothScroll() const override { return m_smoothScroll; }
    EditTools editTools() const override;
    void setSmoothScroll(bool on) { m_smoothScroll = on; }
    void setAutoProps(bool on) { m_autoProps = on; }
    // major x 10000 + minor x 100 + patch of the program's version.
    static int GetExeFileVersion();

    // The main frame's timers.
    void onFrameTimer(int id) override;
    void CancelAdvance(bool step) override;
    // The song end, the advance to the next song and the auto-save minute.
    SongAdvance& songAdvance() { return *m_advance; }
    AutoSave& autoSave() { return *m_autoSave; }
    int advanceCountdown() const;
    // The engine's tempo multiplier, which the fader and the display show.
    int32_t tempoMultiplier() const;
    // The audio engines the sequencer plays through; null without one.
    IAudioEngines* audioEngines() const { return m_audio.get(); }
    // Also refreshes the prompt, the transport buttons, the tool bar and
    // the track list's column order.
    void setPerformanceMode(bool on);
    // The header-font zoom ("FZoom"), 0..kMaxLaneZoom.
    void setHeaderZoom(int zoom);
    // What the track list is made with; the track list once made.
    TrackViewContext trackViewContext();
    TrackView* trackView() const;
    // Songs' track rows: the track list's once it exists.
    ITrackRows& trackRows() { return m_trackRows; }
    // The prompt id the status line shows (the frame keeps it).
    uint32_t promptId() const;

    // Opens the Options sheet modally at a page; true when it closed with OK.
    bool OpenOptions(int startIndex);
    // What the sheet reaches of the application; also for tests.
    OptionsContext optionsContext();
    // The font height (pixels) of the open lyric view: the separate window's,
    // else the docked view's over the current song; nothing when neither is open.
    std::optional<int> openLyricFontHeight() const;
    // The lyric views of the current song read the karaoke options again.
    void reloadLyricViews();
    // Where Help buttons open a topic; empty: Help does nothing.
    void setHelpOpener(std::function<void(std::string_view topic)> opener)
    {
        m_helpOpener = std::move(opener);
    }

    // ISongHost.
    void updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint) override;
    void SetTempoMultiplier(int32_t multiplier, bool resetStep) override;
    void UpdateNoteDuration() override;
    void SetStatusText(std::string_view text) override;
    bool autoProps() const override { return m_autoProps; }
    Color cueColor(int kind) const override;
    int timeZoom() const override { return m_xZoom; }
    void setTimeZoom(int zoom) override;
    bool performanceMode() const override { return m_performanceMode; }
    int laneZoom() const override { return m_yZoom; }
    void setLaneZoom(int zoom) override;
    int headerZoom() const override { return m_fZoom; }
    void stopOverviewWorkers() override;
    void setWaitCursor(bool on) override;
    void activateTempoView(CSongDoc& song) override;
    void activateEditorView(CSongDoc& song) override;
    void activateTrackView(CSongDoc& song) override;
    void showControllerView(CSongDoc& song, int kind, int controller) override;
    // Empty: there is no event list view yet.
    void clearEventListSelection(CSongDoc&) override {}
    void repaintTransportPanel() override;
    void raiseTornOffWindows() override;
    ControllerLanes controllerLanes(CSongDoc&) override { return {}; }
    std::filesystem::path workFolder() const override { return m_workFolder; }
    void MakeUniqueAudioFileName(std::filesystem::path& name) override;
    void removeNewestRecentSong() override;
    bool SendFileByMail(std::string_view subject,
                        const std::vector<std::filesystem::path>& attachments,
                        std::string& reason) override;
    void editTrackProperties(CSongDoc& song) override;
    FindCriteria& findCriteria() override { return m_findCriteria; }
    bool trackViewActive() const override;

    // IEngineHost.
    void transportChanged() override;
    void selectSetSong(int songNumber) override;
    // A control of the external control map: runs its action, starts or
    // stops the auto-repeat, follows the tempo and volume controls.
    void OnExternalControl(const ExternalControl& control) override;
    void setFrameTimer(FrameTimer timer) override;
    void playCue() override;
    void tempoMultiplierChanged() override;
    void DrawSpectrum(double beatPhase) override;
    // Hands a received message to the learning control map entry dialog.
    void LearnMidi(uint32_t deviceId, uint32_t message) override;

    // IEngineSetLink.
    CSongDoc* songOfItem(SetItemHandle item) const override;
    // A posted refresh of the current marker.
    void startCueTimer() override;
    void setCurrentItem(SetItemHandle item) override;
    void RefreshMarkerStates() override;
    void UpdateTrackSynths() override;

    // IEngineViews.
    bool isOpen(FollowView view) const override;
    void followPlayback(FollowView view) override;
    int tornOffWindowCount() const override { return int(m_extraWindows.size()); }
    void followTornOffWindow(int index) override;
    void clearAttachedFlags() override;
    std::optional<TrackViewRows> trackViewRows() const override;

    // IFrameHost.
    bool startupComplete() const override { return m_startupComplete; }
    void clearStartupComplete() override { m_startupComplete = false; }
    void stopSequencer() override;
    void closeAudioEngines() override;
    bool hasOpenSet() const override { return true; }
    bool setHasFile() const override;
    bool saveModifiedSet() override;
    void markSetModified() override;
    void releaseSetView() override;
    void finishClose() override;
    bool stepBeatBack() override;
    bool stepBeatForward() override;

    // IStatusPrompt: the frame's status line, remembering the prompt shown.
    void setPromptId(uint32_t id) override;
    void clearStatusText() override;

    ControlContext controlContext() const override;
    // The transport panel, its faders and the spectrum.
    TransportControls& transport() { return *m_transport; }
    // ISetDocumentHost.
    void showSetProgress(std::string_view prompt, std::string_view text) override;
    void endSetProgress() override;
    bool performanceLocked() const override;
    void lockPerformance() override;

    // Files dropped on the main window (`alt`: the Alt key was down).
    void dropFiles(const std::vector<std::filesystem::path>& paths, bool alt) override;
    // F1 outside an editor.
    void onHelpKey() override;

    // Every modified song, then the set when it has a file.
    void SaveAllSongs();
    // Asks to save, then empties the set; false when the user cancelled.
    bool CloseAllDocuments();
    HelpOpener& help() { return *m_help; }
    CSplashWnd* splash() const;

protected:
    // Follows Shift for the engine's step recording.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Start-up steps.
    void createHelpers();
    void createCommandTargets();
    void readDisplayOptions();
    void chooseFolders();
    void registerFileTypes();
    bool claimSingleInstance();
    void reportUnwritableSettings();
    // Names the plug-in library that stopped the last run; it is skipped.
    void reportStoppedPlugins();
    void openDatabase();
    void makeWorkFolder();
    void addMusicFont();
    void createMainFrame();
    void createFixedViews();
    void publishGuiValues();
    void createEngine();
    void createSet();
    void startTimers();
    // Shut-down steps.
    void destroyViews();
    void emptyWorkFolder();

    // Views.
    void detachAll(CSongDoc& song);
    void attachAll(CSongDoc& song);
    void requestRetry(const char* what);
    void paneViewRequest(int id);
    void tornOffViewRequest(int id);
    SongView* makeView(ViewKind kind, bool topLevel);
    void joinViewLinks(SongView& view);
    void placeTopLevel(SongView& view, const QRect& rect, const QString& caption, bool onTop);
    static Slot slotOfKind(int kind);

    // Timers.
    void startupStep();
    void loadStartupAccelerators();
    void conductorReturn();
    void followSongChange();
    void mailslotAndClock();
    void showClock();
    void setStatusPane(int index, const QString& text);

    // Layout.
    void restoreMainPlacement(const LayoutPlacement& placement);
    void restoreTrackRows(int32_t rows);
    void restoreExtraWindows(const std::vector<LayoutExtraWindow>& windows);

    // Opening files.
    CSongDoc* openSetFile(const std::filesystem::path& path);
    bool activateFound(CSongDoc& song);
    void rebuildRecentMenus();
    void openRecent(size_t index);

    AppOptions m_options;
    std::unique_ptr<IProfile> m_ownProfile;
    std::unique_ptr<IPrompt> m_ownPrompt;
    IProfile* m_profile = nullptr;
    IPrompt* m_prompt = nullptr;
    IEngineLink* m_engine = nullptr;
    GuiToEngineValues* m_published = nullptr; // the engine's, or the test's

    std::unique_ptr<CommandRouter> m_router;
    std::unique_ptr<SongDocCommands> m_songCommands;
    std::unique_ptr<TransportCommands> m_transportCommands;
    std::unique_ptr<FileCommands> m_fileCommands;
    std::unique_ptr<EditCommands> m_editCommands;
    std::unique_ptr<ViewCommands> m_viewCommands;
    std::unique_ptr<SetupCommands> m_setupCommands;
    std::unique_ptr<HelpCommands> m_helpCommands;
    std::unique_ptr<MapCommands> m_mapCommands;
    std::unique_ptr<KeyFilter> m_keys;
    std::unique_ptr<UiUpdater> m_updater;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<SynthDatabase> m_database;
    std::unique_ptr<SynthDbChordTable> m_chords; // over m_database, for transposing chord markers
    std::unique_ptr<IClipLoader> m_clipLoader; // reads clip samples for the songs
    std::unique_ptr<IEditDialogs> m_editDialogs; // the songs' edit dialogs
    std::unique_ptr<SetDocument> m_set;
    ViewFactory m_viewFactory;
    ViewLinks m_viewLinks;
    SetupDialogs m_setupDialogs;
    QPointer<MainFrame> m_frame;

    // The engine and what it is built from; absent in tests.
    std::unique_ptr<QtGuiThreadQueue> m_guiPost;
    std::unique_ptr<EngineToGui> m_posts;
    std::unique_ptr<MidiSystem> m_midiSystem;
    std::unique_ptr<IMidiDeviceSource> m_devices;
    std::unique_ptr<SequencerVstHost> m_vstHost; // what the instruments see of the engine
    std::unique_ptr<IVstEditorWindows> m_vstEditors; // the instruments' editor windows
    std::unique_ptr<VstInstrumentLoader> m_instruments;
    std::unique_ptr<EngineTimer> m_engineTimer;
    std::unique_ptr<IAudioEngines> m_audio;
    std::unique_ptr<CSequencer> m_sequencer;

    std::array<QPointer<SongView>, kSlotCount> m_slots;
    std::vector<ExtraWindow> m_extraWindows;
    int m_editorKind = 0;
    int m_controllerKind = 0;
    int m_controlKind = 0;   // the control view's controller kind and number
    int m_controlNumber = 0;
    CSongDoc* m_currentSong = nullptr;
    bool m_retryPending = false;
    CSongDoc* m_retrySong = nullptr;
    bool m_retryUpdate = false;
    bool m_retrySetSong = false;

    RecentFileList m_recentSets{settings::kRecentSet};
    RecentFileList m_recentSongs{settings::kRecentSong};
    std::unique_ptr<IAssociationStore> m_desktopAssociations;
    MachineRegistry m_machineRegistry{"Vozuzuzuziv Software", kTitle};
    AppClipboard m_clipboard;
    FindCriteria m_findCriteria; // kept between searches and songs
    std::array<Color, kCueKinds> m_cueColors{};
    std::function<void(std::string_view)> m_helpOpener;
    // Songs ask the track view for its rows through it.
    TrackRowsForwarder m_trackRows{[this] { return dynamic_cast<ITrackRows*>(slot(kTrack)); }};

    std::filesystem::path m_programFolder;
    std::filesystem::path m_documentsFolder;
    std::filesystem::path m_currentFolder;
    std::filesystem::path m_workFolder;
    int m_xZoom = 3;
    int m_yZoom = 2;
    int m_fZoom = 2;
    bool m_autoProps = true;
    bool m_smoothScroll = true;
    int m_screenResolution = 96;
    bool m_startupComplete = false;
    bool m_startupDone = false; // the frame's start-up step has run
    bool m_handedOver = false;
    bool m_performanceMode = false;
    bool m_readingMailslot = false;

    uint32_t m_secondTicks = 0;
    std::unique_ptr<HelpOpener> m_help;
    std::unique_ptr<TransportControls> m_transport;
    std::unique_ptr<SongAdvance> m_advance;
    std::unique_ptr<AutoSave> m_autoSave;
    std::unique_ptr<ExternalControls> m_externalControls;

    // Splash and start-up tip.
    void showSplash();
    void startupTip();
    std::filesystem::path tipsFile() const;
    QPointer<QWidget> m_splash;
};

} // namespace rz
