// The printed score's plan: sizes, systems, pages and the range printed,
// from a copy of the screen model.

#include <gtest/gtest.h>

#include "staff/model/staff_print_plan.h"
#include "tests/staff/model/staff_song.h"

namespace rz::test {
namespace {

constexpr int kA4Width = 21000;
constexpr int kA4Height = 29700;

// `measures` bars of 4/4 with quarter notes on `tracks` treble staves.
struct PrintSong : StaffSong {
    StaffModel screen;

    explicit PrintSong(int measures, int tracks = 1)
    {
        song->measureMap.assign(size_t(measures), song->measureMap.front());
        song->measureMapEnd = RecomputeMeasureStarts(song->measureMap, 480);
        song->endTick = song->measureMapEnd;
        for (int t = 0; t < tracks; ++t) {
            CTrack& tr = track();
            for (int q = 0; q < measures * 4; ++q)
                tr.events.push_back(note(q * 480, uint8_t(60 + q % 12), 90, 440));
        }
        screen = build();
        // Lyric widths are those of the print font in the plan.
        metrics.fontUnit = 714;
    }

    StaffPrintPlan plan(StaffPrintInput in = {}) const
    {
        in.screenStaffSize = settings.staffSize;
        return planStaffPrint(screen, *song, in, metrics);
    }
};

int systemWidth(const StaffPrintPlan& plan, int line)
{
    int width = 0;
    for (int m = plan.systemStarts[size_t(line)]; m < plan.systemEnd(line); ++m) {
        const CStaffMeasure& rec = plan.model.measures[size_t(m)];
        width += rec.leadIn + rec.laidOutWidth + rec.trailingWidth;
    }
    return width;
}

TEST(StaffPrintPlan, StaffHeightFollowsPrintStaffSize)
{
    const PrintSong s(4);
    const struct {
        int size;
        int height;
    } cases[] = {{3, 714}, {8, 476}, {0, 953}, {12, 476}, {-1, 953}};
    for (const auto& c : cases) {
        StaffPrintInput in;
        in.printStaffSize = c.size;
        const StaffPrintPlan plan = s.plan(in);
        EXPECT_EQ(plan.staffHeight, c.height) << c.size;
        // The bands scale by P / G from the screen's glyph size.
        EXPECT_EQ(plan.model.staves[0].bandHeight,
                  int(int64_t(s.screen.staves[0].bandHeight) * c.height / 27))
            << c.size;
    }
}

TEST(StaffPrintPlan, SystemsAreJustifiedAndTheFirstIsIndented)
{
    const PrintSong s(40);
    const StaffPrintPlan plan = s.plan();
    ASSERT_GE(plan.systemStarts.size(), 3u);
    EXPECT_EQ(plan.systemStarts[0], 0);
    const int width = plan.printRect.right - plan.printRect.left;
    EXPECT_EQ(plan.systemLeft(0), plan.printRect.left + 1700);
    EXPECT_EQ(plan.systemLeft(1), plan.printRect.left);
    // Every system but the last fills its width (truncation leaves a few units).
    EXPECT_NEAR(systemWidth(plan, 0), width - 1700, plan.systemEnd(0));
    EXPECT_NEAR(systemWidth(plan, 1), width, plan.systemEnd(1) - plan.systemStarts[1]);
    // The indent takes room from the first system only.
    EXPECT_LT(plan.systemEnd(0) - plan.systemStarts[0], plan.systemEnd(1) - plan.systemStarts[1]);
    const int last = int(plan.systemStarts.size()) - 1;
    EXPECT_LE(systemWidth(plan, last), width);
    EXPECT_EQ(plan.systemEnd(last), 40);
    // x runs on across systems.
    for (int m = 1; m < 40; ++m) {
        const CStaffMeasure& prev = plan.model.measures[size_t(m - 1)];
        EXPECT_EQ(plan.model.measures[size_t(m)].x,
                  prev.x + prev.leadIn + prev.laidOutWidth + prev.trailingWidth);
    }
    // A note sits in its measure after the lead-in.
    const CStaffNote& first = *plan.model.staves[0].voices[0]->notes[0];
    EXPECT_EQ(first.x, plan.model.measures[0].x + plan.model.measures[0].leadIn);
}

TEST(StaffPrintPlan, FourSystemsOnAPageReachTheBottomMarginThreeKeepTheirSpacing)
{
    const PrintSong s(120);
    const int system = s.plan().systemHeight;
    for (int perPage : {3, 4, 5}) {
        StaffPrintInput in;
        // Room for `perPage` systems on every page after the first.
        in.pageHeight = 1000 + 500 + perPage * system + system / 2 + 1500;
        const StaffPrintPlan plan = s.plan(in);
        ASSERT_GE(plan.pageCount(), 3) << perPage;
        EXPECT_EQ(plan.pageLineCount[1], perPage);
        const int spread = plan.pageSpread(1);
        if (perPage < 4) {
            EXPECT_EQ(spread, 0);
        } else {
            const int bottom = plan.pageTop(1) + plan.pageUsedHeight[1] + (perPage - 1) * spread;
            EXPECT_LE(bottom, plan.printRect.bottom);
            EXPECT_GT(bottom + perPage, plan.printRect.bottom);
        }
        // The last page is never spread.
        EXPECT_EQ(plan.pageSpread(plan.pageCount() - 1), 0);
        int lines = 0;
        for (int count : plan.pageLineCount)
            lines += count;
        EXPECT_EQ(lines, int(plan.systemStarts.size()));
    }
}

TEST(StaffPrintPlan, RangeFollowsTheSelection)
{
    const PrintSong s(8);
    const int bar = 1920;
    const struct {
        int64_t from, to;
        int first, last;
    } cases[] = {
        {-1, -1, 0, 7},          // the whole song
        {bar, 3 * bar, 1, 2},    // ends on a bar start: that bar is left out
        {bar, 3 * bar + 1, 1, 3},
        {bar + 5, bar + 5, 1, 1},
    };
    for (const auto& c : cases) {
        StaffPrintInput in;
        in.selectionFrom = c.from;
        in.selectionTo = c.to;
        const StaffPrintPlan plan = s.plan(in);
        EXPECT_EQ(plan.firstMeasure, c.first) << c.from << ".." << c.to;
        EXPECT_EQ(plan.lastMeasure, c.last) << c.from << ".." << c.to;
        EXPECT_EQ(plan.systemStarts.front(), c.first);
    }
}

TEST(StaffPrintPlan, OneMeasureSongPrintsOnePage)
{
    const PrintSong s(1);
    const StaffPrintPlan plan = s.plan();
    EXPECT_EQ(plan.pageCount(), 1);
    EXPECT_EQ(plan.lastMeasure, 0);
}

TEST(StaffPrintPlan, LongSongFillsEveryPageWithSystems)
{
    const PrintSong s(500, 2);
    const StaffPrintPlan plan = s.plan();
    ASSERT_GT(plan.pageCount(), 1);
    int lines = 0;
    for (int page = 0; page < plan.pageCount(); ++page) {
        EXPECT_GE(plan.pageLineCount[size_t(page)], 1) << page;
        EXPECT_LE(plan.pageUsedHeight[size_t(page)], plan.pageRoom(page)) << page;
        EXPECT_EQ(plan.pageFirstLine[size_t(page)], lines);
        lines += plan.pageLineCount[size_t(page)];
    }
    EXPECT_EQ(lines, int(plan.systemStarts.size()));
    EXPECT_EQ(plan.systemEnd(lines - 1), 500);
}

// Four staves of a long song: a page takes systems until the next would
// pass its room, and a system takes measures until the next would pass its
// width, so no page or system ends early.
TEST(StaffPrintPlan, PagesAndSystemsTakeAllThatFits)
{
    const PrintSong s(400, 4);
    const StaffPrintPlan plan = s.plan();
    ASSERT_FALSE(plan.refused);
    ASSERT_GT(plan.pageCount(), 2);
    for (int page = 0; page + 1 < plan.pageCount(); ++page)
        EXPECT_GT(plan.pageUsedHeight[size_t(page)] + plan.systemHeight, plan.pageRoom(page)) << page;
    const int lines = int(plan.systemStarts.size());
    for (int line = 0; line + 1 < lines; ++line) {
        int natural = 0;
        for (int m = plan.systemStarts[size_t(line)]; m < plan.systemEnd(line); ++m) {
            const CStaffMeasure& rec = plan.model.measures[size_t(m)];
            natural += rec.leadIn + rec.contentWidth + rec.trailingWidth;
        }
        const CStaffMeasure& next = plan.model.measures[size_t(plan.systemEnd(line))];
        const int available = plan.printRect.right - plan.printRect.left - (line == 0 ? kFirstSystemIndent : 0);
        EXPECT_GT(natural + plan.defaultLeadIn + next.extraLeadIn + next.contentWidth + next.trailingWidth,
                  available)
            << line;
    }
}

// 400 bars of sixteenths on the middle line, four staves, A4 at the
// default print size, screen staff size 28 (G = 27, P = 714):
// - a bar is 4 quarters of 64 px plus a lead-in of 20 px (the first of a
//   system a header wider), 276 px scaled by 714 / 27 to 7297: two take
//   14606 of the 17300 (first system) or 19000 units a system has, a third
//   would pass it, so 200 systems;
// - a staff's band is its least, 24 steps of 3.5 px, 84 px scaled to 2221,
//   so a system is 8884 high: page 1 has room (25700) for two, every later
//   page (26700) for three: 1 + 198 / 3 = 67 pages.
TEST(StaffPrintPlan, FourHundredBarsOfSixteenthsOnFourStavesTakeSixtySevenPages)
{
    StaffSong s;
    s.song->measureMap.assign(400, s.song->measureMap.front());
    s.song->measureMapEnd = RecomputeMeasureStarts(s.song->measureMap, 480);
    s.song->endTick = s.song->measureMapEnd;
    for (int t = 0; t < 4; ++t) {
        CTrack& tr = s.track();
        for (int i = 0; i < 400 * 16; ++i)
            tr.events.push_back(note(i * 120, 71, 90, 110));
    }
    const StaffModel screen = s.build();
    s.metrics.fontUnit = 714;
    StaffPrintInput in;
    in.screenStaffSize = s.settings.staffSize;
    const StaffPrintPlan plan = planStaffPrint(screen, *s.song, in, s.metrics);
    ASSERT_FALSE(plan.refused);
    EXPECT_EQ(plan.systemHeight, 4 * 2221);
    EXPECT_EQ(plan.systemStarts.size(), 200u);
    EXPECT_EQ(plan.pageLineCount[0], 2);
    EXPECT_EQ(plan.pageLineCount[1], 3);
    EXPECT_EQ(plan.pageCount(), 67);
}

TEST(StaffPrintPlan, ScoreTallerThanThePageIsRefused)
{
    const PrintSong s(4, 12);
    const StaffPrintPlan plan = s.plan();
    EXPECT_TRUE(plan.refused);
    EXPECT_EQ(plan.pageCount(), 0);
    StaffPrintInput in;
    in.pageHeight = 4 * kA4Height;
    EXPECT_FALSE(s.plan(in).refused);
}

TEST(StaffPrintPlan, NarrowPageKeepsEveryWidthPositive)
{
    const PrintSong s(12);
    StaffPrintInput in;
    in.pageWidth = 4000; // 40 mm: the first system's indent takes more than its width
    in.printStaffSize = 0;
    const StaffPrintPlan plan = s.plan(in);
    ASSERT_FALSE(plan.refused);
    EXPECT_GE(plan.systemStarts.size(), 12u);
    for (int m = plan.firstMeasure; m <= plan.lastMeasure; ++m) {
        const CStaffMeasure& rec = plan.model.measures[size_t(m)];
        EXPECT_GE(rec.laidOutWidth, 1) << m;
        if (m > 0) {
            EXPECT_GT(rec.x, plan.model.measures[size_t(m - 1)].x) << m;
        }
    }
}

TEST(StaffPrintPlan, WideMeasureScalesIn64Bits)
{
    PrintSong s(2);
    s.screen.measures[1].contentWidth = 4'000'000;
    s.screen.measures[1].laidOutWidth = 4'000'000;
    const StaffPrintPlan plan = s.plan();
    // The last system is not justified: the width is the scaled one.
    EXPECT_EQ(plan.model.measures[1].laidOutWidth, int(4'000'000LL * 714 / 27));
}

TEST(StaffPrintPlan, ScreenModelIsUnchanged)
{
    PrintSong s(30, 2);
    CStaffTrack& staff = s.screen.staves[0];
    CStaffText wedge;
    wedge.kind = kWedgeText;
    wedge.tick = 1920;
    wedge.x = s.screen.measures[1].x + s.screen.measures[1].leadIn;
    wedge.wedgeLength = -(s.screen.measures[2].x + s.screen.measures[2].leadIn - wedge.x);
    wedge.measure = 1;
    staff.texts.push_back(wedge);
    const std::string before = DumpStaffModel(s.screen);
    const StaffPrintPlan plan = s.plan();
    EXPECT_EQ(DumpStaffModel(s.screen), before);
    EXPECT_NE(DumpStaffModel(plan.model), before);
    // The wedge ends where the screen shows it: at the next bar's first beat.
    const CStaffText& printed = plan.model.staves[0].texts.back();
    const CStaffMeasure& next = plan.model.measures[2];
    EXPECT_EQ(printed.x - printed.wedgeLength, next.x + next.leadIn);
    EXPECT_LT(printed.wedgeLength, 0);
}

} // namespace
} // namespace rz::test
