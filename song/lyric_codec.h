#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rz {

// What comes before a syllable, in the order the lyric editor lists them.
enum class LyricBreak : int {
    Continues = 0,    // "-": the syllable continues the word
    EndOfWord = 1,    // stored with a trailing blank
    Melisma = 2,      // empty data
    NewLine = 3,      // "/", or "\r" alone
    NewParagraph = 4, // "\", or "\n" alone
    NewPage = 5,      // "|"
};

// A three-state format choice: set off, set on, or left as it was.
enum class LyricSwitch : int { Off = 0, On = 1, Unchanged = 2 };

// One syllable's text split into its break, the font and background codes
// that follow a line, paragraph or page break, and its own text. Texts are
// the stored bytes, in whatever encoding the song carries.
struct LyricFields {
    LyricBreak breakKind = LyricBreak::Continues;
    std::string text;
    bool useDefaults = false;  // "d"
    int align = -1;            // -1 none, 0 Default, 1 Left, 2 Center, 3 Right
    LyricSwitch bold = LyricSwitch::Unchanged;
    LyricSwitch italics = LyricSwitch::Unchanged;
    LyricSwitch underline = LyricSwitch::Unchanged;
    LyricSwitch highlighting = LyricSwitch::Unchanged;
    std::string fontName;
    std::string size;          // as typed; written when its number is not 0
    bool resetNextLine = true; // cleared: "k"
    std::string background;    // a picture path, at a page break only

    bool operator==(const LyricFields&) const = default;
};

// Reads a syllable's bytes. Codes are read only after a line, paragraph or
// page break; items the codec does not know are ignored, and a "{" without
// its "}" leaves the rest as plain text.
LyricFields LyricToText(std::string_view bytes);

// The bytes of a syllable; the codes go in one fixed order, and only after a
// line, paragraph or page break.
std::string TextToLyric(const LyricFields& fields);

// One "{x:...}" code at the front of a text: its letter as written and what
// stands from its fourth character to the first "}".
struct LyricCode {
    char letter = '\0';
    std::string_view content;
};

// Takes the code the text starts with off its front; nothing, with the text
// unchanged, when it does not start with "{" or has no "}".
std::optional<LyricCode> takeLyricCode(std::string_view& text);

// The items of a font code, split at ","; empty items are left out.
std::vector<std::string_view> lyricCodeItems(std::string_view content);

} // namespace rz
