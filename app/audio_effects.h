#pragma once

#include <optional>
#include <string>

namespace rz {

class IAudioTools;
class LadspaCatalog;

// The audio effects a library of dialogs offers the application: the
// song's audio tools, the installed effects and the chooser behind
// Edit > Audio effect > "More...". GUI thread.
class IAudioEffects {
public:
    virtual ~IAudioEffects() = default;

    virtual IAudioTools& tools() = 0;
    virtual const LadspaCatalog& catalog() = 0;
    // "Audio filter plug-ins...": the chosen effect's id, or none.
    virtual std::optional<std::string> chooseEffect() = 0;
};

} // namespace rz
