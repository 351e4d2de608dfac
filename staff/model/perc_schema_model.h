#pragma once

#include "core/synth_lookup.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace rz {

// The noteheads and circle marks the percussion schema offers, by value.
inline constexpr int kPercussionHeadChoices = 5;   // oval, square, triangle, diamond, X
inline constexpr int kPercussionCircleChoices = 4; // none, circle, plus, bisected circle
// The offset spin's steps; a typed offset may reach the stored range.
inline constexpr int kSchemaSpinLowest = -8;
inline constexpr int kSchemaSpinHighest = 8;

// The percussion schema dialog's rows over one drum set of a schema tree:
// one row per numbered note item, in tree order. Every edit goes straight
// into the tree with the item's changed bit, its fields packed by
// packDrumNotation. GUI thread.
class PercSchemaModel {
public:
    PercSchemaModel(IDrumSchemaTree& tree, DrumSetRef set);

    size_t rowCount() const { return m_rows.size(); }
    const DrumSchemaNote& row(size_t row) const { return m_rows[row]; }
    DrumNotation notation(size_t row) const { return unpackDrumNotation(m_rows[row].word); }
    // The row's head word as the staff draws it.
    int head(size_t row) const;
    // The row of the set's item at `index`, if it has one.
    std::optional<size_t> rowOfItem(int index) const;

    // One field each; other bits of the word stay as they are.
    void setHead(size_t row, int head);
    void setArticulation(size_t row, bool articulation);
    void setCircle(size_t row, int circle);
    // A typed offset, held within the stored range -8..23.
    void setOffset(size_t row, int offset);

    // Every row: the General MIDI notation of its note, else kOtherDrumNotation.
    void setGmDefaults();
    // Every row: the notation of the source set's note of the same number,
    // else kOtherDrumNotation.
    void copyFrom(DrumSetRef source);

private:
    // Writes the bits of `fields` from `notation` into the row's word.
    void store(size_t row, uint32_t fields, const DrumNotation& notation);

    IDrumSchemaTree& m_tree;
    DrumSetRef m_set;
    std::vector<DrumSchemaNote> m_rows;
};

} // namespace rz
