#pragma once

#include "core/engine_link.h"
#include "core/engine_timer.h"
#include "core/tempo_multiplier.h"
#include "engine/engine_ms_clock.h"

#include <atomic>
#include <cstdint>
#include <mutex>

namespace rz {

class CSongDoc;

// What the playback tick keeps between ticks. Timer thread only; a start
// from Stopped or Paused may touch it while no tick runs.
struct PlayClock {
    int timeBase = 120;
    uint32_t tempo = 500000; // µs per quarter in force at the position
    int tempoIndex = 0;
    int measure = -1;
    int32_t measureStart = 0;
    int numerator = 4;
    int denominator = 4;
    int32_t gridTicks = 1;
    int32_t gridColumn = -1;
    int clickNumber = -1;    // within its measure; -1 before the first
    int clickMeasure = -1;
    int beatStep = 0;        // the beat phase x 60, truncated
    int32_t nextCueTick = 0;
    bool beatChanged = false;
    // Jumps in a row taken at the tick their run was located at, before any
    // tick of it played.
    int jumpsInPlace = 0;
    TickTime lastTick{}; // the deadline of the last playback tick
};

// The transport's state machine: the state word, the pending start, the
// next stop, the active vamp and the play clock. The engine's commands and
// ticks drive it; it holds no lock of its own but the next stop's, held
// only to copy the fields.
class TransportMachine {
public:
    // A second press of a pedal or key within this long is the same press, ms.
    static constexpr uint32_t kAdvanceDebounceMs = 100;

    TransportState state() const { return m_state.load(std::memory_order_acquire); }
    void setState(TransportState state) { m_state.store(state, std::memory_order_release); }
    // Swaps the state only when it still is `expected`.
    bool changeState(TransportState expected, TransportState state)
    {
        return m_state.compare_exchange_strong(expected, state, std::memory_order_acq_rel);
    }

    // Under the TransportMutex: a start at `tick` (relative to the position)
    // is pending; every request gets a new serial.
    void requestStart(int32_t tick, bool relative);

    NextStop nextStop() const
    {
        std::lock_guard lock(m_nextStopMutex);
        return m_nextStop;
    }
    void setNextStop(const NextStop& stop)
    {
        std::lock_guard lock(m_nextStopMutex);
        m_nextStop = stop;
    }
    // Changes some fields of the next stop at once.
    template <class Change>
    void changeNextStop(Change change)
    {
        std::lock_guard lock(m_nextStopMutex);
        change(m_nextStop);
    }

    const CCue* activeVamp() const { return vamp.load(std::memory_order_acquire); }
    // A start at or past the end of the active vamp lands in its next
    // repetition, at the same offset, and uses that repetition up. Only the
    // vamp's own jump counts: a jump the navigation scheduled is taken as it is.
    int32_t wrapIntoVamp(int32_t start);
    // A vamp becomes active with its repetitions (0: until told to leave).
    // Entered inside the active vamp, it keeps that one's count for later;
    // the kept vamp entered again takes its count up where it was.
    void enterVamp(const CCue& cue, int repetitions);
    // The active vamp's last pass is over: the vamp it was inside, if any,
    // is active again.
    void endVamp();
    void clearVamp();

    // Play/Cue presses closer than the debounce to the last accepted one are
    // ignored; the first is always accepted. GUI thread.
    bool acceptAdvance(uint32_t nowMs);

    // Written under the TransportMutex; the GUI reads it for Pause's resume rule.
    std::atomic<TransportState> previousState{TransportState::Stopped};
    // Under the TransportMutex.
    int32_t startTick = 0;
    bool startRelative = false;
    uint32_t startSerial = 0; // counts start requests

    std::atomic<bool> hold{false};
    std::atomic<bool> playThrough{false};
    // The play-through flag changed while playing: the tick works the next
    // stop out again.
    std::atomic<bool> nextStopStale{false};
    std::atomic<const CCue*> vamp{nullptr};
    std::atomic<int> vampRepetitionsLeft{-1}; // -1 no vamp
    std::atomic<int> vampPasses{0};
    std::atomic<CSongDoc*> songPlayed{nullptr};
    std::atomic<SetItemHandle> skipItem{nullptr}; // the item a Skip switched to
    // The vamp an inner vamp interrupted, and its count then.
    std::atomic<const CCue*> outerVamp{nullptr};
    std::atomic<int> outerRepetitionsLeft{-1};
    std::atomic<int> outerPasses{0};
    // The song whose notes a start or a chase last struck.
    std::atomic<CSongDoc*> songSounding{nullptr};
    // The song a Skip switched to, until the GUI makes a song current: in
    // that window the engine plays a song the GUI does not show yet.
    std::atomic<CSongDoc*> songSwitchedTo{nullptr};

    // The play clock: position (ticks) and real time (µs) published for any
    // thread; the clock's own fields for the timer thread.
    std::atomic<int32_t> position{0};
    // Where the running stretch of play was located: its start, or the
    // landing of the last jump. Written by the timer thread.
    std::atomic<int32_t> runStart{0};
    std::atomic<double> realTime{0.0};
    EngineMsClock msClock;
    std::atomic<int32_t> tempoMultiplier{kNormalMultiplier};
    PlayClock clock;

private:
    std::atomic<TransportState> m_state{TransportState::Stopped};
    mutable std::mutex m_nextStopMutex;
    NextStop m_nextStop;
    // GUI thread: the last accepted Advance, ms of the program clock.
    uint32_t m_lastAdvance = 0;
    bool m_advanced = false;
};

} // namespace rz
