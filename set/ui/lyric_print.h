#pragma once

#include "set/lyric_print_plan.h"

class QPagedPaintDevice;
class QPainter;

namespace rz {

// The page size of a paged device in hundredths of a millimetre.
LyricPrintInput lyricPrintPage(const QPagedPaintDevice& device, LyricPrintInput input);

// Draws one printed page with a painter already mapped in hundredths of a
// millimetre.
void paintLyricPage(QPainter& painter, const LyricPrintPlan& plan, int page);

// Prints every page of the plan on the device, mapping the device through a
// window in hundredths of a millimetre. False when the device cannot be
// painted on or refuses a new page.
bool printLyricPlan(const LyricPrintPlan& plan, QPagedPaintDevice& device);

} // namespace rz
