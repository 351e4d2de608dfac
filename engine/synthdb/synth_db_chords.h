#pragma once

#include "core/chord_book.h"
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

// The chords table as transposing a chord marker reads it (the first text is
// the chord's group; a database failure answers nothing, as a missing row
// does) and as the chord dialog edits it (every failure gives its reason).
// A new chord's data is its six grid bytes as a blob. GUI thread only.
class SynthDbChordTable : public IChordTable, public IChordBook {
public:
    explicit SynthDbChordTable(SynthDatabase& db) : m_db(db) {}

    std::optional<std::string> findChordData(std::string_view firstText,
                                             std::string_view chordName) override;

    ChordBookAnswer<std::vector<std::string>> groups() override;
    ChordBookAnswer<std::vector<ChordBookEntry>> chords(std::string_view group) override;
    ChordBookAnswer<std::optional<std::string>> data(int64_t id) override;
    ChordBookAnswer<int64_t> add(std::string_view group, std::string_view chord, const ChordGrid& grid) override;
    ChordBookAnswer<bool> remove(int64_t id) override;

private:
    SynthDatabase& m_db;
};

} // namespace rz
