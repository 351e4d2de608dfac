#pragma once

#include "views/piano_layout.h"

namespace rz {

class CSongDoc;
class IProfile;
class ZoomScrollBar;

// The pitch-row scrolling and row zoom that the piano roll and the
// velocity view share. GUI thread.

// The first row a vertical bar's scroll code asks for; the same row for
// codes that move nothing.
int keyRowsScrollTarget(int code, const PianoLayout& rows, int plotHeight, int trackPos);
// The bar's range, page, position and buttons for the rows in a plot.
void setKeyRowsBar(ZoomScrollBar& bar, const PianoLayout& rows, int plotHeight, bool haveSong);
// Whether the row zoom can step in (or out).
bool keyRowZoomPossible(const PianoLayout& rows, bool in);
// One step of the row zoom keeping the first row in proportion; the new
// height goes to "PianoZoom" and the status line and the song's views are
// updated. False when the height is at its end.
bool stepKeyRowZoom(PianoLayout& rows, bool in, int plotHeight, CSongDoc* song, IProfile* profile);

} // namespace rz
