#include "set/lyric_print_plan.h"

#include "core/file_names.h"

#include <algorithm>
#include <cmath>

namespace rz {

namespace {

constexpr int kHeaderBand = 3000;
constexpr int kFirstPageRoom = 3000;
constexpr int kOtherPageRoom = 1500;
constexpr int kHeaderFontHeight = 600;
constexpr int kNumberFontHeight = 300;
constexpr int kCopyrightDrop = 700;
constexpr int kAuthorDrop = 2000;
constexpr int kItemTopSlack = 8;

LyricFont timesFont(int height)
{
    LyricFont font;
    font.face = "Times";
    font.height = height;
    return font;
}

LyricFont scaledFont(const LyricFont& from, double height)
{
    LyricFont font;
    font.face = from.face;
    font.weight = from.weight;
    font.italic = from.italic;
    font.underline = from.underline;
    font.height = std::max(1, int(std::floor(height)));
    return font;
}

struct PageRange {
    int first = 0;
    int end = 0;
    int top = 0; // page pixels
};

// Printed pages of one screen page: a new one starts at the line that
// overflows the room, but never before a page holds a line, so a line
// taller than a page still ends.
void splitScreenPage(const std::vector<LyricItem>& items, int first, int end, double scale, int printHeight,
                     std::vector<PageRange>& out)
{
    PageRange page{first, first, 0};
    bool hasItem = false;
    int lineTop = 0;
    for (int i = first; i < end; ++i) {
        const LyricItem& item = items[size_t(i)];
        if (item.eventIndex < 0)
            continue;
        const bool sameLine = hasItem && item.rect.top == lineTop;
        lineTop = item.rect.top;
        if (!hasItem) {
            page.top = item.rect.top - kItemTopSlack;
            hasItem = true;
            continue;
        }
        if (sameLine)
            continue;
        const int room = printHeight - (out.empty() ? kFirstPageRoom : kOtherPageRoom);
        if (double(item.rect.bottom - page.top) * scale > room) {
            page.end = i;
            out.push_back(page);
            page = PageRange{i, i, item.rect.top - kItemTopSlack};
        }
    }
    if (!hasItem)
        return;
    page.end = end;
    out.push_back(page);
}

void addLines(const std::vector<LyricItem>& items, const PageRange& range, bool firstPage, double scale,
              const LyricPrintInput& input, const LyricRect& print, std::vector<LyricPrintText>& texts)
{
    const LyricFont viewFont = scaledFont(input.font, input.font.height * scale);
    LyricFont font = viewFont;
    const int offset = firstPage ? kFirstPageRoom : kOtherPageRoom;
    for (int line = range.first; line < range.end;) {
        int last = line;
        while (last + 1 < range.end && items[size_t(last) + 1].rect.top == items[size_t(line)].rect.top)
            ++last;
        std::string text;
        bool keep = false;
        bool any = false;
        for (int i = line; i <= last; ++i) {
            const LyricItem& item = items[size_t(i)];
            if (item.eventIndex < 0)
                continue;
            any = true;
            if (item.font) {
                font = scaledFont(*item.font, item.font->height * scale);
                keep = item.keep;
            }
            text += item.text;
        }
        const LyricItem& first = items[size_t(line)];
        if (any && !text.empty()) {
            LyricPrintText out;
            out.text = std::move(text);
            out.y = print.top + int(std::floor(double(first.rect.top - range.top) * scale)) + offset;
            out.font = font;
            if (first.alignment == 2) {
                out.align = 2;
                out.x = print.right;
            } else if (first.alignment == 1 || (first.alignment == -1 && input.centre)) {
                out.align = 1;
                out.x = print.centreX();
            } else {
                out.x = print.left;
            }
            texts.push_back(std::move(out));
        }
        if (!keep)
            font = viewFont;
        line = last + 1;
    }
}

} // namespace

LyricPrintPlan planLyricPrint(const std::vector<LyricItem>& items, const LyricPages& pages,
                              const LyricPrintInput& input)
{
    LyricPrintPlan plan;
    plan.pageWidth = input.pageWidth;
    plan.pageHeight = input.pageHeight;
    plan.printRect = {kLyricPrintMargin, kLyricPrintMargin, input.pageWidth - kLyricPrintMargin,
                      input.pageHeight - kLyricPrintBottomMargin};
    const LyricRect& print = plan.printRect;
    const double scale = double(kLyricPrintFontHeight) / std::max(input.font.height, 1);

    std::vector<PageRange> ranges;
    for (int p = 0; p < pages.pageCount(); ++p) {
        const int first = std::clamp(pages.starts[size_t(p)], 0, int(items.size()));
        const int end = std::clamp(pages.starts[size_t(p) + 1], first, int(items.size()));
        splitScreenPage(items, first, end, scale, print.height(), ranges);
    }
    if (ranges.empty())
        ranges.push_back(PageRange{0, 0, 0});

    for (size_t n = 0; n < ranges.size(); ++n) {
        LyricPrintPage page;
        page.firstItem = ranges[n].first;
        page.endItem = ranges[n].end;
        const bool firstPage = n == 0;
        if (firstPage) {
            std::string title = input.lyricTitle;
            if (title.empty()) {
                title = input.songTitle;
                StripKnownExtension(title);
                title += '\n';
                title += input.subtitle;
            }
            page.texts.push_back({title, kLyricPrintMargin, kLyricPrintMargin, 1,
                                  input.pageWidth - 2 * kLyricPrintMargin, timesFont(kHeaderFontHeight)});
            if (!input.copyright.empty())
                page.texts.push_back({input.copyright, input.pageWidth / 2, print.bottom + kCopyrightDrop, 0, 0,
                                      scaledFont(input.font, input.font.height * scale)});
            if (!input.author.empty())
                page.texts.push_back({input.author, print.right, print.top + kAuthorDrop, 2, 0,
                                      scaledFont(input.font, input.font.height * scale)});
        }
        const bool odd = (n + 1) % 2 == 1;
        page.texts.push_back({std::to_string(n + 1), odd ? print.right : print.left, print.top, odd ? 2 : 0, 0,
                              timesFont(kNumberFontHeight)});
        addLines(items, ranges[n], firstPage, scale, input, print, page.texts);
        plan.pages.push_back(std::move(page));
    }
    return plan;
}

} // namespace rz
