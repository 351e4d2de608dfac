#pragma once

// Song, set, view and application code call the engine: CSequencer implements IEngineLink.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/set_link.h"

namespace rz {

struct CAudioClip;
struct CCue;
class CSongDoc;
class CTrack;
class GuiToEngineValues;
class IMidiOut;

enum class TransportState { Stopped, Playing, Paused, Starting, Holding, SongEnded };

// Where the running song must stop or jump next. Ticks; kNoTick for none.
struct NextStop {
    static constexpr int32_t kNoTick = 0x7FFFFFFF;

    int32_t endTick = kNoTick;
    int32_t jumpFrom = kNoTick;
    int32_t jumpTo = 0;
    const CCue* jumpCue = nullptr;      // null: a plain jump
    // A cue's jump inside a repeating vamp that leaves its stretch: it stands
    // for the vamp's end (jumpCue the vamp) until the vamp is left.
    const CCue* heldJump = nullptr;
    SetItemHandle nextSong = nullptr;   // the song a Skip cue switches to
    int32_t targetLabel = 0;            // the performer's typed label number, 0 none
};

// "RecordOptions" that play-out reads.
struct RecordOptions {
    int mode = 0;            // 1 step recording
    bool followTempo = true;
    int stepSize = 0;        // index into the step-size table; below 1 the note length
    bool stepDot = false;
    int stepUnits = 0;       // the step-size table's entry for stepSize, 120ths of a quarter
};

// "SyncOptions".
struct SyncOptions {
    int port = 0;            // 1-based output port for time code; 0 or less every port
    int protocol = 0;        // 0 song position pointer, 1 MIDI time code
    int masterSlave = 0;     // 1 master
    int smpteRate = 3;
};

// A thru track as the views see it.
struct ThruTrackKey {
    int number = 0; // index in the song's track list
    int key = 0;    // transposition, semitones
    bool operator==(const ThruTrackKey&) const = default;
};

// What song code needs of the sequencer, by role; IEngineLink gathers them,
// and a caller that needs one role takes only that one. Runs on the GUI
// thread unless a member says otherwise; members marked "any thread" never
// wait.

// The transport: its state and commands, the next stop and the vamp.
class ITransportLink {
public:
    virtual ~ITransportLink() = default;

    // Any thread.
    virtual TransportState transportState() const = 0;
    // Sets the state word under the TransportMutex. Any thread.
    virtual void setTransportState(TransportState state) = 0;

    virtual void Stop(bool reset) = 0;
    virtual void Play(int32_t tick) = 0;
    // A start at a tick; force replaces the start tick of a pending start.
    virtual void Play(int32_t tick, bool force) = 0;
    virtual void Pause() = 0;
    // A pause that then holds Starting with no start pending: no tick takes
    // it for a start, and each locate meanwhile sounds what sounds at its
    // tick. Stop ends it.
    virtual void PauseAsStarting() = 0;
    virtual void Advance(bool playThrough) = 0;
    // A locate the player asked for while the transport stands, made the way
    // the engine's own are, so it never races a sync follower's.
    virtual void LocateSong(CSongDoc& song, int32_t tick) = 0;

    // The vamp cue the sequencer is repeating, null when none, and how many
    // repetitions it has left.
    virtual const CCue* activeVamp() const = 0;
    virtual int vampRepetitionsLeft() const = 0;

    // Next-stop fields, hold and play-through. Any thread.
    virtual NextStop nextStop() const = 0;
    virtual void setNextStop(const NextStop& stop) = 0;
    virtual bool holdFlag() const = 0;
    virtual void setHoldFlag(bool hold) = 0;
    virtual bool playThrough() const = 0;
    // The set's next enabled song after the current one, null at the end;
    // kept by the engine so the timer thread may ask. Any thread.
    virtual SetItemHandle nextSetSong() const = 0;

    // The play position's real time, µs. Any thread.
    virtual double realTime() const = 0;

    // The tempo multiplier lives here only (100000 = 100 %); the GUI shows
    // what it reads. The setter holds it within kMinMultiplier..kMaxMultiplier.
    // Any thread.
    virtual int32_t tempoMultiplier() const = 0;
    virtual void setTempoMultiplier(int32_t multiplier) = 0;

