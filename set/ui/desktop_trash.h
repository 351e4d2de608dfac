#pragma once

#include "set/set_pane_commands.h"

namespace rz {

// The desktop's trash through Qt (the freedesktop.org trash under
// $XDG_DATA_HOME).
class DesktopTrash : public ITrash {
public:
    bool moveToTrash(const std::filesystem::path& path) override;
};

} // namespace rz
