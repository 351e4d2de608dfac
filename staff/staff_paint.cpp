// Painting of the score and the lead sheet: only the dirty rectangle, from
// the model alone (never the song's measure map, which may grow while
// recording). Painting writes nothing but the text elements' hit
// rectangles. GUI thread.

#include "staff/staff_view.h"

#include "core/color.h"
#include "core/song_host.h"
#include "core/zoom_percent.h"
#include "song/cue.h"
#include "song/selection.h"
#include "song/song_doc.h"
#include "staff/symbols/dynamic_marks.h"
#include "staff/staff_mouse.h"
#include "staff/symbols/music_font.h"
#include "staff/symbols/note_symbols.h"
#include "staff/symbols/staff_header.h"
#include "staff/symbols/staff_marks.h"
#include "ui/color_ref.h"
#include "ui/font_substitutions.h"
#include "views/measure_labeler.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <optional>

namespace rz {

inline constexpr Color kStaffBackground = 0xD1CCCE;
inline constexpr Color kHeaderBackground = 0x38140C;
inline constexpr Color kHeaderInk = 0x0EF0FF;
inline constexpr Color kMarkerInk = 0x808080;
inline constexpr Color kSkipBand = 0xE0E0E0;
inline constexpr Color kSelectedInk = 0x0000FF;
inline constexpr Color kPlayBox = 0x80FFFF;
inline constexpr Color kPlayNumber = 0x4040FF;
inline constexpr Color kCursorInk = 0xFFFF00;

const char* const kNoStavesScore = "Please select tracks by clicking on track numbers in the track view.";
const char* const kNoStavesLead = "Please select a track by clicking on its track number in the track view.";

constexpr int kCueMark(int cueKind)
{
    return int(kCueMarkText) + cueKind;
}

struct StaffPainter {
    StaffView& v;
    QPainter& p;
    QRect dirty;
    const MusicFont* font;
    int g;         // the music font's pixel size: the staff's height
    int docX = 0;  // document x of client x 0 (score) or of the line's page left
    int docY = 0;
    // A lead-sheet line's room for wedges: from its header to its right edge.
    int lineLeft = INT32_MIN;
    int lineRight = INT32_MAX;
    bool lead = false;

    QColor color(Color c) const { return fromColorRef(c); }
    double step() const { return g / 8.0; }
    int middle(const CStaffTrack& staff) const { return staff.topLineY + g / 2; }
    double lineY(const CStaffTrack& staff, int line) const { return staff.topLineY + line * g / 4.0; }
    bool hasFont() const { return font && font->ok(); }

    QFont markerFont() const
    {
        return programFont("Verdana", -std::max((12 * v.m_metrics.staffSize + 14) / 28, 1));
    }
    QFont expressionFont() const
    {
        QFont f = programFont("Times", -std::max(11 * g / 16, 1), 700);
        f.setItalic(true);
        return f;
    }

    void staffLines(const CStaffTrack& staff, double left, double right)
    {
        if (staff.clef == kOneLineDrumClef) {
            p.drawLine(QPointF(left, lineY(staff, 2)), QPointF(right, lineY(staff, 2)));
            return;
        }
        for (int i = 0; i < 5; ++i)
            p.drawLine(QPointF(left, lineY(staff, i)), QPointF(right, lineY(staff, i)));
    }

    int systemTop() const { return v.m_model.staves.front().topLineY; }
    int systemBottom() const { return v.m_model.staves.back().topLineY + g; }

    void notes(CStaffTrack& staff, int first, int last, uint32_t stamp)
    {
        int low = INT32_MAX, high = -1;
        for (int m = first; m <= last && size_t(m) < staff.lowestVoice.size(); ++m) {
            if (staff.lowestVoice[size_t(m)] < 0)
                continue;
            low = std::min(low, staff.lowestVoice[size_t(m)]);
            high = std::max(high, staff.highestVoice[size_t(m)]);
        }
        for (int i = std::max(low, 0); i <= high && size_t(i) < staff.voices.size(); ++i) {
            CStaffBeat& beat = *staff.voices[size_t(i)];
            if (!beat.notes.empty())
                DrawNoteSymbols(p, beat, beat.firstX, middle(staff), &staff, stamp, *font, g);
        }
    }

