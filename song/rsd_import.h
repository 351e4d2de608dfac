#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace rz {

class CSongDoc;

// Imports an ".rsd" document (fixed-size records of notes, tempos, meters,
// program and control changes at 120 ticks per quarter note) into an empty
// song: one track per channel, format 1, maps filled, images built. The
// title comes from the ".rsc" companion of the song's path when that can be
// read. A truncated last record ends the import. False, with a reason, only
// when the song would break a limit (measures, events per track). GUI thread.
bool ImportRsd(CSongDoc& song, std::span<const uint8_t> bytes, std::string& reason);

// The title an ".rsc" companion holds: the text at byte 16 (at most 67
// bytes, zero-terminated), trailing blanks removed. Nothing when the file is
// missing or shorter than 124 bytes.
std::optional<std::string> readRscTitle(const std::filesystem::path& rsdPath);

} // namespace rz
