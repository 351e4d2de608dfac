#include "set/ui/lyric_print.h"

#include "ui/font_substitutions.h"

#include <QPagedPaintDevice>
#include <QPainter>

namespace rz {

namespace {

constexpr double kHundredthsPerInch = 2540.0;

QFont printFont(const LyricFont& font)
{
    QFont qfont = programFont(QString::fromStdString(font.face), -font.height, font.weight);
    qfont.setItalic(font.italic);
    qfont.setUnderline(font.underline);
    return qfont;
}

// Maps the device's pixels onto hundredths of a millimetre, y downwards.
void mapHundredths(QPainter& painter, const LyricPrintPlan& plan)
{
    painter.setWindow(0, 0, plan.pageWidth, plan.pageHeight);
}

} // namespace

LyricPrintInput lyricPrintPage(const QPagedPaintDevice& device, LyricPrintInput input)
{
    input.pageWidth = int(double(device.width()) * kHundredthsPerInch / std::max(device.logicalDpiX(), 1));
    input.pageHeight = int(double(device.height()) * kHundredthsPerInch / std::max(device.logicalDpiY(), 1));
    return input;
}

void paintLyricPage(QPainter& painter, const LyricPrintPlan& plan, int page)
{
    if (page < 0 || size_t(page) >= plan.pages.size())
        return;
    const int far = plan.pageWidth + plan.pageHeight;
    for (const LyricPrintText& text : plan.pages[size_t(page)].texts) {
        painter.setFont(printFont(text.font));
        const QString shown = QString::fromStdString(text.text);
        QRect box;
        int flags = Qt::AlignTop | Qt::TextDontClip;
        if (text.width > 0) {
            box = QRect(text.x, text.y, text.width, far);
            flags |= Qt::AlignHCenter;
        } else if (text.align == 2) {
            box = QRect(text.x - far, text.y, far, far);
            flags |= Qt::AlignRight | Qt::TextSingleLine;
        } else if (text.align == 1) {
            box = QRect(text.x - far / 2, text.y, far, far);
            flags |= Qt::AlignHCenter | Qt::TextSingleLine;
        } else {
            box = QRect(text.x, text.y, far, far);
            flags |= Qt::AlignLeft | Qt::TextSingleLine;
        }
        painter.drawText(box, flags, shown);
    }
}

bool printLyricPlan(const LyricPrintPlan& plan, QPagedPaintDevice& device)
{
    // "Times" and the lyric faces resolve through the program's font table.
    installFontSubstitutions();
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setPen(Qt::black);
    for (size_t page = 0; page < plan.pages.size(); ++page) {
        if (page > 0 && !device.newPage()) {
            painter.end();
            return false;
        }
        mapHundredths(painter, plan);
        paintLyricPage(painter, plan, int(page));
    }
    return painter.end();
}

} // namespace rz
