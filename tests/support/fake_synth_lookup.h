#pragma once

#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "core/synth_lookup.h"

namespace rz {

// A synthesizer database in maps. `technologies` alone answers technology();
// `synths` answers synth().
class FakeSynthLookup : public ISynthLookup {
public:
    using Key2 = std::tuple<int, int>;
    using Key3 = std::tuple<int, int, int>;
    using Key4 = std::tuple<int, int, int, int>;

    std::map<int, int> technologies;
    std::map<int, SynthRecord> synths;
    std::map<Key2, std::string> bankNames;         // synth, bank
    std::map<Key3, std::string> patchNames;        // synth, bank, patch
    std::map<Key3, std::string> drumsetNames;      // synth, bank, program
    std::map<Key4, std::string> drumNoteNames;     // synth, bank, program, note
    std::map<Key4, DrumNotation> drumNotations;    // synth, bank, program, note
    std::map<Key2, std::string> ccNames;           // synth, controller
    std::map<Key2, std::string> nrpnNames;         // synth, NRPN
    std::map<Key3, std::string> patchCategories;   // synth, bank, patch

    std::optional<int> technology(int synthNumber) const override
    {
        return find(technologies, synthNumber);
    }
    std::optional<SynthRecord> synth(int synthNumber) const override
    {
        return find(synths, synthNumber);
    }
    std::optional<std::string> bankName(int synthNumber, int bank) const override
    {
        return find(bankNames, Key2{synthNumber, bank});
    }
    std::optional<std::string> patchName(int synthNumber, int bank, int patch) const override
    {
        return find(patchNames, Key3{synthNumber, bank, patch});
    }
    std::optional<std::string> drumsetName(int synthNumber, int bank, int program) const override
    {
        return find(drumsetNames, Key3{synthNumber, bank, program});
    }
    std::optional<std::string> drumNoteName(int synthNumber, int bank, int program,
                                            int note) const override
    {
        return find(drumNoteNames, Key4{synthNumber, bank, program, note});
    }
    std::optional<DrumNotation> drumNotation(int synthNumber, int bank, int program,
                                             int note) const override
    {
        return find(drumNotations, Key4{synthNumber, bank, program, note});
    }
    std::optional<std::string> ccName(int synthNumber, int controller) const override
    {
        return find(ccNames, Key2{synthNumber, controller});
    }
    std::optional<std::string> nrpnName(int synthNumber, int nrpn) const override
    {
        return find(nrpnNames, Key2{synthNumber, nrpn});
    }

    // The bank names as headers and the patch names, in (bank, patch) order.
    std::vector<PatchListRow> patchList(int synthNumber) const override
    {
        std::map<std::pair<int, int>, PatchListRow> rows;
        for (const auto& [key, name] : bankNames)
            if (std::get<0>(key) == synthNumber)
                rows[{std::get<1>(key), -1}] = {std::get<1>(key), -1, name, {}};
        for (const auto& [key, name] : patchNames)
            if (std::get<0>(key) == synthNumber)
                rows[{std::get<1>(key), std::get<2>(key)}] = {std::get<1>(key), std::get<2>(key), name,
                                                              find(patchCategories, key).value_or("")};
        std::vector<PatchListRow> list;
        for (auto& entry : rows)
            list.push_back(entry.second);
        return list;
    }
    // The sets named in drumsetNames or holding a note in drumNoteNames.
    std::vector<DrumsetListRow> drumsetList(int synthNumber) const override
    {
        std::map<std::pair<int, int>, DrumsetListRow> sets;
        for (const auto& [key, name] : drumNoteNames)
            if (std::get<0>(key) == synthNumber)
                sets.try_emplace({std::get<1>(key), std::get<2>(key)},
                                 DrumsetListRow{std::get<1>(key), std::get<2>(key), std::nullopt});
        for (const auto& [key, name] : drumsetNames)
            if (std::get<0>(key) == synthNumber)
                sets[{std::get<1>(key), std::get<2>(key)}] = {std::get<1>(key), std::get<2>(key), name};
        std::vector<DrumsetListRow> list;
        for (auto& entry : sets)
            list.push_back(entry.second);
        return list;
    }

    std::vector<NrpnListRow> nrpnList(int synthNumber) const override
    {
        std::vector<NrpnListRow> list;
        for (const auto& [key, name] : nrpnNames)
            if (std::get<0>(key) == synthNumber)
                list.push_back({std::get<1>(key), name});
        return list;
    }

private:
    template <class Map, class Key>
    static std::optional<typename Map::mapped_type> find(const Map& map, const Key& key)
    {
        auto it = map.find(key);
        if (it == map.end())
            return std::nullopt;
        return it->second;
    }
};

} // namespace rz
