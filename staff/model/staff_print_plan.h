#pragma once

#include <cstdint>
#include <cstddef>
#include <string>
#include <vector>

#include "staff/model/staff_model.h"

namespace rz {

class CSongDoc;

// Printed staff heights P in hundredths of a millimetre, by "PrintStaffSize".
inline constexpr int kPrintStaffHeights[9] = {953, 873, 794, 714, 651, 635, 587, 540, 476};
inline constexpr int kDefaultPrintStaffSize = 3;

// P of a "PrintStaffSize" value; out-of-range values clamp to 0..8.
int printStaffHeight(int printStaffSize);

// Page furniture in hundredths of a millimetre.
inline constexpr int kPrintMargin = 1000;       // left, top and right
inline constexpr int kPrintBottomMargin = 1500;
inline constexpr int kFirstSystemIndent = 1700; // the first system of page 1
inline constexpr int kFirstPageHead = 1500;     // the title block above page 1's systems
inline constexpr int kPageHead = 500;           // the page number above later pages' systems

// A "Marker" cue as printed above its system.
struct StaffPrintMarker {
    int64_t tick = 0;
    std::string name; // decoded
};

// What a print plan is made from besides the screen model and the song.
struct StaffPrintInput {
    int pageWidth = 21000;  // the printable area, hundredths of a millimetre
    int pageHeight = 29700;
    int printStaffSize = kDefaultPrintStaffSize;
    int screenStaffSize = 20; // S of the screen model; its glyph size G is S - 1
    // The song's time selection, printed when `from` is 0 or more.
    int64_t selectionFrom = -1;
    int64_t selectionTo = -1;
    std::string lyricFace = "Arial Narrow";
    int lyricWeight = 400;
    std::string chordFace = "Verdana";
    int chordWeight = 400;
};

// Every length in hundredths of a millimetre; x of a measure continues
// across systems, so a system's content sits at x - x(first measure).
struct StaffPrintPlan {
    // The screen model's copy at print scale; drawing writes the notes'
    // hit geometry back, as on the screen.
    mutable StaffModel model;
    int staffHeight = 714; // P: the music font's pixel size on paper
    int pageWidth = 0;
    int pageHeight = 0;
    StaffRect printRect;  // left widens by the brace room with a grand staff
    int braceRoom = 0;
    int lineWidth = 0;    // pen of staff and bar lines
    int barWidth = 0;     // the thick bar of repeats and the final bar
    int defaultLeadIn = 0;
    int systemHeight = 0;
    int firstMeasure = 0;
    int lastMeasure = -1;
    bool refused = false; // the staves do not fit onto one page

    std::vector<int> pageFirstMeasure;
    std::vector<uint32_t> headerFlags; // per measure of the model: the staff-header flags
    std::vector<int> lineHeights;      // per system
    std::vector<int> pageFirstLine;
    std::vector<int> systemStarts;     // per system: its first measure
    std::vector<int> pageLineCount;
    std::vector<int> pageUsedHeight;

    // Page texts, decoded.
    std::string title;
    std::string subtitle;
    std::string author;
    std::string copyright;
    std::vector<std::string> trackNames;     // per staff
    std::vector<std::vector<int8_t>> keys;   // per staff, per measure: the key shown
    std::vector<StaffPrintMarker> markers;   // in time order
    std::string lyricFace;
    int lyricWeight = 400;
    std::string chordFace;
    int chordWeight = 400;

    // The key whose naturals a header in measure `m` shows on a staff.
    int cancelKey(size_t staff, int m) const;

    int pageCount() const { return int(pageFirstMeasure.size()); }
    // The top of page `page`'s first system (from 0) and the room below it.
    int pageTop(int page) const;
    int pageRoom(int page) const;
    // The system's left edge: the print left, indented on page 1's first.
    int systemLeft(int line) const;
    // The first measure after a system.
    int systemEnd(int line) const;
    // The extra space between systems of a page: filled down to the bottom
    // margin on a page of four or more systems that is not the last.
    int pageSpread(int page) const;
};

// Derives the printed score from a copy of the screen model: scaled from
// the screen's glyph size to P, broken into justified systems and pages,
// every note and text placed again. `metrics` measure at P (a music font
// of pixel size P, lyrics in print units). The screen model never changes.
// A score taller than a page comes back refused with no pages.
StaffPrintPlan planStaffPrint(const StaffModel& screen, const CSongDoc& song,
                              const StaffPrintInput& input, const NotationMetrics& metrics);

// A deep copy of a notation model.
StaffModel copyStaffModel(const StaffModel& model);

// The key a staff shows in a measure, after its track's transposition.
int printedKey(const CSongDoc& song, const CStaffTrack& staff, const MeasureRec& measure);

} // namespace rz
