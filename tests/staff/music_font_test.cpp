#include <gtest/gtest.h>

#include "staff/symbols/staff_header.h"
#include "tests/staff/symbol_pictures.h"
#include "tests/support/temp_folder.h"

namespace rz::test {
namespace {

TEST(MusicFont, EveryRoleResolves)
{
    const MusicFont& font = musicFont();
    ASSERT_TRUE(font.ok()) << font.message().toStdString();
    for (int g = 0; g < int(MusicGlyph::Count); ++g) {
        EXPECT_NE(font.glyphIndex(MusicGlyph(g)), 0u) << musicGlyphName(MusicGlyph(g));
        EXPECT_GT(font.advance(MusicGlyph(g), 40), 0) << musicGlyphName(MusicGlyph(g));
    }
    EXPECT_GT(font.braceWidth(160, 40), 0);
}

TEST(MusicFont, AMissingFileGivesOneMessageAndDrawsNothing)
{
    const TempFolder empty("rz_font_");
    const auto font = MusicFont::load(empty.path());
    ASSERT_FALSE(font->ok());
    EXPECT_NE(font->message().indexOf("emmentaler-20.otf"), -1) << font->message().toStdString();
    QImage image = whiteImage(100, 100);
    QPainter painter(&image);
    font->draw(painter, MusicGlyph::ClefG, QPointF(20, 60), 40);
    QRect rect(10, 30, 10, 40);
    MeasureRec measure;
    DrawStaffHeader(&painter, rect, nullptr, measure, 0, 0, *font, 40);
    painter.end();
    EXPECT_TRUE(inkBox(image).isNull());
    EXPECT_EQ(rect, QRect(10, 30, 10, 40));
    EXPECT_EQ(font->advance(MusicGlyph::Flat, 40), 0);
}

TEST(MusicFont, ABlackHeadIsOneStaffSpaceHigh)
{
    const MusicFont& font = musicFont();
    ASSERT_TRUE(font.ok());
    QImage image = whiteImage(100, 100);
    QPainter painter(&image);
    font.draw(painter, MusicGlyph::HeadBlack0, QPointF(30, 50), 40);
    painter.end();
    const QRect ink = inkBox(image);
    EXPECT_GE(ink.height(), 10);
    EXPECT_LE(ink.height(), 11);
    EXPECT_TRUE(near(ink, expectedInk(font, MusicGlyph::HeadBlack0, QPointF(30, 50), 40)));
}

} // namespace
} // namespace rz::test
