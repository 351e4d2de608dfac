#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string_view>

namespace rz {

// A number typed into a dialog's field: blanks around it and a leading '+'
// are allowed; empty, unparsable or out-of-range text is none.
inline std::optional<int32_t> fieldNumber(std::string_view text, int32_t low, int32_t high)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

} // namespace rz
