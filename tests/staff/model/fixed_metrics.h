#pragma once

#include <string_view>

#include "staff/model/staff_model.h"

namespace rz::test {

// Font measures without fonts: every character `charWidth` wide, a header
// `headerUnit` per key accidental plus one for a meter.
struct FixedMetrics : NotationMetrics {
    int charWidth = 5;
    int headerUnit = 6;
    int fontUnit = 20;

    int headerWidth(int, int key, int cancelKey, int, int, int flags) const override
    {
        const int accidentals = (key < 0 ? -key : key) + (cancelKey < 0 ? -cancelKey : cancelKey);
        const bool meter = flags != 11;
        return headerUnit * (accidentals + (meter ? 2 : 0));
    }
    int textWidth(std::string_view text, int) const override
    {
        return int(text.size()) * charWidth;
    }
    int musicFontUnit() const override { return fontUnit; }
};

} // namespace rz::test
