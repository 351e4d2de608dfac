#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/profile.h"
#include "song/song_doc.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_set_link.h"
#include "tests/support/fake_song_host.h"
#include "tests/support/fake_track_rows.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_folder.h"

namespace rz {

// The seams a song is built with, all fakes, and a song made from them.
struct SongFixture {
    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeSongHost host;
    FakeEngineLink engine;
    FakeSetLink setLink;
    FakeTrackRows trackRows;

    SongContext context()
    {
        return SongContext{.profile = profile,
                           .prompt = prompt,
                           .host = host,
                           .engine = engine,
                           .setLink = &setLink,
                           .trackRows = &trackRows};
    }
    std::unique_ptr<CSongDoc> newSong()
    {
        auto song = std::make_unique<CSongDoc>(context());
        song->InitNewSong();
        return song;
    }
};

// A folder of its own under the system's temporary folder, removed afterwards.
class TempDir : public TempFolder {
public:
    TempDir() : TempFolder("rz_song_") {}
};

// Creates a small file.
inline void touchFile(const std::filesystem::path& path)
{
    std::ofstream(path) << "x";
}

} // namespace rz
