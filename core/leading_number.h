#pragma once

#include <string_view>

namespace rz {

// The leading integer of a text as "%d" reads it: blanks, a sign, digits;
// 0 when there is none. Numbers beyond the int range saturate.
int leadingNumber(std::string_view text);

// Whether the text starts with a number as leadingNumber reads it: blanks,
// a sign, then at least one digit. Text without one reads as 0, which a
// caller taking typed values must not mistake for a 0 that was typed.
bool startsWithNumber(std::string_view text);

} // namespace rz
