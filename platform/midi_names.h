#pragma once

#include <string>
#include <vector>

namespace rz {

// Gives repeated names a " (%d)" suffix with the count so far plus one, so
// that every name in the list is told apart: "X", "X (2)", "X (3)". The
// first of a name keeps it unchanged; order decides which is which, so the
// same devices in the same order get the same names on every run.
std::vector<std::string> numberRepeatedNames(const std::vector<std::string>& names);

} // namespace rz
