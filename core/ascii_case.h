#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

namespace rz {

// Device names, file endings, track names and search texts compare without
// regard to ASCII case; other bytes compare as they are.
// Compared as unsigned bytes, so UTF-8 sorts after ASCII.
inline int AsciiLowerByte(char c) { return std::tolower(static_cast<unsigned char>(c)); }

inline char AsciiLowerChar(char c) { return char(AsciiLowerByte(c)); }

inline std::string AsciiLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), AsciiLowerChar);
    return text;
}

inline bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLowerByte(x) == AsciiLowerByte(y); });
}

// The order of sorted lists and combo boxes: by text ignoring ASCII case.
inline bool LessIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return AsciiLowerByte(x) < AsciiLowerByte(y); });
}

} // namespace rz
