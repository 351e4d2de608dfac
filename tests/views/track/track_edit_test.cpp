#include "views/track/track_edit.h"

#include "song/undo_record.h"
#include "views/track/track_columns.h"
#include "tests/support/fake_midi_out.h"
#include "tests/views/track/track_view_fixture.h"

#include <gtest/gtest.h>

namespace rz::test {
namespace {

constexpr uint8_t kVolumeSlot = 1; // of the initial controllers
constexpr uint8_t kPanSlot = 0;

struct TrackEdit : testing::Test {
    TrackSongFixture f{5};

    std::string lastLabel() const
    {
        return f.song->undoList.empty() ? std::string() : f.song->undoList.back()->label;
    }
};

TEST_F(TrackEdit, TypedNumbersSetTheirColumnsWithinRange)
{
    const struct {
        int column;
        const char* text;
        bool applied;
        int32_t CTrack::*field;
        int32_t value;
    } kCases[] = {
        {kColumnChannel, "5", true, &CTrack::channel, 4},
        {kColumnChannel, "17", false, &CTrack::channel, 0},
        {kColumnChannel, "  12abc", true, &CTrack::channel, 11},
        {kColumnPort, "16", false, &CTrack::port, 0},
        {kColumnKey, "-12", true, &CTrack::key, -12},
        {kColumnTime, "2000", true, &CTrack::timeOffset, 2000},
        {kColumnTime, "5000", false, &CTrack::timeOffset, 0},
        {kColumnBank, "3/5", true, &CTrack::bank, 389},
        {kColumnBank, "-1", true, &CTrack::bank, -1},
        {kColumnBank, "127/200", false, &CTrack::bank, -1},
        {kColumnBank, "0/-5", false, &CTrack::bank, -1},
        {kColumnPatch, "0", true, &CTrack::patch, -1},
        {kColumnPatch, "1", true, &CTrack::patch, 0},
        {kColumnPatch, "128", true, &CTrack::patch, 127},
        {kColumnMix, "150", true, &CTrack::volume, 150},
        {kColumnMix, "99999999999", false, &CTrack::volume, 100},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.column << " \"" << c.text << "\"");
        TrackSongFixture t(3);
        if (c.field == &CTrack::patch)
            t.track(2).patch = 5;
        if (c.field == &CTrack::bank)
            t.track(2).bank = 7;
        const size_t before = t.song->undoList.size();
        const CellEdit result = InsertTrack(*t.song, 2, c.column, c.text, false);
        EXPECT_EQ(result, c.applied ? CellEdit::Applied : CellEdit::Ignored);
        EXPECT_EQ(t.song->undoList.size(), before + (c.applied ? 1 : 0));
        if (c.applied) {
            EXPECT_EQ(t.track(2).*c.field, c.value);
            EXPECT_EQ(t.song->undoList.back()->label, "Change Track Property");
            EXPECT_EQ(t.song->undoList.back()->flags, kUndoTrackProps);
        }
    }
}

TEST_F(TrackEdit, BanksOfAnMsbOnlySynthCountInWholeMsbs)
{
    f.track(1).technology |= 0x80;
    EXPECT_EQ(InsertTrack(*f.song, 1, kColumnBank, "200", false), CellEdit::Ignored);
    EXPECT_EQ(f.track(1).bank, -1);
    EXPECT_EQ(InsertTrack(*f.song, 1, kColumnBank, "3", false), CellEdit::Applied);
    EXPECT_EQ(f.track(1).bank, 384);
}

TEST_F(TrackEdit, PatchesOfASynthNumberingFromZero)
{
    f.track(1).technology |= 0x100;
    EXPECT_EQ(InsertTrack(*f.song, 1, kColumnPatch, "0", false), CellEdit::Applied);
    EXPECT_EQ(f.track(1).patch, 0);
    f.track(1).technology |= 0x100; // the edit looked the port's synthesizer up again
    EXPECT_EQ(InsertTrack(*f.song, 1, kColumnPatch, "128", false), CellEdit::Ignored)
        << "there is no patch 128";
}

TEST_F(TrackEdit, ANameOnTheStarRowInsertsATrack)
{
    const int last = f.count() - 1;
    EXPECT_EQ(InsertTrack(*f.song, last, kColumnTrack, " Strings", false), CellEdit::Applied);
    ASSERT_EQ(f.count(), last + 2);
    const CTrack& added = f.track(last);
    EXPECT_EQ(added.name, "Strings");
    EXPECT_EQ(added.bank, 0);
    EXPECT_EQ(added.patch, 0);
    EXPECT_EQ(added.initialControllers[kVolumeSlot], 100);
    EXPECT_EQ(added.initialControllers[kPanSlot], 64);
    EXPECT_EQ(lastLabel(), "Insert Track");
    EXPECT_EQ(f.song->undoList.back()->flags, kUndoTrackList);
    f.song->Undo();
    EXPECT_EQ(f.count(), last + 1);
}

TEST_F(TrackEdit, NamesKeepTheirBytesAndAreCutAt99)
{
    const std::string longName(120, 'x');
    EXPECT_EQ(InsertTrack(*f.song, 1, kColumnTrack, longName, false), CellEdit::Applied);
    EXPECT_EQ(f.track(1).name, std::string(99, 'x'));
    EXPECT_EQ(InsertTrack(*f.song, 1, kColumnTrack, "Caf\xc3\xa9", false), CellEdit::Applied);
    EXPECT_EQ(f.track(1).name, "Caf\xc3\xa9");
}

TEST_F(TrackEdit, RowsOutsideTheSongChangeNothing)
{
    for (int row : {-1, 0, f.count(), 250})
        EXPECT_EQ(InsertTrack(*f.song, row, kColumnChannel, "3", false), CellEdit::Ignored) << row;
    TrackSongFixture empty(0);
    EXPECT_EQ(InsertTrack(*empty.song, 1, kColumnTrack, "New", false), CellEdit::Applied)
        << "row 1 of a two-track song is the star row";
    EXPECT_EQ(empty.count(), 3);
}

TEST_F(TrackEdit, PlayingTheInAndMixCellsChangeLiveWithoutAnUndoStep)
{
    f.fixture.host.current = f.song.get();
    FakeMidiOut port;
    port.channels[0].unscaledVolume = 100;
    f.track(2).outputPort = &port;
    f.fixture.engine.state = TransportState::Playing;
    const size_t steps = f.song->undoList.size();

    EXPECT_EQ(InsertTrack(*f.song, 1, kColumnIn, "0", false), CellEdit::Live);
    EXPECT_EQ(f.track(1).playEnabled, 0);
    EXPECT_EQ(f.track(1).savedPlayEnabled, 0);
    EXPECT_EQ(f.fixture.engine.log.count("Play"), 1u);

    EXPECT_EQ(InsertTrack(*f.song, 2, kColumnMix, "50", false), CellEdit::Live);
    EXPECT_EQ(f.track(2).volume, 50);
    EXPECT_EQ(port.controllerValue(0, 7), 50) << "controller 7 scaled at once";
    EXPECT_EQ(f.fixture.engine.log.count("Play"), 2u);
    EXPECT_EQ(f.song->undoList.size(), steps);

    EXPECT_EQ(InsertTrack(*f.song, 2, kColumnChannel, "3", false), CellEdit::Refused);
    EXPECT_FALSE(CanEditCell(f.song.get(), 2, kColumnChannel, true, false));
    EXPECT_TRUE(CanEditCell(f.song.get(), 2, kColumnIn, true, false));
}

TEST_F(TrackEdit, InPerformanceModeOnlyInIsEditableAndChangesLive)
{
    f.fixture.host.current = f.song.get();
    const size_t steps = f.song->undoList.size();
    EXPECT_EQ(InsertTrack(*f.song, 3, kColumnIn, "0", true), CellEdit::Live);
    EXPECT_EQ(f.track(3).playEnabled, 0);
    EXPECT_EQ(f.fixture.engine.log.count("Stop"), 1u) << "one restart of the stopped song";
    EXPECT_EQ(f.song->undoList.size(), steps);
    for (int column = 0; column < kTrackColumnCount; ++column)
        EXPECT_EQ(CanEditCell(f.song.get(), 3, column, true, true), column == kColumnIn) << column;
}

TEST_F(TrackEdit, ASoloKeepsTheSavedPlayFlags)
{
    f.song->soloActive = true;
    f.track(1).savedPlayEnabled = 1;
    EXPECT_EQ(InsertTrack(*f.song, 1, kColumnIn, "0", false), CellEdit::Live);
    EXPECT_EQ(f.track(1).playEnabled, 0);
    EXPECT_EQ(f.track(1).savedPlayEnabled, 1);
}

TEST_F(TrackEdit, CellsEditableByKindAndRow)
{
    f.track(1).type = kWaveTrack;
    f.track(2).type = kMetaTrack;
    const int last = f.count() - 1;
    const struct {
        int row;
        int column;
        bool cellMode;
        bool editable;
    } kCases[] = {
        {3, kColumnChannel, true, true},  {3, kColumnChannel, false, false},
        {0, kColumnTrack, true, false},   {3, kColumnSize, true, false},
        {last, kColumnTrack, true, true}, {last, kColumnIn, true, false},
        {1, kColumnPan, true, true},      {1, kColumnPatch, true, false},
        {2, kColumnTrack, true, true},    {2, kColumnIn, true, false},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(CanEditCell(f.song.get(), c.row, c.column, c.cellMode, false), c.editable)
            << c.row << "/" << c.column;
    EXPECT_FALSE(CanEditCell(nullptr, 3, kColumnTrack, true, false));
}

TEST(TrackEditText, ReadsTheLeadingNumberAsPercentD)
{
    EXPECT_EQ(leadingNumber("42"), 42);
    EXPECT_EQ(leadingNumber(" -7x"), -7);
    EXPECT_EQ(leadingNumber("+3"), 3);
    EXPECT_EQ(leadingNumber("abc"), 0);
    EXPECT_EQ(leadingNumber("99999999999"), INT32_MAX);
    EXPECT_EQ(leadingNumber("-99999999999"), INT32_MIN);
    EXPECT_EQ(cellInput("   a b"), "a b");
}

} // namespace
} // namespace rz::test
