#pragma once

#include "set/lyric_layout.h"
#include "set/lyric_model.h"

#include <string>
#include <vector>

namespace rz {

// Printed lengths are in hundredths of a millimetre, y growing downwards.
inline constexpr int kLyricPrintMargin = 1000;       // left, top and right
inline constexpr int kLyricPrintBottomMargin = 1500;
inline constexpr int kLyricPrintFontHeight = 700;

// One text on a printed page. Its top is at y; align says what x is: the left
// end (0), the middle (1) or the right end (2). A header text with a width
// is centred in the band [x, x + width) and may hold line breaks.
struct LyricPrintText {
    std::string text; // UTF-8
    int x = 0;
    int y = 0;
    int align = 0;
    int width = 0;
    LyricFont font; // height in hundredths of a millimetre
};

struct LyricPrintPage {
    int firstItem = 0;
    int endItem = 0;
    std::vector<LyricPrintText> texts;
};

struct LyricPrintInput {
    int pageWidth = 21000;  // hundredths of a millimetre
    int pageHeight = 29700;
    LyricFont font;         // the view's font, pixel height
    bool centre = false;    // "Center": default alignment is centred
    std::string lyricTitle; // "@T" texts; wins over the song's title
    std::string songTitle, subtitle, author, copyright; // UTF-8
};

struct LyricPrintPlan {
    int pageWidth = 0;
    int pageHeight = 0;
    LyricRect printRect;
    std::vector<LyricPrintPage> pages;
};

// Splits the view's pages into printed pages and places every text: the
// header, copyright and author on page 1, the page numbers and the lines.
// A printed page always takes at least one item, so a song without items
// still prints one page with its header.
LyricPrintPlan planLyricPrint(const std::vector<LyricItem>& items, const LyricPages& pages,
                              const LyricPrintInput& input);

} // namespace rz
