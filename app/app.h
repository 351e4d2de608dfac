#pragma once

#include "app/app_clipboard.h"
#include "app/app_recent_list.h"
#include "app/machine_registry.h"
#include "app/map_file.h"
#include "app/frame_host.h"
#include "app/audio_effects.h"
#include "app/options_context.h"
#include "app/track_rows_forwarder.h"
#include "app/update_check.h"
#include "app/new_document_prompt.h"
#include "app/setup_dialogs.h"
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
class SongRecorder;
class SpectrumAnalyzer;
class SpectrumDisplay;
class TransportPanel;
struct PanelState;
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

// How the program was started, and the seams tests replace.
struct AppOptions {
    std::optional<std::filesystem::path> file; // the command line's file
    // Null: the program's own (the settings file, message boxes).
    IProfile* profile = nullptr;
    IPrompt* prompt = nullptr;
    // Set: the transport of tests; no sequencer is made.
    IEngineLink* engine = nullptr;
    // With `engine`: where the values engine threads read go; may be null.
    GuiToEngineValues* published = nullptr;
    bool singleInstance = true;
    QString serverPath;       // the single-instance socket; empty: the default
    bool showWindow = true;
    std::chrono::milliseconds lockWait = kLockWait;
    // Nobody watches (--test-exit-after): the start-up tip goes to standard error.
    bool unattended = false;
    // Without `engine`: the sequencer the application makes plays through
    // these (tests); null: the machine's MIDI system and the engine's timer.
    IMidiDeviceSource* devices = nullptr;
    IEngineTimer* timer = nullptr;
    // Null: the desktop's own (freedesktop files of the user).
    AssociationStore* associations = nullptr;
};

