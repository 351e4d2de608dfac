#include "staff/symbols/music_font.h"

#include "ui/local_path.h"

#include <QGlyphRun>
#include <QPainter>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <system_error>

namespace rz {
namespace {

constexpr const char* kStaffFontFile = "emmentaler-20.otf";
constexpr const char* kBraceFontFile = "emmentaler-brace.otf";
constexpr int kMaxBraces = 1000;

constexpr std::array<const char*, size_t(MusicGlyph::Count)> kGlyphNames = {
    "clefs.G", "clefs.F", "clefs.C", "clefs.percussion",
    "accidentals.flat", "accidentals.sharp", "accidentals.natural", "accidentals.flatflat",
    "accidentals.doublesharp",
    "timesig.C44", "timesig.C22",
    "zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine",
    "noteheads.s0", "noteheads.s1", "noteheads.s2",
    "noteheads.s0la", "noteheads.s1la", "noteheads.s2la",
    "noteheads.s0triangle", "noteheads.s1triangle", "noteheads.s2triangle",
    "noteheads.s0diamond", "noteheads.s1diamond", "noteheads.s2diamond",
    "noteheads.s0cross", "noteheads.s1cross", "noteheads.s2cross",
    "noteheads.s2xcircle", "noteheads.s2xcircle", "noteheads.s2xcircle",
    "noteheads.s0slash", "noteheads.s1slash", "noteheads.s2slash",
    "rests.5", "rests.4", "rests.3", "rests.2", "rests.1", "rests.0", "rests.M1",
    "flags.u3", "flags.u4", "flags.u5", "flags.d3", "flags.d4", "flags.d5",
    "dots.dot", "scripts.trill", "pedal.Ped", "pedal.*", "scripts.caesura.straight",
    "scripts.ufermata", "scripts.rcomma",
};

// Glyph indexes of names in a font file, through FreeType; 0 = missing.
class FaceReader {
public:
    explicit FaceReader(const std::filesystem::path& file)
    {
        if (FT_Init_FreeType(&m_library) != 0)
            return;
        if (FT_New_Face(m_library, file.c_str(), 0, &m_face) != 0)
            m_face = nullptr;
    }
    ~FaceReader()
    {
        if (m_face)
            FT_Done_Face(m_face);
        if (m_library)
            FT_Done_FreeType(m_library);
    }
    FaceReader(const FaceReader&) = delete;
    FaceReader& operator=(const FaceReader&) = delete;

    bool open() const { return m_face != nullptr; }
    uint32_t index(const std::string& name) const
    {
        return m_face ? FT_Get_Name_Index(m_face, name.c_str()) : 0;
    }

private:
    FT_Library m_library = nullptr;
    FT_Face m_face = nullptr;
};

// "2.24.1" sorts after "2.9.0".
bool olderVersion(const std::string& a, const std::string& b)
{
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        long x = 0, y = 0;
        while (i < a.size() && std::isdigit(static_cast<unsigned char>(a[i])))
            x = x * 10 + (a[i++] - '0');
        while (j < b.size() && std::isdigit(static_cast<unsigned char>(b[j])))
            y = y * 10 + (b[j++] - '0');
        if (x != y)
            return x < y;
        ++i;
        ++j;
    }
    return false;
}

} // namespace

const char* musicGlyphName(MusicGlyph glyph)
{
    return kGlyphNames[size_t(glyph)];
}

std::filesystem::path MusicFont::defaultFolder()
{
#ifdef RZ_MUSIC_FONT_DIR
    if (std::filesystem::exists(std::filesystem::path(RZ_MUSIC_FONT_DIR) / kStaffFontFile))
        return RZ_MUSIC_FONT_DIR;
#endif
    const std::filesystem::path root = "/usr/share/lilypond";
    std::string newest;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(root, error)) {
        const std::string name = entry.path().filename().string();
        if (std::filesystem::exists(entry.path() / "fonts/otf" / kStaffFontFile)
            && (newest.empty() || olderVersion(newest, name)))
            newest = name;
    }
    return newest.empty() ? root / "fonts/otf" : root / newest / "fonts/otf";
}

