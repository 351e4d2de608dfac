#pragma once

#include "engine/synth_db.h"

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

} // namespace rz