// The one application object: starts and ends the program, owns the set,
// the views moved from song to song, the engine and the main window, and
// carries the main window's timers. Not the QApplication: main() makes that
// first. GUI thread; engine threads reach it only through EngineToGui.
class App : public QObject,
            public CommandTable<App>,
            public ISongHost,
            public IEngineHost,
            public IEngineSetLink,
            public IEngineViews,
            public FrameHost,
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
    // The Setup dialogs other libraries register (Setup > MIDI ports).
    SetupDialogs& setupDialogs() { return m_setupDialogs; }
    // The synthesizer database; null before start-up.
    SynthDatabase* database() const { return m_database.get(); }
    CommandRouter& router() { return *m_router; }
    KeyFilter& keyFilter() { return *m_keys; }
    IProfile& profile() { return *m_profile; }
    IPrompt& prompt() { return *m_prompt; }
    // The New dialog; File > New stays grey without one.
    void setNewDocumentPrompt(INewDocumentPrompt* prompt) { m_newDocumentPrompt = prompt; }
    // Creates what the New dialog chose.
    bool NewSetOrSong(const NewDocumentChoice& choice);
    // Taps lyrics into a track outside the song (the Import lyrics dialog);
    // true on OK. File > Import > Lyrics stays grey without one.
    using LyricTapper = std::function<bool(CSongDoc& song, CTrack& track)>;
    void setLyricTapper(LyricTapper tapper) { m_lyricTapper = std::move(tapper); }
    // The audio effects songs apply; before InitInstance. Without them the
    // Edit > Audio effect commands stay grey.
    void setAudioEffects(std::unique_ptr<IAudioEffects> effects);
    // A filter sheet opened on an effect: it heads the recent effects.
    void addRecentFilter(const std::string& id);
    // Runs an audio import's steps under the "Importing..." dialog; false
    // when cancelled. File > Import > Audio clip stays grey without one.
    using ImportProgress = std::function<bool(const std::function<int(double*)>& step)>;
    void setImportProgress(ImportProgress progress) { m_importProgress = std::move(progress); }
    // Paste song's copy: File > New for a song made from the clipboard's.
    void NewSongFromClipboard();
    // The clip view shows the current song afresh.
    void repaintClipView();
    // The printer the print commands share, kept between prints.
    QPrinter& printer();
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
    void setSmoothScroll(bool on) { m_smoothScroll = on; }
    void setAutoProps(bool on) { m_autoProps = on; }
    // major x 10000 + minor x 100 + patch of the program's version.
    static int GetExeFileVersion();

    // The main frame's timers.
    void onFrameTimer(int id) override;
    void CancelAdvance(bool step) override;
    int advanceCountdown() const { return m_advanceCountdown; }
    int autoSaveCountdown() const { return m_autoSaveCountdown; }
    // The engine's tempo multiplier, which the fader and the display show.
    int32_t tempoMultiplier() const;
    // Steps to the next song of the set; false at its end.
    bool StepSong();
    // The song recorder while its dialog is open, or null: the end of a
    // song it plays is its to handle.
    void setOpenSongRecorder(SongRecorder* recorder) { m_songRecorder = recorder; }
    SongRecorder* openSongRecorder() const { return m_songRecorder; }
    // File > Riz Uzov Avevu: its registered dialog.
    bool onRenderAudio(CommandId id);
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
    bool onTrackViewCommand(CommandId id);
    void onUpdateTrackViewCommand(CommandId id, CmdUi& ui);
    // The prompt id the status line shows (the frame keeps it).
    uint32_t promptId() const;

    static std::span<const CommandRow<App>> commandTable();
    // File > Recent sets and songs, Edit > Paste, View > Layout.
    bool onRecentSong(CommandId id);
    bool onPaste(CommandId id);
    void onUpdatePaste(CommandId id, CmdUi& ui);
    bool onLayout(CommandId id);
    void onUpdateLayout(CommandId id, CmdUi& ui);
    // Options, Record Options and Playback Options open the sheet at their page.
    bool onOptions(CommandId id);
    // Opens the Options sheet modally at a page; true when it closed with OK.
    bool OpenOptions(int startIndex);
    // What the sheet reaches of the application; also for tests.
    OptionsContext optionsContext();
    // Where Help buttons open a topic; empty: Help does nothing.
    void setHelpOpener(std::function<void(std::string_view topic)> opener)
    {
        m_helpOpener = std::move(opener);
    }
    // "AutoSave" and "AutoSaveMin" as stored: timer 333 started with a fresh countdown, or killed.
    void restartAutoSave();

    // ISongHost.
    void updateSongViews(CSongDoc& song, const void* senderView, uint32_t hint) override;
    void SetTempoMultiplier(int32_t multiplier, bool resetStep) override;
    // The staff tools' duration and grid from the note type, shown in the
    // tool bar and published for step recording.
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
    void runCommand(uint32_t commandId) override;
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

    // FrameHost.
    bool startupComplete() const override { return m_startupComplete; }
    void clearStartupComplete() override { m_startupComplete = false; }
    void updateTitle() override { UpdateTitle(); }
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

    // The transport panel, its faders and the spectrum.
    ControlContext controlContext() const override;
    void updateTransportButtons();
    // What the panel shows now.
    PanelState panelState() const;
    TransportPanel& transportPanel() { return *m_transportPanel; }
    SpectrumDisplay& spectrumDisplay() { return *m_spectrumDisplay; }
    // The audio output feeds it (ISpectrumSink) on its thread.
    SpectrumAnalyzer& spectrumAnalyzer() { return *m_spectrumAnalyzer; }
    // "DisplayOptions" "ViewSetTime": 0 meter and key, 1 set times, 2 song time.
    int transportDisplayMode() const { return m_viewSetTime; }
    void setTransportDisplayMode(int mode);
    // Songs the engine is to skip at the next step, 0..9.
    int skipCount() const { return m_skipCount; }
    void setSkipCount(int count);
    // The metronome click is on; Record shows it in performance mode.
    bool clickOn() const { return m_clickOn; }
    void setClickOn(bool on);
    // The tempo multiplier that pitch bend on the tempo channel works from; 0 none.
    int32_t pitchBendBase() const { return m_pitchBendBase; }
    void setPitchBendBase(int32_t base) { m_pitchBendBase = base; }
    // Moves the volume fader and applies it.
    void SetVolumeSlider(int32_t value);
    // The keyboard accelerator maps as the maps dialog's OK leaves them:
    // stores them, then installs `selected` (none when disabled) and
    // refreshes the menus' key texts.
    void applyAccelMaps(const std::vector<NamedMap>& maps, const std::string& selected,
                        bool enabled);
    // The external control maps as the maps dialog's OK leaves them: stores
    // them, gives each MIDI input its entries of `selected` and switches
    // external control on or off.
    void applyControlMaps(const std::vector<NamedMap>& maps, const std::string& selected,
                          bool enabled);
    // While set, every message a MIDI input receives goes to `learner`
    // (input index, message) instead of the control map; empty ends it.
    using ControlLearner = std::function<void(int device, uint32_t message)>;
    void setControlMapLearner(ControlLearner learner);
    // Setup > Keyboard accelerators and External control: their dialogs.
    bool onSetupMaps(CommandId id);
    // The faders' notifications.
    void onTempoFader();
    void onVolumeFader();
    // ISetDocumentHost.
    void showSetProgress(std::string_view prompt, std::string_view text) override;
    void endSetProgress() override;
    bool performanceLocked() const override;
    void lockPerformance() override;

    // File > Import > Songs, and files dropped on the main window (`alt`:
    // the Alt key was down when they were dropped).
    bool onImportSongs(CommandId id);
    void onUpdateImportSongs(CommandId id, CmdUi& ui);
    // File > New through the New dialog; File > Revert to the song before.
    bool onFileNew(CommandId id);
    void onUpdateFileNew(CommandId id, CmdUi& ui);
    bool onRevertToRecentSong(CommandId id);
    void onUpdateRevertToRecentSong(CommandId id, CmdUi& ui);
    void dropFiles(const std::vector<std::filesystem::path>& paths, bool alt) override;

    // The transport and adjust commands.
    bool onTransport(CommandId id);
    void onUpdateTransport(CommandId id, CmdUi& ui);
    bool onNavigate(CommandId id);
    void onUpdateNavigate(CommandId id, CmdUi& ui);
    bool onSkip(CommandId id);
    bool onClick(CommandId id);
    bool onAdjust(CommandId id);
    // The file, edit and display commands.
    bool onFileOpen(CommandId id);
    void onUpdateFileOpen(CommandId id, CmdUi& ui);
    bool onCloseAll(CommandId id);
    void onUpdateCloseAll(CommandId id, CmdUi& ui);
    bool onFileSave(CommandId id);
    void onUpdateFileSave(CommandId id, CmdUi& ui);
    bool onSaveAll(CommandId id);
    void onUpdateSaveAll(CommandId id, CmdUi& ui);
    bool onSaveAs(CommandId id);
    bool onImportTracks(CommandId id);
    bool onFileSend(CommandId id);
    // Enabled with a song current, stopped, out of performance mode.
    void onUpdateSongEdit(CommandId id, CmdUi& ui);
    bool onUndoRedo(CommandId id);
    void onUpdateUndoRedo(CommandId id, CmdUi& ui);
    bool onDisplayFace(CommandId id);
    void onUpdateDisplayFace(CommandId id, CmdUi& ui);
    // Commands whose dialogs or documents do not exist yet.
    void onUpdateGreyed(CommandId id, CmdUi& ui);
    // Print and Print preview go to the staff view when there is one, else
    // to the lyric view; Printer setup is always there.
    CommandTarget* printTarget(CommandId id) const;
    bool onPrint(CommandId id);
    void onUpdatePrint(CommandId id, CmdUi& ui);
    bool onPrintSetup(CommandId id);
    // File > Import > Lyrics: a new "Lyrics" track tapped in, added on OK.
    bool onImportAudioClip(CommandId id);
    void onUpdateImportAudioClip(CommandId id, CmdUi& ui);
    bool onImportLyrics(CommandId id);
    void onUpdateImportLyrics(CommandId id, CmdUi& ui);

    // The main frame's commands (FrameHost), from their own table.
    static std::span<const CommandRow<App>> frameCommandTable();
    bool onFrameCommand(CommandId id) override;
    bool updateFrameCommand(CommandId id, CmdUi& ui) override;
    void onHelpKey() override;
    bool onStaffTool(CommandId id);
    void onUpdateStaffTool(CommandId id, CmdUi& ui);
    bool onLyricTool(CommandId id);
    void onUpdateLyricTool(CommandId id, CmdUi& ui);
    bool onEditorView(CommandId id);
    void onUpdateEditorView(CommandId id, CmdUi& ui);
    bool onPaneView(CommandId id);
    void onUpdatePaneView(CommandId id, CmdUi& ui);
    bool onControllerMap(CommandId id);
    void onUpdateControllerMap(CommandId id, CmdUi& ui);
    bool onDisplayMode(CommandId id);
    void onUpdateDisplayMode(CommandId id, CmdUi& ui);
    bool onHelp(CommandId id);
    bool onPerformance(CommandId id);
    void onUpdatePerformance(CommandId id, CmdUi& ui);
    bool onSongStep(CommandId id);
    void onUpdateSongStep(CommandId id, CmdUi& ui);
    bool onQuickTranspose(CommandId id);
    // Setup > MIDI ports: its registered dialog, and after OK the tracks'
    // synthesizers, the current song's views and the audio engines again.
    bool onMidiPorts(CommandId id);
    void onUpdateSetupDialog(CommandId id, CmdUi& ui);
    bool onSynthPatchNames(CommandId id);
    bool onSynchronization(CommandId id);
    bool onWaveformAudio(CommandId id);
    bool onSoundFontBanks(CommandId id);

    // The controller map of `kind` (a control change with `number`, channel
    // pressure, pitch bend) in the controller pane, when a controller pane
    // exists.
    void ActivateView(int kind, int number);
    // Every modified song, then the set when it has a file.
    void SaveAllSongs();
    // Asks to save, then empties the set; false when the user cancelled.
    bool CloseAllDocuments();
    HelpOpener& help() { return *m_help; }
    // The staff tools' note type from a typed duration.
    void onDurationTyped(const QString& text);
    void onGridChosen(int index);
    // The recent effects still installed, "&1 Name" on, above "More...";
    // effects no longer installed leave the list.
    void BuildAudioEffectMenu();
    // Edit > Audio effect: a recent effect or "More...", on the current song.
    bool onAudioEffect(CommandId id);
    void onUpdateAudioEffect(CommandId id, CmdUi& ui);
    // Help > Check for update, About and Tip of the Day.
    bool onCheckForUpdate(CommandId id);
    bool onAbout(CommandId id);
    bool onTipOfTheDay(CommandId id);
    // Where updates are asked for and fetched; the configured ones by default.
    void setUpdateAddresses(UpdateAddresses addresses) { m_addresses = std::move(addresses); }
    const UpdateAddresses& updateAddresses() const { return m_addresses; }
    // Opens web addresses; QDesktopServices by default.
    void setUrlOpener(OpenUrl open) { m_openUrl = std::move(open); }
    // The offer the start-up check prepared for the update notice.
    const std::string& pendingUpdate() const { return m_pendingUpdate; }
    CHttpRequest* startupUpdateCheck() const { return m_startupCheck.get(); }
    CSplashWnd* splash() const;

