#include <cstdio>

#include "song/event_format.h"
#include "song/spelling_tables.h"

namespace rz {

std::string FormatNoteName(const CMidiEvent& event, int32_t keySignature)
{
    const int key = event.data1() & 127;
    const PitchSpelling written = spellPitch(key, keySignature, event.spelling);
    const int spelling = written.accidental + 2;
    const int octave = written.octave;
    const char letter = "CDEFGAB"[written.step];
    const char accidental = "'b #x"[spelling];
    char text[32];
    if (spelling == 2)
        std::snprintf(text, sizeof text, "%c%d (%d)", letter, octave, key);
    else
        std::snprintf(text, sizeof text, "%c%c%d (%d)", letter, accidental, octave, key);
    return text;
}

} // namespace rz
