#include "tests/staff/view/staff_rig.h"

#include "core/midi_bytes.h"
#include "song/cue.h"
#include "staff/symbols/dynamic_marks.h"

#include <gtest/gtest.h>

#include <QFontMetrics>

#include <algorithm>

namespace rz {
namespace {

using test::ink;
using test::inkInColumn;
using test::StaffRig;

// Client coordinates of the score's document points.
struct ScoreGeometry {
    const StaffView& view;
    int x(int docX) const { return view.metrics().headerWidth + docX - view.originX(); }
    int y(int docY) const { return view.rulerHeight() + docY - view.originY(); }
    int staffTop(int staff = 0) const { return y(view.model().staves[size_t(staff)].topLineY); }
    // Between the top two lines of a staff.
    int betweenLines(int staff = 0) const
    {
        return staffTop(staff) + view.metrics().glyph / 8;
    }
    const CStaffMeasure& measure(int m) const { return view.model().measures[size_t(m)]; }
};

TEST(StaffRender, NoBarLineAtTheFirstMeasuresStartNorAfterTheLast)
{
    StaffRig rig(3);
    rig.addTrack();
    StaffView& view = rig.open(false, {900, 300});
    const QImage image = rig.picture();
    const ScoreGeometry g{view};
    const int y = g.betweenLines();
    EXPECT_FALSE(ink(image, g.x(g.measure(0).x), y));
    EXPECT_TRUE(ink(image, g.x(g.measure(1).x), y));
    EXPECT_TRUE(ink(image, g.x(g.measure(2).x), y));
    const CStaffMeasure& last = g.measure(2);
    const int end = last.x + last.leadIn + last.laidOutWidth + last.trailingWidth;
    for (int dx = 0; dx <= 2; ++dx)
        EXPECT_FALSE(ink(image, g.x(end) + dx, y)) << dx;
}

TEST(StaffRender, AKeyChangeDrawsADoubleBarAMeterChangeASingleOne)
{
    StaffRig rig(4, {{4, 4, 0}, {4, 4, 3}, {3, 4, 3}, {3, 4, 3}});
    rig.addTrack();
    StaffView& view = rig.open(false, {1000, 300});
    const QImage image = rig.picture();
    const ScoreGeometry g{view};
    const int y = g.betweenLines();
    ASSERT_TRUE(g.measure(1).headerFlags & kHeaderChange);
    ASSERT_TRUE(g.measure(2).headerFlags & kHeaderChange);
    const int key = g.x(g.measure(1).x);
    EXPECT_TRUE(ink(image, key, y));
    EXPECT_FALSE(ink(image, key + 1, y));
    EXPECT_TRUE(ink(image, key + 3, y));
    const int meter = g.x(g.measure(2).x);
    EXPECT_TRUE(ink(image, meter, y));
    EXPECT_FALSE(ink(image, meter + 3, y));
    // The meter change draws its time signature in its lead-in.
    EXPECT_GT(inkInColumn(image, meter + g.measure(2).leadIn / 2, g.staffTop(), g.staffTop() + 20), 0);
}

TEST(StaffRender, MarkerNamesHideOnceScrolledDown)
{
    StaffRig rig(4);
    for (int t = 0; t < 6; ++t)
        rig.fillQuarters(rig.addTrack());
    auto cue = std::make_unique<CCue>();
    cue->kind = kCueMarker;
    cue->name = "Verse";
    cue->time = rig.startOf(1);
    rig.song->cues.push_back(std::move(cue));
    StaffView& view = rig.open(false, {700, 200});
    ASSERT_GT(view.lines().maxOriginY, 0);
    const ScoreGeometry g{view};
    const auto greyIn = [&](const QImage& image) {
        const int left = g.x(TimeToPointX(view.model(), rig.startOf(1)));
        int count = 0;
        for (int y = view.rulerHeight(); y < view.rulerHeight() + 12; ++y)
            for (int x = left; x < left + 30; ++x)
                if (image.pixel(x, y) == qRgb(0x80, 0x80, 0x80))
                    ++count;
        return count;
    };
    EXPECT_GT(greyIn(rig.picture()), 0);
    view.setVertPos(20);
    ASSERT_EQ(view.originY(), 20);
    EXPECT_EQ(greyIn(rig.picture()), 0);
}

// Only a number alone below 13 is a dynamic: 12 is the trill glyph, "13"
// and "3 times" print as text.
TEST(StaffRender, TwelveIsTheTrillThirteenAndThreeTimesAreText)
{
    StaffRig rig(2);
    const int number = rig.addTrack();
    auto& events = rig.track(number).events;
    events.push_back(test::note(0, 72, 90, 1900));
    events.push_back(test::textEvent(0, "@DR;2;0;12"));
    events.push_back(test::textEvent(480, "@DR;2;0;13"));
    events.push_back(test::textEvent(960, "@DR;2;0;3 times"));
    StaffView& view = rig.open(false, {900, 300});
    (void)rig.picture();
    const auto& texts = view.model().staves[0].texts;
    ASSERT_EQ(texts.size(), 3u);
    const int g = view.metrics().glyph;
    const QRectF trill = dynamicMarkBounds(test::staffFont(), 12, g);
    ASSERT_GT(trill.width(), 2);
    EXPECT_NEAR(texts[0].rect.right - texts[0].rect.left, trill.width(), 1.5);
    QFont expression("Liberation Serif");
    expression.setPixelSize(11 * g / 16);
    expression.setBold(true);
    expression.setItalic(true);
    const QFontMetrics fm(expression);
    EXPECT_NEAR(texts[1].rect.right - texts[1].rect.left, fm.horizontalAdvance("13"), 2);
    EXPECT_NEAR(texts[2].rect.right - texts[2].rect.left, fm.horizontalAdvance("3 times"), 3);
    EXPECT_GT(texts[2].rect.right - texts[2].rect.left, 2 * (texts[1].rect.right - texts[1].rect.left));
}

TEST(StaffRender, TheLeadSheetMarksThePlayMeasureEndsWithAFinalBarAndDropsPedals)
{
    StaffRig rig(6);
    const int number = rig.addTrack();
    rig.fillQuarters(number);
    StaffView& view = rig.open(true, {700, 500});
    rig.song->setPosition(rig.startOf(1) + 100);
    view.follow();
    ASSERT_EQ(view.playMeasure(), 1);
    const QImage image = rig.picture();
    const StaffModel& model = view.model();
    const StaffLines& lines = view.lines();
    const auto client = [&](int measure, int docX, int docY) {
        const int line = lines.lineOf(measure);
        const int lineX = model.measures[size_t(lines.lineStarts[size_t(line)])].x;
        return QPoint(docX - lineX + kLeadMargin, docY + line * lines.lineHeight - view.originY());
    };
    const CStaffMeasure& playing = model.measures[1];
    const int top = model.staves[0].topLineY;
    const QPoint box = client(1, playing.x + 2, top + view.metrics().glyph / 8);
    EXPECT_EQ(image.pixel(box), qRgb(0xFF, 0xFF, 0x80));
    // The last shown measure is the map's last but one.
    const CStaffMeasure& last = model.measures[4];
    const int r = last.x + last.leadIn + last.laidOutWidth + last.trailingWidth;
    const QPoint bar = client(4, r + 1, top + view.metrics().glyph / 8);
    EXPECT_TRUE(ink(image, bar.x(), bar.y()));
    // The staff lines stop in the final bar instead of running on to the edge.
    const int gTenth = std::max(view.metrics().glyph / 10, 1);
    for (int i = 0; i < 5; ++i) {
        const int lineY = top + i * view.metrics().glyph / 4;
        const QPoint before = client(4, r - gTenth - 3, lineY);
        const QPoint after = client(4, r + gTenth + 3, lineY);
        ASSERT_LT(after.x(), view.width() - kLeadMargin - 17);
        EXPECT_TRUE(ink(image, before.x(), before.y())) << i;
        EXPECT_FALSE(ink(image, after.x(), after.y())) << i;
    }
    // Sustain pedals leave the lead sheet as it was.
    auto& events = rig.track(number).events;
    events.push_back(test::controller(rig.startOf(2), 64, 127));
    events.push_back(test::controller(rig.startOf(2) + 960, 64, 0));
    std::stable_sort(events.begin(), events.end(),
                     [](const CMidiEvent& a, const CMidiEvent& b) { return a.tick < b.tick; });
    view.songUpdate(0);
    view.follow();
    EXPECT_EQ(rig.picture(), image);
}

// A whole note tied over each bar line, or a crescendo over each, a bar
// or two a line: ties and wedges stop at the line's right edge (ties come
// back after the next line's header), leaving both margins bare.
TEST(StaffRender, LeadSheetTiesAndWedgesOverALineBreakKeepInsideTheLine)
{
    for (const bool wedges : {false, true}) {
        StaffRig rig(5);
        const int number = rig.addTrack();
        auto& events = rig.track(number).events;
        if (wedges) {
            for (int m = 0; m < 4; ++m) {
                events.push_back(test::note(rig.startOf(m), 71, 90, 1900));
                events.push_back(test::textEvent(rig.startOf(m) + 960, "@DR;3;1920"));
            }
        } else {
            events.push_back(test::note(0, 71, 90, 4 * 1920));
        }
        StaffView& view = rig.open(true, {200, 900});
        const StaffLines& lines = view.lines();
        ASSERT_GE(lines.lineCount(), 3);
        const QImage image = rig.picture();
        const StaffModel& model = view.model();
        const int g = view.metrics().glyph;
        const int pageRight = view.width() - 17 - kLeadMargin;
        const int bottom = model.systemHeight + g;
        for (int line = 0; line < 3; ++line) {
            const int lineTop = line * lines.lineHeight - view.originY();
            for (int y = lineTop; y <= lineTop + bottom; ++y) {
                for (int x = 0; x < kLeadMargin - 1; ++x)
                    EXPECT_FALSE(ink(image, x, y)) << wedges << " left margin, line " << line << " at " << x << "," << y;
                for (int x = pageRight + 2; x < view.width() - 17; ++x)
                    EXPECT_FALSE(ink(image, x, y)) << wedges << " right margin, line " << line << " at " << x << "," << y;
            }
        }
    }
}

TEST(StaffRender, PaintingLeavesTheLayoutUnchanged)
{
    for (const bool lead : {false, true}) {
        StaffRig rig(8);
        rig.fillQuarters(rig.addTrack());
        rig.track(1).events.push_back(test::textEvent(480, "la", midi::kMetaLyric));
        StaffView& view = rig.open(lead, {600, 400});
        const std::string before = DumpStaffModel(view.model());
        const StaffLines lines = view.lines();
        (void)rig.picture();
        view.setHorzPos(300);
        (void)rig.picture();
        EXPECT_EQ(DumpStaffModel(view.model()), before);
        EXPECT_EQ(view.lines().lineStarts, lines.lineStarts);
    }
}

// A dynamic, a wedge and a pedal mark under syllables, with a low note in
// the next bar lowering the line's lyrics: each mark is drawn clear below
// the lyrics and within its staff's band, where no other staff draws.
TEST(StaffRender, MarksUnderTheStaffClearTheLyrics)
{
    const struct {
        const char* name;
        std::vector<CMidiEvent> marks;
        int kind;
    } kCases[] = {
        {"mf", {test::textEvent(0, "@DR;2;0;6")}, kExpressionText},
        {"wedge", {test::textEvent(0, "@DR;3;960")}, kWedgeText},
        {"pedal", {test::controller(0, 64, 127), test::controller(960, 64, 0)}, kPedalDownText},
    };
    for (const auto& c : kCases) {
        StaffRig rig(2);
        const int number = rig.addTrack();
        auto& events = rig.track(number).events;
        for (int q = 0; q < 4; ++q)
            events.push_back(test::note(q * 480, 67, 90, 440));
        events.push_back(test::note(1920, 57, 90, 1900));
        for (int q = 0; q < 5; ++q)
            events.push_back(test::textEvent(q * 480, q == 0 ? "Twin" : "kle", midi::kMetaLyric));
        events.insert(events.end(), c.marks.begin(), c.marks.end());
        std::stable_sort(events.begin(), events.end(),
                         [](const CMidiEvent& a, const CMidiEvent& b) { return a.tick < b.tick; });
        StaffView& view = rig.open(false, {900, 400});
        (void)rig.picture();
        const CStaffTrack& staff = view.model().staves[0];
        const CStaffText* mark = nullptr;
        std::vector<const CStaffText*> lyrics;
        for (const CStaffText& text : staff.texts) {
            if (text.kind == c.kind && !mark)
                mark = &text;
            if (text.kind == kLyricText)
                lyrics.push_back(&text);
        }
        ASSERT_NE(mark, nullptr) << c.name;
        ASSERT_EQ(lyrics.size(), 5u) << c.name;
        const QRect drawn(QPoint(mark->rect.left, mark->rect.top), QPoint(mark->rect.right, mark->rect.bottom));
        ASSERT_GT(drawn.height(), 1) << c.name;
        for (const CStaffText* lyric : lyrics) {
            const QRect words(QPoint(lyric->rect.left, lyric->rect.top),
                              QPoint(lyric->rect.right, lyric->rect.bottom));
            EXPECT_FALSE(drawn.intersects(words)) << c.name << " on \"" << lyric->text << "\"";
        }
        EXPECT_LE(mark->rect.bottom, view.model().systemHeight) << c.name;
    }
}

// A dynamic under a chord whose lowest head hangs below the staff, and a
// crescendo starting under it: the dynamic's letters keep off the heads
// and the wedge keeps below the letters.
TEST(StaffRender, DynamicsClearTheNotesAboveAndTheWedgesBelow)
{
    StaffRig rig(2);
    const int number = rig.addTrack();
    auto& events = rig.track(number).events;
    for (int q = 0; q < 4; ++q)
        for (const uint8_t pitch : {60, 64, 67})
            events.push_back(test::note(q * 480, pitch, 90, 440));
    events.push_back(test::textEvent(0, "@DR;2;0;5"));
    events.push_back(test::textEvent(0, "@DR;3;1440"));
    std::stable_sort(events.begin(), events.end(),
                     [](const CMidiEvent& a, const CMidiEvent& b) { return a.tick < b.tick; });
    StaffView& view = rig.open(false, {900, 400});
    (void)rig.picture();
    const auto rectOf = [](const StaffRect& r) { return QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)); };
    const CStaffTrack& staff = view.model().staves[0];
    const CStaffText* dynamic = nullptr;
    const CStaffText* wedge = nullptr;
    for (const CStaffText& text : staff.texts) {
        if (text.kind == kExpressionText)
            dynamic = &text;
        if (text.kind == kWedgeText)
            wedge = &text;
    }
    ASSERT_NE(dynamic, nullptr);
    ASSERT_NE(wedge, nullptr);
    const QRect letters = rectOf(dynamic->rect);
    ASSERT_GT(letters.height(), 1);
    int heads = 0;
    for (const auto& voice : staff.voices)
        for (const auto& note : voice->notes)
            for (const CStaffItem& item : note->items) {
                ++heads;
                EXPECT_FALSE(letters.intersects(rectOf(item.rect))) << "head at " << item.position;
            }
    EXPECT_EQ(heads, 12);
    EXPECT_FALSE(letters.intersects(rectOf(wedge->rect)));
    EXPECT_LE(wedge->rect.bottom, view.model().systemHeight);
}

