#include "core/hand_over.h"

#include <algorithm>

namespace rz {

std::string formatHandOverMessage(std::string_view path)
{
    std::string message(kRestoreCommand);
    message += ':';
    message += path;
    message += '\0';
    return message;
}

HandOverMessage splitHandOverMessage(std::string_view message)
{
    const size_t colon = message.find(':');
    HandOverMessage result;
    result.command = std::string(message.substr(0, colon));
    std::transform(result.command.begin(), result.command.end(), result.command.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    if (colon != std::string_view::npos)
        result.path = std::string(message.substr(colon + 1));
    return result;
}

std::vector<HandOverMessage> splitHandOverMessages(std::string_view bytes)
{
    bytes = bytes.substr(0, std::min(bytes.size(), kMaxHandOverBytes));
    std::vector<HandOverMessage> messages;
    while (!bytes.empty()) {
        const size_t end = std::min(bytes.find('\0'), bytes.size());
        if (end > 0)
            messages.push_back(splitHandOverMessage(bytes.substr(0, end)));
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
    }
    return messages;
}

} // namespace rz