std::unique_ptr<MusicFont> MusicFont::load(const std::filesystem::path& folder)
{
    std::unique_ptr<MusicFont> font(new MusicFont);
    font->m_file = folder / kStaffFontFile;
    font->m_braceFile = folder / kBraceFontFile;
    const auto missingFile = [&](const std::filesystem::path& file) {
        font->m_message = QStringLiteral("The music font %1 is missing.")
                              .arg(qtPath(file));
    };
    const FaceReader staff(font->m_file);
    if (!staff.open()) {
        missingFile(font->m_file);
        return font;
    }
    for (size_t i = 0; i < kGlyphNames.size(); ++i) {
        font->m_glyphs[i] = staff.index(kGlyphNames[i]);
        if (font->m_glyphs[i] == 0) {
            font->m_message = QStringLiteral("The music font %1 has no glyph %2.")
                                  .arg(qtPath(font->m_file),
                                       QString::fromLatin1(kGlyphNames[i]));
            return font;
        }
    }
    const FaceReader braces(font->m_braceFile);
    if (!braces.open()) {
        missingFile(font->m_braceFile);
        return font;
    }
    for (int n = 0; n < kMaxBraces; ++n)
        if (const uint32_t index = braces.index("brace" + std::to_string(n)))
            font->m_braces.push_back(index);
    if (font->m_braces.empty())
        font->m_message = QStringLiteral("The music font %1 has no braces.")
                              .arg(qtPath(font->m_braceFile));
    return font;
}

const QRawFont& MusicFont::raw(int pixelSize) const
{
    auto it = m_raw.find(pixelSize);
    if (it == m_raw.end())
        it = m_raw.emplace(pixelSize, QRawFont(qtPath(m_file),
                                               std::max(pixelSize, 1)))
                 .first;
    return it->second;
}

const QRawFont& MusicFont::braceRaw(int pixelSize) const
{
    auto it = m_braceRaw.find(pixelSize);
    if (it == m_braceRaw.end())
        it = m_braceRaw
                 .emplace(pixelSize, QRawFont(qtPath(m_braceFile),
                                              std::max(pixelSize, 1)))
                 .first;
    return it->second;
}

qreal MusicFont::advance(MusicGlyph glyph, int pixelSize) const
{
    if (!ok())
        return 0;
    const quint32 index = glyphIndex(glyph);
    const auto advances = raw(pixelSize).advancesForGlyphIndexes(QList<quint32>{index});
    return advances.isEmpty() ? 0 : advances.front().x();
}

QRectF MusicFont::bounds(MusicGlyph glyph, int pixelSize) const
{
    return ok() ? raw(pixelSize).boundingRect(glyphIndex(glyph)) : QRectF();
}

void MusicFont::draw(QPainter& painter, MusicGlyph glyph, QPointF origin, int pixelSize) const
{
    if (!ok())
        return;
    QGlyphRun run;
    run.setRawFont(raw(pixelSize));
    run.setGlyphIndexes({glyphIndex(glyph)});
    run.setPositions({QPointF(0, 0)});
    painter.drawGlyphRun(origin, run);
}

uint32_t MusicFont::brace(qreal height, int pixelSize) const
{
    const QRawFont& font = braceRaw(pixelSize);
    uint32_t best = m_braces.front();
    qreal bestError = 1e300;
    for (uint32_t index : m_braces) {
        const qreal error = std::abs(font.boundingRect(index).height() - height);
        if (error < bestError) {
            bestError = error;
            best = index;
        }
    }
    return best;
}

qreal MusicFont::braceWidth(qreal height, int pixelSize) const
{
    return ok() ? braceRaw(pixelSize).boundingRect(brace(height, pixelSize)).width() : 0;
}

qreal MusicFont::drawBrace(QPainter* painter, QPointF topLeft, qreal height, int pixelSize) const
{
    if (!ok())
        return 0;
    const uint32_t index = brace(height, pixelSize);
    const QRectF ink = braceRaw(pixelSize).boundingRect(index);
    if (painter) {
        QGlyphRun run;
        run.setRawFont(braceRaw(pixelSize));
        run.setGlyphIndexes({index});
        run.setPositions({QPointF(0, 0)});
        painter->drawGlyphRun(topLeft - ink.topLeft(), run);
    }
    return ink.width();
}

} // namespace rz
