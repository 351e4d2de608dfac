#include "engine/synthdb/synth_db_lookup.h"

#include "engine/synthdb/synth_db_schema.h"

namespace rz {

SynthDbLookup::SynthDbLookup(SqliteDatabase& db)
    : m_synths(db, synthsTableSpec()),
      m_patches(db, patchesTableSpec()),
      m_drums(db, drumsTableSpec()),
      m_cc(db, ccTableSpec()),
      m_nrpn(db, nrpnTableSpec())
{
}

std::optional<std::string> SynthDbLookup::nameAt(Table& table, const Table::Key& key,
                                                 std::string_view field)
{
    try {
        if (!table.seekEqKey(key))
            return std::nullopt;
        return table.textField(field);
    } catch (const SqliteError&) {
        return std::nullopt;
    }
}

std::optional<int> SynthDbLookup::technology(int synthNumber) const
{
    const auto record = synth(synthNumber);
    if (!record)
        return std::nullopt;
    return record->technology;
}

std::optional<SynthRecord> SynthDbLookup::synth(int synthNumber) const
{
    try {
        if (!m_synths.seekEq(synthNumber))
            return std::nullopt;
        SynthRecord record;
        record.name = m_synths.textField("SynthName");
        record.technology = m_synths.intField("Technology");
        record.resetSysex = m_synths.textField("ResetSysex");
        return record;
    } catch (const SqliteError&) {
        return std::nullopt;
    }
}

std::optional<std::string> SynthDbLookup::bankName(int synthNumber, int bank) const
{
    return nameAt(m_patches, {synthNumber, bank, -1}, "PatchName");
}

std::optional<std::string> SynthDbLookup::patchName(int synthNumber, int bank, int patch) const
{
    return nameAt(m_patches, {synthNumber, bank, patch}, "PatchName");
}

std::optional<std::string> SynthDbLookup::drumsetName(int synthNumber, int bank,
                                                      int program) const
{
    return nameAt(m_drums, {synthNumber, bank, program, -1}, "NoteName");
}

std::optional<std::string> SynthDbLookup::drumNoteName(int synthNumber, int bank, int program,
                                                       int note) const
{
    return nameAt(m_drums, {synthNumber, bank, program, note}, "NoteName");
}

std::optional<DrumNotation> SynthDbLookup::drumNotation(int synthNumber, int bank, int program,
                                                        int note) const
{
    try {
        if (!m_drums.seekEq(synthNumber, bank, program, note))
            return std::nullopt;
        DrumNotation notation;
        notation.head = m_drums.intField("NoteHead");
        notation.offset = m_drums.intField("NoteOffset");
        notation.circle = m_drums.intField("NoteCircle");
        notation.articulation = m_drums.intField("Articulation");
        return notation;
    } catch (const SqliteError&) {
        return std::nullopt;
    }
}

std::optional<std::string> SynthDbLookup::ccName(int synthNumber, int controller) const
{
    return nameAt(m_cc, {synthNumber, controller}, "CCName");
}

std::optional<std::string> SynthDbLookup::nrpnName(int synthNumber, int nrpn) const
{
    return nameAt(m_nrpn, {synthNumber, nrpn}, "NRPNName");
}

std::vector<PatchListRow> SynthDbLookup::patchList(int synthNumber) const
{
    std::vector<PatchListRow> rows;
    try {
        m_patches.visitRowsOfSynth(synthNumber, [&](Table& row) {
            rows.push_back({row.key()[1], row.key()[2] < 0 ? -1 : row.key()[2],
                            row.textField("PatchName"), row.textField("Category")});
        });
    } catch (const SqliteError&) {
        return {};
    }
    return rows;
}

std::vector<DrumsetListRow> SynthDbLookup::drumsetList(int synthNumber) const
{
    std::vector<DrumsetListRow> sets;
    try {
        // The rows come in (bank, program, note) order, so a set's rows are adjacent.
        m_drums.visitRowsOfSynth(synthNumber, [&](Table& row) {
            const int bank = row.key()[1];
            const int program = row.key()[2];
            if (sets.empty() || sets.back().bank != bank || sets.back().program != program)
                sets.push_back({bank, program, std::nullopt});
            if (row.key()[3] < 0 && !sets.back().name)
                sets.back().name = row.textField("NoteName");
        });
    } catch (const SqliteError&) {
        return {};
    }
    return sets;
}

std::vector<NrpnListRow> SynthDbLookup::nrpnList(int synthNumber) const
{
    std::vector<NrpnListRow> rows;
    try {
        m_nrpn.visitRowsOfSynth(synthNumber,
                                [&](Table& row) { rows.push_back({row.key()[1], row.textField("NRPNName")}); });
    } catch (const SqliteError&) {
        return {};
    }
    return rows;
}

} // namespace rz
