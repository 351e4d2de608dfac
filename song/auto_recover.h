#pragma once

#include <filesystem>

namespace rz {

// The one name of a song's AutoRecover copy: ".sav" appended to the whole file
// name ("x.mid" -> "x.mid.sav"), so songs that differ only in extension keep
// copies of their own.
std::filesystem::path AutoRecoverPath(const std::filesystem::path& songPath);

// Whether the song has an AutoRecover copy: a plain file of that name. A
// name with a NUL byte has none (the system would see a shorter name).
bool hasAutoRecoverCopy(const std::filesystem::path& songPath);

// Deletes the song's AutoRecover copy, and only a plain file of that name;
// a missing copy is fine. False when a copy exists and could not be deleted.
bool deleteAutoRecoverCopy(const std::filesystem::path& songPath);

} // namespace rz
