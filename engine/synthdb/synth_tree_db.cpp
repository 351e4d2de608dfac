// Loading the patch-name editor's tree from the synthesizer database and
// writing its changes back.
#include "core/midi_bytes.h"
#include "engine/synthdb/synth_db.h"
#include "engine/synthdb/synth_db_delete.h"
#include "engine/synthdb/synth_labels.h"
#include "engine/synthdb/synth_tree.h"

namespace rz {

namespace {

constexpr int kHeader = -1; // the member number of a bank's or drumset's header record
constexpr size_t kCategoryCharacters = 12;

bool inRange(int number, int high)
{
    return number >= 0 && number <= high;
}

// At most that many characters; a UTF-8 sequence is never cut.
std::string cutToCharacters(const std::string& text, size_t characters)
{
    size_t count = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80 && count++ == characters)
            return text.substr(0, i);
    }
    return text;
}

} // namespace

class SynthTreeLoader {
public:
    SynthTreeLoader(SynthTree& tree, SynthDatabase& db) : m_tree(tree), m_db(db) {}

    void load()
    {
        Table& synths = m_db.synths();
        for (bool more = synths.moveFirst(); more; more = synths.moveNext()) {
            const int number = synths.intField("SynthNumber");
            // A negative number would pass for an import that OK still has to add.
            if (!SynthTree::isStoredSynthKey(number))
                continue;
            m_tree.m_settings[number] =
                SynthSettings{synths.intField("Technology"), synths.textField("ResetSysex")};
            m_tree.addSynth(number, synths.textField("SynthName"));
        }
        for (const auto& synth : m_tree.root().children()) {
            loadPatches(*synth);
            loadDrums(*synth);
            loadNames(*synth, m_db.nrpn(), SynthGroup::Nrpn, SynthItemKind::Nrpn, "NRPNNumber", "NRPNName",
                      kMaxFourteenBit);
            loadNames(*synth, m_db.cc(), SynthGroup::Controllers, SynthItemKind::Controller, "CCNumber",
                      "CCName", kMaxProgram);
        }
        m_tree.sortRoot();
    }

private:
    // The first record of a bank is its header when it has patch number -1;
    // numbers that do not fit the editor's keys are left alone.
    void loadPatches(SynthItem& synth)
    {
        SynthItem& group = *m_tree.group(synth, SynthGroup::Patches);
        SynthItem* bank = nullptr;
        m_db.patches().visitRowsOfSynth(synth.key(), [&](Table& row) {
            const int bankNumber = row.intField("BankNumber");
            const int patch = row.intField("PatchNumber");
            if (!inRange(bankNumber, kMaxFourteenBit))
                return;
            if (!bank || bank->key() != bankNumber) {
                bank = &m_tree.append(group, SynthItemKind::Bank, bankNumber, {});
                if (patch == kHeader) {
                    bank->m_name = row.textField("PatchName");
                    return;
                }
            }
            if (!inRange(patch, kMaxProgram))
                return;
            SynthItem& item = m_tree.append(*bank, SynthItemKind::Patch, patch, row.textField("PatchName"));
            item.m_category = std::string(trimBlanks(row.textField("Category")));
        });
    }

    void loadDrums(SynthItem& synth)
    {
        SynthItem& group = *m_tree.group(synth, SynthGroup::Drumsets);
        SynthItem* drumset = nullptr;
        m_db.drums().visitRowsOfSynth(synth.key(), [&](Table& row) {
            const int bank = row.intField("BankNumber");
            const int program = row.intField("PatchNumber");
            const int note = row.intField("NoteNumber");
            if (!inRange(bank, kMaxFourteenBit) || !inRange(program, kMaxProgram))
                return;
            const int key = bank * kMsbFactor + program;
            if (!drumset || drumset->key() != key) {
                drumset = &m_tree.append(group, SynthItemKind::Drumset, key, {});
                if (note == kHeader) {
                    drumset->m_name = row.textField("NoteName");
                    return;
                }
            }
            if (!inRange(note, kMaxProgram))
                return;
            const DrumNotation notation{row.intField("NoteHead"), row.intField("NoteOffset"),
                                        row.intField("NoteCircle"), row.intField("Articulation")};
            m_tree.append(*drumset, SynthItemKind::DrumNote, note | static_cast<int>(packDrumNotation(notation)),
                          row.textField("NoteName"));
        });
    }

    void loadNames(SynthItem& synth, Table& table, SynthGroup which, SynthItemKind kind, const char* numberField,
                   const char* nameField, int largest)
    {
        SynthItem& group = *m_tree.group(synth, which);
        table.visitRowsOfSynth(synth.key(), [&](Table& row) {
            const int number = row.intField(numberField);
            if (inRange(number, largest))
                m_tree.append(group, kind, number, row.textField(nameField));
        });
    }

    SynthTree& m_tree;
    SynthDatabase& m_db;
};

