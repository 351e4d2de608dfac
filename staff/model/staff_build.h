#pragma once

// The builder's shared working state; private to staff/model.

#include <cstdint>
#include <memory>
#include <vector>

#include "song/song_doc.h"
#include "staff/model/staff_model.h"

namespace rz::staff_build {

// An open voice: its run with the running start, end and note count.
struct OpenVoice {
    std::unique_ptr<CStaffBeat> beat;
    int64_t start = 0;
    int64_t end = 0;
    int count = 0;
};

// Values of one rebuild.
struct Build {
    const CSongDoc& song;
    const StaffSettings& settings;
    const NotationMetrics& metrics;
    const ISynthLookup* synths;
    StaffModel& model;

    int timeBase = 1;    // T
    int eighth = 1;      // E
    int grid = 1;        // G, the straight quantisation unit
    int tripletUnit = 1; // U3
    int resolution = 1;
    int staffSize = 20;
    int leadIn = 0;      // the least space before a measure's first element
    int64_t songEnd = 0; // the last measure's end

    Build(const CSongDoc& s, const StaffSettings& st, const NotationMetrics& m,
          const ISynthLookup* l, StaffModel& out);

    // The measure holding the tick, clamped to the song's measures.
    int measureOf(int64_t tick) const;
    // x of a tick in a measure, 64-bit and truncating.
    int xOf(int64_t tick, int measure) const;
    // The shown key of a measure on a track.
    int keyOf(const CTrack& track, int measure) const;
    const MeasureRec& measureRec(int measure) const { return model.measures[size_t(measure)].song; }
};

// One staff while its events, groups and voices are built.
struct StaffBuild {
    Build& build;
    CStaffTrack& staff;
    const CTrack& track;
    std::vector<std::array<int64_t, 12>> stats; // per eighth of the measure
    std::vector<OpenVoice> open;
    int lastLyric = -1;
};

// Events of one measure: note records, statistics, pedals and texts.
void collectMeasure(StaffBuild& sb, int measure, size_t& next);
// The metric groups of one measure from its statistics.
void groupMeasure(StaffBuild& sb, int measure);
// Quantised note times, durations, voices, notes and rests.
void buildVoices(StaffBuild& sb);

// A text, lyric or marker event of a measure.
void addTextEvent(StaffBuild& sb, int measure, int eventIndex);
// Cue marks, text rows and positions of every staff.
void addCueMarks(Build& b);
void placeTexts(Build& b, CStaffTrack& staff);

// Chord shaping, repeats, widths, lead sheet, stems and vertical layout.
void shapeChords(Build& b, CStaffTrack& staff);
void markRepeats(Build& b);
void measureWidths(Build& b);
void mergeLeadSheet(Build& b);
void placeStems(Build& b, CStaffTrack& staff, int staffIndex);
void layOutStaves(Build& b);

} // namespace rz::staff_build
