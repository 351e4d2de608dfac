#include "core/file_names.h"

#include <array>
#include <cstring>
#include <string_view>

namespace rz {
namespace {

bool isAsciiAlnum(unsigned char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool equalsIgnoreCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = char(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = char(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

void SanitizeFileName(std::string& text)
{
    static constexpr std::string_view kAllowed = "$%'`-@{}~!#()&_^ +,.=[]";
    for (char& ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80 || isAsciiAlnum(c) || kAllowed.find(ch) != std::string_view::npos)
            continue;
        ch = '_';
    }
}

void StripKnownExtension(std::string& name)
{
    static constexpr std::array<std::string_view, 8> kKnown = {"mid", "midi", "kar", "set",
                                                               "smf", "rss", "rsd", "dll"};
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return;
    const std::string_view ext = std::string_view(name).substr(dot + 1);
    for (std::string_view known : kKnown) {
        if (equalsIgnoreCase(ext, known)) {
            name.erase(dot);
            return;
        }
    }
}

} // namespace rz
