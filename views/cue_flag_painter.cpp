#include "views/cue_flag_painter.h"

#include "song/cue.h"
#include "ui/color_ref.h"
#include "ui/cue_images.h"
#include "ui/font_substitutions.h"
#include "ui/frame_3d.h"
#include "views/time_axis.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace rz {
namespace {

constexpr int kLabelIndent = 16;
constexpr int kSpanLines = 4;
constexpr int16_t kBorderLight = 180;
constexpr int16_t kBorderDark = 60;
constexpr int16_t kSpanShade = 120; // unchanged, then 10 darker a line
constexpr int kHandle = 5;

// A resize tracker with its handles inside the rectangle.
void drawTracker(QPainter& painter, const QRect& rect)
{
    painter.save();
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
    const int size = std::min({kHandle, rect.width(), rect.height()});
    const int xs[] = {rect.left(), rect.left() + (rect.width() - size) / 2, rect.right() - size + 1};
    const int ys[] = {rect.top(), rect.top() + (rect.height() - size) / 2, rect.bottom() - size + 1};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (i != 1 || j != 1)
                painter.fillRect(QRect(xs[i], ys[j], size, size), Qt::black);
    painter.restore();
}

// A flag `width` wide for times at x1 and x2; one that would start left of
// `pinLeft` starts at 0 and keeps its span to the right.
QRect flagRectPinned(int width, int x1, int x2, int top, int pinLeft)
{
    const int64_t low = std::min(x1, x2);
    const int64_t high = std::max(x1, x2);
    int64_t left = low - 8;
    int64_t right = std::max(left + width, high + 8);
    if (left < pinLeft) {
        right += 8 - low;
        left = 0;
    }
    right = std::min<int64_t>(right, INT32_MAX);
    left = std::min(left, right);
    return QRect(QPoint(int(left), top), QPoint(int(right) - 1, top + CueFlagPainter::kFlagHeight - 1));
}

} // namespace

QFont CueFlagPainter::flagFont()
{
    QFont font = programFont("Arial", -15, 400);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

int CueFlagPainter::GetFlagWidth(const CCue& cue, const QFontMetrics& metrics)
{
    const std::string label = cue.GetLabel();
    if (label.empty())
        return kEmptyWidth;
    return metrics.horizontalAdvance(QString::fromStdString(label)) + kLabelExtra;
}

QRect CueFlagPainter::GetFlagRect(const CCue& cue, const QFontMetrics& metrics, int x1, int x2, int top)
{
    return flagRectPinned(GetFlagWidth(cue, metrics), x1, x2, top, -5);
}

bool CueFlagPainter::isSelected(const CCue& cue, uint32_t selectionStamp)
{
    return cue.selectedState == 1 || (cue.selectedState >= 0 && cue.selectionStamp == selectionStamp);
}

QRect CueFlagPainter::GetFlagRect(const CCue& cue, const QFontMetrics& metrics, int x1, int x2, int top,
                                  int plotLeft)
{
    // Beside a margin no part of the flag may hide under it.
    return flagRectPinned(GetFlagWidth(cue, metrics), clampToInt(int64_t(x1) - plotLeft),
                          clampToInt(int64_t(x2) - plotLeft), top, 0)
        .translated(plotLeft, 0);
}

std::vector<QRect> CueFlagPainter::flagRects(const CueList& cues, const TimeAxis& axis, int top, int plotLeft)
{
    return flagRects(cues, [&axis](int32_t tick) { return axis.xOfTick(tick); }, top, plotLeft);
}

std::vector<QRect> CueFlagPainter::flagRects(const CueList& cues, const std::function<int(int32_t)>& xOfTick, int top,
                                             int plotLeft)
{
    const QFontMetrics metrics(flagFont());
    std::vector<QRect> rects;
    rects.reserve(cues.size());
    for (const auto& cue : cues)
        rects.push_back(GetFlagRect(*cue, metrics, xOfTick(cue->secondTime), xOfTick(cue->time), top, plotLeft));
    return rects;
}

void CueFlagPainter::DrawFlag(QPainter& painter, const CCue& cue, const QRect& flag, int x1, int x2,
                              uint32_t selectionStamp, Color fill, Color text)
{
    painter.save();
    painter.fillRect(flag, fromColorRef(fill));
    drawCueImage(painter, QPoint(flag.left() + 2, flag.top() - 1), validCueKind(cue.kind) + kCueImageOfKind0);
    const std::string label = cue.GetLabel();
    if (!label.empty()) {
        const QFont font = flagFont();
        const QFontMetrics metrics(font);
        const QRect textRect = flag.adjusted(kLabelIndent, -1, 0, -1);
        painter.setFont(font);
        painter.setPen(fromColorRef(text));
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                         metrics.elidedText(QString::fromStdString(label), Qt::ElideRight,
                                            std::max(textRect.width(), 0)));
    }
    const Color dark = ShadeColor(fill, kBorderDark);
    draw3dRect(painter, flag, ShadeColor(fill, kBorderLight), dark);
    if (x2 >= x1) {
        const int bottom = flag.bottom() + 1;
        for (int i = 0; i < kSpanLines; ++i) {
            painter.setPen(fromColorRef(ShadeColor(fill, int16_t(kSpanShade - 10 * i))));
            // The end point is left out, as a line to it always was.
            if (x2 + 2 - i >= x1 - 3 + i)
                painter.drawLine(x1 - 3 + i, bottom - 1 + i, x2 + 2 - i, bottom - 1 + i);
        }
        painter.setPen(fromColorRef(dark));
        painter.drawLine(x2, bottom + 2, x2 + 3, bottom - 1);
    }
    if (isSelected(cue, selectionStamp))
        drawTracker(painter, flag);
    painter.restore();
}

void CueFlagPainter::DrawFlag(QPainter& painter, const CCue& cue, const QRect& flag, int x1, int x2,
                              uint32_t selectionStamp, const ISongDisplayOptions& options,
                              const ITransportLink& engine)
{
    Color fill = 0;
    Color text = 0;
    cue.GetColors(options, engine, fill, text);
    DrawFlag(painter, cue, flag, x1, x2, selectionStamp, fill, text);
}

void CueFlagPainter::paintKindSample(QPainter& painter, const QRect& cell, int kind, Color color)
{
    CCue cue;
    cue.kind = validCueKind(kind);
    cue.selectedState = -1;
    const int x = cell.left() + 8;
    const QFontMetrics metrics(flagFont());
    const QRect flag = GetFlagRect(cue, metrics, x, x, cell.top() + 1);
    painter.save();
    painter.setClipRect(cell);
    DrawFlag(painter, cue, flag, x, x, 0, color, ColorLuminance(color));
    painter.restore();
}

} // namespace rz
