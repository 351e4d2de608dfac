#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// A chord diagram: one byte per guitar string, low E first. Bit 7 set;
// bits 3..6 the fret row; bits 0..2 the mark (0..4 a finger, 5 open, 6 not
// played, 7 cleared).
using ChordGrid = std::array<uint8_t, 6>;

// A stored chord's data is a grid only when it is exactly six bytes long,
// whether it was stored as text or as a blob.
inline std::optional<ChordGrid> chordGridOf(std::string_view data)
{
    if (data.size() != ChordGrid().size())
        return std::nullopt;
    ChordGrid grid{};
    for (size_t i = 0; i < grid.size(); ++i)
        grid[i] = uint8_t(data[i]);
    return grid;
}

struct ChordBookEntry {
    std::string name;
    int64_t id = 0;
};

// What a chord book call answers: the value, or why it failed.
template <class T>
struct ChordBookAnswer {
    T value{};
    std::string error; // empty when the call worked
    bool ok() const { return error.empty(); }
};

// The named chords the chord dialog picks from and adds to, filed in
// groups. Names are passed as they are (a quote is only a character).
// GUI thread.
class IChordBook {
public:
    virtual ~IChordBook() = default;

    // The distinct group names, sorted.
    virtual ChordBookAnswer<std::vector<std::string>> groups() = 0;
    // The chords of a group, by name, with their ids.
    virtual ChordBookAnswer<std::vector<ChordBookEntry>> chords(std::string_view group) = 0;
    // A chord's stored data; none when no chord has the id.
    virtual ChordBookAnswer<std::optional<std::string>> data(int64_t id) = 0;
    // Files a new chord; answers its id.
    virtual ChordBookAnswer<int64_t> add(std::string_view group, std::string_view chord, const ChordGrid& grid) = 0;
    // Removes a chord; removing one that is gone already is no failure.
    virtual ChordBookAnswer<bool> remove(int64_t id) = 0;
};

} // namespace rz
