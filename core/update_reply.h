#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace rz {

// What the update server answered: the newest release as
// major x 10000 + minor x 100 + build, and its release notes as UTF-8.
struct UpdateReply {
    int version = 0;
    std::string notes;
};

// Reads "Version=" and up to 9 digits after it, then the notes after the
// first run of line breaks that follows. Nothing without "Version=". The
// reply is untrusted: only these two parts are used.
std::optional<UpdateReply> parseUpdateReply(std::string_view reply);

// "4.02.03" for 40203.
std::string releaseText(int version);

// The question that offers a newer release.
std::string updateOfferText(const UpdateReply& reply);

} // namespace rz