    // The text elements of one staff near the visible ticks; hit rectangles
    // are written back in document coordinates.
    void texts(CStaffTrack& staff, int64_t firstTick, int64_t lastTick, int quarter,
               const CSongDoc& song)
    {
        const QFont expression = expressionFont();
        const QFont lyric = v.m_lyricFace;
        for (size_t i = staff.texts.size(); i-- > 0;) {
            CStaffText& text = staff.texts[i];
            if (text.kind != kWedgeText && (text.tick < firstTick - quarter || text.tick > lastTick))
                continue;
            const bool selected = !lead && (text.pendingChange > 0
                                            || (text.pendingChange == 0
                                                && text.selectionStamp == song.selectionStamp
                                                && text.eventIndex >= 0));
            const QColor ink = color(selected ? kSelectedInk : 0);
            p.setPen(ink);
            const int y = int(std::lround(middle(staff) - text.position * step()));
            drawText(text, text.x, y, ink, expression, lyric);
        }
        p.setPen(Qt::black);
    }

    // One text element at (x, y); its hit rectangle is kept on the score.
    void drawText(CStaffText& text, int x, int y, const QColor& ink, const QFont& expression,
                  const QFont& lyric)
    {
        std::optional<StaffRect> hit;
        switch (text.kind) {
        case kChordSymbolText: hit = chordSymbol(text, x, y, ink); break;
        case kExpressionText: hit = expressionText(text, x, y, expression); break;
        case kWedgeText: hit = wedge(text, x, y); break;
        case kLyricText: hit = lyricText(text, x, y, lyric); break;
        case kPedalDownText:
        case kPedalUpText: hit = pedalMark(text, x, y); break;
        case kCueMark(kCueCaesura):
        case kCueMark(kCueFermata):
        case kCueMark(kCueAdLib):
        case kCueMark(kCueUnused7): cueMark(text, x, y, expression); break;
        default: break;
        }
        if (hit && !lead)
            text.rect = *hit;
    }

    StaffRect chordSymbol(const CStaffText& text, int x, int y, const QColor& ink)
    {
        const size_t bar = text.text.find('|');
        const std::string name = bar == std::string::npos ? text.text : text.text.substr(bar + 1);
        const QRect box(x, y - 4 * g / 3, g, 4 * g / 3);
        DrawStaffMarks(p, box, text.grid, QString::fromStdString(name), ink == Qt::black ? -1 : 5,
                       v.m_chordFace);
        return {box.left(), box.top() - g / 6, box.right() + 1, box.bottom() + 1};
    }

    // A dynamic mark in the music font, any other expression in italics.
    StaffRect expressionText(const CStaffText& text, int x, int y, const QFont& expression)
    {
        const int dynamic = DynamicIndex(text.text);
        if (dynamic >= 0) {
            const QRectF ink = dynamicMarkBounds(*font, dynamic, g);
            const int shift = int(ink.width() / 3);
            drawDynamicMark(p, *font, dynamic, QPointF(x - shift, y), g);
            return {x - shift, y + int(ink.top()), x - shift + int(ink.width()), y + int(ink.bottom())};
        }
        p.setFont(expression);
        const QFontMetrics fm(expression);
        const QString shown = QString::fromStdString(text.text);
        const int w = fm.horizontalAdvance(shown);
        const int flags = lead ? Qt::TextDontClip : Qt::TextDontClip | Qt::TextShowMnemonic;
        p.drawText(QRect(x - w / 3, y, w + 1, fm.height()), flags | Qt::AlignLeft | Qt::AlignTop, shown);
        return {x - w / 3, y, x - w / 3 + w, y + fm.height()};
    }

