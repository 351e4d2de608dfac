#pragma once

// The engine calls the application: its EngineCalls implements IEngineHost, reached through EngineToGui.

#include <cstdint>

namespace rz {

// Timers of the main frame that the engine starts; the frame's own handlers
// act when they fire. The values are the frame's timer ids.
enum class FrameTimer : uint32_t {
    TempoReturn = 100,  // 100 ms: steps a tapped tempo back towards 100 %
    SkipSwitched = 665, // the engine switched itself to another song of the set
    SongEnded = 666,    // 1 ms: the song in play has ended
};

// What the MIDI input's external control tells the frame.
enum class ExternalControlKind : uint8_t {
    Press,     // a key-map entry matched
    Release,   // the held control was let go
    TempoBend, // tempo by pitch bend
};

// The message's two words: a press carries the matched key-map entry and the
// MIDI message; a release 0 and 0; a tempo bend 100 and the bend message.
// The kind tells them apart, so a key-map entry that happens to equal 0 or
// 100 still arrives as a press.
inline constexpr uint32_t kReleaseEntry = 0;
inline constexpr uint32_t kTempoBendEntry = 100;

struct ExternalControl {
    ExternalControlKind kind = ExternalControlKind::Press;
    uint32_t entry = 0;
    uint32_t message = 0;
};

// What the engine needs of the application object and the main frame. Every
// member runs on the GUI thread; engine threads reach them through EngineToGui,
// which posts the call and returns at once.
class IEngineHost {
public:
    virtual ~IEngineHost() = default;

    // The transport changed; update the transport controls.
    virtual void transportChanged() = 0;
    // A received song select; make that song of the set
    // current (0 = the first, at most 127).
    virtual void selectSetSong(int songNumber) = 0;
    // A key-map entry matched, the held control was released, or the tempo
    // follows a pitch bend.
    virtual void OnExternalControl(const ExternalControl& control) = 0;
    // Starts the frame's timer; its period is the frame's.
    virtual void setFrameTimer(FrameTimer timer) = 0;
    // Play/Cue, which step recording raises for every played note-on, routed
    // like a menu choice: it runs only when enabled.
    virtual void playCue() = 0;

    // The engine set its own tempo multiplier (a conductor tap); show it.
    virtual void tempoMultiplierChanged() = 0;
    // Stops a running set-advance countdown; with step, also moves to the
    // next song of the set.
    virtual void CancelAdvance(bool step) = 0;
    // Redraws the main frame and the views after a transport or song change.
    virtual void OnSongChanged() = 0;
    // Refreshes every open view of the current song and the set view.
    virtual void UpdateAllViews() = 0;
    // The beat display; the phase runs from 0.5 at a click down to -0.5.
    virtual void DrawSpectrum(double beatPhase) = 0;
    // A control-map entry dialog that is learning takes the message.
    virtual void LearnMidi(uint32_t deviceId, uint32_t message) = 0;
};

} // namespace rz
