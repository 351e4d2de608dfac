#pragma once

#include "core/profile.h"
#include "set/set_document.h"
#include "set/set_file.h"
#include "tests/song/smf_builder.h"
#include "tests/support/fake_engine_link.h"
#include "tests/support/fake_song_host.h"
#include "tests/support/scripted_edit_dialogs.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/temp_folder.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace rz {

// The main window as the set sees it: what it was told, in order.
class RecordingSetHost : public ISetDocumentHost {
public:
    std::vector<std::string> progress; // "Loading set... Song.mid"
    int ended = 0;
    bool locked = false;
    int lockCalls = 0;

    void showSetProgress(std::string_view prompt, std::string_view text) override
    {
        progress.push_back(std::string(prompt) + " " + std::string(text));
    }
    void endSetProgress() override { ++ended; }
    bool performanceLocked() const override { return locked; }
    void lockPerformance() override
    {
        locked = true;
        ++lockCalls;
    }
};

// A folder of its own under the system's temporary folder, removed afterwards.
class SetTempDir : public TempFolder {
public:
    SetTempDir() : TempFolder("rz_set_") {}
};

inline void writeBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> readBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A small Standard MIDI File: a conductor track and one note.
inline void writeSmallSong(const std::filesystem::path& path)
{
    test::TrackBuilder notes;
    notes.event(0, {0x90, 60, 100}).event(480, {0x80, 60, 0}).end();
    writeBytes(path, test::SmfBuilder().header(1, 2, 480).track(test::plainConductor()).track(notes).bytes());
}

inline SetFileEntry songEntry(std::string name, uint32_t depth = 0, bool disabled = false)
{
    return {depth, false, disabled, std::move(name)};
}

inline SetFileEntry folderEntry(std::string name, uint32_t depth = 0)
{
    return {depth, true, false, std::move(name)};
}

// A set document on fakes, with a set folder on the real file system.
struct SetFixture {
    MemoryProfile profile;
    ScriptedPrompt prompt;
    FakeSongHost host;
    FakeEngineLink engine;
    RecordingSetHost setHost;
    ScriptedEditDialogs editDialogs;
    SetTempDir folder;
    SetDocument set{SongContext{.profile = profile, .prompt = prompt, .host = host, .engine = engine,
                                .editDialogs = &editDialogs},
                    setHost};

    std::filesystem::path setPath() const { return folder.path() / "Show.set"; }

    void writeSet(const std::vector<SetFileEntry>& entries, bool lock = false)
    {
        writeBytes(setPath(), encodeSetFile(entries, lock));
    }

    // A new, loaded song of `lengthUs` at the end of the set.
    CSongDoc* add(double lengthUs = 0.0)
    {
        auto song = std::make_unique<CSongDoc>(set.songContext());
        song->InitNewSong();
        song->length = lengthUs;
        return set.AddSong(std::move(song));
    }

    // The tree as text: "A.mid [Encore: B.mid -C.mid] D.mid", "-" for a
    // disabled song, song items by file name.
    std::string shape() const
    {
        std::string text;
        int depth = 0;
        int previous = 0;
        const SetTree& tree = set.tree();
        for (const SetTreeItem* item = tree.GetNextItem(nullptr, depth); item && item != tree.statusItem();
             item = tree.GetNextItem(item, depth)) {
            for (; previous > depth; --previous)
                text += "]";
            previous = depth;
            if (!text.empty() && text.back() != '[')
                text += " ";
            if (item->kind == SetItemKind::Folder) {
                text += "[" + item->caption + ":" + (item->children.empty() ? "]" : "");
                continue;
            }
            text += (set.isDisabled(*item->song) ? "-" : "") + item->song->pathName.filename().string();
        }
        for (; previous > 0; --previous)
            text += "]";
        return text;
    }
};

} // namespace rz
