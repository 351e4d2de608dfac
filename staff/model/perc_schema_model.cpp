#include "staff/model/perc_schema_model.h"

#include "staff/model/staff_model.h"

namespace rz {

namespace {

// Each field's bits in the item word, as packDrumNotation lays them out.
constexpr uint32_t kHeadBits = packDrumNotation(DrumNotation{7, -8, 0, 0});
constexpr uint32_t kArticulationBits = packDrumNotation(DrumNotation{0, -8, 0, 1});
constexpr uint32_t kOffsetBits = packDrumNotation(DrumNotation{0, 23, 0, 0});
constexpr uint32_t kCircleBits = packDrumNotation(DrumNotation{0, -8, 7, 0});

// Notes are matched on their low seven bits.
constexpr int kNoteBits = 0x7F;

} // namespace

PercSchemaModel::PercSchemaModel(IDrumSchemaTree& tree, DrumSetRef set)
    : m_tree(tree), m_set(set), m_rows(tree.drumNotes(set))
{
}

int PercSchemaModel::head(size_t row) const
{
    return PercussionHead(notation(row));
}

std::optional<size_t> PercSchemaModel::rowOfItem(int index) const
{
    for (size_t row = 0; row < m_rows.size(); ++row) {
        if (m_rows[row].index == index)
            return row;
    }
    return std::nullopt;
}

void PercSchemaModel::store(size_t row, uint32_t fields, const DrumNotation& notation)
{
    DrumSchemaNote& item = m_rows[row];
    const uint32_t word = (item.word & ~fields) | (packDrumNotation(notation) & fields) | kDrumItemChanged;
    if (m_tree.setWord(m_set, item.index, word))
        item.word = word;
}

void PercSchemaModel::setHead(size_t row, int head)
{
    DrumNotation changed = notation(row);
    changed.head = head;
    store(row, kHeadBits, changed);
}

void PercSchemaModel::setArticulation(size_t row, bool articulation)
{
    DrumNotation changed = notation(row);
    changed.articulation = articulation ? 1 : 0;
    store(row, kArticulationBits, changed);
}

void PercSchemaModel::setCircle(size_t row, int circle)
{
    DrumNotation changed = notation(row);
    changed.circle = circle;
    store(row, kCircleBits, changed);
}

void PercSchemaModel::setOffset(size_t row, int offset)
{
    DrumNotation changed = notation(row);
    changed.offset = offset;
    store(row, kOffsetBits, changed);
}

void PercSchemaModel::setGmDefaults()
{
    for (size_t row = 0; row < m_rows.size(); ++row)
        store(row, kDrumNotationMask, gmDrumNotation(m_rows[row].note & kNoteBits).value_or(kOtherDrumNotation));
}

void PercSchemaModel::copyFrom(DrumSetRef source)
{
    const std::vector<DrumSchemaNote> from = m_tree.drumNotes(source);
    for (size_t row = 0; row < m_rows.size(); ++row) {
        DrumNotation notation = kOtherDrumNotation;
        for (const DrumSchemaNote& item : from) {
            if ((item.note & kNoteBits) == (m_rows[row].note & kNoteBits)) {
                notation = unpackDrumNotation(item.word);
                break;
            }
        }
        store(row, kDrumNotationMask, notation);
    }
}

} // namespace rz
