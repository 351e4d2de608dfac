#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace rz {

// One entry of a set file, in depth-first tree order: a folder is followed
// by its contents.
struct SetFileEntry {
    uint32_t depth = 0;    // 0 the top level, 1 inside a top-level folder, ...
    bool folder = false;
    bool disabled = false; // songs only
    std::string name;      // bytes as stored: a folder's caption, a song's path

    bool operator==(const SetFileEntry&) const = default;
};

struct SetFileImage {
    std::vector<SetFileEntry> entries;
    bool performanceLock = false; // the performance button was locked at saving

    bool operator==(const SetFileImage&) const = default;
};

struct SetFileError {
    std::string reason; // with the place: "entry 12: name length 70000 exceeds the 31 bytes left"
};

// The version written; any is read.
inline constexpr uint16_t kSetFileVersion = 101;

// Reads a whole set file: the entry count, the version, the entries and the
// performance lock. Every length is checked against the bytes left before
// anything is kept. A negative count reads no entries; bytes after the lock
// are ignored.
std::variant<SetFileImage, SetFileError> decodeSetFile(std::span<const uint8_t> bytes);

std::vector<uint8_t> encodeSetFile(std::span<const SetFileEntry> entries, bool performanceLock);

} // namespace rz
