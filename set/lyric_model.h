#pragma once

#include "song/measure_map.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

class CSongDoc;
class CTrack;

// Highlight styles of the lyric view; the main frame keeps the choice.
enum LyricStyle : int {
    kLyricBall = 0,
    kLyricSyllables = 1,
    kLyricLines = 2,
    kLyricGrid = 3,
};

// Pixel heights a lyric font may take, whatever a song or the profile says.
inline constexpr int kMinLyricFontHeight = 4;
inline constexpr int kMaxLyricFontHeight = 400;
int clampLyricFontHeight(int height);

// A font as the lyric layout sees it; the widget makes a QFont of it.
struct LyricFont {
    std::string face = "Times New Roman";
    int height = 24; // pixels
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool operator==(const LyricFont&) const = default;
};

struct LyricRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    int centreX() const { return (left + right) / 2; }
    bool operator==(const LyricRect&) const = default;
};

// Glyphs the object grid shows for line breaks; only these move up a line.
enum class LyricGlyph : uint8_t { None, Guillemet, Pilcrow };
inline constexpr std::string_view kGuillemetText = "\xC2\xAB"; // carriage return
inline constexpr std::string_view kPilcrowText = "\xC2\xB6";   // line feed

// One shown syllable or beat placeholder.
struct LyricItem {
    LyricRect rect;
    int32_t tick = 0;
    int32_t eventIndex = -1; // -1: a beat placeholder, never drawn
    int32_t mark = 0;
    std::string text; // UTF-8
    std::optional<LyricFont> font;
    int32_t alignment = -1; // -1 default, 0 left, 1 centre, 2 right
    bool keep = false;
    bool highlight = true;
    LyricGlyph glyph = LyricGlyph::None;
};

// One lyric or text meta event of the lyric track.
struct LyricSource {
    int32_t tick = 0;
    int32_t eventIndex = 0;
    std::string bytes;
};

// What the % escapes insert.
struct LyricTexts {
    std::string title, subtitle, author, copyright, memo; // UTF-8
    std::array<std::string, 10> macros;                   // "Macros" "0".."9"
};

// The song's timing as the placeholders need it.
struct LyricTiming {
    const MeasureMap* measures = nullptr;
    int timeBase = 120;
    int32_t endTick = 0;
};

struct LyricBuild {
    std::vector<LyricItem> items;
    std::string title; // from "@T" texts at tick 0
};

// The lyric (meta 5) and text (meta 1) events of a track with data, in order.
std::vector<LyricSource> lyricSources(const CTrack& track);
// The song texts (decoded) with the given macros.
LyricTexts lyricTexts(const CSongDoc& song, const std::array<std::string, 10>& macros);

// Replaces the % escapes: "%%", "%t", "%s", "%a", "%c", "%m" and "%0".."%9";
// any other character after % yields nothing. Inserted text is not rescanned.
std::string expandLyricEscapes(std::string text, const LyricTexts& texts);

// The items of the sources, with beat placeholders in the gaps longer than two
// quarters so that the ball keeps bouncing.
LyricBuild buildLyricItems(const std::vector<LyricSource>& sources, const LyricTexts& texts,
                           int style, const LyricTiming& timing);

// Whether a track would show anything: "@" headers and empty texts do not.
bool trackYieldsLyrics(const CTrack& track);

// Splits typed lyrics into pieces for tapping in, one word (mode 0) or one
// line (mode 1) at a time. Every piece but the first carries what stood before
// it: " " for blanks, "/" for one line break, "\" for a blank line.
std::vector<std::string> SplitLyricText(std::string_view text, int mode);

} // namespace rz
