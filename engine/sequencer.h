#pragma once

#include "core/engine_gui_values.h"
#include "core/engine_link.h"
#include "core/engine_timer.h"
#include "core/locks.h"
#include "core/ms_clock.h"
#include "core/due_clock.h"
#include "core/smpte_time.h"
#include "core/tempo_multiplier.h"
#include "engine/audio/audio_format.h"
#include "engine/audio_part.h"
#include "engine/click_count_in.h"
#include "engine/conductor_tap.h"
#include "engine/engine_io.h"
#include "engine/idle_beat.h"
#include "engine/late_port_open.h"
#include "engine/input_sinks.h"
#include "engine/midi_in.h"
#include "engine/out_port.h"
#include "engine/record_wave.h"
#include "engine/recorder.h"
#include "engine/refresh_poster.h"
#include "engine/sequencer_inputs.h"
#include "engine/sequencer_settings.h"
#include "engine/sequencer_snapshot.h"
#include "engine/sync_follower.h"
#include "engine/sync_master.h"
#include "engine/thru_tracks.h"
#include "engine/transport_machine.h"
#include "platform/audio_renderer.h"
#include "platform/midi_system.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rz {

class CEventList;
class CSongDoc;
struct TempoEntry;
class EngineToGui;
class IEngineTimer;
class IGuiThreadQueue;
class IInstrumentLoader;
class IMidiDeviceSource;
class IProfile;
class IPrompt;
class ISynthLookup;

// What the engine is built from. Everything must outlive the engine.
struct SequencerServices {
    IProfile& profile;
    IPrompt& prompt;
    IGuiThreadQueue& gui;      // where the refresh pass runs
    EngineToGui& toGui;        // the engine's calls to the GUI
    IMidiDeviceSource& devices;
    IInstrumentLoader& instruments;
    IEngineTimer& timer;
    IAudioEngines& audio;
    const ISynthLookup* synths = nullptr; // null: every synthesizer is unknown
    // Where an instrument library being opened is marked, so that one which
    // kills the program is skipped at the next start; empty: no marks.
    std::filesystem::path pluginMarkFolder = {};
};

struct SequencerOptions {
    // Wait on the program-wide locks before the work is skipped for a retry.
    std::chrono::milliseconds lockWait = kLockWait;
    RefreshPosterOptions refresh;
    // The built-in synthesizer opens on a thread of its own, started by
    // openLatePorts() once the window shows (its SoundFont takes a while to
    // load); see portsLoading().
    bool lateSynthOpen = false;
};

// The playback and record engine: the MIDI ports, the audio part, the idle
// beat display and the refresh of the views. The program owns one; tests
// make their own. Runs on the GUI thread unless a member says otherwise.
class CSequencer : public IEngineLink, public IAudioRenderer {
public:
    static constexpr int kOutputEntries = 16;
    static constexpr int kInputEntries = 16;
    // The "VST\%d" slots start-up reads; the Ports dialog keeps to them, so
    // every instrument it saves comes back.
    static constexpr int kInstrumentSlots = 100;

    CSequencer(const SequencerServices& services, SequencerOptions options = {});
    // Shuts down first.
    ~CSequencer() override;
    CSequencer(const CSequencer&) = delete;
    CSequencer& operator=(const CSequencer&) = delete;

    // Opens the ports, starts the refresh pass and the idle timer, loads the
    // audio engines. A second call does nothing.
    void Init();
    // Stops the transport, the timer and the refresh pass, closes the audio
    // engines and the ports. Safe before Init and more than once.
    void Shutdown();
    // Starts opening the ports Init left for later, on a thread of its own;
    // once, and not after Shutdown. The owner calls it when the window shows.
    void openLatePorts();
    // True from Init while ports that open late are still to open.
    bool portsLoading() const { return m_portsLoading.load(std::memory_order_acquire); }
    // Runs on the GUI thread once the late ports are open (or failed) and
    // the tracks are linked to them; not at all without late ports.
    void setPortsReadyHandler(std::function<void()> ready) { m_portsReady = std::move(ready); }
    // Empty when the engines run or are off; else why they stay silent.
    std::string LoadAudioOptions();
    void CloseAudioEngines();

