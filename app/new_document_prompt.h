#pragma once

#include <filesystem>
#include <optional>

namespace rz {

// What File > New chose: 0 an empty set, 1 an empty song, 2 and up a song
// made from `templatePath` (a copy of the clipboard's song or a template),
// and where.
struct NewDocumentChoice {
    int kind = 0;
    std::filesystem::path path;
    bool addToSet = false;
    std::filesystem::path templatePath{};
};

// The New dialog as the application asks it. GUI thread.
class INewDocumentPrompt {
public:
    virtual ~INewDocumentPrompt() = default;
    // Nothing when the user cancelled. `forcedSong`: only a song will do.
    virtual std::optional<NewDocumentChoice> askNewDocument(bool forcedSong) = 0;
};

} // namespace rz
