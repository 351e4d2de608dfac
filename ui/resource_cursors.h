#pragma once

#include <Qt>

namespace rz {

// The cursor resources the owner-drawn controls name.
inline constexpr int kCursorDragging = 142; // a scroll thumb or fader held
inline constexpr int kCursorScroll = 143;   // over a scroll bar or fader
inline constexpr int kCursorHand = 333;     // over a button that fires
inline constexpr int kCursorDrawLine = 104; // the draw tool over empty graph
inline constexpr int kCursorMovePoint = 171; // over a graph point, or dragging one
inline constexpr int kCursorKeyboard = 175;  // over the piano roll's keyboard picture

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

} // namespace rz
