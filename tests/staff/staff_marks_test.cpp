#include <gtest/gtest.h>

#include "staff/symbols/staff_marks.h"
#include "tests/staff/symbol_pictures.h"

namespace rz::test {
namespace {

constexpr uint8_t finger(int fret, int finger) { return uint8_t(fret << 3 | finger); }
constexpr uint8_t kOpenString = 5, kMuted = 6;

const QRect kGrid(60, 80, 60, 80);

int drawChord(QImage& image, const std::array<uint8_t, 6>& bytes, const QString& name = "Cmaj7")
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    return DrawStaffMarks(painter, kGrid, bytes, name, 0, QFont("DejaVu Sans"));
}

TEST(StaffMarks, NoDiagramShowsOnlyTheName)
{
    QImage image = whiteImage(200, 200);
    EXPECT_EQ(drawChord(image, {0x86, 0x86, 0x86, 0x86, 0x86, 0x86}), 0);
    const QRect ink = inkBox(image);
    ASSERT_FALSE(ink.isNull());
    EXPECT_GE(ink.top(), kGrid.bottom() - 9 * kGrid.height() / 20 - 2);
    // No string crosses the grid's upper half.
    EXPECT_TRUE(inkBox(image, QRect(kGrid.left(), kGrid.top(), kGrid.width(), kGrid.height() / 2)).isNull());
}

TEST(StaffMarks, LowChordsDrawTheNutAndHighOnesTheirFret)
{
    const struct {
        std::array<uint8_t, 6> bytes;
        int base;
    } kCases[] = {
        {{kMuted, finger(2, 2), finger(1, 1), kOpenString, finger(0, 0), kOpenString}, 0},
        {{finger(3, 0), finger(2, 1), finger(0, 2), kOpenString, kOpenString, finger(3, 3)}, 0},
        {{finger(4, 0), finger(6, 2), finger(6, 3), finger(5, 1), finger(4, 0), finger(4, 0)}, 4},
    };
    for (const auto& c : kCases) {
        QImage image = whiteImage(200, 200);
        EXPECT_EQ(drawChord(image, c.bytes), c.base);
        const int nutHeight = std::max(kGrid.height() / 40, 1);
        const QRect nut(kGrid.left() + kGrid.width() / 10, kGrid.top() - nutHeight, 1, nutHeight);
        EXPECT_EQ(!inkBox(image, nut).isNull(), c.base == 0) << c.base;
    }
}

TEST(StaffMarks, AFingerOnSeveralStringsBowsOverTheStringsBetween)
{
    const struct {
        std::array<uint8_t, 6> bytes;
        int from, to; // strings the barre spans; -1 none
    } kCases[] = {
        {{finger(4, 0), finger(6, 2), finger(6, 3), finger(5, 1), finger(4, 0), finger(4, 0)}, 0, 5},
        {{kMuted, finger(4, 0), finger(6, 2), finger(6, 3), finger(5, 1), finger(4, 0)}, 1, 5},
        {{kMuted, finger(4, 0), finger(6, 2), finger(5, 1), kOpenString, kMuted}, -1, -1},
    };
    for (const auto& c : kCases) {
        QImage image = whiteImage(200, 200);
        drawChord(image, c.bytes, QString());
        const int w = kGrid.width();
        for (int gap = 0; gap < 5; ++gap) {
            // Between two strings, above the top fret line: only a barre is there.
            const int x = kGrid.left() + gap * w / 5 + w / 10;
            const QRect above(x, kGrid.top() - kGrid.height() / 4, 1, kGrid.height() / 4 - 2);
            const bool spanned = gap >= c.from && gap < c.to;
            EXPECT_EQ(!inkBox(image, above).isNull(), spanned) << c.from << " gap " << gap;
        }
    }
}

} // namespace
} // namespace rz::test
