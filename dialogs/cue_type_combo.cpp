#include "dialogs/cue_type_combo.h"

#include "song/cue.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace rz {
namespace {

constexpr Color kItemBackground = 0xD1CCCE;
constexpr Color kSelectedBackground = 0x38140C;
constexpr Color kSelectedText = 0x0EF0FF;
constexpr int kTextIndent = 4;

// Colours are stored red in the low byte.
QColor qcolor(Color c)
{
    return QColor(colorRed(c), colorGreen(c), colorBlue(c));
}

CueFlagPaintHook& hookSlot()
{
    static CueFlagPaintHook hook;
    return hook;
}

void paintFlag(QPainter& painter, const QRect& rect, int kind, Color color)
{
    if (const CueFlagPaintHook& hook = hookSlot()) {
        hook(painter, rect, kind, color);
        return;
    }
    painter.fillRect(rect.adjusted(2, 2, -2, -2), qcolor(color));
}

class CueItemDelegate : public QStyledItemDelegate {
public:
    explicit CueItemDelegate(CueTypeCombo& combo) : QStyledItemDelegate(&combo), m_combo(combo) {}

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width() + CueTypeCombo::kFlagWidth,
                CueTypeCombo::kItemHeight};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        if (!index.isValid())
            return;
        const int kind = index.data(Qt::UserRole).toInt();
        const QRect rect = option.rect;
        painter->save();
        painter->fillRect(rect, qcolor(kItemBackground));
        paintFlag(*painter, QRect(rect.left(), rect.top(), CueTypeCombo::kFlagWidth, rect.height()),
                  kind, m_combo.colorOf(kind));
        QRect textRect = rect.adjusted(CueTypeCombo::kFlagWidth, 0, 0, 0);
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(textRect, selected ? qcolor(kSelectedBackground)
                                             : option.palette.color(QPalette::Base));
        painter->setPen(selected ? qcolor(kSelectedText) : option.palette.color(QPalette::Text));
        textRect.setLeft(textRect.left() + kTextIndent);
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

private:
    CueTypeCombo& m_combo;
};

} // namespace

void setCueFlagPaintHook(CueFlagPaintHook hook)
{
    hookSlot() = std::move(hook);
}

const CueFlagPaintHook& cueFlagPaintHook()
{
    return hookSlot();
}

CueTypeCombo::CueTypeCombo(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new CueItemDelegate(*this));
}

void CueTypeCombo::FillCueTypes()
{
    for (int kind = 0; kind < kCueKindCount; ++kind) {
        if (kind == kCueUnused7)
            continue;
        addItem(QString::fromUtf8(kCueKindNames[size_t(kind)]), kind);
    }
}

// The closed box shows the chosen kind as the list draws it.
void CueTypeCombo::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const int kind = kindAt(currentIndex());
    if (kind < 0)
        return;
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    paintFlag(painter, QRect(field.left(), field.top(), kFlagWidth, field.height()), kind,
              colorOf(kind));
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled,
                                   QPalette::ButtonText));
    painter.drawText(field.adjusted(kFlagWidth + kTextIndent, 0, 0, 0),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, currentText());
}

int CueTypeCombo::kindAt(int index) const
{
    return index < 0 ? -1 : itemData(index).toInt();
}

void CueTypeCombo::setColorSource(std::function<Color(int)> source)
{
    m_colors = std::move(source);
    if (view())
        view()->viewport()->update();
}

Color CueTypeCombo::colorOf(int kind) const
{
    return m_colors ? m_colors(kind) : Color(0xFFFFFF);
}

} // namespace rz