TEST(StaffRender, WithoutStavesTheScoreAsksForTracks)
{
    StaffRig rig(4);
    StaffView& view = rig.open(false, {900, 300});
    const QImage image = rig.picture();
    const QRect area = view.notationRect();
    int inked = 0;
    for (int y = area.top() + 88; y < area.top() + 110; ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            inked += ink(image, x, y) ? 1 : 0;
    EXPECT_GT(inked, 50);
}

// Pictures of 16 bars for a reader of the test's results.
TEST(StaffRender, WritesPicturesOfSixteenBars)
{
    for (const bool lead : {false, true}) {
        StaffRig rig(18, {{4, 4, 0}, {4, 4, 0}, {4, 4, 0}, {4, 4, 0}, {4, 4, 0}, {4, 4, 0}, {4, 4, 0},
                          {4, 4, 0}, {3, 4, 2}});
        const int melody = rig.addTrack();
        rig.fillQuarters(melody);
        auto& events = rig.track(melody).events;
        events.push_back(test::textEvent(0, "@DR;2;0;6"));
        events.push_back(test::textEvent(0, "Hel", midi::kMetaLyric));
        events.push_back(test::textEvent(480, "lo", midi::kMetaLyric));
        events.push_back(test::textEvent(960, "world", midi::kMetaLyric));
        std::stable_sort(events.begin(), events.end(),
                         [](const CMidiEvent& a, const CMidiEvent& b) { return a.tick < b.tick; });
        if (!lead)
            rig.fillQuarters(rig.addTrack(1));
        StaffView& view = rig.open(lead, lead ? QSize(1000, 700) : QSize(1600, 400));
        rig.song->setPosition(rig.startOf(2));
        view.follow();
        const QString file = QString(RZ_STAFF_PICTURES) + (lead ? "/leadsheet.png" : "/score.png");
        EXPECT_TRUE(rig.picture().save(file));
    }
}

} // namespace
} // namespace rz
