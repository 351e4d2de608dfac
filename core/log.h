#pragma once

#include <string_view>

namespace rz {

// One line to the program's log, which is standard error for now. Any
// thread except a realtime callback: it may wait for the console.
void writeLog(std::string_view line);

} // namespace rz
