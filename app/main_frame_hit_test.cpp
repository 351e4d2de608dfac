#include "app/main_frame_hit_test.h"

#include "ui/resource_cursors.h"

namespace rz {

FrameZone frameHitTest(QSize size, QPoint point, bool maximised)
{
    const int x = point.x();
    const int y = point.y();
    if (x < 0 || y < 0 || x >= size.width() || y >= size.height())
        return FrameZone::Outside;
    if (y < kCaptionHitHeight)
        return FrameZone::Caption;
    if (maximised)
        return FrameZone::Client;
    const int fromRight = size.width() - x;
    const int fromBottom = size.height() - y;
    if (fromRight + fromBottom < kResizeCorner)
        return FrameZone::BottomRight;
    if (fromRight <= kResizeEdge)
        return FrameZone::Right;
    if (fromBottom <= kResizeEdge)
        return FrameZone::Bottom;
    return FrameZone::Client;
}

Qt::CursorShape frameZoneCursor(FrameZone zone, bool maximised, bool moving)
{
    switch (zone) {
    case FrameZone::Caption:
        if (maximised)
            return Qt::ArrowCursor;
        return resourceCursor(moving ? kCursorDragging : kCursorScroll);
    case FrameZone::Right:
        return Qt::SizeHorCursor;
    case FrameZone::Bottom:
        return Qt::SizeVerCursor;
    case FrameZone::BottomRight:
        return Qt::SizeFDiagCursor;
    case FrameZone::Outside:
    case FrameZone::Client:
        break;
    }
    return Qt::ArrowCursor;
}

} // namespace rz
