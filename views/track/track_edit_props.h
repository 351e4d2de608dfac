#pragma once

#include "song/undo_record.h"

#include <vector>

namespace rz {

class CSongDoc;

// The track dialog over `rows` (user rows, the first fills it, the others
// mix in): Cancel relocates the song, which undoes any preview the dialog
// sent; OK applies one "Edit Track Properties". False when no dialog ran.
// GUI thread.
bool editTrackProperties(CSongDoc& song, const std::vector<int>& rows);

} // namespace rz
