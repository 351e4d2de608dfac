#pragma once

#include <QImage>
#include <QPixmap>

namespace rz {

// The ports image list: one strip of 16 x 15 cells on magenta. Cell 1 an
// external MIDI port (and every input), 2 an instrument, 3 an internal
// device, 4 a numbered port that no present port matches; cell 0 is blank.
inline constexpr int kPortIconWidth = 16;
inline constexpr int kPortIconHeight = 15;
inline constexpr int kPortIconCount = 5;

QImage paintPortIcons();

// One cell with the magenta keyed out; null outside the strip.
QPixmap portIcon(int index);

} // namespace rz
