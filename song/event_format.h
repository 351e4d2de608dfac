#pragma once

#include <cstdint>
#include <string>

#include "song/midi_event.h"

namespace rz {

// The value column of the event list: a note's velocity, a controller's value,
// an RPN in its unit, a pitch bend from -8192, meta text, or data as hex.
std::string FormatEventValue(const CMidiEvent& event);

// "C#4 (61)": the note's letter, accidental and octave under the key signature
// (-7..7 flats/sharps), honouring the event's spelling override, then its key.
std::string FormatNoteName(const CMidiEvent& event, int32_t keySignature);

} // namespace rz
