#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/locks.h"
#include "core/smpte_time.h"
#include "song/cue.h"
#include "song/measure_map.h"
#include "song/tempo_map.h"
#include "song/track.h"
#include "song/undo_record.h"

namespace rz {

class IAudioTools;
class IChordTable;
class IClipLoader;
enum class EditDialog;
class IEditDialogs;
enum class EditDialog;
class IEngineLink;
struct CuePropsParams;
class IMidiOut;
struct NextStop;
struct PlayOutState;
class IPrompt;
class IProfile;
class ISetLink;
class ISongHost;
class ISynthLookup;
class ITrackRows;

// The rest of the program as a song sees it. The optional seams are null in
// programs (and tests) without a set, a track view or a synthesizer database.
struct SongContext {
    IProfile& profile;
    IPrompt& prompt;
    ISongHost& host;
    IEngineLink& engine;
    ISetLink* setLink = nullptr;
    ITrackRows* trackRows = nullptr;
    ISynthLookup* synths = nullptr;
    IClipLoader* clipLoader = nullptr; // loads and frees clip samples; null: nothing loaded
    // Wait on the SongMutex before view work is skipped.
    std::chrono::milliseconds lockWait = kLockWait;
    IEditDialogs* editDialogs = nullptr; // null: the commands that need a dialog are greyed
    IAudioTools* audioTools = nullptr;   // null: no audio effects and no Wave Mixer
    IChordTable* chords = nullptr; // the database's chords; null: chord markers keep their chords
};

// A menu item's state as its update handler computes it.
struct CommandState {
    std::string text;
    bool enabled = false;
};

using UndoList = std::list<std::unique_ptr<CUndoRecord>>;

// One song in memory. Track 0 is the conductor track, the last track the empty
// track that is always present, never played and never written. Runs on the
// GUI thread; the sequencer's timer thread reads the position, tracks, maps and
// cues while the song plays, and edits happen only while the transport is stopped.
class CSongDoc {
public:
    explicit CSongDoc(const SongContext& context);
    ~CSongDoc();
    CSongDoc(const CSongDoc&) = delete;
    CSongDoc& operator=(const CSongDoc&) = delete;

    uint32_t lastCommand = 0;      // id of the last command routed through the song
    bool contentFlag = false;      // the song holds content
    bool karaoke = false;          // read from a ".kar" file
    uint16_t format = 1;           // Standard MIDI File format 0 or 1
    uint16_t timeBase = 120;       // ticks per quarter note
    int32_t endTick = 0;
    int32_t measureMapEnd = 0;     // tick just after the last measure
    double length = 0.0;           // real time of the end tick, µs
    int32_t gridFamily = 0;        // row of the grid table
    MeasureMap measureMap;
    TempoMap tempoMap;
    std::vector<std::unique_ptr<CTrack>> tracks;
    CueList cues;                  // in the order of CCue::GetTime
    uint32_t selectionKind = 0;    // kSelect* bits
    int32_t selectionFrom = -1;
    int32_t selectionTo = -1;
    uint32_t selectionStamp = 0;   // selected events and cues carry it
    UndoList undoList;             // applied edits, oldest first
    UndoList::iterator undoPosition = undoList.end(); // next record Redo applies; end() none
    const CUndoRecord* savedRecord = nullptr; // current record at the last save
    std::string title, subtitle, author, copyright, memo; // bytes as stored
    std::filesystem::path songFolder;  // where "WaveData" lies
    std::filesystem::path pathName;    // the song file; empty until saved or read
    bool modified = false;
    bool soloActive = false;       // playEnabled holds a solo, savedPlayEnabled the state to restore
    bool autoRecoverMark = false;  // an AutoRecover copy has been written
    double relativeVolume = 1.0;   // factor on every CC7
    uint32_t performanceTempo = 0; // µs per quarter it was last played at; 0 none
    CSmpteTime smpteOffset;
    std::string layoutText;

    // The play position and edit cursor. The timer thread moves it while the
    // transport runs and any thread reads it, so it is published as an atomic.
    int32_t position() const { return m_position.load(std::memory_order_relaxed); }
    void setPosition(int32_t tick) { m_position.store(tick, std::memory_order_relaxed); }

