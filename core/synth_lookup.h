#pragma once

#include <optional>

namespace rz {

// Read access to the synthesizer table of the synthesizer database.
class ISynthLookup {
public:
    // The "Technology" of a track whose synth is not in the table.
    static constexpr int kDefaultTechnology = 8;

    virtual ~ISynthLookup() = default;

    // The synth's "Technology" field; nothing when the synth number is unknown.
    virtual std::optional<int> technology(int synthNumber) const = 0;
};

} // namespace rz
