#pragma once

#include <QImage>
#include <QPixmap>

namespace rz {

// The tool-bar and menu images: one strip of 16 x 16 cells on magenta,
// indexed as the tool bar's items name them (0 select .. 34 performance
// mode pressed). GUI thread.
inline constexpr int kToolImageSize = 16;
inline constexpr int kToolImageCount = 35;

QImage paintToolImages();

// One image of the catalog's strip with the magenta keyed out; the disabled
// form is a light grey shadow. Null for an index outside the strip.
QPixmap toolImage(int index, bool disabled = false);

} // namespace rz
