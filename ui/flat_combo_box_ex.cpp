#include "ui/flat_combo_box_ex.h"

#include "ui/bitmap_catalog.h"
#include "ui/color_ref.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace rz {
namespace {

constexpr int kImageWidth = 16; // pixels per image of the strip
constexpr Color kImageKey = 0xFFFFFF;

QIcon gridIcon(const QImage& strip, int index)
{
    const QImage cell = strip.copy(index * kImageWidth, 0, kImageWidth, strip.height());
    QImage keyed(cell.size(), QImage::Format_ARGB32_Premultiplied);
    keyed.fill(Qt::transparent);
    {
        QPainter painter(&keyed);
        DrawTransparentBitmap(painter, cell, QPoint(0, 0), kImageKey);
    }
    return QIcon(QPixmap::fromImage(keyed));
}

} // namespace

FlatComboBoxEx::FlatComboBoxEx(QWidget* parent) : QComboBox(parent)
{
    const QImage& strip = BitmapCatalog::image(bitmap_id::kGridNotes);
    setIconSize(QSize(kImageWidth, strip.height()));
    int index = 0;
    for (int value : kGridValues)
        addItem(gridIcon(strip, index++), QString(), value);
}

void FlatComboBoxEx::selectByValue(int value)
{
    setCurrentIndex(findData(value));
}

std::optional<int> FlatComboBoxEx::selectedValue() const
{
    if (currentIndex() < 0)
        return std::nullopt;
    return currentData().toInt();
}

} // namespace rz
