#include "ui/tool_images.h"

#include "ui/bitmap_catalog.h"
#include "ui/color_ref.h"
#include "ui/font_substitutions.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <map>

namespace rz {
namespace {

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kBlue(0, 64, 160);
const QColor kYellow(236, 200, 40);
const QColor kRed(200, 30, 30);
const QColor kGrey(128, 128, 128);

using ToolGlyph = void (*)(QPainter&);

void text(QPainter& p, const QRect& box, const QString& s, int px, QColor colour = kInk)
{
    // Unblended, so the magenta key stays exact around the letters.
    QFont font = programFont(QStringLiteral("Arial"), -px, 700);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setPen(colour);
    p.setFont(font);
    p.drawText(box, Qt::AlignCenter, s);
}

void noteHead(QPainter& p, int x, int y, bool filled)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(filled ? QBrush(kInk) : QBrush(Qt::NoBrush));
    p.drawEllipse(QRect(x, y, 5, 4));
}

// A note head with a stem and `flags` flags.
void note(QPainter& p, bool filled, int flags)
{
    noteHead(p, 3, 11, filled);
    p.fillRect(QRect(8, 2, 1, 11), kInk);
    for (int i = 0; i < flags; ++i)
        p.drawLine(8, 2 + 3 * i, 12, 5 + 3 * i);
}

void page(QPainter& p, const QRect& r)
{
    p.setPen(kInk);
    p.setBrush(kPaper);
    p.drawPolygon(QPolygon({r.topLeft(), {r.right() - 3, r.top()}, {r.right(), r.top() + 3},
                            r.bottomRight(), r.bottomLeft()}));
}

void disk(QPainter& p, const QRect& r)
{
    p.setPen(kInk);
    p.setBrush(kBlue);
    p.drawRect(r);
    p.fillRect(QRect(r.left() + 3, r.top() + 1, r.width() - 5, r.height() / 2 - 1), kPaper);
    p.fillRect(QRect(r.left() + 4, r.bottom() - 3, r.width() - 7, 3), kGrey);
}

void textLines(QPainter& p, int highlightRow, int highlightWidth)
{
    for (int row = 0; row < 3; ++row) {
        const QRect line(1, 3 + 4 * row, 14, 2);
        if (row == highlightRow)
            p.fillRect(QRect(1, 2 + 4 * row, highlightWidth, 4), kYellow);
        p.fillRect(line, kInk);
    }
}

void keyboard(QPainter& p, QColor face)
{
    p.setPen(kInk);
    p.setBrush(face);
    p.drawRect(QRect(1, 4, 13, 9));
    for (int x = 3; x < 14; x += 2)
        p.drawLine(x, 9, x, 12);
    for (int x : {3, 5, 9, 11})
        p.fillRect(QRect(x, 5, 1, 4), kInk);
}

const ToolGlyph kGlyphs[kToolImageCount] = {
    [](QPainter& p) { // 0 select
        p.setPen(kInk);
        p.setBrush(kPaper);
        p.drawPolygon(QPolygon({{4, 1}, {4, 13}, {7, 10}, {9, 15}, {11, 14}, {9, 9}, {13, 9}}));
    },
    [](QPainter& p) { // 1 draw
        p.setPen(kInk);
        p.setBrush(kYellow);
        p.drawPolygon(QPolygon({{11, 1}, {14, 4}, {5, 13}, {2, 14}, {3, 11}}));
    },
    [](QPainter& p) { // 2 straight lines
        p.setPen(QPen(kInk, 2));
        p.drawLine(2, 13, 13, 2);
    },
    [](QPainter& p) { // 3 free-hand
        QPainterPath path(QPointF(1, 12));
        path.cubicTo(5, 0, 9, 16, 15, 3);
        p.setPen(QPen(kInk, 2));
        p.drawPath(path);
    },
    [](QPainter& p) { text(p, QRect(0, 0, 16, 16), QStringLiteral("T"), 13); }, // 4 text
    [](QPainter& p) { text(p, QRect(0, 0, 16, 16), QStringLiteral("P"), 12); }, // 5 pedal
    [](QPainter& p) { // 6 wedge
        p.setPen(kInk);
        p.drawLine(14, 3, 2, 8);
        p.drawLine(2, 8, 14, 13);
    },
    [](QPainter& p) { noteHead(p, 5, 6, false); },  // 7 whole
    [](QPainter& p) { note(p, false, 0); },         // 8 half
    [](QPainter& p) { note(p, true, 0); },          // 9 quarter
    [](QPainter& p) { note(p, true, 1); },          // 10 eighth
    [](QPainter& p) { note(p, true, 2); },          // 11 sixteenth
    [](QPainter& p) { note(p, true, 3); },          // 12 thirty-second
    [](QPainter& p) { // 13 dot
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawEllipse(QRect(6, 6, 4, 4));
    },
    [](QPainter& p) { text(p, QRect(0, 0, 16, 16), QStringLiteral("3"), 13); }, // 14 triplet
    [](QPainter& p) { text(p, QRect(0, 0, 16, 16), QStringLiteral("#"), 13); }, // 15 accidental
    [](QPainter& p) { // 16 grid
        for (int i = 2; i < 16; i += 4) {
            p.fillRect(QRect(i, 1, 1, 14), kGrey);
            p.fillRect(QRect(1, i, 14, 1), kGrey);
        }
    },
    [](QPainter& p) { page(p, QRect(3, 1, 10, 14)); }, // 17 new
    [](QPainter& p) { // 18 open
        p.setPen(kInk);
        p.setBrush(kYellow);
        p.drawPolygon(QPolygon({{1, 4}, {5, 4}, {6, 5}, {12, 5}, {12, 13}, {1, 13}}));
    },
    [](QPainter& p) { // 19 save all
        disk(p, QRect(4, 1, 10, 10));
        disk(p, QRect(1, 5, 10, 10));
    },
    [](QPainter& p) { // 20 print
        page(p, QRect(4, 1, 8, 6));
        p.setBrush(kGrey);
        p.drawRect(QRect(1, 7, 14, 6));
    },
    [](QPainter& p) { // 21 cut
        p.setPen(kInk);
        p.drawLine(5, 1, 10, 10);
        p.drawLine(11, 1, 6, 10);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRect(2, 10, 4, 4));
        p.drawEllipse(QRect(10, 10, 4, 4));
    },
    [](QPainter& p) { // 22 copy
        page(p, QRect(1, 1, 8, 10));
        page(p, QRect(6, 5, 8, 10));
    },
    [](QPainter& p) { // 23 paste
        p.setPen(kInk);
        p.setBrush(kYellow);
        p.drawRect(QRect(2, 2, 10, 12));
        page(p, QRect(7, 6, 7, 9));
    },
    [](QPainter& p) { // 24 undo
        QPainterPath path(QPointF(4, 6));
        path.cubicTo(10, 2, 16, 8, 9, 14);
        p.setPen(QPen(kBlue, 2));
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygon({{1, 6}, {6, 2}, {6, 10}}));
    },
    [](QPainter& p) { // 25 redo
        QPainterPath path(QPointF(12, 6));
        path.cubicTo(6, 2, 0, 8, 7, 14);
        p.setPen(QPen(kBlue, 2));
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygon({{15, 6}, {10, 2}, {10, 10}}));
    },
    [](QPainter& p) { // 26 bouncing ball
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QRect(5, 1, 6, 6));
        p.fillRect(QRect(1, 11, 14, 2), kInk);
    },
    [](QPainter& p) { textLines(p, 1, 6); },  // 27 syllables
    [](QPainter& p) { textLines(p, 1, 14); }, // 28 lines
    [](QPainter& p) { // 29 show objects
        p.setPen(QPen(kInk, 1, Qt::DotLine));
        p.drawRect(QRect(1, 1, 13, 13));
        p.drawLine(1, 7, 14, 7);
        p.drawLine(7, 1, 7, 14);
    },
    [](QPainter& p) { disk(p, QRect(2, 2, 12, 12)); }, // 30 save
    [](QPainter& p) { keyboard(p, kPaper); },       // 31 performance mode
    [](QPainter& p) { // 32 reset MIDI
        p.setPen(kInk);
        p.setBrush(kGrey);
        p.drawEllipse(QRect(1, 1, 13, 13));
        p.setBrush(kInk);
        for (const QPoint& pin : {QPoint(4, 6), QPoint(7, 4), QPoint(10, 6), QPoint(5, 9),
                                  QPoint(9, 9)})
            p.drawRect(QRect(pin, QSize(1, 1)));
    },
    [](QPainter& p) { // 33 edit mode
        p.setPen(kInk);
        p.setBrush(kPaper);
        p.drawRoundedRect(QRect(4, 2, 8, 12), 3, 3);
        p.drawLine(4, 6, 11, 6);
        p.drawLine(8, 2, 8, 6);
    },
    [](QPainter& p) { keyboard(p, kYellow); }, // 34 performance mode pressed
};

} // namespace

