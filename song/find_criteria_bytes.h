#pragma once

#include "song/find_criteria.h"

#include <cstdint>
#include <span>
#include <vector>

namespace rz {

// The criteria as stored in a find preset: 84 little-endian words, 336 bytes,
// each field at its fixed offset whatever the machine.
inline constexpr size_t kFindCriteriaBytes = 336;

std::vector<uint8_t> toBytes(const FindCriteria& criteria);

// A stored preset of any length read over the defaults: a shorter value
// leaves the fields it does not reach (a word it reaches only in part, too)
// at their defaults, bytes past 336 are ignored. The two texts always end
// in a terminator.
FindCriteria fromBytes(std::span<const uint8_t> bytes);

} // namespace rz
