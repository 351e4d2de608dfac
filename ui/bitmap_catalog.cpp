#include "ui/bitmap_catalog.h"

#include "ui/color_ref.h"
#include "ui/frame_3d.h"
#include "ui/gui_thread.h"
#include "ui/piano_keys.h"
#include "ui/port_icons.h"
#include "ui/tool_images.h"
#include "ui/track_check_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <iterator>
#include <map>
#include <span>

namespace rz {
namespace {

constexpr Color kMagenta = 0xFF00FF;
constexpr Color kScrollFace = 0xB9A5A3;  // the scroll track's colour
constexpr Color kPanelFace = 0x38140C;   // the frame's base colour
constexpr Color kGlyph = 0x0EF0FF;       // the frame's highlight text colour

using ButtonGlyph = void (*)(QPainter&, const QRectF&);

// Shape of a button face on a magenta strip.
enum class Face { Square, Round, OnScrollBar };

void fillPolygon(QPainter& painter, std::initializer_list<QPointF> points)
{
    painter.drawPolygon(QPolygonF(QList<QPointF>(points)));
}

void glyphArrowUp(QPainter& p, const QRectF& r)
{
    fillPolygon(p, {{r.center().x(), r.top()}, r.bottomRight(), r.bottomLeft()});
}
void glyphArrowDown(QPainter& p, const QRectF& r)
{
    fillPolygon(p, {r.topLeft(), r.topRight(), {r.center().x(), r.bottom()}});
}
void glyphArrowLeft(QPainter& p, const QRectF& r)
{
    fillPolygon(p, {{r.left(), r.center().y()}, r.topRight(), r.bottomRight()});
}
void glyphArrowRight(QPainter& p, const QRectF& r)
{
    fillPolygon(p, {r.topLeft(), {r.right(), r.center().y()}, r.bottomLeft()});
}
void glyphPlus(QPainter& p, const QRectF& r)
{
    const QPointF c = r.center();
    p.drawRect(QRectF(r.left(), c.y() - 1, r.width(), 2));
    p.drawRect(QRectF(c.x() - 1, r.top(), 2, r.height()));
}
void glyphMinus(QPainter& p, const QRectF& r)
{
    p.drawRect(QRectF(r.left(), r.center().y() - 1, r.width(), 2));
}
void glyphClose(QPainter& p, const QRectF& r)
{
    fillPolygon(p, {r.topLeft() + QPointF(1, 0), r.bottomRight(), r.bottomRight() - QPointF(1, 0),
                    r.topLeft()});
    fillPolygon(p, {r.topRight() - QPointF(1, 0), r.bottomLeft(), r.bottomLeft() + QPointF(1, 0),
                    r.topRight()});
}
void glyphMaximize(QPainter& p, const QRectF& r)
{
    p.drawRect(QRectF(r.left(), r.top(), r.width(), 2));
    p.drawRect(QRectF(r.left(), r.top(), 1, r.height()));
    p.drawRect(QRectF(r.right() - 1, r.top(), 1, r.height()));
    p.drawRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1));
}
void glyphRestore(QPainter& p, const QRectF& r)
{
    const QRectF back(r.left() + 2, r.top(), r.width() - 2, r.height() - 2);
    glyphMaximize(p, back);
    glyphMaximize(p, QRectF(r.left(), r.top() + 3, r.width() - 3, r.height() - 3));
}
void glyphMinimize(QPainter& p, const QRectF& r)
{
    p.drawRect(QRectF(r.left(), r.bottom() - 2, r.width(), 2));
}
void glyphRecord(QPainter& p, const QRectF& r)
{
    p.drawEllipse(r);
}
void glyphStop(QPainter& p, const QRectF& r)
{
    p.drawRect(r);
}
void glyphPause(QPainter& p, const QRectF& r)
{
    p.drawRect(QRectF(r.left(), r.top(), r.width() / 3, r.height()));
    p.drawRect(QRectF(r.right() - r.width() / 3, r.top(), r.width() / 3, r.height()));
}
void glyphNextSong(QPainter& p, const QRectF& r)
{
    const qreal half = r.width() / 2;
    glyphArrowRight(p, QRectF(r.left(), r.top(), half, r.height()));
    glyphArrowRight(p, QRectF(r.left() + half, r.top(), half, r.height()));
}
void glyphPreviousSong(QPainter& p, const QRectF& r)
{
    const qreal half = r.width() / 2;
    glyphArrowLeft(p, QRectF(r.left(), r.top(), half, r.height()));
    glyphArrowLeft(p, QRectF(r.left() + half, r.top(), half, r.height()));
}
void glyphClick(QPainter& p, const QRectF& r)
{
    // A metronome: a body and its pendulum.
    fillPolygon(p, {{r.center().x() - 2, r.top()}, {r.center().x() + 2, r.top()}, r.bottomRight(),
                    r.bottomLeft()});
}
void glyphTempo100(QPainter& p, const QRectF& r)
{
    p.drawRect(QRectF(r.left(), r.top() + 1, r.width(), 2));
    p.drawRect(QRectF(r.left(), r.bottom() - 3, r.width(), 2));
}

