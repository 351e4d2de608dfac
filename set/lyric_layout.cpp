#include "set/lyric_layout.h"

#include "song/lyric_codec.h"

#include <algorithm>
#include <cctype>

namespace rz {

namespace {

constexpr int kIndent = 8;
constexpr std::string_view kSeparators = "/\\|\n\r";

bool isSeparator(char c)
{
    return kSeparators.find(c) != std::string_view::npos;
}

std::string trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

bool endsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

int topOfPage(int style)
{
    return style == kLyricBall ? kIndent + kLyricBallRoom : kIndent;
}

// The digits at the front, saturating rather than overflowing.
int leadingNumber(std::string_view text)
{
    int value = 0;
    for (char c : text) {
        if (!std::isdigit(uint8_t(c)))
            break;
        value = std::min(value * 10 + (c - '0'), kMaxLyricFontHeight + 1);
    }
    return value;
}

// Applies the comma-separated tokens of an "f" command.
void applyFontTokens(std::string_view argument, const LyricFont& viewFont, LyricItem& item)
{
    LyricFont& font = *item.font;
    for (std::string_view piece : lyricCodeItems(argument)) {
        std::string token(piece);
        if (token.size() == 1)
            token += ' ';
        const bool off = token[1] == '-';
        const char code = char(std::tolower(uint8_t(token[0])));
        if (code == '"' || code == '\'') {
            const size_t close = token.find(code, 1);
            font.face = token.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        } else if (std::isdigit(uint8_t(code))) {
            font.height = clampLyricFontHeight(leadingNumber(token));
        } else {
            switch (code) {
            case 'a': item.alignment = -1; break;
            case 'b': font.weight = off ? 400 : 700; break;
            case 'c': item.alignment = 1; break;
            case 'd':
                font = viewFont;
                item.highlight = true;
                item.alignment = -1;
                break;
            case 'h': item.highlight = !off; break;
            case 'i': font.italic = !off; break;
            case 'k': item.keep = true; break;
            case 'l': item.alignment = 0; break;
            case 'r': item.alignment = 2; break;
            case 'u': font.underline = !off; break;
            default: break;
            }
        }
    }
}

void alignPages(std::vector<LyricItem>& items, const LyricPages& pages, const LyricLayoutParams& params,
                int areaWidth)
{
    for (int page = 0; page < pages.pageCount(); ++page) {
        const int first = pages.starts[size_t(page)];
        const int end = pages.starts[size_t(page) + 1];
        if (first >= end)
            continue;
        const int down = (params.clientHeight - (items[size_t(end) - 1].rect.bottom - kIndent) - 16) / 2;
        for (int i = first; i < end && down >= 1; ++i) {
            items[size_t(i)].rect.top += down;
            items[size_t(i)].rect.bottom += down;
        }
        for (int line = first; line < end;) {
            int last = line;
            while (last + 1 < end && items[size_t(last) + 1].rect.top == items[size_t(line)].rect.top)
                ++last;
            const int alignment = items[size_t(line)].alignment;
            const int room = areaWidth - (items[size_t(last)].rect.right - items[size_t(line)].rect.left) - 16;
            int shift = 0;
            if (alignment == 2)
                shift = room;
            else if (alignment == 1 || (alignment == -1 && params.centre))
                shift = room / 2;
            for (int i = line; i <= last; ++i) {
                items[size_t(i)].rect.left += shift;
                items[size_t(i)].rect.right += shift;
            }
            line = last + 1;
        }
    }
}

} // namespace

int lyricLineHeight(int fontHeight, int style)
{
    return (style == kLyricBall ? kLyricBallRoom : 0) + fontHeight * 5 / 4 + 4;
}

LyricPages layoutLyricItems(std::vector<LyricItem>& items, std::string_view title,
                            const LyricLayoutParams& params, const ITextMeasurer& measurer)
{
    LyricPages pages;
    pages.pictures.push_back(params.picture);
    const int style = params.style;
    const LyricFont& viewFont = params.font;
    const int viewHeight = measurer.fontHeight(viewFont);
    const int areaWidth = params.clientWidth - params.leftMargin - params.rightMargin;
    const int usable = areaWidth - 16;

    LyricFont font = viewFont;
    int alignment = -1;
    bool highlight = true;
    bool fontReverts = false;
    int lineHeight = lyricLineHeight(viewHeight, style);
    int titleHeight = 0;
    if (!title.empty())
        titleHeight = viewHeight * int(1 + std::count(title.begin(), title.end(), '\n'));

    int x = kIndent;
    int y = titleHeight + lineHeight + kIndent;
    std::string line;
    const size_t count = items.size();
    for (size_t i = 0; i < count;) {
        LyricItem& item = items[i];
        if (item.eventIndex < 0) {
            if (i == 0)
                item.rect = {x, y, x, y + viewHeight * 5 / 4};
            else
                item.rect = items[i - 1].rect;
            ++i;
            continue;
        }
        size_t j = i;
        std::string word = item.text;
        while (j + 1 < count && !endsWith(word, " ") && !(!word.empty() && (word[0] == '\r' || word[0] == '\n'))) {
            const std::string& next = items[j + 1].text;
            if (!next.empty() && (next[0] == ' ' || isSeparator(next[0])))
                break;
            ++j;
            word += items[j].text;
        }

        if (!word.empty() && isSeparator(word[0])) {
            const char separator = word[0];
            if (style != kLyricGrid) {
                word.erase(0, 1);
                item.text.erase(0, 1);
            } else if (separator == '\r' || separator == '\n') {
                const std::string_view glyph = separator == '\r' ? kGuillemetText : kPilcrowText;
                word.replace(0, 1, glyph);
                item.text.replace(0, 1, glyph);
                item.glyph = separator == '\r' ? LyricGlyph::Guillemet : LyricGlyph::Pilcrow;
            }
            item.highlight = highlight;
            item.alignment = alignment;
            switch (separator) {
            case '/': y += lineHeight; break;
            case '\\': y += 2 * lineHeight; break;
            case '\r': y += lineHeight; break;
            case '\n': {
                y += lineHeight;
                const std::string soFar = trimmed(line);
                if (!soFar.empty() && !endsWith(soFar, kPilcrowText) && !endsWith(soFar, kGuillemetText))
                    y += lineHeight;
                break;
            }
            case '|':
                if (pages.starts.back() != int(i)) {
                    pages.starts.push_back(int(i));
                    pages.pictures.push_back(pages.pictures.back());
                }
                y = topOfPage(style);
                break;
            default: break;
            }
            line.clear();
            x = kIndent;
            if (fontReverts) {
                highlight = true;
                alignment = -1;
                font = viewFont;
                lineHeight = lyricLineHeight(viewHeight, style);
                fontReverts = false;
            }
        }

        for (;;) {
            std::string_view rest = word;
            const std::optional<LyricCode> code = takeLyricCode(rest);
            if (!code)
                break;
            const char command = char(std::tolower(uint8_t(code->letter)));
            const std::string argument(code->content);
            const size_t taken = word.size() - rest.size();
            word.erase(0, taken);
            item.text.erase(0, std::min(taken, item.text.size()));
            if (command == 'b') {
                pages.pictures.back() = argument;
            } else if (command == 'f') {
                item.font = font;
                item.alignment = alignment;
                item.highlight = highlight;
                applyFontTokens(argument, viewFont, item);
                font = *item.font;
                alignment = item.alignment;
                highlight = item.highlight;
                lineHeight = lyricLineHeight(measurer.fontHeight(font), style);
                fontReverts = !item.keep;
            }
        }

        // A word wider than the whole line stays where it is rather than
        // leaving an empty line above it.
        if (!word.empty() && !trimmed(line).empty()
            && measurer.textWidth(trimmed(line + word), font) > usable) {
            line.clear();
            y += lineHeight;
            x = kIndent;
            item.alignment = alignment;
            item.highlight = highlight;
        }

        if (params.paginate && y >= params.clientHeight - viewHeight * 5 / 4 && pages.starts.back() != int(i)) {
            pages.starts.push_back(int(i));
            pages.pictures.push_back(pages.pictures.back());
            y = topOfPage(style);
        }

        const int textHeight = lineHeight - (style == kLyricBall ? kLyricBallRoom : 0) - 4;
        for (size_t k = i; k <= j; ++k) {
            LyricItem& placed = items[k];
            const int width = measurer.textWidth(placed.text, font);
            if (placed.glyph != LyricGlyph::None) {
                const int top = y - (placed.glyph == LyricGlyph::Pilcrow ? 2 : 1) * lineHeight;
                const int left = k > 0 && items[k - 1].rect.top == top ? items[k - 1].rect.right : x;
                placed.rect = {left, top, left + width, top + textHeight};
                continue;
            }
            placed.rect = {x, y, x + width, y + textHeight};
            x += width;
        }
        line += word;
        i = j + 1;
    }
    pages.starts.push_back(int(count));
    alignPages(items, pages, params, areaWidth);
    return pages;
}

} // namespace rz
