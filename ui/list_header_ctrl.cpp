#include "ui/list_header_ctrl.h"

#include <QMouseEvent>

namespace rz {

ListHeaderCtrl::ListHeaderCtrl(Qt::Orientation orientation, QWidget* parent)
    : QHeaderView(orientation, parent)
{
}

void ListHeaderCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint at = event->position().toPoint();
        const int section = logicalIndexAt(orientation() == Qt::Horizontal ? at.x() : at.y());
        if (section >= 0)
            emit itemDoubleClicked(section);
    }
    QHeaderView::mouseDoubleClickEvent(event);
}

} // namespace rz
