#pragma once

#include "app/transport_panel.h"

namespace rz {

class MusicFont;

// The transport panel's staff at the music font's pixel size.
inline constexpr int kTransportStaffPixels = 27;
inline constexpr int kTransportStaffTop = 14; // the top line below the staff field's top

// Draws the panel's staff: five lines in the painter's pen colour across
// the field, then the treble clef, key and meter through the music font.
// `font` must outlive the painter; without a usable font only the lines show.
TransportPanel::StaffHeaderPainter transportStaffHeader(const MusicFont& font);

} // namespace rz
