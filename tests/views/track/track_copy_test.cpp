#include "views/track/track_edit_copy.h"
#include "views/track/track_edit_props.h"

#include "core/midi_bytes.h"
#include "song/audio_clip.h"
#include "song/clipboard_edit.h"
#include "song/describe_song.h"
#include "song/play_images.h"
#include "song/fs.h"
#include "song/undo_record.h"
#include "views/track/track_columns.h"
#include "tests/views/files_in.h"
#include "tests/views/track/track_view_fixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace rz::test {
namespace {

CMidiEvent clipAt(int32_t tick, const std::filesystem::path& file)
{
    auto clip = std::make_unique<CAudioClip>();
    clip->fileName = file.string();
    clip->number = 3;
    CMidiEvent event;
    event.tick = tick;
    event.value2 = 240;
    event.SetClip(std::move(clip));
    return event;
}

TEST(TrackCopy, CellTextsAreWhatTheCellTakesBack)
{
    CTrack t;
    t.name = "Bass";
    t.playEnabled = 1;
    t.patch = 4;
    t.bank = 3 * 128 + 5;
    t.port = 2;
    t.channel = 9;
    t.key = -12;
    t.timeOffset = 2000;
    t.volume = 150;
    t.initialControllers[0] = 64; // pan
    t.initialControllers[1] = 100;
    const struct {
        int column;
        const char* text;
    } cases[] = {
        {kColumnTrack, "Bass"}, {kColumnIn, "1"},    {kColumnPatch, "5"},    {kColumnBank, "389"},
        {kColumnPort, "2"},     {kColumnChannel, "10"}, {kColumnKey, "-12"}, {kColumnTime, "2000"},
        {kColumnVolume, "100"}, {kColumnPan, "0"},   {kColumnReverb, "-1"},  {kColumnMix, "150"},
        {kColumnSize, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cellCopyText(t, c.column), c.text) << "column " << c.column;
}

// Times go to 1920 ticks per quarter in 64 bits; events and their data are
// the clipboard's own.
TEST(TrackCopy, RowsCopyEveryEventInClipboardTicks)
{
    struct Case {
        uint16_t timeBase;
        int32_t tick;
        int32_t length;
        int32_t copiedTick;
        int32_t copiedLength;
    };
    for (const Case c : {Case{96, 100, 50, 2000, 1000}, Case{480, 150'000'000, 480, 600'000'000, 1920}}) {
        TrackSongFixture f(3);
        f.song->timeBase = c.timeBase;
        f.track(2).events.push_back(note(c.tick, 60, 100, c.length));
        f.track(2).events.push_back(sysex(c.tick + 1, {0x7E, 0x7F, 0x09, 0x01, 0xF7}));
        f.track(2).events.back().selectionStamp = f.song->selectionStamp;
        f.track(2).name = "Lead";
        f.fixture.host.clipboardContent.kind = kClipboardEvents;
        f.fixture.host.clipboardContent.events.push_back(note(0, 1, 1, 1));

        ASSERT_EQ(copyTracks(*f.song, {2, 3}), TrackCopy::Copied);
        const AppClipboard& board = f.fixture.host.clipboardContent;
        EXPECT_EQ(board.kind, kClipboardTracks);
        EXPECT_TRUE(board.events.empty());
        ASSERT_EQ(board.tracks.size(), 2u);
        const CTrack& copy = *board.tracks[0];
        EXPECT_EQ(copy.name, "Lead");
        ASSERT_EQ(copy.events.size(), 2u);
        EXPECT_EQ(copy.events[0].tick, c.copiedTick);
        EXPECT_EQ(copy.events[0].value2, c.copiedLength);
        EXPECT_NE(copy.events[1].data.bytes().data(), f.track(2).events[1].data.bytes().data());
        EXPECT_TRUE(std::ranges::equal(copy.events[1].data.bytes(), f.track(2).events[1].data.bytes()));
        EXPECT_EQ(copy.events[1].selectionStamp, 0u);
    }
}

// In 32 bits the tick would wrap and the paste would land elsewhere.
TEST(TrackCopy, TracksBeyondClipboardTicksAreRefusedWithAnEmptyClipboard)
{
    TrackSongFixture f(2);
    f.song->timeBase = 96;
    f.track(1).events.push_back(note(0, 60, 100, 10));
    f.track(2).events.push_back(note(200'000'000, 60, 100, 10));
    f.fixture.host.clipboardContent.kind = kClipboardEvents;
    f.fixture.prompt.expectMessage(kTracksTooLong);
    EXPECT_EQ(copyTracks(*f.song, {1, 2}), TrackCopy::TooLong);
    EXPECT_EQ(f.fixture.host.clipboardContent.kind, 0u);
    EXPECT_TRUE(f.fixture.host.clipboardContent.tracks.empty());
}

TEST(TrackCopy, AClipsFileIsCopiedUnderANewName)
{
    TrackSongFixture f(1);
    TempDir songFolder;
    f.song->songFolder = songFolder.path();
    std::ofstream(songFolder.path() / "take.wav") << "RIFF";
    f.track(1).type = kWaveTrack;
    f.track(1).events.push_back(clipAt(0, "take.wav"));
    ASSERT_EQ(copyTracks(*f.song, {1}), TrackCopy::Copied);
    const CAudioClip* copied = f.fixture.host.clipboardContent.tracks.at(0)->events.at(0).clip();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->number, 3);
    EXPECT_NE(std::filesystem::path(copied->fileName), songFolder.path() / "take.wav");
    EXPECT_TRUE(std::filesystem::exists(copied->fileName));
    EXPECT_EQ(filesIn(f.work.path()), 1u);
}

// A copied track whose clip names no file would lose the audio at paste.
TEST(TrackCopy, AClipFileThatCannotBeCopiedLeavesAnEmptyClipboardAndNoNewFile)
{
    TrackSongFixture f(2);
    TempDir songFolder;
    f.song->songFolder = songFolder.path();
    std::ofstream(songFolder.path() / "a.wav") << "RIFF";
    f.track(1).type = kWaveTrack;
    f.track(1).events.push_back(clipAt(0, "a.wav"));
    f.track(2).type = kWaveTrack;
    f.track(2).events.push_back(clipAt(0, "missing.wav"));
    f.fixture.prompt.expectMessage(kFileCopyFailed);
    EXPECT_EQ(copyTracks(*f.song, {1, 2}), TrackCopy::FileFailed);
    EXPECT_EQ(f.fixture.host.clipboardContent.kind, 0u);
    EXPECT_TRUE(f.fixture.host.clipboardContent.tracks.empty());
    EXPECT_EQ(filesIn(f.work.path()), 0u);

    {
        ScopedFsFault full(FsStep::Copy, ENOSPC);
        f.fixture.prompt.expectMessage(kFileCopyFailed);
        EXPECT_EQ(copyTracks(*f.song, {1}), TrackCopy::FileFailed);
    }
    EXPECT_EQ(filesIn(f.work.path()), 0u);
}

// Two tracks on ports 1 and 2, the second playing, the first not.
struct PropsSong : TrackSongFixture {
    PropsSong() : TrackSongFixture(3)
    {
        track(1).port = 1;
        track(2).port = 2;
        track(1).playEnabled = 0;
        track(1).savedPlayEnabled = 0;
        track(1).timeOffset = 10;
        track(2).timeOffset = 10;
        RebuildPlayImages(*song, false);
    }
    std::string describe() { return DescribeSong(*song); }
};

TEST(TrackViewProps, MixedFieldsShowAsMixedAndOkUntouchedKeepsThem)
{
    PropsSong f;
    const std::string before = f.describe();
    f.dialogs.trackPropertiesAnswer = std::nullopt;
    ASSERT_TRUE(editTrackProperties(*f.song, {1, 2}));
    ASSERT_TRUE(f.dialogs.trackPreset.has_value());
    const TrackPropsParams preset = *f.dialogs.trackPreset;
    EXPECT_EQ(preset.port, -1);
    EXPECT_EQ(preset.playEnabled, 2);
    EXPECT_EQ(preset.timeText, "10");
    EXPECT_EQ(preset.name, "");

    f.dialogs.trackPropertiesAnswer = preset;
    ASSERT_TRUE(editTrackProperties(*f.song, {1, 2}));
    EXPECT_EQ(f.track(1).port, 1);
    EXPECT_EQ(f.track(2).port, 2);
    EXPECT_EQ(f.track(1).playEnabled, 0);
    EXPECT_EQ(f.track(2).playEnabled, 1);
    EXPECT_EQ(f.track(1).name, "T1");
    EXPECT_EQ(f.describe(), before);
}

TEST(TrackViewProps, TimeOffsetsWithinTheDialogsRangeApplyInOneStep)
{
    const struct {
        const char* typed;
        int32_t offset;
    } cases[] = {{"2000", 2000}, {"-4096", -4096}, {"5000", 10}, {"", 10}};
    for (const auto& c : cases) {
        PropsSong f;
        TrackPropsParams answer;
        answer.timeText = c.typed;
        answer.port = 5;
        f.dialogs.trackPropertiesAnswer = answer;
        const size_t steps = f.song->undoList.size();
        ASSERT_TRUE(editTrackProperties(*f.song, {1, 2}));
        EXPECT_EQ(f.track(1).timeOffset, c.offset) << c.typed;
        EXPECT_EQ(f.track(2).timeOffset, c.offset) << c.typed;
        EXPECT_EQ(f.track(2).port, 5);
        ASSERT_EQ(f.song->undoList.size(), steps + 1);
        EXPECT_EQ(f.song->undoList.back()->label, "Edit Track Properties");
        EXPECT_EQ(f.song->undoList.back()->flags, kUndoTrackProps | kUndoSelectTracks);
    }
}

TEST(TrackViewProps, CancelRelocatesAndChangesNothing)
{
    PropsSong f;
    const std::string before = f.describe();
    f.track(1).chased = 7; // a locate positions every track again
    f.dialogs.trackPropertiesAnswer = std::nullopt;
    ASSERT_TRUE(editTrackProperties(*f.song, {2}));
    EXPECT_NE(f.track(1).chased, 7) << "relocated";
    EXPECT_EQ(f.describe(), before);
    EXPECT_TRUE(f.song->undoList.empty());
}

TEST(TrackViewProps, APlayFlagSetInTheDialogReachesEveryTrack)
{
    PropsSong f;
    TrackPropsParams answer;
    answer.playEnabled = 1;
    f.dialogs.trackPropertiesAnswer = answer;
    ASSERT_TRUE(editTrackProperties(*f.song, {1, 2}));
    EXPECT_EQ(f.track(1).playEnabled, 1);
    EXPECT_EQ(f.track(2).playEnabled, 1);
    ASSERT_TRUE(f.song->Undo());
    EXPECT_EQ(f.track(1).playEnabled, 0);
}

TEST(TrackViewProps, WithoutTheDialogNothingRuns)
{
    PropsSong f;
    f.dialogs.missing.insert(EditDialog::TrackProperties);
    EXPECT_FALSE(editTrackProperties(*f.song, {1}));
    EXPECT_EQ(f.dialogs.log.count("trackProperties"), 0u);
}

} // namespace
} // namespace rz::test
