#pragma once

#include <cstdint>

namespace rz {

// A colour reference: 0x00BBGGRR.
using Color = uint32_t;

inline constexpr uint8_t colorRed(Color c) { return uint8_t(c & 0xFF); }
inline constexpr uint8_t colorGreen(Color c) { return uint8_t((c >> 8) & 0xFF); }
inline constexpr uint8_t colorBlue(Color c) { return uint8_t((c >> 16) & 0xFF); }
inline constexpr Color makeColor(uint32_t r, uint32_t g, uint32_t b)
{
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}

// Shades a colour: level 0 is black, 120 leaves it unchanged, 240 is white.
Color ShadeColor(Color color, int16_t level);

// Per-channel average of two colours, rounded down; the top byte is 0.
Color BlendColors(Color a, Color b);

// Black text on light colours, white text on dark ones.
Color ColorLuminance(Color background);

} // namespace rz
