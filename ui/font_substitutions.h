#pragma once

#include <QFont>
#include <QString>

namespace rz {

// Maps the face names the program's fonts are specified in onto the DejaVu
// and Liberation faces every machine set up for it has. Safe to call more
// than once; GUI thread.
void installFontSubstitutions();

// A font as the program specifies one: a negative height is a pixel size, a
// positive one the cell height (ascent plus descent), 0 the default size.
// `weight` is 100..900 (400 normal, 600 semi-bold, 700 bold).
QFont programFont(const QString& family, int height, int weight = 400);

} // namespace rz
