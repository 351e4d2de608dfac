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
#include "staff/dynamic_marks.h"
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

    void drawText(CStaffText& text, int x, int y, const QColor& ink, const QFont& expression,
                  const QFont& lyric)
    {
        StaffRect hit{};
        switch (text.kind) {
        case kChordSymbolText: {
            const size_t bar = text.text.find('|');
            const std::string name = bar == std::string::npos ? text.text : text.text.substr(bar + 1);
            const QRect box(x, y - 4 * g / 3, g, 4 * g / 3);
            QFont chord = programFont("Verdana", -std::max(g / 2, 1));
            DrawStaffMarks(p, box, text.grid, QString::fromStdString(name),
                           ink == Qt::black ? -1 : 5, chord);
            hit = {box.left(), box.top() - g / 6, box.right() + 1, box.bottom() + 1};
            break;
        }
        case kExpressionText: {
            const int dynamic = DynamicIndex(text.text);
            if (dynamic >= 0) {
                const QRectF ink = dynamicMarkBounds(*font, dynamic, g);
                const int shift = int(ink.width() / 3);
                drawDynamicMark(p, *font, dynamic, QPointF(x - shift, y), g);
                hit = {x - shift, y + int(ink.top()), x - shift + int(ink.width()), y + int(ink.bottom())};
            } else {
                p.setFont(expression);
                const QFontMetrics fm(expression);
                const QString shown = QString::fromStdString(text.text);
                const int w = fm.horizontalAdvance(shown);
                const int flags = lead ? Qt::TextDontClip : Qt::TextDontClip | Qt::TextShowMnemonic;
                p.drawText(QRect(x - w / 3, y, w + 1, fm.height()), flags | Qt::AlignLeft | Qt::AlignTop, shown);
                hit = {x - w / 3, y, x - w / 3 + w, y + fm.height()};
            }
            break;
        }
        case kWedgeText: {
            const int n = text.wedgeLength;
            const int x1 = x + std::max(0, -n);
            const int x2 = x1 + n;
            const int half = lead ? 5 * g / 24 : std::max(g / 6, 2);
            p.drawLine(x2, y - half, x1, y);
            p.drawLine(x1, y, x2, y + half);
            hit = {std::min(x1, x2), y - half, std::max(x1, x2), y + half};
            break;
        }
        case kLyricText: {
            p.setFont(lyric);
            const QFontMetrics fm(lyric);
            const QString shown = QString::fromStdString(text.text);
            const int flags = lead ? 0 : Qt::TextShowMnemonic;
            const QRect box = fm.boundingRect(QRect(x, y, 10000, fm.height()),
                                              flags | Qt::AlignLeft | Qt::AlignTop, shown);
            p.drawText(QRect(x, y, box.width() + 2, fm.height()),
                       flags | Qt::TextDontClip | Qt::AlignLeft | Qt::AlignTop, shown);
            hit = {x, y, x + box.width(), y + fm.height()};
            break;
        }
        case kPedalDownText:
        case kPedalUpText: {
            if (lead)
                return;
            const MusicGlyph glyph = text.kind == kPedalDownText ? MusicGlyph::PedalDown : MusicGlyph::PedalUp;
            font->draw(p, glyph, QPointF(x, y), g);
            const QRectF ink = font->bounds(glyph, g).translated(x, y);
            hit = {int(ink.left()), int(ink.top()), int(ink.right()), int(ink.bottom())};
            break;
        }
        case kCueMark(kCueCaesura):
        case kCueMark(kCueFermata):
        case kCueMark(kCueAdLib):
        case kCueMark(kCueUnused7): {
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
            return;
        }
        default: return;
        }
        if (!lead)
            text.rect = hit;
    }

    void score();
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
    const CSongDoc* doc = song();
    if (m_leadSheet) {
        const QRect page = notationRect();
        painter.fillRect(dirty, Qt::white);
        painter.setClipRect(page.intersected(dirty));
        if (!doc)
            return;
        if (m_model.staves.empty() || !sp.hasFont()) {
            painter.setFont(programFont("Verdana", -10));
            painter.setPen(Qt::black);
            painter.drawText(page.adjusted(kLeadMargin, 90, -kLeadMargin, 0),
                             Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, kNoStavesLead);
            return;
        }
        const int first = std::max(0, (dirty.top() + m_originY) / std::max(m_lines.lineHeight, 1));
        const int count = int(m_model.measures.size());
        const int gTenth = std::max(m_metrics.glyph / 10, 1);
        const int lastShown = std::max(count - 2, 0);
        for (int line = first; line < m_lines.lineCount(); ++line) {
            const int lineY = line * m_lines.lineHeight - m_originY;
            if (lineY > dirty.bottom())
                break;
            const int start = m_lines.lineStarts[size_t(line)];
            const int end = std::min(m_lines.lineEnd(line, count) - 1, lastShown);
            const int lineX = m_model.measures[size_t(start)].x;
            painter.save();
            painter.translate(kLeadMargin - lineX, lineY);
            const int left = lineX;
            const int right = lineX + std::max(page.width() - 2 * kLeadMargin, 1);
            painter.setPen(Qt::black);
            painter.drawLine(left, sp.systemTop(), left, sp.systemBottom());
            painter.drawLine(right, sp.systemTop(), right, sp.systemBottom());
            if (line == 0 || start <= lastShown) {
                for (int m = start; m <= end && start <= lastShown; ++m) {
                    const CStaffMeasure& rec = m_model.measures[size_t(m)];
                    const int x = rec.x;
                    const int r = x + rec.leadIn + rec.laidOutWidth + rec.trailingWidth;
                    if (m == m_playMeasure) {
                        painter.fillRect(QRect(x, sp.systemTop(), r - x, sp.systemBottom() - sp.systemTop()),
                                         sp.color(kPlayBox));
                        painter.setFont(programFont("Verdana", -std::max((12 * m_metrics.staffSize + 14) / 28, 1), 900));
                        painter.setPen(sp.color(kPlayNumber));
                        const QFontMetrics fm(painter.font());
                        painter.drawText(QPoint(x - 2, sp.systemTop() - fm.descent() - 1),
                                         QString::fromStdString(MeasureLabeler::labelText(rec.song)));
                        painter.setPen(Qt::black);
                    }
                    if (m == lastShown) {
                        painter.drawLine(r - gTenth, sp.systemTop(), r - gTenth, sp.systemBottom());
                        painter.fillRect(QRect(r, sp.systemTop(), std::max(gTenth, 1),
                                               sp.systemBottom() - sp.systemTop()),
                                         Qt::black);
                    }
                    if (m > start)
                        painter.drawLine(x, sp.systemTop(), x, sp.systemBottom());
                    for (size_t s = 0; s < m_model.staves.size(); ++s) {
                        const CStaffTrack& staff = m_model.staves[s];
                        if (staff.lowerStaff)
                            continue;
                        const bool lineHead = m == start;
                        if ((rec.headerFlags & kHeaderChange) || lineHead) {
                            const uint32_t flags = m_lines.headerFlags.size() > size_t(m) ? m_lines.headerFlags[size_t(m)] : 0x18;
                            const int key = keyOf(*doc, staff, rec.song);
                            const int prevKey = m > 0 ? keyOf(*doc, staff, m_model.measures[size_t(m - 1)].song) : 0;
                            const int cancel = !(flags & 4) && key == 0 && m > 0 && prevKey != key ? prevKey : 0;
                            QRect box(x, staff.topLineY, 0, m_metrics.glyph);
                            DrawStaffHeader(&painter, box, trackOf(*doc, staff), rec.song,
                                            int(flags | kHeaderNoLines), cancel, *font(),
                                            m_metrics.glyph);
                        }
                    }
                    sp.repeatSigns(rec, x, true);
                }
                for (CStaffTrack& staff : m_model.staves) {
                    sp.notes(staff, start, end, uint32_t(-1));
                    const int64_t firstTick = m_model.measures[size_t(start)].song.start;
                    const MeasureRec& lastRec = m_model.measures[size_t(std::max(end, start))].song;
                    sp.texts(staff, firstTick, int64_t(lastRec.start) + lastRec.length - 1, 0, *doc);
                }
            }
            painter.setPen(Qt::black);
            for (const CStaffTrack& staff : m_model.staves)
                sp.staffLines(staff, left, right);
            painter.restore();
        }
        return;
    }
    sp.score();
    m_mouse->paintOverlay(painter, dirty);
    // Last, so that drawing it again over the same pixels erases it.
    if (const int x = cursorClientX(); x >= 0) {
        const QRect area = notationRect();
        painter.setClipRect(dirty);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(fromColorRef(kCursorInk), 1));
        painter.drawLine(x, area.top(), x, area.bottom());
    }
}

} // namespace rz
