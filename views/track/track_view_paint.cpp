// Painting of the track list and its header. GUI thread; no lock: the
// song's tracks change only on this thread.

#include "views/track/track_header.h"
#include "views/track/track_view.h"

#include "core/color.h"
#include "core/text_codec.h"
#include "song/song_doc.h"
#include "song/track.h"
#include "ui/bitmap_catalog.h"
#include "ui/color_ref.h"
#include "ui/track_check_images.h"
#include "views/track/track_cell_text.h"
#include "views/track/track_mix.h"
#include "views/view_colors.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kViewBase = 0x38140C;
constexpr Color kUnfocusedBase = 0xA0A0A0;
constexpr Color kHighlightText = 0x0EF0FF;
constexpr Color kUnselectedBase = 0xD0A0A0;
constexpr Color kRed = 0x0000FF;
constexpr int kInBoxWidth = 13;

// Dark at the top and bottom edges, light in the middle.
void fillBand(QPainter& painter, const QRect& r, Color edge, Color middle)
{
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0.0, fromColorRef(edge));
    gradient.setColorAt(0.5, fromColorRef(middle));
    gradient.setColorAt(1.0, fromColorRef(edge));
    painter.fillRect(r, gradient);
}

void fillTopDown(QPainter& painter, const QRect& r, Color top, Color bottom)
{
    QLinearGradient gradient(r.topLeft(), r.bottomLeft());
    gradient.setColorAt(0.0, fromColorRef(top));
    gradient.setColorAt(1.0, fromColorRef(bottom));
    painter.fillRect(r, gradient);
}

void frame3d(QPainter& painter, const QRect& r, Color topLeft, Color bottomRight)
{
    painter.setPen(fromColorRef(topLeft));
    painter.drawLine(r.topLeft(), r.topRight());
    painter.drawLine(r.topLeft(), r.bottomLeft());
    painter.setPen(fromColorRef(bottomRight));
    painter.drawLine(r.bottomLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomRight());
}

Qt::Alignment alignmentOf(TextAlign align)
{
    const Qt::Alignment horizontal = align == TextAlign::Left    ? Qt::AlignLeft
                                     : align == TextAlign::Right ? Qt::AlignRight
                                                                 : Qt::AlignHCenter;
    return horizontal | Qt::AlignVCenter;
}

QString shown(const std::string& bytes)
{
    return QString::fromStdString(decodeText(bytes));
}

} // namespace

QFont TrackView::viewFont(bool bold) const
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(std::max(-m_layout.fontHeight, 1));
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

void TrackView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRect clip = event->rect();
    painter.fillRect(clip, fromColorRef(view_colors::kBackground));
    const QRect grid = gridRect();
    painter.fillRect(QRect(0, grid.top(), m_layout.numberWidth, grid.height()), fromColorRef(kViewBase));
    CSongDoc* doc = song();
    if (!doc)
        return;
    painter.setClipRect(grid.intersected(clip));
    const int count = std::min(m_selection.rowCount(), int(doc->tracks.size()));
    int paintedBottom = grid.top() + TrackRowLayout::kRulerGap;
    for (int row = m_selection.topRow() + 1; row < count; ++row) {
        const int top = m_layout.rowTop(row, m_selection.topRow());
        if (top > grid.bottom())
            break;
        paintRow(painter, row, clip);
        paintedBottom = top + m_layout.rowHeight;
    }
    painter.setPen(fromColorRef(view_colors::kGridLine));
    const int rowsTop = grid.top() + TrackRowLayout::kRulerGap;
    for (int position = 0; position < kTrackColumnCount; ++position) {
        const int x = cellLeft(position + 1) - 1;
        if (x > m_layout.numberWidth)
            painter.drawLine(x, rowsTop, x, paintedBottom - 1);
    }
}

void TrackView::paintRow(QPainter& painter, int row, const QRect& clip)
{
    const CTrack& track = *song()->tracks[size_t(row)];
    const QRect grid = gridRect();
    const QRect cells(m_layout.numberWidth, grid.top(), grid.width() - m_layout.numberWidth, grid.height());
    painter.save();
    painter.setClipRect(cells.intersected(clip));
    for (int position = 0; position < kTrackColumnCount; ++position) {
        const QRect cell = cellRect(row, position);
        if (cell.right() >= m_layout.numberWidth && cell.left() < grid.right())
            paintCell(painter, track, row, position, cell);
    }
    const bool rowMode = !m_selection.cellMode();
    if (rowMode && row == m_selection.currentRow() && hasFocus()) {
        const QRect all(m_layout.numberWidth, m_layout.rowTop(row, m_selection.topRow()),
                        cellLeft(kTrackColumnCount) - m_layout.numberWidth - 1, m_layout.rowHeight - 1);
        painter.setPen(fromColorRef(kRed));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(all);
    }
    painter.restore();
    const QRect number(0, m_layout.rowTop(row, m_selection.topRow()), m_layout.numberWidth - 1, m_layout.rowHeight);
    paintNumberCell(painter, row == m_selection.rowCount() - 1 ? nullptr : &track, row, number);
}