QImage paintToolImages()
{
    QImage strip(kToolImageSize * kToolImageCount, kToolImageSize, QImage::Format_RGB32);
    strip.fill(QColor(255, 0, 255));
    QPainter p(&strip);
    for (int i = 0; i < kToolImageCount; ++i) {
        p.save();
        p.translate(i * kToolImageSize, 0);
        p.setClipRect(QRect(0, 0, kToolImageSize, kToolImageSize));
        kGlyphs[i](p);
        p.restore();
    }
    return strip;
}

} // namespace rz

namespace rz {
namespace {

QImage keyedCell(int index)
{
    const QImage& strip = BitmapCatalog::image(bitmap_id::kToolImages);
    const QImage cell =
        strip.copy(index * kToolImageSize, 0, kToolImageSize, kToolImageSize);
    QImage keyed(cell.size(), QImage::Format_ARGB32_Premultiplied);
    keyed.fill(Qt::transparent);
    QPainter painter(&keyed);
    DrawTransparentBitmap(painter, cell, QPoint(0, 0), 0xFF00FF);
    return keyed;
}

QImage greyed(QImage image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 0)
                image.setPixel(x, y, qRgba(160, 160, 160, 255));
    return image;
}

} // namespace

QPixmap toolImage(int index, bool disabled)
{
    if (index < 0 || index >= kToolImageCount)
        return {};
    // Images, not pixmaps: a static pixmap would outlive the application.
    static std::map<std::pair<int, bool>, QImage> cache;
    const auto key = std::make_pair(index, disabled);
    auto it = cache.find(key);
    if (it == cache.end()) {
        const QImage keyed = keyedCell(index);
        it = cache.emplace(key, disabled ? greyed(keyed) : keyed).first;
    }
    return QPixmap::fromImage(it->second);
}

} // namespace rz
