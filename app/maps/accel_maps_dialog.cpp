#include "app/maps/accel_maps_dialog.h"

#include "app/main_frame.h"
#include "app/maps/accel_commands.h"
#include "app/maps/map_commands.h"
#include "app/maps/map_store.h"
#include "app/maps/map_transfer.h"
#include "app/qt_text.h"
#include "core/profile.h"
#include "core/prompt.h"
#include "res/command_ids.h"
#include "ui/accel_table.h"
#include "ui/dlg_bars.h"
#include "ui/format_accel_key.h"
#include "ui/help_opener.h"
#include "ui/key_translation.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {
namespace {

// Virtual keys that never close the key capture: Shift, Ctrl, Alt, Pause,
// Caps Lock and the input-method keys.
constexpr uint16_t kFirstIgnoredKey = 16;
constexpr uint16_t kLastIgnoredKey = 25;

QString keyText(const AccelRecordData& record)
{
    std::string text;
    FormatAccelKey(record, text);
    return QString::fromStdString(text);
}

constexpr int kAccelMapColumnWidths[] = {300, 150};

constexpr CommandRow<CAccelMapsDlg> kAccelMapsCommands[] = {
    {kIdSaveMap, kIdSaveMap, &CAccelMapsDlg::onSaveMap, &CAccelMapsDlg::onUpdateMapCommand},
    {kIdDeleteMap, kIdDeleteMap, &CAccelMapsDlg::onDeleteMap, &CAccelMapsDlg::onUpdateMapCommand},
    {kIdImportMaps, kIdImportMaps, &CAccelMapsDlg::onImport, nullptr},
    {kIdExportMaps, kIdExportMaps, &CAccelMapsDlg::onExport, nullptr},
};

} // namespace

CTypeCommandDlg::CTypeCommandDlg(QWidget* parent) : DialogBase(parent)
{
    setWindowTitle("Type a command");
    auto* layout = new QVBoxLayout(this);
    auto* buttons = buttonRow(QDialogButtonBox::Cancel);
    layout->addWidget(buttons);
    for (QWidget* child : findChildren<QWidget*>())
        child->setFocusPolicy(Qt::NoFocus);
}

bool CTypeCommandDlg::takeKey(QKeyEvent& event)
{
    const std::optional<KeyStroke> key = translateKey(event);
    if (!key || (key->vk >= kFirstIgnoredKey && key->vk <= kLastIgnoredKey))
        return false;
    m_typed = AccelRecordData{uint8_t(kAccelVirtualKey | key->modifiers), key->vk, 0};
    QDialog::accept();
    return true;
}

void CTypeCommandDlg::keyPressEvent(QKeyEvent* event)
{
    takeKey(*event);
}

// Tab, Escape and Alt-held keys are keys to capture, not dialog navigation.
bool CTypeCommandDlg::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        takeKey(static_cast<QKeyEvent&>(*event));
        return true;
    }
    return QDialog::event(event);
}

CAccelEntryDlg::CAccelEntryDlg(const AccelRecordData& record, QWidget* parent)
    : DialogBase(parent), m_record(record)
{
    setWindowTitle("Edit aceelerator map entry...");
    m_command = new QComboBox(this);
    for (const uint32_t id : accelCommandList())
        m_command->addItem(QString::fromStdString(accelCommandText(id)), id);
    m_command->setCurrentIndex(m_command->findData(uint32_t(record.command)));
    m_key = new QLabel(this);
    auto* next = new QPushButton("Set to next command typed", this);
    auto* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_command);
    layout->addWidget(m_key);
    layout->addWidget(next);
    layout->addWidget(buttons);
    connect(next, &QPushButton::clicked, this, &CAccelEntryDlg::setToNextCommandTyped);
    connect(m_command, &QComboBox::currentIndexChanged, this, &CAccelEntryDlg::updateOk);
    captureKey = [this]() -> std::optional<AccelRecordData> {
        CTypeCommandDlg dialog(this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.typed();
    };
    showKey();
}

AccelRecordData CAccelEntryDlg::record() const
{
    AccelRecordData record = m_record;
    record.command = uint16_t(m_command->currentData().toUInt());
    return record;
}

void CAccelEntryDlg::setToNextCommandTyped()
{
    if (const auto typed = captureKey()) {
        m_record.flags = typed->flags;
        m_record.key = typed->key;
        showKey();
    }
}

void CAccelEntryDlg::showKey()
{
    m_key->setText(m_record.key != 0 ? keyText(m_record) : QString());
    updateOk();
}

void CAccelEntryDlg::updateOk()
{
    m_ok->setEnabled(m_command->currentIndex() >= 0 && m_record.key != 0);
}

