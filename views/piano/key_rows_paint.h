#pragma once

#include "core/color.h"
#include "ui/bitmap_catalog.h"
#include "views/piano/piano_layout.h"

#include <algorithm>

namespace rz::key_rows {

// What the piano roll and the velocity view paint alike: the pitch rows,
// the keyboard strip's marks and names, the band and the hint. GUI thread.
inline constexpr Color kWhiteRow = 0xFFFFFF;
inline constexpr Color kBlackRow = 0xC0C0C0;
inline constexpr Color kMeasureLine = 0xB1A291;
inline constexpr Color kStripEdgeLight = 0xC0CEBD;
inline constexpr Color kMiddleCMark = 0x0000FF;
inline constexpr Color kNameWhite = 0xDFDFDF;
inline constexpr Color kNameBlack = 0xA0A0A0;
inline constexpr int kMarkSize = 4;
inline constexpr int kBandAlpha = 64;
inline constexpr int kHintDrop = 90;
inline constexpr const char* kHint = "Please select tracks by clicking on track numbers in the track view.";

// The keyboard pictures run from row height 2 downward in number; -1 for a height without one.
inline int keysBitmap(int rowHeight)
{
    const auto& heights = PianoLayout::kRowHeights;
    const auto it = std::find(heights.begin(), heights.end(), rowHeight);
    return it == heights.end() ? -1 : bitmap_id::kPianoKeys2 - int(it - heights.begin());
}

} // namespace rz::key_rows
