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

// The pitch-bend range (RPN 0), MSB semitones and LSB cents: "%d.%02d" of
// MSB x 100 + LSB, so 2/50 reads "2.50" and 2/120 "3.20".
std::string FormatBendRange(int32_t value);
// The range's 14-bit value of a number of cents held within 0..12799: MSB =
// cents / 100, LSB = cents mod 100.
int32_t BendRangeFromCents(int64_t cents);

} // namespace rz
