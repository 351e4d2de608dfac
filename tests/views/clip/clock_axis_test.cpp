#include "core/smpte_time.h"
#include "views/clip/clock_axis.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace rz {
namespace {

// 120 ticks a quarter at the default tempo: 240 ticks a second.
const TempoMap kTempo{TempoEntry{}};

ClockAxis axisAt(int zoom, const TempoMap& map = kTempo, int timeBase = 120)
{
    return ClockAxis{.tempo = &map, .timeBase = timeBase, .zoom = zoom, .plotLeft = 0, .origin = 0};
}

std::vector<std::string> labels(const ClockAxis& a, int lines, double offsetUs = 0)
{
    std::vector<std::string> out;
    for (int k = 0; k < lines; ++k)
        out.push_back(ClockAxis::label(double(k) * ClockAxis::kGridStep * double(a.usPerPixel()), offsetUs));
    return out;
}

TEST(ClockAxis, AtTheDefaultZoomAMinuteIs6000PixelsLabelledASecondAPart)
{
    const ClockAxis a = axisAt(ClockAxis::kDefaultZoom);
    EXPECT_EQ(a.contentXOfTick(60 * 240), 6000);
    EXPECT_EQ(a.xOfTick(240), 100);
    EXPECT_EQ(labels(a, 3), (std::vector<std::string>{"0:00:00", "0:01:00", "0:02:00"}));
    // Between lines: a quarter of a second is 25 hundredths.
    EXPECT_EQ(ClockAxis::label(250000, 0), "0:00:25");
}

TEST(ClockAxis, AtTheCoarsestZoomLabelsAreAMinuteApartAndStartAgainAfterAnHour)
{
    const ClockAxis a = axisAt(0);
    const std::vector<std::string> all = labels(a, 62);
    EXPECT_EQ(all[1], "1:00:00");
    EXPECT_EQ(all[59], "59:00:00");
    EXPECT_EQ(all[60], "0:00:00");
    EXPECT_EQ(all[61], "1:00:00");
}

TEST(ClockAxis, TheSongsSmpteOffsetShiftsTheLabels)
{
    CSmpteTime offset = CSmpteTime::fromFields(kSmpteRate30, 1, 0, 5, 0, 0);
    EXPECT_EQ(ClockAxis::label(0, offset.GetTime()), "0:05:00");
}

TEST(ClockAxis, TheSnapSwitchRoundsToTenColumnsOfTime)
{
    const ClockAxis a = axisAt(ClockAxis::kDefaultZoom); // 10 ms a column: 100 ms steps
    struct Case {
        int x;
        double plain;
        double snapped;
    };
    for (const Case& c : {Case{37, 370000, 400000}, Case{34, 340000, 300000}, Case{5, 50000, 100000},
                          Case{0, 0, 0}}) {
        EXPECT_DOUBLE_EQ(a.timeOfX(c.x, false), c.plain) << c.x;
        EXPECT_DOUBLE_EQ(a.timeOfX(c.x, true), c.snapped) << c.x;
    }
    EXPECT_EQ(a.tickOfX(37, true), 96); // 400 ms
    EXPECT_EQ(a.tickOfX(-50, false), 0);
}

TEST(ClockAxis, TheZoomIndexStaysInTheTable)
{
    EXPECT_EQ(ClockAxis::clampZoom(42), 9);
    EXPECT_EQ(ClockAxis::clampZoom(-3), 0);
    EXPECT_EQ(ClockAxis::usPerPixelAt(42), 100);
    EXPECT_EQ(ClockAxis::usPerPixelAt(-3), 600000);
}

TEST(ClockAxis, TheLastTickAtTheSlowestTempoKeepsAPositive64BitX)
{
    TempoMap slow{TempoEntry{}};
    slow[0].setTempo(kMaxTempo);
    const ClockAxis a = axisAt(9, slow, 24);
    const int64_t x = a.contentXOfTick(0x7FFFFFFE);
    EXPECT_GT(x, int64_t(INT_MAX));
    EXPECT_GT(x, a.contentXOfTick(0x7FFFFFFE - 24 * 1000));
    EXPECT_EQ(a.xOfTick(0x7FFFFFFE), INT_MAX); // clamped where it meets a widget
}

TEST(ClockAxis, GridLinesFallOnMultiplesOfAHundredPixels)
{
    EXPECT_EQ(ClockAxis::gridLineAtOrBefore(0), 0);
    EXPECT_EQ(ClockAxis::gridLineAtOrBefore(199), 100);
    EXPECT_EQ(ClockAxis::gridLineAtOrBefore(200), 200);
    EXPECT_EQ(ClockAxis::gridLineAtOrBefore(-1), -100);
}

// Plays a song through a 1000-pixel plot in steps, as the refresh pass does.
struct Follower {
    int64_t origin = 0;
    int64_t line = -1;
    FollowResult step(int64_t play, int64_t contentWidth, bool thumbHeld = false)
    {
        const FollowResult out = timeFollow({.playX = play,
                                             .origin = origin,
                                             .lineX = line,
                                             .plotWidth = 1000,
                                             .contentWidth = contentWidth,
                                             .userScrolling = thumbHeld});
        origin = out.origin;
        line = out.cursorColumn;
        return out;
    }
};

TEST(TimeFollow, ThePlayLineStaysCentredUpToTheContentsEnd)
{
    Follower f;
    for (int64_t play = 0; play <= 5000; play += 50) {
        const FollowResult out = f.step(play, 5000);
        EXPECT_EQ(f.origin, std::clamp<int64_t>(play - 500, 0, 4000)) << play;
        EXPECT_EQ(f.line, play);
        if (play > 550 && play <= 4500) {
            EXPECT_EQ(out.redraw, FollowRedraw::Scroll) << play;
        }
    }
}

TEST(TimeFollow, AShortSongKeepsOriginZero)
{
    Follower f;
    for (int64_t play : {0, 300, 700, 799, 200}) {
        f.step(play, 800);
        EXPECT_EQ(f.origin, 0) << play;
        EXPECT_EQ(f.line, play);
    }
}

TEST(TimeFollow, AJumpOverHalfThePlotRepaintsInFull)
{
    Follower f;
    EXPECT_EQ(f.step(700, 100000).redraw, FollowRedraw::Scroll); // 200 pixels
    EXPECT_EQ(f.step(30000, 100000).redraw, FollowRedraw::Full);
    EXPECT_EQ(f.origin, 29500);
    EXPECT_EQ(f.step(100, 100000).redraw, FollowRedraw::Full);
    EXPECT_EQ(f.origin, 0);
    // 64-bit content far past 32 bits follows the same way.
    const int64_t far = int64_t(1) << 40;
    f.step(far, far * 2);
    EXPECT_EQ(f.origin, far - 500);
}

TEST(TimeFollow, AHeldThumbBlocksFollowing)
{
    Follower f;
    f.origin = 2000;
    f.line = 2100;
    const FollowResult out = f.step(9000, 100000, true);
    EXPECT_EQ(out.redraw, FollowRedraw::None);
    EXPECT_EQ(f.origin, 2000);
    EXPECT_EQ(f.line, 2100);
}

} // namespace
} // namespace rz
