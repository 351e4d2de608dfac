#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// The message a second copy of the program hands to the running one:
// "restore:" and the file's absolute path (empty when none), ended by NUL.
// The bytes come from another process, so they are read as untrusted.
inline constexpr std::string_view kRestoreCommand = "restore";
// More bytes from one connection are dropped.
inline constexpr size_t kMaxHandOverBytes = 64 * 1024;

struct HandOverMessage {
    std::string command; // lower-cased ASCII
    std::string path;    // the bytes as sent: a Linux path need not be UTF-8

    bool operator==(const HandOverMessage&) const = default;
};

std::string formatHandOverMessage(std::string_view path);

// One message: the part before the first ':' is the command, lower-cased;
// the rest keeps its case. Without ':' the whole text is the command.
HandOverMessage splitHandOverMessage(std::string_view message);

// Every message in one connection's bytes (at most kMaxHandOverBytes are
// looked at): each ends at a NUL, the last also at the end of the bytes;
// empty ones are skipped.
std::vector<HandOverMessage> splitHandOverMessages(std::string_view bytes);

} // namespace rz
