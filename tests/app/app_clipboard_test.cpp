#include "app/app_clipboard.h"

#include "ui/command_router.h"
#include "app_test_fixture.h"
#include "song/audio_clip.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace rz {
namespace {

TEST(AppClipboard, CanPasteFollowsTheTransportTheModeAndWhatWasCopied)
{
    struct Case {
        const char* what;
        uint32_t kind;
        PasteState state;
        bool expected;
    };
    const PasteState song{.songCurrent = true};
    const PasteState setView{.setViewActive = true, .setViewHasSelection = true,
                             .setHasFile = true};
    const Case cases[] = {
        {"empty", 0, song, false},
        {"events with a song", 0x10, song, true},
        {"tracks without a song", 8, PasteState{}, false},
        {"events while playing", 0x10, {.stopped = false, .songCurrent = true}, false},
        {"events in performance mode", 0x10, {.performanceMode = true, .songCurrent = true}, false},
        {"a song into the set view", 1, setView, true},
        {"a song while the track view is active", 1,
         {.setViewHasSelection = true, .setHasFile = true, .songCurrent = true}, false},
        {"a song with nothing selected", 1, {.setViewActive = true, .setHasFile = true}, false},
        {"a song into an untitled set", 1, {.setViewActive = true, .setViewHasSelection = true},
         false},
        {"events without their paste dialog", 0x10, {.songCurrent = true, .songAccepts = false},
         false},
    };
    for (const Case& c : cases) {
        AppClipboard clipboard;
        clipboard.kind = c.kind;
        EXPECT_EQ(CanPaste(clipboard, c.state), c.expected) << c.what;
    }
}

// Copied clips own the wave files the copy made in the work folder; a clip
// naming a file anywhere else leaves that file alone.
TEST(AppClipboard, ClearingDeletesOnlyWaveFilesInsideTheWorkFolder)
{
    const std::filesystem::path root = std::filesystem::path(std::getenv("HOME")) / "clipboard";
    const std::filesystem::path work = root / "work";
    std::filesystem::create_directories(work);
    const std::filesystem::path inside = work / "take.wav";
    const std::filesystem::path outside = root / "song.wav";
    const std::filesystem::path sneaky = work / ".." / "song.wav";
    for (const auto& file : {inside, outside})
        std::ofstream(file) << "RIFF";

    AppClipboard clipboard;
    clipboard.kind = 8;
    clipboard.span = 1920;
    auto addClip = [](std::vector<CMidiEvent>& events, const std::filesystem::path& file) {
        CAudioClip clip;
        clip.fileName = file.string();
        CMidiEvent event;
        event.message = kAudioClipMessage;
        event.data.setClip(std::make_unique<CAudioClip>(clip));
        events.push_back(std::move(event));
    };
    auto track = std::make_unique<CTrack>();
    addClip(track->events, inside);
    addClip(track->events, sneaky);
    clipboard.tracks.push_back(std::move(track));
    addClip(clipboard.events, outside);

    ClearClipboard(clipboard, work);
    EXPECT_FALSE(std::filesystem::exists(inside));
    EXPECT_TRUE(std::filesystem::exists(outside));
    EXPECT_EQ(clipboard.kind, 0u);
    EXPECT_EQ(clipboard.span, 0);
    EXPECT_TRUE(clipboard.tracks.empty());
    EXPECT_TRUE(clipboard.events.empty());
    EXPECT_FALSE(isInsideFolder(work, work));
}

// Edit > Paste goes to the current song's paste; tempos need no dialog.
class AppClipboardPaste : public AppFixture {};

TEST_F(AppClipboardPaste, PasteReachesTheCurrentSong)
{
    constexpr CommandId kPaste = 57637;
    start();
    CSongDoc& song = addSong("A");
    app->SetCurrentSong(&song);
    EXPECT_FALSE(app->router().update(kPaste).enabled) << "empty clipboard";

    AppClipboard& clipboard = app->files().clipboard();
    clipboard.kind = kClipboardTempos;
    TempoEntry faster;
    faster.tempo = 400000;
    clipboard.tempos.push_back(faster);
    EXPECT_TRUE(app->router().execute(kPaste));
    ASSERT_FALSE(song.tempoMap.empty());
    EXPECT_EQ(song.tempoMap.front().tempo, 400000u);
    ASSERT_NE(song.GetUndoRecord(), nullptr);
    EXPECT_EQ(song.GetUndoRecord()->label, "Paste Tempos");

    clipboard.kind = kClipboardEvents;
    EXPECT_TRUE(app->router().update(kPaste).enabled) << "through the program's Paste Events dialog";
}

} // namespace
} // namespace rz
