#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>

#include <memory>

#include "staff/symbols/music_font.h"

namespace rz::test {

// The installed music font, loaded once for the suite.
inline const MusicFont& musicFont()
{
    static const std::unique_ptr<MusicFont> font = MusicFont::load();
    return *font;
}

inline QImage whiteImage(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

// The box of every pixel in `region` darker than light grey; empty when
// there is none.
inline QRect inkBox(const QImage& image, QRect region = {})
{
    if (region.isNull())
        region = image.rect();
    region &= image.rect();
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    return left > right ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// Where a glyph's ink should land when its origin is at `origin`.
inline QRect expectedInk(const MusicFont& font, MusicGlyph glyph, QPointF origin, int pixelSize)
{
    return font.bounds(glyph, pixelSize).translated(origin).toAlignedRect();
}

// Two boxes agree within `slack` pixels on every edge.
inline bool near(const QRect& a, const QRect& b, int slack = 1)
{
    return std::abs(a.left() - b.left()) <= slack && std::abs(a.top() - b.top()) <= slack
           && std::abs(a.right() - b.right()) <= slack && std::abs(a.bottom() - b.bottom()) <= slack;
}

} // namespace rz::test
