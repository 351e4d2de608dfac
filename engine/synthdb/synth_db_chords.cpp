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

namespace {

// Runs one call of the book, turning a database failure into its reason.
template <class T, class Call>
ChordBookAnswer<T> answer(std::string_view what, Call call)
{
    try {
        return ChordBookAnswer<T>{call(), {}};
    } catch (const SqliteError& e) {
        return ChordBookAnswer<T>{T{}, "The chord table could not " + std::string(what) + ": " + e.what()};
    }
}

} // namespace

ChordBookAnswer<std::vector<std::string>> SynthDbChordTable::groups()
{
    return answer<std::vector<std::string>>("be read", [this] { return chordGroups(m_db); });
}

ChordBookAnswer<std::vector<ChordBookEntry>> SynthDbChordTable::chords(std::string_view group)
{
    return answer<std::vector<ChordBookEntry>>("be read", [&] {
        std::vector<ChordBookEntry> entries;
        for (ChordName& chord : chordsInGroup(m_db, group))
            entries.push_back(ChordBookEntry{std::move(chord.chord), chord.chordId});
        return entries;
    });
}

ChordBookAnswer<std::optional<std::string>> SynthDbChordTable::data(int64_t id)
{
    return answer<std::optional<std::string>>("be read", [&]() -> std::optional<std::string> {
        auto query = m_db.connection().prepare(R"(SELECT IFNULL("Data", '') FROM "chords" WHERE "ChordID" = ?1)");
        query.bind(0, id);
        if (!query.step())
            return std::nullopt;
        return query.columnText(0);
    });
}

ChordBookAnswer<int64_t> SynthDbChordTable::add(std::string_view group, std::string_view chord,
                                                const ChordGrid& grid)
{
    return answer<int64_t>("take the chord", [&] {
        auto insert = m_db.connection().prepare(
            R"(INSERT INTO "chords" ("Group", "Chord", "Data") VALUES (?1, ?2, ?3))");
        insert.bind(0, group);
        insert.bind(1, chord);
        insert.bindBlob(2, std::string_view(reinterpret_cast<const char*>(grid.data()), grid.size()));
        insert.run();
        return m_db.connection().lastInsertRowId();
    });
}

ChordBookAnswer<bool> SynthDbChordTable::remove(int64_t id)
{
    return answer<bool>("remove the chord", [&] {
        auto erase = m_db.connection().prepare(R"(DELETE FROM "chords" WHERE "ChordID" = ?1)");
        erase.bind(0, id);
        erase.run();
        return true;
    });
}

} // namespace rz