    // Lifecycle.
    void OnNewDocument();
    void InitNewSong();
    void DeleteContents();
    // Asks to save a modified song; false (nothing changed) when the user cancels
    // or the save fails: the caller then stops closing.
    bool CloseSong();
    bool SaveModified();
    // Writes the song to its file; false when it was not saved.
    bool DoFileSave();
    bool IsModified() const { return modified; }
    void SetModifiedFlag(bool isModified);
    // Makes the song current at a tick (-1 the position).
    void ActivateSong(int32_t tick = -1);
    // Sets the engine's tempo multiplier from the performance tempo.
    void applyPerformanceTempo();
    bool isCurrentSong() const;

    // Derived values and views.
    void UpdateViews(const void* senderView = nullptr, uint32_t hint = 0);
    void UpdateSongEnd();
    void RestartPlayback();
    bool RevertTrackStates();
    void FreeTrackCaches();
    // Gives an audio clip a new, unused file name in the song's "WaveData"
    // folder, keeping the base of `name` when it has a folder.
    void MakeClipFileName(std::filesystem::path& name);
    // Audio effects and the Wave Mixer (IAudioTools). GUI thread; each edit
    // is one record for ApplyEdit.
    // Runs an effect over the selected clips, or every clip of the selected
    // waveform tracks when whole tracks are selected, and puts the new files
    // in their place.
    void OnEditAudioEffect(const std::string& effect);
    // Mixes clips down; a mix to a new waveform track becomes the track "Remix".
    void OnFileWaveRemix();
    bool OnUpdateFileWaveRemix() const;

    // Saving. GUI thread. A false answer means nothing was saved: the user
    // has been told why (or cancelled), and the song file, its ".bak" and its
    // AutoRecover copy are as they were.
    // A path ending ".sav" writes an AutoRecover copy: no questions, no clip
    // moves, no backup, no renaming, and the song stays modified.
    bool OnSaveDocument(const std::filesystem::path& path);
    // No path: asks for one (Save As). replace: the song takes the new path
    // and its title from the file name; otherwise a copy is written.
    bool DoSave(const std::optional<std::filesystem::path>& path, bool replace);
    // Never adds to the recent-file list. A song not loaded yet takes its
    // title from the file name.
    void SetPathName(const std::filesystem::path& path, bool addToRecent = false);
    // Gives the clips of the undo records named `oldName` the new name;
    // returns how many.
    int RenameClipFiles(const std::string& oldName, const std::string& newName);

    // Undo list and the Edit menu.
    const CUndoRecord* GetUndoRecord() const;
    CommandState OnUpdateEditUndo() const;
    CommandState OnUpdateEditRedo() const;

    // Tempo map (µs) and measure map.
    double TickToTime(int32_t tick) const;
    int32_t TimeToTick(double time) const;
    int FindTempoIndex(int32_t tick) const;
    int FindTempoIndexByTime(double time) const;
    void RecalcTempoTimes();
    int FindMeasure(int32_t tick) const;
    int FindCurrentMeasure() const;
    void RecomputeMeasureStarts();
    void ExtendMeasureMap();
    int FormatTime(int32_t tick, std::string& text) const;

    // Grid and time zoom.
    int32_t GetGridTicks() const;
    void SetGridFamily();
    void OnZoomInTime();
    void OnZoomOutTime();

    int FindCueInsertPos(const CCue& cue) const;
    // One new cue from a cue dialog's answer, as "Insert Cue".
    ApplyResult InsertCue(const CuePropsParams& answer);

