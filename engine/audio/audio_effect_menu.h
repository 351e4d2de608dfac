#pragma once

#include <string>
#include <vector>

namespace rz {

class LadspaCatalog;

// One entry of the Edit > Audio effect menu: the effect's id and its text.
struct AudioEffectMenuEntry {
    std::string filterId;
    std::string text; // "&1 Stereo Amplifier"
};

// The recent effects, newest first, that the catalog still finds, numbered
// from 1; at most `limit`. Ids the catalog no longer lists are left out.
std::vector<AudioEffectMenuEntry> audioEffectMenuEntries(const std::vector<std::string>& recent,
                                                         const LadspaCatalog& catalog,
                                                         size_t limit);

} // namespace rz
