#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/synth_lookup.h"
#include "staff/model/staff_records.h"

namespace rz {

class CSongDoc;

// The staff view's settings a rebuild reads.
struct StaffSettings {
    int staffSize = 20; // S, pixels
    bool fill = true;   // lengthen notes to the next note
    bool trim = true;   // shorten notes that overlap the next note
    int resolution = 1; // 0 eighth, 1 sixteenth, 2 thirty-second grid; others read as 1
    bool leadSheet = false;
};

// What the model needs to know of the fonts.
class NotationMetrics {
public:
    virtual ~NotationMetrics() = default;
    // Width of a staff header drawn in measuring mode: clef kind, key (-7..7),
    // the key whose naturals are shown, meter, and the header's option bits.
    virtual int headerWidth(int clef, int key, int cancelKey, int numerator, int denominator,
                            int flags) const = 0;
    // Width of a lyric text at character height `height`.
    virtual int textWidth(std::string_view text, int height) const = 0;
    // The music font's character height (cell less internal leading).
    virtual int musicFontUnit() const = 0;
    // Widths of a black notehead and of an accidental sign (an item's code,
    // -2..3), for the room an accidental needs before its note.
    virtual int noteheadWidth() const { return musicFontUnit() * 3 / 10; }
    virtual int accidentalWidth(int /*code*/) const { return musicFontUnit() / 4; }
    // Height of a line of lyrics at character height `height`, and how far
    // the tallest mark drawn standing on its anchor (a dynamic, a pedal
    // mark) rises above it: what marks under the staff stack by.
    virtual int textLineHeight(int height) const { return height * 5 / 4; }
    virtual int markRise() const { return musicFontUnit() / 2; }
};

struct StaffModel {
    std::vector<CStaffTrack> staves;
    std::vector<CStaffMeasure> measures; // one per song measure
    int systemWidth = 0;
    int systemHeight = 0;
    int bracketHeight = 0;
    int grandStaffGap = 2;
};

// Derives the notation of the tracks in `rows` (the track list's selection,
// in order). `synths` may be null: no database. GUI thread, under the song
// lock; the result holds no reference to the song.
StaffModel BuildStaffModel(const CSongDoc& song, std::span<const int> rows,
                           const StaffSettings& settings, const ISynthLookup* synths,
                           const NotationMetrics& metrics);

// Gives the lyrics of each staff one baseline per line (system): the lowest
// any of them needs, so a low note in one bar does not lower only that
// bar's syllables. `lineStarts` holds each line's first measure, ascending.
void AlignLyricBaselines(StaffModel& model, std::span<const int> lineStarts);

// Moves the marks under each staff's lyrics (expressions, wedges, pedal
// marks) down together, line by line, until the tallest clears the line's
// lyrics drawn at character height `lyricHeight`; run after the lyric
// baselines are aligned. Positions are staff steps of the music font unit.
void StackMarksBelow(StaffModel& model, std::span<const int> lineStarts,
                     const NotationMetrics& metrics, int lyricHeight);

// A stable text of the model, one line per staff, group, voice, text and
// measure.
std::string DumpStaffModel(const StaffModel& model);

// The head word of a drum note: circle mark * 8 + head; a head outside 0..7
// and a mark outside 0..3 read as 0.
int PercussionHead(const DrumNotation& notation);
inline int percussionHeadKind(int head) { return head & 7; }
inline bool percussionHeadCircled(int head) { return (head & 8) != 0; }

// The dynamic mark (0..12) an expression text stands for: only a text of
// decimal digits alone whose number is below 13; -1 otherwise.
int DynamicIndex(std::string_view text);

} // namespace rz
