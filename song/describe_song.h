#pragma once

#include <string>

namespace rz {

class CSongDoc;

// The whole persistent state of a song as text, one item a line, for tests
// that compare songs: the song's properties, every track's settings, patch
// change points and a hash of its play image, every event (without its
// selection stamp and pending change) with its data, the tempo and measure
// maps and the cues (without their stamps). Positions, selections and the
// undo list are left out.
std::string DescribeSong(const CSongDoc& song);

// The first line where two descriptions differ, as "line N: <a> | <b>";
// empty when they are equal.
std::string firstDifference(const std::string& a, const std::string& b);

} // namespace rz
