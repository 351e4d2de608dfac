#pragma once

#include "core/synth_lookup.h"

#include <string>
#include <vector>

namespace rz {

// A schema tree held as plain lists: synthesizers, their drum sets and the
// sets' note items with their words. setWord keeps the note number and the
// top byte's tag as the real tree does, and counts its calls.
class FakeDrumSchemaTree : public IDrumSchemaTree {
public:
    struct Set {
        std::string label;
        std::vector<DrumSchemaNote> notes;
    };
    struct Synth {
        std::string label;
        std::vector<Set> sets;
    };

    std::vector<Synth> synths;
    int writes = 0;

    // A note item of `note` with its notation packed and the drum-note tag.
    static DrumSchemaNote note(int index, int note, std::string name, const DrumNotation& notation)
    {
        return DrumSchemaNote{index, note, std::move(name),
                              kDrumNoteTag | packDrumNotation(notation) | static_cast<uint32_t>(note)};
    }
    static constexpr uint32_t kDrumNoteTag = 0x06000000u;

    std::vector<DrumSchemaSynth> drumSets() const override
    {
        std::vector<DrumSchemaSynth> result;
        for (const Synth& synth : synths) {
            DrumSchemaSynth entry{synth.label, {}};
            for (const Set& set : synth.sets)
                entry.drumSets.push_back(set.label);
            result.push_back(entry);
        }
        return result;
    }
    std::vector<DrumSchemaNote> drumNotes(DrumSetRef ref) const override
    {
        const Set* set = find(ref);
        return set ? set->notes : std::vector<DrumSchemaNote>{};
    }
    bool setWord(DrumSetRef ref, int index, uint32_t word) override
    {
        Set* set = const_cast<Set*>(find(ref));
        if (!set)
            return false;
        for (DrumSchemaNote& item : set->notes) {
            if (item.index == index) {
                item.word = (item.word & ~kDrumNotationMask) | (word & kDrumNotationMask) | kDrumItemChanged;
                ++writes;
                return true;
            }
        }
        return false;
    }

    // The item word of a note of a set; 0 when there is none.
    uint32_t wordOf(DrumSetRef ref, int note) const
    {
        if (const Set* set = find(ref)) {
            for (const DrumSchemaNote& item : set->notes) {
                if (item.note == note)
                    return item.word;
            }
        }
        return 0;
    }

private:
    const Set* find(DrumSetRef ref) const
    {
        if (ref.synth < 0 || size_t(ref.synth) >= synths.size())
            return nullptr;
        const auto& sets = synths[size_t(ref.synth)].sets;
        return ref.set >= 0 && size_t(ref.set) < sets.size() ? &sets[size_t(ref.set)] : nullptr;
    }
};

} // namespace rz
