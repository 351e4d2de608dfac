#pragma once

#include "core/synth_lookup.h"
#include "engine/synthdb/patch_list.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace rz {

class SynthDatabase;

// What a tree item stands for; the tag in bits 24 to 30 of its data word.
enum class SynthItemKind : uint32_t {
    Root = 0,
    Synth = 1,
    Group = 2,
    Bank = 3,
    Patch = 4,
    Drumset = 5,
    DrumNote = 6,
    Nrpn = 7,
    Controller = 8,
};

// A synthesizer's four groups, always in this order.
enum class SynthGroup : int { Patches = 0, Drumsets = 1, Controllers = 2, Nrpn = 3 };

// One item of the editor's tree. Its data word: bit 31 set when the item
// was changed since loading, the kind in bits 24 to 30, the key in bits 0
// to 23 (a drum note packs its notation in bits 8 to 23 beside its note
// number). A synthesizer's key is its whole database number, kept beside
// the word, or a negative key while it waits for one; its word then holds
// kUnassigned. The label is built from the word and the name, so it follows
// the synthesizer's numbering at once.
class SynthItem {
public:
    static constexpr uint32_t kModified = 0x80000000u;
    static constexpr uint32_t kKeyMask = 0x00FFFFFFu;
    // A bank, drumset, patch, note, controller or NRPN without a number yet.
    static constexpr int kUnassigned = 0xFFFFFF;

    SynthItemKind kind() const { return static_cast<SynthItemKind>((m_data >> 24) & 0x7F); }
    uint32_t data() const { return m_data; }
    int key() const { return kind() == SynthItemKind::Synth ? m_synthKey : static_cast<int>(m_data & kKeyMask); }
    // The number a bank, patch, note, controller or NRPN is stored under.
    int number() const;
    bool modified() const { return (m_data & kModified) != 0; }
    // False while a new item waits for the number the user gives it.
    bool assigned() const;

    const std::string& name() const { return m_name; }
    const std::string& category() const { return m_category; }

    SynthItem* parent() const { return m_parent; }
    const std::vector<std::unique_ptr<SynthItem>>& children() const { return m_children; }
    SynthItem* child(size_t index) const { return m_children[index].get(); }
    size_t indexInParent() const;

private:
    friend class SynthTree;
    friend class SynthTreeLoader;

    uint32_t m_data = 0;
    int m_synthKey = 0; // synthesizers only
    std::string m_name;
    std::string m_category; // patches only
    SynthItem* m_parent = nullptr;
    std::vector<std::unique_ptr<SynthItem>> m_children;
};

// A synthesizer's reset behaviour as the editor keeps it until OK.
struct SynthSettings {
    int technology = 8;
    std::string resetSysex;
};

// What the item dialog shows and accepts for one item.
struct ItemEditRequest {
    std::string title;
    int lowerBound = 0;
    int upperBound = 0;
    int number = -1; // as shown; -1 when the item has none yet
    std::string name;
    std::string category;
    std::vector<std::string> categories; // patches only: every category of the synth
    bool schemaButton = false;           // drumsets and drum notes
    bool categoryEnabled = false;
};

// The editor's button texts for a selection.
struct SynthTreeButtons {
    std::string add;
    std::string remove;
    bool removeEnabled = false;
    bool exportEnabled = false;
};

// The synthesizer database held as a tree while the patch-name editor is
// open. Every edit changes only the tree and the editor's lists; writeBack
// stores the changes in one transaction. Its drum sets are the schema tree
// of the percussion schema dialogs. Qt-free; GUI thread only.
class SynthTree : public IDrumSchemaTree {
public:
    SynthTree();

    // The whole database, synthesizers in name order. Throws SqliteError.
    static SynthTree load(SynthDatabase& db);

    SynthItem& root() { return *m_root; }
    const SynthItem& root() const { return *m_root; }
    std::string label(const SynthItem& item) const;

    // The synthesizer an item belongs to (itself for a synthesizer).
    SynthItem* synthOf(const SynthItem& item) const;
    SynthItem* group(const SynthItem& synth, SynthGroup which) const;
    // A synthesizer's settings; the default ones when it has no record yet.
    SynthSettings settings(const SynthItem& synth) const;
    int technologyOf(const SynthItem& item) const;
    // Whether a synthesizer's key is a database number (not the negative key
    // of an imported one that OK has still to store).
    static bool isStoredSynthKey(int key);

