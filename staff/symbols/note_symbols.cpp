#include "staff/symbols/note_symbols.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "ui/color_ref.h"

namespace rz {

MusicGlyph accidentalGlyph(int code)
{
    switch (code) {
    case -2: return MusicGlyph::FlatFlat;
    case -1: return MusicGlyph::Flat;
    case 1: return MusicGlyph::Sharp;
    case 2: return MusicGlyph::DoubleSharp;
    default: return MusicGlyph::Natural;
    }
}

namespace {

// A value split into its undotted base and its dots.
struct Duration {
    int base = 0;
    int dots = 0;
};

Duration durationOf(int value)
{
    if (value > 0 && value % 7 == 0)
        return {value / 7 * 4, 2};
    if (value > 0 && value % 3 == 0)
        return {value / 3 * 2, 1};
    return {value, 0};
}

MusicGlyph restGlyph(int base)
{
    switch (base) {
    case 2: return MusicGlyph::Rest2;
    case 4: return MusicGlyph::Rest4;
    case 8: return MusicGlyph::Rest8;
    case 32: return MusicGlyph::Rest32;
    case 64: return MusicGlyph::Rest64;
    case 128: return MusicGlyph::Rest128;
    default: return MusicGlyph::Rest16;
    }
}

MusicGlyph headGlyph(int base, int head)
{
    int kind = percussionHeadKind(head);
    if (kind > 6)
        kind = 0;
    const int column = base >= 64 ? 0 : base == 32 ? 1 : 2;
    return MusicGlyph(int(MusicGlyph::HeadWhole0) + kind * 3 + column);
}

// Half the length of a note's ledger lines: a head wide on each side of the
// head, shortened so that a neighbour's ledger lines `before` and `after`
// pixels away stay a quarter head clear (read as extra staff lines when they
// join), but never shorter than the head. A distance of 0 is no neighbour.
qreal ledgerHalfLength(qreal headWidth, qreal before, qreal after)
{
    qreal half = headWidth;
    for (const qreal gap : {before, after})
        if (gap > 0)
            half = std::min(half, gap / 2 - headWidth / 8);
    return std::max(half, headWidth / 2 + 1);
}

struct Drawer {
    QPainter& painter;
    const MusicFont& font;
    const CStaffTrack* staff;
    uint32_t tag;
    int p;
    qreal step; // one staff position, pixels
    qreal headWidth;
    int y;
    bool oneLine;

    qreal yOf(int position) const { return y - position * step; }
    qreal pen() const { return std::max(1.0, 3 * p / 64.0); }

    QColor headColor(const CStaffItem& item) const
    {
        if (!staff || item.span < 0 || size_t(item.span) >= staff->spans.size())
            return Qt::red;
        const CStaffSpan& span = staff->spans[size_t(item.span)];
        const bool selected = span.flag > 0 || (span.flag == 0 && span.selectionStamp == tag);
        return selected ? QColor(Qt::red) : fromColorRef(item.color);
    }

    void glyph(MusicGlyph g, qreal x, qreal at, const QColor& color) const
    {
        painter.setPen(color);
        font.draw(painter, g, QPointF(x, at), p);
    }

    void line(qreal x1, qreal y1, qreal x2, qreal y2, const QColor& color = Qt::black) const
    {
        QPen pen(color);
        pen.setWidthF(this->pen());
        painter.setPen(pen);
        painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    }

