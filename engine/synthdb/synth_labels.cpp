#include "engine/synthdb/synth_labels.h"

#include <algorithm>
#include <limits>

namespace rz {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

} // namespace

int64_t leadingInteger(std::string_view text)
{
    constexpr int64_t kLimit = std::numeric_limits<int>::max();
    size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        negative = text[pos++] == '-';
    int64_t value = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        value = std::min(value * 10 + (text[pos] - '0'), kLimit);
    return negative ? -value : value;
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

PatchText splitPatchText(std::string_view text)
{
    const size_t open = text.size() > 1 ? text.find('[', 1) : std::string_view::npos;
    if (text.empty() || text.back() != ']' || open == std::string_view::npos)
        return PatchText{std::string(text), {}};
    std::string_view name = text.substr(0, open);
    while (!name.empty() && isBlank(name.back()))
        name.remove_suffix(1);
    const std::string_view category = text.substr(open + 1, text.size() - open - 2);
    return PatchText{std::string(name), std::string(trimBlanks(category))};
}

std::string joinPatchText(std::string_view name, std::string_view category)
{
    std::string text(name);
    if (!category.empty())
        text += " [" + std::string(category) + "]";
    return text;
}

std::string_view labelName(std::string_view label)
{
    const size_t at = label.find(": ");
    return at == std::string_view::npos ? label : label.substr(at + 2);
}

} // namespace rz
