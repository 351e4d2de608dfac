#pragma once

#include <filesystem>
#include <string>
#include <variant>

namespace rz {

class SetDocument;

// The New dialog's rows that need no template.
enum class NewDocumentKind { EmptySet = 0, EmptySong = 1 };

inline constexpr const char* kInvalidLocation = "The specified location is invalid or does not exist.";
inline constexpr const char* kCannotCreateFolder = "Sorry, unable to create a new folder at that location.";
inline constexpr const char* kTargetExists =
    "A file with that name already exists at that location!\nPlease choose another name or location.\n";

// Where the New dialog's choice goes: a set gets a folder of its own named
// after it ("<location>/<name>/<name>.set", the folder created), a song
// "<location>/<name>.mid". The name is made a valid file name first; a
// trailing separator of the location does not count. On failure the
// message, and nothing is created.
std::variant<std::filesystem::path, std::string> resolveNewTarget(int kind, std::string name,
                                                                  std::string location);

// Writes an empty set file at `path` and opens it as the set. The caller
// asked the open set's save questions.
bool createEmptySet(SetDocument& set, const std::filesystem::path& path);

} // namespace rz
