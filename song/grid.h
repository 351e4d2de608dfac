#pragma once

#include <array>
#include <cstdint>

namespace rz {

inline constexpr int kGridFamilies = 5;
inline constexpr int kTimeZoomLevels = 9; // time-zoom index 0..8

// Divisions per quarter note: rows are grid families, columns time-zoom indices.
inline constexpr std::array<std::array<int, kTimeZoomLevels>, kGridFamilies> kGridTable = {{
    {1, 2, 4, 8, 12, 24, 40, 60, 120},  // time base divisible by 5
    {1, 2, 4, 8, 12, 24, 48, 64, 96},   // by 3
    {1, 2, 4, 8, 12, 24, 36, 72, 108},  // by 9
    {1, 2, 4, 8, 12, 24, 56, 84, 168},  // by 7
    {1, 2, 4, 8, 16, 32, 64, 128, 256}, // other
}};

// The grid family of a time base: 0 divisible by 5, else 3 by 7, else 2 by 9,
// else 1 by 3, else 4.
int GridFamilyFor(int timeBase);
// Divisions per quarter at a family and zoom (both clamped into the table).
int gridDivisions(int family, int zoom);
// Snapping step in ticks: time base / divisions, at least 1.
int32_t GridTicks(int timeBase, int family, int zoom);

} // namespace rz
