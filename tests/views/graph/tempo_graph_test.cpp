#include "views/graph/tempo_graph.h"
#include "views/graph/tempo_scale.h"

#include "tests/views/graph/tempo_values.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rz {
namespace {

// One tick a column, a 400 x 300 plot at (24, 20), the graph 3600 px tall
// so that one tenth of a BPM is one pixel.
TempoScale tallScale(int graphHeight = 3600, int yOffset = 0)
{
    TempoScale scale;
    scale.axis = TimeAxis{.gridTicks = 1, .plotLeft = 24, .origin = 0};
    scale.plot = QRect(24, 20, 400, 300);
    scale.graphHeight = graphHeight;
    scale.yOffset = yOffset;
    return scale;
}

TempoEntry entry(int32_t tick, uint32_t tempo)
{
    TempoEntry e;
    e.tick = tick;
    e.tempo = tempo;
    return e;
}

std::vector<std::pair<int32_t, uint32_t>> pointsOf(const TempoGraph& graph)
{
    std::vector<std::pair<int32_t, uint32_t>> out;
    for (const CTempoPoint& p : graph.points())
        out.emplace_back(p.tick, p.tempo);
    return out;
}

using Points = std::vector<std::pair<int32_t, uint32_t>>;

TEST(TempoGraph, RebuildTurnsRampsIntoSegmentsAndChangesIntoSteps)
{
    // A ramp 120 -> 75 BPM, one entry a column from tick 100.
    TempoMap ramp{entry(0, kBpm120)};
    for (int k = 1; k <= 10; ++k)
        ramp.push_back(entry(100 + k, 60000000 / (120 - 5 * (k - 1))));
    TempoMap broken = ramp;
    broken[5].tempo = 60000000 / 40; // far off the line
    struct Case {
        const char* name;
        TempoMap map;
        Points expected;
    };
    const std::vector<Case> cases = {
        {"ten-entry ramp is one segment", ramp,
         {{0, kBpm120}, {101, kBpm120}, {110, ramp[10].tempo}, {1000, ramp[10].tempo}}},
        {"a step gives a corner",
         {entry(0, kBpm120), entry(200, kBpm60)},
         {{0, kBpm120}, {200, kBpm120}, {200, kBpm60}, {1000, kBpm60}}},
    };
    for (const Case& c : cases) {
        TempoGraph graph;
        graph.rebuild(c.map, 1000, tallScale());
        EXPECT_EQ(pointsOf(graph), c.expected) << c.name;
    }
    TempoGraph graph;
    graph.rebuild(broken, 1000, tallScale());
    EXPECT_GT(graph.points().size(), 4u) << "one off-line entry breaks the ramp";
}

TEST(TempoGraph, SimplifyDropsTheMiddleOfEqualTemposAndNeverStepsBelowTheFirstPoint)
{
    struct Case {
        const char* name;
        Points in;
        Points expected;
    };
    const std::vector<Case> cases = {
        {"three equal tempos lose the middle",
         {{0, kBpm120}, {100, kBpm60}, {200, kBpm60}, {300, kBpm60}},
         {{0, kBpm120}, {100, kBpm60}, {300, kBpm60}}},
        {"step-back at the first point stays in range",
         {{0, kBpm120}, {50, kBpm120}, {90, kBpm120}, {90, kBpm60}, {300, kBpm60}},
         {{0, kBpm120}, {90, kBpm120}, {90, kBpm60}, {300, kBpm60}}},
        {"a leading pair on one tick keeps the later",
         {{0, kBpm120}, {0, kBpm60}, {300, kBpm60}},
         {{0, kBpm60}, {300, kBpm60}}},
        {"three on one tick lose the middle",
         {{0, kBpm120}, {100, kBpm120}, {100, 400000}, {100, kBpm60}, {300, kBpm60}},
         {{0, kBpm120}, {100, kBpm120}, {100, kBpm60}, {300, kBpm60}}},
    };
    for (const Case& c : cases) {
        TempoGraph graph;
        for (auto [tick, tempo] : c.in)
            graph.points().push_back({0, tick, tempo});
        graph.SimplifyPoints(tallScale());
        EXPECT_EQ(pointsOf(graph), c.expected) << c.name;
    }
}

TEST(TempoGraph, FindPointIndexKeepsItsOwnPlaceAndStaysInsideTheArray)
{
    TempoGraph graph;
    EXPECT_EQ(graph.FindPointIndex(10), -1);
    for (int32_t tick : {0, 100, 100, 200, 400})
        graph.points().push_back({0, tick, kBpm120});
    struct Case {
        int32_t tick;
        int expected;
    };
    for (const Case& c : {Case{0, 0}, Case{500, 4}, Case{150, 2}, Case{100, 0}, Case{401, 4}, Case{1, 0}})
        EXPECT_EQ(graph.FindPointIndex(c.tick), c.expected) << c.tick;
    // Another graph has its own place; a shrunk array clamps it.
    TempoGraph other;
    other.points().push_back({0, 0, kBpm120});
    EXPECT_EQ(other.FindPointIndex(5000), 0);
    graph.FindPointIndex(500);
    graph.points().resize(2);
    EXPECT_EQ(graph.FindPointIndex(5000), 1);
}

TEST(TempoGraph, HitTestFindsPointsWithinThreePixelsAndSelectInRectStampsThem)
{
    TempoGraph graph;
    graph.rebuild({entry(0, kBpm120), entry(200, kBpm60)}, 1000, tallScale());
    const TempoScale scale = tallScale();
    const QPoint corner = scale.pointOf(200, kBpm120);
    EXPECT_EQ(graph.HitTestPoint(corner + QPoint(3, -3), scale), 1);
    EXPECT_EQ(graph.HitTestPoint(corner + QPoint(4, 0), scale), -1);
    EXPECT_EQ(graph.HitTestPoint(scale.pointOf(200, kBpm60), scale), 2);

    const auto range = graph.SelectInRect(QRect(corner, corner + QPoint(2, 2)), 9, scale);
    ASSERT_TRUE(range);
    EXPECT_EQ(*range, (std::pair<int32_t, int32_t>{200, 200}));
    EXPECT_EQ(graph.points()[1].flags, 9u);
    EXPECT_EQ(graph.points()[2].flags, 0u);
    EXPECT_EQ(graph.stampedRun(9), range);
}

TEST(TempoGraph, BadInputsNeitherDivideByZeroNorOverflow)
{
    TempoMap many;
    for (int k = 0; k < 10000; ++k)
        many.push_back(entry(k * 7, k % 2 ? 1u : 0xFFFFFFu));
    for (int32_t grid : {1, 1000000}) {
        TempoScale scale = tallScale();
        scale.axis.gridTicks = grid;
        scale.plot = QRect(0, 0, 1, 1);
        for (const TempoMap& map : {TempoMap{entry(0, 1)}, TempoMap{entry(0, 0xFFFFFF)}, many}) {
            TempoGraph graph;
            graph.rebuild(map, INT32_MAX, scale);
            ASSERT_FALSE(graph.points().empty());
            EXPECT_EQ(graph.points().front().tick, 0);
            EXPECT_EQ(graph.points().back().tick, INT32_MAX);
            graph.HitTestPoint(QPoint(0, 0), scale);
        }
    }
}

TEST(TempoScale, ConvertsBothWaysWithClampsAndIgnoresTheOffsetOfALowGraph)
{
    const TempoScale top = tallScale(3600, 0);
    EXPECT_EQ(top.tempoAtY(top.plot.top()), 166666u);
    EXPECT_EQ(top.tempoAtY(top.plot.top() - 50), 166666u);
    EXPECT_EQ(top.tempoAtY(top.plot.bottom() + 50), top.tempoAtY(top.plot.bottom()));
    const TempoScale fit = tallScale(50, 0);
    EXPECT_EQ(fit.tempoAtY(fit.plot.bottom()), 16777215u);
    EXPECT_EQ(tallScale(50, 100).yOfTempo(kBpm120), fit.yOfTempo(kBpm120));
    EXPECT_EQ(tallScale(3600, 100).yOfTempo(kBpm120), top.yOfTempo(kBpm120) - 100);
    EXPECT_EQ(top.yOfTempo(1), top.plot.top());
    EXPECT_EQ(top.yOfTempo(0xFFFFFF), top.plot.top() + 3600 - 35);
    EXPECT_EQ(top.yOfTempo(kBpm120), top.plot.top() + 3600 - 1200);
    // A one-pixel plot at the tallest graph.
    TempoScale tiny = tallScale(3600, 3599);
    tiny.plot = QRect(0, 0, 1, 1);
    EXPECT_EQ(tiny.tempoAtY(0), TempoScale::tempoOfTenths(1));
}

TEST(TempoScale, ZoomStepsRecentreAndClampTheOffset)
{
    struct Case {
        const char* name;
        TempoScale::Zoom from;
        bool in;
        TempoScale::Zoom expected;
        const char* text;
    };
    const std::vector<Case> cases = {
        {"fit to 300 on a 200-px plot", {50, 0}, true, {300, 50}, "Pixel=0.300"},
        {"300 back to fit", {300, 50}, false, {50, 0}, "Fit to window"},
        {"600 to 900 keeps the middle", {600, 200}, true, {900, 350}, "Pixel=2.180"},
        {"3600 stays", {3600, 100}, true, {3600, 100}, "Pixel=10.0"},
        {"1800 out to 900 clamps at 0", {1800, 0}, false, {900, 0}, "Pixel=2.180"},
        {"an origin past the end is held", {900, 5000}, true, {1800, 1600}, "Pixel=5.0"},
    };
    for (const Case& c : cases) {
        const TempoScale::Zoom z = c.in ? TempoScale::zoomIn(c.from, 200) : TempoScale::zoomOut(c.from, 200);
        EXPECT_EQ(z.graphHeight, c.expected.graphHeight) << c.name;
        EXPECT_EQ(z.yOffset, c.expected.yOffset) << c.name;
        EXPECT_EQ(TempoScale::zoomText(z.graphHeight, !c.in), c.text) << c.name;
    }
    for (int stored : {0, 49, 51, 1000, 3601})
        EXPECT_EQ(TempoScale::storedZoom(stored), 50) << stored;
    EXPECT_EQ(TempoScale::storedZoom(1800), 1800);
}

} // namespace
} // namespace rz
