#include "core/color.h"

namespace rz {
namespace {

uint32_t shadeChannel(uint32_t c, int level)
{
    if (level >= 240)
        return 255;
    if (level < 1)
        return 0;
    if (level < 120)
        return c * uint32_t(level) / 120;
    if (level == 120)
        return c;
    return c + (255 - c) * uint32_t(level - 120) / 120;
}

} // namespace

Color ShadeColor(Color color, int16_t level)
{
    return makeColor(shadeChannel(colorRed(color), level), shadeChannel(colorGreen(color), level),
                     shadeChannel(colorBlue(color), level));
}

Color BlendColors(Color a, Color b)
{
    return makeColor((colorRed(a) + colorRed(b)) / 2, (colorGreen(a) + colorGreen(b)) / 2,
                     (colorBlue(a) + colorBlue(b)) / 2);
}

Color ColorLuminance(Color background)
{
    // Thousandths in integers: in doubles a sum of exactly 128 can come out
    // just below it and pick the wrong text colour.
    const uint32_t luma = 299 * colorRed(background) + 587 * colorGreen(background)
                          + 114 * colorBlue(background);
    return luma >= 128000 ? 0x000000 : 0xFFFFFF;
}

} // namespace rz
