#include "set_fixture.h"

#include "set/set_track_props.h"
#include "song/track_props.h"
#include "song/undo_record.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

struct SetPropsDlg : SetFixture, testing::Test {
    // A new song whose user tracks have these names and In flags.
    CSongDoc* songWith(const std::vector<std::pair<std::string, int>>& tracks)
    {
        CSongDoc* song = add();
        for (const auto& [name, in] : tracks) {
            auto track = std::make_unique<CTrack>();
            track->name = name;
            track->playEnabled = track->savedPlayEnabled = in;
            song->tracks.insert(song->tracks.end() - 1, std::move(track));
        }
        return song;
    }
    static CTrack& track(CSongDoc* song, size_t index) { return *song->tracks[index]; }
};

TEST_F(SetPropsDlg, NamesMeetIgnoringCaseInOrderWithTheirCount)
{
    songWith({{"Bass", 1}, {"drums", 1}});
    songWith({{"bass", 1}, {"Aux", 0}});
    const SetTrackProps props(set);
    EXPECT_EQ(props.rows(), (std::vector<SetTrackRow>{{"Aux", 0, 1}, {"Bass", 1, 2}, {"drums", 1, 1}}));
}

TEST_F(SetPropsDlg, AMixedInClickSetsEverySongWithOneStepEachAndASecondClears)
{
    CSongDoc* a = songWith({{"Bass", 1}, {"Keys", 1}});
    CSongDoc* b = songWith({{"bass", 0}});
    CSongDoc* c = songWith({{"Keys", 0}});
    SetTrackProps props(set);
    ASSERT_EQ(props.rows()[0], (SetTrackRow{"Bass", 2, 2}));
    props.toggleIn(0);
    EXPECT_EQ(props.rows()[0].in, 1);
    EXPECT_EQ(track(b, 1).playEnabled, 1);
    EXPECT_EQ(a->undoList.size(), 0u); // its Bass already played
    ASSERT_EQ(b->undoList.size(), 1u);
    EXPECT_EQ(b->undoList.back()->label, "Change Track Property");
    EXPECT_TRUE(c->undoList.empty());
    props.toggleIn(0);
    EXPECT_EQ(props.rows()[0].in, 0);
    EXPECT_EQ(track(a, 1).playEnabled, 0);
    EXPECT_EQ(track(b, 1).playEnabled, 0);
    EXPECT_EQ(a->undoList.size(), 1u);
    EXPECT_EQ(b->undoList.size(), 2u);
    EXPECT_EQ(track(a, 2).playEnabled, 1); // Keys untouched
}

TEST_F(SetPropsDlg, ATwoRowEditKeepsMixedFieldsPerTrack)
{
    CSongDoc* a = songWith({{"Bass", 1}, {"Keys", 1}});
    CSongDoc* b = songWith({{"Keys", 1}});
    track(a, 1).channel = 1;
    track(a, 2).channel = 2;
    track(b, 1).channel = 2;
    track(a, 1).patch = 33;
    track(a, 2).patch = 33;
    track(b, 1).patch = 33;
    SetTrackProps props(set);
    ASSERT_EQ(props.rows().size(), 2u);
    TrackPropsParams preset = props.presetFor({0, 1});
    EXPECT_EQ(preset.channel, TrackPropsParams{}.channel); // mixed
    EXPECT_EQ(preset.name, "");
    EXPECT_EQ(preset.patch, 33);
    preset.patch = 40;
    preset.timeText = "2000";
    props.apply({0, 1}, preset);
    EXPECT_EQ(track(a, 1).channel, 1);
    EXPECT_EQ(track(a, 2).channel, 2);
    for (CTrack* t : {&track(a, 1), &track(a, 2), &track(b, 1)}) {
        EXPECT_EQ(t->patch, 40);
        EXPECT_EQ(t->timeOffset, 2000);
    }
    EXPECT_EQ(track(a, 1).name, "Bass");
    EXPECT_EQ(a->undoList.size(), 1u);
    EXPECT_EQ(b->undoList.size(), 1u);
    // Beyond what the track view takes, the offset is left as it was.
    preset = props.presetFor({1});
    preset.timeText = "5000";
    props.apply({1}, preset);
    EXPECT_EQ(track(b, 1).timeOffset, 2000);
}

TEST_F(SetPropsDlg, AnUnloadedSongIsLeftOutAndCounted)
{
    writeSmallSong(folder.path() / "A.mid");
    writeSmallSong(folder.path() / "B.mid");
    writeSet({songEntry("A.mid"), songEntry("B.mid", 0, true)});
    ASSERT_TRUE(set.OnOpenDocument(setPath()));
    const SetTrackProps props(set);
    EXPECT_EQ(props.unloadedSongs(), 1);
    ASSERT_EQ(props.rows().size(), 1u);
    EXPECT_EQ(props.rows()[0].count, 1);
}

} // namespace
} // namespace rz
