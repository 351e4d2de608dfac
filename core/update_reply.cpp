#include "core/update_reply.h"

#include "core/text_codec.h"

#include <cstdio>

namespace rz {
namespace {

constexpr std::string_view kVersionKey = "Version=";
constexpr size_t kMaxVersionDigits = 9; // fits an int

bool isLineBreak(char c)
{
    return c == '\n' || c == '\r';
}

} // namespace

std::optional<UpdateReply> parseUpdateReply(std::string_view reply)
{
    // A NUL ends the reply, as it ends the text the server meant.
    reply = reply.substr(0, reply.find('\0'));
    const size_t key = reply.find(kVersionKey);
    if (key == std::string_view::npos)
        return std::nullopt;
    UpdateReply result;
    size_t at = key + kVersionKey.size();
    for (size_t digits = 0; digits < kMaxVersionDigits && at < reply.size()
                            && reply[at] >= '0' && reply[at] <= '9';
         ++digits, ++at)
        result.version = result.version * 10 + (reply[at] - '0');
    while (at < reply.size() && !isLineBreak(reply[at]))
        ++at;
    while (at < reply.size() && isLineBreak(reply[at]))
        ++at;
    result.notes = decodeText(reply.substr(at));
    return result;
}

std::string releaseText(int version)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d.%02d", version / 10000, (version / 100) % 100,
                  version % 100);
    return text;
}

std::string updateOfferText(const UpdateReply& reply)
{
    return "Version " + releaseText(reply.version) + " is now available.\n\nRELEASE NOTES:\n"
           + reply.notes + "\n\nDownload now?";
}

} // namespace rz
