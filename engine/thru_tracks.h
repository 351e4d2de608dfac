#pragma once

#include "core/midi_bytes.h"
#include "song/key_fold.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace rz {

class COutPort;
class CSongDoc;
class CTrack;
class IMidiOut;
struct SequencerPorts;

// One track that echoes MIDI input and receives the take, with the settings
// the echo reads copied when the thru tracks were built, so the input thread
// reads no track field a GUI edit may be writing.
struct ThruTrack {
    int number = 0;                // index in the song's track list
    CTrack* track = nullptr;       // the song's track; GUI thread only
    // A copy of the track's settings without its events, whose initial
    // controllers the echo sends: GUI edits write the song's track meanwhile.
    std::shared_ptr<CTrack> settings;
    bool waveform = false;
    int channel = 0;               // output channel, 0..15
    int inputChannel = -1;         // -1 any
    int inputDevice = 0;           // entry of the "MIDIIN%d" list
    uint32_t pitchClassCorrection = 0;
    int key = 0;                   // transposition, semitones
    IMidiOut* port = nullptr;      // null: nothing is echoed
    COutPort* outPort = nullptr;   // the same port, to release its echoed notes
};

// The thru tracks of the current song, in the order they were found; the
// echo walks them from the last to the first. Immutable once published.
struct ThruTracks {
    const CSongDoc* song = nullptr;
    double relativeVolume = 1.0;   // the song's, for the initial CC7
    std::vector<ThruTrack> tracks;
    // Keeps the ports the entries point at alive.
    std::shared_ptr<const SequencerPorts> ports;
};

// One message of a take, as the input thread appends it.
struct TakeEvent {
    int32_t time = 0;              // ticks, never below 0
    uint32_t message = 0;          // track number << 24 | the corrected message
    int32_t stepDuration = 0;      // the note length chosen then, ticks
};

// The key after the track's pitch-class correction: two bits per pitch class
// of the key, the lower moving it down a semitone, the upper up one (both
// cancel). A key at either end of 0..127 is not moved out of range.
int correctPitchClass(int key, uint32_t mask);

// Note on, note off and key pressure: the messages that carry a key.
constexpr bool carriesKey(uint32_t message)
{
    return midi::isNote(message) || midi::isPolyPressure(message);
}

constexpr bool isNoteOn(uint32_t message)
{
    return midi::isNoteOn(message) && (message & 0x7F0000) != 0;
}

// 0x8n, or 0x9n with velocity 0.
constexpr bool isNoteOff(uint32_t message)
{
    return midi::isNoteOff(message) || (midi::isNoteOn(message) && (message & 0x7F0000) == 0);
}

} // namespace rz
