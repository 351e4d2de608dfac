#include "set/ui/set_props_dlg.h"

#include "core/edit_dialogs.h"
#include "set/set_document.h"
#include "song/song_doc.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace rz {
namespace {

constexpr int kInRole = Qt::UserRole + 1;
constexpr int kBoxSize = 11;

// The In cell: a sunken box, white (grey while the tracks differ), ticked
// while the tracks play.
class InCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        painter->save();
        if (option.state & QStyle::State_Selected)
            painter->fillRect(option.rect, option.palette.highlight());
        const int state = index.data(kInRole).toInt();
        const QRect box(option.rect.center().x() - kBoxSize / 2, option.rect.center().y() - kBoxSize / 2,
                        kBoxSize, kBoxSize);
        painter->fillRect(box, state == 2 ? QColor(192, 192, 192) : QColor(255, 255, 255));
        painter->setPen(QColor(128, 128, 128));
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        if (state != 0) {
            painter->setPen(QPen(QColor(0, 0, 0), 2));
            painter->drawLine(box.left() + 2, box.center().y(), box.center().x(), box.bottom() - 2);
            painter->drawLine(box.center().x(), box.bottom() - 2, box.right() - 2, box.top() + 2);
        }
        painter->restore();
    }
};

} // namespace

CSetPropsDlg::CSetPropsDlg(SetDocument& set, QWidget* parent) : DialogBase(parent), m_set(set), m_props(set)
{
    setWindowTitle("Set properties...");
    auto* help = new QLabel(
        "Double-click a single row, or select multiple rows and right-click to edit track properties.", this);
    help->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setColumnCount(3);
    m_list->setHeaderLabels({"In", "Track", "#"});
    m_list->setRootIsDecorated(false);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setItemDelegateForColumn(InColumn, new InCellDelegate(m_list));
    m_list->header()->resizeSection(InColumn, 25);
    m_list->header()->resizeSection(TrackColumn, 200);
    m_list->header()->resizeSection(CountColumn, 50);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->installEventFilter(this);
    m_note = new QLabel(this);
    auto* buttons = buttonRow(QDialogButtonBox::Ok);
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int column) {
        if (column == InColumn)
            clickIn(m_list->indexOfTopLevelItem(item));
    });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int column) {
        if (column != InColumn)
            editSelected();
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this] { editSelected(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(help);
    layout->addWidget(m_list);
    layout->addWidget(m_note);
    layout->addWidget(buttons);
    resize(320, 360);
    fill();
}

void CSetPropsDlg::fill()
{
    m_list->clear();
    for (const SetTrackRow& row : m_props.rows()) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setData(InColumn, kInRole, row.in);
        item->setText(TrackColumn, QString::fromStdString(row.name));
        item->setText(CountColumn, QString::number(row.count));
    }
    const int unloaded = m_props.unloadedSongs();
    m_note->setText(QString("%1 songs that are not loaded are not listed.").arg(unloaded));
    m_note->setVisible(unloaded > 0);
}

std::vector<size_t> CSetPropsDlg::selectedRows() const
{
    std::vector<size_t> rows;
    for (int i = 0; i < m_list->topLevelItemCount(); ++i)
        if (m_list->topLevelItem(i)->isSelected())
            rows.push_back(size_t(i));
    return rows;
}

void CSetPropsDlg::clickIn(int row)
{
    if (row < 0)
        return;
    m_props.toggleIn(size_t(row));
    fill();
    if (QTreeWidgetItem* item = m_list->topLevelItem(row))
        item->setSelected(true);
}

void CSetPropsDlg::editSelected()
{
    const std::vector<size_t> rows = selectedRows();
    IEditDialogs* dialogs = m_set.songContext().editDialogs;
    if (rows.empty() || dialogs == nullptr || !dialogs->has(EditDialog::TrackProperties))
        return;
    CSongDoc* song = nullptr;
    for (CSongDoc* candidate : m_set.songs())
        if (candidate->contentFlag && (song == nullptr || candidate == m_set.current()))
            song = candidate;
    if (song == nullptr)
        return;
    const std::optional<TrackPropsParams> result = dialogs->trackProperties(*song, m_props.presetFor(rows));
    if (!result) {
        // The dialog may have sent patch previews.
        song->LocateToCurrent();
        return;
    }
    m_props.apply(rows, *result);
    fill();
}

bool CSetPropsDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            editSelected();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace rz