    SynthTreeButtons buttonsFor(const SynthItem* selected) const;
    // "Synthesizers [name] ..." for the selection's synthesizer, else "Synthesizers...".
    std::string titleFor(const SynthItem* selected) const;

    // The synth editor's OK: name, "Technology" and reset message.
    void editSynth(SynthItem& synth, std::string name, int technology, std::string resetSysex);
    // The item dialog's contents for any item but a synthesizer or group.
    ItemEditRequest editRequest(const SynthItem& item) const;
    // The item dialog's OK: number as shown, name and category. A refused
    // edit answers the message and leaves the tree unchanged.
    std::optional<std::string> applyEdit(SynthItem& item, int shownNumber, const std::string& name,
                                         const std::string& category = {});

    // Inserts a new item for the selection (marked modified) and answers it;
    // nothing when the selection asks for an import instead.
    SynthItem* add(SynthItem* selected);
    // Takes an added item out again when its first edit was cancelled.
    void discard(SynthItem& item);

    // "Are you sure that you want to delete ...?"; empty for a group, which
    // cannot be removed.
    std::string removeQuestion(const SynthItem& item) const;
    // Takes the item and its subtree out, noting what OK must delete.
    void remove(SynthItem& item);

    // A synthesizer read from a patch list: added with a key of its own that
    // is not a database number, all items modified. Answers the new item.
    SynthItem& addImported(std::string name, const PatchList& list);
    // A synthesizer's names as a patch list writes them.
    PatchList exportSynth(const SynthItem& synth) const;

    // Sets bits 8 to 23 of a drum note, as the notation dialog does.
    void setNotation(SynthItem& note, const DrumNotation& notation);

    // The schema tree: synthesizers in tree order, each with its drum sets.
    std::vector<DrumSchemaSynth> drumSets() const override;
    std::vector<DrumSchemaNote> drumNotes(DrumSetRef set) const override;
    bool setWord(DrumSetRef set, int index, uint32_t word) override;
    // The drum set a drumset or drum note item belongs to; nothing for any
    // other item.
    std::optional<DrumSetRef> drumSetOf(const SynthItem& item) const;

    // Stores every change in one transaction; an error rolls it all back,
    // throws SqliteError and leaves the tree as it was, so OK can be tried
    // again.
    void writeBack(SynthDatabase& db) const;

    // The removal lists, as OK will apply them.
    using OwnedKey = std::pair<int, int>; // (item key, synthesizer key)
    const std::vector<int>& deletedSynths() const { return m_deletedSynths; }
    const std::vector<OwnedKey>& removedBanks() const { return m_removedBanks; }
    const std::vector<OwnedKey>& removedDrumsets() const { return m_removedDrumsets; }
    const std::vector<OwnedKey>& removedControllers() const { return m_removedControllers; }
    const std::vector<OwnedKey>& removedNrpns() const { return m_removedNrpns; }

private:
    friend class SynthTreeLoader;
    friend class SynthTreeWriter;

    SynthItem& addSynth(int key, std::string name);
    SynthItem& append(SynthItem& parent, SynthItemKind kind, int key, std::string name);
    SynthItem& insertAt(SynthItem& parent, size_t index, SynthItemKind kind, int key, std::string name);
    static void setKey(SynthItem& item, int key);
    static void markModified(SynthItem& item);
    void sortRoot();
    static void sortSiblings(SynthItem& parent);
    SynthItem* siblingWithNumber(const SynthItem& item, int key) const;
    SynthItem* drumSetAt(DrumSetRef set) const;
    std::vector<std::string> categoriesOf(const SynthItem& synth) const;
    std::unique_ptr<SynthItem> detach(SynthItem& item);
    void noteRemoval(std::vector<OwnedKey>& list, const SynthItem& item, int key);
    std::optional<std::string> renumber(SynthItem& item, int key, const char* refusal,
                                        std::vector<OwnedKey>* removedList, SynthItem* removedOwner);

    std::unique_ptr<SynthItem> m_root;
    std::map<int, SynthSettings> m_settings; // by synthesizer key
    int m_nextTemporaryKey;
    std::vector<int> m_deletedSynths;
    std::vector<OwnedKey> m_removedBanks;
    std::vector<OwnedKey> m_removedDrumsets;
    std::vector<OwnedKey> m_removedControllers;
    std::vector<OwnedKey> m_removedNrpns;
};

} // namespace rz
