#include "tests/staff/view/staff_rig.h"

#include "tests/staff/model/fixed_metrics.h"
#include "ui/bitmap_push_button.h"
#include "ui/zoom_scroll_bar.h"

#include <gtest/gtest.h>

namespace rz {
namespace {

using test::StaffRig;

// Font measures that remember every header they were asked to measure.
struct RecordingMetrics : test::FixedMetrics {
    struct Call {
        int key, cancelKey, flags;
    };
    mutable std::vector<Call> calls;
    int headerWidth(int clef, int key, int cancelKey, int numerator, int denominator,
                    int flags) const override
    {
        calls.push_back({key, cancelKey, flags});
        return FixedMetrics::headerWidth(clef, key, cancelKey, numerator, denominator, flags);
    }
};

struct Laid {
    StaffModel model;
    StaffLines lines;
};

Laid layOut(const StaffRig& rig, bool leadSheet, int width, const NotationMetrics& metrics,
            int staffSize = 28)
{
    StaffSettings settings;
    settings.staffSize = staffSize;
    settings.leadSheet = leadSheet;
    std::vector<int> rows(rig.fixture.trackRows.selected.begin(), rig.fixture.trackRows.selected.end());
    Laid out;
    out.model = BuildStaffModel(*rig.song, rows, settings, nullptr, metrics);
    if (const auto* recording = dynamic_cast<const RecordingMetrics*>(&metrics))
        recording->calls.clear(); // only the layout's own measures count
    LineLayoutInput in;
    in.leadSheet = leadSheet;
    in.clientWidth = width;
    in.clientHeight = 300;
    in.staffSize = staffSize;
    in.headerWidth = leadSheet ? 0 : staffSize * 105 / 27;
    in.shownKey = [&rig](const CStaffTrack&, int m) { return int(rig.song->measureMap[size_t(m)].key); };
    out.lines = LayoutLines(out.model, in, metrics);
    return out;
}

TEST(StaffLayout, WideMeasuresStandOnePerLineCompressedAndTheLastLineIsRagged)
{
    StaffRig rig(4);
    rig.fillQuarters(rig.addTrack());
    const test::FixedMetrics metrics;
    const Laid laid = layOut(rig, true, 110, metrics);
    EXPECT_EQ(laid.lines.lineStarts, (std::vector<int>{0, 1, 2, 3}));
    const auto& m = laid.model.measures;
    for (size_t i = 0; i + 1 < m.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_LT(m[i].laidOutWidth, m[i].contentWidth);
        EXPECT_EQ(m[i].leadIn + m[i].laidOutWidth + m[i].trailingWidth, 110 - 17 - 20);
        EXPECT_EQ(m[i + 1].x, m[i].x + m[i].leadIn + m[i].laidOutWidth + m[i].trailingWidth);
    }
    EXPECT_EQ(m.back().laidOutWidth, m.back().contentWidth);
}

TEST(StaffLayout, MeasuresThatFitShareALineStretchedToItsWidth)
{
    StaffRig rig(6);
    rig.fillQuarters(rig.addTrack());
    const test::FixedMetrics metrics;
    const Laid laid = layOut(rig, true, 300, metrics);
    ASSERT_GE(laid.lines.lineCount(), 2);
    const auto& m = laid.model.measures;
    const int end = laid.lines.lineStarts[1];
    ASSERT_GE(end, 2);
    int used = 0;
    for (int i = 0; i < end; ++i)
        used += m[size_t(i)].leadIn + m[size_t(i)].laidOutWidth + m[size_t(i)].trailingWidth;
    EXPECT_LE(used, 300 - 37);
    EXPECT_GE(used, 300 - 37 - end); // truncation leaves under a pixel a measure
    // Notes follow their measures onto the lines.
    const CStaffBeat& first = *laid.model.staves[0].voices[0];
    EXPECT_EQ(first.firstX, m[0].x + m[0].leadIn);
}

// At a line start the clef and key always show; the naturals cancel the
// previous key only when it differed; the meter only when it changed.
TEST(StaffLayout, AfterABreakNaturalsAndMeterShowOnlyForAChange)
{
    StaffRig rig(4, {{4, 4, 2}, {4, 4, 0}, {3, 4, 0}, {3, 4, 0}});
    rig.fillQuarters(rig.addTrack());
    RecordingMetrics metrics;
    const Laid laid = layOut(rig, true, 110, metrics);
    ASSERT_EQ(laid.lines.lineStarts, (std::vector<int>{0, 1, 2, 3}));
    const auto& flags = laid.lines.headerFlags;
    EXPECT_EQ(flags[0] & 2, 0u);  // the first measure shows its meter
    EXPECT_EQ(flags[1] & 2, 2u);  // 4/4 again: no meter
    EXPECT_EQ(flags[2] & 2, 0u);  // 3/4 is new
    EXPECT_EQ(flags[3] & 2, 2u);
    for (uint32_t f : flags)
        EXPECT_EQ(f & 1, 0u); // every line starts with its clef
    // A measure that does not fit is measured again as its line's start
    // (with the clef); those are the headers drawn.
    std::vector<int> cancels;
    for (const auto& call : metrics.calls)
        if ((call.flags & 1) == 0)
            cancels.push_back(call.cancelKey);
    // Measure 1 (C after D) cancels two sharps; measures 2 and 3 (C after C) nothing.
    ASSERT_EQ(cancels.size(), 4u);
    EXPECT_EQ(cancels[0], 0);
    EXPECT_EQ(cancels[1], 2);
    EXPECT_EQ(cancels[2], 0);
    EXPECT_EQ(cancels[3], 0);
}

// Lead-ins wider than the window, and measures whose content is 0 pixels
// wide, still lay out at least a pixel each, and a point maps to a time.
TEST(StaffLayout, ANarrowViewAndSixtyFourthMeasuresKeepPositiveWidths)
{
    for (const int width : {40, 1, 120}) {
        SCOPED_TRACE(width);
        StaffRig rig(40, {{1, 64}});
        rig.fillQuarters(rig.addTrack());
        const test::FixedMetrics metrics;
        Laid laid = layOut(rig, true, width, metrics, 20);
        ASSERT_FALSE(laid.model.measures.empty());
        for (const CStaffMeasure& m : laid.model.measures)
            EXPECT_GE(m.laidOutWidth, 1);
        for (size_t i = 1; i < laid.model.measures.size(); ++i)
            EXPECT_GT(laid.model.measures[i].x, laid.model.measures[i - 1].x);
        int cache = 0;
        const StaffMetrics sizes = StaffMetrics::of(20, true);
        for (const CStaffMeasure& m : laid.model.measures) {
            const StaffPoint point = PointToTime(laid.model, sizes, m.x + m.leadIn + 1, 0, 0, cache);
            EXPECT_GE(point.tick, m.song.start);
            EXPECT_LE(point.tick, m.song.start + m.song.length);
        }
    }
}

TEST(StaffLayout, PointAndTimeRoundTripOnGridTicks)
{
    StaffRig rig(6, {{4, 4}, {3, 4}, {7, 8}});
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open(false, {900, 300});
    const int grid = 120; // a sixteenth of the frame's grid of 60/240
    rig.tools.gridResolution = 60;
    for (int32_t tick = 0; tick < rig.startOf(5); tick += grid) {
        SCOPED_TRACE(tick);
        const QPoint point = view.timeToPoint(tick, 0, 2);
        const StaffPoint back = view.pointToTime(point);
        EXPECT_EQ(back.tick, tick);
        EXPECT_EQ(back.staff, 0);
        EXPECT_EQ(back.position, 2);
        EXPECT_EQ(back.pitch, 74); // D5 two steps over the treble's middle B4
    }
}

TEST(StaffLayout, PagingStopsAtTheLimitsOfTheStrip)
{
    StaffRig rig(40);
    rig.fillQuarters(rig.addTrack());
    StaffView& view = rig.open(false, {500, 300});
    const int limit = view.lines().maxOriginX;
    ASSERT_GT(limit, 1000);
    for (int i = 0; i < 200 && view.originX() < limit; ++i)
        emit view.horizontalBar()->scrolled(ZoomScrollBar::kPageDown);
    EXPECT_EQ(view.originX(), limit);
    emit view.horizontalBar()->scrolled(ZoomScrollBar::kPageDown);
    EXPECT_EQ(view.originX(), limit);
    emit view.horizontalBar()->scrolled(ZoomScrollBar::kEndScroll);
    for (int i = 0; i < 200 && view.originX() > 0; ++i)
        emit view.horizontalBar()->scrolled(ZoomScrollBar::kPageUp);
    EXPECT_EQ(view.originX(), 0);
}

TEST(StaffLayout, OneMeasureTenThousandMeasuresAndATinyWindowLayOut)
{
    for (const int measures : {1, 10000}) {
        for (const QSize size : {QSize(1, 1), QSize(600, 300)}) {
            for (const bool lead : {false, true}) {
                SCOPED_TRACE(testing::Message() << measures << " " << size.width() << (lead ? " lead" : ""));
                StaffRig rig(measures);
                rig.addTrack();
                rig.track(1).events.push_back(test::note(0, 60, 90, 480));
                StaffView& view = rig.open(lead, size);
                EXPECT_EQ(view.model().measures.size(), size_t(measures));
                for (const CStaffMeasure& m : view.model().measures)
                    ASSERT_GE(m.laidOutWidth, 1);
                (void)rig.picture();
                view.pointToTime(QPoint(0, 0));
            }
        }
    }
}

TEST(StaffLayout, WithoutSongOrStavesTheBarsAndZoomButtonsAreOff)
{
    StaffRig rig(4);
    StaffView view(rig.context(), false, false, nullptr);
    view.resize(400, 300);
    view.initialUpdate();
    EXPECT_FALSE(view.verticalBar()->zoomInButton()->isEnabled());
    EXPECT_FALSE(view.verticalBar()->zoomOutButton()->isEnabled());
    StaffView& empty = rig.open();
    EXPECT_TRUE(empty.model().staves.empty());
    EXPECT_FALSE(empty.verticalBar()->zoomInButton()->isEnabled());
    EXPECT_EQ(empty.originX(), 0);
}

} // namespace
} // namespace rz