struct FrameLook {
    Color face;
    Color light;
    Color dark;
    Color glyph;
    qreal glyphShift; // pixels; the pressed frame moves its glyph down right
};

FrameLook lookOf(ButtonFrame frame, Color base, Color glyph)
{
    switch (frame) {
    case ButtonFrame::Pressed:
        return {ShadeColor(base, 90), ShadeColor(base, 40), ShadeColor(base, 160), glyph, 1};
    case ButtonFrame::Hover:
        return {ShadeColor(base, 150), ShadeColor(base, 220), ShadeColor(base, 60), glyph, 0};
    case ButtonFrame::Disabled:
        return {base, ShadeColor(base, 160), ShadeColor(base, 80), ShadeColor(base, 170), 0};
    case ButtonFrame::Normal:
        break;
    }
    return {base, ShadeColor(base, 200), ShadeColor(base, 40), glyph, 0};
}

void paintFace(QPainter& p, const QRect& cell, Face face, const FrameLook& look)
{
    p.setPen(Qt::NoPen);
    if (face == Face::Round) {
        p.setBrush(fromColorRef(look.dark));
        p.drawEllipse(cell.adjusted(0, 0, -1, -1));
        p.setBrush(fromColorRef(look.face));
        p.drawEllipse(cell.adjusted(1, 1, -2, -2));
        return;
    }
    const QRect body = face == Face::Square ? cell.adjusted(1, 1, -1, -1) : cell;
    p.fillRect(body, fromColorRef(look.face));
    draw3dRect(p, body, look.light, look.dark);
}

// Four frames (normal, pressed, hover, disabled) side by side. Edges stay
// unblended, so magenta remains exactly magenta where the face does not
// cover it.
QImage buttonStrip(QSize frame, Face face, Color base, Color glyphColour, ButtonGlyph glyph,
                   qreal glyphInset)
{
    QImage strip(frame.width() * kButtonFrames, frame.height(), QImage::Format_RGB32);
    strip.fill(fromColorRef(face == Face::OnScrollBar ? kScrollFace : kMagenta));
    QPainter p(&strip);
    for (int i = 0; i < kButtonFrames; ++i) {
        const QRect cell(i * frame.width(), 0, frame.width(), frame.height());
        const FrameLook look = lookOf(ButtonFrame(i), base, glyphColour);
        paintFace(p, cell, face, look);
        p.setBrush(fromColorRef(look.glyph));
        const QRectF area = QRectF(cell).adjusted(glyphInset, glyphInset, -glyphInset, -glyphInset);
        glyph(p, area.translated(look.glyphShift, look.glyphShift));
    }
    return strip;
}

