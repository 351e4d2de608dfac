#pragma once

#include <QPointF>
#include <QRawFont>
#include <QRectF>
#include <QString>

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QPainter;

namespace rz {

// The roles the staff draws, each one glyph of the music font.
enum class MusicGlyph : int {
    ClefG, ClefF, ClefC, ClefPercussion,
    Flat, Sharp, Natural, FlatFlat, DoubleSharp,
    TimeC44, TimeC22,
    Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9,
    // Heads by kind 0..6 for whole, half and shorter notes.
    HeadWhole0, HeadHalf0, HeadBlack0,
    HeadWhole1, HeadHalf1, HeadBlack1,
    HeadWhole2, HeadHalf2, HeadBlack2,
    HeadWhole3, HeadHalf3, HeadBlack3,
    HeadWhole4, HeadHalf4, HeadBlack4,
    HeadWhole5, HeadHalf5, HeadBlack5,
    HeadWhole6, HeadHalf6, HeadBlack6,
    // Rests of 2, 4, 8, 16, 32, 64 and 128 sixty-fourths.
    Rest2, Rest4, Rest8, Rest16, Rest32, Rest64, Rest128,
    FlagUp8, FlagUp16, FlagUp32, FlagDown8, FlagDown16, FlagDown32,
    Dot, Trill, PedalDown, PedalUp, Caesura, Fermata, Comma,
    Count
};

// The music font's glyph name of a role.
const char* musicGlyphName(MusicGlyph glyph);

// The music font: the staff glyphs of one file and the braces of another,
// found by glyph name once, drawn by glyph index on any paint device. At a
// pixel size P the staff is P high (four spaces). A missing file or glyph
// leaves one message naming it; drawing then does nothing.
class MusicFont {
public:
    // The files of the newest installed version, found at configure time
    // or, failing that, under the system's shared data.
    static std::filesystem::path defaultFolder();
    static std::unique_ptr<MusicFont> load(const std::filesystem::path& folder = defaultFolder());

    bool ok() const { return m_message.isEmpty(); }
    // Why the font cannot draw; empty when it can.
    const QString& message() const { return m_message; }

    uint32_t glyphIndex(MusicGlyph glyph) const { return m_glyphs[size_t(glyph)]; }
    // Advance and ink bounds (y down, origin on the baseline) at pixel size P.
    qreal advance(MusicGlyph glyph, int pixelSize) const;
    QRectF bounds(MusicGlyph glyph, int pixelSize) const;
    void draw(QPainter& painter, MusicGlyph glyph, QPointF origin, int pixelSize) const;

    // The brace whose height is nearest `height` pixels, drawn with its
    // ink's top at `topLeft`; returns the ink's width.
    qreal braceWidth(qreal height, int pixelSize) const;
    qreal drawBrace(QPainter* painter, QPointF topLeft, qreal height, int pixelSize) const;

private:
    MusicFont() = default;
    const QRawFont& raw(int pixelSize) const;
    const QRawFont& braceRaw(int pixelSize) const;
    uint32_t brace(qreal height, int pixelSize) const;

    std::filesystem::path m_file;
    std::filesystem::path m_braceFile;
    std::array<uint32_t, size_t(MusicGlyph::Count)> m_glyphs{};
    std::vector<uint32_t> m_braces; // in the brace font, smallest first
    QString m_message;
    mutable std::map<int, QRawFont> m_raw;
    mutable std::map<int, QRawFont> m_braceRaw;
};

} // namespace rz
