#pragma once

#include "views/edit_view_base.h"

#include <QMenu>
#include <QPainter>

#include <atomic>

namespace rz {

// The smallest lane view: a black plot, counters for what the base asks of
// a view, and a pop-up menu of one item.
class StubLaneView : public EditViewBase {
public:
    explicit StubLaneView(LinkRole role = LinkRole::Clip, int margin = 24) : EditViewBase(role)
    {
        setLeftMargin(margin);
        m_menu.addAction("Stub");
    }

    int paints = 0;
    int rebuilds = 0;
    int lightUpdates = 0;
    int dragMoves = 0;
    QRegion dirtyRegion; // what the paints since the last clear covered

    void setMargin(int margin) { setLeftMargin(margin); }

    using EditViewBase::beginDrag;
    using EditViewBase::endDrag;
    using EditViewBase::statusTextAt;

protected:
    void paintView(QPainter& painter, const QRect& dirty) override
    {
        ++paints;
        dirtyRegion += dirty;
        painter.fillRect(dirty, Qt::black);
    }
    void rebuild() override { ++rebuilds; }
    void lightUpdate() override
    {
        ++lightUpdates;
        EditViewBase::lightUpdate();
    }
    void dragMoved(QPoint) override { ++dragMoves; }

private:
    QMenu m_menu;
};

} // namespace rz
