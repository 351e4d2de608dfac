// The set pane: tree, header band, show/hide button, context menu. GUI thread.
#include "set/ui/set_pane.h"

#include "ui/cue_images.h"

#include "core/color.h"
#include "core/profile.h"
#include "core/settings.h"
#include "core/zoom_percent.h"
#include "res/command_ids.h"
#include "res/set_pane_menu.h"
#include "set/set_document.h"
#include "set/ui/set_tree_drag.h"
#include "set/ui/set_tree_model.h"
#include "ui/bitmap_catalog.h"
#include "ui/bitmap_push_button.h"
#include "ui/color_ref.h"
#include "ui/command_router.h"
#include "ui/cue_images.h"
#include "views/pane_view.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeView>

#include <algorithm>

namespace rz {
namespace {

constexpr Color kBackground = 0xD1CCCE;
constexpr Color kHeaderBase = 0x38140C;
constexpr int kHeaderBaseHeight = 18;
constexpr int kImageSize = 16;
constexpr int kVerticalLabelBitmap = 432;
constexpr const char* kCaption = "Songs & Markers";

void drawState(QPainter& painter, const QRect& cell, int state)
{
    switch (state) {
    case SetNavigator::kStateCurrent: {
        QPolygon arrow;
        arrow << QPoint(cell.left() + 4, cell.top() + 3) << QPoint(cell.right() - 3, cell.center().y())
              << QPoint(cell.left() + 4, cell.bottom() - 3);
        painter.setBrush(QColor(30, 160, 40));
        painter.setPen(Qt::NoPen);
        painter.drawPolygon(arrow);
        break;
    }
    case SetNavigator::kStateFailed:
        painter.setPen(QPen(QColor(200, 30, 30), 2));
        painter.drawLine(cell.topLeft() + QPoint(4, 4), cell.bottomRight() - QPoint(4, 4));
        painter.drawLine(cell.topRight() + QPoint(-4, 4), cell.bottomLeft() + QPoint(4, -4));
        break;
    case SetNavigator::kStateDisabled:
        painter.setPen(QPen(QColor(120, 120, 120), 2));
        painter.drawEllipse(cell.adjusted(4, 4, -4, -4));
        break;
    case SetNavigator::kStateMarked:
        painter.setBrush(QColor(230, 140, 20));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(cell.adjusted(5, 5, -5, -5));
        break;
    default: break;
    }
}

// State image, then normal image, then the caption.
class SetItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.highlight());
        if (index.data(SetTreeModel::DropTargetRole).toBool())
            painter->fillRect(option.rect, option.palette.highlight().color().lighter(130));
        const int top = option.rect.top() + (option.rect.height() - kImageSize) / 2;
        const QRect stateCell(option.rect.left(), top, kImageSize, kImageSize);
        drawState(*painter, stateCell, index.data(SetTreeModel::StateImageRole).toInt());
        const QRect imageCell = stateCell.translated(kImageSize + 1, 0);
        const int image = index.data(SetTreeModel::NormalImageRole).toInt();
        painter->setPen(QColor(0, 0, 0));
        painter->setBrush(cueImageColor(image));
        painter->drawRect(imageCell.adjusted(2, 2, -3, -3));
        painter->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color()
                                                             : QColor(0, 0, 0));
        const QRect textRect = option.rect.adjusted(2 * kImageSize + 4, 0, 0, 0);
        painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                          index.data(Qt::DisplayRole).toString());
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(std::max(size.height(), kImageSize + 2));
        return size;
    }
};

} // namespace