class SynthTreeWriter {
public:
    SynthTreeWriter(const SynthTree& tree, SynthDatabase& db) : m_tree(tree), m_db(db) {}

    void write()
    {
        SqliteTransaction transaction(m_db.connection());
        deleteRemoved();
        for (const auto& synth : m_tree.root().children())
            writeSynth(*synth);
        transaction.commit();
    }

private:
    void deleteRemoved()
    {
        for (int synth : m_tree.m_deletedSynths) {
            if (SynthTree::isStoredSynthKey(synth))
                deleteSynth(m_db, synth);
        }
        deleteRecords(m_db.cc(), m_tree.m_removedControllers);
        deleteRecords(m_db.nrpn(), m_tree.m_removedNrpns);
        for (const auto& [bank, synth] : m_tree.m_removedBanks) {
            if (SynthTree::isStoredSynthKey(synth))
                deleteBank(m_db, synth, bank);
        }
        for (const auto& [drumset, synth] : m_tree.m_removedDrumsets) {
            if (SynthTree::isStoredSynthKey(synth))
                deleteDrumset(m_db, synth, drumset / kMsbFactor, drumset % kMsbFactor);
        }
    }

    static void deleteRecords(Table& table, const std::vector<SynthTree::OwnedKey>& removed)
    {
        for (const auto& [number, synth] : removed) {
            if (SynthTree::isStoredSynthKey(synth) && table.seekEq(synth, number))
                table.remove();
        }
    }

    // An imported synthesizer is added, and the number the database gives it
    // is the key of all its records.
    void writeSynth(const SynthItem& synth)
    {
        int number = synth.key();
        const bool stored = SynthTree::isStoredSynthKey(number);
        if (synth.modified() || !stored) {
            Table& synths = m_db.synths();
            if (stored)
                synths.editOrAddNew({number});
            else
                synths.addNew();
            const SynthSettings settings = m_tree.settings(synth);
            synths.setText("SynthName", synth.name());
            synths.setInt("Technology", settings.technology);
            synths.setText("ResetSysex", settings.resetSysex);
            number = synths.update().front();
        }
        writeBanks(number, *m_tree.group(synth, SynthGroup::Patches));
        writeDrumsets(number, *m_tree.group(synth, SynthGroup::Drumsets));
        writeNames(number, m_db.cc(), *m_tree.group(synth, SynthGroup::Controllers), "CCName");
        writeNames(number, m_db.nrpn(), *m_tree.group(synth, SynthGroup::Nrpn), "NRPNName");
    }

    void writeBanks(int synth, const SynthItem& group)
    {
        Table& patches = m_db.patches();
        for (const auto& bank : group.children()) {
            if (!bank->assigned())
                continue;
            if (bank->modified()) {
                patches.editOrAddNew({synth, bank->key(), kHeader});
                patches.setText("PatchName", bank->name());
                patches.setText("Category", "");
                patches.update();
            }
            for (const auto& patch : bank->children()) {
                if (!patch->assigned() || !(patch->modified() || bank->modified()))
                    continue;
                patches.editOrAddNew({synth, bank->key(), patch->number()});
                patches.setText("PatchName", patch->name());
                patches.setText("Category", cutToCharacters(patch->category(), kCategoryCharacters));
                patches.update();
            }
        }
    }

    void writeDrumsets(int synth, const SynthItem& group)
    {
        Table& drums = m_db.drums();
        for (const auto& drumset : group.children()) {
            if (!drumset->assigned())
                continue;
            const int bank = drumset->key() / kMsbFactor;
            const int program = drumset->key() % kMsbFactor;
            if (drumset->modified()) {
                drums.editOrAddNew({synth, bank, program, kHeader});
                drums.setText("NoteName", drumset->name());
                drums.update();
            }
            for (const auto& note : drumset->children()) {
                if (!note->assigned() || !(note->modified() || drumset->modified()))
                    continue;
                const DrumNotation notation = unpackDrumNotation(note->data());
                drums.editOrAddNew({synth, bank, program, note->number()});
                drums.setText("NoteName", note->name());
                drums.setInt("NoteHead", notation.head);
                drums.setInt("NoteCircle", notation.circle);
                drums.setInt("NoteOffset", notation.offset);
                drums.setInt("Articulation", notation.articulation);
                drums.update();
            }
        }
    }

    static void writeNames(int synth, Table& table, const SynthItem& group, const char* nameField)
    {
        for (const auto& item : group.children()) {
            if (!item->assigned() || !item->modified())
                continue;
            table.editOrAddNew({synth, item->number()});
            table.setText(nameField, item->name());
            table.update();
        }
    }

    const SynthTree& m_tree;
    SynthDatabase& m_db;
};

SynthTree SynthTree::load(SynthDatabase& db)
{
    SynthTree tree;
    SynthTreeLoader(tree, db).load();
    return tree;
}

void SynthTree::writeBack(SynthDatabase& db) const
{
    SynthTreeWriter(*this, db).write();
}

} // namespace rz