    // Undo and redo. GUI thread. ApplyEdit owns the record on every path and
    // destroys the ones it refuses; Undo and Redo answer false, changing
    // nothing, when there is nothing to do or the SongMutex wait times out.
    ApplyResult ApplyEdit(std::unique_ptr<CUndoRecord> record);
    // Applies a change the program makes on its own (a save's) as part of
    // the last edit, so one Undo takes back both and the next Undo is still
    // the user's; a record of its own when no edit is there to join.
    ApplyResult applyWithLastEdit(std::unique_ptr<CUndoRecord> record);
    bool Undo();
    bool Redo();
    // Copy, cut, delete and paste through the application's clipboard
    // (ISongHost::clipboard). GUI thread; each edit is one record for ApplyEdit.
    // Whether Copy (or Cut and Delete, with `deleting`) may run now.
    bool OnUpdateEditCopy(bool deleting = false) const;
    void OnEditCopy();
    void OnEditCut();
    // cut: the selection is copied first (Cut is Copy, then Delete).
    void OnEditDelete(bool cut = false);
    // Fills the clipboard from the selected time range; mode 0 all, 1 tempo
    // changes, 2 events on the selected tracks, 3 the controller view's
    // points; any other mode leaves tempo kind and the span only. Events and
    // cues are taken from [from - offset, to - offset). False when a clip file
    // could not be copied: the clipboard is then unchanged.
    bool CopySelection(int32_t offset, int mode);
    // Whether Paste may run for what the clipboard holds (the dialog it needs).
    bool canPasteKind(uint32_t kind) const;
    void OnEditPaste();
    bool OnUpdateEditSelectTime() const;
    void OnEditSelectTime();

    // The Insert menu and Edit > Properties. GUI thread; each command asks
    // its dialog and applies one record; Cancel changes nothing.
    // Whether an insert command whose dialog is `dialog` may run now.
    bool OnUpdateInsert(EditDialog dialog) const;
    void OnInsertKeySignature();
    void OnInsertMeasureNumbers();
    void OnInsertMeter();
    void InsertTrack();
    void OnInsertEvent();
    // The event dialog for a new event on a track; a track below 1 is the
    // track view's current row, clamped to 0..n-2. value2 is not read.
    void InsertEventAt(int32_t track, int32_t value2);
    void OnInsertTime();
    void OnInsertControllerSeries();
    void OnInsertChord();
    bool OnUpdateEditProperties() const;
    void OnEditProperties();
    // The song properties dialog; a new time base is applied first and
    // cannot be undone (the undo list is emptied), the rest is one record.
    void EditSongProperties();

    // Locates the song to its position (clamped to 0 and up).
    void LocateToCurrent();
    // The exchanges: each swaps a part of a record with the song, so the same
    // call undoes itself. Called under the SongMutex by Undo and Redo.
    void SwapEvents(CEventList& list);
    void ComputeEventInsertPos(CEventList& list);
    void SwapTimeData(CTempoSet& set);
    // lookUpPorts: inserted tracks get their port and synth looked up and their
    // clips loaded (the list owned its tracks when the record was applied).
    void SwapTrackArrays(CTrackList& list, bool lookUpPorts);
    // marks: where the events' spellings and notation attributes are kept
    // when a key or notation change resets them; null forgets them.
    void SwapTrackProps(std::vector<CTrackProps>& props, bool selectRows,
                        std::vector<TrackEventMarks>* marks = nullptr);
    void SwapSongProps(CSongPropsSnapshot& snapshot);
    // keepPlaces: the set's insert keys are the indices its cues had when an
    // earlier exchange took them out, so cues of equal time go back in their
    // old order; otherwise the places are found from the cues' times.
    void RestoreCues(CCueSet& set, bool keepPlaces = false);
    // Editors call these two as well.
    std::unique_ptr<CMeasureMapSnapshot> SnapshotMeasureMap() const;
    void RestoreMeasureMap(const CMeasureMapSnapshot& snapshot);
    void ShiftForInsertedTime(int32_t start, int32_t length);
    void ShiftForDeletedTime(int32_t start, int32_t length);

    const SongContext& context() const { return m_context; }

    // Play-out, locate and navigation. Locate, ComputeNextStop and
    // PlayEventsUpTo run on the sequencer's timer thread (Locate also on the
    // GUI thread while stopped or paused); they allocate nothing once the
    // chase buffers are reserved and never throw. The commands run on the GUI
    // thread.
    void Locate(int32_t tick);
    // Locate for a paused transport, whose play-out never comes: the notes
    // sounding at the tick (those starting there, not those ending there)
    // replace what the port holds.
    void LocatePaused(int32_t tick);
    void ComputeNextStop();
    // While `vamp` repeats, the stop's cue jump from inside its stretch to
    // outside it, or an Ad lib hold past its end, counts as reaching the
    // vamp's end; true when it now does.
    static bool holdJumpInVamp(NextStop& stop, const CCue& vamp);
    void PlayEventsUpTo();
    // tick -1: the position.
    void BuildAudioPlayLists(int32_t tick);
    // Room for every clip of the song in the engine's play lists and in the
    // clip starts a busy AudioMutex leaves pending, so the playback tick
    // never allocates for them. GUI thread, while this song does not play.
    void reserveClipRoom();
    void UpdateCursorTime(CTrack& track);
    // The first cue whose effective time is at or after the tick; the count when none.
    int FindCueAt(int32_t tick) const;
    void OnTimerCues();
    void GoToBeginning();
    void GoToEnd();
    void NextMeasure();
    void PreviousMeasure();
    void NextCue();
    void PreviousCue();
    void NextNote();
    void PreviousNote();
    void StepBeatBack();
    void StepBeatForward();
    void GoToMeasure(int32_t tick);
    void RepeatMeasure();
    void SkipNextMeasure();
    // kNoJump does nothing.
    void JumpTo(int32_t tick);
    static constexpr int32_t kNoJump = 0x7FFFFFFF;

