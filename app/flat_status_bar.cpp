#include "app/flat_status_bar.h"

#include "ui/font_substitutions.h"
#include "ui/gui_thread.h"

#include <QPainter>

#include <algorithm>

namespace rz {

FlatStatusBar::FlatStatusBar(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(programFont(QStringLiteral("Verdana"), -15));
}

void FlatStatusBar::setPartText(int index, const QString& text)
{
    if (index < 0 || index >= kParts || m_texts[size_t(index)] == text)
        return;
    m_texts[size_t(index)] = text;
    update(partRect(index));
}

QString FlatStatusBar::partText(int index) const
{
    return index >= 0 && index < kParts ? m_texts[size_t(index)] : QString();
}

QRect FlatStatusBar::partRect(int index) const
{
    if (index < 0 || index >= kParts)
        return {};
    const int cx = width();
    auto endOf = [cx](int i) {
        return i == kParts - 1 ? cx : std::max(0, cx - kPartEndsFromRight[i]);
    };
    const int left = index == 0 ? 0 : endOf(index - 1);
    const int right = std::max(left, endOf(index));
    return {left, 0, right - left, height()};
}

void FlatStatusBar::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    painter.setPen(Qt::white);
    painter.setFont(font());
    for (int i = 0; i < kParts; ++i) {
        const QRect box = partRect(i).adjusted(kTextInset, kTextInset, -kTextInset, 0);
        if (box.width() <= 0)
            continue;
        painter.setClipRect(box); // a long text stops at its part
        painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         m_texts[size_t(i)]);
    }
}

} // namespace rz
