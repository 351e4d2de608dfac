#pragma once

#include "song/measure_map.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "tests/song/song_fixture.h"

#include <initializer_list>
#include <memory>

namespace rz {

// One measure of a test map: meter, number and section letter.
struct MeasureSpec {
    int numerator;
    int denominator;
    uint16_t number;
    char letter = 0;
};

// A song document whose measure map is laid out from the specs.
struct DialogSong {
    SongFixture fixture;
    std::unique_ptr<CSongDoc> song = fixture.newSong();

    DialogSong(int timeBase, std::initializer_list<MeasureSpec> measures)
    {
        song->timeBase = uint16_t(timeBase);
        song->measureMap.clear();
        for (const MeasureSpec& spec : measures) {
            MeasureRec& m = song->measureMap.emplace_back();
            m.numerator = uint8_t(spec.numerator);
            m.denominator = uint8_t(spec.denominator);
            m.number = spec.number;
            m.letter = spec.letter;
        }
        song->measureMapEnd = RecomputeMeasureStarts(song->measureMap, timeBase);
    }
};

// At 120 per quarter: 1 4/4 at 0, 2A 3/4 at 480, 3 6/8 at 840, B 3/2 at
// 1200 (a letter alone), 12 4/4 at 1920; the map ends at 2400.
inline DialogSong mixedSong()
{
    return DialogSong(120, {{4, 4, 1}, {3, 4, 2, 'A'}, {6, 8, 3}, {3, 2, 0, 'B'}, {4, 4, 12}});
}

// Selects the time range [from, to) as the dialogs read it.
inline void selectRange(CSongDoc& song, int32_t from, int32_t to)
{
    song.selectionKind = kSelectTimeRange;
    song.selectionFrom = from;
    song.selectionTo = to;
}

} // namespace rz