SetPane::SetPane(SetDocument& set, ISetDocumentHost& setHost, ITrash& trash, IProfile& profile,
                 QWidget* parent)
    : SongView(parent), m_set(set), m_profile(profile), m_commands(set, setHost, trash)
{
    m_model = new SetTreeModel(set, this);
    m_tree = new QTreeView(this);
    m_tree->setModel(m_model);
    m_tree->setHeaderHidden(true);
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setItemDelegate(new SetItemDelegate(m_tree));
    m_tree->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tree->setContextMenuPolicy(Qt::DefaultContextMenu);
    QPalette palette = m_tree->palette();
    palette.setColor(QPalette::Base, fromColorRef(kBackground));
    palette.setColor(QPalette::Text, QColor(0, 0, 0));
    m_tree->setPalette(palette);
    m_tree->installEventFilter(this);
    m_tree->viewport()->installEventFilter(this);
    connect(m_tree, &QTreeView::doubleClicked, this, [this] { runCommand(kIdGoToItem); });
    connect(m_model, &SetTreeModel::scrollRequested, this,
            [this](const QModelIndex& at) { m_tree->scrollTo(at, QAbstractItemView::PositionAtTop); });
    // The highlight goes where the set's current song went.
    connect(m_model, &SetTreeModel::currentSongMoved, this, [this](const QModelIndex& at) {
        if (!at.isValid())
            return;
        m_set.tree().select(m_model->itemAt(at));
        m_tree->setCurrentIndex(at);
        m_tree->scrollTo(at);
    });
    // Items came or went: the view's expansion comes from the items again.
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { restoreExpansion(); });
    connect(m_model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& at) {
        if (const SetTreeItem* item = m_model->itemAt(at))
            m_tree->setExpanded(at, item->kind == SetItemKind::Folder ? !item->collapsed : item->expanded);
    });
    m_drag = new SetTreeDrag(*m_tree, *m_model, m_commands, [this] { rebuild(); });
    m_showHide = new BitmapPushButton(bitmap_id::kArrowLeft, QPoint(kButtonX, 0), this, kIdShowHideSetPane);
    connect(m_showHide, &BitmapPushButton::command, this, [this](uint32_t) { toggleShown(); });
    rebuild();
}

SetPane::~SetPane()
{
    if (m_router && m_router->activeView() == this)
        m_router->setActiveView(nullptr);
}

