#include "engine/synthdb/synth_tree.h"

#include "core/midi_bytes.h"
#include "engine/synthdb/synth_db_numbers.h"
#include "engine/synthdb/synth_db_seed.h"
#include "engine/synthdb/synth_labels.h"

#include <algorithm>

namespace rz {

namespace {

constexpr int kMaxDrumsetKey = 0x1FFFFF;
constexpr int kNoteNumberMask = 0xFF;
// Imported synthesizers wait for their database number under keys from here
// down, which no database number takes.
constexpr int kFirstTemporarySynthKey = -1;

constexpr const char* kGroupNames[] = {"Patches", "Drumsets", "Controllers", "NRPN"};

uint32_t dataWord(SynthItemKind kind, int key)
{
    return (static_cast<uint32_t>(kind) << 24) | (static_cast<uint32_t>(key) & SynthItem::kKeyMask);
}

std::string number(int value)
{
    return std::to_string(value);
}

std::string msbLsb(int value)
{
    return " (" + number(value / kMsbFactor) + "/" + number(value % kMsbFactor) + ")";
}

std::string folded(const std::string& text)
{
    std::string result = text;
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

// Synthesizers stand in alphabetical order, capitals or not.
bool textBefore(const std::string& a, const std::string& b)
{
    const std::string foldedA = folded(a);
    const std::string foldedB = folded(b);
    return foldedA != foldedB ? foldedA < foldedB : a < b;
}

// A new note's notation until the user draws it otherwise.
uint32_t defaultNotationBits(int note)
{
    return packDrumNotation(defaultDrumNotation(note));
}

int unassignedKey(SynthItemKind kind)
{
    return kind == SynthItemKind::DrumNote ? static_cast<int>(kNoteNumberMask | defaultNotationBits(kNoteNumberMask))
                                           : SynthItem::kUnassigned;
}

} // namespace

// ---- items

int SynthItem::number() const
{
    return kind() == SynthItemKind::DrumNote ? key() & kNoteNumberMask : key();
}

bool SynthItem::assigned() const
{
    return kind() == SynthItemKind::DrumNote ? number() != kNoteNumberMask : key() != kUnassigned;
}

size_t SynthItem::indexInParent() const
{
    const auto& siblings = m_parent->m_children;
    for (size_t i = 0; i < siblings.size(); ++i) {
        if (siblings[i].get() == this)
            return i;
    }
    return siblings.size();
}

// ---- the tree

SynthTree::SynthTree() : m_root(std::make_unique<SynthItem>()), m_nextTemporaryKey(kFirstTemporarySynthKey) {}

bool SynthTree::isStoredSynthKey(int key)
{
    return key > kFirstTemporarySynthKey;
}

SynthItem& SynthTree::insertAt(SynthItem& parent, size_t index, SynthItemKind kind, int key, std::string name)
{
    auto item = std::make_unique<SynthItem>();
    item->m_data = dataWord(kind, key);
    if (kind == SynthItemKind::Synth) {
        item->m_synthKey = key;
        if (!isStoredSynthKey(key))
            item->m_data = dataWord(kind, SynthItem::kUnassigned);
    }
    item->m_name = std::move(name);
    item->m_parent = &parent;
    auto& children = parent.m_children;
    index = std::min(index, children.size());
    return **children.insert(children.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
}

SynthItem& SynthTree::append(SynthItem& parent, SynthItemKind kind, int key, std::string name)
{
    return insertAt(parent, parent.m_children.size(), kind, key, std::move(name));
}

SynthItem& SynthTree::addSynth(int key, std::string name)
{
    SynthItem& synth = append(*m_root, SynthItemKind::Synth, key, std::move(name));
    for (int group = 0; group < 4; ++group)
        append(synth, SynthItemKind::Group, group, kGroupNames[group]);
    return synth;
}

void SynthTree::setKey(SynthItem& item, int key)
{
    item.m_data = (item.m_data & ~SynthItem::kKeyMask) | (static_cast<uint32_t>(key) & SynthItem::kKeyMask);
}

void SynthTree::markModified(SynthItem& item)
{
    item.m_data |= SynthItem::kModified;
}

void SynthTree::sortRoot()
{
    std::stable_sort(m_root->m_children.begin(), m_root->m_children.end(),
                     [](const auto& a, const auto& b) { return textBefore(a->m_name, b->m_name); });
}

void SynthTree::sortSiblings(SynthItem& parent)
{
    std::stable_sort(parent.m_children.begin(), parent.m_children.end(),
                     [](const auto& a, const auto& b) { return a->number() < b->number(); });
}

SynthItem* SynthTree::synthOf(const SynthItem& item) const
{
    const SynthItem* at = &item;
    while (at->m_parent && at->m_parent != m_root.get())
        at = at->m_parent;
    return at->m_parent ? const_cast<SynthItem*>(at) : nullptr;
}

SynthItem* SynthTree::group(const SynthItem& synth, SynthGroup which) const
{
    return synth.child(static_cast<size_t>(which));
}

SynthSettings SynthTree::settings(const SynthItem& synth) const
{
    const auto found = m_settings.find(synth.key());
    return found == m_settings.end() ? SynthSettings{} : found->second;
}

int SynthTree::technologyOf(const SynthItem& item) const
{
    const SynthItem* synth = synthOf(item);
    return synth ? settings(*synth).technology : SynthSettings{}.technology;
}

std::string SynthTree::label(const SynthItem& item) const
{
    const int tech = technologyOf(item);
    const int key = item.key();
    const std::string shown = item.assigned() ? number(item.number()) : "?";
    switch (item.kind()) {
    case SynthItemKind::Root:
        return {};
    case SynthItemKind::Synth:
    case SynthItemKind::Group:
        return item.m_name;
    case SynthItemKind::Bank:
        if (!item.assigned())
            return "Bank ?: " + item.m_name;
        if (cc0Only(tech))
            return "Bank " + number(key / kMsbFactor) + ": " + item.m_name;
        return "Bank " + number(key) + msbLsb(key) + ": " + item.m_name;
    case SynthItemKind::Patch: {
        const std::string patch = item.assigned() ? number(key + patchDisplayOffset(tech)) : "?";
        return patch + ": " + joinPatchText(item.m_name, item.m_category);
    }
    case SynthItemKind::Drumset: {
        if (!item.assigned())
            return "?,?: " + item.m_name;
        const int bank = key / kMsbFactor;
        const std::string program = ", PC" + number(key % kMsbFactor + patchDisplayOffset(tech));
        if (cc0Only(tech))
            return "Bank " + number(bank / kMsbFactor) + program + ": " + item.m_name;
        return "Bank " + number(bank) + msbLsb(bank) + program + ": " + item.m_name;
    }
    case SynthItemKind::DrumNote:
    case SynthItemKind::Nrpn:
    case SynthItemKind::Controller:
        return shown + ": " + item.m_name;
    }
    return item.m_name;
}

// ---- buttons

SynthTreeButtons SynthTree::buttonsFor(const SynthItem* selected) const
{
    static constexpr const char* kInsertInGroup[] = {"Insert bank", "Insert drumset", "Insert CC", "Insert NRPN"};
    SynthTreeButtons buttons{"Import synth", "Remove", false, false};
    if (!selected || selected->kind() == SynthItemKind::Root)
        return buttons;
    buttons.removeEnabled = true;
    switch (selected->kind()) {
    case SynthItemKind::Synth:
        buttons = {"Import synth", "Remove synth", true, true};
        break;
    case SynthItemKind::Group:
        buttons = {kInsertInGroup[std::min(selected->key(), 3)], "Remove", false, false};
        break;
    case SynthItemKind::Bank:
        buttons = {"Insert patch", "Remove bank", true, false};
        break;
    case SynthItemKind::Patch:
        buttons = {"Insert patch", "Remove patch", true, false};
        break;
    case SynthItemKind::Drumset:
        buttons = {"Insert note", "Remove drumset", true, false};
        break;
    case SynthItemKind::DrumNote:
        buttons = {"Insert note", "Remove note", true, false};
        break;
    case SynthItemKind::Nrpn:
        buttons = {"Insert NRPN", "Remove NRPN", true, false};
        break;
    case SynthItemKind::Controller:
        buttons = {"Insert CC", "Remove CC", true, false};
        break;
    case SynthItemKind::Root:
        break;
    }
    return buttons;
}

std::string SynthTree::titleFor(const SynthItem* selected) const
{
    const SynthItem* synth = selected ? synthOf(*selected) : nullptr;
    return synth ? "Synthesizers [" + synth->name() + "] ..." : "Synthesizers...";
}

// ---- editing

void SynthTree::editSynth(SynthItem& synth, std::string name, int technology, std::string resetSysex)
{
    m_settings[synth.key()] = SynthSettings{technology, std::move(resetSysex)};
    synth.m_name = std::move(name);
    markModified(synth);
    sortRoot();
}

std::vector<std::string> SynthTree::categoriesOf(const SynthItem& synth) const
{
    std::set<std::string> found;
    for (const auto& bank : group(synth, SynthGroup::Patches)->children()) {
        for (const auto& patch : bank->children()) {
            if (!patch->category().empty())
                found.insert(patch->category());
        }
    }
    return {found.begin(), found.end()};
}

ItemEditRequest SynthTree::editRequest(const SynthItem& item) const
{
    const int tech = technologyOf(item);
    ItemEditRequest request;
    request.name = item.m_name;
    const int shown = item.assigned() ? item.number() : -1;
    request.number = shown;
    switch (item.kind()) {
    case SynthItemKind::Bank:
        request.title = "Edit Bank Name";
        request.upperBound = cc0Only(tech) ? kMaxProgram : kMaxFourteenBit;
        request.number = shown < 0 ? -1 : shownBankNumber(tech, shown);
        break;
    case SynthItemKind::Patch: {
        const int offset = patchDisplayOffset(tech);
        request.title = "Edit Patch Name";
        request.lowerBound = offset;
        request.upperBound = offset + kMaxProgram;
        request.number = shown < 0 ? -1 : shown + offset;
        request.category = item.m_category;
        request.categories = categoriesOf(*synthOf(item));
        request.categoryEnabled = true;
        break;
    }
    case SynthItemKind::Drumset:
        request.title = "Edit Drumset Name";
        request.upperBound = kMaxDrumsetKey;
        request.schemaButton = true;
        break;
    case SynthItemKind::DrumNote:
        request.title = "Edit Drumset Note Name";
        request.upperBound = kMaxProgram;
        request.schemaButton = true;
        break;
    case SynthItemKind::Controller:
        request.title = "Edit CC Name";
        request.upperBound = kMaxProgram;
        break;
    case SynthItemKind::Nrpn:
        request.title = "Edit NRPN Name";
        request.upperBound = kMaxFourteenBit;
        break;
    default:
        break;
    }
    return request;
}

SynthItem* SynthTree::siblingWithNumber(const SynthItem& item, int number) const
{
    for (const auto& sibling : item.m_parent->m_children) {
        if (sibling.get() != &item && sibling->number() == number)
            return sibling.get();
    }
    return nullptr;
}

void SynthTree::noteRemoval(std::vector<OwnedKey>& list, const SynthItem& item, int key)
{
    const OwnedKey entry{key, synthOf(item)->key()};
    if (std::find(list.begin(), list.end(), entry) == list.end())
        list.push_back(entry);
}

// Gives the item a new key unless a sibling has that number. The old key, when
// it was assigned, goes into `removedList` as `removedOwner`'s key, or the
// item's own when no owner is named.
std::optional<std::string> SynthTree::renumber(SynthItem& item, int key, const char* refusal,
                                               std::vector<OwnedKey>* removedList, SynthItem* removedOwner)
{
    const int newNumber = item.kind() == SynthItemKind::DrumNote ? key & kNoteNumberMask : key;
    if (newNumber == item.number() && item.assigned())
        return std::nullopt;
    if (siblingWithNumber(item, newNumber))
        return std::string(refusal);
    if (removedList) {
        if (removedOwner) {
            if (removedOwner->assigned())
                noteRemoval(*removedList, *removedOwner, removedOwner->key());
            markModified(*removedOwner);
        } else if (item.assigned()) {
            noteRemoval(*removedList, item, item.key());
        }
    }
    setKey(item, key);
    sortSiblings(*item.m_parent);
    return std::nullopt;
}

std::optional<std::string> SynthTree::applyEdit(SynthItem& item, int shownNumber, const std::string& name,
                                                const std::string& category)
{
    const ItemEditRequest request = editRequest(item);
    if (request.title.empty())
        return std::string("This item has no number to edit.");
    if (shownNumber < request.lowerBound || shownNumber > request.upperBound)
        return "The number must lie between " + number(request.lowerBound) + " and " + number(request.upperBound) + ".";
    const int tech = technologyOf(item);
    std::optional<std::string> refused;
    switch (item.kind()) {
    case SynthItemKind::Bank:
        refused = renumber(item, storedBankNumber(tech, shownNumber), "That bank number is already in use.",
                           &m_removedBanks, nullptr);
        break;
    case SynthItemKind::Patch:
        refused = renumber(item, shownNumber - patchDisplayOffset(tech), "That patch number is already in use.",
                           &m_removedBanks, item.m_parent);
        break;
    case SynthItemKind::Drumset:
        refused = renumber(item, shownNumber, "That bank/patch number is already in use.", &m_removedDrumsets,
                           nullptr);
        break;
    case SynthItemKind::DrumNote: {
        // The notation as it stands now, after any change the notation dialog made.
        const int key = shownNumber | static_cast<int>(item.m_data & kDrumNotationMask);
        refused = renumber(item, key, "That note number is already in use.", &m_removedDrumsets, item.m_parent);
        break;
    }
    case SynthItemKind::Controller:
        refused = renumber(item, shownNumber, "That CC number is already in use.", &m_removedControllers, nullptr);
        break;
    case SynthItemKind::Nrpn:
        refused = renumber(item, shownNumber, "That NRPN number is already in use.", &m_removedNrpns, nullptr);
        break;
    default:
        break;
    }
    if (refused)
        return refused;
    item.m_name = name;
    if (item.kind() == SynthItemKind::Patch)
        item.m_category = std::string(trimBlanks(category));
    markModified(item);
    return std::nullopt;
}

// ---- adding and removing

namespace {

struct Slot {
    size_t index = 0; // where the new item goes
    int number = 0;   // its number, or past `largest` when none is free
};

// The first free number: while the child at `index` has `number`, both move on.
Slot firstFree(const SynthItem& parent, size_t index, int number)
{
    const auto& children = parent.children();
    while (index < children.size() && children[index]->number() == number) {
        ++index;
        ++number;
    }
    return Slot{index, number};
}

} // namespace

SynthItem* SynthTree::add(SynthItem* selected)
{
    if (!selected || selected->kind() == SynthItemKind::Root || selected->kind() == SynthItemKind::Synth)
        return nullptr;
    SynthItem* parent = selected;
    SynthItemKind kind = SynthItemKind::Patch;
    std::string name;
    int largest = kMaxProgram;
    Slot slot;
    bool scan = true;
    switch (selected->kind()) {
    case SynthItemKind::Group: {
        static constexpr SynthItemKind kKinds[] = {SynthItemKind::Bank, SynthItemKind::Drumset,
                                                   SynthItemKind::Controller, SynthItemKind::Nrpn};
        static constexpr const char* kNames[] = {"New bank", "New drumset", "New CC", "New NRPN"};
        const int which = std::clamp(selected->key(), 0, 3);
        kind = kKinds[which];
        name = kNames[which];
        largest = kind == SynthItemKind::Nrpn ? kMaxFourteenBit : kMaxProgram;
        // New banks and drumsets wait at the end for the number the user gives them.
        scan = kind == SynthItemKind::Controller || kind == SynthItemKind::Nrpn;
        slot = scan ? firstFree(*parent, 0, 0) : Slot{parent->children().size(), largest + 1};
        break;
    }
    case SynthItemKind::Bank:
        name = "New Patch";
        slot = firstFree(*parent, 0, 0);
        break;
    case SynthItemKind::Drumset:
        kind = SynthItemKind::DrumNote;
        name = "New Note";
        slot = firstFree(*parent, 0, 0);
        break;
    default:
        parent = selected->m_parent;
        kind = selected->kind();
        name = kind == SynthItemKind::Patch        ? "New Patch"
               : kind == SynthItemKind::DrumNote   ? "New note"
               : kind == SynthItemKind::Controller ? "New CC"
                                                   : "New NRPN";
        largest = kind == SynthItemKind::Nrpn ? kMaxFourteenBit : kMaxProgram;
        slot = firstFree(*parent, selected->indexInParent(), selected->number());
        break;
    }
    int key = unassignedKey(kind);
    if (slot.number > largest) {
        slot.index = parent->children().size();
    } else {
        key = kind == SynthItemKind::DrumNote ? slot.number | static_cast<int>(defaultNotationBits(slot.number))
                                              : slot.number;
    }
    SynthItem& item = insertAt(*parent, slot.index, kind, key, std::move(name));
    markModified(item);
    return &item;
}

std::unique_ptr<SynthItem> SynthTree::detach(SynthItem& item)
{
    auto& siblings = item.m_parent->m_children;
    const auto at = siblings.begin() + static_cast<std::ptrdiff_t>(item.indexInParent());
    std::unique_ptr<SynthItem> owned = std::move(*at);
    siblings.erase(at);
    return owned;
}

void SynthTree::discard(SynthItem& item)
{
    if (item.m_parent)
        detach(item);
}

std::string SynthTree::removeQuestion(const SynthItem& item) const
{
    const char* word = "";
    switch (item.kind()) {
    case SynthItemKind::Synth:
        word = "Synth: ";
        break;
    case SynthItemKind::Patch:
        word = "Patch ";
        break;
    case SynthItemKind::Drumset:
        word = "Drumset ";
        break;
    case SynthItemKind::DrumNote:
        word = "Note ";
        break;
    case SynthItemKind::Controller:
        word = "CC ";
        break;
    case SynthItemKind::Nrpn:
        word = "NRPN ";
        break;
    case SynthItemKind::Bank:
        break;
    case SynthItemKind::Root:
    case SynthItemKind::Group:
        return {};
    }
    return "Are you sure that you want to delete " + std::string(word) + label(item) + "?";
}

void SynthTree::remove(SynthItem& item)
{
    switch (item.kind()) {
    case SynthItemKind::Root:
    case SynthItemKind::Group:
        return;
    case SynthItemKind::Synth:
        if (std::find(m_deletedSynths.begin(), m_deletedSynths.end(), item.key()) == m_deletedSynths.end())
            m_deletedSynths.push_back(item.key());
        break;
    case SynthItemKind::Bank:
        if (item.assigned())
            noteRemoval(m_removedBanks, item, item.key());
        break;
    case SynthItemKind::Drumset:
        if (item.assigned())
            noteRemoval(m_removedDrumsets, item, item.key());
        break;
    case SynthItemKind::Patch:
    case SynthItemKind::DrumNote: {
        SynthItem& owner = *item.m_parent;
        if (owner.assigned())
            noteRemoval(item.kind() == SynthItemKind::Patch ? m_removedBanks : m_removedDrumsets, owner, owner.key());
        markModified(owner);
        break;
    }
    case SynthItemKind::Controller:
        if (item.assigned())
            noteRemoval(m_removedControllers, item, item.key());
        break;
    case SynthItemKind::Nrpn:
        if (item.assigned())
            noteRemoval(m_removedNrpns, item, item.key());
        break;
    }
    detach(item);
}

void SynthTree::setNotation(SynthItem& note, const DrumNotation& notation)
{
    note.m_data = (note.m_data & ~kDrumNotationMask) | packDrumNotation(notation);
    markModified(note);
}

// ---- the schema tree

static_assert(SynthItem::kModified == kDrumItemChanged, "the schema dialogs mark items as the tree does");

std::vector<DrumSchemaSynth> SynthTree::drumSets() const
{
    std::vector<DrumSchemaSynth> synths;
    for (const auto& synth : m_root->children()) {
        DrumSchemaSynth entry{label(*synth), {}};
        for (const auto& set : group(*synth, SynthGroup::Drumsets)->children())
            entry.drumSets.push_back(label(*set));
        synths.push_back(std::move(entry));
    }
    return synths;
}

SynthItem* SynthTree::drumSetAt(DrumSetRef set) const
{
    const auto& synths = m_root->children();
    if (set.synth < 0 || static_cast<size_t>(set.synth) >= synths.size())
        return nullptr;
    const SynthItem& sets = *group(*synths[static_cast<size_t>(set.synth)], SynthGroup::Drumsets);
    if (set.set < 0 || static_cast<size_t>(set.set) >= sets.children().size())
        return nullptr;
    return sets.child(static_cast<size_t>(set.set));
}

std::vector<DrumSchemaNote> SynthTree::drumNotes(DrumSetRef set) const
{
    std::vector<DrumSchemaNote> notes;
    const SynthItem* drumset = drumSetAt(set);
    if (!drumset)
        return notes;
    const auto& items = drumset->children();
    for (size_t i = 0; i < items.size(); ++i) {
        // A note still waiting for its number has no notation to show.
        if (items[i]->assigned())
            notes.push_back(DrumSchemaNote{static_cast<int>(i), items[i]->number(), items[i]->name(), items[i]->data()});
    }
    return notes;
}

bool SynthTree::setWord(DrumSetRef set, int index, uint32_t word)
{
    SynthItem* drumset = drumSetAt(set);
    if (!drumset || index < 0 || static_cast<size_t>(index) >= drumset->children().size())
        return false;
    SynthItem& note = *drumset->child(static_cast<size_t>(index));
    if (note.kind() != SynthItemKind::DrumNote || !note.assigned())
        return false;
    // Only the notation is the dialog's: the note number and the tag stay.
    note.m_data = (note.m_data & ~kDrumNotationMask) | (word & kDrumNotationMask);
    markModified(note);
    return true;
}

std::optional<DrumSetRef> SynthTree::drumSetOf(const SynthItem& item) const
{
    const SynthItem* drumset = item.kind() == SynthItemKind::DrumNote ? item.parent() : &item;
    if (!drumset || drumset->kind() != SynthItemKind::Drumset)
        return std::nullopt;
    const SynthItem* synth = synthOf(*drumset);
    if (!synth)
        return std::nullopt;
    return DrumSetRef{static_cast<int>(synth->indexInParent()), static_cast<int>(drumset->indexInParent())};
}

// ---- patch lists

SynthItem& SynthTree::addImported(std::string name, const PatchList& list)
{
    const int key = m_nextTemporaryKey--;
    SynthItem& synth = addSynth(key, std::move(name));
    markModified(synth);
    const auto added = [](SynthItem& item) -> SynthItem& {
        markModified(item);
        return item;
    };
    for (const auto& bank : list.banks) {
        SynthItem& bankItem = added(append(*group(synth, SynthGroup::Patches), SynthItemKind::Bank, bank.number, bank.name));
        for (const auto& patch : bank.patches)
            added(append(bankItem, SynthItemKind::Patch, patch.number, patch.name)).m_category = patch.category;
    }
    for (const auto& drumset : list.drumsets) {
        SynthItem& set = added(append(*group(synth, SynthGroup::Drumsets), SynthItemKind::Drumset, drumset.key(), drumset.name));
        for (const auto& note : drumset.notes) {
            const int noteKey = note.number | static_cast<int>(packDrumNotation(note.notation));
            added(append(set, SynthItemKind::DrumNote, noteKey, note.name));
        }
    }
    for (const auto& controller : list.controllers)
        added(append(*group(synth, SynthGroup::Controllers), SynthItemKind::Controller, controller.number, controller.name));
    for (const auto& nrpn : list.nrpns)
        added(append(*group(synth, SynthGroup::Nrpn), SynthItemKind::Nrpn, nrpn.number, nrpn.name));
    sortRoot();
    return synth;
}

PatchList SynthTree::exportSynth(const SynthItem& synth) const
{
    PatchList list;
    for (const auto& bank : group(synth, SynthGroup::Patches)->children()) {
        if (!bank->assigned())
            continue;
        PatchListBank& out = list.banks.emplace_back(PatchListBank{bank->key(), bank->name(), {}});
        for (const auto& patch : bank->children()) {
            if (patch->assigned())
                out.patches.push_back(PatchListPatch{patch->number(), patch->name(), patch->category()});
        }
    }
    for (const auto& drumset : group(synth, SynthGroup::Drumsets)->children()) {
        if (!drumset->assigned())
            continue;
        PatchListDrumset& out = list.drumsets.emplace_back();
        out.bank = drumset->key() / kMsbFactor;
        out.program = drumset->key() % kMsbFactor;
        out.name = drumset->name();
        for (const auto& note : drumset->children()) {
            if (note->assigned())
                out.notes.push_back(PatchListNote{note->number(), note->name(), unpackDrumNotation(note->data())});
        }
    }
    for (const auto& controller : group(synth, SynthGroup::Controllers)->children()) {
        if (controller->assigned())
            list.controllers.push_back(PatchListName{controller->number(), controller->name()});
    }
    for (const auto& nrpn : group(synth, SynthGroup::Nrpn)->children()) {
        if (nrpn->assigned())
            list.nrpns.push_back(PatchListName{nrpn->number(), nrpn->name()});
    }
    return list;
}

} // namespace rz