    // Event transforms. GUI thread; each edit is one record for ApplyEdit.
    // Whether the transform that opens `dialog` may run now.
    bool OnUpdateEditTransform(EditDialog dialog) const;
    void OnEditTranspose();
    void OnEditQuantize();
    void OnEditVelocities();
    void OnEditDuration();
    void OnEditMove();
    void OnEditThin();
    void OnEditRandomize();
    void OnEditSelectAllTime();
    // The walk of Thin and Randomize: `proc` is called with null at the start
    // of each track, then with a copy of each event (from the track's last to
    // its first, or in time order), and answers 0 keep, 1 replace by the
    // changed copy, -1 delete. The changes become one record under `label`.
    using EventProc = std::function<int(CMidiEvent*)>;
    enum class WalkOrder { LastFirst, TimeOrder };
    void ForEachSelectedEvent(const std::string& label, const EventProc& proc,
                              WalkOrder order = WalkOrder::LastFirst);

    // Find and find faults, with the program-wide criteria (ISongHost::findCriteria).
    bool MatchEvent(const CMidiEvent& event) const;
    // Whether Find and Find next (with the Find dialog) or Find faults may run now.
    bool OnUpdateEditFind(bool needsDialog = true) const;
    void OnEditFind();
    void OnEditFindNext();
    void OnEditFindFaults();

private:
    // Runs a record forward (Redo) or back (Undo) and moves the undo position.
    bool runRecord(CUndoRecord& record, bool forward);

    bool editingAllowed() const;
    void releaseContents(bool deleteRecoverCopy);
    void zoomTime(int step);
    std::string promptTitle() const;

    SongContext m_context;

    // Play-out: the chase buffers and the clip work a lock timeout left pending.
    PlayOutState& playOutState();
    // What a locate's chase does with the notes: leaves them (stopped),
    // settles them to those sounding before the target (a start: the
    // target's own events are play-out's) or at it (paused).
    enum class ChaseNotes { Leave, BeforeTarget, AtTarget };
    void locate(int32_t tick, ChaseNotes notes);
    void positionTrack(size_t index, int32_t tick, double time);
    void chaseTracks(ChaseNotes notes);
    void chaseGroup(size_t first, ChaseNotes notes);
    void chaseTrack(size_t index, int channel, ChaseNotes notes);
    void sendChaseState(IMidiOut& port, int channel, bool starting);
    void sendHeldNotes(IMidiOut& port, int channel);
    void sendSyncPosition(int32_t tick, double time);
    size_t nextDueTrack(double now) const;
    void playEvent(CTrack& track, size_t index, const RawEvent& event);
    void startClipsAt(size_t trackIndex, int32_t tick);
    void startClipsLocked(CTrack& track, int32_t tick);
    void retryPendingClipWork();
    void locateAndShow(int32_t tick);
    void loadTrackClips(CTrack& track);
    // Returns how many SysEx blocks it sent.
    uint32_t sendStartupData(CTrack& track);
    bool sentAtStartUp(size_t index, const RawEvent& event);
    std::shared_ptr<PlayOutState> m_playOut;
    std::atomic<int32_t> m_position{0};
};

// One past the last user track: the last track is the empty one always present.
inline size_t UserTrackEnd(const CSongDoc& song)
{
    return song.tracks.empty() ? 0 : song.tracks.size() - 1;
}

} // namespace rz