    StaffRect wedge(const CStaffText& text, int x, int y)
    {
        const int n = text.wedgeLength;
        const int x1 = x + std::max(0, -n);
        const int x2 = x1 + n;
        const int half = lead ? 5 * g / 24 : std::max(g / 6, 2);
        // On a lead sheet a wedge over a line break ends at the line's edge
        // and goes on after the next line's header.
        p.save();
        if (lead)
            p.setClipRect(QRect(QPoint(lineLeft, y - g), QPoint(lineRight, y + g)), Qt::IntersectClip);
        p.drawLine(x2, y - half, x1, y);
        p.drawLine(x1, y, x2, y + half);
        p.restore();
        return {std::min(x1, x2), y - half, std::max(x1, x2), y + half};
    }

    StaffRect lyricText(const CStaffText& text, int x, int y, const QFont& lyric)
    {
        p.setFont(lyric);
        const QFontMetrics fm(lyric);
        const QString shown = QString::fromStdString(text.text);
        const int flags = lead ? 0 : Qt::TextShowMnemonic;
        const QRect box =
            fm.boundingRect(QRect(x, y, 10000, fm.height()), flags | Qt::AlignLeft | Qt::AlignTop, shown);
        p.drawText(QRect(x, y, box.width() + 2, fm.height()), flags | Qt::TextDontClip | Qt::AlignLeft | Qt::AlignTop,
                   shown);
        return {x, y, x + box.width(), y + fm.height()};
    }

    // Pedal marks show on the score only.
    std::optional<StaffRect> pedalMark(const CStaffText& text, int x, int y)
    {
        if (lead)
            return std::nullopt;
        const MusicGlyph glyph = text.kind == kPedalDownText ? MusicGlyph::PedalDown : MusicGlyph::PedalUp;
        font->draw(p, glyph, QPointF(x, y), g);
        const QRectF ink = font->bounds(glyph, g).translated(x, y);
        return StaffRect{int(ink.left()), int(ink.top()), int(ink.right()), int(ink.bottom())};
    }

    // Cue marks keep no hit rectangle.
    void cueMark(const CStaffText& text, int x, int y, const QFont& expression)
    {
        if (lead && text.kind == kCueMark(kCueUnused7))
            return;
        p.save();
        if (!lead) {
            // Cue marks are grey on the score whatever their selection.
            p.setPen(color(kMarkerInk));
            p.setBrush(color(kMarkerInk));
        }
        if (text.kind == kCueMark(kCueAdLib)) {
            p.setFont(expression);
            p.drawText(QPoint(x, y), "ad lib.");
            p.restore();
            return;
        }
        const MusicGlyph glyph = text.kind == kCueMark(kCueCaesura) ? MusicGlyph::Caesura
                                 : text.kind == kCueMark(kCueFermata) ? MusicGlyph::Fermata
                                                                          : MusicGlyph::Comma;
        font->draw(p, glyph, QPointF(x - font->advance(glyph, g) / 2, y), g);
        p.restore();
    }

    void score();
    void leadSheet();
    void leadLine(int line, int lineY, const QRect& page, const CSongDoc& doc);
    void leadMeasure(int m, int start, int lastShown, const CSongDoc& doc);
    void playBox(const CStaffMeasure& rec, int x, int right);
    void leadHeaders(const CStaffMeasure& rec, int m, bool lineHead, const CSongDoc& doc);
    void cursor();
    void notation(int first, int last, int docLeft, int docRight);
    void ruler(int firstMeasure, int lastMeasure);
    void headerColumn();

