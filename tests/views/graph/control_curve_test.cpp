#include "views/graph/control_curve.h"

#include "control_rig.h"

#include <gtest/gtest.h>

#include <vector>

namespace rz {
namespace {

constexpr int32_t kEnd = 4800;

// Ten ticks a column over a 400 x 128 plot, the lane fitted.
ControlScale fitted(int maximum = 127, int plotHeight = 128)
{
    return ControlScale{.axis = TimeAxis{.gridTicks = 10, .plotLeft = 0, .origin = 0},
                        .plot = QRect(0, 0, 400, plotHeight),
                        .zoom = ControlScale::kFitToWindow,
                        .yOffset = 0,
                        .maximum = maximum};
}

std::vector<CControlPoint> run(std::vector<std::pair<int32_t, int32_t>> values)
{
    std::vector<CControlPoint> out;
    for (auto [tick, value] : values)
        out.push_back({0, tick, value});
    return out;
}

std::vector<std::pair<int32_t, int32_t>> shown(const ControlCurve& curve)
{
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const CControlPoint& p : curve.points())
        out.emplace_back(p.tick, p.value);
    return out;
}

TEST(ControlCurve, RawPitchCentreDisplaysZeroAndIsWrittenLowBitsFirst)
{
    const ControlKind pitch{midi::kPitchBend, 0};
    const CMidiEvent centre = test::channelEvent(0, midi::kPitchBend, 0, 64);
    EXPECT_EQ(ControlKind::valueOf(centre), 8192);
    EXPECT_EQ(pitch.displayOffset() + ControlKind::valueOf(centre), 0);
    EXPECT_EQ(pitch.maximum(), 16383);
    EXPECT_EQ(pitch.message(3, 8192 + 5), midi::shortMessage(0xE3, 5, 64));
    EXPECT_EQ(pitch.name(), "Pitch");
    EXPECT_EQ((ControlKind{midi::kControlChange, 7}.name()), "CC7");
    EXPECT_EQ((ControlKind{midi::kChannelPressure, 0}.name()), "Pressure");
    EXPECT_EQ(ControlKind::fromPacked(0x07B0).number, 7);
}

TEST(ControlCurve, TracksThatDifferShowAGapAndTracksThatAgreeDoNot)
{
    ControlCurve curve;
    curve.rebuildFromRuns({run({{0, 10}, {100, 20}}), run({{0, 10}, {100, 30}})}, kEnd, fitted());
    EXPECT_EQ(shown(curve), (std::vector<std::pair<int32_t, int32_t>>{{0, 10}, {100, 10}, {100, kControlGap}}));

    curve.rebuildFromRuns({run({{0, 10}, {100, 20}}), run({{0, 10}, {100, 20}})}, kEnd, fitted());
    EXPECT_EQ(shown(curve),
              (std::vector<std::pair<int32_t, int32_t>>{
                  {0, 10}, {100, 10}, {100, 20}, {kEnd, 20}, {kEnd, kControlGap}}));
}

TEST(ControlCurve, NoEventsDrawOneGapEndedFlatLineAtZero)
{
    ControlCurve curve;
    curve.rebuildFromRuns({run({}), run({})}, kEnd, fitted());
    EXPECT_EQ(shown(curve), (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {kEnd, 0}, {kEnd, kControlGap}}));
}

TEST(ControlCurve, ALinearRampCompactsToItsEndsAndAnOffLinePointBreaksIt)
{
    std::vector<std::pair<int32_t, int32_t>> ramp;
    for (int v = 0; v <= 127; ++v)
        ramp.emplace_back(v * 10, v);
    ControlCurve curve;
    curve.rebuildFromRuns({run(ramp)}, kEnd, fitted());
    EXPECT_EQ(shown(curve),
              (std::vector<std::pair<int32_t, int32_t>>{{0, 0}, {1270, 127}, {kEnd, 127}, {kEnd, kControlGap}}));

    ramp[64].second += 5;
    curve.rebuildFromRuns({run(ramp)}, kEnd, fitted());
    ASSERT_GE(curve.points().size(), 2u);
    EXPECT_LT(curve.points()[1].tick, 1270) << "the ramp no longer runs end to end";
    EXPECT_TRUE(std::any_of(curve.points().begin(), curve.points().end(),
                            [](const CControlPoint& p) { return p.tick == 640 && p.value == 69; }));
}

