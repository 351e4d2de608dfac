#pragma once

#include <string_view>

namespace rz {

// The leading integer of a text as "%d" reads it: blanks, a sign, digits;
// 0 when there is none. Numbers beyond the int range saturate.
int leadingNumber(std::string_view text);

} // namespace rz
