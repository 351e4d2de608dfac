#pragma once

#include "core/color.h"

namespace rz::view_colors {

// Colours several views paint with, as colour references. GUI thread.
inline constexpr Color kBackground = 0xD1CCCE;       // behind the rows, lanes and plots
inline constexpr Color kFrameBase = 0x38140C;        // the frame's base colour
inline constexpr Color kLabelText = 0x0EF0FF;        // measure numbers on the ruler
inline constexpr Color kGridLine = 0xC0C0C0;
inline constexpr Color kMeterChangeLine = 0x202020;
inline constexpr Color kCurve = 0x0000FF;            // a plotted value's line and handles

} // namespace rz::view_colors
