#pragma once

#include "core/synth_lookup.h"
#include "engine/synthdb/synth_db_table.h"

namespace rz {

// The synthesizer look-up seam over the database. It keeps cursors of its
// own, so looking a name up never moves the recordsets the editors walk. A
// database failure answers nothing, as an unknown key does. GUI thread only.
class SynthDbLookup : public ISynthLookup {
public:
    // The tables must exist: SynthDatabase guarantees them.
    explicit SynthDbLookup(SqliteDatabase& db);

    std::optional<int> technology(int synthNumber) const override;
    std::optional<SynthRecord> synth(int synthNumber) const override;
    std::optional<std::string> bankName(int synthNumber, int bank) const override;
    std::optional<std::string> patchName(int synthNumber, int bank, int patch) const override;
    std::optional<std::string> drumsetName(int synthNumber, int bank, int program) const override;
    std::optional<std::string> drumNoteName(int synthNumber, int bank, int program,
                                            int note) const override;
    std::optional<DrumNotation> drumNotation(int synthNumber, int bank, int program,
                                             int note) const override;
    std::optional<std::string> ccName(int synthNumber, int controller) const override;
    std::optional<std::string> nrpnName(int synthNumber, int nrpn) const override;
    std::vector<PatchListRow> patchList(int synthNumber) const override;
    std::vector<DrumsetListRow> drumsetList(int synthNumber) const override;
    std::vector<NrpnListRow> nrpnList(int synthNumber) const override;

private:
    // Seeks the full key and reads one text field.
    static std::optional<std::string> nameAt(Table& table, const Table::Key& key,
                                             std::string_view field);

    // Seeking moves a cursor, which is no change a caller can see.
    mutable Table m_synths;
    mutable Table m_patches;
    mutable Table m_drums;
    mutable Table m_cc;
    mutable Table m_nrpn;
};

} // namespace rz
