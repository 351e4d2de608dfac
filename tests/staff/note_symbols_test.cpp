#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "staff/symbols/note_symbols.h"
#include "tests/staff/symbol_pictures.h"

namespace rz::test {
namespace {

constexpr int kSymbolSize = 40; // a staff space is 10 px
constexpr int kY = 120;         // the middle line

std::unique_ptr<CStaffNote> element(int x, int value, std::vector<int> positions, bool rest = false)
{
    auto note = std::make_unique<CStaffNote>();
    note->x = x;
    note->value = value;
    note->rest = rest;
    for (size_t i = 0; i < positions.size(); ++i) {
        CStaffItem item;
        item.span = int(i);
        item.position = positions[i];
        note->items.push_back(item);
    }
    return note;
}

QImage draw(CStaffBeat& beat, const CStaffTrack* staff = nullptr, uint32_t tag = 0)
{
    QImage image = whiteImage(300, 240);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawNoteSymbols(painter, beat, 100, kY, staff, tag, musicFont(), kSymbolSize);
    return image;
}

// Separate blobs of ink crossed by a horizontal or vertical line.
int runsAcross(const QImage& image, int fixed, int from, int to, bool vertical)
{
    int runs = 0;
    bool inside = false;
    for (int v = from; v <= to; ++v) {
        const QRgb pixel = vertical ? image.pixel(fixed, v) : image.pixel(v, fixed);
        const bool ink = qGray(pixel) < 160;
        runs += ink && !inside;
        inside = ink;
    }
    return runs;
}

TEST(NoteSymbols, DottedRestsShowTheirDots)
{
    const struct {
        int value;
        int dots;
    } kCases[] = {{16, 0}, {24, 1}, {28, 2}, {12, 1}};
    for (const auto& c : kCases) {
        CStaffBeat beat;
        beat.notes.push_back(element(0, c.value, {}, true));
        const QImage image = draw(beat);
        const CStaffNote& rest = *beat.notes[0];
        const QRect ink = inkBox(image);
        ASSERT_FALSE(ink.isNull()) << c.value;
        // Right of the rest's glyph, along the dots' row.
        const int dotRow = kY - kSymbolSize / 8;
        const MusicGlyph glyph = c.value == 12 ? MusicGlyph::Rest8 : MusicGlyph::Rest16;
        const int glyphRight = int(100 - musicFont().advance(MusicGlyph::HeadBlack0, kSymbolSize) / 2
                                   + musicFont().bounds(glyph, kSymbolSize).right()) + 1;
        EXPECT_EQ(runsAcross(image, dotRow, glyphRight, rest.rightX + 4, false), c.dots) << c.value;
    }
}

TEST(NoteSymbols, HeadsAreRedWhenSelectedOrWithoutAStaff)
{
    CStaffTrack staff;
    const struct {
        uint32_t stamp;
        int pending;
        bool red;
    } kSpans[] = {{5, 0, true}, {3, 0, false}, {3, 1, true}, {5, -1, false}};
    for (const auto& s : kSpans) {
        CStaffSpan span;
        span.selectionStamp = s.stamp;
        span.flag = s.pending;
        staff.spans.push_back(span);
    }
    for (int withStaff = 0; withStaff < 2; ++withStaff) {
        for (size_t i = 0; i < std::size(kSpans); ++i) {
            CStaffBeat beat;
            auto note = element(0, 64, {0});
            note->items[0].span = int(i);
            beat.notes.push_back(std::move(note));
            const QImage image = draw(beat, withStaff ? &staff : nullptr, 5);
            const StaffRect r = beat.notes[0]->items[0].rect;
            const QRect head(QPoint(r.left, r.top), QPoint(r.right, r.bottom));
            bool red = false, black = false;
            for (int y = head.top(); y <= head.bottom(); ++y)
                for (int x = head.left(); x <= head.right(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    red |= c.red() > 200 && c.green() < 80;
                    black |= c.red() < 80 && c.green() < 80;
                }
            const bool expectRed = !withStaff || kSpans[i].red;
            EXPECT_EQ(red, expectRed) << withStaff << " " << i;
            EXPECT_EQ(black, !expectRed) << withStaff << " " << i;
        }
    }
}

TEST(NoteSymbols, LedgerLinesReachTheStaff)
{
    const struct {
        int position;
        int ledgers;
    } kCases[] = {{8, 2}, {7, 1}, {6, 1}, {5, 0}, {-8, 2}, {-6, 1}};
    for (const auto& c : kCases) {
        CStaffBeat beat;
        beat.notes.push_back(element(0, 64, {c.position}));
        const QImage image = draw(beat);
        const int left = beat.notes[0]->leftX - 3; // beside the head, where only ledgers are
        EXPECT_EQ(runsAcross(image, left, 0, image.height() - 1, true), c.ledgers) << c.position;
    }
}

// Close low notes keep their ledger lines apart: joined, they read as extra
// staff lines.
TEST(NoteSymbols, LedgerLinesOfNeighboursStayApart)
{
    const int head = int(musicFont().advance(MusicGlyph::HeadBlack0, kSymbolSize));
    const int spacing = 2 * head + 1;
    CStaffBeat beat;
    for (int i = 0; i < 4; ++i)
        beat.notes.push_back(element(i * spacing, 64, {-8}));
    const QImage image = draw(beat);
    const int ledgerRow = kY + 6 * kSymbolSize / 8; // position -6
    EXPECT_EQ(runsAcross(image, ledgerRow, 100 - 2 * head, 100 + 3 * spacing + 2 * head, false), 4);
    // A lone note keeps its ledger line a head wide on each side.
    CStaffBeat lone;
    lone.notes.push_back(element(0, 64, {-8}));
    const QImage alone = draw(lone);
    EXPECT_EQ(runsAcross(alone, ledgerRow, 100 - head - 3, 100 - head + 1, false), 1);
}

TEST(NoteSymbols, SixteenthsGetTwoBeamsAndQuartersAStem)
{
    CStaffBeat beat;
    beat.notes.push_back(element(0, 4, {0}));
    beat.notes.push_back(element(40, 4, {1}));
    const QImage image = draw(beat);
    const CStaffNote& a = *beat.notes[0];
    const CStaffNote& b = *beat.notes[1];
    const int between = (a.stemX + b.stemX) / 2;
    EXPECT_EQ(runsAcross(image, between, 0, image.height() - 1, true), 2);
}

// The centres of the ink runs a vertical line crosses.
std::vector<int> inkRows(const QImage& image, int x, int from, int to)
{
    std::vector<int> rows;
    int start = -1;
    for (int y = from; y <= to + 1; ++y) {
        const bool ink = y <= to && qGray(image.pixel(x, y)) < 160;
        if (ink && start < 0)
            start = y;
        if (!ink && start >= 0) {
            rows.push_back((start + y - 1) / 2);
            start = -1;
        }
    }
    return rows;
}

TEST(NoteSymbols, InnerBeamsJoinNeighboursAndLoneShortNotesGetStubs)
{
    // Beams crossed just right of each stem and just left of it, from the
    // first note on; a lone sixteenth points into the run.
    const struct {
        std::vector<int> values;
        std::vector<int> rightOf; // beams just right of each stem but the last
        std::vector<int> leftOf;  // beams just left of each stem but the first
    } kCases[] = {
        {{12, 4}, {1}, {2}},          // dotted eighth, sixteenth: stub to the left
        {{4, 12}, {2}, {1}},          // sixteenth first: stub to the right
        {{4, 4}, {2}, {2}},
        {{8, 4, 8}, {1, 1}, {2, 1}},  // a lone sixteenth inside points back
        {{4, 4, 8}, {2, 1}, {2, 1}},
        {{2, 8}, {3}, {1}},           // a thirty-second's two stubs
    };
    for (const auto& c : kCases) {
        CStaffBeat beat;
        for (size_t i = 0; i < c.values.size(); ++i)
            beat.notes.push_back(element(int(i) * 60, c.values[i], {0}));
        const QImage image = draw(beat);
        const int above = beat.notes[0]->highHeadY - 8; // over the heads, where only beams are
        const int reach = int(musicFont().advance(MusicGlyph::HeadBlack0, kSymbolSize) / 3); // half a stub
        for (size_t i = 0; i + 1 < c.values.size(); ++i)
            EXPECT_EQ(int(inkRows(image, beat.notes[i]->stemX + 2 + reach / 2, 0, above).size()),
                      c.rightOf[i]) << c.values[0] << " right of " << i;
        for (size_t i = 1; i < c.values.size(); ++i)
            EXPECT_EQ(int(inkRows(image, beat.notes[i]->stemX - reach, 0, above).size()),
                      c.leftOf[i - 1]) << c.values[0] << " left of " << i;
    }
}

TEST(NoteSymbols, ChordTiesSplitBetweenUpAndDown)
{
    const int step = kSymbolSize / 8;
    const struct {
        std::vector<int> positions;
        bool stemDown;
        bool second;
        std::vector<bool> down; // each head's tie, lowest first
    } kCases[] = {
        {{0}, false, false, {true}},
        {{0}, true, false, {false}},
        {{-4, 0, 4}, false, false, {true, true, false}},
        {{-4, 0, 4}, true, false, {true, false, false}},
        {{-6, -2, 2, 6}, false, false, {true, true, false, false}},
        {{-5, -4, -3, 4}, false, true, {true, true, true, false}}, // seconds: split at the widest gap
    };
    for (const auto& c : kCases) {
        CStaffBeat beat;
        for (int i = 0; i < 2; ++i) {
            auto note = element(i * 100, 16, c.positions);
            note->stemDown = c.stemDown;
            note->second = c.second;
            note->tied = i == 1;
            note->beamBreak = i == 1; // quarters: two runs, no beam
            beat.notes.push_back(std::move(note));
        }
        const QImage image = draw(beat);
        const int middle = (beat.notes[0]->rightX + beat.notes[1]->leftX) / 2;
        std::vector<int> expected;
        for (size_t i = 0; i < c.positions.size(); ++i)
            expected.push_back(kY - c.positions[i] * step + (c.down[i] ? 3 : -3) * step);
        std::sort(expected.begin(), expected.end());
        const std::vector<int> rows = inkRows(image, middle, 0, image.height() - 1);
        std::string seen;
        for (int r : rows)
            seen += std::to_string(r) + " ";
        ASSERT_EQ(rows.size(), expected.size()) << c.positions.size() << " " << c.stemDown << ": " << seen << " at " << middle;
        for (size_t i = 0; i < rows.size(); ++i)
            EXPECT_NEAR(rows[i], expected[i], 2) << c.positions.size() << " " << c.stemDown << " " << i;
    }
}

TEST(NoteSymbols, FlagsHangFromTheStemEnd)
{
    for (bool down : {false, true}) {
        for (int value : {8, 4, 2}) {
            CStaffBeat beat;
            auto note = element(0, value, {down ? 2 : -2});
            note->stemDown = down;
            beat.notes.push_back(std::move(note));
            const QImage image = draw(beat);
            const CStaffNote& n = *beat.notes[0];
            // Right of the stem and clear of the head.
            const QRect region = down ? QRect(n.stemX + 2, n.lowHeadY + 8, 20, 60)
                                      : QRect(n.stemX + 2, n.stemTopY - 2, 20, 60);
            const QRect flag = inkBox(image, region);
            ASSERT_FALSE(flag.isNull()) << down << " " << value;
            const MusicGlyph glyph = MusicGlyph(int(down ? MusicGlyph::FlagDown8 : MusicGlyph::FlagUp8)
                                                + (value == 8 ? 0 : value == 4 ? 1 : 2));
            const qreal stemLeft = n.stemX - std::max(1.0, 3 * kSymbolSize / 64.0) / 2;
            const QPointF end(stemLeft, down ? n.stemBottomY : n.stemTopY);
            // The same glyph alone, set at the stem's end, inks the same box.
            QImage alone = whiteImage(image.width(), image.height());
            {
                QPainter painter(&alone);
                musicFont().draw(painter, glyph, end, kSymbolSize);
            }
            EXPECT_TRUE(near(flag, inkBox(alone, region), 1)) << down << " " << value;
        }
    }
}

TEST(NoteSymbols, AStemIsThirteenFortyEighthsOfTheCellLong)
{
    for (int position : {-6, 6}) {
        CStaffBeat beat;
        auto note = element(0, 16, {position});
        note->stemDown = position > 0;
        beat.notes.push_back(std::move(note));
        draw(beat);
        const CStaffNote& n = *beat.notes[0];
        const qreal headY = kY - position * kSymbolSize / 8.0;
        const qreal length = n.stemDown ? n.stemBottomY - headY : headY - n.stemTopY;
        EXPECT_NEAR(length, 32.5, 1.5) << position; // 3.25 spaces
    }
}

TEST(NoteSymbols, HeadTwelveIsACircledCross)
{
    CStaffBeat plain, circled;
    plain.notes.push_back(element(0, 64, {0}));
    plain.notes[0]->items[0].head = 4;
    circled.notes.push_back(element(0, 64, {0}));
    circled.notes[0]->items[0].head = 12;
    const QRect cross = inkBox(draw(plain), QRect(60, kY - 12, 60, 24));
    const QRect ring = inkBox(draw(circled), QRect(60, kY - 12, 60, 24));
    const QPointF origin(100 - musicFont().advance(MusicGlyph::HeadBlack0, kSymbolSize) / 2, kY);
    EXPECT_TRUE(near(cross, expectedInk(musicFont(), MusicGlyph::HeadWhole4, origin, kSymbolSize), 2));
    EXPECT_GT(ring.width(), cross.width() + 2);
    EXPECT_GT(ring.height(), cross.height() + 2);
}

TEST(NoteSymbols, OddCodesDrawAsPlainOrNothing)
{
    const auto picture = [](int head, int accidental) {
        CStaffBeat beat;
        beat.notes.push_back(element(0, 16, {0}));
        beat.notes[0]->items[0].head = head;
        beat.notes[0]->items[0].accidental = accidental;
        return draw(beat);
    };
    EXPECT_EQ(picture(7, 0), picture(0, 0));  // kind 7 is an ordinary head
    EXPECT_EQ(picture(0, 9), picture(0, 0));  // no such accidental: nothing
    EXPECT_EQ(picture(0, -3), picture(0, 0));
    CStaffBeat far;
    far.notes.push_back(element(0, 16, {70, -70}));
    draw(far);
    EXPECT_NE(far.notes[0]->items[0].rect, StaffRect{});
    EXPECT_NE(far.notes[0]->items[1].rect, StaffRect{});
}

} // namespace
} // namespace rz::test