TEST(ControlCurve, AChangeEightPixelsAfterItsPredecessorGetsACorner)
{
    struct Case {
        int32_t changeTick;
        bool corner;
    };
    for (const Case c : {Case{80, true}, Case{70, false}, Case{2000, true}}) {
        SCOPED_TRACE(c.changeTick);
        ControlCurve curve;
        curve.rebuildFromRuns({run({{0, 10}, {c.changeTick, 90}})}, kEnd, fitted());
        const auto points = shown(curve);
        ASSERT_GE(points.size(), 3u);
        EXPECT_EQ(points[1] == std::make_pair(c.changeTick, 10), c.corner);
        EXPECT_EQ(points[c.corner ? 2 : 1], std::make_pair(c.changeTick, 90));
    }
}

TEST(ControlCurve, ZoomStepsFollowTheOffsetRules)
{
    const auto out = ControlScale::zoomOut({350, 40}, 100);
    EXPECT_EQ(out.zoom, ControlScale::kFitToWindow);
    EXPECT_EQ(out.yOffset, 0);
    EXPECT_EQ(ControlScale::zoomText(out.zoom), "Fit to window");
    const auto in = ControlScale::zoomIn({ControlScale::kFitToWindow, 0}, 100);
    EXPECT_EQ(in.zoom, 350);
    EXPECT_EQ(in.yOffset, 125);
    const auto deeper = ControlScale::zoomIn(in, 100);
    EXPECT_EQ(deeper.zoom, 700);
    EXPECT_EQ(deeper.yOffset, 250);
    EXPECT_EQ(ControlScale::zoomText(deeper.zoom), "Pixel=2.0");
    EXPECT_EQ(ControlScale::zoomText(1750), "Pixel=5.0");
    EXPECT_EQ(ControlScale::zoomOut({1750, 500}, 100).yOffset, 200);
    EXPECT_EQ(ControlScale::zoomIn({3500, 7}, 100).zoom, 3500);
    EXPECT_EQ(ControlScale::storedZoom(123), ControlScale::kFitToWindow);
    EXPECT_EQ(ControlScale::storedZoom(1750), 1750);
}

TEST(ControlCurve, ConversionsFitThePlotAndOffsetTheTallLane)
{
    ControlScale s = fitted(127, 128);
    EXPECT_EQ(s.yOfValue(127), 0);
    EXPECT_EQ(s.yOfValue(0), 127);
    EXPECT_EQ(s.valueAtY(0), 127);
    EXPECT_EQ(s.valueAtY(500), 0) << "held inside the plot";
    s.zoom = 350;
    s.yOffset = 100;
    EXPECT_EQ(s.yOfValue(127), -100);
    EXPECT_NEAR(s.valueAtY(s.yOfValue(64)), 64, 1);
}

TEST(ControlCurve, AOnePixelPlotFindsAndReadsNothing)
{
    ControlCurve curve;
    const ControlScale thin = fitted(127, 1);
    curve.rebuildFromRuns({run({{0, 0}, {400, 0}})}, kEnd, thin);
    EXPECT_FALSE(thin.drawable());
    EXPECT_EQ(thin.valueAtY(0), 0);
    for (int y : {0, 1, 50})
        EXPECT_EQ(curve.hitTest(QPoint(0, y), thin), -1) << y;
}

TEST(ControlCurve, TheSearchIndexIsHeldInsideARebuiltCurve)
{
    std::vector<std::pair<int32_t, int32_t>> steps;
    for (int k = 0; k < 200; ++k)
        steps.emplace_back(k * 200, k % 2 ? 20 : 100);
    ControlCurve curve;
    const ControlScale s = fitted();
    curve.rebuildFromRuns({run(steps)}, 40000, s);
    EXPECT_GT(curve.findPointIndex(39000), 300u);
    curve.rebuildFromRuns({run({{0, 64}})}, kEnd, s);
    EXPECT_EQ(curve.findPointIndex(39000), curve.points().size());
    EXPECT_EQ(curve.hitTest(s.pointOf(0, 64), s), 0);
    ControlCurve other;
    other.rebuildFromRuns({run(steps)}, 40000, s);
    EXPECT_EQ(other.hitTest(s.pointOf(200, 20), s), 2) << "each curve keeps its own search";
}

} // namespace
} // namespace rz