    // Every output port, from the last to the first.
    void ResetOutPorts() override;
    void ResetPortChannelStates() override;
    void AllNotesOff();
    void ResendPortStates() override;
    // Stores the volume, clamped into 0..16383, and has the current song's
    // tracks resend their CC7. Any thread: the playback tick follows the
    // master fader with it.
    void SetMasterVolume(int volume) override;
    void SendSynthResets() override;
    void SelectClickPatch();
    // The MIDI reset: synthesizer resets, the click patch, then the current
    // song's state at its position again. Never with the TransportMutex held:
    // locating takes the AudioMutex.
    void ReapplyPortSettings();
    bool ApplyAsioChannelSelection(std::string_view inputChannel, std::string_view outputChannel);
    void IdleVstEditors();
    // Fills the time record the instruments see for the next block. Audio
    // thread, at the start of every block; never waits.
    void FillAudioTimeInfo();

    // The idle timer's callback (every 4 ms while not playing): runs the beat
    // display at the song's tempo. Timer thread.
    void PausedTimerProc(uint32_t user);
    // The refresh pass with the requested RefreshBit bits; the SongMutex is
    // held when kRefreshViews is among them. GUI thread.
    void RefreshThreadProc(uint32_t bits);
    // Asks the refresh pass for RefreshBit bits. Any thread from Init until
    // Shutdown has stopped the timer and the inputs; never waits.
    void requestRefresh(uint32_t bits);

    // The song the application shows. The application clears it (under the
    // SongMutex) before it destroys that song. Any thread reads it. A song
    // brings back the idle timer that stopped for want of one.
    void setCurrentSong(CSongDoc* song);
    CSongDoc* currentSong() const { return m_currentSong.load(std::memory_order_acquire); }
    // The set's next enabled song, kept for the timer thread.
    void setNextSetSong(SetItemHandle item) { m_nextSetSong.store(item, std::memory_order_release); }

    // Any thread.
    bool initialised() const { return m_initialised.load(std::memory_order_acquire); }
    bool shuttingDown() const { return m_shuttingDown.load(std::memory_order_acquire); }
    // 0.5 at a click, falling to -0.5 just before the next.
    double beatPhase() const { return m_idleBeat.phase.load(std::memory_order_acquire); }
    // Whether the GUI shows the beat phase. Any thread.
    void setBeatDisplayShown(bool shown);
    bool beatDisplayShown() const { return m_idleBeat.shown.load(std::memory_order_acquire); }
    // Advanced by every idle and playback tick, ms.
    uint32_t msClock() const { return m_transport.msClock.read(timeGetTime()); }
    int32_t tempoMultiplier() const override { return m_transport.tempoMultiplier.load(std::memory_order_acquire); }
    // The one setter: held within kMinMultiplier..kMaxMultiplier. Any thread.
    void setTempoMultiplier(int32_t multiplier) override;
    int32_t position() const { return m_transport.position.load(std::memory_order_acquire); }
    // Velocity of the notes views preview; 0 means 100. Any thread.
    int previewVelocity() const override { return m_io.previewVelocity.load(std::memory_order_acquire); }
    void setPreviewVelocity(int velocity);

    // The values the GUI publishes for the engine's threads.
    GuiToEngineValues& publishedValues() { return m_guiValues; }
    // Publishes new settings whole (the Options sheet's OK). GUI thread.
    void applySettings(const SequencerSettings& settings);
    // Publishes new synchronisation settings, the rest kept, and makes their
    // SMPTE rate the default one (the Synchronization dialog's OK). GUI thread.
    void setSyncOptions(const SyncOptions& sync);
    // The settings as last published. Any thread; waits at most for a pointer
    // copy, and a reader keeps one whole value for as long as it holds it.
    std::shared_ptr<const SequencerSettings> liveSettings() const { return m_liveSettings.load(); }
    uint32_t tickPeriodMs() const { return liveSettings()->tickPeriodMs; }
    const AudioFormat& audioFormat() const { return m_audio.format; }
    const HostTimeInfo& hostTimeInfo() const { return m_audio.hostTime; }
    bool passthrough() const { return m_audio.passthrough; }

