#include "staff/symbols/staff_header.h"

#include "staff/symbols/dynamic_marks.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "song/track.h"
#include "staff/symbols/note_symbols.h"
#include "ui/font_substitutions.h"

namespace rz {
namespace {

// Staff types as a track stores them.
constexpr int kTrebleType = 0;
constexpr int kBassType = 1;
constexpr int kGrandType = 2;
constexpr int kAltoType = 3;
constexpr int kTenorType = 4;
constexpr int kDrumType = 5;
constexpr int kOneLineType = 6;

// Draws and measures one header; y grows downward, one staff step is P/8.
struct Header {
    QPainter* painter;
    const MusicFont& font;
    int p;
    qreal step() const { return p / 8.0; }

    qreal advance(MusicGlyph g) const { return font.advance(g, p); }
    void glyph(MusicGlyph g, qreal x, qreal y) const
    {
        if (painter)
            font.draw(*painter, g, QPointF(x, y), p);
    }
    // The digits of a number as glyphs.
    static std::vector<MusicGlyph> digits(int number)
    {
        std::vector<MusicGlyph> glyphs;
        for (char c : std::to_string(std::max(number, 0)))
            glyphs.push_back(MusicGlyph(int(MusicGlyph::Digit0) + (c - '0')));
        return glyphs;
    }
    qreal width(const std::vector<MusicGlyph>& glyphs) const
    {
        qreal w = 0;
        for (MusicGlyph g : glyphs)
            w += advance(g);
        return w;
    }
    void text(const std::vector<MusicGlyph>& glyphs, qreal x, qreal y) const
    {
        for (MusicGlyph g : glyphs) {
            glyph(g, x, y);
            x += advance(g);
        }
    }
};

int keyRow(int staffType)
{
    switch (staffType) {
    case kBassType: return 1;
    case kAltoType: return 3;
    case kTenorType: return 4;
    default: return 0;
    }
}

// Returns the x after the clef.
qreal drawClef(const Header& h, QRect& rect, int type, qreal x, qreal middle)
{
    const qreal s = h.step();
    const qreal clefX = x + h.advance(MusicGlyph::Flat);
    if (type == kGrandType) {
        const qreal brace = h.font.drawBrace(h.painter, QPointF(x, rect.top()), 4.0 * h.p, h.p);
        x += 1.5 * brace;
        rect.setLeft(int(x));
        const qreal clef = x + h.advance(MusicGlyph::Flat);
        h.glyph(MusicGlyph::ClefG, clef, middle + 2 * s);
        h.glyph(MusicGlyph::ClefF, clef, middle + 3 * h.p - 2 * s);
        return x + std::max(h.advance(MusicGlyph::ClefG), h.advance(MusicGlyph::ClefF));
    }
    MusicGlyph clef = MusicGlyph::ClefG;
    qreal y = middle + 2 * s;
    switch (type) {
    case kBassType: clef = MusicGlyph::ClefF; y = middle - 2 * s; break;
    case kAltoType: clef = MusicGlyph::ClefC; y = middle; break;
    case kTenorType: clef = MusicGlyph::ClefC; y = middle - 2 * s; break;
    case kDrumType:
    case kOneLineType: clef = MusicGlyph::ClefPercussion; y = middle; break;
    default: break;
    }
    h.glyph(clef, clefX, y);
    return x + h.advance(clef);
}

qreal drawKey(const Header& h, const std::vector<std::pair<int, qreal>>& staves, int key,
              bool cancel, qreal x, qreal bottom, int height)
{
    const int count = std::min(key < 0 ? -key : key, 7);
    const MusicGlyph sign = cancel ? MusicGlyph::Natural
                            : key < 0 ? MusicGlyph::Flat
                                      : MusicGlyph::Sharp;
    qreal end = x;
    for (const auto& [row, offset] : staves) {
        const int* places = key < 0 ? kKeyFlats[row] : kKeySharps[row];
        qreal at = x;
        for (int k = 0; k < count; ++k) {
            h.glyph(sign, at, bottom + offset - places[k] * height / 64.0);
            at += h.advance(sign);
        }
        end = std::max(end, at);
    }
    return end;
}

qreal drawMeter(const Header& h, const std::vector<std::pair<int, qreal>>& staves,
                const MeasureRec& measure, qreal x, qreal bottom)
{
    const qreal s = h.step();
    const int numerator = measure.numerator;
    const int denominator = measure.denominator;
    qreal wide = 0;
    for (const auto& staff : staves) {
        const qreal middle = bottom + staff.second - 4 * s;
        if ((numerator == 4 && denominator == 4) || (numerator == 2 && denominator == 2)) {
            const MusicGlyph c = numerator == 4 ? MusicGlyph::TimeC44 : MusicGlyph::TimeC22;
            h.glyph(c, x, middle);
            wide = h.advance(c);
            continue;
        }
        const auto top = Header::digits(numerator);
        const auto low = Header::digits(denominator);
        wide = std::max(h.width(top), h.width(low));
        h.text(top, x + (wide - h.width(top)) / 2, middle);
        h.text(low, x + (wide - h.width(low)) / 2, middle + 4 * s);
    }
    return x + wide;
}

void drawLines(const Header& h, const std::vector<std::pair<int, qreal>>& staves, int type,
               qreal left, qreal right, qreal bottom)
{
    QPainter& painter = *h.painter;
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(std::max(1.0, h.p / 40.0));
    painter.setPen(pen);
    for (const auto& staff : staves) {
        const qreal base = bottom + staff.second;
        if (type == kOneLineType) {
            painter.drawLine(QPointF(left, base - 4 * h.step()), QPointF(right, base - 4 * h.step()));
            continue;
        }
        for (int line = 0; line < 5; ++line) {
            const qreal y = base - line * 2 * h.step();
            painter.drawLine(QPointF(left, y), QPointF(right, y));
        }
    }
    painter.restore();
}

} // namespace

void drawStaffHeader(QPainter* painter, QRect& rect, int staffType, int key,
                     const MeasureRec& measure, int flags, int cancelKey, const MusicFont& font,
                     int pixelSize)
{
    if (!font.ok() || pixelSize <= 0)
        return;
    if (staffType < kTrebleType || staffType > kOneLineType)
        staffType = kTrebleType;
    key = std::clamp(key, -7, 7);
    cancelKey = std::clamp(cancelKey, -7, 7);
    if (!painter)
        flags |= kHeaderNoLines;
    const Header h{painter, font, pixelSize};
    // The key's places are 64ths of the staff, whatever the rect's height.
    const int height = pixelSize;
    const qreal bottom = rect.top() + pixelSize;
    std::vector<std::pair<int, qreal>> staves;
    if (staffType == kGrandType)
        staves = {{0, 0.0}, {1, 3.0 * pixelSize}};
    else
        staves = {{keyRow(staffType), 0.0}};
    qreal x = rect.left();
    if (!(flags & kHeaderNoClef)) {
        x = drawClef(h, rect, staffType, x, bottom - 4 * h.step());
        if (staffType == kGrandType)
            rect.setBottom(rect.bottom() + 3 * pixelSize);
    }
    const int shown = cancelKey != 0 ? cancelKey : key;
    if (shown != 0 && !(flags & kHeaderNoKey) && staffType != kDrumType
        && staffType != kOneLineType)
        x = drawKey(h, staves, shown, cancelKey != 0, x + 2 * h.advance(MusicGlyph::Flat), bottom,
                    height);
    if (!(flags & kHeaderNoMeter))
        x = drawMeter(h, staves, measure, x + h.advance(MusicGlyph::FlatFlat), bottom);
    if (flags & kHeaderNoLines) {
        rect.setRight(int(x));
        return;
    }
    const qreal end = x + h.advance(MusicGlyph::FlatFlat);
    drawLines(h, staves, staffType, rect.left(), end, bottom);
    rect.setRight(int(end));
}

void DrawStaffHeader(QPainter* painter, QRect& rect, const CTrack* track,
                     const MeasureRec& measure, int flags, int cancelKey, const MusicFont& font,
                     int pixelSize)
{
    const int key = std::clamp<int>(measure.key, -7, 7);
    drawStaffHeader(painter, rect, track ? track->notationSetting : kTrebleType,
                    track ? track->MapPitch(key) : key, measure, flags, cancelKey, font, pixelSize);
}

FontNotationMetrics::FontNotationMetrics(const MusicFont& font, int staffSize, QString lyricFamily)
    : m_font(font), m_pixelSize(std::max(staffSize - 1, 1)), m_lyricFamily(std::move(lyricFamily))
{
}

int FontNotationMetrics::headerWidth(int clef, int key, int cancelKey, int numerator,
                                     int denominator, int flags) const
{
    MeasureRec measure;
    measure.key = int8_t(std::clamp(key, -7, 7));
    measure.numerator = uint8_t(std::clamp(numerator, 1, 255));
    measure.denominator = uint8_t(std::clamp(denominator, 1, 64));
    QRect rect(0, 0, 100, m_pixelSize);
    drawStaffHeader(nullptr, rect, clef, key, measure, flags, cancelKey, m_font, m_pixelSize);
    return rect.right() - rect.left();
}

int FontNotationMetrics::textWidth(std::string_view text, int height) const
{
    const QFontMetrics metrics(programFont(m_lyricFamily, -std::max(height, 1)));
    return metrics.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

int FontNotationMetrics::noteheadWidth() const
{
    return int(std::ceil(m_font.advance(MusicGlyph::HeadBlack0, m_pixelSize)));
}

int FontNotationMetrics::accidentalWidth(int code) const
{
    return int(std::ceil(m_font.advance(accidentalGlyph(code), m_pixelSize)));
}

int FontNotationMetrics::textLineHeight(int height) const
{
    return QFontMetrics(programFont(m_lyricFamily, -std::max(height, 1))).height();
}

int FontNotationMetrics::markRise() const
{
    double rise = std::max(-m_font.bounds(MusicGlyph::PedalDown, m_pixelSize).top(),
                           -m_font.bounds(MusicGlyph::PedalUp, m_pixelSize).top());
    for (int dynamic = 0; dynamic <= kHighestDynamic; ++dynamic)
        rise = std::max(rise, -dynamicMarkBounds(m_font, dynamic, m_pixelSize).top());
    return int(std::ceil(rise));
}

} // namespace rz
