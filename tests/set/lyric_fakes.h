#pragma once

#include "set/lyric_layout.h"

#include <string>
#include <string_view>

namespace rz {

// Every character 8 pixels wide (a UTF-8 sequence counts once), the font as
// high as it says.
class FixedWidthMeasurer : public ITextMeasurer {
public:
    int textWidth(std::string_view text, const LyricFont&) const override
    {
        int characters = 0;
        for (char c : text)
            characters += (uint8_t(c) & 0xC0) != 0x80;
        return 8 * characters;
    }
    int fontHeight(const LyricFont& font) const override { return font.height; }
};

inline std::vector<LyricItem> lyricItems(std::initializer_list<std::string_view> texts, int32_t step = 120)
{
    std::vector<LyricItem> items;
    int32_t tick = 0;
    for (std::string_view text : texts) {
        LyricItem item;
        item.tick = tick;
        item.eventIndex = int32_t(items.size());
        item.text = std::string(text);
        items.push_back(std::move(item));
        tick += step;
    }
    return items;
}

} // namespace rz
