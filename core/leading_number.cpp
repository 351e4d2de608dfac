#include "core/leading_number.h"

#include <algorithm>
#include <climits>

namespace rz {

int leadingNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        value = std::min(value * 10 + (text[i] - '0'), (long long)INT_MAX + 1);
    value = negative ? -value : value;
    return int(std::clamp(value, (long long)INT_MIN, (long long)INT_MAX));
}

bool startsWithNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

} // namespace rz