    // The ports; never null. Any thread; waits at most for a pointer copy.
    std::shared_ptr<const SequencerPorts> ports() const { return m_io.ports.load(); }
    size_t inputCount() const { return m_io.inputs.size(); }
    CMidiIn& input(size_t index) { return *m_io.inputs[index]; }
    // Hands each entry to the input its top four bits name; entries for a
    // missing input are dropped.
    void setKeyMaps(const KeyMap& entries);

    // Idle beat recomputations so far, for tests and diagnostics.
    uint64_t idleRecomputeCount() const { return m_idleBeat.recomputes.load(std::memory_order_relaxed); }
    // Times the refresh worker was woken, for tests and diagnostics.
    uint64_t refreshWakeCount() const;

    // IEngineLink. The transport commands run on the GUI thread; the
    // playback tick and the MIDI input may request a start too.
    TransportState transportState() const override
    {
        return m_transport.state();
    }
    void setTransportState(TransportState state) override;
    // Silences the ports and stops; a take is kept or discarded. Never with
    // the TransportMutex held.
    void Stop(bool discardTake) override;
    void Play(int32_t tick) override { Play(tick, false, false); }
    void Play(int32_t tick, bool force) override { Play(tick, force, false); }
    // A start at `tick` (relative: that far from the play position) from
    // Stopped or Paused, or a jump while playing or holding; while Starting
    // only with `force`. Never with the SongMutex held (the idle tick it ends
    // takes it) nor the TransportMutex (the first tick of a start runs at
    // once and takes it).
    void Play(int32_t tick, bool force, bool relative);
    // Never with the TransportMutex or the SongMutex held: it waits for the
    // running tick, which takes them.
    void Pause() override;
    void PauseAsStarting() override;
    // Play/Cue (and Play through): starts, leaves a hold, or acts on the cue
    // at the position. Calls within 100 ms of the last accepted one are
    // ignored.
    void Advance(bool playThrough) override;
    // Locates the song under the SongMutex, as the sync follower does, when
    // the transport stands (checked under the TransportMutex); a moving
    // transport is the follower's or the tick's to place. GUI thread.
    void LocateSong(CSongDoc& song, int32_t tick) override;
    void OnPlayPause() override;
    void OnPlayStop() override;
    // Lets the active vamp end after this pass (toggle: or repeat again).
    void ToggleVampExit(bool toggle) override;
    TransportState previousState() const override
    {
        return m_transport.previousState.load(std::memory_order_acquire);
    }
    // The playback timer's callback: one tick of playback. Timer thread;
    // allocates nothing.
    void TimerProc(uint32_t user);

    // The song the playback tick plays: the current song at the start, or
    // the one a Skip cue switched to. Any thread.
    CSongDoc* songPlayed() const { return m_transport.songPlayed.load(std::memory_order_acquire); }
    // Passes made in the active vamp. Any thread.
    int vampPasses() const { return m_transport.vampPasses.load(std::memory_order_acquire); }
    // The record command's part: a take runs from the next start, after a
    // count-in of `countInTicks` (0 none).
    void setRecording(bool recording, int32_t countInTicks = 0);
    // The count-in of a take is running: the song does not move. Any thread.
    bool countingIn() const { return m_countIn.active.load(std::memory_order_acquire); }