std::span<const CommandRow<SetPane>> SetPane::commandTable()
{
    static const CommandRow<SetPane> kRows[] = {
        {kIdDelete, kIdDelete, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdGoToItem, kIdGoToItem, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdDisableSong, kIdDisableSong, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdExpandAll, kIdExpandAll, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdCollapseAll, kIdCollapseAll, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdEditCopy, kIdEditCut, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdEditPaste, kIdEditPaste, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdCreateFolder, kIdCreateFolder, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdAlphabetizeSet, kIdAlphabetizeSet, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdProperties, kIdProperties, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
        {kIdSpawnTopLevelWindow, kIdSpawnTopLevelWindow, &SetPane::onPaneCommand, &SetPane::updatePaneCommand},
    };
    return kRows;
}

// A paste of anything but a song is the song's.
bool SetPane::onPaneCommand(CommandId id)
{
    if (id == kIdEditPaste && !m_commands.canPasteSong())
        return false;
    runCommand(id);
    return true;
}

void SetPane::updatePaneCommand(CommandId id, CmdUi& ui)
{
    ui.enabled = commandEnabled(id);
    if (id == kIdDelete)
        ui.text = m_commands.deleteCaption(selectedItem());
    else if (id == kIdDisableSong)
        ui.text = m_commands.disableCaption(selectedItem());
}

void SetPane::takeRouting()
{
    if (!m_router || m_router->activeView() == this)
        return;
    m_formerActive = m_router->activeView();
    m_formerActiveObject = dynamic_cast<QObject*>(m_formerActive);
    m_formerWatched = m_formerActiveObject != nullptr;
    m_router->setActiveView(this);
}

// The view active before comes back unless it went meanwhile.
void SetPane::releaseRouting()
{
    if (!m_router || m_router->activeView() != this)
        return;
    const bool formerAlive = !m_formerWatched || m_formerActiveObject != nullptr;
    m_router->setActiveView(formerAlive ? m_formerActive : nullptr);
    m_formerActive = nullptr;
    m_formerActiveObject = nullptr;
    m_formerWatched = false;
}

int SetPane::headerHeight() const
{
    return zoomPercent(readSetting(m_profile, settings::kDisplayFZoom)) * kHeaderBaseHeight / 100;
}

void SetPane::toggleShown()
{
    m_shown = !m_shown;
    m_showHide->setBitmap(m_shown ? bitmap_id::kArrowLeft : bitmap_id::kArrowRight, kIdShowHideSetPane);
    if (parentWidget())
        placeInFrame(parentWidget()->size());
    layoutChildren();
    update();
}

// The track list beside the pane moves with its width.
void SetPane::placeInFrame(QSize frameSize)
{
    if (m_undocked)
        return;
    setGeometry(kLeft, kTop, m_shown ? kShownWidth : kHiddenWidth,
                std::max(0, frameSize.height() - kBottomBand));
    QWidget* frame = parentWidget();
    if (frame && setPaneShown(frame) != m_shown) {
        setSetPaneShown(*frame, m_shown);
        placeSiblings();
    }
}

void SetPane::placeSiblings()
{
    if (parentWidget())
        placeSiblings(*parentWidget());
}

void SetPane::placeSiblings(QWidget& frame)
{
    for (QObject* child : frame.children()) {
        auto* pane = dynamic_cast<PaneView*>(child);
        if (pane && child != this)
            pane->placeInFrame(frame.size());
    }
}

void SetPane::resizeEvent(QResizeEvent*)
{
    layoutChildren();
}

void SetPane::layoutChildren()
{
    if (m_undocked) {
        m_tree->setGeometry(rect());
        m_tree->show();
        m_showHide->hide();
        return;
    }
    m_showHide->show();
    if (m_shown) {
        const int header = headerHeight();
        m_tree->setGeometry(0, header, width(), std::max(0, height() - header));
        m_tree->show();
        m_showHide->move(kButtonX, std::max(0, (header - kButtonSize) / 2));
    } else {
        m_tree->hide();
        m_showHide->move(3, 4);
    }
}

void SetPane::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), fromColorRef(kBackground));
    if (!m_shown) {
        const QImage& label = BitmapCatalog::image(kVerticalLabelBitmap);
        if (!label.isNull())
            painter.drawImage(QPoint(1, 30), label);
        return;
    }
    const int header = headerHeight();
    const int percent = zoomPercent(readSetting(m_profile, settings::kDisplayFZoom));
    QLinearGradient band(0, 0, 0, header);
    band.setColorAt(0, fromColorRef(ShadeColor(kHeaderBase, 160)));
    band.setColorAt(1, fromColorRef(ShadeColor(kHeaderBase, 100)));
    painter.fillRect(QRect(0, 0, width(), header), band);
    QFont font("Verdana");
    font.setWeight(QFont::DemiBold);
    font.setPixelSize((percent * 12 + 50) / 100);
    painter.setFont(font);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(QRect(3, 0, width() - 3, header), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                     kCaption);
}

void SetPane::rebuild()
{
    m_model->treeReset();
}

void SetPane::restoreExpansion()
{
    int depth = 0;
    for (SetTreeItem* item = m_set.tree().GetNextItem(nullptr, depth); item;
         item = m_set.tree().GetNextItem(item, depth)) {
        const QModelIndex at = m_model->indexOf(item);
        if (item->kind == SetItemKind::Folder)
            m_tree->setExpanded(at, !item->collapsed);
        else if (item->kind == SetItemKind::Song)
            m_tree->setExpanded(at, item->expanded);
    }
    // The highlight shows the current song; without one, the selection.
    SetTreeItem* shown = m_set.tree().currentSongItem();
    if (shown == nullptr || shown == m_set.tree().statusItem())
        shown = m_set.tree().selection();
    if (shown)
        m_tree->setCurrentIndex(m_model->indexOf(shown));
}

