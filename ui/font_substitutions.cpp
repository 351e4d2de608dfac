#include "ui/font_substitutions.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace rz {
namespace {

struct Substitution {
    const char* family;
    QStringList faces; // first match wins
};

// The em is about 87 % of the cell of the substituted faces.
constexpr double kEmPerCell = 0.87;

} // namespace

void installFontSubstitutions()
{
    static const Substitution kTable[] = {
        {"Tahoma", {"DejaVu Sans"}},
        {"Verdana", {"DejaVu Sans"}},
        {"Arial", {"Liberation Sans"}},
        {"Arial Narrow", {"DejaVu Sans Condensed", "Liberation Sans"}},
        {"Times New Roman", {"Liberation Serif"}},
        {"Times", {"Liberation Serif"}},
        {"Courier New", {"Liberation Mono"}},
        {"OCR A Extended", {"DejaVu Sans Mono"}},
    };
    for (const Substitution& row : kTable) {
        const QString family = QString::fromLatin1(row.family);
        QFont::removeSubstitutions(family);
        QFont::insertSubstitutions(family, row.faces);
    }
}

QFont programFont(const QString& family, int height, int weight)
{
    QFont font(family);
    if (height < 0)
        font.setPixelSize(-height);
    else if (height > 0)
        font.setPixelSize(std::max(1, int(std::lround(height * kEmPerCell))));
    font.setWeight(QFont::Weight(std::clamp(weight, 100, 900)));
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

} // namespace rz
