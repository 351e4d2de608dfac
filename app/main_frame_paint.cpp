// The main frame's own painting: the caption strip with the title, the
// bottom bar, the edges and the transport panel's background, drawn with
// shapes in the frame's colours.

#include "app/main_frame.h"

#include "ui/color_ref.h"
#include "ui/font_substitutions.h"
#include "ui/gui_thread.h"

#include <QLinearGradient>
#include <QPaintEvent>
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

// One rectangle of the update region at a time: under a clip of several
// rectangles the raster engine splits each fill and pixmap into pieces for
// Qt's pooled threads, and waking them cost more than the drawing.
void MainFrame::paintEvent(QPaintEvent* event)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    for (const QRect& rect : event->region()) {
        painter.setClipRect(rect);
        paintDirty(painter, QRegion(rect));
    }
}

// Only the steps under the update region run: a transport field that
// changed repaints its own rectangle, not the whole frame. The caption
// strip, bottom bar and panel face are drawn once per size into pixmaps.
void MainFrame::paintDirty(QPainter& painter, const QRegion& dirty)
{
    painter.fillRect(dirty.boundingRect(), fromColorRef(kClient));
    if (dirty.intersects(QRect(0, 0, width(), kCaptionStripHeight)))
        paintCaption(painter);
    if (dirty.intersects(QRect(0, height() - kBottomBarHeight, width(), kBottomBarHeight)))
        paintBottomBar(painter);
    paintEdges(painter);
    const QRect panel = panelRect();
    if (!dirty.intersects(panel))
        return;
    paintPanelBackground(painter);
    // The panel painter reads the clip to skip the fields outside it.
    if (m_panelPainter)
        m_panelPainter(painter, panel);
}

// A pixmap of `size` at the widget's pixel ratio, made again only when the
// size or ratio changed; `draw` paints it.
const QPixmap& MainFrame::cachedPiece(QPixmap& piece, QSize size,
                                      const std::function<void(QPainter&)>& draw) const
{
    const qreal ratio = devicePixelRatioF();
    if (piece.isNull() || piece.deviceIndependentSize().toSize() != size || piece.devicePixelRatio() != ratio) {
        piece = QPixmap(size * ratio);
        piece.setDevicePixelRatio(ratio);
        piece.fill(Qt::transparent);
        QPainter painter(&piece);
        draw(painter);
    }
    return piece;
}

// A dark strip with the title at the left and, behind the menu bar and the
// caption buttons, a right piece; under it a light band that carries the
// tool bar.
void MainFrame::paintCaption(QPainter& painter) const
{
    const int w = width();
    painter.drawPixmap(0, 0, cachedPiece(m_paintCache.caption, QSize(w, kCaptionStripHeight), [w](QPainter& p) {
        p.fillRect(QRect(0, 0, w, kCaptionStripHeight),
                   verticalGradient(0, kCaptionStripHeight, kBaseLight, kBase));
        const QRect rightPiece(w - kCaptionRightPiece, 0, kCaptionRightPiece, kCaptionRepaintHeight);
        p.fillRect(rightPiece, verticalGradient(0, kCaptionRepaintHeight, kBase, kBaseLight));
        const QRect toolBand(kEdgeWidth, kCaptionRepaintHeight, w - 2 * kEdgeWidth,
                             kCaptionStripHeight - kCaptionRepaintHeight - 1);
        p.fillRect(toolBand, verticalGradient(toolBand.top(), toolBand.bottom(), kToolBandTop,
                                              kToolBandBottom));
        p.fillRect(QRect(0, kCaptionStripHeight - 1, w, 1), fromColorRef(kEdgeDark));
    }));
    paintTitle(painter);
}

// The title is laid out again only when it or the font changed.
void MainFrame::paintTitle(QPainter& painter) const
{
    const QFont font = programFont(QStringLiteral("Tahoma"), -13, 600);
    QStaticText& title = m_paintCache.title;
    if (title.text() != windowTitle() || m_paintCache.titleFont != font) {
        title.setText(windowTitle());
        title.setTextFormat(Qt::PlainText);
        title.prepare(QTransform(), font);
        m_paintCache.titleFont = font;
    }
    const QRect titleBox(kTitleLeft, 0, std::max(0, width() - kCaptionRightPiece - kTitleLeft),
                         kCaptionRepaintHeight);
    painter.save();
    painter.setClipRect(titleBox, Qt::IntersectClip);
    painter.setFont(font);
    painter.setPen(fromColorRef(isActiveWindow() ? kActiveTitle : kInactiveTitle));
    const qreal top = titleBox.top() + (titleBox.height() - title.size().height()) / 2;
    painter.drawStaticText(QPointF(titleBox.left(), top), title);
    painter.restore();
}

void MainFrame::paintBottomBar(QPainter& painter) const
{
    const int w = width();
    const QSize size(w, kBottomBarHeight);
    painter.drawPixmap(0, height() - kBottomBarHeight, cachedPiece(m_paintCache.bottomBar, size, [w](QPainter& p) {
        p.fillRect(QRect(0, 0, w, kBottomBarHeight), verticalGradient(0, kBottomBarHeight, kBase, kBaseLight));
        p.fillRect(QRect(w - kBottomBarRightPiece, 0, kBottomBarRightPiece, kBottomBarHeight),
                   fromColorRef(kBase));
        p.fillRect(QRect(0, 0, w, 1), fromColorRef(kEdgeLight));
    }));
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
    painter.drawPixmap(panelRect().topLeft(), cachedPiece(m_paintCache.panel, kPanelSize, [](QPainter& p) {
        const QRect panel(QPoint(0, 0), kPanelSize);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(fromColorRef(kEdgeLight), 1));
        p.setBrush(verticalGradient(panel.top(), panel.bottom(), kPanelFace, kBase));
        p.drawRoundedRect(QRectF(panel).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
    }));
}

} // namespace rz
