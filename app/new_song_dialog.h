#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace rz {

// What File > New asks: a new set or song, its name and folder, the song's
// template and whether the song joins the open set file.
struct NewSongChoice {
    enum class Kind { Set, Song };
    Kind kind = Kind::Song;
    std::string name;
    std::filesystem::path location;
    std::filesystem::path templateFile; // empty: an empty song
    bool addToSet = false;
};

// The new-song dialog as File > New runs it; the program installs one.
// GUI thread.
class INewSongDialog {
public:
    virtual ~INewSongDialog() = default;
    // Nothing on Cancel.
    virtual std::optional<NewSongChoice> run() = 0;
};

} // namespace rz
