// The slider view's painting: the kept background with its border and
// caption box, the choice's name, the dragged fader's value and the track
// numbers under the faders. GUI thread.

#include "views/slider/slider_view.h"

#include "core/midi_bytes.h"
#include "core/text_codec.h"
#include "song/song_doc.h"
#include "ui/bitmap_catalog.h"
#include "ui/color_ref.h"
#include "ui/cool_slider.h"
#include "ui/font_substitutions.h"
#include "ui/frame_3d.h"
#include "ui/gui_thread.h"

#include <QPainter>

#include <cstdio>

namespace rz {
namespace {

constexpr Color kSliderBackground = 0x303030;
constexpr Color kCaptionLight = 0x808080;
constexpr Color kCaptionDark = 0x4F4F4F;
constexpr Color kCaptionText = 0x00FF00;
constexpr Color kNumberText = 0x808080;
constexpr Color kNumberLight = 0xC0C0C0;
constexpr int kCorner = 16;
constexpr int kEdge = 8;
// The track number box under each fader.
constexpr int kNumberLeft = 117;
constexpr int kNumberWidth = 24;
constexpr int kNumberTop = 27; // above the bottom
constexpr int kNumberBottom = 9;

// Corners from the picture's corners, edges stretched from the tiles at
// the middle of its sides.
void paintBorder(QPainter& painter, const QRect& area)
{
    const QImage& border = BitmapCatalog::image(bitmap_id::kSliderBorder);
    if (border.isNull() || area.width() < 2 * kCorner || area.height() < 2 * kCorner)
        return;
    const int bw = border.width();
    const int bh = border.height();
    const int w = area.width();
    const int h = area.height();
    painter.drawImage(QRect(0, 0, kCorner, kCorner), border, QRect(0, 0, kCorner, kCorner));
    painter.drawImage(QRect(w - kCorner, 0, kCorner, kCorner), border, QRect(bw - kCorner, 0, kCorner, kCorner));
    painter.drawImage(QRect(0, h - kCorner, kCorner, kCorner), border, QRect(0, bh - kCorner, kCorner, kCorner));
    painter.drawImage(QRect(w - kCorner, h - kCorner, kCorner, kCorner), border,
                      QRect(bw - kCorner, bh - kCorner, kCorner, kCorner));
    const int midX = (bw - kEdge) / 2;
    const int midY = (bh - kEdge) / 2;
    painter.drawImage(QRect(kCorner, 0, w - 2 * kCorner, kEdge), border, QRect(midX, 0, kEdge, kEdge));
    painter.drawImage(QRect(kCorner, h - kEdge, w - 2 * kCorner, kEdge), border, QRect(midX, bh - kEdge, kEdge, kEdge));
    painter.drawImage(QRect(0, kCorner, kEdge, h - 2 * kCorner), border, QRect(0, midY, kEdge, kEdge));
    painter.drawImage(QRect(w - kEdge, kCorner, kEdge, h - 2 * kCorner), border, QRect(bw - kEdge, midY, kEdge, kEdge));
}

} // namespace

void SliderView::paintBackground()
{
    m_back = QPixmap(size());
    m_back.fill(fromColorRef(kSliderBackground));
    QPainter painter(&m_back);
    paintBorder(painter, rect());
    painter.fillRect(kCaptionRect, Qt::black);
    draw3dRect(painter, kCaptionRect, kCaptionLight, kCaptionDark);
}

void SliderView::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    if (m_back.size() != size())
        paintBackground();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_back);
    painter.setFont(programFont(QStringLiteral("OCR A Extended"), -10));
    painter.setPen(fromColorRef(kCaptionText));
    painter.drawText(kCaptionRect.adjusted(4, 4, -4, -4), Qt::AlignLeft | Qt::AlignTop,
                     QString::fromStdString(slider_choice::name(m_choice)));
    paintValueText(painter);
    paintTrackNumbers(painter);
}

// "Tk 3: Bass" over "  64 (50%)"; a pitch wheel's value is shown about
// its centre.
void SliderView::paintValueText(QPainter& painter)
{
    const CSongDoc* doc = song();
    if (!doc || m_dragIndex < 0 || size_t(m_dragIndex) >= m_model.size())
        return;
    const size_t i = size_t(m_dragIndex);
    const int row = m_model.rows()[i];
    const int value = m_model.value(i);
    const int shown = midi::statusOf(m_choice) == midi::kPitchBend ? value - 64 : value;
    const std::string name = decodeText(doc->tracks[size_t(row)]->name);
    char text[160];
    std::snprintf(text, sizeof text, "Tk %d: %.100s\n  %d (%d%%)", row, name.c_str(), shown,
                  value * 100 / SliderModel::kMaxValue);
    painter.drawText(kValueRect, Qt::AlignLeft | Qt::AlignTop, QString::fromUtf8(text));
}

void SliderView::paintTrackNumbers(QPainter& painter)
{
    painter.setFont(programFont(QStringLiteral("Verdana"), -10));
    painter.setPen(fromColorRef(kNumberText));
    const int top = height() - kNumberTop;
    const int boxHeight = kNumberTop - kNumberBottom;
    for (size_t i = 0; i < m_model.size() && i < m_faders.size(); ++i) {
        const QRect box(kNumberLeft + kFaderPitch * int(i) + 1, top, kNumberWidth, boxHeight);
        draw3dRect(painter, box, kNumberLight, 0x000000);
        painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, QString::number(m_model.rows()[i]));
    }
}

} // namespace rz
