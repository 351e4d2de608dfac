// The printed score: one page of a print plan drawn in black on any paged
// device, in hundredths of a millimetre. GUI thread.

#include "staff/staff_print.h"

#include "song/cue.h"
#include "staff/symbols/dynamic_marks.h"
#include "staff/symbols/music_font.h"
#include "staff/symbols/note_symbols.h"
#include "staff/symbols/staff_header.h"
#include "staff/symbols/staff_marks.h"
#include "ui/font_substitutions.h"
#include "views/measure_labeler.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr double kHundredthsPerInch = 2540.0;
constexpr int kTitleHeight = 600;
constexpr int kSmallTextHeight = 300; // subtitle, author, copyright, page number, track names
constexpr int kLabelHeight = 400;

constexpr int cueMark(int cueKind)
{
    return int(kCueMarkText) + cueKind;
}

// Print sizes are device units many times a screen pixel: unhinted glyphs
// keep text widths in proportion to their height.
QFont printFont(const QString& family, int height, int weight = 400, bool italic = false)
{
    QFont font = programFont(family, -std::max(height, 1), weight);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

QString text(const std::string& bytes)
{
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// Far enough that no text on a page is clipped by its box.
int far(const StaffPrintPlan& plan)
{
    return plan.pageWidth + plan.pageHeight;
}

void drawAt(QPainter& p, const StaffPrintPlan& plan, int x, int y, Qt::Alignment align,
            const QString& shown)
{
    const int f = far(plan);
    const int left = align & Qt::AlignRight ? x - f : align & Qt::AlignHCenter ? x - f / 2 : x;
    p.drawText(QRect(left, y, f, f), int(align | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip),
               shown);
}

struct PagePainter {
    QPainter& p;
    const StaffPrintPlan& plan;
    const MusicFont& font;
    int P;

    const StaffRect& area() const { return plan.printRect; }
    const StaffModel& model() const { return plan.model; }

    void titleBlock(int page)
    {
        const int centre = plan.pageWidth / 2;
        if (page == 1) {
            p.setFont(printFont("Times", kTitleHeight, 0));
            drawAt(p, plan, centre, area().top, Qt::AlignHCenter, text(plan.title));
            p.setFont(printFont("Times", kSmallTextHeight, 0));
            drawAt(p, plan, centre, area().top + 700, Qt::AlignHCenter, text(plan.subtitle));
            drawAt(p, plan, centre, area().bottom + 900, Qt::AlignHCenter, text(plan.copyright));
            drawAt(p, plan, area().right, area().top + 500, Qt::AlignRight, text(plan.author));
        }
        p.setFont(printFont("Times", kSmallTextHeight, 0));
        const bool odd = page % 2 == 1;
        drawAt(p, plan, odd ? area().right : area().left, area().top,
               odd ? Qt::AlignRight : Qt::AlignLeft, QString::number(page));
    }

    int systemBottom(int y0) const { return y0 + model().staves.back().topLineY + P; }

    void staffLines(int y0, int x0)
    {
        for (const CStaffTrack& staff : model().staves) {
            const int top = y0 + staff.topLineY;
            if (staff.clef == kOneLineDrumClef) {
                p.drawLine(x0, top + P / 2, area().right, top + P / 2);
                continue;
            }
            for (int i = 0; i < 5; ++i)
                p.drawLine(x0, top + P * i / 4, area().right, top + P * i / 4);
        }
    }

    void notes(int line, int y0, int x0)
    {
        const int ms = plan.systemStarts[size_t(line)];
        const int end = plan.systemEnd(line);
        const CStaffMeasure& first = model().measures[size_t(ms)];
        const int clipLeft = x0 + first.leadIn - plan.defaultLeadIn - first.extraLeadIn;
        p.save();
        // Notes end at the staff's end: a tie into the next system stops there
        // rather than running on into the margin.
        p.setClipRect(QRect(QPoint(clipLeft, area().top), QPoint(area().right, area().bottom + 1000)));
        for (CStaffTrack& staff : plan.model.staves) {
            int low = INT32_MAX, high = -1;
            for (int m = ms; m < end && size_t(m) < staff.lowestVoice.size(); ++m) {
                if (staff.lowestVoice[size_t(m)] < 0)
                    continue;
                low = std::min(low, staff.lowestVoice[size_t(m)]);
                high = std::max(high, staff.highestVoice[size_t(m)]);
            }
            for (int v = std::max(low, 0); v <= high && size_t(v) < staff.voices.size(); ++v) {
                CStaffBeat& beat = *staff.voices[size_t(v)];
                if (!beat.notes.empty())
                    DrawNoteSymbols(p, beat, beat.firstX - first.x + x0,
                                    y0 + staff.topLineY + P / 2, &staff, uint32_t(-1), font, P);
            }
        }
        p.restore();
    }

    void texts(int line, int y0, int x0)
    {
        const int ms = plan.systemStarts[size_t(line)];
        const int end = plan.systemEnd(line);
        const int xs = model().measures[size_t(ms)].x;
        const QFont expression = printFont("Times", P * 11 / 16, 700, true);
        const QFont lyric = printFont(text(plan.lyricFace), P * 20 / 32, plan.lyricWeight);
        for (const CStaffTrack& staff : model().staves) {
            for (const CStaffText& t : staff.texts) {
                if (t.measure < ms || t.measure >= end)
                    continue;
                const int x = t.x - xs + x0;
                const int y = y0 + staff.topLineY + P / 2 - P * t.position / 8;
                drawText(t, x, y, expression, lyric);
            }
        }
    }

    void drawText(const CStaffText& t, int x, int y, const QFont& expression, const QFont& lyric)
    {
        switch (t.kind) {
        case kChordSymbolText: {
            const size_t bar = t.text.find('|');
            const std::string name = bar == std::string::npos ? t.text : t.text.substr(bar + 1);
            DrawStaffMarks(p, QRect(x, y - 4 * P / 3, P, 4 * P / 3), t.grid, text(name), -1,
                           printFont(text(plan.chordFace), P / 2, plan.chordWeight));
            break;
        }
        case kExpressionText: {
            const int dynamic = DynamicIndex(t.text);
            if (dynamic >= 0) {
                drawDynamicMark(p, font, dynamic, QPointF(x, y), P);
            } else {
                p.setFont(expression);
                drawAt(p, plan, x, y, Qt::AlignLeft, text(t.text));
            }
            break;
        }
        case kWedgeText: {
            // A wedge over a system break ends with the staff, as ties do.
            const int tip = x + std::max(0, -t.wedgeLength);
            const int x1 = std::min(tip, area().right);
            const int x2 = std::min(tip + t.wedgeLength, area().right);
            const int half = 3 * P / 16;
            p.drawLine(x2, y - half, x1, y);
            p.drawLine(x1, y, x2, y + half);
            break;
        }
        case kLyricText:
            p.setFont(lyric);
            drawAt(p, plan, x, y, Qt::AlignLeft, text(t.text));
            break;
        case kPedalDownText:
        case kPedalUpText:
            font.draw(p, t.kind == kPedalDownText ? MusicGlyph::PedalDown : MusicGlyph::PedalUp,
                      QPointF(x, y), P);
            break;
        case cueMark(kCueAdLib):
            p.setFont(expression);
            drawAt(p, plan, x, y, Qt::AlignHCenter, "ad lib.");
            break;
        case cueMark(kCueCaesura):
        case cueMark(kCueFermata):
        case cueMark(kCueUnused7): {
            const MusicGlyph glyph = t.kind == cueMark(kCueCaesura)   ? MusicGlyph::Caesura
                                     : t.kind == cueMark(kCueFermata) ? MusicGlyph::Fermata
                                                                            : MusicGlyph::Comma;
            font.draw(p, glyph, QPointF(x - font.advance(glyph, P) / 2, y), P);
            break;
        }
        default: break;
        }
    }

    void repeatDots(int x, int y0)
    {
        p.save();
        p.setBrush(Qt::black);
        p.setPen(Qt::NoPen);
        const double r = std::max(P / 24.0, 1.0);
        for (const CStaffTrack& staff : model().staves) {
            const int top = y0 + staff.topLineY;
            p.drawEllipse(QPointF(x + r, top + P * 3 / 8.0), r, r);
            p.drawEllipse(QPointF(x + r, top + P * 5 / 8.0), r, r);
        }
        p.restore();
    }

    void markers(int m, int y0, int x0, int xs)
    {
        const MeasureRec& rec = model().measures[size_t(m)].song;
        const int64_t end = int64_t(rec.start) + rec.length;
        p.setFont(printFont("Times", 3 * P / 8, 400));
        for (const StaffPrintMarker& marker : plan.markers) {
            if (marker.tick < rec.start || marker.tick >= end)
                continue;
            const CStaffMeasure& r = model().measures[size_t(m)];
            const int64_t x = r.x + r.leadIn + (marker.tick - rec.start) * r.laidOutWidth / std::max(rec.length, 1);
            drawAt(p, plan, int(x - xs + x0), y0 + 750, Qt::AlignLeft, text(marker.name));
        }
    }

    void furniture(int line, int page, int y0, int x0)
    {
        const int ms = plan.systemStarts[size_t(line)];
        const int end = plan.systemEnd(line);
        const int xs = model().measures[size_t(ms)].x;
        const int ys = y0 + model().staves.front().topLineY;
        const int bottom = systemBottom(y0);
        const int w = std::max(plan.barWidth, 1);
        for (int m = ms; m < end; ++m) {
            const CStaffMeasure& rec = model().measures[size_t(m)];
            const uint32_t flags = plan.headerFlags[size_t(m)];
            const int xm = x0 + rec.x - xs;
            const int e = xm + rec.leadIn + rec.laidOutWidth + rec.trailingWidth;
            markers(m, y0, x0, xs);
            if (m != ms) {
                p.drawLine(xm, ys, xm, bottom);
                if (!(flags & 4))
                    p.drawLine(xm + w, ys, xm + w, bottom);
            }
            if (rec.headerFlags & kRepeatStart) {
                int at = xm;
                if (rec.headerFlags & kHeaderChange)
                    at += rec.leadIn - plan.defaultLeadIn - rec.extraLeadIn;
                p.fillRect(QRect(at, ys, w, bottom - ys), Qt::black);
                p.drawLine(at + 2 * w, ys, at + 2 * w, bottom);
                repeatDots(at + 3 * w, y0);
            }
            if (rec.headerFlags & kRepeatEnd) {
                p.fillRect(QRect(e - w, ys, w, bottom - ys), Qt::black);
                p.drawLine(e - 2 * w, ys, e - 2 * w, bottom);
                repeatDots(e - P * 300 / 700, y0);
            }
            if (m == ms)
                measureLabel(rec, xm, ys);
            if (m == plan.lastMeasure) {
                p.drawLine(e - w, ys, e - w, bottom);
                p.fillRect(QRect(e, ys, w, bottom - ys), Qt::black);
                // Hides the staff lines after the final bar, the top line's
                // upper half too.
                const int pen = std::max(plan.lineWidth, 1);
                p.fillRect(QRect(QPoint(e + w, ys - pen),
                                 QPoint(area().right + 100, ys + plan.systemHeight + 100)),
                           Qt::white);
            }
            if (rec.headerFlags & kHeaderChange)
                headers(m, xm, y0, m == ms);
            if (page == 1 && line == 0 && m == ms)
                trackNames(xm, y0);
        }
    }

    void measureLabel(const CStaffMeasure& rec, int xm, int ys)
    {
        const QFont label = printFont("Times", kLabelHeight, 0);
        p.setFont(label);
        const QString shown = text(MeasureLabeler::labelText(rec.song));
        const QFontMetrics fm(label);
        const QRect box(xm, ys - 750, fm.horizontalAdvance(shown), fm.height());
        p.drawText(box, int(Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip), shown);
        p.save();
        p.setBrush(Qt::NoBrush);
        p.drawRect(box.adjusted(-50, -20, 50, 20));
        p.restore();
    }

    void headers(int m, int xm, int y0, bool systemStart)
    {
        const CStaffMeasure& rec = model().measures[size_t(m)];
        const int flags = int(plan.headerFlags[size_t(m)]);
        for (size_t s = 0; s < model().staves.size(); ++s) {
            const CStaffTrack& staff = model().staves[s];
            if (staff.lowerStaff)
                continue;
            const int top = y0 + staff.topLineY;
            const int left = staff.grandStaff && systemStart ? xm - plan.braceRoom : xm;
            QRect box(left, top, 0, P);
            const int key = size_t(m) < plan.keys[s].size() ? plan.keys[s][size_t(m)] : 0;
            drawStaffHeader(&p, box, staff.grandStaff ? kGrandStaff : staff.clef, key, rec.song,
                            flags, plan.cancelKey(s, m), font, P);
        }
    }

    void trackNames(int xm, int y0)
    {
        p.setFont(printFont("Times", kSmallTextHeight, 0));
        for (size_t s = 0; s < model().staves.size(); ++s) {
            const CStaffTrack& staff = model().staves[s];
            if (staff.lowerStaff)
                continue;
            const int top = y0 + staff.topLineY;
            const QString name = text(plan.trackNames[s]);
            if (staff.grandStaff)
                drawAt(p, plan, xm - 500, top + 1220, Qt::AlignRight, name);
            else
                drawAt(p, plan, xm - 250, top + P / 2 - 180, Qt::AlignRight, name);
        }
    }

    void page(int n)
    {
        titleBlock(n);
        QPen pen(Qt::black);
        pen.setWidth(std::max(plan.lineWidth, 1));
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.setBackgroundMode(Qt::TransparentMode);
        const int index = n - 1;
        int y0 = plan.pageTop(index);
        const int extra = plan.pageSpread(index);
        const int firstLine = plan.pageFirstLine[size_t(index)];
        for (int line = firstLine; line < firstLine + plan.pageLineCount[size_t(index)]; ++line) {
            const int x0 = plan.systemLeft(line);
            const int ys = y0 + model().staves.front().topLineY;
            p.drawLine(x0, ys, x0, systemBottom(y0));
            p.drawLine(area().right, ys, area().right, systemBottom(y0));
            staffLines(y0, x0);
            notes(line, y0, x0);
            p.setPen(pen);
            texts(line, y0, x0);
            p.setPen(pen);
            furniture(line, n, y0, x0);
            y0 += plan.lineHeights[size_t(line)] + extra;
        }
    }
};

} // namespace

QSize printAreaHundredths(const QPagedPaintDevice& device)
{
    return QSize(int(double(device.width()) * kHundredthsPerInch / std::max(device.logicalDpiX(), 1)),
                 int(double(device.height()) * kHundredthsPerInch / std::max(device.logicalDpiY(), 1)));
}

void mapPrintPage(QPainter& painter, const StaffPrintPlan& plan, QSize devicePixels)
{
    // The page size came from the device's own size, so both ways scale alike.
    painter.setWindow(0, 0, std::max(plan.pageWidth, 1), std::max(plan.pageHeight, 1));
    painter.setViewport(0, 0, devicePixels.width(), devicePixels.height());
}

void printStaffPage(QPainter& painter, const StaffPrintPlan& plan, int page, const MusicFont& font)
{
    if (page < 1 || page > plan.pageCount() || plan.model.staves.empty() || !font.ok())
        return;
    painter.save();
    PagePainter{painter, plan, font, plan.staffHeight}.page(page);
    painter.restore();
}

bool printStaffPlan(const StaffPrintPlan& plan, QPagedPaintDevice& device, const MusicFont& font,
                    int from, int to)
{
    installFontSubstitutions();
    const int count = plan.pageCount();
    const int first = from > 0 ? std::min(from, count) : 1;
    const int last = to > 0 ? std::min(to, count) : count;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    for (int page = first; page <= last; ++page) {
        if (page > first && !device.newPage()) {
            painter.end();
            return false;
        }
        mapPrintPage(painter, plan, QSize(device.width(), device.height()));
        printStaffPage(painter, plan, page, font);
    }
    return painter.end();
}

} // namespace rz