void SetPane::initialUpdate()
{
    rebuild();
    layoutChildren();
}

// Items may have come or gone: the model starts afresh.
void SetPane::songUpdate(uint32_t)
{
    rebuild();
    layoutChildren();
    update();
}

SetTreeItem* SetPane::selectedItem() const
{
    return m_model->itemAt(m_tree->currentIndex());
}

bool SetPane::commandEnabled(uint32_t command) const
{
    SetTreeItem* item = selectedItem();
    switch (command) {
    case kIdGoToItem: return m_commands.canGoTo(item);
    case kIdDelete: return m_commands.canDelete(item);
    case kIdDisableSong: return m_commands.canDisable(item);
    case kIdExpandAll:
    case kIdCollapseAll: return m_commands.canExpandAll();
    case kIdShowHideSetPane: return true;
    default: {
        bool known = false;
        const bool enabled = editCommandEnabled(command, item, known);
        return known && enabled;
    }
    }
}

void SetPane::runCommand(uint32_t command)
{
    if (!commandEnabled(command))
        return;
    SetTreeItem* item = selectedItem();
    m_set.tree().select(item);
    switch (command) {
    case kIdGoToItem: m_commands.GoTo(item); break;
    case kIdDelete: m_commands.Delete(item); break;
    case kIdDisableSong: m_commands.Disable(item); break;
    case kIdExpandAll: m_commands.ExpandAll(true); break;
    case kIdCollapseAll: m_commands.ExpandAll(false); break;
    case kIdShowHideSetPane: toggleShown(); return;
    default:
        if (!runEditCommand(command, item))
            return;
        break;
    }
    rebuild();
}

void SetPane::showContextMenu(QPoint globalPos)
{
    QMenu menu(this);
    SetTreeItem* item = selectedItem();
    for (const MenuRow& row : setPaneMenu()) {
        if (row.command == 0) {
            menu.addSeparator();
            continue;
        }
        QString label = QString::fromUtf8(row.label);
        if (row.command == kIdDisableSong)
            label = QString::fromStdString(m_commands.disableCaption(item));
        else if (row.command == kIdDelete)
            label = QString::fromStdString(m_commands.deleteCaption(item));
        QAction* action = menu.addAction(label);
        const uint32_t command = row.command;
        bool known = paneCommand(command);
        action->setEnabled(known ? commandEnabled(command) : m_router && m_router->update(command).enabled);
        connect(action, &QAction::triggered, this, [this, command, known] {
            if (known)
                runCommand(command);
            else if (m_router)
                m_router->execute(command);
        });
    }
    menu.exec(globalPos);
}

bool SetPane::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree && event->type() == QEvent::FocusIn)
        takeRouting();
    // A menu opening or another window taking over leaves the routing as
    // it is: the menu's commands are the pane's.
    if (watched == m_tree && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
            releaseRouting();
    }
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            runCommand(kIdGoToItem);
            return true;
        }
        if (key->key() == Qt::Key_F2) {
            editCaption(selectedItem());
            return true;
        }
    }
    // A double-click off the items is the set's Properties.
    if (watched == m_tree->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_tree->indexAt(mouse->position().toPoint()).isValid()) {
            if (m_commands.canEditProperties(nullptr, true))
                openProperties(nullptr);
            return true;
        }
    }
    if (watched == m_tree->viewport() && event->type() == QEvent::ContextMenu) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        QPoint at = menuEvent->globalPos();
        if (menuEvent->reason() == QContextMenuEvent::Keyboard) {
            const QRect itemRect = m_tree->visualRect(m_tree->currentIndex());
            at = m_tree->viewport()->mapToGlobal(itemRect.bottomLeft());
        }
        showContextMenu(at);
        return true;
    }
    return SongView::eventFilter(watched, event);
}

} // namespace rz
