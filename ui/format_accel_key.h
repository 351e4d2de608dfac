#pragma once

#include "res/default_accel_map.h"

#include <cstdint>
#include <string>

namespace rz {

// Appends the key text of an accelerator record to `text`, as menus and the
// accelerator dialogs show it: "Alt+", "Ctrl+", "Shift+" in that order, then
// the key ("Ctrl+Shift+PgDn", "Alt+[").
void FormatAccelKey(const AccelRecordData& accel, std::string& text);

// The name of a virtual key: "F5", "Space", "Del", "A", "/"; unknown keys
// read "Key 0xNN".
std::string virtualKeyName(uint16_t vk);

} // namespace rz
