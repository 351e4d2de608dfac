#pragma once

#include "ui/accel_table.h"

#include <optional>

namespace rz {

class IProfile;

// The accelerator table the start-up step installs. "AccelMap4" "Enabled"
// 0 gives an empty table (accelerators off). Otherwise the map named by
// "UseWhich" (default "Default"): the built-in records for "Default", which
// are also written back to the profile; any other map's stored bytes read
// whole, 6 per record, a trailing partial record ignored. Nothing when that
// map has no record: the frame keeps the table it has.
std::optional<AccelTable> readStartupAccelTable(IProfile& profile);

} // namespace rz
