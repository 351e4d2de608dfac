#pragma once

#include <string_view>

namespace rz {

// The program's name of controller 0..127 ("Modulation Depth (1)"); an
// unnamed controller is its number alone ("3"). Numbers outside 0..127
// give an empty name.
std::string_view controllerName(int controller);

} // namespace rz
