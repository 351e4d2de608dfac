#pragma once

// What the edit and property dialogs share: typed numbers, note names,
// durations, tempos, time code against the song's offset, note units and
// the controller list. Plain C++, no Qt.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class CSongDoc;
class ISynthLookup;
struct MeasureRec;

// The profile section where dialogs remember their choices.
inline constexpr std::string_view kDefaultsSection = "Defaults";

// Positions are clamped to this, so that one more tick still fits.
inline constexpr int32_t kMaxDialogTick = 0x7FFFFFFE;

// A typed number read like atol (blanks, sign, digits; anything else 0), but
// saturating at the limits of int32_t instead of overflowing.
int32_t typedNumber(std::string_view text);
// A typed decimal number read like atof; 0 when nothing reads.
double typedDecimal(std::string_view text);

// "Please enter an integer between 1 and 99."
std::string rangeMessage(int32_t low, int32_t high);
// A range-checked field: none for empty, unparsable or out-of-range text.
std::optional<int32_t> rangedField(std::string_view text, int32_t low, int32_t high);

// A time typed as a percentage of a quarter note: (ticks x percent + 50) / 100,
// truncated toward zero; a negative percentage gives negative ticks.
int64_t percentToTicks(int64_t quarterTicks, int64_t percent);
// Where the arrows of a "% of q.note" amount stop.
inline constexpr int32_t kSpinPercent = 100;

// A 14-bit number typed as "msb/lsb" or as one number; one number above 127
// splits into n / 128 and n % 128. The lsb is held within 0..127.
struct Number14 {
    int32_t msb = 0;
    int32_t lsb = 0;
    // msb (held within 0..127) x 128 + lsb: at most 16383.
    int32_t value() const;
};
// None for empty or blank text; anything else reads like a saturating atol.
std::optional<Number14> parse14(std::string_view text);
// A 7-bit data byte: "msb/lsb" gives the lsb; one number is held within
// 0..127 rather than losing its high bits (200 is 127, not 72).
std::optional<int32_t> parse7(std::string_view text);

// The two ways dialogs read a note name ("C4" = 60, "Bb3", "A-1", "G").
enum class NoteNameStyle {
    // Letters and accidentals in either case; a digit first gives a data
    // byte as `parse7` reads it; other text, or a note outside 0..127, gives none.
    Event,
    // Accidental "b" in lower case only; a digit first gives the plain number
    // (not held in range); any other text, or a note outside 0..127, gives 0.
    Find,
};
struct ParsedNote {
    int32_t note = 0;
    // Spelling 0..4 (double flat .. double sharp) as typed, 2 when none; -1
    // when that is the key's usual spelling of the note. Always -1 for a number.
    int32_t spelling = -1;
};
// `previous` gives the octave when none is typed; `key` is -7..7 (flats
// negative) for the spelling.
std::optional<ParsedNote> parseNoteName(std::string_view text, int32_t previous, NoteNameStyle style,
                                        int32_t key = 0);
// "C4 (60)" in a key of -7..7.
std::string noteNameText(int32_t note, int32_t key = 0);

// A duration typed as ticks, decimal beats ("1.5") or beats:ticks ("2:010");
// the absolute value, held within 0..INT32_MAX. None for blank text. `beat`
// is the ticks of one beat (at least 1).
std::optional<int32_t> parseDuration(std::string_view text, int32_t beat);
// "%d" below one beat, else "%d:%03d" of beats and ticks.
std::string formatDuration(int32_t ticks, int32_t beat);
// The tick lies a whole number of beats after the start of its measure.
bool isOnBeat(const std::vector<MeasureRec>& map, int timeBase, int32_t tick);

// Time code of a song position, the song's SMPTE offset added (µs).
double smpteTimeOfTick(const CSongDoc& song, int32_t tick);
// The song position of a time code, the offset taken off; a time before the
// offset is tick 0.
int32_t tickOfSmpteTime(const CSongDoc& song, double time);

// Tempos: microseconds per quarter held to what a song can store, and beats
// per minute in hundredths, 6,000,000,000 / µs truncated.
inline constexpr int32_t kMinTempoMicros = 166'666;
inline constexpr int32_t kMaxTempoMicros = 16'777'215;
inline constexpr int32_t kMinBpmHundredths = 358;
inline constexpr int32_t kMaxBpmHundredths = 36'000;
int32_t bpmFromMicros(int64_t micros);
int32_t microsFromBpm(int64_t hundredths);
// "%d.%02d".
std::string formatBpm(int32_t hundredths);
// A typed decimal BPM, x 100 truncated, within the limits ("0" and letters
// give the slowest).
int32_t parseBpm(std::string_view text);
// Typed microseconds within the limits.
int32_t parseMicros(std::string_view text);

// Note values offered as units, in 1/120 of a quarter note.
struct NoteUnit {
    const char* name;
    int32_t value;
};
inline constexpr std::array<NoteUnit, 11> kNoteUnits = {{
    {"Thirty-second triplet", 10},
    {"Thirty-second", 15},
    {"Sixteenth triplet", 20},
    {"Sixteenth", 30},
    {"Eighth triplet", 40},
    {"Eighth", 60},
    {"Quarter triplet", 80},
    {"Quarter", 120},
    {"Half triplet", 160},
    {"Half note", 240},
    {"Whole note", 480},
}};
// Ticks of one unit: value x time base / 120, at least 1.
int64_t noteUnitTicks(int32_t value, int timeBase);

// One item of a combo box: its text and its data.
struct ComboItem {
    std::string text;
    int32_t data = 0;
    bool operator==(const ComboItem&) const = default;
};
// Inserts where a sorted combo box would (case-insensitive order, after equal
// texts); returns the index.
size_t insertSorted(std::vector<ComboItem>& items, ComboItem item);
// The controllers a dialog offers, sorted: the synth's names ("%s (%d)", the
// name without its leading non-letters) when it names any; else the
// program's named controllers, leaving out 0, 6, 32, 38 and
// `skipFrom`..`skipTo`. `synths` may be null.
std::vector<ComboItem> controllerItems(const ISynthLookup* synths, int synthNumber, int skipFrom,
                                       int skipTo);

} // namespace rz