    // MIDI input, thru and recording.
    // The Record command: a take on the thru tracks, after a count-in in
    // modes 0 and 2, or paused for step recording (mode 1).
    void Record() override;
    // Echoes a message to the thru tracks and, while recording, appends it
    // to the take. A null source is a preview from a view and matches every
    // input. Input dispatch thread, or the GUI thread for a preview.
    void EchoMidiIn(const CMidiIn* source, uint32_t message);
    // While recording, the take gets the message under the ThruMutex; a
    // wait that times out loses it and counts it with the lost inputs.
    void recordLiveMessage(int track, uint32_t message) override;
    // Where input goes while a dialog captures it. Any thread.
    InputSinks& inputSinks() { return m_io.sinks; }
    // The song position where the take started, ticks. GUI thread.
    int32_t recordStart() const { return m_recorder.recordStart; }
    // Input messages neither echoed nor recorded because the ThruMutex wait
    // timed out. Any thread.
    uint64_t lostInputCount() const
    {
        return m_recorder.lostInputs.load(std::memory_order_relaxed);
    }
    int outputMapSize() const override;
    int outputMapEntry(int portNumber) const override;
    IMidiOut* openOutPort(int index) override;
    int outPortCount() const override;
    const CCue* activeVamp() const override;
    int vampRepetitionsLeft() const override;
    int advanceReset() const override { return liveSettings()->advance.reset; }
    void RebuildThruTracks() override;
    int masterVolume() const override { return m_io.masterVolume.load(std::memory_order_acquire); }
    const GuiToEngineValues& guiValues() const override { return m_guiValues; }
    NextStop nextStop() const override;
    void setNextStop(const NextStop& stop) override;
    bool holdFlag() const override { return m_transport.hold.load(std::memory_order_acquire); }
    void setHoldFlag(bool hold) override { m_transport.hold.store(hold, std::memory_order_release); }
    bool playThrough() const override { return m_transport.playThrough.load(std::memory_order_acquire); }
    SetItemHandle nextSetSong() const override
    {
        return m_nextSetSong.load(std::memory_order_acquire);
    }
    bool recording() const override { return m_recorder.recording(); }
    RecordOptions recordOptions() const override { return liveSettings()->record; }
    bool hasThruTrack(const IMidiOut* port, int channel) const override;
    // Reads the published snapshot; never waits. Any thread.
    std::vector<ThruTrackKey> thruTrackKeys() const override;
    // GUI thread: EchoMidiIn with no source.
    void previewNote(uint32_t message) override { EchoMidiIn(nullptr, message); }
    double realTime() const override { return m_transport.realTime.load(std::memory_order_acquire); }
    double blockLength() const override { return m_audio.blockLength.load(std::memory_order_acquire); }
    SyncOptions syncOptions() const override { return liveSettings()->sync; }
    void SendSongPosition(int32_t sixteenths) override;
    void setInstrumentState(std::string_view instrumentName,
                            std::span<const uint8_t> state) override;
    void clearClipPlayLists() override;
    bool clipInPlayList(const CAudioClip& clip) const override;
    void appendClipToPlayLists(CAudioClip& clip, CTrack& track) override;
    void reserveClipPlayLists(size_t clips) override;
    void clipTimeToSample(CAudioClip& clip, double time) override;

    // Synchronisation master: MIDI clock, start or continue, and stop, to the
    // sync port ("Port" n: the n-th output) or, for "Port" 0 or less, to
    // every output. Start goes only while no Start or Continue is out, Stop
    // only after one, as master with protocol 0. Any thread.
    void SendSyncClock();
    void SendSyncStart(bool continuing);
    void SendSyncStop();
    // A Start or Continue is out and no Stop since. Any thread.
    bool syncStarted() const { return m_syncMaster.started.load(std::memory_order_acquire); }

    // Synchronisation follower: the input dispatcher hands over every message
    // of F0 and above from input `inputIndex` (0-based), stamped on arrival;
    // what they send carries that stamp. Input dispatcher thread; waits at
    // most one lock wait in all, then ignores the message.
    void OnSyncInput(int inputIndex, uint32_t message, TickTime stamp);
    void OnSyncSysEx(int inputIndex, std::span<const uint8_t> bytes, TickTime stamp);

    // One conductor tap: follows the player's taps against the clicks while
    // the song plays, or starts it and sets the tempo from the tapping rate.
    // GUI thread.
    void ConductorTap() override;

    // The audio engines' one mix: adds the block's clips (while Playing past
    // any count-in) and instruments into the buffers, then applies the master
    // volume and moves the host time on. A busy AudioMutex leaves the block
    // silent and counts a skip. Audio thread; never waits or allocates.
    void RenderBlock(float* left, float* right, uint32_t frames);
    // A device's block: the captured channels go to the input sink and stay
    // in the mix only with pass-through; the mix goes to the spectrum display
    // while it shows. Audio thread; never waits or allocates.
    void renderAudio(float* left, float* right, uint32_t frames, uint32_t inputChannels) override;
    // The device's new block reaches the block length and the instruments
    // through the refresh pass on the GUI thread. A device thread; never
    // waits, never allocates.
    void blockFramesChanged(uint32_t frames) override;
    // Blocks left silent because the AudioMutex was busy. Any thread.
    uint64_t skippedAudioBlocks() const { return m_audio.skippedBlocks.load(std::memory_order_relaxed); }
    // Where mixed blocks go while the spectrum display shows; null for none.
    void setSpectrumSink(ISpectrumSink* sink) { m_audio.spectrum.store(sink, std::memory_order_release); }
    // The low-latency input's recorder (null detaches it); on return after a
    // detach the audio thread no longer touches the old one. Any thread
    // except the audio thread.
    void setAudioInputSink(CWaveDiskWriter* writer);
    // Where an audition plays into the render; null when no audio engine
    // runs. GUI thread.
    AudioPreviewSlot* previewSlot();

