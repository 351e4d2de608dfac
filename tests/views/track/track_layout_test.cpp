#include "views/track/track_cell_text.h"
#include "views/track/track_columns.h"
#include "views/track/track_mix.h"
#include "views/track/track_row_layout.h"

#include "core/profile.h"
#include "song/track.h"
#include "tests/support/fake_synth_lookup.h"

#include <gtest/gtest.h>

#include <string>

namespace rz {
namespace {

TEST(TrackViewLayout, RowsFollowTheHeaderAndRowZooms)
{
    const struct {
        int fZoom, yZoom;
        int header, row, number, font;
    } kCases[] = {
        {2, 2, 18, 14, 30, -12},
        {0, 10, 11, 44, 18, -8},
        {-5, 99, 11, 44, 18, -8}, // clamped into the table
        {7, 0, 36, 8, 18, -8},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.fZoom << "/" << c.yZoom);
        const TrackRowLayout layout = TrackRowLayout::make(c.fZoom, c.yZoom);
        EXPECT_EQ(layout.headerHeight, c.header);
        EXPECT_EQ(layout.rowHeight, c.row);
        EXPECT_EQ(layout.numberWidth, c.number);
        EXPECT_EQ(layout.fontHeight, c.font);
    }
}

TEST(TrackViewLayout, RowsStartBelowTheRulerGap)
{
    const TrackRowLayout layout = TrackRowLayout::make(2, 2);
    EXPECT_EQ(layout.rowTop(1, 0), 18 + 17);
    EXPECT_EQ(layout.rowTop(5, 3), 18 + 17 + 14);
    EXPECT_EQ(layout.rowAt(18 + 17, 0), 1);
    EXPECT_EQ(layout.rowAt(18 + 17 + 14 * 2 + 13, 3), 6);
    EXPECT_LE(layout.rowAt(20, 0), 0) << "the gap is above the rows";
    EXPECT_EQ(layout.visibleRows(18 + 17 + 14 * 3 + 5), 3);
}

TEST(TrackViewLayout, ColumnOrderTakesOnlyAPermutation)
{
    const struct {
        const char* name;
        std::string stored;
        bool taken;
    } kCases[] = {
        {"reversed", "onmlkjihgfedcba", true},
        {"fifteen a", std::string(15, 'a'), false},
        {"sum 105 with a sixteenth column", "abcdefghijklmmp", false},
        {"short", "abc", false},
        {"empty", "", false},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        MemoryProfile profile;
        profile.writeString("TrackView", "ColumnOrder", c.stored);
        TrackColumns columns;
        columns.read(profile);
        EXPECT_EQ(columns.columnAt(0), c.taken ? kColumnMix : kColumnTrack);
        EXPECT_EQ(columns.columnAt(14), c.taken ? kColumnTrack : kColumnMix);
    }
}

TEST(TrackViewLayout, AShortColumnWidthChangesOnlyTheLeadingColumns)
{
    MemoryProfile profile;
    profile.writeString("TrackView", "ColumnWidth", std::string("\x19\x01", 2)); // 25, 1
    TrackColumns columns;
    columns.read(profile);
    EXPECT_EQ(columns.baseWidth(kColumnTrack), 50);
    EXPECT_EQ(columns.baseWidth(kColumnIn), 4) << "a code below 2 is clamped";
    EXPECT_EQ(columns.baseWidth(kColumnPatch), 100);
    EXPECT_EQ(columns.baseWidth(kColumnMix), 100);
    EXPECT_EQ(columns.pixelWidth(kColumnTrack, 0), 63 * 50 / 100);
}

TEST(TrackViewLayout, WidthsRoundTripThroughTheProfileUpTo510)
{
    MemoryProfile profile;
    TrackColumns columns;
    columns.setBaseWidth(kColumnTrack, 600);
    columns.setBaseWidth(kColumnMix, 300);
    columns.setBaseWidth(kColumnIn, 1);
    columns.write(profile);
    TrackColumns back;
    back.read(profile);
    EXPECT_EQ(back.baseWidth(kColumnTrack), 510);
    EXPECT_EQ(back.baseWidth(kColumnMix), 300);
    EXPECT_EQ(back.baseWidth(kColumnIn), 4);
    EXPECT_EQ(back.baseWidth(kColumnBank), 40);
}

TEST(TrackViewLayout, PerformanceModeShowsInFirstAndKeepsTheUsersOrder)
{
    MemoryProfile profile;
    TrackColumns columns;
    ASSERT_TRUE(columns.moveColumn(14, 0)); // mix first
    const TrackColumns::Order user = columns.order();
    columns.enterPerformanceMode();
    EXPECT_EQ(columns.columnAt(0), kColumnIn);
    EXPECT_EQ(columns.columnAt(1), kColumnMix);
    EXPECT_EQ(columns.columnAt(2), kColumnTrack);
    EXPECT_FALSE(columns.moveColumn(3, 0)) << "no column drags while performing";
    columns.write(profile); // a close in performance mode
    EXPECT_EQ(profile.readString("TrackView", "ColumnOrder", ""), TrackColumns::encodeOrder(user));
    columns.leavePerformanceMode();
    EXPECT_EQ(columns.order(), user);
}

TEST(TrackViewLayout, MixColourRunsFromBlackThroughYellowToRed)
{
    EXPECT_EQ(track_mix::grooveColor(150), makeColor(239, 128, 33));
    EXPECT_EQ(track_mix::grooveColor(0), makeColor(0, 0, 0));
    EXPECT_EQ(track_mix::grooveColor(100), makeColor(239, 231, 49));
    EXPECT_EQ(track_mix::grooveColor(200), makeColor(239, 24, 16));
    EXPECT_EQ(track_mix::grooveColor(201), Color(0x808080));
}

TEST(TrackCellText, ShowsEachColumnByTheTracksKind)
{
    CTrack midi;
    midi.name = "Bass";
    midi.patch = 32;
    midi.bank = 389;
    midi.channel = 9;
    midi.synth = 3;
    midi.initialControllers[0] = 70; // pan
    midi.initialControllers[1] = 90; // volume
    CTrack wave;
    wave.type = kWaveTrack;
    CTrack meta;
    meta.type = kMetaTrack;
    FakeSynthLookup synths;
    synths.patchNames[{3, 389, 32}] = "Finger";
    synths.bankNames[{3, 389}] = "Var";
    const struct {
        const CTrack* track;
        int column;
        const char* text;
    } kCases[] = {
        {&midi, kColumnTrack, "Bass"},     {&midi, kColumnPatch, "Finger (33)"},
        {&midi, kColumnBank, "Var: 389 (3/5)"}, {&midi, kColumnChannel, "10"},
        {&midi, kColumnPan, "6"},          {&midi, kColumnVolume, "90"},
        {&midi, kColumnReverb, ""},        {&midi, kColumnSize, "0"},
        {&wave, kColumnPatch, "<waveform>"}, {&wave, kColumnChannel, ""},
        {&wave, kColumnPort, "0"},         {&meta, kColumnPatch, "<meta>"},
        {&meta, kColumnPort, ""},          {&meta, kColumnMix, ""},
    };
    for (const auto& c : kCases)
        EXPECT_EQ(GetCellText(*c.track, c.column, &synths).text, c.text) << c.column;
    EXPECT_EQ(GetCellText(midi, kColumnPatch, nullptr).text, "33");
    EXPECT_EQ(GetCellText(midi, kColumnTrack, nullptr).align, TextAlign::Left);
    EXPECT_EQ(GetCellText(midi, kColumnChannel, nullptr).align, TextAlign::Right);
}

TEST(TrackCellText, DrumChannelsAndSynthNumberingChangeTheNames)
{
    CTrack track;
    track.synth = 1;
    track.patch = 0;
    track.bank = 256;
    track.drums = 1 << 9;
    track.channel = 9;
    track.technology = 0x180; // banks by MSB, patches from 0
    FakeSynthLookup synths;
    synths.patchNames[{1, 256, 0}] = "Piano";
    synths.drumsetNames[{1, 256, 0}] = "Standard";
    EXPECT_EQ(GetCellText(track, kColumnPatch, &synths).text, "Standard (0)");
    EXPECT_EQ(GetCellText(track, kColumnBank, nullptr).text, "2");
}

} // namespace
} // namespace rz
