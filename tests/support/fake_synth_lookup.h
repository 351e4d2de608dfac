#pragma once

#include <map>

#include "core/synth_lookup.h"

namespace rz {

// A synth table of synth number -> "Technology".
class FakeSynthLookup : public ISynthLookup {
public:
    std::map<int, int> technologies;

    std::optional<int> technology(int synthNumber) const override
    {
        auto it = technologies.find(synthNumber);
        if (it == technologies.end())
            return std::nullopt;
        return it->second;
    }
};

} // namespace rz