    void repeatSigns(const CStaffMeasure& rec, int x, bool firstStaffOnly)
    {
        const int top = systemTop();
        const int bottom = systemBottom();
        const auto dots = [&](int at) {
            for (const CStaffTrack& staff : v.m_model.staves) {
                const double y1 = lineY(staff, 1) + g / 8.0;
                const double y2 = lineY(staff, 2) + g / 8.0;
                const double r = std::max(g / 24.0, 1.0);
                p.setBrush(Qt::black);
                p.drawEllipse(QPointF(at, y1), r, r);
                p.drawEllipse(QPointF(at, y2), r, r);
            }
        };
        if (rec.headerFlags & kRepeatStart) {
            int at = x;
            if (rec.headerFlags & kHeaderChange)
                at += rec.leadIn - v.m_metrics.leadIn - rec.extraLeadIn;
            if (firstStaffOnly || !lead) {
                p.fillRect(QRect(at, top, 4, bottom - top), Qt::black);
                p.drawLine(at + 6, top, at + 6, bottom);
            }
            dots(at + 9);
        }
        if (rec.headerFlags & kRepeatEnd) {
            const int e = rec.x + rec.leadIn + rec.laidOutWidth + rec.trailingWidth;
            p.fillRect(QRect(e - 3, top, 4, bottom - top), Qt::black);
            p.drawLine(e - 6, top, e - 6, bottom);
            dots(e - 11);
        }
    }
};

namespace {

int keyOf(const CSongDoc& song, const CStaffTrack& staff, const MeasureRec& rec)
{
    const int key = std::clamp<int>(rec.key, -7, 7);
    if (staff.track <= 0 || size_t(staff.track) >= song.tracks.size())
        return key;
    return std::clamp<int>(song.tracks[size_t(staff.track)]->MapPitch(key), -7, 7);
}

const CTrack* trackOf(const CSongDoc& song, const CStaffTrack& staff)
{
    return staff.track > 0 && size_t(staff.track) < song.tracks.size()
               ? song.tracks[size_t(staff.track)].get()
               : nullptr;
}

void etchedLine(QPainter& p, int x, int top, int bottom)
{
    p.setPen(QColor(0, 0, 0, 160));
    p.drawLine(x, top, x, bottom);
    p.setPen(QColor(255, 255, 255, 120));
    p.drawLine(x + 1, top, x + 1, bottom);
}

} // namespace

void StaffPainter::score()
{
    const QRect area = v.notationRect();
    const int w = v.width();
    const int h = v.height();
    const QRect corner(w - kStaffBar, h - kStaffBar, kStaffBar, kStaffBar);
    if (dirty.intersects(corner))
        p.fillRect(corner, color(kStaffBackground));
    const QRect clip = dirty.intersected(QRect(0, 0, w - kStaffBar, h - kStaffBar));
    if (clip.isEmpty())
        return;
    p.setClipRect(clip);
    p.fillRect(area.intersected(clip), color(kStaffBackground));
    const CSongDoc* doc = v.song();
    const StaffModel& model = v.m_model;
    const bool staves = doc && !model.staves.empty() && hasFont() && !model.measures.empty();
    int first = 0;
    int last = -1;
    if (staves) {
        const int docLeft = std::max(clip.left(), area.left()) - area.left() + v.m_originX;
        const int docRight = clip.right() - area.left() + v.m_originX;
        first = std::max(MeasureAtX(model, docLeft, v.m_measureCache), 0);
        last = first;
        while (last + 1 < int(model.measures.size()) && model.measures[size_t(last + 1)].x <= docRight)
            ++last;
        if (clip.intersects(area))
            notation(first, last, docLeft, docRight);
    } else if (doc && clip.intersects(area)) {
        p.setFont(programFont("Verdana", -10));
        p.setPen(Qt::black);
        p.drawText(area.adjusted(4, 90, -4, 0), Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap,
                   kNoStavesScore);
    }
    if (doc && v.m_rulerHeight > 0 && clip.top() < v.m_rulerHeight && clip.right() >= area.left())
        ruler(first, staves ? last : -1);
    if (clip.left() < v.m_metrics.headerWidth)
        headerColumn();
    const QRect box(0, 0, v.m_metrics.headerWidth, v.m_rulerHeight);
    if (!box.isEmpty() && clip.intersects(box)) {
        const Color c = ShadeColor(kHeaderBackground, 200);
        p.setClipRect(clip);
        p.fillRect(box, color(c));
        p.setPen(color(ShadeColor(c, 200)));
        p.drawLine(box.topLeft(), box.topRight());
        p.drawLine(box.topLeft(), box.bottomLeft());
        p.setPen(color(ShadeColor(c, 40)));
        p.drawLine(box.bottomLeft(), box.bottomRight());
        p.drawLine(box.topRight(), box.bottomRight());
        p.setPen(color(ShadeColor(c, 160)));
        p.drawLine(box.left() + 1, box.top() + 1, box.right() - 1, box.top() + 1);
        p.setPen(color(ShadeColor(c, 80)));
        p.drawLine(box.left() + 1, box.bottom() - 1, box.right() - 1, box.bottom() - 1);
    }
}

void StaffPainter::notation(int first, int last, int docLeft, int docRight)
{
    const QRect area = v.notationRect();
    StaffModel& model = v.m_model;
    const CSongDoc& doc = *v.song();
    p.save();
    p.setClipRect(area.intersected(dirty));
    p.translate(area.left() - v.m_originX, area.top() - v.m_originY);
    const MeasureRec& firstRec = model.measures[size_t(first)].song;
    const MeasureRec& lastRec = model.measures[size_t(last)].song;
    const int64_t firstTick = firstRec.start;
    const int64_t lastTick = int64_t(lastRec.start) + lastRec.length;
    // Cues: marker names along the top, skipped stretches as bands.
    p.setFont(markerFont());
    for (size_t i = doc.cues.size(); i-- > 0;) {
        const CCue& cue = *doc.cues[i];
        if (cue.kind == kCueMarker && v.m_originY == 0) {
            p.setPen(color(kMarkerInk));
            const int x = TimeToPointX(model, cue.time);
            const QFontMetrics fm(p.font());
            p.drawText(QPoint(x, fm.ascent()), QString::fromStdString(cue.name));
        } else if (cue.kind == kCueSkip) {
            const int x1 = std::max(TimeToPointX(model, std::min(cue.time, cue.secondTime)), docLeft);
            const int x2 = std::min(TimeToPointX(model, std::max(cue.time, cue.secondTime)), docRight + 1);
            if (x2 > x1)
                p.fillRect(QRect(x1, v.m_originY - 1, x2 - x1, area.height() + 2), color(kSkipBand));
        }
    }
    p.setPen(Qt::black);
    for (const CStaffTrack& staff : model.staves)
        staffLines(staff, docLeft, docRight + 1);
    const int quarter = std::max<int>(doc.timeBase, 1);
    for (size_t s = model.staves.size(); s-- > 0;) {
        CStaffTrack& staff = model.staves[s];
        p.setPen(Qt::black);
        notes(staff, first, last, doc.selectionStamp);
        texts(staff, firstTick, lastTick, quarter, doc);
    }
    // Bar lines, mid-line key and meter changes, repeat signs.
    p.setPen(Qt::black);
    for (int m = std::max(first, 1); m <= last; ++m) {
        const CStaffMeasure& rec = model.measures[size_t(m)];
        p.drawLine(rec.x, systemTop(), rec.x, systemBottom());
        if (rec.headerFlags & kHeaderChange) {
            const MeasureRec& prev = model.measures[size_t(m - 1)].song;
            const bool keyChange = rec.song.key != prev.key;
            const bool meterSame = rec.song.numerator == prev.numerator
                                   && rec.song.denominator == prev.denominator;
            int flags = kHeaderNoClef | kHeaderNoLines;
            if (keyChange) {
                p.drawLine(rec.x + 3, systemTop(), rec.x + 3, systemBottom());
                if (meterSame)
                    flags |= kHeaderNoMeter;
            } else {
                flags |= kHeaderNoKey;
            }
            for (const CStaffTrack& staff : model.staves) {
                if (staff.lowerStaff)
                    continue;
                const int key = keyOf(doc, staff, rec.song);
                const int cancel = keyChange && key == 0 ? keyOf(doc, staff, prev) : 0;
                QRect box(rec.x + (keyChange ? 3 : 0), staff.topLineY, 0, g);
                DrawStaffHeader(&p, box, trackOf(doc, staff), rec.song, flags, cancel, *font, g);
            }
        }
        repeatSigns(rec, rec.x, true);
    }
    if (first == 0)
        repeatSigns(model.measures[0], model.measures[0].x, true);
    p.restore();
}

void StaffPainter::ruler(int first, int last)
{
    const QRect area = v.notationRect();
    const int rh = v.m_rulerHeight;
    const QRect band(area.left(), 0, area.width(), rh);
    p.save();
    p.setClipRect(band.intersected(dirty));
    QLinearGradient shade(0, 0, 0, rh);
    shade.setColorAt(0, color(ShadeColor(kHeaderBackground, 100)));
    shade.setColorAt(0.5, color(ShadeColor(kHeaderBackground, 160)));
    shade.setColorAt(1, color(ShadeColor(kHeaderBackground, 100)));
    p.fillRect(band, shade);
    const StaffModel& model = v.m_model;
    const ISongHost& host = v.song()->context().host;
    const int percent = zoomPercent(host.headerZoom());
    p.setFont(programFont("Verdana", -std::max((percent * 12 + 50) / 100, 1)));
    const QFontMetrics fm(p.font());
    const int shift = area.left() - v.m_originX;
    for (int m = first; m <= last; ++m) {
        const CStaffMeasure& rec = model.measures[size_t(m)];
        const int x = rec.x + rec.leadIn + shift;
        etchedLine(p, x, 5, rh - 1);
        p.setPen(color(kHeaderInk));
        p.drawText(QPoint(x + 4, 3 + fm.ascent()),
                   QString::fromStdString(MeasureLabeler::labelText(rec.song)));
        const int numerator = std::max<int>(rec.song.numerator, 1);
        for (int b = 1; b < numerator; ++b) {
            const int bx = x + int(int64_t(rec.laidOutWidth) * b / numerator);
            etchedLine(p, bx, 3 + std::min(3 * rh / 4, rh - 5), rh - 1);
        }
    }
    // The song's time selection shows inverted.
    const CSongDoc& doc = *v.song();
    if (last >= first && (doc.selectionKind & kSelectTimeRange) && doc.selectionFrom >= 0
        && doc.selectionTo > doc.selectionFrom) {
        const int64_t firstTick = model.measures[size_t(first)].song.start;
        const MeasureRec& lastRec = model.measures[size_t(last)].song;
        const int64_t lastTick = int64_t(lastRec.start) + lastRec.length;
        const int64_t from = std::max<int64_t>(doc.selectionFrom, firstTick);
        const int64_t to = std::min<int64_t>(doc.selectionTo, lastTick);
        if (from < to) {
            const auto xOf = [&](int64_t t) {
                const CStaffMeasure& rec = model.measures[size_t(measureOfTick(model, t))];
                const int64_t offset = (t - rec.song.start) * rec.laidOutWidth / std::max(rec.song.length, 1);
                return int(rec.x + offset + (t == rec.song.start ? 0 : rec.leadIn)) + shift;
            };
            p.setCompositionMode(QPainter::RasterOp_NotDestination);
            p.fillRect(QRect(QPoint(xOf(from), 0), QPoint(xOf(to) - 1, rh - 1)), Qt::black);
        }
    }
    p.restore();
}

void StaffPainter::headerColumn()
{
    const int hw = v.m_metrics.headerWidth;
    const int rh = v.m_rulerHeight;
    const QRect column(0, rh, hw, v.height() - rh);
    p.save();
    p.setClipRect(column.intersected(dirty));
    p.fillRect(column, color(kHeaderBackground));
    const CSongDoc* doc = v.song();
    const StaffModel& model = v.m_model;
    if (!doc || model.staves.empty() || model.measures.empty() || !hasFont()) {
        p.restore();
        return;
    }
    p.translate(0, rh - v.m_originY);
    const int headerX = model.grandStaffGap;
    int cache = v.m_measureCache;
    const int m = std::max(MeasureAtX(model, v.m_originX, cache), 0);
    const MeasureRec& rec = model.measures[size_t(m)].song;
    const QColor ink = color(kHeaderInk);
    p.setFont(markerFont());
    for (const CStaffTrack& staff : model.staves) {
        if (staff.lowerStaff)
            continue;
        const CTrack* track = trackOf(*doc, staff);
        p.setPen(ink);
        const QString label = QString("%1: %2").arg(staff.track).arg(
            track ? QString::fromStdString(track->name) : QString());
        p.drawText(QRect(headerX + 8, staff.topLineY - g, hw - headerX - 8, g),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
        QRect box(staff.grandStaff ? 2 : headerX, staff.topLineY, hw - headerX, g);
        DrawStaffHeader(&p, box, track, rec, kHeaderNoLines, 0, *font, g);
    }
    p.setPen(ink);
    p.drawLine(headerX, systemTop(), headerX, systemBottom());
    for (const CStaffTrack& staff : model.staves)
        staffLines(staff, std::max(0, headerX), hw);
    p.restore();
}

// The lead sheet: white pages, one system of measures per line.
void StaffPainter::leadSheet()
{
    const QRect page = v.notationRect();
    p.fillRect(dirty, Qt::white);
    p.setClipRect(page.intersected(dirty));
    const CSongDoc* doc = v.song();
    if (!doc)
        return;
    if (v.m_model.staves.empty() || !hasFont()) {
        p.setFont(programFont("Verdana", -10));
        p.setPen(Qt::black);
        p.drawText(page.adjusted(kLeadMargin, 90, -kLeadMargin, 0),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, kNoStavesLead);
        return;
    }
    const int first = std::max(0, (dirty.top() + v.m_originY) / std::max(v.m_lines.lineHeight, 1));
    for (int line = first; line < v.m_lines.lineCount(); ++line) {
        const int lineY = line * v.m_lines.lineHeight - v.m_originY;
        if (lineY > dirty.bottom())
            break;
        leadLine(line, lineY, page, *doc);
    }
}

void StaffPainter::leadLine(int line, int lineY, const QRect& page, const CSongDoc& doc)
{
    const int count = int(v.m_model.measures.size());
    const int lastShown = std::max(count - 2, 0);
    const int start = v.m_lines.lineStarts[size_t(line)];
    const int end = std::min(v.m_lines.lineEnd(line, count) - 1, lastShown);
    const int lineX = v.m_model.measures[size_t(start)].x;
    p.save();
    p.translate(kLeadMargin - lineX, lineY);
    const int left = lineX;
    const int right = lineX + std::max(page.width() - 2 * kLeadMargin, 1);
    p.setPen(Qt::black);
    p.drawLine(left, systemTop(), left, systemBottom());
    p.drawLine(right, systemTop(), right, systemBottom());
    if (line == 0 || start <= lastShown) {
        for (int m = start; m <= end && start <= lastShown; ++m)
            leadMeasure(m, start, lastShown, doc);
        const CStaffMeasure& first = v.m_model.measures[size_t(start)];
        // Notes keep between the line's header and its right edge: a tie
        // over the line break ends at the edge and comes back after the
        // header instead of crossing the margins, the clef and the key.
        const int notesLeft = lineX + first.leadIn - v.m_metrics.leadIn - first.extraLeadIn;
        lineLeft = notesLeft;
        lineRight = right;
        for (CStaffTrack& staff : v.m_model.staves) {
            p.save();
            p.setClipRect(QRect(QPoint(notesLeft, systemTop() - 4 * g), QPoint(right, systemBottom() + 4 * g)),
                          Qt::IntersectClip);
            notes(staff, start, end, uint32_t(-1));
            p.restore();
            const int64_t firstTick = v.m_model.measures[size_t(start)].song.start;
            const MeasureRec& lastRec = v.m_model.measures[size_t(std::max(end, start))].song;
            texts(staff, firstTick, int64_t(lastRec.start) + lastRec.length - 1, 0, doc);
        }
    }
    p.setPen(Qt::black);
    // The line that closes the song ends its staves in the final bar.
    int linesEnd = right;
    if (start <= lastShown && end == lastShown) {
        const CStaffMeasure& last = v.m_model.measures[size_t(lastShown)];
        linesEnd = std::min(right, last.x + last.leadIn + last.laidOutWidth + last.trailingWidth
                                       + std::max(g / 10, 1) - 1);
    }
    for (const CStaffTrack& staff : v.m_model.staves)
        staffLines(staff, left, linesEnd);
    lineLeft = INT32_MIN;
    lineRight = INT32_MAX;
    p.restore();
}

// One measure's box, bar lines, headers and repeat signs; the last one
// shown ends with the closing double bar.
void StaffPainter::leadMeasure(int m, int start, int lastShown, const CSongDoc& doc)
{
    const CStaffMeasure& rec = v.m_model.measures[size_t(m)];
    const int x = rec.x;
    const int r = x + rec.leadIn + rec.laidOutWidth + rec.trailingWidth;
    const int gTenth = std::max(g / 10, 1);
    if (m == v.m_playMeasure)
        playBox(rec, x, r);
    if (m == lastShown) {
        p.drawLine(r - gTenth, systemTop(), r - gTenth, systemBottom());
        p.fillRect(QRect(r, systemTop(), std::max(gTenth, 1), systemBottom() - systemTop()), Qt::black);
    }
    if (m > start)
        p.drawLine(x, systemTop(), x, systemBottom());
    leadHeaders(rec, m, m == start, doc);
    repeatSigns(rec, x, true);
}

// The playing measure: a box behind it and its number above.
void StaffPainter::playBox(const CStaffMeasure& rec, int x, int right)
{
    p.fillRect(QRect(x, systemTop(), right - x, systemBottom() - systemTop()), color(kPlayBox));
    p.setFont(programFont("Verdana", -std::max((12 * v.m_metrics.staffSize + 14) / 28, 1), 900));
    p.setPen(color(kPlayNumber));
    const QFontMetrics fm(p.font());
    p.drawText(QPoint(x - 2, systemTop() - fm.descent() - 1),
               QString::fromStdString(MeasureLabeler::labelText(rec.song)));
    p.setPen(Qt::black);
}

// Clef, key and meter where a line starts or they change.
void StaffPainter::leadHeaders(const CStaffMeasure& rec, int m, bool lineHead, const CSongDoc& doc)
{
    if (!(rec.headerFlags & kHeaderChange) && !lineHead)
        return;
    for (const CStaffTrack& staff : v.m_model.staves) {
        if (staff.lowerStaff)
            continue;
        const uint32_t flags = v.m_lines.headerFlags.size() > size_t(m) ? v.m_lines.headerFlags[size_t(m)] : 0x18;
        const int key = keyOf(doc, staff, rec.song);
        const int prevKey = m > 0 ? keyOf(doc, staff, v.m_model.measures[size_t(m - 1)].song) : 0;
        const int cancel = !(flags & 4) && key == 0 && m > 0 && prevKey != key ? prevKey : 0;
        QRect box(rec.x, staff.topLineY, 0, g);
        DrawStaffHeader(&p, box, trackOf(doc, staff), rec.song, int(flags | kHeaderNoLines), cancel, *font, g);
    }
}

// Drawn last, so that drawing it again over the same pixels erases it.
void StaffPainter::cursor()
{
    const int x = v.cursorClientX();
    if (x < 0)
        return;
    const QRect area = v.notationRect();
    p.setClipRect(dirty);
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    p.setPen(QPen(fromColorRef(kCursorInk), 1));
    p.drawLine(x, area.top(), x, area.bottom());
}

void StaffView::paintEvent(QPaintEvent* event)
{
    if (!onGuiThread())
        return;
    QPainter painter(this);
    const QRect dirty = event->rect();
    StaffPainter sp{*this, painter, dirty, font(), m_metrics.glyph};
    sp.lead = m_leadSheet;
    if (!m_initialized) {
        painter.fillRect(dirty, sp.color(m_leadSheet ? 0xFFFFFF : kStaffBackground));
        return;
    }
    if (m_leadSheet) {
        sp.leadSheet();
        return;
    }
    sp.score();
    m_mouse->paintOverlay(painter, dirty);
    sp.cursor();
}

} // namespace rz
