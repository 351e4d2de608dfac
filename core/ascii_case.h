#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace rz {

// Device names, file endings and search texts compare without regard to
// ASCII case; other bytes compare as they are.
inline std::string AsciiLower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

inline bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace rz
