#include "engine/ui/audio_filters_dlg.h"

#include "platform/ladspa.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace rz {

namespace {

constexpr int kIdRole = Qt::UserRole;

} // namespace

CAudioFiltersDlg::CAudioFiltersDlg(const LadspaCatalog& catalog, QWidget* parent) : DialogBase(parent)
{
    setWindowTitle("Audio filter plug-ins...");
    m_list = new QListWidget(this);
    m_list->setSortingEnabled(true);
    auto* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);
    connect(m_list, &QListWidget::itemSelectionChanged, this,
            [this] { m_ok->setEnabled(!m_list->selectedItems().isEmpty()); });
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] { accept(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    FillFilterList(catalog);
}

void CAudioFiltersDlg::FillFilterList(const LadspaCatalog& catalog)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_list->clear();
    m_ok->setEnabled(false);
    for (const auto& plugin : catalog.plugins()) {
        auto* item = new QListWidgetItem(QString::fromStdString(plugin->info().name));
        item->setData(kIdRole, QString::fromStdString(plugin->info().id));
        m_list->addItem(item);
    }
    QApplication::restoreOverrideCursor();
}

void CAudioFiltersDlg::accept()
{
    const QListWidgetItem* item = m_list->currentItem();
    if (item == nullptr || !item->isSelected())
        return;
    m_filterId = item->data(kIdRole).toString().toStdString();
    m_filterName = item->text().toStdString();
    QDialog::accept();
}

} // namespace rz