    // The Ports dialog's changes to the port list. GUI thread.
    // Loads `library` into a new instrument port at the end of the list; a
    // library other instrument ports load already gets " [%d]" with their
    // count plus one. Null, with the instrument's reason, when it does not load.
    std::shared_ptr<COutPort> AddInstrumentPort(const std::filesystem::path& library,
                                                std::string& error);
    // Stops the transport, silences the port and closes its editor, publishes
    // the list without it (the output map following), and re-links the
    // songs' tracks, the inputs' thru and the thru tracks before the port is
    // closed. False when the port is not an instrument port of the list.
    bool RemoveInstrumentPort(const COutPort& port);
    // The numbered outputs and inputs by name (case ignored): stops the
    // transport, closes the device ports and inputs no longer named, leaves
    // open ones open and opens each other named one once ("Unable to open
    // port '%s'" for each failure, which keeps its map entry), publishes the
    // new maps whole and re-links the tracks.
    void ReopenPorts(const std::vector<std::string>& outputNames,
                     const std::vector<std::string>& inputNames);
    // Devices the machine has now and the lists lack go in closed at the
    // end of the output and input lists, so no port's number changes.
    // Answers how many went in.
    size_t AddNewDevicePorts();
    // While a listener is registered, devices that come later go into the
    // lists on their own, and `changed` runs after they did. Answers the
    // handle removePortListListener() takes.
    int addPortListListener(std::function<void()> changed);
    void removePortListListener(int handle);

private:
    // Start-up steps.
    void openOutputDevices(SequencerPorts& ports);
    void openInstruments(SequencerPorts& ports);
    void mapOutputs(SequencerPorts& ports);
    // The built-in synthesizer's port is left for openLatePorts when late
    // opening is on: returned, not opened.
    std::vector<std::shared_ptr<COutPort>> openMappedOutputs(SequencerPorts& ports);
    void keepForLateOpen(std::vector<std::shared_ptr<COutPort>> late);
    void lateOpenDone(std::vector<LatePortOpen::Result> results);
    // Every song's tracks, the set's and the current one, find their ports again.
    void relinkAllSongTracks();
    void openInputDevices(const SequencerPorts& ports);
    void mapInputs(SequencerPorts& ports);
    void openFirstInput(const SequencerPorts& ports);
    void loadKeyMap();
    void startIdleTimer();
    void resumeIdleTimer();
    bool idleAtRest() const;
    void restIdleTimer();
    void wakeIdleTimer();
    void reportOpenFailure(const std::string& name, const std::string& reason);
    void closeInputs();
    // After the port list changed: the inputs' thru ports found again in
    // `next`, then every song's track links and the thru tracks.
    void relinkAfterPortChange(const SequencerPorts& previous, const SequencerPorts& next);
    void relinkCurrentSongTracks();
    void watchDevices();
    void onDevicesChanged();
    void setRenderInstrumentsLocked(std::shared_ptr<const SequencerPorts> ports);

    // The idle beat.
    void recomputeIdleBeat(const CSongDoc& song, uint32_t user);
    bool advanceIdleBeat(const CSongDoc& song, uint32_t user);
    // Has the current song's tracks resend their CC7; false when the
    // SongMutex wait timed out. Any thread; on the playback tick it never
    // waits for the lock.
    bool resendTrackVolumes();
    bool resendTrackVolumesLocked();

    // Transport commands.
    bool prepareStart(CSongDoc& song, int32_t tick, bool relative);
    bool startPlaybackTimer(uint32_t serial);
    void setStart(int32_t tick, bool relative);
    // Pause's work without its notifications; Stop shares it.
    // stopping: called by Stop, which skips the pause when the transport
    // was stopped meanwhile (by the sync follower).
    void pauseTransport(bool stopping = false);
    void chaseAtPosition(CSongDoc& song);
    void switchToIdleTimer();
    void advanceByState(CSongDoc& song, TransportState state);
    void applyCueRule(CSongDoc& song);
    void applyVampCueRule(CSongDoc& song, const NextStop& stop);
    void notifyTransportChanged();

