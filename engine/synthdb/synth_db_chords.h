#pragma once

#include "engine/synthdb/synth_db.h"
#include "song/transpose_event.h"

#include <string>
#include <string_view>
#include <vector>

namespace rz {

struct ChordName {
    std::string chord;
    int chordId = 0;
};

// The distinct chord groups, sorted; a NULL group reads as "".
std::vector<std::string> chordGroups(SynthDatabase& db);

// The chords filed under one group, by name. The group is a bound
// parameter, so any text is safe ("Bob's").
std::vector<ChordName> chordsInGroup(SynthDatabase& db, std::string_view group);

// The chords table as transposing a chord marker reads it: the first text is
// the chord's group. A database failure answers nothing, as a missing row
// does. GUI thread only.
class SynthDbChordTable : public IChordTable {
public:
    explicit SynthDbChordTable(SynthDatabase& db) : m_db(db) {}

    std::optional<std::string> findChordData(std::string_view firstText,
                                             std::string_view chordName) override;

private:
    SynthDatabase& m_db;
};

} // namespace rz
