#pragma once

#include <QCursor>
#include <QPainter>
#include <QPixmap>
#include <Qt>

namespace rz {

// The cursor resources the owner-drawn controls name.
inline constexpr int kCursorDragging = 142; // a scroll thumb or fader held
inline constexpr int kCursorScroll = 143;   // over a scroll bar or fader
inline constexpr int kCursorHand = 333;     // over a button that fires
inline constexpr int kCursorDrawLine = 104; // the draw tool over empty graph
inline constexpr int kCursorMovePoint = 171; // over a graph point, or dragging one
inline constexpr int kCursorKeyboard = 175;  // over the piano roll's keyboard picture
inline constexpr int kCursorExpression = 105; // the staff's text tool where an expression goes
inline constexpr int kCursorLyric = 106;      // ... where a lyric goes
inline constexpr int kCursorChord = 107;      // ... where a chord symbol goes

inline Qt::CursorShape resourceCursor(int id)
{
    switch (id) {
    case kCursorDragging:
        return Qt::ClosedHandCursor;
    case kCursorScroll:
        return Qt::OpenHandCursor;
    case kCursorHand:
        return Qt::PointingHandCursor;
    case kCursorDrawLine:
        return Qt::CrossCursor;
    case kCursorMovePoint:
        return Qt::SizeAllCursor;
    case kCursorKeyboard:
        return Qt::PointingHandCursor;

    default:
        return Qt::ArrowCursor;
    }
}

// The staff tools' cursors, drawn: a pen (104) with its point at the hot
// spot, and the text tools' pen with a letter beside it (105 "f", 106
// "la", 107 "C7"). Other ids give their shape above.
inline QCursor drawnCursor(int id)
{
    if (id != kCursorDrawLine && id != kCursorExpression && id != kCursorLyric && id != kCursorChord)
        return QCursor(resourceCursor(id));
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing, false);
    // The pen: a white-edged black shaft from the hot spot up to the right.
    p.setPen(QPen(Qt::white, 4));
    p.drawLine(2, 2, 12, 12);
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(1, 1, 12, 12);
    const char* letter = id == kCursorExpression ? "f" : id == kCursorLyric ? "la" : id == kCursorChord ? "C7" : nullptr;
    if (letter) {
        QFont font = p.font();
        font.setPixelSize(11);
        font.setBold(true);
        font.setItalic(id == kCursorExpression);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(13, 15, 19, 14), Qt::AlignCenter, letter);
        p.setPen(Qt::black);
        p.drawText(QRect(12, 14, 19, 14), Qt::AlignCenter, letter);
    }
    p.end();
    return QCursor(picture, 1, 1);
}

} // namespace rz
