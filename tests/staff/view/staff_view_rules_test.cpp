#include "tests/staff/view/staff_rig.h"

#include "core/midi_bytes.h"
#include "res/command_ids.h"
#include "song/undo_record.h"
#include "ui/bitmap_push_button.h"
#include "ui/in_place_edit.h"
#include "ui/zoom_scroll_bar.h"

#include <gtest/gtest.h>

#include <optional>

namespace rz {
namespace {

using test::StaffRig;

TEST(StaffViewRules, ATempoChangeRepaintsUntilMeasuresWereAppended)
{
    StaffRig rig(8);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open();
    const int built = view.rebuildCount();
    view.songUpdate(kUndoTempo);
    view.songUpdate(kUndoTrackProps);
    EXPECT_EQ(view.rebuildCount(), built);
    ExtendMeasureMap(rig.song->measureMap, rig.startOf(7) + 4 * 1920);
    rig.song->measureMap.resize(12);
    view.songUpdate(kUndoTempo);
    EXPECT_EQ(view.rebuildCount(), built + 1);
    EXPECT_EQ(view.model().measures.size(), 12u);
    view.songUpdate(kUndoEvents);
    EXPECT_EQ(view.rebuildCount(), built + 2);
}

// A zoom step stored out of range reads as the nearest end; the buttons
// and commands stop at the ends.
TEST(StaffViewRules, ZoomStepsGiveTheSizeTableAndTheRightButtons)
{
    struct Case {
        bool leadSheet;
        int stored;
        int staffSize;
        bool zoomIn;
        bool zoomOut;
    };
    const Case cases[] = {
        {false, 0, 20, true, false},
        {false, 9, 56, false, true},
        {false, 12, 56, false, true},
        {true, -3, 20, true, false},
        {true, 4, 36, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << (c.leadSheet ? " lead" : " score"));
        StaffRig rig(4);
        rig.addTrack();
        rig.fixture.profile.writeInt(c.leadSheet ? "LeadView" : "StaffView", "ZoomY", c.stored);
        StaffView& view = rig.open(c.leadSheet);
        EXPECT_EQ(view.metrics().staffSize, c.staffSize);
        EXPECT_EQ(view.verticalBar()->zoomInButton()->isEnabled(), c.zoomIn);
        EXPECT_EQ(view.verticalBar()->zoomOutButton()->isEnabled(), c.zoomOut);
        CmdUi in, out;
        view.CommandTable<StaffView>::update(kIdZoomInControllerScale, in);
        view.CommandTable<StaffView>::update(kIdZoomOutControllerScale, out);
        EXPECT_EQ(in.enabled, c.zoomIn);
        EXPECT_EQ(out.enabled, c.zoomOut);
        // Even a command sent past the end stays in the table.
        view.handle(kIdZoomInControllerScale);
        view.handle(kIdZoomInControllerScale);
        view.songUpdate(0);
        EXPECT_LE(view.zoomY(), 9);
        EXPECT_EQ(rig.fixture.profile.readInt(c.leadSheet ? "LeadView" : "StaffView", "ZoomY", -1),
                  view.zoomY());
        EXPECT_LE(view.metrics().staffSize, 56);
    }
}

TEST(StaffViewRules, StaffOptionsRebuildsWhateverTheAnswer)
{
    StaffRig rig(4);
    rig.addTrack();
    StaffView& view = rig.open();
    const int built = view.rebuildCount();
    EXPECT_TRUE(view.handle(kIdStaffOptions));
    EXPECT_EQ(rig.optionsOpened, 1);
    EXPECT_EQ(view.rebuildCount(), built + 1);
}

TEST(StaffViewRules, TearingOffStartsTheModesFrameTimer)
{
    for (const bool lead : {false, true}) {
        StaffRig rig(4);
        rig.addTrack();
        StaffView& view = rig.open(lead);
        EXPECT_TRUE(view.handle(kIdSpawnTopLevelWindow));
        ASSERT_EQ(rig.timers.size(), 1u);
        EXPECT_EQ(rig.timers[0], std::make_pair(lead ? 21 : 20, 100));
    }
}

// The lyric texts of a track: (meta type, text) in order.
std::vector<std::pair<int, std::string>> lyricsOf(const CTrack& track)
{
    std::vector<std::pair<int, std::string>> out;
    for (const CMidiEvent& event : track.events) {
        if (!event.isMeta() || (event.data1() != midi::kMetaText && event.data1() != midi::kMetaLyric))
            continue;
        const auto bytes = event.data.bytes();
        out.push_back({event.data1(), std::string(bytes.begin(), bytes.end())});
    }
    return out;
}

TEST(StaffViewRules, TheLyricCommitMakesOneEditLyricRecordOrNone)
{
    using Lyrics = std::vector<std::pair<int, std::string>>;
    struct Case {
        const char* name;
        std::optional<std::string> old; // a lyric at the position
        bool karaoke;
        std::string typed;
        uint32_t key;
        Lyrics expected;
        bool record;
    };
    const uint32_t enter = InPlaceEdit::kVkReturn;
    const Case cases[] = {
        {"escape", "la", false, "lo", InPlaceEdit::kVkEscape, {{5, "la"}}, false},
        {"unchanged", "la", false, "la", enter, {{5, "la"}}, false},
        {"emptied", "la", false, "", enter, {}, true},
        {"leading blanks", "la", false, "   lo", enter, {{5, "lo"}}, true},
        {"new on karaoke", std::nullopt, true, "hey", enter, {{1, "hey"}}, true},
        {"new lyric", std::nullopt, false, "hey", enter, {{5, "hey"}}, true},
        {"blanks only", std::nullopt, false, "   ", enter, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StaffRig rig(4);
        const int number = rig.addTrack();
        rig.track(number).events.push_back(test::note(0, 60, 90, 400));
        if (c.old)
            rig.track(number).events.push_back(test::textEvent(480, *c.old, midi::kMetaLyric));
        rig.song->karaoke = c.karaoke;
        rig.song->setPosition(480);
        StaffView& view = rig.open();
        const size_t records = rig.song->undoList.size();
        view.openLyricEdit(0, 0);
        ASSERT_TRUE(view.lyricEditOpen());
        EXPECT_EQ(view.lyricEditor().text().toStdString(), c.old.value_or(""));
        view.lyricEditor().setText(QString::fromStdString(c.typed));
        view.commitLyricEdit(c.key);
        EXPECT_FALSE(view.lyricEditOpen());
        EXPECT_FALSE(view.lyricEditor().isVisible());
        EXPECT_EQ(lyricsOf(rig.track(number)), c.expected);
        EXPECT_EQ(rig.song->undoList.size(), records + (c.record ? 1 : 0));
        if (c.record) {
            EXPECT_EQ(rig.song->undoList.back()->label, "Edit Lyric");
        }
    }
}

// With "Grid" on the step is the frame's note length, else a beat; back
// from a bar line the previous measure's beat.
TEST(StaffViewRules, TheLyricEditorStepsToItsNeighbours)
{
    struct Case {
        bool grid;
        int32_t from;
        int direction;
        int32_t expected;
    };
    // Measure 1 is 3/8: its beat is an eighth (240 ticks).
    const Case cases[] = {
        {false, 1920, 1, 1920 + 240},
        {false, 1920, -1, 1920 - 480},
        {false, 1920 + 240, -1, 1920},
        {true, 1920 + 240, 1, 1920 + 240 + 120},
        {true, 0, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " " << c.direction << (c.grid ? " grid" : ""));
        StaffRig rig(4, {{4, 4}, {3, 8}, {3, 8}});
        rig.addTrack();
        rig.tools.grid = c.grid;
        rig.tools.duration = 120;
        rig.song->setPosition(c.from);
        StaffView& view = rig.open();
        view.openLyricEdit(0, c.direction);
        EXPECT_TRUE(view.lyricEditOpen());
        EXPECT_EQ(rig.song->position(), c.expected);
    }
}

} // namespace
} // namespace rz