QImage scrollButton(ButtonGlyph glyph)
{
    return buttonStrip({17, 17}, Face::OnScrollBar, ShadeColor(kPanelFace, 200), 0x000000, glyph,
                       5);
}

QImage captionButton(ButtonGlyph glyph)
{
    return buttonStrip({16, 16}, Face::Square, kPanelFace, kGlyph, glyph, 4);
}

QImage panelButton(QSize size, Face face, ButtonGlyph glyph, qreal inset)
{
    return buttonStrip(size, face, kPanelFace, kGlyph, glyph, inset);
}

// A small "3" in the cell's top right corner.
void paintTripletMark(QPainter& p, const QRect& cell)
{
    const int tx = cell.right() - 4;
    p.drawRect(QRect(tx, cell.top(), 3, 1));
    p.drawRect(QRect(tx + 1, cell.top() + 2, 2, 1));
    p.drawRect(QRect(tx, cell.top() + 4, 3, 1));
    p.drawRect(QRect(tx + 2, cell.top(), 1, 5));
}

// A note of `flags` flags (0 = quarter), a "3" above it for triplets.
void paintGridNote(QPainter& p, const QRect& cell, int flags, bool triplet)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const int x = cell.left() + 6;
    p.drawEllipse(QRect(x - 4, cell.bottom() - 3, 6, 4));
    p.drawRect(QRect(x + 1, cell.top() + 3, 1, 12));
    for (int i = 0; i < flags; ++i)
        p.drawRect(QRect(x + 2, cell.top() + 3 + 3 * i, 3, 2));
    if (triplet)
        paintTripletMark(p, cell);
}

QImage gridNotes()
{
    // quarter, quarter triplet, eighth, eighth triplet, ..., sixty-fourth
    constexpr int kCells = 9;
    QImage strip(16 * kCells, 16, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    for (int i = 0; i < kCells; ++i)
        paintGridNote(p, QRect(16 * i, 0, 16, 16), i / 2, i % 2 == 1);
    return strip;
}

// A note with an open head below a half (0) or a filled one, a stem from a
// half on, its flags, a dot and a triplet's "3".
void paintNoteValue(QPainter& p, const QRect& cell, int kind, int flags, bool dotted, bool triplet)
{
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    const int x = cell.left() + 6;
    const QRect head(x - 4, cell.bottom() - 3, 6, 4);
    p.drawEllipse(head);
    if (kind < 2) {
        p.setBrush(Qt::white);
        p.drawEllipse(head.adjusted(1, 1, -2, -1));
        p.setBrush(Qt::black);
    }
    if (kind > 0)
        p.drawRect(QRect(x + 1, cell.top() + 3, 1, 11));
    for (int i = 0; i < flags; ++i)
        p.drawRect(QRect(x + 2, cell.top() + 3 + 3 * i, 3, 2));
    if (dotted)
        p.drawRect(QRect(x + 4, cell.bottom() - 2, 2, 2));
    if (triplet)
        paintTripletMark(p, cell);
}

QImage noteValues()
{
    // kind (0 whole, 1 half, 2 quarter and shorter), flags, dotted, triplet
    static constexpr struct {
        int kind, flags;
        bool dotted, triplet;
    } kValues[] = {{0, 0, false, false}, {1, 0, true, false}, {1, 0, false, false}, {2, 0, true, false},
                   {1, 0, false, true},  {2, 0, false, false}, {2, 1, true, false}, {2, 0, false, true},
                   {2, 1, false, false}, {2, 2, true, false}, {2, 1, false, true}, {2, 2, false, false},
                   {2, 2, false, true},  {2, 3, false, false}, {2, 3, false, true}};
    QImage strip(16 * int(std::size(kValues)), 16, QImage::Format_RGB32);
    strip.fill(Qt::white);
    QPainter p(&strip);
    for (int i = 0; i < int(std::size(kValues)); ++i) {
        const auto& v = kValues[i];
        paintNoteValue(p, QRect(16 * i, 0, 16, 16), v.kind, v.flags, v.dotted, v.triplet);
    }
    return strip;
}

QImage faderBackground(QSize size, Qt::Orientation orientation)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fromColorRef(0x303030));
    QPainter p(&image);
    const bool vertical = orientation == Qt::Vertical;
    const int along = vertical ? size.height() : size.width();
    const int across = vertical ? size.width() : size.height();
    const int mid = across / 2;
    auto rect = [vertical](int a, int c, int alongLen, int acrossLen) {
        return vertical ? QRect(c, a, acrossLen, alongLen) : QRect(a, c, alongLen, acrossLen);
    };
    for (int a = 4; a < along - 2; a += 10)
        p.fillRect(rect(a, 1, 1, across - 2), fromColorRef(0x505050));
    p.fillRect(rect(2, mid - 1, along - 4, 3), Qt::black);
    draw3dRect(p, QRect(QPoint(0, 0), size), 0x1C1C1C, 0x5A5A5A);
    return image;
}

