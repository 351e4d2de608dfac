#pragma once

// What the staff's mouse tools compute without Qt: hit tests against the
// rectangles painting wrote, drag limits, and the undo records of each
// edit. GUI thread, like every edit of the song.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "staff/model/staff_model.h"

namespace rz {

class CSongDoc;
struct ChordParams;
struct CUndoRecord;
struct ExpressionTextParams;
struct WedgeParams;

// A hit is staff * 2^24 + a note-record index, or staff * 2^24 + kHitText +
// a text index; kNoHit for nothing.
inline constexpr int kHitText = 0x800000;
inline constexpr int kNoHit = -1;
inline int hitStaff(int hit) { return hit >> 24; }
inline bool hitIsText(int hit) { return (hit & kHitText) != 0; }
inline int hitIndex(int hit) { return hit & (kHitText - 1); }

// Staves from the last to the first: a note's heads from the top, then the
// staff's texts. Document pixels of the score.
int HitTest(const StaffModel& model, int x, int y);

// Dragged notes keep between these keys; moved events within 0..kLastDragTick.
inline constexpr int kLowestDragPitch = 21;
inline constexpr int kHighestDragPitch = 108;

// One listed item of a drag: a note record or a text of a staff.
struct StaffDragItem {
    int staff = 0;
    int index = 0; // note-record (span) or text index
    bool text = false;
};

// What a drag moves: the earliest and latest start, the lowest and highest
// written pitch of its notes, the staves it spans.
struct StaffDragBox {
    int64_t first = 0;
    int64_t last = 0;
    int low = 128;
    int high = -1;
    int firstStaff = 0;
    int lastStaff = 0;
    bool texts = false; // texts move too: no pitch change
};
StaffDragBox dragBoxOf(const CSongDoc& song, const StaffModel& model, std::span<const StaffDragItem> items);

struct StaffDragOffset {
    int64_t ticks = 0;
    int pitch = 0;
    int staves = 0;
    bool operator==(const StaffDragOffset&) const = default;
};
// The offset the mouse asks for, limited so that every start stays in
// 0..kLastDragTick, the notes in kLowestDragPitch..kHighestDragPitch (a note
// already outside may only come closer) and the staves among the shown.
StaffDragOffset limitDrag(const StaffDragBox& box, StaffDragOffset wanted, int staffCount);

// The notation byte that keeps a note on `target` when its pitch lies
// outside that staff's half of a grand staff: 1 upper, 255 lower, else 0.
uint8_t staffOverrideFor(const CStaffTrack& target, int pitch);

// One "Drag in Staff View" record: each listed event moved (or copied) by
// the offset onto its target staff's track; null when nothing would change.
std::unique_ptr<CUndoRecord> dragRecord(const CSongDoc& song, const StaffModel& model,
                                        std::span<const StaffDragItem> items, StaffDragOffset offset,
                                        bool copy);
// "Draw Note": the note message (channel, written pitch, velocity) at a
// tick for `length` ticks on the staff's track.
std::unique_ptr<CUndoRecord> drawNoteRecord(const CSongDoc& song, const CStaffTrack& staff,
                                            uint32_t message, int32_t tick, int32_t length);
// "Draw Sustain Pedal": down at the tick, up two quarters later.
std::unique_ptr<CUndoRecord> pedalRecord(const CSongDoc& song, int track, int32_t tick);
// "Draw Wedge": the marker at the begin, its length signed by direction.
std::unique_ptr<CUndoRecord> wedgeRecord(const CSongDoc& song, int track, const WedgeParams& wedge);
// "Draw Expression Text".
std::unique_ptr<CUndoRecord> expressionRecord(const CSongDoc& song, int track,
                                              const ExpressionTextParams& text);
// "Insert Chord": the marker when the insert mode is even, the chord's notes
// of `noteLength` when it is 1 or more.
std::unique_ptr<CUndoRecord> chordRecord(const CSongDoc& song, int track, const ChordParams& chord,
                                         int32_t noteLength);

// The status line's "%c%s%d (%d) @ %s" of a written pitch in a key (-7..7)
// at a tick: letter, accidental, the written octave, the key number, time.
std::string pitchStatusText(const CSongDoc& song, int pitch, int key, int32_t tick);
// The measure:beat:tick text of a tick, unpadded, as the status line shows it.
std::string statusTimeText(const CSongDoc& song, int32_t tick);

} // namespace rz
