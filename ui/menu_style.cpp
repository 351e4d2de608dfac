#include "ui/menu_style.h"

#include "ui/color_ref.h"
#include "ui/font_substitutions.h"
#include "ui/frame_3d.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOptionMenuItem>

namespace rz {
namespace {

constexpr int kTextGap = 3;        // pixels between the square and the text
constexpr int kRightMargin = 18;   // room for a sub-menu arrow after the key text
constexpr int kSeparatorHeight = 9;
constexpr Color kEdgeLight = 0xFFFFFF;
constexpr Color kEdgeDark = 0x808080;
constexpr Color kBarText = 0xFFFFFF;
constexpr Color kBarHot = 0x5A3018; // the caption's blue, lighter

// Splits "label\tkey".
std::pair<QString, QString> splitText(const QString& text)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return {text, {}};
    return {text.left(tab), text.mid(tab + 1)};
}

void drawMenuCheck(QPainter& painter, const QRect& square, bool radio, const QColor& colour)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, 2));
    painter.setBrush(colour);
    const QPoint c = square.center();
    if (radio)
        painter.drawEllipse(c, 2, 2);
    else
        painter.drawPolyline(QPolygon({c + QPoint(-4, 0), c + QPoint(-1, 3), c + QPoint(4, -3)}));
    painter.restore();
}

} // namespace

MenuStyle::MenuStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

MenuStyle* MenuStyle::instance()
{
    static QPointer<MenuStyle> style;
    if (!style) {
        style = new MenuStyle;
        style->setParent(qApp);
    }
    return style;
}

QFont MenuStyle::menuFont()
{
    return programFont(QStringLiteral("Tahoma"), -11);
}

void MenuStyle::drawControl(ControlElement element, const QStyleOption* option,
                            QPainter* painter, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuItem && item) {
        drawMenuItem(*item, *painter);
        return;
    }
    if (element == CE_MenuBarItem && item) {
        drawMenuBarItem(*item, *painter);
        return;
    }
    if (element == CE_MenuBarEmptyArea)
        return; // the frame's caption shows through
    QProxyStyle::drawControl(element, option, painter, widget);
}

void MenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const
{
    if (element == PE_PanelMenuBar)
        return;
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void MenuStyle::drawMenuBarItem(const QStyleOptionMenuItem& item, QPainter& painter) const
{
    const bool hot = item.state & (State_Selected | State_Sunken);
    if (hot)
        painter.fillRect(item.rect, fromColorRef(kBarHot));
    painter.setPen(fromColorRef(hot ? kSelectionTextColor : kBarText));
    painter.setFont(item.font);
    painter.drawText(item.rect, Qt::AlignCenter | Qt::TextShowMnemonic | Qt::TextSingleLine,
                     item.text);
}

void MenuStyle::drawMenuItem(const QStyleOptionMenuItem& item, QPainter& painter) const
{
    const QRect& r = item.rect;
    painter.fillRect(r, item.palette.color(QPalette::Window));
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        const int y = r.center().y();
        painter.fillRect(QRect(r.left() + 1, y, r.width() - 2, 1), fromColorRef(kEdgeDark));
        painter.fillRect(QRect(r.left() + 1, y + 1, r.width() - 2, 1), fromColorRef(kEdgeLight));
        return;
    }
    const bool selected = item.state & State_Selected;
    const bool checked = item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked;
    const bool square = !item.icon.isNull() || checked;
    if (selected)
        painter.fillRect(r.adjusted(square ? kButtonSize : 0, 0, 0, 0),
                         fromColorRef(kSelectionColor));
    drawImageSquare(item, painter);
    drawItemText(item, painter);
}

// The command's image, or a check mark, in a button-sized square with an
// edge while selected or checked.
void MenuStyle::drawImageSquare(const QStyleOptionMenuItem& item, QPainter& painter) const
{
    const bool selected = item.state & State_Selected;
    const bool checked = item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked;
    const bool hasImage = !item.icon.isNull();
    const QRect square(item.rect.left(), item.rect.top(), kButtonSize, item.rect.height());
    if (checked && !selected)
        painter.fillRect(square, fromColorRef(kCheckedSquareColor));
    if ((hasImage || checked) && (selected || checked))
        draw3dRect(painter, square, checked ? kEdgeDark : kEdgeLight,
                   checked ? kEdgeLight : kEdgeDark);
    if (hasImage) {
        const bool enabled = item.state & State_Enabled;
        const QPixmap image =
            item.icon.pixmap(QSize(16, 16), enabled ? QIcon::Normal : QIcon::Disabled);
        painter.drawPixmap(square.center() - QPoint(7, 7), image);
    } else if (checked) {
        drawMenuCheck(painter, square, item.checkType == QStyleOptionMenuItem::Exclusive,
                      selected ? fromColorRef(kSelectionTextColor) : QColor(Qt::black));
    }
}

// The label after the square, the key text right-aligned, a sub-menu arrow.
void MenuStyle::drawItemText(const QStyleOptionMenuItem& item, QPainter& painter) const
{
    QColor colour = item.palette.color(QPalette::WindowText);
    if (!(item.state & State_Enabled))
        colour = item.palette.color(QPalette::Disabled, QPalette::WindowText);
    else if (item.state & State_Selected)
        colour = fromColorRef(kSelectionTextColor);
    const QRect& r = item.rect;
    const auto [label, key] = splitText(item.text);
    const QRect textBox = r.adjusted(kButtonSize + kTextGap, 0, -kRightMargin, 0);
    painter.setPen(colour);
    painter.setFont(item.font);
    painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, label);
    if (!key.isEmpty())
        painter.drawText(textBox, Qt::AlignRight | Qt::AlignVCenter, key);
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
        QStyleOption arrow(item);
        arrow.rect = QRect(r.right() - kRightMargin + 4, r.top(), kRightMargin - 6, r.height());
        arrow.palette.setColor(QPalette::ButtonText, colour);
        QProxyStyle::drawPrimitive(PE_IndicatorArrowRight, &arrow, &painter, nullptr);
    }
}

QSize MenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                  const QSize& size, const QWidget* widget) const
{
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item)
        return QProxyStyle::sizeFromContents(type, option, size, widget);
    // QMenu drops an item whose size is empty, so a separator is 1 wide.
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
        return {1, kSeparatorHeight};
    const QFontMetrics metrics(item->font);
    const auto [label, key] = splitText(item->text);
    QString plain = label;
    plain.remove(QLatin1Char('&'));
    const int keyWidth = key.isEmpty() ? 0 : metrics.horizontalAdvance(key) + 2 * kTextGap;
    const int width =
        metrics.horizontalAdvance(plain) + keyWidth + 2 * kButtonSize + 6 + kRightMargin;
    const int height = std::max(metrics.height() + 4, kButtonSize);
    return {width, height};
}

} // namespace rz
