#pragma once

#include <string>
#include <string_view>

namespace rz {

// The number field of the patch-name editor's item dialog, which takes a
// bank, patch, drumset, note, controller or NRPN number. The upper bound
// decides the form: 16384 or more is a drumset, "bank (MSB/LSB), program"
// with the program counted from 1; 129 or more a 14-bit number with its MSB
// and LSB; anything less the plain number. -1 (no number) is empty text.
std::string formatEditNumber(int number, int upperBound);

// Reads what the user typed: empty text is -1; otherwise the leading
// integer, "msb/lsb" without a "(" as msb x 128 + lsb, and on a drumset a
// ", program" (counted from 1) appended to the bank. The result is clamped
// to the bounds; numbers of any length saturate instead of wrapping.
int parseEditNumber(std::string_view text, int lowerBound, int upperBound);

} // namespace rz
