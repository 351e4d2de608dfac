#pragma once

#include "ui/list_header_ctrl.h"

namespace rz {

// The track list's column header: captions in the view's colours, the
// column of the current cell in bold, a check mark for "in". GUI thread.
class TrackHeader : public ListHeaderCtrl {
    Q_OBJECT
public:
    explicit TrackHeader(QWidget* parent);

    // The caption font's pixel height and the column shown bold (-1 none).
    void setCaptionFont(int pixelHeight, int boldColumn);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    int m_pixelHeight = 12;
    int m_boldColumn = -1;
};

} // namespace rz
