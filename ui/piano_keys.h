#pragma once

#include <QImage>

namespace rz {

// The keyboard picture of the piano roll, 24 pixels wide: each octave is 12
// rows high, B at its top, with 7 white keys of equal height; on the left
// half the black keys lie half a white key lower than the white key above
// them and win. The top row is C8 alone. GUI thread for the pictures.
namespace piano_keys {

inline constexpr int kWidth = 24;
inline constexpr int kBlackWidth = 12;
inline constexpr int kTopKey = 108;
inline constexpr int kBottomKey = 21;
inline constexpr int kRows = kTopKey - kBottomKey + 1;

// The key under a point of the whole keyboard: `y` from the top of the C8
// row, `x` from the strip's left, rows `rowHeight` pixels high; -1 outside
// 21..108.
int keyAt(int x, int y, int rowHeight);
// The rectangle a key takes in the picture (y from the top of the C8 row);
// a black key's is its left-half part, a row shorter at each end than the
// area `keyAt` gives it, so that no two black keys touch.
QRect keyRect(int key, int rowHeight);

// The picture of all 88 keys at a row height.
QImage paintKeyboard(int rowHeight);
// The 14 x 14 pattern a selection band is tinted with.
QImage paintBandPattern();

} // namespace piano_keys

} // namespace rz
