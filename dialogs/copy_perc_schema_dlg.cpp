#include "dialogs/copy_perc_schema_dlg.h"

#include "dialogs/small_controls.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace rz {

namespace {

// Item data roles: whether the item is a drum set, and its place.
constexpr int kIsSetRole = Qt::UserRole;
constexpr int kSynthRole = Qt::UserRole + 1;
constexpr int kSetRole = Qt::UserRole + 2;

} // namespace

CCopyPercSchemaDlg::CCopyPercSchemaDlg(const IDrumSchemaTree& tree, QWidget* parent) : DialogBase(parent)
{
    setWindowTitle("Copy percussion schema from...");
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("tree");
    m_tree->setHeaderHidden(true);
    m_tree->setColumnCount(1);
    const std::vector<DrumSchemaSynth> synths = tree.drumSets();
    for (size_t s = 0; s < synths.size(); ++s) {
        auto* top = new QTreeWidgetItem(m_tree, QStringList{shown(synths[s].label)});
        top->setData(0, kIsSetRole, false);
        for (size_t d = 0; d < synths[s].drumSets.size(); ++d) {
            auto* set = new QTreeWidgetItem(top, QStringList{shown(synths[s].drumSets[d])});
            set->setData(0, kIsSetRole, true);
            set->setData(0, kSynthRole, static_cast<int>(s));
            set->setData(0, kSetRole, static_cast<int>(d));
        }
    }
    m_tree->expandAll();
    auto* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tree);
    layout->addWidget(buttons);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] { selectionChanged(); });
}

void CCopyPercSchemaDlg::selectionChanged()
{
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (item && item->data(0, kIsSetRole).toBool())
        m_chosen = DrumSetRef{item->data(0, kSynthRole).toInt(), item->data(0, kSetRole).toInt()};
    else
        m_chosen.reset();
    m_ok->setEnabled(m_chosen.has_value());
}

std::optional<DrumSetRef> pickSchemaSource(const IDrumSchemaTree& tree, QWidget* parent)
{
    CCopyPercSchemaDlg dialog(tree, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.chosen();
}

} // namespace rz
