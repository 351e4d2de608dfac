#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rz {

// Texts of the patch-name editor that are read back as well as shown.

// The integer at the start of the text after blanks, as the C library reads
// one; 0 when there is none. Any number of digits saturates at the int range.
int64_t leadingInteger(std::string_view text);

// A patch's text is its name, then " [" category "]" when it has one.
struct PatchText {
    std::string name;
    std::string category;
};
// Splits a patch's text: a text ending in "]" with a "[" after its first
// character carries the category between them; the name is what comes
// before the "[" without trailing blanks.
PatchText splitPatchText(std::string_view text);
std::string joinPatchText(std::string_view name, std::string_view category);

// What follows the first ": " of an item label, the whole label without one.
std::string_view labelName(std::string_view label);

// Blanks (spaces and tabs) removed at both ends.
std::string_view trimBlanks(std::string_view text);

} // namespace rz
