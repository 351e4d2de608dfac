#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rz {

class CTrack;

// The chord table of the synthesizer database, as transposing needs it.
class IChordTable {
public:
    virtual ~IChordTable() = default;
    // The "data" field of the row whose first text and chord name are these
    // (the table's "AlphaKey" order); nothing when there is no such row.
    virtual std::optional<std::string> findChordData(std::string_view firstText,
                                                     std::string_view chordName) = 0;
};

// Transposes one event of a track by `semitones`. A note or polyphonic
// pressure moves its key, limited to 0..127 (setting `clipped` when limited),
// and loses its spelling. A chord marker ("@DR;1;...") gets its root spelled
// anew in the key signature row (0 seven flats, 7 none, 14 seven sharps) and
// its six chord bytes from the chord table; without a table row it stays as
// it was. Other events are unchanged. GUI thread.
void TransposeEvent(CTrack& track, size_t eventIndex, int semitones, bool& clipped, int keyRow,
                    IChordTable* chords);

} // namespace rz
