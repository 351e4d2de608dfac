#include "song/lyric_codec.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>

namespace rz {

namespace {

constexpr std::array<const char*, 4> kAlignItems = {"a,", "l,", "c,", "r,"};

char lower(char c) { return char(std::tolower(uint8_t(c))); }

LyricSwitch switchOf(std::string_view item)
{
    return item.size() > 1 && item[1] == '-' ? LyricSwitch::Off : LyricSwitch::On;
}

// The decimal digits at the front, saturating at the largest int.
int32_t sizeNumber(std::string_view text)
{
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = std::min<int64_t>(value * 10 + (c - '0'), INT32_MAX);
    }
    return int32_t(value);
}

void readFontItem(std::string_view item, LyricFields& f)
{
    const char first = lower(item[0]);
    if (first == '"') {
        const size_t close = item.find('"', 1);
        if (close != std::string_view::npos)
            f.fontName = std::string(item.substr(1, close - 1));
        return;
    }
    if (first >= '0' && first <= '9') {
        f.size = std::string(item);
        return;
    }
    switch (first) {
    case 'a': f.align = 0; break;
    case 'l': f.align = 1; break;
    case 'c': f.align = 2; break;
    case 'r': f.align = 3; break;
    case 'b': f.bold = switchOf(item); break;
    case 'i': f.italics = switchOf(item); break;
    case 'u': f.underline = switchOf(item); break;
    case 'h': f.highlighting = switchOf(item); break;
    case 'd': f.useDefaults = true; break;
    case 'k': f.resetNextLine = false; break;
    default: break;
    }
}

void readCodes(std::string_view& text, LyricFields& f)
{
    while (std::optional<LyricCode> code = takeLyricCode(text)) {
        const char letter = lower(code->letter);
        if (letter == 'b') {
            f.background = std::string(code->content);
        } else if (letter == 'f') {
            for (std::string_view item : lyricCodeItems(code->content))
                readFontItem(item, f);
        }
    }
}

void addSwitch(std::string& items, char letter, LyricSwitch s)
{
    if (s == LyricSwitch::Unchanged)
        return;
    items += letter;
    items += s == LyricSwitch::Off ? "-," : ",";
}

std::string fontCode(const LyricFields& f)
{
    std::string items;
    if (f.useDefaults)
        items += "d,";
    if (f.align >= 0 && f.align < int(kAlignItems.size()))
        items += kAlignItems[size_t(f.align)];
    addSwitch(items, 'b', f.bold);
    addSwitch(items, 'i', f.italics);
    addSwitch(items, 'u', f.underline);
    addSwitch(items, 'h', f.highlighting);
    if (!f.fontName.empty())
        items += "\"" + f.fontName + "\",";
    if (const int32_t size = sizeNumber(f.size); size != 0)
        items += std::to_string(size) + ",";
    if (!f.resetNextLine)
        items += "k,";
    if (items.empty())
        return {};
    items.back() = '}';
    return "{f:" + items;
}

} // namespace

std::optional<LyricCode> takeLyricCode(std::string_view& text)
{
    if (text.empty() || text[0] != '{')
        return std::nullopt;
    const size_t close = text.find('}');
    if (close == std::string_view::npos)
        return std::nullopt;
    LyricCode code;
    code.letter = close >= 2 ? text[1] : '\0';
    code.content = close > 3 ? text.substr(3, close - 3) : std::string_view();
    text.remove_prefix(close + 1);
    return code;
}

std::vector<std::string_view> lyricCodeItems(std::string_view content)
{
    std::vector<std::string_view> items;
    while (!content.empty()) {
        const size_t comma = content.find(',');
        if (comma != 0)
            items.push_back(content.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        content.remove_prefix(comma + 1);
    }
    return items;
}

LyricFields LyricToText(std::string_view bytes)
{
    LyricFields f;
    if (bytes.empty()) {
        f.breakKind = LyricBreak::Melisma;
        return f;
    }
    switch (bytes[0]) {
    case '\n':
    case '\\': f.breakKind = LyricBreak::NewParagraph; break;
    case '\r':
    case '/': f.breakKind = LyricBreak::NewLine; break;
    case '|': f.breakKind = LyricBreak::NewPage; break;
    default: {
        f.breakKind = bytes.back() == ' ' ? LyricBreak::EndOfWord : LyricBreak::Continues;
        const size_t last = bytes.find_last_not_of(' ');
        f.text = std::string(bytes.substr(0, last == std::string_view::npos ? 0 : last + 1));
        return f;
    }
    }
    bytes.remove_prefix(1);
    readCodes(bytes, f);
    f.text = std::string(bytes);
    return f;
}

std::string TextToLyric(const LyricFields& f)
{
    switch (f.breakKind) {
    case LyricBreak::Melisma: return {};
    case LyricBreak::Continues: return f.text;
    case LyricBreak::EndOfWord: return f.text + " ";
    default: break;
    }
    std::string codes;
    if (f.breakKind == LyricBreak::NewPage && !f.background.empty())
        codes = "{b:" + f.background + "}";
    codes += fontCode(f);
    if (codes.empty() && f.text.empty()) {
        if (f.breakKind == LyricBreak::NewLine)
            return "\r";
        if (f.breakKind == LyricBreak::NewParagraph)
            return "\n";
    }
    const char prefix = f.breakKind == LyricBreak::NewLine ? '/' : f.breakKind == LyricBreak::NewParagraph ? '\\' : '|';
    return prefix + codes + f.text;
}

} // namespace rz
