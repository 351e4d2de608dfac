#include "ui/piano_keys.h"

#include <QPainter>

#include <array>

namespace rz::piano_keys {
namespace {

constexpr int kOctave = 12;
constexpr int kWhitesPerOctave = 7;
// Rows below the octave's highest key (a B) of its white keys, top down.
constexpr std::array<int, kWhitesPerOctave> kWhiteOffsets{0, 2, 4, 6, 7, 9, 11};
// Black keys: offset below the B, and the white key (top down) above it.
struct BlackKey {
    int offset;
    int whiteAbove;
};
constexpr std::array<BlackKey, 5> kBlackKeys{{{1, 0}, {3, 1}, {5, 2}, {8, 4}, {10, 5}}};

int octaveHeight(int rowHeight)
{
    return kOctave * rowHeight;
}

// Top and bottom (exclusive) of the k-th white key of an octave, and of the
// black key below white key w, in 7ths of a pixel.
int whiteTop7(int index, int rowHeight)
{
    return index * octaveHeight(rowHeight);
}

} // namespace

int keyAt(int x, int y, int rowHeight)
{
    if (rowHeight <= 0 || y < 0)
        return -1;
    if (y < rowHeight)
        return kTopKey;
    const int inKeys = y - rowHeight;
    const int octave = inKeys / octaveHeight(rowHeight);
    const int within7 = (inKeys % octaveHeight(rowHeight)) * kWhitesPerOctave;
    const int highest = kTopKey - 1 - kOctave * octave;
    int key = -1;
    if (x >= 0 && x < kBlackWidth) {
        for (const BlackKey& black : kBlackKeys) {
            const int top = whiteTop7(black.whiteAbove, rowHeight) + octaveHeight(rowHeight) / 2;
            if (within7 >= top && within7 < top + octaveHeight(rowHeight))
                key = highest - black.offset;
        }
    }
    if (key < 0)
        key = highest - kWhiteOffsets[size_t(within7 / octaveHeight(rowHeight))];
    return key >= kBottomKey ? key : -1;
}

QRect keyRect(int key, int rowHeight)
{
    if (key == kTopKey)
        return QRect(0, 0, kWidth, rowHeight);
    const int below = kTopKey - 1 - key;
    const int octaveTop = rowHeight + (below / kOctave) * octaveHeight(rowHeight);
    const int offset = below % kOctave;
    for (const BlackKey& black : kBlackKeys) {
        if (black.offset != offset)
            continue;
        // Neighbouring click areas meet; a row off each end keeps white
        // between the drawn keys at every row height.
        const int top7 = whiteTop7(black.whiteAbove, rowHeight) + octaveHeight(rowHeight) / 2;
        const int top = top7 / kWhitesPerOctave + 1;
        const int bottom = (top7 + octaveHeight(rowHeight)) / kWhitesPerOctave - 1;
        return QRect(0, octaveTop + top, kBlackWidth, bottom - top);
    }
    for (int i = 0; i < kWhitesPerOctave; ++i) {
        if (kWhiteOffsets[size_t(i)] != offset)
            continue;
        const int top = whiteTop7(i, rowHeight) / kWhitesPerOctave;
        const int bottom = whiteTop7(i + 1, rowHeight) / kWhitesPerOctave;
        return QRect(0, octaveTop + top, kWidth, bottom - top);
    }
    return {};
}

QImage paintKeyboard(int rowHeight)
{
    QImage image(kWidth, kRows * rowHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    for (int key = kTopKey; key >= kBottomKey; --key) {
        const QRect r = keyRect(key, rowHeight) & image.rect();
        if (r.width() == kWidth && !r.isEmpty())
            painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    }
    for (int key = kTopKey; key >= kBottomKey; --key) {
        const QRect r = keyRect(key, rowHeight) & image.rect();
        if (r.width() == kBlackWidth && !r.isEmpty())
            painter.fillRect(r, Qt::black);
    }
    painter.setPen(Qt::black);
    painter.drawLine(kWidth - 1, 0, kWidth - 1, image.height() - 1);
    return image;
}

QImage paintBandPattern()
{
    QImage image(14, 14, QImage::Format_RGB32);
    image.fill(QColor(0x0C, 0x14, 0x38));
    QPainter painter(&image);
    painter.setPen(QColor(0xFF, 0xF0, 0x0E));
    for (int i = -14; i < 14; i += 4)
        painter.drawLine(i, 14, i + 14, 0);
    return image;
}

} // namespace rz::piano_keys
