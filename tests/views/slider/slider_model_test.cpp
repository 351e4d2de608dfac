#include "views/slider/slider_model.h"

#include "slider_rig.h"

#include "core/midi_bytes.h"
#include "song/undo_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace rz {
namespace {

constexpr uint32_t kExpression = 0x0BB0;
constexpr uint32_t kVolumeCc = 0x07B0;

TEST(SliderModel, AVolumeWhoseScaledValueExceeds127Sends127AndKeepsTheUnscaledValue)
{
    SliderSong s;
    const int t = s.addTrack(2);
    s.track(t).volume = 200;
    SliderModel model;
    model.rebuild(s.song.get(), kVolumeCc);
    model.setValue(0, 100);
    EXPECT_EQ(model.send(*s.song, 0), midi::controlChange(2, 7, 127));
    EXPECT_EQ(s.ports[0].wire, std::vector<uint32_t>{midi::controlChange(2, 7, 127)});
    EXPECT_EQ(s.ports[0].unscaledVolume(2), 100);

    s.track(t).volume = 50;
    model.setValue(0, 101);
    EXPECT_EQ(model.send(*s.song, 0), midi::controlChange(2, 7, 51)) << "101 x 50% rounds up";
}

TEST(SliderModel, GroupDragsMoveEveryFaderClampedTo0And127)
{
    struct Case {
        const char* name;
        FaderGroup group;
        int value;
        int step;
        std::vector<int> expected;
    };
    // Fader 0 moved from 10; the others stand at 120, 3 and unset.
    const Case cases[] = {
        {"alone", FaderGroup::None, 20, 10, {20, 120, 3, -1}},
        {"same step up", FaderGroup::SameStep, 20, 10, {20, 127, 13, -1}},
        {"same step down", FaderGroup::SameStep, 5, -5, {5, 115, 0, -1}},
        {"same value", FaderGroup::SameValue, 64, 54, {64, 64, 64, 64}},
        {"dragged past the top", FaderGroup::SameValue, 200, 190, {127, 127, 127, 127}},
    };
    for (const Case& c : cases) {
        SliderSong s;
        for (int channel = 0; channel < 4; ++channel)
            s.addTrack(channel);
        SliderModel model;
        model.rebuild(s.song.get(), kExpression);
        const int before[] = {10, 120, 3, SliderModel::kUnset};
        for (size_t i = 0; i < 4; ++i)
            model.setValue(i, before[i]);
        const std::vector<size_t> moved = model.drag(0, c.value, c.step, c.group);
        std::vector<int> values;
        for (size_t i = 0; i < 4; ++i)
            values.push_back(model.value(i));
        EXPECT_EQ(values, c.expected) << c.name;
        EXPECT_EQ(moved.front(), 0u) << c.name;
    }
}

TEST(SliderModel, TheConductorAndAudioTracksGetNoFader)
{
    SliderSong s;
    const int midi = s.addTrack(0);
    const int audio = s.addTrack(1);
    s.track(audio).type = kWaveTrack;
    const int second = s.addTrack(3);
    s.fixture.trackRows.selected.insert(0);
    SliderModel model;
    EXPECT_TRUE(model.rebuild(s.song.get(), kExpression));
    EXPECT_EQ(model.rows(), (std::vector<int>{midi, second}));
    EXPECT_EQ(model.messages(), (std::vector<uint32_t>{0x0BB0, 0x0BB3}));
}

// The faders are kept while the rows and choice are, but a channel changed
// meanwhile is sent on at once.
TEST(SliderModel, ARebuildWithTheSameRowsKeepsTheFadersButTakesANewChannel)
{
    SliderSong s;
    const int t = s.addTrack(0);
    SliderModel model;
    ASSERT_TRUE(model.rebuild(s.song.get(), kExpression));
    model.setValue(0, 90);
    s.track(t).channel = 5;
    EXPECT_FALSE(model.rebuild(s.song.get(), kExpression));
    EXPECT_EQ(model.value(0), 90);
    EXPECT_EQ(model.send(*s.song, 0), midi::controlChange(5, 11, 90));
    EXPECT_TRUE(model.rebuild(s.song.get(), kVolumeCc)) << "another choice";
    EXPECT_EQ(model.value(0), SliderModel::kUnset);
    EXPECT_TRUE(model.rebuild(nullptr, kVolumeCc));
    EXPECT_EQ(model.size(), 0u);
}

TEST(SliderModel, APitchBendSentAsE00040ReadsBack64)
{
    SliderSong s;
    s.addTrack(1);
    SliderModel model;
    model.rebuild(s.song.get(), midi::kPitchBend);
    model.setValue(0, 64);
    EXPECT_EQ(model.send(*s.song, 0), 0x4000E1u);
    EXPECT_EQ(s.ports[0].pitchBend(1), 8192);
    model.setValue(0, 3);
    EXPECT_EQ(model.refresh(*s.song, size_t(-1)), std::vector<size_t>{0});
    EXPECT_EQ(model.value(0), 64);
}

TEST(SliderModel, RefreshTakesThePortsValuesAndLeavesUnsetPortsAndTheDraggedFaderAlone)
{
    SliderSong s;
    s.addTrack(0);
    s.addTrack(1);
    s.addTrack(2, -1);
    SliderModel model;
    model.rebuild(s.song.get(), kVolumeCc);
    s.ports[0].setUnscaledVolume(0, 77);
    s.ports[0].setUnscaledVolume(1, 33);
    model.setValue(1, 50);
    EXPECT_EQ(model.refresh(*s.song, 1), std::vector<size_t>{0});
    EXPECT_EQ(model.value(0), 77);
    EXPECT_EQ(model.value(1), 50) << "being dragged";
    EXPECT_EQ(model.value(2), SliderModel::kUnset) << "no port";
    s.ports[0].channels[1].unscaledVolume = -1;
    model.refresh(*s.song, size_t(-1));
    EXPECT_EQ(model.value(1), 50) << "an unset cache moves nothing";
}

TEST(SliderModel, ASnapshotReplacesTheSameControllerAtThePositionOnlyAndIsOneUndoStep)
{
    SliderSong s;
    const int a = s.addTrack(0);
    const int silent = s.addTrack(1, -1);
    const int b = s.addTrack(2, 1);
    s.track(a).events = {test::controller(480, 11, 5), test::controller(960, 11, 6), test::controller(960, 7, 7),
                         test::controller(1440, 11, 8)};
    s.track(b).events = {test::controller(960, 11, 9, 3)};
    s.song->setPosition(960);
    RebuildPlayImages(*s.song, false);
    s.song->ExtendMeasureMap();
    const std::string before = DescribeSong(*s.song);
    SliderModel model;
    model.rebuild(s.song.get(), kExpression);
    model.setValue(0, 100);
    model.setValue(1, 50);
    model.setValue(2, 20);

    ASSERT_EQ(s.song->ApplyEdit(model.snapshotRecord(*s.song)), ApplyResult::Applied);
    auto messagesOf = [&](int t) {
        std::vector<std::pair<int32_t, uint32_t>> out;
        for (const CMidiEvent& e : s.track(t).events)
            out.emplace_back(e.tick, e.message);
        return out;
    };
    using Events = std::vector<std::pair<int32_t, uint32_t>>;
    EXPECT_EQ(messagesOf(a), (Events{{480, midi::controlChange(0, 11, 5)},
                                     {960, midi::controlChange(0, 7, 7)},
                                     {960, midi::controlChange(0, 11, 100)},
                                     {1440, midi::controlChange(0, 11, 8)}}));
    EXPECT_TRUE(s.track(silent).events.empty());
    EXPECT_EQ(messagesOf(b), (Events{{960, midi::controlChange(3, 11, 9)}, {960, midi::controlChange(2, 11, 20)}}))
        << "another channel is another controller";
    ASSERT_EQ(s.song->undoList.size(), 1u);
    EXPECT_EQ(s.song->undoList.back()->label, "Slider snapshot");
    ASSERT_TRUE(s.song->Undo());
    EXPECT_EQ(firstDifference(DescribeSong(*s.song), before), "");
}

TEST(SliderModel, ASnapshotOfUnsetFadersOrPortlessTracksWritesNothing)
{
    SliderSong s;
    s.addTrack(0);
    s.addTrack(1, -1);
    SliderModel model;
    model.rebuild(s.song.get(), kExpression);
    model.setValue(1, 40);
    EXPECT_EQ(model.snapshotRecord(*s.song), nullptr);
}

TEST(SliderModel, TheChoiceReadsBackOrFallsBackToExpressionAndIsNamed)
{
    EXPECT_EQ(slider_choice::fromStored(0x07B0), 0x07B0u);
    EXPECT_EQ(slider_choice::fromStored(0xD0), 0xD0u);
    EXPECT_EQ(slider_choice::fromStored(0xE0), 0xE0u);
    for (const int64_t bad : {0x0, 0x90, 0x07B1, 0x80B0, 0xE1, -1, 0x10000B0})
        EXPECT_EQ(slider_choice::fromStored(bad), 0x0BB0u) << bad;
    EXPECT_EQ(slider_choice::name(0x01B0), "Mod wheel (1)");
    EXPECT_EQ(slider_choice::name(0x61B0), "Aftertouch (97)");
    EXPECT_EQ(slider_choice::name(0x4AB0), "Controller 74");
    EXPECT_EQ(slider_choice::name(0xD0), "Pressure");
    EXPECT_EQ(slider_choice::name(0xE0), "Pitch wheel");
}

} // namespace
} // namespace rz
