#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <list>
#include <memory>
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

class IClipLoader;
class IEngineLink;
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
    int32_t position = 0;          // play position and edit cursor
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

    // Undo and redo. GUI thread. ApplyEdit owns the record on every path and
    // destroys the ones it refuses; Undo and Redo answer false, changing
    // nothing, when there is nothing to do or the SongMutex wait times out.
    ApplyResult ApplyEdit(std::unique_ptr<CUndoRecord> record);
    bool Undo();
    bool Redo();
    // Locates the sequencer to the position. Play-out is not built yet, so the
    // position is only kept.
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

private:
    // Runs a record forward (Redo) or back (Undo) and moves the undo position.
    bool runRecord(CUndoRecord& record, bool forward);

    bool editingAllowed() const;
    void releaseContents(bool deleteRecoverCopy);
    void zoomTime(int step);
    std::string promptTitle() const;

    SongContext m_context;
};

} // namespace rz