QImage faderThumb(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fromColorRef(kMagenta));
    QPainter p(&image);
    const QRect body = QRect(QPoint(0, 0), size).adjusted(1, 1, -1, -1);
    p.fillRect(body, fromColorRef(0xC0C0C0));
    draw3dRect(p, body, 0xFFFFFF, 0x404040);
    const bool vertical = size.width() >= size.height();
    const QRect line = vertical ? QRect(2, size.height() / 2, size.width() - 4, 1)
                                : QRect(size.width() / 2, 2, 1, size.height() - 4);
    p.fillRect(line, Qt::black);
    return image;
}

// One frame of a square button on the slider view's grey.
QImage sliderButton(ButtonGlyph glyph, ButtonFrame frame)
{
    constexpr QSize kSize(30, 20);
    const QImage strip = buttonStrip(kSize, Face::Square, 0x505050, 0x00FF00, glyph, 5);
    QImage image = strip.copy(QRect(QPoint(kSize.width() * int(frame), 0), kSize))
                       .convertToFormat(QImage::Format_ARGB32);
    // The view's grey shows through where the face leaves the strip's magenta.
    const QRgb magenta = fromColorRef(kMagenta).rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == magenta)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

// A camera: the body with its lens.
void glyphSnapshot(QPainter& p, const QRectF& r)
{
    const QRectF body(r.left() + 2, r.top() + 2, r.width() - 4, r.height() - 2);
    p.drawRect(QRectF(body.center().x() - 3, r.top(), 6, 2));
    p.drawRect(body);
    p.setBrush(Qt::black);
    p.drawEllipse(body.center(), 2.5, 2.5);
}

// An arrow back to a bar: return to the position.
void glyphReset(QPainter& p, const QRectF& r)
{
    p.drawRect(QRectF(r.left() + 2, r.top(), 2, r.height()));
    fillPolygon(p, {{r.left() + 5, r.center().y()}, {r.right() - 2, r.top()}, {r.right() - 2, r.bottom()}});
}

// Bevelled grey: corners light at the top left, dark at the bottom right.
QImage sliderBorder()
{
    QImage image(40, 40, QImage::Format_RGB32);
    image.fill(fromColorRef(0x303030));
    QPainter p(&image);
    for (int i = 0; i < 3; ++i)
        draw3dRect(p, QRect(i, i, 40 - 2 * i, 40 - 2 * i), ShadeColor(0x606060, int16_t(200 - 40 * i)),
                   ShadeColor(0x606060, int16_t(40 + 20 * i)));
    return image;
}

constexpr Color kPanelText = 0xE0CB85; // the transport panel's text colour

