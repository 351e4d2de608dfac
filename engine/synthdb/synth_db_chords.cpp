#include "engine/synthdb/synth_db_chords.h"

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

std::optional<std::string> SynthDbChordTable::findChordData(std::string_view firstText,
                                                             std::string_view chordName)
{
    try {
        auto query = m_db.connection().prepare(
            R"(SELECT IFNULL("Data", '') FROM "chords" )"
            R"(WHERE IFNULL("Group", '') = ?1 AND "Chord" = ?2 ORDER BY "Group", "Chord", "ChordID")");
        query.bind(0, firstText);
        query.bind(1, chordName);
        if (!query.step())
            return std::nullopt;
        return query.columnText(0);
    } catch (const SqliteError&) {
        return std::nullopt;
    }
}

} // namespace rz
