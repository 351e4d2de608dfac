#include "app/transport_staff.h"

#include "staff/symbols/staff_header.h"

#include <QPainter>

#include <cmath>

namespace rz {

TransportPanel::StaffHeaderPainter transportStaffHeader(const MusicFont& font)
{
    return [&font](QPainter& p, const QRect& area, const MeasureRec& measure) {
        const int top = area.top() + kTransportStaffTop;
        p.save();
        p.setPen(QPen(p.pen().color(), 1));
        // Whole pixels keep the lines sharp; glyphs sit within half a pixel.
        for (int line = 0; line < 5; ++line) {
            const int y = top + int(std::lround(line * kTransportStaffPixels / 4.0));
            p.drawLine(area.left(), y, area.right(), y);
        }
        QRect staff(area.left() + 2, top, area.width() - 2, kTransportStaffPixels);
        DrawStaffHeader(&p, staff, nullptr, measure, kHeaderNoLines, 0, font,
                        kTransportStaffPixels);
        p.restore();
    };
}

} // namespace rz