QImage stateIcon(Color colour, bool paused)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(fromColorRef(colour));
    if (paused) {
        p.drawRect(QRectF(3, 2, 4, 12));
        p.drawRect(QRectF(9, 2, 4, 12));
    } else {
        fillPolygon(p, {{3, 2}, {14, 8}, {3, 14}});
    }
    return image;
}

// Seven-segment digits as an LCD shows them: lit segments in the panel's
// text colour, the others faintly.
QImage beatDigit(int digit)
{
    // Segments a..g, bit 0 = a (top), clockwise, g the middle.
    static constexpr uint8_t kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                              0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    QImage image(96, 125, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    constexpr qreal left = 14, right = 82, top = 8, mid = 62.5, bottom = 117, t = 11;
    const QRectF segments[7] = {
        {left + 4, top, right - left - 8, t},             // a
        {right - t, top + 4, t, mid - top - 6},           // b
        {right - t, mid + 2, t, bottom - mid - 6},        // c
        {left + 4, bottom - t, right - left - 8, t},      // d
        {left, mid + 2, t, bottom - mid - 6},             // e
        {left, top + 4, t, mid - top - 6},                // f
        {left + 4, mid - t / 2, right - left - 8, t},     // g
    };
    QColor lit = fromColorRef(kPanelText);
    QColor unlit = lit;
    unlit.setAlpha(28);
    for (int s = 0; s < 7; ++s) {
        p.setBrush((kSegments[digit % 10] >> s) & 1 ? lit : unlit);
        p.drawRoundedRect(segments[s], 3, 3);
    }
    return image;
}

struct CatalogRow {
    int id;
    QImage (*paint)();
};

const CatalogRow kRows[] = {
    {bitmap_id::kClose, [] { return captionButton(glyphClose); }},
    {bitmap_id::kMaximize, [] { return captionButton(glyphMaximize); }},
    {bitmap_id::kRestore, [] { return captionButton(glyphRestore); }},
    {bitmap_id::kMinimize, [] { return captionButton(glyphMinimize); }},
    {bitmap_id::kArrowUp, [] { return scrollButton(glyphArrowUp); }},
    {bitmap_id::kArrowDown, [] { return scrollButton(glyphArrowDown); }},
    {bitmap_id::kArrowLeft, [] { return scrollButton(glyphArrowLeft); }},
    {bitmap_id::kArrowRight, [] { return scrollButton(glyphArrowRight); }},
    {bitmap_id::kZoomIn, [] { return scrollButton(glyphPlus); }},
    {bitmap_id::kZoomOut, [] { return scrollButton(glyphMinus); }},
    {bitmap_id::kClickOnOff, [] { return panelButton({30, 30}, Face::Round, glyphClick, 9); }},
    {bitmap_id::kStop, [] { return panelButton({30, 30}, Face::Round, glyphStop, 10); }},
    {bitmap_id::kNextSong, [] { return panelButton({30, 30}, Face::Round, glyphNextSong, 9); }},
    {bitmap_id::kPause, [] { return panelButton({30, 30}, Face::Round, glyphPause, 10); }},
    {bitmap_id::kPlayStop, [] { return panelButton({50, 50}, Face::Round, glyphArrowRight, 15); }},
    {bitmap_id::kPreviousSong,
     [] { return panelButton({30, 30}, Face::Round, glyphPreviousSong, 9); }},
    {bitmap_id::kRecord, [] { return panelButton({30, 30}, Face::Round, glyphRecord, 10); }},
    {bitmap_id::kTransposeUp, [] { return panelButton({18, 14}, Face::Square, glyphArrowUp, 4); }},
    {bitmap_id::kTransposeDown,
     [] { return panelButton({18, 14}, Face::Square, glyphArrowDown, 4); }},
    {bitmap_id::kTempo100, [] { return panelButton({22, 14}, Face::Square, glyphTempo100, 4); }},
    {bitmap_id::kGridNotes, gridNotes},
    {bitmap_id::kToolImages, paintToolImages},
    {bitmap_id::kTempoFaderBackground, [] { return faderBackground({15, 145}, Qt::Vertical); }},
    {bitmap_id::kTempoFaderThumb, [] { return faderThumb({15, 9}); }},
    {bitmap_id::kVolumeFaderBackground,
     [] { return faderBackground({145, 15}, Qt::Horizontal); }},
    {bitmap_id::kVolumeFaderThumb, [] { return faderThumb({9, 15}); }},
    {bitmap_id::kPlaying, [] { return stateIcon(kPanelText, false); }},
    {bitmap_id::kPlayingAlt, [] { return stateIcon(0x40C0FF, false); }},
    {bitmap_id::kPaused, [] { return stateIcon(kPanelText, true); }},
    {bitmap_id::kBeatDigits + 0, [] { return beatDigit(0); }},
    {bitmap_id::kBeatDigits + 1, [] { return beatDigit(1); }},
    {bitmap_id::kBeatDigits + 2, [] { return beatDigit(2); }},
    {bitmap_id::kBeatDigits + 3, [] { return beatDigit(3); }},
    {bitmap_id::kBeatDigits + 4, [] { return beatDigit(4); }},
    {bitmap_id::kBeatDigits + 5, [] { return beatDigit(5); }},
    {bitmap_id::kBeatDigits + 6, [] { return beatDigit(6); }},
    {bitmap_id::kBeatDigits + 7, [] { return beatDigit(7); }},
    {bitmap_id::kBeatDigits + 8, [] { return beatDigit(8); }},
    {bitmap_id::kBeatDigits + 9, [] { return beatDigit(9); }},
    {bitmap_id::kPortIcons, paintPortIcons},
    {bitmap_id::kPianoKeys12, [] { return piano_keys::paintKeyboard(12); }},
    {bitmap_id::kPianoKeys10, [] { return piano_keys::paintKeyboard(10); }},
    {bitmap_id::kPianoKeys8, [] { return piano_keys::paintKeyboard(8); }},
    {bitmap_id::kPianoKeys6, [] { return piano_keys::paintKeyboard(6); }},
    {bitmap_id::kPianoKeys4, [] { return piano_keys::paintKeyboard(4); }},
    {bitmap_id::kPianoKeys3, [] { return piano_keys::paintKeyboard(3); }},
    {bitmap_id::kPianoKeys2, [] { return piano_keys::paintKeyboard(2); }},
    {bitmap_id::kBandPattern, piano_keys::paintBandPattern},
    {bitmap_id::kNoteValues, noteValues},
    {bitmap_id::kSnapshotUp, [] { return sliderButton(glyphSnapshot, ButtonFrame::Normal); }},
    {bitmap_id::kSnapshotDown, [] { return sliderButton(glyphSnapshot, ButtonFrame::Pressed); }},
    {bitmap_id::kResetUp, [] { return sliderButton(glyphReset, ButtonFrame::Normal); }},
    {bitmap_id::kResetDown, [] { return sliderButton(glyphReset, ButtonFrame::Pressed); }},
    {bitmap_id::kSliderBorder, sliderBorder},
    {bitmap_id::kTrackChecks, paintTrackChecks},
    {bitmap_id::kTrackInHeader, paintTrackInHeader},
};

const CatalogRow* findRow(int id)
{
    for (const CatalogRow& row : kRows)
        if (row.id == id)
            return &row;
    return nullptr;
}

} // namespace

const QImage& BitmapCatalog::image(int id)
{
    RZ_ASSERT_GUI_THREAD();
    static std::map<int, QImage> painted;
    static const QImage none;
    if (const auto it = painted.find(id); it != painted.end())
        return it->second;
    const CatalogRow* row = findRow(id);
    if (!row)
        return none;
    return painted.emplace(id, row->paint()).first->second;
}

bool BitmapCatalog::contains(int id)
{
    return findRow(id) != nullptr;
}

} // namespace rz
