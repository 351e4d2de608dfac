#include <gtest/gtest.h>

#include "song/track.h"
#include "staff/symbols/staff_header.h"
#include "tests/staff/symbol_pictures.h"

namespace rz::test {
namespace {

constexpr int kHeaderSize = 40; // pixel size: the staff is 40 px high
constexpr int kLeft = 20;
constexpr int kTop = 60;        // the top line
constexpr int kBottomLine = kTop + kHeaderSize;

MeasureRec meter(int numerator, int denominator, int key = 0)
{
    MeasureRec m;
    m.numerator = uint8_t(numerator);
    m.denominator = uint8_t(denominator);
    m.key = int8_t(key);
    return m;
}

struct Drawn {
    QImage image = whiteImage(400, 260);
    QRect rect{kLeft, kTop, 10, kHeaderSize};
};

Drawn header(int staffType, const MeasureRec& measure, int flags, int cancelKey = 0,
             int rectHeight = kHeaderSize)
{
    Drawn d;
    d.rect.setHeight(rectHeight);
    QPainter painter(&d.image);
    drawStaffHeader(&painter, d.rect, staffType, measure.key, measure, flags, cancelKey,
                    musicFont(), kHeaderSize);
    return d;
}

TEST(StaffHeader, KeySignaturesSitOnTheirLinesAndSpaces)
{
    // The first accidental's height above the bottom line, in 64ths of the staff.
    const struct {
        const char* name;
        int staffType;
        int key;
        int cancel;
        MusicGlyph sign;
        int first;
        int second;
        int rectHeight = kHeaderSize;
    } kCases[] = {
        {"treble D major: F# on the top line", 0, 2, 0, MusicGlyph::Sharp, 64, 40},
        {"treble B flat major: B flat on the middle line", 0, -2, 0, MusicGlyph::Flat, 32, 56},
        {"bass D major: F# on the fourth line", 1, 2, 0, MusicGlyph::Sharp, 48, 24},
        {"bass B flat major: B flat on the second line", 1, -2, 0, MusicGlyph::Flat, 16, 40},
        {"alto: F# in the fourth space", 3, 2, 0, MusicGlyph::Sharp, 56, 32},
        {"alto: B flat in the second space", 3, -2, 0, MusicGlyph::Flat, 24, 48},
        {"tenor: F# on the second line", 4, 2, 0, MusicGlyph::Sharp, 16, 48},
        {"tenor: B flat in the third space", 4, -2, 0, MusicGlyph::Flat, 40, 64},
        {"naturals cancel D major", 0, 0, 2, MusicGlyph::Natural, 64, 40},
        {"a key beyond seven is clamped", 0, 12, 0, MusicGlyph::Sharp, 64, 40},
        {"a rect taller than the staff", 0, 2, 0, MusicGlyph::Sharp, 64, 40, 2 * kHeaderSize},
    };
    const MusicFont& font = musicFont();
    ASSERT_TRUE(font.ok());
    const int flags = kHeaderNoClef | kHeaderNoMeter | kHeaderNoLines;
    for (const auto& c : kCases) {
        const Drawn d = header(c.staffType, meter(4, 4, c.key), flags, c.cancel, c.rectHeight);
        // The two accidentals drawn by hand where they belong.
        QImage expected = whiteImage(d.image.width(), d.image.height());
        QPainter painter(&expected);
        const qreal x = kLeft + 2 * font.advance(MusicGlyph::Flat, kHeaderSize);
        const qreal w = font.advance(c.sign, kHeaderSize);
        font.draw(painter, c.sign, QPointF(x, kBottomLine - c.first * kHeaderSize / 64.0), kHeaderSize);
        font.draw(painter, c.sign, QPointF(x + w, kBottomLine - c.second * kHeaderSize / 64.0), kHeaderSize);
        painter.end();
        const QRect firstTwo(0, 0, int(x + 2 * w), d.image.height());
        EXPECT_TRUE(near(inkBox(d.image, firstTwo), inkBox(expected), 2))
            << c.name << ": ink " << inkBox(d.image, firstTwo).top() << ".."
            << inkBox(d.image, firstTwo).bottom() << ", expected " << inkBox(expected).top()
            << ".." << inkBox(expected).bottom();
    }
}

TEST(StaffHeader, PercussionStavesShowNoKeyAndOneLineForTypeSix)
{
    for (int type : {5, 6}) {
        const Drawn d = header(type, meter(4, 4, 3), kHeaderNoClef | kHeaderNoMeter | kHeaderNoLines);
        EXPECT_TRUE(inkBox(d.image).isNull()) << type;
    }
    const auto linesAt = [](int type) {
        const Drawn d = header(type, meter(4, 4), kHeaderNoClef | kHeaderNoKey | kHeaderNoMeter);
        int lines = 0;
        bool inLine = false;
        for (int y = 0; y < d.image.height(); ++y) {
            const bool ink = qGray(d.image.pixel(kLeft + 2, y)) < 160;
            lines += ink && !inLine;
            inLine = ink;
        }
        return lines;
    };
    EXPECT_EQ(linesAt(0), 5);
    EXPECT_EQ(linesAt(6), 1);
}

TEST(StaffHeader, CommonAndCutTimeAreGlyphsOtherMetersDigits)
{
    const MusicFont& font = musicFont();
    const int flags = kHeaderNoClef | kHeaderNoKey | kHeaderNoLines;
    const qreal x = kLeft + font.advance(MusicGlyph::FlatFlat, kHeaderSize);
    const qreal middle = kTop + kHeaderSize / 2.0;
    EXPECT_TRUE(near(inkBox(header(0, meter(4, 4), flags).image),
                     expectedInk(font, MusicGlyph::TimeC44, QPointF(x, middle), kHeaderSize), 2));
    EXPECT_TRUE(near(inkBox(header(0, meter(2, 2), flags).image),
                     expectedInk(font, MusicGlyph::TimeC22, QPointF(x, middle), kHeaderSize), 2));
    // 2/4: a two above the middle line and a four above the bottom line.
    const QRect digits = inkBox(header(0, meter(2, 4), flags).image);
    const QRect two = expectedInk(font, MusicGlyph::Digit2, QPointF(x, middle), kHeaderSize);
    const QRect four = expectedInk(font, MusicGlyph::Digit4, QPointF(x, kBottomLine), kHeaderSize);
    EXPECT_NEAR(digits.top(), two.top(), 1);
    EXPECT_NEAR(digits.bottom(), four.bottom(), 1);
}

TEST(StaffHeader, MeasuringStopsOneWideFlatShortOfTheLinesEnd)
{
    const MusicFont& font = musicFont();
    for (int type : {0, 1, 3, 6}) {
        QRect measured(kLeft, kTop, 10, kHeaderSize);
        drawStaffHeader(nullptr, measured, type, 3, meter(3, 4), 0, 0, font, kHeaderSize);
        const Drawn drawn = header(type, meter(3, 4, 3), 0);
        EXPECT_GT(measured.right(), kLeft) << type;
        EXPECT_NEAR(drawn.rect.right() - measured.right(), font.advance(MusicGlyph::FlatFlat, kHeaderSize), 1)
            << type;
        EXPECT_LE(inkBox(drawn.image).right(), drawn.rect.right()) << type;
    }
}

TEST(StaffHeader, AGrandStaffMovesPastItsBraceAndGrows)
{
    CTrack track;
    track.notationSetting = 2;
    Drawn d;
    QPainter painter(&d.image);
    DrawStaffHeader(&painter, d.rect, &track, meter(4, 4), 0, 0, musicFont(), kHeaderSize);
    painter.end();
    EXPECT_GT(d.rect.left(), kLeft);
    EXPECT_EQ(d.rect.bottom(), kTop + kHeaderSize - 1 + 3 * kHeaderSize);
    const QRect brace = inkBox(d.image, QRect(0, 0, d.rect.left(), d.image.height()));
    ASSERT_FALSE(brace.isNull());
    EXPECT_NEAR(brace.top(), kTop, 2);
    EXPECT_NEAR(brace.height(), 4 * kHeaderSize, kHeaderSize / 4);
}

TEST(StaffHeader, TheTrackTransposesTheKey)
{
    // A track a whole step up shows C major as D major.
    CTrack track;
    track.key = 2;
    MeasureRec measure = meter(4, 4, 0);
    QRect withTrack(kLeft, kTop, 10, kHeaderSize), without(kLeft, kTop, 10, kHeaderSize);
    DrawStaffHeader(nullptr, withTrack, &track, measure, 0, 0, musicFont(), kHeaderSize);
    DrawStaffHeader(nullptr, without, nullptr, measure, 0, 0, musicFont(), kHeaderSize);
    EXPECT_GT(withTrack.right(), without.right());
}

TEST(StaffHeader, FontMetricsMeasureChangeHeaders)
{
    const FontNotationMetrics metrics(musicFont(), kHeaderSize + 1, "DejaVu Sans");
    EXPECT_EQ(metrics.musicFontUnit(), kHeaderSize);
    EXPECT_GT(metrics.headerWidth(0, 3, 0, 4, 4, 11), 0);
    EXPECT_GT(metrics.headerWidth(0, 3, 0, 4, 4, 9), metrics.headerWidth(0, 3, 0, 4, 4, 11));
    EXPECT_EQ(metrics.headerWidth(0, 0, 0, 4, 4, 11), 0);
    EXPECT_GT(metrics.headerWidth(0, 0, -3, 4, 4, 11), 0);
    EXPECT_GT(metrics.textWidth("lalala", 14), metrics.textWidth("la", 14));
}

TEST(StaffHeader, WritesAPictureOfTheSymbols)
{
    const MusicFont& font = musicFont();
    QImage image = whiteImage(900, 420);
    QPainter painter(&image);
    int x = 10;
    for (const auto& [type, key, num, den] :
         {std::tuple{0, 2, 4, 4}, std::tuple{1, -3, 2, 2}, std::tuple{3, 4, 3, 4},
          std::tuple{4, -5, 6, 8}, std::tuple{5, 0, 7, 16}, std::tuple{6, 0, 4, 4}}) {
        QRect rect(x, 40, 10, kHeaderSize);
        drawStaffHeader(&painter, rect, type, key, meter(num, den, key), 0, 0, font, kHeaderSize);
        x = rect.right() + 10;
    }
    QRect grand(10, 160, 10, kHeaderSize);
    drawStaffHeader(&painter, grand, 2, -7, meter(12, 8), 0, 0, font, kHeaderSize);
    int hx = 300;
    for (int g = int(MusicGlyph::HeadWhole0); g <= int(MusicGlyph::Rest128); ++g) {
        font.draw(painter, MusicGlyph(g), QPointF(hx, 200 + (g % 3) * 40), kHeaderSize);
        if (g % 3 == 2)
            hx += 30;
    }
    painter.end();
    EXPECT_TRUE(image.save(RZ_SYMBOLS_PICTURE));
}

} // namespace
} // namespace rz::test
