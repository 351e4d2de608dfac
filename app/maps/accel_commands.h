#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rz {

// The commands an accelerator can run, as the entry dialog lists them: the
// main menu's in menu order, then those of the built-in map no menu holds.
const std::vector<uint32_t>& accelCommandList();

// A command's short description, or its number when it has none.
std::string accelCommandText(uint32_t id);

} // namespace rz
