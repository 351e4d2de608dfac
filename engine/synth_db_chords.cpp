#include "engine/synth_db_chords.h"

namespace rz {

std::vector<std::string> chordGroups(SynthDatabase& db)
{
    auto query = db.connection().prepare(
        R"(SELECT DISTINCT IFNULL("Group", '') FROM "chords" ORDER BY 1)");
    std::vector<std::string> groups;
    while (query.step())
        groups.push_back(query.columnText(0));
    return groups;
}

std::vector<ChordName> chordsInGroup(SynthDatabase& db, std::string_view group)
{
    auto query = db.connection().prepare(
        R"(SELECT IFNULL("Chord", ''), "ChordID" FROM "chords" )"
        R"(WHERE IFNULL("Group", '') = ?1 ORDER BY "Group", "Chord", "ChordID")");
    query.bind(0, group);
    std::vector<ChordName> chords;
    while (query.step())
        chords.push_back(ChordName{query.columnText(0), static_cast<int>(query.columnInt(1))});
    return chords;
}

} // namespace rz