    // The playback tick.
    bool playStep(CSongDoc& song);
    bool startPlaying(CSongDoc& song);
    int32_t wrapIntoActiveVamp(int32_t start);
    void locateStart(CSongDoc& song, int32_t start);
    void takeClockFromSong(CSongDoc& song);
    // After a stall of the timer thread. Wall µs the timer left out before
    // this tick's deadline, 0 when none.
    double stallBeforeThisTick();
    void followClockAfterStall(CSongDoc& song, double stalledUs);
    void followActiveVampAtStart(CSongDoc& song);
    void followPlayThrough(CSongDoc& song);
    void checkCues(const CSongDoc& song);
    void advanceClock(CSongDoc& song);
    void moveTempoIndex(const CSongDoc& song);
    void moveMeasure(const CSongDoc& song);
    // The tick at a real time (µs) through a tempo entry: the entry's tick
    // plus the whole ticks since it.
    int32_t tickAtTime(const TempoEntry& entry, double time) const;
    // The jump and the end; true when the tick ends there.
    bool handleJump(CSongDoc& song);
    bool handleEnd(CSongDoc& song);
    void playUpToJustBefore(CSongDoc& song, int32_t tick);
    bool actOnJumpCue(CSongDoc& song, const NextStop& stop);
    bool actOnActiveVamp(CSongDoc& song, const NextStop& stop);
    const CCue* enclosingVampEndingWith(const CSongDoc& song, const CCue& ended) const;
    bool actOnEnclosingVamp(CSongDoc& song, const NextStop& stop, const CCue& outer);
    bool takeHeldJump(CSongDoc& song, const NextStop& stop);
    bool passOverJumpInPlace(const CSongDoc& song, const NextStop& stop);
    // The vamp just entered holds the jump ahead when it leaves the vamp,
    // also one an enclosing vamp holds: the inner one repeats first.
    void holdJumpIn(NextStop& stop, const CCue& vamp) const;
    // A jump the active vamp does not hold, on its last repetition, is held
    // by the vamp around it while that one still repeats.
    void holdJumpInOuterVamp(NextStop& stop) const;
    // Play/Cue in a section that holds a jump: the tick takes the jump now.
    void takeHeldJumpNow(const NextStop& stop);
    // A vamp holds no jump at the tick its run began at: its own end stands
    // instead, so a repetition always plays.
    void keepHeldJumpAhead(NextStop& stop) const;
    // The repetitions a vamp entered now plays (0: until told to leave).
    int vampRepetitionsOnEntry(const CCue& vamp) const;
    bool keepsActiveVamp(const CCue& found, int32_t at) const;
    bool switchToNextSong(SetItemHandle item, CSongDoc& next);
    void endTrackNotesOnEveryPort();
    // Before a start or a chase of `song`: the notes another song left.
    void endOtherSongsNotes(CSongDoc& song);
    // The song a Pause or a Stop works on: the one the engine plays.
    CSongDoc* songToChase() const;
    // A jump the tick asks for: only while Playing or Holding.
    void requestJump(int32_t tick);
    void clearVamp();
    void beatAndClick(const CSongDoc& song);
    void soundClick(const CSongDoc& song, COutPort& port);
    void refreshViews();
    // The count-in of a take.
    void startCountIn();
    void joinTake(CSongDoc& song);
    void advanceCountIn(const CSongDoc& song);
    // True on a thread while it runs a playback tick.
    static bool onPlaybackTick();
    // Song time against the clock for the tick now running: the real time
    // at its start sounds at its deadline, at the tempo multiplier.
    DueClock dueClockNow() const;
    // The real time (µs) of a tick through a tempo entry; tickAtTime's inverse.
    double timeAtTick(const TempoEntry& entry, int32_t tick) const;

