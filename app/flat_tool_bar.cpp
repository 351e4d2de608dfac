#include "app/flat_tool_bar.h"

#include "res/command_ids.h"
#include "ui/color_ref.h"
#include "ui/command_router.h"
#include "ui/command_text.h"
#include "ui/flat_combo_box_ex.h"
#include "ui/font_substitutions.h"
#include "ui/frame_3d.h"
#include "ui/gui_thread.h"
#include "ui/status_prompt.h"
#include "ui/tool_images.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCursor>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QToolTip>

namespace rz {
namespace {

using ItemKind = ToolBarItemData::Kind;

constexpr ToolBarItemData button(CommandId id, int image)
{
    return {ItemKind::Button, id, image};
}
constexpr ToolBarItemData kSeparator{ItemKind::Separator, 0, -1};
constexpr ToolBarItemData placeholder(CommandId id)
{
    return {ItemKind::Placeholder, id, -1};
}

constexpr ToolBarItemData kItems[] = {
    button(kIdEditMode, 33), button(kIdPerformanceMode, 31), button(kIdMidiReset, 32), kSeparator,
    button(kIdFileNew, 17), button(kIdFileOpen, 18), button(kIdFileSave, 30), button(kIdSaveAll, 19),
    button(kIdFilePrint, 20), kSeparator,
    button(kIdEditCut, 21), button(kIdEditCopy, 22), button(kIdEditPaste, 23), button(kIdEditUndo, 24),
    button(kIdEditRedo, 25), kSeparator,
    button(kIdSelect, 0), button(kIdDraw, 1), kSeparator,
    button(kIdDrawLines, 2), button(kIdDrawFreeHand, 3), kSeparator,
    button(kIdTextChords, 4), button(kIdPedal, 5), button(kIdWedge, 6), button(kIdWholeNote, 7), button(kIdHalfNote, 8),
    button(kIdQuarterNote, 9), button(kIdEighthNote, 10), button(kIdSixteenthNote, 11), button(kIdThirtySecondNote, 12), kSeparator,
    button(kIdDotted, 13), button(kIdTriplet, 14), button(kIdAccidental, 15), kSeparator,
    placeholder(FlatToolBar::kDurationFieldId), kSeparator,
    button(kIdGrid, 16), placeholder(FlatToolBar::kGridBoxId), kSeparator,
    button(kIdBouncingBall, 26), button(kIdHighlightSyllables, 27), button(kIdHighlightLines, 28), button(kIdShowObjectGrid, 29),
};
static_assert(std::size(kItems) == 45);

constexpr int kFirstHiddenItem = 41; // the four lyric highlight styles
constexpr int kPerformanceModeIndex = 1;
constexpr int kPerformanceImage = 31;
constexpr int kPerformancePressedImage = 34;
constexpr Color kLight = 0xFFFFFF;
constexpr Color kShadow = 0x808080;

} // namespace

std::span<const ToolBarItemData> FlatToolBar::itemTable()
{
    return kItems;
}

int FlatToolBar::imageOf(CommandId id)
{
    for (const ToolBarItemData& data : kItems)
        if (data.kind == ItemKind::Button && data.id == id)
            return data.image;
    return -1;
}

FlatToolBar::FlatToolBar(CommandRouter& router, QWidget* parent)
    : QWidget(parent), m_router(router)
{
    setMouseTracking(true);
    int index = 0;
    for (const ToolBarItemData& data : kItems) {
        Item item{data, nullptr, {}};
        if (data.kind == ItemKind::Button) {
            item.action = new QAction(this);
            item.action->setData(data.id);
            item.action->setVisible(index < kFirstHiddenItem);
            connect(item.action, &QAction::changed, this, [this] {
                layoutItems();
                update();
            });
        }
        m_items.push_back(item);
        ++index;
    }

    m_duration = new QLineEdit(this);
    m_duration->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_duration));
    m_duration->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_duration->setFont(programFont(QStringLiteral("Arial"), 16));
    m_duration->setToolTip(commandTipText(kDurationFieldId));
    m_duration->installEventFilter(this);

    m_grid = new FlatComboBoxEx(this);
    m_grid->setToolTip(commandTipText(kGridBoxId));
    m_grid->installEventFilter(this);
    // The list takes the pointer while open, so the box may never see it leave.
    m_grid->view()->window()->installEventFilter(this);
    layoutItems();
}

QSize FlatToolBar::sizeHint() const
{
    int width = 0;
    for (const Item& item : m_items)
        width = std::max(width, item.rect.right() + 1);
    return {width, kButtonHeight + 5};
}

QAction* FlatToolBar::action(CommandId id) const
{
    for (const Item& item : m_items)
        if (item.action && item.data.id == id)
            return item.action;
    return nullptr;
}

bool FlatToolBar::isItemHidden(int index) const
{
    const Item& item = m_items[size_t(index)];
    return item.action && !item.action->isVisible();
}

QRect FlatToolBar::itemRect(int index) const
{
    return m_items[size_t(index)].rect;
}

int FlatToolBar::shownImage(int index) const
{
    if (index == kPerformanceModeIndex)
        return m_pressed ? kPerformancePressedImage : kPerformanceImage;
    return m_items[size_t(index)].data.image;
}

int FlatToolBar::itemAt(QPoint point) const
{
    for (int i = 0; i < itemCount(); ++i)
        if (m_items[size_t(i)].rect.contains(point))
            return i;
    return -1;
}

void FlatToolBar::setPressed(bool on)
{
    if (on == m_pressed)
        return;
    m_pressed = on;
    if (QAction* editMode = action(kEditModeId))
        editMode->setEnabled(!on);
    update();
}

