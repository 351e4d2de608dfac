#include "ui/piano_keys.h"

#include <QImage>

#include <gtest/gtest.h>

#include <array>
#include <utility>

namespace rz::piano_keys {
namespace {

// Every row height the piano roll's zoom steps through.
constexpr std::array<int, 7> kZoomHeights{2, 3, 4, 6, 8, 10, 12};

// Black keys next to each other in an octave, the higher first: A#-G#,
// G#-F# and D#-C# of the octave under C8.
constexpr std::array<std::pair<int, int>, 3> kNeighbours{{{106, 104}, {104, 102}, {99, 97}}};

TEST(PianoKeys, EveryBlackKeyStandsApartFromItsNeighbourAtEveryZoom)
{
    for (const int height : kZoomHeights) {
        SCOPED_TRACE(height);
        for (int octave = 0; octave < 7; ++octave) {
            for (const auto& [higher, lower] : kNeighbours) {
                const QRect upper = keyRect(higher - 12 * octave, height);
                const QRect under = keyRect(lower - 12 * octave, height);
                ASSERT_FALSE(upper.isEmpty());
                ASSERT_FALSE(under.isEmpty());
                EXPECT_LT(upper.bottom() + 1, under.top()) << higher - 12 * octave << " touches " << lower - 12 * octave;
            }
        }
    }
}

// What the picture shows as a black key plays that key when clicked.
TEST(PianoKeys, ADrawnBlackKeyLiesInsideItsClickArea)
{
    for (const int height : kZoomHeights) {
        SCOPED_TRACE(height);
        for (const int key : {106, 104, 102, 99, 97, 25, 22}) {
            const QRect r = keyRect(key, height);
            EXPECT_EQ(keyAt(r.left(), r.top(), height), key) << key;
            EXPECT_EQ(keyAt(r.right(), r.bottom(), height), key) << key;
        }
    }
}

TEST(PianoKeys, ThePictureIsWhiteBetweenTwoBlackKeys)
{
    for (const int height : kZoomHeights) {
        SCOPED_TRACE(height);
        const QImage picture = paintKeyboard(height);
        for (const auto& [higher, lower] : kNeighbours) {
            const int between = keyRect(higher, height).bottom() + 1;
            EXPECT_NE(picture.pixel(kBlackWidth / 2, between), qRgb(0, 0, 0)) << higher << " / " << lower;
        }
    }
}

} // namespace
} // namespace rz::piano_keys
