#include "engine/audio/audio_effect_menu.h"

#include "platform/ladspa.h"

namespace rz {

std::vector<AudioEffectMenuEntry> audioEffectMenuEntries(const std::vector<std::string>& recent,
                                                         const LadspaCatalog& catalog,
                                                         size_t limit)
{
    std::vector<AudioEffectMenuEntry> entries;
    for (const std::string& id : recent) {
        if (entries.size() == limit)
            break;
        if (const auto plugin = catalog.find(id)) {
            const std::string number = std::to_string(entries.size() + 1);
            entries.push_back({id, "&" + number + " " + plugin->info().name});
        }
    }
    return entries;
}

} // namespace rz
