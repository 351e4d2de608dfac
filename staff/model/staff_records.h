#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/color.h"
#include "song/measure_map.h"

namespace rz {

// Units: tick = song position; "value" = a note or rest value in 64ths of a
// whole note (a dotted value 3/2 of its base, 128 a double whole rest);
// "position" = staff steps from the middle line, up positive (lines -4..4);
// x and y pixels. Geometry fields are empty in the model; drawing fills them.

inline constexpr Color kGreyNoteColor = 0x808080;
inline constexpr Color kBlackNoteColor = 0x000000;

// The grid bytes of a chord symbol without a fingering grid.
inline constexpr uint8_t kNoGrid = 134;

// Clef kinds of a staff.
enum ClefKind : int {
    kTrebleClef = 0,
    kBassClef = 1,
    kGrandStaff = 2, // a track's staff type only: two staves of kinds 0 and 1
    kAltoClef = 3,   // C clef, middle line C4
    kTenorClef = 4,  // C clef, middle line A3
    kDrumMapClef = 5,
    kOneLineDrumClef = 6,
};

// Kinds of a text element.
enum StaffTextKind : int {
    kChordSymbolText = 1,
    kExpressionText = 2,
    kWedgeText = 3,
    kLyricText = 4,
    kPedalDownText = 5,
    kPedalUpText = 6,
    kCueMarkText = 16, // + the cue's kind
};

// Per-measure content flags of a staff.
inline constexpr uint32_t kHasLyrics = 0x80;
inline constexpr uint32_t kHasExpression = 0x100;
inline constexpr uint32_t kHasChordSymbol = 0x400;
inline constexpr uint32_t kHasChordGrid = 0x800;

// Header flags of a measure.
inline constexpr uint32_t kRepeatStart = 2;
inline constexpr uint32_t kRepeatEnd = 4;
inline constexpr uint32_t kHeaderChange = 8;

inline constexpr int kLowestPosition = -70;
inline constexpr int kPositionCount = 141;
inline constexpr int kCautionary = 3; // accidental state: shown again; item: a natural sign

struct StaffRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const StaffRect&) const = default;
};

// One shown note-on.
struct CStaffSpan {
    int pitch = 0;
    int eventIndex = 0;
    int tick = 0;        // after grouping the quantised start
    int duration = 0;    // after quantisation the quantised duration
    uint32_t selectionStamp = 0;
    int flag = 0;        // the event's pending selection change
    int straightStart = 0;
    int tripletStart = 0;
};

// A metric group: a plain run of eighths, a tuplet or a whole measure.
struct CStaffTuplet {
    int gridUnit = 1;   // ticks: the quantisation unit inside the group
    int start = 0;
    int span = 0;
    int count = 0;
    int unitSpan = 1;   // ticks of one counted unit
    int unitValue = 16; // value of one counted unit
    bool tuplet = false;
    int measure = 0;    // the song measure holding the group

    int end() const { return start + span; }
};

// One notehead.
struct CStaffItem {
    int span = 0;       // note-record index
    int position = 0;
    int accidental = 0; // 0 none, -2..2 the sign, 3 a natural
    int head = 0;       // percussion head (kind in bits 0-2, circled bit 3)
    Color color = kBlackNoteColor;
    StaffRect rect;
};

// A note, chord or rest.
struct CStaffNote {
    int x = 0;
    int tick = 0;
    int value = 0;
    bool rest = false;
    bool second = false;       // two items lie one step apart
    bool tupletMember = false; // eighth or sixteenth triplet
    int tupletNoteCount = 0;   // quarter and half triplets: the run's count, on its last element
    bool beamBreak = false;
    bool tied = false;         // a tie is drawn from the previous element
    bool stemDown = false;
    int restShift = 0; // a rest: staff steps it moves out of another voice's way
    int measure = 0;
    std::vector<CStaffItem> items; // ascending position
    // Written back by drawing.
    int stemX = 0;
    int leftX = 0;
    int rightX = 0;
    int lowHeadY = 0;
    int highHeadY = 0;
    int stemTopY = 0;
    int stemBottomY = 0;
};

// The notes and rests of one voice from a group's start to the group end at
// which it closes.
struct CStaffBeat {
    int firstX = 0;
    int lastX = 0;
    int startTick = 0;
    std::vector<std::unique_ptr<CStaffNote>> notes;
};

// A text or symbol element.
struct CStaffText {
    int kind = -1;
    StaffRect rect;
    int x = 0;
    int position = 0;   // staff position of the element's reference line
    int tick = 0;
    int eventIndex = -1; // -1 for cue marks
    uint32_t selectionStamp = 0;
    int pendingChange = 0; // +1, -1 or 0 while a tool drags a selection over it
    int wedgeLength = 0;   // ticks in the marker; pixels after layout
    std::string text;
    std::array<uint8_t, 6> grid = {kNoGrid, kNoGrid, kNoGrid, kNoGrid, kNoGrid, kNoGrid};
    bool pushed = false;   // a lyric moved right past the previous one
    int ownPosition = 0;   // its position before its line's lyrics were aligned and marks stacked
    int measure = 0;

    bool hasGrid() const;
};

// One staff; a grand-staff track has two.
struct CStaffTrack {
    int track = 0;
    int clef = kTrebleClef;
    std::array<int, 128> percussionHead{}; // -1 no entry
    std::array<int, 128> percussionOffset{};
    std::array<int, kPositionCount> accidentals{}; // positions -70..70
    bool lowerStaff = false;
    bool grandStaff = false;
    int lowestPitch = 0;
    int highestPitch = 127;
    int referenceOffset = 0; // turns a diatonic pitch into a position
    int bandHeight = 0;
    int topLineY = 0;
    int highestPosition = 4;
    int lowestPosition = -4;
    int topExtent = 12;
    int bottomExtent = -12;
    std::vector<CStaffTuplet> groups;
    std::vector<CStaffSpan> spans;
    std::vector<std::unique_ptr<CStaffBeat>> voices;
    std::vector<int> lowestVoice;   // per measure; -1 none
    std::vector<int> highestVoice;  // per measure
    std::vector<uint32_t> content;  // per measure: kHas* flags
    std::vector<int> highestUsed;   // per measure
    std::vector<int> lowestUsed;    // per measure
    std::vector<CStaffText> texts;  // tick order
    std::vector<int> textIndex;     // per measure: last text in or before it, -1 none

    CStaffTrack();

    int& accidentalAt(int position) { return accidentals[size_t(position - kLowestPosition)]; }
    int accidentalAt(int position) const
    {
        return accidentals[size_t(position - kLowestPosition)];
    }

    // Sets every position's accidental from a key signature (-7..7, clamped).
    // With merge, a position that differs from the key becomes cautionary and
    // one already cautionary takes the key's value. Percussion staves hold 0.
    void SetKeyAccidentals(int key, bool merge);
};

// The layout record of one song measure.
struct CStaffMeasure {
    MeasureRec song;        // a copy: painting never reads the growing measure map
    int x = 0;
    int leadIn = 0;
    int extraLeadIn = 0;
    int contentWidth = 0;
    int laidOutWidth = 0;
    int trailingWidth = 0;
    uint32_t valueFlags = 0;  // OR of values placed, spacing marks; 0x80 lyrics
    uint32_t headerFlags = 0; // kRepeatStart, kRepeatEnd, kHeaderChange
};

} // namespace rz