    // MIDI input and recording.
    friend class CMidiIn;
    std::shared_ptr<const ThruTracks> findThruTracks() const;
    void collectArmedTracks(const CSongDoc& song, ThruTracks& thru) const;
    void collectTrackViewTracks(const CSongDoc& song, ThruTracks& thru) const;
    void echoToTrack(const ThruTrack& thru, double relativeVolume, uint32_t message,
                     int32_t time);
    bool inputNamesSource(const ThruTrack& thru, const CMidiIn& source) const;
    void postStepRecording(uint32_t message);
    int32_t takeTime() const;
    bool prepareRecordTracks(CSongDoc& song, const ThruTracks& thru);
    void startTake();
    void finishTake(bool discard);
    void applyTake(CSongDoc& song, std::vector<TakeEvent> take, const TakeWaveResult& wave);
    void relocateAfterTake(CSongDoc& song);
    void reserveMeasureRoom(CSongDoc& song);
    void growMeasureMap(CSongDoc& song);

    void readSongTime(const CSongDoc& song, HostTimePosition& at) const;

    // Hooks that synchronisation, recording and the audio engines fill.
    void resetSyncOutput(int32_t position, double realTime);
    void sendSyncOutput();
    void finishSyncOutput();
    void handleTake(bool discard);
    void attachDiskWriter();

    template <class Each>
    void forEachPortFromLast(Each each);

    // Synchronisation master, on the playback tick.
    void sendSyncClocks();
    double clockTime(const CSongDoc* song, int32_t tick) const;
    void applyOutputLatency(const SequencerSettings& settings);
    void sendQuarterFrames(const CSongDoc& song);
    template <class Each>
    void forEachSyncOutput(bool beyondMeansAll, Each each);

    // Synchronisation follower: one message at a time, on an input thread.
    friend class SyncFollower;

    // Conductor tap.
    void followTap(const CSongDoc& song);
    void tapWithoutFollowing(const CSongDoc& song);
    void applyTapFactor(double factor);
    void setTappedMultiplier(double multiplier);

    // The audio engines.
    // A new device restarts the host time; a new block of the same device
    // keeps it running.
    enum class HostTimeAt : uint8_t { Restart, Keep };
    void rebuildRenderInstruments(uint32_t sampleRate, uint32_t blockFrames,
                                  HostTimeAt hostTime = HostTimeAt::Restart);
    void setBlockLength(uint32_t sampleRate, uint32_t blockFrames);
    void applyBlockFrames();
    // A take's wave file: opened with capture at the Record command, ended
    // (or thrown away) with the take.
    bool openTakeWave();
    TakeWaveResult endTakeWave();
    void discardTakeWave();
    void addTakeClips(const TakeWaveResult& wave, CEventList& events) const;
    void mixInstruments(float* left, float* right, uint32_t frames);

    SequencerServices m_services;
    const SequencerOptions m_options;
    // Published whole; readers keep the value they took (liveSettings()).
    Snapshot<SequencerSettings> m_liveSettings{std::make_shared<const SequencerSettings>()};
    std::atomic<bool> m_initialised{false};
    std::atomic<bool> m_portsLoading{false};
    std::vector<std::shared_ptr<COutPort>> m_latePorts; // until openLatePorts
    std::unique_ptr<LatePortOpen> m_lateOpen;
    std::function<void()> m_portsReady;
    std::atomic<bool> m_shuttingDown{false};
    // The song the application shows and the set's next enabled song.
    std::atomic<CSongDoc*> m_currentSong{nullptr};
    std::atomic<SetItemHandle> m_nextSetSong{nullptr};

    // The engine's parts.
    TransportMachine m_transport;
    Recorder m_recorder;
    TakeWave m_takeWave;
    ClickCountIn m_countIn;
    IdleBeatDisplay m_idleBeat;
    SyncMaster m_syncMaster;
    SyncFollowerState m_follower;
    EngineIo m_io;
    EngineAudio m_audio;
    std::unique_ptr<RefreshPoster> m_refresh;
    // Devices that come later; GUI thread. The token dies with the watch,
    // so a notice still queued then finds nothing to do.
    std::unique_ptr<IDeviceWatch> m_deviceWatch;
    std::shared_ptr<int> m_deviceWatchToken;
    std::vector<std::pair<int, std::function<void()>>> m_portListListeners;
    int m_nextPortListListener = 1;
    CTapHistory m_tapHistory; // GUI thread
    // What is published to the GUI, in one place.
    GuiToEngineValues m_guiValues;
};

} // namespace rz