CAccelMapsDlg::CAccelMapsDlg(MapCommands& commands, QWidget* parent) : MapListDialog(commands, parent)
{
    setWindowTitle("Keyboard accelerator maps");
    AccelMapStore store(commands.profile());
    m_maps = store.readMaps();
    buildFrame(*this, {{"Function", "Shortcut"}, kAccelMapColumnWidths, "&Add", "&Remove",
                       "&Enable accelerators", "&Help", "::/Accelerators.htm"});
    m_enable->setChecked(store.enabled());
    const auto selected = findMap(m_maps, store.useWhich());
    fillCombo(selected ? int(*selected) : 0);
    editRecord = [this](const AccelRecordData& record) -> std::optional<AccelRecordData> {
        CAccelEntryDlg dialog(record, this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.record();
    };
}

std::span<const CommandRow<CAccelMapsDlg>> CAccelMapsDlg::commandTable()
{
    return kAccelMapsCommands;
}

std::vector<AccelRecordData> CAccelMapsDlg::shownRecords()
{
    const NamedMap* map = shownMap();
    return map ? AccelTable::fromBytes(map->records).records() : std::vector<AccelRecordData>{};
}

void CAccelMapsDlg::showMap()
{
    m_list->clear();
    const std::vector<AccelRecordData> records = shownRecords();
    for (size_t i = 0; i < records.size(); ++i) {
        auto* row = new QTreeWidgetItem(
            m_list, {qText(accelCommandText(records[i].command)), keyText(records[i])});
        row->setData(0, Qt::UserRole, int(i));
    }
    updateButtons();
}

void CAccelMapsDlg::updateButtons()
{
    const AccelMapButtons b = accelMapButtons(m_maps, m_combo->currentText().toStdString(),
                                              int(m_list->selectedItems().size()));
    m_add->setEnabled(b.add);
    m_edit->setEnabled(b.edit);
    m_remove->setEnabled(b.remove);
    m_tools->updateNow();
}

void CAccelMapsDlg::onUpdateMapCommand(CommandId id, CmdUi& ui)
{
    const AccelMapButtons b = accelMapButtons(m_maps, m_combo->currentText().toStdString(), 0);
    ui.enabled = id == kIdSaveMap ? b.saveMap : b.deleteMap;
}

bool CAccelMapsDlg::onSaveMap(CommandId)
{
    saveShownMapAsTyped();
    return true;
}

bool CAccelMapsDlg::onDeleteMap(CommandId)
{
    deleteTypedMap("Delete accelerator map '" + m_combo->currentText().toStdString() + "'?");
    return true;
}

bool CAccelMapsDlg::onImport(CommandId)
{
    importMapsOf(kAccelMapTransfer);
    return true;
}

bool CAccelMapsDlg::onExport(CommandId)
{
    exportMapsOf(kAccelMapTransfer);
    return true;
}

void CAccelMapsDlg::storeRecords(const std::vector<AccelRecordData>& records, int selectRow)
{
    if (NamedMap* map = shownMap())
        map->records = AccelTable(records).toBytes();
    showMap();
    if (QTreeWidgetItem* row = m_list->topLevelItem(selectRow))
        row->setSelected(true);
}

void CAccelMapsDlg::addEntry()
{
    if (!m_add->isEnabled())
        return;
    const auto record = editRecord(AccelRecordData{kAccelVirtualKey, 0, 0});
    if (!record)
        return;
    std::vector<AccelRecordData> records = shownRecords();
    records.push_back(*record);
    storeRecords(records, int(records.size()) - 1);
}

void CAccelMapsDlg::editEntry()
{
    const QList<QTreeWidgetItem*> selected = m_list->selectedItems();
    if (!m_edit->isEnabled() || selected.size() != 1)
        return;
    const int index = selected.front()->data(0, Qt::UserRole).toInt();
    std::vector<AccelRecordData> records = shownRecords();
    const auto record = editRecord(records[size_t(index)]);
    if (!record)
        return;
    records[size_t(index)] = *record;
    storeRecords(records, index);
}

void CAccelMapsDlg::removeEntries()
{
    if (!m_remove->isEnabled())
        return;
    std::vector<int> doomed;
    for (const QTreeWidgetItem* row : m_list->selectedItems())
        doomed.push_back(row->data(0, Qt::UserRole).toInt());
    std::sort(doomed.rbegin(), doomed.rend());
    std::vector<AccelRecordData> records = shownRecords();
    for (const int index : doomed)
        records.erase(records.begin() + index);
    storeRecords(records, -1);
}

void CAccelMapsDlg::accept()
{
    const NamedMap* selected = shownMap();
    m_commands.applyAccelMaps(m_maps, selected ? selected->name : std::string(),
                         m_enable->isChecked());
    QDialog::accept();
}

} // namespace rz
