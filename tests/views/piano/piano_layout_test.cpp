#include "piano_rig.h"

#include "core/settings.h"
#include "song/play_images.h"
#include "views/piano/piano_layout.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

TEST(PianoLayout, RowsAndKeysMapBothWaysWithinTheKeyboard)
{
    const PianoLayout rows{.rowHeight = 10, .firstRow = 3, .noteTop = 40};
    EXPECT_EQ(rows.keyAtY(rows.yOfKey(108)), 108);
    EXPECT_EQ(rows.keyAtY(rows.yOfKey(21) + 9), 21);
    EXPECT_EQ(rows.yOfKey(105), 40) << "the first row is key 108 - 3";
    EXPECT_EQ(rows.keyAtY(rows.yOfKey(21) + 10), -1) << "below A0";
    EXPECT_EQ(rows.keyAtY(rows.yOfKey(108) - 1), -1) << "above C8";
    EXPECT_TRUE(PianoLayout::blackKey(61));
    EXPECT_FALSE(PianoLayout::blackKey(60));
}

TEST(PianoLayout, TheStripShowsNamesOnlyForOneKnownDrumTrackAtRowSixOrMore)
{
    PianoRig rig;
    const int drums = rig.addTrack();
    const int other = rig.addTrack();
    rig.track(drums).synth = 1;
    rig.track(drums).bank = 0;
    rig.track(drums).patch = 0;
    rig.track(drums).channel = 9;
    struct Case {
        std::vector<int> shown;
        int rowHeight;
        int32_t drumMask;
        int width;
    };
    const Case cases[] = {
        {{drums}, 6, 0, 120},
        {{drums}, 6, 1 << 9, 120},
        {{drums}, 6, 1 << 3, 24}, // the drum channels are others
        {{drums}, 4, 0, 24},
        {{drums, other}, 10, 0, 24},
        {{other}, 10, 0, 24},
    };
    for (const Case& c : cases) {
        rig.track(drums).drums = c.drumMask;
        EXPECT_EQ(PianoLayout::stripWidth(*rig.song, c.shown, c.rowHeight), c.width)
            << c.shown.size() << " tracks at " << c.rowHeight << ", mask " << c.drumMask;
    }
}

TEST(PianoLayout, ShownTracksAreSelectedMidiTracksWithRecordMarkedOnesFirst)
{
    PianoRig rig;
    const int a = rig.addTrack();
    const int b = rig.addTrack();
    const int wave = rig.addTrack();
    rig.addTrack();
    rig.fixture.trackRows.selected.erase(4);
    rig.track(wave).type = kWaveTrack;
    rig.track(b).recordArm = 1;
    EXPECT_EQ(PianoLayout::shownTracks(*rig.song, &rig.fixture.trackRows), (std::vector<int>{a, b}));
    rig.song->tracks.front()->recordArm = 1;
    EXPECT_EQ(PianoLayout::shownTracks(*rig.song, &rig.fixture.trackRows), (std::vector<int>{b, a}));
    EXPECT_TRUE(PianoLayout::shownTracks(*rig.song, nullptr).empty());
}

TEST(PianoLayout, RowZoomKeepsTheFirstRowAndNeverDividesByZero)
{
    using Zoom = PianoLayout::Zoom;
    const Zoom in = PianoLayout::zoomIn(Zoom{10, 20}, 400);
    EXPECT_EQ(in.rowHeight, 12);
    EXPECT_EQ(in.firstRow, 27);
    const Zoom back = PianoLayout::zoomOut(in, 400);
    EXPECT_EQ(back.rowHeight, 10);
    EXPECT_EQ(back.firstRow, 20) << "10 -> 12 -> 10 keeps the first row";
    EXPECT_EQ(PianoLayout::zoomOut(Zoom{3, 40}, 100).firstRow, 0) << "3 -> 2 resets it";
    EXPECT_EQ(PianoLayout::zoomOut(Zoom{2, 0}, 100).rowHeight, 2);
    EXPECT_EQ(PianoLayout::zoomIn(Zoom{12, 0}, 100).rowHeight, 12);
    // The keyboard exactly fits an 880-pixel plot at row 10: no correction.
    const Zoom fits = PianoLayout::zoomIn(Zoom{10, 0}, 880);
    EXPECT_EQ(fits.rowHeight, 12);
    EXPECT_EQ(fits.firstRow, 0);
    EXPECT_EQ(PianoLayout::zoomOut(Zoom{10, 0}, 880).firstRow, 0);
}

TEST(PianoLayout, TheStoredRowHeightReadsAsTenWhenItIsNoneOfTheSeven)
{
    MemoryProfile profile;
    EXPECT_EQ(readPianoZoom(profile), 10);
    for (int height : {2, 3, 4, 6, 8, 10, 12}) {
        writePianoZoom(profile, height);
        EXPECT_EQ(readPianoZoom(profile), height);
    }
    for (int stored : {0, 5, 14, -2}) {
        profile.writeInt("DisplayOptions", "PianoZoom", stored);
        EXPECT_EQ(readPianoZoom(profile), 10) << stored;
    }
}

TEST(PianoLayout, ANoteBegunInAnEarlierStretchIsListed)
{
    PianoRig rig;
    const int t = rig.addTrack();
    const int32_t stretch = 16 * 120;
    rig.track(t).events = {test::note(10, 60, 90, 3 * stretch), test::note(2 * stretch + 5, 62, 90, 10),
                           test::note(2 * stretch + 500, 64, 90, 10)};
    RebuildPlayImages(*rig.song, false);
    std::vector<size_t> visible;
    PianoLayout::visibleNotes(*rig.song, rig.track(t), 2 * stretch + 100, 2 * stretch + 400, visible);
    EXPECT_EQ(visible, (std::vector<size_t>{0})) << "sounding since the first stretch; the others lie outside";
    PianoLayout::visibleNotes(*rig.song, rig.track(t), 2 * stretch, 2 * stretch + 600, visible);
    EXPECT_EQ(visible, (std::vector<size_t>{0, 1, 2}));
}

TEST(PianoLayout, SubdivisionsThinOutAndTheGridIsAtLeastOneTick)
{
    EXPECT_EQ(PianoLayout::subdivisions(480, 240, 120, 400), 4);
    EXPECT_EQ(PianoLayout::subdivisions(480, 60, 120, 40), 4) << "16 thinned by 2 to spacing 10";
    EXPECT_EQ(PianoLayout::subdivisions(480, 1, 96, 100000), 480) << "a grid below one tick counts as one";
    EXPECT_EQ(PianoLayout::subdivisions(480, 240, 0, 100000), 480) << "no time base: a one-tick grid";
}

} // namespace
} // namespace rz