    // The transport commands of the frame and the application.
    // Play from Stopped or Paused, pause while playing.
    virtual void OnPlayPause() = 0;
    // Play from Stopped or Paused, stop otherwise.
    virtual void OnPlayStop() = 0;
    // A take on the thru tracks.
    virtual void Record() = 0;
    // Lets the active vamp end after this pass (toggle: or repeat again).
    virtual void ToggleVampExit(bool toggle) = 0;
    virtual void ConductorTap() = 0;
    // The state the last pause interrupted. Any thread.
    virtual TransportState previousState() const = 0;
};

// The output ports, their resets, the master volume and the synchronisation
// sent on them.
class IPortLink {
public:
    virtual ~IPortLink() = default;

    // The numbered output list: port number -> index of the open port, -1 when
    // that port is not open.
    virtual int outputMapSize() const = 0;
    virtual int outputMapEntry(int portNumber) const = 0;
    // The open port at an index of the output map; null when there is none.
    // Any thread.
    virtual IMidiOut* openOutPort(int index) = 0;
    // How many ports openOutPort answers for. Any thread.
    virtual int outPortCount() const = 0;

    // "PlaybackOptions" "AdvanceReset": 0 none, 1 reset channel states and
    // ports, 2 send synth resets; used when a song becomes current.
    virtual int advanceReset() const = 0;
    virtual void ResetPortChannelStates() = 0;
    virtual void ResetOutPorts() = 0;
    virtual void SendSynthResets() = 0;
    // Every port sends its cached channel state again.
    virtual void ResendPortStates() = 0;

    // The sequencer's master volume, 0..16383, that scales every CC7. Any thread.
    virtual int masterVolume() const = 0;
    // Stores the volume and has the current song's tracks resend their CC7.
    virtual void SetMasterVolume(int volume) = 0;
    // The master fader, the step note length and the fader drag. Any thread.
    virtual const GuiToEngineValues& guiValues() const = 0;

    // Every open instrument port whose instrument is named so takes the state.
    virtual void setInstrumentState(std::string_view instrumentName,
                                    std::span<const uint8_t> state) = 0;

    // Synchronisation as master, which goes out on the ports. Any thread.
    virtual SyncOptions syncOptions() const = 0;
    // Song position pointer in sixteenths, 0..16383. Timer thread.
    virtual void SendSongPosition(int32_t sixteenths) = 0;
};

// Recording and the thru tracks.
class IRecordLink {
public:
    virtual ~IRecordLink() = default;

    virtual void RebuildThruTracks() = 0;
    // Any thread.
    virtual bool recording() const = 0;
    virtual RecordOptions recordOptions() const = 0;
    // A thru track echoes input to this port and channel.
    virtual bool hasThruTrack(const IMidiOut* port, int channel) const = 0;
    // The thru tracks as last published: number and key transposition of
    // each. Never waits.
    virtual std::vector<ThruTrackKey> thruTrackKeys() const = 0;
    // A note a view plays while the user picks or drags it: echoed to the
    // thru tracks as played input is, tagged so ports can end it.
    virtual void previewNote(uint32_t message) = 0;
    // Velocity of those notes; 0 means 100.
    virtual int previewVelocity() const = 0;
    // A message a view sent live on a track's port (a fader), appended to
    // the take while recording, at the time played input would get.
    virtual void recordLiveMessage(int track, uint32_t message) = 0;
};

// The audio engine's clip play lists.
class IAudioClipLink {
public:
    virtual ~IAudioClipLink() = default;

    // The block length of the audio engine, µs. Any thread.
    virtual double blockLength() const = 0;
    // The two clip play lists of the audio engine; callers hold the AudioMutex.
    virtual void clearClipPlayLists() = 0;
    virtual bool clipInPlayList(const CAudioClip& clip) const = 0;
    virtual void appendClipToPlayLists(CAudioClip& clip, CTrack& track) = 0;
    // Room in the play lists for `clips` clips, so that the playback tick's
    // appends never allocate; the room never shrinks. GUI thread; takes the
    // AudioMutex itself, and a wait that times out leaves the room as it was.
    virtual void reserveClipPlayLists(size_t clips) = 0;
    // Positions the clip's sample cursor at a time from its start, µs.
    virtual void clipTimeToSample(CAudioClip& clip, double time) = 0;
};

// Everything song code may ask of the sequencer.
class IEngineLink : public ITransportLink,
                    public IPortLink,
                    public IRecordLink,
                    public IAudioClipLink {
};

} // namespace rz
