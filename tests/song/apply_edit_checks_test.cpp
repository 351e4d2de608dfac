#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "undo_fixture.h"

namespace rz::test {
namespace {

std::unique_ptr<CUndoRecord> trackRecord(std::vector<uint32_t> remove, std::vector<uint32_t> insert,
                                         int metaTracks = 0)
{
    auto r = std::make_unique<CUndoRecord>();
    r->flags = kUndoTrackList;
    r->label = "Tracks";
    r->tracks = std::make_unique<CTrackList>();
    r->tracks->sourceRows = std::move(remove);
    for (size_t i = 0; i < insert.size(); ++i) {
        auto track = std::make_unique<CTrack>();
        track->type = int(i) < metaTracks ? kMetaTrack : kMidiTrack;
        r->tracks->add(std::move(track));
    }
    r->tracks->targetRows = std::move(insert);
    return r;
}

std::unique_ptr<CUndoRecord> eventRecord(uint32_t track, CMidiEvent event)
{
    auto r = std::make_unique<CUndoRecord>();
    r->flags = kUndoEvents;
    r->label = "Paste";
    r->events = std::make_unique<CEventList>();
    r->events->sortKeys = {eventKey(track, kComputedPosition)};
    r->events->events.push_back(std::move(event));
    return r;
}

std::unique_ptr<CSongDoc> songWithUserTracks(UndoFixture& f, int count)
{
    auto song = f.newSong();
    for (int i = 0; i < count; ++i)
        addUserTrack(*song).name = "T" + std::to_string(i + 1);
    RebuildPlayImages(*song, false);
    return song;
}

struct TrackCountCase {
    const char* name;
    int userTracks;
    std::vector<uint32_t> remove;
    std::vector<uint32_t> insert;
    ApplyResult expected;
};

class ApplyEditChecksTrackCount : public ::testing::TestWithParam<TrackCountCase> {};

TEST_P(ApplyEditChecksTrackCount, CountsTheNetTracks)
{
    const TrackCountCase& c = GetParam();
    UndoFixture f;
    auto song = songWithUserTracks(f, c.userTracks);
    if (c.expected == ApplyResult::TooManyTracks)
        f.prompt.expectMessage("Sorry, you have reached the maximum of 250 tracks.");
    const std::string before = DescribeSong(*song);
    EXPECT_EQ(song->ApplyEdit(trackRecord(c.remove, c.insert)), c.expected);
    if (c.expected != ApplyResult::Applied) {
        EXPECT_SAME_SONG(before, DescribeSong(*song));
        EXPECT_TRUE(song->undoList.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ApplyEditChecksTrackCount,
    ::testing::Values(TrackCountCase{"Reach250", 249, {}, {1}, ApplyResult::Applied},
                      TrackCountCase{"Pass250", 250, {}, {1}, ApplyResult::TooManyTracks},
                      TrackCountCase{"ReplaceIn250", 250, {5}, {10}, ApplyResult::Applied},
                      TrackCountCase{"ReorderAll250", 250, {1, 2, 3}, {250, 250, 250},
                                     ApplyResult::Applied}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ApplyEditChecks, SecondMetaTrackIsRefused)
{
    UndoFixture f;
    auto song = songWithUserTracks(f, 2);
    song->tracks[1]->type = kMetaTrack;
    const std::string before = DescribeSong(*song);
    f.prompt.expectMessage("Only 1 meta track is permitted (if dragging, try cut & paste instead).");
    EXPECT_EQ(song->ApplyEdit(trackRecord({}, {3}, 1)), ApplyResult::SecondMetaTrack);
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(ApplyEditChecks, DraggingTheMetaTrackCountsItOnce)
{
    UndoFixture f;
    auto song = songWithUserTracks(f, 3);
    song->tracks[1]->type = kMetaTrack;
    auto r = std::make_unique<CUndoRecord>();
    r->flags = kUndoTrackList;
    r->tracks = std::make_unique<CTrackList>(false);
    r->tracks->sourceRows = {1};
    r->tracks->addBorrowed(song->tracks[1].get());
    r->tracks->targetRows = {4}; // after T3
    ASSERT_EQ(song->ApplyEdit(std::move(r)), ApplyResult::Applied);
    EXPECT_EQ(song->tracks[3]->type, kMetaTrack);
    ASSERT_TRUE(song->Undo());
    EXPECT_EQ(song->tracks[1]->type, kMetaTrack);
}

TEST(ApplyEditChecks, MissingTargetTrackIsRefused)
{
    UndoFixture f;
    auto song = f.smallSong();
    const std::string before = DescribeSong(*song);
    f.prompt.expectMessage("Sorry, target track(s) do not exist.");
    EXPECT_EQ(song->ApplyEdit(eventRecord(4, note(0, 60, 100, 10))), ApplyResult::MissingTargetTrack);
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(ApplyEditChecks, AudioAndMidiGoToTheirOwnTracks)
{
    UndoFixture f;
    auto song = f.smallSong();
    const std::string before = DescribeSong(*song);
    const char* text = "Please paste audio clips to audio tracks, and MIDI to MIDI tracks.";
    f.prompt.expectMessage(text);
    f.prompt.expectMessage(text);
    EXPECT_EQ(song->ApplyEdit(eventRecord(3, note(0, 60, 100, 10))), ApplyResult::AudioMidiMismatch);
    EXPECT_EQ(song->ApplyEdit(eventRecord(1, UndoFixture::clipEvent(0, "b.wav"))),
              ApplyResult::AudioMidiMismatch);
    ASSERT_EQ(f.prompt.prompts().size(), 2u);
    EXPECT_EQ(f.prompt.prompts()[0].icon, PromptIcon::Stop);
    EXPECT_SAME_SONG(before, DescribeSong(*song));
    EXPECT_EQ(song->ApplyEdit(eventRecord(3, UndoFixture::clipEvent(0, "b.wav"))), ApplyResult::Applied);
}

TEST(ApplyEditChecks, RecordOfferedWhilePlayingIsReleasedSilently)
{
    UndoFixture f;
    auto song = f.smallSong();
    const std::string before = DescribeSong(*song);
    f.engine.state = TransportState::Playing;
    EXPECT_EQ(song->ApplyEdit(eventRecord(1, note(0, 60, 100, 10))), ApplyResult::TransportRunning);
    EXPECT_TRUE(f.prompt.prompts().empty());
    EXPECT_TRUE(song->undoList.empty());
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

TEST(ApplyEditChecks, LockTimeoutChangesNothing)
{
    UndoFixture f;
    SongContext quick = f.undoContext();
    quick.lockWait = std::chrono::milliseconds(20);
    CSongDoc song(quick);
    song.InitNewSong();
    addUserTrack(song);
    ASSERT_EQ(song.ApplyEdit(eventRecord(1, note(0, 60, 100, 10))), ApplyResult::Applied);
    ASSERT_EQ(song.ApplyEdit(eventRecord(1, note(10, 62, 100, 10))), ApplyResult::Applied);
    ASSERT_TRUE(song.Undo());
    const std::string before = DescribeSong(song);

    ApplyResult applied = ApplyResult::Applied;
    bool undone = true;
    bool redone = true;
    std::thread holder([&] {
        LockGuard held(SongMutex(), "test");
        std::thread editor([&] {
            applied = song.ApplyEdit(eventRecord(1, note(20, 64, 100, 10)));
            undone = song.Undo();
            redone = song.Redo();
        });
        editor.join();
    });
    holder.join();
    EXPECT_EQ(applied, ApplyResult::LockTimeout);
    EXPECT_FALSE(undone);
    EXPECT_FALSE(redone);
    EXPECT_EQ(song.undoList.size(), 2u); // the redo record is kept
    EXPECT_EQ(song.undoPosition, std::prev(song.undoList.end()));
    EXPECT_SAME_SONG(before, DescribeSong(song));
}

TEST(ApplyEditChecks, MalformedRecordIsRefused)
{
    UndoFixture f;
    auto song = f.smallSong();
    const std::string before = DescribeSong(*song);
    auto r = std::make_unique<CUndoRecord>();
    r->flags = kUndoEvents;
    r->events = std::make_unique<CEventList>();
    r->events->sourceKeys = {eventKey(1, 3), eventKey(1, 2)}; // not ascending
    [[maybe_unused]] ApplyResult result = ApplyResult::Applied;
    EXPECT_DEBUG_DEATH(result = song->ApplyEdit(std::move(r)), "does not fit");
#ifdef NDEBUG
    EXPECT_EQ(result, ApplyResult::Malformed);
#endif
    EXPECT_SAME_SONG(before, DescribeSong(*song));
}

} // namespace
} // namespace rz::test
