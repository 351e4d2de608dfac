#pragma once

#include "song/find_criteria.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class IProfile;

// The named find criteria kept in the profile, one binary value each, and
// the name the Find dialog opens on. GUI thread.
class PresetStore {
public:
    static constexpr size_t kMaxListed = 100;
    static constexpr std::string_view kDefaultName = "Default";

    explicit PresetStore(IProfile& profile) : m_profile(profile) {}

    // The stored presets' names, at most kMaxListed, in no particular order;
    // values that are not binary (the opening choice) are not presets.
    std::vector<std::string> names() const;
    // The preset read over the defaults; nothing when there is none.
    std::optional<FindCriteria> load(std::string_view name) const;
    void save(std::string_view name, const FindCriteria& criteria);
    void remove(std::string_view name);

    std::string useWhich() const;
    void setUseWhich(std::string_view name);

    // A preset of this name would overwrite the opening choice.
    static bool isReservedName(std::string_view name);

private:
    IProfile& m_profile;
};

} // namespace rz
