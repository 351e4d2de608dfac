#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>
#include <unistd.h>

#include "core/profile.h"
#include "song/song_doc.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_set_link.h"
#include "tests/support/fake_song_host.h"
#include "tests/support/fake_track_rows.h"
#include "tests/support/scripted_prompt.h"

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
class TempDir {
public:
    TempDir()
    {
        static std::atomic<int> serial{0};
        m_path = std::filesystem::temp_directory_path()
                 / ("rz_song_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
        std::filesystem::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code error;
        std::filesystem::remove_all(m_path, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// Creates a small file.
inline void touchFile(const std::filesystem::path& path)
{
    std::ofstream(path) << "x";
}

} // namespace rz
