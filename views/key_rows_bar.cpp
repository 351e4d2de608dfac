#include "views/key_rows_bar.h"

#include "core/song_host.h"
#include "song/song_doc.h"
#include "ui/zoom_scroll_bar.h"

#include <algorithm>
#include <cstdio>

namespace rz {
namespace {

int pageOf(const PianoLayout& rows, int plotHeight)
{
    return std::max(plotHeight / std::max(rows.rowHeight, 1), 1);
}

} // namespace

int keyRowsScrollTarget(int code, const PianoLayout& rows, int plotHeight, int trackPos)
{
    const int page = pageOf(rows, plotHeight);
    switch (code) {
    case ZoomScrollBar::kLineUp: return rows.firstRow - 1;
    case ZoomScrollBar::kLineDown: return rows.firstRow + 1;
    case ZoomScrollBar::kPageUp: return rows.firstRow - page;
    case ZoomScrollBar::kPageDown: return rows.firstRow + page;
    case ZoomScrollBar::kThumbTrack: return trackPos;
    default: return rows.firstRow;
    }
}

void setKeyRowsBar(ZoomScrollBar& bar, const PianoLayout& rows, int plotHeight, bool haveSong)
{
    const int limit = rows.maxFirstRow(plotHeight);
    bar.setScrollInfo({.min = 0, .max = PianoLayout::kRows - 1, .page = pageOf(rows, plotHeight), .pos = rows.firstRow},
                      ZoomScrollBar::kAll);
    bar.enableScrollBar(haveSong && limit > 0 ? 0 : 3);
    bar.enableZoom(haveSong && keyRowZoomPossible(rows, true), haveSong && keyRowZoomPossible(rows, false));
}

bool keyRowZoomPossible(const PianoLayout& rows, bool in)
{
    const auto& heights = PianoLayout::kRowHeights;
    return in ? rows.rowHeight < heights.back() : rows.rowHeight >= heights[1];
}

bool stepKeyRowZoom(PianoLayout& rows, bool in, int plotHeight, CSongDoc* song, IProfile* profile)
{
    const int height = std::max(plotHeight, 1);
    const PianoLayout::Zoom from{rows.rowHeight, rows.firstRow};
    const PianoLayout::Zoom to = in ? PianoLayout::zoomIn(from, height) : PianoLayout::zoomOut(from, height);
    if (to.rowHeight == from.rowHeight)
        return false;
    rows.rowHeight = to.rowHeight;
    rows.firstRow = to.firstRow;
    if (profile)
        writePianoZoom(*profile, rows.rowHeight);
    if (song) {
        char text[32];
        std::snprintf(text, sizeof text, "Pixel=%d", rows.rowHeight);
        song->context().host.SetStatusText(text);
        song->UpdateViews();
    }
    return true;
}

} // namespace rz
