#pragma once

#include <cstdint>
#include <vector>

#include "song/seek_point.h"

namespace rz {

// One entry of a port channel's chase state: the last message of its kind
// (and controller or RPN number) at or before the target, with its tick and
// the track it came from, whose volume scales a CC7.
struct ChaseEntry {
    uint32_t message = 0;
    int32_t tick = 0;
    int32_t track = 0;
};

// A clip start that the AudioMutex timed out on, retried on the next tick.
struct PendingClipStart {
    int32_t track = 0;
    int32_t tick = 0;
};

// A song's play-out buffers, reserved once so the timer thread does not
// allocate. Timer thread (or the GUI thread while stopped).
struct PlayOutState {
    static constexpr size_t kChaseEntries = 512;
    static constexpr size_t kNotes = 2048;
    static constexpr size_t kTracks = 256;
    static constexpr size_t kSysExBytes = 4096;
    static constexpr size_t kPendingClips = 64;

    PlayOutState()
    {
        entries.reserve(kChaseEntries);
        notes.reserve(kNotes);
        held.resize(kNotes);
        group.reserve(kTracks);
        targets.reserve(kTracks);
        sysex.reserve(kSysExBytes);
        pendingClips.reserve(kPendingClips);
    }

    std::vector<ChaseEntry> entries;
    std::vector<uint32_t> notes;   // chased note-ons with their tags
    std::vector<uint32_t> held;    // the port's held notes, copied
    std::vector<size_t> group;     // the tracks chased together
    std::vector<int32_t> targets;  // each track's target tick, by index
    ParameterSelection selection;  // the chased group's, at its target
    std::vector<uint8_t> sysex;    // F0 and a stored block
    std::vector<PendingClipStart> pendingClips;
    bool audioListsPending = false;
    int32_t audioListsTick = 0;
    // Per track index: the tick-0 SysEx blocks activation sent, and how many
    // of them the start at 0 right after it has met in the image and left
    // out. Sized by activation (GUI thread); any other locate zeroes them.
    std::vector<uint32_t> startUpSent;
    std::vector<uint32_t> startUpMet;
    bool startUpArmed = false; // until the next locate
};

// The song position pointer of a tick: sixteenths, 0..16383.
int32_t songPositionPointer(int32_t tick, int timeBase);

// Ticks per metronome click in a measure: at least 1.
int32_t clickTicks(int timeBase, int clocksPerClick);

} // namespace rz
