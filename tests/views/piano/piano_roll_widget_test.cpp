#include "piano_rig.h"

#include "core/settings.h"
#include "res/command_ids.h"
#include "song/selection.h"
#include "tests/support/qt/mouse_events.h"
#include "ui/color_ref.h"
#include "views/piano/piano_roll_view.h"

#include <QApplication>
#include <QFocusEvent>

#include <QImage>

#include <gtest/gtest.h>

namespace rz {
namespace {

constexpr Color kPanel = 0x38140C;

// The view 800 x 400 at time zoom 8 (a column a tick) over one shown track
// holding a note at tick 100, key 60, 40 long.
struct PianoWidgetRig : PianoRig {
    std::unique_ptr<PianoRollView> view = std::make_unique<PianoRollView>();
    int number = 0;

    PianoWidgetRig()
    {
        fixture.host.zoom = 8;
        number = addTrack();
        track(number).events = {test::note(100, 60, 90, 40)};
        view->resize(800, 400);
        view->attach(*song);
        view->initialUpdate();
        view->scrollRowsTo(PianoLayout::rowOfKey(72));
    }
    ~PianoWidgetRig()
    {
        if (view)
            view->detach();
    }
    QPoint point(int32_t tick, int key) const
    {
        return QPoint(view->axis().xOfTick(tick), view->rows().yOfKey(key) + view->rows().rowHeight / 2);
    }
    QImage picture() const { return view->grab().toImage(); }
};

TEST(PianoRollWidget, ASelectedNoteIsFilledWithThePanelColour)
{
    PianoWidgetRig rig;
    ASSERT_EQ(rig.view->shownTracks(), (std::vector<int>{rig.number}));
    ASSERT_EQ(rig.view->plotRect().left(), 24);
    const QPoint inside = rig.point(130, 60);
    EXPECT_NE(rig.picture().pixel(inside), fromColorRef(kPanel).rgb());
    rig.song->selectionStamp = 9;
    rig.track(rig.number).events[0].selectionStamp = 9;
    rig.view->songUpdate(0);
    const QImage image = rig.picture();
    EXPECT_EQ(image.pixel(inside), fromColorRef(kPanel).rgb());
    EXPECT_EQ(image.pixel(rig.point(130, 61)), qRgb(0xC0, 0xC0, 0xC0)) << "the black key's row above";
}

TEST(PianoRollWidget, ACueTintsItsRowsAndTheHintShowsWithoutTracks)
{
    PianoWidgetRig rig;
    rig.fixture.host.cueColors[kCueVamp] = 0x0000FF;
    auto cue = std::make_unique<CCue>();
    cue->kind = kCueVamp;
    cue->secondTime = 200;
    cue->time = 400;
    rig.song->cues.push_back(std::move(cue));
    rig.view->songUpdate(0);
    const QImage image = rig.picture();
    const QRgb tinted = fromColorRef(BlendColors(0x0000FF, 0xFFFFFF)).rgb();
    EXPECT_EQ(image.pixel(rig.point(300, 60)), tinted);
    EXPECT_EQ(image.pixel(rig.point(500, 60)), qRgb(255, 255, 255));
    rig.fixture.trackRows.selected.clear();
    rig.view->songUpdate(0);
    EXPECT_TRUE(rig.view->shownTracks().empty());
}

TEST(PianoRollWidget, APressWhileTheTransportPlaysOnlyRelocates)
{
    PianoWidgetRig rig;
    rig.fixture.engine.state = TransportState::Playing;
    const uint32_t stamp = rig.song->selectionStamp;
    mouse::click(rig.view.get(), rig.point(130, 60));
    EXPECT_EQ(rig.fixture.engine.log.count("Play"), 1u);
    EXPECT_EQ(rig.song->selectionStamp, stamp);
    EXPECT_TRUE(rig.song->undoList.empty());
}

TEST(PianoRollWidget, PerformanceModeIgnoresPresses)
{
    PianoWidgetRig rig;
    rig.fixture.host.performance = true;
    const uint32_t stamp = rig.song->selectionStamp;
    mouse::press(rig.view.get(), rig.point(130, 60));
    mouse::dragTo(rig.view.get(), rig.point(300, 64));
    mouse::release(rig.view.get(), rig.point(300, 64));
    EXPECT_EQ(rig.song->selectionStamp, stamp);
    EXPECT_EQ(rig.track(rig.number).events[0].tick, 100);
    EXPECT_TRUE(rig.fixture.engine.previews.empty());
}

TEST(PianoRollWidget, TheSnapSwitchPutsADrawnNoteOnTheGrid)
{
    for (const bool snap : {false, true}) {
        SCOPED_TRACE(snap);
        PianoWidgetRig rig;
        rig.fixture.host.tools = EditTools{.tool = 1, .snap = snap, .gridValue = 240, .noteLength = 30};
        rig.fixture.engine.thruKeys = {{rig.number, 0}};
        mouse::click(rig.view.get(), rig.point(250, 64));
        ASSERT_EQ(rig.track(rig.number).events.size(), 2u);
        EXPECT_EQ(rig.track(rig.number).events[1].tick, snap ? 240 : 250);
        EXPECT_EQ(rig.track(rig.number).events[1].data1(), 64);
    }
}

// A quarter grid (120 ticks) with snap on; the note sits on the grid at
// 240, a quarter long, and is grabbed off the grid.
TEST(PianoRollWidget, ASnappedDragLandsOnTheGrid)
{
    struct Case {
        const char* name;
        int32_t grabTick;
        int32_t dropTick;
        int dropKey;
        int32_t tick; // expected
        int key;
        int32_t length;
    };
    const Case cases[] = {
        {"straight up two rows keeps the time", 290, 290, 62, 240, 62, 120},
        {"right moves by whole grid steps", 290, 390, 60, 360, 60, 120},
        {"a resize ends on a grid line", 359, 530, 60, 240, 60, 240},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PianoWidgetRig rig;
        rig.fixture.host.tools = EditTools{.snap = true, .gridValue = 240};
        rig.track(rig.number).events = {test::note(240, 60, 90, 120)};
        rig.view->songUpdate(0);
        mouse::press(rig.view.get(), rig.point(c.grabTick, 60));
        mouse::dragTo(rig.view.get(), rig.point((c.grabTick + c.dropTick) / 2, c.dropKey));
        mouse::dragTo(rig.view.get(), rig.point(c.dropTick, c.dropKey));
        mouse::release(rig.view.get(), rig.point(c.dropTick, c.dropKey));
        ASSERT_EQ(rig.track(rig.number).events.size(), 1u);
        const CMidiEvent& note = rig.track(rig.number).events[0];
        EXPECT_EQ(note.tick, c.tick);
        EXPECT_EQ(note.data1(), c.key);
        EXPECT_EQ(note.value2, c.length);
    }
}

TEST(PianoRollWidget, TheRowZoomShowsItsPixelsAndIsKept)
{
    PianoWidgetRig rig;
    EXPECT_TRUE(rig.view->handle(kIdZoomInControllerScale));
    EXPECT_EQ(rig.view->rows().rowHeight, 12);
    CmdUi ui;
    CommandTarget& target = *rig.view;
    ASSERT_TRUE(target.update(kIdZoomInControllerScale, ui));
    EXPECT_FALSE(ui.enabled) << "12 is the top";
    EXPECT_TRUE(rig.fixture.host.log.contains("SetStatusText(Pixel=12)"));
    EXPECT_EQ(readPianoZoom(rig.fixture.profile), 12);
    // A new view starts at the kept height.
    rig.view->detach();
    rig.view = std::make_unique<PianoRollView>();
    rig.view->attach(*rig.song);
    EXPECT_EQ(rig.view->rows().rowHeight, 12);
}

// The time zoom is the piano's own, not the clip view's.
TEST(PianoRollWidget, ItsTimeZoomOutlivesItUnderItsOwnName)
{
    PianoWidgetRig rig;
    rig.fixture.host.zoom = 5;
    rig.view->detach();
    rig.view.reset();
    EXPECT_EQ(readSetting(rig.fixture.profile, settings::kDisplayXZoomPiano), 5);
    EXPECT_EQ(rig.fixture.profile.readInt("DisplayOptions", "XZoom", -1), -1) << "the clip view's zoom untouched";
}

TEST(PianoRollWidget, ARightClickOnANoteSelectsItAndOpensItsProperties)
{
    PianoWidgetRig rig;
    QTest::mouseClick(rig.view.get(), Qt::RightButton, Qt::NoModifier, rig.point(130, 60));
    EXPECT_EQ(rig.track(rig.number).events[0].selectionStamp, rig.song->selectionStamp);
    EXPECT_EQ(rig.song->selectionKind, kSelectEvents);
    EXPECT_EQ(rig.dialogs.log.count("eventProperties"), 1u);
}

TEST(PianoRollWidget, ADoubleClickOnACueOpensItsProperties)
{
    PianoWidgetRig rig;
    auto cue = std::make_unique<CCue>();
    cue->name = "Verse";
    cue->time = cue->secondTime = 200;
    rig.song->cues.push_back(std::move(cue));
    rig.view->songUpdate(0);
    const std::vector<QRect> flags = rig.view->geometryNow().cueRects;
    ASSERT_EQ(flags.size(), 1u);
    ASSERT_LT(flags[0].center().y(), rig.view->plotRect().top()) << "in the cue strip";
    mouse::doubleClick(rig.view.get(), flags[0].center());
    EXPECT_EQ(rig.song->selectionKind, kSelectCues);
    EXPECT_EQ(rig.dialogs.log.count("cueProperties"), 1u);
}

// The first flag, at tick 0, near the edge or scrolled past, starts at the
// plot's left edge, never under the keyboard strip; a flag in full view
// sits 8 pixels left of its cue.
TEST(PianoRollWidget, TheFirstCueFlagIsNeverCutByTheKeyboardStrip)
{
    const struct {
        const char* name;
        int32_t cueTick;
        int64_t origin;
        bool pinned; // starts at the plot's left edge
    } cases[] = {
        {"a cue at tick 0", 0, 0, true},
        {"a cue 3 columns into the plot", 200, 197, true},
        {"a cue just scrolled past", 200, 203, true},
        {"a cue far left of the plot", 200, 400, true},
        {"a cue in full view", 300, 0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PianoWidgetRig rig;
        rig.song->endTick = 4000;
        auto cue = std::make_unique<CCue>();
        cue->name = "Intro";
        cue->time = cue->secondTime = c.cueTick;
        rig.song->cues.push_back(std::move(cue));
        rig.view->songUpdate(0);
        rig.view->setScrollOrigin(c.origin, false);
        ASSERT_EQ(rig.view->contentOrigin(), c.origin);
        const int plotLeft = rig.view->plotRect().left();
        ASSERT_GT(plotLeft, 0) << "the strip takes the left edge";
        const std::vector<QRect> flags = rig.view->geometryNow().cueRects;
        ASSERT_EQ(flags.size(), 1u);
        if (c.pinned)
            EXPECT_EQ(flags[0].left(), plotLeft);
        else
            EXPECT_EQ(flags[0].left(), rig.view->axis().xOfTick(c.cueTick) - 8);
    }
}

TEST(PianoRollWidget, TheKeyboardPlaysTheKeyUnderThePointerUntilRelease)
{
    PianoWidgetRig rig;
    const QPoint key(5, rig.view->rows().yOfKey(60) + 5);
    mouse::press(rig.view.get(), key);
    ASSERT_EQ(rig.fixture.engine.previews.size(), 1u);
    EXPECT_EQ(rig.fixture.engine.previews[0], midi::noteOn(0, 60, 100));
    rig.view->clearFocus();
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(rig.view.get(), &out);
    ASSERT_EQ(rig.fixture.engine.previews.size(), 2u) << "the focus left mid-press";
    EXPECT_EQ(rig.fixture.engine.previews[1], midi::noteOn(0, 60, 0));
}

} // namespace
} // namespace rz
