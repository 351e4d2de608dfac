#pragma once

#include <QImage>

namespace rz {

// The track list's "in" check boxes: one strip of 11 x 11 images on
// transparent. Image 0 is empty, 1 the check of a playing track, 2 a
// greyed check, 3 the check while a solo is active.
inline constexpr int kTrackCheckSize = 11;
inline constexpr int kTrackCheckCount = 4;

QImage paintTrackChecks();
// The "in" column's header picture, 12 x 12 on transparent.
QImage paintTrackInHeader();

// Image `index` of the check strip; null outside it.
QImage trackCheck(int index);

} // namespace rz