    void rest(CStaffNote& note, qreal x) const;
    void heads(CStaffNote& note, qreal x, qreal ledgerHalf) const;
    void accidentals(const CStaffNote& note, qreal x) const;
    void dots(const CStaffNote& note, qreal x, int count) const;
};

void Drawer::rest(CStaffNote& note, qreal x) const
{
    const Duration d = durationOf(note.value);
    const MusicGlyph g = restGlyph(d.base);
    const int position = (d.base == 64 && !oneLine ? 2 : 0) + note.restShift;
    const qreal left = x - headWidth / 2;
    glyph(g, left, yOf(position), Qt::black);
    const QRectF ink = font.bounds(g, p).translated(left, yOf(position));
    qreal dotX = ink.right() + step;
    for (int i = 0; i < d.dots; ++i) {
        glyph(MusicGlyph::Dot, dotX, yOf(1 + note.restShift), Qt::black);
        dotX += 1.5 * font.advance(MusicGlyph::Dot, p);
    }
    note.leftX = int(ink.left());
    note.rightX = int(dotX);
    note.highHeadY = int(ink.top());
    note.lowHeadY = int(ink.bottom());
}

void Drawer::heads(CStaffNote& note, qreal x, qreal ledgerHalf) const
{
    const Duration d = durationOf(note.value);
    const qreal left = x - headWidth / 2;
    const qreal shift = headWidth - headWidth / 12;
    note.stemX = int(note.stemDown ? left + headWidth / 12 : left + headWidth - headWidth / 12);
    auto& items = note.items;
    int previous = INT32_MIN;
    bool previousMoved = false;
    qreal low = 1e9, high = -1e9, minX = 1e9, maxX = -1e9;
    const auto drawHead = [&](CStaffItem& item) {
        const bool moved = note.second && std::abs(item.position - previous) == 1 && !previousMoved;
        const qreal hx = moved ? left + (note.stemDown ? -shift : shift) : left;
        const int position = std::clamp(item.position, -70, 70);
        const MusicGlyph g = headGlyph(d.base, item.head);
        const QColor color = headColor(item);
        glyph(g, hx, yOf(position), color);
        const QRectF ink = font.bounds(g, p).translated(hx, yOf(position));
        if (percussionHeadCircled(item.head)) {
            painter.setPen(color);
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(ink.adjusted(-1 - step, -1 - step, 1 + step, 1 + step));
        }
        // Ledger lines from the head toward the staff, centred on the head.
        const qreal centre = hx + headWidth / 2;
        for (int ledger = position - position % 2; std::abs(ledger) > 5; ledger += ledger > 0 ? -2 : 2)
            line(centre - ledgerHalf, yOf(ledger), centre + ledgerHalf, yOf(ledger));
        item.rect = StaffRect{int(ink.left()), int(ink.top()), int(ink.right()), int(ink.bottom())};
        low = std::min(low, ink.center().y());
        high = std::max(high, ink.center().y());
        minX = std::min(minX, ink.left());
        maxX = std::max(maxX, ink.right());
        previous = item.position;
        previousMoved = moved;
    };
    if (note.stemDown)
        for (auto it = items.rbegin(); it != items.rend(); ++it)
            drawHead(*it);
    else
        for (auto& item : items)
            drawHead(item);
    note.leftX = int(minX);
    note.rightX = int(maxX);
    note.highHeadY = int(low);  // y grows downward: the highest head has the least y
    note.lowHeadY = int(high);
    dots(note, x, d.dots);
    accidentals(note, x);
}

void Drawer::dots(const CStaffNote& note, qreal x, int count) const
{
    if (count == 0)
        return;
    const qreal dotX = x + (note.second ? 4 * headWidth / 3 : 5 * headWidth / 6);
    int taken = INT32_MIN;
    for (const CStaffItem& item : note.items) {
        int space = item.position % 2 == 0 ? item.position + 1 : item.position;
        if (space == taken)
            space -= 2;
        taken = space;
        qreal at = dotX;
        for (int i = 0; i < count; ++i) {
            glyph(MusicGlyph::Dot, at, yOf(space), headColor(item));
            at += 1.5 * font.advance(MusicGlyph::Dot, p);
        }
    }
}

void Drawer::accidentals(const CStaffNote& note, qreal x) const
{
    const qreal right = x - (note.second ? 4 * headWidth / 5 : headWidth / 2) - 1;
    qreal shift = 0;
    int inCluster = 0;
    int previous = INT32_MIN;
    for (auto it = note.items.rbegin(); it != note.items.rend(); ++it) {
        const CStaffItem& item = *it;
        if (item.accidental < -2 || item.accidental > 3 || item.accidental == 0)
            continue;
        if (previous == INT32_MIN || previous - item.position >= 7 || inCluster == 3) {
            shift = 0;
            inCluster = 0;
        }
        const MusicGlyph g = accidentalGlyph(item.accidental);
        const qreal width = font.advance(g, p);
        glyph(g, right - width - shift, yOf(item.position), headColor(item));
        shift += width;
        ++inCluster;
        previous = item.position;
    }
}

// A run of notes up to the next beam break, with its stems, flags or beams.
// The y of a run's beam: clear of every head, on the middle line at least,
// one step further with thirty-seconds for the third beam.
qreal beamYOf(const Drawer& d, const std::vector<CStaffNote*>& run, bool down, bool thirtySecond)
{
    int position = down ? INT32_MAX : INT32_MIN;
    for (const CStaffNote* n : run) {
        if (n->rest || n->items.empty()) {
            position = down ? std::min(position, -7) : std::max(position, 7);
            continue;
        }
        const int low = n->items.front().position, high = n->items.back().position;
        position = down ? std::min({position, low - 5, high - 7}) : std::max({position, low + 7, high + 5});
    }
    position = down ? std::min(position, 0) : std::max(position, 0);
    if (thirtySecond)
        position += down ? -1 : 1;
    return d.yOf(position);
}

// Each note's stem to the beam, or to its own length with its flag.
void drawStems(const Drawer& d, const std::vector<CStaffNote*>& notes, bool beamed, bool down, qreal beamY)
{
    const qreal stemLength = 13 * d.step / 2; // 13S/48
    for (CStaffNote* n : notes) {
        const qreal from = down ? n->highHeadY : n->lowHeadY;
        qreal to;
        if (beamed)
            to = beamY;
        else if (down)
            to = std::max<qreal>(d.y, n->lowHeadY + stemLength);
        else
            to = std::min<qreal>(d.y, n->highHeadY - stemLength);
        d.line(n->stemX, from, n->stemX, to);
        n->stemTopY = int(std::min(from, to));
        n->stemBottomY = int(std::max(from, to));
        const int base = durationOf(n->value).base;
        if (!beamed && base < 16) {
            const int flag = base >= 8 ? 0 : base >= 4 ? 1 : 2;
            const MusicGlyph g = MusicGlyph(int(down ? MusicGlyph::FlagDown8 : MusicGlyph::FlagUp8) + flag);
            d.glyph(g, n->stemX - d.pen() / 2, to, Qt::black); // the glyph's origin is the stem's outer corner
        }
    }
}

void drawBeams(const Drawer& d, const std::vector<CStaffNote*>& notes, bool down, qreal beamY)
{
    const qreal thick = std::max(2.0, 2 * (3 * d.p / 64.0));
    d.painter.setPen(Qt::NoPen);
    d.painter.setBrush(Qt::black);
    const auto beam = [&](int level, qreal from, qreal to) {
        const qreal offset = level * (thick + 1) * (down ? -1 : 1);
        const qreal top = down ? beamY + offset - thick : beamY + offset;
        d.painter.drawRect(QRectF(QPointF(std::min(from, to), top), QPointF(std::max(from, to), top + thick)));
    };
    beam(0, notes.front()->stemX, notes.back()->stemX + d.pen());
    // Inner beams join neighbours short enough for them; a lone short note
    // gets a stub pointing into the run.
    const qreal stub = 2 * d.headWidth / 3;
    for (int level = 1; level <= 2; ++level) {
        const int longest = level == 1 ? 4 : 2;
        for (size_t i = 0; i < notes.size();) {
            if (durationOf(notes[i]->value).base > longest) {
                ++i;
                continue;
            }
            size_t last = i;
            while (last + 1 < notes.size() && durationOf(notes[last + 1]->value).base <= longest)
                ++last;
            const qreal x = notes[i]->stemX;
            if (last > i)
                beam(level, x, notes[last]->stemX + d.pen());
            else if (i == 0)
                beam(level, x, x + stub);
            else
                beam(level, x + d.pen(), x + d.pen() - stub);
            i = last + 1;
        }
    }
}

// The small 3 of a triplet, centred on the beam's far side.
void drawTupletDigit(const Drawer& d, const std::vector<CStaffNote*>& notes, bool down, qreal beamY)
{
    const int small = std::max(d.p * 3 / 5, 1);
    d.painter.setPen(Qt::black);
    d.font.draw(d.painter, MusicGlyph::Digit3,
                QPointF((notes.front()->stemX + notes.back()->stemX) / 2
                            - d.font.advance(MusicGlyph::Digit3, small) / 2,
                        down ? beamY + 3 * d.step + small / 2.0 : beamY - 2 * d.step),
                small);
}

void drawRun(const Drawer& d, std::vector<CStaffNote*>& run)
{
    std::vector<CStaffNote*> notes;
    bool thirtySecond = false;
    for (CStaffNote* n : run) {
        const int base = durationOf(n->value).base;
        if (!n->rest && !n->items.empty() && base < 64)
            notes.push_back(n);
        thirtySecond |= base <= 2;
    }
    if (notes.empty())
        return;
    const bool beamed = notes.size() >= 2;
    const bool down = notes.front()->stemDown;
    const qreal beamY = beamed ? beamYOf(d, run, down, thirtySecond) : 0;
    drawStems(d, notes, beamed, down, beamY);
    if (!beamed)
        return;
    drawBeams(d, notes, down, beamY);
    if (run.front()->tupletMember)
        drawTupletDigit(d, notes, down, beamY);
}

// How many of a chord's heads, from the lowest, take ties bowing down: one
// head ties away from its stem; a chord splits at its middle, or with
// seconds at the widest gap between neighbouring heads.
size_t tiesBelow(const CStaffNote& note)
{
    const auto& items = note.items;
    const size_t n = items.size();
    if (note.second && n >= 2) {
        size_t split = 0;
        int widest = -1;
        for (size_t i = 1; i < n; ++i) {
            const int gap = items[i].position - items[i - 1].position;
            const bool nearer = gap == widest
                                && std::abs(int(2 * i) - int(n)) < std::abs(int(2 * split) - int(n));
            if (gap > widest || nearer) {
                widest = gap;
                split = i;
            }
        }
        return split;
    }
    return note.stemDown ? n / 2 : (n + 1) / 2;
}

// A circular arc from `a` to `b` (level) bowing `sag` pixels, down when positive.
void tieArc(const Drawer& d, QPointF a, QPointF b, qreal sag)
{
    const qreal chord = b.x() - a.x();
    if (chord <= 0 || sag == 0)
        return;
    const qreal h = std::abs(sag);
    const qreal radius = (chord * chord / 4 + h * h) / (2 * h);
    const qreal half = std::asin(std::min(1.0, chord / 2 / radius)) * 180 / std::numbers::pi;
    const QPointF centre((a.x() + b.x()) / 2, sag > 0 ? a.y() + h - radius : a.y() - h + radius);
    const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
    QPainterPath path(a);
    if (sag > 0)
        path.arcTo(box, 270 - half, 2 * half);
    else
        path.arcTo(box, 90 + half, -2 * half);
    QPen pen(Qt::black);
    pen.setWidthF(d.pen());
    d.painter.setPen(pen);
    d.painter.setBrush(Qt::NoBrush);
    d.painter.drawPath(path);
}

void drawTie(const Drawer& d, const CStaffNote& from, const CStaffNote& to)
{
    const size_t below = tiesBelow(from);
    const qreal sag = 2 * d.step; // S/12
    for (size_t i = 0; i < from.items.size(); ++i) {
        const bool down = i < below;
        const qreal y0 = d.yOf(from.items[i].position) + (down ? d.step : -d.step);
        tieArc(d, QPointF(from.rightX + 1, y0), QPointF(to.leftX - 1, y0), down ? sag : -sag);
    }
}

void drawBracket(const Drawer& d, const std::vector<std::unique_ptr<CStaffNote>>& notes,
                 size_t last)
{
    const int count = notes[last]->tupletNoteCount;
    const size_t first = last + 1 >= size_t(count) ? last + 1 - size_t(count) : 0;
    bool up = false;
    qreal top = 1e9, bottom = -1e9;
    for (size_t i = first; i <= last; ++i) {
        const CStaffNote& n = *notes[i];
        if (!n.rest && !n.stemDown)
            up = true;
        top = std::min<qreal>(top, n.rest ? n.highHeadY : n.stemTopY);
        bottom = std::max<qreal>(bottom, n.rest ? n.lowHeadY : n.stemBottomY);
    }
    const qreal at = up ? top - 3 * d.step : bottom + 3 * d.step;
    const qreal hook = up ? d.step : -d.step;
    const qreal left = notes[first]->leftX, right = notes[last]->rightX;
    d.line(left, at + hook, left, at);
    d.line(left, at, right, at);
    d.line(right, at, right, at + hook);
    const int small = std::max(d.p * 3 / 5, 1);
    d.painter.fillRect(QRectF((left + right) / 2 - small / 2.0, at - 1, small, 3), Qt::white);
    d.font.draw(d.painter, MusicGlyph::Digit3,
                QPointF((left + right) / 2 - d.font.advance(MusicGlyph::Digit3, small) / 2,
                        at + small / 2.0),
                small);
}

} // namespace

void DrawNoteSymbols(QPainter& painter, CStaffBeat& beat, int x, int y, const CStaffTrack* staff,
                     uint32_t tag, const MusicFont& font, int pixelSize)
{
    if (!font.ok() || pixelSize <= 0 || beat.notes.empty())
        return;
    // The staff step of the old three-staff cell, rounded as it was.
    int cell = 3 * pixelSize;
    if (cell < 150)
        cell = (cell + 6) / 12 * 12;
    painter.save();
    const Drawer d{painter, font, staff, tag, pixelSize, cell / 24.0,
                   font.advance(MusicGlyph::HeadBlack0, pixelSize), y,
                   staff && staff->clef == kOneLineDrumClef};
    const int firstX = beat.notes.front()->x;
    const auto& notes = beat.notes;
    for (size_t i = 0; i < notes.size(); ++i) {
        CStaffNote& note = *notes[i];
        const qreal ex = x + (note.x - firstX);
        if (note.rest)
            d.rest(note, ex);
        else if (!note.items.empty())
            d.heads(note, ex, ledgerHalfLength(d.headWidth, i > 0 ? note.x - notes[i - 1]->x : 0,
                                               i + 1 < notes.size() ? notes[i + 1]->x - note.x : 0));
    }
    std::vector<CStaffNote*> run;
    for (size_t i = 0; i <= beat.notes.size(); ++i) {
        if (i == beat.notes.size() || (i > 0 && beat.notes[i]->beamBreak)) {
            drawRun(d, run);
            run.clear();
        }
        if (i < beat.notes.size())
            run.push_back(beat.notes[i].get());
    }
    for (size_t i = 1; i < beat.notes.size(); ++i)
        if (beat.notes[i]->tied && !beat.notes[i - 1]->rest)
            drawTie(d, *beat.notes[i - 1], *beat.notes[i]);
    for (size_t i = 0; i < beat.notes.size(); ++i)
        if (beat.notes[i]->tupletNoteCount > 0)
            drawBracket(d, beat.notes, i);
    painter.restore();
}

} // namespace rz
