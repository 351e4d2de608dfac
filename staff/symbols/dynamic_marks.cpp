#include "staff/symbols/dynamic_marks.h"

#include "staff/symbols/music_font.h"
#include "ui/local_path.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include <map>

namespace rz {
namespace {

constexpr int kTrill = 12;
constexpr const char* kLetters[] = {"f",  "ff", "fp", "fz", "fff", "mp",  "mf",
                                    "p",  "pp", "ppp", "sf", "sfz", "tr"};

// The staff font maps its dynamics letters at their own code points.
const QRawFont& lettersFont(int pixelSize)
{
    static std::map<int, QRawFont> fonts;
    auto it = fonts.find(pixelSize);
    if (it == fonts.end()) {
        const auto file = MusicFont::defaultFolder() / "emmentaler-20.otf";
        it = fonts.emplace(pixelSize, QRawFont(qtPath(file),
                                               std::max(pixelSize, 1)))
                 .first;
    }
    return it->second;
}

QGlyphRun letterRun(int index, int pixelSize)
{
    const QRawFont& font = lettersFont(pixelSize);
    QGlyphRun run;
    if (!font.isValid())
        return run;
    const QString text = QString::fromLatin1(kLetters[index]);
    const QList<quint32> glyphs = font.glyphIndexesForString(text);
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs);
    QList<QPointF> positions;
    QPointF at(0, 0);
    for (const QPointF& advance : advances) {
        positions.push_back(at);
        at += QPointF(advance.x(), 0);
    }
    run.setRawFont(font);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    return run;
}

} // namespace

const char* dynamicMarkLetters(int index)
{
    return index >= 0 && index <= kTrill ? kLetters[index] : "";
}

QRectF dynamicMarkBounds(const MusicFont& font, int index, int pixelSize)
{
    if (index < 0 || index > kTrill || !font.ok())
        return {};
    if (index == kTrill)
        return font.bounds(MusicGlyph::Trill, pixelSize);
    return letterRun(index, pixelSize).boundingRect();
}

void drawDynamicMark(QPainter& painter, const MusicFont& font, int index, QPointF origin,
                     int pixelSize)
{
    if (index < 0 || index > kTrill || !font.ok())
        return;
    if (index == kTrill) {
        font.draw(painter, MusicGlyph::Trill, origin, pixelSize);
        return;
    }
    const QGlyphRun run = letterRun(index, pixelSize);
    if (!run.glyphIndexes().isEmpty())
        painter.drawGlyphRun(origin, run);
}

} // namespace rz