void TrackView::paintCell(QPainter& painter, const CTrack& track, int row, int position, const QRect& cell)
{
    const bool selected = !m_selection.cellMode() && m_selection.IsRowSelected(row, true);
    const bool current = m_selection.cellMode() && row == m_selection.currentRow()
                         && position == m_selection.currentColumn() - 1;
    const Color base = hasFocus() ? kViewBase : kUnfocusedBase;
    if (selected || current)
        fillBand(painter, cell, ShadeColor(base, 80), ShadeColor(base, 180));
    else
        fillTopDown(painter, cell, ShadeColor(ShadeColor(kUnselectedBase, 150), 220),
                    ShadeColor(kUnselectedBase, 150));
    if (current)
        frame3d(painter, cell.adjusted(0, 0, -1, -1), ShadeColor(base, 180), ShadeColor(base, 40));
    const bool last = row == m_selection.rowCount() - 1;
    if (last)
        return;
    const int column = m_columns.columnAt(position);
    const QRect text = cell.adjusted(2, 0, -2, 0);
    painter.setFont(viewFont());
    painter.setPen(fromColorRef(selected || current ? kHighlightText : Color(0)));
    const bool meta = track.type == kMetaTrack;
    if (column == kColumnIn && !meta && cell.width() > 12) {
        paintInBox(painter, track, cell);
        painter.setPen(track.recordArm > 0 ? fromColorRef(kRed) : painter.pen().color());
        painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                         QString(QChar(recordMarkChar(track))));
        return;
    }
    if (column == kColumnMix && !meta && cell.width() >= track_mix::kMinCellWidth) {
        paintMixSlider(painter, track, cell);
        return;
    }
    if (column == kColumnIn || column == kColumnMix)
        return;
    const CellText cellText = GetCellText(track, column, song()->context().synths);
    painter.drawText(text, alignmentOf(cellText.align) | Qt::TextSingleLine, shown(cellText.text));
}

void TrackView::paintInBox(QPainter& painter, const CTrack& track, const QRect& cell)
{
    const int height = cell.height() > 16 ? kInBoxWidth : cell.height();
    const QRect box(cell.left(), cell.top() + (cell.height() - height) / 2, kInBoxWidth, height);
    painter.fillRect(box, Qt::white);
    frame3d(painter, box.adjusted(0, 0, -1, -1), 0x808080, 0xFFFFFF);
    frame3d(painter, box.adjusted(1, 1, -2, -2), 0x404040, 0xC0C0C0);
    if (track.playEnabled) {
        const QImage check = trackCheck(song()->soloActive ? 3 : 1);
        painter.drawImage(QPoint(box.left() + (box.width() - check.width()) / 2,
                                 box.top() + (box.height() - check.height()) / 2),
                          check);
    }
}

// The groove's colour runs black - yellow - red with the percent; the knob
// sits where the percent puts it.
void TrackView::paintMixSlider(QPainter& painter, const CTrack& track, const QRect& cell)
{
    const int third = cell.height() / 3;
    const QRect groove = cell.adjusted(1, third, -1, -third);
    const Color color = track_mix::grooveColor(track.volume);
    painter.fillRect(groove, fromColorRef(color));
    for (int inset = 0; inset < 3; ++inset) {
        const QRect line = groove.adjusted(inset, inset, -1, -1);
        frame3d(painter, line, ShadeColor(color, int16_t(30 + 30 * inset)), color);
    }
    const QRect knob(cell.left() + track_mix::knobOffset(track.volume, cell.width()), groove.top() - 2,
                     track_mix::kKnobWidth, groove.height() + 5);
    painter.fillRect(knob, Qt::white);
    frame3d(painter, knob.adjusted(0, 0, -1, -1), 0xFFFFFF, 0x404040);
    frame3d(painter, knob.adjusted(1, 1, -2, -2), 0xE0E0E0, 0x808080);
}

// The track's colour, pressed in on a selected row; "*" names the star row.
void TrackView::paintNumberCell(QPainter& painter, const CTrack* track, int row, const QRect& cell)
{
    const Color color = track ? track->color : kViewBase;
    fillBand(painter, cell, ShadeColor(color, 80), ShadeColor(color, 180));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(cell.adjusted(0, 0, -1, -1));
    const bool selected = !m_selection.cellMode() && m_selection.IsRowSelected(row, true);
    const Color light = ShadeColor(color, 180);
    const Color dark = ShadeColor(color, 80);
    frame3d(painter, cell.adjusted(1, 1, -2, -2), selected ? dark : light, selected ? light : dark);
    painter.setFont(viewFont(row == m_selection.currentRow()));
    painter.setPen(fromColorRef(track ? track->textColor : ColorLuminance(kViewBase)));
    const QString text = track ? QString::number(row) : QStringLiteral("*");
    painter.drawText(cell.adjusted(2, 0, -3, 0), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

// The header.

TrackHeader::TrackHeader(QWidget* parent) : ListHeaderCtrl(Qt::Horizontal, parent)
{
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Interactive);
}

void TrackHeader::setCaptionFont(int pixelHeight, int boldColumn)
{
    m_pixelHeight = std::max(pixelHeight, 1);
    m_boldColumn = boldColumn;
}

void TrackHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    fillBand(*painter, rect, ShadeColor(kViewBase, 100), ShadeColor(kViewBase, 160));
    painter->setPen(fromColorRef(ShadeColor(kViewBase, 60)));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    if (logicalIndex == kColumnIn) {
        const QImage& picture = BitmapCatalog::image(bitmap_id::kTrackInHeader);
        const int side = std::min({picture.width(), rect.width() - 2, rect.height() - 2});
        if (side > 0)
            painter->drawImage(QRect(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side),
                               picture);
        painter->restore();
        return;
    }
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(m_pixelHeight);
    font.setWeight(logicalIndex == m_boldColumn ? QFont::Bold : QFont::Normal);
    painter->setFont(font);
    painter->setPen(fromColorRef(kHighlightText));
    const TrackColumnInfo& info = trackColumnInfo(logicalIndex);
    const QRect text = rect.adjusted(3, 0, -3, 0);
    const QString caption = painter->fontMetrics().elidedText(QString::fromLatin1(info.caption), Qt::ElideRight,
                                                              text.width());
    painter->drawText(text, alignmentOf(info.headerAlign) | Qt::TextSingleLine, caption);
    painter->restore();
}

} // namespace rz
