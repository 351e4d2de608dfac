#pragma once

#include "staff/model/staff_print_plan.h"

#include <QSize>

#include <filesystem>

class QPageSize;
class QPagedPaintDevice;
class QPainter;

namespace rz {

class MusicFont;
class StaffView;

// The printable area of a paged device in hundredths of a millimetre.
QSize printAreaHundredths(const QPagedPaintDevice& device);

// Maps the painter onto the plan's page: hundredths of a millimetre, y down
// from the printable area's top left, the same scale both ways.
void mapPrintPage(QPainter& painter, const StaffPrintPlan& plan, QSize devicePixels);

// Draws page `page` (from 1) of the plan in black on a mapped painter.
void printStaffPage(QPainter& painter, const StaffPrintPlan& plan, int page, const MusicFont& font);

// Prints pages `from`..`to` (from 1; 0 for either end: all) on the device.
// False when the device cannot be painted on or refuses a page.
bool printStaffPlan(const StaffPrintPlan& plan, QPagedPaintDevice& device, const MusicFont& font,
                    int from = 0, int to = 0);

// Prints the view's score into a PDF file of that page size, by the path
// the printer takes. A failure is told through the song's prompt (a file
// that cannot be written by name, leaving no file) and gives false.
bool printToPdf(StaffView& view, const std::filesystem::path& path, const QPageSize& pageSize);

} // namespace rz
