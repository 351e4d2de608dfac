#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "clipboard_fixture.h"
#include "song/clipboard_edit.h"
#include "song/fs.h"

namespace rz::test {
namespace {

using SongPtr = std::unique_ptr<CSongDoc>;

struct ClipboardRefusals : ClipboardFixture, testing::Test {
    // User tracks "T1".."Tn", each with one note at 480 * its number.
    SongPtr tracksSong(size_t count)
    {
        std::vector<std::string> names;
        for (size_t i = 1; i <= count; ++i)
            names.push_back("T" + std::to_string(i));
        SongPtr song = songAt(480, names);
        for (size_t t = 1; t <= count; ++t)
            song->tracks[t]->events = {note(int32_t(480 * t), 60, 90, 100, uint8_t(t - 1))};
        settle(*song);
        return song;
    }

    void copyAllEvents(size_t tracks)
    {
        SongPtr source = tracksSong(tracks);
        selectAll(*source);
        source->OnEditCopy();
        ASSERT_EQ(clipboard().events.size(), tracks);
    }

    static PasteEventsParams pasteEventsAt(int32_t first, PasteTarget target, int32_t copies = 1,
                                           int32_t second = 0)
    {
        return PasteEventsParams{first, second, copies, target, false};
    }

    size_t filesIn(const std::filesystem::path& folder)
    {
        size_t n = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
            ++n;
        return n;
    }
};

TEST_F(ClipboardRefusals, SourceTracksMissingInTheSongChangeNothing)
{
    copyAllEvents(3);
    SongPtr song = tracksSong(1);
    const std::string before = DescribeSong(*song);
    dialogs.pasteEventsAnswer = pasteEventsAt(0, PasteTarget::SourceTracks);
    prompt.expectMessage("Sorry, target track(s) do not exist.");

    song->OnEditPaste();
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST_F(ClipboardRefusals, CopiesCloserThanTheSpanAreRefused)
{
    copyAllEvents(2); // events from 480 to 1060: a span of 580 ticks
    SongPtr song = tracksSong(2);
    const std::string before = DescribeSong(*song);
    dialogs.pasteEventsAnswer = pasteEventsAt(0, PasteTarget::SourceTracks, 3, 500);
    prompt.expectMessage("The next copy must follow the first copy...");

    song->OnEditPaste();
    EXPECT_EQ(prompt.prompts().back().icon, PromptIcon::Stop);
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_SAME_SONG(before, DescribeSong(*song));

    dialogs.pasteEventsAnswer = pasteEventsAt(0, PasteTarget::SourceTracks, 3, 580);
    song->OnEditPaste();
    EXPECT_EQ(ticksOf(*song->tracks[1]), (std::vector<int32_t>{0, 480, 580, 1160}));
}

TEST_F(ClipboardRefusals, PasteControllersNeedsSelectedTracks)
{
    SongPtr source = songAt(480, {"Piano"});
    source->tracks[1]->events = {controller(0, 11, 10), controller(240, 11, 20), note(300, 60, 90, 10)};
    settle(*source);
    ++source->selectionStamp;
    source->selectionKind = kSelectEvents | kSelectControllerPoints;
    source->tracks[1]->events[0].selectionStamp = source->selectionStamp;
    source->tracks[1]->events[1].selectionStamp = source->selectionStamp;
    source->OnEditCopy();
    ASSERT_EQ(clipboard().kind, kClipboardControllers);

    SongPtr song = songAt(480, {"Strings"});
    song->tracks[1]->events = {controller(100, 11, 99), controller(200, 7, 99), controller(600, 11, 99)};
    settle(*song);
    const std::string before = DescribeSong(*song);
    prompt.expectMessage("Please select one or more tracks for pasting.");
    song->OnEditPaste();
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_SAME_SONG(before, DescribeSong(*song));

    // Selected, the track's CC11 from the position to the copy's end give way.
    trackRows.selected = {1};
    song->setPosition(100);
    song->OnEditPaste();
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(song->undoList.front()->label, "Paste Controllers");
    EXPECT_EQ(ticksOf(*song->tracks[1]), (std::vector<int32_t>{100, 200, 340, 600}));
    EXPECT_EQ(song->tracks[1]->events[0].data2(), 10);
    EXPECT_EQ(song->tracks[1]->events[1].data1(), 7);
}

TEST_F(ClipboardRefusals, SourcesBeyondTheSelectedRowsGoToTrackOne)
{
    copyAllEvents(3);
    SongPtr song = tracksSong(4);
    for (size_t t = 1; t <= 4; ++t)
        song->tracks[t]->events.clear();
    settle(*song);
    trackRows.selected = {2, 4};
    dialogs.pasteEventsAnswer = pasteEventsAt(0, PasteTarget::SelectedTracks);

    song->OnEditPaste();
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(ticksOf(*song->tracks[2]), std::vector<int32_t>{0});
    EXPECT_EQ(ticksOf(*song->tracks[4]), std::vector<int32_t>{480});
    EXPECT_EQ(ticksOf(*song->tracks[1]), std::vector<int32_t>{960});
    EXPECT_TRUE(song->tracks[3]->events.empty());
}

// The second clip's copy fails: the first copy is removed again, and song
// and clipboard stay as they were.
TEST_F(ClipboardRefusals, AClipFileThatCannotBeCopiedLeavesNoNewFile)
{
    TempDir songFolder;
    std::filesystem::create_directories(songFolder.path() / "WaveData");
    touchFile(songFolder.path() / "WaveData" / "a.wav");
    touchFile(songFolder.path() / "WaveData" / "b.wav");
    SongPtr song = songAt(480, {"Audio"});
    song->songFolder = songFolder.path();
    song->tracks[1]->type = kWaveTrack;
    song->tracks[1]->events.push_back(clipEvent(0, "WaveData\\a.wav", 2));
    song->tracks[1]->events.push_back(clipEvent(960, "WaveData\\b.wav"));
    settle(*song);
    selectAll(*song);
    song->selectionKind = kSelectAudioClip;
    const std::string before = DescribeSong(*song);

    {
        ScopedFsFault fault(FsStep::Copy, ENOSPC, 1);
        prompt.expectMessage(kFileCopyFailed);
        song->OnEditCopy();
    }
    EXPECT_EQ(clipboard().kind, 0u);
    EXPECT_EQ(filesIn(work.path()), 0u);

    song->OnEditCopy();
    ASSERT_EQ(clipboard().events.size(), 2u);
    EXPECT_EQ(filesIn(work.path()), 2u);
    const CAudioClip& copied = *clipboard().events[0].clip();
    EXPECT_FALSE(copied.loaded);
    EXPECT_EQ(copied.number, 2);
    EXPECT_TRUE(std::filesystem::exists(copied.fileName));

    dialogs.pasteEventsAnswer = pasteEventsAt(1920, PasteTarget::SourceTracks);
    {
        ScopedFsFault fault(FsStep::Copy, ENOSPC, 1);
        prompt.expectMessage(kFileCopyFailed);
        song->OnEditPaste();
    }
    EXPECT_EQ(filesIn(work.path()), 2u);
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_SAME_SONG(before, DescribeSong(*song));

    song->OnEditPaste();
    ASSERT_EQ(song->undoList.size(), 1u);
    EXPECT_EQ(filesIn(work.path()), 4u);
    EXPECT_EQ(song->tracks[1]->events.size(), 4u);
}

} // namespace
} // namespace rz::test