// Hidden buttons take no room; the two child controls sit over their
// place-holders, the grid box reaching 100 pixels further.
void FlatToolBar::layoutItems()
{
    const int top = std::max(0, (height() - kButtonHeight) / 2);
    int x = 0;
    for (int i = 0; i < itemCount(); ++i) {
        Item& item = m_items[size_t(i)];
        int width = kButtonWidth;
        if (item.data.kind == ItemKind::Separator)
            width = kSeparatorWidth;
        else if (item.data.kind == ItemKind::Placeholder)
            width = kPlaceholderWidth;
        if (isItemHidden(i)) {
            item.rect = QRect();
            continue;
        }
        item.rect = QRect(x, top, width, kButtonHeight);
        x += width;
        if (item.data.id == kDurationFieldId && m_duration)
            m_duration->setGeometry(item.rect.adjusted(0, 0, 0, -2));
        if (item.data.id == kGridBoxId && m_grid)
            m_grid->setGeometry(item.rect.adjusted(0, 0, kGridBoxExtraWidth, 0));
    }
}

void FlatToolBar::resizeEvent(QResizeEvent*)
{
    layoutItems();
}

void FlatToolBar::paintEvent(QPaintEvent*)
{
    RZ_ASSERT_GUI_THREAD();
    QPainter painter(this);
    for (int i = 0; i < itemCount(); ++i) {
        const Item& item = m_items[size_t(i)];
        if (item.rect.isEmpty())
            continue;
        if (item.data.kind == ItemKind::Separator) {
            const int x = item.rect.center().x();
            painter.fillRect(QRect(x - 1, item.rect.top() + 2, 1, item.rect.height() - 4),
                             fromColorRef(kShadow));
            painter.fillRect(QRect(x, item.rect.top() + 2, 1, item.rect.height() - 4),
                             fromColorRef(kLight));
        } else if (item.data.kind == ItemKind::Button) {
            paintButton(painter, i);
        }
    }
}

// Flat: an edge only when hot (raised), held or checked (sunken).
void FlatToolBar::paintButton(QPainter& painter, int index) const
{
    const Item& item = m_items[size_t(index)];
    const bool enabled = item.action->isEnabled();
    const bool sunken = enabled && (item.action->isChecked() || (m_pressing == index && m_hot == index));
    const bool raised = enabled && !sunken && m_hot == index;
    if (item.action->isChecked() && enabled)
        painter.fillRect(item.rect.adjusted(1, 1, -1, -1), QColor(255, 255, 255, 90));
    if (sunken)
        draw3dRect(painter, item.rect, kShadow, kLight);
    else if (raised)
        draw3dRect(painter, item.rect, kLight, kShadow);
    const QPixmap image = toolImage(shownImage(index), !enabled);
    const QPoint shift = sunken ? QPoint(1, 1) : QPoint(0, 0);
    const QPoint at = item.rect.topLeft() +
                      QPoint((item.rect.width() - image.width()) / 2,
                             (item.rect.height() - image.height()) / 2) +
                      shift;
    painter.drawPixmap(at, image);
}

void FlatToolBar::showPrompt(uint32_t id) const
{
    if (IStatusPrompt* prompt = mainStatusPrompt())
        prompt->setPromptId(id);
}

void FlatToolBar::hoverItem(int index)
{
    if (index == m_hot)
        return;
    m_hot = index;
    update();
    if (index >= 0 && m_items[size_t(index)].data.kind == ItemKind::Button)
        showPrompt(m_items[size_t(index)].data.id);
}

void FlatToolBar::mouseMoveEvent(QMouseEvent* event)
{
    hoverItem(itemAt(event->position().toPoint()));
}

void FlatToolBar::leaveEvent(QEvent*)
{
    m_hot = -1;
    update();
    showPrompt(kIdlePromptId);
}

void FlatToolBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = itemAt(event->position().toPoint());
    if (index < 0 || !m_items[size_t(index)].action || !m_items[size_t(index)].action->isEnabled())
        return;
    m_pressing = index;
    m_hot = index;
    update();
}

void FlatToolBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || m_pressing < 0)
        return;
    const int index = m_pressing;
    m_pressing = -1;
    update();
    const Item& item = m_items[size_t(index)];
    if (item.rect.contains(event->position().toPoint()) && item.action->isEnabled())
        m_router.execute(item.data.id);
}

// Qt delivers the second press of a double click as a press first, so the
// command runs for it as for any click; the double click itself only
// toggles the performance look.
void FlatToolBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton &&
        itemAt(event->position().toPoint()) == kPerformanceModeIndex) {
        setPressed(!m_pressed);
        emit performanceLookToggled(m_pressed);
    }
}

bool FlatToolBar::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = itemAt(help->pos());
        if (index >= 0 && m_items[size_t(index)].data.kind == ItemKind::Button)
            QToolTip::showText(help->globalPos(), commandTipText(m_items[size_t(index)].data.id),
                               this, m_items[size_t(index)].rect);
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

// The child controls show their own prompt while the mouse is over them.
bool FlatToolBar::eventFilter(QObject* watched, QEvent* event)
{
    if (m_grid && watched == m_grid->view()->window()) {
        if (event->type() == QEvent::Hide && !m_grid->rect().contains(m_grid->mapFromGlobal(QCursor::pos())))
            showPrompt(kIdlePromptId);
    } else if (event->type() == QEvent::Enter) {
        showPrompt(watched == m_duration ? kDurationFieldId : kGridBoxId);
    } else if (event->type() == QEvent::Leave) {
        showPrompt(kIdlePromptId);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace rz