protected:
    // Follows Shift for the engine's step recording.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Start-up steps.
    void readDisplayOptions();
    void chooseFolders();
    void registerFileTypes();
    bool claimSingleInstance();
    void reportUnwritableSettings();
    void openDatabase();
    void makeWorkFolder();
    void addMusicFont();
    void createMainFrame();
    void createFixedViews();
    void publishGuiValues();
    void connectTransportPanel();
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
    void placeTopLevel(SongView& view, const QRect& rect, const QString& caption, bool onTop);
    static Slot slotOfKind(int kind);

    // Timers.
    void startupStep();
    void loadStartupAccelerators();
    void autoSaveMinute();
    void writeAutoRecoverCopies();
    void songEnded();
    void advanceStep();
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
    INewDocumentPrompt* m_newDocumentPrompt = nullptr;
    IEngineLink* m_engine = nullptr;
    GuiToEngineValues* m_published = nullptr; // the engine's, or the test's

    std::unique_ptr<CommandRouter> m_router;
    std::unique_ptr<SongDocCommands> m_songCommands;
    std::unique_ptr<KeyFilter> m_keys;
    std::unique_ptr<UiUpdater> m_updater;
    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<SynthDatabase> m_database;
    std::unique_ptr<SynthDbChordTable> m_chords; // over m_database, for transposing chord markers
    std::unique_ptr<IClipLoader> m_clipLoader; // reads clip samples for the songs
    std::unique_ptr<IEditDialogs> m_editDialogs; // the songs' edit dialogs
    std::unique_ptr<SetDocument> m_set;
    ViewFactory m_viewFactory;
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

    RecentFileList m_recentSets{"Recent File List", "File"};
    RecentFileList m_recentSongs{"Recent Song List", "Song"};
    RecentFileList m_recentFilters{"Recent Filter List", "Filter"};
    std::unique_ptr<IAudioEffects> m_audioEffects;
    std::vector<std::string> m_audioEffectIds; // the effect of each menu entry
    std::unique_ptr<AssociationStore> m_desktopAssociations;
    MachineRegistry m_machineRegistry{"Vozuzuzuziv Software", kTitle};
    AppClipboard m_clipboard;
    FindCriteria m_findCriteria; // kept between searches and songs
    std::array<Color, kCueKinds> m_cueColors{};
    std::function<void(std::string_view)> m_helpOpener;
    LyricTapper m_lyricTapper;
    ImportProgress m_importProgress;
    std::unique_ptr<QPrinter> m_printer;
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
    int m_audioFace = 0;
    bool m_bouncingBall = true;
    bool m_smoothScroll = true;
    int m_screenResolution = 96;
    bool m_startupComplete = false;
    bool m_startupDone = false; // the frame's start-up step has run
    bool m_handedOver = false;
    bool m_performanceMode = false;
    bool m_readingMailslot = false;

    int m_autoSaveCountdown = 0; // minutes
    int m_advanceCountdown = 0;  // ms
    uint32_t m_secondTicks = 0;
    int32_t m_pitchBendBase = 0;
    int m_viewSetTime = 0;
    int m_skipCount = 0;
    bool m_clickOn = false;
    std::unique_ptr<TransportPanel> m_transportPanel;
    std::unique_ptr<SpectrumDisplay> m_spectrumDisplay;
    std::unique_ptr<SpectrumAnalyzer> m_spectrumAnalyzer;
    std::unique_ptr<HelpOpener> m_help;
    SongRecorder* m_songRecorder = nullptr;

    // Commands.
    bool stoppedEditing() const;
    void refreshStaffViews();
    void showNoteDuration();
    void connectStaffTools();
    bool runFrameRow(CommandId id, bool run, CmdUi* ui);

    // Splash, start-up tip, update check and notice.
    void showSplash();
    void startupTip();
    void startUpdateCheck();
    void onStartupUpdateAnswer(int result, const QByteArray& body);
    void updateNotice();
    std::filesystem::path tipsFile() const;
    UpdateAddresses m_addresses = configuredAddresses();
    OpenUrl m_openUrl = openWebAddress;
    std::unique_ptr<CHttpRequest> m_startupCheck;
    std::string m_pendingUpdate;
    QPointer<QWidget> m_splash;
    // External control.
    void externalControlRepeat();
    void externalControlKey(Slot slot, int key);
    void pitchBendTempo(uint32_t message);
    uint32_t m_controlEntry = 0; // the last control's map entry; 0 after a release
    int m_controlRepeat = 0;     // ticks until the held control repeats, negative
    ControlLearner m_controlLearner;
};

} // namespace rz
