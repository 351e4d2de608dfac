// The main frame's own painting: the caption strip with the title, the
// bottom bar, the edges and the transport panel's background, drawn with
// shapes in the frame's colours.

#include "app/main_frame.h"

#include "ui/color_ref.h"
#include "ui/font_substitutions.h"
#include "ui/gui_thread.h"

#include <QLinearGradient>
#include <QPainter>

namespace rz {
namespace {

// Pixels.
constexpr int kCaptionStripHeight = 59;
constexpr int kCaptionRepaintHeight = 28;
constexpr int kCaptionRepaintRightGap = 395;
constexpr int kCaptionRightPiece = 468;
constexpr int kBottomBarHeight = 48;
constexpr int kBottomBarRightPiece = 24;
constexpr int kEdgeWidth = 4;
constexpr QSize kPanelSize{468, 212};
constexpr int kTitleLeft = 14;

// Colour references (0x00BBGGRR).
constexpr Color kBase = 0x38140C;        // the frame's dark blue
constexpr Color kBaseLight = 0x7A4A2C;
constexpr Color kClient = 0x241008;      // behind the panes
constexpr Color kActiveTitle = 0x0EF0FF; // yellow
constexpr Color kInactiveTitle = 0xA0A0A0;
constexpr Color kEdgeLight = 0xB08060;
constexpr Color kEdgeDark = 0x100804;
constexpr Color kPanelFace = 0x50200F;
constexpr Color kToolBandTop = 0xE8DCD4; // light, so the black tool images read
constexpr Color kToolBandBottom = 0xC4B0A4;

QLinearGradient verticalGradient(int top, int bottom, Color from, Color to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, fromColorRef(from));
    gradient.setColorAt(1, fromColorRef(to));
    return gradient;
}

} // namespace

QRect MainFrame::captionRect() const
{
    return {0, 0, std::max(0, width() - kCaptionRepaintRightGap), kCaptionRepaintHeight};
}

QRect MainFrame::panelRect() const
{
    return {QPoint(0, height() - kPanelSize.height()), kPanelSize};
}

void MainFrame::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    painter.fillRect(rect(), fromColorRef(kClient));
    paintCaption(painter);
    paintBottomBar(painter);
    paintEdges(painter);
    paintPanelBackground(painter);
    if (m_panelPainter)
        m_panelPainter(painter, panelRect());
}

// A dark strip with the title at the left and, behind the menu bar and the
// caption buttons, a right piece; under it a light band that carries the
// tool bar.
void MainFrame::paintCaption(QPainter& painter) const
{
    const int w = width();
    painter.fillRect(QRect(0, 0, w, kCaptionStripHeight),
                     verticalGradient(0, kCaptionStripHeight, kBaseLight, kBase));
    const QRect rightPiece(w - kCaptionRightPiece, 0, kCaptionRightPiece, kCaptionRepaintHeight);
    painter.fillRect(rightPiece, verticalGradient(0, kCaptionRepaintHeight, kBase, kBaseLight));
    const QRect toolBand(kEdgeWidth, kCaptionRepaintHeight, w - 2 * kEdgeWidth,
                         kCaptionStripHeight - kCaptionRepaintHeight - 1);
    painter.fillRect(toolBand, verticalGradient(toolBand.top(), toolBand.bottom(), kToolBandTop,
                                                kToolBandBottom));
    painter.fillRect(QRect(0, kCaptionStripHeight - 1, w, 1), fromColorRef(kEdgeDark));

    painter.setFont(programFont(QStringLiteral("Tahoma"), -13, 600));
    painter.setPen(fromColorRef(isActiveWindow() ? kActiveTitle : kInactiveTitle));
    const QRect titleBox(kTitleLeft, 0, std::max(0, w - kCaptionRightPiece - kTitleLeft),
                         kCaptionRepaintHeight);
    painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     windowTitle());
}

void MainFrame::paintBottomBar(QPainter& painter) const
{
    const int top = height() - kBottomBarHeight;
    painter.fillRect(QRect(0, top, width(), kBottomBarHeight),
                     verticalGradient(top, height(), kBase, kBaseLight));
    painter.fillRect(QRect(width() - kBottomBarRightPiece, top, kBottomBarRightPiece,
                           kBottomBarHeight),
                     fromColorRef(kBase));
    painter.fillRect(QRect(0, top, width(), 1), fromColorRef(kEdgeLight));
}

void MainFrame::paintEdges(QPainter& painter) const
{
    const int top = kCaptionStripHeight;
    const int bottom = height() - kBottomBarHeight;
    const QRect left(0, top, kEdgeWidth, bottom - top);
    const QRect right(width() - kEdgeWidth, top, kEdgeWidth, bottom - top);
    painter.fillRect(left, fromColorRef(kBase));
    painter.fillRect(right, fromColorRef(kBase));
    painter.fillRect(QRect(kEdgeWidth - 1, top, 1, bottom - top), fromColorRef(kEdgeDark));
    painter.fillRect(QRect(width() - kEdgeWidth, top, 1, bottom - top), fromColorRef(kEdgeLight));
}

void MainFrame::paintPanelBackground(QPainter& painter) const
{
    const QRect panel = panelRect();
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(fromColorRef(kEdgeLight), 1));
    painter.setBrush(verticalGradient(panel.top(), panel.bottom(), kPanelFace, kBase));
    painter.drawRoundedRect(QRectF(panel).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    painter.restore();
}

} // namespace rz
