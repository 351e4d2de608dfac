#pragma once

#include <QFont>
#include <QRect>

#include "song/measure_map.h"
#include "staff/model/staff_model.h"
#include "staff/symbols/music_font.h"

class QPainter;

namespace rz {

class CTrack;

// What a staff header leaves out.
inline constexpr int kHeaderNoClef = 1;
inline constexpr int kHeaderNoMeter = 2;
inline constexpr int kHeaderNoKey = 4;
inline constexpr int kHeaderNoLines = 8; // also: only measure

// Key-signature places: for each clef row (treble, bass, unused, alto,
// tenor) the height of the 1st..7th sharp and flat above the bottom line,
// in 64ths of the staff height.
inline constexpr int kKeySharps[5][7] = {
    {64, 40, 72, 48, 24, 56, 32},
    {48, 24, 56, 32, 8, 40, 16},
    {64, 40, 72, 48, 24, 56, 32},
    {56, 32, 64, 40, 16, 48, 24},
    {16, 48, 24, 56, 32, 64, 40},
};
inline constexpr int kKeyFlats[5][7] = {
    {32, 56, 24, 48, 16, 40, 8},
    {16, 40, 8, 32, 0, 24, -8},
    {32, 56, 24, 48, 16, 40, 8},
    {24, 48, 16, 40, 8, 32, 0},
    {40, 64, 32, 56, 24, 48, 16},
};

// Draws the start of a staff: clef, key signature, meter and, unless told
// not to, the staff lines, at the music font's pixel size P (the staff's
// height; rect.top is its top line). On return rect.right is where the
// measure's music may begin (after the lines' end when they are drawn); a
// grand staff moves rect.left past its brace and rect.bottom 3P lower. A
// null painter only measures. Without a usable font nothing changes.
void DrawStaffHeader(QPainter* painter, QRect& rect, const CTrack* track,
                     const MeasureRec& measure, int flags, int cancelKey, const MusicFont& font,
                     int pixelSize);

// The same for a staff type (clef kind) and an already transposed key.
void drawStaffHeader(QPainter* painter, QRect& rect, int staffType, int key,
                     const MeasureRec& measure, int flags, int cancelKey, const MusicFont& font,
                     int pixelSize);

// The notation model's font measures from the music font at the glyph
// height of a staff size, lyrics in `lyricFamily`.
class FontNotationMetrics : public NotationMetrics {
public:
    FontNotationMetrics(const MusicFont& font, int staffSize, QString lyricFamily);

    int headerWidth(int clef, int key, int cancelKey, int numerator, int denominator,
                    int flags) const override;
    int textWidth(std::string_view text, int height) const override;
    int musicFontUnit() const override { return m_pixelSize; }
    int noteheadWidth() const override;
    int accidentalWidth(int code) const override;
    int textLineHeight(int height) const override;
    int markRise() const override;

private:
    const MusicFont& m_font;
    int m_pixelSize;
    QString m_lyricFamily;
};

} // namespace rz
